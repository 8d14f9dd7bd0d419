// The main window and its messages: one window procedure receives close, activation and keys.
#pragma once
#include <cstdint>

#include "platform/types.h"

namespace plat {
struct Window;

constexpr uint32_t WM_DESTROY = 0x0002;
constexpr uint32_t WM_CLOSE = 0x0010;
constexpr uint32_t WM_QUIT = 0x0012;
constexpr uint32_t WM_ACTIVATEAPP = 0x001C;  // wparam: 1 activated, 0 deactivated
constexpr uint32_t WM_KEYDOWN = 0x0100;      // wparam: virtual-key code
constexpr uint32_t WM_CHAR = 0x0102;         // wparam: character byte (Shift-JIS)

using WndProc = intptr_t (*)(Window* window, uint32_t msg, uintptr_t wparam, intptr_t lparam);

struct Msg {
    Window* window = nullptr;
    uint32_t message = 0;
    uintptr_t wparam = 0;
    intptr_t lparam = 0;
};

// Creates a hidden window whose client area is width x height; the title is Shift-JIS.
Window* CreateMainWindow(const char* title_sjis, int width, int height, WndProc proc);
void ShowWindow(Window* window, bool show);
void UpdateWindow(Window* window);
bool GetClientRect(Window* window, RECT* out);
bool ClientToScreen(Window* window, POINT* point);
// Sends WM_DESTROY to the procedure, then frees the window; null is accepted.
void DestroyWindow(Window* window);
bool IsWindowActive(Window* window);
// Switches the window between its client size and desktop full screen (letterboxed).
void SetWindowFullscreen(Window* window, bool full);

// Takes the next message, gathering new ones from the backend first; false when none waits.
bool PeekMessage(Msg* out);
intptr_t DispatchMessage(const Msg& msg);
void PostMessage(Window* window, uint32_t message, uintptr_t wparam, intptr_t lparam);
void PostQuitMessage(int code);
// Default handling: WM_CLOSE destroys the window.
intptr_t DefWindowProc(Window* window, uint32_t msg, uintptr_t wparam, intptr_t lparam);
// The one main window, or null.
Window* MainWindow();
}  // namespace plat
