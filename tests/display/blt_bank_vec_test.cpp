// Table blends computed many pixels at a time give exactly the table's entries, for every bank, every
// pair of channel values, both layouts and every instruction set, mirrored or not.
#include "display/blt_bank_vec.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "display/blt_level.h"
#include "tests/support/fixture.h"

namespace {
using blt::VecPath;

class BankBlend : public ::testing::TestWithParam<std::tuple<bool, VecPath>> {
protected:
    void SetUp() override {
        if (!blt::SetBankPath(std::get<1>(GetParam()))) GTEST_SKIP() << "instruction set not available here";
    }
    void TearDown() override { blt::SetBankPath(best_); }
    VecPath best_ = blt::BankPath();
};

std::string SetName(const ::testing::TestParamInfo<std::tuple<bool, VecPath>>& info) {
    static const char* const kSets[] = {"Scalar", "Sse2", "Avx2"};
    return std::string(std::get<0>(info.param) ? "Rgb565" : "Rgb555") + kSets[int(std::get<1>(info.param))];
}

INSTANTIATE_TEST_SUITE_P(Sets, BankBlend,
                         ::testing::Combine(::testing::Bool(),
                                            ::testing::Values(VecPath::Scalar, VecPath::Sse2, VecPath::Avx2)),
                         SetName);

uint16_t Expected(const uint8_t* t, uint16_t d, uint16_t s, bool is565) {
    int red = is565 ? 11 : 10, green = is565 ? 6 : 5;
    auto ch = [&](int shift) { return t[((d >> shift) & 31) * 32 + ((s >> shift) & 31)] << shift; };
    return static_cast<uint16_t>(ch(red) | ch(green) | ch(0));
}

TEST_P(BankBlend, EveryBankAndChannelPairMatchesTheTable) {
    const bool is565 = std::get<0>(GetParam());
    support::HeadlessDisplay display(headless::Config{16, is565, 2});
    ASSERT_TRUE(display.ok);
    // All 32 x 32 channel pairs, then a rest of 13 (one group of eight and five single pixels).
    const int w = 1024 + 13, h = 2;
    DD_SetClipRect(0, 0, w, h);
    std::mt19937 rng(17);
    std::vector<uint16_t> dpx(size_t(w) * h), spx(size_t(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            // Past the pairs, random ones: a mirrored rest must not find its pixels by luck.
            int i = x < 1024 ? x : int(rng() % 1024);
            // Red, green and blue walk the pairs at different phases; the bits the table ignores are random.
            int dr = i >> 5, sr = i & 31, dg = (i * 7 + y) % 1024 >> 5, sg = (i * 7 + y) & 31;
            int db = (i + 512) % 1024 >> 5, sb = (i + 512) & 31;
            uint16_t noise = static_cast<uint16_t>(rng());
            if (is565) {
                dpx[size_t(y) * w + x] = uint16_t(dr << 11 | dg << 6 | (noise & 1) << 5 | db);
                spx[size_t(y) * w + x] = uint16_t(sr << 11 | sg << 6 | (noise & 2) << 4 | sb);
            } else {
                dpx[size_t(y) * w + x] = uint16_t((noise & 0x8000) | dr << 10 | dg << 5 | db);
                spx[size_t(y) * w + x] = uint16_t((noise << 15) | sr << 10 | sg << 5 | sb);
            }
        }
    DDSurface* src = support::MakeSurface(w, h, spx);
    for (int bank = 0; bank < BLT_BLEND_BANKS; ++bank) {
        const uint8_t* t = BLT_BLEND_TABLE[bank];
        for (int keyed = 0; keyed < 2; ++keyed)
            for (uint32_t flip = 0; flip < 4; ++flip) {
                DDSurface* point = support::MakeSurface(w, h, dpx);
                DDSurface* stretched = support::MakeSurface(w, h, dpx);
                BLT_TableBlend(point, 0, 0, src, nullptr, bank, flip, keyed);
                RECT r{0, 0, w, h};
                BLT_TableBlendStretch(stretched, &r, src, nullptr, bank, flip, keyed);
                int bad = 0;
                for (int y = 0; y < h; ++y)
                    for (int x = 0; x < w; ++x) {
                        // Source pixel (x, y) lands at (mx, my) and meets the destination there.
                        int mx = flip & 1 ? w - 1 - x : x, my = flip & 2 ? h - 1 - y : y;
                        uint16_t s = spx[size_t(y) * w + x], d = dpx[size_t(my) * w + mx];
                        uint16_t want = keyed && s == 0 ? d : Expected(t, d, s, is565);
                        bad += support::PixelAt(point, mx, my) != want;
                        bad += support::PixelAt(stretched, mx, my) != want;
                    }
                EXPECT_EQ(bad, 0) << "bank " << bank << " keyed " << keyed << " flip " << flip;
                DD_ReleaseSurface(point);
                DD_ReleaseSurface(stretched);
            }
    }
    DD_ReleaseSurface(src);
}

TEST(BankPath, TheBestSetIsTheDefaultAndScalarIsAlwaysThere) {
    const VecPath best = blt::BankPath();
    EXPECT_TRUE(blt::BankPathSupported(best));
    EXPECT_TRUE(blt::SetBankPath(VecPath::Scalar));
    EXPECT_EQ(blt::BankPath(), VecPath::Scalar);
    for (VecPath p : {VecPath::Sse2, VecPath::Avx2})
        if (!blt::BankPathSupported(p)) {
            EXPECT_FALSE(blt::SetBankPath(p));
            EXPECT_EQ(blt::BankPath(), VecPath::Scalar);
        }
    EXPECT_TRUE(blt::SetBankPath(best));
}
}  // namespace
