// Interval timers: a value over the elapsed milliseconds of the platform clock.
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
// max x (elapsed^2 / 2) / duration^2 in wrapping signed 32-bit arithmetic (max / 2 at the end of
// the interval), limited to max when clamp is set; 0 while stopped, max for a divisor of 0.
int32_t TIM_GetQuad(const TIM_DATA* timer, int32_t max, int clamp);
// fn(elapsed ms) while running, 0 while stopped or without a function.
int32_t TIM_GetCustom(const TIM_DATA* timer, int32_t (*fn)(uint32_t elapsed));
