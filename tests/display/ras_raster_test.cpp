// Raster operations: level blends and the 50 % mix against per-channel references in both
// layouts, the processor classes at level 128 with odd widths, colour fills, lines, the dimmed
// copy, the textured quadrilateral and the masked copies, with guards around small views.
#include <gtest/gtest.h>

#include <random>

#include "display/ras_raster.h"
#include "tests/display/canvas.h"
#include "tests/display/channel_reference.h"
#include "tests/support/fixture.h"

using canvas::RasCanvas;

namespace {

uint16_t Scale(uint16_t p, int k, bool is565) {
    const ref::Rgb c = ref::Split(p, is565);
    return ref::Join(ref::Rgb{c.r * k / 32, c.g * k / 32, c.b * k / 32, false}, is565);
}

uint16_t AlphaRef(uint16_t d, uint16_t s, int level, bool is565) {
    const int w = (level & 255) / 8;
    const ref::Rgb a = ref::Split(Scale(d, 32 - w, is565), is565), b = ref::Split(Scale(s, w, is565), is565);
    return ref::Join(ref::Rgb{a.r + b.r, a.g + b.g, a.b + b.b, false}, is565);
}

uint16_t HalfRef(uint16_t d, uint16_t s, bool is565) {
    const ref::Rgb a = ref::Split(d, is565), b = ref::Split(s, is565);
    return ref::Join(ref::Rgb{a.r / 2 + b.r / 2, a.g / 2 + b.g / 2, a.b / 2 + b.b / 2, false}, is565);
}

std::vector<uint16_t> Noise(size_t n, uint32_t seed) {
    std::mt19937 rng(seed);
    std::vector<uint16_t> v(n);
    for (auto& p : v) p = static_cast<uint16_t>(rng());
    return v;
}

class Raster : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        headless::Config config;
        config.is565 = GetParam();
        display = std::make_unique<support::HeadlessDisplay>(config);
        ASSERT_TRUE(display->ok);
        saved_class = PROC_CLASS;
    }
    void TearDown() override {
        PROC_CLASS = saved_class;
        for (DDSurface* s : made) DD_ReleaseSurface(s);
        display.reset();
    }
    DDSurface* Make(int w, int h, uint32_t seed) {
        DDSurface* s = support::MakeSurface(w, h, seed ? Noise(size_t(w) * h, seed) : std::vector<uint16_t>{});
        made.push_back(s);
        return s;
    }
    bool is565() const { return GetParam(); }
    std::unique_ptr<support::HeadlessDisplay> display;
    std::vector<DDSurface*> made;
    int32_t saved_class = 0;
};

TEST_P(Raster, LevelBlendMatchesThePerChannelFormula) {
    DDSurface* src = Make(16, 8, 1);
    for (int level : {0, 7, 8, 100, 127, 129, 200, 255, 256 + 64, -1}) {
        DDSurface* dst = Make(16, 8, 2);
        const auto before = support::ReadSurface(dst);
        RAS_AlphaBlt(dst, 3, 2, 10, 5, src, 1, 2, level, RAS_NO_KEY, 0);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 16; ++x) {
                const uint16_t d = before[y * 16 + x];
                const bool drawn = x >= 3 && x < 13 && y >= 2 && y < 7;
                const uint16_t want = drawn ? AlphaRef(d, support::PixelAt(src, x - 2, y), level, is565()) : d;
                ASSERT_EQ(support::PixelAt(dst, x, y), want) << "level " << level << " at " << x << "," << y;
            }
    }
}

TEST_P(Raster, LevelBlendKeysPerPixelAndLeavesOddColumns) {
    DDSurface* src = Make(7, 3, 3);
    DDSurface* dst = Make(7, 3, 4);
    support::SetPixel(src, 0, 0, 0);  // one pixel of a pair keyed
    support::SetPixel(src, 2, 1, 0);
    support::SetPixel(src, 3, 1, 0);  // both pixels of a pair keyed
    const auto before = support::ReadSurface(dst);
    RAS_AlphaBlt(dst, 0, 0, 7, 3, src, 0, 0, 200, 0, 0);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 7; ++x) {
            const uint16_t d = before[y * 7 + x], s = support::PixelAt(src, x, y);
            const uint16_t want = (x == 6 || s == 0) ? d : AlphaRef(d, s, 200, is565());
            EXPECT_EQ(support::PixelAt(dst, x, y), want) << x << "," << y;
        }
}

// Level 128 is the exact 50 % mix on every class; only the unkeyed mix path (classes 0-2) also
// draws the last column of an odd width.
TEST_P(Raster, HalfLevelWithOddWidthsOnEveryProcessorClass) {
    DDSurface* src = Make(5, 4, 5);
    for (int cls = 0; cls <= 4; ++cls) {
        for (uint32_t key : {RAS_NO_KEY, uint32_t{0x10001}}) {
            PROC_CLASS = cls;
            DDSurface* dst = Make(5, 4, 6);
            const auto before = support::ReadSurface(dst);
            RAS_AlphaBlt(dst, 0, 0, 5, 4, src, 0, 0, 128, key, 0);
            const bool last_drawn = cls < 3 && key == RAS_NO_KEY;
            for (int y = 0; y < 4; ++y)
                for (int x = 0; x < 5; ++x) {
                    const uint16_t d = before[y * 5 + x];
                    const uint16_t want = (x == 4 && !last_drawn) ? d : HalfRef(d, support::PixelAt(src, x, y), is565());
                    EXPECT_EQ(support::PixelAt(dst, x, y), want) << "class " << cls << " at " << x << "," << y;
                }
        }
    }
}

TEST_P(Raster, MixDrawsEveryColumnOnEveryClass) {
    DDSurface* src = Make(11, 3, 7);
    for (int cls = 0; cls <= 4; ++cls) {
        for (int w : {1, 2, 3, 4, 5, 6, 7, 9, 11}) {
            PROC_CLASS = cls;
            DDSurface* dst = Make(11, 3, 8);
            const auto before = support::ReadSurface(dst);
            EXPECT_EQ(RAS_MixBlt(dst, 0, 0, w, 3, src, 0, 0, RAS_NO_KEY, 0), 1);
            for (int y = 0; y < 3; ++y)
                for (int x = 0; x < 11; ++x) {
                    const uint16_t d = before[y * 11 + x];
                    const uint16_t want = x < w ? HalfRef(d, support::PixelAt(src, x, y), is565()) : d;
                    ASSERT_EQ(support::PixelAt(dst, x, y), want) << "class " << cls << " width " << w;
                }
        }
    }
    DDSurface* dst = Make(4, 4, 0);
    EXPECT_EQ(RAS_MixBlt(dst, 10, 0, 3, 3, src, 0, 0, RAS_NO_KEY, 0), 0);  // clipped away
}

TEST_P(Raster, BlendsClipToBothSurfaces) {
    DDSurface* src = Make(8, 6, 9);
    DDSurface* dst = Make(10, 10, 10);
    const auto before = support::ReadSurface(dst);
    // Hanging over the destination's left and top, and asking for more than the source holds.
    RAS_AlphaBlt(dst, -2, -1, 40, 40, src, 0, 0, 255, RAS_NO_KEY, 0);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) {
            const int sx = x + 2, sy = y + 1;
            const bool drawn = sx < 8 && sy < 6 && x < 6;  // 6 columns from the pair walk of 6
            const uint16_t d = before[y * 10 + x];
            EXPECT_EQ(support::PixelAt(dst, x, y), drawn ? AlphaRef(d, support::PixelAt(src, sx, sy), 255, is565()) : d)
                << x << "," << y;
        }
    RAS_SURFACE small{nullptr, 0, 0};
    int32_t x = 5, y = 5, w = 10, h = 10, sx = 0, sy = 0;
    EXPECT_EQ(RAS_ClipBlt(&x, &y, &w, &h, &sx, &sy, 0, 0, 8, 8), 1);
    EXPECT_EQ(w, 3);
    EXPECT_EQ(h, 3);
    x = -4, w = 4, h = 2, y = 0;
    EXPECT_EQ(RAS_ClipBltRect(&x, &y, &w, &h, &sx, &sy, 8, 8, nullptr), 0);
    EXPECT_EQ(RAS_AlphaBltDesc(small, 0, 0, 4, 4, small, 0, 0, 100, RAS_NO_KEY), 0);
}

TEST_P(Raster, FillsFollowLevelRulesAndStayInTheSurface) {
    const uint16_t colour = is565() ? 0xFFFF : 0x7FFF;
    for (int level : {0, 256, 300}) {
        RasCanvas c(9, 5);
        c.Fill(0x1234);
        RAS_FillAlphaDispatch(c.View(), 0, 0, 9, 5, colour, level);
        EXPECT_EQ(c.At(3, 3), 0x1234) << level;
    }
    for (int level : {1, 8, 64, 128, 129, 255}) {
        RasCanvas c(9, 5);
        const auto noise = Noise(45, level);
        for (int i = 0; i < 45; ++i) c.At(i % 9, i / 9) = noise[i];
        RAS_FillAlphaDispatch(c.View(), -3, -2, 100, 100, colour, level);  // clipped, 9 wide
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 9; ++x) {
                const uint16_t d = noise[y * 9 + x];
                const uint16_t want = x == 8 ? d : (level == 128 ? HalfRef(d, colour, is565()) : AlphaRef(d, colour, level, is565()));
                EXPECT_EQ(c.At(x, y), want) << "level " << level << " at " << x << "," << y;
            }
        EXPECT_TRUE(c.GuardIntact());
    }
    RasCanvas k(4, 2);
    k.At(0, 0) = 5;
    k.At(1, 1) = 5;
    RAS_FillAlphaWorker(k.View(), 0, 0, 4, 2, colour, 255, 5);
    EXPECT_EQ(k.At(0, 0), 5);
    EXPECT_EQ(k.At(1, 1), 5);
    EXPECT_NE(k.At(1, 0), 0);
    EXPECT_EQ(RAS_FillAlphaWorker(k.View(), 0, 0, 4, 2, colour, 0, RAS_NO_KEY), 0);

    DDSurface* s = Make(6, 4, 0);
    RAS_FillRectAlpha(s, 1, 1, 5, 3, colour, 128);
    EXPECT_EQ(support::PixelAt(s, 1, 1), HalfRef(0, colour, is565()));
    EXPECT_EQ(support::PixelAt(s, 0, 0), 0);
    RAS_FillRectAlphaKey(s, 0, 0, 6, 4, colour, 128, support::PixelAt(s, 1, 1));
    EXPECT_EQ(support::PixelAt(s, 1, 1), HalfRef(0, colour, is565()));
    EXPECT_EQ(support::PixelAt(s, 0, 0), HalfRef(0, colour, is565()));
}

TEST_P(Raster, DimScalesEveryChannelAndKeepsKeyedPixels) {
    DDSurface* src = Make(8, 2, 11);
    support::SetPixel(src, 1, 0, 0);
    const RECT odd{0, 0, 7, 2};
    for (int level : {-5, 0, 16, 31, 40}) {
        DDSurface* dst = Make(8, 2, 12);
        const auto before = support::ReadSurface(dst);
        RAS_DimBlt(dst, 0, 0, src, &odd, level, 0);
        const int k = std::clamp(level, 0, 31);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 8; ++x) {
                const uint16_t s = support::PixelAt(src, x, y), d = before[y * 8 + x];
                const uint16_t want = (x >= 6 || s == 0) ? d : Scale(s, k, is565());
                EXPECT_EQ(support::PixelAt(dst, x, y), want) << "level " << level << " at " << x << "," << y;
            }
    }
    // Without a rectangle the whole source; with one reaching beyond the source, cut to its 3 columns.
    DDSurface* dst = Make(8, 8, 0);
    RAS_DimBlt(dst, 0, 4, src, nullptr, 31, RAS_NO_KEY);
    EXPECT_EQ(support::PixelAt(dst, 7, 5), Scale(support::PixelAt(src, 7, 1), 31, is565()));
    const RECT wide{5, 0, 40, 2};
    RAS_DimBlt(dst, 0, 0, src, &wide, 31, RAS_NO_KEY);
    EXPECT_EQ(support::PixelAt(dst, 0, 0), Scale(support::PixelAt(src, 5, 0), 31, is565()));
    EXPECT_EQ(support::PixelAt(dst, 2, 0), 0);  // odd width: last column left
}

TEST_P(Raster, LinesStartAtTheSecondPointAndClipToTheView) {
    RasCanvas c(640, 480, 1);
    RAS_LineWorker(c.View(), 10, 10, 20, 10, 7);
    for (int x = 0; x < 30; ++x) EXPECT_EQ(c.At(x, 10), (x >= 11 && x <= 20) ? 7 : 0) << x;
    c.Fill(0);
    RAS_LineWorker(c.View(), 50, 50, 50, 50, 7);
    EXPECT_EQ(c.At(50, 50), 0);
    // Steeper than 256 rows a column, wholly on screen: drawn.
    RAS_LineWorker(c.View(), 10, 0, 11, 300, 7);
    int n = 0;
    for (int y = 0; y < 480; ++y) n += (c.At(10, y) == 7) + (c.At(11, y) == 7);
    EXPECT_EQ(n, 300);
    EXPECT_EQ(c.At(11, 300), 7);
    EXPECT_EQ(c.At(10, 0), 0);
    // The same steepness partly off screen: drawn from the second point to the bottom edge, where the
    // clipped first point is left out.
    c.Fill(0);
    RAS_LineWorker(c.View(), 100, 900, 101, 100, 7);
    n = 0;
    for (int y = 0; y < 480; ++y) n += (c.At(100, y) == 7) + (c.At(101, y) == 7);
    EXPECT_EQ(n, 379);
    EXPECT_EQ(c.At(100, 479), 0);
    EXPECT_TRUE(c.GuardIntact());

    RasCanvas m(8, 2);
    m.Fill(is565() ? 0xFFFF : 0x7FFF);
    RAS_LineMixWorker(m.View(), 8, 0, 0, 0, 0);
    EXPECT_EQ(m.At(0, 0), HalfRef(m.At(7, 1), 0, is565()));

    DDSurface* s = Make(20, 10, 0);
    EXPECT_EQ(RAS_Line(s, -50, 5, 50, 5, 3), 1);
    for (int x = 0; x < 20; ++x) EXPECT_EQ(support::PixelAt(s, x, 5), x == 0 ? 0 : 3);
}

TEST(RasLine, HostileLinesKeepToTheView) {
    std::mt19937 rng(5);
    RasCanvas c(17, 9, 12);
    const int32_t big[] = {INT32_MIN, -5000000, -300, -1, 0, 8, 9, 16, 17, 300, 5000000, INT32_MAX};
    for (int i = 0; i < 20000; ++i) {
        int32_t v[4];
        for (int32_t& k : v) k = (rng() & 1) ? big[rng() % std::size(big)] : int32_t(rng() % 60) - 20;
        RAS_LineWorker(c.View(), v[0], v[1], v[2], v[3], 1);
        int32_t a = v[0], b = v[1], e = v[2], f = v[3];
        if (RAS_ClipLine(c.View(), &a, &b, &e, &f)) {
            ASSERT_TRUE(a >= 0 && a < 17 && e >= 0 && e < 17 && b >= 0 && b < 9 && f >= 0 && f < 9);
        }
    }
    EXPECT_TRUE(c.GuardIntact());
    // A row wraps into the next within the view: nothing may be written past the right edge.
    RasCanvas w(17, 9, 12);
    for (int i = 0; i < 2000; ++i) RAS_LineWorker(w.View(), int32_t(rng() % 40) - 10, int32_t(rng() % 30) - 10, 16, int32_t(rng() % 9), 1);
    EXPECT_TRUE(w.GuardIntact());
}

TEST_P(Raster, TexturedQuadCopiesAMovedRectangleAndKeepsToShortSurfaces) {
    DDSurface* src = Make(12, 10, 13);
    DDSurface* dst = Make(30, 20, 0);
    // Corners on the rectangle (2, 3, 6 x 4) moved to (10, 5).
    EXPECT_EQ(RAS_TexQuad(dst, 10, 5, 15, 5, 15, 8, 10, 8, src, 2, 3, 6, 4), 1);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 30; ++x) {
            const bool in = x >= 10 && x < 16 && y >= 5 && y < 9;
            EXPECT_EQ(support::PixelAt(dst, x, y), in ? support::PixelAt(src, x - 8, y - 2) : 0) << x << "," << y;
        }
    // A view shorter than the span table: rows past its height are neither walked nor filled.
    RasCanvas c(16, 6, 8);
    RasCanvas t(8, 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) t.At(x, y) = static_cast<uint16_t>(1 + x + 8 * y);
    const int32_t corners[8] = {-5, -40, 30, 2, 12, 700, -20, 30};
    RAS_TexQuadWorker(c.View(), corners, t.View(), 0, 0, 8, 8);
    // Source rectangles beyond the texture read only inside it.
    const int32_t whole[8] = {0, 0, 15, 0, 15, 5, 0, 5};
    RAS_TexQuadWorker(c.View(), whole, t.View(), 4, 4, 100, 100);
    EXPECT_EQ(c.At(15, 5), t.At(7, 7));
    EXPECT_TRUE(c.GuardIntact());
}

TEST_P(Raster, MaskedCopyUsesPitchesAndRefusesSmallSurfaces) {
    display.reset();
    headless::Config config;
    config.is565 = GetParam();
    config.extra_pitch = 24;  // rows longer than 640 pixels
    display = std::make_unique<support::HeadlessDisplay>(config);
    ASSERT_TRUE(display->ok);
    DDSurface* dst = Make(640, 480, 0);
    DDSurface* src = Make(640, 480, 21);
    DDSurface* mask = Make(640, 480, 0);
    support::SetPixel(mask, 639, 479, 9);
    support::SetPixel(mask, 0, 1, 9);
    RAS_MaskCopy(dst, src, mask, 0);
    EXPECT_EQ(support::PixelAt(dst, 639, 479), support::PixelAt(src, 639, 479));
    EXPECT_EQ(support::PixelAt(dst, 0, 1), support::PixelAt(src, 0, 1));
    EXPECT_EQ(support::PixelAt(dst, 1, 1), 0);

    RAS_MaskCopyZero(dst, src, mask, 1);  // where the mask is not 0: the same two pixels
    RAS_MaskCopyZero(mask, src, mask, 0);  // mask is the destination: locked once, copies where 0
    EXPECT_EQ(support::PixelAt(mask, 5, 5), support::PixelAt(src, 5, 5));
    EXPECT_EQ(support::PixelAt(mask, 0, 1), 9);

    DDSurface* other = Make(640, 480, 22);
    const auto before = support::ReadSurface(other);
    RAS_MaskCopy(other, other, mask, 0);  // the same surface: nothing
    EXPECT_EQ(support::ReadSurface(other), before);

    headless::ClearDebugOutput();
    DDSurface* small = Make(320, 480, 23);
    const auto small_before = support::ReadSurface(small);
    RAS_MaskCopy(small, src, mask, 0);
    RAS_MaskCopy(dst, small, mask, 0);
    EXPECT_FALSE(headless::DebugOutput().empty());
    EXPECT_EQ(support::ReadSurface(small), small_before);
    EXPECT_FALSE(small->IsLocked());
    EXPECT_FALSE(dst->IsLocked());
    EXPECT_FALSE(mask->IsLocked());
}

TEST_P(Raster, FailedLocksDrawNothingAndLeaveNothingLocked) {
    DDSurface* src = Make(8, 8, 30);
    DDSurface* dst = Make(8, 8, 0);
    for (int which = 1; which <= 2; ++which) {
        headless::FailCall("DDSurface.Lock", 1);
        if (which == 2) headless::FailCall("DDSurface.Lock", 0);
        RAS_AlphaBlt(dst, 0, 0, 8, 8, src, 0, 0, 255, RAS_NO_KEY, 0);
        RAS_DimBlt(dst, 0, 0, src, nullptr, 31, RAS_NO_KEY);
        EXPECT_FALSE(src->IsLocked());
        EXPECT_FALSE(dst->IsLocked());
    }
    // The same surface as source and destination cannot be locked twice: nothing happens.
    RAS_AlphaBlt(dst, 0, 0, 8, 8, dst, 0, 0, 255, RAS_NO_KEY, 0);
    EXPECT_FALSE(dst->IsLocked());
}

INSTANTIATE_TEST_SUITE_P(Layouts, Raster, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "565" : "555"; });

TEST(ProcessorClass, FamilyAndSimdGiveTheClass) {
    EXPECT_EQ(PROC_ClassOf(5, 0), 1);
    EXPECT_EQ(PROC_ClassOf(5, 1), 3);
    EXPECT_EQ(PROC_ClassOf(6, 0), 2);
    EXPECT_EQ(PROC_ClassOf(6, 1), 4);
    EXPECT_EQ(PROC_ClassOf(4, 1), 0);
    EXPECT_EQ(PROC_ClassOf(0, 0), 0);
    const int32_t saved = PROC_CLASS;
    const int c = PROC_GetClass();
    EXPECT_EQ(c, PROC_CLASS);
    EXPECT_GE(c, 0);
    EXPECT_LE(c, 4);
    PROC_CLASS = saved;
}
}  // namespace
