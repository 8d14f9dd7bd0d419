// Fixed-point trigonometry in whole degrees: the quarter-wave sine table, the global shift and the
// point rotation (0 = right, 90 = down, 180 = left, 270 = up).
#pragma once
#include <array>
#include <cstdint>

#include "platform/types.h"

// Entry d = floor(65536 x sin d degrees) for d = 0..89; entry 90 is 65535 so it fits 16 bits.
extern const std::array<uint16_t, 91> SIN_TABLE_DEG;

void MTH_SetShift(int32_t n);
int32_t MTH_GetShift();

// Signed sine and cosine from the table (scale 65536, 65535 at the peaks); the angle is taken modulo 360.
int32_t MTH_SinDeg(uint32_t angle);
int32_t MTH_CosDeg(uint32_t angle);

// -sin and cos in fixed point with exact values (1 << shift) on the axes; any integer angle.
int32_t MTH_NegSinFix(int32_t angle);
int32_t MTH_CosFix(int32_t angle);

// Rotates (x, y) about (cx, cy); quarter turns are exact. The angle 270 leaves the point where it is.
void MTH_RotatePoint(POINT* out, int32_t x, int32_t y, int32_t angle, int32_t cx, int32_t cy);
