// Table blends, point and stretched, against the per-channel bank rule: every bank, every pair of
// channel values, both layouts and every instruction set, keyed or not, mirrored or not.
#include "display/blt_bank_vec.h"
#include "display/blt_level.h"
#include "tests/display/blend_fixture.h"

namespace {
using namespace blendtest;
using blt::VecPath;
class BankBlend : public Layout {};
BLEND_LAYOUTS(BankBlend);

TEST_P(BankBlend, EveryBankAndChannelPairFollowsTheChannelRuleOnEverySet) {
    // All 32 x 32 channel pairs, then a rest of 13 (one group of eight and five single pixels) of
    // random pairs, so that a mirrored rest cannot find its pixels by luck. Red, green and blue walk
    // the pairs at different phases; the bits the table ignores are random.
    const int w = 1024 + 13, h = 2;
    DD_SetClipRect(0, 0, w, h);
    V dpx(size_t(w) * h), spx(size_t(w) * h);
    for (size_t p = 0; p < dpx.size(); ++p) {
        const int x = int(p % w), i = x < 1024 ? x : int(rng() % 1024), g = (i * 7 + int(p / w)) % 1024, b = (i + 512) % 1024, noise = int(rng());
        dpx[p] = ref::Join({i >> 5, is565() ? (g >> 5) << 1 | (noise & 1) : g >> 5, b >> 5, (noise & 2) != 0}, is565());
        spx[p] = ref::Join({i & 31, is565() ? (g & 31) << 1 | (noise >> 2 & 1) : g & 31, b & 31, (noise & 8) != 0}, is565());
    }
    DDSurface *src = Make(w, h, spx), *point = Make(w, h), *stretched = Make(w, h);
    const VecPath best = blt::BankPath();
    for (VecPath path : {VecPath::Scalar, VecPath::Sse2, VecPath::Avx2}) {
        // The best set is the default; scalar is always there; an unsupported set is refused unchanged.
        EXPECT_EQ(blt::SetBankPath(path), blt::BankPathSupported(path));
        if (!blt::BankPathSupported(path)) { EXPECT_EQ(blt::BankPath(), VecPath::Scalar); continue; }
        for (int bank = 0; bank < BLT_BLEND_BANKS; ++bank)
            for (uint32_t flip = 0; flip < 8; ++flip) {
                const int keyed = flip / 4;
                Fill(point, dpx);
                Fill(stretched, dpx);
                RECT r{0, 0, w, h};
                BLT_TableBlend(point, 0, 0, src, nullptr, bank, flip % 4, keyed);
                BLT_TableBlendStretch(stretched, &r, src, nullptr, bank, flip % 4, keyed);
                const V a = ReadSurface(point), b = ReadSurface(stretched);
                int bad = 0;
                for (int p = 0; p < w * h; ++p) {  // source pixel p lands at m
                    const int x = p % w, y = p / w, m = (flip & 2 ? h - 1 - y : y) * w + (flip & 1 ? w - 1 - x : x);
                    const uint16_t s = spx[size_t(p)], d = dpx[size_t(m)], want = keyed && s == 0 ? d : ref::BankBlend(d, s, bank, bank, bank, is565());
                    bad += (a[size_t(m)] != want) + (b[size_t(m)] != want);
                }
                EXPECT_EQ(bad, 0) << "set " << int(path) << " bank " << bank << " flip " << flip;
            }
    }
    EXPECT_TRUE(blt::BankPathSupported(VecPath::Scalar) && blt::BankPathSupported(best) && blt::SetBankPath(best));
}
}  // namespace
