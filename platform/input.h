// Input devices: keyboard, mouse and joysticks read as whole-device snapshots, plus the system pointer.
//
// Rules the game relies on: a device set to the foreground level can be acquired only while its
// window is active; a state read of a device that is not acquired fails, and a device loses its
// acquisition when its window loses activation. Keyboard snapshots are 256 bytes indexed by key
// code (PC set-1 scan codes, 0x80 added for E0-prefixed keys), bit 7 set = down; auto-repeat never
// reaches them. A key or button pressed and released between two frames still reads as down in
// the frame after the press.
#pragma once
#include <cstdint>

#include "platform/types.h"
#include "platform/window.h"  // ScreenToClient and ClientToScreen

namespace plat {
struct Window;
}

// ---- result codes ----
constexpr HRESULT DI_OK = 0;
constexpr HRESULT DIERR_GENERIC = -101;
constexpr HRESULT DIERR_INVALIDPARAM = -102;
constexpr HRESULT DIERR_NOTACQUIRED = -103;
constexpr HRESULT DIERR_INPUTLOST = -104;
constexpr HRESULT DIERR_OTHERAPPHASPRIO = -105;
constexpr HRESULT DIERR_DEVICENOTREG = -106;
constexpr HRESULT DIERR_NOTINITIALIZED = -107;

// ---- device identities ----
// The system keyboard and mouse; joystick instances are numbered from DIGUID_JOYSTICK0 upwards.
constexpr uint32_t DIGUID_SYSKEYBOARD = 1;
constexpr uint32_t DIGUID_SYSMOUSE = 2;
constexpr uint32_t DIGUID_JOYSTICK0 = 0x100;

enum class DIDeviceType : uint32_t { Keyboard = 3, Mouse = 2, Joystick = 4 };
enum class DIDataFormat : uint32_t { Keyboard, Mouse, Joystick };

constexpr uint32_t DISCL_EXCLUSIVE = 0x1;
constexpr uint32_t DISCL_NONEXCLUSIVE = 0x2;
constexpr uint32_t DISCL_FOREGROUND = 0x4;
constexpr uint32_t DISCL_BACKGROUND = 0x8;

constexpr uint32_t DIEDFL_ATTACHEDONLY = 0x1;
constexpr int DIENUM_STOP = 0;
constexpr int DIENUM_CONTINUE = 1;

// Axis offsets inside DIJOYSTATE for SetRange.
constexpr uint32_t DIJOFS_X = 0;
constexpr uint32_t DIJOFS_Y = 4;

struct DIDEVICEINSTANCE {
    uint32_t guidInstance = 0;
    DIDeviceType type = DIDeviceType::Joystick;
    char name[64] = {};
};
using DIEnumDevicesCallback = int (*)(const DIDEVICEINSTANCE* instance, void* ref);

// The 16-byte mouse state: axes (the wheel is z) and four buttons, bit 7 = down.
struct DIMOUSESTATE {
    int32_t lX = 0, lY = 0, lZ = 0;
    uint8_t rgbButtons[4] = {};
};
static_assert(sizeof(DIMOUSESTATE) == 16);

// The 80-byte joystick state: six axes, two sliders, four hats and 32 buttons, bit 7 = down.
struct DIJOYSTATE {
    int32_t lX = 0, lY = 0, lZ = 0, lRx = 0, lRy = 0, lRz = 0;
    int32_t rglSlider[2] = {};
    uint32_t rgdwPOV[4] = {};
    uint8_t rgbButtons[32] = {};
};
static_assert(sizeof(DIJOYSTATE) == 80);

constexpr uint32_t DI_KEYBOARD_STATE_SIZE = 256;
constexpr int32_t DI_WHEEL_DELTA = 120;  // wheel axis units per notch

class DIObject;

// One opened device.
class DIDevice {
public:
    HRESULT SetDataFormat(DIDataFormat format);
    HRESULT SetCooperativeLevel(plat::Window* window, uint32_t flags);
    HRESULT SetAxisModeAbsolute();  // mouse: running positions, the only mode the devices have
    HRESULT SetRange(uint32_t axis_offset, int32_t min, int32_t max);  // joystick axes
    HRESULT Acquire();
    HRESULT Unacquire();
    HRESULT Poll();
    // size must match the data format: 256, sizeof(DIMOUSESTATE) or sizeof(DIJOYSTATE).
    HRESULT GetDeviceState(uint32_t size, void* data);
    uint32_t Release();

    // Inspection for tests.
    bool IsAcquired() const { return acquired_; }
    uint32_t Guid() const { return guid_; }

private:
    friend class DIObject;
    DIDevice() = default;
    ~DIDevice();
    bool WindowAllows() const;

    uint32_t guid_ = 0;
    bool has_format_ = false;
    DIDataFormat format_ = DIDataFormat::Keyboard;
    plat::Window* window_ = nullptr;
    uint32_t level_ = 0;
    bool acquired_ = false;
    int32_t range_min_[2] = {-32768, -32768}, range_max_[2] = {32767, 32767};
    int joystick_ = -1;  // source index of a joystick device
};

// The input system: device enumeration and creation.
class DIObject {
public:
    HRESULT CreateDevice(uint32_t guid, DIDevice** out);
    HRESULT EnumDevices(DIDeviceType type, DIEnumDevicesCallback callback, void* ref, uint32_t flags);
    uint32_t Release();

private:
    friend HRESULT DirectInputCreate(DIObject** out);
    DIObject() = default;
};

HRESULT DirectInputCreate(DIObject** out);

namespace plat {
// ---- the system pointer, in screen coordinates (windowed, the client area lies at its place on
// the screen; letterboxed full screen reports the 640 x 480 client pixels, the bars as the nearest
// pixel). A pointer outside the window reads as it is: negative, or past the client size. ----
bool GetCursorPos(POINT* out);
bool SetCursorPos(int32_t x, int32_t y);
// Sets whether the left and right buttons are exchanged; returns the previous setting.
bool SwapMouseButton(bool swap);

// The system pointer's look over the game window. It starts as the desktop's arrow; null hides
// it (the game draws its own cursor). Returns the previous look, which may be set again.
using HCURSOR = const void*;
HCURSOR SetCursor(HCURSOR cursor);
// The display count: the pointer shows while it is 0 or more (it starts at 0). The new count.
int ShowCursor(bool show);

// Virtual keys known to GetAsyncKeyState.
constexpr int VK_LBUTTON = 0x01;
constexpr int VK_RBUTTON = 0x02;
constexpr int VK_MBUTTON = 0x04;
constexpr int VK_CONVERT = 0x1C;
constexpr int VK_NONCONVERT = 0x1D;
// Top bit (0x8000) set while the key or physical mouse button is down.
int16_t GetAsyncKeyState(int vk);

// Key code <-> platform key tables (exposed for tests of the backends).
int KeyCodeForVirtualKey(int vk);  // -1 when unknown
}  // namespace plat
