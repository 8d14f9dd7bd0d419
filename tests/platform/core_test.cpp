// Platform core from several threads.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "platform/backend.h"
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
