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

namespace {
// Products and quotients as the 32-bit machine gives them, without undefined overflow.
int32_t Mul(int32_t a, int32_t b) { return int32_t(uint32_t(a) * uint32_t(b)); }
}  // namespace

int32_t TIM_GetQuad(const TIM_DATA* timer, int32_t max, int clamp) {
    if (!timer->running) return 0;
    const auto elapsed = int32_t(plat::TimeMs() - timer->start);
    const auto d = int32_t(timer->duration);
    const int32_t num = Mul(max, Mul(elapsed, elapsed) / 2), den = Mul(d, d);
    if (den == 0) return max;
    const int32_t value = den == -1 && num == INT32_MIN ? num : num / den;
    return clamp ? std::min(value, max) : value;
}

int32_t TIM_GetCustom(const TIM_DATA* timer, int32_t (*fn)(uint32_t elapsed)) {
    if (!timer->running || !fn) return 0;
    return fn(plat::TimeMs() - timer->start);
}
