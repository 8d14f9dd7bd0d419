// Millisecond clock: unsigned 32 bits that wrap; take every difference unsigned.
//
// The SDL backend runs on the real clock. The headless backend runs on a virtual clock: tests
// move it by hand (headless::SetTime, AdvanceTime); the headless executable also lets every idle
// pass of the message loop move it, to the next time something is due or else by the frame
// interval, and every Sleep moves it by the time slept. Game code never asks which runs.
#pragma once
#include <cstdint>

namespace plat {
uint32_t TimeMs();

// Waits ms milliseconds: the real clock sleeps; the virtual clock moves on by ms at once.
void Sleep(uint32_t ms);

// Something is due at that time (a frame tick, a wake-up). An idle pass waits for events no
// longer than until then (real clock) or moves there at once (virtual clock). Times already
// reached are forgotten.
void ClockDue(uint32_t at_ms);

// How far an idle pass moves the virtual clock when nothing is due (the frame interval; 33 at start);
// a due time further away than this is still waited for in one pass.
void SetFrameInterval(uint32_t ms);
uint32_t FrameInterval();
}  // namespace plat

namespace plat::detail {
// A pass of the message loop that found no message (PeekMessage calls it).
void IdlePass();

// Called after every move of the headless clock, on the thread that moved it, with no platform
// lock held (the headless sound device mixes up to the new time here). A function is added once.
void AddClockListener(void (*on_moved)());
void RemoveClockListener(void (*on_moved)());
}  // namespace plat::detail
