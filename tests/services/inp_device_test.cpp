// The device layer: snapshots after each read, the mouse button word, joysticks, failure rules.
#include <gtest/gtest.h>

#include "tests/services/input_fixture.h"

using inputtest::AnyKeyDown;
using inputtest::InputTest;
using inputtest::PollButtons;
using TwoJoysticks = inputtest::WithJoysticks<2>;
using SixteenPlusFour = inputtest::WithJoysticks<20>;

TEST_F(InputTest, KeyboardSnapshotChangesOnlyAtARead) {
    ASSERT_NE(di, nullptr);
    headless::SetKey(0x50, true);
    headless::SetKey(0xFF, true);
    EXPECT_EQ(KEY_IsDown(0x50), 0);
    ASSERT_EQ(INP_ReadKeyboard(), 1);
    EXPECT_EQ(KEY_IsDown(0x50), 1);
    EXPECT_EQ(KEY_IsDown(0xFF), 1);
    EXPECT_EQ(KEY_IsDown(0x4F), 0);
    for (int code : {-1, 256, 0x150}) EXPECT_EQ(KEY_IsDown(code), 0) << code;  // outside the snapshot
    headless::SetKey(0x50, false);
    ASSERT_EQ(INP_ReadKeyboard(), 1);
    EXPECT_EQ(KEY_IsDown(0x50), 0);
}

TEST_F(TwoJoysticks, ActivationChangesClearEverySnapshotUntilTheNextRead) {
    headless::SetKey(0x2C, true);
    headless::SetMouse(100, 200, 0x1);
    Stick(0, 0, 0x4, 1);
    ASSERT_EQ(INP_ReadKeyboard(), 1);
    ASSERT_EQ(PollButtons(), 9u);
    ASSERT_EQ(INP_ReadJoysticks(), 1);
    ASSERT_EQ(JOY_DATA[1].buttons, 0x4u);

    inputtest::Activate(false);
    EXPECT_FALSE(AnyKeyDown());
    EXPECT_EQ(MOUSE_STATE.buttons, 0u);
    EXPECT_EQ(JOY_DATA[1].buttons, 0u);
    // While inactive every read fails and reports nothing.
    EXPECT_EQ(INP_ReadKeyboard(), 0);
    EXPECT_EQ(PollButtons(), ~0u);
    EXPECT_EQ(INP_ReadJoysticks(), 1);
    EXPECT_EQ(JOY_DATA[1].buttons, 0u);

    JOY_DATA[1].buttons = 0x4;
    inputtest::Activate(true);
    EXPECT_FALSE(AnyKeyDown());
    EXPECT_EQ(JOY_DATA[1].buttons, 0u);
    ASSERT_EQ(INP_ReadKeyboard(), 1);
    EXPECT_EQ(KEY_IsDown(0x2C), 1);
    EXPECT_EQ(PollButtons(), 1u);  // held across the change: held again, not newly pressed
    ASSERT_EQ(INP_ReadJoysticks(), 1);
    EXPECT_EQ(JOY_DATA[1].buttons, 0x4u);
}

TEST_F(TwoJoysticks, AFailedReadClearsAllSnapshotsButKeepsPositionAndWheel) {
    headless::SetKey(0x2C, true);
    headless::SetMouse(120, 130, 0x1);
    headless::TurnWheel(3);
    ASSERT_EQ(INP_ReadKeyboard(), 1);
    ASSERT_EQ(MOUSE_Poll(), 1);
    JOY_DATA[0] = JoyData{5, 6, 7};
    // The window loses the foreground before its procedure has run: the mouse read fails.
    inputtest::Deliver(plat::WM_ACTIVATEAPP, 0);
    EXPECT_EQ(MOUSE_Poll(), 0);
    EXPECT_FALSE(AnyKeyDown());
    EXPECT_EQ(JOY_DATA[0].x, 0);
    EXPECT_EQ(JOY_DATA[0].buttons, 0u);
    EXPECT_EQ(MOUSE_STATE.buttons, 0u);
    int32_t x = 0, y = 0, wheel = 0;
    MOUSE_GetState(&x, &y, nullptr);
    MOUSE_GetWheel(&wheel);
    EXPECT_EQ(x, 120);
    EXPECT_EQ(y, 130);
    EXPECT_EQ(wheel, 3 * DI_WHEEL_DELTA);

    // An unplugged joystick clears the snapshots too, and the next one is still read.
    inputtest::Activate(true);
    ASSERT_EQ(INP_ReadKeyboard(), 1);
    headless::Input().joysticks[0].attached = false;
    Stick(0, 0, 0x4, 1);
    EXPECT_EQ(INP_ReadJoysticks(), 1);
    EXPECT_EQ(KEY_IsDown(0x2C), 0);
    EXPECT_EQ(JOY_DATA[1].buttons, 0x4u);
}

// Physical buttons in, button word out, poll after poll; with the system's exchange on or off.
TEST_F(InputTest, MouseButtonWordMarksNewPresses) {
    struct Step {
        uint8_t physical;
        uint32_t plain, swapped;
    };
    const Step steps[] = {
        {0x1, 0x9, 0x12}, {0x1, 0x1, 0x2},   {0x5, 0x25, 0x26}, {0x2, 0x12, 0x9},
        {0x3, 0x0B, 0x13}, {0x8, 0x0, 0x0},  // a fourth button has no bit
    };
    for (bool swap : {false, true}) {
        SCOPED_TRACE(swap);
        MOUSE_STATE.swap = swap;
        MOUSE_STATE.previous = 0;
        for (const Step& s : steps) {
            headless::SetMouse(10, 20, s.physical);
            EXPECT_EQ(PollButtons(), swap ? s.swapped : s.plain) << int(s.physical);
        }
    }
    int32_t x = 0, y = 0;
    MOUSE_GetState(&x, &y, nullptr);
    EXPECT_EQ(x, 10);
    EXPECT_EQ(y, 20);
}

class SwappedButtons : public InputTest {
    void BeforeInit() override { headless::Input().buttons_swapped = true; }
};

TEST_F(SwappedButtons, TheSettingIsReadAtStartAndPutBack) {
    EXPECT_EQ(MOUSE_STATE.swap, 1u);
    EXPECT_TRUE(headless::Input().buttons_swapped);
    headless::SetMouse(0, 0, 0x1);
    EXPECT_EQ(PollButtons(), 0x2u | 0x10u);
    // The asynchronous snapshot exchanges too and reports new presses in bits 2-3.
    MOUSE_STATE.previous = 0;
    EXPECT_EQ(MOUSE_PollAsync(), 0x2u);
    EXPECT_EQ(MOUSE_STATE.buttons, 0x2u | 0x8u);
    EXPECT_EQ(MOUSE_PollAsync(), 0x2u);
    EXPECT_EQ(MOUSE_STATE.buttons, 0x2u);
}

TEST_F(InputTest, WheelIsARunningPositionAndSetPosPlacesThePointer) {
    const int turns[] = {1, 0, -1, -2};  // one notch, none, back, two the other way
    const int32_t want[] = {DI_WHEEL_DELTA, DI_WHEEL_DELTA, 0, -2 * DI_WHEEL_DELTA};
    for (int i = 0; i < 4; ++i) {
        headless::TurnWheel(turns[i]);
        ASSERT_EQ(MOUSE_Poll(), 1);
        int32_t w = 1;
        MOUSE_GetWheel(&w);
        EXPECT_EQ(w, want[i]) << i;
    }
    MOUSE_GetWheel(nullptr);
    for (int full : {0, 1}) {
        DD_DISPLAY.full_screen = full;
        MOUSE_SetPos(321 - full, 123 + full);
        DD_DISPLAY.full_screen = 0;
        ASSERT_EQ(MOUSE_Poll(), 1);
        EXPECT_EQ(MOUSE_STATE.x, 321 - full);
        EXPECT_EQ(MOUSE_STATE.y, 123 + full);
    }
}

TEST_F(InputTest, NoJoystickMeansNoJoystickData) {
    EXPECT_EQ(INP_GetJoystickCount(), 0);
    int32_t x = 7;
    EXPECT_EQ(INP_GetJoystick(0, &x, nullptr, nullptr), 0);
    EXPECT_EQ(x, 7);
    EXPECT_EQ(INP_ReadJoysticks(), 1);
}

TEST_F(TwoJoysticks, ReadsAxesAndAllThirtyTwoButtonsAndTermReleasesThem) {
    ASSERT_EQ(INP_GetJoystickCount(), 2);
    headless::SetJoystick(0, -32768, 32767, 0x80000041u);
    Stick(-81, 80, 0x2, 1);
    ASSERT_EQ(INP_ReadJoysticks(), 1);
    struct Want {
        int32_t x, y;
        uint32_t b;
    };
    const Want want[] = {{-100, 100, 0x80000041u}, {-81, 80, 0x2u}};
    for (int i = 0; i < 2; ++i) {
        int32_t x = 0, y = 0;
        uint32_t b = 0;
        ASSERT_EQ(INP_GetJoystick(i, &x, &y, &b), 1);
        EXPECT_EQ(x, want[i].x);
        EXPECT_EQ(y, want[i].y);
        EXPECT_EQ(b, want[i].b);
    }
    EXPECT_EQ(INP_GetJoystick(2, nullptr, nullptr, nullptr), 0);  // index equal to the count
    EXPECT_EQ(INP_GetJoystick(-1, nullptr, nullptr, nullptr), 0);

    EXPECT_EQ(headless::OpenJoysticks(), 2);
    INP_Term();
    EXPECT_EQ(headless::OpenJoysticks(), 0);
    EXPECT_EQ(INP_GetJoystickCount(), 0);
    EXPECT_EQ(INP_ReadKeyboard(), 0);
    EXPECT_EQ(MOUSE_Poll(), 0);
}

TEST_F(SixteenPlusFour, EnumerationStopsWhenTheTableIsFull) {
    EXPECT_EQ(INP_GetJoystickCount(), INP_MAX_JOYSTICKS);
    EXPECT_EQ(headless::OpenJoysticks(), INP_MAX_JOYSTICKS);
    Stick(0, 0, 0x1, 15);
    ASSERT_EQ(INP_ReadJoysticks(), 1);
    EXPECT_EQ(JOY_DATA[15].buttons, 0x1u);
    EXPECT_EQ(INP_GetJoystick(16, nullptr, nullptr, nullptr), 0);
}

class JoystickThatCannotOpen : public inputtest::WithJoysticks<3> {
    void BeforeInit() override {
        WithJoysticks<3>::BeforeInit();
        headless::Input().joysticks[1].attached = false;
    }
};

TEST_F(JoystickThatCannotOpen, CreationFailureStopsTheEnumeration) {
    EXPECT_EQ(INP_GetJoystickCount(), 1);
    EXPECT_EQ(headless::OpenJoysticks(), 1);
}

// ---- start-up failures: which devices are left ----
TEST(InputStart, EachSetUpFailureLeavesTheOtherDevices) {
    struct Case {
        const char* call;
        bool system, keyboard, mouse;
        int count, open;
    };
    const Case cases[] = {
        {"DirectInputCreate", false, false, false, 0, 0},
        {"DIDevice.SetDataFormat", true, false, true, 2, 2},  // the keyboard's is the first
        {"DIDevice.SetAxisMode", true, true, false, 2, 2},
        {"DIDevice.SetRange", true, true, true, 2, 0},  // the table is emptied, the count kept
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.call);
        support::HeadlessDisplay display;
        ASSERT_TRUE(display.ok);
        JOY_DATA.fill(JoyData{});
        headless::SetJoystick(0, 0, 0, 0x1);
        headless::SetJoystick(1, 0, 0, 0x1);
        headless::SetKey(0x2C, true);
        headless::FailCall(c.call);
        EXPECT_EQ(INP_Init(display.window, nullptr) != nullptr, c.system);
        EXPECT_EQ(INP_ReadKeyboard(), c.keyboard ? 1 : 0);
        EXPECT_EQ(MOUSE_Poll(), c.mouse ? 1 : 0);
        EXPECT_EQ(INP_GetJoystickCount(), c.count);
        EXPECT_EQ(headless::OpenJoysticks(), c.open);
        EXPECT_EQ(INP_ReadJoysticks(), 1);
        uint32_t b = 99;
        EXPECT_EQ(INP_GetJoystick(0, nullptr, nullptr, &b), c.count ? 1 : 0);
        EXPECT_EQ(b, c.count ? (c.open ? 1u : 0u) : 99u);  // empty slots are skipped and stay zero
        INP_Acquire();
        INP_Unacquire();
        EXPECT_FALSE(headless::DebugOutput().empty());
        INP_Term();
    }
}

TEST(InputStart, StartingInAnInactiveWindowWaitsForActivation) {
    support::HeadlessDisplay display;
    ASSERT_TRUE(display.ok);
    inputtest::Deliver(plat::WM_ACTIVATEAPP, 0);
    headless::SetKey(0x2C, true);
    ASSERT_NE(INP_Init(display.window, nullptr), nullptr);
    EXPECT_EQ(INP_ReadKeyboard(), 0);
    inputtest::Activate(true);
    EXPECT_EQ(INP_ReadKeyboard(), 1);
    EXPECT_EQ(KEY_IsDown(0x2C), 1);
    INP_Term();
}
