// Clipping, locking, hardware blits, the step table and the screen-door blitters.
#include "display/blt_frame.h"

#include <algorithm>
#include <cstdint>

#include "services/fil_util.h"

int32_t BLT_STEP_TABLE[BLT_STEP_TABLE_SIZE];

const uint8_t BLT_STIPPLE[16][8] = {
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}, {0x00, 0x00, 0x00, 0x11, 0x00, 0x00, 0x00, 0x11},
    {0x00, 0x44, 0x00, 0x11, 0x00, 0x44, 0x00, 0x11}, {0x00, 0x44, 0x00, 0x55, 0x00, 0x44, 0x00, 0x55},
    {0x00, 0x55, 0x00, 0x55, 0x00, 0x55, 0x00, 0x55}, {0x00, 0x55, 0x22, 0x55, 0x00, 0x55, 0x22, 0x55},
    {0x88, 0x55, 0x22, 0x55, 0x88, 0x55, 0x22, 0x55}, {0x88, 0x55, 0xAA, 0x55, 0x88, 0x55, 0xAA, 0x55},
    {0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55}, {0xAA, 0xDD, 0xAA, 0x7F, 0xAA, 0xDD, 0xAA, 0x7F},
    {0xAA, 0xDD, 0xAA, 0xFF, 0xAA, 0xDD, 0xAA, 0xFF}, {0xAA, 0xFF, 0xAA, 0xFF, 0xAA, 0xFF, 0xAA, 0xFF},
    {0xAA, 0xFF, 0xBB, 0xFF, 0xAA, 0xFF, 0xBB, 0xFF}, {0xEE, 0xFF, 0xBB, 0xFF, 0xEE, 0xFF, 0xBB, 0xFF},
    {0xEE, 0xFF, 0xFF, 0xFF, 0xEE, 0xFF, 0xFF, 0xFF}, {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00},
};

namespace {
RECT Effective(const DDSURFACEDESC2* dest, const RECT* clip) {
    int32_t w = static_cast<int32_t>(dest->dwWidth), h = static_cast<int32_t>(dest->dwHeight);
    if (!clip) return RECT{0, 0, w, h};
    return RECT{std::max(clip->left, 0), std::max(clip->top, 0), std::min(clip->right, w), std::min(clip->bottom, h)};
}

DDSURFACEDESC2 EmptyDesc() {
    DDSURFACEDESC2 d{};
    d.dwSize = DDSD_SIZE;
    return d;
}

RECT WholeOf(DDSurface* s) {
    DDSURFACEDESC2 d;
    DD_GetSurfaceDesc(s, &d);
    return RECT{0, 0, static_cast<int32_t>(d.dwWidth), static_cast<int32_t>(d.dwHeight)};
}

// Source edges are caller-given; adjusted in 64 bits, a result that leaves the 32-bit range leaves
// nothing to draw.
bool StoreEdges(int64_t lo, int64_t hi, int32_t& s_lo, int32_t& s_hi) {
    if (lo < INT32_MIN || hi > INT32_MAX) return false;
    s_lo = static_cast<int32_t>(lo);
    s_hi = static_cast<int32_t>(hi);
    return lo < hi;
}

// One axis of a point blit: the destination edge that is cut shows the source's near side, or its
// far side when mirrored.
bool ClipPointAxis(int32_t e_lo, int32_t e_hi, int32_t& pos, int32_t& s_lo, int32_t& s_hi, bool mirrored) {
    if (pos >= e_hi) return false;
    int64_t lo = s_lo, hi = s_hi;
    if (pos < e_lo) {
        if (mirrored)
            hi -= int64_t(e_lo) - pos;
        else
            lo += int64_t(e_lo) - pos;
        pos = e_lo;
    }
    if (pos + (hi - lo) > e_hi) {
        if (mirrored)
            lo = hi - (int64_t(e_hi) - pos);
        else
            hi = lo + (int64_t(e_hi) - pos);
    }
    return StoreEdges(lo, hi, s_lo, s_hi);
}

// One axis of a stretched clip: cuts of the destination remove source pixels in proportion.
bool ClipStretchAxis(int32_t e_lo, int32_t e_hi, int32_t& d_lo, int32_t& d_hi, int32_t& s_lo, int32_t& s_hi,
                     bool mirrored) {
    if (d_lo > e_hi || d_hi <= e_lo) return false;
    const int64_t dw = int64_t(d_hi) - d_lo, sw = int64_t(s_hi) - s_lo;
    if (dw <= 0) return false;
    // The cut is at most sw, but the product before the division needs more than 64 bits.
    auto cut = [&](int64_t k) { return static_cast<int64_t>(static_cast<__int128>(k) * sw / dw); };
    int64_t lo = s_lo, hi = s_hi;
    if (d_lo < e_lo) {
        int64_t c = cut(int64_t(e_lo) - d_lo);
        if (mirrored)
            hi -= c;
        else
            lo += c;
        d_lo = e_lo;
    }
    if (d_hi > e_hi) {
        int64_t c = cut(int64_t(d_hi) - e_hi);
        if (mirrored)
            lo += c;
        else
            hi -= c;
        d_hi = e_hi;
    }
    return StoreEdges(lo, hi, s_lo, s_hi) && d_lo < d_hi;
}

DDBLTFX MirrorFx(uint32_t flip) {
    DDBLTFX fx{};
    fx.dwSize = 100;
    if (flip & BLT_FLIP_LR) fx.dwDDFX |= DDBLTFX_MIRRORLEFTRIGHT;
    if (flip & BLT_FLIP_UD) fx.dwDDFX |= DDBLTFX_MIRRORUPDOWN;
    return fx;
}

struct StippleOp {
    const uint8_t* pattern;
    uint8_t row_bits = 0;
    void Row(int r) { row_bits = pattern[r & 7]; }
    void Pixel(uint16_t* d, uint16_t s, int c) const {
        if (row_bits & (1u << (c & 7))) *d = s;
    }
};
}  // namespace

int BLT_ClipDest(const DDSURFACEDESC2* dest, const RECT* clip, int32_t* x, int32_t* y, RECT* s, uint32_t flip) {
    RECT e = Effective(dest, clip);
    if (!ClipPointAxis(e.left, e.right, *x, s->left, s->right, (flip & BLT_FLIP_LR) != 0)) return 0;
    return ClipPointAxis(e.top, e.bottom, *y, s->top, s->bottom, (flip & BLT_FLIP_UD) != 0);
}

int BLT_ClipStretch(const DDSURFACEDESC2* dest, const RECT* clip, RECT* d, RECT* s, uint32_t flip) {
    RECT e = Effective(dest, clip);
    if (!ClipStretchAxis(e.left, e.right, d->left, d->right, s->left, s->right, (flip & BLT_FLIP_LR) != 0)) return 0;
    if (!ClipStretchAxis(e.top, e.bottom, d->top, d->bottom, s->top, s->bottom, (flip & BLT_FLIP_UD) != 0)) return 0;
    return 1;
}

HRESULT DD_GetSurfaceDesc(DDSurface* surface, DDSURFACEDESC2* desc) {
    *desc = EmptyDesc();
    return surface ? surface->GetSurfaceDesc(desc) : DDERR_INVALIDPARAMS;
}

HRESULT DD_LockSurface(DDSurface* surface, DDSURFACEDESC2* desc) {
    *desc = EmptyDesc();
    return surface ? surface->Lock(nullptr, desc, DDLOCK_WAIT) : DDERR_INVALIDPARAMS;
}

HRESULT DD_TouchSurface(DDSurface* surface) {
    DDSURFACEDESC2 d;
    if (HRESULT r = DD_LockSurface(surface, &d); r != DD_OK) return r;
    return surface->Unlock(nullptr);
}

HRESULT BLT_FillRect(DDSurface* surface, const RECT* rect, uint32_t colour) {
    if (!surface) return DDERR_INVALIDPARAMS;
    RECT whole = WholeOf(surface);
    RECT r = whole;
    if (rect)
        r = RECT{std::max(rect->left, 0), std::max(rect->top, 0), std::min(rect->right, whole.right),
                 std::min(rect->bottom, whole.bottom)};
    DDBLTFX fx{};
    fx.dwSize = 100;
    fx.dwFillColor = colour;
    return surface->Blt(&r, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
}

HRESULT BLT_Blt(DDSurface* dst, int32_t x, int32_t y, DDSurface* src, const RECT* src_rect, int32_t keyed) {
    if (!dst || !src) return 0;
    RECT s = src_rect ? *src_rect : WholeOf(src);
    DDSURFACEDESC2 dd;
    DD_GetSurfaceDesc(dst, &dd);
    if (!BLT_ClipDest(&dd, &DD_CLIP_RECT, &x, &y, &s, 0)) return 0;
    if (!DD_DISPLAY.full_screen && dst == DD_DISPLAY.primary) {
        RECT d{x, y, x + (s.right - s.left), y + (s.bottom - s.top)};
        return dst->Blt(&d, src, &s, DDBLT_WAIT | (keyed ? DDBLT_KEYSRC : 0), nullptr);
    }
    return dst->BltFast(x, y, src, &s, DDBLTFAST_WAIT | (keyed ? DDBLTFAST_SRCCOLORKEY : 0));
}

HRESULT BLT_BltFx(DDSurface* dst, int32_t x, int32_t y, DDSurface* src, const RECT* src_rect, uint32_t flip,
                  int32_t keyed) {
    flip &= 0xFF;
    if (flip == 0) return BLT_Blt(dst, x, y, src, src_rect, keyed);
    if (!dst || !src) return 0;
    RECT s = src_rect ? *src_rect : WholeOf(src);
    DDSURFACEDESC2 dd;
    DD_GetSurfaceDesc(dst, &dd);
    if (!BLT_ClipDest(&dd, &DD_CLIP_RECT, &x, &y, &s, flip)) return 0;
    RECT d{x, y, x + (s.right - s.left), y + (s.bottom - s.top)};
    DDBLTFX fx = MirrorFx(flip);
    return dst->Blt(&d, src, &s, DDBLT_WAIT | DDBLT_DDFX | (keyed ? DDBLT_KEYSRC : 0), &fx);
}

HRESULT BLT_StretchBlt(DDSurface* dst, const RECT* dst_rect, DDSurface* src, const RECT* src_rect, uint32_t flip,
                       int32_t keyed) {
    if (!dst || !src) return 0;
    flip &= 0xFF;
    RECT d = dst_rect ? *dst_rect : WholeOf(dst);
    RECT s = src_rect ? *src_rect : WholeOf(src);
    DDSURFACEDESC2 dd;
    DD_GetSurfaceDesc(dst, &dd);
    if (!BLT_ClipStretch(&dd, &DD_CLIP_RECT, &d, &s, flip)) return 0;
    uint32_t key = keyed ? DDBLT_KEYSRC : 0;
    if ((flip & 3) == 0) return dst->Blt(&d, src, &s, DDBLT_WAIT | key, nullptr);
    DDBLTFX fx = MirrorFx(flip);
    return dst->Blt(&d, src, &s, DDBLT_WAIT | DDBLT_DDFX | key, &fx);
}

int BLT_StepTable(int32_t* table, int n, int m) {
    if (n <= 0 || n > BLT_STEP_TABLE_SIZE || m <= 0) return 0;
    uint32_t acc = static_cast<uint32_t>(n) / 2;
    int pos = 0;  // source pixel read by the current destination pixel
    for (int i = 0; i < n; ++i) {
        int k = 0;
        while (acc < static_cast<uint32_t>(m)) {
            acc += static_cast<uint32_t>(n);
            ++k;
        }
        acc -= static_cast<uint32_t>(m);
        // Past a 2x magnification the walk would step one pixel beyond the rectangle: hold the last one.
        if (i < n - 1 && pos + k > m - 1) k = m - 1 - pos;
        pos += k;
        table[i] = 2 * k;
    }
    return 1;
}

int BLT_Stipple(DDSurface* dst, int32_t x, int32_t y, DDSurface* src, const RECT* src_rect, int32_t level,
                uint32_t flip, int32_t keyed) {
    if (level <= 0) return 0;
    if (level >= 15) {
        BLT_BltFx(dst, x, y, src, src_rect, flip, keyed);
        return 0;
    }
    blt::PointFrame f(dst, x, y, src, src_rect, flip, blt::Order::LockFirst);
    if (!f.ready) return 0;
    StippleOp op{BLT_STIPPLE[level]};
    blt::WalkPoint(f, flip, keyed != 0, op);
    return 0;
}

int BLT_StippleStretch(DDSurface* dst, RECT* dst_rect, DDSurface* src, const RECT* src_rect, int32_t level,
                       uint32_t flip, int32_t keyed) {
    if (level <= 0) return 0;
    if (level >= 15) {
        BLT_StretchBlt(dst, dst_rect, src, src_rect, flip, keyed);
        return 0;
    }
    blt::StretchFrame f(dst, dst_rect, src, src_rect, flip, blt::Order::LockFirst);
    if (!f.ready) return 0;
    StippleOp op{BLT_STIPPLE[level]};
    blt::WalkStretch(f, flip, keyed != 0, op);
    return 0;
}

// ---------------- frames ----------------
namespace blt {
Frame::~Frame() {
    if (dsurf_) dsurf_->Unlock(nullptr);
    if (ssurf_) ssurf_->Unlock(nullptr);
}

bool Frame::Lock(DDSurface* d, DDSurface* s) {
    if (DD_LockSurface(d, &ddesc_) != DD_OK) return false;
    dsurf_ = d;
    if (DD_LockSurface(s, &sdesc_) != DD_OK) {
        d->Unlock(nullptr);
        dsurf_ = nullptr;
        return false;
    }
    ssurf_ = s;
    return true;
}

namespace {
// The software blitters work on 16-bit surfaces.
bool Compatible(const DDSURFACEDESC2& d, const DDSURFACEDESC2& s) {
    return d.ddpfPixelFormat.dwRGBBitCount == 16 && s.ddpfPixelFormat.dwRGBBitCount == 16;
}

bool SourceInside(const RECT& r, const DDSURFACEDESC2& s) {
    return r.left >= 0 && r.top >= 0 && r.right <= static_cast<int32_t>(s.dwWidth) &&
           r.bottom <= static_cast<int32_t>(s.dwHeight);
}
}  // namespace

bool Frame::Open(DDSurface* d, DDSurface* s, const RECT* src_rect, Order order, RECT* r) {
    if (!d || !s) return false;
    if (order == Order::LockFirst) {
        if (!Lock(d, s)) return false;
    } else {
        if (DD_GetSurfaceDesc(s, &sdesc_) != DD_OK || DD_GetSurfaceDesc(d, &ddesc_) != DD_OK) return false;
    }
    *r = src_rect ? *src_rect
                  : RECT{0, 0, static_cast<int32_t>(sdesc_.dwWidth), static_cast<int32_t>(sdesc_.dwHeight)};
    // A source rectangle outside its surface would read foreign memory: nothing is drawn.
    return SourceInside(*r, sdesc_) && Compatible(ddesc_, sdesc_);
}

bool Frame::Start(DDSurface* d, DDSurface* s, const RECT& r, Order order) {
    if (order == Order::DescribeFirst && !Lock(d, s)) return false;
    is565 = DD_Is565(ddesc_.ddpfPixelFormat.dwGBitMask);
    dst = static_cast<uint8_t*>(ddesc_.lpSurface);
    dst_pitch = ddesc_.lPitch;
    src_pitch = sdesc_.lPitch;
    src = static_cast<const uint8_t*>(sdesc_.lpSurface) + static_cast<intptr_t>(r.top) * src_pitch + 2 * r.left;
    sw = r.right - r.left;
    sh = r.bottom - r.top;
    ready = true;
    return true;
}

PointFrame::PointFrame(DDSurface* d, int32_t px, int32_t py, DDSurface* s, const RECT* src_rect, uint32_t flip,
                       Order order) {
    RECT r;
    if (!Open(d, s, src_rect, order, &r)) return;
    if (!BLT_ClipDest(&ddesc_, &DD_CLIP_RECT, &px, &py, &r, flip & 0xFF)) return;
    if (!Start(d, s, r, order)) return;
    x = px;
    y = py;
    w = sw;
    h = sh;
}

StretchFrame::StretchFrame(DDSurface* d, RECT* dst_rect, DDSurface* s, const RECT* src_rect, uint32_t flip,
                           Order order) {
    RECT r;
    if (!dst_rect || !Open(d, s, src_rect, order, &r)) return;
    if (!BLT_ClipStretch(&ddesc_, &DD_CLIP_RECT, dst_rect, &r, flip & 0xFF)) return;
    int dw = dst_rect->right - dst_rect->left;
    if (!BLT_StepTable(BLT_STEP_TABLE, dw, r.right - r.left)) return;  // wider than the table: refused
    if (!Start(d, s, r, order)) return;
    x = dst_rect->left;
    y = dst_rect->top;
    w = dw;
    h = dst_rect->bottom - dst_rect->top;
}
}  // namespace blt
