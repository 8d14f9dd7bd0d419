// Input devices on SDL: every SDL event passes through here before the window sees it.
#pragma once
#include <SDL.h>

namespace plat::sdl::input {
void AttachWindow(SDL_Window* window);  // null when the window goes away
void HandleEvent(const SDL_Event& event);
}
