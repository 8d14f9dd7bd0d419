// Brightness, tint and per-channel blend blitters on the software blit frame.
#include "display/blt_color.h"

#include <algorithm>

#include "display/blt_arith.h"
#include "display/blt_channel.h"
#include "display/blt_frame.h"
#include "display/blt_level.h"

namespace {
// Guard bits just above each channel and the mask that clears every channel's lowest bit.
template <bool Is565>
struct Grey {
    static constexpr uint32_t H = Is565 ? 0x10820u : 0x8420u;
    static constexpr uint32_t K = Is565 ? 0xF7DEu : 0x7BDEu;
    static constexpr uint32_t Word(uint32_t l) {
        return Is565 ? (l | l << 6 | l << 11) & 0xF7DEu : (l | l << 5 | l << 10) & 0x7BDEu;
    }
};

// Subtracts the grey word from all channels at once; a channel that runs below zero consumes its
// guard bit, which then clears that channel.
template <bool Is565>
struct DarkenOp {
    uint32_t g;
    void Pixel(uint16_t* d, uint16_t s, int) const {
        const uint32_t t = (uint32_t(s) | Grey<Is565>::H) - g;
        const uint32_t b = ~t & Grey<Is565>::H;
        const uint32_t m = b - (b >> 5);
        *d = static_cast<uint16_t>(t & ~m);
    }
};

// Adds the grey word to all channels at once; a carry out of a channel fills that channel.
template <bool Is565>
struct BrightenOp {
    uint32_t g;
    void Pixel(uint16_t* d, uint16_t s, int) const {
        const uint32_t t = (uint32_t(s) & Grey<Is565>::K) + g;
        const uint32_t c = t & Grey<Is565>::H;
        const uint32_t m = c - (c >> 5);
        *d = static_cast<uint16_t>((t | m) & Grey<Is565>::K);
    }
};

// The 32-entry recolouring row of a tint level (0-62, clamped): toward black from row d = 0,
// toward white from row d = 31.
const uint8_t* TintRow(int32_t v) {
    v = std::clamp(v, 0, 62);
    return v <= 31 ? &BLT_BLEND_TABLE[v][0] : &BLT_BLEND_TABLE[62 - v][31 * 32];
}

uint32_t GreyOf(bool is565, int32_t amount) {
    const uint32_t l = static_cast<uint32_t>(std::clamp(amount, 1, 30));
    return is565 ? Grey<true>::Word(l) : Grey<false>::Word(l);
}
}  // namespace

// ---------------- grey darkening and lightening ----------------
int BLT_Darken(DDSurface* dst, int32_t x, int32_t y, DDSurface* src, const RECT* src_rect, int32_t level,
               uint32_t flip, int32_t keyed) {
    blt::PointFrame f(dst, x, y, src, src_rect, flip, blt::Order::DescribeFirst);
    if (!f.ready) return 0;
    blt::RunPoint<DarkenOp>(f, flip, keyed != 0, GreyOf(f.is565, 31 - std::clamp(level, 1, 30)));
    return 0;
}

int BLT_Brighten(DDSurface* dst, int32_t x, int32_t y, DDSurface* src, const RECT* src_rect, int32_t amount,
                 uint32_t flip, int32_t keyed) {
    blt::PointFrame f(dst, x, y, src, src_rect, flip, blt::Order::DescribeFirst);
    if (!f.ready) return 0;
    blt::RunPoint<BrightenOp>(f, flip, keyed != 0, GreyOf(f.is565, amount));
    return 0;
}

int BLT_DarkenStretch(DDSurface* dst, RECT* dst_rect, DDSurface* src, const RECT* src_rect, int32_t level,
                      uint32_t flip, int32_t keyed) {
    blt::StretchFrame f(dst, dst_rect, src, src_rect, flip, blt::Order::DescribeFirst);
    if (!f.ready) return 0;
    blt::RunStretch<DarkenOp>(f, flip, keyed != 0, GreyOf(f.is565, 31 - std::clamp(level, 1, 30)));
    return 0;
}

int BLT_BrightenStretch(DDSurface* dst, RECT* dst_rect, DDSurface* src, const RECT* src_rect, int32_t amount,
                        uint32_t flip, int32_t keyed) {
    blt::StretchFrame f(dst, dst_rect, src, src_rect, flip, blt::Order::DescribeFirst);
    if (!f.ready) return 0;
    blt::RunStretch<BrightenOp>(f, flip, keyed != 0, GreyOf(f.is565, amount));
    return 0;
}

// ---------------- brightness dispatch ----------------
int BLT_Brightness(DDSurface* dst, int32_t x, int32_t y, DDSurface* src, const RECT* src_rect, int32_t level,
                   uint32_t flip, int32_t keyed) {
    if (level == 31) {
        BLT_BltFx(dst, x, y, src, src_rect, flip, keyed);
        return 0;
    }
    if (level <= 0) return BLT_Silhouette(dst, x, y, src, src_rect, 0, flip), 0;
    if (level >= 62) return BLT_Silhouette(dst, x, y, src, src_rect, 0xFFFF, flip), 0;
    if (level < 31) return BLT_Darken(dst, x, y, src, src_rect, level, flip, keyed);
    return BLT_Brighten(dst, x, y, src, src_rect, level - 31, flip, keyed);
}

int BLT_BrightnessStretch(DDSurface* dst, RECT* dst_rect, DDSurface* src, const RECT* src_rect, int32_t level,
                          uint32_t flip, int32_t keyed) {
    if (level == 31) {
        BLT_StretchBlt(dst, dst_rect, src, src_rect, flip, keyed);
        return 0;
    }
    if (level <= 0) return BLT_SilhouetteStretch(dst, dst_rect, src, src_rect, 0, flip), 0;
    if (level >= 62) return BLT_SilhouetteStretch(dst, dst_rect, src, src_rect, 0xFFFF, flip), 0;
    if (level < 31) return BLT_DarkenStretch(dst, dst_rect, src, src_rect, level, flip, keyed);
    return BLT_BrightenStretch(dst, dst_rect, src, src_rect, level - 31, flip, keyed);
}

int BLT_BrightnessTable(DDSurface* dst, int32_t x, int32_t y, DDSurface* src, const RECT* src_rect, int32_t level,
                        uint32_t flip, int32_t keyed) {
    if (level == 31) {
        BLT_BltFx(dst, x, y, src, src_rect, flip, keyed);
        return 0;
    }
    if (level <= 0) return BLT_Silhouette(dst, x, y, src, src_rect, 0, flip), 0;
    if (level >= 62) return BLT_Silhouette(dst, x, y, src, src_rect, 0xFFFF, flip), 0;
    blt::PointFrame f(dst, x, y, src, src_rect, flip, blt::Order::DescribeFirst);
    if (!f.ready) return 0;
    const uint8_t* row = TintRow(level);
    blt::RunPoint<blt::RowLookupOp>(f, flip, keyed != 0, row, row, row);
    return 0;
}

int BLT_BrightnessTableStretch(DDSurface* dst, RECT* dst_rect, DDSurface* src, const RECT* src_rect, int32_t level,
                               uint32_t flip, int32_t keyed) {
    if (level == 31) {
        BLT_StretchBlt(dst, dst_rect, src, src_rect, flip, keyed);
        return 0;
    }
    if (level <= 0) return BLT_SilhouetteStretch(dst, dst_rect, src, src_rect, 0, flip), 0;
    if (level >= 62) return BLT_SilhouetteStretch(dst, dst_rect, src, src_rect, 0xFFFF, flip), 0;
    blt::StretchFrame f(dst, dst_rect, src, src_rect, flip, blt::Order::LockFirst);
    if (!f.ready) return 0;
    const uint8_t* row = TintRow(level);
    blt::RunStretch<blt::RowLookupOp>(f, flip, keyed != 0, row, row, row);
    return 0;
}

// ---------------- per-channel tint ----------------
int BLT_TintRGB(DDSurface* dst, int32_t x, int32_t y, DDSurface* src, const RECT* src_rect, int32_t red,
                int32_t green, int32_t blue, uint32_t flip, int32_t keyed) {
    blt::PointFrame f(dst, x, y, src, src_rect, flip, blt::Order::DescribeFirst);
    if (!f.ready) return 0;
    blt::RunPoint<blt::RowLookupOp>(f, flip, keyed != 0, TintRow(red), TintRow(green), TintRow(blue));
    return 0;
}

int BLT_TintRGBStretch(DDSurface* dst, RECT* dst_rect, DDSurface* src, const RECT* src_rect, int32_t red,
                       int32_t green, int32_t blue, uint32_t flip, int32_t keyed) {
    blt::StretchFrame f(dst, dst_rect, src, src_rect, flip, blt::Order::LockFirst);
    if (!f.ready) return 0;
    blt::RunStretch<blt::RowLookupOp>(f, flip, keyed != 0, TintRow(red), TintRow(green), TintRow(blue));
    return 0;
}

// ---------------- per-channel table blends ----------------
int BLT_TableBlendRGB(DDSurface* dst, int32_t x, int32_t y, DDSurface* src, const RECT* src_rect, int32_t red_bank,
                      int32_t green_bank, int32_t blue_bank, uint32_t flip, int32_t keyed) {
    blt::PointFrame f(dst, x, y, src, src_rect, flip, blt::Order::DescribeFirst);
    if (!f.ready) return 0;
    blt::RunPoint<blt::BankBlendOp>(f, flip, keyed != 0, BLT_BLEND_TABLE[blt::ClampBank(red_bank)],
                                    BLT_BLEND_TABLE[blt::ClampBank(green_bank)],
                                    BLT_BLEND_TABLE[blt::ClampBank(blue_bank)]);
    return 0;
}

int BLT_TableBlendRGBStretch(DDSurface* dst, RECT* dst_rect, DDSurface* src, const RECT* src_rect,
                             int32_t red_bank, int32_t green_bank, int32_t blue_bank, uint32_t flip, int32_t keyed) {
    blt::StretchFrame f(dst, dst_rect, src, src_rect, flip, blt::Order::LockFirst);
    if (!f.ready) return 0;
    blt::RunStretch<blt::BankBlendOp>(f, flip, keyed != 0, BLT_BLEND_TABLE[blt::ClampBank(red_bank)],
                                      BLT_BLEND_TABLE[blt::ClampBank(green_bank)],
                                      BLT_BLEND_TABLE[blt::ClampBank(blue_bank)]);
    return 0;
}

int BLT_AlphaRGB(DDSurface* dst, int32_t x, int32_t y, DDSurface* src, const RECT* src_rect, int32_t red,
                 int32_t green, int32_t blue, uint32_t flip, int32_t keyed) {
    return BLT_TableBlendRGB(dst, x, y, src, src_rect, std::clamp(red, 0, 31), std::clamp(green, 0, 31),
                             std::clamp(blue, 0, 31), flip, keyed);
}

int BLT_AddRGB(DDSurface* dst, int32_t x, int32_t y, DDSurface* src, const RECT* src_rect, int32_t red,
               int32_t green, int32_t blue, uint32_t flip, int32_t keyed) {
    return BLT_TableBlendRGB(dst, x, y, src, src_rect, std::clamp(red, 0, 63) + 32, std::clamp(green, 0, 63) + 32,
                             std::clamp(blue, 0, 63) + 32, flip, keyed);
}

int BLT_AlphaRGBStretch(DDSurface* dst, RECT* dst_rect, DDSurface* src, const RECT* src_rect, int32_t red,
                        int32_t green, int32_t blue, uint32_t flip, int32_t keyed) {
    return BLT_TableBlendRGBStretch(dst, dst_rect, src, src_rect, std::clamp(red, 0, 31), std::clamp(green, 0, 31),
                                    std::clamp(blue, 0, 31), flip, keyed);
}

int BLT_AddRGBStretch(DDSurface* dst, RECT* dst_rect, DDSurface* src, const RECT* src_rect, int32_t red,
                      int32_t green, int32_t blue, uint32_t flip, int32_t keyed) {
    return BLT_TableBlendRGBStretch(dst, dst_rect, src, src_rect, std::clamp(red, 0, 63) + 32,
                                    std::clamp(green, 0, 63) + 32, std::clamp(blue, 0, 63) + 32, flip, keyed);
}

// ---------------- rectangle tint ----------------
namespace {
// Row of a component at a level, addressed as bank level, row component over the flat table (a
// component of 32 or more reads on into the following banks), kept inside the table.
const uint8_t* TintRectRow(int32_t level, uint16_t component) {
    constexpr int64_t kLastRow = int64_t(BLT_BLEND_BANKS) * 1024 - 32;
    const int64_t offset = std::min<int64_t>(int64_t(std::clamp(level, 0, BLT_BLEND_BANKS - 1)) * 1024 +
                                                 int64_t(component) * 32,
                                             kLastRow);
    return &BLT_BLEND_TABLE[0][0] + offset;
}

template <bool Is565>
void TintRows(uint8_t* mem, int32_t pitch, const RECT& r, const uint8_t* red, const uint8_t* green,
              const uint8_t* blue) {
    const blt::RowLookupOp<Is565> op{red, green, blue};
    for (int32_t y = r.top; y < r.bottom; ++y) {
        uint16_t* p = reinterpret_cast<uint16_t*>(mem + int64_t(y) * pitch) + r.left;
        for (int32_t x = r.left; x < r.right; ++x, ++p) op.Pixel(p, *p, 0);
    }
}
}  // namespace

int BLT_TintRect(DDSurface* surface, const RECT* rect, uint16_t red, uint16_t green, uint16_t blue, int32_t level) {
    if (!surface) return 0;
    DDSURFACEDESC2 d;
    if (DD_LockSurface(surface, &d) != DD_OK) return 0;
    const int32_t w = static_cast<int32_t>(d.dwWidth), h = static_cast<int32_t>(d.dwHeight);
    RECT r = rect ? *rect : RECT{0, 0, w, h};
    if (r.left > w || r.top > h || r.right < 0 || r.bottom < 0) {
        surface->Unlock(nullptr);
        return 1;
    }
    r.left = std::max(r.left, 0);
    r.top = std::max(r.top, 0);
    r.right = std::min(r.right, w);
    r.bottom = std::min(r.bottom, h);
    if (r.left >= r.right || r.top >= r.bottom || d.ddpfPixelFormat.dwRGBBitCount != 16) {
        surface->Unlock(nullptr);
        return 0;
    }
    const uint8_t* rr = TintRectRow(level, red);
    const uint8_t* gr = TintRectRow(level, green);
    const uint8_t* br = TintRectRow(level, blue);
    uint8_t* mem = static_cast<uint8_t*>(d.lpSurface);
    if (DD_Is565(d.ddpfPixelFormat.dwGBitMask))
        TintRows<true>(mem, d.lPitch, r, rr, gr, br);
    else
        TintRows<false>(mem, d.lPitch, r, rr, gr, br);
    surface->Unlock(nullptr);
    return 1;
}
