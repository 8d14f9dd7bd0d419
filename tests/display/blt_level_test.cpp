// Blend tables and the level blitters: table blends against a per-channel reference, alpha and
// additive edge cases, dim and whiten in pairs, their clipping and row padding.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

#include "display/blt_frame.h"
#include "display/blt_level.h"
#include "display/dd_display.h"
#include "tests/display/channel_reference.h"
#include "tests/support/fixture.h"

namespace {
// Surfaces made by a test, released before its display goes.
std::vector<DDSurface*> g_made;
DDSurface* Make(int w, int h, const std::vector<uint16_t>& px = {}) {
    DDSurface* s = support::MakeSurface(w, h, px);
    g_made.push_back(s);
    return s;
}
void ReleaseMade() {
    for (DDSurface* s : g_made) DD_ReleaseSurface(s);
    g_made.clear();
}

headless::Config Format(bool is565, int extra_pitch = 0) {
    headless::Config c;
    c.is565 = is565;
    c.extra_pitch = extra_pitch;
    return c;
}

std::vector<uint16_t> RandomPixels(std::mt19937& rng, size_t n, bool allow_zero = true) {
    std::vector<uint16_t> v(n);
    for (auto& p : v) {
        do p = static_cast<uint16_t>(rng());
        while (!allow_zero && p == 0);
    }
    return v;
}

void Fill(DDSurface* s, const std::vector<uint16_t>& px) {
    for (int y = 0; y < s->Height(); ++y)
        for (int x = 0; x < s->Width(); ++x) support::SetPixel(s, x, y, px[size_t(y) * s->Width() + x]);
}

// Pixel (x, y) of a w-wide picture after the flip byte's mirroring.
size_t Mirrored(int x, int y, int w, int h, uint32_t flip) {
    if (flip & 1) x = w - 1 - x;
    if (flip & 2) y = h - 1 - y;
    return size_t(y) * w + x;
}

// Fresh display in one layout for every test; the parameter says 565.
class Level : public ::testing::TestWithParam<bool> {
protected:
    Level() : display(Format(GetParam())) {}
    void SetUp() override { ASSERT_TRUE(display.ok); }
    void TearDown() override { ReleaseMade(); }
    bool is565() const { return GetParam(); }
    uint16_t White() const { return is565() ? 0xFFFF : 0x7FFF; }
    support::HeadlessDisplay display;
    std::mt19937 rng{1234};
};
INSTANTIATE_TEST_SUITE_P(Layouts, Level, ::testing::Values(false, true),
                         [](const auto& i) { return i.param ? std::string("565") : std::string("555"); });
}  // namespace

// ---------------- the table ----------------
TEST(BlendTable, EveryEntryOfEveryBankFollowsTheChannelRule) {
    BLT_BuildTables();
    int mismatches = 0;
    for (int b = 0; b < BLT_BLEND_BANKS; ++b)
        for (int d = 0; d < 32; ++d)
            for (int s = 0; s < 32; ++s)
                if (BLT_BLEND_TABLE[b][d * 32 + s] != ref::Bank(b, d, s)) ++mismatches;
    EXPECT_EQ(mismatches, 0);
    EXPECT_EQ(BLT_BLEND_TABLE[16][0 * 32 + 31], 15);  // half of white over black
    EXPECT_EQ(BLT_BLEND_TABLE[64][20 * 32 + 20], 31);  // saturating sum
    EXPECT_EQ(BLT_BLEND_TABLE[95][0 * 32 + 16], 31);
    EXPECT_EQ(BLT_BLEND_TABLE[1][10 * 32 + 0], 9);    // s = 0 may pull down, floor toward minus infinity
}

// ---------------- table blends ----------------
TEST_P(Level, EveryBankMatchesThePerChannelFormulaOnRandomPixels) {
    constexpr int W = 128, H = 128;
    DDSurface* dst = Make(W, H);
    DDSurface* src = Make(W, H);
    long mismatches = 0;
    for (int bank = 0; bank < BLT_BLEND_BANKS; ++bank) {
        const auto d0 = RandomPixels(rng, W * H), s0 = RandomPixels(rng, W * H);
        Fill(dst, d0);
        Fill(src, s0);
        BLT_TableBlend(dst, 0, 0, src, nullptr, bank, 0, 0);
        const auto out = support::ReadSurface(dst);
        for (size_t i = 0; i < out.size(); ++i)
            if (out[i] != ref::BankBlend(d0[i], s0[i], bank, bank, bank, is565())) ++mismatches;
    }
    EXPECT_EQ(mismatches, 0);
}

TEST_P(Level, MirroringMovesPixelsButNeverChangesColours) {
    constexpr int W = 37, H = 23;
    DDSurface* dst = Make(W, H);
    DDSurface* src = Make(W, H);
    const auto s0 = RandomPixels(rng, W * H);
    Fill(src, s0);
    for (uint32_t flip = 0; flip < 4; ++flip) {
        for (int keyed = 0; keyed < 2; ++keyed) {
            const auto d0 = RandomPixels(rng, W * H);
            Fill(dst, d0);
            BLT_TableBlend(dst, 0, 0, src, nullptr, 12, flip | 0x300, keyed);  // only the low byte counts
            const auto out = support::ReadSurface(dst);
            for (int y = 0; y < H; ++y)
                for (int x = 0; x < W; ++x) {
                    const size_t di = Mirrored(x, y, W, H, flip);
                    const uint16_t s = s0[size_t(y) * W + x];
                    const uint16_t want = (keyed && s == 0) ? d0[di] : ref::BankBlend(d0[di], s, 12, 12, 12, is565());
                    ASSERT_EQ(out[di], want) << "flip " << flip << " keyed " << keyed << " at " << x << "," << y;
                }
        }
    }
}

TEST_P(Level, StretchAtScaleOneEqualsThePointForm) {
    constexpr int W = 41, H = 17;
    DDSurface* a = Make(100, 60);
    DDSurface* b = Make(100, 60);
    DDSurface* src = Make(W, H);
    auto s0 = RandomPixels(rng, W * H);
    for (size_t i = 0; i < s0.size(); i += 5) s0[i] = 0;
    Fill(src, s0);
    const RECT part{3, 2, 40, 15};
    for (uint32_t flip = 0; flip < 4; ++flip)
        for (int keyed = 0; keyed < 2; ++keyed)
            for (int bank : {0, 7, 31, 50, 95}) {
                const auto d0 = RandomPixels(rng, 100 * 60);
                Fill(a, d0);
                Fill(b, d0);
                BLT_TableBlend(a, 20, 30, src, &part, bank, flip, keyed);
                RECT dr{20, 30, 20 + 37, 30 + 13};
                BLT_TableBlendStretch(b, &dr, src, &part, bank, flip, keyed);
                ASSERT_EQ(support::ReadSurface(a), support::ReadSurface(b)) << flip << keyed << bank;
                // Clipped by the screen edge in both forms alike.
                Fill(a, d0);
                Fill(b, d0);
                BLT_TableBlend(a, -5, 50, src, &part, bank, flip, keyed);
                RECT edge{-5, 50, -5 + 37, 50 + 13};
                BLT_TableBlendStretch(b, &edge, src, &part, bank, flip, keyed);
                ASSERT_EQ(support::ReadSurface(a), support::ReadSurface(b)) << flip << keyed << bank;
                EXPECT_EQ(edge.left, 0);
                EXPECT_EQ(edge.bottom, 60);  // the caller's rectangle holds the clipped one
            }
}

TEST_P(Level, AlphaLevelsSelectNothingBlendOrOpaqueBlit) {
    const uint16_t white = White();
    DDSurface* dst = Make(4, 1, {0, 0, 0, 0});
    DDSurface* src = Make(4, 1, {white, white, 0, white});
    for (int level : {0, -3}) {
        BLT_Alpha(dst, 0, 0, src, nullptr, level, 0, 0);
        RECT r{0, 0, 4, 1};
        BLT_AlphaStretch(dst, &r, src, nullptr, level, 0, 0);
        EXPECT_EQ(support::ReadSurface(dst), (std::vector<uint16_t>{0, 0, 0, 0}));
    }
    // Level 16 of white over black: 15 in every channel (the 565 green is its top five bits).
    BLT_Alpha(dst, 0, 0, src, nullptr, 16, 0, 1);
    const uint16_t half = is565() ? uint16_t(15 << 11 | 15 << 6 | 15) : uint16_t(15 << 10 | 15 << 5 | 15);
    EXPECT_EQ(support::ReadSurface(dst), (std::vector<uint16_t>{half, half, 0, half}));

    // 31 and above: an opaque blit, mirrored, still keyed.
    const uint16_t red = is565() ? 0xF800 : 0x7C00;
    DDSurface* src2 = Make(4, 1, {red, 0, 1, 2});
    support::SetKey0(src2);
    for (int level : {31, 40}) {
        Fill(dst, {9, 9, 9, 9});
        BLT_Alpha(dst, 0, 0, src2, nullptr, level, 1, 1);
        EXPECT_EQ(support::ReadSurface(dst), (std::vector<uint16_t>{2, 1, 9, red}));
        Fill(dst, {9, 9, 9, 9});
        RECT r{0, 0, 4, 1};
        BLT_AlphaStretch(dst, &r, src2, nullptr, level, 1, 0);
        EXPECT_EQ(support::ReadSurface(dst), (std::vector<uint16_t>{2, 1, 0, red}));
    }
}

TEST_P(Level, AlphaOneNeverTurnsASourceChannelIntoZero) {
    std::vector<uint16_t> s0(32);
    for (int c = 1; c < 32; ++c)
        s0[c] = is565() ? uint16_t(c << 11 | c << 6 | c) : uint16_t(c << 10 | c << 5 | c);
    s0[0] = is565() ? uint16_t(1 << 6) : uint16_t(1 << 5);
    DDSurface* src = Make(32, 1, s0);
    DDSurface* dst = Make(32, 1);
    BLT_Alpha(dst, 0, 0, src, nullptr, 1, 0, 0);
    const auto out = support::ReadSurface(dst);
    const uint16_t one = is565() ? uint16_t(1 << 11 | 1 << 6 | 1) : uint16_t(1 << 10 | 1 << 5 | 1);
    for (int c = 1; c < 32; ++c) EXPECT_EQ(out[c], one) << c;
    EXPECT_EQ(out[0], is565() ? uint16_t(1 << 6) : uint16_t(1 << 5));  // only green was there
}

TEST_P(Level, AddLevelSaturatesAndCapsItsStrength) {
    const bool f = is565();
    auto px = [f](int r, int g5, int b) {
        return f ? uint16_t(r << 11 | g5 << 6 | b) : uint16_t(r << 10 | g5 << 5 | b);
    };
    DDSurface* src = Make(3, 1, {px(20, 10, 16), px(5, 31, 1), px(31, 0, 16)});
    DDSurface* dst = Make(3, 1);
    Fill(dst, {px(20, 10, 0), px(31, 31, 31), px(0, 0, 0)});
    BLT_AddLevel(dst, 0, 0, src, nullptr, 32, 0, 0);
    EXPECT_EQ(support::ReadSurface(dst), (std::vector<uint16_t>{px(31, 20, 16), px(31, 31, 31), px(31, 0, 16)}));
    // Above 63 acts as 63: 16 + 16 x 63 / 32 = 47, saturated to 31; 1 x 63 / 32 = 1.
    Fill(dst, {px(0, 0, 0), px(0, 0, 0), px(0, 0, 0)});
    BLT_AddLevel(dst, 0, 0, src, nullptr, 1000, 0, 0);
    const auto capped = support::ReadSurface(dst);
    Fill(dst, {px(0, 0, 0), px(0, 0, 0), px(0, 0, 0)});
    BLT_AddLevel(dst, 0, 0, src, nullptr, 63, 0, 0);
    EXPECT_EQ(capped, support::ReadSurface(dst));
    EXPECT_EQ(capped[1], px(9, 31, 1));
    // Level 0 draws nothing.
    BLT_AddLevel(dst, 0, 0, src, nullptr, 0, 0, 0);
    RECT r{0, 0, 3, 1};
    BLT_AddLevelStretch(dst, &r, src, nullptr, -1, 0, 0);
    EXPECT_EQ(capped, support::ReadSurface(dst));
}

TEST_P(Level, TableBlendKeepsTheLowGreenBitClearAndStaysInsideTheBanks) {
    DDSurface* src = Make(2, 1, {0xFFFF, 0x0020});
    DDSurface* dst = Make(2, 1, {0xFFFF, 0xFFFF});
    BLT_TableBlend(dst, 0, 0, src, nullptr, 31, 0, 0);
    if (is565())
        EXPECT_EQ(support::ReadSurface(dst), (std::vector<uint16_t>{0xFFDF, 0x0000}));
    else
        EXPECT_EQ(support::ReadSurface(dst), (std::vector<uint16_t>{0x7FFF, 0x0020}));
    // Banks beyond the table are held at its ends.
    const auto d0 = RandomPixels(rng, 64), s0 = RandomPixels(rng, 64);
    DDSurface* big_src = Make(64, 1, s0);
    DDSurface* a = Make(64, 1, d0);
    DDSurface* b = Make(64, 1, d0);
    BLT_TableBlend(a, 0, 0, big_src, nullptr, 5000, 0, 0);
    BLT_TableBlend(b, 0, 0, big_src, nullptr, 95, 0, 0);
    EXPECT_EQ(support::ReadSurface(a), support::ReadSurface(b));
    Fill(a, d0);
    Fill(b, d0);
    RECT ra{0, 0, 64, 1}, rb{0, 0, 64, 1};
    BLT_TableBlendStretch(a, &ra, big_src, nullptr, -70, 0, 0);
    BLT_TableBlendStretch(b, &rb, big_src, nullptr, 0, 0, 0);
    EXPECT_EQ(support::ReadSurface(a), support::ReadSurface(b));
}

// ---------------- dim and whiten ----------------
TEST_P(Level, DimAndWhitenMatchTheChannelFormulasForEveryLevel) {
    constexpr int W = 256, H = 64;
    DDSurface* dst = Make(W, H);
    DDSurface* src = Make(W, H);
    long dim_bad = 0, whiten_bad = 0;
    for (int level = 0; level <= 31; ++level) {
        const auto s0 = RandomPixels(rng, W * H);
        Fill(src, s0);
        BLT_Dim(dst, 0, 0, src, nullptr, level, 0, 0);
        auto out = support::ReadSurface(dst);
        for (size_t i = 0; i < out.size(); ++i)
            if (out[i] != ref::Dim(s0[i], level, is565())) ++dim_bad;
        if (level >= 1) {
            BLT_Whiten(dst, 0, 0, src, nullptr, level, 0, 0);
            out = support::ReadSurface(dst);
            for (size_t i = 0; i < out.size(); ++i)
                if (out[i] != ref::Whiten(s0[i], level, is565())) ++whiten_bad;
        }
    }
    EXPECT_EQ(dim_bad, 0);
    EXPECT_EQ(whiten_bad, 0);
}

TEST_P(Level, DimLevelsAreHeldToZeroAndThirtyOne) {
    const uint16_t white = White();
    DDSurface* src = Make(2, 1, {white, white});
    DDSurface* dst = Make(2, 1);
    BLT_Dim(dst, 0, 0, src, nullptr, 31, 0, 0);
    const uint16_t w31 = is565() ? uint16_t(30 << 11 | 61 << 5 | 30) : uint16_t(30 << 10 | 30 << 5 | 30);
    EXPECT_EQ(support::PixelAt(dst, 0, 0), w31);
    BLT_Dim(dst, 0, 0, src, nullptr, 500, 0, 0);
    EXPECT_EQ(support::PixelAt(dst, 1, 0), w31);
    BLT_Dim(dst, 0, 0, src, nullptr, -4, 0, 0);
    EXPECT_EQ(support::ReadSurface(dst), (std::vector<uint16_t>{0, 0}));
}

TEST_P(Level, PairsLeaveTheLastColumnOfAnOddWidth) {
    std::vector<uint16_t> s0(7 * 2, White());
    DDSurface* src = Make(7, 2, s0);
    DDSurface* dst = Make(7, 2, std::vector<uint16_t>(14, 0x1234));
    BLT_Dim(dst, 0, 0, src, nullptr, 0, 0, 0);
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 6; ++x) EXPECT_EQ(support::PixelAt(dst, x, y), 0) << x;
        EXPECT_EQ(support::PixelAt(dst, 6, y), 0x1234);
    }
    BLT_Whiten(dst, 0, 0, src, nullptr, 20, 0, 0);
    for (int y = 0; y < 2; ++y) {
        EXPECT_EQ(support::PixelAt(dst, 5, y), ref::Whiten(White(), 20, is565()));
        EXPECT_EQ(support::PixelAt(dst, 6, y), 0x1234);
    }
}

TEST_P(Level, KeyedDimLeavesHalvesOfPairsUnderTransparentPixels) {
    const uint16_t white = White();
    DDSurface* src = Make(6, 1, {0, 0, white, 0, 0, white});
    DDSurface* dst = Make(6, 1, {7, 7, 7, 7, 7, 7});
    BLT_Dim(dst, 0, 0, src, nullptr, 16, 0, 1);
    const uint16_t d = ref::Dim(white, 16, is565());
    EXPECT_EQ(support::ReadSurface(dst), (std::vector<uint16_t>{7, 7, d, 7, 7, d}));
    // Unkeyed, every pixel is written.
    BLT_Dim(dst, 0, 0, src, nullptr, 16, 0, 0);
    EXPECT_EQ(support::ReadSurface(dst), (std::vector<uint16_t>{0, 0, d, 0, 0, d}));
}

TEST_P(Level, WhitenEndsAreAnOrdinaryBlitAndAWhiteRectangle) {
    DDSurface* src = Make(4, 2, {0, 5, 6, 7, 8, 0, 9, 10});
    support::SetKey0(src);
    DDSurface* dst = Make(8, 4, std::vector<uint16_t>(32, 3));
    BLT_Whiten(dst, 1, 1, src, nullptr, 0, 1, 1);  // flip ignored, key honoured
    EXPECT_EQ(support::PixelAt(dst, 1, 1), 3);
    EXPECT_EQ(support::PixelAt(dst, 2, 1), 5);
    EXPECT_EQ(support::PixelAt(dst, 4, 2), 10);
    EXPECT_EQ(support::PixelAt(dst, 2, 2), 3);

    Fill(dst, std::vector<uint16_t>(32, 3));
    const RECT part{1, 0, 4, 2};
    BLT_Whiten(dst, 6, 2, src, &part, 32, 0, 0);  // 3 x 2 at (6, 2), cut by the surface only
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x) {
            const bool inside = x >= 6 && y >= 2;
            EXPECT_EQ(support::PixelAt(dst, x, y), inside ? 0xFFFF : 3) << x << "," << y;
        }
}

TEST_P(Level, DimAndWhitenClipToTheSurfaceNotTheClipRectangle) {
    constexpr int W = 8;
    std::vector<uint16_t> s0(W * 2);
    for (int i = 0; i < W * 2; ++i) s0[i] = static_cast<uint16_t>(0x0421 * (1 + i % 30));
    DDSurface* src = Make(W, 2, s0);
    DDSurface* dst = Make(10, 4, std::vector<uint16_t>(40, 0x5555));
    DD_SetClipRect(5, 5, 2, 2);
    BLT_Dim(dst, -2, -1, src, nullptr, 8, 0, 0);  // loses 2 columns and 1 row
    for (int x = 0; x < 6; ++x) EXPECT_EQ(support::PixelAt(dst, x, 0), ref::Dim(s0[W + x + 2], 8, is565())) << x;
    EXPECT_EQ(support::PixelAt(dst, 6, 0), 0x5555);
    EXPECT_EQ(support::PixelAt(dst, 0, 1), 0x5555);
    BLT_Whiten(dst, 4, 3, src, nullptr, 8, 0, 0);  // 6 columns left, all pairs
    for (int x = 4; x < 10; ++x) EXPECT_EQ(support::PixelAt(dst, x, 3), ref::Whiten(s0[x - 4], 8, is565())) << x;
    DD_SetClipRect(0, 0, 640, 480);
}

TEST_P(Level, DimStretchShowsTransparentPixelsBlackAndMirrors) {
    const uint16_t white = White();
    DDSurface* src = Make(2, 1, {white, 0});
    support::SetKey0(src);
    DDSurface* dst = Make(4, 2, std::vector<uint16_t>(8, 0x1111));
    const RECT whole{0, 0, 2, 1};
    const RECT to{0, 0, 4, 2};
    const int live = DD_DISPLAY.surface_count;
    EXPECT_EQ(BLT_DimStretch(dst, &to, src, &whole, 16, 1), 1);
    const uint16_t d = ref::Dim(white, 16, is565());
    EXPECT_EQ(support::ReadSurface(dst), (std::vector<uint16_t>{0, 0, d, d, 0, 0, d, d}));
    EXPECT_EQ(DD_DISPLAY.surface_count, live);  // the temporary is released
}

TEST(ClipWorker, CutsTheBlockAndMovesTheSource) {
    int32_t x = -3, y = 2, w = 10, h = 10, sx = 1, sy = 1;
    ASSERT_TRUE(BLT_ClipWorker(&x, &y, &w, &h, &sx, &sy, 20, 8, nullptr));
    EXPECT_EQ(x, 0);
    EXPECT_EQ(w, 7);
    EXPECT_EQ(sx, 4);
    EXPECT_EQ(h, 6);
    EXPECT_EQ(sy, 1);
    const RECT clip{5, 5, 9, 9};
    x = 0, y = 0, w = 20, h = 20, sx = 0, sy = 0;
    ASSERT_TRUE(BLT_ClipWorker(&x, &y, &w, &h, &sx, &sy, 100, 100, &clip));
    EXPECT_EQ(x, 5);
    EXPECT_EQ(y, 5);
    EXPECT_EQ(w, 4);
    EXPECT_EQ(h, 4);
    EXPECT_EQ(sx, 5);
    x = 20, y = 0, w = 5, h = 5, sx = 0, sy = 0;
    EXPECT_FALSE(BLT_ClipWorker(&x, &y, &w, &h, &sx, &sy, 20, 8, nullptr));
    x = -5, y = 0, w = 5, h = 5;
    EXPECT_FALSE(BLT_ClipWorker(&x, &y, &w, &h, &sx, &sy, 20, 8, nullptr));  // touches the edge only
    x = 0, y = 0, w = INT32_MAX, h = INT32_MAX, sx = 0, sy = 0;
    ASSERT_TRUE(BLT_ClipWorker(&x, &y, &w, &h, &sx, &sy, 20, 8, nullptr));
    EXPECT_EQ(w, 20);
}

TEST(Workers, ResultsKeysAndSourceBounds) {
    support::HeadlessDisplay display;
    ASSERT_TRUE(display.ok);
    std::vector<uint16_t> d(16, 0x1111), s(16, 0xFFFF);
    BLT_WORKER_PARAMS p;
    p.dst = d.data();
    p.dst_pitch = p.dst_width = 4;
    p.dst_height = 4;
    p.src = s.data();
    p.src_pitch = p.src_width = 4;
    p.src_height = 4;
    p.width = p.height = 2;
    p.level = 31;
    p.key = 0;  // whiten draws only without a key
    EXPECT_EQ(BLT_WhitenWorker(&p), 0);
    EXPECT_EQ(d[0], 0x1111);
    p.key = BLT_WHITEN_NO_KEY;
    EXPECT_EQ(BLT_WhitenWorker(&p), 1);
    p.key = BLT_NO_KEY;
    p.x = 4;
    EXPECT_EQ(BLT_DimWorker(&p), 0);  // clipped away
    // A source block reaching outside its surface is refused, not read.
    std::fill(d.begin(), d.end(), 0x1111);
    p.x = 0;
    p.src_x = 3;
    EXPECT_EQ(BLT_DimWorker(&p), 0);
    p.src_x = -1;
    EXPECT_EQ(BLT_DimWorker(&p), 0);
    p.src_x = 0;
    p.src_y = 3;
    EXPECT_EQ(BLT_DimWorker(&p), 0);
    EXPECT_EQ(d, std::vector<uint16_t>(16, 0x1111));
    p.src_y = 2;
    EXPECT_EQ(BLT_DimWorker(&p), 1);
    EXPECT_EQ(d[0], ref::Dim(0xFFFF, 31, true));  // the default display is 565
    EXPECT_EQ(d[2], 0x1111);

    EXPECT_EQ(BLT_DimWorker(nullptr), 0);
}

// Rows wider than their pixels: the padding between rows is never drawn or read as pixels.
TEST(LevelPitch, PaddingIsNeverDrawnAndTheDefaultSourceIsTheRealWidth) {
    for (bool is565 : {false, true}) {
        support::HeadlessDisplay display(Format(is565, 12));
        ASSERT_TRUE(display.ok);
        DDSurface* dst = Make(6, 3, std::vector<uint16_t>(18, 0x0101));
        ASSERT_GT(dst->Pitch(), 12);
        // Mark the padding of every row.
        auto pad = [&](DDSurface* s, uint8_t v) {
            for (int y = 0; y < s->Height(); ++y)
                std::memset(s->Memory() + size_t(y) * s->Pitch() + 2 * size_t(s->Width()), v,
                            size_t(s->Pitch()) - 2 * size_t(s->Width()));
        };
        pad(dst, 0xAB);
        DDSurface* src = Make(8, 3, std::vector<uint16_t>(24, 0x7BDE));
        pad(src, 0xCD);
        BLT_Dim(dst, 2, 0, src, nullptr, 16, 0, 0);
        BLT_Whiten(dst, 2, 1, src, nullptr, 16, 0, 0);
        for (int y = 0; y < 3; ++y)
            for (size_t b = 12; b < size_t(dst->Pitch()); ++b)
                ASSERT_EQ(dst->Memory()[size_t(y) * dst->Pitch() + b], 0xAB) << "row " << y << " byte " << b;
        EXPECT_EQ(support::PixelAt(dst, 5, 0), ref::Dim(0x7BDE, 16, is565));

        // The whole of a narrow source: its padding is not part of the picture.
        DDSurface* narrow = Make(2, 1, {0x7BDE, 0x7BDE});
        pad(narrow, 0xCD);
        Fill(dst, std::vector<uint16_t>(18, 0x0101));
        BLT_Dim(dst, 0, 0, narrow, nullptr, 31, 0, 0);
        EXPECT_EQ(support::PixelAt(dst, 1, 0), ref::Dim(0x7BDE, 31, is565));
        EXPECT_EQ(support::PixelAt(dst, 2, 0), 0x0101);
        EXPECT_EQ(support::PixelAt(dst, 3, 0), 0x0101);
        ReleaseMade();
    }
}
