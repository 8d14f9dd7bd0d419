// Brightness and colour blend blitters: grey darkening and lightening, tints and per-channel
// blends against per-channel references, the worked values, the dispatch ends and the
// rectangle tint.
#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <vector>

#include "display/blt_arith.h"
#include "display/blt_color.h"
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

headless::Config Format(bool is565) {
    headless::Config c;
    c.is565 = is565;
    return c;
}

void Fill(DDSurface* s, const std::vector<uint16_t>& px) {
    for (int y = 0; y < s->Height(); ++y)
        for (int x = 0; x < s->Width(); ++x) support::SetPixel(s, x, y, px[size_t(y) * s->Width() + x]);
}

std::vector<uint16_t> RandomPixels(std::mt19937& rng, size_t n) {
    std::vector<uint16_t> v(n);
    for (auto& p : v) p = static_cast<uint16_t>(rng());
    return v;
}

// Every 16-bit value once, in a 256 x 256 picture.
std::vector<uint16_t> AllValues() {
    std::vector<uint16_t> v(65536);
    for (size_t i = 0; i < v.size(); ++i) v[i] = static_cast<uint16_t>(i);
    return v;
}

class Color : public ::testing::TestWithParam<bool> {
protected:
    Color() : display(Format(GetParam())) {}
    void SetUp() override { ASSERT_TRUE(display.ok); }
    void TearDown() override { ReleaseMade(); }
    bool is565() const { return GetParam(); }
    // A picture from channels (green given in 5 bits; 565 puts it at the top of its six).
    uint16_t Px(int r, int g5, int b) const {
        return is565() ? uint16_t(r << 11 | g5 << 6 | b) : uint16_t(r << 10 | g5 << 5 | b);
    }
    support::HeadlessDisplay display;
    std::mt19937 rng{99};
};
INSTANTIATE_TEST_SUITE_P(Layouts, Color, ::testing::Values(false, true),
                         [](const auto& i) { return i.param ? std::string("565") : std::string("555"); });

// A point blit and its stretched twin, for comparing the two at scale 1.
struct Pair {
    const char* name;
    std::function<void(DDSurface*, int, int, DDSurface*, const RECT*, uint32_t, int)> point;
    std::function<void(DDSurface*, RECT*, DDSurface*, const RECT*, uint32_t, int)> stretch;
};
}  // namespace

// ---------------- grey darkening and lightening ----------------
TEST_P(Color, GreyLevelsMatchTheChannelRulesForEveryPixelValue) {
    const auto all = AllValues();
    DDSurface* src = Make(256, 256, all);
    DDSurface* dst = Make(256, 256);
    long bad = 0;
    for (int level = 1; level <= 61; ++level) {
        if (level == 31) continue;
        BLT_Brightness(dst, 0, 0, src, nullptr, level, 0, 0);
        const auto out = support::ReadSurface(dst);
        for (size_t i = 0; i < out.size(); ++i) {
            const uint16_t want = level < 31 ? ref::Darken(all[i], 31 - level, is565())
                                             : ref::Brighten(all[i], level - 31, is565());
            if (out[i] != want && ++bad < 5)
                ADD_FAILURE() << "level " << level << " pixel " << std::hex << i << " got " << out[i] << " want "
                              << want;
        }
    }
    EXPECT_EQ(bad, 0);
}

TEST_P(Color, GreyWorkedValues) {
    const auto all = AllValues();
    DDSurface* src = Make(256, 256, all);
    DDSurface* dst = Make(256, 256);

    BLT_Brightness(dst, 0, 0, src, nullptr, 30, 0, 0);  // darken by 1
    auto out = support::ReadSurface(dst);
    for (size_t i = 0; i < out.size(); ++i) {
        const uint16_t s = all[i];
        if (!is565()) {
            ASSERT_EQ(out[i], s | 0x8420) << std::hex << s;
        } else {
            const int g = (s >> 5) & 63;
            const int g2 = (g | 1) < 2 ? 1 : (g | 1) - 2;  // a green of 0 or 1 becomes 1
            ASSERT_EQ(out[i] & 31, s & 31) << std::hex << s;                // blue unchanged
            ASSERT_EQ((out[i] >> 5) & 63, g2) << std::hex << s;             // green - 2 after its low bit is set
            const bool green_clamped = (g | 1) - 2 < 0;
            ASSERT_EQ(out[i] >> 11, green_clamped ? (s >> 11) & 30 : (s >> 11) | 1) << std::hex << s;
        }
    }

    BLT_Brightness(dst, 0, 0, src, nullptr, 32, 0, 0);  // lighten by 1
    out = support::ReadSurface(dst);
    for (size_t i = 0; i < out.size(); ++i) {
        const uint16_t s = all[i];
        if (!is565()) {
            ASSERT_EQ(out[i], s & 0x7BDE) << std::hex << s;
        } else if (((s >> 5) & 62) + 2 <= 62) {
            ASSERT_EQ(out[i], (s & 0xF7DE) + 0x40) << std::hex << s;
        } else {
            ASSERT_EQ(out[i], (s & 0xF01E) | 0x7C0) << std::hex << s;  // green saturates at 62
        }
        // Lightening never leaves an odd channel.
        ASSERT_EQ(out[i] & (is565() ? 0x0821 : 0x8421), 0) << std::hex << s;
    }

    // White at level 1 (amount 30).
    DDSurface* white = Make(1, 1, {0xFFFF});
    BLT_Brightness(dst, 0, 0, white, nullptr, 1, 0, 0);
    EXPECT_EQ(support::PixelAt(dst, 0, 0), is565() ? 0x0861 : 0x8421);
    // In 555 bit 15 survives wherever red did not clamp.
    DDSurface* dark = Make(2, 1, {Px(31, 0, 0), Px(1, 0, 0)});
    BLT_Brightness(dst, 0, 0, dark, nullptr, 11, 0, 0);  // amount 20: blue and green clamp, red 32 - 20 - 1
    if (!is565()) {
        EXPECT_EQ(support::PixelAt(dst, 0, 0), 0x8000 | 10 << 10);
        EXPECT_EQ(support::PixelAt(dst, 1, 0), 0);
    }
}

TEST_P(Color, DarkenAndBrightenHoldTheirAmountsInRange) {
    const auto s0 = RandomPixels(rng, 64);
    DDSurface* src = Make(64, 1, s0);
    DDSurface* a = Make(64, 1);
    DDSurface* b = Make(64, 1);
    BLT_Darken(a, 0, 0, src, nullptr, -100, 0, 0);
    BLT_Darken(b, 0, 0, src, nullptr, 1, 0, 0);
    EXPECT_EQ(support::ReadSurface(a), support::ReadSurface(b));
    BLT_Brighten(a, 0, 0, src, nullptr, 99, 0, 0);
    BLT_Brighten(b, 0, 0, src, nullptr, 30, 0, 0);
    EXPECT_EQ(support::ReadSurface(a), support::ReadSurface(b));
}

// ---------------- brightness dispatch ends ----------------
TEST_P(Color, LevelThirtyOneIsTheMirroredHardwareBlit) {
    auto s0 = RandomPixels(rng, 9 * 5);
    s0[3] = s0[17] = 0;
    DDSurface* src = Make(9, 5, s0);
    support::SetKey0(src);
    const auto d0 = RandomPixels(rng, 20 * 10);
    DDSurface* a = Make(20, 10, d0);
    DDSurface* b = Make(20, 10, d0);
    for (uint32_t flip = 0; flip < 4; ++flip)
        for (int keyed = 0; keyed < 2; ++keyed) {
            BLT_Brightness(a, -2, 7, src, nullptr, 31, flip, keyed);
            BLT_BltFx(b, -2, 7, src, nullptr, flip, keyed);
            ASSERT_EQ(support::ReadSurface(a), support::ReadSurface(b)) << flip << keyed;
            RECT ra{1, 1, 19, 11}, rb{1, 1, 19, 11};
            BLT_BrightnessStretch(a, &ra, src, nullptr, 31, flip, keyed);
            BLT_StretchBlt(b, &rb, src, nullptr, flip, keyed);
            ASSERT_EQ(support::ReadSurface(a), support::ReadSurface(b)) << flip << keyed;
        }
}

TEST_P(Color, OutOfRangeLevelsDrawTheShapeInBlackOrWhiteWhateverTheKeyFlag) {
    DDSurface* src = Make(3, 1, {0, Px(3, 4, 5), Px(31, 31, 31)});
    DDSurface* dst = Make(3, 1);
    for (int level : {0, -5, 62, 100})
        for (int keyed = 0; keyed < 2; ++keyed) {
            const uint16_t c = level <= 0 ? 0 : 0xFFFF;
            Fill(dst, {0x1111, 0x1111, 0x1111});
            BLT_Brightness(dst, 0, 0, src, nullptr, level, 0, keyed);
            EXPECT_EQ(support::ReadSurface(dst), (std::vector<uint16_t>{0x1111, c, c})) << level << keyed;
            Fill(dst, {0x1111, 0x1111, 0x1111});
            BLT_BrightnessTable(dst, 0, 0, src, nullptr, level, 0, keyed);
            EXPECT_EQ(support::ReadSurface(dst), (std::vector<uint16_t>{0x1111, c, c})) << level << keyed;
            Fill(dst, {0x1111, 0x1111, 0x1111});
            RECT r{0, 0, 3, 1};
            BLT_BrightnessStretch(dst, &r, src, nullptr, level, 1, keyed);
            EXPECT_EQ(support::ReadSurface(dst), (std::vector<uint16_t>{c, c, 0x1111})) << level << keyed;
        }
}

// ---------------- table recolouring ----------------
TEST_P(Color, TintMatchesThePerChannelRuleOnRandomLevelsAndPixels) {
    constexpr int W = 256, H = 64;
    DDSurface* src = Make(W, H);
    DDSurface* dst = Make(W, H);
    long bad = 0;
    std::uniform_int_distribution<int> level(0, 62);
    for (int round = 0; round < 64; ++round) {
        const int rv = level(rng), gv = level(rng), bv = level(rng);
        const auto s0 = RandomPixels(rng, W * H);
        Fill(src, s0);
        BLT_TintRGB(dst, 0, 0, src, nullptr, rv, gv, bv, 0, 0);
        const auto out = support::ReadSurface(dst);
        for (size_t i = 0; i < out.size(); ++i)
            if (out[i] != ref::TintRgb(s0[i], rv, gv, bv, is565())) ++bad;
    }
    // The table-driven brightness: one level for all three channels.
    const auto all = AllValues();
    DDSurface* every = Make(256, 256, all);
    DDSurface* out_all = Make(256, 256);
    for (int v = 1; v <= 61; v += 3) {
        if (v == 31) continue;
        BLT_BrightnessTable(out_all, 0, 0, every, nullptr, v, 0, 0);
        const auto out = support::ReadSurface(out_all);
        for (size_t i = 0; i < out.size(); ++i)
            if (out[i] != ref::TintRgb(all[i], v, v, v, is565())) ++bad;
    }
    EXPECT_EQ(bad, 0);
}

TEST_P(Color, TintWorkedValuesAndClampedLevels) {
    const std::vector<uint16_t> s0{0xFFFF, 0x8421, Px(7, 0, 30), 0x0020, Px(0, 12, 0)};
    DDSurface* src = Make(5, 1, s0);
    DDSurface* dst = Make(5, 1);
    BLT_TintRGB(dst, 0, 0, src, nullptr, 31, 31, 31, 0, 0);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(support::PixelAt(dst, i, 0), s0[i] & (is565() ? 0xFFDF : 0x7FFF)) << i;
    BLT_TintRGB(dst, 0, 0, src, nullptr, 0, 31, 31, 0, 0);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(support::PixelAt(dst, i, 0), s0[i] & (is565() ? 0x07DF : 0x03FF)) << i;
    BLT_TintRGB(dst, 0, 0, src, nullptr, 62, 62, 62, 0, 0);
    EXPECT_EQ(support::PixelAt(dst, 2, 0), Px(31, 0, 31));
    EXPECT_EQ(support::PixelAt(dst, 4, 0), Px(0, 31, 0));
    // Levels beyond 0-62 never read outside the table: they act as the ends.
    const auto before = support::ReadSurface(dst);
    BLT_TintRGB(dst, 0, 0, src, nullptr, 5000, 63, 1 << 20, 0, 0);
    EXPECT_EQ(support::ReadSurface(dst), before);
    BLT_TintRGB(dst, 0, 0, src, nullptr, -3, -300, INT32_MIN, 0, 0);
    EXPECT_EQ(support::ReadSurface(dst), (std::vector<uint16_t>(5, 0)));
    RECT r{0, 0, 5, 1};
    BLT_TintRGBStretch(dst, &r, src, nullptr, 99, 99, 99, 0, 0);
    EXPECT_EQ(support::ReadSurface(dst), before);
}

// ---------------- per-channel blends ----------------
TEST_P(Color, ChannelBlendsMatchTheirBanksOnRandomPixels) {
    constexpr int W = 256, H = 64;
    DDSurface* src = Make(W, H);
    DDSurface* dst = Make(W, H);
    std::uniform_int_distribution<int> level(-10, 80);
    long bad = 0;
    for (int round = 0; round < 64; ++round) {
        const int r = level(rng), g = level(rng), b = level(rng);
        const bool add = round & 1;
        const auto s0 = RandomPixels(rng, W * H), d0 = RandomPixels(rng, W * H);
        Fill(src, s0);
        Fill(dst, d0);
        if (add)
            BLT_AddRGB(dst, 0, 0, src, nullptr, r, g, b, 0, 0);
        else
            BLT_AlphaRGB(dst, 0, 0, src, nullptr, r, g, b, 0, 0);
        auto bank = [add](int v) { return add ? std::clamp(v, 0, 63) + 32 : std::clamp(v, 0, 31); };
        const auto out = support::ReadSurface(dst);
        for (size_t i = 0; i < out.size(); ++i)
            if (out[i] != ref::BankBlend(d0[i], s0[i], bank(r), bank(g), bank(b), is565())) ++bad;
    }
    EXPECT_EQ(bad, 0);
}

TEST_P(Color, ChannelBlendEdgeLevels) {
    const std::vector<uint16_t> s0{Px(0, 10, 31), Px(16, 0, 2), 0};
    const std::vector<uint16_t> d0{Px(20, 20, 20), Px(31, 31, 31), Px(5, 5, 5)};
    DDSurface* src = Make(3, 1, s0);
    DDSurface* dst = Make(3, 1, d0);
    // Alpha (0, 0, 0) still writes: the destination's channel, or 0 where the source's is 0.
    BLT_AlphaRGB(dst, 0, 0, src, nullptr, 0, 0, 0, 0, 0);
    EXPECT_EQ(support::ReadSurface(dst), (std::vector<uint16_t>{Px(0, 20, 20), Px(31, 0, 31), 0}));
    Fill(dst, d0);
    BLT_AddRGB(dst, 0, 0, src, nullptr, 0, 0, 0, 0, 0);
    std::vector<uint16_t> unchanged = d0;
    if (is565())
        for (auto& p : unchanged) p &= 0xFFDF;
    EXPECT_EQ(support::ReadSurface(dst), unchanged);
    Fill(dst, std::vector<uint16_t>(3, 0));
    BLT_AddRGB(dst, 0, 0, src, nullptr, 63, 63, 63, 0, 0);  // almost twice the source, capped
    EXPECT_EQ(support::PixelAt(dst, 0, 0), Px(0, 19, 31));
    EXPECT_EQ(support::PixelAt(dst, 1, 0), Px(31, 0, 3));

    // Clamped levels: -7 and 40 act as 0 and 31, 70 as 63.
    DDSurface* a = Make(3, 1, d0);
    DDSurface* b = Make(3, 1, d0);
    BLT_AlphaRGB(a, 0, 0, src, nullptr, -7, 40, 40, 0, 0);
    BLT_AlphaRGB(b, 0, 0, src, nullptr, 0, 31, 31, 0, 0);
    EXPECT_EQ(support::ReadSurface(a), support::ReadSurface(b));
    Fill(a, d0);
    Fill(b, d0);
    BLT_AddRGB(a, 0, 0, src, nullptr, 70, 70, 70, 0, 0);
    BLT_AddRGB(b, 0, 0, src, nullptr, 63, 63, 63, 0, 0);
    EXPECT_EQ(support::ReadSurface(a), support::ReadSurface(b));
    // The bank workers themselves never leave the 96 banks.
    Fill(a, d0);
    Fill(b, d0);
    BLT_TableBlendRGB(a, 0, 0, src, nullptr, 1000, -1000, 96, 0, 0);
    BLT_TableBlendRGB(b, 0, 0, src, nullptr, 95, 0, 95, 0, 0);
    EXPECT_EQ(support::ReadSurface(a), support::ReadSurface(b));
    RECT ra{0, 0, 3, 1}, rb{0, 0, 3, 1};
    BLT_TableBlendRGBStretch(a, &ra, src, nullptr, 1 << 30, 96, -1, 0, 0);
    BLT_TableBlendRGBStretch(b, &rb, src, nullptr, 95, 95, 0, 0, 0);
    EXPECT_EQ(support::ReadSurface(a), support::ReadSurface(b));
}

// ---------------- walks shared by every member ----------------
TEST_P(Color, StretchAtScaleOneEqualsPointAndMirroringKeepsColours) {
    const std::vector<Pair> pairs{
        {"darken", [](auto d, int x, int y, auto s, auto r, uint32_t f, int k) { BLT_Darken(d, x, y, s, r, 9, f, k); },
         [](auto d, RECT* dr, auto s, auto r, uint32_t f, int k) { BLT_DarkenStretch(d, dr, s, r, 9, f, k); }},
        {"brighten",
         [](auto d, int x, int y, auto s, auto r, uint32_t f, int k) { BLT_Brighten(d, x, y, s, r, 13, f, k); },
         [](auto d, RECT* dr, auto s, auto r, uint32_t f, int k) { BLT_BrightenStretch(d, dr, s, r, 13, f, k); }},
        {"brightness",
         [](auto d, int x, int y, auto s, auto r, uint32_t f, int k) { BLT_Brightness(d, x, y, s, r, 40, f, k); },
         [](auto d, RECT* dr, auto s, auto r, uint32_t f, int k) { BLT_BrightnessStretch(d, dr, s, r, 40, f, k); }},
        {"table",
         [](auto d, int x, int y, auto s, auto r, uint32_t f, int k) { BLT_BrightnessTable(d, x, y, s, r, 20, f, k); },
         [](auto d, RECT* dr, auto s, auto r, uint32_t f, int k) {
             BLT_BrightnessTableStretch(d, dr, s, r, 20, f, k);
         }},
        {"tint",
         [](auto d, int x, int y, auto s, auto r, uint32_t f, int k) { BLT_TintRGB(d, x, y, s, r, 3, 40, 62, f, k); },
         [](auto d, RECT* dr, auto s, auto r, uint32_t f, int k) { BLT_TintRGBStretch(d, dr, s, r, 3, 40, 62, f, k); }},
        {"alpha",
         [](auto d, int x, int y, auto s, auto r, uint32_t f, int k) { BLT_AlphaRGB(d, x, y, s, r, 5, 17, 30, f, k); },
         [](auto d, RECT* dr, auto s, auto r, uint32_t f, int k) { BLT_AlphaRGBStretch(d, dr, s, r, 5, 17, 30, f, k); }},
        {"add",
         [](auto d, int x, int y, auto s, auto r, uint32_t f, int k) { BLT_AddRGB(d, x, y, s, r, 8, 0, 63, f, k); },
         [](auto d, RECT* dr, auto s, auto r, uint32_t f, int k) { BLT_AddRGBStretch(d, dr, s, r, 8, 0, 63, f, k); }},
    };
    constexpr int W = 23, H = 11;
    auto s0 = RandomPixels(rng, W * H);
    for (size_t i = 0; i < s0.size(); i += 4) s0[i] = 0;
    DDSurface* src = Make(W, H, s0);
    DDSurface* a = Make(40, 20);
    DDSurface* b = Make(40, 20);
    DDSurface* plain = Make(W, H);
    for (const Pair& p : pairs)
        for (uint32_t flip = 0; flip < 4; ++flip)
            for (int keyed = 0; keyed < 2; ++keyed) {
                const auto d0 = RandomPixels(rng, 40 * 20);
                Fill(a, d0);
                Fill(b, d0);
                p.point(a, -4, 12, src, nullptr, flip, keyed);
                RECT dr{-4, 12, -4 + W, 12 + H};
                p.stretch(b, &dr, src, nullptr, flip, keyed);
                ASSERT_EQ(support::ReadSurface(a), support::ReadSurface(b)) << p.name << flip << keyed;
                EXPECT_EQ(dr.left, 0) << p.name;
                EXPECT_EQ(dr.bottom, 20) << p.name;  // the caller's rectangle is clipped in place

                // Mirrored, every pixel lands mirrored with the colour of the unmirrored blit.
                const auto q0 = RandomPixels(rng, W * H);
                Fill(plain, q0);
                p.point(plain, 0, 0, src, nullptr, 0, keyed);
                const auto straight = support::ReadSurface(plain);
                std::vector<uint16_t> q_m(q0.size());
                for (int y = 0; y < H; ++y)
                    for (int x = 0; x < W; ++x) {
                        const int mx = (flip & 1) ? W - 1 - x : x, my = (flip & 2) ? H - 1 - y : y;
                        q_m[size_t(my) * W + mx] = q0[size_t(y) * W + x];
                    }
                Fill(plain, q_m);
                p.point(plain, 0, 0, src, nullptr, flip, keyed);
                const auto mirrored = support::ReadSurface(plain);
                for (int y = 0; y < H; ++y)
                    for (int x = 0; x < W; ++x) {
                        const int mx = (flip & 1) ? W - 1 - x : x, my = (flip & 2) ? H - 1 - y : y;
                        ASSERT_EQ(mirrored[size_t(my) * W + mx], straight[size_t(y) * W + x])
                            << p.name << " flip " << flip << " at " << x << "," << y;
                    }
            }
}

// ---------------- rectangle tint ----------------
TEST_P(Color, TintRectMovesChannelsTowardTheColour) {
    constexpr int W = 64, H = 32;
    const auto s0 = RandomPixels(rng, W * H);
    DDSurface* s = Make(W, H, s0);
    ASSERT_EQ(BLT_TintRect(s, nullptr, 0, 0, 0, 31), 1);
    const auto same = support::ReadSurface(s);
    for (size_t i = 0; i < same.size(); ++i) ASSERT_EQ(same[i], s0[i] & (is565() ? 0xFFDF : 0x7FFF));

    Fill(s, s0);
    ASSERT_EQ(BLT_TintRect(s, nullptr, 0, 0, 0, 10), 1);
    auto out = support::ReadSurface(s);
    for (size_t i = 0; i < out.size(); ++i) ASSERT_EQ(out[i], ref::TintRgb(s0[i], 10, 10, 10, is565()));

    // Every level against its channel rule toward a colour, on a part of the surface.
    for (int level : {0, 5, 30, 32, 64, 95}) {
        Fill(s, s0);
        const RECT part{10, 4, 50, 20};
        ASSERT_EQ(BLT_TintRect(s, &part, 31, 7, 16, level), 1);
        out = support::ReadSurface(s);
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x) {
                const size_t i = size_t(y) * W + x;
                const bool inside = x >= 10 && x < 50 && y >= 4 && y < 20;
                if (!inside) {
                    ASSERT_EQ(out[i], s0[i]);
                    continue;
                }
                const ref::Rgb c = ref::Split(s0[i], is565());
                const uint16_t want = ref::Join(
                    ref::Rgb{ref::Bank(level, 31, c.r),
                             ref::Green6Of5(ref::Bank(level, 7, ref::Green5(s0[i], is565())), is565()),
                             ref::Bank(level, 16, c.b), false},
                    is565());
                ASSERT_EQ(out[i], want) << "level " << level << " at " << x << "," << y;
            }
    }
}

TEST_P(Color, TintRectEdgesAndComponentsBeyondThirtyOne) {
    DDSurface* s = Make(8, 4, std::vector<uint16_t>(32, 0x1234));
    const RECT at_edge{8, 0, 12, 4}, beyond{9, 0, 12, 4}, left_of{-5, 0, -1, 4}, partly{-3, -3, 2, 2};
    EXPECT_EQ(BLT_TintRect(s, &at_edge, 0, 0, 0, 0), 0);
    EXPECT_EQ(BLT_TintRect(s, &beyond, 0, 0, 0, 0), 1);
    EXPECT_EQ(BLT_TintRect(s, &left_of, 0, 0, 0, 0), 1);
    EXPECT_EQ(support::ReadSurface(s), std::vector<uint16_t>(32, 0x1234));
    EXPECT_EQ(BLT_TintRect(s, &partly, 0, 0, 0, 0), 1);
    EXPECT_EQ(support::PixelAt(s, 1, 1), 0);
    EXPECT_EQ(support::PixelAt(s, 2, 1), 0x1234);

    // A component of 100 at level 6 reads row 4 of bank 9, as the screens that pass it show.
    const uint16_t p = Px(20, 9, 3);
    Fill(s, std::vector<uint16_t>(32, p));
    ASSERT_EQ(BLT_TintRect(s, nullptr, 100, 0, 100, 6), 1);
    EXPECT_EQ(support::PixelAt(s, 0, 0),
              Px(ref::Bank(9, 4, 20), ref::Bank(6, 0, 9), ref::Bank(9, 4, 3)));

    // Levels and components that would leave the table read its last row instead.
    Fill(s, std::vector<uint16_t>(32, p));
    ASSERT_EQ(BLT_TintRect(s, nullptr, 65535, 31, 40000, 1000), 1);
    EXPECT_EQ(support::PixelAt(s, 3, 3), Px(ref::Bank(95, 31, 20), ref::Bank(95, 31, 9), ref::Bank(95, 31, 3)));
    Fill(s, std::vector<uint16_t>(32, p));
    ASSERT_EQ(BLT_TintRect(s, nullptr, 0, 0, 0, -50), 1);
    EXPECT_EQ(support::PixelAt(s, 3, 3), 0);  // held at bank 0, row 0: every channel 0

    headless::FailCall("DDSurface.Lock");
    EXPECT_EQ(BLT_TintRect(s, nullptr, 0, 0, 0, 0), 0);
    EXPECT_EQ(BLT_TintRect(nullptr, nullptr, 0, 0, 0, 0), 0);
}

TEST_P(Color, KeyedMembersSkipTransparentSourcePixels) {
    DDSurface* src = Make(4, 1, {0, 0xFFFF, 0, 0x1234});
    DDSurface* dst = Make(4, 1);
    for (int which = 0; which < 5; ++which) {
        Fill(dst, {0x5555, 0x5555, 0x5555, 0x5555});
        switch (which) {
            case 0: BLT_Darken(dst, 0, 0, src, nullptr, 5, 0, 1); break;
            case 1: BLT_Brighten(dst, 0, 0, src, nullptr, 5, 0, 1); break;
            case 2: BLT_TintRGB(dst, 0, 0, src, nullptr, 0, 0, 0, 0, 1); break;
            case 3: BLT_AlphaRGB(dst, 0, 0, src, nullptr, 31, 31, 31, 0, 1); break;
            default: BLT_BrightnessTable(dst, 0, 0, src, nullptr, 50, 0, 1); break;
        }
        EXPECT_EQ(support::PixelAt(dst, 0, 0), 0x5555) << which;
        EXPECT_EQ(support::PixelAt(dst, 2, 0), 0x5555) << which;
        EXPECT_NE(support::PixelAt(dst, 1, 0), 0x5555) << which;
    }
}
