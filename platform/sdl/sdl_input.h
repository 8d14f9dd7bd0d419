// Input devices on SDL: every SDL event passes through here before the window sees it.
#pragma once
#include <SDL.h>

#include <cstdint>

namespace plat::sdl::input {
void AttachWindow(SDL_Window* window);  // null when the window goes away
void HandleEvent(const SDL_Event& event);
// Called at the start of every event pump: taps already seen by a poll, or older than a few
// frame intervals, are let go here.
void BeginPump();

// Key code (PC set-1 scan code, 0x80 added for E0-prefixed keys) of an SDL scancode; 0 when none.
int KeyCodeFromScancode(SDL_Scancode scancode);
// The SDL scancode of a key code; SDL_SCANCODE_UNKNOWN when none.
SDL_Scancode ScancodeFromKeyCode(int code);

// The keyboard as the keyboard device (poll) or GetAsyncKeyState reads it, and a clean slate.
void ReadKeyboard(uint8_t out[256], bool poll);
void ResetState();
}  // namespace plat::sdl::input
