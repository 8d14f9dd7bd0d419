// The clock's shared part: due times, the frame interval and the listeners of the headless clock.
#include "platform/clock.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <vector>

#include "platform/backend.h"

namespace plat {
namespace {
std::mutex g_mutex;
std::vector<uint32_t> g_due;
std::vector<void (*)()> g_listeners;
std::atomic<uint32_t> g_interval{33};

// Whether `at` is still ahead of `now` on the wrapping clock.
bool Ahead(uint32_t at, uint32_t now) { return int32_t(at - now) > 0; }
}  // namespace

uint32_t TimeMs() { return detail::Current()->TimeMs(); }
void Sleep(uint32_t ms) { detail::Current()->Sleep(ms); }

void ClockDue(uint32_t at_ms) {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (std::find(g_due.begin(), g_due.end(), at_ms) == g_due.end()) g_due.push_back(at_ms);
}

void SetFrameInterval(uint32_t ms) { g_interval = ms ? ms : 1; }
uint32_t FrameInterval() { return g_interval; }

namespace detail {
void IdlePass() {
    Backend* backend = Current();
    const uint32_t now = backend->TimeMs();
    uint32_t step = 0;
    bool due = false;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        g_due.erase(std::remove_if(g_due.begin(), g_due.end(), [&](uint32_t at) { return !Ahead(at, now); }),
                    g_due.end());
        // Until the nearest due time, however far: a tick due just past one frame interval is one
        // wait, not a wait of an interval and another of a millisecond.
        for (uint32_t at : g_due) step = due ? std::min(step, at - now) : at - now, due = true;
    }
    backend->Idle(due ? step : g_interval.load(), due);
}

void AddClockListener(void (*on_moved)()) {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (std::find(g_listeners.begin(), g_listeners.end(), on_moved) == g_listeners.end())
        g_listeners.push_back(on_moved);
}

void RemoveClockListener(void (*on_moved)()) {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_listeners.erase(std::remove(g_listeners.begin(), g_listeners.end(), on_moved), g_listeners.end());
}

void ClockMoved() {
    std::vector<void (*)()> listeners;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        listeners = g_listeners;
    }
    for (auto fn : listeners) fn();
}

void ResetClock() {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_due.clear();
    g_interval = 33;
}
}  // namespace detail
}  // namespace plat
