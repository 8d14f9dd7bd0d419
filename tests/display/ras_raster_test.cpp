// Raster operations against per-channel references in both layouts: level blends, the 50 % mix on
// every processor class, fills, dimmed copies, lines, the textured quadrilateral and masked copies.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>

#include "display/blt_frame.h"
#include "display/ras_raster.h"
#include "tests/display/canvas.h"
#include "tests/display/channel_reference.h"
#include "tests/support/fixture.h"

namespace {

uint16_t AlphaRef(uint16_t d, uint16_t s, int level, bool is565) {
    const int w = (level & 255) / 8;
    const ref::Rgb a = ref::Split(ref::Dim(d, 32 - w, is565), is565), b = ref::Split(ref::Dim(s, w, is565), is565);
    return ref::Join(ref::Rgb{a.r + b.r, a.g + b.g, a.b + b.b, false}, is565);
}

uint16_t HalfRef(uint16_t d, uint16_t s, bool is565) {
    const ref::Rgb a = ref::Split(d, is565), b = ref::Split(s, is565);
    return ref::Join(ref::Rgb{a.r / 2 + b.r / 2, a.g / 2 + b.g / 2, a.b / 2 + b.b / 2, false}, is565);
}

std::vector<uint16_t> Noise(size_t n, uint32_t seed) {
    std::vector<uint16_t> v(n);
    std::generate(v.begin(), v.end(), std::mt19937(seed));
    return v;
}

class Raster : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override { Start(0); }
    void Start(int extra_pitch) {
        display.reset();
        display = std::make_unique<support::HeadlessDisplay>(headless::Config{.is565 = GetParam(), .extra_pitch = extra_pitch});
        ASSERT_TRUE(display->ok);
    }
    void TearDown() override {
        PROC_CLASS = saved_class;
        for (DDSurface* s : made) DD_ReleaseSurface(s);
    }
    DDSurface* Make(int w, int h, uint32_t seed) { return made.emplace_back(support::MakeSurface(w, h, Noise(seed ? size_t(w) * h : 0, seed))); }
    // Every pixel of dst against want(x, y, pixel before).
    template <class F>
    void ExpectPixels(DDSurface* dst, const std::vector<uint16_t>& before, F want, const std::string& what) {
        for (int i = 0, w = dst->Width(); i < w * dst->Height(); ++i)
            ASSERT_EQ(support::PixelAt(dst, i % w, i / w), want(i % w, i / w, before[i])) << what << " at " << i % w << "," << i / w;
    }
    bool is565() const { return GetParam(); }
    std::unique_ptr<support::HeadlessDisplay> display;
    std::vector<DDSurface*> made;
    int32_t saved_class = PROC_CLASS;
};

// Any width and offset (eight-pixel steps, pairs left over, odd columns left undrawn); keyed, a pair
// of keyed pixels is skipped and a pair with one writes the other. Listed levels (level & 255
// counts), then odd random ones, never the half level's own path.
TEST_P(Raster, LevelBlendOfAnyWidthMatchesThePerChannelFormula) {
    std::mt19937 rng(77);
    DDSurface* src = Make(48, 6, 3);
    for (int i = 0; i < 60; ++i) support::SetPixel(src, static_cast<int>(rng() % 48), static_cast<int>(rng() % 6), 0);
    const int levels[] = {0, 7, 8, 100, 127, 129, 200, 255, 256 + 64, -1};
    for (int round = 0; round < 140; ++round) {
        const int w = 1 + static_cast<int>(rng() % 40), x = static_cast<int>(rng() % 8), sx = static_cast<int>(rng() % 8);
        const int level = round < 20 ? levels[round % 10] : static_cast<int>(rng() % 256) | 1;
        const uint32_t key = (round < 20 ? round < 10 : rng() & 1) ? RAS_NO_KEY : 0;
        DDSurface* dst = Make(48, 6, 10 + round);
        const auto before = support::ReadSurface(dst);
        RAS_AlphaBlt(dst, x, 1, w, 4, src, sx, 2, level, key, 0);
        ExpectPixels(dst, before, [&](int px, int py, uint16_t d) {
            if (px < x || px >= x + w / 2 * 2 || py < 1 || py >= 5) return d;
            const uint16_t s = support::PixelAt(src, px - x + sx, py + 1);
            return key == 0 && s == 0 ? d : AlphaRef(d, s, level, is565());
        }, "width " + std::to_string(w) + " level " + std::to_string(level) + " key " + std::to_string(key));
    }
}

// Level 128 is the exact 50 % mix on every class; only the unkeyed mix (the path of classes 0-2 at
// level 128, and RAS_MixBlt always) also draws the last column of an odd width.
TEST_P(Raster, HalfLevelAndMixOnEveryProcessorClass) {
    DDSurface* src = Make(11, 3, 5);
    for (int cls = 0; cls <= 4; ++cls)
        for (uint32_t key : {RAS_NO_KEY, uint32_t{0x10001}})
            for (int w : {1, 2, 3, 4, 5, 6, 7, 9, 11})
                for (bool mix : {false, true}) {
                    PROC_CLASS = cls;
                    DDSurface* dst = Make(11, 3, 6);
                    const auto before = support::ReadSurface(dst);
                    if (mix) EXPECT_EQ(RAS_MixBlt(dst, 0, 0, w, 3, src, 0, 0, key, 0), 1);
                    else RAS_AlphaBlt(dst, 0, 0, w, 3, src, 0, 0, 128, key, 0);
                    const int drawn = key == RAS_NO_KEY && (mix || cls < 3) ? w : w & ~1;
                    ExpectPixels(dst, before, [&](int x, int y, uint16_t d) {
                        return x < drawn ? HalfRef(d, support::PixelAt(src, x, y), is565()) : d;
                    }, "class " + std::to_string(cls) + " width " + std::to_string(w) + (mix ? " mix" : ""));
                }
    EXPECT_EQ(RAS_MixBlt(Make(4, 4, 0), 10, 0, 3, 3, src, 0, 0, RAS_NO_KEY, 0), 0);  // clipped away
}

// Surfaces whose rows are longer than their width: every operation draws and clips within the width
// and neither reads nor writes the padding (filled with a marker the references never produce).
TEST_P(Raster, PaddedRowsAreNeitherDrawnNorRead) {
    Start(6);
    const auto fill_padding = [](DDSurface* s) {
        for (int y = 0; y < s->Height(); ++y)
            std::fill(s->Memory() + y * s->Pitch() + 2 * s->Width(), s->Memory() + (y + 1) * s->Pitch(), 0xA5);
    };
    const auto padding_intact = [](DDSurface* s) {
        for (int y = 0; y < s->Height(); ++y)
            for (int i = 2 * s->Width(); i < s->Pitch(); ++i)
                if (s->Memory()[y * s->Pitch() + i] != 0xA5) return false;
        return true;
    };
    DDSurface* src = Make(10, 4, 40);
    ASSERT_GT(src->Pitch(), 20);
    fill_padding(src);
    const uint16_t colour = is565() ? 0xF81F : 0x7C1F;
    using Want = std::function<uint16_t(int, int, uint16_t)>;
    const auto from_src = [&](int dx) { return [=](int x, int y) { return support::PixelAt(src, x - dx, y); }; };
    const struct {
        const char* what;
        std::function<void(DDSurface*)> draw;
        Want want;
    } cases[] = {
        {"dim whole source moved left", [&](DDSurface* d) { RAS_DimBlt(d, -3, 0, src, nullptr, 31, RAS_NO_KEY); },
         [&](int x, int y, uint16_t p) { return x < 6 ? ref::Dim(from_src(-3)(x, y), 31, is565()) : p; }},  // 7 wide: 3 pairs
        {"dim whole source moved right", [&](DDSurface* d) { RAS_DimBlt(d, 2, 0, src, nullptr, 16, RAS_NO_KEY); },
         [&](int x, int y, uint16_t p) { return x >= 2 ? ref::Dim(from_src(2)(x, y), 16, is565()) : p; }},
        {"level blend past the right edge", [&](DDSurface* d) { RAS_AlphaBlt(d, 5, 0, 20, 4, src, 0, 0, 255, RAS_NO_KEY, 0); },
         [&](int x, int y, uint16_t p) { return x >= 5 && x < 9 ? AlphaRef(p, from_src(5)(x, y), 255, is565()) : p; }},
        {"mix reading past the source's width", [&](DDSurface* d) { RAS_MixBlt(d, 0, 0, 10, 4, src, 4, 0, RAS_NO_KEY, 0); },
         [&](int x, int y, uint16_t p) { return x < 6 ? HalfRef(p, from_src(-4)(x, y), is565()) : p; }},
        {"fill", [&](DDSurface* d) { RAS_FillRectAlpha(d, 0, 0, 100, 100, colour, 64); },
         [&](int, int, uint16_t p) { return AlphaRef(p, colour, 64, is565()); }},
        {"line along a row", [&](DDSurface* d) { RAS_Line(d, -50, 1, 50, 1, colour); },
         [&](int x, int y, uint16_t p) { return y == 1 && x > 0 ? colour : p; }},
        {"quad wider than the surface", [&](DDSurface* d) { RAS_TexQuad(d, 0, 0, 30, 0, 30, 3, 0, 3, src, 0, 0, 10, 4); },
         nullptr},
    };
    for (const auto& c : cases) {
        DDSurface* dst = Make(10, 4, 41);
        fill_padding(dst);
        const auto before = support::ReadSurface(dst);
        c.draw(dst);
        EXPECT_TRUE(padding_intact(dst)) << c.what;
        if (c.want) ExpectPixels(dst, before, c.want, c.what);
    }
}

TEST_P(Raster, BlendsClipToBothSurfaces) {
    DDSurface *src = Make(8, 6, 9), *dst = Make(10, 10, 10);
    const auto before = support::ReadSurface(dst);
    // Hanging over the destination's left and top, and asking for more than the source holds.
    RAS_AlphaBlt(dst, -2, -1, 40, 40, src, 0, 0, 255, RAS_NO_KEY, 0);
    ExpectPixels(dst, before, [&](int x, int y, uint16_t d) {
        const bool drawn = x < 6 && y + 1 < 6;  // 6 source columns left from x 2
        return drawn ? AlphaRef(d, support::PixelAt(src, x + 2, y + 1), 255, is565()) : d;
    }, "clipped");
    int32_t x = 5, y = 5, w = 10, h = 10, sx = 0, sy = 0;
    EXPECT_EQ(RAS_ClipBlt(&x, &y, &w, &h, &sx, &sy, 0, 0, 8, 8), 1);
    EXPECT_EQ(std::pair(w, h), std::pair(3, 3));
    x = -4, w = 4, h = 2, y = 0;
    EXPECT_EQ(RAS_ClipBltRect(&x, &y, &w, &h, &sx, &sy, 8, 8, nullptr), 0);
    const RAS_SURFACE none{nullptr, 0, 0};
    EXPECT_EQ(RAS_AlphaBltDesc(none, 0, 0, 4, 4, none, 0, 0, 100, RAS_NO_KEY), 0);
}

// Fills: level 0 and 256 up draw nothing, 128 halves, others blend the colour; clipped to the view,
// odd widths leave their last column, and keyed fills leave destination pixels equal to the key.
TEST_P(Raster, FillsFollowTheLevelRulesInsideTheSurface) {
    const uint16_t colour = is565() ? 0xFFFF : 0x7FFF;
    for (int level : {0, 1, 8, 64, 128, 129, 255, 256, 300}) {
        auto c = canvas::RasCanvas(9, 5);
        const auto noise = Noise(45, level + 1);
        std::copy(noise.begin(), noise.end(), &c.At(0, 0));  // the view's rows are its width
        EXPECT_EQ(RAS_FillAlphaDispatch(c.View(), -3, -2, 100, 100, colour, level), level < 256 ? 1 : 0);
        for (int i = 0; i < 45; ++i) {
            const uint16_t d = noise[i], want = (i % 9 == 8 || level == 0 || level >= 256) ? d
                                               : level == 128 ? HalfRef(d, colour, is565()) : AlphaRef(d, colour, level, is565());
            ASSERT_EQ(c.At(i % 9, i / 9), want) << "level " << level << " pixel " << i;
        }
        EXPECT_TRUE(c.GuardIntact());
    }
    auto k = canvas::RasCanvas(4, 2);
    k.At(0, 0) = k.At(1, 1) = 5;
    RAS_FillAlphaWorker(k.View(), 0, 0, 4, 2, colour, 128, 5);
    EXPECT_TRUE(k.At(0, 0) == 5 && k.At(1, 1) == 5 && k.At(1, 0) == AlphaRef(0, colour, 128, is565()));
    DDSurface* s = Make(6, 4, 0);
    const uint16_t half = HalfRef(0, colour, is565());
    EXPECT_EQ(RAS_FillRectAlpha(s, 1, 1, 5, 3, colour, 128), 1);
    EXPECT_TRUE(support::PixelAt(s, 1, 1) == half && support::PixelAt(s, 0, 0) == 0);
    RAS_FillRectAlphaKey(s, 0, 0, 6, 4, colour, 255, half);
    EXPECT_TRUE(support::PixelAt(s, 1, 1) == half && support::PixelAt(s, 0, 0) == AlphaRef(0, colour, 255, is565()));
}

TEST_P(Raster, DimScalesEveryChannelAndKeepsKeyedPixels) {
    DDSurface* src = Make(8, 2, 11);
    support::SetPixel(src, 1, 0, 0);
    const RECT odd{0, 0, 7, 2};
    for (int level : {-5, 0, 16, 31, 40}) {
        DDSurface* dst = Make(8, 2, 12);
        const auto before = support::ReadSurface(dst);
        EXPECT_EQ(RAS_DimBlt(dst, 0, 0, src, &odd, level, 0), 0);
        ExpectPixels(dst, before, [&](int x, int y, uint16_t d) {
            const uint16_t s = support::PixelAt(src, x, y);
            return (x >= 6 || s == 0) ? d : ref::Dim(s, std::clamp(level, 0, 31), is565());
        }, "level " + std::to_string(level));
    }
    // Without a rectangle the whole source; a rectangle reaching beyond the source is refused.
    DDSurface* dst = Make(8, 8, 0);
    const RECT wide{5, 0, 40, 2};
    RAS_DimBlt(dst, 0, 4, src, nullptr, 31, RAS_NO_KEY), RAS_DimBlt(dst, 0, 0, src, &wide, 31, RAS_NO_KEY);
    EXPECT_TRUE(support::PixelAt(dst, 7, 5) == ref::Dim(support::PixelAt(src, 7, 1), 31, is565()) && support::PixelAt(dst, 0, 0) == 0);
}

TEST_P(Raster, LinesStartAtTheSecondPointAndClipToTheView) {
    // Pixels drawn, one drawn, one left. A point draws nothing; steeper than 256 rows a column and
    // wholly on screen drawn; partly off screen from the second point to the bottom edge, the clipped
    // first point left out; on the diagonal the error term reaches the larger extent at every pixel.
    const int32_t cases[][9] = {{10, 10, 20, 10, 10, 11, 10, 10, 10}, {50, 50, 50, 50, 0, -1, 0, 50, 50},
                                {10, 0, 11, 300, 300, 11, 300, 10, 0}, {100, 900, 101, 100, 379, 101, 100, 100, 479},
                                {0, 0, 5, 5, 5, 1, 1, 0, 0}};
    for (const auto& k : cases) {
        auto c = canvas::RasCanvas(640, 480, 1);
        RAS_LineWorker(c.View(), k[0], k[1], k[2], k[3], 7);
        EXPECT_EQ(c.Count(7), k[4]) << k[0] << "," << k[1];
        EXPECT_TRUE((k[5] < 0 || c.At(k[5], k[6]) == 7) && c.At(k[2], k[3]) == (k[4] ? 7 : 0) && c.At(k[7], k[8]) == 0) << k[0] << "," << k[1];
        EXPECT_TRUE(c.GuardIntact());
    }
    auto m = canvas::RasCanvas(8, 2);
    m.Clear(is565() ? 0xFFFF : 0x7FFF);
    RAS_LineMixWorker(m.View(), 8, 0, 0, 0, 0);
    EXPECT_EQ(m.At(0, 0), HalfRef(m.At(7, 1), 0, is565()));
    DDSurface* s = Make(20, 10, 0);
    EXPECT_EQ(RAS_Line(s, -50, 5, 50, 5, 3), 1);
    for (int x = 0; x < 20; ++x) EXPECT_EQ(support::PixelAt(s, x, 5), x == 0 ? 0 : 3);
}

TEST(RasLine, HostileLinesKeepToTheView) {
    std::mt19937 rng(5);
    auto c = canvas::RasCanvas(17, 9, 12);
    for (int i = 0; i < 20000; ++i) {
        auto v = canvas::Hostile(rng, 17, 9);
        RAS_LineWorker(c.View(), v[0], v[1], v[2], v[3], 1);
        ASSERT_TRUE(!RAS_ClipLine(c.View(), &v[0], &v[1], &v[2], &v[3]) ||
                    (v[0] >= 0 && v[0] < 17 && v[2] >= 0 && v[2] < 17 && v[1] >= 0 && v[1] < 9 && v[3] >= 0 && v[3] < 9));
    }
    EXPECT_TRUE(c.GuardIntact());
}

TEST_P(Raster, TexturedQuadCopiesAMovedRectangleAndKeepsToShortSurfaces) {
    DDSurface *src = Make(12, 10, 13), *dst = Make(30, 20, 0);
    // Corners on the rectangle (2, 3, 6 x 4) moved to (10, 5).
    EXPECT_EQ(RAS_TexQuad(dst, 10, 5, 15, 5, 15, 8, 10, 8, src, 2, 3, 6, 4), 1);
    ExpectPixels(dst, std::vector<uint16_t>(600, 0), [&](int x, int y, uint16_t) -> uint16_t {
        return x >= 10 && x < 16 && y >= 5 && y < 9 ? support::PixelAt(src, x - 8, y - 2) : 0;
    }, "quad");
    // A view shorter than the span table: rows past its height are neither walked nor filled.
    auto c = canvas::RasCanvas(16, 6, 8), t = canvas::RasCanvas(8, 8);
    for (int i = 0; i < 64; ++i) t.At(i % 8, i / 8) = static_cast<uint16_t>(1 + i);
    const int32_t corners[8] = {-5, -40, 30, 2, 12, 700, -20, 30}, whole[8] = {0, 0, 15, 0, 15, 5, 0, 5};
    RAS_TexQuadWorker(c.View(), corners, t.View(), 0, 0, 8, 8);
    // Source rectangles beyond the texture read only inside it.
    RAS_TexQuadWorker(c.View(), whole, t.View(), 4, 4, 100, 100);
    EXPECT_EQ(c.At(15, 5), t.At(7, 7));
    EXPECT_TRUE(c.GuardIntact());
}

TEST_P(Raster, MaskedCopyUsesPitchesAndRefusesSmallSurfaces) {
    Start(24);  // rows longer than 640 pixels
    DDSurface *dst = Make(640, 480, 0), *src = Make(640, 480, 21), *mask = Make(640, 480, 0);
    support::SetPixel(mask, 639, 479, 9), support::SetPixel(mask, 0, 1, 9);
    RAS_MaskCopy(dst, src, mask, 0);
    for (auto [x, y] : {std::pair{639, 479}, {0, 1}}) EXPECT_EQ(support::PixelAt(dst, x, y), support::PixelAt(src, x, y));
    EXPECT_EQ(support::PixelAt(dst, 1, 1), 0);
    RAS_MaskCopyZero(mask, src, mask, 0);  // mask is the destination: locked once, copies where 0
    EXPECT_TRUE(support::PixelAt(mask, 5, 5) == support::PixelAt(src, 5, 5) && support::PixelAt(mask, 0, 1) == 9);
    DDSurface* other = Make(640, 480, 22);
    const auto before = support::ReadSurface(other);
    RAS_MaskCopy(other, other, mask, 0);  // the same surface: nothing
    EXPECT_EQ(support::ReadSurface(other), before);
    headless::ClearDebugOutput();
    DDSurface* small = Make(320, 480, 23);
    const auto small_before = support::ReadSurface(small), dst_before = support::ReadSurface(dst);
    RAS_MaskCopy(small, src, mask, 0), RAS_MaskCopy(dst, small, mask, 0);
    EXPECT_FALSE(headless::DebugOutput().empty());
    EXPECT_TRUE(support::ReadSurface(small) == small_before && support::ReadSurface(dst) == dst_before);
    for (DDSurface* s : {small, dst, mask}) EXPECT_FALSE(s->IsLocked());
}

TEST_P(Raster, FailedLocksDrawNothingAndLeaveNothingLocked) {
    DDSurface* src = Make(8, 8, 30);
    DDSurface* dst = Make(8, 8, 0);
    for (bool dim : {false, true}) {
        const auto draw = [&] { dim ? RAS_DimBlt(dst, 0, 0, src, nullptr, 31, RAS_NO_KEY) : RAS_AlphaBlt(dst, 0, 0, 8, 8, src, 0, 0, 255, RAS_NO_KEY, 0); };
        headless::FailCall("DDSurface.Lock");
        draw();
        for (DDSurface* busy : {src, dst}) {  // whichever lock fails, the other surface is unlocked again
            DDSURFACEDESC2 d;
            ASSERT_EQ(DD_LockSurface(busy, &d), DD_OK);
            draw();
            EXPECT_FALSE((busy == src ? dst : src)->IsLocked()) << dim;
            busy->Unlock(nullptr);
        }
    }
    EXPECT_EQ(support::ReadSurface(dst), std::vector<uint16_t>(64, 0));
    RAS_AlphaBlt(dst, 0, 0, 8, 8, dst, 0, 0, 255, RAS_NO_KEY, 0);  // one surface cannot be locked twice: nothing
    EXPECT_FALSE(dst->IsLocked());
}

INSTANTIATE_TEST_SUITE_P(Layouts, Raster, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "565" : "555"; });

// The same class on every machine, so the odd last column of a level-128 blend never depends on
// the processor's maker; the blends themselves are checked at every class above.
TEST(ProcessorClass, EveryMachineIsClassFour) {
    const int32_t saved = PROC_CLASS;
    PROC_CLASS = 0;
    EXPECT_EQ(PROC_GetClass(), 4);
    EXPECT_TRUE(PROC_CLASS == 4 && PROC_MMX == 1);
    PROC_CLASS = saved;
}
}  // namespace
