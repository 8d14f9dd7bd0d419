// The frame driver: update and draw ticks paced by the millisecond clock, the top-level modes,
// the quit question and the end picture.
#pragma once
#include <cstdint>

#include "shell/sys_bar.h"

// Top-level modes.
constexpr int32_t APP_MODE_BOOT = 0;
constexpr int32_t APP_MODE_LOGO = 1;
constexpr int32_t APP_MODE_TITLE = 2;
constexpr int32_t APP_MODE_BATTLE = 4;
constexpr int32_t APP_MODE_SCENARIO = 5;
constexpr int32_t APP_MODE_RANKING = 6;
constexpr int32_t APP_MODE_DEPARTURE = 8;
constexpr int32_t APP_MODE_END_SETUP = 10;
constexpr int32_t APP_MODE_END = 11;

constexpr uint32_t FRAME_RATE_TABLE[4] = {66, 50, 33, 16};
constexpr int32_t APP_END_TICKS = 60;  // the end picture's ticks before the window closes
constexpr int32_t APP_END_SLIDE = 30;  // ticks of the strip's slide and the fade

extern int32_t GAME_MODE;
extern int32_t APP_PrevMode;
extern uint32_t APP_FrameInterval;
extern uint32_t APP_UpdateTime, APP_DrawTime;
extern int32_t APP_DrawTickCount;  // draw ticks so far (the software cursor animates by it)
extern int32_t APP_EndCount;
extern int32_t APP_EndImage;
extern BAR_PARTS APP_EndParts[2];  // the picture and its strip

// One pass: the clock read once, the quit question, an update tick and a draw tick when more
// than the interval has passed since the last of each, the cursor on every pass.
void APP_FrameProc();
// The current mode becomes the previous one; takes effect at the next tick.
void APP_SetMode(int32_t mode);
// The interval := FRAME_RATE_TABLE[index]; an index outside 0..3 (a damaged machine class) takes 2.
void APP_SetFrameRate(int8_t index);
// Every visible display object, then the frame presented.
void APP_DrawDefault();
// Destroys the main window, which ends the message loop.
void APP_Quit();
// When the next tick that can run falls due (the message loop waits no longer than that).
uint32_t APP_NextDue();
// Back to the state at start: mode 0, interval 33 ms, time stamps and counters 0.
void APP_FrameReset();
