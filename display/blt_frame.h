// The blit frame: clipping rules, surface locking, mirrored and stretched walks, hardware blits,
// screen-door blits. Software blitters plug their per-pixel formula into the walks below.
#pragma once
#include <cstdint>
#include <cstring>

#include "display/dd_display.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#define BLT_HAVE_VEC8 1
#else
#define BLT_HAVE_VEC8 0
#endif

constexpr int BLT_STEP_TABLE_SIZE = 2048;
extern int32_t BLT_STEP_TABLE[BLT_STEP_TABLE_SIZE];
extern const uint8_t BLT_STIPPLE[16][8];

// Flip byte: bit 0 mirrors left-right, bit 1 up-down.
enum BLT_FLIP : uint32_t { BLT_FLIP_LR = 1, BLT_FLIP_UD = 2 };

int BLT_ClipDest(const DDSURFACEDESC2* dest, const RECT* clip, int32_t* x, int32_t* y, RECT* src, uint32_t flip);
int BLT_ClipStretch(const DDSURFACEDESC2* dest, const RECT* clip, RECT* dst, RECT* src, uint32_t flip);
HRESULT DD_GetSurfaceDesc(DDSurface* surface, DDSURFACEDESC2* desc);
HRESULT DD_LockSurface(DDSurface* surface, DDSURFACEDESC2* desc);
HRESULT DD_TouchSurface(DDSurface* surface);
HRESULT BLT_FillRect(DDSurface* surface, const RECT* rect, uint32_t colour);
HRESULT BLT_Blt(DDSurface* dst, int32_t x, int32_t y, DDSurface* src, const RECT* src_rect, int32_t keyed);
HRESULT BLT_BltFx(DDSurface* dst, int32_t x, int32_t y, DDSurface* src, const RECT* src_rect, uint32_t flip,
                  int32_t keyed);
HRESULT BLT_StretchBlt(DDSurface* dst, const RECT* dst_rect, DDSurface* src, const RECT* src_rect, uint32_t flip,
                       int32_t keyed);
int BLT_Stipple(DDSurface* dst, int32_t x, int32_t y, DDSurface* src, const RECT* src_rect, int32_t level,
                uint32_t flip, int32_t keyed);
int BLT_StippleStretch(DDSurface* dst, RECT* dst_rect, DDSurface* src, const RECT* src_rect, int32_t level,
                       uint32_t flip, int32_t keyed);
// Fills one entry per destination pixel with the source advance in bytes. The advance never
// carries a read past the last source pixel. Returns 0 (table untouched) when n exceeds the table.
int BLT_StepTable(int32_t* table, int n, int m);

namespace blt {

// A per-pixel operation has Pixel(d, s, c), which writes destination pixel d from source pixel s,
// c counting the row's pixels down to 1; it may have Row(r), told the row counter (rows .. 1)
// before each row.
template <class Op>
inline void BeginRow(Op& op, int r) {
    if constexpr (requires { op.Row(r); }) op.Row(r);
}

// Lock and clip for a software blit. Lock-first locks both surfaces before clipping; describe-first
// clips on descriptors and locks only when something is left. Unlocks destination, then source.
enum class Order { LockFirst, DescribeFirst };

class Frame {
public:
    ~Frame();
    bool ready = false;  // something is left to draw and both surfaces are locked
    bool is565 = false;
    uint8_t* dst = nullptr;        // destination memory (locked)
    int dst_pitch = 0;
    const uint8_t* src = nullptr;  // first source pixel to read (S.top, S.left)
    int src_pitch = 0;
    int x = 0, y = 0;              // clipped destination position
    int w = 0, h = 0;              // clipped destination size
    int sw = 0, sh = 0;            // clipped source size (stretched frames)

protected:
    bool Lock(DDSurface* d, DDSurface* s);
    // Locks (LockFirst) or describes both surfaces and defaults and checks the source rectangle.
    bool Open(DDSurface* d, DDSurface* s, const RECT* src_rect, Order order, RECT* r);
    // Locks (DescribeFirst) and points at the clipped source rectangle r; sets ready.
    bool Start(DDSurface* d, DDSurface* s, const RECT& r, Order order);
    DDSurface* dsurf_ = nullptr;
    DDSurface* ssurf_ = nullptr;
    DDSURFACEDESC2 ddesc_{}, sdesc_{};
};

// A point blit: the source rectangle placed at (x, y).
class PointFrame : public Frame {
public:
    PointFrame(DDSurface* d, int32_t x, int32_t y, DDSurface* s, const RECT* src_rect, uint32_t flip, Order order);
};

// A stretched blit: the source rectangle scaled onto the destination rectangle, which is clipped in place.
class StretchFrame : public Frame {
public:
    StretchFrame(DDSurface* d, RECT* dst_rect, DDSurface* s, const RECT* src_rect, uint32_t flip, Order order);
};

#if BLT_HAVE_VEC8
// An op may also offer Vec8(d, s): eight pixels at once, the same as eight Pixel calls (so it must
// not use c). The walks then take whole groups of eight and leave the row's rest to Pixel.
template <class Op>
concept HasVec8 = requires(const Op& op, __m128i v) { v = op.Vec8(v, v); };

inline __m128i Reverse8(__m128i v) {
    v = _mm_shufflelo_epi16(v, 0x1B);
    v = _mm_shufflehi_epi16(v, 0x1B);
    return _mm_shuffle_epi32(v, 0x4E);
}

// Keyed: where the source is 0 the destination stays.
inline __m128i KeepUnderKey(__m128i s, __m128i d, __m128i r) {
    __m128i zero = _mm_cmpeq_epi16(s, _mm_setzero_si128());
    return _mm_or_si128(_mm_and_si128(zero, d), _mm_andnot_si128(zero, r));
}

// One source pixel of a stretched row into lane L; the source then advances by its table entry.
template <int L>
inline __m128i GatherLane(__m128i v, const uint8_t*& s, const int32_t*& steps) {
    uint16_t p;
    std::memcpy(&p, s, 2);
    s += *steps++;
    return _mm_insert_epi16(v, p, L);
}

// Eight stretched source pixels, lane order reversed for a left-right mirrored walk.
template <bool Rev>
inline __m128i Gather8(const uint8_t*& s, const int32_t*& steps) {
    __m128i v = _mm_setzero_si128();
    v = GatherLane<Rev ? 7 : 0>(v, s, steps);
    v = GatherLane<Rev ? 6 : 1>(v, s, steps);
    v = GatherLane<Rev ? 5 : 2>(v, s, steps);
    v = GatherLane<Rev ? 4 : 3>(v, s, steps);
    v = GatherLane<Rev ? 3 : 4>(v, s, steps);
    v = GatherLane<Rev ? 2 : 5>(v, s, steps);
    v = GatherLane<Rev ? 1 : 6>(v, s, steps);
    v = GatherLane<Rev ? 0 : 7>(v, s, steps);
    return v;
}

// Writes eight destination pixels ending (mirrored) or starting at d from source lanes sv.
template <bool Keyed, bool Mirrored, class Op>
inline void Put8(uint16_t* d, __m128i sv, const Op& op) {
    uint16_t* p = Mirrored ? d - 7 : d;
    __m128i dv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    __m128i rv = op.Vec8(dv, sv);
    if constexpr (Keyed) rv = KeepUnderKey(sv, dv, rv);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), rv);
}
#endif

// ---- walks: one loop per key and mirror combination, chosen once per blit ----
// The first destination row's first pixel: the walk starts at the corner the flip names.
template <uint32_t Flip>
inline uint8_t* FirstPixel(const Frame& f) {
    return f.dst + static_cast<intptr_t>((Flip & BLT_FLIP_UD) ? f.y + f.h - 1 : f.y) * f.dst_pitch +
           2 * static_cast<intptr_t>((Flip & BLT_FLIP_LR) ? f.x + f.w - 1 : f.x);
}

// One loop per key flag, flip and stretch: a point walk reads the source row straight on, a stretched
// one advances by the step table and moves between rows by the accumulator.
template <bool Keyed, uint32_t Flip, bool Stretched>
struct Loop {
    template <class Op>
    static void Run(const Frame& f, Op& caller_op) {
        // A local copy: vector stores may alias anything, and a referenced op's fields would be
        // reloaded after every one of them.
        Op op = caller_op;
        constexpr bool lr = (Flip & BLT_FLIP_LR) != 0;
        constexpr int step = lr ? -1 : 1;
        const int row_step = (Flip & BLT_FLIP_UD) ? -f.dst_pitch : f.dst_pitch;
        uint8_t* drow = FirstPixel<Flip>(f);
        const uint8_t* srow = f.src;
        uint32_t acc = static_cast<uint32_t>(f.h) / 2;
        int src_row = 0;
        for (int r = f.h; r >= 1; --r) {
            BeginRow(op, r);
            uint16_t* d = reinterpret_cast<uint16_t*>(drow);
            const uint8_t* s = srow;
            const int32_t* steps = BLT_STEP_TABLE;
            int c = f.w;
#if BLT_HAVE_VEC8
            if constexpr (HasVec8<Op>) {
                for (; c >= 8; c -= 8) {
                    __m128i sv;
                    if constexpr (Stretched) {
                        sv = Gather8<lr>(s, steps);
                    } else {
                        sv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
                        if constexpr (lr) sv = Reverse8(sv);
                        s += 16;
                    }
                    Put8<Keyed, lr>(d, sv, op);
                    d += 8 * step;
                }
            }
#endif
            for (; c >= 1; --c) {
                uint16_t v;
                std::memcpy(&v, s, 2);
                if (!Keyed || v != 0) op.Pixel(d, v, c);
                s += Stretched ? *steps++ : 2;
                d += step;
            }
            drow += row_step;
            if constexpr (Stretched) {
                // Nearest-neighbour rows; the last source row is never passed.
                while (acc < static_cast<uint32_t>(f.sh)) {
                    acc += static_cast<uint32_t>(f.h);
                    if (src_row < f.sh - 1) {
                        ++src_row;
                        srow += f.src_pitch;
                    }
                }
                acc -= static_cast<uint32_t>(f.sh);
            } else {
                srow += f.src_pitch;
            }
        }
        caller_op = op;
    }
};

// Chooses the loop for the key flag and flip bits 0-1.
template <bool Stretched, class Op>
void Walk(const Frame& f, uint32_t flip, bool keyed, Op& op) {
    switch ((flip & 3) | (keyed ? 4u : 0u)) {
        case 0: Loop<false, 0, Stretched>::Run(f, op); break;
        case 1: Loop<false, 1, Stretched>::Run(f, op); break;
        case 2: Loop<false, 2, Stretched>::Run(f, op); break;
        case 3: Loop<false, 3, Stretched>::Run(f, op); break;
        case 4: Loop<true, 0, Stretched>::Run(f, op); break;
        case 5: Loop<true, 1, Stretched>::Run(f, op); break;
        case 6: Loop<true, 2, Stretched>::Run(f, op); break;
        default: Loop<true, 3, Stretched>::Run(f, op); break;
    }
}

template <class Op>
void WalkPoint(const Frame& f, uint32_t flip, bool keyed, Op& op) {
    Walk<false>(f, flip, keyed, op);
}

template <class Op>
void WalkStretch(const Frame& f, uint32_t flip, bool keyed, Op& op) {
    Walk<true>(f, flip, keyed, op);
}

// Runs Op<is565> built from args over a ready frame, choosing the pixel layout once.
template <bool Stretched, template <bool> class Op, class... Args>
void RunWith(const Frame& f, uint32_t flip, bool keyed, const Args&... args) {
    if (f.is565) {
        Op<true> op{args...};
        Walk<Stretched>(f, flip, keyed, op);
    } else {
        Op<false> op{args...};
        Walk<Stretched>(f, flip, keyed, op);
    }
}

template <template <bool> class Op, class... Args>
void RunPoint(const Frame& f, uint32_t flip, bool keyed, const Args&... args) {
    RunWith<false, Op>(f, flip, keyed, args...);
}

template <template <bool> class Op, class... Args>
void RunStretch(const Frame& f, uint32_t flip, bool keyed, const Args&... args) {
    RunWith<true, Op>(f, flip, keyed, args...);
}

}  // namespace blt
