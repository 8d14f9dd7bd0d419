// Interval timers over the platform's millisecond clock; every difference is taken unsigned.
#include "sprite/tim_timer.h"

#include <algorithm>

#include "platform/clock.h"

void TIM_Start(TIM_DATA* timer, uint32_t duration) {
    timer->duration = duration;
    timer->start = plat::TimeMs();
    timer->running = 1;
}

void TIM_Stop(TIM_DATA* timer) {
    timer->running = 0;
    timer->start = 0;
}

int32_t TIM_GetLinear(const TIM_DATA* timer, int32_t max, int clamp) {
    if (!timer->running) return 0;
    max = std::max(max, 0);
    if (timer->duration == 0) return max;
    const uint32_t elapsed = plat::TimeMs() - timer->start;
    const auto value = int32_t(uint32_t(max) * elapsed / timer->duration);
    return clamp ? std::min(value, max) : value;
}
