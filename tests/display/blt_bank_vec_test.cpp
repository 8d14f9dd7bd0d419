// Table blends computed eight pixels at a time give exactly the table's entries, for every bank
// with a formula, every pair of channel values and both layouts.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "display/blt_level.h"
#include "tests/support/fixture.h"

namespace {
class BankBlend : public ::testing::TestWithParam<bool> {};

INSTANTIATE_TEST_SUITE_P(Layouts, BankBlend, ::testing::Values(true, false),
                         [](const auto& info) { return std::string(info.param ? "Rgb565" : "Rgb555"); });

uint16_t Expected(const uint8_t* t, uint16_t d, uint16_t s, bool is565) {
    int red = is565 ? 11 : 10, green = is565 ? 6 : 5;
    auto ch = [&](int shift) { return t[((d >> shift) & 31) * 32 + ((s >> shift) & 31)] << shift; };
    return static_cast<uint16_t>(ch(red) | ch(green) | ch(0));
}

TEST_P(BankBlend, EveryBankAndChannelPairMatchesTheTable) {
    const bool is565 = GetParam();
    support::HeadlessDisplay display(headless::Config{16, is565, 2});
    ASSERT_TRUE(display.ok);
    const int w = 1024 + 13, h = 2;  // all 32 x 32 channel pairs, a ragged end, two rows
    DD_SetClipRect(0, 0, w, h);
    std::mt19937 rng(17);
    std::vector<uint16_t> dpx(size_t(w) * h), spx(size_t(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            int i = x % 1024;
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
        for (int keyed = 0; keyed < 2; ++keyed) {
            DDSurface* a = support::MakeSurface(w, h, dpx);
            DDSurface* b = support::MakeSurface(w, h, dpx);
            BLT_TableBlend(a, 0, 0, src, nullptr, bank, 0, keyed);
            RECT r{0, 0, w, h};
            BLT_TableBlendStretch(b, &r, src, nullptr, bank, 1, keyed);  // mirrored
            int bad = 0, bad_b = 0;
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) {
                    size_t i = size_t(y) * w + x;
                    size_t m = size_t(y) * w + (w - 1 - x);  // where the mirrored blit puts source pixel i
                    const uint8_t* t = BLT_BLEND_TABLE[bank];
                    bool hole = keyed && spx[i] == 0;
                    bad += support::PixelAt(a, x, y) != (hole ? dpx[i] : Expected(t, dpx[i], spx[i], is565));
                    bad_b += support::PixelAt(b, w - 1 - x, y) != (hole ? dpx[m] : Expected(t, dpx[m], spx[i], is565));
                }
            EXPECT_EQ(bad, 0) << "bank " << bank << " keyed " << keyed;
            EXPECT_EQ(bad_b, 0) << "stretched, bank " << bank << " keyed " << keyed;
            DD_ReleaseSurface(a);
            DD_ReleaseSurface(b);
        }
    }
    DD_ReleaseSurface(src);
}
}  // namespace
