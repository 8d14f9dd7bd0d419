// The software mouse cursor: three looks, an animated frame, a click frame and click particles,
// drawn through display objects that the system bar creates.
#pragma once
#include <cstdint>

#include "platform/window.h"
#include "shell/sys_bar.h"

constexpr int MOUSE_PARTICLES = 16;
extern BAR_PARTS MOUSE_PARTICLE[MOUSE_PARTICLES];  // alive while y < 480

// Resets the animation, the click state and the frame driver's tick counter; the arguments are
// not used. 1.
int MOUSE_InitCursor(const char* file, int set);
// -1 hides the cursor and its particles, 0..4 show them; only mode 1 changes the look. Nothing
// while the common picture is missing or when the mode is the current one.
void MOUSE_SetCursorMode(int mode);
int MOUSE_GetCursorMode();
int MOUSE_IsCursorShown();
void MOUSE_ShowCursor(int flag);  // the visible byte of the cursor and its particles
// Every pass of the frame driver: follows the pointer, animates once per draw tick, throws
// particles on a left click in the third look.
void MOUSE_UpdateCursor(plat::Window* window);
