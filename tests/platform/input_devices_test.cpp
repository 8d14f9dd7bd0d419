// Input devices on the headless backend: acquisition follows the window, reads and their refusals.
#include <gtest/gtest.h>

#include "platform/headless/headless.h"
#include "platform/input.h"
#include "platform/window.h"

namespace {
intptr_t Proc(plat::Window* w, uint32_t m, uintptr_t wp, intptr_t lp) { return plat::DefWindowProc(w, m, wp, lp); }

void Deliver(uint32_t message, uintptr_t wparam) {
    headless::PostWindowEvent(message, wparam);
    plat::Msg msg;
    while (plat::PeekMessage(&msg)) plat::DispatchMessage(msg);
}

class Devices : public testing::Test {
protected:
    void SetUp() override {
        headless::Reset();
        window = plat::CreateMainWindow("t", 640, 480, Proc);
        ASSERT_NE(window, nullptr);
        ASSERT_EQ(DirectInputCreate(&di), DI_OK);
    }
    void TearDown() override {
        if (di) di->Release();
        plat::DestroyWindow(window);
    }
    plat::Window* window = nullptr;
    DIObject* di = nullptr;
};
}  // namespace

TEST_F(Devices, RefusalsAndAcquisitionFollowingTheWindow) {
    DIDevice* kb = nullptr;
    ASSERT_EQ(di->CreateDevice(DIGUID_SYSKEYBOARD, &kb), DI_OK);
    EXPECT_EQ(kb->Acquire(), DIERR_INVALIDPARAM);  // no data format yet
    EXPECT_EQ(kb->SetDataFormat(DIDataFormat::Mouse), DIERR_INVALIDPARAM);
    EXPECT_EQ(kb->SetCooperativeLevel(nullptr, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND), DIERR_INVALIDPARAM);
    EXPECT_EQ(kb->SetCooperativeLevel(window, DISCL_EXCLUSIVE | DISCL_NONEXCLUSIVE | DISCL_FOREGROUND),
              DIERR_INVALIDPARAM);
    EXPECT_EQ(kb->SetRange(DIJOFS_X, -100, 100), DIERR_INVALIDPARAM);
    ASSERT_EQ(kb->SetDataFormat(DIDataFormat::Keyboard), DI_OK);
    ASSERT_EQ(kb->SetCooperativeLevel(window, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND), DI_OK);
    uint8_t keys[300];
    EXPECT_EQ(kb->GetDeviceState(256, keys), DIERR_NOTACQUIRED);
    ASSERT_EQ(kb->Acquire(), DI_OK);
    EXPECT_EQ(kb->GetDeviceState(255, keys), DIERR_INVALIDPARAM);
    EXPECT_EQ(kb->GetDeviceState(256, nullptr), DIERR_INVALIDPARAM);
    Deliver(plat::WM_ACTIVATEAPP, 0);
    EXPECT_EQ(kb->GetDeviceState(256, keys), DIERR_INPUTLOST);
    EXPECT_EQ(kb->Acquire(), DIERR_OTHERAPPHASPRIO);
    Deliver(plat::WM_ACTIVATEAPP, 1);
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
    ASSERT_EQ(j->SetDataFormat(DIDataFormat::Joystick), DI_OK);
    ASSERT_EQ(j->SetCooperativeLevel(window, DISCL_NONEXCLUSIVE | DISCL_BACKGROUND), DI_OK);
    ASSERT_EQ(j->SetRange(DIJOFS_X, -100, 100), DI_OK);
    ASSERT_EQ(j->SetRange(DIJOFS_Y, -100, 100), DI_OK);
    ASSERT_EQ(j->Acquire(), DI_OK);
    EXPECT_EQ(j->SetRange(DIJOFS_X, -5, 5), DIERR_GENERIC);  // fixed while acquired
    DIJOYSTATE st;
    ASSERT_EQ(j->Poll(), DI_OK);
    ASSERT_EQ(j->GetDeviceState(sizeof st, &st), DI_OK);
    EXPECT_EQ(st.lX, -100);
    int32_t last = -100;
    for (int32_t raw = -32768; raw <= 32767; raw += 97) {
        headless::Input().joysticks[0].x = raw;
        ASSERT_EQ(j->GetDeviceState(sizeof st, &st), DI_OK);
        ASSERT_GE(st.lX, last);
        ASSERT_LE(st.lX, 100);
        last = st.lX;
    }
    EXPECT_EQ(st.lY, 100);
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
