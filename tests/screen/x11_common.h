// X requests shared by the screen tests that drive a window of their own and those that drive the
// game's (kept apart from Xlib's headers: their macros clash with GoogleTest).
#pragma once

// The screen's size; false when the display cannot be opened.
bool ScreenSize(int* width, int* height);
// Asks the X window to close as a window manager's close button does (WM_DELETE_WINDOW); false
// when the display cannot be opened.
bool SendDeleteWindow(unsigned long window);
