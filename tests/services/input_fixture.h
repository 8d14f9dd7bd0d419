// Shared set-up for the input tests: a headless display, the devices opened on its window.
#pragma once
#include <gtest/gtest.h>

#include <memory>

#include "platform/headless/headless.h"
#include "platform/window.h"
#include "services/inp_device.h"
#include "services/key_button.h"
#include "tests/support/fixture.h"

namespace inputtest {
// Delivers a window message the way the frame driver's message loop would.
inline void Deliver(uint32_t message, uintptr_t wparam) {
    headless::PostWindowEvent(message, wparam);
    plat::Msg msg;
    while (plat::PeekMessage(&msg)) plat::DispatchMessage(msg);
}

// The window procedure's part on activation changes.
inline void Deactivate() {
    Deliver(plat::WM_ACTIVATEAPP, 0);
    INP_Unacquire();
}
inline void Activate() {
    Deliver(plat::WM_ACTIVATEAPP, 1);
    INP_Acquire();
}

// The raw axis value the devices scale to v (-100..100).
inline int32_t RawFor(int v) { return int32_t((int64_t(v + 100) * 65535 + 199) / 200) - 32768; }

class InputTest : public testing::Test {
protected:
    // Scripted state that must be in place before the devices are created.
    virtual void BeforeInit() {}
    void SetUp() override {
        display = std::make_unique<support::HeadlessDisplay>();
        ASSERT_TRUE(display->ok);
        BeforeInit();
        di = INP_Init(display->window, nullptr);
        KEY_Init(&KEY_DATA, nullptr, nullptr);
        MOUSE_FRAME = MouseFrame{};
    }
    void TearDown() override {
        INP_Term();
        display.reset();
    }
    std::unique_ptr<support::HeadlessDisplay> display;
    DIObject* di = nullptr;
};
}  // namespace inputtest
