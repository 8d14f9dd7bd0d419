// Pixel, span and line primitives: clipping at every depth against guards, lock wrappers, depth dispatch.
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <random>
#include <set>
#include <tuple>

#include "display/prim_pixel.h"
#include "tests/display/canvas.h"
#include "tests/support/fixture.h"

using canvas::Canvas;

namespace {

template <class P>
class PrimDepth : public ::testing::Test {};
using Depths = ::testing::Types<uint8_t, uint16_t, uint32_t>;
TYPED_TEST_SUITE(PrimDepth, Depths);

// Each case draws on a cleared 640 x 480 region and names how many pixels it colours and two of them.
TYPED_TEST(PrimDepth, SpansPixelsAndLinesClipToTheSurface) {
    struct Case {
        const char* what;
        void (*draw)(DDSURFACEDESC2, uint32_t);
        int count, x1, y1, x2, y2;
    };
    const Case cases[] = {
        {"span one past the right edge", [](DDSURFACEDESC2 d, uint32_t c) { PRIM_HLine(d, 0, 640, 3, c); }, 640, 0, 3, 639, 3},
        {"reversed span", [](DDSURFACEDESC2 d, uint32_t c) { PRIM_HLine(d, 100, 50, 7, c); }, 51, 50, 7, 100, 7},
        {"reversed column", [](DDSURFACEDESC2 d, uint32_t c) { PRIM_VLine(d, 500, -50, 10, c); }, 480, 10, 0, 10, 479},
        {"spans outside",
         [](DDSURFACEDESC2 d, uint32_t c) {
             for (auto [a, b, at] : {std::tuple{0, 639, -1}, {0, 639, 480}, {-20, -1, 4}, {640, 700, 4}}) PRIM_HLine(d, a, b, at, c);
             for (auto [a, b, at] : {std::tuple{0, 479, -1}, {0, 479, 640}, {-9, -1, 3}, {480, 900, 3}}) PRIM_VLine(d, a, b, at, c);
         },
         0, -1, -1, -1, -1},
        {"line across the row", [](DDSURFACEDESC2 d, uint32_t c) { PRIM_Line(d, -100, 240, 740, 240, c); }, 640, 0, 240, 639, 240},
        {"line down the column", [](DDSURFACEDESC2 d, uint32_t c) { PRIM_Line(d, 10, -50, 10, 600, c); }, 480, 10, 0, 10, 479},
        {"line of one point", [](DDSURFACEDESC2 d, uint32_t c) { PRIM_Line(d, 5, 5, 5, 5, c); }, 1, 5, 5, 5, 5},
        {"line left of the surface", [](DDSURFACEDESC2 d, uint32_t c) { PRIM_Line(d, -5, 10, -1, 300, c); }, 0, -1, -1, -1, -1},
    };
    const TypeParam ink = static_cast<TypeParam>(0x7F);
    for (const Case& k : cases) {
        Canvas<TypeParam> c(640, 480, 2);
        k.draw(c.Desc(), ink);
        EXPECT_EQ(c.Count(ink), k.count) << k.what;
        if (k.x1 >= 0) { EXPECT_EQ(c.At(k.x1, k.y1), ink) << k.what; }
        if (k.x2 >= 0) { EXPECT_EQ(c.At(k.x2, k.y2), ink) << k.what; }
        EXPECT_TRUE(c.GuardIntact()) << k.what;
        if (k.count == 640 * 480) {
            EXPECT_EQ(PRIM_GetPixel(c.Desc(), 639, 479), uint32_t{ink});
            for (auto [x, y] : {std::pair{-1, 0}, {640, 0}, {0, 480}}) EXPECT_EQ(PRIM_GetPixel(c.Desc(), x, y), 0u);
        }
    }
    int32_t x1 = -5, y1 = 10, x2 = -1, y2 = 300;
    EXPECT_EQ(PRIM_ClipLine(Canvas<TypeParam>(64, 40).Desc(), &x1, &y1, &x2, &y2), 0);
}

// Spans of every short length at every start colour exactly their pixels: the wide stores of a
// row and its overlapping last block stay inside the span.
TYPED_TEST(PrimDepth, SpansOfEveryShortLengthColourExactlyTheirPixels) {
    const TypeParam ink = static_cast<TypeParam>(0x5A3C1E7F);
    for (int start = 0; start < 5; ++start)
        for (int len = 1; len <= 40; ++len) {
            Canvas<TypeParam> c(48, 2, 4);
            PRIM_HLine(c.Desc(), start, start + len - 1, 1, ink);
            EXPECT_EQ(c.Count(ink), std::min(len, 48 - start)) << start << "+" << len;
            for (int x = 0; x < 48; ++x) ASSERT_EQ(c.At(x, 1) == ink, x >= start && x < start + len) << start << "+" << len;
            EXPECT_TRUE(c.GuardIntact()) << start << "+" << len;
        }
}

// On the surface: both ends, one pixel per step of the longer axis, every pixel within half a step
// of the ideal line.
TEST(PrimLine, OnSurfaceLinesHaveBothEndsAndOnePixelPerMajorStep) {
    std::mt19937 rng(7);
    Canvas<uint16_t> c(50, 30);
    for (int i = 0; i < 500; ++i) {
        c.Clear(0);
        const int x1 = rng() % 50, y1 = rng() % 30, x2 = rng() % 50, y2 = rng() % 30;
        PRIM_Line16(c.Desc(), x1, y1, x2, y2, 1);
        const int dx = std::abs(x2 - x1), dy = std::abs(y2 - y1);
        ASSERT_TRUE(c.Count(1) == std::max(dx, dy) + 1 && c.At(x1, y1) == 1 && c.At(x2, y2) == 1) << x1 << "," << y1;
        for (int p = 0; p < 50 * 30; ++p) {
            const double off = std::abs(double(p % 50 - x1) * (y2 - y1) - double(p / 50 - y1) * (x2 - x1));
            ASSERT_TRUE(!c.At(p % 50, p / 50) || off <= 0.5 * std::max(dx, dy) + 1e-9) << x1 << "," << y1 << " " << x2 << "," << y2;
        }
    }
    // The error term starts at half the longer extent: (0,0)-(4,1) steps its row after column 2.
    c.Clear(0);
    PRIM_Line16(c.Desc(), 4, 1, 0, 0, 1);
    for (int x = 0; x <= 4; ++x) EXPECT_EQ(c.At(x, x <= 2 ? 0 : 1), 1) << x;
}

// The line drawing of the primitives on unclipped ends, keeping the pixels that land on the surface
// (all of them with w = 0).
std::set<std::pair<int, int>> ReferenceLine(int64_t x1, int64_t y1, int64_t x2, int64_t y2, int w, int h) {
    std::set<std::pair<int, int>> out;
    const bool x_major = std::abs(x2 - x1) > std::abs(y2 - y1);
    int64_t a1 = x_major ? x1 : y1, b1 = x_major ? y1 : x1, a2 = x_major ? x2 : y2, b2 = x_major ? y2 : x2;
    if (a1 > a2) std::swap(a1, a2), std::swap(b1, b2);
    const int64_t major = a2 - a1, minor = std::abs(b2 - b1), step = b2 > b1 ? 1 : -1;
    for (int64_t a = a1, b = b1, e = major >> 1;; ++a) {
        const int64_t x = x_major ? a : b, y = x_major ? b : a;
        if (w == 0 || (x >= 0 && x < w && y >= 0 && y < h)) out.insert({int(x), int(y)});
        if (a == a2) break;
        if ((e -= minor) < 0) e += major, b += step;
    }
    return out;
}

std::set<std::pair<int, int>> Drawn(Canvas<uint16_t>& c) {
    std::set<std::pair<int, int>> out;
    for (int y = 0; y < c.h; ++y)
        for (int x = 0; x < c.w; ++x)
            if (c.At(x, y)) out.insert({x, y});
    return out;
}

// Lines that run along an edge, one row or column from it, with ends far outside: each keeps the
// visible part of its edge row or column (rounding put the clipped end one row past the edge once,
// and the whole line vanished).
TEST(PrimLine, LinesAlongEachEdgeKeepTheirVisiblePixels) {
    Canvas<uint16_t> c(640, 640, 2);
    const std::array<int, 4> lines[] = {{1253, 640, -1426, 638}, {1253, -1, -1426, 1}, {640, 1253, 638, -1426}, {-1, 1253, 1, -1426}};
    for (const auto& [x1, y1, x2, y2] : lines) {
        c.Clear(0);
        PRIM_Line16(c.Desc(), x1, y1, x2, y2, 1);
        const auto drawn = Drawn(c), want = ReferenceLine(x1, y1, x2, y2, 640, 640);
        EXPECT_NEAR(double(drawn.size()), double(want.size()), 2) << x1 << "," << y1;
        EXPECT_GE(drawn.size(), 580u) << x1 << "," << y1;
        for (auto [x, y] : drawn) ASSERT_TRUE(x == 0 || x == 639 || y == 0 || y == 639) << x << "," << y;
        EXPECT_TRUE(c.GuardIntact());
    }
    // 640 x 480, the line the fault was found with: about 584 pixels of the bottom row.
    Canvas<uint16_t> screen(640, 480, 2);
    PRIM_Line16(screen.Desc(), 1253, 480, -1426, 478, 1);
    const auto drawn = Drawn(screen);
    EXPECT_TRUE(drawn.size() == 584u && drawn.begin()->second == 479 && drawn.rbegin()->second == 479) << drawn.size();
}

// Any line with ends around the surface draws the pixels the unclipped line puts on it, give or
// take the rounding of its two clipped ends (each drawn pixel next to one of the whole line's); one
// that passes beside a corner draws nothing.
TEST(PrimLine, ClippedLinesDrawWhatTheWholeLineShows) {
    std::mt19937 rng(13);
    Canvas<uint16_t> c(64, 48, 2);
    for (int i = 0; i < 4000; ++i) {
        const int x1 = int(rng() % 600) - 268, y1 = int(rng() % 600) - 276, x2 = int(rng() % 600) - 268, y2 = int(rng() % 600) - 276;
        c.Clear(0);
        PRIM_Line16(c.Desc(), x1, y1, x2, y2, 1);
        const auto drawn = Drawn(c), want = ReferenceLine(x1, y1, x2, y2, 64, 48), whole = ReferenceLine(x1, y1, x2, y2, 0, 0);
        ASSERT_NEAR(double(drawn.size()), double(want.size()), 2) << x1 << "," << y1 << " " << x2 << "," << y2;
        for (auto [x, y] : drawn) {
            bool near = false;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) near = near || whole.count({x + dx, y + dy});
            ASSERT_TRUE(near) << x1 << "," << y1 << " " << x2 << "," << y2 << " at " << x << "," << y;
        }
    }
    for (const auto& [x1, y1, x2, y2] : {std::array{-10, 5, 5, -10}, {74, 40, 60, 54}, {-20, 40, 5, 60}, {70, -1, 63, -8}}) {
        c.Clear(0);
        PRIM_Line16(c.Desc(), x1, y1, x2, y2, 1);
        EXPECT_EQ(c.Count(1), 0) << x1 << "," << y1;
    }
}

TEST(PrimLine, LinesPastCornersNeverLeaveTheSurface) {
    std::mt19937 rng(11);
    Canvas<uint32_t> c(23, 17, 24);
    for (int i = 0; i < 20000; ++i) {
        const auto [x1, y1, x2, y2] = canvas::Hostile(rng, 23, 17);
        PRIM_Line32(c.Desc(), x1, y1, x2, y2, 0xFFFFFFFF);
    }
    EXPECT_TRUE(c.GuardIntact());
    // Lines that graze a corner from outside: the clip leaves ends outside, nothing is written there.
    Canvas<uint16_t> d(10, 10, 12);
    for (auto [x1, y1, x2, y2] : {std::array{-10, 5, 5, -10}, {19, 5, 4, 20}, {-3, 8, 8, -3}}) PRIM_Line16(d.Desc(), x1, y1, x2, y2, 3);
    EXPECT_TRUE(d.GuardIntact());
}

TEST(PrimSurface, LockWrappersDispatchAndRefuseWiderPixels) {
    support::HeadlessDisplay display;
    ASSERT_TRUE(display.ok);
    DDSurface* s16 = support::MakeSurface(640, 8);
    DDSurface* s32 = canvas::MakeDepthSurface(20, 8, 32);
    DDSurface* s8 = canvas::MakeDepthSurface(20, 8, 8);
    ASSERT_TRUE(s16 && s32 && s8);
    PRIM_SurfHLine16(s16, 0, 640, 2, 0x1234);
    EXPECT_EQ(PRIM_SurfGetPixel(s16, 639, 2), 0x1234u);
    PRIM_SurfLine(s32, 0, 0, 19, 0, 0xDEADBEEF);  // the dispatcher picks 32 bits
    EXPECT_EQ(PRIM_SurfGetPixel(s32, 19, 0), 0xDEADBEEFu);
    PRIM_SurfVLine8(s8, 0, 7, 3, 0x1FF);  // low byte only
    PRIM_SurfPutPixel8(s16, 1, 3, 0xAB);  // a narrower worker draws its bytes
    EXPECT_TRUE(canvas::RowOf(s8, 7)[3] == 0xFF && canvas::RowOf(s16, 3)[1] == 0xAB);
    headless::ClearDebugOutput();
    PRIM_SurfHLine32(s16, 0, 639, 5, 0xFFFFFFFF);  // would write twice the row
    for (int x = 0; x < 640; ++x) ASSERT_TRUE(support::PixelAt(s16, x, 2) == 0x1234 && support::PixelAt(s16, x, 5) == 0) << x;
    EXPECT_FALSE(headless::DebugOutput().empty());
    headless::FailCall("DDSurface.Lock");
    PRIM_SurfPutPixel16(s16, 1, 1, 7);
    headless::FailCall("DDSurface.Lock");
    EXPECT_EQ(PRIM_SurfGetPixel(s16, 639, 2), 0u);
    EXPECT_TRUE(support::PixelAt(s16, 1, 1) == 0 && !s16->IsLocked());
    DD_ReleaseSurface(s16);
    for (DDSurface* s : {s32, s8}) s->Release();
    // Depths other than 8, 16 and 32 draw nothing.
    Canvas<uint32_t> c(8, 8);
    DDSURFACEDESC2 d = c.Desc();
    d.ddpfPixelFormat.dwRGBBitCount = 24;
    PRIM_PutPixel(d, 1, 1, 5), PRIM_HLine(d, 0, 7, 2, 5), PRIM_VLine(d, 0, 7, 2, 5), PRIM_Line(d, 0, 0, 7, 7, 5);
    EXPECT_TRUE(c.Count(5) == 0 && PRIM_GetPixel(d, 1, 1) == 0);
}
}  // namespace
