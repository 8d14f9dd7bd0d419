// Access to the SDL window behind a platform window (for screen tests).
#pragma once
#include <SDL.h>

#include "platform/window.h"

namespace plat::sdl {
SDL_Window* NativeWindow(plat::Window* window);  // null when not an SDL window
}
