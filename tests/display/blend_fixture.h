// Shared by the blend tests: a fresh display in one pixel layout per test (the parameter says 565)
// with rows wider than their pixels, surfaces released before the display goes, and the walk checks
// every blend member must pass.
#pragma once
#include <gtest/gtest.h>
#include <array>
#include <functional>
#include <random>
#include <string>
#include <vector>
#include "display/blt_frame.h"
#include "tests/display/channel_reference.h"
#include "tests/support/fixture.h"

namespace blendtest {
using V = std::vector<uint16_t>;
using support::PixelAt;
using support::ReadSurface;

inline void Fill(DDSurface* s, const V& px) {
    for (int i = 0; i < s->Width() * s->Height(); ++i) support::SetPixel(s, i % s->Width(), i / s->Width(), px[size_t(i)]);
}

// A blend member: its point and stretched forms.
struct Member {
    const char* name;
    std::function<void(DDSurface*, int, int, DDSurface*, const RECT*, uint32_t, int)> point;
    std::function<void(DDSurface*, RECT*, DDSurface*, const RECT*, uint32_t, int)> stretch;
};
// The bracketed arguments follow the source rectangle; f is the flip and k the key flag.
#define BLEND_ARGS(...) __VA_ARGS__
#define BLEND_MEMBER(P, S, args)                                                                                              \
    blendtest::Member{#P, [](DDSurface* d, int x, int y, DDSurface* s, const RECT* r, uint32_t f, [[maybe_unused]] int k) { P(d, x, y, s, r, BLEND_ARGS args); }, \
                      [](DDSurface* d, RECT* to, DDSurface* s, const RECT* r, uint32_t f, [[maybe_unused]] int k) { S(d, to, s, r, BLEND_ARGS args); }}

class Layout : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override { ASSERT_TRUE(display.ok); }
    void TearDown() override {
        for (DDSurface* s : made) DD_ReleaseSurface(s);
    }
    DDSurface* Make(int w, int h, const V& px = {}) { return made.emplace_back(support::MakeSurface(w, h, px)); }
    // Random pixels; with zero_in, about one in that many is 0 (the key).
    V Random(size_t n, int zero_in = 0) {
        V v(n);
        for (auto& p : v) p = zero_in && rng() % zero_in == 0 ? 0 : static_cast<uint16_t>(rng());
        return v;
    }
    bool is565() const { return GetParam(); }
    // Green is given in five bits; 565 puts it at the top of its six.
    uint16_t Px(int r, int g5, int b) const { return is565() ? uint16_t(r << 11 | g5 << 6 | b) : uint16_t(r << 10 | g5 << 5 | b); }
    uint16_t White() const { return is565() ? 0xFFFF : 0x7FFF; }

    // For every member, flip and key: at scale 1 the stretched form draws what the point form does,
    // both cut by the clip rectangle (the caller's rectangle clipped in place) and nothing outside the
    // target moving; mirroring moves pixels without changing their colours (flip bits above the low
    // byte ignored); keyed source 0 is skipped; scaled, each pixel blends the source pixel the step
    // tables pick; nothing is drawn and nothing left locked when clipping leaves nothing, the source
    // rectangle leaves its surface, or a lock fails or finds the source busy.
    void CheckWalks(const std::vector<Member>& members) {
        constexpr int W = 23, H = 11, SW = W + 4;
        const V s0 = Random(size_t(SW) * (H + 3), 4);
        DDSurface *src = Make(SW, H + 3, s0), *a = Make(40, 20), *b = Make(40, 20), *plain = Make(W, H);
        const RECT part{3, 2, 3 + W, 2 + H};
        auto at = [](int i, uint32_t flip) { return size_t(flip & 2 ? H - 1 - i / W : i / W) * W + (flip & 1 ? W - 1 - i % W : i % W); };
        for (const Member& m : members)
            for (uint32_t flip = 0; flip < 8; ++flip) {
                const int keyed = flip / 4, fl = flip % 4;
                const V d0 = Random(40 * 20), q0 = Random(W * H);
                Fill(a, d0);
                Fill(b, d0);
                DD_SetClipRect(0, 0, 24, 20);
                RECT dr{5, -3, 5 + W, -3 + H};
                m.point(a, 5, -3, src, &part, fl, keyed);
                m.stretch(b, &dr, src, &part, fl, keyed);
                DD_SetClipRect(0, 0, 640, 480);
                const V got = ReadSurface(a);
                ASSERT_EQ(got, ReadSurface(b)) << m.name << " flip " << fl << " key " << keyed;
                EXPECT_EQ((std::array{dr.left, dr.top, dr.right, dr.bottom}), (std::array{5, 0, 24, 8})) << m.name;
                for (int i = 0; i < 40 * 20; ++i)
                    if (i % 40 < 5 || i % 40 >= 24 || i / 40 >= 8) { ASSERT_EQ(got[size_t(i)], d0[size_t(i)]) << m.name << " outside at " << i; }
                V mirrored(q0.size());
                for (int i = 0; i < W * H; ++i) mirrored[at(i, fl)] = q0[size_t(i)];
                Fill(plain, q0);
                m.point(plain, 0, 0, src, &part, 0, keyed);
                const V straight = ReadSurface(plain);
                Fill(plain, mirrored);
                m.point(plain, 0, 0, src, &part, fl | 0x100, keyed);
                mirrored = ReadSurface(plain);
                for (int i = 0; i < W * H; ++i) {
                    ASSERT_EQ(mirrored[at(i, fl)], straight[size_t(i)]) << m.name << " flip " << fl << " at " << i;
                    if (keyed && s0[size_t(i / W + 2) * SW + i % W + 3] == 0) { ASSERT_EQ(straight[size_t(i)], q0[size_t(i)]) << m.name << " key at " << i; }
                }
            }
        for (auto [dw, dh] : {std::pair{58, 25}, std::pair{13, 30}, std::pair{160, 7}}) {  // compared with a source scaled beforehand
            int32_t cols[160], rows[30];
            ASSERT_TRUE(BLT_StepTable(cols, dw, W) && BLT_StepTable(rows, dh, H));
            V big(size_t(dw) * dh);
            for (int y = 0, sy = 0; y < dh; sy += rows[y++] / 2)
                for (int x = 0, sx = 0; x < dw; sx += cols[x++] / 2) big[size_t(y) * dw + x] = s0[size_t(sy + 2) * SW + sx + 3];
            const V d0 = Random(big.size());
            DDSurface *scaled = Make(dw, dh, big), *p = Make(dw, dh), *q = Make(dw, dh);
            for (const Member& m : members) {
                Fill(p, d0);
                Fill(q, d0);
                RECT r{0, 0, dw, dh};
                m.point(p, 0, 0, scaled, nullptr, 0, 1);
                m.stretch(q, &r, src, &part, 0, 1);
                ASSERT_EQ(ReadSurface(p), ReadSurface(q)) << m.name << " into " << dw << "x" << dh;
            }
        }
        DDSURFACEDESC2 desc{};
        desc.dwSize = DDSD_SIZE;
        const V before = ReadSurface(a);
        const RECT outside{SW - 4, 0, SW + 4, 4};
        for (const Member& m : members)
            for (int run = 0; run < 8; ++run) {  // point, then stretched: nothing left, source outside, failed lock, busy source
                const int why = run / 2;
                RECT r{why ? 0 : 40, 0, why ? 20 : 50, 10};
                const RECT* from = why == 1 ? &outside : &part;
                if (why == 2) headless::FailCall("DDSurface.Lock", 1);
                if (why == 3) { ASSERT_EQ(src->Lock(nullptr, &desc, 0), DD_OK); }
                run % 2 ? m.stretch(a, &r, src, from, 0, 0) : m.point(a, r.left, 0, src, from, 0, 0);
                if (why == 3) src->Unlock(nullptr);
                EXPECT_FALSE(a->IsLocked() || src->IsLocked()) << m.name << " run " << run;
                EXPECT_EQ(ReadSurface(a), before) << m.name << " run " << run;
            }
    }

    support::HeadlessDisplay display{headless::Config{16, GetParam(), 6}};
    std::mt19937 rng{1234};
    std::vector<DDSurface*> made;
};

#define BLEND_LAYOUTS(Suite) \
    INSTANTIATE_TEST_SUITE_P(Layouts, Suite, ::testing::Bool(), [](const auto& i) { return std::string(i.param ? "565" : "555"); })

}  // namespace blendtest
