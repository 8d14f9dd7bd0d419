// What the X server shows of the game's window and pointer, and requests sent to it as a window
// manager or another client would (kept apart: X11's macros clash with GoogleTest).
#pragma once
#include <SDL.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/screen/x11_common.h"

// Whether the X server shows no pointer image where the pointer is now (XFixes).
bool PointerImageBlank();

// Starts a window manager (openbox) on the display and waits until it manages windows; its
// process id, or -1 when none could start.
int StartWindowManager();
void StopWindowManager(int pid);
// Asks the window to close as a window manager's close button does (WM_DELETE_WINDOW).
bool SendCloseRequest(SDL_Window* window);
// Another client's window, shown and given the focus through the window manager; 0 on failure.
unsigned long OpenOtherWindow();
void CloseOtherWindow();
// The X window id of an SDL window, and which window has the keyboard focus now.
unsigned long XWindowOf(SDL_Window* window);
unsigned long FocusedWindow();
// The whole screen as 0xRRGGBB pixels, row after row; empty on failure.
std::vector<uint32_t> CaptureScreen(int* width, int* height);
// Moves the pointer to a point of the screen (the server's own warp: works with no window there).
bool WarpPointer(int x, int y);
// Asks the window manager to maximise the window, as its title bar's button or a double click does.
bool RequestMaximize(SDL_Window* window);
// The actions the window manager offers for the window (_NET_WM_ALLOWED_ACTIONS), by atom name.
std::vector<std::string> AllowedActions(SDL_Window* window);
// A point of the window's title bar on the screen, in its title's text; false without a title bar.
bool TitleBarPoint(SDL_Window* window, int* x, int* y);
