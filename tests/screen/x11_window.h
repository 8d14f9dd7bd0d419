// What the X server shows of the game's window and pointer, and requests sent to it as a window
// manager or another client would (kept apart: X11's macros clash with GoogleTest).
#pragma once
#include <SDL.h>

// Whether the X server shows no pointer image where the pointer is now (XFixes).
bool PointerImageBlank();
