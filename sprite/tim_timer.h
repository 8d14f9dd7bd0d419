// Interval timers: a linear value over elapsed milliseconds of the platform clock.
#pragma once
#include <cstdint>

// Zero-filled = stopped.
struct TIM_DATA {
    uint32_t running;
    uint32_t duration;  // ms
    uint32_t start;     // clock at the start
};

void TIM_Start(TIM_DATA* timer, uint32_t duration);
void TIM_Stop(TIM_DATA* timer);
// max x elapsed / duration (32-bit unsigned arithmetic), limited to max when clamp is set; 0 while
// stopped, max at once for a duration of 0. A negative max counts as 0.
int32_t TIM_GetLinear(const TIM_DATA* timer, int32_t max, int clamp);
