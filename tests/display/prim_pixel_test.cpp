// Pixel, span and line primitives: clipping at every depth, the guard around the surface, the
// lock wrappers and the depth dispatch.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "display/prim_pixel.h"
#include "tests/display/canvas.h"
#include "tests/support/fixture.h"

using canvas::Canvas;

namespace {

template <class P>
class PrimDepth : public ::testing::Test {};
using Depths = ::testing::Types<uint8_t, uint16_t, uint32_t>;
TYPED_TEST_SUITE(PrimDepth, Depths);

TYPED_TEST(PrimDepth, SpansClipToTheSurfaceAndTakeEitherOrder) {
    Canvas<TypeParam> c(64, 40);
    const TypeParam ink = static_cast<TypeParam>(0x7F);
    PRIM_HLine(c.Desc(), 0, 64, 3, ink);  // one past the right edge
    EXPECT_EQ(c.Count(ink), 64);
    EXPECT_EQ(c.At(63, 3), ink);
    c.Clear(0);
    PRIM_HLine(c.Desc(), 0, 0, 5, ink);
    EXPECT_EQ(c.Count(ink), 1);
    EXPECT_EQ(c.At(0, 5), ink);
    c.Clear(0);
    PRIM_HLine(c.Desc(), 40, 20, 7, ink);  // reversed ends
    EXPECT_EQ(c.Count(ink), 21);
    EXPECT_EQ(c.At(20, 7), ink);
    EXPECT_EQ(c.At(40, 7), ink);
    c.Clear(0);
    PRIM_HLine(c.Desc(), 0, 63, -1, ink);
    PRIM_HLine(c.Desc(), 0, 63, 40, ink);
    PRIM_HLine(c.Desc(), -20, -1, 4, ink);
    PRIM_HLine(c.Desc(), 64, 100, 4, ink);
    PRIM_VLine(c.Desc(), 0, 39, -1, ink);
    PRIM_VLine(c.Desc(), 0, 39, 64, ink);
    PRIM_VLine(c.Desc(), -9, -1, 3, ink);
    PRIM_VLine(c.Desc(), 40, 90, 3, ink);
    EXPECT_EQ(c.Count(ink), 0);
    PRIM_VLine(c.Desc(), 50, -50, 10, ink);
    EXPECT_EQ(c.Count(ink), 40);
    EXPECT_TRUE(c.GuardIntact());
}

TYPED_TEST(PrimDepth, PixelsOutsideAreNeitherWrittenNorRead) {
    Canvas<TypeParam> c(16, 12);
    const TypeParam ink = static_cast<TypeParam>(0x5A);
    for (int y = -2; y <= 13; ++y)
        for (int x = -2; x <= 17; ++x) PRIM_PutPixel(c.Desc(), x, y, ink);
    EXPECT_EQ(c.Count(ink), 16 * 12);
    EXPECT_TRUE(c.GuardIntact());
    EXPECT_EQ(PRIM_GetPixel(c.Desc(), -1, 0), 0u);
    EXPECT_EQ(PRIM_GetPixel(c.Desc(), 16, 0), 0u);
    EXPECT_EQ(PRIM_GetPixel(c.Desc(), 0, 12), 0u);
    EXPECT_EQ(PRIM_GetPixel(c.Desc(), 15, 11), uint32_t{ink});
}

TYPED_TEST(PrimDepth, LinesFollowTheWorkedExamples) {
    Canvas<TypeParam> c(640, 480, 2);
    const TypeParam ink = 9;
    PRIM_Line(c.Desc(), -100, 240, 740, 240, ink);
    EXPECT_EQ(c.Count(ink), 640);
    EXPECT_EQ(c.At(0, 240), ink);
    EXPECT_EQ(c.At(639, 240), ink);
    c.Clear(0);
    PRIM_Line(c.Desc(), 10, -50, 10, 600, ink);
    EXPECT_EQ(c.Count(ink), 480);
    EXPECT_EQ(c.At(10, 0), ink);
    EXPECT_EQ(c.At(10, 479), ink);
    c.Clear(0);
    PRIM_Line(c.Desc(), 5, 5, 5, 5, ink);
    EXPECT_EQ(c.Count(ink), 1);
    EXPECT_EQ(c.At(5, 5), ink);
    c.Clear(0);
    int32_t x1 = -5, y1 = 10, x2 = -1, y2 = 300;
    EXPECT_EQ(PRIM_ClipLine(c.Desc(), &x1, &y1, &x2, &y2), 0);
    PRIM_Line(c.Desc(), -5, 10, -1, 300, ink);
    EXPECT_EQ(c.Count(ink), 0);
    EXPECT_TRUE(c.GuardIntact());
}

TEST(PrimLine, OnSurfaceLinesHaveBothEndsAndOnePixelPerMajorStep) {
    std::mt19937 rng(7);
    Canvas<uint16_t> c(50, 30);
    for (int i = 0; i < 500; ++i) {
        c.Clear(0);
        const int x1 = rng() % 50, y1 = rng() % 30, x2 = rng() % 50, y2 = rng() % 30;
        PRIM_Line16(c.Desc(), x1, y1, x2, y2, 1);
        const int dx = std::abs(x2 - x1), dy = std::abs(y2 - y1);
        EXPECT_EQ(c.Count(1), std::max(dx, dy) + 1);
        EXPECT_EQ(c.At(x1, y1), 1);
        EXPECT_EQ(c.At(x2, y2), 1);
        // Every pixel lies within half a step of the ideal line.
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 50; ++x) {
                if (c.At(x, y) != 1) continue;
                const double cross = std::abs(double(x - x1) * (y2 - y1) - double(y - y1) * (x2 - x1));
                EXPECT_LE(cross, 0.5 * std::max(dx, dy) + 1e-9) << x1 << "," << y1 << " " << x2 << "," << y2;
            }
    }
}

TEST(PrimLine, LinesPastCornersNeverLeaveTheSurface) {
    std::mt19937 rng(11);
    Canvas<uint32_t> c(23, 17, 24);
    const int32_t extremes[] = {INT32_MIN, INT32_MIN + 1, -1000000, -30, -2, -1, 0, 1, 16, 17, 22, 23, 24, 40,
                                1000000, INT32_MAX - 1, INT32_MAX};
    for (int i = 0; i < 20000; ++i) {
        int32_t v[4];
        for (int32_t& k : v) k = (rng() & 1) ? extremes[rng() % std::size(extremes)] : int32_t(rng() % 80) - 30;
        PRIM_Line32(c.Desc(), v[0], v[1], v[2], v[3], 0xFFFFFFFF);
    }
    EXPECT_TRUE(c.GuardIntact());
    // A line that grazes the corner from outside: the clip leaves ends outside, nothing is written there.
    Canvas<uint16_t> d(10, 10, 12);
    PRIM_Line16(d.Desc(), -10, 5, 5, -10, 3);
    PRIM_Line16(d.Desc(), 19, 5, 4, 20, 3);
    PRIM_Line16(d.Desc(), -3, 8, 8, -3, 3);
    EXPECT_TRUE(d.GuardIntact());
}

struct SurfaceDepths : ::testing::Test {
    support::HeadlessDisplay display;
};

TEST_F(SurfaceDepths, LockWrappersDrawOnTheirDepthAndRefuseOthers) {
    ASSERT_TRUE(display.ok);
    DDSurface* s16 = support::MakeSurface(640, 8);
    DDSurface* s32 = canvas::MakeDepthSurface(20, 8, 32);
    DDSurface* s8 = canvas::MakeDepthSurface(20, 8, 8);
    ASSERT_TRUE(s16 && s32 && s8);

    PRIM_SurfHLine16(s16, 0, 640, 2, 0x1234);
    for (int x = 0; x < 640; ++x) ASSERT_EQ(support::PixelAt(s16, x, 2), 0x1234);
    EXPECT_EQ(PRIM_SurfGetPixel(s16, 639, 2), 0x1234u);

    PRIM_SurfLine(s32, 0, 0, 19, 0, 0xDEADBEEF);  // dispatcher picks 32 bits
    EXPECT_EQ(PRIM_SurfGetPixel(s32, 19, 0), 0xDEADBEEFu);
    PRIM_SurfVLine8(s8, 0, 7, 3, 0x1FF);  // low byte only
    EXPECT_EQ(canvas::RowOf(s8, 7)[3], 0xFF);

    headless::ClearDebugOutput();
    PRIM_SurfHLine32(s16, 0, 639, 5, 0xFFFFFFFF);  // would write twice the row
    for (int x = 0; x < 640; ++x) ASSERT_EQ(support::PixelAt(s16, x, 5), 0);
    EXPECT_FALSE(headless::DebugOutput().empty());
    EXPECT_FALSE(s16->IsLocked());

    headless::FailCall("DDSurface.Lock");
    PRIM_SurfPutPixel16(s16, 1, 1, 7);
    EXPECT_EQ(support::PixelAt(s16, 1, 1), 0);
    headless::FailCall("DDSurface.Lock");
    EXPECT_EQ(PRIM_SurfGetPixel(s16, 639, 2), 0u);
    EXPECT_FALSE(s16->IsLocked());

    DD_ReleaseSurface(s16);
    s32->Release();
    s8->Release();
}

TEST(PrimDispatch, OtherDepthsDrawNothing) {
    Canvas<uint32_t> c(8, 8);
    DDSURFACEDESC2 d = c.Desc();
    d.ddpfPixelFormat.dwRGBBitCount = 24;
    PRIM_PutPixel(d, 1, 1, 5);
    PRIM_HLine(d, 0, 7, 2, 5);
    PRIM_VLine(d, 0, 7, 2, 5);
    PRIM_Line(d, 0, 0, 7, 7, 5);
    EXPECT_EQ(c.Count(5), 0);
    EXPECT_EQ(PRIM_GetPixel(d, 1, 1), 0u);
}
}  // namespace
