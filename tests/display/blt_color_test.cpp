// Brightness and colour blend blitters against per-channel references, their worked values, clamped
// levels and banks, the walks every blend shares, and the rectangle tint.
#include "display/blt_color.h"
#include "display/blt_level.h"
#include "tests/display/blend_fixture.h"

namespace {
using namespace blendtest;
class Color : public Layout {
protected:
    DDSurface* AllValues() {  // every 16-bit value once
        V v(65536);
        for (size_t i = 0; i < v.size(); ++i) v[i] = static_cast<uint16_t>(i);
        return Make(256, 256, v);
    }
};
BLEND_LAYOUTS(Color);
}  // namespace

TEST_P(Color, GreyLevelsMatchTheChannelRulesForEveryPixelValue) {
    DDSurface *src = AllValues(), *dst = Make(256, 256);
    long bad = 0;
    for (int level = 1; level <= 61; level += 1 + (level == 30)) {
        BLT_Brightness(dst, 0, 0, src, nullptr, level, 0, 0);
        const V out = ReadSurface(dst);
        for (size_t i = 0; i < out.size(); ++i)
            bad += out[i] != (level < 31 ? ref::Darken(uint16_t(i), 31 - level, is565()) : ref::Brighten(uint16_t(i), level - 31, is565()));
    }
    EXPECT_EQ(bad, 0);
}

// The grey workers read no table: any level or amount gives its grey word's formula, the bits of the
// amount that land in each channel taken from it.
TEST_P(Color, GreyWorkersTakeAnyLevel) {
    DDSurface *src = AllValues(), *dst = Make(256, 256);
    long bad = 0;
    for (int32_t level : {INT32_MIN, -100, -1, 0, 31, 40, 61, 1000, INT32_MAX}) {
        BLT_Darken(dst, 0, 0, src, nullptr, level, 0, 0);
        V out = ReadSurface(dst);
        for (size_t i = 0; i < out.size(); ++i) bad += out[i] != ref::Darken(uint16_t(i), 31u - uint32_t(level), is565());
        RECT whole{0, 0, 256, 256};
        BLT_BrightenStretch(dst, &whole, src, nullptr, level, 0, 0);
        out = ReadSurface(dst);
        for (size_t i = 0; i < out.size(); ++i) bad += out[i] != ref::Brighten(uint16_t(i), uint32_t(level), is565());
    }
    EXPECT_EQ(bad, 0);
}

TEST_P(Color, GreyWorkedValues) {
    DDSurface *src = AllValues(), *dst = Make(256, 256);
    BLT_Brightness(dst, 0, 0, src, nullptr, 30, 0, 0);  // darken by 1, which rounds to 0
    const V dark = ReadSurface(dst);
    BLT_Brightness(dst, 0, 0, src, nullptr, 32, 0, 0);  // lighten by 1
    const V light = ReadSurface(dst);
    for (uint32_t s = 0; s < 65536; ++s) {
        // 565: blue stays, green drops by 2 after its low bit is set (0 or 1 becomes 1), red gets its
        // low bit set, or cleared where green clamped; lightening never leaves a channel odd.
        const int g = (s >> 5) & 63, gl = (g | 1) - 2;
        const uint32_t red = gl < 0 ? (s >> 11) & 30 : (s >> 11) | 1;
        ASSERT_EQ(dark[s], is565() ? red << 11 | uint32_t(gl < 0 ? 1 : gl) << 5 | (s & 31) : s | 0x8420) << std::hex << s;
        ASSERT_EQ(light[s], !is565() ? s & 0x7BDE : (g & 62) + 2 <= 62 ? (s & 0xF7DE) + 0x40 : (s & 0xF01E) | 0x7C0) << std::hex << s;
    }
    DDSurface* px = Make(3, 1, {0xFFFF, Px(31, 0, 0), Px(1, 0, 0)});
    BLT_Brightness(dst, 0, 0, px, nullptr, 1, 0, 0);  // white at amount 30
    EXPECT_EQ(PixelAt(dst, 0, 0), is565() ? 0x0861 : 0x8421);
    BLT_Brightness(dst, 0, 0, px, nullptr, 11, 0, 0);  // amount 20: blue and green clamp; 555 bit 15 survives where red did not
    if (!is565()) { EXPECT_EQ((V{PixelAt(dst, 1, 0), PixelAt(dst, 2, 0)}), (V{0x8000 | 10 << 10, 0})); }
}

TEST_P(Color, BrightnessEndsAreTheHardwareBlitAndTheShapes) {
    V s0 = Random(9 * 5, 8);
    s0[3] = 0;
    const V d0 = Random(20 * 10);
    DDSurface *src = Make(9, 5, s0), *a = Make(20, 10, d0), *b = Make(20, 10, d0);
    support::SetKey0(src);
    for (uint32_t flip = 0; flip < 8; ++flip) {
        RECT ra{1, 1, 19, 11}, rb{1, 1, 19, 11};
        BLT_Brightness(a, -2, 7, src, nullptr, 31, flip % 4, flip / 4);
        BLT_BltFx(b, -2, 7, src, nullptr, flip % 4, flip / 4);
        ASSERT_EQ(ReadSurface(a), ReadSurface(b)) << flip;
        BLT_BrightnessStretch(a, &ra, src, nullptr, 31, flip % 4, flip / 4);
        BLT_StretchBlt(b, &rb, src, nullptr, flip % 4, flip / 4);
        ASSERT_EQ(ReadSurface(a), ReadSurface(b)) << flip;
    }
    // 0 and below black, 62 and above white, source 0 never painted whatever the key flag.
    DDSurface *shape = Make(3, 1, {0, Px(3, 4, 5), Px(31, 31, 31)}), *dst = Make(3, 1);
    for (int level : {0, -5, 62, 100})
        for (int run = 0; run < 6; ++run) {
            const uint16_t c = level <= 0 ? 0 : 0xFFFF;
            const int keyed = run % 2, form = run / 2;
            RECT r{0, 0, 3, 1};
            Fill(dst, V(3, 0x1111));
            if (form == 0) BLT_Brightness(dst, 0, 0, shape, nullptr, level, 0, keyed);
            if (form == 1) BLT_BrightnessTable(dst, 0, 0, shape, nullptr, level, 0, keyed);
            if (form == 2) BLT_BrightnessStretch(dst, &r, shape, nullptr, level, 1, keyed);
            EXPECT_EQ(ReadSurface(dst), (form == 2 ? V{c, c, 0x1111} : V{0x1111, c, c})) << level << " run " << run;
        }
}

TEST_P(Color, TintAndChannelBlendsMatchTheirReferencesOnRandomPixels) {
    DDSurface *src = Make(256, 64), *dst = Make(256, 64);
    std::uniform_int_distribution<int> tint(0, 62), blend(-10, 80);
    long bad = 0;
    for (int round = 0; round < 96; ++round) {
        const int kind = round % 3, r = (kind ? blend : tint)(rng), g = (kind ? blend : tint)(rng), b = (kind ? blend : tint)(rng);
        const V s0 = Random(256 * 64), d0 = Random(256 * 64);
        Fill(src, s0);
        Fill(dst, d0);
        (kind == 0 ? BLT_TintRGB : kind == 1 ? BLT_AlphaRGB : BLT_AddRGB)(dst, 0, 0, src, nullptr, r, g, b, 0, 0);
        auto bank = [kind](int v) { return kind == 2 ? std::clamp(v, 0, 63) + 32 : std::clamp(v, 0, 31); };
        const V out = ReadSurface(dst);
        for (size_t i = 0; i < out.size(); ++i)
            bad += out[i] != (kind == 0 ? ref::TintRgb(s0[i], r, g, b, is565()) : ref::BankBlend(d0[i], s0[i], bank(r), bank(g), bank(b), is565()));
    }
    DDSurface *every = AllValues(), *out_all = Make(256, 256);  // the table brightness: one level for all channels
    for (int v = 1; v <= 61; v += 3 + 3 * (v == 28)) {          // 31 is the plain blit
        BLT_BrightnessTable(out_all, 0, 0, every, nullptr, v, 0, 0);
        const V out = ReadSurface(out_all);
        for (size_t i = 0; i < out.size(); ++i) bad += out[i] != ref::TintRgb(uint16_t(i), v, v, v, is565());
    }
    EXPECT_EQ(bad, 0);
}

TEST_P(Color, TintAndChannelBlendWorkedValues) {
    const V s0{0xFFFF, 0x8421, Px(7, 0, 30), 0x0020, Px(0, 12, 0)}, d0{Px(20, 20, 20), Px(31, 31, 31), Px(5, 5, 5)};
    DDSurface *src = Make(5, 1, s0), *dst = Make(5, 1), *bsrc = Make(3, 1, {Px(0, 10, 31), Px(16, 0, 2), 0}), *bdst = Make(3, 1, d0);
    BLT_TintRGB(dst, 0, 0, src, nullptr, 31, 31, 31, 0, 0);  // a copy but for 565 green's low bit, 555 bit 15
    for (int i = 0; i < 5; ++i) EXPECT_EQ(PixelAt(dst, i, 0), s0[size_t(i)] & (is565() ? 0xFFDF : 0x7FFF)) << i;
    BLT_TintRGB(dst, 0, 0, src, nullptr, 0, 31, 31, 0, 0);  // red removed
    for (int i = 0; i < 5; ++i) EXPECT_EQ(PixelAt(dst, i, 0), s0[size_t(i)] & (is565() ? 0x07DF : 0x03FF)) << i;
    BLT_TintRGB(dst, 0, 0, src, nullptr, 62, 62, 62, 0, 0);  // nonzero channels full, zero ones stay
    EXPECT_EQ((V{PixelAt(dst, 2, 0), PixelAt(dst, 4, 0)}), (V{Px(31, 0, 31), Px(0, 31, 0)}));
    BLT_AlphaRGB(bdst, 0, 0, bsrc, nullptr, 0, 0, 0, 0, 0);  // still writes: 0 where the source's channel is 0
    EXPECT_EQ(ReadSurface(bdst), (V{Px(0, 20, 20), Px(31, 0, 31), 0}));
    Fill(bdst, d0);
    BLT_AddRGB(bdst, 0, 0, bsrc, nullptr, 0, 0, 0, 0, 0);  // unchanged but for 565 green's low bit
    EXPECT_EQ(ReadSurface(bdst), d0);
    Fill(bdst, V(3, 0));
    BLT_AddRGB(bdst, 0, 0, bsrc, nullptr, 63, 63, 63, 0, 0);  // almost twice the source, capped
    EXPECT_EQ(ReadSurface(bdst), (V{Px(0, 19, 31), Px(31, 0, 3), 0}));
}

// Decided: levels and banks out of range act as the nearest end and never read outside the 96 banks.
TEST_P(Color, OutOfRangeLevelsAndBanksActAsTheirEnds) {
    const V d0 = Random(64);
    DDSurface *src = Make(64, 1, Random(64)), *a = Make(64, 1), *b = Make(64, 1);
    RECT r{0, 0, 64, 1};
    const std::function<void(DDSurface*, bool)> cases[] = {
        [&](DDSurface* d, bool w) { BLT_TableBlend(d, 0, 0, src, nullptr, w ? 5000 : 95, 0, 0); },
        [&](DDSurface* d, bool w) { BLT_TableBlendStretch(d, &r, src, nullptr, w ? -70 : 0, 0, 0); },
        [&](DDSurface* d, bool w) { BLT_TableBlendRGB(d, 0, 0, src, nullptr, w ? 1000 : 95, w ? -1000 : 0, w ? 96 : 95, 0, 0); },
        [&](DDSurface* d, bool w) { BLT_TableBlendRGBStretch(d, &r, src, nullptr, w ? 1 << 30 : 95, w ? 96 : 95, w ? -1 : 0, 0, 0); },
        [&](DDSurface* d, bool w) { BLT_AlphaRGB(d, 0, 0, src, nullptr, w ? -7 : 0, w ? 40 : 31, w ? 40 : 31, 0, 0); },
        [&](DDSurface* d, bool w) { BLT_AddRGB(d, 0, 0, src, nullptr, w ? 70 : 63, 63, 63, 0, 0); },
        [&](DDSurface* d, bool w) { BLT_TintRGB(d, 0, 0, src, nullptr, w ? 5000 : 62, w ? -300 : 0, w ? INT32_MIN : 0, 0, 0); },
        [&](DDSurface* d, bool w) { BLT_TintRGBStretch(d, &r, src, nullptr, w ? 99 : 62, 62, 62, 0, 0); }};
    for (size_t i = 0; i < std::size(cases); ++i) {
        Fill(a, d0);
        Fill(b, d0);
        cases[i](a, true);
        cases[i](b, false);
        EXPECT_EQ(ReadSurface(a), ReadSurface(b)) << "case " << i;
    }
}

TEST_P(Color, SharedWalks) {
    CheckWalks({BLEND_MEMBER(BLT_Darken, BLT_DarkenStretch, (9, f, k)), BLEND_MEMBER(BLT_Brighten, BLT_BrightenStretch, (13, f, k)),
                BLEND_MEMBER(BLT_Brightness, BLT_BrightnessStretch, (40, f, k)), BLEND_MEMBER(BLT_BrightnessTable, BLT_BrightnessTableStretch, (20, f, k)),
                BLEND_MEMBER(BLT_TintRGB, BLT_TintRGBStretch, (3, 40, 62, f, k)), BLEND_MEMBER(BLT_AlphaRGB, BLT_AlphaRGBStretch, (5, 17, 30, f, k)),
                BLEND_MEMBER(BLT_AddRGB, BLT_AddRGBStretch, (8, 0, 63, f, k)), BLEND_MEMBER(BLT_TableBlendRGB, BLT_TableBlendRGBStretch, (4, 31, 70, f, k))});
}

TEST_P(Color, TintRectMovesChannelsTowardTheColour) {
    const V s0 = Random(64 * 32);
    DDSurface* s = Make(64, 32, s0);
    ASSERT_EQ(BLT_TintRect(s, nullptr, 0, 0, 0, 31), 1);  // unchanged but for the low green bit or bit 15
    const V same = ReadSurface(s);
    for (size_t i = 0; i < same.size(); ++i) ASSERT_EQ(same[i], s0[i] & (is565() ? 0xFFDF : 0x7FFF));
    Fill(s, s0);
    ASSERT_EQ(BLT_TintRect(s, nullptr, 0, 0, 0, 10), 1);  // floor(c x 10 / 32), 1 where that is 0 and c is not
    const V ten = ReadSurface(s);
    for (size_t i = 0; i < ten.size(); ++i) ASSERT_EQ(ten[i], ref::TintRgb(s0[i], 10, 10, 10, is565()));
    for (int level : {0, 5, 30, 32, 64, 95}) {
        Fill(s, s0);
        const RECT part{10, 4, 50, 20};
        ASSERT_EQ(BLT_TintRect(s, &part, 31, 7, 16, level), 1);
        const V out = ReadSurface(s);
        for (size_t i = 0; i < out.size(); ++i) {
            const ref::Rgb c = ref::Split(s0[i], is565());
            const int g = ref::Green6Of5(ref::Bank(level, 7, ref::Green5(s0[i], is565())), is565()), x = int(i % 64), y = int(i / 64);
            const uint16_t toward = ref::Join({ref::Bank(level, 31, c.r), g, ref::Bank(level, 16, c.b), false}, is565());
            ASSERT_EQ(out[i], x >= 10 && x < 50 && y >= 4 && y < 20 ? toward : s0[i]) << "level " << level << " at " << i;
        }
    }
}

TEST_P(Color, TintRectEdgesComponentsBeyondThirtyOneAndFailures) {
    DDSurface* s = Make(8, 4, V(32, 0x1234));
    const RECT at_edge{8, 0, 12, 4}, beyond{9, 0, 12, 4}, left_of{-5, 0, -1, 4}, partly{-3, -3, 2, 2};
    // Clamping empties the first; the others lie wholly outside.
    EXPECT_EQ((std::array{BLT_TintRect(s, &at_edge, 0, 0, 0, 0), BLT_TintRect(s, &beyond, 0, 0, 0, 0), BLT_TintRect(s, &left_of, 0, 0, 0, 0)}), (std::array{0, 1, 1}));
    EXPECT_EQ(ReadSurface(s), V(32, 0x1234));
    EXPECT_EQ(BLT_TintRect(s, &partly, 0, 0, 0, 0), 1);
    EXPECT_EQ((V{PixelAt(s, 1, 1), PixelAt(s, 2, 1)}), (V{0, 0x1234}));
    // Decided: a component of 100 at level 6 reads row 4 of bank 9, as the screens that pass it show;
    // levels and components that would leave the table read its last row, or its first.
    const uint16_t p = Px(20, 9, 3);
    Fill(s, V(32, p));
    ASSERT_EQ(BLT_TintRect(s, nullptr, 100, 0, 100, 6), 1);
    EXPECT_EQ(PixelAt(s, 0, 0), Px(ref::Bank(9, 4, 20), ref::Bank(6, 0, 9), ref::Bank(9, 4, 3)));
    Fill(s, V(32, p));
    ASSERT_EQ(BLT_TintRect(s, nullptr, 65535, 31, 40000, 1000), 1);
    EXPECT_EQ(PixelAt(s, 3, 3), Px(ref::Bank(95, 31, 20), ref::Bank(95, 31, 9), ref::Bank(95, 31, 3)));
    ASSERT_EQ(BLT_TintRect(s, nullptr, 0, 0, 0, -50), 1);
    EXPECT_EQ(PixelAt(s, 3, 3), 0);
    headless::FailCall("DDSurface.Lock");
    EXPECT_EQ((std::array{BLT_TintRect(s, nullptr, 0, 0, 0, 0), BLT_TintRect(nullptr, nullptr, 0, 0, 0, 0)}), (std::array{0, 0}));
}
