// Scripted input for the headless backend: the devices read whatever the test has set.
#include <algorithm>
#include <set>
#include <vector>

#include "platform/headless/headless.h"
#include "platform/input.h"
#include "platform/input_source.h"
#include "platform/input_script.h"
#include "platform/msgbox.h"
#include "platform/backend.h"

namespace headless {
InputState g_input;  // also played by the ORV_INPUT events below
namespace {
std::set<int> g_open;
std::set<int> g_lost;  // opened pads found unplugged: their reads fail until they are opened again

// Pad `index` (0 or more), attaching the pads up to it.
ScriptedJoystick& Pad(int index) {
    if (size_t(index) >= g_input.joysticks.size()) g_input.joysticks.resize(size_t(index) + 1);
    return g_input.joysticks[size_t(index)];
}

// The virtual key of a key code among the keys whose presses and releases the SDL backend posts
// as key messages; 0 for any other.
int VirtualKeyOf(int code) {
    switch (code) {  // the right-hand shift, control and alt
        case 0x36: return 0x10;
        case 0x9D: return 0x11;
        case 0xB8: return 0x12;
        default: break;
    }
    static const int kKeys[] = {0x08, 0x09, 0x0D, 0x10, 0x11, 0x12, 0x1B, 0x20, 0x25, 0x26, 0x27, 0x28};
    for (int vk : kKeys)
        if (plat::KeyCodeForVirtualKey(vk) == code) return vk;
    for (int vk = '0'; vk <= 'Z'; ++vk)
        if ((vk <= '9' || vk >= 'A') && plat::KeyCodeForVirtualKey(vk) == code) return vk;
    for (int vk = 0x70; vk <= 0x7B; ++vk)
        if (plat::KeyCodeForVirtualKey(vk) == code) return vk;
    return 0;
}

void Start() {}
void Keyboard(uint8_t out[256], bool) { std::copy(g_input.keys.begin(), g_input.keys.end(), out); }
void Mouse(plat::detail::MouseRaw* out, bool) {
    out->x = g_input.mouse_x;
    out->y = g_input.mouse_y;
    out->wheel = g_input.wheel;
    out->buttons = g_input.mouse_buttons & 0x0F;
}
void Warp(int32_t x, int32_t y) {
    g_input.mouse_x = x;
    g_input.mouse_y = y;
}
bool SwapButtons(bool swap) {
    bool was = g_input.buttons_swapped;
    g_input.buttons_swapped = swap;
    return was;
}
int JoystickCount() { return int(g_input.joysticks.size()); }
bool OpenJoystick(int index) {
    if (index < 0 || size_t(index) >= g_input.joysticks.size() || !g_input.joysticks[index].attached) return false;
    g_open.insert(index);
    g_lost.erase(index);
    return true;
}
void CloseJoystick(int index) { g_open.erase(index); }
void PollJoysticks() {}
bool Joystick(int index, int32_t* x, int32_t* y, uint32_t* buttons) {
    if (!g_open.count(index) || size_t(index) >= g_input.joysticks.size()) return false;
    const ScriptedJoystick& j = g_input.joysticks[index];
    if (!j.attached) g_lost.insert(index);
    if (g_lost.count(index)) return false;
    *x = std::clamp(j.x, -32768, 32767);
    *y = std::clamp(j.y, -32768, 32767);
    *buttons = j.buttons;
    return true;
}
}  // namespace

InputState& Input() { return g_input; }
void ResetInput() {
    g_input = InputState{};
    g_open.clear();
    g_lost.clear();
}
void SetKey(uint8_t code, bool down) { g_input.keys[code] = down ? 0x80 : 0; }
void SetMouse(int32_t x, int32_t y, uint8_t buttons) {
    g_input.mouse_x = x;
    g_input.mouse_y = y;
    g_input.mouse_buttons = buttons;
}
void TurnWheel(int notches) {
    g_input.wheel = int32_t(uint32_t(g_input.wheel) + uint32_t(notches) * uint32_t(DI_WHEEL_DELTA));
}
void SetJoystick(int index, int32_t x, int32_t y, uint32_t buttons) {
    if (index >= 0) Pad(index) = ScriptedJoystick{x, y, buttons, true};
}
void PlugJoystick(int index, bool plugged) {
    if (index < 0) return;
    Pad(index).attached = plugged;
    // As with a real pad, the opened device does not follow it back: it is opened again.
    if (!plugged && g_open.count(index)) g_lost.insert(index);
}
int OpenJoysticks() { return int(g_open.size()); }

void PressKey(uint8_t code, bool down) {
    const bool was = g_input.keys[code] & 0x80;
    SetKey(code, down);
    // As on the real backend, the window procedure hears the key go down or up, as a system key
    // while Alt is held.
    if (const int vk = VirtualKeyOf(code); vk > 0 && (was || down))
        plat::detail::PostKey(plat::MainWindow(), uint32_t(vk), down, was && down, AltHeld(), CtrlHeld());
}
bool AltHeld() { return (g_input.keys[0x38] | g_input.keys[0xB8]) & 0x80; }
bool CtrlHeld() { return (g_input.keys[0x1D] | g_input.keys[0x9D]) & 0x80; }
}  // namespace headless

namespace plat::detail {
const InputSource& HeadlessInputSource() {
    namespace h = headless;
    static const InputSource source{h::Start,        h::Keyboard,      h::Mouse,         h::Warp,
                                    h::SwapButtons,  h::JoystickCount, h::OpenJoystick,  h::CloseJoystick,
                                    h::PollJoysticks, h::Joystick};
    return source;
}
}  // namespace plat::detail

// ---- ORV_INPUT events on the headless backend ----
namespace plat::detail {
namespace {
// Frame 0's keys and pad states are the devices' state when the program starts.
bool HeldAtStart(const script::Event& e) {
    return e.frame == 0 && (e.op == script::Op::Key || e.op == script::Op::Pad);
}

// A `pad` event: the stick and buttons of a pad that stays plugged in or out as it was.
void HoldPad(const script::Event& e) {
    headless::ScriptedJoystick& j = headless::Pad(e.a);
    j.x = e.b, j.y = e.c, j.buttons = e.bits;
}
}  // namespace

void StartScript(const std::vector<script::Event>& events) {
    using script::Op;
    for (const script::Event& e : events) {
        // Pads are listed once, at start-up: a pad the script names is there by then.
        if (e.op == Op::Pad || e.op == Op::Plug) headless::Pad(e.a);
        if (!HeldAtStart(e)) continue;
        if (e.op == Op::Key)
            headless::SetKey(uint8_t(e.a), e.b != 0);  // down before the window was: no key message
        else
            HoldPad(e);
    }
}

void PlayScriptEvent(const script::Event& e) {
    using script::Op;
    if (HeldAtStart(e)) return;
    headless::InputState& in = headless::g_input;
    switch (e.op) {
        case Op::Key: headless::PressKey(uint8_t(e.a), e.b != 0); break;
        case Op::Mouse: in.mouse_x = e.a, in.mouse_y = e.b; break;
        case Op::Button:
            in.mouse_buttons = uint8_t(e.b ? in.mouse_buttons | (1u << e.a) : in.mouse_buttons & ~(1u << e.a));
            break;
        case Op::Wheel: headless::TurnWheel(e.a); break;
        case Op::Pad: HoldPad(e); break;
        case Op::Plug: headless::PlugJoystick(e.a, e.b != 0); break;
        case Op::Focus: headless::SetFocus(e.a != 0); break;
        case Op::Minimize: headless::Minimize(e.a != 0); break;
        case Op::Close: headless::Close(); break;
        case Op::Type: headless::Type(e.text); break;
        case Op::Drop: headless::DropFiles({e.text}); break;
        case Op::Answer: headless::PushMessageBoxAnswer(e.a ? plat::IDOK : plat::IDCANCEL); break;
    }
}
}  // namespace plat::detail
