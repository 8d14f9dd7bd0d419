// Affine texture mapping of quadrilaterals and triangles between 8-bit surfaces.
#pragma once
#include <cstdint>

#include "platform/display.h"

constexpr int BLT_TEX_ROWS = 480;
// One destination row: the span's ends and the texture point (8.8 fixed point) at each end.
// Empty while left > right.
struct BltTexSpan {
    int32_t left, right;
    int32_t u_left, v_left;
    int32_t u_right, v_right;
};
extern BltTexSpan BLT_TEX_SPANS[BLT_TEX_ROWS];

// Maps the source rectangle onto four corners (x0, y0, ... x3, y3): corner 0 gets its top-left,
// 1 top-right, 2 bottom-right, 3 bottom-left. Keyed, source bytes of 0 are not drawn.
void BLT_TexQuad(DDSurface* dst, const int32_t* corners, DDSurface* src, const RECT* src_rect, int32_t keyed);
// Maps the texture triangle (u, v for each point, whole pixels) onto the screen triangle.
void BLT_TexTriangle(DDSurface* dst, const int32_t* corners, DDSurface* src, const int32_t* texture,
                     int32_t keyed);
// Adds one polygon edge to BLT_TEX_SPANS; texture points in whole pixels.
void BLT_TexEdge(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t u1, int32_t v1, int32_t u2, int32_t v2);
