// The 96 banks of channel blends and the level blitters: table blends, alpha, additive, dim, whiten.
#include "display/blt_level.h"

#include <algorithm>

#include "display/blt_bank_vec.h"
#include "display/blt_channel.h"
#include "display/blt_frame.h"
#include "services/fil_util.h"

uint8_t BLT_BLEND_TABLE[BLT_BLEND_BANKS][1024];

void BLT_BuildTables() {
    for (int b = 0; b < BLT_BLEND_BANKS; ++b) {
        for (int d = 0; d < 32; ++d) {
            for (int s = 0; s < 32; ++s) {
                int v;
                if (b == 0) {
                    v = s == 0 ? 0 : d;
                } else if (b <= 30) {
                    v = d + (((s - d) * b) >> 5);  // arithmetic shift: rounds toward minus infinity
                    if (s != 0 && v == 0) v = 1;
                } else if (b == 31) {
                    v = s;
                } else {
                    v = std::min(31, d + ((s * (b - 32)) >> 5));
                }
                BLT_BLEND_TABLE[b][d * 32 + s] = static_cast<uint8_t>(v);
            }
        }
    }
}

// ---------------- table blends ----------------
int BLT_TableBlend(DDSurface* dst, int32_t x, int32_t y, DDSurface* src, const RECT* src_rect, int32_t bank,
                   uint32_t flip, int32_t keyed) {
    blt::PointFrame f(dst, x, y, src, src_rect, flip, blt::Order::DescribeFirst);
    if (!f.ready) return 0;
    const int32_t b = blt::ClampBank(bank);
    const uint8_t* t = BLT_BLEND_TABLE[b];
    if (b == 0 || b == 31)
        blt::RunPoint<blt::BankBlendOp>(f, flip, keyed != 0, t, t, t);
    else
        blt::BankPoint(f, flip, keyed != 0, b);
    return 0;
}

int BLT_TableBlendStretch(DDSurface* dst, RECT* dst_rect, DDSurface* src, const RECT* src_rect, int32_t bank,
                          uint32_t flip, int32_t keyed) {
    blt::StretchFrame f(dst, dst_rect, src, src_rect, flip, blt::Order::LockFirst);
    if (!f.ready) return 0;
    const int32_t b = blt::ClampBank(bank);
    const uint8_t* t = BLT_BLEND_TABLE[b];
    if (b >= 1 && b <= 30)
        blt::RunStretch<blt::FormulaBank<true>::Op>(f, flip, keyed != 0, t, b);
    else if (b >= 32)
        blt::RunStretch<blt::FormulaBank<false>::Op>(f, flip, keyed != 0, t, b - 32);
    else
        blt::RunStretch<blt::BankBlendOp>(f, flip, keyed != 0, t, t, t);
    return 0;
}

int BLT_Alpha(DDSurface* dst, int32_t x, int32_t y, DDSurface* src, const RECT* src_rect, int32_t level,
              uint32_t flip, int32_t keyed) {
    if (level < 1) return 0;
    if (level >= 31) {
        BLT_BltFx(dst, x, y, src, src_rect, flip, keyed);
        return 0;
    }
    return BLT_TableBlend(dst, x, y, src, src_rect, level, flip, keyed);
}

int BLT_AlphaStretch(DDSurface* dst, RECT* dst_rect, DDSurface* src, const RECT* src_rect, int32_t level,
                     uint32_t flip, int32_t keyed) {
    if (level < 1) return 0;
    if (level >= 31) {
        BLT_StretchBlt(dst, dst_rect, src, src_rect, flip, keyed);
        return 0;
    }
    return BLT_TableBlendStretch(dst, dst_rect, src, src_rect, level, flip, keyed);
}

int BLT_AddLevel(DDSurface* dst, int32_t x, int32_t y, DDSurface* src, const RECT* src_rect, int32_t level,
                 uint32_t flip, int32_t keyed) {
    if (level < 1) return 0;
    return BLT_TableBlend(dst, x, y, src, src_rect, std::min(level, 63) + 32, flip, keyed);
}

int BLT_AddLevelStretch(DDSurface* dst, RECT* dst_rect, DDSurface* src, const RECT* src_rect, int32_t level,
                        uint32_t flip, int32_t keyed) {
    if (level < 1) return 0;
    return BLT_TableBlendStretch(dst, dst_rect, src, src_rect, std::min(level, 63) + 32, flip, keyed);
}

// ---------------- dim and whiten: two pixels per 32-bit word ----------------
int BLT_ClipWorker(int32_t* x, int32_t* y, int32_t* width, int32_t* height, int32_t* src_x, int32_t* src_y,
                   int32_t dst_w, int32_t dst_h, const RECT* clip) {
    const RECT area = clip ? *clip : RECT{0, 0, dst_w, dst_h};
    int64_t px = *x, py = *y, w = *width, h = *height, sx = *src_x, sy = *src_y;
    if (px + w < area.left || px >= area.right || py + h < area.top || py >= area.bottom) return 0;
    if (px < area.left) {
        w -= area.left - px;
        sx += area.left - px;
        px = area.left;
    }
    if (py < area.top) {
        h -= area.top - py;
        sy += area.top - py;
        py = area.top;
    }
    if (px + w > area.right) w = area.right - px;
    if (py + h > area.bottom) h = area.bottom - py;
    if (w < 1 || h < 1) return 0;
    // A source position cut past the 32-bit range would wrap to a wrong one; no source reaches it.
    if (sx > INT32_MAX || sy > INT32_MAX) return 0;
    *x = static_cast<int32_t>(px);
    *y = static_cast<int32_t>(py);
    *width = static_cast<int32_t>(w);
    *height = static_cast<int32_t>(h);
    *src_x = static_cast<int32_t>(sx);
    *src_y = static_cast<int32_t>(sy);
    return 1;
}

namespace {
using blt::PairMasks;
using blt::ScalePair;

// The block a worker touches, clipped; false when nothing is left or the source would be left.
struct WorkBlock {
    uint16_t* drow;
    const uint16_t* srow;
    int w, h;
};

bool PrepareWorker(const char* who, const BLT_WORKER_PARAMS* p, WorkBlock& out) {
    if (!p || !p->dst || !p->src) return false;
    int32_t x = p->x, y = p->y, w = p->width, h = p->height, sx = p->src_x, sy = p->src_y;
    if (!BLT_ClipWorker(&x, &y, &w, &h, &sx, &sy, p->dst_width, p->dst_height, p->clip)) return false;
    const bool dst_ok = x >= 0 && y >= 0 && int64_t(x) + w <= std::min(p->dst_width, p->dst_pitch) &&
                        int64_t(y) + h <= p->dst_height;
    const bool src_ok = sx >= 0 && sy >= 0 && int64_t(sx) + w <= std::min(p->src_width, p->src_pitch) &&
                        int64_t(sy) + h <= p->src_height;
    if (!dst_ok || !src_ok) {
        SYS_DebugPrint("%s: block %dx%d at (%d,%d) from (%d,%d) leaves its surface", who, w, h, x, y, sx, sy);
        return false;
    }
    out.drow = p->dst + int64_t(y) * p->dst_pitch + x;
    out.srow = p->src + int64_t(sy) * p->src_pitch + sx;
    out.w = w;
    out.h = h;
    return true;
}

inline uint32_t LoadPair(const uint16_t* s) { return uint32_t(s[0]) | uint32_t(s[1]) << 16; }

DDSURFACEDESC2 Desc() {
    DDSURFACEDESC2 d{};
    d.dwSize = DDSD_SIZE;
    return d;
}

// hi - lo without overflow, held to the 32-bit range.
int32_t Span(int32_t lo, int32_t hi) {
    return static_cast<int32_t>(std::clamp<int64_t>(int64_t(hi) - lo, INT32_MIN, INT32_MAX));
}

// The source rectangle, or the whole source (its real width, not its pitch) when none is given.
RECT SourceRect(DDSurface* src, const RECT* src_rect) {
    if (src_rect) return *src_rect;
    DDSURFACEDESC2 d = Desc();
    DD_GetSurfaceDesc(src, &d);
    return RECT{0, 0, static_cast<int32_t>(d.dwWidth), static_cast<int32_t>(d.dwHeight)};
}

// Locks destination then source, fills the worker's surfaces and block; the caller unlocks.
bool LockForWorker(DDSurface* dst, DDSurface* src, int32_t x, int32_t y, const RECT* src_rect, BLT_WORKER_PARAMS& p) {
    DDSURFACEDESC2 dd = Desc(), sd = Desc();
    if (DD_LockSurface(dst, &dd) != DD_OK) return false;
    if (DD_LockSurface(src, &sd) != DD_OK) {
        dst->Unlock(nullptr);
        return false;
    }
    p.dst = static_cast<uint16_t*>(dd.lpSurface);
    p.dst_pitch = dd.lPitch / 2;
    p.dst_width = static_cast<int32_t>(dd.dwWidth);
    p.dst_height = static_cast<int32_t>(dd.dwHeight);
    p.src = static_cast<const uint16_t*>(sd.lpSurface);
    p.src_pitch = sd.lPitch / 2;
    p.src_width = static_cast<int32_t>(sd.dwWidth);
    p.src_height = static_cast<int32_t>(sd.dwHeight);
    p.x = x;
    p.y = y;
    const RECT r = src_rect ? *src_rect : RECT{0, 0, p.src_width, p.src_height};
    p.src_x = r.left;
    p.src_y = r.top;
    p.width = Span(r.left, r.right);
    p.height = Span(r.top, r.bottom);
    if (dd.ddpfPixelFormat.dwRGBBitCount != 16 || sd.ddpfPixelFormat.dwRGBBitCount != 16) p.width = 0;
    return true;
}

void UnlockBoth(DDSurface* dst, DDSurface* src) {
    dst->Unlock(nullptr);
    src->Unlock(nullptr);
}
}  // namespace

int BLT_DimWorker(const BLT_WORKER_PARAMS* p) {
    WorkBlock b;
    if (!PrepareWorker("BLT_DimWorker", p, b)) return 0;
    const uint32_t level = static_cast<uint32_t>(std::clamp(p->level, 0, 31));
    const PairMasks m = blt::ScreenPairMasks();
    const int32_t key = p->key;
    const int pairs = b.w / 2;
    for (int r = 0; r < b.h; ++r, b.drow += p->dst_pitch, b.srow += p->src_pitch) {
        uint16_t* d = b.drow;
        const uint16_t* s = b.srow;
        for (int i = 0; i < pairs; ++i, d += 2, s += 2) {
            const bool lo_out = s[0] == key, hi_out = s[1] == key;
            if (lo_out && hi_out) continue;
            const uint32_t v = ScalePair(LoadPair(s), level, m);
            if (!lo_out) d[0] = static_cast<uint16_t>(v);
            if (!hi_out) d[1] = static_cast<uint16_t>(v >> 16);
        }
    }
    return 1;
}

int BLT_WhitenWorker(const BLT_WORKER_PARAMS* p) {
    if (!p || p->key != BLT_WHITEN_NO_KEY) return 0;
    WorkBlock b;
    if (!PrepareWorker("BLT_WhitenWorker", p, b)) return 0;
    const uint32_t level = static_cast<uint32_t>(std::clamp(p->level, 0, 31));
    const PairMasks m = blt::ScreenPairMasks();
    const uint32_t all = m.hi | m.lo;
    const int pairs = b.w / 2;
    for (int r = 0; r < b.h; ++r, b.drow += p->dst_pitch, b.srow += p->src_pitch) {
        uint16_t* d = b.drow;
        const uint16_t* s = b.srow;
        for (int i = 0; i < pairs; ++i, d += 2, s += 2) {
            const uint32_t w = LoadPair(s);
            // c + floor((max - c) x level / 32): the headroom of each channel is its complement.
            const uint32_t v = (w & all) + ScalePair(~w & all, level, m);
            d[0] = static_cast<uint16_t>(v);
            d[1] = static_cast<uint16_t>(v >> 16);
        }
    }
    return 1;
}

int BLT_Dim(DDSurface* dst, int32_t x, int32_t y, DDSurface* src, const RECT* src_rect, int32_t level,
            uint32_t flip, int32_t keyed) {
    if (!dst || !src) return 0;
    BLT_WORKER_PARAMS p;
    if (!LockForWorker(dst, src, x, y, src_rect, p)) return 0;
    p.level = level;
    p.key = keyed ? 0 : BLT_NO_KEY;
    BLT_DimWorker(&p);
    UnlockBoth(dst, src);
    return 0;
}

int BLT_DimStretch(DDSurface* dst, const RECT* dst_rect, DDSurface* src, const RECT* src_rect, int32_t level,
                   uint32_t flip) {
    if (!dst || !src) return 1;
    const RECT s = SourceRect(src, src_rect);
    const int32_t w = Span(s.left, s.right), h = Span(s.top, s.bottom);
    DDSurface* temp = DD_CreateSurface(w, h, DD_CAPS_SYSTEM);
    if (!temp) return 1;
    BLT_Dim(temp, 0, 0, src, &s, level, 0, 0);
    const RECT whole{0, 0, w, h};
    BLT_StretchBlt(dst, dst_rect, temp, &whole, flip, 0);
    DD_ReleaseSurface(temp);
    return 1;
}

int BLT_Whiten(DDSurface* dst, int32_t x, int32_t y, DDSurface* src, const RECT* src_rect, int32_t level,
               uint32_t flip, int32_t keyed) {
    if (!dst || !src) return 0;
    if (level < 1) {
        BLT_Blt(dst, x, y, src, src_rect, keyed);
        return 0;
    }
    if (level >= 32) {
        // A fill of the source's size, held to the surface by the fill itself.
        const RECT s = SourceRect(src, src_rect);
        const auto end = [](int32_t at, int32_t span) {
            return static_cast<int32_t>(std::clamp<int64_t>(int64_t(at) + span, INT32_MIN, INT32_MAX));
        };
        const RECT r{x, y, end(x, Span(s.left, s.right)), end(y, Span(s.top, s.bottom))};
        BLT_FillRect(dst, &r, 0xFFFF);
        return 0;
    }
    BLT_WORKER_PARAMS p;
    if (!LockForWorker(dst, src, x, y, src_rect, p)) return 0;
    p.level = level;
    p.key = BLT_WHITEN_NO_KEY;
    BLT_WhitenWorker(&p);
    UnlockBoth(dst, src);
    return 0;
}
