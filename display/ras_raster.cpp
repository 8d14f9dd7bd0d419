// Raster operations: level and 50 % blends, textured quadrilateral, dimmed copy, lines, colour
// fills, masked copies, and the processor class.
#include "display/ras_raster.h"

#include <algorithm>

#include "display/blt_channel.h"
#include "display/blt_frame.h"
#include "display/blt_level.h"
#include "display/dd_display.h"
#include "services/fil_util.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

int32_t PROC_CLASS = 0;
uint8_t PROC_MMX = 0;
RasSpan RAS_SPAN_TABLE[RAS_SPAN_ROWS];

// ---- processor class ----

// Every processor this runs on has 64-bit SIMD, and the picture must not depend on who made it:
// the class is the highest on every machine, whatever its identification reports.
int PROC_GetClass() {
    PROC_MMX = 1;
    PROC_CLASS = 4;
    return PROC_CLASS;
}

namespace {
// ---- pixel arithmetic ----

// Two pixels in one word: the low half is the left pixel.
inline uint32_t Pair(uint16_t a, uint16_t b) { return a | static_cast<uint32_t>(b) << 16; }

using blt::PairMasks;
using blt::ScalePair;

// The 50 % mask: every channel's lowest bit cleared; 565 when the screen's green has 6 bits.
uint32_t MixMask() { return DD_PIXEL_FORMAT.g_bits == 63 ? 0xF7DE : 0x7BDE; }

inline uint16_t Mix(uint32_t a, uint32_t b, uint32_t m) { return static_cast<uint16_t>(((a & m) >> 1) + ((b & m) >> 1)); }

// The 50 % mix of two pixel pairs; mm is the mask of both halves.
inline uint32_t MixPair(const uint16_t* d, const uint16_t* s, uint32_t mm) {
    return ((Pair(s[0], s[1]) & mm) >> 1) + ((Pair(d[0], d[1]) & mm) >> 1);
}

inline uint16_t* Row(const RAS_SURFACE& v, int64_t y) { return v.pixels + y * v.pitch; }

// Writes a computed pair, leaving out the pixels whose key test says so.
inline void Store(uint16_t* d, uint32_t value, bool keep0, bool keep1) {
    if (!keep0) d[0] = static_cast<uint16_t>(value);
    if (!keep1) d[1] = static_cast<uint16_t>(value >> 16);
}

// ---- clipping ----

struct Blit {
    int64_t x, y, w, h, sx, sy;
};

// The source rectangle must lie in the source too: cuts there move the destination along.
bool ClipSource(Blit& b, const RAS_SURFACE& src) {
    if (b.sx < 0) {
        b.w += b.sx;
        b.x -= b.sx;
        b.sx = 0;
    }
    if (b.sy < 0) {
        b.h += b.sy;
        b.y -= b.sy;
        b.sy = 0;
    }
    b.w = std::min<int64_t>(b.w, src.width - b.sx);
    b.h = std::min<int64_t>(b.h, src.height - b.sy);
    return b.w >= 1 && b.h >= 1;
}

// The destination clip of the blends, then the source clip, into b; false when nothing is left.
bool ClipBoth(Blit& b, const RAS_SURFACE& dst, const RAS_SURFACE& src, int32_t x, int32_t y, int32_t w, int32_t h,
              int32_t sx, int32_t sy) {
    if (!dst.pixels || !src.pixels || !RAS_ClipBltRect(&x, &y, &w, &h, &sx, &sy, dst.width, dst.height, nullptr))
        return false;
    b = {x, y, w, h, sx, sy};
    return ClipSource(b, src);
}

bool ClipRect(const RAS_SURFACE& v, int64_t& l, int64_t& t, int64_t& r, int64_t& b) {
    if (!v.pixels) return false;
    l = std::max<int64_t>(l, 0);
    t = std::max<int64_t>(t, 0);
    r = std::min<int64_t>(r, v.width);
    b = std::min<int64_t>(b, v.height);
    return l < r && t < b;
}

// ---- locking ----

RAS_SURFACE View(const DDSURFACEDESC2& d) {
    return {.pixels = static_cast<uint16_t*>(d.lpSurface), .pitch = d.lPitch / 2,
            .height = static_cast<int32_t>(d.dwHeight), .width = static_cast<int32_t>(d.dwWidth)};
}

// Locks the source, then the destination; runs f(dst view, src view); unlocks the destination, then
// the source. A failed lock draws nothing. Returns f's result, or fail.
template <class F>
int WithPair(DDSurface* dst, DDSurface* src, int fail, F&& f) {
    DDSURFACEDESC2 sd, dd;
    if (!dst || !src || DD_LockSurface(src, &sd) != DD_OK) return fail;
    if (DD_LockSurface(dst, &dd) != DD_OK) {
        src->Unlock(nullptr);
        return fail;
    }
    const int r = f(View(dd), View(sd));
    dst->Unlock(nullptr);
    src->Unlock(nullptr);
    return r;
}

template <class F>
int WithOne(DDSurface* s, int fail, F&& f) {
    DDSURFACEDESC2 d;
    if (!s || DD_LockSurface(s, &d) != DD_OK) return fail;
    const int r = f(View(d));
    s->Unlock(nullptr);
    return r;
}

// ---- lines ----

int64_t Div(__int128 a, int64_t b) { return static_cast<int64_t>(a / b); }

bool Inside(int64_t x, int64_t y, int64_t xmax, int64_t ymax) { return x >= 0 && x <= xmax && y >= 0 && y <= ymax; }

template <class Plot>
void WalkLine(const RAS_SURFACE& v, int32_t x1, int32_t y1, int32_t x2, int32_t y2, Plot plot) {
    if (!RAS_ClipLine(v, &x1, &y1, &x2, &y2)) return;
    const int64_t dx = int64_t{x1} - x2, dy = int64_t{y1} - y2;
    const int64_t ax = dx < 0 ? -dx : dx, ay = dy < 0 ? -dy : dy;
    const int64_t major = std::max(ax, ay), minor = std::min(ax, ay);
    if (major == 0) return;
    const int64_t sx = dx > 0 ? 1 : (dx < 0 ? -1 : 0), sy = dy > 0 ? 1 : (dy < 0 ? -1 : 0);
    const bool x_major = ax >= ay;
    int64_t x = x2, y = y2, e = 0;
    // From the second point toward the first, which is not drawn.
    for (int64_t i = 0; i < major; ++i) {
        plot(Row(v, y) + x);
        if (x_major) x += sx; else y += sy;
        e += minor;
        if (e >= major) {
            if (x_major) y += sy; else x += sx;
            e -= major;
        }
    }
}

// ---- pair walks ----

// Runs op(d, s, keep0, keep1) over floor(w / 2) pairs of each row; the key value leaves source
// pixels equal to it alone (0x10000 matches none).
template <class Op>
void SourcePairs(const RAS_SURFACE& dst, const RAS_SURFACE& src, const Blit& b, uint32_t key, Op op) {
    const int64_t pairs = b.w / 2;
    for (int64_t r = 0; r < b.h; ++r) {
        uint16_t* d = Row(dst, b.y + r) + b.x;
        const uint16_t* s = Row(src, b.sy + r) + b.sx;
        if (key == RAS_NO_KEY) {
            for (int64_t i = 0; i < pairs; ++i, d += 2, s += 2) op(d, s, false, false);
        } else {
            for (int64_t i = 0; i < pairs; ++i, d += 2, s += 2) {
                const bool k0 = s[0] == key, k1 = s[1] == key;
                if (!(k0 && k1)) op(d, s, k0, k1);
            }
        }
    }
}

// The same over a rectangle of the destination alone; the key value there is a destination pixel.
template <class Op>
void DestPairs(const RAS_SURFACE& dst, int64_t l, int64_t t, int64_t r, int64_t b, uint32_t key, Op op) {
    const int64_t pairs = (r - l) / 2;
    for (int64_t y = t; y < b; ++y) {
        uint16_t* d = Row(dst, y) + l;
        for (int64_t i = 0; i < pairs; ++i, d += 2) {
            const bool k0 = d[0] == key, k1 = d[1] == key;
            if (!(k0 && k1)) op(d, k0, k1);
        }
    }
}

// The level blend of two pixels: each channel floor(d * (32 - k) / 32) + floor(s * k / 32).
inline uint32_t AlphaPair(const uint16_t* d, const uint16_t* s, uint32_t k, PairMasks m) {
    return ScalePair(Pair(d[0], d[1]), 32 - k, m) + ScalePair(Pair(s[0], s[1]), k, m);
}

#if defined(__SSE2__)
// floor(c * k / 32) for every channel of eight pixels, k 0..32, as ScalePair does for two; every
// product stays below 2^11, so 16-bit lanes hold it.
template <bool Is565>
inline __m128i Scale8(__m128i v, __m128i k) {
    constexpr int kRed = Is565 ? 11 : 10;
    const __m128i five = _mm_set1_epi16(31), six = _mm_set1_epi16(Is565 ? 63 : 31);
    const __m128i r = _mm_and_si128(_mm_srli_epi16(v, kRed), five);
    const __m128i g = _mm_and_si128(_mm_srli_epi16(v, 5), six);
    const __m128i b = _mm_and_si128(v, five);
    const __m128i rs = _mm_slli_epi16(_mm_srli_epi16(_mm_mullo_epi16(r, k), 5), kRed);
    const __m128i gs = _mm_slli_epi16(_mm_srli_epi16(_mm_mullo_epi16(g, k), 5), 5);
    const __m128i bs = _mm_srli_epi16(_mm_mullo_epi16(b, k), 5);
    return _mm_or_si128(_mm_or_si128(rs, gs), bs);
}

// The level blend over floor(w / 2) pairs of each row, eight pixels a step; keyed, source pixels
// holding the key leave the destination alone.
template <bool Is565, bool Keyed>
void AlphaRows(const RAS_SURFACE& dst, const RAS_SURFACE& src, const Blit& b, uint32_t k, uint32_t key, PairMasks m) {
    const int64_t n = b.w / 2 * 2;
    const __m128i ks = _mm_set1_epi16(static_cast<short>(k)), kd = _mm_set1_epi16(static_cast<short>(32 - k));
    const __m128i kv = _mm_set1_epi16(static_cast<short>(key));
    for (int64_t r = 0; r < b.h; ++r) {
        uint16_t* d = Row(dst, b.y + r) + b.x;
        const uint16_t* s = Row(src, b.sy + r) + b.sx;
        int64_t i = 0;
        for (; i + 8 <= n; i += 8) {
            const __m128i sv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
            const __m128i dv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i));
            __m128i out = _mm_add_epi16(Scale8<Is565>(dv, kd), Scale8<Is565>(sv, ks));
            if constexpr (Keyed) {
                const __m128i hole = _mm_cmpeq_epi16(sv, kv);
                out = _mm_or_si128(_mm_and_si128(hole, dv), _mm_andnot_si128(hole, out));
            }
            _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), out);
        }
        for (; i < n; i += 2) Store(d + i, AlphaPair(d + i, s + i, k, m), Keyed && s[i] == key, Keyed && s[i + 1] == key);
    }
}
#endif

}  // namespace

// ---- clipping helpers ----

int RAS_ClipBlt(int32_t* x, int32_t* y, int32_t* w, int32_t* h, int32_t* sx, int32_t* sy, int32_t left, int32_t top,
                int32_t right, int32_t bottom) {
    const RECT area{left, top, right, bottom};
    return BLT_ClipWorker(x, y, w, h, sx, sy, 0, 0, &area);
}

int RAS_ClipBltRect(int32_t* x, int32_t* y, int32_t* w, int32_t* h, int32_t* sx, int32_t* sy, int32_t width,
                    int32_t height, const RECT* clip) {
    return BLT_ClipWorker(x, y, w, h, sx, sy, width, height, clip);
}

int RAS_ClipLine(const RAS_SURFACE& v, int32_t* px1, int32_t* py1, int32_t* px2, int32_t* py2) {
    const int64_t xmax = int64_t{v.width} - 1, ymax = int64_t{v.height} - 1;
    if (!v.pixels || xmax < 0 || ymax < 0) return 0;
    const int64_t ox1 = *px1, oy1 = *py1, ox2 = *px2, oy2 = *py2;
    if ((ox1 < 0 && ox2 < 0) || (ox1 > xmax && ox2 > xmax) || (oy1 < 0 && oy2 < 0) || (oy1 > ymax && oy2 > ymax))
        return 0;
    // A line wholly in the box needs no clipping, however steep it is.
    if (Inside(ox1, oy1, xmax, ymax) && Inside(ox2, oy2, xmax, ymax)) return 1;
    int64_t x1 = ox1, y1 = oy1, x2 = ox2, y2 = oy2;
    if (x1 == x2) {
        y1 = std::clamp<int64_t>(y1, 0, ymax);
        y2 = std::clamp<int64_t>(y2, 0, ymax);
    } else if (y1 == y2) {
        x1 = std::clamp<int64_t>(x1, 0, xmax);
        x2 = std::clamp<int64_t>(x2, 0, xmax);
    } else {
        const int64_t s = Div(static_cast<__int128>(ox1 - ox2) * 256, oy1 - oy2);  // 8.8 columns per row
        const auto clip_end = [&](int64_t& x, int64_t& y) {
            const int64_t side = x < 0 ? 0 : (x > xmax ? xmax : x);
            if (side != x) {
                // Steeper than 256 rows a column the 8.8 slope is 0: follow the exact line instead.
                y = s != 0 ? y + Div(static_cast<__int128>(side - x) * 256, s)
                           : oy1 + Div(static_cast<__int128>(side - ox1) * (oy1 - oy2), ox1 - ox2);
                x = side;
            }
            const int64_t edge = y < 0 ? 0 : (y > ymax ? ymax : y);
            if (edge != y) {
                x = s != 0 ? x + Div(static_cast<__int128>(edge - y) * s, 256)
                           : ox1 + Div(static_cast<__int128>(edge - oy1) * (ox1 - ox2), oy1 - oy2);
                y = edge;
            }
        };
        clip_end(x1, y1);
        clip_end(x2, y2);
        if (!Inside(x1, y1, xmax, ymax) || !Inside(x2, y2, xmax, ymax)) return 0;
    }
    *px1 = static_cast<int32_t>(x1);
    *py1 = static_cast<int32_t>(y1);
    *px2 = static_cast<int32_t>(x2);
    *py2 = static_cast<int32_t>(y2);
    return 1;
}

// ---- blends ----

int RAS_AlphaWorker(const RAS_SURFACE& dst, int32_t x, int32_t y, int32_t w, int32_t h, const RAS_SURFACE& src,
                    int32_t sx, int32_t sy, int32_t level, uint32_t key) {
    Blit b{};
    if (!ClipBoth(b, dst, src, x, y, w, h, sx, sy)) return 0;
    const uint32_t k = static_cast<uint32_t>(level & 255) / 8;
    const PairMasks m = blt::ScreenPairMasks();
#if defined(__SSE2__)
    const bool is565 = m.lo == (0x07E0u << 16 | 0xF81F), is555 = m.lo == (0x03E0u << 16 | 0x7C1F);
    if (is565 || is555) {
        // A key no pixel can hold keys nothing.
        const bool keyed = key <= 0xFFFF;
        if (is565) {
            if (keyed) AlphaRows<true, true>(dst, src, b, k, key, m);
            else AlphaRows<true, false>(dst, src, b, k, key, m);
        } else {
            if (keyed) AlphaRows<false, true>(dst, src, b, k, key, m);
            else AlphaRows<false, false>(dst, src, b, k, key, m);
        }
        return 0;
    }
#endif
    SourcePairs(dst, src, b, key, [&](uint16_t* d, const uint16_t* s, bool k0, bool k1) {
        Store(d, AlphaPair(d, s, k, m), k0, k1);
    });
    return 0;
}

int RAS_MixWorker(const RAS_SURFACE& dst, int32_t x, int32_t y, int32_t w, int32_t h, const RAS_SURFACE& src,
                  int32_t sx, int32_t sy, uint32_t key) {
    Blit b{};
    if (!ClipBoth(b, dst, src, x, y, w, h, sx, sy)) return 0;
    const uint32_t m = MixMask();
    if (key != RAS_NO_KEY) {
        const uint32_t mm = m | m << 16;
        SourcePairs(dst, src, b, key, [&](uint16_t* d, const uint16_t* s, bool k0, bool k1) {
            Store(d, MixPair(d, s, mm), k0, k1);
        });
        return 1;
    }
    if (PROC_CLASS >= 3) {
        // Four pixels a group, then the rest of the row one by one.
        const uint64_t m4 = uint64_t{m} * 0x0001000100010001ULL;
        for (int64_t r = 0; r < b.h; ++r) {
            uint16_t* d = Row(dst, b.y + r) + b.x;
            const uint16_t* s = Row(src, b.sy + r) + b.sx;
            int64_t i = 0;
            for (; i + 4 <= b.w; i += 4) {
                uint64_t dv = 0, sv = 0;
                for (int j = 0; j < 4; ++j) {
                    dv |= uint64_t{d[i + j]} << (16 * j);
                    sv |= uint64_t{s[i + j]} << (16 * j);
                }
                const uint64_t out = ((sv & m4) >> 1) + ((dv & m4) >> 1);
                for (int j = 0; j < 4; ++j) d[i + j] = static_cast<uint16_t>(out >> (16 * j));
            }
            for (; i < b.w; ++i) d[i] = Mix(s[i], d[i], m);
        }
        return 1;
    }
    // Pairs, then the last pixel of an odd row on its own: every column is drawn.
    const uint32_t mm = m | m << 16;
    for (int64_t r = 0; r < b.h; ++r) {
        uint16_t* d = Row(dst, b.y + r) + b.x;
        const uint16_t* s = Row(src, b.sy + r) + b.sx;
        int64_t i = 0;
        for (; i + 2 <= b.w; i += 2) Store(d + i, MixPair(d + i, s + i, mm), false, false);
        if (i < b.w) d[i] = Mix(s[i], d[i], m);
    }
    return 1;
}

int RAS_AlphaBltDesc(const RAS_SURFACE& dst, int32_t x, int32_t y, int32_t w, int32_t h, const RAS_SURFACE& src,
                     int32_t sx, int32_t sy, int32_t level, uint32_t key) {
    return RAS_AlphaWorker(dst, x, y, w, h, src, sx, sy, level, key);
}

int RAS_AlphaBlt(DDSurface* dst, int32_t x, int32_t y, int32_t w, int32_t h, DDSurface* src, int32_t sx, int32_t sy,
                 int32_t level, uint32_t key, int32_t) {
    return WithPair(dst, src, 0, [&](const RAS_SURFACE& d, const RAS_SURFACE& s) {
        if (level == 128 && PROC_CLASS < 3) return RAS_MixWorker(d, x, y, w, h, s, sx, sy, key);
        return RAS_AlphaWorker(d, x, y, w, h, s, sx, sy, level, key);
    });
}

int RAS_MixBlt(DDSurface* dst, int32_t x, int32_t y, int32_t w, int32_t h, DDSurface* src, int32_t sx, int32_t sy,
               uint32_t key, int32_t) {
    return WithPair(dst, src, 0, [&](const RAS_SURFACE& d, const RAS_SURFACE& s) {
        return RAS_MixWorker(d, x, y, w, h, s, sx, sy, key);
    });
}

// ---- textured quadrilateral ----

void RAS_TexQuadEdge(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t u1, int32_t v1, int32_t u2, int32_t v2,
                     int32_t limit) {
    limit = std::clamp(limit, 0, RAS_SPAN_ROWS);
    if ((y1 < 0 && y2 < 0) || (y1 >= limit && y2 >= limit)) return;
    const auto update = [](int64_t row, int64_t x, int64_t u, int64_t v) { RAS_SPAN_TABLE[row].Merge(x, u, v); };
    if (y1 == y2) {
        update(y1, x1, u1, v1);
        update(y1, x2, u2, v2);
        return;
    }
    if (y1 > y2) {
        std::swap(x1, x2);
        std::swap(y1, y2);
        std::swap(u1, u2);
        std::swap(v1, v2);
    }
    const int64_t dy = int64_t{y2} - y1;
    const int64_t xs = (int64_t{x2} - x1) * 65536 / dy, us = (int64_t{u2} - u1) * 65536 / dy,
                  vs = (int64_t{v2} - v1) * 65536 / dy;
    // Only the rows inside the table are visited; position k rows on is start + k steps.
    for (int64_t row = std::max<int64_t>(y1, 0); row <= std::min<int64_t>(y2, limit - 1); ++row) {
        const int64_t k = row - y1;
        update(row, (int64_t{x1} * 65536 + k * xs) >> 16, (int64_t{u1} * 65536 + k * us) >> 16,
               (int64_t{v1} * 65536 + k * vs) >> 16);
    }
}

int RAS_TexQuadWorker(const RAS_SURFACE& dst, const int32_t* c, const RAS_SURFACE& src, int32_t sx, int32_t sy,
                      int32_t w, int32_t h) {
    for (RasSpan& s : RAS_SPAN_TABLE) s = {32767, -32768, 0, 0, 0, 0};
    if (!c || !dst.pixels || !src.pixels) return 0;
    const int32_t rows = std::clamp<int32_t>(dst.height, 0, RAS_SPAN_ROWS);
    const int32_t su = static_cast<int32_t>(int64_t{sx} + w), sv = static_cast<int32_t>(int64_t{sy} + h);
    RAS_TexQuadEdge(c[0], c[1], c[2], c[3], sx, sy, su, sy, rows);
    RAS_TexQuadEdge(c[2], c[3], c[4], c[5], su, sy, su, sv, rows);
    RAS_TexQuadEdge(c[4], c[5], c[6], c[7], su, sv, sx, sv, rows);
    RAS_TexQuadEdge(c[6], c[7], c[0], c[1], sx, sv, sx, sy, rows);
    // The source rectangle's last pixel, kept inside the source surface.
    const int64_t umax = std::min<int64_t>(int64_t{sx} + w - 1, int64_t{src.width} - 1);
    const int64_t vmax = std::min<int64_t>(int64_t{sy} + h - 1, int64_t{src.height} - 1);
    if (umax < 0 || vmax < 0) return 1;
    const int64_t width = dst.width;
    for (int64_t row = 0; row < rows; ++row) {
        const RasSpan& s = RAS_SPAN_TABLE[row];
        if ((s.left >= width && s.right < 0) || s.left > s.right) continue;
        const int64_t n = int64_t{s.right} - s.left + 1;
        const int64_t du = (int64_t{s.u_right} - s.u_left) * 65536 / n, dv = (int64_t{s.v_right} - s.v_left) * 65536 / n;
        const int64_t first = std::max<int64_t>(s.left, 0), last = std::min<int64_t>(s.right, width - 1);
        int64_t u = int64_t{s.u_left} * 65536 + (first - s.left) * du;
        int64_t v = int64_t{s.v_left} * 65536 + (first - s.left) * dv;
        uint16_t* d = Row(dst, row);
        for (int64_t x = first; x <= last; ++x, u += du, v += dv) {
            if (u < 0 || v < 0) continue;
            d[x] = Row(src, std::min(v >> 16, vmax))[std::min(u >> 16, umax)];
        }
    }
    return 1;
}

int RAS_TexQuad(DDSurface* dst, int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3,
                int32_t y3, DDSurface* src, int32_t sx, int32_t sy, int32_t w, int32_t h) {
    const int32_t corners[8] = {x0, y0, x1, y1, x2, y2, x3, y3};
    return WithPair(dst, src, 0, [&](const RAS_SURFACE& d, const RAS_SURFACE& s) {
        return RAS_TexQuadWorker(d, corners, s, sx, sy, w, h);
    });
}

// ---- dimmed copy ----

// The dim worker of the level blitters does exactly this work on the same two-pixel words.
int RAS_DimWorker(const RAS_SURFACE& dst, int32_t x, int32_t y, int32_t w, int32_t h, const RAS_SURFACE& src,
                  int32_t sx, int32_t sy, int32_t level, uint32_t key, const RECT* clip) {
    if (!dst.pixels || !src.pixels) return 0;
    const int32_t k = key > RAS_NO_KEY ? static_cast<int32_t>(RAS_NO_KEY) : static_cast<int32_t>(key);
    const BLT_WORKER_PARAMS p{.dst = dst.pixels, .x = x, .y = y, .dst_pitch = dst.pitch, .dst_width = dst.width,
                              .dst_height = dst.height, .width = w, .height = h, .src = src.pixels, .src_x = sx,
                              .src_y = sy, .src_pitch = src.pitch, .src_width = src.width,
                              .src_height = src.height, .level = level, .key = k, .clip = clip};
    return BLT_DimWorker(&p);
}

int RAS_DimBlt(DDSurface* dst, int32_t x, int32_t y, DDSurface* src, const RECT* src_rect, int32_t level,
               uint32_t key) {
    DDSURFACEDESC2 dd, sd;
    if (!dst || !src || DD_LockSurface(dst, &dd) != DD_OK) return 0;
    if (DD_LockSurface(src, &sd) != DD_OK) {
        dst->Unlock(nullptr);
        return 0;
    }
    const RAS_SURFACE d = View(dd), s = View(sd);
    int32_t sx = 0, sy = 0, w = s.width, h = s.height;
    if (src_rect) {
        sx = src_rect->left;
        sy = src_rect->top;
        w = static_cast<int32_t>(int64_t{src_rect->right} - src_rect->left);
        h = static_cast<int32_t>(int64_t{src_rect->bottom} - src_rect->top);
    }
    RAS_DimWorker(d, x, y, w, h, s, sx, sy, level, key, nullptr);
    dst->Unlock(nullptr);
    src->Unlock(nullptr);
    return 0;
}

// ---- lines ----

void RAS_LineWorker(const RAS_SURFACE& v, int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour) {
    const uint16_t c = static_cast<uint16_t>(colour);
    WalkLine(v, x1, y1, x2, y2, [c](uint16_t* p) { *p = c; });
}

void RAS_LineMixWorker(const RAS_SURFACE& v, int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour) {
    const uint32_t m = MixMask();
    WalkLine(v, x1, y1, x2, y2, [colour, m](uint16_t* p) { *p = Mix(*p, colour, m); });
}

int RAS_Line(DDSurface* surface, int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour) {
    WithOne(surface, 0, [&](const RAS_SURFACE& v) {
        RAS_LineWorker(v, x1, y1, x2, y2, colour);
        return 0;
    });
    return 1;
}

int RAS_LineMix(DDSurface* surface, int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour) {
    WithOne(surface, 0, [&](const RAS_SURFACE& v) {
        RAS_LineMixWorker(v, x1, y1, x2, y2, colour);
        return 0;
    });
    return 1;
}

// ---- colour fills (clipped to the surface) ----

int RAS_FillMixWorker(const RAS_SURFACE& dst, int32_t left, int32_t top, int32_t right, int32_t bottom,
                      uint32_t colour) {
    int64_t l = left, t = top, r = right, b = bottom;
    if (!ClipRect(dst, l, t, r, b)) return 0;
    const uint32_t m = MixMask(), mm = m | m << 16;
    const uint32_t half = (Pair(static_cast<uint16_t>(colour), static_cast<uint16_t>(colour)) & mm) >> 1;
    DestPairs(dst, l, t, r, b, RAS_NO_KEY, [&](uint16_t* d, bool, bool) {
        Store(d, ((Pair(d[0], d[1]) & mm) >> 1) + half, false, false);
    });
    return 1;
}

int RAS_FillAlphaWorker(const RAS_SURFACE& dst, int32_t left, int32_t top, int32_t right, int32_t bottom,
                        uint32_t colour, int32_t level, uint32_t key) {
    if (level == 0) return 0;
    int64_t l = left, t = top, r = right, b = bottom;
    if (!ClipRect(dst, l, t, r, b)) return 0;
    const uint32_t k = static_cast<uint32_t>(level & 255) / 8;
    const PairMasks m = blt::ScreenPairMasks();
    const uint32_t part = ScalePair(Pair(static_cast<uint16_t>(colour), static_cast<uint16_t>(colour)), k, m);
    DestPairs(dst, l, t, r, b, key, [&](uint16_t* d, bool k0, bool k1) {
        Store(d, ScalePair(Pair(d[0], d[1]), 32 - k, m) + part, k0, k1);
    });
    return 1;
}

int RAS_FillAlphaDispatch(const RAS_SURFACE& dst, int32_t left, int32_t top, int32_t right, int32_t bottom,
                          uint32_t colour, int32_t level) {
    if (level == 0) return 1;
    if (level >= 256) return 0;
    if (level == 128) return RAS_FillMixWorker(dst, left, top, right, bottom, colour);
    return RAS_FillAlphaWorker(dst, left, top, right, bottom, colour, level, RAS_NO_KEY);
}

int RAS_FillRectAlpha(DDSurface* surface, int32_t left, int32_t top, int32_t right, int32_t bottom, uint32_t colour,
                      int32_t level) {
    return WithOne(surface, 0, [&](const RAS_SURFACE& v) {
        return RAS_FillAlphaDispatch(v, left, top, right, bottom, colour, level);
    });
}

int RAS_FillRectAlphaKey(DDSurface* surface, int32_t left, int32_t top, int32_t right, int32_t bottom,
                         uint32_t colour, int32_t level, uint32_t key) {
    return WithOne(surface, 0, [&](const RAS_SURFACE& v) {
        return RAS_FillAlphaWorker(v, left, top, right, bottom, colour, level, key);
    });
}

// ---- masked copies: the screen's 640 x 480 pixels, each surface walked by its own pitch ----

namespace {
constexpr int kMaskW = 640, kMaskH = 480;

bool ScreenSized(const RAS_SURFACE& v) { return v.pixels && v.width >= kMaskW && v.height >= kMaskH; }

template <class Copy>
void MaskWalk(const RAS_SURFACE& dst, const RAS_SURFACE& src, const RAS_SURFACE& mask, Copy copy) {
    if (!ScreenSized(dst) || !ScreenSized(src) || !ScreenSized(mask)) return;
    for (int y = 0; y < kMaskH; ++y) {
        uint16_t* d = Row(dst, y);
        const uint16_t* s = Row(src, y);
        const uint16_t* m = Row(mask, y);
        for (int x = 0; x < kMaskW; ++x)
            if (copy(m[x])) d[x] = s[x];
    }
}

template <class Worker>
void MaskCopy(DDSurface* dst, DDSurface* src, DDSurface* mask, const char* name, Worker worker) {
    if (!dst || !src || !mask || dst == src) return;
    DDSURFACEDESC2 dd, sd, md;
    if (DD_LockSurface(dst, &dd) != DD_OK) return;
    if (DD_LockSurface(src, &sd) != DD_OK) {
        dst->Unlock(nullptr);
        return;
    }
    const bool own_mask = mask != dst && mask != src;
    if (own_mask && DD_LockSurface(mask, &md) != DD_OK) {
        dst->Unlock(nullptr);
        src->Unlock(nullptr);
        return;
    }
    const DDSURFACEDESC2& mdesc = mask == dst ? dd : (mask == src ? sd : md);
    const auto small = [](const DDSURFACEDESC2& d) { return d.dwWidth < kMaskW || d.dwHeight < kMaskH; };
    if (small(dd) || small(sd) || small(mdesc))
        SYS_DebugPrint("%s: surfaces smaller than %d x %d refused", name, kMaskW, kMaskH);
    else
        worker(View(dd), View(sd), View(mdesc));
    dst->Unlock(nullptr);
    src->Unlock(nullptr);
    if (own_mask) mask->Unlock(nullptr);
}
}  // namespace

void RAS_MaskCopyWorker(const RAS_SURFACE& dst, const RAS_SURFACE& src, const RAS_SURFACE& mask, uint32_t value) {
    MaskWalk(dst, src, mask, [value](uint16_t m) { return m != value; });
}

void RAS_MaskCopyZeroWorker(const RAS_SURFACE& dst, const RAS_SURFACE& src, const RAS_SURFACE& mask, int32_t flag) {
    MaskWalk(dst, src, mask, [flag](uint16_t m) { return flag == 0 ? m == 0 : (flag == 1 && m != 0); });
}

void RAS_MaskCopy(DDSurface* dst, DDSurface* src, DDSurface* mask, uint32_t value) {
    MaskCopy(dst, src, mask, "RAS_MaskCopy", [value](const RAS_SURFACE& d, const RAS_SURFACE& s, const RAS_SURFACE& m) {
        RAS_MaskCopyWorker(d, s, m, value);
    });
}

void RAS_MaskCopyZero(DDSurface* dst, DDSurface* src, DDSurface* mask, int32_t flag) {
    MaskCopy(dst, src, mask, "RAS_MaskCopyZero", [flag](const RAS_SURFACE& d, const RAS_SURFACE& s, const RAS_SURFACE& m) {
        RAS_MaskCopyZeroWorker(d, s, m, flag);
    });
}
