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
    DIDevice* Make(uint32_t guid, DIDataFormat format) {
        DIDevice* d = nullptr;
        EXPECT_EQ(di->CreateDevice(guid, &d), DI_OK);
        if (!d) return nullptr;
        EXPECT_EQ(d->SetDataFormat(format), DI_OK);
        EXPECT_EQ(d->SetCooperativeLevel(window, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND), DI_OK);
        return d;
    }
    plat::Window* window = nullptr;
    DIObject* di = nullptr;
};
}  // namespace

TEST_F(Devices, AcquisitionFollowsWindowActivation) {
    DIDevice* kb = Make(DIGUID_SYSKEYBOARD, DIDataFormat::Keyboard);
    uint8_t keys[256];
    EXPECT_EQ(kb->GetDeviceState(256, keys), DIERR_NOTACQUIRED);
    ASSERT_EQ(kb->Acquire(), DI_OK);
    headless::SetKey(0x2C, true);
    ASSERT_EQ(kb->GetDeviceState(256, keys), DI_OK);
    EXPECT_EQ(keys[0x2C], 0x80);
    EXPECT_EQ(keys[0x2D], 0);

    Deliver(plat::WM_ACTIVATEAPP, 0);
    EXPECT_EQ(kb->GetDeviceState(256, keys), DIERR_INPUTLOST);
    EXPECT_FALSE(kb->IsAcquired());
    EXPECT_EQ(kb->Acquire(), DIERR_OTHERAPPHASPRIO);

    Deliver(plat::WM_ACTIVATEAPP, 1);
    EXPECT_EQ(kb->GetDeviceState(256, keys), DIERR_NOTACQUIRED);  // lost stays lost until acquired
    ASSERT_EQ(kb->Acquire(), DI_OK);
    EXPECT_EQ(kb->GetDeviceState(256, keys), DI_OK);
    ASSERT_EQ(kb->Unacquire(), DI_OK);
    EXPECT_EQ(kb->GetDeviceState(256, keys), DIERR_NOTACQUIRED);
    kb->Release();
}

TEST_F(Devices, RefusesMismatchedFormatsSizesAndLevels) {
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
    ASSERT_EQ(kb->Acquire(), DI_OK);
    uint8_t big[300];
    EXPECT_EQ(kb->GetDeviceState(255, big), DIERR_INVALIDPARAM);
    EXPECT_EQ(kb->GetDeviceState(256, nullptr), DIERR_INVALIDPARAM);
    kb->Release();

    DIDevice* d = nullptr;
    EXPECT_EQ(di->CreateDevice(0x55, &d), DIERR_DEVICENOTREG);
    EXPECT_EQ(d, nullptr);
    EXPECT_EQ(di->CreateDevice(DIGUID_JOYSTICK0, &d), DIERR_DEVICENOTREG);  // none attached
}

TEST_F(Devices, MouseReportsPointerButtonsAndRunningWheel) {
    DIDevice* m = Make(DIGUID_SYSMOUSE, DIDataFormat::Mouse);
    ASSERT_EQ(m->SetAxisModeAbsolute(), DI_OK);
    ASSERT_EQ(m->Acquire(), DI_OK);
    headless::SetMouse(12, 34, 0x5);
    headless::TurnWheel(2);
    DIMOUSESTATE st;
    ASSERT_EQ(m->GetDeviceState(sizeof st, &st), DI_OK);
    EXPECT_EQ(st.lZ, 2 * DI_WHEEL_DELTA);
    EXPECT_EQ(st.rgbButtons[0], 0x80);
    EXPECT_EQ(st.rgbButtons[1], 0);
    EXPECT_EQ(st.rgbButtons[2], 0x80);
    headless::TurnWheel(-2);
    ASSERT_EQ(m->GetDeviceState(sizeof st, &st), DI_OK);
    EXPECT_EQ(st.lZ, 0);

    POINT p;
    ASSERT_TRUE(plat::GetCursorPos(&p));
    EXPECT_EQ(p.x, 12);
    EXPECT_EQ(p.y, 34);
    plat::SetCursorPos(600, 470);
    ASSERT_TRUE(plat::GetCursorPos(&p));
    EXPECT_EQ(p.x, 600);
    EXPECT_EQ(p.y, 470);

    // Asking for the exchange returns the old setting.
    EXPECT_FALSE(plat::SwapMouseButton(true));
    EXPECT_TRUE(plat::SwapMouseButton(false));
    m->Release();
}

TEST_F(Devices, JoystickAxesScaleToTheRangeAndButtonsKeepTheirOrder) {
    headless::SetJoystick(0, -32768, 32767, 0x80000001u);
    DIDevice* j = Make(DIGUID_JOYSTICK0, DIDataFormat::Joystick);
    ASSERT_EQ(j->SetRange(DIJOFS_X, -100, 100), DI_OK);
    ASSERT_EQ(j->SetRange(DIJOFS_Y, -100, 100), DI_OK);
    ASSERT_EQ(j->Acquire(), DI_OK);
    EXPECT_EQ(j->SetRange(DIJOFS_X, -5, 5), DIERR_GENERIC);  // fixed while acquired
    DIJOYSTATE st;
    ASSERT_EQ(j->Poll(), DI_OK);
    ASSERT_EQ(j->GetDeviceState(sizeof st, &st), DI_OK);
    EXPECT_EQ(st.lX, -100);
    EXPECT_EQ(st.lY, 100);
    EXPECT_EQ(st.rgbButtons[0], 0x80);
    EXPECT_EQ(st.rgbButtons[31], 0x80);
    for (int b = 1; b < 31; ++b) EXPECT_EQ(st.rgbButtons[b], 0) << b;

    // Monotonic over the whole raw range, centre at 0.
    int32_t last = -101;
    for (int32_t raw = -32768; raw <= 32767; raw += 97) {
        headless::Input().joysticks[0].x = raw;
        ASSERT_EQ(j->GetDeviceState(sizeof st, &st), DI_OK);
        ASSERT_GE(st.lX, last);
        ASSERT_LE(st.lX, 100);
        last = st.lX;
    }
    headless::Input().joysticks[0].x = 0;
    ASSERT_EQ(j->GetDeviceState(sizeof st, &st), DI_OK);
    EXPECT_EQ(st.lX, 0);

    // Unplugged: the read fails and the device is no longer acquired.
    headless::Input().joysticks[0].attached = false;
    EXPECT_EQ(j->GetDeviceState(sizeof st, &st), DIERR_INPUTLOST);
    EXPECT_FALSE(j->IsAcquired());
    EXPECT_EQ(headless::OpenJoysticks(), 1);
    j->Release();
    EXPECT_EQ(headless::OpenJoysticks(), 0);
}

TEST_F(Devices, EnumerationListsAttachedJoysticksUntilStopped) {
    for (int i = 0; i < 3; ++i) headless::SetJoystick(i, 0, 0, 0);
    struct Seen {
        std::vector<uint32_t> guids;
        size_t stop_after;
    } seen{{}, 2};
    auto cb = [](const DIDEVICEINSTANCE* inst, void* ref) -> int {
        auto* s = static_cast<Seen*>(ref);
        s->guids.push_back(inst->guidInstance);
        return s->guids.size() >= s->stop_after ? DIENUM_STOP : DIENUM_CONTINUE;
    };
    ASSERT_EQ(di->EnumDevices(DIDeviceType::Joystick, cb, &seen, DIEDFL_ATTACHEDONLY), DI_OK);
    EXPECT_EQ(seen.guids, (std::vector<uint32_t>{DIGUID_JOYSTICK0, DIGUID_JOYSTICK0 + 1}));
}

TEST_F(Devices, AsyncKeyStateReadsKeysAndPhysicalButtons) {
    headless::SetKey(0x2C, true);  // Z
    headless::SetKey(0x36, true);  // right shift
    headless::SetMouse(0, 0, 0x2);
    EXPECT_NE(plat::GetAsyncKeyState('Z') & 0x8000, 0);
    EXPECT_EQ(plat::GetAsyncKeyState('X') & 0x8000, 0);
    EXPECT_NE(plat::GetAsyncKeyState(0x10) & 0x8000, 0);
    EXPECT_EQ(plat::GetAsyncKeyState(plat::VK_LBUTTON) & 0x8000, 0);
    EXPECT_NE(plat::GetAsyncKeyState(plat::VK_RBUTTON) & 0x8000, 0);
    EXPECT_EQ(plat::GetAsyncKeyState(0xE9), 0);  // unknown keys are up
    // Letters, digits, keypad and arrows land on their physical keys.
    EXPECT_EQ(plat::KeyCodeForVirtualKey('A'), 0x1E);
    EXPECT_EQ(plat::KeyCodeForVirtualKey('M'), 0x32);
    EXPECT_EQ(plat::KeyCodeForVirtualKey('0'), 0x0B);
    EXPECT_EQ(plat::KeyCodeForVirtualKey(0x62), 0x50);  // keypad 2
    EXPECT_EQ(plat::KeyCodeForVirtualKey(0x26), 0xC8);  // up arrow
}
