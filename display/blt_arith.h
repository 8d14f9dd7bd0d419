// Arithmetic blend blitters: 50 % mix, saturating add and subtract (whole, half, quarter of the
// source), silhouette and colour mix, each at a point and stretched.
#pragma once
#include <cstdint>

#include "display/blt_frame.h"

// Point forms draw the source rectangle (null: whole source) at (x, y); stretched forms scale it onto
// the destination rectangle, which is clipped in place. All return 0, drawn or not.
int BLT_Mix(DDSurface* dst, int32_t x, int32_t y, DDSurface* src, const RECT* src_rect, uint32_t flip, int32_t keyed);
int BLT_Add(DDSurface* dst, int32_t x, int32_t y, DDSurface* src, const RECT* src_rect, uint32_t flip, int32_t keyed);
int BLT_AddHalf(DDSurface* dst, int32_t x, int32_t y, DDSurface* src, const RECT* src_rect, uint32_t flip,
                int32_t keyed);
int BLT_AddQuarter(DDSurface* dst, int32_t x, int32_t y, DDSurface* src, const RECT* src_rect, uint32_t flip,
                   int32_t keyed);
int BLT_Sub(DDSurface* dst, int32_t x, int32_t y, DDSurface* src, const RECT* src_rect, uint32_t flip, int32_t keyed);
int BLT_SubHalf(DDSurface* dst, int32_t x, int32_t y, DDSurface* src, const RECT* src_rect, uint32_t flip,
                int32_t keyed);
int BLT_SubQuarter(DDSurface* dst, int32_t x, int32_t y, DDSurface* src, const RECT* src_rect, uint32_t flip,
                   int32_t keyed);

int BLT_MixStretch(DDSurface* dst, RECT* dst_rect, DDSurface* src, const RECT* src_rect, uint32_t flip,
                   int32_t keyed);
int BLT_AddStretch(DDSurface* dst, RECT* dst_rect, DDSurface* src, const RECT* src_rect, uint32_t flip,
                   int32_t keyed);
int BLT_AddHalfStretch(DDSurface* dst, RECT* dst_rect, DDSurface* src, const RECT* src_rect, uint32_t flip,
                       int32_t keyed);
int BLT_AddQuarterStretch(DDSurface* dst, RECT* dst_rect, DDSurface* src, const RECT* src_rect, uint32_t flip,
                          int32_t keyed);
int BLT_SubStretch(DDSurface* dst, RECT* dst_rect, DDSurface* src, const RECT* src_rect, uint32_t flip,
                   int32_t keyed);
int BLT_SubHalfStretch(DDSurface* dst, RECT* dst_rect, DDSurface* src, const RECT* src_rect, uint32_t flip,
                       int32_t keyed);
int BLT_SubQuarterStretch(DDSurface* dst, RECT* dst_rect, DDSurface* src, const RECT* src_rect, uint32_t flip,
                          int32_t keyed);

// The source only gives the shape (its pixels of 0 are always skipped); colour is a pixel in the
// destination's layout (low 16 bits used).
int BLT_Silhouette(DDSurface* dst, int32_t x, int32_t y, DDSurface* src, const RECT* src_rect, uint32_t colour,
                   uint32_t flip);
int BLT_MixColor(DDSurface* dst, int32_t x, int32_t y, DDSurface* src, const RECT* src_rect, uint32_t colour,
                 uint32_t flip);
int BLT_SilhouetteStretch(DDSurface* dst, RECT* dst_rect, DDSurface* src, const RECT* src_rect, uint32_t colour,
                          uint32_t flip);
int BLT_MixColorStretch(DDSurface* dst, RECT* dst_rect, DDSurface* src, const RECT* src_rect, uint32_t colour,
                        uint32_t flip);

namespace blt {

// Whole-pixel masks per layout: even M (each channel's lowest bit clear), guard K (the bit above
// each channel), half H and quarter Q (lowest two / three bits of each channel clear).
template <bool Is565>
struct ArithMasks {
    static constexpr uint32_t M = Is565 ? 0xF7DE : 0x7BDE;
    static constexpr uint32_t K = Is565 ? 0x10820 : 0x8420;
    static constexpr uint32_t H = Is565 ? 0xE79C : 0x739C;
    static constexpr uint32_t Q = Is565 ? 0xC718 : 0x6318;
};

// Amount of the source that an add or subtract applies: all of it, a half, a quarter.
enum class Share { Whole, Half, Quarter };

template <bool Is565, Share S>
constexpr uint32_t ShareOf(uint32_t s) {
    using Mk = ArithMasks<Is565>;
    if constexpr (S == Share::Whole) return s & Mk::M;
    if constexpr (S == Share::Half) return (s & Mk::H) >> 1;
    return (s & Mk::Q) >> 2;
}

// One pixel of each formula, on the whole pixel in 32 bits so the top channel's carry survives.
template <bool Is565>
constexpr uint16_t MixPixel(uint32_t d, uint32_t x) {
    using Mk = ArithMasks<Is565>;
    return static_cast<uint16_t>(((d & Mk::M) + (x & Mk::M)) >> 1);
}

template <bool Is565>
constexpr uint16_t AddPixel(uint32_t d, uint32_t t) {
    using Mk = ArithMasks<Is565>;
    uint32_t a = (d & Mk::M) + t;
    uint32_t b = a & Mk::K;  // each channel's carry, in its guard bit
    b -= b >> 5;             // carry -> all ones in that channel
    return static_cast<uint16_t>((a | b) & Mk::M);
}

template <bool Is565>
constexpr uint16_t SubPixel(uint32_t d, uint32_t t) {
    using Mk = ArithMasks<Is565>;
    uint32_t v = (d | Mk::K) - t;  // each guard bit absorbs its channel's borrow
    uint32_t b = ~v & Mk::K;       // guards consumed: channels that went below zero
    b -= b >> 5;
    return static_cast<uint16_t>(v & ~b);
}

}  // namespace blt
