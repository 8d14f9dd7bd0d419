// Keyboard, mouse and joystick state gathered from SDL events.
#include "platform/sdl/sdl_input.h"

namespace plat::sdl::input {
namespace {
SDL_Window* g_window = nullptr;
}
void AttachWindow(SDL_Window* window) { g_window = window; }
void HandleEvent(const SDL_Event&) {}
}  // namespace plat::sdl::input
