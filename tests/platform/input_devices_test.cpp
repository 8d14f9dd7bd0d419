// Input devices on the headless backend: acquisition follows the window, reads and their refusals.
#include "platform/input.h"
#include "tests/services/input_fixture.h"

namespace {
class Devices : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(display.ok && DirectInputCreate(&di) == DI_OK); }
    void TearDown() override { di->Release(); }
    support::HeadlessDisplay display;
    plat::Window* window = display.window;
    DIObject* di = nullptr;
};
}  // namespace

TEST_F(Devices, RefusalsAndAcquisitionFollowingTheWindow) {
    DIDevice* kb = nullptr;
    ASSERT_EQ(di->CreateDevice(DIGUID_SYSKEYBOARD, &kb), DI_OK);
    EXPECT_EQ(kb->Acquire(), DIERR_INVALIDPARAM);  // no data format yet
    EXPECT_EQ(kb->SetDataFormat(DIDataFormat::Mouse), DIERR_INVALIDPARAM);
    EXPECT_EQ(kb->SetCooperativeLevel(nullptr, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND), DIERR_INVALIDPARAM);
    EXPECT_EQ(kb->SetCooperativeLevel(window, DISCL_EXCLUSIVE | DISCL_NONEXCLUSIVE | DISCL_FOREGROUND), DIERR_INVALIDPARAM);
    EXPECT_EQ(kb->SetRange(DIJOFS_X, -100, 100), DIERR_INVALIDPARAM);
    ASSERT_EQ(kb->SetDataFormat(DIDataFormat::Keyboard), DI_OK);
    ASSERT_EQ(kb->SetCooperativeLevel(window, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND), DI_OK);
    uint8_t keys[300];
    EXPECT_EQ(kb->GetDeviceState(256, keys), DIERR_NOTACQUIRED);
    ASSERT_EQ(kb->Acquire(), DI_OK);
    EXPECT_EQ(kb->GetDeviceState(255, keys), DIERR_INVALIDPARAM);
    EXPECT_EQ(kb->GetDeviceState(256, nullptr), DIERR_INVALIDPARAM);
    inputtest::Deliver(plat::WM_ACTIVATEAPP, 0);
    EXPECT_EQ(kb->GetDeviceState(256, keys), DIERR_INPUTLOST);
    EXPECT_EQ(kb->Acquire(), DIERR_OTHERAPPHASPRIO);
    inputtest::Deliver(plat::WM_ACTIVATEAPP, 1);
    EXPECT_EQ(kb->GetDeviceState(256, keys), DIERR_NOTACQUIRED);  // lost stays lost until acquired
    kb->Release();
    DIDevice* d = nullptr;
    EXPECT_EQ(di->CreateDevice(0x55, &d), DIERR_DEVICENOTREG);
    EXPECT_EQ(d, nullptr);
    EXPECT_EQ(di->CreateDevice(DIGUID_JOYSTICK0, &d), DIERR_DEVICENOTREG);  // none attached
}

TEST_F(Devices, JoystickAxesScaleMonotonicallyToTheRange) {
    headless::SetJoystick(0, -32768, 32767, 0);
    DIDevice* j = nullptr;
    ASSERT_EQ(di->CreateDevice(DIGUID_JOYSTICK0, &j), DI_OK);
    DIJOYSTATE st;
    ASSERT_EQ(std::vector<HRESULT>({j->SetDataFormat(DIDataFormat::Joystick),
                                    j->SetCooperativeLevel(window, DISCL_NONEXCLUSIVE | DISCL_BACKGROUND),
                                    j->SetRange(DIJOFS_X, -100, 100), j->SetRange(DIJOFS_Y, -100, 100), j->Acquire(),
                                    j->SetRange(DIJOFS_X, -5, 5), j->Poll(), j->GetDeviceState(sizeof st, &st)}),
              std::vector<HRESULT>({0, 0, 0, 0, 0, DIERR_GENERIC, 0, 0}));  // the range is fixed while acquired
    EXPECT_EQ(std::vector<int32_t>({st.lX, st.lY}), std::vector<int32_t>({-100, 100}));
    for (int32_t raw = -32768, last = -100; raw <= 32767; raw += 97, last = st.lX) {
        headless::Input().joysticks[0].x = raw;
        ASSERT_EQ(j->GetDeviceState(sizeof st, &st), DI_OK);
        ASSERT_TRUE(st.lX >= last && st.lX <= 100) << raw;
    }
    headless::Input().joysticks[0].x = 0;
    ASSERT_EQ(j->GetDeviceState(sizeof st, &st), DI_OK);
    EXPECT_EQ(st.lX, 0);
    // Unplugged: the read fails and the device is no longer acquired.
    headless::Input().joysticks[0].attached = false;
    EXPECT_EQ(j->GetDeviceState(sizeof st, &st), DIERR_INPUTLOST);
    EXPECT_FALSE(j->IsAcquired());
    j->Release();
    EXPECT_EQ(headless::OpenJoysticks(), 0);
}

TEST_F(Devices, AsyncKeyStateReadsKeysAndPhysicalButtons) {
    headless::SetKey(0x2C, true);  // Z
    headless::SetKey(0x36, true);  // right shift
    headless::SetMouse(0, 0, 0x2);
    const std::pair<int, bool> keys[] = {{'Z', true},  {'X', false},           {0x10, true},
                                         {0xE9, false}, {plat::VK_LBUTTON, false}, {plat::VK_RBUTTON, true}};
    for (auto [vk, down] : keys) EXPECT_EQ((plat::GetAsyncKeyState(vk) & 0x8000) != 0, down) << vk;
    // Letters, digits, keypad and arrows land on their physical keys.
    const std::pair<int, int> codes[] = {{'A', 0x1E}, {'M', 0x32}, {'0', 0x0B}, {0x62, 0x50}, {0x26, 0xC8}};
    for (auto [vk, code] : codes) EXPECT_EQ(plat::KeyCodeForVirtualKey(vk), code) << vk;
}
