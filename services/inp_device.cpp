// Input devices: creation, acquisition with the window, and the per-frame device reads.
#include "services/inp_device.h"

#include <cstring>

#include "display/dd_display.h"
#include "services/fil_util.h"

uint8_t KEY_STATE[256];
MouseState MOUSE_STATE;
std::array<JoyData, INP_MAX_JOYSTICKS> JOY_DATA;

namespace {
DIObject* g_input = nullptr;
DIDevice* g_keyboard = nullptr;
DIDevice* g_mouse = nullptr;
std::array<DIDevice*, INP_MAX_JOYSTICKS> g_joysticks{};
int32_t g_joystick_count = 0;

constexpr uint32_t kLevel = DISCL_NONEXCLUSIVE | DISCL_FOREGROUND;

void ClearJoyData() { JOY_DATA.fill(JoyData{}); }

// A failed read of any device: nothing counts as held until a read succeeds again.
void ClearOnFailure() {
    std::memset(KEY_STATE, 0, sizeof KEY_STATE);
    ClearJoyData();
    MOUSE_STATE.buttons = 0;
}

void INP_ReleaseKeyboard() {
    if (g_keyboard) g_keyboard->Release();
    g_keyboard = nullptr;
}

void INP_ReleaseMouse() {
    if (g_mouse) g_mouse->Release();
    g_mouse = nullptr;
}

void INP_ReleaseJoysticks() {
    for (DIDevice*& j : g_joysticks) {
        if (j) j->Release();
        j = nullptr;
    }
}

// A device with its data format and cooperative level set, or null (released) when a step fails.
DIDevice* INP_OpenDevice(DIObject* di, uint32_t guid, DIDataFormat format, plat::Window* window, const char* what) {
    DIDevice* d = nullptr;
    if (di->CreateDevice(guid, &d) != DI_OK || !d) {
        SYS_DebugPrint("INP: %s device not created", what);
        return nullptr;
    }
    if (d->SetDataFormat(format) != DI_OK || d->SetCooperativeLevel(window, kLevel) != DI_OK) {
        SYS_DebugPrint("INP: %s device set-up failed", what);
        d->Release();
        return nullptr;
    }
    return d;
}

void INP_CreateKeyboard(DIObject* di, plat::Window* window) {
    g_keyboard = INP_OpenDevice(di, DIGUID_SYSKEYBOARD, DIDataFormat::Keyboard, window, "keyboard");
    if (!g_keyboard) return;
    g_keyboard->Acquire();  // may fail while the window is inactive; activation acquires it later
    std::memset(KEY_STATE, 0, sizeof KEY_STATE);
}

void INP_CreateMouse(DIObject* di, plat::Window* window) {
    g_mouse = INP_OpenDevice(di, DIGUID_SYSMOUSE, DIDataFormat::Mouse, window, "mouse");
    if (!g_mouse) return;
    if (g_mouse->SetAxisModeAbsolute() != DI_OK) {
        SYS_DebugPrint("INP: mouse axis mode not set");
        INP_ReleaseMouse();
        return;
    }
    g_mouse->Acquire();
    // Asking to clear the setting returns the old one, which is put straight back.
    bool swapped = plat::SwapMouseButton(false);
    plat::SwapMouseButton(swapped);
    MOUSE_STATE.swap = swapped ? 1 : 0;
    MOUSE_STATE.x = MOUSE_STATE.y = MOUSE_STATE.wheel = 0;
    MOUSE_STATE.buttons = 0;
}

int INP_EnumJoystick(const DIDEVICEINSTANCE* instance, void* ref) {
    auto* di = static_cast<DIObject*>(ref);
    // The table holds 16 devices; further joysticks are left alone.
    if (g_joystick_count >= INP_MAX_JOYSTICKS) return DIENUM_STOP;
    DIDevice* device = nullptr;
    if (di->CreateDevice(instance->guidInstance, &device) != DI_OK) return DIENUM_STOP;
    g_joysticks[g_joystick_count++] = device;
    return DIENUM_CONTINUE;
}

void INP_CreateJoysticks(DIObject* di, plat::Window* window) {
    g_joystick_count = 0;
    di->EnumDevices(DIDeviceType::Joystick, INP_EnumJoystick, di, DIEDFL_ATTACHEDONLY);
    for (int i = 0; i < g_joystick_count; ++i) {
        DIDevice* j = g_joysticks[i];
        if (!j) continue;
        if (j->SetDataFormat(DIDataFormat::Joystick) != DI_OK || j->SetCooperativeLevel(window, kLevel) != DI_OK ||
            j->SetRange(DIJOFS_X, -100, 100) != DI_OK || j->SetRange(DIJOFS_Y, -100, 100) != DI_OK) {
            // The count stays; the reads skip the emptied slots.
            SYS_DebugPrint("INP: joystick %d set-up failed", i);
            INP_ReleaseJoysticks();
            return;
        }
        j->Acquire();
    }
    ClearJoyData();
}

void SetAcquired(HRESULT (DIDevice::*change)()) {
    if (g_keyboard) {
        (g_keyboard->*change)();
        std::memset(KEY_STATE, 0, sizeof KEY_STATE);
    }
    if (g_mouse) {
        (g_mouse->*change)();
        MOUSE_STATE.buttons = 0;
    }
    for (DIDevice* j : g_joysticks)
        if (j) (j->*change)();
    ClearJoyData();
}

// Left and right exchange when the system swaps them; the word holds the held bits and, shifted
// by `shift`, the ones newly pressed since the last poll.
uint32_t UpdateButtons(uint32_t left, uint32_t right, uint32_t middle, int shift) {
    uint32_t held = (MOUSE_STATE.swap ? (left << 1) | right : left | (right << 1)) | (middle << 2);
    uint32_t pressed = (held ^ MOUSE_STATE.previous) & held;
    MOUSE_STATE.previous = held;
    MOUSE_STATE.buttons = held | (pressed << shift);
    return held;
}
}  // namespace

DIObject* INP_Init(plat::Window* window, void* /*instance*/) {
    if (g_input) INP_Term();  // a second start-up must not leak the first one's devices
    DIObject* di = nullptr;
    if (DirectInputCreate(&di) != DI_OK || !di) {
        SYS_DebugPrint("INP: input system not available");
        g_input = nullptr;
        return nullptr;
    }
    g_input = di;
    INP_CreateKeyboard(di, window);
    INP_CreateMouse(di, window);
    INP_CreateJoysticks(di, window);
    return di;
}

void INP_Term() {
    INP_ReleaseKeyboard();
    INP_ReleaseMouse();
    INP_ReleaseJoysticks();
    g_joystick_count = 0;
    if (g_input) g_input->Release();
    g_input = nullptr;
}

// Activation changes acquire or give up every device present and clear what it held.
void INP_Acquire() { SetAcquired(&DIDevice::Acquire); }
void INP_Unacquire() { SetAcquired(&DIDevice::Unacquire); }

int INP_ReadKeyboard() {
    if (!g_keyboard) return 0;
    if (g_keyboard->GetDeviceState(sizeof KEY_STATE, KEY_STATE) != DI_OK) {
        ClearOnFailure();
        return 0;
    }
    return 1;
}

int KEY_IsDown(int code) {
    if (code < 0 || code > 255) return 0;
    return (KEY_STATE[code] & 0x80) ? 1 : 0;
}

int MOUSE_Poll() {
    if (!g_mouse) return 0;
    DIMOUSESTATE st;
    if (g_mouse->GetDeviceState(sizeof st, &st) != DI_OK) {
        ClearOnFailure();
        return 0;
    }
    POINT p;
    plat::GetCursorPos(&p);
    plat::ScreenToClient(DD_DISPLAY.window, &p);
    MOUSE_STATE.x = p.x;
    MOUSE_STATE.y = p.y;
    MOUSE_STATE.wheel = st.lZ;
    auto down = [&](int b) -> uint32_t { return (st.rgbButtons[b] & 0x80) ? 1 : 0; };
    UpdateButtons(down(0), down(1), down(2), 3);
    return 1;
}

void MOUSE_GetState(int32_t* x, int32_t* y, uint32_t* buttons) {
    if (x) *x = MOUSE_STATE.x;
    if (y) *y = MOUSE_STATE.y;
    if (buttons) *buttons = MOUSE_STATE.buttons;
}

void MOUSE_GetWheel(int32_t* wheel) {
    if (wheel) *wheel = MOUSE_STATE.wheel;
}

void MOUSE_SetPos(int32_t x, int32_t y) {
    POINT p{x, y};
    if (!DD_DISPLAY.full_screen) plat::ClientToScreen(DD_DISPLAY.window, &p);
    plat::SetCursorPos(p.x, p.y);
}

int INP_ReadJoysticks() {
    for (int i = 0; i < g_joystick_count && i < INP_MAX_JOYSTICKS; ++i) {
        DIDevice* j = g_joysticks[i];
        if (!j) continue;
        j->Poll();
        DIJOYSTATE st;
        if (j->GetDeviceState(sizeof st, &st) != DI_OK) {
            // Only this pad's data goes: an unplugged pad must not blank the keyboard for as long
            // as it stays away. It comes back at the next activation.
            JOY_DATA[i] = JoyData{};
            continue;
        }
        uint32_t bits = 0;
        for (int b = 0; b < 32; ++b)
            if (st.rgbButtons[b] & 0x80) bits |= 1u << b;
        JOY_DATA[i] = JoyData{st.lX, st.lY, bits};
    }
    return 1;
}

int INP_GetJoystick(int index, int32_t* x, int32_t* y, uint32_t* buttons) {
    if (index < 0 || index >= g_joystick_count || index >= INP_MAX_JOYSTICKS) return 0;
    const JoyData& j = JOY_DATA[index];
    if (x) *x = j.x;
    if (y) *y = j.y;
    if (buttons) *buttons = j.buttons;
    return 1;
}

int INP_GetJoystickCount() { return g_joystick_count; }

int KEY_IsDownAsync(int vk) { return (plat::GetAsyncKeyState(vk) & 0x8000) ? 1 : 0; }

uint32_t MOUSE_PollAsync() {
    POINT p;
    plat::GetCursorPos(&p);
    if (!DD_DISPLAY.full_screen) plat::ScreenToClient(DD_DISPLAY.window, &p);
    MOUSE_STATE.x = p.x;
    MOUSE_STATE.y = p.y;
    uint32_t left = (plat::GetAsyncKeyState(plat::VK_LBUTTON) & 0x8000) ? 1 : 0;
    uint32_t right = (plat::GetAsyncKeyState(plat::VK_RBUTTON) & 0x8000) ? 1 : 0;
    return UpdateButtons(left, right, 0, 2);
}
