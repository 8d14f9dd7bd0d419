// Pixel, span and line primitives at 8, 16 and 32 bits a pixel.
#include "display/prim_pixel.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "display/blt_frame.h"
#include "services/fil_util.h"

using namespace prim;

bool PRIM_Lock(DDSurface* surface, DDSURFACEDESC2* desc, int bits) {
    if (!surface || DD_LockSurface(surface, desc) != DD_OK) return false;
    const int have = static_cast<int>(desc->ddpfPixelFormat.dwRGBBitCount);
    if (bits > have) {
        SYS_DebugPrint("PRIM: %d-bit primitive refused on a %d-bit surface", bits, have);
        surface->Unlock(nullptr);
        return false;
    }
    return true;
}

namespace {
// Add a half and truncate toward zero, kept far from the limits of the integer types.
int64_t Fix(double v) {
    v += 0.5;
    if (!(v > -1e12)) return -1000000000000LL;  // also catches NaN
    if (v > 1e12) return 1000000000000LL;
    return static_cast<int64_t>(v);
}

// One end point of the clip: onto the left or right edge first, then onto the top or bottom edge.
void ClipEnd(int64_t& x, int64_t& y, double X, double Y, double m, int64_t w, int64_t h) {
    if (x < 0) {
        x = 0;
        y = Fix(Y - X * m);
    } else if (x >= w) {
        x = w - 1;
        y = Fix((static_cast<double>(x) - X) * m + Y);
    }
    if (y < 0) {
        x = Fix(X - Y / m);
        y = 0;
    } else if (y >= h) {
        y = h - 1;
        x = Fix((static_cast<double>(y) - Y) / m + X);
    }
}

bool OnSurface(int64_t x, int64_t y, int64_t w, int64_t h) { return x >= 0 && x < w && y >= 0 && y < h; }

// The line cut to the band of positions that round onto the surface (-0.5 up to the far edge less
// a half), its ends then rounded onto the surface; false when no part of it lies in that band.
bool CutToSurface(double X1, double Y1, double X2, double Y2, int64_t w, int64_t h, int64_t& x1, int64_t& y1,
                  int64_t& x2, int64_t& y2) {
    double t0 = 0, t1 = 1;
    const double dx = X2 - X1, dy = Y2 - Y1;
    // Each edge keeps the part of the line on the surface's side of it (p t <= q).
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {X1 + 0.5, static_cast<double>(w) - 0.5 - X1, Y1 + 0.5, static_cast<double>(h) - 0.5 - Y1};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0) return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
    }
    if (t0 > t1) return false;
    const auto onto = [](double v, int64_t size) { return std::clamp<int64_t>(Fix(v), 0, size - 1); };
    x1 = onto(X1 + t0 * dx, w), y1 = onto(Y1 + t0 * dy, h);
    x2 = onto(X1 + t1 * dx, w), y2 = onto(Y1 + t1 * dy, h);
    return true;
}

// The clip of the primitives, checked against the exact cut: its ends are kept where they lie on
// the surface within a pixel of where the line really meets it. Elsewhere its rounding (an end one
// row past an edge, or thrown across the surface by a steep slope) would lose a line that crosses
// the surface or draw one that passes beside a corner, and the exact cut is used instead.
int ClipLine(const DDSURFACEDESC2& d, int64_t& x1, int64_t& y1, int64_t& x2, int64_t& y2) {
    const int64_t w = Width(d), h = Height(d);
    if ((x1 < 0 && x2 < 0) || (x1 >= w && x2 >= w) || (y1 < 0 && y2 < 0) || (y1 >= h && y2 >= h)) return 0;
    const double X1 = static_cast<double>(x1), Y1 = static_cast<double>(y1);
    const double X2 = static_cast<double>(x2), Y2 = static_cast<double>(y2);
    const double m = (Y2 - Y1) / (X2 - X1);
    int64_t a1 = x1, b1 = y1, a2 = x2, b2 = y2;
    ClipEnd(a1, b1, X1, Y1, m, w, h);
    ClipEnd(a2, b2, X2, Y2, m, w, h);
    if (!CutToSurface(X1, Y1, X2, Y2, w, h, x1, y1, x2, y2)) return 0;
    const auto close = [](int64_t a, int64_t b, int64_t x, int64_t y) { return std::abs(a - x) <= 1 && std::abs(b - y) <= 1; };
    if (OnSurface(a1, b1, w, h) && OnSurface(a2, b2, w, h) && close(a1, b1, x1, y1) && close(a2, b2, x2, y2))
        x1 = a1, y1 = b1, x2 = a2, y2 = b2;
    return 1;
}

// Bresenham between clipped end points along the major axis (x when dx > dy, else y), from the end
// with the smaller coordinate on it.
template <int Bits>
void DrawLine(const DDSURFACEDESC2& d, int64_t x1, int64_t y1, int64_t x2, int64_t y2, uint32_t c) {
    if (!ClipLine(d, x1, y1, x2, y2)) return;
    const bool x_major = std::abs(x2 - x1) > std::abs(y2 - y1);
    int64_t a1 = x_major ? x1 : y1, b1 = x_major ? y1 : x1, a2 = x_major ? x2 : y2, b2 = x_major ? y2 : x2;
    if (a1 > a2) {
        std::swap(a1, a2);
        std::swap(b1, b2);
    }
    const int64_t major = a2 - a1, minor = std::abs(b2 - b1), step = b2 > b1 ? 1 : -1;
    int64_t e = major >> 1, b = b1;
    for (int64_t a = a1;; ++a) {
        if (x_major)
            Put<Bits>(d, a, b, c);
        else
            Put<Bits>(d, b, a, c);
        if (a == a2) break;
        e -= minor;
        if (e < 0) {
            e += major;
            b += step;
        }
    }
}

}  // namespace

// ---- get pixel ----
uint32_t PRIM_GetPixel(DDSURFACEDESC2 d, int32_t x, int32_t y) {
    if (x < 0 || x >= Width(d) || y < 0 || y >= Height(d)) return 0;
    switch (d.ddpfPixelFormat.dwRGBBitCount) {
        case 8: return *At<8>(d, x, y);
        case 16: return *At<16>(d, x, y);
        case 32: return *At<32>(d, x, y);
        default: return 0;
    }
}

uint32_t PRIM_SurfGetPixel(DDSurface* surface, int32_t x, int32_t y) {
    uint32_t v = 0;
    prim::WithLock(surface, 0, [&](const DDSURFACEDESC2& d) { v = PRIM_GetPixel(d, x, y); });
    return v;
}

// ---- the named members: workers, lock wrappers, dispatchers ----
#define P_ARGS(...) __VA_ARGS__
PRIM_MEMBERS(PutPixel, Put, P_ARGS(int32_t x, int32_t y, uint32_t c), P_ARGS(x, y, c))
PRIM_MEMBERS(HLine, HSpan, P_ARGS(int32_t x1, int32_t x2, int32_t y, uint32_t c), P_ARGS(x1, x2, y, c))
PRIM_MEMBERS(VLine, VSpan, P_ARGS(int32_t y1, int32_t y2, int32_t x, uint32_t c), P_ARGS(y1, y2, x, c))
PRIM_MEMBERS(Line, DrawLine, P_ARGS(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t c),
             P_ARGS(x1, y1, x2, y2, c))
#undef P_ARGS

int PRIM_ClipLine(DDSURFACEDESC2 d, int32_t* x1, int32_t* y1, int32_t* x2, int32_t* y2) {
    int64_t a = *x1, b = *y1, c = *x2, e = *y2;
    if (!ClipLine(d, a, b, c, e)) return 0;
    *x1 = static_cast<int32_t>(a);
    *y1 = static_cast<int32_t>(b);
    *x2 = static_cast<int32_t>(c);
    *y2 = static_cast<int32_t>(e);
    return 1;
}
