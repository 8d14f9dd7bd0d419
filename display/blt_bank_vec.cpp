// Point blits of the formula banks: rows of sixteen (AVX2) or eight (SSE2) pixels at a time, the
// rest through the table, with the instruction set chosen once at start.
#include "display/blt_bank_vec.h"

#if BLT_HAVE_VEC8 && defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#include <immintrin.h>
#define BLT_HAVE_AVX2 1
#else
#define BLT_HAVE_AVX2 0
#endif

namespace blt {

#if BLT_HAVE_AVX2
namespace avx2 {
#define BLT_LANES_FN inline __attribute__((target("avx2")))
using V = __m256i;
constexpr int kLanes = 16;
BLT_LANES_FN V Splat(int v) { return _mm256_set1_epi16(static_cast<short>(v)); }
BLT_LANES_FN V Load(const uint16_t* p) { return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)); }
BLT_LANES_FN void Store(uint16_t* p, V v) { _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v); }
BLT_LANES_FN V And(V a, V b) { return _mm256_and_si256(a, b); }
BLT_LANES_FN V Or(V a, V b) { return _mm256_or_si256(a, b); }
BLT_LANES_FN V Add(V a, V b) { return _mm256_add_epi16(a, b); }
BLT_LANES_FN V Mul(V a, V b) { return _mm256_mullo_epi16(a, b); }
template <int K>
BLT_LANES_FN V Shr(V a) { return _mm256_srli_epi16(a, K); }
template <int K>
BLT_LANES_FN V Shl(V a) { return _mm256_slli_epi16(a, K); }
BLT_LANES_FN V Min(V a, V b) { return _mm256_min_epi16(a, b); }
BLT_LANES_FN V Max(V a, V b) { return _mm256_max_epi16(a, b); }
BLT_LANES_FN V Reverse(V v) {
    const V words = _mm256_setr_epi8(14, 15, 12, 13, 10, 11, 8, 9, 6, 7, 4, 5, 2, 3, 0, 1,  //
                                     14, 15, 12, 13, 10, 11, 8, 9, 6, 7, 4, 5, 2, 3, 0, 1);
    return _mm256_shuffle_epi8(_mm256_permute4x64_epi64(v, 0x4E), words);
}
BLT_LANES_FN V KeepUnderKey(V s, V d, V r) {
    return _mm256_blendv_epi8(r, d, _mm256_cmpeq_epi16(s, _mm256_setzero_si256()));
}
#include "display/blt_bank_lanes.inc"
#undef BLT_LANES_FN
}  // namespace avx2
#endif

namespace {
using RowFn = void (*)(uint16_t* d, const uint16_t* s, int n, const uint8_t* table, int level);

// One row: the widest groups first, then narrower ones, the last pixels through the table.
template <VecPath P, bool Is565, bool SeeThrough, bool Keyed, bool Mirrored>
void Row(uint16_t* d, const uint16_t* s, int n, const uint8_t* table, int level) {
    int j = 0;
    // A part row [j, n) reads s[j, n) forwards, or s[0, n - j) mirrored.
    auto part_src = [&] { return Mirrored ? s : s + j; };
#if BLT_HAVE_AVX2
    if constexpr (P == VecPath::Avx2) j += avx2::BankRow<Is565, SeeThrough, Keyed, Mirrored>(d, s, n, level);
#endif
#if BLT_HAVE_VEC8
    if constexpr (P != VecPath::Scalar)
        j += sse2::BankRow<Is565, SeeThrough, Keyed, Mirrored>(d + j, part_src(), n - j, level);
#endif
    const BankBlendOp<Is565> op{table, table, table};
    for (; j < n; ++j) {
        const uint16_t v = Mirrored ? s[n - 1 - j] : s[j];
        if (!Keyed || v != 0) op.Pixel(d + j, v, 0);
    }
}

template <VecPath P, bool Is565, bool SeeThrough>
RowFn PickRow(bool keyed, bool mirrored) {
    if (keyed) return mirrored ? Row<P, Is565, SeeThrough, true, true> : Row<P, Is565, SeeThrough, true, false>;
    return mirrored ? Row<P, Is565, SeeThrough, false, true> : Row<P, Is565, SeeThrough, false, false>;
}

template <VecPath P>
RowFn PickRow(bool is565, bool see_through, bool keyed, bool mirrored) {
    if (is565) return see_through ? PickRow<P, true, true>(keyed, mirrored) : PickRow<P, true, false>(keyed, mirrored);
    return see_through ? PickRow<P, false, true>(keyed, mirrored) : PickRow<P, false, false>(keyed, mirrored);
}

VecPath Best() {
#if BLT_HAVE_AVX2
    if (__builtin_cpu_supports("avx2")) return VecPath::Avx2;
#endif
    return BLT_HAVE_VEC8 ? VecPath::Sse2 : VecPath::Scalar;
}

VecPath g_path = Best();
}  // namespace

bool BankPathSupported(VecPath p) { return static_cast<int>(p) <= static_cast<int>(Best()); }

bool SetBankPath(VecPath p) {
    if (!BankPathSupported(p)) return false;
    g_path = p;
    return true;
}

VecPath BankPath() { return g_path; }

void BankPoint(const Frame& f, uint32_t flip, bool keyed, int32_t bank) {
    if (bank < 1 || bank == 31 || bank >= BLT_BLEND_BANKS) return;
    const bool see_through = bank < 31, mirrored = (flip & BLT_FLIP_LR) != 0, upside_down = (flip & BLT_FLIP_UD) != 0;
    RowFn row;
    switch (g_path) {
        case VecPath::Avx2: row = PickRow<VecPath::Avx2>(f.is565, see_through, keyed, mirrored); break;
        case VecPath::Sse2: row = PickRow<VecPath::Sse2>(f.is565, see_through, keyed, mirrored); break;
        default: row = PickRow<VecPath::Scalar>(f.is565, see_through, keyed, mirrored); break;
    }
    const uint8_t* table = BLT_BLEND_TABLE[bank];
    const int level = see_through ? bank : bank - 32;
    const intptr_t row_step = upside_down ? -intptr_t(f.dst_pitch) : intptr_t(f.dst_pitch);
    uint8_t* drow = f.dst + intptr_t(upside_down ? f.y + f.h - 1 : f.y) * f.dst_pitch + 2 * intptr_t(f.x);
    const uint8_t* srow = f.src;
    for (int r = 0; r < f.h; ++r, drow += row_step, srow += f.src_pitch)
        row(reinterpret_cast<uint16_t*>(drow), reinterpret_cast<const uint16_t*>(srow), f.w, table, level);
}

}  // namespace blt
