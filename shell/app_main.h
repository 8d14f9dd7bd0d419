// The process entry: one copy per user, the main window, start-up of every module in order, the
// message loop and shutdown in order.
#pragma once
#include <cstdint>

#include "platform/window.h"

extern plat::Window* APP_Window;  // the main window, null while none
extern int32_t APP_Active;        // the main window is active
extern int32_t APP_Paused;        // while set the loop runs no frame step
extern int32_t APP_ScreenCopy;    // hidden 640 x 480 image for cross-fades, and its object
extern int32_t APP_ScreenCopySprite;

// The entry: 0 when another copy runs or the window cannot be made, else the WM_QUIT's wParam.
int WinMain();
// Class, window, the screen mode from the settings file and the display; 1, or 0 on failure.
int APP_CreateWindow();
void APP_GameInit();
void APP_GameTerm();
void APP_SoundInit();
void APP_SoundTerm();
void APP_SaveSurfaces();
void APP_RestoreSurfaces();
// Unless keep: every image's surface copied first; then every surface released.
void APP_ReleaseSurfaces(int keep);
