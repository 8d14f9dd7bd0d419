// Window timers: a callback that the message loop runs each time its period has passed.
#pragma once
#include <cstdint>

namespace plat {
struct Window;

constexpr uint32_t WM_TIMER = 0x0113;
using TimerProc = void (*)(Window* window, uint32_t msg, uint32_t id, uint32_t time);

// Starts (or restarts) timer `id` of the window; a period below 10 ms counts as 10. The id, or 0
// without a procedure.
uint32_t SetTimer(Window* window, uint32_t id, uint32_t period_ms, TimerProc proc);
bool KillTimer(Window* window, uint32_t id);
}  // namespace plat

namespace plat::detail {
// Runs the procedures of the timers that are due (the message loop calls it when idle).
void RunDueTimers();
}
