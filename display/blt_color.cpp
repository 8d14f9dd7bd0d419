// Brightness, tint and per-channel blend blitters on the software blit frame.
#include "display/blt_color.h"

#include <algorithm>

#include "display/blt_arith.h"
#include "display/blt_channel.h"
#include "display/blt_frame.h"
#include "display/blt_level.h"

namespace {
using blt::At;
using blt::Order;

// The grey word of a level: l in every channel, each channel's lowest bit clear as the saturating
// add and subtract of the arithmetic blends expect.
template <bool Is565>
constexpr uint32_t GreyWord(uint32_t l) {
    return (Is565 ? l | l << 6 | l << 11 : l | l << 5 | l << 10) & blt::ArithMasks<Is565>::M;
}

// Darkening and lightening are the saturating subtract and add of the grey word; the word of each
// layout is built once a blit.
template <bool Is565>
struct DarkenOp {
    uint32_t g555, g565;
    void Pixel(uint16_t* d, uint16_t s, int) const { *d = blt::SubPixel<Is565>(s, Is565 ? g565 : g555); }
};

template <bool Is565>
struct BrightenOp {
    uint32_t g555, g565;
    void Pixel(uint16_t* d, uint16_t s, int) const { *d = blt::AddPixel<Is565>(s, Is565 ? g565 : g555); }
};

// Grey darkening or lightening by an amount. The formula holds for any amount (the grey word keeps
// only its channel bits), so none is clamped.
template <template <bool> class Op, class Where>
int GreyBlit(DDSurface* dst, Where where, DDSurface* src, const RECT* src_rect, uint32_t amount, uint32_t flip,
             int32_t keyed) {
    blt::Blit<Op>(dst, where, src, src_rect, flip, keyed, Order::DescribeFirst, GreyWord<false>(amount),
                  GreyWord<true>(amount));
    return 0;
}

// 31 - level, worked as the machine's 32-bit arithmetic does for any level.
uint32_t DarkAmount(int32_t level) { return 31u - static_cast<uint32_t>(level); }

// The 32-entry recolouring row of a tint level (0-62, clamped): toward black from row d = 0,
// toward white from row d = 31.
const uint8_t* TintRow(int32_t v) {
    v = std::clamp(v, 0, 62);
    return v <= 31 ? &BLT_BLEND_TABLE[v][0] : &BLT_BLEND_TABLE[62 - v][31 * 32];
}

template <class Where>
int TintBlit(DDSurface* dst, Where where, DDSurface* src, const RECT* src_rect, int32_t red, int32_t green,
             int32_t blue, uint32_t flip, int32_t keyed, Order order) {
    blt::Blit<blt::RowLookupOp>(dst, where, src, src_rect, flip, keyed, order, TintRow(red), TintRow(green),
                                TintRow(blue));
    return 0;
}

template <class Where>
int BankBlit(DDSurface* dst, Where where, DDSurface* src, const RECT* src_rect, int32_t red, int32_t green,
             int32_t blue, uint32_t flip, int32_t keyed, Order order) {
    blt::Blit<blt::BankBlendOp>(dst, where, src, src_rect, flip, keyed, order, BLT_BLEND_TABLE[blt::ClampBank(red)],
                                BLT_BLEND_TABLE[blt::ClampBank(green)], BLT_BLEND_TABLE[blt::ClampBank(blue)]);
    return 0;
}

void Shape(DDSurface* dst, At at, DDSurface* src, const RECT* src_rect, uint32_t colour, uint32_t flip) {
    BLT_Silhouette(dst, at.x, at.y, src, src_rect, colour, flip);
}
void Shape(DDSurface* dst, RECT* into, DDSurface* src, const RECT* src_rect, uint32_t colour, uint32_t flip) {
    BLT_SilhouetteStretch(dst, into, src, src_rect, colour, flip);
}

// 31 the plain blit, 0 and below the shape in black, 62 and above in white; the levels between
// by grey arithmetic, or through the blend table (in the given frame order) when `table` is set.
template <class Where>
int BrightnessBlit(DDSurface* dst, Where where, DDSurface* src, const RECT* src_rect, int32_t level, uint32_t flip,
                   int32_t keyed, bool table, Order table_order) {
    if (level == 31)
        blt::Opaque(dst, where, src, src_rect, flip, keyed);
    else if (level <= 0)
        Shape(dst, where, src, src_rect, 0, flip);
    else if (level >= 62)
        Shape(dst, where, src, src_rect, 0xFFFF, flip);
    else if (table)
        TintBlit(dst, where, src, src_rect, level, level, level, flip, keyed, table_order);
    else if (level < 31)
        GreyBlit<DarkenOp>(dst, where, src, src_rect, DarkAmount(level), flip, keyed);
    else
        GreyBlit<BrightenOp>(dst, where, src, src_rect, static_cast<uint32_t>(level - 31), flip, keyed);
    return 0;
}
}  // namespace

// ---------------- grey darkening and lightening ----------------
int BLT_Darken(DDSurface* dst, int32_t x, int32_t y, DDSurface* src, const RECT* src_rect, int32_t level,
               uint32_t flip, int32_t keyed) {
    return GreyBlit<DarkenOp>(dst, At{x, y}, src, src_rect, DarkAmount(level), flip, keyed);
}

int BLT_Brighten(DDSurface* dst, int32_t x, int32_t y, DDSurface* src, const RECT* src_rect, int32_t amount,
                 uint32_t flip, int32_t keyed) {
    return GreyBlit<BrightenOp>(dst, At{x, y}, src, src_rect, static_cast<uint32_t>(amount), flip, keyed);
}

int BLT_DarkenStretch(DDSurface* dst, RECT* dst_rect, DDSurface* src, const RECT* src_rect, int32_t level,
                      uint32_t flip, int32_t keyed) {
    return GreyBlit<DarkenOp>(dst, dst_rect, src, src_rect, DarkAmount(level), flip, keyed);
}

int BLT_BrightenStretch(DDSurface* dst, RECT* dst_rect, DDSurface* src, const RECT* src_rect, int32_t amount,
                        uint32_t flip, int32_t keyed) {
    return GreyBlit<BrightenOp>(dst, dst_rect, src, src_rect, static_cast<uint32_t>(amount), flip, keyed);
}

// ---------------- brightness dispatch ----------------
int BLT_Brightness(DDSurface* dst, int32_t x, int32_t y, DDSurface* src, const RECT* src_rect, int32_t level,
                   uint32_t flip, int32_t keyed) {
    return BrightnessBlit(dst, At{x, y}, src, src_rect, level, flip, keyed, false, Order::DescribeFirst);
}

int BLT_BrightnessStretch(DDSurface* dst, RECT* dst_rect, DDSurface* src, const RECT* src_rect, int32_t level,
                          uint32_t flip, int32_t keyed) {
    return BrightnessBlit(dst, dst_rect, src, src_rect, level, flip, keyed, false, Order::DescribeFirst);
}

int BLT_BrightnessTable(DDSurface* dst, int32_t x, int32_t y, DDSurface* src, const RECT* src_rect, int32_t level,
                        uint32_t flip, int32_t keyed) {
    return BrightnessBlit(dst, At{x, y}, src, src_rect, level, flip, keyed, true, Order::DescribeFirst);
}

int BLT_BrightnessTableStretch(DDSurface* dst, RECT* dst_rect, DDSurface* src, const RECT* src_rect, int32_t level,
                               uint32_t flip, int32_t keyed) {
    return BrightnessBlit(dst, dst_rect, src, src_rect, level, flip, keyed, true, Order::LockFirst);
}

// ---------------- per-channel tint ----------------
int BLT_TintRGB(DDSurface* dst, int32_t x, int32_t y, DDSurface* src, const RECT* src_rect, int32_t red,
                int32_t green, int32_t blue, uint32_t flip, int32_t keyed) {
    return TintBlit(dst, At{x, y}, src, src_rect, red, green, blue, flip, keyed, Order::DescribeFirst);
}

int BLT_TintRGBStretch(DDSurface* dst, RECT* dst_rect, DDSurface* src, const RECT* src_rect, int32_t red,
                       int32_t green, int32_t blue, uint32_t flip, int32_t keyed) {
    return TintBlit(dst, dst_rect, src, src_rect, red, green, blue, flip, keyed, Order::LockFirst);
}

// ---------------- per-channel table blends ----------------
int BLT_TableBlendRGB(DDSurface* dst, int32_t x, int32_t y, DDSurface* src, const RECT* src_rect, int32_t red_bank,
                      int32_t green_bank, int32_t blue_bank, uint32_t flip, int32_t keyed) {
    return BankBlit(dst, At{x, y}, src, src_rect, red_bank, green_bank, blue_bank, flip, keyed, Order::DescribeFirst);
}

int BLT_TableBlendRGBStretch(DDSurface* dst, RECT* dst_rect, DDSurface* src, const RECT* src_rect,
                             int32_t red_bank, int32_t green_bank, int32_t blue_bank, uint32_t flip, int32_t keyed) {
    return BankBlit(dst, dst_rect, src, src_rect, red_bank, green_bank, blue_bank, flip, keyed, Order::LockFirst);
}

// See-through banks 0-31 and additive banks 32-95, one per channel.
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
    const blt::RowLookupOp<Is565> op{red, green, blue};  // the same per-channel rows as the tint
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
