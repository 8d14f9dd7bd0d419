// Threads and auto-reset events, with a wait for either of two events (music streaming).
//
// Events are handles: setting, waiting on or closing a handle that was closed already fails
// instead of touching freed state, and closing an event wakes its waiters with a failure.
#pragma once
#include <cstdint>

namespace plat {
using EventHandle = uint32_t;   // 0 is no event
using ThreadHandle = uint32_t;  // 0 is no thread

// An auto-reset event, not signalled; 0 when it cannot be made.
EventHandle CreateEvent();
// Signals the event: one waiter takes it and it resets. False for an unknown handle.
bool SetEvent(EventHandle event);
// Closes the event; waiters on it return -1. False for an unknown handle.
bool CloseEvent(EventHandle event);
// Waits without time-out until a or b is signalled, resets it and returns 0 for a, 1 for b
// (a first when both are); -1 when either handle is unknown or is closed during the wait.
int WaitForEither(EventHandle a, EventHandle b);

// Starts proc(arg) on a new thread; 0 when it cannot start.
ThreadHandle CreateThread(void (*proc)(void*), void* arg);
// Waits until the thread has ended and frees its handle (a thread never joins itself).
void JoinThread(ThreadHandle thread);
}  // namespace plat

namespace plat::detail {
// Headless pacing: returns once every thread made by CreateThread has ended or waits on events
// none of which is signalled, so work woken by virtual time is done before the clock moves on.
// Does nothing when called on such a thread.
void WaitThreadsIdle();
}  // namespace plat::detail
