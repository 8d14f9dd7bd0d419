// The window procedure, the screen-mode switch with the window's placement, and the registry.
#include "shell/app_wnd.h"

#include <cstring>
#include <string>

#include "display/dd_display.h"
#include "platform/registry.h"
#include "script/adv_script.h"
#include "services/fil_util.h"
#include "services/inp_device.h"
#include "services/sound/snd_device.h"
#include "services/sound/snd_game.h"
#include "shell/app_frame.h"
#include "shell/app_main.h"
#include "shell/bar_notice.h"
#include "shell/msgbox.h"
#include "shell/sysdat.h"
#include "title/title.h"

int32_t APP_HiddenMode = 0;
APP_KEY_BUFFER APP_KeyBuffer{};

namespace {
constexpr uint32_t kVkF4 = 0x73;
constexpr char kSequence[] = "qorvintaleb";
constexpr int kSequenceLength = sizeof kSequence - 1;
static_assert(kSequenceLength + 2 == sizeof APP_KeyBuffer.text);
constexpr int kSoundRefuse = 48;

bool g_first_setup = true;
SND_BUFFER g_cheer = nullptr;  // "Wav\Ganbare.wav", loaded at the first completed sequence
bool g_sound_paused = false;   // the activation steps paused the sound
APP_DROP_PROC g_drop = nullptr;
bool g_menu[6] = {};

bool FullScreen() { return DD_DISPLAY.full_screen != 0; }

std::string KeyPath(const char* sub_key) {
    std::string path = "Software\\VORN\\ORV_DEMO";
    if (sub_key && *sub_key) path += std::string("\\") + sub_key;
    return path;
}

void StoreWindowRect(plat::Window* window) {
    RECT r;
    if (!plat::GetWindowRect(window, &r)) return;
    const int32_t v[4] = {r.left, r.top, r.right, r.bottom};
    APP_RegWrite("Main", "WndRect", plat::REG_BINARY, v, sizeof v);
}

// The client area covers the screen; caption and frame lie outside it.
void PlaceFullScreen(plat::Window* window, int width, int height) {
    plat::SetWindowPos(window, 0, 0, 0, 0, plat::SWP_NOSIZE | plat::SWP_NOACTIVATE);
    POINT origin{0, 0};
    plat::ClientToScreen(window, &origin);
    plat::SetWindowPos(window, -origin.x, -origin.y, width + 2 * plat::GetSystemMetrics(plat::SM_CXFRAME),
                       height + plat::GetSystemMetrics(plat::SM_CYCAPTION) + 2 * plat::GetSystemMetrics(plat::SM_CYFRAME),
                       plat::SWP_NOACTIVATE);
}

// At the stored rectangle's top-left, pulled back inside the screen; (0, 0) without one.
void PlaceWindowed(plat::Window* window, int width, int height) {
    int32_t x = 0, y = 0;
    int32_t stored[4];
    if (APP_RegRead("Main", "WndRect", stored, sizeof stored)) {
        const int32_t right_limit = plat::GetSystemMetrics(plat::SM_CXSCREEN) - 2 * plat::GetSystemMetrics(plat::SM_CXFRAME);
        const int32_t bottom_limit = plat::GetSystemMetrics(plat::SM_CYSCREEN) -
                                     2 * plat::GetSystemMetrics(plat::SM_CYFRAME) - plat::GetSystemMetrics(plat::SM_CYCAPTION);
        if (stored[0] >= 0) x = int64_t(stored[0]) + width <= right_limit ? stored[0] : right_limit - width;
        if (stored[1] >= 0) y = int64_t(stored[1]) + height <= bottom_limit ? stored[1] : bottom_limit - height;
    }
    RECT r{0, 0, width, height};
    plat::AdjustWindowRect(&r);
    plat::SetWindowPos(window, x, y, r.right - r.left, r.bottom - r.top, plat::SWP_NOZORDER | plat::SWP_NOACTIVATE);
    plat::SetWindowPos(window, 0, 0, 0, 0, plat::SWP_NOSIZE | plat::SWP_NOMOVE | plat::SWP_NOACTIVATE);
}

// Sets the display mode again with the pictures kept aside meanwhile (surfaces do not outlive the
// display they came from); false, with the window destroyed, when the mode cannot be set.
bool ChangeMode(plat::Window* window, int width, int height, int depth, int32_t full) {
    APP_SaveSurfaces();
    if (!DD_ChangeMode(width, height, static_cast<uint16_t>(depth), full, 0, 1)) {
        plat::DestroyWindow(window);
        return false;
    }
    APP_RestoreSurfaces();
    return true;
}

// What gaining or losing the activation does; `reset_display` re-sets a full-screen display.
intptr_t Activation(plat::Window* window, uintptr_t wparam, bool reset_display) {
    if (reset_display && FullScreen()) {
        if (!ChangeMode(window, DD_DISPLAY.width, DD_DISPLAY.height, DD_DISPLAY.bpp, 1)) return 0;
        PlaceFullScreen(window, DD_DISPLAY.width, DD_DISPLAY.height);
    }
    APP_Active = (wparam & 0xFFFF) != 0 ? 1 : 0;
    if (FullScreen() || SYS_DATA.run_inactive == 0) APP_Paused = !APP_Active;
    // Sound pauses once per loss and resumes once per return, however many messages say so.
    if (APP_Active) {
        if (g_sound_paused) SND_ResumeAll();
        g_sound_paused = false;
        INP_Acquire();
    } else {
        if (SYS_DATA.sound_inactive == 0 && !g_sound_paused) {
            SND_PauseAll();
            g_sound_paused = true;
        }
        INP_Unacquire();
    }
    APP_SetSysMenu(window, 1);
    return 0;
}

void SwitchScreenMode(plat::Window* window) {
    const bool full = FullScreen();
    if ((full && DD_DISPLAY.bpp != DD_DISPLAY.desktop_bpp) || LOGO_IsActive()) {
        // 画面モードを変更できません
        BAR_Notice("\x89\xe6\x96\xca\x83\x82\x81[\x83h\x82\xf0\x95\xcf\x8d" "X\x82\xc5\x82\xab\x82\xdc\x82\xb9\x82\xf1", 0, 1);
        return;
    }
    SYS_DATA.window_mode = full ? 1 : 0;
    APP_SetDisplayMode(window, DD_DISPLAY.width, DD_DISPLAY.height, DD_DISPLAY.bpp, full ? 0 : 1);
}

void TypedCharacter(uint8_t c) {
    APP_KEY_BUFFER& k = APP_KeyBuffer;
    if (k.length < 0 || k.length > kSequenceLength) k.length = 0;
    k.text[k.length++] = static_cast<char>(c);
    k.text[k.length] = 0;
    if (std::strcmp(k.text, kSequence) == 0) {
        if (!g_cheer) g_cheer = SND_LoadFile("Wav\\Ganbare.wav");  // beside the program, not the base
        SND_SetPosition(g_cheer, 0);
        SND_Play(g_cheer, 0);
        APP_HiddenMode = 1;
    }
    // The buffer keeps only a beginning of the sequence: a wrong character empties it.
    for (int i = 0; i < k.length; ++i)
        if (k.text[i] != kSequence[i]) {
            k.length = 0;
            break;
        }
}
}  // namespace

intptr_t APP_WndProc(plat::Window* window, uint32_t msg, uintptr_t wparam, intptr_t lparam) {
    switch (msg) {
        case plat::WM_CREATE: return 0;
        case plat::WM_DESTROY:
            if (!FullScreen() && !plat::IsIconic(window)) StoreWindowRect(window);
            APP_RegWriteDword("Main", "WndMode", FullScreen() ? 0 : 1);
            if (window == APP_Window) APP_Window = nullptr;
            plat::PostQuitMessage(0);
            return 0;
        case plat::WM_ACTIVATE: return Activation(window, wparam, true);
        case plat::WM_NCACTIVATE: return FullScreen() ? 0 : Activation(window, wparam, false);
        case plat::WM_ACTIVATEAPP:
            if (wparam == 0 && FullScreen()) {
                APP_Active = 0;
                APP_Paused = 1;
                APP_SetSysMenu(window, 0);
                APP_SaveSurfaces();
            }
            return 0;
        case plat::WM_PAINT:
            if (DD_DISPLAY.primary && DD_DISPLAY.back) DD_Present();
            return 0;
        case plat::WM_CLOSE:
            // The end picture runs because the player already chose to quit.
            if (ADV_TRANSITION != 0 || GAME_MODE == APP_MODE_END_SETUP || GAME_MODE == APP_MODE_END) return 0;
            SE_PlaySys(kSoundRefuse, 0);
            MSGBOX_Open(MSGBOX_KIND_QUIT, MSGBOX_QUIT);
            return 0;
        case plat::WM_KEYDOWN:
            // One switch per press: a held key's repeats switch nothing more.
            if (wparam == kVkF4 && !(lparam & plat::KF_REPEAT)) SwitchScreenMode(window);
            return 0;
        case plat::WM_CHAR: TypedCharacter(static_cast<uint8_t>(wparam)); return 0;
        case plat::WM_COMMAND: return 0;
        case plat::WM_DROPFILES: {
            const auto drop = reinterpret_cast<plat::HDROP>(wparam);
            if (g_drop)
                g_drop(drop);
            else
                plat::DragFinish(drop);
            plat::DragAcceptFiles(window, true);
            return 0;
        }
        default: return plat::DefWindowProc(window, msg, wparam, lparam);
    }
}

int APP_SetDisplayMode(plat::Window* window, int width, int height, int depth, int full_screen) {
    int32_t full = full_screen;
    if (g_first_setup) {
        if (!DD_Init(window, width, height, static_cast<uint16_t>(depth), &full, 0, 1)) {
            plat::DestroyWindow(window);
            return 0;
        }
        g_first_setup = false;
    } else {
        if (!FullScreen() && !plat::IsIconic(window)) StoreWindowRect(window);
        if (!ChangeMode(window, width, height, depth, full)) return 0;
    }
    if (full)
        PlaceFullScreen(window, width, height);
    else
        PlaceWindowed(window, width, height);
    return 1;
}

void APP_SetSysMenu(plat::Window* window, int active) {
    // Restore, move, size, minimise, maximise, close.
    g_menu[1] = g_menu[2] = g_menu[4] = false;
    g_menu[5] = true;
    const bool up = active && !plat::IsIconic(window);
    g_menu[0] = !up;
    g_menu[3] = up;
}

int APP_SysMenuEnabled(int position) { return position >= 0 && position < 6 && g_menu[position] ? 1 : 0; }

int APP_RegRead(const char* sub_key, const char* name, void* buffer, uint32_t size) {
    uint32_t stored = 0;
    const std::string path = KeyPath(sub_key);
    if (!plat::RegQueryValue(path.c_str(), name, nullptr, nullptr, &stored) || stored != size) return 0;
    return plat::RegQueryValue(path.c_str(), name, nullptr, buffer, &stored) ? 1 : 0;
}

int APP_RegWrite(const char* sub_key, const char* name, uint32_t type, const void* data, uint32_t size) {
    if (size == 0 && data) {
        const auto* p = static_cast<const uint8_t*>(data);
        if (type == plat::REG_SZ) size = static_cast<uint32_t>(strnlen(static_cast<const char*>(data), plat::REG_MAX_VALUE)) + 1;
        if (type == plat::REG_DWORD) size = 4;
        if (type == plat::REG_MULTI_SZ) {
            uint32_t i = 0;
            while (i + 1 < plat::REG_MAX_VALUE && !(p[i] == 0 && p[i + 1] == 0)) ++i;
            size = i + 2;
        }
    }
    return plat::RegSetValue(KeyPath(sub_key).c_str(), name, type, data, size) ? 1 : 0;
}

int APP_RegWriteDword(const char* sub_key, const char* name, uint32_t number) {
    return APP_RegWrite(sub_key, name, plat::REG_DWORD, &number, 0);
}

void APP_SetDropProc(APP_DROP_PROC proc) { g_drop = proc; }

void APP_WndReset() {
    APP_HiddenMode = 0;
    g_first_setup = true;
    APP_KeyBuffer = APP_KEY_BUFFER{};
    g_sound_paused = false;
    g_drop = nullptr;
    // The sequence's sound goes before the sound device; a new run loads it again.
    SND_Release(g_cheer);
    g_cheer = nullptr;
}
