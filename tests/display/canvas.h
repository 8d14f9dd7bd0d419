// Drawing regions for primitive tests: a region inside a larger buffer filled with a guard value,
// so that any pixel written outside the region shows; and surfaces of 8 and 32 bits.
#pragma once
#include <cstdint>
#include <vector>

#include "display/dd_display.h"
#include "display/ras_raster.h"

namespace canvas {

// With guard columns the rows are longer than the region; without them (the raster views, whose
// width is their pitch) only guard rows lie above and below.
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
    void Clear(P v) {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) At(x, y) = v;
    }
    P& At(int x, int y) { return buf[static_cast<size_t>(y + border) * pitch + (x + side)]; }
    DDSURFACEDESC2 Desc() {
        DDSURFACEDESC2 d;
        d.dwSize = DDSD_SIZE;
        d.dwWidth = static_cast<uint32_t>(w);
        d.dwHeight = static_cast<uint32_t>(h);
        d.lPitch = pitch * static_cast<int>(sizeof(P));
        d.lpSurface = &At(0, 0);
        d.ddpfPixelFormat.dwRGBBitCount = 8 * sizeof(P);
        return d;
    }
    RAS_SURFACE View() { return {reinterpret_cast<uint16_t*>(&At(0, 0)), pitch, h}; }
    // Every pixel outside the region still holds the guard value.
    bool GuardIntact() const {
        for (size_t i = 0; i < buf.size(); ++i) {
            const int y = static_cast<int>(i) / pitch - border, x = static_cast<int>(i) % pitch - side;
            if ((x < 0 || y < 0 || x >= w || y >= h) && buf[i] != kGuard) return false;
        }
        return true;
    }
    int Count(P v) {
        int n = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) n += At(x, y) == v;
        return n;
    }
};

// A 16-bit view whose rows are exactly its width, with guard rows above and below.
inline Canvas<uint16_t> RasCanvas(int w, int h, int guard_rows = 4) { return Canvas<uint16_t>(w, h, guard_rows, false); }

// An off-screen surface of the given depth (8, 16 or 32 bits) on the current display.
inline DDSurface* MakeDepthSurface(int w, int h, int bits) {
    DDSURFACEDESC2 d;
    d.dwSize = DDSD_SIZE;
    d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
    d.dwWidth = static_cast<uint32_t>(w);
    d.dwHeight = static_cast<uint32_t>(h);
    d.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
    d.ddpfPixelFormat.dwRGBBitCount = static_cast<uint32_t>(bits);
    if (bits == 32) {
        d.ddpfPixelFormat.dwRBitMask = 0xFF0000;
        d.ddpfPixelFormat.dwGBitMask = 0xFF00;
        d.ddpfPixelFormat.dwBBitMask = 0xFF;
    } else if (bits == 16) {
        d.ddpfPixelFormat.dwRBitMask = 0xF800;
        d.ddpfPixelFormat.dwGBitMask = 0x07E0;
        d.ddpfPixelFormat.dwBBitMask = 0x001F;
    }
    DDSurface* s = nullptr;
    if (!DD_DISPLAY.dd4 || DD_DISPLAY.dd4->CreateSurface(&d, &s) != DD_OK) return nullptr;
    return s;
}

inline uint8_t* RowOf(DDSurface* s, int y) { return s->Memory() + static_cast<size_t>(y) * s->Pitch(); }

}  // namespace canvas
