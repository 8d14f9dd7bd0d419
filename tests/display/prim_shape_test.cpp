// Shape primitives: worked values, symmetry and distance properties of circles and ellipses,
// pattern anchoring, the rotated bar, and the guard around small surfaces under hostile shapes.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "display/blt_frame.h"
#include "display/prim_shape.h"
#include "tests/display/canvas.h"
#include "tests/support/fixture.h"

using canvas::Canvas;

namespace {

TEST(PrimBox, OutlineIsTheSameForReversedCorners) {
    Canvas<uint16_t> a(30, 20), b(30, 20);
    PRIM_Box16(a.Desc(), 3, 4, 12, 15, 1);
    PRIM_Box16(b.Desc(), 12, 15, 3, 4, 1);
    EXPECT_EQ(a.buf, b.buf);
    EXPECT_EQ(a.At(3, 4), 1);
    EXPECT_EQ(a.At(12, 4), 1);
    EXPECT_EQ(a.At(3, 15), 1);
    EXPECT_EQ(a.At(12, 15), 1);
    EXPECT_EQ(a.At(7, 9), 0);
    EXPECT_EQ(a.Count(1), 2 * 10 + 2 * 10);
}

TEST(PrimBox, FilledBoxClampsAndRefusesReversedCorners) {
    Canvas<uint8_t> c(640, 480, 1);
    PRIM_FillBox(c.Desc(), 10, 10, 5, 20, 1);
    EXPECT_EQ(c.Count(1), 0);
    PRIM_FillBox(c.Desc(), -5, -5, 3, 3, 1);
    EXPECT_EQ(c.Count(1), 16);
    EXPECT_EQ(c.At(0, 0), 1);
    EXPECT_EQ(c.At(3, 3), 1);
    PRIM_FillBox(c.Desc(), 0, 0, 639, 479, 2);
    EXPECT_EQ(c.Count(2), 640 * 480);
    PRIM_FillBox(c.Desc(), -100, -100, 10000, 10000, 3);
    EXPECT_EQ(c.Count(3), 640 * 480);
    EXPECT_TRUE(c.GuardIntact());
}

TEST(PrimCircle, SmallRadiiWorkedValues) {
    Canvas<uint32_t> c(9, 9);
    PRIM_Circle32(c.Desc(), 4, 4, 0, 1);
    EXPECT_EQ(c.Count(1), 1);
    EXPECT_EQ(c.At(4, 4), 1u);
    c.Clear(0);
    PRIM_Circle32(c.Desc(), 4, 4, 1, 1);
    EXPECT_EQ(c.Count(1), 8);
    EXPECT_EQ(c.At(4, 4), 0u);
    c.Clear(0);
    PRIM_Disc32(c.Desc(), 4, 4, 1, 1);
    EXPECT_EQ(c.Count(1), 9);
    for (int y = 3; y <= 5; ++y)
        for (int x = 3; x <= 5; ++x) EXPECT_EQ(c.At(x, y), 1u);
    c.Clear(0);
    PRIM_Circle32(c.Desc(), 4, 4, -1, 1);
    PRIM_Disc32(c.Desc(), 4, 4, -3, 1);
    EXPECT_EQ(c.Count(1), 0);
}

// Pixels of an outline lie within a pixel of the radius; the set is symmetric in both axes and the diagonal.
TEST(PrimCircle, OutlineAndDiscProperties) {
    for (int r = 0; r <= 30; ++r) {
        Canvas<uint16_t> o(71, 71), f(71, 71);
        PRIM_Circle16(o.Desc(), 35, 35, r, 1);
        PRIM_Disc16(f.Desc(), 35, 35, r, 1);
        for (int y = 0; y < 71; ++y)
            for (int x = 0; x < 71; ++x) {
                const int dx = x - 35, dy = y - 35;
                const double dist = std::sqrt(double(dx * dx + dy * dy));
                // The stepping starts its error term at r, which puts the outline half a pixel out.
                if (o.At(x, y)) {
                    EXPECT_GE(dist, r - 1.0) << "r=" << r;
                    EXPECT_LE(dist, r + 1.5) << "r=" << r;
                }
                EXPECT_EQ(o.At(x, y), o.At(70 - x, y));
                EXPECT_EQ(o.At(x, y), o.At(x, 70 - y));
                EXPECT_EQ(o.At(x, y), o.At(y, x));
                // The disc holds every pixel inside the outline and nothing beyond it.
                if (dist <= r - 1) EXPECT_EQ(f.At(x, y), 1) << "r=" << r;
                if (dist > r + 1.5) EXPECT_EQ(f.At(x, y), 0) << "r=" << r;
                if (o.At(x, y)) EXPECT_EQ(f.At(x, y), 1) << "r=" << r << " " << x << "," << y;
            }
    }
}

TEST(PrimCircle, PartlyOutsideDrawsOnlyInsidePixels) {
    Canvas<uint16_t> part(20, 20, 30), whole(80, 80);
    PRIM_Circle16(part.Desc(), 2, 3, 25, 1);
    PRIM_Circle16(whole.Desc(), 32, 33, 25, 1);  // the same circle 30 pixels further in
    PRIM_Disc16(part.Desc(), 18, 1, 25, 2);
    EXPECT_TRUE(part.GuardIntact());
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x)
            if (part.At(x, y) != 2) EXPECT_EQ(part.At(x, y), whole.At(x + 30, y + 30));
}

TEST(PrimEllipse, EqualRadiiAreCircles) {
    for (int r = 0; r <= 20; ++r) {
        Canvas<uint8_t> e(45, 45), c(45, 45), fe(45, 45), d(45, 45);
        PRIM_Ellipse8(e.Desc(), 22, 22, r, r, 1);
        PRIM_Circle8(c.Desc(), 22, 22, r, 1);
        PRIM_FillEllipse8(fe.Desc(), 22, 22, r, r, 1);
        PRIM_Disc8(d.Desc(), 22, 22, r, 1);
        EXPECT_EQ(e.buf, c.buf) << r;
        EXPECT_EQ(fe.buf, d.buf) << r;
    }
}

TEST(PrimEllipse, DegenerateRadii) {
    Canvas<uint16_t> c(21, 21);
    PRIM_Ellipse16(c.Desc(), 10, 10, 0, 0, 1);
    PRIM_FillEllipse16(c.Desc(), 10, 10, 0, 0, 2);
    EXPECT_EQ(c.Count(2), 1);
    EXPECT_EQ(c.At(10, 10), 2);
    c.Clear(0);
    PRIM_Ellipse16(c.Desc(), 10, 10, -1, 5, 1);
    PRIM_Ellipse16(c.Desc(), 10, 10, 5, -1, 1);
    PRIM_FillEllipse16(c.Desc(), 10, 10, -4, -4, 1);
    EXPECT_EQ(c.Count(1), 0);
    // A zero smaller radius flattens the ellipse into a line of the larger diameter.
    PRIM_Ellipse16(c.Desc(), 10, 10, 0, 6, 1);
    EXPECT_EQ(c.Count(1), 13);
    for (int y = 4; y <= 16; ++y) EXPECT_EQ(c.At(10, y), 1);
    c.Clear(0);
    PRIM_FillEllipse16(c.Desc(), 10, 10, 7, 0, 1);
    EXPECT_EQ(c.Count(1), 15);
}

TEST(PrimEllipse, StaysInItsBoxAndIsSymmetric) {
    const int radii[][2] = {{9, 4}, {4, 9}, {15, 1}, {1, 15}, {12, 11}, {3, 14}};
    for (auto [rx, ry] : radii) {
        Canvas<uint32_t> o(41, 41), f(41, 41);
        PRIM_Ellipse32(o.Desc(), 20, 20, rx, ry, 1);
        PRIM_FillEllipse32(f.Desc(), 20, 20, rx, ry, 1);
        for (int y = 0; y < 41; ++y)
            for (int x = 0; x < 41; ++x) {
                if (o.At(x, y) || f.At(x, y)) {
                    EXPECT_LE(std::abs(x - 20), rx);
                    EXPECT_LE(std::abs(y - 20), ry);
                }
                EXPECT_EQ(o.At(x, y), o.At(40 - x, y));
                EXPECT_EQ(f.At(x, y), f.At(x, 40 - y));
                if (o.At(x, y)) EXPECT_EQ(f.At(x, y), 1u) << rx << "x" << ry << " at " << x << "," << y;
            }
        // The extremes of both axes are reached.
        EXPECT_EQ(o.At(20 + rx, 20), 1u);
        EXPECT_EQ(o.At(20, 20 - ry), 1u);
    }
}

TEST(PrimPattern, AnchoredAtTheClippedCornerWithOptionalSkip) {
    const uint8_t first_column[8] = {0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80};
    Canvas<uint16_t> c(32, 10);
    PRIM_PatternBox16(c.Desc(), 0, 0, 31, 9, 5, 0, first_column);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 32; ++x) EXPECT_EQ(c.At(x, y), (x % 8 == 0) ? 5 : 0);

    // Cut on the left: the pattern starts again at the first visible pixel.
    c.Clear(0);
    PRIM_PatternBox16(c.Desc(), -3, -2, 31, 9, 5, 0, first_column);
    EXPECT_EQ(c.At(0, 0), 5);
    EXPECT_EQ(c.At(3, 0), 0);

    // Skip: pixels holding 0 keep their value.
    const uint8_t all[8] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    c.Clear(0);
    c.At(4, 4) = 7;
    PRIM_PatternBox16(c.Desc(), 0, 0, 31, 9, 5, 1, all);
    EXPECT_EQ(c.Count(5), 1);
    EXPECT_EQ(c.At(4, 4), 5);

    // Rows take the pattern's bytes in turn, after byte 7 byte 0 again.
    const uint8_t rows[8] = {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01};
    c.Clear(0);
    PRIM_PatternBox16(c.Desc(), 0, 0, 7, 9, 5, 0, rows);
    for (int y = 0; y < 10; ++y) EXPECT_EQ(c.At(y % 8, y), 5);
    EXPECT_EQ(c.Count(5), 10);
    EXPECT_TRUE(c.GuardIntact());
}

struct RotBar : ::testing::Test {
    support::HeadlessDisplay display;
    DDSurface* s = nullptr;
    void SetUp() override {
        ASSERT_TRUE(display.ok);
        s = canvas::MakeDepthSurface(64, 48, 8);
        ASSERT_TRUE(s);
    }
    void TearDown() override {
        if (s) s->Release();
    }
    uint8_t At(int x, int y) { return canvas::RowOf(s, y)[x]; }
    int Count() {
        int n = 0;
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 64; ++x) n += At(x, y) != 0;
        return n;
    }
};

TEST_F(RotBar, UnturnedBarIsShadedAcrossItsLength) {
    // 270 leaves the bar's axis pointing right: rows 8..11 from x 10 to 30.
    PRIM_RotBox(s, 10, 10, 5, 20, 270, 100);
    EXPECT_EQ(Count(), 4 * 21);
    for (int y = 8; y <= 11; ++y) {
        EXPECT_EQ(At(10, y), 100);
        EXPECT_EQ(At(11, y), 101);
        EXPECT_EQ(At(17, y), 107);
        EXPECT_EQ(At(23, y), 107);
        EXPECT_EQ(At(24, y), 107);
        EXPECT_EQ(At(25, y), 106);
        EXPECT_EQ(At(30, y), 101);
    }
    EXPECT_EQ(At(20, 12), 0);
}

TEST_F(RotBar, ThinBarPointingDownIsOnePixelWide) {
    PRIM_RotBox(s, 5, 3, 1, 6, 0, 40);  // h = 0; angle 0 points down
    EXPECT_EQ(Count(), 6);
    for (int y = 3; y < 9; ++y) EXPECT_EQ(At(5, y), 40);  // one pixel a row keeps the colour
}

TEST_F(RotBar, EveryQuarterDrawsItsBar) {
    for (int angle : {10, 45, 100, 170, 200, 260, 280, 350, -30, 725}) {
        BLT_FillRect(s, nullptr, 0);
        PRIM_RotBox(s, 32, 24, 6, 15, angle, 50);
        // Area near thickness x length, every pixel within the turned rectangle (axis at angle + 90).
        EXPECT_GT(Count(), 60) << angle;
        EXPECT_LT(Count(), 130) << angle;
        const double t = angle * 3.14159265358979 / 180, ax = -std::sin(t), ay = std::cos(t);
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 64; ++x) {
                if (!At(x, y)) continue;
                const double along = (x - 32) * ax + (y - 24) * ay, across = -(x - 32) * ay + (y - 24) * ax;
                EXPECT_GE(along, -2.0) << angle;
                EXPECT_LE(along, 17.0) << angle;
                EXPECT_LE(std::abs(across), 4.5) << angle;
                EXPECT_GE(At(x, y), 50) << angle;
                EXPECT_LE(At(x, y), 57) << angle;
            }
    }
}

TEST_F(RotBar, RowsBeyondTheSurfaceAreNotDrawn) {
    PRIM_RotBox(s, 30, 40, 10, 400, 0, 1);  // runs far below the 48 rows
    PRIM_RotBox(s, 30, -300, 10, 400, 0, 1);
    PRIM_RotBox(s, -2000000000, 10, 2000000000, 2000000000, 123, 1);
    EXPECT_GT(Count(), 0);
    EXPECT_FALSE(s->IsLocked());
}

TEST(PrimShapes, HostileShapesKeepToSmallSurfaces) {
    std::mt19937 rng(3);
    Canvas<uint16_t> c(13, 7, 16);
    const int32_t big[] = {INT32_MIN, -1000000, -20, -1, 0, 6, 7, 12, 13, 30, 1000000, INT32_MAX};
    const uint8_t pattern[8] = {0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55};
    for (int i = 0; i < 3000; ++i) {
        int32_t v[4];
        for (int32_t& k : v) k = (rng() & 1) ? big[rng() % std::size(big)] : int32_t(rng() % 60) - 25;
        const int32_t r1 = int32_t(rng() % 200) - 20, r2 = int32_t(rng() % 200) - 20;
        PRIM_Box(c.Desc(), v[0], v[1], v[2], v[3], 1);
        PRIM_FillBox(c.Desc(), v[0], v[1], v[2], v[3], 2);
        PRIM_PatternBox(c.Desc(), v[0], v[1], v[2], v[3], 3, 1, pattern);
        PRIM_Circle(c.Desc(), v[0], v[1], r1, 4);
        PRIM_Disc(c.Desc(), v[2], v[3], r2, 5);
        PRIM_Ellipse(c.Desc(), v[1], v[2], r1, r2, 6);
        PRIM_FillEllipse(c.Desc(), v[3], v[0], r2, r1, 7);
    }
    EXPECT_TRUE(c.GuardIntact());
}
}  // namespace
