// Shape primitives: worked values, symmetry and distance properties of circles and ellipses,
// pattern anchoring, the rotated bar's quarters and shading, and guards under hostile shapes.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
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
    EXPECT_TRUE(c.Count(1) == 16 && c.At(3, 3) == 1);
    for (auto [x1, y1, x2, y2, v] : {std::array{0, 0, 639, 479, 2}, {-100, -100, 10000, 10000, 3}}) {
        PRIM_FillBox(c.Desc(), x1, y1, x2, y2, v);
        EXPECT_EQ(c.Count(v), 640 * 480) << x1;
    }
    EXPECT_TRUE(c.GuardIntact());
}

// Radius 0: the centre; 1: the 8 pixels around it, or with the disc the 3 x 3 square; negative: nothing.
TEST(PrimCircle, SmallRadiiWorkedValues) {
    const struct { void (*draw)(DDSURFACEDESC2, int32_t, int32_t, int32_t, uint32_t); int r, count, centre; } cases[] = {
        {PRIM_Circle32, 0, 1, 1}, {PRIM_Circle32, 1, 8, 0}, {PRIM_Disc32, 1, 9, 1}, {PRIM_Circle32, -1, 0, 0}, {PRIM_Disc32, -3, 0, 0}};
    for (const auto& k : cases) {
        Canvas<uint32_t> c(9, 9);
        k.draw(c.Desc(), 4, 4, k.r, 1);
        EXPECT_TRUE(c.Count(1) == k.count && c.At(4, 4) == uint32_t(k.centre)) << k.r << " " << c.Count(1);
    }
}

// Outline pixels lie near the radius (the error term starts at r: half a pixel out), symmetric in
// both axes and the diagonal; the disc holds the outline and all inside; equal radii: the same ellipses.
TEST(PrimCircle, OutlineDiscAndRoundEllipseProperties) {
    for (int r = 0; r <= 30; ++r) {
        Canvas<uint16_t> o(71, 71), f(71, 71), e(71, 71), fe(71, 71);
        PRIM_Circle16(o.Desc(), 35, 35, r, 1), PRIM_Disc16(f.Desc(), 35, 35, r, 1);
        PRIM_Ellipse16(e.Desc(), 35, 35, r, r, 1), PRIM_FillEllipse16(fe.Desc(), 35, 35, r, r, 1);
        EXPECT_TRUE(e.buf == o.buf && fe.buf == f.buf) << r;
        for (int y = 0; y < 71; ++y)
            for (int x = 0; x < 71; ++x) {
                const double dist = std::hypot(x - 35, y - 35);
                if (o.At(x, y)) { ASSERT_TRUE(dist >= r - 1.0 && dist <= r + 1.5 && f.At(x, y) == 1) << "r=" << r; }
                ASSERT_TRUE(o.At(x, y) == o.At(70 - x, y) && o.At(x, y) == o.At(x, 70 - y) && o.At(x, y) == o.At(y, x)) << r;
                ASSERT_TRUE((dist > r - 1 || f.At(x, y)) && (dist <= r + 1.5 || !f.At(x, y))) << "r=" << r;
            }
    }
    // Partly outside: only the inside pixels, the same as those of the circle further in.
    Canvas<uint16_t> part(20, 20, 30), whole(80, 80);
    PRIM_Circle16(part.Desc(), 2, 3, 25, 1), PRIM_Circle16(whole.Desc(), 32, 33, 25, 1);
    EXPECT_TRUE(part.GuardIntact());
    for (int i = 0; i < 400; ++i) ASSERT_EQ(part.At(i % 20, i / 20), whole.At(i % 20 + 30, i / 20 + 30));
}

// Zero radii: the centre; zero smaller radius: the larger diameter; one negative radius: the
// ellipse of its absolute value (also against a zero radius); two negative radii: nothing.
TEST(PrimEllipse, DegenerateAndNegativeRadii) {
    Canvas<uint16_t> c(21, 21), want(21, 21);
    PRIM_Ellipse16(c.Desc(), 10, 10, 0, 0, 1), PRIM_FillEllipse16(c.Desc(), 10, 10, 0, 0, 2);
    EXPECT_TRUE(c.Count(2) == 1 && c.At(10, 10) == 2);
    c.Clear(0);
    PRIM_Ellipse16(c.Desc(), 10, 10, 0, 6, 1);
    EXPECT_TRUE(c.Count(1) == 13 && c.At(10, 4) == 1 && c.At(10, 16) == 1);
    c.Clear(0);
    PRIM_FillEllipse16(c.Desc(), 10, 10, 7, 0, 1);
    EXPECT_EQ(c.Count(1), 15);
    for (auto [rx, ry] : {std::pair{-1, 5}, {5, -1}, {-9, 4}, {3, -8}, {0, -6}, {-7, 0}, {-4, -4}, {-2, -9}}) {
        for (bool fill : {false, true}) {
            c.Clear(0), want.Clear(0);
            (fill ? PRIM_FillEllipse16 : PRIM_Ellipse16)(c.Desc(), 10, 10, rx, ry, 1);
            if (rx >= 0 || ry >= 0) (fill ? PRIM_FillEllipse16 : PRIM_Ellipse16)(want.Desc(), 10, 10, std::abs(rx), std::abs(ry), 1);
            EXPECT_TRUE(c.buf == want.buf && (want.Count(1) > 0) == (rx >= 0 || ry >= 0)) << rx << "," << ry << " " << fill;
        }
    }
}

// The ellipse steps as written, every one from the start, each pixel clipped as it is put: the
// reference for shapes whose walk skips the steps that cannot reach the surface.
template <class P>
void ReferenceEllipse(Canvas<P>& c, int64_t cx, int64_t cy, int64_t rx, int64_t ry, bool fill, bool cap16) {
    const auto put = [&](int64_t x, int64_t y) {
        if (x >= 0 && x < c.w && y >= 0 && y < c.h) c.At(int(x), int(y)) = 1;
    };
    const auto span = [&](int64_t a, int64_t b, int64_t y) {
        for (int64_t x = std::max<int64_t>(a, 0); x <= std::min<int64_t>(b, c.w - 1); ++x) put(x, y);
    };
    const bool wide = ry < rx;
    const int64_t R = wide ? rx : ry;
    int64_t x = R, y = 0, d = R, last_cap = -9999;
    while (x >= y) {
        if (fill) {
            const int64_t a = wide ? x : x * rx / ry, b = wide ? y * ry / rx : y;
            span(cx - a, cx + a, cy + b), span(cx - a, cx + a, cy - b);
        } else {
            for (int64_t sx : {-1, 1})
                for (int64_t sy : {-1, 1}) {
                    if (wide) put(cx + sx * x, cy + sy * (y * ry / rx)), put(cx + sx * y, cy + sy * (x * ry / rx));
                    else put(cx + sx * (x * rx / ry), cy + sy * y), put(cx + sx * (y * rx / ry), cy + sy * x);
                }
        }
        d -= 2 * y - 1;
        ++y;
        if (d < 0) {
            if (fill) {
                const int64_t a = wide ? y - 1 : (y - 1) * rx / ry, b = wide ? x * ry / rx : x;
                if (!(wide && cap16 && b == last_cap)) span(cx - a, cx + a, cy + b), span(cx - a, cx + a, cy - b);
                if (wide) last_cap = b;
            }
            d += 2 * x - 2;
            --x;
        }
    }
}

// Large circles, discs and ellipses that cross a small surface, or hold it inside, or pass beside
// it: the steps walked are only those that can reach it, and the pixels drawn are the whole walk's.
TEST(PrimEllipse, LargeShapesDrawWhatTheWholeWalkDraws) {
    // Flat ones too, their narrow ends on the surface: long stretches of steps draw the same places.
    const std::array<int64_t, 4> flat[] = {{2000000, 3, 2000030, 20}, {5, 1500000, 30, -1499990}, {900000, 40, -899980, 60},
                                           {700000, 700, 700010, 47}, {60, 800000, 70, 40 + 800000}};
    std::mt19937 rng(21);
    for (int i = 0; i < 45; ++i) {
        int64_t rx = 500 + rng() % (i < 20 ? 3000 : 150000), ry = i % 4 == 0 ? rx : 500 + rng() % 150000;
        const double t = (rng() % 6283) / 1000.0, out = i % 5 == 4 ? 1.0 + (rng() % 40) / 1000.0 : 1.0;
        int64_t cx = int64_t(rng() % 64) - int64_t(std::llround(rx * std::cos(t) * out));
        int64_t cy = int64_t(rng() % 48) - int64_t(std::llround(ry * std::sin(t) * out));
        if (i >= 40) rx = flat[i - 40][0], ry = flat[i - 40][1], cx = flat[i - 40][2], cy = flat[i - 40][3];
        for (bool fill : {false, true}) {
            Canvas<uint16_t> got16(64, 48, 2), want16(64, 48, 2);
            Canvas<uint32_t> got32(64, 48, 2), want32(64, 48, 2);
            (fill ? PRIM_FillEllipse16 : PRIM_Ellipse16)(got16.Desc(), int32_t(cx), int32_t(cy), int32_t(rx), int32_t(ry), 1);
            (fill ? PRIM_FillEllipse32 : PRIM_Ellipse32)(got32.Desc(), int32_t(cx), int32_t(cy), int32_t(rx), int32_t(ry), 1);
            ReferenceEllipse(want16, cx, cy, rx, ry, fill, true), ReferenceEllipse(want32, cx, cy, rx, ry, fill, false);
            ASSERT_TRUE(got16.buf == want16.buf && got32.buf == want32.buf)
                << rx << "x" << ry << " at " << cx << "," << cy << (fill ? " filled" : "");
            if (rx == ry) {
                Canvas<uint16_t> circle(64, 48, 2);
                (fill ? PRIM_Disc16 : PRIM_Circle16)(circle.Desc(), int32_t(cx), int32_t(cy), int32_t(rx), 1);
                ASSERT_EQ(circle.buf, want16.buf) << rx << " at " << cx << "," << cy;
            }
        }
    }
}

TEST(PrimEllipse, StaysInItsBoxAndIsSymmetric) {
    for (auto [rx, ry] : {std::pair{9, 4}, {4, 9}, {15, 1}, {1, 15}, {12, 11}, {3, 14}}) {
        Canvas<uint32_t> o(41, 41), f(41, 41);
        PRIM_Ellipse32(o.Desc(), 20, 20, rx, ry, 1), PRIM_FillEllipse32(f.Desc(), 20, 20, rx, ry, 1);
        for (int y = 0; y < 41; ++y)
            for (int x = 0; x < 41; ++x) {
                if (o.At(x, y) || f.At(x, y)) { ASSERT_TRUE(std::abs(x - 20) <= rx && std::abs(y - 20) <= ry); }
                ASSERT_TRUE(o.At(x, y) == o.At(40 - x, y) && f.At(x, y) == f.At(x, 40 - y) && (!o.At(x, y) || f.At(x, y)))
                    << rx << "x" << ry << " at " << x << "," << y;
            }
        EXPECT_TRUE(o.At(20 + rx, 20) == 1 && o.At(20, 20 - ry) == 1) << rx << "x" << ry;  // both axes' extremes
    }
}

// The 16-bit filled ellipse skips a cap row whose scaled row repeats; the other depths draw it, so
// their caps are wider where a later, wider span falls on the same row.
TEST(PrimEllipse, CapRowTestIsThe16BitMembersOwn) {
    Canvas<uint8_t> c8(23, 11);
    Canvas<uint16_t> c16(23, 11);
    Canvas<uint32_t> c32(23, 11);
    PRIM_FillEllipse8(c8.Desc(), 11, 5, 10, 4, 1), PRIM_FillEllipse16(c16.Desc(), 11, 5, 10, 4, 1);
    PRIM_FillEllipse32(c32.Desc(), 11, 5, 10, 4, 1);
    EXPECT_TRUE(c16.Count(1) == 145 && c32.Count(1) == 149) << c16.Count(1) << " " << c32.Count(1);
    for (auto [x, y] : {std::pair{4, 2}, {18, 2}, {4, 8}, {18, 8}}) EXPECT_TRUE(c16.At(x, y) == 0 && c32.At(x, y) == 1) << x << "," << y;
    for (int i = 0; i < 23 * 11; ++i) {
        const int x = i % 23, y = i / 23;
        EXPECT_TRUE(c8.At(x, y) == c32.At(x, y) && (!c16.At(x, y) || c32.At(x, y) == 1)) << x << "," << y;
    }
}

// Anchored at the clipped corner; after byte 7 byte 0 again; with skip, pixels holding the surface's
// colour key keep it, at every depth (0 without a key).
TEST(PrimPattern, AnchoredAtTheClippedCornerWithOptionalSkip) {
    const uint8_t first_column[8] = {0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80};
    const uint8_t all[8] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    const uint8_t rows[8] = {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01};
    Canvas<uint16_t> c(32, 10);
    PRIM_PatternBox16(c.Desc(), 0, 0, 31, 9, 5, 0, first_column);
    for (int i = 0; i < 320; ++i) EXPECT_EQ(c.At(i % 32, i / 32), (i % 8 == 0) ? 5 : 0);
    c.Clear(0);
    PRIM_PatternBox16(c.Desc(), -3, -2, 31, 9, 5, 0, first_column);
    EXPECT_TRUE(c.At(0, 0) == 5 && c.At(3, 0) == 0);
    c.Clear(0);
    c.At(4, 4) = 7;
    PRIM_PatternBox16(c.Desc(), 0, 0, 31, 9, 5, 1, all);
    EXPECT_TRUE(c.Count(5) == 1 && c.At(4, 4) == 5);
    c.Clear(0);
    PRIM_PatternBox16(c.Desc(), 0, 0, 7, 9, 5, 0, rows);
    for (int y = 0; y < 10; ++y) EXPECT_EQ(c.At(y % 8, y), 5);
    EXPECT_TRUE(c.Count(5) == 10 && c.GuardIntact());

    support::HeadlessDisplay display;
    ASSERT_TRUE(display.ok);
    for (int bits : {8, 16, 32}) {
        DDSurface* s = canvas::MakeDepthSurface(8, 2, bits);
        ASSERT_TRUE(s);
        const uint32_t key = bits == 8 ? 0x42 : bits == 16 ? 0x8421 : 0x00FEDCBA;
        const DDCOLORKEY k{key, key};
        s->SetColorKey(DDCKEY_SRCBLT, &k);
        std::memcpy(s->Memory() + 1 * (bits / 8), &key, bits / 8);  // (1, 0) holds the key, the rest 0
        PRIM_SurfPatternBox(s, 0, 0, 7, 1, 9, 1, all);
        for (int i = 0; i < 16; ++i) {
            uint32_t v = 0;
            std::memcpy(&v, canvas::RowOf(s, i / 8) + (i % 8) * (bits / 8), bits / 8);
            EXPECT_EQ(v, i == 1 ? key : 9u) << bits << " bits, pixel " << i;
        }
        s->Release();
    }
}

struct RotBar : ::testing::Test {
    support::HeadlessDisplay display;
    canvas::Surface8 bar{64, 48};
    DDSurface* s = bar.s;
    void SetUp() override { ASSERT_TRUE(display.ok && s); }
};

// The point rotation turns the bar's axis to angle + 90: 0 runs down, 90 left, 180 up, 270 right.
// Each quarter takes its rows from its top corner to its bottom one, the bottom row left out;
// thickness 1 (h = 0) is one pixel a row, otherwise rows y - h .. y + h - 1.
TEST_F(RotBar, EachQuarterTakesItsRowsFromTopToBottomCorner) {
    const struct { int angle, x, y, thickness, length, top, rows, left, right; } cases[] = {
        {0, 5, 3, 1, 6, 3, 6, 5, 5}, {90, 30, 10, 5, 20, 8, 4, 10, 30}, {180, 5, 20, 1, 6, 14, 6, 5, 5}, {270, 10, 10, 5, 20, 8, 4, 10, 30}};
    for (const auto& k : cases) {
        BLT_FillRect(s, nullptr, 0);
        PRIM_RotBox(s, k.x, k.y, k.thickness, k.length, k.angle, 100);
        const int width = k.right - k.left + 1;
        EXPECT_EQ(bar.Drawn(), k.rows * width) << k.angle;
        for (int y = k.top; y < k.top + k.rows; ++y)  // unshaded at the first pixel
            EXPECT_TRUE(bar.At(k.left, y) == 100 && bar.At(k.right, y) == (width > 1 ? 101 : 100)) << k.angle << " row " << y;
    }
    // The shading: up one for each of the first 7 pixels, down one for each of the last 7.
    for (auto [x, v] : {std::pair{11, 101}, {17, 107}, {23, 107}, {24, 107}, {25, 106}}) EXPECT_EQ(bar.At(x, 9), v) << x;
}

TEST_F(RotBar, EveryAngleDrawsItsTurnedRectangle) {
    for (int angle : {10, 45, 100, 170, 200, 260, 280, 350, -30, 725}) {
        BLT_FillRect(s, nullptr, 0);
        PRIM_RotBox(s, 32, 24, 6, 15, angle, 50);
        EXPECT_TRUE(bar.Drawn() > 60 && bar.Drawn() < 130) << angle << ": " << bar.Drawn();
        const double t = angle * 3.14159265358979 / 180, ax = -std::sin(t), ay = std::cos(t);
        for (int i = 0; i < 64 * 48; ++i) {
            const int x = i % 64 - 32, y = i / 64 - 24, v = bar.At(x + 32, y + 24);
            const double along = x * ax + y * ay, across = -x * ay + y * ax;
            ASSERT_TRUE(!v || (along >= -2.0 && along <= 17.0 && std::abs(across) <= 4.5 && v >= 50 && v <= 57)) << angle;
        }
    }
    PRIM_RotBox(s, 30, 40, 10, 400, 0, 1), PRIM_RotBox(s, 30, -300, 10, 400, 0, 1);  // rows far beyond surface and table
    PRIM_RotBox(s, -2000000000, 10, 2000000000, 2000000000, 123, 1);
    EXPECT_FALSE(s->IsLocked());
}

// Steep edges coming from far outside the row table: only the rows 0..479 they cross get their x,
// however near the ends of the 32-bit range their corners lie.
TEST(PrimRotEdge, SteepEdgesFromFarAwayMergeOnlyTheRowsTheyCross) {
    const struct {
        int32_t x1, y1, x2, y2;
        int first, last;
    } cases[] = {
        {7, INT32_MIN + 32, 7, INT32_MIN, 0, -1},  // above the table, going further up: no row
        {7, INT32_MIN + 32, 7, 5, 0, 5},
        {3, 500, 3, -2, 0, 479},
        {9, INT32_MAX, 9, 470, 470, 479},
        {9, 470, 9, INT32_MAX, 470, 479},
        {9, INT32_MAX - 4, 9, INT32_MAX, 0, -1},
    };
    for (const auto& k : cases) {
        for (PrimSpan& r : PRIM_SPAN_TABLE) r = {9999, -9999};
        PRIM_RotEdge(k.x1, k.y1, k.x2, k.y2);
        for (int row = 0; row < PRIM_SPAN_ROWS; ++row) {
            const bool in = row >= k.first && row <= k.last;
            EXPECT_EQ(PRIM_SPAN_TABLE[row].left, in ? k.x1 : 9999) << k.y1 << " to " << k.y2 << ", row " << row;
            EXPECT_EQ(PRIM_SPAN_TABLE[row].right, in ? k.x1 : -9999) << k.y1 << " to " << k.y2 << ", row " << row;
        }
    }
}

TEST(PrimShapes, HostileShapesKeepToSmallSurfaces) {
    std::mt19937 rng(3);
    Canvas<uint16_t> c(13, 7, 16);
    const uint8_t pattern[8] = {0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55};
    for (int i = 0; i < 3000; ++i) {
        const auto [x1, y1, x2, y2] = canvas::Hostile(rng, 13, 7);
        const int32_t r1 = int32_t(rng() % 200) - 20, r2 = int32_t(rng() % 200) - 20;
        PRIM_Box(c.Desc(), x1, y1, x2, y2, 1), PRIM_FillBox(c.Desc(), x1, y1, x2, y2, 2);
        PRIM_PatternBox(c.Desc(), x1, y1, x2, y2, 3, 1, pattern);
        PRIM_Circle(c.Desc(), x1, y1, r1, 4), PRIM_Disc(c.Desc(), x2, y2, r2, 5);
        PRIM_Ellipse(c.Desc(), y1, x2, r1, r2, 6), PRIM_FillEllipse(c.Desc(), y2, x1, r2, r1, 7);
    }
    EXPECT_TRUE(c.GuardIntact());
}
}  // namespace
