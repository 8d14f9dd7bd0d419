// The frame driver's draw-tick counter, read by the software cursor.
#pragma once
#include <cstdint>

// Stand-in until the frame driver arrives, which counts it up at every draw tick.
extern int32_t APP_DrawTickCount;
