// Fixed-point trigonometry in whole degrees (0 = right, 90 = down, 180 = left, 270 = up): the
// quarter-wave sine table, the global shift, angles and direction sectors of vectors, rotations.
#pragma once
#include <array>
#include <cstdint>

#include "platform/types.h"

// Entry d = floor(65536 x sin d degrees) for d = 0..89; entry 90 is 65535 so it fits 16 bits.
extern const std::array<uint16_t, 91> SIN_TABLE_DEG;

// The fixed-point shift (16 at start-up); kept to 0..30 so that 1 << shift stays a 32-bit value.
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

// Rotation products of (px - cx, py - cy) by the angle itself (raised into 0.. by whole turns),
// unshifted: (dx c + dy s, dy c - dx s) with c = cos, s = sin in fixed point (32-bit, wrapping).
void MTH_RotateRaw(POINT* out, int32_t px, int32_t py, int32_t angle, int32_t cx, int32_t cy);
// (cx, cy) plus the raw rotation products shifted down; no exact quarter turns.
void MTH_RotatePointFix(int32_t* out_x, int32_t* out_y, int32_t cx, int32_t cy, int32_t px, int32_t py,
                        int32_t angle);

// Whole-degree angle 0..359 of the vector from point 1 to point 2. The degree conversion divides by
// 3.1415, so values run slightly large before truncation.
int32_t MTH_Atan2Deg(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
// Cosine and sine (table scale) of the angle from point 1 to point 2; returns the sine.
int32_t MTH_GetDirVec(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t* out_cos, int32_t* out_sin);
// Direction vector of an angle in the point rotation's convention; returns the sine.
int32_t MTH_AngleToVec(int32_t angle, int32_t* out_cos, int32_t* out_sin);
// Sector of the direction from point 1 to point 2 for sectors of `step` degrees, sector 0 centred
// on down and counting clockwise on the screen (with 45: down, down-left, left, ... down-right).
// A step below 1 is refused with 0.
int32_t MTH_GetDirIndex(int32_t step, int32_t x1, int32_t y1, int32_t x2, int32_t y2);
int32_t MTH_GetVecDirIndex(int32_t step, int32_t dx, int32_t dy);
// dx * dx + dy * dy in 32 bits (wrapping as the 32-bit sum does).
int32_t MTH_Dist2(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
