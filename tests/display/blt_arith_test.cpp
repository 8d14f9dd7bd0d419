// Arithmetic blend blitters: worked values, per-channel reference on random pixels, mirroring,
// stretching and the frame around them.
#include "display/blt_arith.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "tests/support/fixture.h"

namespace {
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

uint16_t Pack(Px p, bool is565) { return static_cast<uint16_t>(p.r << (is565 ? 11 : 10) | p.g << 5 | p.b); }

enum Kind { kMix, kAdd, kAddHalf, kAddQuarter, kSub, kSubHalf, kSubQuarter, kKinds };

using PointFn = int (*)(DDSurface*, int32_t, int32_t, DDSurface*, const RECT*, uint32_t, int32_t);
using StretchFn = int (*)(DDSurface*, RECT*, DDSurface*, const RECT*, uint32_t, int32_t);
const PointFn kPoint[kKinds] = {BLT_Mix, BLT_Add, BLT_AddHalf, BLT_AddQuarter, BLT_Sub, BLT_SubHalf, BLT_SubQuarter};
const StretchFn kStretch[kKinds] = {BLT_MixStretch, BLT_AddStretch,     BLT_AddHalfStretch,   BLT_AddQuarterStretch,
                                    BLT_SubStretch, BLT_SubHalfStretch, BLT_SubQuarterStretch};

int Even(int v) { return v & ~1; }

// The amount of a source channel that an add or subtract applies.
int Amount(int k, int s) {
    return k == kAdd || k == kSub ? Even(s) : k == kAddHalf || k == kSubHalf ? 2 * (s / 4) : 2 * (s / 8);
}

uint16_t Ref(int k, uint16_t d, uint16_t s, bool is565) {
    Px a = Unpack(d, is565), b = Unpack(s, is565);
    if (k == kMix) return Pack({a.r / 2 + b.r / 2, a.g / 2 + b.g / 2, a.b / 2 + b.b / 2}, is565);
    int ur = Amount(k, b.r), ug = Amount(k, b.g), ub = Amount(k, b.b);
    if (k <= kAddQuarter)
        return Pack(
            {std::min(Even(a.r) + ur, 30), std::min(Even(a.g) + ug, is565 ? 62 : 30), std::min(Even(a.b) + ub, 30)},
            is565);
    int fb = a.b >= ub, fg = a.g / 2 >= ug / 2, fr = a.r / 2 >= ur / 2;
    int green = fg ? 2 * (a.g / 2 - ug / 2) + fb : (is565 ? fb : 0);
    int red = fr ? 2 * (a.r / 2 - ur / 2) + fg : 0;
    return static_cast<uint16_t>(Pack({red, green, std::max(0, a.b - ub)}, is565) | (!is565 && fr ? 0x8000 : 0));
}

std::vector<uint16_t> RandomPixels(std::mt19937& rng, size_t n, int zero_in = 0) {
    std::vector<uint16_t> v(n);
    for (auto& p : v) p = zero_in && rng() % zero_in == 0 ? 0 : static_cast<uint16_t>(rng());
    return v;
}

// Each test runs on both layouts.
class ArithBlit : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override { ASSERT_TRUE(display_.ok); }
    void TearDown() override {
        for (DDSurface* s : made_) DD_ReleaseSurface(s);
    }
    bool is565() const { return GetParam(); }
    DDSurface* Make(int w, int h, const std::vector<uint16_t>& px = {}) {
        made_.push_back(support::MakeSurface(w, h, px));
        return made_.back();
    }
    DDSurface* Filled(int w, int h, uint16_t v) { return Make(w, h, std::vector<uint16_t>(size_t(w) * h, v)); }
    uint16_t White() const { return is565() ? 0xFFFF : 0x7FFF; }

    support::HeadlessDisplay display_{headless::Config{16, GetParam(), 6}};
    std::vector<DDSurface*> made_;
};

INSTANTIATE_TEST_SUITE_P(Layouts, ArithBlit, ::testing::Values(true, false),
                         [](const auto& info) { return std::string(info.param ? "Rgb565" : "Rgb555"); });

// ---- worked values: [0] 565, [1] 555 ----
int MixColour0(DDSurface* d, int32_t x, int32_t y, DDSurface* s, const RECT* r, uint32_t flip, int32_t) {
    return BLT_MixColor(d, x, y, s, r, 0xFFFF0000u, flip);
}
int SilhouetteBlack(DDSurface* d, int32_t x, int32_t y, DDSurface* s, const RECT* r, uint32_t flip, int32_t) {
    return BLT_Silhouette(d, x, y, s, r, 0, flip);
}
int SilhouetteWhite(DDSurface* d, int32_t x, int32_t y, DDSurface* s, const RECT* r, uint32_t flip, int32_t) {
    return BLT_Silhouette(d, x, y, s, r, 0xFFFF, flip);
}

struct Worked {
    const char* what;
    PointFn fn;
    int32_t keyed;
    uint16_t d[2], s[2], want[2];
};
const Worked kWorked[] = {
    {"add white", BLT_Add, 0, {0x1234, 0x1234}, {0xFFFF, 0x7FFF}, {0xF7DE, 0x7BDE}},
    {"add white to white", BLT_Add, 1, {0xFFFF, 0x7FFF}, {0xFFFF, 0x7FFF}, {0xF7DE, 0x7BDE}},
    {"add black clears low bits", BLT_Add, 0, {0xFFFF, 0xFFFF}, {0, 0}, {0xF7DE, 0x7BDE}},
    {"half add white to black", BLT_AddHalf, 0, {0, 0}, {0xFFFF, 0x7FFF}, {0x73CE, 0x39CE}},        // 14, 30 | 14, 14
    {"quarter add white to black", BLT_AddQuarter, 0, {0, 0}, {0xFFFF, 0x7FFF}, {0x31C6, 0x18C6}},  // 6, 14 | 6, 6
    {"sub white from white", BLT_Sub, 0, {0xFFFF, 0x7FFF}, {0xFFFF, 0x7FFF}, {0x0821, 0x8421}},
    {"half sub white from white", BLT_SubHalf, 0, {0xFFFF, 0x7FFF}, {0xFFFF, 0x7FFF}, {0x8C31, 0xC631}},  // 17, 33, 17
    {"quarter sub white from white",
     BLT_SubQuarter,
     0,
     {0xFFFF, 0x7FFF},
     {0xFFFF, 0x7FFF},
     {0xCE39, 0xE739}},  // 25, 49, 25
    {"sub black is d or K", BLT_Sub, 0, {0x5287, 0x2947}, {0, 0}, {0x5AA7, 0xAD67}},
    {"sub black from 555 white", BLT_Sub, 0, {0x7FFF, 0x7FFF}, {0, 0}, {0x7FFF, 0xFFFF}},
    {"sub tiny from black, keyed", BLT_Sub, 1, {0, 0}, {0x0821, 0x0421}, {0x0820, 0x8420}},
    {"sub tiny from black", BLT_Sub, 0, {0, 0}, {0x0801, 0x0401}, {0x0820, 0x8420}},
    {"half sub tiny from black", BLT_SubHalf, 0, {0, 0}, {0x1863, 0x0C63}, {0x0820, 0x8420}},
    {"quarter sub tiny from black, keyed", BLT_SubQuarter, 1, {0, 0}, {0x38E7, 0x1CE7}, {0x0820, 0x8420}},
    {"mix with itself", BLT_Mix, 0, {0x4D5E, 0x26BE}, {0x4D5E, 0x26BE}, {0x4D5E & 0xF7DE, 0x26BE & 0x7BDE}},
    {"mix white with white", BLT_Mix, 1, {0xFFFF, 0x7FFF}, {0xFFFF, 0x7FFF}, {0xF7DE, 0x7BDE}},
    {"mix red with blue", BLT_Mix, 0, {0xF800, 0x7C00}, {0x001F, 0x001F}, {0x780F, 0x3C0F}},
    // Shape blends: the colour's high 16 bits are ignored, a source of 0 is never drawn.
    {"colour mix 0 on white", MixColour0, 0, {0xFFFF, 0x7FFF}, {0x0001, 0x8000}, {0x7BEF, 0x3DEF}},  // 15, 31, 15
    {"colour mix skips 0", MixColour0, 0, {0xFFFF, 0x7FFF}, {0, 0}, {0xFFFF, 0x7FFF}},
    {"black silhouette", SilhouetteBlack, 0, {0x1234, 0x1234}, {0x4321, 0x4321}, {0, 0}},
    {"white silhouette", SilhouetteWhite, 0, {0x1234, 0x1234}, {0x8000, 0x0001}, {0xFFFF, 0xFFFF}},
    {"silhouette skips 0", SilhouetteWhite, 0, {0x1234, 0x1234}, {0, 0}, {0x1234, 0x1234}},
};

// A row wide enough for the grouped pixels and an odd rest; every pixel must agree.
TEST_P(ArithBlit, WorkedValues) {
    const int l = is565() ? 0 : 1;
    for (const Worked& c : kWorked) {
        DDSurface* dst = Filled(19, 3, c.d[l]);
        c.fn(dst, 0, 0, Filled(19, 3, c.s[l]), nullptr, 0, c.keyed);
        EXPECT_EQ(ReadSurface(dst), std::vector<uint16_t>(19 * 3, c.want[l])) << c.what;
        const int k = int(std::find(kPoint, kPoint + kKinds, c.fn) - kPoint);
        if (k < kKinds) {
            EXPECT_EQ(c.want[l], Ref(k, c.d[l], c.s[l], is565())) << c.what;
        }
    }
}

// ---- property tests against the per-channel reference ----
// Whole blits over random pairs: a million in wide rows (groups and a rest), then rows too narrow
// for a group, so the single-pixel formulas meet a hundred thousand.
TEST_P(ArithBlit, BlitsMatchChannelReferenceOnRandomPixels) {
    std::mt19937 rng(99);
    for (auto [w, h] : {std::pair{1021, 1000}, std::pair{7, 16384}}) {
        DD_SetClipRect(0, 0, w, h);
        std::vector<uint16_t> dpx = RandomPixels(rng, size_t(w) * h), spx = RandomPixels(rng, size_t(w) * h, 16);
        DDSurface* src = Make(w, h, spx);
        // Kinds, then the colour mix with colours that have every pattern in their low bits.
        const uint16_t colours[] = {0, 0xFFFF, 0x5A5A, 0x8421};
        for (int run = 0; run < 2 * kKinds + 4; ++run) {
            const int k = run < 2 * kKinds ? run / 2 : kMix;
            const bool keyed = run >= 2 * kKinds || run % 2;
            const uint16_t colour = run >= 2 * kKinds ? colours[run - 2 * kKinds] : 0;
            DDSurface* dst = support::MakeSurface(w, h, dpx);
            if (run < 2 * kKinds)
                kPoint[k](dst, 0, 0, src, nullptr, 0, keyed);
            else
                BLT_MixColor(dst, 0, 0, src, nullptr, colour, 0);
            std::vector<uint16_t> got = ReadSurface(dst);
            size_t bad = 0;
            for (size_t i = 0; i < got.size(); ++i)
                bad += got[i] !=
                       (keyed && spx[i] == 0 ? dpx[i] : Ref(k, dpx[i], run < 2 * kKinds ? spx[i] : colour, is565()));
            EXPECT_EQ(bad, 0u) << w << " wide, run " << run;
            DD_ReleaseSurface(dst);
        }
    }
}

// Mirroring moves pixels, never changes them.
TEST_P(ArithBlit, MirroringOnlyMovesPixels) {
    const int w = 37, h = 9;
    std::mt19937 rng(5);
    std::vector<uint16_t> dpx = RandomPixels(rng, size_t(w) * h), spx = RandomPixels(rng, size_t(w) * h, 5);
    // The destination is symmetric so that each mirrored pixel meets the same destination value.
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            dpx[size_t(y) * w + x] = dpx[size_t(std::min(y, h - 1 - y)) * w + std::min(x, w - 1 - x)];
    DDSurface* src = Make(w, h, spx);
    std::vector<std::function<void(DDSurface*, uint32_t, int32_t)>> blits;
    for (PointFn fn : kPoint)
        blits.push_back([=](DDSurface* d, uint32_t f, int32_t key) { fn(d, 0, 0, src, nullptr, f, key); });
    blits.push_back([=](DDSurface* d, uint32_t f, int32_t) { BLT_MixColor(d, 0, 0, src, nullptr, 0x4321, f); });
    blits.push_back([=](DDSurface* d, uint32_t f, int32_t) { BLT_Silhouette(d, 0, 0, src, nullptr, 0x4321, f); });
    for (size_t b = 0; b < blits.size(); ++b)
        for (int32_t key = 0; key < 2; ++key) {
            DDSurface* base = Make(w, h, dpx);
            blits[b](base, 0, key);
            for (uint32_t flip = 1; flip < 4; ++flip) {
                DDSurface* m = Make(w, h, dpx);
                blits[b](m, flip | 0x100, key);  // bits above the low byte are ignored
                for (int i = 0; i < w * h; ++i) {
                    int x = i % w, y = i / w, mx = flip & 1 ? w - 1 - x : x, my = flip & 2 ? h - 1 - y : y;
                    ASSERT_EQ(PixelAt(m, mx, my), PixelAt(base, x, y)) << b << " flip " << flip << " " << x << "," << y;
                }
            }
        }
}

// With a source rectangle and an offset, every flip and key.
TEST_P(ArithBlit, StretchAtScaleOneEqualsPointForm) {
    const int w = 45, h = 13;
    std::mt19937 rng(8);
    DDSurface* src = Make(w + 5, h + 4, RandomPixels(rng, size_t(w + 5) * (h + 4), 6));
    const RECT part{3, 2, 3 + w, 2 + h};
    for (int k = 0; k < kKinds + 2; ++k)
        for (uint32_t flip = 0; flip < 4; ++flip)
            for (int32_t key = 0; key < 2; ++key) {
                DDSurface* a = Make(w + 10, h + 10, RandomPixels(rng, size_t(w + 10) * (h + 10)));
                DDSurface* b = Make(w + 10, h + 10, ReadSurface(a));
                RECT r{4, 5, 4 + w, 5 + h};
                if (k < kKinds) {
                    kPoint[k](a, 4, 5, src, &part, flip, key);
                    kStretch[k](b, &r, src, &part, flip, key);
                } else if (k == kKinds) {
                    BLT_Silhouette(a, 4, 5, src, &part, 0x0F0F, flip);
                    BLT_SilhouetteStretch(b, &r, src, &part, 0x0F0F, flip);
                } else {
                    BLT_MixColor(a, 4, 5, src, &part, 0x0F0F, flip);
                    BLT_MixColorStretch(b, &r, src, &part, 0x0F0F, flip);
                }
                ASSERT_EQ(ReadSurface(a), ReadSurface(b)) << k << " flip " << flip << " key " << key;
            }
}

// Scaled blits apply the formula to the nearest source pixel the step table picks.
TEST_P(ArithBlit, StretchedPixelsFollowTheStepTable) {
    const int sw = 29, sh = 11;
    std::mt19937 rng(21);
    std::vector<uint16_t> spx = RandomPixels(rng, size_t(sw) * sh, 7);
    DDSurface* src = Make(sw, sh, spx);
    for (auto [dw, dh] : {std::pair{58, 22}, std::pair{67, 5}, std::pair{13, 30}, std::pair{200, 11}})
        for (int k : {kAdd, kSubHalf, kMix}) {
            std::vector<uint16_t> dpx = RandomPixels(rng, size_t(dw) * dh);
            DDSurface* dst = Make(dw, dh, dpx);
            RECT r{0, 0, dw, dh};
            kStretch[k](dst, &r, src, nullptr, 0, 1);
            // Rows: the accumulator walk starting at half the destination height.
            uint32_t acc = uint32_t(dh) / 2;
            for (int y = 0, row = 0; y < dh; ++y) {
                for (int x = 0, col = 0; x < dw; col += BLT_STEP_TABLE[x++] / 2) {
                    uint16_t s = spx[size_t(row) * sw + col], d = dpx[size_t(y) * dw + x];
                    ASSERT_EQ(PixelAt(dst, x, y), s ? Ref(k, d, s, is565()) : d)
                        << dw << "x" << dh << " " << x << "," << y;
                }
                for (; acc < uint32_t(sh); acc += uint32_t(dh)) row = std::min(row + 1, sh - 1);
                acc -= uint32_t(sh);
            }
        }
}

// ---- the frame around the formulas ----
TEST_P(ArithBlit, ClippingAndRectangles) {
    DDSurface* src = Filled(32, 4, White());
    DDSurface* dst = Filled(40, 10, 0);
    DD_SetClipRect(5, 0, 15, 10);  // (5, 0, 20, 10)
    BLT_Add(dst, -3, 2, src, nullptr, 0, 0);
    for (int i = 0; i < 400; ++i) {
        int x = i % 40, y = i / 40;
        EXPECT_EQ(PixelAt(dst, x, y), x >= 5 && x < 20 && y >= 2 && y < 6 ? (is565() ? 0xF7DE : 0x7BDE) : 0) << x;
    }
    // The stretched forms clip the caller's rectangle in place.
    for (bool shape : {false, true}) {
        std::vector<uint16_t> before = ReadSurface(dst);
        RECT r{-10, 3, 30, 12};
        if (shape)
            BLT_SilhouetteStretch(dst, &r, src, nullptr, 1, 0);
        else
            BLT_SubStretch(dst, &r, src, nullptr, 1, 0);
        EXPECT_NE(ReadSurface(dst), before);
        EXPECT_EQ(r.left, 5);
        EXPECT_EQ(r.top, 3);
        EXPECT_EQ(r.right, 20);
        EXPECT_EQ(r.bottom, 10);
    }
    // Nothing left after clipping, or a source rectangle reaching outside its surface: nothing drawn.
    std::vector<uint16_t> before = ReadSurface(dst);
    BLT_Mix(dst, 20, 0, src, nullptr, 0, 0);
    BLT_MixColor(dst, 0, 10, src, nullptr, 0, 0);
    RECT away{20, 0, 30, 5};
    BLT_AddStretch(dst, &away, src, nullptr, 0, 0);
    RECT outside{20, 0, 40, 4}, dr{5, 0, 15, 4};
    BLT_Add(dst, 5, 0, src, &outside, 0, 0);
    BLT_AddStretch(dst, &dr, src, &outside, 0, 0);
    EXPECT_EQ(ReadSurface(dst), before);
    EXPECT_FALSE(src->IsLocked());
    EXPECT_FALSE(dst->IsLocked());
}

TEST_P(ArithBlit, FailedLockDrawsNothingAndLeavesNothingLocked) {
    DDSurface* src = Filled(16, 4, White());
    DDSurface* dst = Filled(16, 4, 0x0421);
    auto all = [&](bool fail_dest) {
        RECT r{0, 0, 16, 4}, r2{0, 0, 16, 4};
        const std::function<void()> blits[] = {
            [&] { BLT_Add(dst, 0, 0, src, nullptr, 0, 0); },
            [&] { BLT_Silhouette(dst, 0, 0, src, nullptr, 0, 0); },
            [&] { BLT_SubStretch(dst, &r, src, nullptr, 0, 0); },
            [&] { BLT_MixColorStretch(dst, &r2, src, nullptr, 0, 0); },
        };
        for (const auto& blit : blits) {
            if (fail_dest) headless::FailCall("DDSurface.Lock", 1);
            blit();
            EXPECT_FALSE(dst->IsLocked());
        }
    };
    all(true);
    // The source is busy: the destination, already locked, must be let go again.
    DDSURFACEDESC2 desc{};
    desc.dwSize = DDSD_SIZE;
    ASSERT_EQ(src->Lock(nullptr, &desc, 0), DD_OK);
    all(false);
    src->Unlock(nullptr);
    EXPECT_EQ(ReadSurface(dst), std::vector<uint16_t>(16 * 4, 0x0421));
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
        for (int i = 0; i < 50 * 12; ++i) {
            int x = i % 50, y = i / 50;
            bool in_point = x >= 3 && x < 30 && y >= 4 && y < 9, in_stretch = x >= 11 && y >= 1 && y < 4;
            if (!in_point && !in_stretch) {
                ASSERT_EQ(PixelAt(dst, x, y), dpx[size_t(i)]) << x << "," << y;
            }
        }
    }
}
}  // namespace
