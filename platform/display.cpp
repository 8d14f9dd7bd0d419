// Display device, memory surfaces, clippers and palettes, with the platform's refusals.
#include <algorithm>
#include <cstdint>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/backend.h"
#include "platform/display.h"
#include "platform/key_rows.h"
#include "platform/pixel_rows.h"

using plat::detail::LogCall;
using plat::detail::ShouldFail;

namespace {
constexpr int kMaxSide = 16384;

bool RectInside(const RECT& r, int w, int h) {
    return r.left >= 0 && r.top >= 0 && r.right <= w && r.bottom <= h && r.left < r.right && r.top < r.bottom;
}

DDPIXELFORMAT FormatFor(int bpp, bool is565) {
    DDPIXELFORMAT f;
    f.dwRGBBitCount = static_cast<uint32_t>(bpp);
    if (bpp == 16) {
        f.dwRBitMask = is565 ? 0xF800 : 0x7C00;
        f.dwGBitMask = is565 ? 0x07E0 : 0x03E0;
        f.dwBBitMask = 0x001F;
    } else if (bpp == 24 || bpp == 32) {
        f.dwRBitMask = 0xFF0000;
        f.dwGBitMask = 0x00FF00;
        f.dwBBitMask = 0x0000FF;
    }
    return f;
}

bool SameFormat(const DDPIXELFORMAT& a, const DDPIXELFORMAT& b) {
    return a.dwRGBBitCount == b.dwRGBBitCount && a.dwRBitMask == b.dwRBitMask && a.dwGBitMask == b.dwGBitMask &&
           a.dwBBitMask == b.dwBBitMask;
}

uint32_t LoadPixel(const uint8_t* p, int bytes) {
    switch (bytes) {
        case 1: return *p;
        case 2: { uint16_t v; std::memcpy(&v, p, 2); return v; }
        case 3: return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16);
        default: { uint32_t v; std::memcpy(&v, p, 4); return v; }
    }
}

void StorePixel(uint8_t* p, int bytes, uint32_t v) {
    switch (bytes) {
        case 1: *p = static_cast<uint8_t>(v); break;
        case 2: { uint16_t w = static_cast<uint16_t>(v); std::memcpy(p, &w, 2); break; }
        case 3: p[0] = uint8_t(v); p[1] = uint8_t(v >> 8); p[2] = uint8_t(v >> 16); break;
        default: std::memcpy(p, &v, 4); break;
    }
}

// One row of an unscaled, unmirrored copy; the keyed form leaves the destination where the
// source holds the key. Written so the compiler can vectorise it.
template <typename T>
void CopyRow(T* __restrict d, const T* __restrict s, int w, bool keyed, T key) {
    if (!keyed) {
        std::memcpy(d, s, sizeof(T) * static_cast<size_t>(w));
        return;
    }
    for (int i = 0; i < w; ++i) {
        T v = s[i];
        d[i] = v == key ? d[i] : v;
    }
}

// 16-bit keyed rows, the common case of every sprite, go a register at a time.
template <>
void CopyRow<uint16_t>(uint16_t* __restrict d, const uint16_t* __restrict s, int w, bool keyed, uint16_t key) {
    if (keyed) plat::KeyedRow16<false>(d, s, w, key);
    else std::memcpy(d, s, 2 * static_cast<size_t>(w));
}

// One row of an unscaled copy mirrored left to right: d[i] = s[-i], s addressing the source pixel
// of the row's first destination pixel. 16- and 32-bit rows go a register at a time.
template <typename T, bool Keyed>
void ReverseRow(T* __restrict d, const T* __restrict s, int w, T key) {
    if constexpr (Keyed && sizeof(T) == 2) return plat::KeyedRow16<true>(d, s, w, key);
    int i = 0;
#if defined(__SSE2__)
    if constexpr (sizeof(T) == 2 || sizeof(T) == 4) {
        constexpr int kPer = 16 / sizeof(T);
        const __m128i k = sizeof(T) == 2 ? _mm_set1_epi16(static_cast<short>(key)) : _mm_set1_epi32(static_cast<int>(key));
        for (; i + kPer <= w; i += kPer) {
            __m128i sv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s - i - (kPer - 1)));
            sv = sizeof(T) == 2 ? plat::Reverse8x16(sv) : _mm_shuffle_epi32(sv, _MM_SHUFFLE(0, 1, 2, 3));
            if constexpr (Keyed) {
                // Keeps the destination where the source holds the key.
                __m128i dv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i));
                __m128i hole = sizeof(T) == 2 ? _mm_cmpeq_epi16(sv, k) : _mm_cmpeq_epi32(sv, k);
                sv = _mm_or_si128(_mm_and_si128(hole, dv), _mm_andnot_si128(hole, sv));
            }
            _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), sv);
        }
    }
#endif
    for (; i < w; ++i) {
        T v = s[-i];
        if constexpr (Keyed) d[i] = v == key ? d[i] : v;
        else d[i] = v;
    }
}

// One row through a column map: d[i] = s[cols[i]].
template <typename T, bool Keyed>
void MapRow(T* __restrict d, const T* __restrict s, const int32_t* __restrict cols, int w, T key) {
    if constexpr (Keyed && sizeof(T) == 2) {
        // Gathered a block at a time and keyed as a plain row: a branch per pixel costs more.
        constexpr int kBlock = 64;
        uint16_t picked[kBlock];
        for (int i = 0; i < w; i += kBlock) {
            const int n = std::min(kBlock, w - i);
            for (int j = 0; j < n; ++j) picked[j] = s[cols[i + j]];
            plat::KeyedRow16<false>(d + i, picked, n, key);
        }
        return;
    }
    for (int i = 0; i < w; ++i) {
        T v = s[cols[i]];
        if constexpr (Keyed) d[i] = v == key ? d[i] : v;
        else d[i] = v;
    }
}

// Three-byte pixels are rare: always through the column map, a pixel at a time.
template <bool Keyed>
void MapRow24(uint8_t* __restrict d, const uint8_t* __restrict s, const int32_t* __restrict cols, int w,
              uint32_t key) {
    for (int i = 0; i < w; ++i) {
        uint32_t v = LoadPixel(s + static_cast<size_t>(cols[i]) * 3, 3);
        if (!Keyed || v != key) StorePixel(d + static_cast<size_t>(i) * 3, 3, v);
    }
}

struct BlitJob {
    uint8_t* dst;  // surface memory; rows and columns are addressed through vis
    int dst_pitch;
    const uint8_t* src;
    int src_pitch;
    int bytes;
    RECT d;       // full destination rectangle
    RECT vis;     // visible part of d (clipped)
    RECT s;       // source rectangle
    bool mirror_lr, mirror_ud;
    bool keyed;
    uint32_t key;
};

// Nearest neighbour from destination offset i in [0, dn) to a source offset k = floor(i * sn / dn)
// in [0, sn), for consecutive i from i0 without a division per step. A clipped destination
// rectangle may be far larger than its surface, so the sizes are 64-bit.
struct NearestWalk {
    int64_t k, rem, q, r, dn;
    NearestWalk(int64_t i0, int64_t dn_, int64_t sn)
        : k(i0 * sn / dn_), rem(i0 * sn % dn_), q(sn / dn_), r(sn % dn_), dn(dn_) {}
    void Next() {
        k += q;
        rem += r;
        if (rem >= dn) {
            rem -= dn;
            ++k;
        }
    }
};

// How a destination row takes its pixels from its source row, chosen once per blit.
enum class Columns { Copy, Reverse, Map };

// Walks the visible rows: row(d, srow) draws the visible span of destination row d (addressing
// the span's first pixel) from source row srow. Unkeyed, a row mapping to the same source row as
// the one before is a copy of that row.
template <class RowFn>
void WalkRows(const BlitJob& j, RowFn row) {
    const int64_t dh = int64_t(j.d.bottom) - j.d.top, sh = j.s.bottom - j.s.top;
    const size_t span = static_cast<size_t>(j.vis.right - j.vis.left) * j.bytes;
    NearestWalk rows(int64_t(j.vis.top) - j.d.top, dh, sh);
    int64_t last = -1;
    const uint8_t* last_row = nullptr;
    for (int y = j.vis.top; y < j.vis.bottom; ++y, rows.Next()) {
        const int64_t sy = j.s.top + (j.mirror_ud ? sh - 1 - rows.k : rows.k);
        uint8_t* d = j.dst + static_cast<size_t>(y) * j.dst_pitch + static_cast<size_t>(j.vis.left) * j.bytes;
        if (!j.keyed && sy == last) {
            std::memcpy(d, last_row, span);
            continue;
        }
        row(d, j.src + static_cast<size_t>(sy) * j.src_pitch);
        last = sy;
        last_row = d;
    }
}

// The source column of every visible destination column, in a buffer kept per thread that only
// grows: no allocation per blit.
const int32_t* ColumnMap(const BlitJob& j) {
    thread_local std::vector<int32_t> cols;
    const int w = j.vis.right - j.vis.left;
    if (cols.size() < static_cast<size_t>(w)) cols.resize(static_cast<size_t>(w));
    const int64_t dw = int64_t(j.d.right) - j.d.left, sw = j.s.right - j.s.left;
    NearestWalk c(int64_t(j.vis.left) - j.d.left, dw, sw);
    for (int i = 0; i < w; ++i, c.Next())
        cols[static_cast<size_t>(i)] = static_cast<int32_t>(j.s.left + (j.mirror_lr ? sw - 1 - c.k : c.k));
    return cols.data();
}

template <typename T, bool Keyed>
void RunTyped(const BlitJob& j, Columns how) {
    const int w = j.vis.right - j.vis.left;
    const T key = static_cast<T>(j.key);
    const int64_t first = int64_t(j.vis.left) - j.d.left;  // first visible column's offset in d
    if (how == Columns::Copy) {
        const int sx0 = static_cast<int>(j.s.left + first);
        WalkRows(j, [&](uint8_t* d, const uint8_t* s) {
            CopyRow(reinterpret_cast<T*>(d), reinterpret_cast<const T*>(s) + sx0, w, Keyed, key);
        });
    } else if (how == Columns::Reverse) {
        const int sx0 = static_cast<int>(j.s.right - 1 - first);
        WalkRows(j, [&](uint8_t* d, const uint8_t* s) {
            ReverseRow<T, Keyed>(reinterpret_cast<T*>(d), reinterpret_cast<const T*>(s) + sx0, w, key);
        });
    } else {
        const int32_t* cols = ColumnMap(j);
        WalkRows(j, [&](uint8_t* d, const uint8_t* s) {
            MapRow<T, Keyed>(reinterpret_cast<T*>(d), reinterpret_cast<const T*>(s), cols, w, key);
        });
    }
}

template <bool Keyed>
void RunSized(const BlitJob& j, Columns how) {
    switch (j.bytes) {
        case 1: RunTyped<uint8_t, Keyed>(j, how); break;
        case 2: RunTyped<uint16_t, Keyed>(j, how); break;
        case 4: RunTyped<uint32_t, Keyed>(j, how); break;
        default: {
            const int32_t* cols = ColumnMap(j);
            const int w = j.vis.right - j.vis.left;
            WalkRows(j, [&](uint8_t* d, const uint8_t* s) { MapRow24<Keyed>(d, s, cols, w, j.key); });
        }
    }
}

// Kept out of line: inlined into its caller, its row loops lose speed.
__attribute__((noinline)) void RunBlit(BlitJob j) {
    int64_t dw = int64_t(j.d.right) - j.d.left, dh = int64_t(j.d.bottom) - j.d.top;
    int sw = j.s.right - j.s.left, sh = j.s.bottom - j.s.top;
    bool plain = dw == sw && dh == sh && !j.mirror_lr && !j.mirror_ud;
    // Whole rows of two surfaces without padding form one block: one copy.
    int row_bytes = (j.vis.right - j.vis.left) * j.bytes;
    if (plain && !j.keyed && j.dst_pitch == row_bytes && j.src_pitch == row_bytes && j.vis.left == j.d.left) {
        int sx0 = j.s.left, sy0 = j.s.top + (j.vis.top - j.d.top);
        std::memcpy(j.dst + static_cast<size_t>(j.vis.top) * j.dst_pitch + static_cast<size_t>(j.vis.left) * j.bytes,
                    j.src + static_cast<size_t>(sy0) * j.src_pitch + static_cast<size_t>(sx0) * j.bytes,
                    static_cast<size_t>(row_bytes) * (j.vis.bottom - j.vis.top));
        return;
    }
    // An unmirrored, unscaled blit compares the key at the pixel's width; the others compare the
    // whole key with the pixel, so a key wider than the pixel matches none of them.
    if (!plain && j.bytes < 4 && (j.key >> (8 * j.bytes)) != 0) j.keyed = false;
    Columns how = dw != sw ? Columns::Map : j.mirror_lr ? Columns::Reverse : Columns::Copy;
    if (j.keyed) RunSized<true>(j, how);
    else RunSized<false>(j, how);
}
}  // namespace

// ---------------- palette and clipper ----------------
uint32_t DDPalette::AddRef() { return ++refs_; }
uint32_t DDPalette::Release() {
    LogCall("DDPalette.Release");
    uint32_t r = --refs_;
    if (r == 0) delete this;
    return r;
}
HRESULT DDPalette::SetEntries(uint32_t, uint32_t first, uint32_t count, const PALETTEENTRY* entries) {
    if (!entries || first > 256 || count > 256 - first) return DDERR_INVALIDPARAMS;
    std::copy(entries, entries + count, entries_ + first);
    return DD_OK;
}
HRESULT DDPalette::GetEntries(uint32_t, uint32_t first, uint32_t count, PALETTEENTRY* out) const {
    if (!out || first > 256 || count > 256 - first) return DDERR_INVALIDPARAMS;
    std::copy(entries_ + first, entries_ + first + count, out);
    return DD_OK;
}

uint32_t DDClipper::AddRef() { return ++refs_; }
uint32_t DDClipper::Release() {
    LogCall("DDClipper.Release");
    uint32_t r = --refs_;
    if (r == 0) delete this;
    return r;
}
HRESULT DDClipper::SetHWnd(uint32_t, plat::Window* window) {
    window_ = window;
    return DD_OK;
}

// ---------------- surfaces ----------------
DDSurface::~DDSurface() {
    if (owner_) owner_->Forget(this);
    if (clipper_) clipper_->Release();
    if (palette_) palette_->Release();
    if (back_) back_->Release();
}

uint32_t DDSurface::AddRef() { return ++refs_; }

uint32_t DDSurface::Release() {
    LogCall(IsPrimary() ? "DDSurface.Release(primary)"
                        : (caps_ & DDSCAPS_BACKBUFFER) ? "DDSurface.Release(back)" : "DDSurface.Release");
    uint32_t r = --refs_;
    if (r == 0) delete this;
    return r;
}

HRESULT DDSurface::CheckUsable() const {
    if (lost_) return DDERR_SURFACELOST;
    if (locked_) return DDERR_SURFACEBUSY;
    return DD_OK;
}

HRESULT DDSurface::GetSurfaceDesc(DDSURFACEDESC2* desc) const {
    if (!desc || desc->dwSize != DDSD_SIZE) return DDERR_INVALIDPARAMS;
    desc->dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT;
    desc->dwWidth = static_cast<uint32_t>(width_);
    desc->dwHeight = static_cast<uint32_t>(height_);
    desc->lPitch = pitch_;
    desc->ddpfPixelFormat = format_;
    desc->dwCaps = caps_;
    desc->lpSurface = nullptr;
    desc->ddckCKSrcBlt = has_key_ ? DDCOLORKEY{key_, key_} : DDCOLORKEY{};
    if (has_key_) desc->dwFlags |= DDSD_CKSRCBLT;
    return DD_OK;
}

HRESULT DDSurface::Lock(const RECT* rect, DDSURFACEDESC2* desc, uint32_t) {
    if (!desc || desc->dwSize != DDSD_SIZE) return DDERR_INVALIDPARAMS;
    if (HRESULT r = CheckUsable(); r != DD_OK) return r;
    if (ShouldFail("DDSurface.Lock")) return DDERR_SURFACEBUSY;
    RECT whole{0, 0, width_, height_};
    const RECT& r = rect ? *rect : whole;
    if (!RectInside(r, width_, height_)) return DDERR_INVALIDRECT;
    GetSurfaceDesc(desc);
    desc->lpSurface = mem_ + static_cast<size_t>(r.top) * pitch_ + static_cast<size_t>(r.left) * (Bpp() / 8);
    locked_ = true;
    return DD_OK;
}

HRESULT DDSurface::Unlock(const RECT*) {
    if (!locked_) return DDERR_NOTLOCKED;
    locked_ = false;
    Presented();
    return DD_OK;
}

HRESULT DDSurface::IsLost() const { return lost_ ? DDERR_SURFACELOST : DD_OK; }

HRESULT DDSurface::Restore() {
    if (!owner_) return DDERR_GENERIC;
    lost_ = false;
    return DD_OK;
}

HRESULT DDSurface::SetColorKey(uint32_t, const DDCOLORKEY* key) {
    if (lost_) return DDERR_SURFACELOST;
    has_key_ = key != nullptr;
    // The key is compared at the pixel's width, so bits beyond it never stop a match.
    const uint32_t bpp = format_.dwRGBBitCount;
    key_ = key ? key->dwColorSpaceLowValue & (bpp >= 32 ? 0xFFFFFFFFu : (1u << bpp) - 1) : 0;
    return DD_OK;
}

HRESULT DDSurface::GetColorKey(uint32_t, DDCOLORKEY* key) const {
    if (!has_key_) return DDERR_NOCOLORKEY;
    if (key) *key = DDCOLORKEY{key_, key_};
    return DD_OK;
}

// Writing to the visible surface shows it.
void DDSurface::Presented() {
    if (IsPrimary()) plat::detail::PresentSurface(*this);
}

HRESULT DDSurface::Blt(const RECT* dest, DDSurface* src, const RECT* src_rect, uint32_t flags, const DDBLTFX* fx) {
    LogCall("DDSurface.Blt");
    if (HRESULT r = CheckUsable(); r != DD_OK) return r;
    if (ShouldFail("DDSurface.Blt")) return DDERR_GENERIC;
    RECT d = dest ? *dest : RECT{0, 0, width_, height_};
    RECT vis = d;
    if (clipper_) {
        // The clipper limits drawing to the window's client area at its place on the screen; the
        // surface holds that area, so screen coordinates move by the area's origin.
        RECT area{0, 0, width_, height_};
        if (plat::Window* w = clipper_->HWnd()) {
            RECT c;
            plat::GetClientRect(w, &c);
            POINT o{0, 0};
            plat::ClientToScreen(w, &o);
            area = RECT{o.x, o.y, o.x + std::min(width_, c.right), o.y + std::min(height_, c.bottom)};
        }
        if (d.left >= d.right || d.top >= d.bottom) return DDERR_INVALIDRECT;
        vis = RECT{std::max(d.left, area.left), std::max(d.top, area.top), std::min(d.right, area.right),
                   std::min(d.bottom, area.bottom)};
        if (vis.left >= vis.right || vis.top >= vis.bottom) return DD_OK;
        const int64_t dx = area.left, dy = area.top;
        auto fits = [](int64_t v) { return v >= INT32_MIN && v <= INT32_MAX; };
        if (!fits(d.left - dx) || !fits(d.right - dx) || !fits(d.top - dy) || !fits(d.bottom - dy))
            return DDERR_INVALIDRECT;
        auto shift = [&](RECT& r) {
            r = RECT{int32_t(r.left - dx), int32_t(r.top - dy), int32_t(r.right - dx), int32_t(r.bottom - dy)};
        };
        shift(d);
        shift(vis);
    } else if (!RectInside(d, width_, height_)) {
        return DDERR_INVALIDRECT;
    }
    int bytes = Bpp() / 8;

    if (flags & DDBLT_COLORFILL) {
        if (!fx) return DDERR_INVALIDPARAMS;
        for (int y = vis.top; y < vis.bottom; ++y) {
            uint8_t* row = mem_ + static_cast<size_t>(y) * pitch_;
            if (bytes == 1) {
                std::memset(row + vis.left, static_cast<int>(fx->dwFillColor & 0xFF),
                            static_cast<size_t>(vis.right - vis.left));
            } else if (bytes == 2) {
                plat::FillRow(reinterpret_cast<uint16_t*>(row) + vis.left, static_cast<size_t>(vis.right - vis.left),
                              static_cast<uint16_t>(fx->dwFillColor));
            } else if (bytes == 4) {
                plat::FillRow(reinterpret_cast<uint32_t*>(row) + vis.left, static_cast<size_t>(vis.right - vis.left),
                              fx->dwFillColor);
            } else {
                for (int x = vis.left; x < vis.right; ++x) StorePixel(row + x * bytes, bytes, fx->dwFillColor);
            }
        }
        Presented();
        return DD_OK;
    }

    if (!src) return DDERR_INVALIDPARAMS;
    bool keyed = (flags & DDBLT_KEYSRC) != 0;
    RECT s;
    if (HRESULT r = CheckSource(src, src_rect, keyed, &s); r != DD_OK) return r;
    uint32_t ddfx = (flags & DDBLT_DDFX) && fx ? fx->dwDDFX : 0;
    CopyFrom(src, d, vis, s, ddfx, keyed);
    return DD_OK;
}

HRESULT DDSurface::BltFast(int32_t x, int32_t y, DDSurface* src, const RECT* src_rect, uint32_t flags) {
    LogCall("DDSurface.BltFast");
    if (!src) return DDERR_INVALIDPARAMS;
    if (HRESULT r = CheckUsable(); r != DD_OK) return r;
    if (ShouldFail("DDSurface.BltFast")) return DDERR_GENERIC;
    if (clipper_) return DDERR_BLTFASTCANTCLIP;
    bool keyed = (flags & DDBLTFAST_SRCCOLORKEY) != 0;
    RECT s;
    if (HRESULT r = CheckSource(src, src_rect, keyed, &s); r != DD_OK) return r;
    int64_t right = int64_t(x) + (s.right - s.left), bottom = int64_t(y) + (s.bottom - s.top);
    if (x < 0 || y < 0 || right > width_ || bottom > height_) return DDERR_INVALIDRECT;
    RECT d{x, y, static_cast<int32_t>(right), static_cast<int32_t>(bottom)};
    CopyFrom(src, d, d, s, 0, keyed);
    return DD_OK;
}

// What both blits refuse of a source: a busy or lost surface, a rectangle leaving it, another
// pixel format, a key it does not have.
HRESULT DDSurface::CheckSource(const DDSurface* src, const RECT* src_rect, bool keyed, RECT* out) const {
    if (src != this) {
        if (HRESULT r = src->CheckUsable(); r != DD_OK) return r;
    }
    *out = src_rect ? *src_rect : RECT{0, 0, src->width_, src->height_};
    if (!RectInside(*out, src->width_, src->height_)) return DDERR_INVALIDRECT;
    if (!SameFormat(format_, src->format_)) return DDERR_INVALIDPIXELFORMAT;
    if (keyed && !src->has_key_) return DDERR_NOCOLORKEY;
    return DD_OK;
}

void DDSurface::CopyFrom(const DDSurface* src, const RECT& d, const RECT& vis, const RECT& s, uint32_t ddfx,
                         bool keyed) {
    int bytes = Bpp() / 8;
    BlitJob job{mem_, pitch_, src->mem_, src->pitch_, bytes, d, vis, s,
                (ddfx & DDBLTFX_MIRRORLEFTRIGHT) != 0, (ddfx & DDBLTFX_MIRRORUPDOWN) != 0, keyed, src->key_};
    std::vector<uint8_t> copy;
    if (src == this) {
        // Overlapping blit within one surface: read from a snapshot of the source rectangle.
        int sw = s.right - s.left, sh = s.bottom - s.top;
        copy.resize(static_cast<size_t>(sw) * sh * bytes);
        for (int y = 0; y < sh; ++y)
            std::memcpy(&copy[static_cast<size_t>(y) * sw * bytes],
                        mem_ + static_cast<size_t>(s.top + y) * pitch_ + static_cast<size_t>(s.left) * bytes,
                        static_cast<size_t>(sw) * bytes);
        job.src = copy.data();
        job.src_pitch = sw * bytes;
        job.s = RECT{0, 0, sw, sh};
    }
    RunBlit(job);
    Presented();
}

HRESULT DDSurface::Flip(DDSurface*, uint32_t) {
    LogCall("DDSurface.Flip");
    if (!IsPrimary() || !back_) return DDERR_NOTFOUND;
    if (HRESULT r = CheckUsable(); r != DD_OK) return r;
    if (HRESULT r = back_->CheckUsable(); r != DD_OK) return r;
    if (ShouldFail("DDSurface.Flip")) return DDERR_GENERIC;
    std::swap(storage_, back_->storage_);
    std::swap(mem_, back_->mem_);
    Presented();
    return DD_OK;
}

HRESULT DDSurface::GetAttachedSurface(uint32_t caps, DDSurface** out) {
    if (!out) return DDERR_INVALIDPARAMS;
    *out = nullptr;
    if (!(caps & DDSCAPS_BACKBUFFER) || !back_) return DDERR_NOTFOUND;
    back_->AddRef();
    *out = back_;
    return DD_OK;
}

HRESULT DDSurface::SetClipper(DDClipper* clipper) {
    if (clipper) clipper->AddRef();
    if (clipper_) clipper_->Release();
    clipper_ = clipper;
    return DD_OK;
}

HRESULT DDSurface::SetPalette(DDPalette* palette) {
    if (Bpp() != 8) return DDERR_INVALIDPIXELFORMAT;
    if (palette) palette->AddRef();
    if (palette_) palette_->Release();
    palette_ = palette;
    return DD_OK;
}

// ---------------- the device ----------------
HRESULT DDObject::Create(bool, DDObject** out) {
    LogCall("DirectDrawCreate");
    if (!out) return DDERR_INVALIDPARAMS;
    *out = nullptr;
    if (ShouldFail("DirectDrawCreate")) return DDERR_GENERIC;
    *out = new DDObject;
    return DD_OK;
}

DDObject::~DDObject() {
    // Surfaces that outlive their device are lost; they stay valid memory until released.
    for (DDSurface* s : surfaces_) {
        s->lost_ = true;
        s->owner_ = nullptr;
    }
    // The window keeps its mode: a display re-created at once in the same mode (as on every
    // activation in full screen) must not make it leave and enter full screen, which under a window
    // manager takes the focus straight back. The next device's cooperative level sets the mode.
}

uint32_t DDObject::AddRef() { return ++refs_; }

uint32_t DDObject::Release() {
    LogCall("DDObject.Release");
    uint32_t r = --refs_;
    if (r == 0) delete this;
    return r;
}

void DDObject::Forget(DDSurface* s) {
    surfaces_.erase(std::remove(surfaces_.begin(), surfaces_.end(), s), surfaces_.end());
    if (primary_ == s) primary_ = nullptr;
}

HRESULT DDObject::SetCooperativeLevel(plat::Window* window, uint32_t flags) {
    LogCall("DDObject.SetCooperativeLevel");
    if (ShouldFail("DDObject.SetCooperativeLevel")) return DDERR_GENERIC;
    window_ = window;
    exclusive_ = (flags & DDSCL_EXCLUSIVE) != 0;
    if (window && !exclusive_) plat::SetWindowFullscreen(window, false);
    return DD_OK;
}

HRESULT DDObject::SetDisplayMode(uint32_t width, uint32_t height, uint32_t bpp) {
    LogCall("DDObject.SetDisplayMode");
    if (!exclusive_) return DDERR_NOEXCLUSIVEMODE;
    if (ShouldFail("DDObject.SetDisplayMode")) return DDERR_INVALIDMODE;
    if (bpp != 8 && bpp != 16 && bpp != 32) return DDERR_INVALIDMODE;
    if (width == 0 || height == 0 || width > kMaxSide || height > kMaxSide) return DDERR_INVALIDMODE;
    mode_w_ = width;
    mode_h_ = height;
    mode_bpp_ = bpp;
    if (window_) plat::SetWindowFullscreen(window_, true);
    return DD_OK;
}

HRESULT DDObject::RestoreDisplayMode() {
    mode_w_ = mode_h_ = mode_bpp_ = 0;
    if (window_) plat::SetWindowFullscreen(window_, false);
    return DD_OK;
}

HRESULT DDObject::CreateSurface(const DDSURFACEDESC2* desc, DDSurface** out) {
    LogCall("DDObject.CreateSurface");
    if (!out || !desc || desc->dwSize != DDSD_SIZE) return DDERR_INVALIDPARAMS;
    *out = nullptr;
    if (ShouldFail("DDObject.CreateSurface")) return DDERR_OUTOFMEMORY;
    plat::detail::Backend* be = plat::detail::Current();
    int display_bpp = (exclusive_ && mode_bpp_) ? static_cast<int>(mode_bpp_) : be->DesktopBpp();
    uint32_t caps = (desc->dwFlags & DDSD_CAPS) ? desc->dwCaps : 0;
    bool primary = (caps & DDSCAPS_PRIMARYSURFACE) != 0;
    int w, h;
    if (primary) {
        plat::Window* win = window_;
        w = (exclusive_ && mode_w_) ? static_cast<int>(mode_w_) : (win ? win->width : 640);
        h = (exclusive_ && mode_h_) ? static_cast<int>(mode_h_) : (win ? win->height : 480);
        if ((caps & DDSCAPS_FLIP) && !exclusive_) return DDERR_NOEXCLUSIVEMODE;
    } else {
        if ((desc->dwFlags & (DDSD_WIDTH | DDSD_HEIGHT)) != (DDSD_WIDTH | DDSD_HEIGHT)) return DDERR_INVALIDPARAMS;
        if (desc->dwWidth == 0 || desc->dwHeight == 0 || desc->dwWidth > kMaxSide || desc->dwHeight > kMaxSide)
            return DDERR_INVALIDPARAMS;
        w = static_cast<int>(desc->dwWidth);
        h = static_cast<int>(desc->dwHeight);
    }
    DDPIXELFORMAT format = (desc->dwFlags & DDSD_PIXELFORMAT) ? desc->ddpfPixelFormat : FormatFor(display_bpp, be->Display565());
    int bpp = static_cast<int>(format.dwRGBBitCount);
    if (bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) return DDERR_INVALIDPIXELFORMAT;

    auto make = [&](uint32_t surface_caps) {
        auto* s = new DDSurface;
        s->owner_ = this;
        s->width_ = w;
        s->height_ = h;
        s->format_ = format;
        s->caps_ = surface_caps;
        // Rows start on 4-byte boundaries whatever extra pitch is asked for, as a display's rows do:
        // the blitters read whole 16- and 32-bit pixels from them.
        int row = w * (bpp / 8);
        s->pitch_ = (((row + 7) & ~7) + std::max(be->ExtraPitch(), 0) + 3) & ~3;
        s->storage_.assign(static_cast<size_t>(s->pitch_) * h + 16, 0);
        s->mem_ = s->storage_.data();
        surfaces_.push_back(s);
        return s;
    };
    if (!(caps & (DDSCAPS_SYSTEMMEMORY | DDSCAPS_VIDEOMEMORY)) && !primary) caps |= DDSCAPS_VIDEOMEMORY;
    DDSurface* s = make(caps);
    if (primary) {
        primary_ = s;
        if ((caps & DDSCAPS_FLIP) && (desc->dwFlags & DDSD_BACKBUFFERCOUNT) && desc->dwBackBufferCount > 0) {
            DDSurface* back = make((caps & ~DDSCAPS_PRIMARYSURFACE) | DDSCAPS_BACKBUFFER);
            s->back_ = back;
        }
    }
    *out = s;
    return DD_OK;
}

HRESULT DDObject::CreateClipper(uint32_t, DDClipper** out) {
    LogCall("DDObject.CreateClipper");
    if (!out) return DDERR_INVALIDPARAMS;
    *out = nullptr;
    if (ShouldFail("DDObject.CreateClipper")) return DDERR_GENERIC;
    *out = new DDClipper;
    return DD_OK;
}

HRESULT DDObject::CreatePalette(uint32_t, const PALETTEENTRY* entries, DDPalette** out) {
    LogCall("DDObject.CreatePalette");
    if (!out || !entries) return DDERR_INVALIDPARAMS;
    *out = nullptr;
    if (ShouldFail("DDObject.CreatePalette")) return DDERR_GENERIC;
    auto* p = new DDPalette;
    std::copy(entries, entries + 256, p->entries_);
    *out = p;
    return DD_OK;
}

HRESULT DDObject::FlipToGDISurface() {
    LogCall("DDObject.FlipToGDISurface");
    return DD_OK;
}

HRESULT DDObject::GetGDISurface(DDSurface** out) {
    if (!out) return DDERR_INVALIDPARAMS;
    *out = primary_;
    if (!primary_) return DDERR_NOTFOUND;
    primary_->AddRef();
    return DD_OK;
}
