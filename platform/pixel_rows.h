// Solid rows of 16- and 32-bit pixels with wide stores, for the colour fills of the surfaces and
// the primitives: a plain element loop is left scalar at -O2.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace plat {

// Fills n pixels of type T (uint16_t or uint32_t) from p with v.
template <typename T>
inline void FillRow(T* p, size_t n, T v) {
    constexpr size_t kPerBlock = 16 / sizeof(T);
    if (n < kPerBlock) {
        for (size_t i = 0; i < n; ++i) p[i] = v;
        return;
    }
#if defined(__SSE2__)
    const __m128i block = sizeof(T) == 2 ? _mm_set1_epi16(static_cast<short>(v)) : _mm_set1_epi32(static_cast<int>(v));
    size_t i = 0;
    for (; i + kPerBlock <= n; i += kPerBlock) _mm_storeu_si128(reinterpret_cast<__m128i*>(p + i), block);
    // The last block overlaps the one before it: no pixel-by-pixel tail.
    if (i < n) _mm_storeu_si128(reinterpret_cast<__m128i*>(p + n - kPerBlock), block);
#else
    uint64_t pattern = sizeof(T) == 2 ? uint64_t{v} * 0x0001000100010001ULL : uint64_t{v} * 0x0000000100000001ULL;
    size_t i = 0;
    for (; i + 8 / sizeof(T) <= n; i += 8 / sizeof(T)) std::memcpy(p + i, &pattern, 8);
    for (; i < n; ++i) p[i] = v;
#endif
}

}  // namespace plat
