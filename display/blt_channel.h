// Per-pixel channel operations shared by the table-driven blitters, and the one-call blit of an op
// in either frame (a point blit at a position or a stretched one into a rectangle).
#pragma once
#include <cstdint>

#include "display/blt_frame.h"
#include "display/blt_level.h"

namespace blt {

// Channel positions of a layout: 555 red 10-14, green 5-9; 565 red 11-15, green looked up by
// its top five bits 6-10 (its lowest bit comes out 0). Blue is bits 0-4 in both.
template <bool Is565>
struct Channels {
    static constexpr int kRed = Is565 ? 11 : 10;
    static constexpr int kGreen = Is565 ? 6 : 5;
    static uint32_t At(uint32_t p, int shift) { return (p >> shift) & 31; }
    // Rebuilds a pixel from f(channel, shift), channel 0 red, 1 green, 2 blue; in 555 bit 15
    // and in 565 the lowest green bit come out 0.
    template <class F>
    static uint16_t Build(F f) {
        return static_cast<uint16_t>(f(0, kRed) << kRed | f(1, kGreen) << kGreen | f(2, 0));
    }
};

// Each channel becomes the entry of its own bank (red, green, blue) for (destination, source).
template <bool Is565>
struct BankBlendOp {
    const uint8_t* bank[3];
    void Pixel(uint16_t* d, uint16_t s, int) const {
        using C = Channels<Is565>;
        const uint32_t p = *d;
        *d = C::Build([&](int c, int sh) { return bank[c][C::At(p, sh) * 32 + C::At(s, sh)]; });
    }
};

// Each channel of the source through its own 32-entry row; the destination is not read.
template <bool Is565>
struct RowLookupOp {
    const uint8_t* row[3];
    void Pixel(uint16_t* d, uint16_t s, int) const {
        using C = Channels<Is565>;
        *d = C::Build([&](int c, int sh) { return row[c][C::At(s, sh)]; });
    }
};

// Two pixels in one word (the first in the low half) under two masks: hi holds red and blue of the
// upper pixel with green of the lower, lo the rest, so that one multiplication scales three channels
// with room between them for the products.
struct PairMasks {
    uint32_t hi, lo;
};

inline PairMasks ScreenPairMasks() {
    const uint32_t rb = uint32_t(DD_PIXEL_FORMAT.r_mask) | DD_PIXEL_FORMAT.b_mask, g = DD_PIXEL_FORMAT.g_mask;
    return {rb << 16 | g, g << 16 | rb};
}

// Every channel c of both pixels becomes floor(c x k / 32), k 0-32.
inline uint32_t ScalePair(uint32_t w, uint32_t k, PairMasks m) {
    return ((((w & m.hi) >> 5) * k) & m.hi) | ((((w & m.lo) * k) >> 5) & m.lo);
}

inline int32_t ClampBank(int32_t bank) { return bank < 0 ? 0 : bank >= BLT_BLEND_BANKS ? BLT_BLEND_BANKS - 1 : bank; }

// Where a blit goes: a point blit at (x, y), or a stretched one into a rectangle clipped in place.
struct At {
    int32_t x, y;
};

template <template <bool> class Op, class... Args>
void Blit(DDSurface* d, At at, DDSurface* s, const RECT* src_rect, uint32_t flip, int32_t keyed, Order order,
          const Args&... args) {
    PointFrame f(d, at.x, at.y, s, src_rect, flip, order);
    if (f.ready) RunPoint<Op>(f, flip, keyed != 0, args...);
}

template <template <bool> class Op, class... Args>
void Blit(DDSurface* d, RECT* into, DDSurface* s, const RECT* src_rect, uint32_t flip, int32_t keyed, Order order,
          const Args&... args) {
    StretchFrame f(d, into, s, src_rect, flip, order);
    if (f.ready) RunStretch<Op>(f, flip, keyed != 0, args...);
}

// The plain mirrored blit by the platform, in either frame.
inline void Opaque(DDSurface* d, At at, DDSurface* s, const RECT* src_rect, uint32_t flip, int32_t keyed) {
    BLT_BltFx(d, at.x, at.y, s, src_rect, flip, keyed);
}
inline void Opaque(DDSurface* d, RECT* into, DDSurface* s, const RECT* src_rect, uint32_t flip, int32_t keyed) {
    BLT_StretchBlt(d, into, s, src_rect, flip, keyed);
}

}  // namespace blt
