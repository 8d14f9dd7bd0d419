// Arithmetic blend blitters: worked values, a per-channel reference on random pixels, and the walks
// every blend shares.
#include "display/blt_arith.h"
#include <algorithm>
#include "tests/display/blend_fixture.h"

namespace {
using namespace blendtest;

enum Kind { kMix, kAdd, kAddHalf, kAddQuarter, kSub, kSubHalf, kSubQuarter, kKinds };
using ArithFn = int (*)(DDSurface*, int32_t, int32_t, DDSurface*, const RECT*, uint32_t, int32_t);
const ArithFn kPoint[kKinds] = {BLT_Mix, BLT_Add, BLT_AddHalf, BLT_AddQuarter, BLT_Sub, BLT_SubHalf, BLT_SubQuarter};

// Per channel: adds and subtracts apply an even share of the source to the destination.
uint16_t Ref(int k, uint16_t d, uint16_t s, bool is565) {
    const ref::Rgb a = ref::Split(d, is565), b = ref::Split(s, is565);
    if (k == kMix) return ref::Join({a.r / 2 + b.r / 2, a.g / 2 + b.g / 2, a.b / 2 + b.b / 2, false}, is565);
    auto amount = [k](int c) { return k == kAdd || k == kSub ? c & ~1 : k == kAddHalf || k == kSubHalf ? 2 * (c / 4) : 2 * (c / 8); };
    const int ur = amount(b.r), ug = amount(b.g), ub = amount(b.b);
    if (k <= kAddQuarter)
        return ref::Join({std::min((a.r & ~1) + ur, 30), std::min((a.g & ~1) + ug, is565 ? 62 : 30), std::min((a.b & ~1) + ub, 30), false}, is565);
    const int fb = a.b >= ub, fg = a.g / 2 >= ug / 2, fr = a.r / 2 >= ur / 2;
    return ref::Join({fr ? 2 * (a.r / 2 - ur / 2) + fg : 0, fg ? 2 * (a.g / 2 - ug / 2) + fb : (is565 ? fb : 0), std::max(0, a.b - ub), !is565 && fr},
                     is565);
}

class ArithBlit : public Layout {};
BLEND_LAYOUTS(ArithBlit);

int MixColour0(DDSurface* d, int32_t x, int32_t y, DDSurface* s, const RECT* r, uint32_t f, int32_t) { return BLT_MixColor(d, x, y, s, r, 0xFFFF0000u, f); }
int SilhouetteBlack(DDSurface* d, int32_t x, int32_t y, DDSurface* s, const RECT* r, uint32_t f, int32_t) { return BLT_Silhouette(d, x, y, s, r, 0, f); }
int SilhouetteWhite(DDSurface* d, int32_t x, int32_t y, DDSurface* s, const RECT* r, uint32_t f, int32_t) { return BLT_Silhouette(d, x, y, s, r, 0xFFFF, f); }

// [0] 565, [1] 555. Shape blends ignore the colour's high 16 bits and never draw a source of 0.
struct Worked {
    const char* what;
    ArithFn fn;
    int32_t keyed;
    uint16_t d[2], s[2], want[2];
} const kWorked[] = {
    {"add white", BLT_Add, 0, {0x1234, 0x1234}, {0xFFFF, 0x7FFF}, {0xF7DE, 0x7BDE}},
    {"add white to white", BLT_Add, 1, {0xFFFF, 0x7FFF}, {0xFFFF, 0x7FFF}, {0xF7DE, 0x7BDE}},
    {"add black clears low bits", BLT_Add, 0, {0xFFFF, 0xFFFF}, {0, 0}, {0xF7DE, 0x7BDE}},
    {"half add white to black", BLT_AddHalf, 0, {0, 0}, {0xFFFF, 0x7FFF}, {0x73CE, 0x39CE}},
    {"quarter add white to black", BLT_AddQuarter, 0, {0, 0}, {0xFFFF, 0x7FFF}, {0x31C6, 0x18C6}},
    {"sub white from white", BLT_Sub, 0, {0xFFFF, 0x7FFF}, {0xFFFF, 0x7FFF}, {0x0821, 0x8421}},
    {"half sub white from white", BLT_SubHalf, 0, {0xFFFF, 0x7FFF}, {0xFFFF, 0x7FFF}, {0x8C31, 0xC631}},
    {"quarter sub white from white", BLT_SubQuarter, 0, {0xFFFF, 0x7FFF}, {0xFFFF, 0x7FFF}, {0xCE39, 0xE739}},
    {"sub black is d or K", BLT_Sub, 0, {0x5287, 0x2947}, {0, 0}, {0x5AA7, 0xAD67}},
    {"sub black from 555 white", BLT_Sub, 0, {0x7FFF, 0x7FFF}, {0, 0}, {0x7FFF, 0xFFFF}},
    {"sub tiny from black, keyed", BLT_Sub, 1, {0, 0}, {0x0821, 0x0421}, {0x0820, 0x8420}},
    {"sub tiny from black", BLT_Sub, 0, {0, 0}, {0x0801, 0x0401}, {0x0820, 0x8420}},
    {"half sub tiny from black", BLT_SubHalf, 0, {0, 0}, {0x1863, 0x0C63}, {0x0820, 0x8420}},
    {"quarter sub tiny from black, keyed", BLT_SubQuarter, 1, {0, 0}, {0x38E7, 0x1CE7}, {0x0820, 0x8420}},
    {"mix with itself", BLT_Mix, 0, {0x4D5E, 0x26BE}, {0x4D5E, 0x26BE}, {0x4D5E & 0xF7DE, 0x26BE & 0x7BDE}},
    {"mix white with white", BLT_Mix, 1, {0xFFFF, 0x7FFF}, {0xFFFF, 0x7FFF}, {0xF7DE, 0x7BDE}},
    {"mix red with blue", BLT_Mix, 0, {0xF800, 0x7C00}, {0x001F, 0x001F}, {0x780F, 0x3C0F}},
    {"colour mix 0 on white", MixColour0, 0, {0xFFFF, 0x7FFF}, {0x0001, 0x8000}, {0x7BEF, 0x3DEF}},
    {"colour mix skips 0", MixColour0, 0, {0xFFFF, 0x7FFF}, {0, 0}, {0xFFFF, 0x7FFF}},
    {"black silhouette", SilhouetteBlack, 0, {0x1234, 0x1234}, {0x4321, 0x4321}, {0, 0}},
    {"white silhouette", SilhouetteWhite, 0, {0x1234, 0x1234}, {0x8000, 0x0001}, {0xFFFF, 0xFFFF}},
    {"silhouette skips 0", SilhouetteWhite, 0, {0x1234, 0x1234}, {0, 0}, {0x1234, 0x1234}},
};

// A row wide enough for the grouped pixels and an odd rest; every pixel must agree, and so must the reference.
TEST_P(ArithBlit, WorkedValues) {
    const int l = is565() ? 0 : 1;
    for (const Worked& c : kWorked) {
        DDSurface* dst = Make(19, 3, V(57, c.d[l]));
        c.fn(dst, 0, 0, Make(19, 3, V(57, c.s[l])), nullptr, 0, c.keyed);
        EXPECT_EQ(ReadSurface(dst), V(57, c.want[l])) << c.what;
        const int k = int(std::find(kPoint, kPoint + kKinds, c.fn) - kPoint);
        if (k < kKinds) { EXPECT_EQ(c.want[l], Ref(k, c.d[l], c.s[l], is565())) << c.what; }
    }
}

// Random pairs in wide rows (groups and a rest), then in rows too narrow for a group; the colour
// mix with colours that have every pattern in their low bits.
TEST_P(ArithBlit, BlitsMatchChannelReferenceOnRandomPixels) {
    for (auto [w, h] : {std::pair{1021, 1000}, std::pair{7, 16384}}) {
        DD_SetClipRect(0, 0, w, h);
        const V dpx = Random(size_t(w) * h), spx = Random(size_t(w) * h, 16);
        DDSurface* src = Make(w, h, spx);
        const uint16_t colours[] = {0, 0xFFFF, 0x5A5A, 0x8421};
        for (int run = 0; run < 2 * kKinds + 4; ++run) {
            const bool blend = run < 2 * kKinds, keyed = !blend || run % 2;
            const int k = blend ? run / 2 : kMix;
            DDSurface* dst = support::MakeSurface(w, h, dpx);
            blend ? kPoint[k](dst, 0, 0, src, nullptr, 0, keyed) : BLT_MixColor(dst, 0, 0, src, nullptr, colours[run - 2 * kKinds], 0);
            const V got = ReadSurface(dst);
            size_t bad = 0;
            for (size_t i = 0; i < got.size(); ++i)
                bad += got[i] != (keyed && spx[i] == 0 ? dpx[i] : Ref(k, dpx[i], blend ? spx[i] : colours[run - 2 * kKinds], is565()));
            EXPECT_EQ(bad, 0u) << w << " wide, run " << run;
            DD_ReleaseSurface(dst);
        }
    }
}

TEST_P(ArithBlit, SharedWalks) {
    CheckWalks({BLEND_MEMBER(BLT_Mix, BLT_MixStretch, (f, k)), BLEND_MEMBER(BLT_Add, BLT_AddStretch, (f, k)),
                BLEND_MEMBER(BLT_AddHalf, BLT_AddHalfStretch, (f, k)), BLEND_MEMBER(BLT_AddQuarter, BLT_AddQuarterStretch, (f, k)),
                BLEND_MEMBER(BLT_Sub, BLT_SubStretch, (f, k)), BLEND_MEMBER(BLT_SubHalf, BLT_SubHalfStretch, (f, k)),
                BLEND_MEMBER(BLT_SubQuarter, BLT_SubQuarterStretch, (f, k)), BLEND_MEMBER(BLT_Silhouette, BLT_SilhouetteStretch, (0x4321, f)),
                BLEND_MEMBER(BLT_MixColor, BLT_MixColorStretch, (0x0F0F, f))});
}

}  // namespace
