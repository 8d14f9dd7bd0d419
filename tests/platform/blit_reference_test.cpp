// Surface blits and colour fills against a pixel-by-pixel reference: random sizes, stretches,
// mirrors, keys and clips at every pixel depth, so that the row kernels (reversed rows, column
// maps, rows repeated from the row above, wide fills) agree with the plain rule everywhere.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "display/dd_display.h"
#include "platform/display.h"
#include "platform/key_rows.h"
#include "tests/display/canvas.h"
#include "tests/support/fixture.h"

namespace {

uint32_t Load(const DDSurface* s, int x, int y) {
    const int bytes = s->Bpp() / 8;
    const uint8_t* p = s->Memory() + static_cast<size_t>(y) * s->Pitch() + static_cast<size_t>(x) * bytes;
    uint32_t v = 0;
    for (int i = 0; i < bytes; ++i) v |= uint32_t{p[i]} << (8 * i);
    return v;
}

void Store(DDSurface* s, int x, int y, uint32_t v) {
    const int bytes = s->Bpp() / 8;
    uint8_t* p = s->Memory() + static_cast<size_t>(y) * s->Pitch() + static_cast<size_t>(x) * bytes;
    for (int i = 0; i < bytes; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

// Pixel rows only: padding is not part of the picture.
std::vector<uint32_t> Pixels(const DDSurface* s) {
    std::vector<uint32_t> out;
    for (int y = 0; y < s->Height(); ++y)
        for (int x = 0; x < s->Width(); ++x) out.push_back(Load(s, x, y));
    return out;
}

uint32_t Mask(int bits) { return bits == 32 ? 0xFFFFFFFFu : (1u << bits) - 1; }

int Pick(std::mt19937& rng, int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }

class BlitReference : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override { ASSERT_TRUE(display.ok); }
    DDSurface* Make(int w, int h, std::mt19937& rng) {
        DDSurface* s = canvas::MakeDepthSurface(w, h, GetParam());
        EXPECT_NE(s, nullptr);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) Store(s, x, y, rng() & Mask(GetParam()));
        return s;
    }
    support::HeadlessDisplay display;
};

// Destination column or row i of n, taken from source offset floor(i * sn / n), counted from the far
// end when mirrored.
int64_t Nearest(int64_t i, int64_t n, int64_t sn, bool mirror) {
    const int64_t k = i * sn / n;
    return mirror ? sn - 1 - k : k;
}

TEST_P(BlitReference, StretchedMirroredKeyedAndClippedBlitsFollowTheNearestPixelRule) {
    const int bits = GetParam();
    std::mt19937 rng(1234u + static_cast<unsigned>(bits));
    DDClipper* clipper = nullptr;
    ASSERT_EQ(DD_DISPLAY.dd4->CreateClipper(0, &clipper), DD_OK);
    for (int round = 0; round < 400; ++round) {
        const int dw = Pick(rng, 1, 80), dh = Pick(rng, 1, 12), sw = Pick(rng, 1, 40), sh = Pick(rng, 1, 12);
        DDSurface* dst = Make(dw, dh, rng);
        DDSurface* src = Make(sw, sh, rng);
        // A clipped destination may reach past every edge; an unclipped one lies inside.
        const bool clipped = round % 3 == 0;
        if (clipped) {
            ASSERT_EQ(dst->SetClipper(clipper), DD_OK);
        }
        RECT s;
        s.left = Pick(rng, 0, sw - 1);
        s.right = Pick(rng, s.left + 1, sw);
        s.top = Pick(rng, 0, sh - 1);
        s.bottom = Pick(rng, s.top + 1, sh);
        const int rw = s.right - s.left, rh = s.bottom - s.top;
        RECT d;
        if (round % 4 == 1) {  // unscaled: the reversed and plain rows
            d.left = clipped ? Pick(rng, -rw, dw - 1) : Pick(rng, 0, std::max(0, dw - rw));
            d.top = clipped ? Pick(rng, -rh, dh - 1) : Pick(rng, 0, std::max(0, dh - rh));
            d.right = d.left + rw;
            d.bottom = d.top + rh;
        } else {
            d.left = Pick(rng, clipped ? -20 : 0, dw - 1);
            d.right = Pick(rng, d.left + 1, clipped ? dw + 30 : dw);
            d.top = Pick(rng, clipped ? -6 : 0, dh - 1);
            d.bottom = Pick(rng, d.top + 1, clipped ? dh + 10 : dh);
        }
        const bool fits = clipped || (d.right <= dw && d.bottom <= dh);
        const bool mirror_lr = rng() & 1, mirror_ud = rng() & 1, keyed = rng() & 1;
        // The key is a pixel the source holds, and a run of source pixels is set to it.
        const uint32_t key = Load(src, Pick(rng, 0, sw - 1), Pick(rng, 0, sh - 1));
        for (int n = Pick(rng, 0, sw * sh / 2); n > 0; --n) Store(src, Pick(rng, 0, sw - 1), Pick(rng, 0, sh - 1), key);
        DDCOLORKEY ck{key, key};
        ASSERT_EQ(src->SetColorKey(DDCKEY_SRCBLT, &ck), DD_OK);

        std::vector<uint32_t> want = Pixels(dst);
        const int64_t ddw = int64_t{d.right} - d.left, ddh = int64_t{d.bottom} - d.top;
        for (int y = std::max(d.top, 0); y < std::min<int>(d.bottom, dh); ++y)
            for (int x = std::max(d.left, 0); x < std::min<int>(d.right, dw); ++x) {
                const int64_t sx = s.left + Nearest(x - d.left, ddw, rw, mirror_lr);
                const int64_t sy = s.top + Nearest(y - d.top, ddh, rh, mirror_ud);
                const uint32_t v = Load(src, static_cast<int>(sx), static_cast<int>(sy));
                if (!(keyed && v == key)) want[static_cast<size_t>(y) * dw + x] = v;
            }

        DDBLTFX fx{};
        fx.dwSize = 100;
        fx.dwDDFX = (mirror_lr ? DDBLTFX_MIRRORLEFTRIGHT : 0) | (mirror_ud ? DDBLTFX_MIRRORUPDOWN : 0);
        const uint32_t flags = DDBLT_WAIT | DDBLT_DDFX | (keyed ? DDBLT_KEYSRC : 0);
        const std::string what = "round " + std::to_string(round) + " " + std::to_string(dw) + "x" +
                                 std::to_string(dh) + " from " + std::to_string(rw) + "x" + std::to_string(rh) +
                                 (mirror_lr ? " lr" : "") + (mirror_ud ? " ud" : "") + (keyed ? " keyed" : "") +
                                 (clipped ? " clipped" : "");
        if (fits) {
            ASSERT_EQ(dst->Blt(&d, src, &s, flags, &fx), DD_OK) << what;
            ASSERT_EQ(Pixels(dst), want) << what;
        } else {
            ASSERT_EQ(dst->Blt(&d, src, &s, flags, &fx), DDERR_INVALIDRECT) << what;
        }
        DD_ReleaseSurface(dst);
        DD_ReleaseSurface(src);
    }
    clipper->Release();
}

TEST_P(BlitReference, ColourFillsCoverExactlyTheirRectangle) {
    const int bits = GetParam();
    std::mt19937 rng(99u + static_cast<unsigned>(bits));
    for (int round = 0; round < 200; ++round) {
        const int w = Pick(rng, 1, 45), h = Pick(rng, 1, 6);
        DDSurface* s = Make(w, h, rng);
        RECT r;
        r.left = Pick(rng, 0, w - 1);
        r.right = Pick(rng, r.left + 1, w);
        r.top = Pick(rng, 0, h - 1);
        r.bottom = Pick(rng, r.top + 1, h);
        const uint32_t colour = rng();
        std::vector<uint32_t> want = Pixels(s);
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) want[static_cast<size_t>(y) * w + x] = colour & Mask(bits);
        DDBLTFX fx{};
        fx.dwSize = 100;
        fx.dwFillColor = colour;
        ASSERT_EQ(s->Blt(&r, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx), DD_OK);
        ASSERT_EQ(Pixels(s), want) << "round " << round << " width " << w << " columns " << r.left << ".." << r.right;
        DD_ReleaseSurface(s);
    }
}

// Every instruction-set form of the keyed 16-bit rows against the plain rule: every width up to
// several steps, forwards and mirrored, over sources with no key, all key, runs and scattered holes,
// including pixels that differ from the key in one byte only.
TEST(KeyedRows, EveryFormKeepsTheDestinationExactlyUnderTheKey) {
    struct Form {
        const char* name;
        plat::KeyedRow16Fn fwd, rev;
    };
    std::vector<Form> forms = {{"chosen", plat::KeyedRow16<false>, plat::KeyedRow16<true>}};
#if defined(__SSE2__)
    forms.push_back({"sse2", plat::KeyedRow16Sse2<false>, plat::KeyedRow16Sse2<true>});
#endif
#if PLAT_HAVE_AVX2_ROWS
    if (__builtin_cpu_supports("avx2")) forms.push_back({"avx2", plat::KeyedRow16Avx2<false>, plat::KeyedRow16Avx2<true>});
#endif
    std::mt19937 rng(77);
    const uint16_t key = 0x1234;
    const uint16_t near_key[] = {0x1235, 0x0034, 0x1200, 0x9234};
    for (int w = 0; w <= 70; ++w) {
        for (int kind = 0; kind < 4; ++kind) {
            // A guard pixel either side of the row catches a step that reaches too far.
            std::vector<uint16_t> src(size_t(w) + 2), dst(size_t(w) + 2);
            for (auto& v : dst) v = uint16_t(rng());
            for (int i = 0; i < w + 2; ++i) {
                switch (kind) {
                    case 0: src[size_t(i)] = near_key[rng() % 4]; break;                 // no key
                    case 1: src[size_t(i)] = key; break;                                 // all key
                    case 2: src[size_t(i)] = (i / 5) % 2 ? key : uint16_t(rng()); break;  // runs
                    default: src[size_t(i)] = rng() % 3 ? key : near_key[rng() % 4]; break;
                }
            }
            for (bool mirrored : {false, true}) {
                std::vector<uint16_t> want = dst;
                const uint16_t* s = mirrored ? &src[size_t(w)] : &src[1];
                (mirrored ? plat::KeyedRow16Plain<true> : plat::KeyedRow16Plain<false>)(&want[1], s, w, key);
                for (const Form& f : forms) {
                    std::vector<uint16_t> got = dst;
                    (mirrored ? f.rev : f.fwd)(&got[1], s, w, key);
                    ASSERT_EQ(got, want) << f.name << " width " << w << " kind " << kind << (mirrored ? " mirrored" : "");
                }
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Depths, BlitReference, ::testing::Values(8, 16, 24, 32),
                         [](const ::testing::TestParamInfo<int>& i) { return std::to_string(i.param) + "bit"; });

}  // namespace
