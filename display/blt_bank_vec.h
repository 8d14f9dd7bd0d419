// Eight-pixel forms of the table blends whose banks follow a closed formula: the see-through banks
// 1-30 and the additive banks 32-95. Single pixels still go through the table, so both paths give
// the table's values (checked exhaustively by the tests).
#pragma once
#include <cstdint>

#include "display/blt_frame.h"
#include "display/blt_level.h"

namespace blt {

template <bool Is565>
struct BankPixel {
    static constexpr int kRed = Is565 ? 11 : 10;
    static constexpr int kGreen = Is565 ? 6 : 5;  // 565 green by its top five bits; its lowest bit comes out 0
    static uint16_t Blend(const uint8_t* t, uint32_t p, uint32_t s) {
        return static_cast<uint16_t>(t[((p >> kRed) & 31) * 32 + ((s >> kRed) & 31)] << kRed |
                                     t[((p >> kGreen) & 31) * 32 + ((s >> kGreen) & 31)] << kGreen |
                                     t[(p & 31) * 32 + (s & 31)]);
    }
};

#if BLT_HAVE_VEC8
// One 5-bit channel of eight pixels in 16-bit lanes.
inline __m128i BankChannel(__m128i d, __m128i s, __m128i level, bool see_through) {
    if (see_through) {
        // d + floor((s - d) * level / 32); a nonzero source never gives 0.
        __m128i v = _mm_add_epi16(d, _mm_srai_epi16(_mm_mullo_epi16(_mm_sub_epi16(s, d), level), 5));
        return _mm_max_epi16(v, _mm_min_epi16(s, _mm_set1_epi16(1)));
    }
    // min(31, d + floor(s * level / 32)), level = bank - 32
    __m128i v = _mm_add_epi16(d, _mm_srli_epi16(_mm_mullo_epi16(s, level), 5));
    return _mm_min_epi16(v, _mm_set1_epi16(31));
}

template <bool Is565>
inline __m128i BankVec(__m128i d, __m128i s, __m128i level, bool see_through) {
    using P = BankPixel<Is565>;
    const __m128i m = _mm_set1_epi16(31);
    __m128i r = BankChannel(_mm_and_si128(_mm_srli_epi16(d, P::kRed), m), _mm_and_si128(_mm_srli_epi16(s, P::kRed), m),
                            level, see_through);
    __m128i g = BankChannel(_mm_and_si128(_mm_srli_epi16(d, P::kGreen), m),
                            _mm_and_si128(_mm_srli_epi16(s, P::kGreen), m), level, see_through);
    __m128i b = BankChannel(_mm_and_si128(d, m), _mm_and_si128(s, m), level, see_through);
    return _mm_or_si128(_mm_or_si128(_mm_slli_epi16(r, P::kRed), _mm_slli_epi16(g, P::kGreen)), b);
}
#endif

// A table blend with one bank for all three channels: see-through (level = bank, 1-30) or
// additive (level = bank - 32, 0-63).
template <bool SeeThrough>
struct FormulaBank {
    template <bool Is565>
    struct Op {
        const uint8_t* table;  // BLT_BLEND_TABLE[bank]
        int32_t level;
        void Pixel(uint16_t* d, uint16_t s, int) const { *d = BankPixel<Is565>::Blend(table, *d, s); }
#if BLT_HAVE_VEC8
        __m128i Vec8(__m128i d, __m128i s) const {
            return BankVec<Is565>(d, s, _mm_set1_epi16(static_cast<short>(level)), SeeThrough);
        }
#endif
    };
};

}  // namespace blt
