// The program's own random generator, range 0..32767 (never std::rand).
#pragma once
#include <cstdint>

namespace plat {
void Srand(uint32_t seed);
int Rand();
}
