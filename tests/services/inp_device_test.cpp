// The device layer: snapshots after each read, the mouse button word, joysticks, failure rules.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/services/input_fixture.h"

using inputtest::InputTest;

namespace {
bool AnyKeyDown() {
    for (int k = 0; k < 256; ++k)
        if (KEY_IsDown(k)) return true;
    return false;
}

uint32_t PollButtons() {
    EXPECT_EQ(MOUSE_Poll(), 1);
    uint32_t b = 0;
    MOUSE_GetState(nullptr, nullptr, &b);
    return b;
}
}  // namespace

TEST_F(InputTest, KeyboardSnapshotFollowsTheDevice) {
    ASSERT_NE(di, nullptr);
    headless::SetKey(0x50, true);
    headless::SetKey(0xFF, true);
    EXPECT_EQ(KEY_IsDown(0x50), 0);  // nothing until the read
    ASSERT_EQ(INP_ReadKeyboard(), 1);
    EXPECT_EQ(KEY_IsDown(0x50), 1);
    EXPECT_EQ(KEY_IsDown(0xFF), 1);
    EXPECT_EQ(KEY_IsDown(0x4F), 0);
    // Codes outside the snapshot are never down.
    EXPECT_EQ(KEY_IsDown(-1), 0);
    EXPECT_EQ(KEY_IsDown(256), 0);
    EXPECT_EQ(KEY_IsDown(0x150), 0);
    headless::SetKey(0x50, false);
    ASSERT_EQ(INP_ReadKeyboard(), 1);
    EXPECT_EQ(KEY_IsDown(0x50), 0);
}

TEST_F(InputTest, DeactivationClearsEverySnapshotUntilTheNextRead) {
    headless::SetKey(0x2C, true);
    headless::SetMouse(100, 200, 0x1);
    headless::SetJoystick(0, 0, 0, 0x1);  // attached after start-up: not a device here
    ASSERT_EQ(INP_ReadKeyboard(), 1);
    EXPECT_EQ(PollButtons(), 9u);
    ASSERT_EQ(KEY_IsDown(0x2C), 1);

    inputtest::Deactivate();
    EXPECT_FALSE(AnyKeyDown());
    EXPECT_EQ(MOUSE_STATE.buttons, 0u);
    // While inactive every read fails and reports nothing.
    EXPECT_EQ(INP_ReadKeyboard(), 0);
    EXPECT_EQ(MOUSE_Poll(), 0);
    EXPECT_FALSE(AnyKeyDown());

    inputtest::Activate();
    EXPECT_FALSE(AnyKeyDown());
    ASSERT_EQ(INP_ReadKeyboard(), 1);
    EXPECT_EQ(KEY_IsDown(0x2C), 1);
    // The button was held across the change: held again, not newly pressed.
    EXPECT_EQ(PollButtons(), 1u);
}

TEST_F(InputTest, FailedReadClearsAllSnapshotsButKeepsPositionAndWheel) {
    headless::SetKey(0x2C, true);
    headless::SetMouse(120, 130, 0x1);
    headless::TurnWheel(3);
    ASSERT_EQ(INP_ReadKeyboard(), 1);
    ASSERT_EQ(MOUSE_Poll(), 1);
    JOY_DATA[0] = JoyData{5, 6, 7};

    // The window loses the foreground before its procedure has run: the next read fails.
    headless::PostWindowEvent(plat::WM_ACTIVATEAPP, 0);
    plat::Msg msg;
    while (plat::PeekMessage(&msg)) plat::DispatchMessage(msg);
    EXPECT_EQ(MOUSE_Poll(), 0);
    EXPECT_FALSE(AnyKeyDown());
    EXPECT_EQ(JOY_DATA[0].buttons, 0u);
    EXPECT_EQ(JOY_DATA[0].x, 0);
    EXPECT_EQ(MOUSE_STATE.buttons, 0u);
    int32_t x = 0, y = 0, wheel = 0;
    MOUSE_GetState(&x, &y, nullptr);
    MOUSE_GetWheel(&wheel);
    EXPECT_EQ(x, 120);
    EXPECT_EQ(y, 130);
    EXPECT_EQ(wheel, 3 * DI_WHEEL_DELTA);
}

TEST_F(InputTest, MouseButtonWordMarksNewPresses) {
    headless::SetMouse(10, 20, 0x1);
    EXPECT_EQ(PollButtons(), 9u);  // held left + newly pressed left
    EXPECT_EQ(PollButtons(), 1u);
    EXPECT_EQ(PollButtons(), 1u);
    headless::SetMouse(10, 20, 0x5);
    EXPECT_EQ(PollButtons(), 0x5u | 0x20u);  // middle joins
    headless::SetMouse(10, 20, 0x2);
    EXPECT_EQ(PollButtons(), 0x2u | 0x10u);
    headless::SetMouse(10, 20, 0x8);  // a fourth button has no bit
    EXPECT_EQ(PollButtons(), 0u);
    int32_t x = 0, y = 0;
    MOUSE_GetState(&x, &y, nullptr);
    EXPECT_EQ(x, 10);
    EXPECT_EQ(y, 20);
}

TEST_F(InputTest, WheelIsARunningPosition) {
    int32_t start = 0, w = 0;
    ASSERT_EQ(MOUSE_Poll(), 1);
    MOUSE_GetWheel(&start);
    headless::TurnWheel(1);
    ASSERT_EQ(MOUSE_Poll(), 1);
    MOUSE_GetWheel(&w);
    EXPECT_EQ(w, start + DI_WHEEL_DELTA);
    ASSERT_EQ(MOUSE_Poll(), 1);  // no movement: the position stays
    MOUSE_GetWheel(&w);
    EXPECT_EQ(w, start + DI_WHEEL_DELTA);
    headless::TurnWheel(-1);
    ASSERT_EQ(MOUSE_Poll(), 1);
    MOUSE_GetWheel(&w);
    EXPECT_EQ(w, start);
    MOUSE_GetWheel(nullptr);  // accepted
}

TEST_F(InputTest, SetPosMovesThePointerInWindowAndFullScreen) {
    MOUSE_SetPos(321, 123);
    ASSERT_EQ(MOUSE_Poll(), 1);
    EXPECT_EQ(MOUSE_STATE.x, 321);
    EXPECT_EQ(MOUSE_STATE.y, 123);
    DD_DISPLAY.full_screen = 1;
    MOUSE_SetPos(5, 470);
    DD_DISPLAY.full_screen = 0;
    ASSERT_EQ(MOUSE_Poll(), 1);
    EXPECT_EQ(MOUSE_STATE.x, 5);
    EXPECT_EQ(MOUSE_STATE.y, 470);
}

TEST_F(InputTest, NoJoystickMeansNoJoystickData) {
    EXPECT_EQ(INP_GetJoystickCount(), 0);
    int32_t x = 7;
    EXPECT_EQ(INP_GetJoystick(0, &x, nullptr, nullptr), 0);
    EXPECT_EQ(x, 7);
    EXPECT_EQ(INP_ReadJoysticks(), 1);
}

class SwappedButtons : public InputTest {
    void BeforeInit() override { headless::Input().buttons_swapped = true; }
};

TEST_F(SwappedButtons, PhysicalButtonZeroLandsInBitOne) {
    EXPECT_EQ(MOUSE_STATE.swap, 1u);
    EXPECT_TRUE(headless::Input().buttons_swapped);  // the system setting is put back
    headless::SetMouse(0, 0, 0x1);
    EXPECT_EQ(PollButtons(), 0x2u | 0x10u);
    headless::SetMouse(0, 0, 0x2);
    EXPECT_EQ(PollButtons(), 0x1u | 0x08u);
    headless::SetMouse(0, 0, 0x4);  // middle stays
    EXPECT_EQ(PollButtons(), 0x4u | 0x20u);
    // The asynchronous snapshot exchanges too and reports new presses in bits 2-3.
    headless::SetMouse(0, 0, 0x1);
    EXPECT_EQ(MOUSE_PollAsync(), 0x2u);
    EXPECT_EQ(MOUSE_STATE.buttons, 0x2u | 0x8u);
    EXPECT_EQ(MOUSE_PollAsync(), 0x2u);
    EXPECT_EQ(MOUSE_STATE.buttons, 0x2u);
}

class TwoJoysticks : public InputTest {
    void BeforeInit() override {
        headless::SetJoystick(0, 0, 0, 0);
        headless::SetJoystick(1, 0, 0, 0);
    }
};

TEST_F(TwoJoysticks, ReadsAxesAndAllThirtyTwoButtons) {
    ASSERT_EQ(INP_GetJoystickCount(), 2);
    headless::SetJoystick(0, -32768, 32767, 0x80000041u);
    headless::SetJoystick(1, inputtest::RawFor(-81), inputtest::RawFor(80), 0x2);
    ASSERT_EQ(INP_ReadJoysticks(), 1);
    int32_t x = 0, y = 0;
    uint32_t b = 0;
    ASSERT_EQ(INP_GetJoystick(0, &x, &y, &b), 1);
    EXPECT_EQ(x, -100);
    EXPECT_EQ(y, 100);
    EXPECT_EQ(b, 0x80000041u);
    ASSERT_EQ(INP_GetJoystick(1, &x, &y, &b), 1);
    EXPECT_EQ(x, -81);
    EXPECT_EQ(y, 80);
    EXPECT_EQ(b, 0x2u);
    EXPECT_EQ(INP_GetJoystick(2, &x, &y, &b), 0);  // index equal to the count
    EXPECT_EQ(INP_GetJoystick(-1, &x, &y, &b), 0);
}

TEST_F(TwoJoysticks, AnUnpluggedJoystickClearsTheSnapshotsAndTheOtherStillReads) {
    headless::SetKey(0x2C, true);
    ASSERT_EQ(INP_ReadKeyboard(), 1);
    headless::Input().joysticks[0].attached = false;
    headless::SetJoystick(1, 0, 0, 0x4);
    EXPECT_EQ(INP_ReadJoysticks(), 1);
    EXPECT_EQ(KEY_IsDown(0x2C), 0);
    EXPECT_EQ(JOY_DATA[0].buttons, 0u);
    EXPECT_EQ(JOY_DATA[1].buttons, 0x4u);  // read after the failure
}

TEST_F(TwoJoysticks, ActivationChangesClearJoystickData) {
    headless::SetJoystick(1, 0, 0, 0x4);
    ASSERT_EQ(INP_ReadJoysticks(), 1);
    ASSERT_EQ(JOY_DATA[1].buttons, 0x4u);
    inputtest::Deactivate();
    EXPECT_EQ(JOY_DATA[1].buttons, 0u);
    inputtest::Activate();
    EXPECT_EQ(JOY_DATA[1].buttons, 0u);
    ASSERT_EQ(INP_ReadJoysticks(), 1);
    EXPECT_EQ(JOY_DATA[1].buttons, 0x4u);
}

TEST_F(TwoJoysticks, TermReleasesEveryDevice) {
    EXPECT_EQ(headless::OpenJoysticks(), 2);
    INP_Term();
    EXPECT_EQ(headless::OpenJoysticks(), 0);
    EXPECT_EQ(INP_GetJoystickCount(), 0);
    EXPECT_EQ(INP_ReadKeyboard(), 0);
    EXPECT_EQ(MOUSE_Poll(), 0);
}

class TwentyJoysticks : public InputTest {
    void BeforeInit() override {
        for (int i = 0; i < 20; ++i) headless::SetJoystick(i, 0, 0, 0);
    }
};

TEST_F(TwentyJoysticks, EnumerationStopsWhenTheTableIsFull) {
    EXPECT_EQ(INP_GetJoystickCount(), INP_MAX_JOYSTICKS);
    EXPECT_EQ(headless::OpenJoysticks(), INP_MAX_JOYSTICKS);
    headless::SetJoystick(15, 0, 0, 0x1);
    ASSERT_EQ(INP_ReadJoysticks(), 1);
    EXPECT_EQ(JOY_DATA[15].buttons, 0x1u);
    EXPECT_EQ(INP_GetJoystick(16, nullptr, nullptr, nullptr), 0);
}

class JoystickThatCannotOpen : public InputTest {
    void BeforeInit() override {
        headless::SetJoystick(0, 0, 0, 0);
        headless::SetJoystick(1, 0, 0, 0);
        headless::SetJoystick(2, 0, 0, 0);
        headless::Input().joysticks[1].attached = false;
    }
};

TEST_F(JoystickThatCannotOpen, CreationFailureStopsTheEnumeration) {
    EXPECT_EQ(INP_GetJoystickCount(), 1);
    EXPECT_EQ(headless::OpenJoysticks(), 1);
}

// ---- start-up failures ----
class StartFailure : public testing::Test {
protected:
    void Start(const char* call, int times = 1) {
        display = std::make_unique<support::HeadlessDisplay>();
        ASSERT_TRUE(display->ok);
        headless::SetJoystick(0, 0, 0, 0x1);
        headless::SetJoystick(1, 0, 0, 0x1);
        headless::SetKey(0x2C, true);
        headless::SetMouse(1, 2, 0x1);
        headless::FailCall(call, times);
        di = INP_Init(display->window, nullptr);
    }
    void TearDown() override {
        INP_Term();
        display.reset();
    }
    std::unique_ptr<support::HeadlessDisplay> display;
    DIObject* di = nullptr;
};

TEST_F(StartFailure, NoInputSystemMeansNoDevices) {
    Start("DirectInputCreate");
    EXPECT_EQ(di, nullptr);
    EXPECT_EQ(INP_ReadKeyboard(), 0);
    EXPECT_EQ(MOUSE_Poll(), 0);
    EXPECT_EQ(INP_GetJoystickCount(), 0);
    EXPECT_EQ(INP_ReadJoysticks(), 1);
    INP_Acquire();  // nothing to acquire: no crash
    INP_Unacquire();
    EXPECT_FALSE(headless::DebugOutput().empty());
}

TEST_F(StartFailure, KeyboardSetUpFailureLeavesTheOthers) {
    Start("DIDevice.SetDataFormat");  // the keyboard's is the first
    ASSERT_NE(di, nullptr);
    EXPECT_EQ(INP_ReadKeyboard(), 0);
    EXPECT_EQ(MOUSE_Poll(), 1);
    EXPECT_EQ(INP_GetJoystickCount(), 2);
}

TEST_F(StartFailure, MouseAxisModeFailureLeavesNoMouse) {
    Start("DIDevice.SetAxisMode");
    EXPECT_EQ(MOUSE_Poll(), 0);
    EXPECT_EQ(INP_ReadKeyboard(), 1);
}

TEST_F(StartFailure, JoystickRangeFailureEmptiesTheTableButKeepsTheCount) {
    Start("DIDevice.SetRange");
    EXPECT_EQ(INP_GetJoystickCount(), 2);
    EXPECT_EQ(headless::OpenJoysticks(), 0);
    EXPECT_EQ(INP_ReadJoysticks(), 1);
    uint32_t b = 99;
    EXPECT_EQ(INP_GetJoystick(0, nullptr, nullptr, &b), 1);
    EXPECT_EQ(b, 0u);  // empty slots are skipped and stay zero
}

TEST_F(StartFailure, StartingInAnInactiveWindowWaitsForActivation) {
    display = std::make_unique<support::HeadlessDisplay>();
    ASSERT_TRUE(display->ok);
    inputtest::Deliver(plat::WM_ACTIVATEAPP, 0);
    headless::SetKey(0x2C, true);
    di = INP_Init(display->window, nullptr);
    ASSERT_NE(di, nullptr);
    EXPECT_EQ(INP_ReadKeyboard(), 0);
    inputtest::Activate();
    EXPECT_EQ(INP_ReadKeyboard(), 1);
    EXPECT_EQ(KEY_IsDown(0x2C), 1);
}
