// Texture-mapped polygons: a rectangle mapped onto itself, a triangle, a degenerate polygon, keying,
// the steep edge's stopping point, the shallow edge against a step-by-step walk, and short
// destinations with hostile corners.
#include <gtest/gtest.h>

#include <random>

#include "display/blt_frame.h"
#include "display/prim_texture.h"
#include "tests/display/canvas.h"
#include "tests/support/fixture.h"

namespace {

struct TexMap : ::testing::Test {
    support::HeadlessDisplay display;
    DDSurface* src = canvas::MakeDepthSurface(16, 16, 8);
    DDSurface* dst = canvas::MakeDepthSurface(64, 40, 8);
    void SetUp() override {
        ASSERT_TRUE(display.ok && src && dst);
        for (int i = 0; i < 256; ++i) S(i % 16, i / 16) = static_cast<uint8_t>(1 + i);
    }
    void TearDown() override {
        if (src) src->Release();
        if (dst) dst->Release();
    }
    uint8_t& S(int x, int y) { return canvas::RowOf(src, y)[x]; }
    uint8_t& D(int x, int y) { return canvas::RowOf(dst, y)[x]; }
    int Drawn() {
        int n = 0;
        for (int i = 0; i < 64 * 40; ++i) n += D(i % 64, i / 64) != 0;
        return n;
    }
};

TEST_F(TexMap, RectangleOntoItsOwnShapeCopiesIt) {
    const RECT r{2, 3, 10, 9};  // 8 x 6
    const int32_t corners[8] = {20, 10, 27, 10, 27, 15, 20, 15};
    BLT_TexQuad(dst, corners, src, &r, 0);
    // Rows are exact; across a row the step spreads the texture over one pixel more than the span
    // holds, so a column lags its own texel by at most one and the first column is exact.
    EXPECT_EQ(Drawn(), 48);
    for (int y = 10; y < 16; ++y) {
        EXPECT_EQ(D(20, y), S(2, y - 7));
        for (int x = 21; x < 28; ++x) EXPECT_TRUE(D(x, y) == S(x - 18, y - 7) || D(x, y) == S(x - 19, y - 7)) << x << "," << y;
    }
}

TEST_F(TexMap, TriangleDegenerateRowAndKey) {
    const int32_t tri[6] = {5, 5, 15, 5, 5, 15};
    const int32_t tex[6] = {0, 0, 10, 0, 0, 10};
    BLT_TexTriangle(dst, tri, src, tex, 0);
    EXPECT_EQ(D(5, 5), S(0, 0));
    EXPECT_EQ(D(5, 15), S(0, 10));
    EXPECT_EQ(D(14, 14), 0);  // beyond the hypotenuse
    EXPECT_GT(Drawn(), 50);

    BLT_FillRect(dst, nullptr, 0);
    const int32_t flat[8] = {30, 20, 12, 20, 40, 20, 25, 20};  // every corner on row 20
    const RECT r{0, 0, 4, 4};
    BLT_TexQuad(dst, flat, src, &r, 0);
    for (int x = 0; x < 64; ++x) EXPECT_EQ(D(x, 20) != 0, x >= 12 && x <= 40) << x;
    EXPECT_EQ(Drawn(), 29);

    // Keyed, a source byte of 0 leaves the destination.
    S(1, 0) = 0;
    BLT_FillRect(dst, nullptr, 0xEE);
    const int32_t square[8] = {0, 0, 3, 0, 3, 3, 0, 3};
    BLT_TexQuad(dst, square, src, &r, 1);
    EXPECT_EQ(D(1, 0), 0xEE);
    EXPECT_EQ(D(0, 0), 1);
    BLT_TexQuad(dst, square, src, &r, 0);
    EXPECT_EQ(D(1, 0), 0);
}

TEST(TexEdge, SteepEdgeStopsShortOfItsEndColumnButReachesItsTexture) {
    BLT_TEX_SPANS[10] = BLT_TEX_SPANS[0] = {9999, -9999, 0, 0, 0, 0};
    BLT_TexEdge(0, 0, 3, 10, 0, 0, 5, 10);  // dx 3, dy 10: b = 11 steps
    // x after 10 rows: 10 * ((3 * 65536) / 11) / 65536 = 2, one short of 3.
    EXPECT_EQ(BLT_TEX_SPANS[10].left, 2);
    EXPECT_EQ(BLT_TEX_SPANS[10].u_left, 5 * 256);
    EXPECT_EQ(BLT_TEX_SPANS[10].v_left, 10 * 256);
    EXPECT_EQ(BLT_TEX_SPANS[0].left, 0);
}

// The per-row walk of shallow edges against a step-by-step walk of the same edge.
TEST(TexEdge, ShallowEdgeMatchesAStepByStepWalk) {
    std::mt19937 rng(2);
    static BltTexSpan want[BLT_TEX_ROWS];
    for (int i = 0; i < 300; ++i) {
        const int x1 = int(rng() % 400) - 100, x2 = int(rng() % 400) - 100;
        const int y1 = int(rng() % 40) - 10, y2 = y1 + int(rng() % 20) - 10;
        const int u1 = rng() % 64, v1 = rng() % 64, u2 = rng() % 64, v2 = rng() % 64;
        const int dx = x2 - x1, dy = y2 - y1, a = std::abs(dx) + 1;
        if (a < std::abs(dy) + 1) continue;  // steep edges have one step a row already
        for (int r = 0; r < BLT_TEX_ROWS; ++r) BLT_TEX_SPANS[r] = want[r] = {9999, -9999, 0, 0, 0, 0};
        BLT_TexEdge(x1, y1, x2, y2, u1, v1, u2, v2);
        int64_t g = int64_t(y1) * 65536, u = u1 * 256, v = v1 * 256;
        const int64_t gs = int64_t(dy) * 65536 / a, us = dx ? (u2 - u1) * 256 / std::abs(dx) : 0,
                      vs = dx ? (v2 - v1) * 256 / std::abs(dx) : 0;
        for (int k = 0, x = x1; k < a; ++k, x += dx < 0 ? -1 : 1, g += gs, u += us, v += vs)
            if (g / 65536 >= 0 && g / 65536 < BLT_TEX_ROWS) want[g / 65536].Merge(x, u, v);
        for (int r = 0; r < BLT_TEX_ROWS; ++r) {
            const BltTexSpan &got = BLT_TEX_SPANS[r], &w = want[r];
            ASSERT_TRUE(got.left == w.left && got.right == w.right && got.u_left == w.u_left &&
                        got.v_left == w.v_left && got.u_right == w.u_right && got.v_right == w.v_right)
                << i << " row " << r;
        }
    }
}

TEST_F(TexMap, ShortDestinationsAndHostileCornersStayInside) {
    std::mt19937 rng(9);
    const int32_t big[] = {INT32_MIN, -70000, -1, 0, 39, 40, 63, 64, 479, 480, 70000, INT32_MAX};
    for (int i = 0; i < 2000; ++i) {
        int32_t c[8];
        for (int32_t& k : c) k = (rng() & 1) ? big[rng() % std::size(big)] : int32_t(rng() % 120) - 30;
        const RECT r{int32_t(rng() % 40) - 10, int32_t(rng() % 40) - 10, int32_t(rng() % 60) - 10, int32_t(rng() % 60) - 10};
        BLT_TexQuad(dst, c, src, &r, int32_t(rng() & 1));
        const int32_t t[6] = {big[rng() % std::size(big)], 3, 5, 70000, -9, 2};
        BLT_TexTriangle(dst, c, src, t, 0);
    }
    EXPECT_FALSE(dst->IsLocked());
    EXPECT_FALSE(src->IsLocked());
}
}  // namespace
