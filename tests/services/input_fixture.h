// Shared by the input tests: the devices opened on a headless display, and set-1 key names.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "platform/headless/headless.h"
#include "platform/window.h"
#include "services/inp_device.h"
#include "services/key_button.h"
#include "tests/support/fixture.h"

namespace inputtest {
inline void Deliver(uint32_t message, uintptr_t wparam) {  // as the frame driver's message loop does
    headless::PostWindowEvent(message, wparam);
    plat::Msg msg;
    while (plat::PeekMessage(&msg)) plat::DispatchMessage(msg);
}

// The window procedure's part on activation changes.
inline void Activate(bool active) {
    Deliver(plat::WM_ACTIVATEAPP, active ? 1 : 0);
    active ? INP_Acquire() : INP_Unacquire();
}

using Values = std::vector<int64_t>;  // for comparing several results at once

inline bool AnyKeyDown() { return std::any_of(KEY_STATE, KEY_STATE + 256, [](uint8_t k) { return k & 0x80; }); }

inline uint32_t PollButtons() {  // one mouse poll: the button word, or ~0u when it failed
    uint32_t b = 0;
    return MOUSE_Poll() ? (MOUSE_GetState(nullptr, nullptr, &b), b) : ~0u;
}

// Default keys of the first twelve map entries (keypad 2 1 4 7 8 9 6 3, Z X C, keypad 5), their bits.
inline constexpr uint8_t kDefaultKeys[12] = {0x50, 0x4F, 0x4B, 0x47, 0x48, 0x49, 0x4D, 0x51, 0x2C, 0x2D, 0x2E, 0x4C};
inline constexpr uint16_t kDefaultBits[12] = {0x2, 0x6, 0x4, 0x5, 0x1, 0x9, 0x8, 0xA, 0x10, 0x20, 0x40, 0x80};
inline uint16_t DefaultBits(int code) {
    const uint8_t* k = std::find(kDefaultKeys, kDefaultKeys + 12, code);
    return k == kDefaultKeys + 12 ? 0 : kDefaultBits[k - kDefaultKeys];
}

class InputTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(display.ok);
        Restart();
    }
    void TearDown() override { INP_Term(); }
    // Opens the devices again, so scripted state set before it counts as present at start-up.
    void Restart(int joysticks = 0) {
        for (int i = 0; i < joysticks; ++i) headless::SetJoystick(i, 0, 0, 0);
        MOUSE_STATE = MouseState{};
        di = INP_Init(display.window, nullptr);
        KEY_Init(&KEY_DATA, nullptr, nullptr);
        MOUSE_FRAME = MouseFrame{};
    }
    // Joystick i at (x, y) in device units (-100..100) with those buttons down.
    static void Stick(int x, int y, uint32_t buttons = 0, int i = 0) {
        auto raw = [](int v) { return int32_t((int64_t(v + 100) * 65535 + 199) / 200) - 32768; };
        headless::SetJoystick(i, raw(x), raw(y), buttons);
    }
    support::HeadlessDisplay display;
    DIObject* di = nullptr;
};

// Set-1 codes 0x01-0x58 by SDL scancode name ('_' for a space) and US-layout X keysym; '~' for none.
inline constexpr const char* kSet1Sdl =
    "Escape 1 2 3 4 5 6 7 8 9 0 - = Backspace Tab Q W E R T Y U I O P [ ] Return Left_Ctrl A S D F G H J K L ; ' ` "
    "Left_Shift \\ Z X C V B N M , . / Right_Shift Keypad_* Left_Alt Space CapsLock F1 F2 F3 F4 F5 F6 F7 F8 F9 F10 "
    "Numlock ScrollLock Keypad_7 Keypad_8 Keypad_9 Keypad_- Keypad_4 Keypad_5 Keypad_6 Keypad_+ Keypad_1 Keypad_2 "
    "Keypad_3 Keypad_0 Keypad_. ~ ~ ~ F11 F12";
inline constexpr const char* kSet1X =
    "Escape 1 2 3 4 5 6 7 8 9 0 minus equal BackSpace Tab q w e r t y u i o p bracketleft bracketright Return "
    "Control_L a s d f g h j k l semicolon apostrophe grave Shift_L backslash z x c v b n m comma period slash "
    "Shift_R KP_Multiply Alt_L space Caps_Lock F1 F2 F3 F4 F5 F6 F7 F8 F9 F10 Num_Lock Scroll_Lock KP_Home KP_Up "
    "KP_Prior KP_Subtract KP_Left KP_Begin KP_Right KP_Add KP_End KP_Down KP_Next KP_Insert KP_Delete ~ ~ ~ F11 F12";
// The name of code 0x01..0x58 in one of those lists; empty where it has none.
inline std::string Set1Name(const char* list, int code) {
    std::istringstream words(list);
    std::string w;
    for (int c = 0; c < code; ++c) words >> w;
    if (list == kSet1Sdl) std::replace(w.begin(), w.end(), '_', ' ');
    return w == "~" ? "" : w;
}
}  // namespace inputtest
