// Affine texture mapping of quadrilaterals and triangles between 8-bit surfaces.
#pragma once
#include <cstdint>

#include "platform/display.h"

// One row of a texture span table: the span's ends and the texture point at each end. Empty while
// left > right.
struct TexSpan {
    int32_t left, right;
    int32_t u_left, v_left;
    int32_t u_right, v_right;
    // Takes the point x with texture point (u, v) into the span; a single point can set both ends.
    void Merge(int64_t x, int64_t u, int64_t v) {
        if (x < left) {
            left = static_cast<int32_t>(x);
            u_left = static_cast<int32_t>(u);
            v_left = static_cast<int32_t>(v);
        }
        if (x > right) {
            right = static_cast<int32_t>(x);
            u_right = static_cast<int32_t>(u);
            v_right = static_cast<int32_t>(v);
        }
    }
};

constexpr int BLT_TEX_ROWS = 480;
// Texture points in 8.8 fixed point.
using BltTexSpan = TexSpan;
extern BltTexSpan BLT_TEX_SPANS[BLT_TEX_ROWS];

// Maps the source rectangle onto four corners (x0, y0, ... x3, y3): corner 0 gets its top-left,
// 1 top-right, 2 bottom-right, 3 bottom-left. Keyed, source bytes of 0 are not drawn.
void BLT_TexQuad(DDSurface* dst, const int32_t* corners, DDSurface* src, const RECT* src_rect, int32_t keyed);
// Maps the texture triangle (u, v for each point, whole pixels) onto the screen triangle.
void BLT_TexTriangle(DDSurface* dst, const int32_t* corners, DDSurface* src, const int32_t* texture,
                     int32_t keyed);
// Adds one polygon edge to BLT_TEX_SPANS; texture points in whole pixels.
void BLT_TexEdge(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t u1, int32_t v1, int32_t u2, int32_t v2);
