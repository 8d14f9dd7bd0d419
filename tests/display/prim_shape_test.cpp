// Shape primitives: worked values, symmetry and distance properties of circles and ellipses,
// pattern anchoring, the rotated bar's quarters and shading, and the guard around small surfaces
// under hostile shapes.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "display/blt_frame.h"
#include "display/prim_shape.h"
#include "tests/display/canvas.h"
#include "tests/support/fixture.h"

using canvas::Canvas;

namespace {

TEST(PrimBox, OutlineAndFilledBoxWorkedValues) {
    Canvas<uint16_t> a(30, 20), b(30, 20);
    PRIM_Box16(a.Desc(), 3, 4, 12, 15, 1);
    PRIM_Box16(b.Desc(), 12, 15, 3, 4, 1);  // reversed corners: the same outline
    EXPECT_EQ(a.buf, b.buf);
    for (auto [x, y] : {std::pair{3, 4}, {12, 4}, {3, 15}, {12, 15}}) EXPECT_EQ(a.At(x, y), 1);
    EXPECT_EQ(a.Count(1), 2 * 10 + 2 * 10);

    Canvas<uint8_t> c(640, 480, 1);
    PRIM_FillBox(c.Desc(), 10, 10, 5, 20, 1);  // reversed: nothing
    EXPECT_EQ(c.Count(1), 0);
    PRIM_FillBox(c.Desc(), -5, -5, 3, 3, 1);
    EXPECT_EQ(c.Count(1), 16);
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
    PRIM_Circle32(c.Desc(), 4, 4, 1, 1);  // the 8 pixels around the centre
    EXPECT_EQ(c.Count(1), 8);
    EXPECT_EQ(c.At(4, 4), 0u);
    c.Clear(0);
    PRIM_Disc32(c.Desc(), 4, 4, 1, 1);  // a 3 x 3 square
    EXPECT_EQ(c.Count(1), 9);
    EXPECT_EQ(c.At(3, 3), 1u);
    EXPECT_EQ(c.At(5, 5), 1u);
    c.Clear(0);
    PRIM_Circle32(c.Desc(), 4, 4, -1, 1);
    PRIM_Disc32(c.Desc(), 4, 4, -3, 1);
    EXPECT_EQ(c.Count(1), 0);
}

// Outline pixels lie near the radius, symmetric in both axes and the diagonal; the disc holds the
// outline and everything inside it; equal radii make the ellipses these circles.
TEST(PrimCircle, OutlineDiscAndRoundEllipseProperties) {
    for (int r = 0; r <= 30; ++r) {
        Canvas<uint16_t> o(71, 71), f(71, 71), e(71, 71), fe(71, 71);
        PRIM_Circle16(o.Desc(), 35, 35, r, 1);
        PRIM_Disc16(f.Desc(), 35, 35, r, 1);
        PRIM_Ellipse16(e.Desc(), 35, 35, r, r, 1);
        PRIM_FillEllipse16(fe.Desc(), 35, 35, r, r, 1);
        EXPECT_EQ(e.buf, o.buf) << r;
        EXPECT_EQ(fe.buf, f.buf) << r;
        for (int y = 0; y < 71; ++y)
            for (int x = 0; x < 71; ++x) {
                const double dist = std::hypot(x - 35, y - 35);
                // The stepping starts its error term at r, which puts the outline half a pixel out.
                if (o.At(x, y)) {
                    ASSERT_TRUE(dist >= r - 1.0 && dist <= r + 1.5) << "r=" << r;
                    ASSERT_EQ(f.At(x, y), 1) << "r=" << r;
                }
                ASSERT_EQ(o.At(x, y), o.At(70 - x, y));
                ASSERT_EQ(o.At(x, y), o.At(x, 70 - y));
                ASSERT_EQ(o.At(x, y), o.At(y, x));
                if (dist <= r - 1) { ASSERT_EQ(f.At(x, y), 1) << "r=" << r; }
                if (dist > r + 1.5) { ASSERT_EQ(f.At(x, y), 0) << "r=" << r; }
            }
    }
    // Partly outside: only the inside pixels, the same as those of the circle further in.
    Canvas<uint16_t> part(20, 20, 30), whole(80, 80);
    PRIM_Circle16(part.Desc(), 2, 3, 25, 1);
    PRIM_Circle16(whole.Desc(), 32, 33, 25, 1);
    EXPECT_TRUE(part.GuardIntact());
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x) ASSERT_EQ(part.At(x, y), whole.At(x + 30, y + 30));
}

TEST(PrimEllipse, DegenerateRadii) {
    Canvas<uint16_t> c(21, 21);
    PRIM_Ellipse16(c.Desc(), 10, 10, 0, 0, 1);  // zero larger radius: the centre
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
    EXPECT_EQ(c.At(10, 4), 1);
    EXPECT_EQ(c.At(10, 16), 1);
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
                if (o.At(x, y) || f.At(x, y)) { ASSERT_TRUE(std::abs(x - 20) <= rx && std::abs(y - 20) <= ry); }
                ASSERT_EQ(o.At(x, y), o.At(40 - x, y));
                ASSERT_EQ(f.At(x, y), f.At(x, 40 - y));
                if (o.At(x, y)) { ASSERT_EQ(f.At(x, y), 1u) << rx << "x" << ry << " at " << x << "," << y; }
            }
        EXPECT_EQ(o.At(20 + rx, 20), 1u);  // the extremes of both axes are reached
        EXPECT_EQ(o.At(20, 20 - ry), 1u);
    }
}

// The 16-bit filled ellipse skips a cap row whose scaled row repeats; the other depths draw it, so
// their caps are wider where a later, wider span falls on the same row.
TEST(PrimEllipse, CapRowTestIsThe16BitMembersOwn) {
    Canvas<uint8_t> c8(23, 11);
    Canvas<uint16_t> c16(23, 11);
    Canvas<uint32_t> c32(23, 11);
    PRIM_FillEllipse8(c8.Desc(), 11, 5, 10, 4, 1);
    PRIM_FillEllipse16(c16.Desc(), 11, 5, 10, 4, 1);
    PRIM_FillEllipse32(c32.Desc(), 11, 5, 10, 4, 1);
    EXPECT_EQ(c16.Count(1), 145);
    EXPECT_EQ(c32.Count(1), 149);
    for (auto [x, y] : {std::pair{4, 2}, {18, 2}, {4, 8}, {18, 8}}) {
        EXPECT_EQ(c16.At(x, y), 0);
        EXPECT_EQ(c32.At(x, y), 1u);
    }
    for (int i = 0; i < 23 * 11; ++i) {
        EXPECT_EQ(c8.At(i % 23, i / 23), c32.At(i % 23, i / 23));
        if (c16.At(i % 23, i / 23)) { EXPECT_EQ(c32.At(i % 23, i / 23), 1u); }
    }
}

TEST(PrimPattern, AnchoredAtTheClippedCornerWithOptionalSkip) {
    const uint8_t first_column[8] = {0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80};
    Canvas<uint16_t> c(32, 10);
    PRIM_PatternBox16(c.Desc(), 0, 0, 31, 9, 5, 0, first_column);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 32; ++x) EXPECT_EQ(c.At(x, y), (x % 8 == 0) ? 5 : 0);
    c.Clear(0);
    PRIM_PatternBox16(c.Desc(), -3, -2, 31, 9, 5, 0, first_column);  // starts again at the visible corner
    EXPECT_EQ(c.At(0, 0), 5);
    EXPECT_EQ(c.At(3, 0), 0);

    const uint8_t all[8] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    c.Clear(0);
    c.At(4, 4) = 7;
    PRIM_PatternBox16(c.Desc(), 0, 0, 31, 9, 5, 1, all);  // skip: pixels holding 0 keep it
    EXPECT_EQ(c.Count(5), 1);
    EXPECT_EQ(c.At(4, 4), 5);

    const uint8_t rows[8] = {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01};
    c.Clear(0);
    PRIM_PatternBox16(c.Desc(), 0, 0, 7, 9, 5, 0, rows);  // after byte 7 byte 0 again
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

// The point rotation turns the bar's axis to angle + 90: 0 runs down, 90 left, 180 up, 270 right.
// Each quarter takes its rows from its top corner to its bottom one, the bottom row left out.
TEST_F(RotBar, EachQuarterTakesItsRowsFromTopToBottomCorner) {
    struct Case {
        int angle, x, y, thickness, length, top, rows, left, right;
    } cases[] = {
        {0, 5, 3, 1, 6, 3, 6, 5, 5},         // h = 0: one pixel a row
        {90, 30, 10, 5, 20, 8, 4, 10, 30},   // rows y - h .. y + h - 1
        {180, 5, 20, 1, 6, 14, 6, 5, 5},
        {270, 10, 10, 5, 20, 8, 4, 10, 30},
    };
    for (const Case& k : cases) {
        BLT_FillRect(s, nullptr, 0);
        PRIM_RotBox(s, k.x, k.y, k.thickness, k.length, k.angle, 100);
        const int width = k.right - k.left + 1;
        EXPECT_EQ(Count(), k.rows * width) << k.angle;
        for (int y = k.top; y < k.top + k.rows; ++y) {
            EXPECT_EQ(At(k.left, y), 100) << k.angle;  // unshaded at the first pixel
            EXPECT_EQ(At(k.right, y), width > 1 ? 101 : 100) << k.angle;
        }
    }
    // The shading: up one for each of the first 7 pixels, down one for each of the last 7.
    for (auto [x, v] : {std::pair{11, 101}, {17, 107}, {23, 107}, {24, 107}, {25, 106}}) EXPECT_EQ(At(x, 9), v) << x;
}

TEST_F(RotBar, EveryAngleDrawsItsTurnedRectangle) {
    for (int angle : {10, 45, 100, 170, 200, 260, 280, 350, -30, 725}) {
        BLT_FillRect(s, nullptr, 0);
        PRIM_RotBox(s, 32, 24, 6, 15, angle, 50);
        EXPECT_GT(Count(), 60) << angle;
        EXPECT_LT(Count(), 130) << angle;
        const double t = angle * 3.14159265358979 / 180, ax = -std::sin(t), ay = std::cos(t);
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 64; ++x) {
                if (!At(x, y)) continue;
                const double along = (x - 32) * ax + (y - 24) * ay, across = -(x - 32) * ay + (y - 24) * ax;
                ASSERT_TRUE(along >= -2.0 && along <= 17.0 && std::abs(across) <= 4.5) << angle;
                ASSERT_TRUE(At(x, y) >= 50 && At(x, y) <= 57) << angle;
            }
    }
    PRIM_RotBox(s, 30, 40, 10, 400, 0, 1);  // rows far beyond the surface and the table
    PRIM_RotBox(s, 30, -300, 10, 400, 0, 1);
    PRIM_RotBox(s, -2000000000, 10, 2000000000, 2000000000, 123, 1);
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
