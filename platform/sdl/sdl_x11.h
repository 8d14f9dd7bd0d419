// What the SDL backend asks of the X server itself (kept apart: X11's macros clash with other headers).
#pragma once
#include <SDL.h>

#include <cstdint>

namespace plat::sdl::x11 {
// The pointer relative to the window's client area, straight from the server (also outside the
// window, and right after the window was shown or changed its mode). False when not on X.
bool QueryPointer(SDL_Window* window, int* x, int* y);
// Which of the keys named by X keysyms are held now (bit i for keysyms[i], at most 32), by the
// server's own key map: no focus needed, so a key held since before the program started counts.
// 0 when not on X.
uint32_t HeldKeysyms(const unsigned long* keysyms, int count);
// Gives the window the screen rectangle when it has not got it: a full-screen window on bare X
// without a window manager keeps its old size and place otherwise. True when it moved it.
bool FitToScreen(SDL_Window* window, int x, int y, int width, int height);
// Asks the window manager for a window that can be moved, minimised and closed, but neither resized
// nor maximised (the Motif hints most window managers read).
void FixedSizeHints(SDL_Window* window);
// X protocol errors no longer exit the process: they are reported in the debug output, and one about
// the window, once watched, ends the program in order (another program destroyed it).
void CatchErrors();
// Makes a lost display connection, or the window destroyed by another program, end the program in
// order instead of exiting the process.
void WatchConnection(SDL_Window* window);
// An X event SDL passed on: the window's destroy notice ends the program in order.
void WatchEvent(const SDL_SysWMmsg& msg);
// Whether the window is gone (destroyed by another program, or the connection lost), by all the
// server has said up to now. Such a window is asked nothing more: SDL would wait for ever for its
// unmap and map notices.
bool WindowGone();
// The program destroys its window itself: errors about it are no longer another program's doing.
void ForgetWindow();
}  // namespace plat::sdl::x11
