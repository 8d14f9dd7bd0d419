// Affine texture mapper: edges into a span table, then rows filled by interpolating the texture.
#include "display/prim_texture.h"

#include <algorithm>

#include "display/blt_frame.h"
#include "display/prim_pixel.h"
#include "services/fil_util.h"

BltTexSpan BLT_TEX_SPANS[BLT_TEX_ROWS];

using prim::StepsWithin;

namespace {
void ResetSpans() {
    for (BltTexSpan& s : BLT_TEX_SPANS) s = {9999, -9999, 0, 0, 0, 0};
}

void Merge(int64_t row, int64_t x, int64_t u, int64_t v) {
    if (row >= 0 && row < BLT_TEX_ROWS) BLT_TEX_SPANS[row].Merge(x, u, v);
}

int64_t Abs(int64_t v) { return v < 0 ? -v : v; }

void Fill(DDSurface* dst, DDSurface* src, int32_t keyed) {
    DDSURFACEDESC2 d, s;
    if (DD_LockSurface(dst, &d) != DD_OK) return;
    if (DD_LockSurface(src, &s) != DD_OK) {
        dst->Unlock(nullptr);
        return;
    }
    const int64_t rows = std::min<int64_t>(BLT_TEX_ROWS, d.dwHeight), w = d.dwWidth;
    const int64_t sw = s.dwWidth, sh = s.dwHeight;
    const uint8_t* texture = static_cast<const uint8_t*>(s.lpSurface);
    for (int64_t row = 0; row < rows; ++row) {
        const BltTexSpan& span = BLT_TEX_SPANS[row];
        if (span.left > span.right) continue;
        const int64_t n = static_cast<int64_t>(span.right) - span.left;
        const int64_t du = (static_cast<int64_t>(span.u_right) - span.u_left) / (n + 1);
        const int64_t dv = (static_cast<int64_t>(span.v_right) - span.v_left) / (n + 1);
        const int64_t first = std::max<int64_t>(span.left, 0), last = std::min<int64_t>(span.right, w - 1);
        int64_t u = span.u_left + (first - span.left) * du, v = span.v_left + (first - span.left) * dv;
        uint8_t* line = static_cast<uint8_t*>(d.lpSurface) + row * d.lPitch;
        for (int64_t x = first; x <= last; ++x, u += du, v += dv) {
            const int64_t tu = (u + 128) >> 8, tv = (v + 128) >> 8;
            // Texture points come from the caller's rectangle or triangle: never read beyond the source.
            if (tu < 0 || tu >= sw || tv < 0 || tv >= sh) continue;
            const uint8_t texel = texture[tv * s.lPitch + tu];
            if (keyed && texel == 0) continue;
            line[x] = texel;
        }
    }
    dst->Unlock(nullptr);
    src->Unlock(nullptr);
}
}  // namespace

void BLT_TexEdge(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t u1, int32_t v1, int32_t u2, int32_t v2) {
    const int64_t dx = static_cast<int64_t>(x2) - x1, dy = static_cast<int64_t>(y2) - y1;
    const int64_t a = Abs(dx) + 1, b = Abs(dy) + 1;
    const int64_t u0 = static_cast<int64_t>(u1) * 256, v0 = static_cast<int64_t>(v1) * 256;
    const int64_t du_total = (static_cast<int64_t>(u2) - u1) * 256, dv_total = (static_cast<int64_t>(v2) - v1) * 256;
    if (a < b) {
        // One step a row; only rows of the table are walked.
        const int64_t sy = dy < 0 ? -1 : 1;
        const int64_t xstep = dx * 65536 / b, du = du_total / Abs(dy), dv = dv_total / Abs(dy);
        const int64_t first = std::max<int64_t>(0, sy > 0 ? -static_cast<int64_t>(y1) : y1 - (BLT_TEX_ROWS - 1));
        const int64_t last = std::min<int64_t>(b - 1, sy > 0 ? BLT_TEX_ROWS - 1 - static_cast<int64_t>(y1) : y1);
        for (int64_t k = first; k <= last; ++k)
            Merge(y1 + k * sy, (static_cast<int64_t>(x1) * 65536 + k * xstep) / 65536, u0 + k * du, v0 + k * dv);
        return;
    }
    // One step a column, the row following in 16.16 (truncated toward zero). The columns of one row
    // form one run whose first and last steps carry its leftmost and rightmost point.
    const int64_t sx = dx < 0 ? -1 : 1;
    const int64_t ystep = dy * 65536 / a;
    const int64_t du = dx == 0 ? 0 : du_total / Abs(dx), dv = dx == 0 ? 0 : dv_total / Abs(dx);
    const int64_t g0 = static_cast<int64_t>(y1) * 65536;
    const auto merge_step = [&](int64_t k) { Merge((g0 + k * ystep) / 65536, x1 + k * sx, u0 + k * du, v0 + k * dv); };
    if (ystep == 0) {
        merge_step(0);
        merge_step(a - 1);
        return;
    }
    for (int64_t row = 0; row < BLT_TEX_ROWS; ++row) {
        // Row 0 also collects the small negative positions that truncate to it.
        const int64_t lo = row == 0 ? -65535 : row * 65536;
        auto [first, last] = StepsWithin(g0, ystep, lo, row * 65536 + 65535, a);
        if (first > last) continue;
        merge_step(first);
        merge_step(last);
    }
}

void BLT_TexQuad(DDSurface* dst, const int32_t* c, DDSurface* src, const RECT* r, int32_t keyed) {
    if (!c || !r) {
        SYS_DebugPrint("BLT_TexQuad: corners and source rectangle are required");
        return;
    }
    ResetSpans();
    const int32_t L = r->left, T = r->top;
    const int32_t R = static_cast<int32_t>(int64_t{r->right} - 1), B = static_cast<int32_t>(int64_t{r->bottom} - 1);
    BLT_TexEdge(c[0], c[1], c[2], c[3], L, T, R, T);
    BLT_TexEdge(c[2], c[3], c[4], c[5], R, T, R, B);
    BLT_TexEdge(c[4], c[5], c[6], c[7], R, B, L, B);
    BLT_TexEdge(c[6], c[7], c[0], c[1], L, B, L, T);
    Fill(dst, src, keyed);
}

void BLT_TexTriangle(DDSurface* dst, const int32_t* c, DDSurface* src, const int32_t* t, int32_t keyed) {
    if (!c || !t) {
        SYS_DebugPrint("BLT_TexTriangle: corners and texture points are required");
        return;
    }
    ResetSpans();
    BLT_TexEdge(c[0], c[1], c[2], c[3], t[0], t[1], t[2], t[3]);
    BLT_TexEdge(c[2], c[3], c[4], c[5], t[2], t[3], t[4], t[5]);
    BLT_TexEdge(c[4], c[5], c[0], c[1], t[4], t[5], t[0], t[1]);
    Fill(dst, src, keyed);
}
