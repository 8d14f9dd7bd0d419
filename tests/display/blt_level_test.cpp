// The level blitters: alpha and additive levels, dim and whiten in pairs with their clipping and row
// padding, and the workers' bounds. The banks themselves are checked in blt_bank_vec_test.
#include "display/blt_level.h"
#include "display/ras_raster.h"
#include <gtest/gtest.h>
#include <cstring>
#include "tests/display/blend_fixture.h"

namespace {
using namespace blendtest;
class Level : public Layout {};
BLEND_LAYOUTS(Level);
}  // namespace

TEST(BlendTable, WorkedEntries) {
    BLT_BuildTables();
    EXPECT_EQ(BLT_BLEND_TABLE[16][0 * 32 + 31], 15);   // half of white over black
    EXPECT_EQ(BLT_BLEND_TABLE[1][0 * 32 + 5], 1);      // a nonzero source never gives 0
    EXPECT_EQ(BLT_BLEND_TABLE[1][10 * 32 + 0], 9);     // s = 0 pulls down, floor toward minus infinity
    EXPECT_EQ(BLT_BLEND_TABLE[64][20 * 32 + 20], 31);  // saturating sum
}

TEST_P(Level, SharedWalks) {
    CheckWalks({BLEND_MEMBER(BLT_Alpha, BLT_AlphaStretch, (12, f, k)), BLEND_MEMBER(BLT_AddLevel, BLT_AddLevelStretch, (40, f, k)),
                BLEND_MEMBER(BLT_TableBlend, BLT_TableBlendStretch, (0, f, k)), BLEND_MEMBER(BLT_TableBlend, BLT_TableBlendStretch, (31, f, k)),
                BLEND_MEMBER(BLT_TableBlend, BLT_TableBlendStretch, (75, f, k))});
}

TEST_P(Level, AlphaLevelsSelectNothingBlendOrOpaqueBlit) {
    const uint16_t w = White(), half = Px(15, 15, 15);
    DDSurface *dst = Make(4, 1, V(4, 0)), *src = Make(4, 1, {w, w, 0, w});
    RECT r{0, 0, 4, 1};
    for (int level : {0, -3}) BLT_Alpha(dst, 0, 0, src, nullptr, level, 0, 0), BLT_AlphaStretch(dst, &r, src, nullptr, level, 0, 0);
    EXPECT_EQ(ReadSurface(dst), V(4, 0));
    BLT_Alpha(dst, 0, 0, src, nullptr, 16, 0, 1);
    EXPECT_EQ(ReadSurface(dst), (V{half, half, 0, half}));
    V ramp(32, Px(0, 1, 0)), want(32, Px(1, 1, 1));  // level 1 over black: a nonzero channel gives 1, never 0
    for (int c = 1; c < 32; ++c) ramp[size_t(c)] = Px(c, c, c);
    want[0] = Px(0, 1, 0);
    DDSurface* rdst = Make(32, 1);
    BLT_Alpha(rdst, 0, 0, Make(32, 1, ramp), nullptr, 1, 0, 0);
    EXPECT_EQ(ReadSurface(rdst), want);
    DDSurface* src2 = Make(4, 1, {Px(31, 0, 0), 0, 1, 2});  // 31 and above: an opaque blit, mirrored, still keyed
    support::SetKey0(src2);
    for (int level : {31, 40}) {
        Fill(dst, V(4, 9));
        BLT_Alpha(dst, 0, 0, src2, nullptr, level, 1, 1);
        EXPECT_EQ(ReadSurface(dst), (V{2, 1, 9, Px(31, 0, 0)}));
        BLT_AlphaStretch(dst, &r, src2, nullptr, level, 1, 0);
        EXPECT_EQ(ReadSurface(dst), (V{2, 1, 0, Px(31, 0, 0)}));
    }
}

TEST_P(Level, AddLevelSaturatesAndCapsItsStrength) {
    DDSurface* src = Make(3, 1, {Px(20, 10, 16), Px(5, 31, 1), Px(31, 0, 16)});
    DDSurface* dst = Make(3, 1, {Px(20, 10, 0), Px(31, 31, 31), Px(0, 0, 0)});
    BLT_AddLevel(dst, 0, 0, src, nullptr, 32, 0, 0);  // the saturating sum; 31 stays 31
    EXPECT_EQ(ReadSurface(dst), (V{Px(31, 20, 16), Px(31, 31, 31), Px(31, 0, 16)}));
    for (int level : {63, 1000}) {  // above 63 acts as 63: 16 + 16 x 63 / 32 saturates, 1 x 63 / 32 = 1, 5 x 63 / 32 = 9
        Fill(dst, V(3, 0));
        BLT_AddLevel(dst, 0, 0, src, nullptr, level, 0, 0);
        EXPECT_EQ(ReadSurface(dst), (V{Px(31, 19, 31), Px(9, 31, 1), Px(31, 0, 31)})) << level;
    }
    RECT r{0, 0, 3, 1};  // below 1 draws nothing
    BLT_AddLevel(dst, 0, 0, src, nullptr, 0, 0, 0), BLT_AddLevelStretch(dst, &r, src, nullptr, -1, 0, 0);
    EXPECT_EQ(ReadSurface(dst), (V{Px(31, 19, 31), Px(9, 31, 1), Px(31, 0, 31)}));
}

TEST_P(Level, DimAndWhitenMatchTheChannelFormulasForEveryLevel) {
    DDSurface *dst = Make(256, 64), *src = Make(256, 64);
    long bad = 0;
    for (int level = 0; level <= 31; ++level) {
        const V s0 = Random(256 * 64);
        Fill(src, s0);
        for (int whiten = 0; whiten < 1 + (level > 0); ++whiten) {
            whiten ? BLT_Whiten(dst, 0, 0, src, nullptr, level, 0, 0) : BLT_Dim(dst, 0, 0, src, nullptr, level, 0, 0);
            const V out = ReadSurface(dst);
            for (size_t i = 0; i < out.size(); ++i) bad += out[i] != (whiten ? ref::Whiten : ref::Dim)(s0[i], level, is565());
        }
    }
    EXPECT_EQ(bad, 0);
}

TEST_P(Level, DimClampsItsLevelPairsPixelsAndHonoursTheKeyPerHalf) {
    const uint16_t w = White(), d = ref::Dim(w, 16, is565());
    DDSurface *src = Make(7, 2, V(14, w)), *dst = Make(7, 2, V(14, 0x1234));
    for (int level : {31, 500}) {  // a full channel of 31 becomes 30
        BLT_Dim(dst, 0, 0, src, nullptr, level, 0, 0);
        EXPECT_EQ(PixelAt(dst, 0, 0), is565() ? uint16_t(30 << 11 | 61 << 5 | 30) : Px(30, 30, 30)) << level;
    }
    BLT_Dim(dst, 0, 0, src, nullptr, -4, 0, 0);  // below 0 acts as 0; 7 wide changes 6 columns
    for (int i = 0; i < 14; ++i) EXPECT_EQ(PixelAt(dst, i % 7, i / 7), i % 7 < 6 ? 0 : 0x1234) << i;
    BLT_Whiten(dst, 0, 0, src, nullptr, 20, 0, 0);
    EXPECT_EQ((V{PixelAt(dst, 5, 1), PixelAt(dst, 6, 1)}), (V{ref::Whiten(w, 20, is565()), 0x1234}));
    DDSurface *ksrc = Make(6, 1, {0, 0, w, 0, 0, w}), *kdst = Make(6, 1, V(6, 7));  // keyed per half of a pair
    BLT_Dim(kdst, 0, 0, ksrc, nullptr, 16, 0, 1);
    EXPECT_EQ(ReadSurface(kdst), (V{7, 7, d, 7, 7, d}));
    BLT_Dim(kdst, 0, 0, ksrc, nullptr, 16, 0, 0);
    EXPECT_EQ(ReadSurface(kdst), (V{0, 0, d, 0, 0, d}));
}

TEST_P(Level, WhitenEndsAreAnOrdinaryBlitAndAWhiteRectangle) {
    DDSurface *src = Make(4, 2, {0, 5, 6, 7, 8, 0, 9, 10}), *dst = Make(8, 4, V(32, 3));
    support::SetKey0(src);
    BLT_Whiten(dst, 1, 1, src, nullptr, 0, 1, 1);  // flip ignored, key honoured
    EXPECT_EQ((V{PixelAt(dst, 1, 1), PixelAt(dst, 2, 1), PixelAt(dst, 4, 2), PixelAt(dst, 2, 2)}), (V{3, 5, 10, 3}));
    Fill(dst, V(32, 3));
    const RECT part{1, 0, 4, 2}, huge{INT32_MIN, 0, INT32_MAX, 2};
    BLT_Whiten(dst, 6, 2, src, &part, 32, 0, 0);  // 3 x 2 at (6, 2), cut by the surface only
    for (int i = 0; i < 32; ++i) EXPECT_EQ(PixelAt(dst, i % 8, i / 8), i % 8 >= 6 && i / 8 >= 2 ? 0xFFFF : 3) << i;
    Fill(dst, V(32, 3));  // positions and rectangles at the ends of the integer range paint nothing, never overflow
    BLT_Whiten(dst, INT32_MAX - 1, 0, src, &huge, 32, 0, 0), BLT_Dim(dst, 0, 0, src, &huge, 5, 0, 0);
    EXPECT_EQ(ReadSurface(dst), V(32, 3));
}

TEST_P(Level, DimAndWhitenClipToTheSurfaceNotTheClipRectangle) {
    V s0(16);
    for (int i = 0; i < 16; ++i) s0[size_t(i)] = static_cast<uint16_t>(0x0421 * (1 + i % 30));
    DDSurface *src = Make(8, 2, s0), *dst = Make(10, 4, V(40, 0x5555));
    DD_SetClipRect(5, 5, 2, 2);
    BLT_Dim(dst, -2, -1, src, nullptr, 8, 0, 0);   // loses 2 columns and 1 row
    BLT_Whiten(dst, 4, 3, src, nullptr, 8, 0, 0);  // 6 columns left, all pairs
    for (int x = 0; x < 10; ++x) {
        EXPECT_EQ(PixelAt(dst, x, 0), x < 6 ? ref::Dim(s0[size_t(x) + 10], 8, is565()) : 0x5555) << x;
        EXPECT_EQ(PixelAt(dst, x, 3), x >= 4 ? ref::Whiten(s0[size_t(x) - 4], 8, is565()) : 0x5555) << x;
    }
    EXPECT_EQ(PixelAt(dst, 0, 1), 0x5555);
}

TEST_P(Level, DimStretchShowsTransparentPixelsBlackAndMirrors) {
    DDSurface *src = Make(2, 1, {White(), 0}), *dst = Make(4, 2, V(8, 0x1111));
    support::SetKey0(src);
    const RECT whole{0, 0, 2, 1}, to{0, 0, 4, 2};
    const int live = DD_DISPLAY.surface_count;
    const uint16_t d = ref::Dim(White(), 16, is565());
    EXPECT_EQ(BLT_DimStretch(dst, &to, src, &whole, 16, 1), 1);
    EXPECT_EQ(ReadSurface(dst), (V{0, 0, d, d, 0, 0, d, d}));
    EXPECT_EQ(DD_DISPLAY.surface_count, live);  // the temporary is released
}

// Decided: with rows wider than their pixels, the padding is never drawn, nor read as pixels of a
// narrow source taken whole.
TEST_P(Level, PaddingIsNeverDrawnAndTheDefaultSourceIsTheRealWidth) {
    DDSurface *dst = Make(6, 3, V(18, 0x0101)), *src = Make(8, 3, V(24, 0x7BDE)), *narrow = Make(2, 1, {0x7BDE, 0x7BDE});
    ASSERT_GT(dst->Pitch(), 12);
    for (auto [s, v] : {std::pair{dst, 0xAB}, {src, 0xCD}, {narrow, 0xCD}})
        for (int y = 0; y < s->Height(); ++y) std::memset(s->Memory() + size_t(y) * s->Pitch() + 2 * size_t(s->Width()), v, size_t(s->Pitch()) - 2 * size_t(s->Width()));
    BLT_Dim(dst, 2, 0, src, nullptr, 16, 0, 0), BLT_Whiten(dst, 2, 1, src, nullptr, 16, 0, 0);
    for (size_t i = 0; i < 3 * size_t(dst->Pitch()); ++i)
        if (i % dst->Pitch() >= 12) { ASSERT_EQ(dst->Memory()[i], 0xAB) << "byte " << i; }
    EXPECT_EQ(PixelAt(dst, 5, 0), ref::Dim(0x7BDE, 16, is565()));
    Fill(dst, V(18, 0x0101));
    BLT_Dim(dst, 0, 0, narrow, nullptr, 31, 0, 0);
    EXPECT_EQ((V{PixelAt(dst, 1, 0), PixelAt(dst, 2, 0)}), (V{ref::Dim(0x7BDE, 31, is565()), 0x0101}));
}

TEST(ClipWorker, CutsTheBlockAndMovesTheSource) {
    const RECT clip{5, 5, 9, 9};
    const struct {
        int32_t x, y, w, h;
        const RECT* clip;
        std::vector<int32_t> want;  // x, y, width, height, source x, source y; none when nothing is left
    } cases[] = {{-3, 2, 10, 10, nullptr, {0, 2, 7, 6, 4, 1}},        {0, 0, 20, 20, &clip, {5, 5, 4, 4, 6, 6}},
                 {20, 0, 5, 5, nullptr, {}},                             {-5, 0, 5, 5, nullptr, {}},  // touches the edge only
                 {0, 0, INT32_MAX, INT32_MAX, nullptr, {0, 0, 20, 8, 1, 1}}};
    for (const auto& c : cases) {
        int32_t x = c.x, y = c.y, w = c.w, h = c.h, sx = 1, sy = 1;
        ASSERT_EQ(BLT_ClipWorker(&x, &y, &w, &h, &sx, &sy, 20, 8, c.clip) != 0, !c.want.empty()) << c.x << "," << c.y;
        if (!c.want.empty()) { EXPECT_EQ((std::vector<int32_t>{x, y, w, h, sx, sy}), c.want); }
    }
}

// A cut on the left or top that carries the source position past the 32-bit range leaves nothing,
// in the level workers' clip and in the raster blends that share it.
TEST(ClipWorker, SourcePositionNeverWraps) {
    int32_t x = -10, y = 0, w = 20, h = 4, sx = INT32_MAX - 3, sy = 0;
    EXPECT_EQ(BLT_ClipWorker(&x, &y, &w, &h, &sx, &sy, 20, 8, nullptr), 0);
    EXPECT_EQ((std::array{x, sx}), (std::array{-10, INT32_MAX - 3}));
    x = 0, y = -10, sx = 0, sy = INT32_MAX - 3;
    EXPECT_EQ(RAS_ClipBltRect(&x, &y, &w, &h, &sx, &sy, 20, 8, nullptr), 0);
    x = -10, y = 0, sx = INT32_MAX - 10, sy = 0;  // lands exactly on the last position
    EXPECT_EQ(RAS_ClipBlt(&x, &y, &w, &h, &sx, &sy, 0, 0, 20, 8), 1);
    EXPECT_EQ((std::array{x, w, sx}), (std::array{0, 10, INT32_MAX}));
}

TEST(Workers, ResultsKeysAndSourceBounds) {
    support::HeadlessDisplay display;  // 565
    ASSERT_TRUE(display.ok);
    V d(16, 0x1111), s(16, 0xFFFF);
    BLT_WORKER_PARAMS p{.dst = d.data(), .dst_pitch = 4, .dst_width = 4, .dst_height = 4, .width = 2, .height = 2, .src = s.data(),
                        .src_pitch = 4, .src_width = 4, .src_height = 4, .level = 31, .key = 0};
    EXPECT_EQ((std::array{BLT_WhitenWorker(&p), int(d[0])}), (std::array{0, 0x1111}));  // whiten draws only without a key
    p.key = BLT_WHITEN_NO_KEY;
    EXPECT_EQ(BLT_WhitenWorker(&p), 1);
    p.key = BLT_NO_KEY, p.x = 4;
    EXPECT_EQ(BLT_DimWorker(&p), 0);  // clipped away
    std::fill(d.begin(), d.end(), 0x1111);
    p.x = 0;
    for (auto [sx, sy] : {std::pair{3, 0}, {-1, 0}, {0, 3}}) {  // a source block reaching outside its surface is refused, not read
        p.src_x = sx, p.src_y = sy;
        EXPECT_EQ(BLT_DimWorker(&p), 0) << sx << "," << sy;
    }
    EXPECT_EQ(d, V(16, 0x1111));
    p.src_x = 0, p.src_y = 2;
    EXPECT_EQ((std::array{BLT_DimWorker(&p), int(d[0]), int(d[2]), BLT_DimWorker(nullptr)}), (std::array{1, int(ref::Dim(0xFFFF, 31, true)), 0x1111, 0}));
}
