// Zero-filling allocation over calloc.
#include "platform/memory.h"

#include <cstdlib>

namespace plat {
void* AllocZero(size_t size) { return size ? std::calloc(1, size) : nullptr; }
void Free(void* block) { std::free(block); }
}  // namespace plat
