// 4:2:0 frames straight to 16-bit pixels with swscale's unscaled x86 arithmetic: a scalar form and
// an AVX2 one of 32 pixels a step, two rows at a time (the rows that share a chroma row).
#include "platform/movie_yuv.h"

#include <algorithm>
#include <cstdint>
#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace plat::detail {
namespace {

// The factors in 16-bit lanes: luma ((Y << 3) - y_offset) * y >> 16; chroma (C << 3) - 1024 times
// each of its factors >> 16; every channel the luma term plus its chroma terms, clipped to 0..255.
struct Coefficients {
    int16_t y, y_offset, v_red, u_green, v_green, u_blue;
};

constexpr int16_t RoundToInt16(int64_t v) {
    return static_cast<int16_t>(std::clamp<int64_t>((v + (int64_t{1} << 15)) >> 16, INT16_MIN, INT16_MAX));
}

// swscale's default colour table (BT.601) in 16.16: a limited range stretches luma by 255 / 219
// from 16, a full range narrows chroma by 224 / 255; then the factors go to 3.13 and the luma
// offset to 13.3, as its x86 code takes them.
constexpr Coefficients CoefficientsFor(bool full_range) {
    int64_t crv = 104597, cbu = 132201, cgu = -25675, cgv = -53279, cy = 1 << 16, oy = 0;
    if (full_range) {
        crv = crv * 224 / 255;
        cbu = cbu * 224 / 255;
        cgu = cgu * 224 / 255;
        cgv = cgv * 224 / 255;
    } else {
        cy = cy * 255 / 219;
        oy = 16 << 16;
    }
    return {RoundToInt16(cy * 8192), RoundToInt16(oy * 8),    RoundToInt16(crv * 8192),
            RoundToInt16(cgu * 8192), RoundToInt16(cgv * 8192), RoundToInt16(cbu * 8192)};
}

int MulHigh(int a, int b) { return (a * b) >> 16; }  // the high half of a 16-bit product
int Sat16(int v) { return std::clamp(v, INT16_MIN, INT16_MAX); }

template <bool Is565>
uint16_t Pack(int r, int g, int b) {
    r = std::clamp(r, 0, 255), g = std::clamp(g, 0, 255), b = std::clamp(b, 0, 255);
    return static_cast<uint16_t>(Is565 ? (r >> 3) << 11 | (g >> 2) << 5 | b >> 3 : (r >> 3) << 10 | (g >> 3) << 5 | b >> 3);
}

// Pixels x0..x1-1 of two rows that share a chroma row (a last odd row is given twice).
struct RowPair {
    const uint8_t *y0, *y1, *u, *v;
    uint16_t *d0, *d1;
};

template <bool Is565>
void PixelsScalar(const RowPair& p, int x0, int x1, const Coefficients& c) {
    for (int x = x0; x < x1; ++x) {
        const int u = (p.u[x / 2] << 3) - 1024, v = (p.v[x / 2] << 3) - 1024;
        const int red = MulHigh(v, c.v_red), blue = MulHigh(u, c.u_blue);
        const int green = Sat16(MulHigh(u, c.u_green) + MulHigh(v, c.v_green));
        const int l0 = MulHigh((p.y0[x] << 3) - c.y_offset, c.y), l1 = MulHigh((p.y1[x] << 3) - c.y_offset, c.y);
        p.d0[x] = Pack<Is565>(Sat16(l0 + red), Sat16(l0 + green), Sat16(l0 + blue));
        p.d1[x] = Pack<Is565>(Sat16(l1 + red), Sat16(l1 + green), Sat16(l1 + blue));
    }
}

template <bool Is565>
void RowsScalar(const RowPair& p, int w, const Coefficients& c) {
    PixelsScalar<Is565>(p, 0, w, c);
}

#if defined(__x86_64__)
struct Avx2Coefficients {
    __m256i y, y_offset, v_red, u_green, v_green, u_blue;
};

__attribute__((target("avx2"))) inline __m256i Bytes(int b) { return _mm256_set1_epi8(static_cast<char>(b)); }

// Sixteen chroma samples, (C << 3) - 1024.
__attribute__((target("avx2"))) inline __m256i Chroma16(const uint8_t* c) {
    const __m256i words = _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(c)));
    return _mm256_subs_epi16(_mm256_slli_epi16(words, 3), _mm256_set1_epi16(1024));
}

// Thirty-two pixels of one row from its luma and the chroma terms, which come in the order of the
// luma's unpacked halves: pixels 0-7 and 16-23, then 8-15 and 24-31. Clipping to bytes puts them
// back in order; the 16-bit pixels are made of a high and a low byte each.
template <bool Is565>
__attribute__((target("avx2"))) inline void Row32Avx2(const uint8_t* y, uint16_t* d, const __m256i (&terms)[2][3],
                                                      const Avx2Coefficients& k) {
    const __m256i luma = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(y));
    __m256i ch[3][2];
    for (int half = 0; half < 2; ++half) {
        const __m256i words = half ? _mm256_unpackhi_epi8(luma, _mm256_setzero_si256())
                                   : _mm256_unpacklo_epi8(luma, _mm256_setzero_si256());
        const __m256i l = _mm256_mulhi_epi16(_mm256_sub_epi16(_mm256_slli_epi16(words, 3), k.y_offset), k.y);
        for (int c = 0; c < 3; ++c) ch[c][half] = _mm256_adds_epi16(l, terms[half][c]);
    }
    const __m256i r = _mm256_packus_epi16(ch[0][0], ch[0][1]), g = _mm256_packus_epi16(ch[1][0], ch[1][1]),
                  b = _mm256_packus_epi16(ch[2][0], ch[2][1]);
    // Shifts are of 16-bit lanes: the masks keep each byte's own bits.
    __m256i high, low;
    if (Is565) {
        high = _mm256_or_si256(_mm256_and_si256(r, Bytes(0xF8)), _mm256_and_si256(_mm256_srli_epi16(g, 5), Bytes(0x07)));
        low = _mm256_and_si256(_mm256_slli_epi16(g, 3), Bytes(0xE0));
    } else {
        high = _mm256_or_si256(_mm256_and_si256(_mm256_srli_epi16(r, 1), Bytes(0x7C)),
                               _mm256_and_si256(_mm256_srli_epi16(g, 6), Bytes(0x03)));
        low = _mm256_and_si256(_mm256_slli_epi16(g, 2), Bytes(0xE0));
    }
    low = _mm256_or_si256(low, _mm256_and_si256(_mm256_srli_epi16(b, 3), Bytes(0x1F)));
    const __m256i a = _mm256_unpacklo_epi8(low, high), z = _mm256_unpackhi_epi8(low, high);  // 0-7 16-23, 8-15 24-31
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(d), _mm256_permute2x128_si256(a, z, 0x20));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + 16), _mm256_permute2x128_si256(a, z, 0x31));
}

// Pixels x..x+31 of both rows (x even): the chroma terms once for the two.
template <bool Is565>
__attribute__((target("avx2"))) inline void Step32Avx2(const RowPair& p, int x, const Avx2Coefficients& k) {
    const __m256i u = Chroma16(p.u + x / 2), v = Chroma16(p.v + x / 2);
    const __m256i red = _mm256_mulhi_epi16(v, k.v_red), blue = _mm256_mulhi_epi16(u, k.u_blue);
    const __m256i green = _mm256_adds_epi16(_mm256_mulhi_epi16(u, k.u_green), _mm256_mulhi_epi16(v, k.v_green));
    // Each term twice, for the two pixels of its sample.
    const __m256i terms[2][3] = {
        {_mm256_unpacklo_epi16(red, red), _mm256_unpacklo_epi16(green, green), _mm256_unpacklo_epi16(blue, blue)},
        {_mm256_unpackhi_epi16(red, red), _mm256_unpackhi_epi16(green, green), _mm256_unpackhi_epi16(blue, blue)}};
    Row32Avx2<Is565>(p.y0 + x, p.d0 + x, terms, k);
    Row32Avx2<Is565>(p.y1 + x, p.d1 + x, terms, k);
}

// Whole steps; a row with a part step left ends with the even step that reaches its end (or the
// pixel before it: an odd last pixel goes alone), writing some pixels twice.
template <bool Is565>
__attribute__((target("avx2"))) void RowsAvx2(const RowPair& p, int w, const Coefficients& c) {
    const Avx2Coefficients k{_mm256_set1_epi16(c.y),       _mm256_set1_epi16(c.y_offset), _mm256_set1_epi16(c.v_red),
                             _mm256_set1_epi16(c.u_green), _mm256_set1_epi16(c.v_green),  _mm256_set1_epi16(c.u_blue)};
    int x = 0;
    for (; x + 32 <= w; x += 32) Step32Avx2<Is565>(p, x, k);
    if (x < w && w >= 32) {
        x = (w - 32) & ~1;
        Step32Avx2<Is565>(p, x, k);
        x += 32;
    }
    PixelsScalar<Is565>(p, x, w, c);
}
#endif

template <void (*Rows)(const RowPair&, int, const Coefficients&)>
void Convert(const Yuv420Planes& s, uint8_t* dst, ptrdiff_t pitch, int w, int h, bool full_range) {
    const Coefficients c = CoefficientsFor(full_range);
    for (int r = 0; r < h; r += 2) {
        const int r1 = std::min(r + 1, h - 1);
        const RowPair p{s.y + r * s.y_stride,
                        s.y + r1 * s.y_stride,
                        s.u + r / 2 * s.u_stride,
                        s.v + r / 2 * s.v_stride,
                        reinterpret_cast<uint16_t*>(dst + r * pitch),
                        reinterpret_cast<uint16_t*>(dst + r1 * pitch)};
        Rows(p, w, c);
    }
}
}  // namespace

Yuv420To16Fn Yuv420To16(bool is565, YuvRoute route) {
#if defined(__x86_64__)
    if (route == YuvRoute::Scalar) return is565 ? Convert<RowsScalar<true>> : Convert<RowsScalar<false>>;
    if (__builtin_cpu_supports("avx2")) return is565 ? Convert<RowsAvx2<true>> : Convert<RowsAvx2<false>>;
#endif
    (void)is565, (void)route;
    return nullptr;
}

}  // namespace plat::detail
