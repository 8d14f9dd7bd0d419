// The main window and its messages: one window procedure receives close, activation, paint, keys,
// typed characters and dropped files; the window's placement on the emulated screen.
#pragma once
#include <cstdint>

#include "platform/types.h"

namespace plat {
struct Window;

constexpr uint32_t WM_CREATE = 0x0001;
constexpr uint32_t WM_DESTROY = 0x0002;
constexpr uint32_t WM_ACTIVATE = 0x0006;  // wparam: low word WA_*, high word nonzero when minimised
constexpr uint32_t WM_PAINT = 0x000F;
constexpr uint32_t WM_CLOSE = 0x0010;
constexpr uint32_t WM_QUIT = 0x0012;
constexpr uint32_t WM_ENDSESSION = 0x0016;   // wparam 1: the session ends (a signal, ORV_FRAMES)
constexpr uint32_t WM_ACTIVATEAPP = 0x001C;  // wparam: 1 activated, 0 deactivated
constexpr uint32_t WM_NCACTIVATE = 0x0086;   // wparam: 1 the caption shows active, 0 inactive
// Keys: wparam the virtual-key code; lparam bit 29 Alt held, bit 30 the key was down before (a
// repeat, or any release), bit 31 a release. A key pressed or let go while Alt is held (Ctrl not),
// and F10, come as the system's WM_SYSKEYDOWN / WM_SYSKEYUP; a character typed with Alt as WM_SYSCHAR.
constexpr uint32_t WM_KEYDOWN = 0x0100;
constexpr uint32_t WM_KEYUP = 0x0101;
constexpr uint32_t WM_CHAR = 0x0102;  // wparam: character byte (Shift-JIS)
constexpr uint32_t WM_SYSKEYDOWN = 0x0104;
constexpr uint32_t WM_SYSKEYUP = 0x0105;
constexpr uint32_t WM_SYSCHAR = 0x0106;
constexpr uint32_t WM_COMMAND = 0x0111;
constexpr uint32_t WM_SYSCOMMAND = 0x0112;  // wparam: SC_* (the low four bits are the system's own)
constexpr uint32_t WM_DROPFILES = 0x0233;    // wparam: the drop (HDROP)

constexpr intptr_t KF_ALTDOWN = intptr_t(1) << 29;  // bits of a key message's lparam
constexpr intptr_t KF_REPEAT = intptr_t(1) << 30;
constexpr intptr_t KF_UP = intptr_t(1) << 31;
constexpr uint32_t SC_CLOSE = 0xF060;

constexpr uint16_t WA_INACTIVE = 0;
constexpr uint16_t WA_ACTIVE = 1;
constexpr uint16_t WA_CLICKACTIVE = 2;

using WndProc = intptr_t (*)(Window* window, uint32_t msg, uintptr_t wparam, intptr_t lparam);

struct Msg {
    Window* window = nullptr;
    uint32_t message = 0;
    uintptr_t wparam = 0;
    intptr_t lparam = 0;
};

// Creates a hidden window whose client area is width x height (fixed: the player cannot resize or
// maximise it); the title is Shift-JIS.
Window* CreateMainWindow(const char* title_sjis, int width, int height, WndProc proc);
void ShowWindow(Window* window, bool show);
void UpdateWindow(Window* window);
bool GetClientRect(Window* window, RECT* out);
// Sends WM_DESTROY to the procedure, then frees the window; null is accepted.
void DestroyWindow(Window* window);
bool IsWindowActive(Window* window);
// Whether the window exists: devices that keep a window (the display's full-screen owner, a
// clipper) may outlive it, and leave it alone once it is destroyed.
bool IsWindow(Window* window);
bool IsIconic(Window* window);  // minimised
// Switches the window between its client size and desktop full screen (letterboxed). Asking for
// the mode the window already has does nothing to the window.
void SetWindowFullscreen(Window* window, bool full);
bool IsWindowFullscreen(Window* window);

// ---- placement on the emulated screen ----
// Windowed, the client area lies at its place on the desktop inside a frame of SM_CXFRAME /
// SM_CYFRAME and a caption of SM_CYCAPTION; in full screen the client area is the screen and
// starts at its origin (the window cannot be moved then).
constexpr int SM_CXSCREEN = 0;
constexpr int SM_CYSCREEN = 1;
constexpr int SM_CYCAPTION = 4;
constexpr int SM_CXFRAME = 32;
constexpr int SM_CYFRAME = 33;
int GetSystemMetrics(int index);  // 0 for an unknown index

constexpr uint32_t SWP_NOSIZE = 0x1;
constexpr uint32_t SWP_NOMOVE = 0x2;
constexpr uint32_t SWP_NOZORDER = 0x4;
constexpr uint32_t SWP_NOACTIVATE = 0x10;
// The whole window's rectangle, frame and caption included, in screen coordinates.
bool GetWindowRect(Window* window, RECT* out);
// Moves the whole window so its top-left corner lies at (x, y) unless SWP_NOMOVE; the size stays
// the fixed client size plus the frame whatever cx and cy say. Ignored in full screen.
bool SetWindowPos(Window* window, int x, int y, int cx, int cy, uint32_t flags);
// Grows a client rectangle to the whole window's (the game window's one style).
bool AdjustWindowRect(RECT* rect);
bool ClientToScreen(Window* window, POINT* point);
bool ScreenToClient(Window* window, POINT* point);

// ---- dropped files ----
using HDROP = const struct DropFiles*;
void DragAcceptFiles(Window* window, bool accept);
// index 0xFFFFFFFF: the number of files. Otherwise copies file `index` (Shift-JIS, zero-ended,
// cut to the buffer) and returns its length without the zero; 0 for a bad index or drop.
uint32_t DragQueryFile(HDROP drop, uint32_t index, char* buffer, uint32_t size);
void DragFinish(HDROP drop);

// Takes the next message, gathering new ones from the backend first; false when none waits.
bool PeekMessage(Msg* out);
intptr_t DispatchMessage(const Msg& msg);
void PostMessage(Window* window, uint32_t message, uintptr_t wparam, intptr_t lparam);
void PostQuitMessage(int code);
// Default handling: WM_CLOSE and WM_ENDSESSION (wparam 1) destroy the window; Alt+F4 pressed
// (WM_SYSKEYDOWN, not a repeat) sends WM_SYSCOMMAND SC_CLOSE, which sends WM_CLOSE, to the window's
// procedure; everything else does nothing.
intptr_t DefWindowProc(Window* window, uint32_t msg, uintptr_t wparam, intptr_t lparam);
// The one main window, or null.
Window* MainWindow();
}  // namespace plat
