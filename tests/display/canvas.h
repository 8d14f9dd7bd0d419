// Drawing regions for primitive tests: a region inside a larger buffer filled with a guard value,
// so that any pixel written outside the region shows; surfaces of 8 and 32 bits; hostile coordinates.
#pragma once
#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <random>
#include <vector>

#include "display/dd_display.h"
#include "display/ras_raster.h"

namespace canvas {

// With guard columns the rows are longer than the region (a padded surface); without them only
// guard rows lie above and below.
template <class P>
struct Canvas {
    static constexpr P kGuard = static_cast<P>(0xA5A5A5A5u);
    int w, h, border, side, pitch;
    std::vector<P> buf;
    Canvas(int width, int height, int guard = 8, bool guard_columns = true)
        : w(width), h(height), border(guard), side(guard_columns ? guard : 0), pitch(width + 2 * side),
          buf(static_cast<size_t>(pitch) * (height + 2 * guard), kGuard) {
        Clear(0);
    }
    bool Inside(size_t i) const {
        const int y = static_cast<int>(i) / pitch - border, x = static_cast<int>(i) % pitch - side;
        return x >= 0 && y >= 0 && x < w && y < h;
    }
    void Clear(P v) {
        for (int y = 0; y < h; ++y) std::fill_n(&At(0, y), w, v);
    }
    P& At(int x, int y) { return buf[static_cast<size_t>(y + border) * pitch + (x + side)]; }
    DDSURFACEDESC2 Desc() {
        return {.dwSize = DDSD_SIZE, .dwHeight = static_cast<uint32_t>(h), .dwWidth = static_cast<uint32_t>(w),
                .lPitch = pitch * static_cast<int>(sizeof(P)), .lpSurface = &At(0, 0),
                .ddpfPixelFormat = {.dwRGBBitCount = 8 * sizeof(P)}, .ddckCKSrcBlt = {}};
    }
    RAS_SURFACE View() { return {.pixels = reinterpret_cast<uint16_t*>(&At(0, 0)), .pitch = pitch, .height = h, .width = w}; }
    // Every pixel outside the region still holds the guard value.
    bool GuardIntact() const {
        for (size_t i = 0; i < buf.size(); ++i)
            if (!Inside(i) && buf[i] != kGuard) return false;
        return true;
    }
    int Count(P v) const {
        int n = 0;
        for (size_t i = 0; i < buf.size(); ++i) n += Inside(i) && buf[i] == v;
        return n;
    }
};

// A 16-bit view whose rows are exactly its width, with guard rows above and below; or, padded,
// with guard columns on both sides inside longer rows.
inline Canvas<uint16_t> RasCanvas(int w, int h, int guard_rows = 4, bool padded = false) {
    return Canvas<uint16_t>(w, h, guard_rows, padded);
}

// An off-screen surface of the given depth (8, 16 or 32 bits) on the current display.
inline DDSurface* MakeDepthSurface(int w, int h, int bits) {
    const bool b32 = bits == 32, b16 = bits == 16;
    DDSURFACEDESC2 d{.dwSize = DDSD_SIZE, .dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT,
                     .dwHeight = static_cast<uint32_t>(h), .dwWidth = static_cast<uint32_t>(w),
                     .ddpfPixelFormat = {static_cast<uint32_t>(bits), b32 ? 0xFF0000u : b16 ? 0xF800u : 0,
                                         b32 ? 0xFF00u : b16 ? 0x07E0u : 0, b32 ? 0xFFu : b16 ? 0x1Fu : 0},
                     .dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY, .ddckCKSrcBlt = {}};
    DDSurface* s = nullptr;
    return DD_DISPLAY.dd4 && DD_DISPLAY.dd4->CreateSurface(&d, &s) == DD_OK ? s : nullptr;
}

inline uint8_t* RowOf(DDSurface* s, int y) { return s->Memory() + static_cast<size_t>(y) * s->Pitch(); }

// An 8-bit surface on the current display, released with its holder.
struct Surface8 {
    int w, h;
    DDSurface* s;
    Surface8(int width, int height) : w(width), h(height), s(MakeDepthSurface(width, height, 8)) {}
    Surface8(const Surface8&) = delete;
    ~Surface8() {
        if (s) s->Release();
    }
    uint8_t& At(int x, int y) { return RowOf(s, y)[x]; }
    int Drawn() {
        int n = 0;
        for (int i = 0; i < w * h; ++i) n += At(i % w, i / w) != 0;
        return n;
    }
};

// N coordinates that stress clipping around a w x h region: 32-bit extremes, far values, the
// region's edges and the span tables' last rows, or small values near the region.
template <size_t N = 4>
std::array<int32_t, N> Hostile(std::mt19937& rng, int w, int h) {
    const int32_t pick[] = {INT32_MIN, INT32_MIN + 1, -5000000, -70000, -300, -2, -1, 0, 1, h - 1, h, w - 1, w,
                            w + 1,     479,           480,      70000,  5000000, INT32_MAX - 1, INT32_MAX};
    std::array<int32_t, N> v;
    for (int32_t& k : v) k = (rng() & 1) ? pick[rng() % std::size(pick)] : int32_t(rng() % (3 * w)) - w;
    return v;
}

}  // namespace canvas
