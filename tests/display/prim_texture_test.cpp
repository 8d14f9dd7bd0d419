// Texture-mapped polygons: worked shapes and keying, both kinds of edge walk, and short
// destinations with hostile corners.
#include <gtest/gtest.h>

#include <random>
#include <tuple>

#include "display/blt_frame.h"
#include "display/prim_texture.h"
#include "tests/display/canvas.h"
#include "tests/support/fixture.h"

namespace {

struct TexMap : ::testing::Test {
    support::HeadlessDisplay display;
    canvas::Surface8 src{16, 16}, dst{64, 40};
    void SetUp() override {
        ASSERT_TRUE(display.ok && src.s && dst.s);
        for (int i = 0; i < 256; ++i) src.At(i % 16, i / 16) = static_cast<uint8_t>(1 + i);
    }
};

TEST_F(TexMap, RectangleOntoItsOwnShapeCopiesIt) {
    const RECT r{2, 3, 10, 9};  // 8 x 6
    const int32_t corners[8] = {20, 10, 27, 10, 27, 15, 20, 15};
    BLT_TexQuad(dst.s, corners, src.s, &r, 0);
    // Rows are exact; across a row the step spreads the texture over one pixel more than the span
    // holds, so a column lags its own texel by at most one and the first column is exact.
    EXPECT_EQ(dst.Drawn(), 48);
    for (int y = 10; y < 16; ++y) {
        EXPECT_EQ(dst.At(20, y), src.At(2, y - 7));
        for (int x = 21; x < 28; ++x)
            EXPECT_TRUE(dst.At(x, y) == src.At(x - 18, y - 7) || dst.At(x, y) == src.At(x - 19, y - 7)) << x << "," << y;
    }
}

TEST_F(TexMap, TriangleDegenerateRowAndKey) {
    const int32_t tri[6] = {5, 5, 15, 5, 5, 15}, tex[6] = {0, 0, 10, 0, 0, 10};
    BLT_TexTriangle(dst.s, tri, src.s, tex, 0);
    EXPECT_TRUE(dst.At(5, 5) == src.At(0, 0) && dst.At(5, 15) == src.At(0, 10) && dst.Drawn() > 50);
    EXPECT_EQ(dst.At(14, 14), 0);  // beyond the hypotenuse
    BLT_FillRect(dst.s, nullptr, 0);
    const int32_t flat[8] = {30, 20, 12, 20, 40, 20, 25, 20};  // every corner on row 20
    const RECT r{0, 0, 4, 4};
    BLT_TexQuad(dst.s, flat, src.s, &r, 0);
    for (int x = 0; x < 64; ++x) EXPECT_EQ(dst.At(x, 20) != 0, x >= 12 && x <= 40) << x;
    EXPECT_EQ(dst.Drawn(), 29);
    // Keyed, a source byte of 0 leaves the destination.
    src.At(1, 0) = 0;
    BLT_FillRect(dst.s, nullptr, 0xEE);
    const int32_t square[8] = {0, 0, 3, 0, 3, 3, 0, 3};
    BLT_TexQuad(dst.s, square, src.s, &r, 1);
    EXPECT_TRUE(dst.At(1, 0) == 0xEE && dst.At(0, 0) == 1);
    BLT_TexQuad(dst.s, square, src.s, &r, 0);
    EXPECT_EQ(dst.At(1, 0), 0);
}

TEST(TexEdge, SteepEdgeStopsShortOfItsEndColumnButReachesItsTexture) {
    BLT_TEX_SPANS[10] = BLT_TEX_SPANS[0] = {9999, -9999, 0, 0, 0, 0};
    BLT_TexEdge(0, 0, 3, 10, 0, 0, 5, 10);  // dx 3, dy 10: b = 11 steps
    // x after 10 rows: 10 * ((3 * 65536) / 11) / 65536 = 2, one short of 3.
    const BltTexSpan& s = BLT_TEX_SPANS[10];
    EXPECT_EQ(std::tuple(s.left, s.u_left, s.v_left, BLT_TEX_SPANS[0].left), std::tuple(2, 5 * 256, 10 * 256, 0));
}

// The per-row walk of shallow edges against a step-by-step walk of the same edge.
TEST(TexEdge, ShallowEdgeMatchesAStepByStepWalk) {
    std::mt19937 rng(2);
    static BltTexSpan want[BLT_TEX_ROWS];
    const auto fields = [](const BltTexSpan& s) { return std::tuple(s.left, s.right, s.u_left, s.v_left, s.u_right, s.v_right); };
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
        for (int r = 0; r < BLT_TEX_ROWS; ++r) ASSERT_EQ(fields(BLT_TEX_SPANS[r]), fields(want[r])) << i << " row " << r;
    }
}

TEST_F(TexMap, ShortDestinationsAndHostileCornersStayInside) {
    std::mt19937 rng(9);
    for (int i = 0; i < 2000; ++i) {
        const auto c = canvas::Hostile<8>(rng, 64, 40);
        const auto t = canvas::Hostile<6>(rng, 16, 16);
        const RECT r{int32_t(rng() % 40) - 10, int32_t(rng() % 40) - 10, int32_t(rng() % 60) - 10, int32_t(rng() % 60) - 10};
        BLT_TexQuad(dst.s, c.data(), src.s, &r, int32_t(rng() & 1));
        BLT_TexTriangle(dst.s, c.data(), src.s, t.data(), 0);
    }
    EXPECT_FALSE(dst.s->IsLocked() || src.s->IsLocked());
}
}  // namespace
