// The software cursor as the shell drives it.
#pragma once
#include <cstdint>

#include "platform/window.h"

int MOUSE_InitCursor(const char* file, int set);
void MOUSE_UpdateCursor(plat::Window* window);
// -1 hides the cursor; 0..4 picture modes; the same mode again does nothing.
void MOUSE_SetCursorMode(int mode);
int MOUSE_GetCursorMode();
void MOUSE_ShowCursor(int shown);
int MOUSE_IsCursorShown();
