// Millisecond clock: unsigned 32 bits that wrap; take every difference unsigned.
#pragma once
#include <cstdint>

namespace plat {
uint32_t TimeMs();
// Waits ms milliseconds; headless, the manual clock moves on by ms instead of waiting.
void Sleep(uint32_t ms);
}
