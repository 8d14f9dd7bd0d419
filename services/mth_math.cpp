// Fixed-point trigonometry: sine table, shift, sine and cosine, angles, sectors and rotations.
#include "services/mth_math.h"

#include <algorithm>
#include <cmath>

#include "services/fil_util.h"

namespace {
int32_t g_shift = 16;

// Brings an angle into [lo, lo + 360) by whole turns without looping on huge values.
int32_t Wrap(int32_t a, int32_t lo) {
    int64_t v = (static_cast<int64_t>(a) - lo) % 360;
    if (v < 0) v += 360;
    return static_cast<int32_t>(v + lo);
}

int32_t Abs(int32_t v) { return v < 0 ? -v : v; }
}  // namespace

const std::array<uint16_t, 91> SIN_TABLE_DEG = {
    0,     1143,  2287,  3429,  4571,  5711,  6850,  7986,  9120,  10252, 11380, 12504, 13625, 14742, 15854, 16961,
    18064, 19160, 20251, 21336, 22414, 23486, 24550, 25606, 26655, 27696, 28729, 29752, 30767, 31772, 32768, 33753,
    34728, 35693, 36647, 37589, 38521, 39440, 40347, 41243, 42125, 42995, 43852, 44695, 45525, 46340, 47142, 47929,
    48702, 49460, 50203, 50931, 51643, 52339, 53019, 53683, 54331, 54963, 55577, 56175, 56755, 57319, 57864, 58393,
    58903, 59395, 59870, 60326, 60763, 61183, 61583, 61965, 62328, 62672, 62997, 63302, 63589, 63856, 64103, 64331,
    64540, 64729, 64898, 65047, 65176, 65286, 65376, 65446, 65496, 65526, 65535};

const std::array<uint32_t, 65> SIN_TABLE_256 = {
    0,    245,  490,  735,  980,  1224, 1467, 1709, 1950, 2191, 2429, 2667, 2902, 3136, 3368, 3598, 3826,
    4052, 4275, 4496, 4713, 4928, 5141, 5349, 5555, 5758, 5956, 6152, 6343, 6531, 6715, 6895, 7071, 7242,
    7409, 7572, 7730, 7883, 8032, 8175, 8314, 8448, 8577, 8700, 8819, 8932, 9039, 9142, 9238, 9329, 9415,
    9495, 9569, 9637, 9700, 9757, 9807, 9852, 9891, 9924, 9951, 9972, 9987, 9996, 10000};

void MTH_SetShift(int32_t n) {
    if (n < 0 || n > 30) SYS_DebugPrint("MTH_SetShift: shift %d kept to 0..30", n);
    g_shift = std::clamp(n, 0, 30);
}
int32_t MTH_GetShift() { return g_shift; }

int32_t MTH_SinDeg(uint32_t angle) {
    const uint32_t d = angle % 360;
    if (d <= 90) return SIN_TABLE_DEG[d];
    if (d <= 180) return SIN_TABLE_DEG[180 - d];
    if (d <= 270) return -SIN_TABLE_DEG[d - 180];
    return -SIN_TABLE_DEG[360 - d];
}

int32_t MTH_CosDeg(uint32_t angle) {
    const uint32_t d = angle % 360;
    if (d <= 90) return SIN_TABLE_DEG[90 - d];
    if (d <= 180) return -SIN_TABLE_DEG[d - 90];
    if (d <= 270) return -SIN_TABLE_DEG[270 - d];
    return SIN_TABLE_DEG[d - 270];
}

int32_t MTH_NegSinFix(int32_t angle) {
    const int32_t a = Wrap(angle, 0);
    if (a == 90) return -(1 << g_shift);
    if (a <= 180) return -SIN_TABLE_DEG[90 - Abs(a - 90)];
    if (a == 270) return 1 << g_shift;
    return SIN_TABLE_DEG[90 - Abs(a - 270)];
}

int32_t MTH_CosFix(int32_t angle) {
    const int32_t a = Wrap(angle, -90);
    if (a == 0) return 1 << g_shift;
    if (a <= 90) return SIN_TABLE_DEG[90 - Abs(a)];
    if (a == 180) return -(1 << g_shift);
    return -SIN_TABLE_DEG[90 - Abs(a - 180)];
}

namespace {
// The rotation products of the offset (dx, dy) by the fixed-point cosine and sine of a.
void RawProducts(int64_t dx, int64_t dy, int32_t a, int64_t& rx, int64_t& ry) {
    const int64_t c = MTH_CosFix(a), s = -static_cast<int64_t>(MTH_NegSinFix(a));
    rx = dx * c + dy * s;
    ry = dy * c - dx * s;
}

}  // namespace

void MTH_RotatePoint(POINT* out, int32_t x, int32_t y, int32_t angle, int32_t cx, int32_t cy) {
    // 64-bit products: the same values as 32-bit ones for offsets below 32768, and no overflow beyond.
    const int64_t dx = static_cast<int64_t>(x) - cx, dy = static_cast<int64_t>(y) - cy;
    const int32_t a = static_cast<int32_t>((630 - static_cast<int64_t>(angle)) % 360);
    int64_t rx, ry;
    if (a == 0) {
        rx = x;
        ry = y;
    } else if (a == 90) {
        rx = cx + dy;
        ry = cy - dx;
    } else if (a == 180) {
        rx = 2 * static_cast<int64_t>(cx) - x;
        ry = 2 * static_cast<int64_t>(cy) - y;
    } else if (a == 270) {
        rx = cx - dy;
        ry = cy + dx;
    } else {
        RawProducts(dx, dy, a, rx, ry);
        rx = cx + (rx >> g_shift);
        ry = cy + (ry >> g_shift);
    }
    out->x = static_cast<int32_t>(rx);
    out->y = static_cast<int32_t>(ry);
}

namespace {
// Angle of (dx, dy) as the degree conversion gives it; the differences come in 64 bits so that no
// subtraction overflows.
int32_t Atan2Of(int64_t dx, int64_t dy) {
    const double deg = std::atan2(static_cast<double>(dy), static_cast<double>(dx)) / 3.1415 * 180.0;
    return Wrap(static_cast<int32_t>(deg), 0);
}

// The sector of `step` degrees holding angle + offset; sectors of less than a degree are refused.
int32_t SectorOf(int32_t step, int64_t angle) {
    if (step < 1) {
        SYS_DebugPrint("MTH: direction sector step %d refused", step);
        return 0;
    }
    return Wrap(static_cast<int32_t>(angle % 360), 0) / step;
}

int32_t Sector(int32_t step, int32_t angle) { return SectorOf(step, int64_t{angle} + (step >> 1) - 90); }
}  // namespace

void MTH_RotateRaw(POINT* out, int32_t px, int32_t py, int32_t angle, int32_t cx, int32_t cy) {
    int64_t rx, ry;
    RawProducts(int64_t{px} - cx, int64_t{py} - cy, Wrap(angle, 0), rx, ry);
    out->x = static_cast<int32_t>(rx);
    out->y = static_cast<int32_t>(ry);
}

void MTH_RotatePointFix(int32_t* out_x, int32_t* out_y, int32_t cx, int32_t cy, int32_t px, int32_t py,
                        int32_t angle) {
    // The 64-bit products keep the shifted result right where 32-bit ones would overflow.
    int64_t rx, ry;
    RawProducts(int64_t{px} - cx, int64_t{py} - cy, Wrap(angle, 0), rx, ry);
    *out_x = static_cast<int32_t>(cx + (rx >> g_shift));
    *out_y = static_cast<int32_t>(cy + (ry >> g_shift));
}

int32_t MTH_Atan2Deg(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    return Atan2Of(int64_t{x2} - x1, int64_t{y2} - y1);
}

int32_t MTH_GetDirVec(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t* out_cos, int32_t* out_sin) {
    const uint32_t a = static_cast<uint32_t>(MTH_Atan2Deg(x1, y1, x2, y2));
    *out_cos = MTH_CosDeg(a);
    *out_sin = MTH_SinDeg(a);
    return *out_sin;
}

int32_t MTH_AngleToVec(int32_t angle, int32_t* out_cos, int32_t* out_sin) {
    POINT p;
    MTH_RotatePoint(&p, 32767, 0, angle, 0, 0);
    return MTH_GetDirVec(0, 0, p.x, p.y, out_cos, out_sin);
}

int32_t MTH_GetDirIndex(int32_t step, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    return Sector(step, MTH_Atan2Deg(x1, y1, x2, y2));
}

int32_t MTH_GetVecDirIndex(int32_t step, int32_t dx, int32_t dy) {
    return Sector(step, Atan2Of(int64_t{dx} * 32, int64_t{dy} * 32));
}

int32_t MTH_Dist2(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    const uint32_t dx = static_cast<uint32_t>(x2) - static_cast<uint32_t>(x1);
    const uint32_t dy = static_cast<uint32_t>(y2) - static_cast<uint32_t>(y1);
    return static_cast<int32_t>(dx * dx + dy * dy);
}

namespace {
// r x v / d in 64 bits, truncated toward zero as the 32-bit division is.
int32_t MulDiv(int32_t r, int32_t v, int32_t d) { return static_cast<int32_t>(int64_t{r} * v / d); }
int32_t MulShift(int32_t r, int32_t v) { return static_cast<int32_t>((int64_t{r} * v) >> g_shift); }
int32_t Wrap32(int64_t v) { return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(v))); }
}  // namespace

int32_t MTH_SinMulDeg(int32_t r, uint32_t angle) { return MulDiv(r, MTH_SinDeg(angle), 65535); }
int32_t MTH_CosMulDeg(int32_t r, uint32_t angle) { return MulDiv(r, MTH_CosDeg(angle), 65535); }
int32_t MTH_MulNegSinFix(int32_t r, int32_t angle) { return MulShift(r, MTH_NegSinFix(angle)); }
int32_t MTH_MulCosFix(int32_t r, int32_t angle) { return MulShift(r, MTH_CosFix(angle)); }

// Sums wrap at 32 bits rather than overflow. The scaled form adds the vertical move where the plain
// form subtracts it.
void MTH_RotateOffset(int32_t x, int32_t y, int32_t cx, int32_t cy, int32_t* out_x, int32_t* out_y, uint32_t angle) {
    const int32_t dx = Wrap32(int64_t{x} - cx), dy = Wrap32(int64_t{y} - cy);
    *out_x = Wrap32(int64_t{x} - MTH_CosMulDeg(dx, angle) + MTH_SinMulDeg(dy, angle));
    *out_y = Wrap32(int64_t{y} + MTH_SinMulDeg(dx, angle) - MTH_CosMulDeg(dy, angle));
}

void MTH_RotateOffsetScaled(int32_t x, int32_t y, int32_t cx, int32_t cy, int32_t* out_x, int32_t* out_y,
                            uint32_t angle, int32_t k) {
    const int32_t dx = Wrap32(int64_t{x} - cx), dy = Wrap32(int64_t{y} - cy);
    // Unsigned: the low 32 bits of each product, as the 32-bit sums keep them.
    const uint32_t mx = uint32_t(MTH_CosMulDeg(dx, angle)) - uint32_t(MTH_SinMulDeg(dy, angle));
    const uint32_t my = uint32_t(MTH_CosMulDeg(dy, angle)) - uint32_t(MTH_SinMulDeg(dx, angle));
    *out_x = static_cast<int32_t>(uint32_t(x) - mx * uint32_t(k));
    *out_y = static_cast<int32_t>(uint32_t(y) + my * uint32_t(k));
}

int32_t MTH_GetAngleIndex(int32_t step, int32_t angle) { return SectorOf(step, int64_t{angle} + step / 2); }

int32_t MTH_Sin256(uint32_t angle) {
    const int32_t k = static_cast<int32_t>(angle & 0xFF);
    const auto& t = SIN_TABLE_256;
    if (k < 65) return static_cast<int32_t>(t[k]);
    if (k < 129) return static_cast<int32_t>(t[128 - k]);
    if (k < 193) return -static_cast<int32_t>(t[k - 128]);
    return -static_cast<int32_t>(t[256 - k]);
}

int32_t MTH_Cos256(uint32_t angle) {
    const int32_t k = static_cast<int32_t>(angle & 0xFF);
    const auto& t = SIN_TABLE_256;
    if (k < 65) return static_cast<int32_t>(t[64 - k]);
    if (k < 129) return -static_cast<int32_t>(t[k - 64]);
    if (k < 193) return -static_cast<int32_t>(t[192 - k]);
    return static_cast<int32_t>(t[k - 192]);
}

int32_t MTH_SinMul256(int32_t r, uint32_t angle) { return MulDiv(r, MTH_Sin256(angle), 10000); }
int32_t MTH_CosMul256(int32_t r, uint32_t angle) { return MulDiv(r, MTH_Cos256(angle), 10000); }

int32_t MTH_GetDir256(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    // 64-bit differences: the comparisons stay right for points far apart.
    const int64_t dx = int64_t{x2} - x1, dy = int64_t{y2} - y1;
    // Within a quadrant, from its first axis: 16 before the diagonal, 32 on it, 48 past it.
    auto octant = [](int64_t along, int64_t across) { return along > across ? 16 : along == across ? 32 : 48; };
    if (dx == 0) return dy > 0 ? 64 : 192;
    if (dy == 0) return dx > 0 ? 0 : 128;
    if (dx > 0 && dy > 0) return octant(dx, dy);
    if (dx < 0 && dy > 0) return 64 + octant(dy, -dx);
    if (dx < 0) return 128 + octant(-dx, -dy);
    return 192 + octant(-dy, dx);
}
