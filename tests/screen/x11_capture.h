// Reads what an SDL window shows from the X server.
#pragma once
#include <SDL.h>

#include <cstdint>
#include <vector>

// The window's pixels as 0x00RRGGBB, or empty when it cannot be read.
std::vector<uint32_t> Capture(SDL_Window* window, int width, int height);

// How many pixels of the 640 x 480 window differ from the display's back buffer as our own
// conversion shows it; -1 when the window cannot be read.
long DiffersFromBackBuffer(SDL_Window* window);
// Presents the back buffer and pumps the window's messages until the window shows it (a busy X
// server may take a while), at most about three seconds; the last count of differing pixels.
long PresentUntilShown(SDL_Window* window);
