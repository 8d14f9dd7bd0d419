// Pixel, span and line primitives on locked surfaces of 8, 16 and 32 bits a pixel.
//
// Four layers per operation: depth workers (descriptor by value, memory already locked), lock
// wrappers per depth, a depth dispatcher on the descriptor and a locking dispatcher. Colours are
// native pixels: the low byte at 8 bits, the low 16 bits at 16 bits, all of it at 32 bits.
#pragma once
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>

#include "platform/display.h"
#include "platform/pixel_rows.h"

// Locks the whole surface; false when the lock fails (nothing to unlock then). With bits nonzero
// the surface's pixels must be at least that wide: a wider worker would run past the ends of the
// rows, so such a surface is unlocked again, reported, and false.
bool PRIM_Lock(DDSurface* surface, DDSURFACEDESC2* desc, int bits = 0);

uint32_t PRIM_GetPixel(DDSURFACEDESC2 desc, int32_t x, int32_t y);
uint32_t PRIM_SurfGetPixel(DDSurface* surface, int32_t x, int32_t y);

// Declares the eight members of one operation: the 8-, 16- and 32-bit workers, their lock
// wrappers, the depth dispatcher and the locking dispatcher.
#define PRIM_DECLARE(Name, ...)                                \
    void PRIM_##Name##8(DDSURFACEDESC2 desc, __VA_ARGS__);     \
    void PRIM_##Name##16(DDSURFACEDESC2 desc, __VA_ARGS__);    \
    void PRIM_##Name##32(DDSURFACEDESC2 desc, __VA_ARGS__);    \
    void PRIM_Surf##Name##8(DDSurface* surface, __VA_ARGS__);  \
    void PRIM_Surf##Name##16(DDSurface* surface, __VA_ARGS__); \
    void PRIM_Surf##Name##32(DDSurface* surface, __VA_ARGS__); \
    void PRIM_##Name(DDSURFACEDESC2 desc, __VA_ARGS__);        \
    void PRIM_Surf##Name(DDSurface* surface, __VA_ARGS__);

PRIM_DECLARE(PutPixel, int32_t x, int32_t y, uint32_t colour)
// Horizontal span x1..x2 (both included, either order) on row y.
PRIM_DECLARE(HLine, int32_t x1, int32_t x2, int32_t y, uint32_t colour)
// Vertical span y1..y2 (both included, either order) in column x.
PRIM_DECLARE(VLine, int32_t y1, int32_t y2, int32_t x, uint32_t colour)
// Clipped straight line, both end points included.
PRIM_DECLARE(Line, int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour)

// Moves the end points of a line onto the surface's edges. 1 = something may be drawn, 0 = the
// line misses the surface (end points then unchanged).
int PRIM_ClipLine(DDSURFACEDESC2 desc, int32_t* x1, int32_t* y1, int32_t* x2, int32_t* y2);

namespace prim {
// Pixel of a depth: the worker templates behind the named members.
template <int Bits>
struct PixelOf;
template <>
struct PixelOf<8> {
    using type = uint8_t;
};
template <>
struct PixelOf<16> {
    using type = uint16_t;
};
template <>
struct PixelOf<32> {
    using type = uint32_t;
};

// Address of (x, y) in locked memory; the caller has checked that it lies on the surface.
template <int Bits>
inline typename PixelOf<Bits>::type* At(const DDSURFACEDESC2& d, int64_t x, int64_t y) {
    return reinterpret_cast<typename PixelOf<Bits>::type*>(static_cast<uint8_t*>(d.lpSurface) +
                                                           y * static_cast<int64_t>(d.lPitch)) +
           x;
}

inline int64_t Width(const DDSURFACEDESC2& d) { return static_cast<int64_t>(d.dwWidth); }
inline int64_t Height(const DDSURFACEDESC2& d) { return static_cast<int64_t>(d.dwHeight); }

// Runs f(desc) on the locked surface when the surface is locked and, for a fixed-depth member,
// holds pixels of that depth (bits 0 = any depth).
template <class F>
void WithLock(DDSurface* surface, int bits, F&& f) {
    DDSURFACEDESC2 d;
    if (!PRIM_Lock(surface, &d, bits)) return;
    f(d);
    surface->Unlock(nullptr);
}

template <int Bits>
using Pix = typename PixelOf<Bits>::type;

// Pixel, spans: the workers, taking 64-bit coordinates so that shapes never overflow.
template <int Bits>
void Put(const DDSURFACEDESC2& d, int64_t x, int64_t y, uint32_t c) {
    if (x < 0 || x >= Width(d) || y < 0 || y >= Height(d)) return;
    *At<Bits>(d, x, y) = static_cast<Pix<Bits>>(c);
}

// Orders the ends of a span and clips them to 0..limit-1; false when nothing is left.
inline bool ClipSpan(int64_t& a, int64_t& b, int64_t limit) {
    if (a > b) std::swap(a, b);
    a = std::max<int64_t>(a, 0);
    b = std::min<int64_t>(b, limit - 1);
    return a < limit && b >= 0;
}

template <int Bits>
void HSpan(const DDSURFACEDESC2& d, int64_t x1, int64_t x2, int64_t y, uint32_t c) {
    if (y < 0 || y >= Height(d) || !ClipSpan(x1, x2, Width(d))) return;
    Pix<Bits>* p = At<Bits>(d, x1, y);
    if constexpr (Bits == 8) {
        std::memset(p, static_cast<int>(c & 0xFF), static_cast<size_t>(x2 - x1 + 1));
    } else {
        plat::FillRow(p, static_cast<size_t>(x2 - x1 + 1), static_cast<Pix<Bits>>(c));
    }
}

template <int Bits>
void VSpan(const DDSURFACEDESC2& d, int64_t y1, int64_t y2, int64_t x, uint32_t c) {
    if (x < 0 || x >= Width(d) || !ClipSpan(y1, y2, Height(d))) return;
    for (int64_t y = y1; y <= y2; ++y) *At<Bits>(d, x, y) = static_cast<Pix<Bits>>(c);
}

// floor(a / b) for b > 0.
inline int64_t FloorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0 && a < 0) ? 1 : 0); }

// The steps k of 0..count-1 whose position g0 + k * step (step != 0) lies in lo..hi, as
// [first, last] (empty when first > last). Lets an edge walker visit only the rows of its table.
inline std::pair<int64_t, int64_t> StepsWithin(int64_t g0, int64_t step, int64_t lo, int64_t hi, int64_t count) {
    int64_t first, last;
    if (step > 0) {
        first = -FloorDiv(g0 - lo, step);  // ceil((lo - g0) / step)
        last = FloorDiv(hi - g0, step);
    } else {
        first = -FloorDiv(hi - g0, -step);
        last = FloorDiv(g0 - lo, -step);
    }
    return {std::max<int64_t>(first, 0), std::min<int64_t>(last, count - 1)};
}

// Depth dispatch: f is called with the worker's depth as a template argument.
template <class F>
void ByDepth(const DDSURFACEDESC2& d, F&& f) {
    switch (d.ddpfPixelFormat.dwRGBBitCount) {
        case 8: f.template operator()<8>(); break;
        case 16: f.template operator()<16>(); break;
        case 32: f.template operator()<32>(); break;
        default: break;
    }
}
}  // namespace prim

// Defines the eight members of one operation from its worker template Impl<Bits>(desc, args...).
#define PRIM_MEMBERS(Name, Impl, Params, Args)                                                                  \
    void PRIM_##Name##8(DDSURFACEDESC2 d, Params) { Impl<8>(d, Args); }                                         \
    void PRIM_##Name##16(DDSURFACEDESC2 d, Params) { Impl<16>(d, Args); }                                       \
    void PRIM_##Name##32(DDSURFACEDESC2 d, Params) { Impl<32>(d, Args); }                                       \
    void PRIM_Surf##Name##8(DDSurface* s, Params) {                                                             \
        prim::WithLock(s, 8, [&](const DDSURFACEDESC2& d) { Impl<8>(d, Args); });                               \
    }                                                                                                           \
    void PRIM_Surf##Name##16(DDSurface* s, Params) {                                                            \
        prim::WithLock(s, 16, [&](const DDSURFACEDESC2& d) { Impl<16>(d, Args); });                             \
    }                                                                                                           \
    void PRIM_Surf##Name##32(DDSurface* s, Params) {                                                            \
        prim::WithLock(s, 32, [&](const DDSURFACEDESC2& d) { Impl<32>(d, Args); });                             \
    }                                                                                                           \
    void PRIM_##Name(DDSURFACEDESC2 d, Params) {                                                                \
        prim::ByDepth(d, [&]<int B>() { Impl<B>(d, Args); });                                                         \
    }                                                                                                           \
    void PRIM_Surf##Name(DDSurface* s, Params) {                                                                \
        prim::WithLock(s, 0, [&](const DDSURFACEDESC2& d) { prim::ByDepth(d, [&]<int B>() { Impl<B>(d, Args); }); }); \
    }

