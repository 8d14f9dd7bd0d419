// The window procedure: activation and pause, the quit question on close, F4's screen-mode
// switch, the typed key sequence, the window placement and the registry values under the game's key.
#pragma once
#include <cstdint>

#include "platform/window.h"

extern int32_t APP_HiddenMode;  // set by the typed key sequence, never cleared

// The characters typed since the last reset: always a beginning of the key sequence between
// characters (a wrong one empties it), at most 12 with the one that breaks it, zero-terminated.
struct APP_KEY_BUFFER {
    char text[13];
    int8_t length;
};
extern APP_KEY_BUFFER APP_KeyBuffer;

intptr_t APP_WndProc(plat::Window* window, uint32_t msg, uintptr_t wparam, intptr_t lparam);
// Sets the display up (the first call) or switches it, then places the window. 1, or 0 when the
// set-up or the switch failed (the window is then destroyed).
int APP_SetDisplayMode(plat::Window* window, int width, int height, int depth, int full_screen);
// The system menu's items by position (restore, move, size, minimise, maximise, close): which
// are enabled. There is no menu to show them; they are kept for what reads them.
void APP_SetSysMenu(plat::Window* window, int active);
int APP_SysMenuEnabled(int position);

// Values under "Software\VORN\ORV_DEMO[\sub_key]". A read gives 1 only when the stored value has
// exactly `size` bytes (another size counts as missing).
int APP_RegRead(const char* sub_key, const char* name, void* buffer, uint32_t size);
// A size of 0 is the string's length + 1 (REG_SZ), 4 (REG_DWORD) or up to the first pair of zero
// bytes + 2 (REG_MULTI_SZ). 1 when written.
int APP_RegWrite(const char* sub_key, const char* name, uint32_t type, const void* data, uint32_t size);
int APP_RegWriteDword(const char* sub_key, const char* name, uint32_t number);

using APP_DROP_PROC = void (*)(plat::HDROP drop);
void APP_SetDropProc(APP_DROP_PROC proc);

// Back to the state at start (first set-up pending, empty key buffer, hidden mode off); the key
// sequence's sound is released.
void APP_WndReset();
