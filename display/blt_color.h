// Brightness and colour blend blitters: grey darken and lighten, per-channel tint, per-channel
// see-through and additive blends, and the in-place rectangle tint.
#pragma once
#include <cstdint>

#include "display/dd_display.h"

// Level 31 unchanged (hardware blit), 1-30 darker, 32-61 lighter, 0 and below the shape in black,
// 62 and above the shape in white.
int BLT_Brightness(DDSurface* dst, int32_t x, int32_t y, DDSurface* src, const RECT* src_rect, int32_t level,
                   uint32_t flip, int32_t keyed);
int BLT_BrightnessStretch(DDSurface* dst, RECT* dst_rect, DDSurface* src, const RECT* src_rect, int32_t level,
                          uint32_t flip, int32_t keyed);
// Grey darkening by 31 - level (the dispatch passes levels 1-30) and lightening by an amount (it
// passes 1-30); any other value gives the formula's own result, as no table is read.
int BLT_Darken(DDSurface* dst, int32_t x, int32_t y, DDSurface* src, const RECT* src_rect, int32_t level,
               uint32_t flip, int32_t keyed);
int BLT_Brighten(DDSurface* dst, int32_t x, int32_t y, DDSurface* src, const RECT* src_rect, int32_t amount,
                 uint32_t flip, int32_t keyed);
int BLT_DarkenStretch(DDSurface* dst, RECT* dst_rect, DDSurface* src, const RECT* src_rect, int32_t level,
                      uint32_t flip, int32_t keyed);
int BLT_BrightenStretch(DDSurface* dst, RECT* dst_rect, DDSurface* src, const RECT* src_rect, int32_t amount,
                        uint32_t flip, int32_t keyed);
// The same dispatch with levels 1-61 recoloured through the blend table.
int BLT_BrightnessTable(DDSurface* dst, int32_t x, int32_t y, DDSurface* src, const RECT* src_rect, int32_t level,
                        uint32_t flip, int32_t keyed);
int BLT_BrightnessTableStretch(DDSurface* dst, RECT* dst_rect, DDSurface* src, const RECT* src_rect, int32_t level,
                               uint32_t flip, int32_t keyed);
// Per-channel tint, levels 0-62 (clamped): 0 black, 31 unchanged, 62 every non-zero channel full.
int BLT_TintRGB(DDSurface* dst, int32_t x, int32_t y, DDSurface* src, const RECT* src_rect, int32_t red,
                int32_t green, int32_t blue, uint32_t flip, int32_t keyed);
int BLT_TintRGBStretch(DDSurface* dst, RECT* dst_rect, DDSurface* src, const RECT* src_rect, int32_t red,
                       int32_t green, int32_t blue, uint32_t flip, int32_t keyed);
// Per-channel see-through (levels clamped to 0-31) and additive (0-63) blends.
int BLT_AlphaRGB(DDSurface* dst, int32_t x, int32_t y, DDSurface* src, const RECT* src_rect, int32_t red,
                 int32_t green, int32_t blue, uint32_t flip, int32_t keyed);
int BLT_AddRGB(DDSurface* dst, int32_t x, int32_t y, DDSurface* src, const RECT* src_rect, int32_t red,
               int32_t green, int32_t blue, uint32_t flip, int32_t keyed);
int BLT_AlphaRGBStretch(DDSurface* dst, RECT* dst_rect, DDSurface* src, const RECT* src_rect, int32_t red,
                        int32_t green, int32_t blue, uint32_t flip, int32_t keyed);
int BLT_AddRGBStretch(DDSurface* dst, RECT* dst_rect, DDSurface* src, const RECT* src_rect, int32_t red,
                      int32_t green, int32_t blue, uint32_t flip, int32_t keyed);
// Each channel through its own bank of the blend table (0-95, clamped).
int BLT_TableBlendRGB(DDSurface* dst, int32_t x, int32_t y, DDSurface* src, const RECT* src_rect, int32_t red_bank,
                      int32_t green_bank, int32_t blue_bank, uint32_t flip, int32_t keyed);
int BLT_TableBlendRGBStretch(DDSurface* dst, RECT* dst_rect, DDSurface* src, const RECT* src_rect,
                             int32_t red_bank, int32_t green_bank, int32_t blue_bank, uint32_t flip, int32_t keyed);
// Recolours a rectangle (null = whole surface) in place toward the colour (components 0-31) by a
// level 0-95. 1 when done or wholly outside, 0 when the lock fails or clamping empties it.
int BLT_TintRect(DDSurface* surface, const RECT* rect, uint16_t red, uint16_t green, uint16_t blue, int32_t level);
