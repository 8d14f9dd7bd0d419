// Fixed-point trigonometry in whole degrees (0 = right, 90 = down, 180 = left, 270 = up): the
// quarter-wave sine table, the global shift, angles and direction sectors of vectors, rotations;
// and the family of 256 steps a turn with its own quarter wave.
#pragma once
#include <array>
#include <cstdint>

#include "platform/types.h"

// Entry d = floor(65536 x sin d degrees) for d = 0..89; entry 90 is 65535 so it fits 16 bits.
extern const std::array<uint16_t, 91> SIN_TABLE_DEG;
// Entry k = floor(10000 x sin(k x 90 / 64 degrees)) for k = 0..64: a quarter wave of 256 steps a turn.
extern const std::array<uint32_t, 65> SIN_TABLE_256;

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

// r x the table sine or cosine / 65535, truncated toward zero (64-bit product).
int32_t MTH_SinMulDeg(int32_t r, uint32_t angle);
int32_t MTH_CosMulDeg(int32_t r, uint32_t angle);
// r x -sin and r x cos in fixed point: the product with the fixed-point value, shifted right (so the
// axes give exactly -r, r at 90, 270 and r, -r at 0, 180).
int32_t MTH_MulNegSinFix(int32_t r, int32_t angle);
int32_t MTH_MulCosFix(int32_t r, int32_t angle);
// Moves (x, y) by the sine and cosine products of its offset from (cx, cy): x - C(dx) + S(dy),
// y + S(dx) - C(dy), with C and S the two products above; the scaled form multiplies the moves by k.
void MTH_RotateOffset(int32_t x, int32_t y, int32_t cx, int32_t cy, int32_t* out_x, int32_t* out_y, uint32_t angle);
void MTH_RotateOffsetScaled(int32_t x, int32_t y, int32_t cx, int32_t cy, int32_t* out_x, int32_t* out_y,
                            uint32_t angle, int32_t k);
// Sector of `step` degrees holding the angle, sectors centred on 0, step, 2 step ...; a step below 1
// is refused with 0.
int32_t MTH_GetAngleIndex(int32_t step, int32_t angle);

// Sine and cosine of 256 steps a turn (scale 10000), the angle taken modulo 256; the products
// divide by 10000, truncating toward zero.
int32_t MTH_Sin256(uint32_t angle);
int32_t MTH_Cos256(uint32_t angle);
int32_t MTH_SinMul256(int32_t r, uint32_t angle);
int32_t MTH_CosMul256(int32_t r, uint32_t angle);
// Coarse direction from point 1 to point 2 in 256 steps: the axes, the diagonals and the middle of
// each octant (16 values, 0 right, 64 down); a point to itself gives 192.
int32_t MTH_GetDir256(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
