// Arithmetic blend blitters: worked values, per-channel reference on random pixels, key, mirroring,
// stretching and the frame around them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "display/blt_arith.h"
#include "tests/support/fixture.h"

namespace {
using support::MakeSurface;
using support::PixelAt;
using support::ReadSurface;

// ---- per-channel reference ----
struct Px {
    int r, g, b;
};

Px Unpack(uint16_t v, bool is565) {
    if (is565) return {v >> 11, (v >> 5) & 63, v & 31};
    return {(v >> 10) & 31, (v >> 5) & 31, v & 31};
}

uint16_t Pack(Px p, bool is565) {
    return static_cast<uint16_t>(is565 ? (p.r << 11) | (p.g << 5) | p.b : (p.r << 10) | (p.g << 5) | p.b);
}

enum class Kind { Mix, Add, AddHalf, AddQuarter, Sub, SubHalf, SubQuarter };
const Kind kKinds[] = {Kind::Mix, Kind::Add, Kind::AddHalf, Kind::AddQuarter, Kind::Sub, Kind::SubHalf, Kind::SubQuarter};

int Even(int v) { return v & ~1; }

// The amount of a source channel that an add or subtract applies.
int Amount(Kind k, int s) {
    switch (k) {
        case Kind::Add:
        case Kind::Sub: return Even(s);
        case Kind::AddHalf:
        case Kind::SubHalf: return 2 * (s / 4);
        default: return 2 * (s / 8);
    }
}

uint16_t RefMix(uint16_t d, uint16_t x, bool is565) {
    Px a = Unpack(d, is565), b = Unpack(x, is565);
    return Pack({a.r / 2 + b.r / 2, a.g / 2 + b.g / 2, a.b / 2 + b.b / 2}, is565);
}

uint16_t RefAdd(Kind k, uint16_t d, uint16_t s, bool is565) {
    Px a = Unpack(d, is565), b = Unpack(s, is565);
    int gtop = is565 ? 62 : 30;
    return Pack({std::min(Even(a.r) + Amount(k, b.r), 30), std::min(Even(a.g) + Amount(k, b.g), gtop),
                 std::min(Even(a.b) + Amount(k, b.b), 30)},
                is565);
}

uint16_t RefSub(Kind k, uint16_t d, uint16_t s, bool is565) {
    Px a = Unpack(d, is565), b = Unpack(s, is565);
    int ub = Amount(k, b.b), ug = Amount(k, b.g), ur = Amount(k, b.r);
    int fb = a.b >= ub, fg = a.g / 2 >= ug / 2, fr = a.r / 2 >= ur / 2;
    int blue = std::max(0, a.b - ub);
    int green = fg ? 2 * (a.g / 2 - ug / 2) + fb : (is565 ? fb : 0);
    int red = fr ? 2 * (a.r / 2 - ur / 2) + fg : 0;
    uint16_t v = Pack({red, green, blue}, is565);
    if (!is565 && fr) v |= 0x8000;
    return v;
}

uint16_t Ref(Kind k, uint16_t d, uint16_t s, bool is565) {
    switch (k) {
        case Kind::Mix: return RefMix(d, s, is565);
        case Kind::Add:
        case Kind::AddHalf:
        case Kind::AddQuarter: return RefAdd(k, d, s, is565);
        default: return RefSub(k, d, s, is565);
    }
}

using PointFn = int (*)(DDSurface*, int32_t, int32_t, DDSurface*, const RECT*, uint32_t, int32_t);
using StretchFn = int (*)(DDSurface*, RECT*, DDSurface*, const RECT*, uint32_t, int32_t);

PointFn PointOf(Kind k) {
    switch (k) {
        case Kind::Mix: return BLT_Mix;
        case Kind::Add: return BLT_Add;
        case Kind::AddHalf: return BLT_AddHalf;
        case Kind::AddQuarter: return BLT_AddQuarter;
        case Kind::Sub: return BLT_Sub;
        case Kind::SubHalf: return BLT_SubHalf;
        default: return BLT_SubQuarter;
    }
}

StretchFn StretchOf(Kind k) {
    switch (k) {
        case Kind::Mix: return BLT_MixStretch;
        case Kind::Add: return BLT_AddStretch;
        case Kind::AddHalf: return BLT_AddHalfStretch;
        case Kind::AddQuarter: return BLT_AddQuarterStretch;
        case Kind::Sub: return BLT_SubStretch;
        case Kind::SubHalf: return BLT_SubHalfStretch;
        default: return BLT_SubQuarterStretch;
    }
}

std::vector<uint16_t> RandomPixels(std::mt19937& rng, size_t n, int zero_in = 0) {
    std::vector<uint16_t> v(n);
    for (auto& p : v) {
        p = static_cast<uint16_t>(rng());
        if (zero_in && rng() % zero_in == 0) p = 0;
    }
    return v;
}

// Each test runs on both layouts.
class ArithBlit : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        display_ = std::make_unique<support::HeadlessDisplay>(headless::Config{16, GetParam(), 6});
        ASSERT_TRUE(display_->ok);
    }
    void TearDown() override {
        for (DDSurface* s : made_) DD_ReleaseSurface(s);
        display_.reset();
    }
    bool is565() const { return GetParam(); }
    DDSurface* Make(int w, int h, const std::vector<uint16_t>& px = {}) {
        DDSurface* s = MakeSurface(w, h, px);
        made_.push_back(s);
        return s;
    }
    DDSurface* Filled(int w, int h, uint16_t v) { return Make(w, h, std::vector<uint16_t>(size_t(w) * h, v)); }
    // A row wide enough for the eight-pixel groups and an odd rest; every pixel must agree.
    uint16_t One(PointFn fn, uint16_t d, uint16_t s, uint32_t flip = 0, int32_t keyed = 0) {
        DDSurface* dst = Filled(19, 3, d);
        DDSurface* src = Filled(19, 3, s);
        fn(dst, 0, 0, src, nullptr, flip, keyed);
        return Uniform(dst);
    }
    uint16_t Uniform(DDSurface* s) {
        std::vector<uint16_t> px = ReadSurface(s);
        for (uint16_t v : px) EXPECT_EQ(v, px[0]);
        return px[0];
    }
    uint16_t White() const { return is565() ? 0xFFFF : 0x7FFF; }
    uint16_t P(int r, int g, int b) const { return Pack({r, g, b}, is565()); }

    std::unique_ptr<support::HeadlessDisplay> display_;
    std::vector<DDSurface*> made_;
};

INSTANTIATE_TEST_SUITE_P(Layouts, ArithBlit, ::testing::Values(true, false),
                         [](const auto& info) { return std::string(info.param ? "Rgb565" : "Rgb555"); });

// ---- worked values ----
TEST_P(ArithBlit, AddSaturatesBelowFullAndClearsLowBits) {
    uint16_t capped = is565() ? 0xF7DE : 0x7BDE;
    for (uint16_t d : {uint16_t(0), uint16_t(0x1234), White(), P(17, 3, 29)}) {
        EXPECT_EQ(One(BLT_Add, d, White()), capped);
    }
    // A black source still clears the lowest bit of each channel.
    uint16_t d = P(31, is565() ? 63 : 31, 31);
    EXPECT_EQ(One(BLT_Add, d, 0), d & (is565() ? 0xF7DE : 0x7BDE));
    EXPECT_EQ(One(BLT_AddHalf, 0, White()), is565() ? P(14, 30, 14) : P(14, 14, 14));
    EXPECT_EQ(One(BLT_AddQuarter, 0, White()), is565() ? P(6, 14, 6) : P(6, 6, 6));
}

TEST_P(ArithBlit, SubtractCarriesChannelFlagsInLowBits) {
    EXPECT_EQ(One(BLT_Sub, White(), White()), is565() ? 0x0821 : 0x8421);
    EXPECT_EQ(One(BLT_SubHalf, White(), White()), is565() ? P(17, 33, 17) : (P(17, 17, 17) | 0x8000));
    EXPECT_EQ(One(BLT_SubQuarter, White(), White()), is565() ? P(25, 49, 25) : (P(25, 25, 25) | 0x8000));
    // Black source, unkeyed: d OR K.
    uint16_t d = P(10, 20, 7);
    EXPECT_EQ(One(BLT_Sub, d, 0), static_cast<uint16_t>(d | (is565() ? 0x0820 : 0x8420)));
    if (!is565()) {
        EXPECT_EQ(One(BLT_Sub, 0x7FFF, 0), 0xFFFF);
    }
    // From black, sources too small to take anything leave only the flags.
    uint16_t flags_only = is565() ? 0x0820 : 0x8420;
    EXPECT_EQ(One(BLT_Sub, 0, P(1, 1, 1), 0, 1), flags_only);
    EXPECT_EQ(One(BLT_Sub, 0, P(1, 0, 1)), flags_only);
    EXPECT_EQ(One(BLT_SubHalf, 0, P(3, 3, 3)), flags_only);
    EXPECT_EQ(One(BLT_SubQuarter, 0, P(7, 7, 7), 0, 1), flags_only);
}

TEST_P(ArithBlit, MixHalvesEachChannel) {
    uint16_t d = P(9, 21, 30);
    EXPECT_EQ(One(BLT_Mix, d, d), d & (is565() ? 0xF7DE : 0x7BDE));
    EXPECT_EQ(One(BLT_Mix, White(), White()), is565() ? 0xF7DE : 0x7BDE);
    EXPECT_EQ(One(BLT_Mix, P(31, 0, 0), P(0, 0, 31)), P(15, 0, 15));
}

TEST_P(ArithBlit, ColourMixAndSilhouetteUseTheSourceAsShape) {
    // Shape: a ring of zeros around nonzero pixels of arbitrary values.
    std::vector<uint16_t> shape(19 * 3, 0);
    for (int x = 1; x < 18; ++x) shape[19 + x] = static_cast<uint16_t>(0x1111 * x);
    uint16_t half = is565() ? P(15, 31, 15) : P(15, 15, 15);
    for (uint32_t flip = 0; flip < 4; ++flip) {
        DDSurface* src = Make(19, 3, shape);
        DDSurface* mixed = Filled(19, 3, White());
        DDSurface* black = Filled(19, 3, 0x1234);
        DDSurface* white = Filled(19, 3, 0x1234);
        BLT_MixColor(mixed, 0, 0, src, nullptr, 0xFFFF0000u, flip);  // only the low 16 bits count
        BLT_Silhouette(black, 0, 0, src, nullptr, 0, flip);
        BLT_Silhouette(white, 0, 0, src, nullptr, 0xFFFF, flip);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 19; ++x) {
                bool inside = y == 1 && x >= 1 && x < 18;  // the shape is symmetric under every flip
                EXPECT_EQ(PixelAt(mixed, x, y), inside ? half : White()) << flip << " " << x << "," << y;
                EXPECT_EQ(PixelAt(black, x, y), inside ? 0 : 0x1234);
                EXPECT_EQ(PixelAt(white, x, y), inside ? 0xFFFF : 0x1234);
            }
    }
}

// ---- property tests against the per-channel reference ----
TEST_P(ArithBlit, WholePixelFormulasMatchChannelReference) {
    std::mt19937 rng(1234);
    const bool l = is565();
    for (int i = 0; i < 2000000; ++i) {
        uint32_t r = rng();
        uint16_t d = static_cast<uint16_t>(r), s = static_cast<uint16_t>(r >> 16);
        uint16_t got[7] = {
            l ? blt::MixPixel<true>(d, s) : blt::MixPixel<false>(d, s),
            l ? blt::AddPixel<true>(d, blt::ShareOf<true, blt::Share::Whole>(s))
              : blt::AddPixel<false>(d, blt::ShareOf<false, blt::Share::Whole>(s)),
            l ? blt::AddPixel<true>(d, blt::ShareOf<true, blt::Share::Half>(s))
              : blt::AddPixel<false>(d, blt::ShareOf<false, blt::Share::Half>(s)),
            l ? blt::AddPixel<true>(d, blt::ShareOf<true, blt::Share::Quarter>(s))
              : blt::AddPixel<false>(d, blt::ShareOf<false, blt::Share::Quarter>(s)),
            l ? blt::SubPixel<true>(d, blt::ShareOf<true, blt::Share::Whole>(s))
              : blt::SubPixel<false>(d, blt::ShareOf<false, blt::Share::Whole>(s)),
            l ? blt::SubPixel<true>(d, blt::ShareOf<true, blt::Share::Half>(s))
              : blt::SubPixel<false>(d, blt::ShareOf<false, blt::Share::Half>(s)),
            l ? blt::SubPixel<true>(d, blt::ShareOf<true, blt::Share::Quarter>(s))
              : blt::SubPixel<false>(d, blt::ShareOf<false, blt::Share::Quarter>(s)),
        };
        for (int k = 0; k < 7; ++k)
            ASSERT_EQ(got[k], Ref(kKinds[k], d, s, l)) << "kind " << k << " d " << d << " s " << s;
    }
}

// Whole blits over a million random pairs: the grouped and the single-pixel paths both count.
TEST_P(ArithBlit, BlitsMatchChannelReferenceOnRandomPixels) {
    const int w = 1021, h = 1000;
    DD_SetClipRect(0, 0, w, h);
    std::mt19937 rng(99);
    std::vector<uint16_t> dpx = RandomPixels(rng, size_t(w) * h), spx = RandomPixels(rng, size_t(w) * h, 16);
    DDSurface* src = Make(w, h, spx);
    for (Kind k : kKinds) {
        for (int keyed = 0; keyed < 2; ++keyed) {
            DDSurface* dst = Make(w, h, dpx);
            PointOf(k)(dst, 0, 0, src, nullptr, 0, keyed);
            std::vector<uint16_t> got = ReadSurface(dst);
            size_t bad = 0;
            for (size_t i = 0; i < got.size(); ++i) {
                uint16_t want = keyed && spx[i] == 0 ? dpx[i] : Ref(k, dpx[i], spx[i], is565());
                if (got[i] != want && bad++ < 5) ADD_FAILURE() << "kind " << int(k) << " at " << i;
            }
            EXPECT_EQ(bad, 0u) << "kind " << int(k) << " keyed " << keyed;
            DD_ReleaseSurface(dst);
            made_.pop_back();
        }
    }
    // The colour mix against the reference, with colours that have every bit pattern in their low bits.
    for (uint16_t colour : {uint16_t(0), uint16_t(0xFFFF), uint16_t(0x5A5A), uint16_t(0x8421)}) {
        DDSurface* dst = Make(w, h, dpx);
        BLT_MixColor(dst, 0, 0, src, nullptr, colour, 0);
        std::vector<uint16_t> got = ReadSurface(dst);
        size_t bad = 0;
        for (size_t i = 0; i < got.size(); ++i)
            bad += got[i] != (spx[i] == 0 ? dpx[i] : RefMix(dpx[i], colour, is565()));
        EXPECT_EQ(bad, 0u) << colour;
    }
}

TEST_P(ArithBlit, KeyedSkipsOnlySourceZero) {
    std::vector<uint16_t> src_px(23 * 2, White());
    for (int i : {0, 3, 8, 9, 15, 22, 23, 40}) src_px[size_t(i)] = 0;
    DDSurface* src = Make(23, 2, src_px);
    for (Kind k : kKinds) {
        DDSurface* keyed = Filled(23, 2, 0x5555);
        DDSurface* plain = Filled(23, 2, 0x5555);
        PointOf(k)(keyed, 0, 0, src, nullptr, 0, 1);
        PointOf(k)(plain, 0, 0, src, nullptr, 0, 0);
        for (int i = 0; i < 46; ++i) {
            uint16_t want = Ref(k, 0x5555, src_px[size_t(i)], is565());
            EXPECT_EQ(PixelAt(keyed, i % 23, i / 23), src_px[size_t(i)] ? want : 0x5555) << int(k) << " " << i;
            EXPECT_EQ(PixelAt(plain, i % 23, i / 23), want) << int(k) << " " << i;
        }
    }
}

// Mirroring moves pixels, never changes them: point and stretched forms, every member.
TEST_P(ArithBlit, MirroringOnlyMovesPixels) {
    const int w = 37, h = 9;
    std::mt19937 rng(5);
    std::vector<uint16_t> dpx = RandomPixels(rng, size_t(w) * h), spx = RandomPixels(rng, size_t(w) * h, 5);
    // The destination is symmetric so that each mirrored pixel meets the same destination value.
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) dpx[size_t(y) * w + x] = dpx[size_t(std::min(y, h - 1 - y)) * w + std::min(x, w - 1 - x)];
    DDSurface* src = Make(w, h, spx);
    std::vector<std::function<void(DDSurface*, uint32_t, int32_t)>> blits;
    for (Kind k : kKinds) {
        blits.push_back([=](DDSurface* d, uint32_t f, int32_t key) { PointOf(k)(d, 0, 0, src, nullptr, f, key); });
        blits.push_back([=](DDSurface* d, uint32_t f, int32_t key) {
            RECT r{0, 0, w, h};
            StretchOf(k)(d, &r, src, nullptr, f, key);
        });
    }
    blits.push_back([=](DDSurface* d, uint32_t f, int32_t) { BLT_MixColor(d, 0, 0, src, nullptr, 0x4321, f); });
    blits.push_back([=](DDSurface* d, uint32_t f, int32_t) { BLT_Silhouette(d, 0, 0, src, nullptr, 0x4321, f); });
    blits.push_back([=](DDSurface* d, uint32_t f, int32_t) {
        RECT r{0, 0, w, h};
        BLT_MixColorStretch(d, &r, src, nullptr, 0x4321, f);
    });
    for (size_t b = 0; b < blits.size(); ++b) {
        for (int32_t key = 0; key < 2; ++key) {
            DDSurface* base = Make(w, h, dpx);
            blits[b](base, 0, key);
            for (uint32_t flip = 1; flip < 4; ++flip) {
                DDSurface* m = Make(w, h, dpx);
                blits[b](m, flip | 0x100, key);  // bits above the low byte are ignored
                for (int y = 0; y < h; ++y)
                    for (int x = 0; x < w; ++x) {
                        int mx = (flip & 1) ? w - 1 - x : x, my = (flip & 2) ? h - 1 - y : y;
                        ASSERT_EQ(PixelAt(m, mx, my), PixelAt(base, x, y)) << b << " flip " << flip << " " << x << "," << y;
                    }
            }
        }
    }
}

TEST_P(ArithBlit, StretchAtScaleOneEqualsPointForm) {
    const int w = 45, h = 13;
    std::mt19937 rng(8);
    std::vector<uint16_t> dpx = RandomPixels(rng, size_t(w) * h), spx = RandomPixels(rng, size_t(w + 5) * (h + 4), 6);
    DDSurface* src = Make(w + 5, h + 4, spx);
    RECT part{3, 2, 3 + w, 2 + h};
    for (Kind k : kKinds)
        for (uint32_t flip = 0; flip < 4; ++flip)
            for (int32_t key = 0; key < 2; ++key) {
                DDSurface* a = Make(w + 10, h + 10, RandomPixels(rng, size_t(w + 10) * (h + 10)));
                DDSurface* b = Make(w + 10, h + 10, ReadSurface(a));
                PointOf(k)(a, 4, 5, src, &part, flip, key);
                RECT r{4, 5, 4 + w, 5 + h};
                StretchOf(k)(b, &r, src, &part, flip, key);
                ASSERT_EQ(ReadSurface(a), ReadSurface(b)) << int(k) << " flip " << flip << " key " << key;
            }
    for (uint32_t flip = 0; flip < 4; ++flip) {
        DDSurface* a = Make(w, h, dpx);
        DDSurface* b = Make(w, h, dpx);
        DDSurface* c = Make(w, h, dpx);
        DDSurface* e = Make(w, h, dpx);
        RECT r1{0, 0, w, h}, r2{0, 0, w, h};
        BLT_Silhouette(a, 0, 0, src, &part, 0x0F0F, flip);
        BLT_SilhouetteStretch(b, &r1, src, &part, 0x0F0F, flip);
        BLT_MixColor(c, 0, 0, src, &part, 0x0F0F, flip);
        BLT_MixColorStretch(e, &r2, src, &part, 0x0F0F, flip);
        EXPECT_EQ(ReadSurface(a), ReadSurface(b));
        EXPECT_EQ(ReadSurface(c), ReadSurface(e));
    }
}

// Scaled blits apply the formula to the nearest source pixel the step table picks.
TEST_P(ArithBlit, StretchedPixelsFollowTheStepTable) {
    const int sw = 29, sh = 11;
    std::mt19937 rng(21);
    std::vector<uint16_t> spx = RandomPixels(rng, size_t(sw) * sh, 7);
    DDSurface* src = Make(sw, sh, spx);
    for (auto [dw, dh] : {std::pair{58, 22}, std::pair{67, 5}, std::pair{13, 30}, std::pair{200, 11}})
        for (Kind k : {Kind::Add, Kind::SubHalf, Kind::Mix}) {
            std::vector<uint16_t> dpx = RandomPixels(rng, size_t(dw) * dh);
            DDSurface* dst = Make(dw, dh, dpx);
            RECT r{0, 0, dw, dh};
            StretchOf(k)(dst, &r, src, nullptr, 0, 1);
            // Rows: the accumulator walk starting at half the destination height.
            std::vector<int> rows;
            uint32_t acc = uint32_t(dh) / 2;
            int row = 0;
            for (int y = 0; y < dh; ++y) {
                rows.push_back(row);
                while (acc < uint32_t(sh)) {
                    acc += uint32_t(dh);
                    row = std::min(row + 1, sh - 1);
                }
                acc -= uint32_t(sh);
            }
            for (int y = 0; y < dh; ++y) {
                int col = 0;
                for (int x = 0; x < dw; ++x) {
                    uint16_t s = spx[size_t(rows[size_t(y)]) * sw + col], d = dpx[size_t(y) * dw + x];
                    ASSERT_EQ(PixelAt(dst, x, y), s ? Ref(k, d, s, is565()) : d) << dw << "x" << dh << " " << x << "," << y;
                    col += BLT_STEP_TABLE[x] / 2;
                }
            }
        }
}

// ---- the frame around the formulas ----
TEST_P(ArithBlit, ClippingAndRectangles) {
    DDSurface* src = Filled(32, 4, White());
    DDSurface* dst = Filled(40, 10, 0);
    DD_SetClipRect(5, 0, 15, 10);  // (5, 0, 20, 10)
    BLT_Add(dst, -3, 2, src, nullptr, 0, 0);
    for (int x = 0; x < 40; ++x) EXPECT_EQ(PixelAt(dst, x, 2), x >= 5 && x < 20 ? (is565() ? 0xF7DE : 0x7BDE) : 0) << x;
    EXPECT_EQ(PixelAt(dst, 7, 1), 0);
    EXPECT_EQ(PixelAt(dst, 7, 6), 0);
    std::vector<uint16_t> after_add = ReadSurface(dst);
    // The stretched forms clip the caller's rectangle in place.
    RECT r{-10, 3, 30, 12};
    BLT_SubStretch(dst, &r, src, nullptr, 1, 0);
    EXPECT_NE(ReadSurface(dst), after_add);
    EXPECT_EQ(r.left, 5);
    EXPECT_EQ(r.right, 20);
    EXPECT_EQ(r.top, 3);
    EXPECT_EQ(r.bottom, 10);
    RECT r2{-10, 3, 30, 12};
    BLT_SilhouetteStretch(dst, &r2, src, nullptr, 1, 0);
    EXPECT_EQ(r2.left, 5);
    EXPECT_EQ(r2.right, 20);
    // Nothing left after clipping: nothing drawn, both surfaces unlocked.
    std::vector<uint16_t> before = ReadSurface(dst);
    BLT_Mix(dst, 20, 0, src, nullptr, 0, 0);
    BLT_MixColor(dst, 0, 10, src, nullptr, 0, 0);
    RECT away{20, 0, 30, 5};
    BLT_AddStretch(dst, &away, src, nullptr, 0, 0);
    EXPECT_EQ(ReadSurface(dst), before);
    // A source rectangle reaching outside its surface is refused rather than read.
    RECT outside{20, 0, 40, 4};
    BLT_Add(dst, 5, 0, src, &outside, 0, 0);
    RECT dr{5, 0, 15, 4};
    BLT_AddStretch(dst, &dr, src, &outside, 0, 0);
    EXPECT_EQ(ReadSurface(dst), before);
    EXPECT_FALSE(src->IsLocked());
    EXPECT_FALSE(dst->IsLocked());
}

TEST_P(ArithBlit, FailedLockDrawsNothingAndLeavesNothingLocked) {
    DDSurface* src = Filled(16, 4, White());
    DDSurface* dst = Filled(16, 4, 0x0421);
    bool fail_dest = true;
    auto before = [&] {
        if (fail_dest) headless::FailCall("DDSurface.Lock", 1);
    };
    auto all = [&] {
        before();
        BLT_Add(dst, 0, 0, src, nullptr, 0, 0);
        before();
        BLT_Silhouette(dst, 0, 0, src, nullptr, 0, 0);
        RECT r{0, 0, 16, 4};
        before();
        BLT_SubStretch(dst, &r, src, nullptr, 0, 0);
        RECT r2{0, 0, 16, 4};
        before();
        BLT_MixColorStretch(dst, &r2, src, nullptr, 0, 0);
    };
    // The destination refuses its lock.
    all();
    EXPECT_FALSE(dst->IsLocked());
    fail_dest = false;
    // The source is busy: the destination, already locked, must be let go again.
    DDSURFACEDESC2 desc{};
    desc.dwSize = DDSD_SIZE;
    ASSERT_EQ(src->Lock(nullptr, &desc, 0), DD_OK);
    all();
    EXPECT_FALSE(dst->IsLocked());
    src->Unlock(nullptr);
    EXPECT_EQ(Uniform(dst), 0x0421);
    EXPECT_FALSE(dst->IsLocked());
    EXPECT_FALSE(src->IsLocked());
}

// Odd positions and widths with a pitch wider than the row: no pixel outside the rectangle moves.
TEST_P(ArithBlit, TouchesOnlyTheDestinationRectangle) {
    std::mt19937 rng(3);
    DDSurface* src = Make(31, 7, RandomPixels(rng, 31 * 7, 4));
    for (uint32_t flip = 0; flip < 4; ++flip) {
        std::vector<uint16_t> dpx = RandomPixels(rng, 50 * 12);
        DDSurface* dst = Make(50, 12, dpx);
        RECT part{1, 1, 28, 6};  // 27 x 5
        BLT_SubQuarter(dst, 3, 4, src, &part, flip, 0);
        RECT r{11, 1, 50, 4};
        BLT_AddStretch(dst, &r, src, &part, flip, 1);
        for (int y = 0; y < 12; ++y)
            for (int x = 0; x < 50; ++x) {
                bool in_point = x >= 3 && x < 30 && y >= 4 && y < 9;
                bool in_stretch = x >= 11 && y >= 1 && y < 4;
                if (!in_point && !in_stretch) {
                    ASSERT_EQ(PixelAt(dst, x, y), dpx[size_t(y) * 50 + x]) << x << "," << y;
                }
            }
    }
}
}  // namespace
