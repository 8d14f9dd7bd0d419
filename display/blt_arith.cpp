// Arithmetic blend blitters: per-pixel formulas on the whole pixel, plugged into the blit frame.
#include "display/blt_arith.h"

#include "display/blt_channel.h"

namespace {
using blt::ArithMasks;
using blt::Share;

#if BLT_HAVE_VEC8
// Vector forms work in 16-bit lanes. Only the 565 red channel can carry or borrow past bit 15; that
// one bit is recovered with a saturating compare, so the results equal the 32-bit scalar formulas.
inline __m128i Splat(uint32_t v) { return _mm_set1_epi16(static_cast<short>(v)); }

template <bool Is565, Share S>
inline __m128i ShareVec(__m128i s) {
    using Mk = ArithMasks<Is565>;
    if constexpr (S == Share::Whole) return _mm_and_si128(s, Splat(Mk::M));
    if constexpr (S == Share::Half) return _mm_srli_epi16(_mm_and_si128(s, Splat(Mk::H)), 1);
    return _mm_srli_epi16(_mm_and_si128(s, Splat(Mk::Q)), 2);
}

// (d & M) and (x & M) are even, so the rounding average is their exact half-sum.
template <bool Is565>
inline __m128i MixVec(__m128i d, __m128i xm) {
    return _mm_avg_epu16(_mm_and_si128(d, Splat(ArithMasks<Is565>::M)), xm);
}

inline __m128i RunsBelow(__m128i b) { return _mm_sub_epi16(b, _mm_srli_epi16(b, 5)); }

template <bool Is565>
inline __m128i AddVec(__m128i d, __m128i t) {
    using Mk = ArithMasks<Is565>;
    __m128i dm = _mm_and_si128(d, Splat(Mk::M));
    __m128i a = _mm_add_epi16(dm, t);
    __m128i run = RunsBelow(_mm_and_si128(a, Splat(Mk::K & 0xFFFF)));
    if constexpr (Is565) {
        // dm + t is even, so it saturates to 0xFFFF exactly when red carries out of bit 15.
        __m128i top = _mm_cmpeq_epi16(_mm_adds_epu16(dm, t), _mm_set1_epi16(-1));
        run = _mm_or_si128(run, _mm_and_si128(top, Splat(0xF800)));
    }
    return _mm_and_si128(_mm_or_si128(a, run), Splat(Mk::M));
}

template <bool Is565>
inline __m128i SubVec(__m128i d, __m128i t) {
    using Mk = ArithMasks<Is565>;
    __m128i dk = _mm_or_si128(d, Splat(Mk::K & 0xFFFF));
    __m128i v = _mm_sub_epi16(dk, t);
    __m128i run = RunsBelow(_mm_andnot_si128(v, Splat(Mk::K & 0xFFFF)));
    if constexpr (Is565) {
        // Red went below zero exactly when t > dk: then the guard above bit 15 was consumed.
        __m128i kept = _mm_cmpeq_epi16(_mm_subs_epu16(t, dk), _mm_setzero_si128());
        run = _mm_or_si128(run, _mm_andnot_si128(kept, Splat(0xF800)));
    }
    return _mm_andnot_si128(run, v);
}
#endif

template <bool Is565>
struct MixOp {
    void Pixel(uint16_t* d, uint16_t s, int) const { *d = blt::MixPixel<Is565>(*d, s); }
#if BLT_HAVE_VEC8
    __m128i Vec8(__m128i d, __m128i s) const {
        return MixVec<Is565>(d, _mm_and_si128(s, Splat(ArithMasks<Is565>::M)));
    }
#endif
};

// Saturating add or subtract of a share of the source.
template <Share S, bool Subtract>
struct Saturating {
    template <bool Is565>
    struct Op {
        void Pixel(uint16_t* d, uint16_t s, int) const {
            const uint32_t t = blt::ShareOf<Is565, S>(s);
            *d = Subtract ? blt::SubPixel<Is565>(*d, t) : blt::AddPixel<Is565>(*d, t);
        }
#if BLT_HAVE_VEC8
        __m128i Vec8(__m128i d, __m128i s) const {
            const __m128i t = ShareVec<Is565, S>(s);
            return Subtract ? SubVec<Is565>(d, t) : AddVec<Is565>(d, t);
        }
#endif
    };
};

template <bool Is565>
struct SilhouetteOp {
    uint32_t colour;
    void Pixel(uint16_t* d, uint16_t, int) const { *d = static_cast<uint16_t>(colour); }
#if BLT_HAVE_VEC8
    __m128i Vec8(__m128i, __m128i) const { return Splat(colour); }
#endif
};

template <bool Is565>
struct MixColorOp {
    uint32_t colour;
    void Pixel(uint16_t* d, uint16_t, int) const { *d = blt::MixPixel<Is565>(*d, colour & 0xFFFF); }
#if BLT_HAVE_VEC8
    __m128i Vec8(__m128i d, __m128i) const {
        return MixVec<Is565>(d, Splat(colour & ArithMasks<Is565>::M));
    }
#endif
};

// The seven source blends clip on descriptors and lock only when something is left; the two
// shape blends lock first.
constexpr blt::Order kDescribe = blt::Order::DescribeFirst;
constexpr blt::Order kLock = blt::Order::LockFirst;
}  // namespace

// The seven source blends: a point form and a stretched twin each.
#define BLT_SOURCE_BLEND(Name, ...)                                                                                   \
    int BLT_##Name(DDSurface* dst, int32_t x, int32_t y, DDSurface* src, const RECT* src_rect, uint32_t flip,         \
                   int32_t keyed) {                                                                                   \
        blt::Blit<__VA_ARGS__>(dst, blt::At{x, y}, src, src_rect, flip, keyed, kDescribe);                            \
        return 0;                                                                                                     \
    }                                                                                                                 \
    int BLT_##Name##Stretch(DDSurface* dst, RECT* dst_rect, DDSurface* src, const RECT* src_rect, uint32_t flip,      \
                            int32_t keyed) {                                                                          \
        blt::Blit<__VA_ARGS__>(dst, dst_rect, src, src_rect, flip, keyed, kDescribe);                                 \
        return 0;                                                                                                     \
    }
BLT_SOURCE_BLEND(Mix, MixOp)
BLT_SOURCE_BLEND(Add, Saturating<Share::Whole, false>::Op)
BLT_SOURCE_BLEND(AddHalf, Saturating<Share::Half, false>::Op)
BLT_SOURCE_BLEND(AddQuarter, Saturating<Share::Quarter, false>::Op)
BLT_SOURCE_BLEND(Sub, Saturating<Share::Whole, true>::Op)
BLT_SOURCE_BLEND(SubHalf, Saturating<Share::Half, true>::Op)
BLT_SOURCE_BLEND(SubQuarter, Saturating<Share::Quarter, true>::Op)
#undef BLT_SOURCE_BLEND

// The two shape blends: the source's nonzero pixels only mark where the colour goes.
#define BLT_SHAPE_BLEND(Name, Op)                                                                                     \
    int BLT_##Name(DDSurface* dst, int32_t x, int32_t y, DDSurface* src, const RECT* src_rect, uint32_t colour,       \
                   uint32_t flip) {                                                                                   \
        blt::Blit<Op>(dst, blt::At{x, y}, src, src_rect, flip, 1, kLock, colour);                                     \
        return 0;                                                                                                     \
    }                                                                                                                 \
    int BLT_##Name##Stretch(DDSurface* dst, RECT* dst_rect, DDSurface* src, const RECT* src_rect, uint32_t colour,    \
                            uint32_t flip) {                                                                          \
        blt::Blit<Op>(dst, dst_rect, src, src_rect, flip, 1, kLock, colour);                                          \
        return 0;                                                                                                     \
    }
BLT_SHAPE_BLEND(Silhouette, SilhouetteOp)
BLT_SHAPE_BLEND(MixColor, MixColorOp)
#undef BLT_SHAPE_BLEND
