// Brightness and colour blend blitters against per-channel references, their worked values,
// clamped levels and banks, the walks every blend member shares, and the rectangle tint.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "display/blt_color.h"
#include "display/blt_frame.h"
#include "display/blt_level.h"
#include "tests/display/blend_fixture.h"
#include "tests/display/channel_reference.h"

namespace {
class Color : public blendtest::Layout {
protected:
    // Every 16-bit value once, in a 256 x 256 picture.
    DDSurface* AllValues() {
        V v(65536);
        for (size_t i = 0; i < v.size(); ++i) v[i] = static_cast<uint16_t>(i);
        return Make(256, 256, v);
    }
    using V = std::vector<uint16_t>;
};
INSTANTIATE_TEST_SUITE_P(Layouts, Color, ::testing::Values(false, true), blendtest::LayoutName);
using blendtest::Fill;
using support::PixelAt;
using support::ReadSurface;
using V = std::vector<uint16_t>;

using PointBlit = std::function<void(DDSurface*, int, int, DDSurface*, const RECT*, uint32_t, int)>;
using StretchBlit = std::function<void(DDSurface*, RECT*, DDSurface*, const RECT*, uint32_t, int)>;
}  // namespace

// ---------------- grey darkening and lightening ----------------
TEST_P(Color, GreyLevelsMatchTheChannelRulesForEveryPixelValue) {
    DDSurface* src = AllValues();
    DDSurface* dst = Make(256, 256);
    long bad = 0;
    for (int level = 1; level <= 61; ++level) {
        if (level == 31) continue;
        BLT_Brightness(dst, 0, 0, src, nullptr, level, 0, 0);
        const V out = ReadSurface(dst);
        for (size_t i = 0; i < out.size(); ++i) {
            const auto s = static_cast<uint16_t>(i);
            bad += out[i] != (level < 31 ? ref::Darken(s, 31 - level, is565()) : ref::Brighten(s, level - 31, is565()));
        }
    }
    EXPECT_EQ(bad, 0);
}

TEST_P(Color, GreyWorkedValues) {
    DDSurface* src = AllValues();
    DDSurface* dst = Make(256, 256);
    BLT_Brightness(dst, 0, 0, src, nullptr, 30, 0, 0);  // darken by 1, which rounds to 0
    V dark = ReadSurface(dst);
    BLT_Brightness(dst, 0, 0, src, nullptr, 32, 0, 0);  // lighten by 1
    V light = ReadSurface(dst);
    for (uint32_t s = 0; s < 65536; ++s) {
        if (!is565()) {
            ASSERT_EQ(dark[s], s | 0x8420) << std::hex << s;
            ASSERT_EQ(light[s], s & 0x7BDE) << std::hex << s;
            continue;
        }
        // Blue stays, green drops by 2 after its low bit is set (0 or 1 becomes 1), red gets its
        // low bit set, or cleared where green clamped.
        const int g = (s >> 5) & 63, gl = (g | 1) - 2;
        const uint32_t red = gl < 0 ? (s >> 11) & 30 : (s >> 11) | 1;
        ASSERT_EQ(dark[s], red << 11 | uint32_t(gl < 0 ? 1 : gl) << 5 | (s & 31)) << std::hex << s;
        ASSERT_EQ(light[s], (g & 62) + 2 <= 62 ? (s & 0xF7DE) + 0x40 : (s & 0xF01E) | 0x7C0) << std::hex << s;
        ASSERT_EQ(light[s] & 0x0821, 0) << std::hex << s;  // never an odd channel
    }
    DDSurface* px = Make(3, 1, {0xFFFF, Px(31, 0, 0), Px(1, 0, 0)});
    BLT_Brightness(dst, 0, 0, px, nullptr, 1, 0, 0);  // white at amount 30
    EXPECT_EQ(PixelAt(dst, 0, 0), is565() ? 0x0861 : 0x8421);
    if (!is565()) {  // bit 15 survives where red did not clamp
        BLT_Brightness(dst, 0, 0, px, nullptr, 11, 0, 0);  // amount 20: blue and green clamp
        EXPECT_EQ(PixelAt(dst, 1, 0), 0x8000 | 10 << 10);
        EXPECT_EQ(PixelAt(dst, 2, 0), 0);
    }
}

// ---------------- brightness dispatch ends ----------------
TEST_P(Color, BrightnessEndsAreTheHardwareBlitAndTheShapes) {
    V s0 = Random(9 * 5);
    s0[3] = s0[17] = 0;
    DDSurface* src = Make(9, 5, s0);
    support::SetKey0(src);
    const V d0 = Random(20 * 10);
    DDSurface* a = Make(20, 10, d0);
    DDSurface* b = Make(20, 10, d0);
    for (uint32_t flip = 0; flip < 4; ++flip)
        for (int keyed = 0; keyed < 2; ++keyed) {
            BLT_Brightness(a, -2, 7, src, nullptr, 31, flip, keyed);
            BLT_BltFx(b, -2, 7, src, nullptr, flip, keyed);
            ASSERT_EQ(ReadSurface(a), ReadSurface(b)) << flip << keyed;
            RECT ra{1, 1, 19, 11}, rb{1, 1, 19, 11};
            BLT_BrightnessStretch(a, &ra, src, nullptr, 31, flip, keyed);
            BLT_StretchBlt(b, &rb, src, nullptr, flip, keyed);
            ASSERT_EQ(ReadSurface(a), ReadSurface(b)) << flip << keyed;
        }
    // 0 and below black, 62 and above white, source 0 never painted whatever the key flag.
    DDSurface* shape = Make(3, 1, {0, Px(3, 4, 5), Px(31, 31, 31)});
    DDSurface* dst = Make(3, 1);
    for (int level : {0, -5, 62, 100})
        for (int keyed = 0; keyed < 2; ++keyed) {
            const uint16_t c = level <= 0 ? 0 : 0xFFFF;
            RECT r{0, 0, 3, 1};
            for (int form = 0; form < 3; ++form) {
                Fill(dst, V(3, 0x1111));
                if (form == 0) BLT_Brightness(dst, 0, 0, shape, nullptr, level, 0, keyed);
                if (form == 1) BLT_BrightnessTable(dst, 0, 0, shape, nullptr, level, 0, keyed);
                if (form == 2) BLT_BrightnessStretch(dst, &r, shape, nullptr, level, 1, keyed);
                EXPECT_EQ(ReadSurface(dst), (form == 2 ? V{c, c, 0x1111} : V{0x1111, c, c})) << level << keyed << form;
            }
        }
}

// ---------------- table recolouring and per-channel blends ----------------
TEST_P(Color, TintAndChannelBlendsMatchTheirReferencesOnRandomPixels) {
    constexpr int W = 256, H = 64;
    DDSurface* src = Make(W, H);
    DDSurface* dst = Make(W, H);
    std::uniform_int_distribution<int> tint(0, 62), blend(-10, 80);
    long bad = 0;
    for (int round = 0; round < 96; ++round) {
        const int kind = round % 3;
        auto& dist = kind == 0 ? tint : blend;
        const int r = dist(rng), g = dist(rng), b = dist(rng);
        const V s0 = Random(W * H), d0 = Random(W * H);
        Fill(src, s0);
        Fill(dst, d0);
        if (kind == 0) BLT_TintRGB(dst, 0, 0, src, nullptr, r, g, b, 0, 0);
        if (kind == 1) BLT_AlphaRGB(dst, 0, 0, src, nullptr, r, g, b, 0, 0);
        if (kind == 2) BLT_AddRGB(dst, 0, 0, src, nullptr, r, g, b, 0, 0);
        auto bank = [kind](int v) { return kind == 2 ? std::clamp(v, 0, 63) + 32 : std::clamp(v, 0, 31); };
        const V out = ReadSurface(dst);
        for (size_t i = 0; i < out.size(); ++i)
            bad += out[i] != (kind == 0 ? ref::TintRgb(s0[i], r, g, b, is565())
                                        : ref::BankBlend(d0[i], s0[i], bank(r), bank(g), bank(b), is565()));
    }
    // The table-driven brightness: one level for all three channels.
    DDSurface* every = AllValues();
    DDSurface* out_all = Make(256, 256);
    for (int v = 1; v <= 61; v += 3) {
        if (v == 31) continue;  // the plain blit
        BLT_BrightnessTable(out_all, 0, 0, every, nullptr, v, 0, 0);
        const V out = ReadSurface(out_all);
        for (size_t i = 0; i < out.size(); ++i) bad += out[i] != ref::TintRgb(uint16_t(i), v, v, v, is565());
    }
    EXPECT_EQ(bad, 0);
}

TEST_P(Color, TintAndChannelBlendWorkedValues) {
    const V s0{0xFFFF, 0x8421, Px(7, 0, 30), 0x0020, Px(0, 12, 0)};
    DDSurface* src = Make(5, 1, s0);
    DDSurface* dst = Make(5, 1);
    BLT_TintRGB(dst, 0, 0, src, nullptr, 31, 31, 31, 0, 0);  // a copy but for 565 green's low bit, 555 bit 15
    for (int i = 0; i < 5; ++i) EXPECT_EQ(PixelAt(dst, i, 0), s0[i] & (is565() ? 0xFFDF : 0x7FFF)) << i;
    BLT_TintRGB(dst, 0, 0, src, nullptr, 0, 31, 31, 0, 0);  // red removed
    for (int i = 0; i < 5; ++i) EXPECT_EQ(PixelAt(dst, i, 0), s0[i] & (is565() ? 0x07DF : 0x03FF)) << i;
    BLT_TintRGB(dst, 0, 0, src, nullptr, 62, 62, 62, 0, 0);  // nonzero channels full, zero ones stay
    EXPECT_EQ(PixelAt(dst, 2, 0), Px(31, 0, 31));
    EXPECT_EQ(PixelAt(dst, 4, 0), Px(0, 31, 0));

    const V b0{Px(0, 10, 31), Px(16, 0, 2), 0};
    const V d0{Px(20, 20, 20), Px(31, 31, 31), Px(5, 5, 5)};
    DDSurface* bsrc = Make(3, 1, b0);
    DDSurface* bdst = Make(3, 1, d0);
    BLT_AlphaRGB(bdst, 0, 0, bsrc, nullptr, 0, 0, 0, 0, 0);  // still writes: 0 where the source's channel is 0
    EXPECT_EQ(ReadSurface(bdst), (V{Px(0, 20, 20), Px(31, 0, 31), 0}));
    Fill(bdst, d0);
    BLT_AddRGB(bdst, 0, 0, bsrc, nullptr, 0, 0, 0, 0, 0);  // unchanged but for 565 green's low bit
    EXPECT_EQ(ReadSurface(bdst), (V{Px(20, 20, 20), Px(31, 31, 31), Px(5, 5, 5)}));
    Fill(bdst, V(3, 0));
    BLT_AddRGB(bdst, 0, 0, bsrc, nullptr, 63, 63, 63, 0, 0);  // almost twice the source, capped
    EXPECT_EQ(ReadSurface(bdst), (V{Px(0, 19, 31), Px(31, 0, 3), 0}));
}

// Levels and banks out of range act as the nearest end and never read outside the 96 banks.
TEST_P(Color, OutOfRangeLevelsAndBanksActAsTheirEnds) {
    const V s0 = Random(64), d0 = Random(64);
    DDSurface* src = Make(64, 1, s0);
    DDSurface* a = Make(64, 1);
    DDSurface* b = Make(64, 1);
    struct Case {
        const char* name;
        std::function<void(DDSurface*, bool wild)> draw;
    };
    RECT r{0, 0, 64, 1};
    const Case cases[] = {
        {"bank", [&](DDSurface* d, bool w) { BLT_TableBlend(d, 0, 0, src, nullptr, w ? 5000 : 95, 0, 0); }},
        {"bank stretch", [&](DDSurface* d, bool w) { BLT_TableBlendStretch(d, &r, src, nullptr, w ? -70 : 0, 0, 0); }},
        {"rgb banks",
         [&](DDSurface* d, bool w) {
             BLT_TableBlendRGB(d, 0, 0, src, nullptr, w ? 1000 : 95, w ? -1000 : 0, w ? 96 : 95, 0, 0);
         }},
        {"rgb banks stretch",
         [&](DDSurface* d, bool w) {
             BLT_TableBlendRGBStretch(d, &r, src, nullptr, w ? 1 << 30 : 95, w ? 96 : 95, w ? -1 : 0, 0, 0);
         }},
        {"alpha rgb",
         [&](DDSurface* d, bool w) { BLT_AlphaRGB(d, 0, 0, src, nullptr, w ? -7 : 0, w ? 40 : 31, w ? 40 : 31, 0, 0); }},
        {"add rgb", [&](DDSurface* d, bool w) { BLT_AddRGB(d, 0, 0, src, nullptr, w ? 70 : 63, 63, 63, 0, 0); }},
        {"tint",
         [&](DDSurface* d, bool w) {
             BLT_TintRGB(d, 0, 0, src, nullptr, w ? 5000 : 62, w ? -300 : 0, w ? INT32_MIN : 0, 0, 0);
         }},
        {"tint stretch", [&](DDSurface* d, bool w) { BLT_TintRGBStretch(d, &r, src, nullptr, w ? 99 : 62, 62, 62, 0, 0); }},
        {"darken", [&](DDSurface* d, bool w) { BLT_Darken(d, 0, 0, src, nullptr, w ? -100 : 1, 0, 0); }},
        {"brighten", [&](DDSurface* d, bool w) { BLT_Brighten(d, 0, 0, src, nullptr, w ? 99 : 30, 0, 0); }},
    };
    for (const Case& c : cases) {
        Fill(a, d0);
        Fill(b, d0);
        c.draw(a, true);
        c.draw(b, false);
        EXPECT_EQ(ReadSurface(a), ReadSurface(b)) << c.name;
    }
}

// ---------------- walks shared by every blend member ----------------
// At scale 1 the stretched form equals the point form, clipping leaves the caller's rectangle
// clipped, mirroring moves pixels without changing their colours, and keyed source 0 is skipped.
TEST_P(Color, StretchAtScaleOneEqualsPointAndMirroringKeepsColours) {
    struct Member {
        const char* name;
        PointBlit point;
        StretchBlit stretch;
    };
#define MEMBER(name, point_call, stretch_call)                                                             \
    Member {                                                                                               \
        name, [](DDSurface* d, int x, int y, DDSurface* s, const RECT* r, uint32_t f, int k) { point_call; }, \
            [](DDSurface* d, RECT* dr, DDSurface* s, const RECT* r, uint32_t f, int k) { stretch_call; }    \
    }
    const Member members[] = {
        MEMBER("darken", BLT_Darken(d, x, y, s, r, 9, f, k), BLT_DarkenStretch(d, dr, s, r, 9, f, k)),
        MEMBER("brighten", BLT_Brighten(d, x, y, s, r, 13, f, k), BLT_BrightenStretch(d, dr, s, r, 13, f, k)),
        MEMBER("brightness", BLT_Brightness(d, x, y, s, r, 40, f, k), BLT_BrightnessStretch(d, dr, s, r, 40, f, k)),
        MEMBER("table", BLT_BrightnessTable(d, x, y, s, r, 20, f, k),
               BLT_BrightnessTableStretch(d, dr, s, r, 20, f, k)),
        MEMBER("tint", BLT_TintRGB(d, x, y, s, r, 3, 40, 62, f, k), BLT_TintRGBStretch(d, dr, s, r, 3, 40, 62, f, k)),
        MEMBER("alpha rgb", BLT_AlphaRGB(d, x, y, s, r, 5, 17, 30, f, k),
               BLT_AlphaRGBStretch(d, dr, s, r, 5, 17, 30, f, k)),
        MEMBER("add rgb", BLT_AddRGB(d, x, y, s, r, 8, 0, 63, f, k), BLT_AddRGBStretch(d, dr, s, r, 8, 0, 63, f, k)),
        MEMBER("alpha", BLT_Alpha(d, x, y, s, r, 12, f | 0x300, k), BLT_AlphaStretch(d, dr, s, r, 12, f | 0x300, k)),
        MEMBER("add", BLT_AddLevel(d, x, y, s, r, 40, f, k), BLT_AddLevelStretch(d, dr, s, r, 40, f, k)),
        MEMBER("bank 0", BLT_TableBlend(d, x, y, s, r, 0, f, k), BLT_TableBlendStretch(d, dr, s, r, 0, f, k)),
        MEMBER("bank 31", BLT_TableBlend(d, x, y, s, r, 31, f, k), BLT_TableBlendStretch(d, dr, s, r, 31, f, k)),
    };
#undef MEMBER
    constexpr int W = 23, H = 11;
    V s0 = Random(W * H);
    for (size_t i = 0; i < s0.size(); i += 4) s0[i] = 0;
    DDSurface* src = Make(W, H, s0);
    DDSurface* a = Make(40, 20);
    DDSurface* b = Make(40, 20);
    DDSurface* plain = Make(W, H);
    auto mirror = [](int x, int y, uint32_t flip) {
        return size_t((flip & 2) ? H - 1 - y : y) * W + ((flip & 1) ? W - 1 - x : x);
    };
    for (const Member& m : members)
        for (uint32_t flip = 0; flip < 4; ++flip)
            for (int keyed = 0; keyed < 2; ++keyed) {
                const V d0 = Random(40 * 20);
                Fill(a, d0);
                Fill(b, d0);
                m.point(a, -4, 12, src, nullptr, flip, keyed);
                RECT dr{-4, 12, -4 + W, 12 + H};
                m.stretch(b, &dr, src, nullptr, flip, keyed);
                ASSERT_EQ(ReadSurface(a), ReadSurface(b)) << m.name << flip << keyed;
                EXPECT_EQ(dr.left, 0) << m.name;
                EXPECT_EQ(dr.bottom, 20) << m.name;

                // Under a mirrored destination, every pixel gets the colour of the straight blit.
                const V q0 = Random(W * H);
                Fill(plain, q0);
                m.point(plain, 0, 0, src, nullptr, 0, keyed);
                const V straight = ReadSurface(plain);
                V q_m(q0.size());
                for (int y = 0; y < H; ++y)
                    for (int x = 0; x < W; ++x) q_m[mirror(x, y, flip)] = q0[size_t(y) * W + x];
                Fill(plain, q_m);
                m.point(plain, 0, 0, src, nullptr, flip, keyed);
                const V mirrored = ReadSurface(plain);
                for (int y = 0; y < H; ++y)
                    for (int x = 0; x < W; ++x) {
                        const size_t i = size_t(y) * W + x;
                        ASSERT_EQ(mirrored[mirror(x, y, flip)], straight[i]) << m.name << " flip " << flip << " " << i;
                        if (keyed && s0[i] == 0) {
                            ASSERT_EQ(straight[i], q0[i]) << m.name << " key at " << i;
                        }
                    }
            }
}

// ---------------- rectangle tint ----------------
TEST_P(Color, TintRectMovesChannelsTowardTheColour) {
    constexpr int W = 64, H = 32;
    const V s0 = Random(W * H);
    DDSurface* s = Make(W, H, s0);
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
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x) {
                const size_t i = size_t(y) * W + x;
                const bool inside = x >= 10 && x < 50 && y >= 4 && y < 20;
                const ref::Rgb c = ref::Split(s0[i], is565());
                const int g = ref::Green6Of5(ref::Bank(level, 7, ref::Green5(s0[i], is565())), is565());
                const uint16_t toward =
                    ref::Join(ref::Rgb{ref::Bank(level, 31, c.r), g, ref::Bank(level, 16, c.b), false}, is565());
                ASSERT_EQ(out[i], inside ? toward : s0[i]) << "level " << level << " at " << x << "," << y;
            }
    }
}

TEST_P(Color, TintRectEdgesComponentsBeyondThirtyOneAndFailures) {
    DDSurface* s = Make(8, 4, V(32, 0x1234));
    const RECT at_edge{8, 0, 12, 4}, beyond{9, 0, 12, 4}, left_of{-5, 0, -1, 4}, partly{-3, -3, 2, 2};
    EXPECT_EQ(BLT_TintRect(s, &at_edge, 0, 0, 0, 0), 0);  // clamping empties it
    EXPECT_EQ(BLT_TintRect(s, &beyond, 0, 0, 0, 0), 1);   // wholly outside
    EXPECT_EQ(BLT_TintRect(s, &left_of, 0, 0, 0, 0), 1);
    EXPECT_EQ(ReadSurface(s), V(32, 0x1234));
    EXPECT_EQ(BLT_TintRect(s, &partly, 0, 0, 0, 0), 1);
    EXPECT_EQ(PixelAt(s, 1, 1), 0);
    EXPECT_EQ(PixelAt(s, 2, 1), 0x1234);

    // A component of 100 at level 6 reads row 4 of bank 9, as the screens that pass it show.
    const uint16_t p = Px(20, 9, 3);
    Fill(s, V(32, p));
    ASSERT_EQ(BLT_TintRect(s, nullptr, 100, 0, 100, 6), 1);
    EXPECT_EQ(PixelAt(s, 0, 0), Px(ref::Bank(9, 4, 20), ref::Bank(6, 0, 9), ref::Bank(9, 4, 3)));
    // Levels and components that would leave the table read its last row, or its first.
    Fill(s, V(32, p));
    ASSERT_EQ(BLT_TintRect(s, nullptr, 65535, 31, 40000, 1000), 1);
    EXPECT_EQ(PixelAt(s, 3, 3), Px(ref::Bank(95, 31, 20), ref::Bank(95, 31, 9), ref::Bank(95, 31, 3)));
    ASSERT_EQ(BLT_TintRect(s, nullptr, 0, 0, 0, -50), 1);
    EXPECT_EQ(PixelAt(s, 3, 3), 0);

    headless::FailCall("DDSurface.Lock");
    EXPECT_EQ(BLT_TintRect(s, nullptr, 0, 0, 0, 0), 0);
    EXPECT_EQ(BLT_TintRect(nullptr, nullptr, 0, 0, 0, 0), 0);
}
