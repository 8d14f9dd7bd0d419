// Fixed-point maths: the sine table against the exact formula, the axis values, angles of vectors
// with their large-running degree conversion, direction sectors and the rotations' worked values.
#include <gtest/gtest.h>

#include <cmath>

#include "services/mth_math.h"

namespace {

struct Mth : ::testing::Test {
    void SetUp() override { MTH_SetShift(16); }
    void TearDown() override { MTH_SetShift(16); }
};

TEST_F(Mth, TableIsTheFloorOfTheSineAndTheQuadrantsFollow) {
    for (int d = 0; d < 90; ++d)
        EXPECT_EQ(SIN_TABLE_DEG[d], static_cast<int>(std::floor(65536.0L * std::sin(d * 3.14159265358979323846L / 180) + 1e-9L)))
            << d;
    EXPECT_EQ(SIN_TABLE_DEG[1], 1143);
    EXPECT_EQ(SIN_TABLE_DEG[30], 32768);
    EXPECT_EQ(SIN_TABLE_DEG[45], 46340);
    EXPECT_EQ(SIN_TABLE_DEG[89], 65526);
    EXPECT_EQ(SIN_TABLE_DEG[90], 65535);
    EXPECT_EQ(MTH_SinDeg(30), 32768);
    EXPECT_EQ(MTH_SinDeg(90), 65535);
    EXPECT_EQ(MTH_SinDeg(450), 65535);
    EXPECT_EQ(MTH_SinDeg(270), -65535);
    EXPECT_EQ(MTH_CosDeg(180), -65535);
    for (uint32_t a = 0; a < 360; ++a) {
        EXPECT_EQ(MTH_SinDeg(a), MTH_CosDeg((450 - a) % 360)) << a;
        EXPECT_EQ(MTH_SinDeg(a), -MTH_SinDeg((360 - a) % 360)) << a;
    }
}

TEST_F(Mth, FixedPointAxesAreExact) {
    EXPECT_EQ(MTH_NegSinFix(90), -65536);
    EXPECT_EQ(MTH_NegSinFix(270), 65536);
    EXPECT_EQ(MTH_NegSinFix(-270), -65536);
    EXPECT_EQ(MTH_NegSinFix(30), -32768);
    EXPECT_EQ(MTH_CosFix(0), 65536);
    EXPECT_EQ(MTH_CosFix(-90), 0);
    EXPECT_EQ(MTH_CosFix(180), -65536);
    EXPECT_EQ(MTH_CosFix(360 + 60), 32768);
    MTH_SetShift(40);  // kept to 30: 1 << shift stays a 32-bit value
    EXPECT_EQ(MTH_CosFix(0), 1 << 30);
}

TEST_F(Mth, AnglesOfVectorsTruncateTheLargeRunningConversion) {
    EXPECT_EQ(MTH_Atan2Deg(0, 0, 10, 0), 0);
    EXPECT_EQ(MTH_Atan2Deg(0, 0, 0, 10), 90);
    EXPECT_EQ(MTH_Atan2Deg(0, 0, -10, 0), 180);
    EXPECT_EQ(MTH_Atan2Deg(0, 0, 0, -10), 270);
    EXPECT_EQ(MTH_Atan2Deg(0, 0, 100, -1), 0);
    EXPECT_EQ(MTH_Atan2Deg(5, 5, 5, 5), 0);
    // 3.1415 in place of pi: a true 45 degrees gives 45.0013.
    EXPECT_EQ(MTH_Atan2Deg(0, 0, 7, 7), 45);
    EXPECT_EQ(MTH_Atan2Deg(-2147483647, 0, 2147483647, 0), 0);  // differences beyond 32 bits

    int32_t c = 1, s = 1;
    EXPECT_EQ(MTH_GetDirVec(0, 0, 0, 10, &c, &s), 65535);
    EXPECT_EQ(c, 0);
    EXPECT_EQ(s, 65535);
    // The point rotation's convention: 270 is right, 0 is down.
    EXPECT_EQ(MTH_AngleToVec(270, &c, &s), 0);
    EXPECT_EQ(c, 65535);
    EXPECT_EQ(MTH_AngleToVec(0, &c, &s), 65535);
    EXPECT_EQ(c, 0);
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
    POINT p;
    MTH_RotatePoint(&p, 15, 7, 270, 10, 10);  // unchanged
    EXPECT_EQ(p.x, 15);
    EXPECT_EQ(p.y, 7);
    MTH_RotatePoint(&p, 15, 7, 90, 10, 10);  // mirrored through the centre
    EXPECT_EQ(p.x, 5);
    EXPECT_EQ(p.y, 13);
    MTH_RotatePoint(&p, 20, 10, 0, 10, 10);  // the +x axis turns down
    EXPECT_EQ(p.x, 10);
    EXPECT_EQ(p.y, 20);
    MTH_RotatePoint(&p, 20, 10, 180, 10, 10);  // and up
    EXPECT_EQ(p.x, 10);
    EXPECT_EQ(p.y, 0);
    MTH_RotatePoint(&p, 100, 0, 240, 0, 0);  // a = 30: cos 56755, sin 32768, shifted down
    EXPECT_EQ(p.x, 86);
    EXPECT_EQ(p.y, -50);
    for (int a = 0; a < 360; a += 7) {  // the length is kept to within a pixel
        MTH_RotatePoint(&p, 1000, 0, a, 0, 0);
        EXPECT_NEAR(std::hypot(double(p.x), double(p.y)), 1000, 1.5) << a;
    }

    // The raw form takes the angle itself.
    MTH_RotateRaw(&p, 100, 0, 30, 0, 0);
    EXPECT_EQ(p.x, 100 * 56755);
    EXPECT_EQ(p.y, -100 * 32768);
    MTH_RotateRaw(&p, 100, 0, 30 - 720, 0, 0);
    EXPECT_EQ(p.x, 100 * 56755);
    int32_t x = 0, y = 0;
    MTH_RotatePointFix(&x, &y, 1, 2, 101, 2, 30);
    EXPECT_EQ(x, 1 + 86);
    EXPECT_EQ(y, 2 - 50);
    MTH_RotatePointFix(&x, &y, 0, 0, 100, 0, 90);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, -100);
}
}  // namespace
