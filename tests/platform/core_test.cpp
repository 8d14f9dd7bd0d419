// Platform core from several threads, and the headless clock: idle passes, due times, sleeps.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "platform/backend.h"
#include "platform/clock.h"
#include "platform/debug.h"
#include "platform/headless/headless.h"
#include "platform/window.h"

namespace {
intptr_t Quiet(plat::Window*, uint32_t, uintptr_t, intptr_t) { return 0; }
}  // namespace

// Workers post, log, take injected failures and write debug lines while the main thread reads
// the queue: nothing is lost, doubled or reordered within a thread.
TEST(CoreThreads, QueueLogFailuresAndDebugCaptureTakeConcurrentCallers) {
    headless::Reset({});
    plat::Window* w = plat::CreateMainWindow("t", 640, 480, Quiet);
    ASSERT_NE(w, nullptr);
    constexpr int kThreads = 4, kEach = 2000, kFailures = 1500;
    headless::FailCall("Worker.Step", kFailures);
    std::atomic<int> failed{0};
    std::vector<std::thread> workers;
    for (int t = 0; t < kThreads; ++t)
        workers.emplace_back([&, t] {
            for (int i = 0; i < kEach; ++i) {
                plat::PostMessage(w, 0x8000 + t, uintptr_t(i), 0);
                plat::detail::LogCall("Worker.Step");
                if (plat::detail::ShouldFail("Worker.Step")) ++failed;
                plat::OutputDebugString("line");
            }
        });
    std::vector<int> next(kThreads, 0);
    int taken = 0;
    bool in_order = true;
    plat::Msg msg;
    while (taken < kThreads * kEach) {
        if (!plat::PeekMessage(&msg)) continue;
        int t = int(msg.message - 0x8000);
        ASSERT_TRUE(t >= 0 && t < kThreads);
        in_order = in_order && int(msg.wparam) == next[t];
        next[t] = int(msg.wparam) + 1;
        ++taken;
    }
    for (auto& th : workers) th.join();
    EXPECT_TRUE(in_order);
    EXPECT_FALSE(plat::PeekMessage(&msg));
    EXPECT_EQ(failed.load(), kFailures);
    EXPECT_FALSE(plat::detail::ShouldFail("Worker.Step"));
    const auto log = headless::CallLog();
    EXPECT_EQ(std::count(log.begin(), log.end(), "Worker.Step"), kThreads * kEach);
    EXPECT_EQ(headless::DebugOutput().size(), size_t(kThreads * kEach));
    plat::DestroyWindow(w);
}

namespace {
std::vector<uint32_t> g_moves;  // the clock seen by the listener at each move
void Heard() { g_moves.push_back(plat::TimeMs()); }

struct ClockCase {
    const char* what;
    headless::Config::Clock clock;
    uint32_t start, interval;
    std::vector<uint32_t> due;  // registered before the passes
    int passes;
    std::vector<uint32_t> expect;  // the clock after each pass
};
}  // namespace

TEST(HeadlessClock, IdlePassesMoveToTheNextDueTimeOrByTheFrameInterval) {
    using C = headless::Config::Clock;
    const ClockCase cases[] = {
        {"nothing due: the frame interval", C::Virtual, 1000, 33, {}, 3, {1033, 1066, 1099}},
        {"due times in any order, each once", C::Virtual, 0, 50, {34, 10, 34, 200}, 5, {10, 34, 200, 250, 300}},
        {"a due time past the interval is one wait", C::Virtual, 0, 16, {20}, 2, {20, 36}},
        {"a tick one past the interval, then the interval", C::Virtual, 100, 33, {134}, 3, {134, 167, 200}},
        {"times already reached are forgotten", C::Virtual, 500, 33, {400, 500}, 1, {533}},
        {"across the wrap of the clock", C::Virtual, 0xFFFFFFF0u, 33, {0x10}, 2, {0x10, 0x31}},
        {"manual: passes leave it", C::Manual, 7, 33, {20}, 2, {7, 7}},
    };
    for (const ClockCase& c : cases) {
        headless::Config config;
        config.clock = c.clock;
        config.start_time = c.start;
        headless::Reset(config);
        plat::SetFrameInterval(c.interval);
        for (uint32_t at : c.due) plat::ClockDue(at);
        std::vector<uint32_t> seen;
        plat::Msg msg;
        for (int i = 0; i < c.passes; ++i) {
            EXPECT_FALSE(plat::PeekMessage(&msg));
            seen.push_back(plat::TimeMs());
        }
        EXPECT_EQ(seen, c.expect) << c.what;
    }
}

TEST(HeadlessClock, SleepsAndHandMovesReachTheListenersAndAWaitingMessageIsNoIdlePass) {
    headless::Config config;
    config.clock = headless::Config::Clock::Virtual;
    headless::Reset(config);
    g_moves.clear();
    plat::detail::AddClockListener(Heard);
    plat::detail::AddClockListener(Heard);  // added once
    plat::Sleep(250);
    headless::AdvanceTime(5);
    headless::SetTime(1000);
    plat::Window* w = plat::CreateMainWindow("t", 640, 480, Quiet);
    plat::PostMessage(w, 0x8000, 0, 0);
    plat::Msg msg;
    EXPECT_TRUE(plat::PeekMessage(&msg));   // a message: the clock stays
    EXPECT_FALSE(plat::PeekMessage(&msg));  // idle: one frame interval
    plat::detail::RemoveClockListener(Heard);
    plat::Sleep(10);
    EXPECT_EQ(g_moves, (std::vector<uint32_t>{250, 255, 1000, 1033}));
    EXPECT_EQ(plat::TimeMs(), 1043u);
    // Starting a backend again forgets due times and the interval.
    plat::SetFrameInterval(5);
    plat::ClockDue(2000);
    headless::Reset(config);
    EXPECT_FALSE(plat::PeekMessage(&msg));
    EXPECT_EQ(plat::TimeMs(), 33u);
    plat::DestroyWindow(w);
}
