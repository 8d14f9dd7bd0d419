// Reads what an SDL window shows from the X server.
#pragma once
#include <SDL.h>

#include <cstdint>
#include <vector>

// The window's pixels as 0x00RRGGBB, or empty when it cannot be read.
std::vector<uint32_t> Capture(SDL_Window* window, int width, int height);
