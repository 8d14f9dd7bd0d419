// Window timers kept in a small list and run from the message loop on the main thread.
#include "platform/timer.h"

#include <cstddef>
#include <vector>

#include "platform/clock.h"

namespace plat {
namespace {
struct Timer {
    Window* window;
    uint32_t id, period, due;
    TimerProc proc;
};
std::vector<Timer> g_timers;
constexpr uint32_t kMinPeriod = 10;
}  // namespace

uint32_t SetTimer(Window* window, uint32_t id, uint32_t period_ms, TimerProc proc) {
    if (!proc) return 0;
    KillTimer(window, id);
    uint32_t period = period_ms < kMinPeriod ? kMinPeriod : period_ms;
    g_timers.push_back(Timer{window, id, period, TimeMs() + period, proc});
    return id;
}

bool KillTimer(Window* window, uint32_t id) {
    for (auto it = g_timers.begin(); it != g_timers.end(); ++it)
        if (it->window == window && it->id == id) {
            g_timers.erase(it);
            return true;
        }
    return false;
}

namespace detail {
void RunDueTimers() {
    const uint32_t now = TimeMs();
    // A procedure may kill or set timers: look each one up again after every call.
    for (std::size_t i = 0; i < g_timers.size(); ++i) {
        Timer t = g_timers[i];
        if (static_cast<int32_t>(now - t.due) < 0) continue;
        g_timers[i].due = now + t.period;
        t.proc(t.window, WM_TIMER, t.id, now);
    }
    for (const Timer& t : g_timers) ClockDue(t.due);  // idle passes stop at the next timer
}
}  // namespace detail
}  // namespace plat
