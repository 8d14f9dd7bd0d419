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
inline void Activate(bool active) {
    Deliver(plat::WM_ACTIVATEAPP, active ? 1 : 0);
    active ? INP_Acquire() : INP_Unacquire();
}

// The raw axis value the devices scale to v (-100..100).
inline int32_t RawFor(int v) { return int32_t((int64_t(v + 100) * 65535 + 199) / 200) - 32768; }

inline bool AnyKeyDown() {
    for (int k = 0; k < 256; ++k)
        if (KEY_IsDown(k)) return true;
    return false;
}

// One mouse poll; the button word, or ~0u when the poll failed.
inline uint32_t PollButtons() {
    uint32_t b = 0;
    if (!MOUSE_Poll()) return ~0u;
    MOUSE_GetState(nullptr, nullptr, &b);
    return b;
}

class InputTest : public testing::Test {
protected:
    // Scripted state that must be in place before the devices are created.
    virtual void BeforeInit() {}
    void SetUp() override {
        display = std::make_unique<support::HeadlessDisplay>();
        ASSERT_TRUE(display->ok);
        BeforeInit();
        MOUSE_STATE = MouseState{};
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

// Joysticks attached before start-up (0..n-1, centred, nothing pressed).
template <int N>
class WithJoysticks : public InputTest {
protected:
    void BeforeInit() override {
        for (int i = 0; i < N; ++i) headless::SetJoystick(i, 0, 0, 0);
    }
    // Joystick i at (x, y) in device units with those buttons down.
    void Stick(int x, int y, uint32_t buttons = 0, int i = 0) {
        headless::SetJoystick(i, RawFor(x), RawFor(y), buttons);
    }
};
}  // namespace inputtest
