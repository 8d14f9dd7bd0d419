// Fixed-point maths: the sine table against the exact formula, the axis values, angles of vectors
// with their large-running degree conversion, direction sectors and the rotations' worked values.
#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include "services/mth_math.h"

namespace {

struct Mth : ::testing::Test {
    void SetUp() override { MTH_SetShift(16); }
    void TearDown() override { MTH_SetShift(16); }
};

TEST_F(Mth, TableIsTheFloorOfTheSineAndTheQuadrantsFollow) {
    for (int d = 0; d < 90; ++d)
        EXPECT_EQ(SIN_TABLE_DEG[d], int(std::floor(65536.0L * std::sin(d * 3.14159265358979323846L / 180) + 1e-9L))) << d;
    for (auto [d, v] : {std::pair{1, 1143}, {30, 32768}, {45, 46340}, {89, 65526}, {90, 65535}}) EXPECT_EQ(SIN_TABLE_DEG[d], v);
    for (auto [a, v] : {std::pair{30u, 32768}, {90u, 65535}, {450u, 65535}, {270u, -65535}}) EXPECT_EQ(MTH_SinDeg(a), v) << a;
    EXPECT_EQ(MTH_CosDeg(180), -65535);
    for (uint32_t a = 0; a < 360; ++a)
        EXPECT_TRUE(MTH_SinDeg(a) == MTH_CosDeg((450 - a) % 360) && MTH_SinDeg(a) == -MTH_SinDeg((360 - a) % 360)) << a;
}

TEST_F(Mth, FixedPointAxesAreExact) {
    for (auto [a, v] : {std::pair{90, -65536}, {270, 65536}, {-270, -65536}, {30, -32768}}) EXPECT_EQ(MTH_NegSinFix(a), v) << a;
    for (auto [a, v] : {std::pair{0, 65536}, {-90, 0}, {180, -65536}, {360 + 60, 32768}}) EXPECT_EQ(MTH_CosFix(a), v) << a;
    MTH_SetShift(40);  // kept to 30: 1 << shift stays a 32-bit value
    EXPECT_EQ(MTH_CosFix(0), 1 << 30);
}

TEST_F(Mth, AnglesOfVectorsTruncateTheLargeRunningConversion) {
    // (7, 7): 3.1415 in place of pi makes a true 45 degrees 45.0013; the last pair differs beyond 32 bits.
    const int32_t cases[][5] = {{0, 0, 10, 0, 0},  {0, 0, 0, 10, 90}, {0, 0, -10, 0, 180}, {0, 0, 0, -10, 270},
                                {0, 0, 100, -1, 0}, {5, 5, 5, 5, 0},  {0, 0, 7, 7, 45},    {-2147483647, 0, 2147483647, 0, 0}};
    for (const auto& k : cases) EXPECT_EQ(MTH_Atan2Deg(k[0], k[1], k[2], k[3]), k[4]) << k[2] << "," << k[3];
    int32_t c = 1, s = 1, r = MTH_GetDirVec(0, 0, 0, 10, &c, &s);
    EXPECT_EQ(std::tuple(r, c, s), std::tuple(65535, 0, 65535));
    for (auto [a, want_sin, want_cos] : {std::tuple{270, 0, 65535}, {0, 65535, 0}}) {  // the point rotation's: 270 right, 0 down
        r = MTH_AngleToVec(a, &c, &s);
        EXPECT_EQ(std::pair(r, c), std::pair(want_sin, want_cos)) << a;
    }
}

TEST_F(Mth, DirectionSectorsStartDownAndTurnClockwise) {
    EXPECT_EQ(MTH_GetDirIndex(45, 0, 0, 0, 10), 0);
    EXPECT_EQ(MTH_GetDirIndex(45, 0, 0, 10, 0), 6);
    const int dirs[8][2] = {{0, 1}, {-1, 1}, {-1, 0}, {-1, -1}, {0, -1}, {1, -1}, {1, 0}, {1, 1}};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(MTH_GetVecDirIndex(45, dirs[i][0], dirs[i][1]), i) << i;
    EXPECT_EQ(MTH_GetVecDirIndex(90, 3, 1), 3);  // 18 degrees: right, the last quarter sector
    EXPECT_EQ(MTH_GetDirIndex(0, 0, 0, 1, 1), 0);  // no sectors of 0 degrees
    EXPECT_EQ(MTH_Dist2(1, 2, 4, 6), 25);
    EXPECT_EQ(MTH_Dist2(0, 0, 65536, 0), 0);  // 2^32 wraps as the 32-bit sum does
}

TEST_F(Mth, RotationsWorkedValues) {
    // 270 keeps the point, 90 mirrors it through the centre, 0 turns +x down and 180 up; at 240
    // (a = 30) cos 56755 and sin 32768 are shifted down.
    const int32_t cases[][7] = {{15, 7, 270, 10, 10, 15, 7}, {15, 7, 90, 10, 10, 5, 13}, {20, 10, 0, 10, 10, 10, 20},
                                {20, 10, 180, 10, 10, 10, 0}, {100, 0, 240, 0, 0, 86, -50}};
    POINT p;
    for (const auto& k : cases) {
        MTH_RotatePoint(&p, k[0], k[1], k[2], k[3], k[4]);
        EXPECT_EQ(std::pair(p.x, p.y), std::pair(k[5], k[6])) << k[2];
    }
    for (int a = 0; a < 360; a += 7) {  // the length is kept to within a pixel
        MTH_RotatePoint(&p, 1000, 0, a, 0, 0);
        EXPECT_NEAR(std::hypot(double(p.x), double(p.y)), 1000, 1.5) << a;
    }
    // The raw form takes the angle itself.
    for (int a : {30, 30 - 720}) {
        MTH_RotateRaw(&p, 100, 0, a, 0, 0);
        EXPECT_EQ(std::pair(p.x, p.y), std::pair(100 * 56755, -100 * 32768)) << a;
    }
    int32_t x = 0, y = 0;
    MTH_RotatePointFix(&x, &y, 1, 2, 101, 2, 30);
    EXPECT_EQ(std::pair(x, y), std::pair(1 + 86, 2 - 50));
    MTH_RotatePointFix(&x, &y, 0, 0, 100, 0, 90);
    EXPECT_EQ(std::pair(x, y), std::pair(0, -100));
}
}  // namespace

namespace {
TEST(Mth256, TableIsTheFloorOfTheSineAndTheQuadrantsFollow) {
    for (int k = 0; k <= 64; ++k)
        EXPECT_EQ(SIN_TABLE_256[k], uint32_t(std::floor(10000.0L * std::sin(k * 90.0L / 64 * 3.14159265358979323846L / 180)))) << k;
    for (auto [k, v] : {std::pair{1u, 245}, {32u, 7071}, {63u, 9996}, {64u, 10000}, {96u, 7071}, {128u, 0}, {160u, -7071},
                        {192u, -10000}, {224u, -7071}, {256u + 64u, 10000}})
        EXPECT_EQ(MTH_Sin256(k), v) << k;
    for (auto [k, v] : {std::pair{0u, 10000}, {64u, 0}, {128u, -10000}, {192u, 0}, {255u, 9996}}) EXPECT_EQ(MTH_Cos256(k), v) << k;
    for (uint32_t k = 0; k < 256; ++k)
        EXPECT_TRUE(MTH_Cos256(k) == MTH_Sin256(k + 64) && MTH_Sin256(k) == -MTH_Sin256(256 - k)) << k;
    // The products truncate toward zero.
    for (auto [r, k, s, c] : {std::tuple{1000, 32u, 707, 707}, {-1000, 32u, -707, -707}, {3, 1u, 0, 2}, {-3, 127u, -0, 2}})
        EXPECT_EQ(std::pair(MTH_SinMul256(r, k), MTH_CosMul256(r, k)), std::pair(s, c)) << r << "," << k;
}

TEST(Mth256, CoarseDirectionsAreTheAxesDiagonalsAndOctantMiddles) {
    const int32_t cases[][3] = {{5, 0, 0},     {5, 1, 16},    {5, 5, 32},     {1, 5, 48},   {0, 5, 64},   {-1, 5, 80},
                                {-5, 5, 96},   {-5, 1, 112},  {-5, 0, 128},   {-5, -1, 144}, {-5, -5, 160}, {-1, -5, 176},
                                {0, -5, 192},  {1, -5, 208},  {5, -5, 224},   {5, -1, 240},  {0, 0, 192}};
    for (const auto& k : cases) EXPECT_EQ(MTH_GetDir256(3, 4, 3 + k[0], 4 + k[1]), k[2]) << k[0] << "," << k[1];
    EXPECT_EQ(MTH_GetDir256(-2147483647 - 1, 0, 2147483647, 1), 16);  // differences past 32 bits
}

TEST_F(Mth, DegreeProductsTruncateAndFixedProductsShiftDown) {
    // 100 x 32768 / 65535 is 50.0008; the product of 100000 needs 64 bits.
    for (auto [r, a, s, c] : {std::tuple{100, 30u, 50, 86}, {-100, 30u, -50, -86}, {65535, 90u, 65535, 0}, {100000, 45u, 70710, 70710}})
        EXPECT_EQ(std::pair(MTH_SinMulDeg(r, a), MTH_CosMulDeg(r, a)), std::pair(s, c)) << r << "," << a;
    // Exact axes; elsewhere the arithmetic shift rounds down (3 x -32768 / 65536 = -1.5 -> -2).
    for (auto [r, a, ns, c] : {std::tuple{100, 90, -100, 0}, {100, 270, 100, 0}, {100, 0, 0, 100}, {100, 180, 0, -100},
                               {100, 30, -50, 86}, {3, 30, -2, 2}, {3, 60 - 360, -3, 1}})
        EXPECT_EQ(std::pair(MTH_MulNegSinFix(r, a), MTH_MulCosFix(r, a)), std::pair(ns, c)) << r << "," << a;
}

TEST_F(Mth, OffsetMovesAndAngleSectors) {
    // (15, 7) about (10, 10): dx 5, dy -3. The scaled form's vertical move has the other sign.
    const int32_t cases[][5] = {{0, 1, 0, 10, 10}, {90, 1, 0, 12, 12}, {0, 1, 1, 10, 4}, {90, 2, 1, 9, -3}, {180, 3, 1, 30, 16}};
    for (const auto& k : cases) {
        int32_t x = 0, y = 0;
        if (k[2])
            MTH_RotateOffsetScaled(15, 7, 10, 10, &x, &y, uint32_t(k[0]), k[1]);
        else
            MTH_RotateOffset(15, 7, 10, 10, &x, &y, uint32_t(k[0]));
        EXPECT_EQ(std::pair(x, y), std::pair(k[3], k[4])) << k[0] << " scaled " << k[2];
    }
    for (auto [step, a, i] : {std::tuple{45, 0, 0}, {45, 22, 0}, {45, 23, 1}, {45, 350, 0}, {45, -30, 7}, {90, 315, 0}, {90, 314, 3}, {0, 10, 0}})
        EXPECT_EQ(MTH_GetAngleIndex(step, a), i) << step << "," << a;
}
}  // namespace
