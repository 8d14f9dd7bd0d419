// Stand-in for the software cursor until the sprite layer's cursor replaces it: it keeps the
// shown flag and mode the shell and the message box set, and draws nothing.
#include "services/mou_cursor.h"

namespace {
int g_shown = 1;
int g_mode = 0;
}  // namespace

int MOUSE_InitCursor(const char*, int) { return 1; }
void MOUSE_UpdateCursor(plat::Window*) {}
void MOUSE_SetCursorMode(int mode) { g_mode = mode; }
int MOUSE_GetCursorMode() { return g_mode; }
void MOUSE_ShowCursor(int shown) { g_shown = shown ? 1 : 0; }
int MOUSE_IsCursorShown() { return g_shown; }
