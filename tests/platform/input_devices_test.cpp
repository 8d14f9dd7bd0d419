// Input devices on the headless backend: acquisition follows the window, reads and their refusals.
#include "platform/input.h"
#include "tests/services/input_fixture.h"

using Results = std::vector<HRESULT>;
using inputtest::InputTest;

TEST_F(InputTest, DeviceRefusalsAcquisitionFollowingTheWindowAndAsyncState) {
    DIDevice* d = nullptr;
    plat::Window* window = display.window;
    EXPECT_EQ(Results({di->CreateDevice(0x55, &d), d == nullptr, di->CreateDevice(DIGUID_JOYSTICK0, &d)}),
              Results({DIERR_DEVICENOTREG, true, DIERR_DEVICENOTREG}));  // unknown; no joystick attached
    ASSERT_EQ(di->CreateDevice(DIGUID_SYSKEYBOARD, &d), DI_OK);
    constexpr uint32_t kFg = DISCL_NONEXCLUSIVE | DISCL_FOREGROUND;
    uint8_t keys[300];
    // No data format yet, the wrong one, no window for the foreground, both levels, a keyboard range.
    EXPECT_EQ(Results({d->Acquire(), d->SetDataFormat(DIDataFormat::Mouse), d->SetCooperativeLevel(nullptr, kFg),
                       d->SetCooperativeLevel(window, kFg | DISCL_EXCLUSIVE), d->SetRange(DIJOFS_X, -100, 100)}),
              Results(5, DIERR_INVALIDPARAM));
    EXPECT_EQ(Results({d->SetDataFormat(DIDataFormat::Keyboard), d->SetCooperativeLevel(window, kFg),
                       d->GetDeviceState(256, keys), d->Acquire(), d->GetDeviceState(255, keys),
                       d->GetDeviceState(256, nullptr), d->GetDeviceState(256, keys)}),
              Results({0, 0, DIERR_NOTACQUIRED, 0, DIERR_INVALIDPARAM, DIERR_INVALIDPARAM, 0}));
    inputtest::Deliver(plat::WM_ACTIVATEAPP, 0);
    EXPECT_EQ(Results({d->GetDeviceState(256, keys), d->Acquire()}), Results({DIERR_INPUTLOST, DIERR_OTHERAPPHASPRIO}));
    inputtest::Deliver(plat::WM_ACTIVATEAPP, 1);
    EXPECT_EQ(d->GetDeviceState(256, keys), DIERR_NOTACQUIRED);  // lost stays lost until acquired
    d->Release();
    // The asynchronous state reads keys and physical buttons.
    headless::SetKey(0x2C, true);  // Z
    headless::SetKey(0x36, true);  // right shift
    headless::SetMouse(0, 0, 0x2);
    const std::pair<int, bool> vks[] = {{'Z', true},  {'X', false},           {0x10, true},
                                        {0xE9, false}, {plat::VK_LBUTTON, false}, {plat::VK_RBUTTON, true}};
    for (auto [vk, down] : vks) EXPECT_EQ((plat::GetAsyncKeyState(vk) & 0x8000) != 0, down) << vk;
    // Letters, digits, keypad and arrows land on their physical keys.
    const std::pair<int, int> codes[] = {{'A', 0x1E}, {'M', 0x32}, {'0', 0x0B}, {0x62, 0x50}, {0x26, 0xC8}};
    for (auto [vk, code] : codes) EXPECT_EQ(plat::KeyCodeForVirtualKey(vk), code) << vk;
}

TEST_F(InputTest, JoystickAxesScaleMonotonicallyToTheRange) {
    DIDevice* d = nullptr;
    headless::SetJoystick(0, -32768, 32767, 0);
    DIJOYSTATE st;
    ASSERT_EQ(Results({di->CreateDevice(DIGUID_JOYSTICK0, &d), d->SetDataFormat(DIDataFormat::Joystick),
                       d->SetCooperativeLevel(display.window, DISCL_NONEXCLUSIVE | DISCL_BACKGROUND),
                       d->SetRange(DIJOFS_X, -100, 100), d->SetRange(DIJOFS_Y, -100, 100), d->Acquire(),
                       d->SetRange(DIJOFS_X, -5, 5), d->Poll(), d->GetDeviceState(sizeof st, &st), st.lX, st.lY}),
              Results({0, 0, 0, 0, 0, 0, DIERR_GENERIC, 0, 0, -100, 100}));  // the range is fixed while acquired
    for (int32_t raw = -32768, last = -100; raw <= 32767 + 64; raw += 64, last = st.lX) {
        headless::Input().joysticks[0].x = std::min(raw, 32767);
        ASSERT_EQ(d->GetDeviceState(sizeof st, &st), DI_OK);
        ASSERT_TRUE(st.lX >= last && st.lX <= 100 && (raw == 0) <= (st.lX == 0)) << raw;
    }
    EXPECT_EQ(st.lX, 100);
    // Unplugged: the read fails and the device is no longer acquired.
    headless::Input().joysticks[0].attached = false;
    EXPECT_EQ(d->GetDeviceState(sizeof st, &st), DIERR_INPUTLOST);
    EXPECT_FALSE(d->IsAcquired());
    d->Release();
    EXPECT_EQ(headless::OpenJoysticks(), 0);
}

// The game hides the system pointer over its window and draws its own cursor.
TEST(SystemPointer, NullLookAndTheDisplayCountHideIt) {
    headless::Reset({});
    EXPECT_TRUE(headless::PointerShown());
    const plat::HCURSOR arrow = plat::SetCursor(nullptr);
    EXPECT_NE(arrow, nullptr);
    EXPECT_FALSE(headless::PointerShown());
    EXPECT_EQ(plat::SetCursor(nullptr), nullptr);  // again: no change
    EXPECT_EQ(plat::SetCursor(arrow), nullptr);
    EXPECT_TRUE(headless::PointerShown());
    // The count: hidden below 0, whatever the look.
    const std::pair<bool, int> steps[] = {{false, -1}, {false, -2}, {true, -1}, {true, 0}, {true, 1}, {false, 0}};
    for (auto [show, count] : steps) {
        EXPECT_EQ(plat::ShowCursor(show), count);
        EXPECT_EQ(headless::PointerShown(), count >= 0) << count;
    }
    plat::SetCursor(nullptr);
    headless::Reset({});  // a new backend starts with the arrow shown
    EXPECT_TRUE(headless::PointerShown());
    EXPECT_EQ(plat::ShowCursor(false), -1);
}
