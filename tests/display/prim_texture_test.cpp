// Texture-mapped polygons: a rectangle mapped onto itself, degenerate polygons, keying, the steep
// edge's stopping point, and short destinations with hostile corners.
#include <gtest/gtest.h>

#include <random>

#include "display/blt_frame.h"
#include "display/prim_texture.h"
#include "tests/display/canvas.h"
#include "tests/support/fixture.h"

namespace {

struct TexMap : ::testing::Test {
    support::HeadlessDisplay display;
    DDSurface* src = nullptr;
    DDSurface* dst = nullptr;
    void SetUp() override {
        ASSERT_TRUE(display.ok);
        src = canvas::MakeDepthSurface(16, 16, 8);
        dst = canvas::MakeDepthSurface(64, 40, 8);
        ASSERT_TRUE(src && dst);
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) canvas::RowOf(src, y)[x] = static_cast<uint8_t>(1 + x + 16 * y);
    }
    void TearDown() override {
        if (src) src->Release();
        if (dst) dst->Release();
    }
    uint8_t D(int x, int y) { return canvas::RowOf(dst, y)[x]; }
    int Drawn() {
        int n = 0;
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 64; ++x) n += D(x, y) != 0;
        return n;
    }
};

TEST_F(TexMap, RectangleOntoItsOwnShapeCopiesIt) {
    const RECT r{2, 3, 10, 9};  // 8 x 6
    const int32_t corners[8] = {20, 10, 27, 10, 27, 15, 20, 15};
    BLT_TexQuad(dst, corners, src, &r, 0);
    // Rows are exact; across a row the step spreads the texture over one pixel more than the span
    // holds, so a column lags its own texel by at most one and the first column is exact.
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 64; ++x) {
            const bool in = x >= 20 && x < 28 && y >= 10 && y < 16;
            if (!in) {
                EXPECT_EQ(D(x, y), 0) << x << "," << y;
                continue;
            }
            const uint8_t* row = canvas::RowOf(src, y - 7);
            EXPECT_TRUE(D(x, y) == row[x - 18] || (x > 20 && D(x, y) == row[x - 19])) << x << "," << y;
        }
    EXPECT_EQ(D(20, 10), canvas::RowOf(src, 3)[2]);
    EXPECT_EQ(D(20, 15), canvas::RowOf(src, 8)[2]);
}

TEST_F(TexMap, TriangleAndDegenerateRow) {
    const int32_t tri[6] = {5, 5, 15, 5, 5, 15};
    const int32_t tex[6] = {0, 0, 10, 0, 0, 10};
    BLT_TexTriangle(dst, tri, src, tex, 0);
    EXPECT_EQ(D(5, 5), canvas::RowOf(src, 0)[0]);
    EXPECT_EQ(D(5, 15), canvas::RowOf(src, 10)[0]);
    EXPECT_EQ(D(14, 14), 0);  // beyond the hypotenuse
    EXPECT_GT(Drawn(), 50);

    BLT_FillRect(dst, nullptr, 0);
    const int32_t flat[8] = {30, 20, 12, 20, 40, 20, 25, 20};  // every corner on row 20
    const RECT r{0, 0, 4, 4};
    BLT_TexQuad(dst, flat, src, &r, 0);
    for (int x = 0; x < 64; ++x) EXPECT_EQ(D(x, 20) != 0, x >= 12 && x <= 40) << x;
    EXPECT_EQ(Drawn(), 29);
}

TEST_F(TexMap, KeyedSourceZeroLeavesTheDestination) {
    canvas::RowOf(src, 0)[1] = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 64; ++x) canvas::RowOf(dst, y)[x] = 0xEE;
    const RECT r{0, 0, 4, 4};
    const int32_t corners[8] = {0, 0, 3, 0, 3, 3, 0, 3};
    BLT_TexQuad(dst, corners, src, &r, 1);
    EXPECT_EQ(D(1, 0), 0xEE);
    EXPECT_EQ(D(0, 0), 1);
    BLT_TexQuad(dst, corners, src, &r, 0);
    EXPECT_EQ(D(1, 0), 0);
}

TEST(TexEdge, SteepEdgeStopsShortOfItsEndColumnButReachesItsTexture) {
    BLT_TEX_SPANS[10] = {9999, -9999, 0, 0, 0, 0};
    BLT_TEX_SPANS[0] = {9999, -9999, 0, 0, 0, 0};
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
    for (int i = 0; i < 300; ++i) {
        const int x1 = int(rng() % 400) - 100, x2 = int(rng() % 400) - 100;
        const int y1 = int(rng() % 40) - 10, y2 = y1 + int(rng() % 20) - 10;
        const int u1 = rng() % 64, v1 = rng() % 64, u2 = rng() % 64, v2 = rng() % 64;
        for (auto& s : BLT_TEX_SPANS) s = {9999, -9999, 0, 0, 0, 0};
        BLT_TexEdge(x1, y1, x2, y2, u1, v1, u2, v2);
        BltTexSpan want[BLT_TEX_ROWS];
        for (auto& s : want) s = {9999, -9999, 0, 0, 0, 0};
        const int dx = x2 - x1, dy = y2 - y1, a = std::abs(dx) + 1, b = std::abs(dy) + 1;
        if (a < b) continue;  // steep edges have one step a row already
        int64_t g = int64_t(y1) * 65536, u = u1 * 256, v = v1 * 256;
        const int64_t gs = int64_t(dy) * 65536 / a, us = dx ? (u2 - u1) * 256 / std::abs(dx) : 0,
                      vs = dx ? (v2 - v1) * 256 / std::abs(dx) : 0;
        for (int k = 0, x = x1; k < a; ++k, x += dx < 0 ? -1 : 1, g += gs, u += us, v += vs) {
            const int64_t row = g / 65536;
            if (row < 0 || row >= BLT_TEX_ROWS) continue;
            BltTexSpan& s = want[row];
            if (x < s.left) s.left = x, s.u_left = int32_t(u), s.v_left = int32_t(v);
            if (x > s.right) s.right = x, s.u_right = int32_t(u), s.v_right = int32_t(v);
        }
        for (int row = 0; row < BLT_TEX_ROWS; ++row) {
            ASSERT_EQ(BLT_TEX_SPANS[row].left, want[row].left) << i << " row " << row;
            ASSERT_EQ(BLT_TEX_SPANS[row].right, want[row].right) << i << " row " << row;
            ASSERT_EQ(BLT_TEX_SPANS[row].u_left, want[row].u_left);
            ASSERT_EQ(BLT_TEX_SPANS[row].v_right, want[row].v_right);
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
