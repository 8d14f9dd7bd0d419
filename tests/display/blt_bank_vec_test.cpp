// Table blends, point and stretched, against the per-channel bank rule: every bank, every pair of
// channel values, both layouts and every instruction set, keyed or not, mirrored or not.
#include "display/blt_bank_vec.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <tuple>

#include "display/blt_level.h"
#include "tests/display/channel_reference.h"
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
std::string SetName(const ::testing::TestParamInfo<std::tuple<bool, VecPath>>& i) {
    static const char* const kSets[] = {"Scalar", "Sse2", "Avx2"};
    return std::string(std::get<0>(i.param) ? "Rgb565" : "Rgb555") + kSets[int(std::get<1>(i.param))];
}
INSTANTIATE_TEST_SUITE_P(Sets, BankBlend, ::testing::Combine(::testing::Bool(), ::testing::Values(VecPath::Scalar, VecPath::Sse2, VecPath::Avx2)),
                         SetName);

TEST_P(BankBlend, EveryBankAndChannelPairFollowsTheChannelRule) {
    const bool is565 = std::get<0>(GetParam());
    support::HeadlessDisplay display(headless::Config{16, is565, 2});
    ASSERT_TRUE(display.ok);
    // All 32 x 32 channel pairs, then a rest of 13 (one group of eight and five single pixels) of
    // random pairs, so that a mirrored rest cannot find its pixels by luck.
    const int w = 1024 + 13, h = 2;
    DD_SetClipRect(0, 0, w, h);
    std::mt19937 rng(17);
    std::vector<uint16_t> dpx(size_t(w) * h), spx(size_t(w) * h);
    for (size_t p = 0; p < dpx.size(); ++p) {
        const int x = int(p % w), y = int(p / w), i = x < 1024 ? x : int(rng() % 1024);
        // Red, green and blue walk the pairs at different phases; the bits the table ignores are random.
        const int g = (i * 7 + y) % 1024, b = (i + 512) % 1024, noise = int(rng());
        dpx[p] = ref::Join({i >> 5, is565 ? (g >> 5) << 1 | (noise & 1) : g >> 5, b >> 5, (noise & 2) != 0}, is565);
        spx[p] = ref::Join({i & 31, is565 ? (g & 31) << 1 | (noise >> 2 & 1) : g & 31, b & 31, (noise & 8) != 0}, is565);
    }
    DDSurface* src = support::MakeSurface(w, h, spx);
    for (int bank = 0; bank < BLT_BLEND_BANKS; ++bank)
        for (int keyed = 0; keyed < 2; ++keyed)
            for (uint32_t flip = 0; flip < 4; ++flip) {
                DDSurface* point = support::MakeSurface(w, h, dpx);
                DDSurface* stretched = support::MakeSurface(w, h, dpx);
                BLT_TableBlend(point, 0, 0, src, nullptr, bank, flip, keyed);
                RECT r{0, 0, w, h};
                BLT_TableBlendStretch(stretched, &r, src, nullptr, bank, flip, keyed);
                int bad = 0;
                for (int y = 0; y < h; ++y)
                    for (int x = 0; x < w; ++x) {  // source pixel (x, y) lands at (mx, my)
                        const int mx = flip & 1 ? w - 1 - x : x, my = flip & 2 ? h - 1 - y : y;
                        const uint16_t s = spx[size_t(y) * w + x], d = dpx[size_t(my) * w + mx];
                        const uint16_t want = keyed && s == 0 ? d : ref::BankBlend(d, s, bank, bank, bank, is565);
                        bad += (support::PixelAt(point, mx, my) != want) + (support::PixelAt(stretched, mx, my) != want);
                    }
                EXPECT_EQ(bad, 0) << "bank " << bank << " keyed " << keyed << " flip " << flip;
                DD_ReleaseSurface(point);
                DD_ReleaseSurface(stretched);
            }
    DD_ReleaseSurface(src);
}

TEST(BankPath, TheBestSetIsTheDefaultAndScalarIsAlwaysThere) {
    const VecPath best = blt::BankPath();
    EXPECT_TRUE(blt::BankPathSupported(best));
    EXPECT_TRUE(blt::SetBankPath(VecPath::Scalar));
    for (VecPath p : {VecPath::Sse2, VecPath::Avx2})
        if (!blt::BankPathSupported(p)) { EXPECT_FALSE(blt::SetBankPath(p)); }
    EXPECT_EQ(blt::BankPath(), VecPath::Scalar);
    EXPECT_TRUE(blt::SetBankPath(best));
}
}  // namespace
