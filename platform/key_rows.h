// Colour-keyed copies of 16-bit rows, the inner loop of every sprite: d[i] = s[i] (or mirrored,
// s[-i]) except where the source holds the key. Sixteen pixels a step with AVX2, eight with SSE2,
// the set chosen once at start; every form gives the same pixels as the plain loop.
#pragma once
#include <cstdint>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__SSE2__) && defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#include <immintrin.h>
#define PLAT_HAVE_AVX2_ROWS 1
#else
#define PLAT_HAVE_AVX2_ROWS 0
#endif

namespace plat {

// d and s never overlap (a blit within one surface reads from a copy), so two steps may cover the
// same pixels: keying the same source pixel again gives the same result. A row whose width is not
// a whole number of steps starts with the step that ends at its end, instead of a pixel loop; taken
// first, that step's stores are not read back at once by the overlapping step.
using KeyedRow16Fn = void (*)(uint16_t* __restrict d, const uint16_t* __restrict s, int w, uint16_t key);

// The rule every form follows. Mirrored: s addresses the source pixel of d[0] and the row runs leftwards.
template <bool Mirrored>
inline void KeyedRow16Plain(uint16_t* __restrict d, const uint16_t* __restrict s, int w, uint16_t key) {
    for (int i = 0; i < w; ++i) {
        const uint16_t v = Mirrored ? s[-i] : s[i];
        if (v != key) d[i] = v;
    }
}

#if defined(__SSE2__)
// Eight 16-bit pixels reversed in one register: the order of the four words, then the two halves
// of each word.
inline __m128i Reverse8x16(__m128i v) {
    v = _mm_shuffle_epi32(v, _MM_SHUFFLE(0, 1, 2, 3));
    v = _mm_shufflelo_epi16(v, _MM_SHUFFLE(2, 3, 0, 1));
    return _mm_shufflehi_epi16(v, _MM_SHUFFLE(2, 3, 0, 1));
}

// Pixels i..i+7, selected without branches.
template <bool Mirrored>
inline void KeyedStep8(uint16_t* d, const uint16_t* s, int i, __m128i k) {
    const __m128i v = Mirrored ? Reverse8x16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s - i - 7)))
                               : _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
    const __m128i hole = _mm_cmpeq_epi16(v, k);
    const __m128i under = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), _mm_or_si128(_mm_and_si128(hole, under), _mm_andnot_si128(hole, v)));
}

// Rows shorter than a step go a pixel at a time.
template <bool Mirrored>
inline void KeyedRow16Sse2(uint16_t* __restrict d, const uint16_t* __restrict s, int w, uint16_t key) {
    if (w < 8) return KeyedRow16Plain<Mirrored>(d, s, w, key);
    const __m128i k = _mm_set1_epi16(static_cast<short>(key));
    if (w % 8) KeyedStep8<Mirrored>(d, s, w - 8, k);
    for (int i = 0; i + 8 <= w; i += 8) KeyedStep8<Mirrored>(d, s, i, k);
}
#endif

#if PLAT_HAVE_AVX2_ROWS
// Pixels i..i+15. A step of nothing but key leaves the destination alone, and one without key
// stores the source without reading the destination: sprites have wide runs of both.
template <bool Mirrored>
__attribute__((target("avx2"))) inline void KeyedStep16(uint16_t* d, const uint16_t* s, int i, __m256i k) {
    __m256i v;
    if constexpr (Mirrored) {
        // Sixteen words reversed: swap the 128-bit halves, then reverse the words within each.
        const __m256i words = _mm256_setr_epi8(14, 15, 12, 13, 10, 11, 8, 9, 6, 7, 4, 5, 2, 3, 0, 1,  //
                                               14, 15, 12, 13, 10, 11, 8, 9, 6, 7, 4, 5, 2, 3, 0, 1);
        v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s - i - 15));
        v = _mm256_shuffle_epi8(_mm256_permute4x64_epi64(v, 0x4E), words);
    } else {
        v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i));
    }
    const __m256i hole = _mm256_cmpeq_epi16(v, k);
    const int m = _mm256_movemask_epi8(hole);
    if (m == -1) return;
    if (m) v = _mm256_blendv_epi8(v, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(d + i)), hole);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + i), v);
}

template <bool Mirrored>
__attribute__((target("avx2"))) inline void KeyedRow16Avx2(uint16_t* __restrict d, const uint16_t* __restrict s,
                                                           int w, uint16_t key) {
    if (w < 16) return KeyedRow16Sse2<Mirrored>(d, s, w, key);
    const __m256i k = _mm256_set1_epi16(static_cast<short>(key));
    if (w % 16) KeyedStep16<Mirrored>(d, s, w - 16, k);
    for (int i = 0; i + 16 <= w; i += 16) KeyedStep16<Mirrored>(d, s, i, k);
}
#endif

// The widest form this processor runs, chosen on first use.
template <bool Mirrored>
inline KeyedRow16Fn KeyedRow16Best() {
#if PLAT_HAVE_AVX2_ROWS
    if (__builtin_cpu_supports("avx2")) return KeyedRow16Avx2<Mirrored>;
#endif
#if defined(__SSE2__)
    return KeyedRow16Sse2<Mirrored>;
#else
    return KeyedRow16Plain<Mirrored>;
#endif
}

template <bool Mirrored>
inline void KeyedRow16(uint16_t* __restrict d, const uint16_t* __restrict s, int w, uint16_t key) {
    static const KeyedRow16Fn fn = KeyedRow16Best<Mirrored>();
    fn(d, s, w, key);
}

}  // namespace plat
