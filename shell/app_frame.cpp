// The frame driver's draw-tick counter.
#include "shell/app_frame.h"

int32_t APP_DrawTickCount = 0;
