// Input devices over the backend's raw state: acquisition with the window, reads, the pointer.
#include "platform/input.h"

#include <cstring>

#include "platform/backend.h"
#include "platform/input_source.h"
#include "platform/platform.h"
#include "platform/window.h"

namespace {
const plat::detail::InputSource& Source() {
    return plat::IsHeadless() ? plat::detail::HeadlessInputSource() : plat::detail::SdlInputSource();
}

bool IsJoystickGuid(uint32_t guid) { return guid >= DIGUID_JOYSTICK0 && guid < DIGUID_JOYSTICK0 + 0x10000; }

// Raw -32768..32767 onto [min, max], as the device's range property asks.
int32_t ScaleAxis(int32_t raw, int32_t min, int32_t max) {
    int64_t span = int64_t(max) - min;
    return int32_t(min + (int64_t(raw) + 32768) * span / 65535);
}
}  // namespace

// ---- DIDevice ----
DIDevice::~DIDevice() = default;

bool DIDevice::WindowAllows() const {
    if (!(level_ & DISCL_FOREGROUND)) return true;
    // Compared by identity only: a window that is no longer the main one may be gone.
    plat::Window* main = plat::MainWindow();
    return window_ && window_ == main && plat::IsWindowActive(main);
}

HRESULT DIDevice::SetDataFormat(DIDataFormat format) {
    plat::detail::LogCall("DIDevice.SetDataFormat");
    if (plat::detail::ShouldFail("DIDevice.SetDataFormat")) return DIERR_GENERIC;
    if (acquired_) return DIERR_GENERIC;
    bool fits = (guid_ == DIGUID_SYSKEYBOARD && format == DIDataFormat::Keyboard) ||
                (guid_ == DIGUID_SYSMOUSE && format == DIDataFormat::Mouse) ||
                (IsJoystickGuid(guid_) && format == DIDataFormat::Joystick);
    if (!fits) return DIERR_INVALIDPARAM;
    format_ = format;
    has_format_ = true;
    return DI_OK;
}

HRESULT DIDevice::SetCooperativeLevel(plat::Window* window, uint32_t flags) {
    plat::detail::LogCall("DIDevice.SetCooperativeLevel");
    if (plat::detail::ShouldFail("DIDevice.SetCooperativeLevel")) return DIERR_GENERIC;
    bool exclusive = flags & DISCL_EXCLUSIVE, nonexclusive = flags & DISCL_NONEXCLUSIVE;
    bool fg = flags & DISCL_FOREGROUND, bg = flags & DISCL_BACKGROUND;
    if (exclusive == nonexclusive || fg == bg || (fg && !window)) return DIERR_INVALIDPARAM;
    window_ = window;
    level_ = flags;
    return DI_OK;
}

HRESULT DIDevice::SetAxisModeAbsolute() {
    plat::detail::LogCall("DIDevice.SetAxisMode");
    if (plat::detail::ShouldFail("DIDevice.SetAxisMode")) return DIERR_GENERIC;
    return acquired_ ? DIERR_GENERIC : DI_OK;
}

HRESULT DIDevice::SetRange(uint32_t axis_offset, int32_t min, int32_t max) {
    plat::detail::LogCall("DIDevice.SetRange");
    if (plat::detail::ShouldFail("DIDevice.SetRange")) return DIERR_GENERIC;
    if (!IsJoystickGuid(guid_) || min > max || (axis_offset != DIJOFS_X && axis_offset != DIJOFS_Y))
        return DIERR_INVALIDPARAM;
    if (acquired_) return DIERR_GENERIC;
    int axis = axis_offset == DIJOFS_X ? 0 : 1;
    range_min_[axis] = min;
    range_max_[axis] = max;
    return DI_OK;
}

HRESULT DIDevice::Acquire() {
    plat::detail::LogCall("DIDevice.Acquire");
    if (plat::detail::ShouldFail("DIDevice.Acquire")) return DIERR_GENERIC;
    if (!has_format_) return DIERR_INVALIDPARAM;
    if (!WindowAllows()) return DIERR_OTHERAPPHASPRIO;
    // A pad unplugged since comes back here when it is attached again.
    if (joystick_ >= 0 && !Source().open_joystick(joystick_)) return DIERR_INPUTLOST;
    acquired_ = true;
    return DI_OK;
}

HRESULT DIDevice::Unacquire() {
    plat::detail::LogCall("DIDevice.Unacquire");
    acquired_ = false;
    return DI_OK;
}

HRESULT DIDevice::Poll() {
    if (!acquired_) return DIERR_NOTACQUIRED;
    if (IsJoystickGuid(guid_)) Source().poll_joysticks();
    return DI_OK;
}

HRESULT DIDevice::GetDeviceState(uint32_t size, void* data) {
    if (!data || !has_format_) return DIERR_INVALIDPARAM;
    if (!acquired_) return DIERR_NOTACQUIRED;
    if (!WindowAllows()) {
        acquired_ = false;  // losing the foreground takes the device away
        return DIERR_INPUTLOST;
    }
    if (plat::detail::ShouldFail("DIDevice.GetDeviceState")) return DIERR_INPUTLOST;
    const auto& src = Source();
    switch (format_) {
        case DIDataFormat::Keyboard: {
            if (size != DI_KEYBOARD_STATE_SIZE) return DIERR_INVALIDPARAM;
            uint8_t keys[256];
            src.keyboard(keys, true);
            std::memcpy(data, keys, sizeof keys);
            return DI_OK;
        }
        case DIDataFormat::Mouse: {
            if (size != sizeof(DIMOUSESTATE)) return DIERR_INVALIDPARAM;
            plat::detail::MouseRaw raw;
            src.mouse(&raw, true);
            DIMOUSESTATE st;
            st.lX = raw.x;
            st.lY = raw.y;
            st.lZ = raw.wheel;
            for (int b = 0; b < 4; ++b) st.rgbButtons[b] = (raw.buttons >> b) & 1 ? 0x80 : 0;
            std::memcpy(data, &st, sizeof st);
            return DI_OK;
        }
        case DIDataFormat::Joystick: {
            if (size != sizeof(DIJOYSTATE)) return DIERR_INVALIDPARAM;
            int32_t x = 0, y = 0;
            uint32_t buttons = 0;
            if (!src.joystick(joystick_, &x, &y, &buttons)) {
                acquired_ = false;
                return DIERR_INPUTLOST;
            }
            DIJOYSTATE st;
            st.lX = ScaleAxis(x, range_min_[0], range_max_[0]);
            st.lY = ScaleAxis(y, range_min_[1], range_max_[1]);
            for (int b = 0; b < 32; ++b) st.rgbButtons[b] = (buttons >> b) & 1 ? 0x80 : 0;
            std::memcpy(data, &st, sizeof st);
            return DI_OK;
        }
    }
    return DIERR_GENERIC;
}

uint32_t DIDevice::Release() {
    plat::detail::LogCall("DIDevice.Release");
    if (joystick_ >= 0) Source().close_joystick(joystick_);
    delete this;
    return 0;
}

// ---- DIObject ----
HRESULT DirectInputCreate(DIObject** out) {
    if (!out) return DIERR_INVALIDPARAM;
    *out = nullptr;
    plat::detail::LogCall("DirectInputCreate");
    if (plat::detail::ShouldFail("DirectInputCreate")) return DIERR_NOTINITIALIZED;
    Source().start();
    *out = new DIObject;
    return DI_OK;
}

HRESULT DIObject::CreateDevice(uint32_t guid, DIDevice** out) {
    if (!out) return DIERR_INVALIDPARAM;
    *out = nullptr;
    plat::detail::LogCall("DIObject.CreateDevice");
    if (plat::detail::ShouldFail("DIObject.CreateDevice")) return DIERR_DEVICENOTREG;
    int joystick = -1;
    if (IsJoystickGuid(guid)) {
        joystick = int(guid - DIGUID_JOYSTICK0);
        if (!Source().open_joystick(joystick)) return DIERR_DEVICENOTREG;
    } else if (guid != DIGUID_SYSKEYBOARD && guid != DIGUID_SYSMOUSE) {
        return DIERR_DEVICENOTREG;
    }
    auto* d = new DIDevice;
    d->guid_ = guid;
    d->joystick_ = joystick;
    *out = d;
    return DI_OK;
}

HRESULT DIObject::EnumDevices(DIDeviceType type, DIEnumDevicesCallback callback, void* ref, uint32_t) {
    if (!callback) return DIERR_INVALIDPARAM;
    plat::detail::LogCall("DIObject.EnumDevices");
    DIDEVICEINSTANCE inst;
    inst.type = type;
    if (type == DIDeviceType::Keyboard || type == DIDeviceType::Mouse) {
        inst.guidInstance = type == DIDeviceType::Keyboard ? DIGUID_SYSKEYBOARD : DIGUID_SYSMOUSE;
        std::strcpy(inst.name, type == DIDeviceType::Keyboard ? "Keyboard" : "Mouse");
        callback(&inst, ref);
        return DI_OK;
    }
    int count = Source().joystick_count();
    for (int i = 0; i < count; ++i) {
        inst.guidInstance = DIGUID_JOYSTICK0 + uint32_t(i);
        std::strcpy(inst.name, "Joystick");
        if (callback(&inst, ref) == DIENUM_STOP) break;
    }
    return DI_OK;
}

uint32_t DIObject::Release() {
    plat::detail::LogCall("DIObject.Release");
    delete this;
    return 0;
}

// ---- the system pointer ----
namespace plat {
bool GetCursorPos(POINT* out) {
    if (!out) return false;
    detail::MouseRaw raw;
    Source().mouse(&raw, false);
    POINT p{raw.x, raw.y};
    if (Window* main = MainWindow()) ClientToScreen(main, &p);
    *out = p;
    return true;
}

bool SetCursorPos(int32_t x, int32_t y) {
    detail::LogCall("SetCursorPos");
    POINT p{x, y};
    if (Window* main = MainWindow()) ScreenToClient(main, &p);
    Source().warp(p.x, p.y);
    return true;
}

bool SwapMouseButton(bool swap) { return Source().swap_buttons(swap); }

HCURSOR SetCursor(HCURSOR cursor) {
    HCURSOR old = detail::PointerCursor();
    detail::SetPointer(cursor, detail::PointerCount());
    return old;
}

int ShowCursor(bool show) {
    int count = detail::PointerCount() + (show ? 1 : -1);
    detail::SetPointer(detail::PointerCursor(), count);
    return count;
}

int KeyCodeForVirtualKey(int vk) {
    if (vk >= 'A' && vk <= 'Z') {
        static constexpr uint8_t kLetters[26] = {0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17,
                                                 0x24, 0x25, 0x26, 0x32, 0x31, 0x18, 0x19, 0x10, 0x13,
                                                 0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C};
        return kLetters[vk - 'A'];
    }
    if (vk >= '1' && vk <= '9') return 0x02 + (vk - '1');
    if (vk == '0') return 0x0B;
    if (vk >= 0x70 && vk <= 0x79) return 0x3B + (vk - 0x70);  // F1..F10
    if (vk >= 0x60 && vk <= 0x69) {                            // numeric keypad 0..9
        static constexpr uint8_t kPad[10] = {0x52, 0x4F, 0x50, 0x51, 0x4B, 0x4C, 0x4D, 0x47, 0x48, 0x49};
        return kPad[vk - 0x60];
    }
    switch (vk) {
        case 0x08: return 0x0E;  // back space
        case 0x09: return 0x0F;  // tab
        case 0x0D: return 0x1C;  // return
        case 0x10: return 0x2A;  // shift (left; the right one is checked too)
        case 0x11: return 0x1D;  // control
        case 0x12: return 0x38;  // alt
        case 0x1C: return 0x79;  // convert
        case 0x1D: return 0x7B;  // non-convert
        case 0x1B: return 0x01;  // escape
        case 0x20: return 0x39;  // space
        case 0x25: return 0xCB;  // arrows
        case 0x26: return 0xC8;
        case 0x27: return 0xCD;
        case 0x28: return 0xD0;
        case 0x7A: return 0x57;  // F11
        case 0x7B: return 0x58;  // F12
        default: return -1;
    }
}

int16_t GetAsyncKeyState(int vk) {
    constexpr int16_t kDown = int16_t(0x8000);
    if (vk == VK_LBUTTON || vk == VK_RBUTTON || vk == VK_MBUTTON) {
        detail::MouseRaw raw;
        Source().mouse(&raw, false);
        int bit = vk == VK_LBUTTON ? 0 : vk == VK_RBUTTON ? 1 : 2;
        return (raw.buttons >> bit) & 1 ? kDown : 0;
    }
    int code = KeyCodeForVirtualKey(vk);
    if (code < 0) return 0;
    uint8_t keys[256];
    Source().keyboard(keys, false);
    bool down = keys[code] & 0x80;
    if (vk == 0x10) down = down || (keys[0x36] & 0x80);  // right shift
    if (vk == 0x11) down = down || (keys[0x9D] & 0x80);  // right control
    if (vk == 0x12) down = down || (keys[0xB8] & 0x80);  // right alt
    return down ? kDown : 0;
}
}  // namespace plat
