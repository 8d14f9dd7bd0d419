// Millisecond clock: unsigned 32 bits that wrap; take every difference unsigned.
#pragma once
#include <cstdint>

namespace plat {
uint32_t TimeMs();
}
