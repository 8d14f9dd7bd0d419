// Many-pixel forms of the table blends whose banks follow a closed formula: the see-through banks
// 1-30 and the additive banks 32-95. Every form gives exactly the table's entries (the tests check
// every bank, channel pair, layout and instruction set).
#pragma once
#include <cstdint>

#include "display/blt_channel.h"
#include "display/blt_frame.h"

namespace blt {

// Instruction sets of the point blits of the formula banks; the best the processor has is taken at
// start. Scalar looks every pixel up in the table.
enum class VecPath { Scalar, Sse2, Avx2 };
bool BankPathSupported(VecPath p);
// Switches the point blits to p (tests compare the sets); false, changing nothing, when p is unsupported.
bool SetBankPath(VecPath p);
VecPath BankPath();

// Point blit of bank 1-30 or 32-95 over a ready frame, with the frame's key and mirroring rules.
void BankPoint(const Frame& f, uint32_t flip, bool keyed, int32_t bank);

#if BLT_HAVE_VEC8
namespace sse2 {
#define BLT_LANES_FN inline
using V = __m128i;
constexpr int kLanes = 8;
inline V Splat(int v) { return _mm_set1_epi16(static_cast<short>(v)); }
inline V Load(const uint16_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
inline void Store(uint16_t* p, V v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }
inline V And(V a, V b) { return _mm_and_si128(a, b); }
inline V Or(V a, V b) { return _mm_or_si128(a, b); }
inline V Add(V a, V b) { return _mm_add_epi16(a, b); }
inline V Mul(V a, V b) { return _mm_mullo_epi16(a, b); }
template <int K>
inline V Shr(V a) { return _mm_srli_epi16(a, K); }
template <int K>
inline V Shl(V a) { return _mm_slli_epi16(a, K); }
inline V Min(V a, V b) { return _mm_min_epi16(a, b); }
inline V Max(V a, V b) { return _mm_max_epi16(a, b); }
inline V Reverse(V v) { return Reverse8(v); }
#include "display/blt_bank_lanes.inc"
#undef BLT_LANES_FN
}  // namespace sse2
#endif

// A table blend with one bank for all three channels: see-through (level = bank, 1-30) or
// additive (level = bank - 32, 0-63). Used by the stretched walk; single pixels go through the table.
template <bool SeeThrough>
struct FormulaBank {
    template <bool Is565>
    struct Op {
        const uint8_t* table;  // BLT_BLEND_TABLE[bank]
        int32_t level;
        void Pixel(uint16_t* d, uint16_t s, int c) const { BankBlendOp<Is565>{table, table, table}.Pixel(d, s, c); }
#if BLT_HAVE_VEC8
        __m128i Vec8(__m128i d, __m128i s) const {
            return sse2::BankLanes<Is565, SeeThrough>(d, s, sse2::Splat(32 - level), sse2::Splat(level));
        }
#endif
    };
};

}  // namespace blt
