// A stand-in scenario screen that drives the system UI each frame as the scenario mode drives it:
// a backdrop and a text window, the bar's step, the system windows its requests open (test windows
// on the menu-window stack; the save window writes a slot), the text window's skip, auto and
// automatic-save checks, then the drawing, the software cursor and the notices.
#pragma once
#include <cstdint>

#include "platform/window.h"

namespace support {

struct BarScene {
    plat::Window* window = nullptr;
    int32_t backdrop = -1, backdrop_sprite = -1;
    int32_t text_image = -1, text_sprite = -1;
    int32_t frame = 0;
    int32_t pages = 0;          // pages the text window turned (clicks and auto mode)
    int32_t windows = 0;        // system windows opened
    int32_t window_frames = 0;  // frames the current window has run
    uint32_t buttons = 0;       // mouse buttons of the last frame
};
extern BarScene BAR_SCENE;

// Starts the settings' defaults, the menu-window manager and the system UI in the current data
// directory, and builds the scenario's screen.
void BarSceneStart(plat::Window* window);
// One frame with the pointer at (x, y), the mouse buttons held (1 left, 2 right, 4 middle) and the
// logical buttons pressed and held; the pointer is moved there so the software cursor follows.
void BarSceneFrame(int32_t x, int32_t y, uint32_t buttons = 0, uint16_t pressed = 0, uint16_t held = 0);
void BarSceneEnd();
}  // namespace support
