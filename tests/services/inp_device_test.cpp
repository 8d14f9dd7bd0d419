// The device layer: snapshots after each read, the mouse button word, joysticks, failure rules.
#include "tests/services/input_fixture.h"

using namespace inputtest;

TEST_F(InputTest, ActivationAndFailedReadsClearEverySnapshotUntilTheNextRead) {
    Restart(2);
    headless::SetKey(0x2C, true);
    headless::SetKey(0xFF, true);
    headless::SetMouse(100, 200, 0x1);
    headless::TurnWheel(3);
    Stick(0, 0, 0x4, 1);
    EXPECT_EQ(KEY_IsDown(0x2C), 0);  // nothing until a read
    auto reads = [] { return Values({INP_ReadKeyboard(), PollButtons(), INP_ReadJoysticks(), JOY_DATA[1].buttons}); };
    ASSERT_EQ(reads(), Values({1, 9, 1, 4}));
    EXPECT_EQ(KEY_IsDown(0x2C) + KEY_IsDown(0xFF), 2);
    for (int code : {0x2D, -1, 256, 0x150}) EXPECT_EQ(KEY_IsDown(code), 0) << code;
    Activate(false);
    EXPECT_EQ(Values({AnyKeyDown(), MOUSE_STATE.buttons, JOY_DATA[1].buttons}), Values(3, 0));
    EXPECT_EQ(reads(), Values({0, ~0u, 1, 0}));  // while inactive every read fails and reports nothing
    JOY_DATA[1].buttons = 0x4;
    Activate(true);
    EXPECT_EQ(Values({AnyKeyDown(), JOY_DATA[1].buttons}), Values(2, 0));
    EXPECT_EQ(reads(), Values({1, 1, 1, 4}));  // held across the change: held again, not newly pressed
    EXPECT_EQ(KEY_IsDown(0x2C), 1);
    // Losing the foreground before the procedure runs: the failed read clears all but position and wheel.
    JOY_DATA[0] = JoyData{5, 6, 7};
    Deliver(plat::WM_ACTIVATEAPP, 0);
    EXPECT_EQ(Values({MOUSE_Poll(), AnyKeyDown(), JOY_DATA[0].x, JOY_DATA[0].buttons, JOY_DATA[1].buttons,
                      MOUSE_STATE.buttons}),
              Values(6, 0));
    int32_t x = 0, y = 0, wheel = 0;
    MOUSE_GetState(&x, &y, nullptr);
    MOUSE_GetWheel(&wheel);
    EXPECT_EQ(Values({x, y, wheel}), Values({100, 200, 3 * DI_WHEEL_DELTA}));
    // An unplugged pad clears only its own data: the keyboard and the next pad read on.
    Activate(true);
    ASSERT_EQ(INP_ReadKeyboard(), 1);
    Stick(0, 0, 0x1, 0);
    ASSERT_EQ(Values({INP_ReadJoysticks(), JOY_DATA[0].buttons}), Values({1, 1}));
    headless::Input().joysticks[0].attached = false;
    EXPECT_EQ(INP_ReadJoysticks(), 1);
    EXPECT_EQ(Values({INP_ReadKeyboard(), KEY_IsDown(0x2C), JOY_DATA[0].buttons, JOY_DATA[1].buttons}),
              Values({1, 1, 0, 4}));
    // Plugged back, it stays away until the next activation opens it again.
    Stick(0, 0, 0x2, 0);
    EXPECT_EQ(Values({INP_ReadJoysticks(), JOY_DATA[0].buttons, INP_ReadKeyboard()}), Values({1, 0, 1}));
    Activate(false);
    Activate(true);
    EXPECT_EQ(Values({INP_ReadJoysticks(), JOY_DATA[0].buttons, JOY_DATA[1].buttons}), Values({1, 2, 4}));
    headless::SetKey(0x2C, false);
    EXPECT_EQ(Values({INP_ReadKeyboard(), KEY_IsDown(0x2C), KEY_IsDown(0xFF)}), Values({1, 0, 1}));
}

TEST_F(InputTest, MouseButtonWordWheelAndPointer) {
    // Physical buttons in; the word out plain and with the system's exchange; a 4th button has no bit.
    const uint32_t steps[][3] = {{0x1, 0x9, 0x12}, {0x1, 0x1, 0x2},   {0x5, 0x25, 0x26},
                                 {0x2, 0x12, 0x9}, {0x3, 0x0B, 0x13}, {0x8, 0x0, 0x0}};
    for (uint32_t swap : {0, 1}) {
        MOUSE_STATE.swap = swap;
        MOUSE_STATE.previous = 0;
        for (const auto& s : steps) {
            headless::SetMouse(10, 20, uint8_t(s[0]));
            EXPECT_EQ(PollButtons(), s[1 + swap]) << swap << " " << s[0];
        }
    }
    // The wheel is a running position: turns of 1, 0, -1 and -2 notches.
    const int turns[][2] = {{1, 1}, {0, 1}, {-1, 0}, {-2, -2}};
    for (const auto& t : turns) {
        headless::TurnWheel(t[0]);
        int32_t w = 1;
        EXPECT_EQ(Values({MOUSE_Poll(), (MOUSE_GetWheel(&w), w)}), Values({1, t[1] * DI_WHEEL_DELTA})) << t[0];
    }
    MOUSE_GetWheel(nullptr);
    for (int full : {0, 1}) {
        DD_DISPLAY.full_screen = full;
        MOUSE_SetPos(321 - full, 123 + full);
        DD_DISPLAY.full_screen = 0;
        EXPECT_EQ(Values({MOUSE_Poll(), MOUSE_STATE.x, MOUSE_STATE.y}), Values({1, 321 - full, 123 + full}));
    }
    // The exchange is read at start-up and put back; the asynchronous read exchanges too, new presses in bits 2-3.
    headless::Input().buttons_swapped = true;
    Restart();
    headless::SetMouse(0, 0, 0x1);
    EXPECT_EQ(Values({MOUSE_STATE.swap, headless::Input().buttons_swapped, PollButtons()}), Values({1, 1, 0x12}));
    MOUSE_STATE.previous = 0;
    EXPECT_EQ(Values({MOUSE_PollAsync(), MOUSE_STATE.buttons, MOUSE_PollAsync(), MOUSE_STATE.buttons}),
              Values({2, 0xA, 2, 2}));
}

TEST_F(InputTest, JoysticksUpToSixteenAndSetUpFailuresLeaveTheOtherDevices) {
    int32_t x = 7, y = 0;
    uint32_t b = 0;
    EXPECT_EQ(Values({INP_GetJoystickCount(), INP_GetJoystick(0, &x, nullptr, nullptr), x, INP_ReadJoysticks()}),
              Values({0, 0, 7, 1}));
    Restart(2);
    headless::SetJoystick(0, -32768, 32767, 0x80000041u);
    Stick(-81, 80, 0x2, 1);
    ASSERT_EQ(Values({INP_GetJoystickCount(), headless::OpenJoysticks(), INP_ReadJoysticks()}), Values({2, 2, 1}));
    const Values want[2] = {{1, -100, 100, 0x80000041u}, {1, -81, 80, 0x2}};
    for (int i = 0; i < 2; ++i) EXPECT_EQ(Values({INP_GetJoystick(i, &x, &y, &b), x, y, b}), want[i]) << i;
    for (int i : {2, -1}) EXPECT_EQ(INP_GetJoystick(i, nullptr, nullptr, nullptr), 0) << i;
    INP_Term();
    EXPECT_EQ(Values({headless::OpenJoysticks(), INP_GetJoystickCount(), INP_ReadKeyboard(), MOUSE_Poll()}),
              Values({0, 0, 0, 0}));
    // The table holds sixteen: enumeration stops there and leaves the others closed.
    Restart(20);
    EXPECT_EQ(Values({INP_GetJoystickCount(), headless::OpenJoysticks()}), Values({16, 16}));
    Stick(0, 0, 0x1, 15);
    EXPECT_EQ(Values({INP_ReadJoysticks(), JOY_DATA[15].buttons, INP_GetJoystick(16, nullptr, nullptr, nullptr)}),
              Values({1, 1, 0}));
    // A joystick that cannot be opened stops the enumeration.
    headless::Input().joysticks = {{}, {0, 0, 0, false}, {}};
    Restart();
    EXPECT_EQ(Values({INP_GetJoystickCount(), headless::OpenJoysticks()}), Values({1, 1}));
    // Start-up failures leave the other devices: system, keyboard, mouse, joystick count, open, read, found, buttons.
    const std::pair<const char*, Values> cases[] = {
        {"DirectInputCreate", {0, 0, 0, 0, 0, 1, 0, 99}},
        {"DIDevice.SetDataFormat", {1, 0, 1, 2, 2, 1, 1, 1}},  // the keyboard's is the first
        {"DIDevice.SetAxisMode", {1, 1, 0, 2, 2, 1, 1, 1}},
        {"DIDevice.SetRange", {1, 1, 1, 2, 0, 1, 1, 0}},  // the table is emptied, the count kept: slots stay zero
    };
    headless::SetKey(0x2C, true);
    for (const auto& [call, want] : cases) {
        headless::Input().joysticks.assign(2, {0, 0, 0x1, true});
        JOY_DATA.fill(JoyData{});
        headless::ClearDebugOutput();
        headless::FailCall(call);
        Restart();
        uint32_t b = 99;
        const Values got = {di != nullptr,       INP_ReadKeyboard(),  MOUSE_Poll(),
                            INP_GetJoystickCount(), headless::OpenJoysticks(), INP_ReadJoysticks(),
                            INP_GetJoystick(0, nullptr, nullptr, &b), b};
        EXPECT_EQ(got, want) << call;
        INP_Acquire();
        INP_Unacquire();
        EXPECT_FALSE(headless::DebugOutput().empty()) << call;
    }
    Deliver(plat::WM_ACTIVATEAPP, 0);
    Restart();
    EXPECT_EQ(INP_ReadKeyboard(), 0);
    Activate(true);
    EXPECT_EQ(Values({INP_ReadKeyboard(), KEY_IsDown(0x2C)}), Values({1, 1}));
}
