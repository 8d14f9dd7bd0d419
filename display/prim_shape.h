// Shape primitives on locked surfaces of 8, 16 and 32 bits a pixel: boxes, circles, discs,
// ellipses, pattern fills, and the shaded rotated bar of 8-bit surfaces.
//
// Same four layers as the pixel primitives: depth workers, lock wrappers per depth, a depth
// dispatcher and a locking dispatcher. Everything is clipped to the surface.
#pragma once
#include <cstdint>

#include "display/prim_pixel.h"

constexpr int PRIM_SPAN_ROWS = 480;
struct PrimSpan {
    int32_t left, right;  // empty while left > right
};
// Rows of the rotated bar, refilled at every call.
extern PrimSpan PRIM_SPAN_TABLE[PRIM_SPAN_ROWS];

// Rectangle outline, corners included, corners in either order.
PRIM_DECLARE(Box, int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour)
// Filled rectangle, corners included; nothing when x2 < x1 or y2 < y1.
PRIM_DECLARE(FillBox, int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour)
// Circle outline (midpoint); radius 0 is the centre, a negative radius nothing. Circles and
// ellipses walk only the steps of their outline that can reach the surface.
PRIM_DECLARE(Circle, int32_t cx, int32_t cy, int32_t r, uint32_t colour)
// Filled circle.
PRIM_DECLARE(Disc, int32_t cx, int32_t cy, int32_t r, uint32_t colour)
// Ellipse outline: a circle of the larger radius with the other axis scaled. One negative radius
// draws as its absolute value, two draw nothing; both radii 0 draw the centre.
PRIM_DECLARE(Ellipse, int32_t cx, int32_t cy, int32_t rx, int32_t ry, uint32_t colour)
// Filled ellipse, the same rules. The 16-bit member leaves out a cap row whose scaled row repeats
// the last one; the other depths draw every cap row.
PRIM_DECLARE(FillEllipse, int32_t cx, int32_t cy, int32_t rx, int32_t ry, uint32_t colour)
// 8 x 8 one-bit pattern (byte per row, bit 7 leftmost) anchored at the clipped top-left pixel;
// with skip nonzero, pixels holding the descriptor's source colour key keep their value.
PRIM_DECLARE(PatternBox, int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour, int32_t skip,
             const uint8_t* pattern)

// Filled bar of the given thickness and length from (x, y), turned by the point rotation: angle 0
// runs down, 90 left, 180 up, 270 right. Every row is shaded in palette indices, up from colour
// over its first pixels and down again over its last; 8-bit pixels.
void PRIM_RotBox(DDSurface* surface, int32_t x, int32_t y, int32_t thickness, int32_t length, int32_t angle,
                 uint32_t colour);
// Adds the edge (x1, y1)-(x2, y2) to PRIM_SPAN_TABLE (rows 0..479).
void PRIM_RotEdge(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
