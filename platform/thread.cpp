// Threads and auto-reset events on one lock and one condition: events are few and rarely set.
#include "platform/thread.h"

#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "platform/backend.h"

namespace plat {
namespace {
std::mutex g_mu;
std::condition_variable g_cv;
std::map<EventHandle, bool> g_events;  // handle -> signalled
EventHandle g_next_event = 1;
std::map<ThreadHandle, std::thread> g_threads;
ThreadHandle g_next_thread = 1;
int g_running = 0;  // our threads neither ended nor waiting on events
std::vector<std::pair<EventHandle, EventHandle>> g_waits;  // the waits our threads block in
thread_local bool t_ours = false;

bool Ready(EventHandle e) {
    auto it = g_events.find(e);
    return it == g_events.end() || it->second;  // closed or signalled: the wait returns
}

bool Idle() {
    if (g_running > 0) return false;
    for (const auto& w : g_waits)
        if (Ready(w.first) || Ready(w.second)) return false;
    return true;
}
}  // namespace

EventHandle CreateEvent() {
    detail::LogCall("CreateEvent");
    if (detail::ShouldFail("CreateEvent")) return 0;
    std::lock_guard<std::mutex> lock(g_mu);
    EventHandle h = g_next_event++;
    if (h == 0) h = g_next_event++;
    g_events[h] = false;
    return h;
}

bool SetEvent(EventHandle event) {
    std::lock_guard<std::mutex> lock(g_mu);
    auto it = g_events.find(event);
    if (it == g_events.end()) return false;
    it->second = true;
    g_cv.notify_all();
    return true;
}

bool CloseEvent(EventHandle event) {
    std::lock_guard<std::mutex> lock(g_mu);
    if (!g_events.erase(event)) return false;
    g_cv.notify_all();
    return true;
}

int WaitForEither(EventHandle a, EventHandle b) {
    std::unique_lock<std::mutex> lock(g_mu);
    if (t_ours) {
        --g_running;
        g_waits.emplace_back(a, b);
        g_cv.notify_all();
    }
    int result = -1;
    for (;;) {
        auto ia = g_events.find(a), ib = g_events.find(b);
        if (ia == g_events.end() || ib == g_events.end()) break;
        if (ia->second) {
            ia->second = false;
            result = 0;
            break;
        }
        if (ib->second) {
            ib->second = false;
            result = 1;
            break;
        }
        g_cv.wait(lock);
    }
    if (t_ours) {
        ++g_running;
        for (auto it = g_waits.begin(); it != g_waits.end(); ++it)
            if (*it == std::make_pair(a, b)) {
                g_waits.erase(it);
                break;
            }
    }
    return result;
}

ThreadHandle CreateThread(void (*proc)(void*), void* arg) {
    detail::LogCall("CreateThread");
    if (!proc || detail::ShouldFail("CreateThread")) return 0;
    std::lock_guard<std::mutex> lock(g_mu);
    ThreadHandle h = g_next_thread++;
    if (h == 0) h = g_next_thread++;
    ++g_running;
    try {
        g_threads.emplace(h, std::thread([proc, arg] {
                              t_ours = true;
                              proc(arg);
                              std::lock_guard<std::mutex> done(g_mu);
                              --g_running;
                              g_cv.notify_all();
                          }));
    } catch (...) {
        --g_running;
        return 0;
    }
    return h;
}

void JoinThread(ThreadHandle thread) {
    std::thread t;
    {
        std::lock_guard<std::mutex> lock(g_mu);
        auto it = g_threads.find(thread);
        if (it == g_threads.end()) return;
        t = std::move(it->second);
        g_threads.erase(it);
    }
    if (t.joinable() && t.get_id() != std::this_thread::get_id()) t.join();
    else if (t.joinable()) t.detach();
}

namespace detail {
void WaitThreadsIdle() {
    if (t_ours) return;
    std::unique_lock<std::mutex> lock(g_mu);
    g_cv.wait(lock, Idle);
}
}  // namespace detail
}  // namespace plat
