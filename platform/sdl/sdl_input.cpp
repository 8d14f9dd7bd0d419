// Keyboard, mouse and joystick state gathered from SDL events, read by the input devices.
#include "platform/sdl/sdl_input.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <iterator>
#include <utility>
#include <vector>

#include "platform/clock.h"
#include "platform/input.h"
#include "platform/input_source.h"
#include "platform/sdl/sdl_x11.h"

namespace plat::sdl::input {
namespace {
struct KeyPair {
    uint8_t code;
    SDL_Scancode scancode;
};

// Physical keys, so Num Lock and the keyboard layout never change a code. The first entry of a
// code is its SDL scancode; later entries only add more scancodes for the same key.
constexpr KeyPair kKeys[] = {
    {0x01, SDL_SCANCODE_ESCAPE}, {0x02, SDL_SCANCODE_1}, {0x03, SDL_SCANCODE_2}, {0x04, SDL_SCANCODE_3},
    {0x05, SDL_SCANCODE_4}, {0x06, SDL_SCANCODE_5}, {0x07, SDL_SCANCODE_6}, {0x08, SDL_SCANCODE_7},
    {0x09, SDL_SCANCODE_8}, {0x0A, SDL_SCANCODE_9}, {0x0B, SDL_SCANCODE_0}, {0x0C, SDL_SCANCODE_MINUS},
    {0x0D, SDL_SCANCODE_EQUALS}, {0x0E, SDL_SCANCODE_BACKSPACE}, {0x0F, SDL_SCANCODE_TAB},
    {0x10, SDL_SCANCODE_Q}, {0x11, SDL_SCANCODE_W}, {0x12, SDL_SCANCODE_E}, {0x13, SDL_SCANCODE_R},
    {0x14, SDL_SCANCODE_T}, {0x15, SDL_SCANCODE_Y}, {0x16, SDL_SCANCODE_U}, {0x17, SDL_SCANCODE_I},
    {0x18, SDL_SCANCODE_O}, {0x19, SDL_SCANCODE_P}, {0x1A, SDL_SCANCODE_LEFTBRACKET},
    {0x1B, SDL_SCANCODE_RIGHTBRACKET}, {0x1C, SDL_SCANCODE_RETURN}, {0x1D, SDL_SCANCODE_LCTRL},
    {0x1E, SDL_SCANCODE_A}, {0x1F, SDL_SCANCODE_S}, {0x20, SDL_SCANCODE_D}, {0x21, SDL_SCANCODE_F},
    {0x22, SDL_SCANCODE_G}, {0x23, SDL_SCANCODE_H}, {0x24, SDL_SCANCODE_J}, {0x25, SDL_SCANCODE_K},
    {0x26, SDL_SCANCODE_L}, {0x27, SDL_SCANCODE_SEMICOLON}, {0x28, SDL_SCANCODE_APOSTROPHE},
    {0x29, SDL_SCANCODE_GRAVE}, {0x2A, SDL_SCANCODE_LSHIFT}, {0x2B, SDL_SCANCODE_BACKSLASH},
    {0x2C, SDL_SCANCODE_Z}, {0x2D, SDL_SCANCODE_X}, {0x2E, SDL_SCANCODE_C}, {0x2F, SDL_SCANCODE_V},
    {0x30, SDL_SCANCODE_B}, {0x31, SDL_SCANCODE_N}, {0x32, SDL_SCANCODE_M}, {0x33, SDL_SCANCODE_COMMA},
    {0x34, SDL_SCANCODE_PERIOD}, {0x35, SDL_SCANCODE_SLASH}, {0x36, SDL_SCANCODE_RSHIFT},
    {0x37, SDL_SCANCODE_KP_MULTIPLY}, {0x38, SDL_SCANCODE_LALT}, {0x39, SDL_SCANCODE_SPACE},
    {0x3A, SDL_SCANCODE_CAPSLOCK}, {0x3B, SDL_SCANCODE_F1}, {0x3C, SDL_SCANCODE_F2}, {0x3D, SDL_SCANCODE_F3},
    {0x3E, SDL_SCANCODE_F4}, {0x3F, SDL_SCANCODE_F5}, {0x40, SDL_SCANCODE_F6}, {0x41, SDL_SCANCODE_F7},
    {0x42, SDL_SCANCODE_F8}, {0x43, SDL_SCANCODE_F9}, {0x44, SDL_SCANCODE_F10},
    {0x45, SDL_SCANCODE_NUMLOCKCLEAR}, {0x46, SDL_SCANCODE_SCROLLLOCK}, {0x47, SDL_SCANCODE_KP_7},
    {0x48, SDL_SCANCODE_KP_8}, {0x49, SDL_SCANCODE_KP_9}, {0x4A, SDL_SCANCODE_KP_MINUS},
    {0x4B, SDL_SCANCODE_KP_4}, {0x4C, SDL_SCANCODE_KP_5}, {0x4D, SDL_SCANCODE_KP_6},
    {0x4E, SDL_SCANCODE_KP_PLUS}, {0x4F, SDL_SCANCODE_KP_1}, {0x50, SDL_SCANCODE_KP_2},
    {0x51, SDL_SCANCODE_KP_3}, {0x52, SDL_SCANCODE_KP_0}, {0x53, SDL_SCANCODE_KP_PERIOD},
    {0x56, SDL_SCANCODE_NONUSBACKSLASH}, {0x57, SDL_SCANCODE_F11}, {0x58, SDL_SCANCODE_F12},
    {0x64, SDL_SCANCODE_F13}, {0x65, SDL_SCANCODE_F14}, {0x66, SDL_SCANCODE_F15},
    // Japanese keyboard
    {0x70, SDL_SCANCODE_INTERNATIONAL2}, {0x73, SDL_SCANCODE_INTERNATIONAL1},
    {0x79, SDL_SCANCODE_INTERNATIONAL4}, {0x7B, SDL_SCANCODE_INTERNATIONAL5},
    {0x7D, SDL_SCANCODE_INTERNATIONAL3}, {0x94, SDL_SCANCODE_LANG5},
    {0x70, SDL_SCANCODE_LANG3}, {0x70, SDL_SCANCODE_LANG4}, {0x2B, SDL_SCANCODE_NONUSHASH},
    // E0-prefixed keys
    {0x8D, SDL_SCANCODE_KP_EQUALS}, {0x9C, SDL_SCANCODE_KP_ENTER}, {0x9D, SDL_SCANCODE_RCTRL},
    {0xA0, SDL_SCANCODE_MUTE}, {0xAE, SDL_SCANCODE_VOLUMEDOWN}, {0xB0, SDL_SCANCODE_VOLUMEUP},
    {0xB3, SDL_SCANCODE_KP_COMMA}, {0xB5, SDL_SCANCODE_KP_DIVIDE}, {0xB7, SDL_SCANCODE_PRINTSCREEN},
    {0xB8, SDL_SCANCODE_RALT}, {0xC5, SDL_SCANCODE_PAUSE}, {0xC7, SDL_SCANCODE_HOME},
    {0xC8, SDL_SCANCODE_UP}, {0xC9, SDL_SCANCODE_PAGEUP}, {0xCB, SDL_SCANCODE_LEFT},
    {0xCD, SDL_SCANCODE_RIGHT}, {0xCF, SDL_SCANCODE_END}, {0xD0, SDL_SCANCODE_DOWN},
    {0xD1, SDL_SCANCODE_PAGEDOWN}, {0xD2, SDL_SCANCODE_INSERT}, {0xD3, SDL_SCANCODE_DELETE},
    {0xDB, SDL_SCANCODE_LGUI}, {0xDC, SDL_SCANCODE_RGUI}, {0xDD, SDL_SCANCODE_APPLICATION},
};

struct Tables {
    std::array<uint8_t, SDL_NUM_SCANCODES> to_code{};
    std::array<SDL_Scancode, 256> to_scancode{};
    constexpr Tables() {
        for (auto& s : to_scancode) s = SDL_SCANCODE_UNKNOWN;
        for (const KeyPair& k : kKeys) {
            to_code[k.scancode] = k.code;
            if (to_scancode[k.code] == SDL_SCANCODE_UNKNOWN) to_scancode[k.code] = k.scancode;
        }
    }
};
constexpr Tables kTables;

// A press that a release follows before any poll saw it stays down until the pump after a
// poll, so that a quick tap reaches the game's next poll whatever raw reads (the pointer read on
// every pass) come between. A tap no poll takes lives a few frame intervals, so it never turns
// up much later as a fresh press.
constexpr uint32_t kTapLifeFrames = 4;

struct Latch {
    bool down = false, release_pending = false, seen = false;
    uint32_t released_at = 0;
    void Press() { down = true, release_pending = false, seen = false; }
    void Release(uint32_t now) {
        if (down && !seen)
            release_pending = true, released_at = now;
        else
            down = false;
    }
    bool Read(bool poll) {
        if (down && poll) seen = true;
        return down;
    }
    void Pump(uint32_t now, uint32_t life) {
        if (release_pending && (seen || now - released_at > life)) down = false, release_pending = false;
    }
};

SDL_Window* g_window = nullptr;
std::array<Latch, 256> g_keys;
std::array<Latch, 4> g_buttons;
int32_t g_wheel = 0;
std::vector<SDL_Joystick*> g_joysticks;  // by device index

int MouseButtonIndex(uint8_t button) {
    switch (button) {
        case SDL_BUTTON_LEFT: return 0;
        case SDL_BUTTON_RIGHT: return 1;
        case SDL_BUTTON_MIDDLE: return 2;
        case SDL_BUTTON_X1: return 3;
        default: return -1;
    }
}

// ---- the source the devices read ----
void Start() {
    if (!SDL_WasInit(SDL_INIT_JOYSTICK)) SDL_InitSubSystem(SDL_INIT_JOYSTICK);
}

void Mouse(plat::detail::MouseRaw* out, bool poll) {
    for (int b = 0; b < 4; ++b)
        if (g_buttons[b].Read(poll)) out->buttons |= uint8_t(1u << b);
    out->wheel = g_wheel;
    if (!g_window) return;
    // Where the pointer is now, whether or not it moved over the window since the window was shown,
    // moved or changed its mode, and also when it is outside the window.
    int wx = 0, wy = 0, ww = 0, wh = 0;
    SDL_GetWindowSize(g_window, &ww, &wh);
    if (!x11::QueryPointer(g_window, &wx, &wy)) {
        int gx = 0, gy = 0, ox = 0, oy = 0;
        SDL_GetGlobalMouseState(&gx, &gy);
        SDL_GetWindowPosition(g_window, &ox, &oy);
        wx = gx - ox, wy = gy - oy;
    }
    SDL_Renderer* renderer = SDL_GetRenderer(g_window);
    int lw = 0, lh = 0;
    float lx = float(wx), ly = float(wy);
    if (renderer) {
        SDL_RenderGetLogicalSize(renderer, &lw, &lh);
        if (lw > 0 && lh > 0) SDL_RenderWindowToLogical(renderer, wx, wy, &lx, &ly);
    }
    if (lw <= 0 || lh <= 0) lw = ww, lh = wh;
    out->x = int32_t(std::floor(lx));
    out->y = int32_t(std::floor(ly));
    // Over the letterbox bars of a larger window: the nearest pixel of the picture. Outside the
    // window: as it is, negative or past the client size.
    if (wx >= 0 && wy >= 0 && wx < ww && wy < wh) {
        out->x = std::clamp(out->x, 0, std::max(lw - 1, 0));
        out->y = std::clamp(out->y, 0, std::max(lh - 1, 0));
    }
}

void Warp(int32_t x, int32_t y) {
    if (!g_window) return;
    SDL_Renderer* renderer = SDL_GetRenderer(g_window);
    int wx = x, wy = y;
    int lw = 0, lh = 0;
    if (renderer) SDL_RenderGetLogicalSize(renderer, &lw, &lh);
    if (renderer && lw > 0 && lh > 0) {
        // Aim at the middle of the logical pixel so reading it back gives the same point.
        int fx = 0, fy = 0;
        SDL_RenderLogicalToWindow(renderer, float(x) + 0.5f, float(y) + 0.5f, &fx, &fy);
        wx = fx, wy = fy;
    }
    SDL_WarpMouseInWindow(g_window, wx, wy);
}

// The X server applies its own button mapping before SDL sees a click: nothing to exchange here.
bool SwapButtons(bool) { return false; }

int JoystickCount() {
    if (!SDL_WasInit(SDL_INIT_JOYSTICK)) return 0;
    return std::max(SDL_NumJoysticks(), 0);
}

// A pad is opened by its place in the enumeration. One that went away is re-opened at the next
// acquisition by its instance: the attached pad of the same kind (GUID) that no slot holds.
bool OpenJoystick(int index) {
    if (index < 0 || index >= 16) return false;
    if (size_t(index) >= g_joysticks.size()) g_joysticks.resize(size_t(index) + 1, nullptr);
    SDL_Joystick*& slot = g_joysticks[index];
    if (slot && SDL_JoystickGetAttached(slot)) return true;
    if (slot) {
        const SDL_JoystickGUID guid = SDL_JoystickGetGUID(slot);
        SDL_JoystickClose(slot);
        slot = nullptr;
        for (int d = 0; d < JoystickCount() && !slot; ++d) {
            SDL_JoystickGUID other = SDL_JoystickGetDeviceGUID(d);
            if (std::memcmp(&other, &guid, sizeof guid) != 0) continue;
            const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(d);
            bool taken = false;
            for (SDL_Joystick* j : g_joysticks) taken = taken || (j && SDL_JoystickInstanceID(j) == id);
            if (!taken) slot = SDL_JoystickOpen(d);
        }
        return slot != nullptr;
    }
    if (index >= JoystickCount()) return false;
    slot = SDL_JoystickOpen(index);
    return slot != nullptr;
}

void CloseJoystick(int index) {
    if (index < 0 || size_t(index) >= g_joysticks.size() || !g_joysticks[index]) return;
    if (SDL_WasInit(SDL_INIT_JOYSTICK)) SDL_JoystickClose(g_joysticks[index]);
    g_joysticks[index] = nullptr;
}

void PollJoysticks() {
    if (SDL_WasInit(SDL_INIT_JOYSTICK)) SDL_JoystickUpdate();
}

bool Joystick(int index, int32_t* x, int32_t* y, uint32_t* buttons) {
    if (index < 0 || size_t(index) >= g_joysticks.size()) return false;
    SDL_Joystick* j = g_joysticks[index];
    if (!j || !SDL_WasInit(SDL_INIT_JOYSTICK) || !SDL_JoystickGetAttached(j)) return false;
    int axes = SDL_JoystickNumAxes(j);
    *x = axes > 0 ? SDL_JoystickGetAxis(j, 0) : 0;
    *y = axes > 1 ? SDL_JoystickGetAxis(j, 1) : 0;
    int n = std::min(SDL_JoystickNumButtons(j), 32);
    uint32_t bits = 0;
    for (int b = 0; b < n; ++b)
        if (SDL_JoystickGetButton(j, b)) bits |= 1u << b;
    *buttons = bits;
    return true;
}
}  // namespace

int KeyCodeFromScancode(SDL_Scancode scancode) {
    if (scancode < 0 || scancode >= SDL_NUM_SCANCODES) return 0;
    return kTables.to_code[scancode];
}

SDL_Scancode ScancodeFromKeyCode(int code) {
    if (code < 0 || code > 255) return SDL_SCANCODE_UNKNOWN;
    return kTables.to_scancode[code];
}

void AttachWindow(SDL_Window* window) { g_window = window; }

void HandleEvent(const SDL_Event& e) {
    switch (e.type) {
        case SDL_KEYDOWN:
            if (e.key.repeat) break;  // held keys stay down; repeats never reach the snapshot
            if (int code = KeyCodeFromScancode(e.key.keysym.scancode)) g_keys[code].Press();
            break;
        case SDL_KEYUP:
            if (int code = KeyCodeFromScancode(e.key.keysym.scancode)) g_keys[code].Release(plat::TimeMs());
            break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP: {
            if (e.button.which == SDL_TOUCH_MOUSEID) break;
            int b = MouseButtonIndex(e.button.button);
            if (b < 0) break;
            if (e.type == SDL_MOUSEBUTTONDOWN)
                g_buttons[b].Press();
            else
                g_buttons[b].Release(plat::TimeMs());
            break;
        }
        case SDL_MOUSEWHEEL: {
            if (e.wheel.which == SDL_TOUCH_MOUSEID) break;
            int32_t notches = e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -e.wheel.y : e.wheel.y;
            // A running position: it wraps rather than overflows after endless turning.
            g_wheel = int32_t(uint32_t(g_wheel) + uint32_t(notches) * uint32_t(DI_WHEEL_DELTA));
            break;
        }
        case SDL_WINDOWEVENT:
            // Releases made while another window has the keyboard never arrive.
            if (e.window.event == SDL_WINDOWEVENT_FOCUS_LOST) {
                for (Latch& k : g_keys) k = Latch{};
                for (Latch& b : g_buttons) b = Latch{};
            }
            break;
        default: break;
    }
}

void BeginPump() {
    const uint32_t now = plat::TimeMs(), life = kTapLifeFrames * plat::FrameInterval();
    for (Latch& k : g_keys) k.Pump(now, life);
    for (Latch& b : g_buttons) b.Pump(now, life);
}

void ReadKeyboard(uint8_t out[256], bool poll) {
    for (int i = 0; i < 256; ++i) out[i] = g_keys[i].Read(poll) ? 0x80 : 0;
    if (poll) return;
    // An asynchronous read also asks the X server for the keys the program checks before its window
    // has the focus (Non-convert held at start): shifts, controls, alts, Convert and Non-convert.
    static constexpr std::pair<uint8_t, unsigned long> kAsync[] = {
        {0x2A, 0xFFE1}, {0x36, 0xFFE2}, {0x1D, 0xFFE3}, {0x9D, 0xFFE4},
        {0x38, 0xFFE9}, {0xB8, 0xFFEA}, {0x7B, 0xFF22}, {0x79, 0xFF23},
    };
    unsigned long syms[std::size(kAsync)];
    for (size_t i = 0; i < std::size(kAsync); ++i) syms[i] = kAsync[i].second;
    const uint32_t held = x11::HeldKeysyms(syms, int(std::size(kAsync)));
    for (size_t i = 0; i < std::size(kAsync); ++i)
        if (held & (1u << i)) out[kAsync[i].first] = 0x80;
}

void ResetState() {
    for (Latch& k : g_keys) k = Latch{};
    for (Latch& b : g_buttons) b = Latch{};
    g_wheel = 0;
}
}  // namespace plat::sdl::input

namespace plat::detail {
const InputSource& SdlInputSource() {
    namespace in = plat::sdl::input;
    static const InputSource source{in::Start,        in::ReadKeyboard,  in::Mouse,         in::Warp,
                                    in::SwapButtons,  in::JoystickCount, in::OpenJoystick,  in::CloseJoystick,
                                    in::PollJoysticks, in::Joystick};
    return source;
}
}  // namespace plat::detail
