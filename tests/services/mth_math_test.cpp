// Fixed-point rotation maths: the sine table's exact entries, the axis values and quarter turns.
#include <gtest/gtest.h>

#include <cmath>

#include "services/mth_math.h"

namespace {

TEST(MthTable, ExactEntriesAndSymmetry) {
    EXPECT_EQ(SIN_TABLE_DEG[0], 0);
    EXPECT_EQ(SIN_TABLE_DEG[1], 1143);
    EXPECT_EQ(SIN_TABLE_DEG[3], 3429);
    EXPECT_EQ(SIN_TABLE_DEG[30], 32768);
    EXPECT_EQ(SIN_TABLE_DEG[45], 46340);
    EXPECT_EQ(SIN_TABLE_DEG[89], 65526);
    EXPECT_EQ(SIN_TABLE_DEG[90], 65535);
    EXPECT_EQ(MTH_SinDeg(30), 32768);
    EXPECT_EQ(MTH_SinDeg(90), 65535);
    EXPECT_EQ(MTH_SinDeg(450), 65535);
    EXPECT_EQ(MTH_SinDeg(270), -65535);
    EXPECT_EQ(MTH_CosDeg(180), -65535);
    for (uint32_t a = 0; a < 360; ++a) EXPECT_EQ(MTH_SinDeg(a), MTH_CosDeg((450 - a) % 360)) << a;
}

TEST(MthFix, AxesAreExactWithTheShift) {
    MTH_SetShift(16);
    EXPECT_EQ(MTH_NegSinFix(90), -65536);
    EXPECT_EQ(MTH_NegSinFix(270), 65536);
    EXPECT_EQ(MTH_NegSinFix(-270), -65536);
    EXPECT_EQ(MTH_CosFix(0), 65536);
    EXPECT_EQ(MTH_CosFix(-90), 0);
    EXPECT_EQ(MTH_CosFix(180), -65536);
    EXPECT_EQ(MTH_CosFix(360 + 60), 32768);
    EXPECT_EQ(MTH_NegSinFix(30), -32768);
}

TEST(MthRotate, QuarterTurnsAndConvention) {
    MTH_SetShift(16);
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
    // Between the axes the length is kept to within a pixel.
    for (int a = 0; a < 360; a += 7) {
        MTH_RotatePoint(&p, 1000, 0, a, 0, 0);
        const double len = std::sqrt(double(p.x) * p.x + double(p.y) * p.y);
        EXPECT_NEAR(len, 1000, 1.5) << a;
    }
}
}  // namespace
