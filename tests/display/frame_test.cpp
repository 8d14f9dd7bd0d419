// The blit frame: clipping rules, mirrored and stretched walks, hardware blits, screen door.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <random>

#include "display/blt_frame.h"
#include "display/dd_display.h"
#include "tests/support/fixture.h"

namespace {
DDSURFACEDESC2 Desc(int w, int h) {
    DDSURFACEDESC2 d{};
    d.dwSize = DDSD_SIZE;
    d.dwWidth = static_cast<uint32_t>(w);
    d.dwHeight = static_cast<uint32_t>(h);
    return d;
}

// A w x h surface whose pixel (x, y) is 1 + x + 100 * y (never 0, so keys do not interfere).
DDSurface* Numbered(int w, int h) {
    std::vector<uint16_t> px(size_t(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) px[size_t(y) * w + x] = static_cast<uint16_t>(1 + x + 100 * y);
    DDSurface* s = support::MakeSurface(w, h, px);
    support::SetKey0(s);
    return s;
}

uint16_t Num(int x, int y) { return static_cast<uint16_t>(1 + x + 100 * y); }

class Frame : public ::testing::Test {
protected:
    support::HeadlessDisplay display;
    void SetUp() override { ASSERT_TRUE(display.ok); }
};

// A plain copy through the software walks; Vec selects the eight-pixel path.
template <bool Vec>
struct Copy {
    template <bool Is565>
    struct Op {
        void Pixel(uint16_t* d, uint16_t s, int) const { *d = s; }
#if BLT_HAVE_VEC8
        __m128i Vec8(__m128i, __m128i s) const
            requires Vec
        {
            return s;
        }
#endif
    };
};

// Source offsets read by a nearest-neighbour walk of n destination pixels over m source pixels:
// the accumulator starts at n / 2 and a walk never leaves the m pixels.
std::vector<int> Reads(int n, int m) {
    std::vector<int> out;
    uint32_t a = uint32_t(n) / 2;
    int pos = 0;
    for (int i = 0; i < n; ++i) {
        out.push_back(pos);
        while (a < uint32_t(m)) {
            a += uint32_t(n);
            pos = std::min(pos + 1, m - 1);
        }
        a -= uint32_t(m);
    }
    return out;
}
}  // namespace

TEST(ClipDest, PositionAtTheClipEdgeDrawsNothing) {
    DDSURFACEDESC2 d = Desc(640, 480);
    RECT clip{0, 0, 640, 480};
    RECT s{0, 0, 32, 32};
    int32_t x = 640, y = 0;
    EXPECT_EQ(BLT_ClipDest(&d, &clip, &x, &y, &s, 0), 0);
    x = 0;
    y = 480;
    s = RECT{0, 0, 32, 32};
    EXPECT_EQ(BLT_ClipDest(&d, &clip, &x, &y, &s, 0), 0);
}

TEST(ClipDest, LeftCutTakesTheMirroredSide) {
    DDSURFACEDESC2 d = Desc(640, 480);
    RECT clip{0, 0, 640, 480};
    RECT s{0, 0, 32, 16};
    int32_t x = -3, y = 0;
    ASSERT_NE(BLT_ClipDest(&d, &clip, &x, &y, &s, 0), 0);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(s.left, 3);
    EXPECT_EQ(s.right, 32);

    s = RECT{0, 0, 32, 16};
    x = -3;
    ASSERT_NE(BLT_ClipDest(&d, &clip, &x, &y, &s, BLT_FLIP_LR), 0);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(s.left, 0);
    EXPECT_EQ(s.right, 29);  // the rightmost columns go

    // Overhang at the right edge, mirrored: the source's left edge is cut.
    s = RECT{0, 0, 32, 16};
    x = 630;
    ASSERT_NE(BLT_ClipDest(&d, &clip, &x, &y, &s, BLT_FLIP_LR), 0);
    EXPECT_EQ(s.left, 22);
    EXPECT_EQ(s.right, 32);

    // Up-down mirrored, cut at the top lowers the bottom.
    s = RECT{0, 0, 32, 16};
    x = 0;
    y = -5;
    ASSERT_NE(BLT_ClipDest(&d, &clip, &x, &y, &s, BLT_FLIP_UD), 0);
    EXPECT_EQ(y, 0);
    EXPECT_EQ(s.top, 0);
    EXPECT_EQ(s.bottom, 11);
}

TEST(ClipDest, ClipLargerThanSurfaceIsReducedToIt) {
    DDSURFACEDESC2 d = Desc(100, 50);
    RECT clip{-10, -10, 656, 496};
    RECT s{0, 0, 40, 40};
    int32_t x = 80, y = 30;
    ASSERT_NE(BLT_ClipDest(&d, &clip, &x, &y, &s, 0), 0);
    EXPECT_EQ(s.right - s.left, 20);
    EXPECT_EQ(s.bottom - s.top, 20);
}

TEST(ClipStretch, DoublingCutsProportionallyTruncated) {
    DDSURFACEDESC2 d = Desc(640, 480);
    RECT clip{0, 0, 640, 480};
    RECT dr{-3, 0, 17, 10};
    RECT sr{0, 0, 10, 5};
    ASSERT_NE(BLT_ClipStretch(&d, &clip, &dr, &sr, 0), 0);
    EXPECT_EQ(dr.left, 0);
    EXPECT_EQ(dr.right - dr.left, 17);
    EXPECT_EQ(sr.left, 1);  // 3 * 10 / 20 = 1
    // Mirrored: the same cut comes off the source's right side.
    dr = RECT{-3, 0, 17, 10};
    sr = RECT{0, 0, 10, 5};
    ASSERT_NE(BLT_ClipStretch(&d, &clip, &dr, &sr, BLT_FLIP_LR), 0);
    EXPECT_EQ(sr.left, 0);
    EXPECT_EQ(sr.right, 9);
}

TEST(ClipStretch, RectanglesOutsideAreRejectedFirst) {
    DDSURFACEDESC2 d = Desc(640, 480);
    RECT clip{100, 0, 200, 480};
    RECT dr{201, 0, 300, 10}, sr{0, 0, 10, 10};
    EXPECT_EQ(BLT_ClipStretch(&d, &clip, &dr, &sr, 0), 0);
    dr = RECT{0, 0, 100, 10};
    EXPECT_EQ(BLT_ClipStretch(&d, &clip, &dr, &sr, 0), 0);
    // Zero-width destination: nothing, and no division by zero.
    dr = RECT{150, 0, 150, 10};
    EXPECT_EQ(BLT_ClipStretch(&d, &clip, &dr, &sr, 0), 0);
}

// Extreme positions and rectangles leave nothing or a rectangle inside the clip, never an overflow.
TEST(Clip, ExtremeValuesStayDefined) {
    DDSURFACEDESC2 d = Desc(640, 480);
    RECT clip{0, 0, 640, 480};
    struct Case {
        int32_t x;
        RECT s;
    } cases[] = {{INT_MIN, {0, 0, 32, 32}}, {INT_MIN, {INT_MIN, 0, INT_MAX, 32}}, {INT_MAX, {0, 0, 32, 32}},
                 {-5, {INT_MAX - 2, 0, INT_MAX, 32}}, {600, {INT_MIN, 0, INT_MAX, 32}}};
    for (const Case& c : cases)
        for (uint32_t flip = 0; flip < 4; ++flip) {
            int32_t x = c.x, y = c.x;
            RECT s = c.s;
            s.top = s.left;
            s.bottom = s.right;
            if (BLT_ClipDest(&d, &clip, &x, &y, &s, flip)) {
                EXPECT_GE(x, 0);
                EXPECT_LE(int64_t(x) + s.right - s.left, 640);
            }
            RECT dr{c.x, c.x, INT_MAX, INT_MAX};
            s = c.s;
            BLT_ClipStretch(&d, &clip, &dr, &s, flip);
        }
}

TEST(StepTable, WorkedExamplesAndNoReadPastTheSource) {
    int32_t t[64];
    ASSERT_EQ(BLT_StepTable(t, 8, 8), 1);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(t[i], 2);
    BLT_StepTable(t, 8, 4);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(t[i], i % 2 ? 2 : 0);
    BLT_StepTable(t, 5, 10);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(t[i], 4);
    // Past 2x: one source pixel to three reads column 0 three times.
    BLT_StepTable(t, 3, 1);
    EXPECT_EQ(t[0] + t[1], 0);
    // Every magnification and reduction stays inside the source.
    for (int n = 1; n <= 40; ++n)
        for (int m = 1; m <= 40; ++m) {
            BLT_StepTable(t, n, m);
            int pos = 0;
            for (int i = 0; i < n; ++i) {
                ASSERT_LT(pos, m) << n << " from " << m;
                pos += t[i] / 2;
            }
        }
    EXPECT_EQ(BLT_StepTable(t, BLT_STEP_TABLE_SIZE + 1, 10), 0);
}

TEST_F(Frame, PointBlitMirrorsAndClips) {
    DDSurface* src = Numbered(32, 8);
    DDSurface* dst = support::MakeSurface(64, 16);
    BLT_BltFx(dst, -3, 0, src, nullptr, 0, 0);
    EXPECT_EQ(support::PixelAt(dst, 0, 0), Num(3, 0));
    BLT_FillRect(dst, nullptr, 0);
    BLT_BltFx(dst, -3, 0, src, nullptr, BLT_FLIP_LR, 0);
    EXPECT_EQ(support::PixelAt(dst, 0, 0), Num(28, 0));  // columns 0..28 shown mirrored, from x = 0
    EXPECT_EQ(support::PixelAt(dst, 28, 0), Num(0, 0));
    EXPECT_EQ(support::PixelAt(dst, 29, 0), 0);
    BLT_FillRect(dst, nullptr, 0);
    BLT_BltFx(dst, 2, 3, src, nullptr, BLT_FLIP_LR | BLT_FLIP_UD, 0);
    EXPECT_EQ(support::PixelAt(dst, 2, 3), Num(31, 7));
    EXPECT_EQ(support::PixelAt(dst, 33, 10), Num(0, 0));
    DD_ReleaseSurface(src);
    DD_ReleaseSurface(dst);
}

TEST_F(Frame, KeyedBlitsLeaveTheDestinationUnderZero) {
    DDSurface* src = support::MakeSurface(4, 1, {5, 0, 7, 0});
    support::SetKey0(src);
    DDSurface* dst = support::MakeSurface(4, 1, {9, 9, 9, 9});
    BLT_Blt(dst, 0, 0, src, nullptr, 1);
    EXPECT_EQ(support::ReadSurface(dst), (std::vector<uint16_t>{5, 9, 7, 9}));
    BLT_Blt(dst, 0, 0, src, nullptr, 0);
    EXPECT_EQ(support::ReadSurface(dst), (std::vector<uint16_t>{5, 0, 7, 0}));
    EXPECT_EQ(BLT_Blt(dst, 4, 0, src, nullptr, 0), 0);  // clipped away
    DD_ReleaseSurface(src);
    DD_ReleaseSurface(dst);
}

TEST_F(Frame, BltUsesClippedBltOnAWindowedPrimaryElseBltFast) {
    DDSurface* src = Numbered(8, 8);
    headless::ClearCallLog();
    BLT_Blt(DD_DISPLAY.back, 0, 0, src, nullptr, 0);
    ASSERT_FALSE(headless::CallLog().empty());
    EXPECT_EQ(headless::CallLog().back(), "DDSurface.BltFast");
    BLT_Blt(DD_DISPLAY.primary, 0, 0, src, nullptr, 1);
    EXPECT_EQ(headless::CallLog().back(), "DDSurface.Blt");
    DD_ReleaseSurface(src);
}

TEST_F(Frame, StretchedBlitsDoubleAndKeepEqualSizes) {
    DDSurface* src = Numbered(10, 5);
    DDSurface* dst = support::MakeSurface(40, 20);
    RECT d{0, 0, 20, 10};
    BLT_StretchBlt(dst, &d, src, nullptr, 0, 0);
    for (int x = 0; x < 20; ++x) EXPECT_EQ(support::PixelAt(dst, x, 9), Num(x / 2, 4));
    // Clipped at -3: one source column cut, 17 destination pixels drawn, via the screen door at 15.
    BLT_FillRect(dst, nullptr, 0);
    RECT d2{-3, 0, 17, 10};
    BLT_StippleStretch(dst, &d2, src, nullptr, 15, 0, 0);
    EXPECT_EQ(support::PixelAt(dst, 16, 0), Num(9, 0));
    EXPECT_EQ(support::PixelAt(dst, 17, 0), 0);
    DD_ReleaseSurface(src);
    DD_ReleaseSurface(dst);
}

TEST_F(Frame, ScreenDoorLevels) {
    DDSurface* src = Numbered(16, 16);
    DDSurface* dst = support::MakeSurface(16, 16);
    auto count = [&] {
        int n = 0;
        for (uint16_t v : support::ReadSurface(dst)) n += v != 0;
        return n;
    };
    BLT_Stipple(dst, 0, 0, src, nullptr, 0, 0, 0);
    EXPECT_EQ(count(), 0);
    BLT_Stipple(dst, 0, 0, src, nullptr, 1, 0, 0);
    EXPECT_EQ(count(), 4 * 256 / 64);
    BLT_FillRect(dst, nullptr, 0);
    BLT_Stipple(dst, 0, 0, src, nullptr, 14, 0, 0);
    EXPECT_EQ(count(), 60 * 256 / 64);
    BLT_FillRect(dst, nullptr, 0);
    BLT_Stipple(dst, 0, 0, src, nullptr, 8, 0, 0);
    EXPECT_EQ(count(), 128);
    // The checkerboard is anchored to the blit: pixel (0,0) gets row counter 16, column counter 16.
    bool set = BLT_STIPPLE[8][16 & 7] & (1 << (16 & 7));
    EXPECT_EQ(support::PixelAt(dst, 0, 0) != 0, set);
    BLT_FillRect(dst, nullptr, 0);
    BLT_Stipple(dst, 0, 0, src, nullptr, 15, BLT_FLIP_LR, 0);
    EXPECT_EQ(support::PixelAt(dst, 0, 0), Num(15, 0));
    // A stretched screen door writes its clipped rectangle back to the caller.
    RECT d{-4, -4, 12, 12};
    BLT_StippleStretch(dst, &d, src, nullptr, 8, 0, 0);
    EXPECT_EQ(d.left, 0);
    EXPECT_EQ(d.top, 0);
    EXPECT_EQ(d.right, 12);
    DD_ReleaseSurface(src);
    DD_ReleaseSurface(dst);
}

TEST_F(Frame, FillRectClampsToTheSurfaceOnly) {
    DDSurface* dst = support::MakeSurface(10, 10);
    DD_SetClipRect(0, 0, 2, 2);
    RECT r{-5, -5, 20, 3};
    EXPECT_EQ(BLT_FillRect(dst, &r, 0x1234), DD_OK);
    EXPECT_EQ(support::PixelAt(dst, 9, 2), 0x1234);
    EXPECT_EQ(support::PixelAt(dst, 9, 3), 0);
    DD_ReleaseSurface(dst);
}

TEST_F(Frame, FailedLockDrawsNothingAndLeavesNothingLocked) {
    DDSurface* src = Numbered(8, 8);
    DDSurface* dst = support::MakeSurface(8, 8);
    headless::FailCall("DDSurface.Lock", 1);
    BLT_Stipple(dst, 0, 0, src, nullptr, 8, 0, 0);
    EXPECT_EQ(support::PixelAt(dst, 1, 0) | support::PixelAt(dst, 0, 0), 0);
    EXPECT_FALSE(src->IsLocked());
    EXPECT_FALSE(dst->IsLocked());
    headless::FailCall("DDSurface.Lock", 1);  // the source lock fails: the destination is unlocked again
    std::vector<std::string> log;
    BLT_Stipple(dst, 0, 0, src, nullptr, 8, 0, 0);
    EXPECT_FALSE(dst->IsLocked());
    DD_ReleaseSurface(src);
    DD_ReleaseSurface(dst);
}

// Property: the software frame at scale 1 and the platform blit agree for every flip and clip.
TEST_F(Frame, SoftwareAndHardwarePathsAgreeUnderRandomClips) {
    std::mt19937 rng(7);
    DDSurface* src = Numbered(23, 17);
    DDSurface* a = support::MakeSurface(40, 30);
    DDSurface* b = support::MakeSurface(40, 30);
    for (int iter = 0; iter < 2000; ++iter) {
        int x = int(rng() % 70) - 25, y = int(rng() % 60) - 20;
        uint32_t flip = rng() % 4;
        RECT clip{int(rng() % 20) - 5, int(rng() % 20) - 5, int(rng() % 50), int(rng() % 40)};
        DD_SetClipRectFromRect(&clip);
        BLT_FillRect(a, nullptr, 0);
        BLT_FillRect(b, nullptr, 0);
        BLT_BltFx(a, x, y, src, nullptr, flip, 0);
        BLT_Stipple(b, x, y, src, nullptr, 15, flip, 0);  // level 15 is the ordinary blit
        ASSERT_EQ(support::ReadSurface(a), support::ReadSurface(b));
        // Level 14 of the software walk writes a subset of the same pixels.
        BLT_FillRect(b, nullptr, 0);
        BLT_Stipple(b, x, y, src, nullptr, 14, flip, 0);
        std::vector<uint16_t> pa = support::ReadSurface(a), pb = support::ReadSurface(b);
        for (size_t i = 0; i < pa.size(); ++i) ASSERT_TRUE(pb[i] == 0 || pb[i] == pa[i]) << iter;
    }
    DD_ReleaseSurface(src);
    DD_ReleaseSurface(a);
    DD_ReleaseSurface(b);
}

// Property: the software stretch walk, scalar and eight-pixel, keyed or not, in every flip, reads
// exactly the pixels of the accumulator rule and never a row or column outside the source rectangle.
TEST_F(Frame, SoftwareStretchFollowsTheAccumulatorRule) {
    std::mt19937 rng(11);
    DDSurface* src = Numbered(40, 30);
    DDSurface* dst = support::MakeSurface(200, 120);
    DD_SetClipRect(0, 0, 200, 120);
    for (int iter = 0; iter < 400; ++iter) {
        RECT sr{int(rng() % 10) + 5, int(rng() % 10) + 5, 0, 0};
        sr.right = sr.left + 1 + int(rng() % 20);
        sr.bottom = sr.top + 1 + int(rng() % 15);
        RECT dr{int(rng() % 20), int(rng() % 20), 0, 0};
        dr.right = dr.left + 1 + int(rng() % 150);
        dr.bottom = dr.top + 1 + int(rng() % 90);
        uint32_t flip = rng() % 4;
        bool vec = rng() % 2, keyed = rng() % 2;
        BLT_FillRect(dst, nullptr, 0xFFFF);
        support::SetPixel(src, sr.left, sr.top, 0);  // one transparent pixel
        {
            RECT d = dr;
            blt::StretchFrame f(dst, &d, src, &sr, flip, blt::Order::LockFirst);
            ASSERT_TRUE(f.ready);
            if (vec)
                blt::RunStretch<Copy<true>::Op>(f, flip, keyed);
            else
                blt::RunStretch<Copy<false>::Op>(f, flip, keyed);
        }
        support::SetPixel(src, sr.left, sr.top, Num(sr.left, sr.top));
        int w = dr.right - dr.left, h = dr.bottom - dr.top;
        std::vector<int> cols = Reads(w, sr.right - sr.left), rows = Reads(h, sr.bottom - sr.top);
        for (int j = 0; j < h; ++j)
            for (int i = 0; i < w; ++i) {
                int dx = (flip & BLT_FLIP_LR) ? dr.right - 1 - i : dr.left + i;
                int dy = (flip & BLT_FLIP_UD) ? dr.bottom - 1 - j : dr.top + j;
                int sx = sr.left + cols[i], sy = sr.top + rows[j];
                uint16_t want = (sx == sr.left && sy == sr.top) ? (keyed ? 0xFFFF : 0) : Num(sx, sy);
                ASSERT_EQ(support::PixelAt(dst, dx, dy), want) << iter << " at " << i << "," << j;
            }
    }
    // One source pixel to three in both directions reads only that pixel.
    BLT_FillRect(dst, nullptr, 0);
    RECT one{7, 7, 8, 8}, three{0, 0, 3, 3};
    {
        blt::StretchFrame f(dst, &three, src, &one, 0, blt::Order::DescribeFirst);
        ASSERT_TRUE(f.ready);
        blt::RunStretch<Copy<false>::Op>(f, 0, false);
    }
    for (int j = 0; j < 3; ++j)
        for (int i = 0; i < 3; ++i) EXPECT_EQ(support::PixelAt(dst, i, j), Num(7, 7));
    // A destination row wider than the step table is refused.
    DDSurface* wide = support::MakeSurface(BLT_STEP_TABLE_SIZE + 8, 2);
    DD_SetClipRect(0, 0, BLT_STEP_TABLE_SIZE + 8, 2);
    RECT all{0, 0, BLT_STEP_TABLE_SIZE + 1, 2};
    EXPECT_FALSE(blt::StretchFrame(wide, &all, src, nullptr, 0, blt::Order::LockFirst).ready);
    DD_ReleaseSurface(wide);
    DD_ReleaseSurface(src);
    DD_ReleaseSurface(dst);
}
