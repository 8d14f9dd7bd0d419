// The zero-filling global allocator: blocks the caller owns and frees with Free.
#pragma once
#include <cstddef>

namespace plat {
void* AllocZero(size_t size);  // null when size is 0 or memory is short
void Free(void* block);        // accepts null
}
