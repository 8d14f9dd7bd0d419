// Blend tables and the level blitters: alpha, additive with strength, dim and whiten.
#pragma once
#include <cstdint>

#include "display/dd_display.h"

constexpr int BLT_BLEND_BANKS = 96;
// Bank b, destination channel d, source channel s (5 bits each): BLT_BLEND_TABLE[b][d * 32 + s].
extern uint8_t BLT_BLEND_TABLE[BLT_BLEND_BANKS][1024];

void BLT_BuildTables();

// Every channel of every drawn pixel becomes the entry of one bank (0-95; clamped to the banks).
int BLT_TableBlend(DDSurface* dst, int32_t x, int32_t y, DDSurface* src, const RECT* src_rect, int32_t bank,
                   uint32_t flip, int32_t keyed);
// The destination rectangle is required and is clipped in place.
int BLT_TableBlendStretch(DDSurface* dst, RECT* dst_rect, DDSurface* src, const RECT* src_rect, int32_t bank,
                          uint32_t flip, int32_t keyed);
// See-through: below 1 nothing, 1-30 bank = level, 31 and above an opaque mirrored blit.
int BLT_Alpha(DDSurface* dst, int32_t x, int32_t y, DDSurface* src, const RECT* src_rect, int32_t level,
              uint32_t flip, int32_t keyed);
int BLT_AlphaStretch(DDSurface* dst, RECT* dst_rect, DDSurface* src, const RECT* src_rect, int32_t level,
                     uint32_t flip, int32_t keyed);
// Additive with strength level / 32 (capped at 63), saturated.
int BLT_AddLevel(DDSurface* dst, int32_t x, int32_t y, DDSurface* src, const RECT* src_rect, int32_t level,
                 uint32_t flip, int32_t keyed);
int BLT_AddLevelStretch(DDSurface* dst, RECT* dst_rect, DDSurface* src, const RECT* src_rect, int32_t level,
                        uint32_t flip, int32_t keyed);
// The source with every channel scaled by level / 32 (0-31). Clipped to the destination surface
// only; no mirroring; pixels in pairs, so an odd width leaves its last column alone.
int BLT_Dim(DDSurface* dst, int32_t x, int32_t y, DDSurface* src, const RECT* src_rect, int32_t level,
            uint32_t flip, int32_t keyed);
// Dims into a temporary surface, then stretches that by hardware (key-coloured pixels arrive black).
int BLT_DimStretch(DDSurface* dst, const RECT* dst_rect, DDSurface* src, const RECT* src_rect, int32_t level,
                   uint32_t flip);
// The source lightened toward white by level / 32; below 1 an ordinary blit, 32 and above a
// white rectangle of the source's size.
int BLT_Whiten(DDSurface* dst, int32_t x, int32_t y, DDSurface* src, const RECT* src_rect, int32_t level,
               uint32_t flip, int32_t keyed);

// Parameters of the two-pixels-per-word workers. Pitches are in pixels; widths are the
// surfaces' real widths, so row padding is never drawn.
struct BLT_WORKER_PARAMS {
    uint16_t* dst = nullptr;
    int32_t x = 0, y = 0;
    int32_t dst_pitch = 0, dst_width = 0, dst_height = 0;
    int32_t width = 0, height = 0;
    const uint16_t* src = nullptr;
    int32_t src_x = 0, src_y = 0;
    int32_t src_pitch = 0, src_width = 0, src_height = 0;
    int32_t level = 0;
    // Dim: a pixel value left out, or BLT_NO_KEY. Whiten: draws only with BLT_WHITEN_NO_KEY.
    int32_t key = 0;
    const RECT* clip = nullptr;  // null: the destination's bounds
};
constexpr int32_t BLT_NO_KEY = 0x10000;
constexpr int32_t BLT_WHITEN_NO_KEY = -1;

int BLT_DimWorker(const BLT_WORKER_PARAMS* p);
int BLT_WhitenWorker(const BLT_WORKER_PARAMS* p);
// Clips a block at (x, y) of width x height against the clip rectangle or (0, 0, dst_w, dst_h),
// moving the source position with it; nonzero when a pixel is left.
int BLT_ClipWorker(int32_t* x, int32_t* y, int32_t* width, int32_t* height, int32_t* src_x, int32_t* src_y,
                   int32_t dst_w, int32_t dst_h, const RECT* clip);
