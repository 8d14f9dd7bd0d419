// Shape primitives: boxes, circles, discs, ellipses, pattern fills and the rotated bar.
#include "display/prim_shape.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <tuple>
#include <utility>
#include <vector>

#include "display/prim_pixel.h"
#include "services/mth_math.h"

using namespace prim;

PrimSpan PRIM_SPAN_TABLE[PRIM_SPAN_ROWS];

namespace {
constexpr int32_t kEmptyLeft = 9999, kEmptyRight = -9999;

// A shape whose bounding box (l..r, t..b inclusive) misses the surface draws nothing; skipping it
// keeps hostile radii from walking millions of invisible steps.
bool BoxMisses(const DDSURFACEDESC2& d, int64_t l, int64_t t, int64_t r, int64_t b) {
    return r < 0 || b < 0 || l >= Width(d) || t >= Height(d);
}

template <int Bits>
void Box(const DDSURFACEDESC2& d, int64_t x1, int64_t y1, int64_t x2, int64_t y2, uint32_t c) {
    if (x1 > x2) std::swap(x1, x2);
    if (y1 > y2) std::swap(y1, y2);
    HSpan<Bits>(d, x1, x2, y1, c);
    HSpan<Bits>(d, x1, x2, y2, c);
    VSpan<Bits>(d, y1, y2, x1, c);
    VSpan<Bits>(d, y1, y2, x2, c);
}

// Clamps the corners of a filled box to the surface; false when nothing is left.
bool ClampBox(const DDSURFACEDESC2& d, int64_t& l, int64_t& t, int64_t& r, int64_t& b) {
    l = std::max<int64_t>(l, 0);
    t = std::max<int64_t>(t, 0);
    r = std::min<int64_t>(r, Width(d) - 1);
    b = std::min<int64_t>(b, Height(d) - 1);
    return r - l >= 0 && b - t >= 0;
}

template <int Bits>
void FillBox(const DDSURFACEDESC2& d, int64_t x1, int64_t y1, int64_t x2, int64_t y2, uint32_t c) {
    if (!ClampBox(d, x1, y1, x2, y2)) return;
    for (int64_t y = y1; y <= y2; ++y) HSpan<Bits>(d, x1, x2, y, c);
}

// ---- the midpoint walk ----
//
// The circle of radius r, first octant: x = r, y = 0, e = r; at every step (x, y), then e -= 2y - 1,
// y += 1, and when e < 0 a cap (x, y) before e += 2x - 2, x -= 1; while x >= y. Its state is known in
// closed form, so a walk can start at any step: after the steps before row y, x is the largest value
// with x^2 - x <= r^2 - y^2 + 2y (never above r) and e = r^2 - x^2 - y^2 + x + 2y.

using Wide = __int128;

int64_t MidpointX(int64_t r, int64_t y) {
    const Wide c = Wide(r) * r - Wide(y) * y + 2 * Wide(y);
    if (c < 0) return 0;
    int64_t x = static_cast<int64_t>((1 + sqrtl(static_cast<long double>(1 + 4 * c))) / 2);
    while (x > 0 && Wide(x) * x - x > c) --x;
    while (Wide(x + 1) * (x + 1) - (x + 1) <= c) ++x;
    return std::min(x, r);
}

// Steps y0..y1 of the walk (fewer when it ends first, or when more(x, y), asked after each step with
// the state reached, says to stop). Returns that state.
template <class Step, class Cap, class More>
std::pair<int64_t, int64_t> MidpointSteps(int64_t r, int64_t y0, int64_t y1, Step step, Cap cap, More more) {
    int64_t x = MidpointX(r, y0), y = y0;
    int64_t e = static_cast<int64_t>(Wide(r) * r - Wide(x) * x - Wide(y) * y + x + 2 * Wide(y));
    while (x >= y && y <= y1) {
        step(x, y);
        e -= 2 * y - 1;
        ++y;
        if (e < 0) {
            cap(x, y);
            e += 2 * x - 2;
            --x;
        }
        if (!more(x, y)) break;
    }
    return {x, y};
}

const auto kAllSteps = [](int64_t, int64_t) { return true; };

// The smallest of lo..hi with pred true, pred being false and then true (hi when none before it is).
template <class Pred>
int64_t FirstTrue(int64_t lo, int64_t hi, Pred pred) {
    while (lo < hi) {
        const int64_t mid = lo + (hi - lo) / 2;
        if (pred(mid))
            hi = mid;
        else
            lo = mid + 1;
    }
    return lo;
}

// A distance from the centre that a step draws at: its x (shrinking as the walk goes on) or its y
// (growing), scaled by num / den.
struct Reach {
    bool by_x;
    int64_t num, den;
    int64_t At(int64_t r, int64_t y) const { return static_cast<int64_t>(Wide(by_x ? MidpointX(r, y) : y) * num / den); }
};

using Steps = std::pair<int64_t, int64_t>;  // first and last step, empty when first > last

// The steps 0..n-1 whose reach lies in lo..hi.
Steps Within(const Reach& a, int64_t r, int64_t n, int64_t lo, int64_t hi) {
    if (a.by_x)
        return {FirstTrue(0, n, [&](int64_t y) { return a.At(r, y) <= hi; }),
                FirstTrue(0, n, [&](int64_t y) { return a.At(r, y) < lo; }) - 1};
    return {FirstTrue(0, n, [&](int64_t y) { return a.At(r, y) >= lo; }),
            FirstTrue(0, n, [&](int64_t y) { return a.At(r, y) > hi; }) - 1};
}

// What a shape draws at each step, for finding the steps that can reach the surface: at (x, y) it
// draws around (cx, cy) at horizontal reach h and vertical reach v (points at cx +- h, or the span
// between them), once with h from x and v from y, once with h from y and v from x.
struct Shape {
    int64_t cx, cy, r;
    int64_t h_num, h_den, v_num, v_den;
    bool spans;
};

// Where a step draws, clipped to the surface: for each of the two ways it draws, the columns
// cx - h and cx + h and the rows cy - v and cy + v, each held to -1..width (or height). Steps with
// the same places draw the same pixels.
using Places = std::array<int64_t, 8>;

Places PlacesOf(const DDSURFACEDESC2& d, const Shape& s, int64_t x, int64_t y) {
    const int64_t w = Width(d), h = Height(d);
    const auto col = [&](int64_t v) { return std::clamp<int64_t>(v, -1, w); };
    const auto row = [&](int64_t v) { return std::clamp<int64_t>(v, -1, h); };
    const int64_t ha = x * s.h_num / s.h_den, va = y * s.v_num / s.v_den;
    const int64_t hb = y * s.h_num / s.h_den, vb = x * s.v_num / s.v_den;
    return {col(s.cx - ha), col(s.cx + ha), row(s.cy - va), row(s.cy + va),
            col(s.cx - hb), col(s.cx + hb), row(s.cy - vb), row(s.cy + vb)};
}

// Steps in a row that draw where the one before drew, before the walk looks for where that ends.
constexpr int kSameSteps = 32;

// Steps y0..y1 of the walk. Where many steps in a row draw in the same places (a long flat stretch
// of a large ellipse along an edge), the walk jumps to the first step that draws elsewhere, taking on
// the way only the first cap, the one that can draw something new (the 16-bit filled ellipse draws
// no later cap with the same row anyway).
template <class Step, class Cap, class Start>
void WalkRun(const DDSURFACEDESC2& d, const Shape& s, int64_t y0, int64_t y1, Step step, Cap cap, Start start) {
    const auto at = [&](int64_t y) { return PlacesOf(d, s, MidpointX(s.r, y), y); };
    int64_t y = y0;
    while (y <= y1) {
        start(y);
        Places last = at(y);
        int same = 0;
        int64_t x;
        std::tie(x, y) = MidpointSteps(s.r, y, y1, step, cap, [&](int64_t nx, int64_t ny) {
            const Places next = PlacesOf(d, s, nx, ny);
            same = next == last ? same + 1 : 0;
            last = next;
            return same < kSameSteps;
        });
        if (x < y || y > y1) return;
        // Every place moves one way only, so the first step where one of them moves is found by halving.
        int64_t change = y1 + 1;
        for (size_t i = 0; i < last.size(); ++i)
            change = FirstTrue(y, change, [&](int64_t t) { return at(t)[i] != last[i]; });
        // The first cap in between: the step after which x first drops below its value now.
        const int64_t drop = FirstTrue(y + 1, change + 1, [&](int64_t t) { return MidpointX(s.r, t) < x; });
        if (drop <= change) {
            start(drop - 1);
            MidpointSteps(s.r, drop - 1, drop - 1, step, cap, kAllSteps);
        }
        y = change;
    }
}

// Walks below this radius are short enough to take whole.
constexpr int64_t kShortWalk = 512;

// Runs the walk over the steps that can draw on the surface only; start(y) comes before each stretch
// of steps that resumes the walk at step y.
template <class Step, class Cap, class Start>
void WalkVisible(const DDSURFACEDESC2& d, const Shape& s, Step step, Cap cap, Start start) {
    if (s.r < kShortWalk) {
        start(0);
        MidpointSteps(s.r, 0, s.r, step, cap, kAllSteps);
        return;
    }
    const int64_t n = FirstTrue(0, s.r + 1, [&](int64_t y) { return MidpointX(s.r, y) < y; });
    const int64_t w = Width(d), h = Height(d);
    std::vector<Steps> runs;
    for (bool h_by_x : {true, false}) {
        const Reach across{h_by_x, s.h_num, s.h_den}, down{!h_by_x, s.v_num, s.v_den};
        // Rows cy + v and cy - v.
        for (Steps rows : {Within(down, s.r, n, -s.cy, h - 1 - s.cy), Within(down, s.r, n, s.cy - h + 1, s.cy)}) {
            if (rows.first > rows.second) continue;
            // Columns: a span reaches the surface when it is wide enough; points at cx + h and cx - h.
            const Steps spans = Within(across, s.r, n, std::max(s.cx - (w - 1), -s.cx), INT64_MAX);
            const Steps right = Within(across, s.r, n, -s.cx, w - 1 - s.cx), left = Within(across, s.r, n, s.cx - w + 1, s.cx);
            for (Steps cols : s.spans ? std::vector<Steps>{spans} : std::vector<Steps>{right, left}) {
                const Steps both{std::max(rows.first, cols.first), std::min(rows.second, cols.second)};
                if (both.first <= both.second) runs.push_back(both);
            }
        }
    }
    std::sort(runs.begin(), runs.end());
    for (size_t i = 0; i < runs.size();) {
        Steps run = runs[i];
        for (++i; i < runs.size() && runs[i].first <= run.second + 1; ++i) run.second = std::max(run.second, runs[i].second);
        WalkRun(d, s, run.first, run.second, step, cap, start);
    }
}

// The four pixels (cx +- a, cy +- b).
template <int Bits>
void Put4(const DDSURFACEDESC2& d, int64_t cx, int64_t cy, int64_t a, int64_t b, uint32_t c) {
    Put<Bits>(d, cx + a, cy + b, c);
    Put<Bits>(d, cx + a, cy - b, c);
    Put<Bits>(d, cx - a, cy + b, c);
    Put<Bits>(d, cx - a, cy - b, c);
}

// The spans cx - a .. cx + a on rows cy + b and cy - b.
template <int Bits>
void Span2(const DDSURFACEDESC2& d, int64_t cx, int64_t cy, int64_t a, int64_t b, uint32_t c) {
    HSpan<Bits>(d, cx - a, cx + a, cy + b, c);
    HSpan<Bits>(d, cx - a, cx + a, cy - b, c);
}

const auto kNoCap = [](int64_t, int64_t) {};
const auto kNoStart = [](int64_t) {};

template <int Bits>
void Circle(const DDSURFACEDESC2& d, int64_t cx, int64_t cy, int64_t r, uint32_t c) {
    if (r < 0 || BoxMisses(d, cx - r, cy - r, cx + r, cy + r)) return;
    WalkVisible(
        d, Shape{cx, cy, r, 1, 1, 1, 1, false},
        [&](int64_t x, int64_t y) {
            Put4<Bits>(d, cx, cy, x, y, c);
            Put4<Bits>(d, cx, cy, y, x, c);
        },
        kNoCap, kNoStart);
}

template <int Bits>
void Disc(const DDSURFACEDESC2& d, int64_t cx, int64_t cy, int64_t r, uint32_t c) {
    if (r < 0 || BoxMisses(d, cx - r, cy - r, cx + r, cy + r)) return;
    WalkVisible(
        d, Shape{cx, cy, r, 1, 1, 1, 1, true}, [&](int64_t x, int64_t y) { Span2<Bits>(d, cx, cy, x, y, c); },
        [&](int64_t x, int64_t y) { Span2<Bits>(d, cx, cy, y - 1, x, c); }, kNoStart);
}

// Both ellipses walk a circle of the larger radius and divide by it. One negative radius draws as
// its absolute value (the scaled offsets are mirrored anyway), two negative ones draw nothing, and
// two zero radii, whose division has no divisor, draw the centre. True when that (or a box off the
// surface) settles the call.
template <int Bits>
bool EllipseSettled(const DDSURFACEDESC2& d, int64_t cx, int64_t cy, int64_t& rx, int64_t& ry, uint32_t c) {
    if (rx < 0 && ry < 0) return true;
    rx = rx < 0 ? -rx : rx;
    ry = ry < 0 ? -ry : ry;
    if (rx == 0 && ry == 0) Put<Bits>(d, cx, cy, c);
    return (rx == 0 && ry == 0) || BoxMisses(d, cx - rx, cy - ry, cx + rx, cy + ry);
}

// The walk of an ellipse: the circle of the larger radius, the other axis scaled by ry / rx or rx / ry.
Shape EllipseShape(int64_t cx, int64_t cy, int64_t rx, int64_t ry, bool spans) {
    return ry < rx ? Shape{cx, cy, rx, 1, 1, ry, rx, spans} : Shape{cx, cy, ry, rx, ry, 1, 1, spans};
}

template <int Bits>
void Ellipse(const DDSURFACEDESC2& d, int64_t cx, int64_t cy, int64_t rx, int64_t ry, uint32_t c) {
    if (EllipseSettled<Bits>(d, cx, cy, rx, ry, c)) return;
    const Shape shape = EllipseShape(cx, cy, rx, ry, false);
    if (ry < rx) {
        WalkVisible(
            d, shape,
            [&](int64_t x, int64_t y) {
                Put4<Bits>(d, cx, cy, x, y * ry / rx, c);
                Put4<Bits>(d, cx, cy, y, x * ry / rx, c);
            },
            kNoCap, kNoStart);
    } else {
        WalkVisible(
            d, shape,
            [&](int64_t x, int64_t y) {
                Put4<Bits>(d, cx, cy, x * rx / ry, y, c);
                Put4<Bits>(d, cx, cy, y * rx / ry, x, c);
            },
            kNoCap, kNoStart);
    }
}

template <int Bits>
void FillEllipse(const DDSURFACEDESC2& d, int64_t cx, int64_t cy, int64_t rx, int64_t ry, uint32_t c) {
    if (EllipseSettled<Bits>(d, cx, cy, rx, ry, c)) return;
    const Shape shape = EllipseShape(cx, cy, rx, ry, true);
    if (ry < rx) {
        // The 16-bit member draws a cap row only when its scaled row differs from the last cap's;
        // the other depths draw every cap span. A walk resumed at step y had its last cap where x
        // last shrank, from MidpointX(y) + 1.
        int64_t last_cap = -9999;
        WalkVisible(
            d, shape, [&](int64_t x, int64_t y) { Span2<Bits>(d, cx, cy, x, y * ry / rx, c); },
            [&](int64_t x, int64_t y) {
                const int64_t s = x * ry / rx;
                if (Bits == 16 && s == last_cap) return;
                Span2<Bits>(d, cx, cy, y - 1, s, c);
                last_cap = s;
            },
            [&](int64_t y) {
                const int64_t x = MidpointX(rx, y);
                last_cap = x < rx ? (x + 1) * ry / rx : -9999;
            });
    } else {
        WalkVisible(
            d, shape, [&](int64_t x, int64_t y) { Span2<Bits>(d, cx, cy, x * rx / ry, y, c); },
            [&](int64_t x, int64_t y) { Span2<Bits>(d, cx, cy, (y - 1) * rx / ry, x, c); }, kNoStart);
    }
}

// The pattern fill leaves pixels equal to the surface's own source colour key, at the pixel's width
// (0 for a surface without a key).
template <int Bits>
void PatternBox(const DDSURFACEDESC2& d, int64_t x1, int64_t y1, int64_t x2, int64_t y2, uint32_t c, int32_t skip,
                const uint8_t* pattern) {
    if (!pattern || !ClampBox(d, x1, y1, x2, y2)) return;
    const auto skip_value = static_cast<Pix<Bits>>(d.ddckCKSrcBlt.dwColorSpaceLowValue);
    for (int64_t y = y1; y <= y2; ++y) {
        const uint8_t bits = pattern[(y - y1) & 7];
        Pix<Bits>* p = At<Bits>(d, x1, y);
        for (int64_t x = x1; x <= x2; ++x, ++p) {
            if (!(bits & (0x80 >> ((x - x1) & 7)))) continue;
            if (skip && *p == skip_value) continue;
            *p = static_cast<Pix<Bits>>(c);
        }
    }
}

void Merge(int64_t row, int64_t x) {
    if (row < 0 || row >= PRIM_SPAN_ROWS) return;
    PrimSpan& s = PRIM_SPAN_TABLE[row];
    s.left = static_cast<int32_t>(std::min<int64_t>(s.left, x));
    s.right = static_cast<int32_t>(std::max<int64_t>(s.right, x));
}

}  // namespace

#define P_ARGS(...) __VA_ARGS__
PRIM_MEMBERS(Box, Box, P_ARGS(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t c), P_ARGS(x1, y1, x2, y2, c))
PRIM_MEMBERS(FillBox, FillBox, P_ARGS(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t c),
             P_ARGS(x1, y1, x2, y2, c))
PRIM_MEMBERS(Circle, Circle, P_ARGS(int32_t cx, int32_t cy, int32_t r, uint32_t c), P_ARGS(cx, cy, r, c))
PRIM_MEMBERS(Disc, Disc, P_ARGS(int32_t cx, int32_t cy, int32_t r, uint32_t c), P_ARGS(cx, cy, r, c))
PRIM_MEMBERS(Ellipse, Ellipse, P_ARGS(int32_t cx, int32_t cy, int32_t rx, int32_t ry, uint32_t c),
             P_ARGS(cx, cy, rx, ry, c))
PRIM_MEMBERS(FillEllipse, FillEllipse, P_ARGS(int32_t cx, int32_t cy, int32_t rx, int32_t ry, uint32_t c),
             P_ARGS(cx, cy, rx, ry, c))
PRIM_MEMBERS(PatternBox, PatternBox,
             P_ARGS(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t c, int32_t skip, const uint8_t* pattern),
             P_ARGS(x1, y1, x2, y2, c, skip, pattern))
#undef P_ARGS

void PRIM_RotEdge(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    const int64_t dx = static_cast<int64_t>(x2) - x1, dy = static_cast<int64_t>(y2) - y1;
    const int64_t sx = dx < 0 ? -1 : 1, sy = dy < 0 ? -1 : 1;
    const int64_t n = (dx < 0 ? -dx : dx) + 1, m = (dy < 0 ? -dy : dy) + 1;
    if (n < m) {
        // One step a row: only the steps whose row lies in the table are walked.
        const int64_t f0 = static_cast<int64_t>(x1) * 65536, step = dx * 65536 / m;
        const int64_t first = std::max<int64_t>(0, sy > 0 ? -static_cast<int64_t>(y1) : y1 - int64_t{PRIM_SPAN_ROWS - 1});
        const int64_t last = std::min<int64_t>(m - 1, sy > 0 ? PRIM_SPAN_ROWS - 1 - static_cast<int64_t>(y1) : y1);
        for (int64_t k = first; k <= last; ++k) Merge(y1 + k * sy, (f0 + k * step) >> 16);
        return;
    }
    // One step a column, the row following in 16.16. The columns of one row form one run, so its
    // first and last steps carry its leftmost and rightmost x.
    const int64_t g0 = static_cast<int64_t>(y1) * 65536, step = dy * 65536 / n;
    if (step == 0) {
        Merge(y1, x1);
        Merge(y1, x1 + (n - 1) * sx);
        return;
    }
    for (int64_t row = 0; row < PRIM_SPAN_ROWS; ++row) {
        auto [a, b] = StepsWithin(g0, step, row * 65536, row * 65536 + 65535, n);
        if (a > b) continue;
        Merge(row, x1 + a * sx);
        Merge(row, x1 + b * sx);
    }
}

void PRIM_RotBox(DDSurface* surface, int32_t x, int32_t y, int32_t thickness, int32_t length, int32_t angle,
                 uint32_t colour) {
    for (PrimSpan& s : PRIM_SPAN_TABLE) s = {kEmptyLeft, kEmptyRight};
    const int32_t h = thickness >> 1;
    int32_t a = static_cast<int32_t>(angle % 360);
    if (a < 0) a += 360;
    const auto at = [](int64_t v) { return static_cast<int32_t>(v); };  // wraps like the 32-bit corner maths
    POINT p[4];
    MTH_RotatePoint(&p[0], x, at(int64_t{y} - h), a, x, y);
    MTH_RotatePoint(&p[1], x, at(int64_t{y} + h), a, x, y);
    MTH_RotatePoint(&p[2], at(int64_t{x} + length), at(int64_t{y} + h), a, x, y);
    MTH_RotatePoint(&p[3], at(int64_t{x} + length), at(int64_t{y} - h), a, x, y);
    for (int i = 0; i < 4; ++i) PRIM_RotEdge(p[i].x, p[i].y, p[(i + 1) & 3].x, p[(i + 1) & 3].y);

    // Rows from the top corner down to (not including) the bottom one, by quarter of the angle.
    // MTH_RotatePoint turns the bar's axis (the +x direction) to angle + 90 on the screen, so in
    // the first quarter P1 is the highest corner and P3 the lowest, in the second P2 and P0, in
    // the third P3 and P1, in the last P0 and P2.
    static constexpr int kTop[4] = {1, 2, 3, 0}, kBottom[4] = {3, 0, 1, 2};
    const int q = a / 90;
    const int64_t first = p[kTop[q]].y, end = p[kBottom[q]].y;

    DDSURFACEDESC2 d;
    if (!PRIM_Lock(surface, &d)) return;
    const int64_t rows = std::min<int64_t>(PRIM_SPAN_ROWS, Height(d)), w = Width(d);
    for (int64_t row = std::max<int64_t>(first, 0); row < std::min(end, rows); ++row) {
        const int64_t left = PRIM_SPAN_TABLE[row].left, right = PRIM_SPAN_TABLE[row].right;
        if (left > right) continue;
        const int64_t ramp = std::min<int64_t>((right - left) >> 1, 7);
        uint8_t* line = static_cast<uint8_t*>(d.lpSurface) + row * static_cast<int64_t>(d.lPitch);
        // Shading: one step up for each of the first `ramp` pixels passed, one down for each of the last.
        for (int64_t px = std::max<int64_t>(left, 0); px <= std::min(right, w - 1); ++px) {
            const int64_t up = std::min(px - left, ramp);
            const int64_t down = std::max<int64_t>(0, px - std::max(left, right - ramp + 1));
            line[px] = static_cast<uint8_t>(colour + static_cast<uint32_t>(up - down));
        }
    }
    surface->Unlock(nullptr);
}
