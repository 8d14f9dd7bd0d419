// Fixed-point trigonometry: sine table, shift, fixed-point sine and cosine, point rotation.
#include "services/mth_math.h"

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

void MTH_SetShift(int32_t n) { g_shift = n; }
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
        const int64_t c = MTH_CosFix(a), s = -static_cast<int64_t>(MTH_NegSinFix(a));
        rx = cx + ((dx * c + dy * s) >> g_shift);
        ry = cy + ((dy * c - dx * s) >> g_shift);
    }
    out->x = static_cast<int32_t>(rx);
    out->y = static_cast<int32_t>(ry);
}
