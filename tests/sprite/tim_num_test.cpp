// Interval timers on the manual clock (linear, quadratic, custom), and numbers drawn from a digit strip.
#include "platform/headless/headless.h"
#include "sprite/tim_timer.h"
#include "sprite/txt_num.h"
#include "tests/sprite/sprite_fixture.h"

using namespace spritetest;

namespace {
TEST(IntervalTimer, LinearValuesOverElapsedTime) {
    headless::Reset();
    const struct {
        int32_t max;
        uint32_t duration, start, elapsed;
        int clamp;
        int32_t value;
    } cases[] = {
        {32, 500, 1000, 250, 0, 16},          {32, 500, 1000, 600, 0, 38},  // grows past max
        {32, 500, 1000, 600, 1, 32},          {31, 1000, 0, 999, 0, 30},    // truncated
        {77, 0, 5, 0, 0, 77},                 // no duration: max at once
        {32, 500, 0xFFFFFF00u, 0x200, 0, 32},  // the clock wrapped: 512 ms have passed
        {640, 10000000, 0, 6710887, 0, 0},     // max x elapsed past 2^32 wraps (384 / 10^7)
        {-5, 100, 0, 50, 1, 0},                // a negative max counts as 0
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.max << " over " << c.duration << " after " << c.elapsed);
        headless::SetTime(c.start);
        TIM_DATA t{};
        EXPECT_EQ(TIM_GetLinear(&t, c.max, c.clamp), 0);  // stopped
        TIM_Start(&t, 1);
        TIM_Start(&t, c.duration);  // a restart starts afresh
        headless::AdvanceTime(c.elapsed);
        EXPECT_EQ(TIM_GetLinear(&t, c.max, c.clamp), c.value);
        TIM_Stop(&t);
        EXPECT_EQ(TIM_GetLinear(&t, c.max, c.clamp), 0);
        EXPECT_EQ(t.duration, c.duration);
    }
}

// max x (elapsed^2 / 2) / duration^2 in wrapping signed 32-bit arithmetic: half of max at the end.
TEST(IntervalTimer, QuadraticAndCustomValues) {
    headless::Reset();
    const struct {
        int32_t max;
        uint32_t duration, elapsed;
        int clamp;
        int32_t value;
    } cases[] = {
        {100, 10, 10, 0, 50},     {100, 10, 20, 0, 200},  {100, 10, 20, 1, 100},
        {640, 500, 300, 0, 115},  // 640 x 45000 / 250000, truncated
        {32, 1000, 70000, 0, 1090},  // elapsed squared wraps (78,400 unwrapped)
        {-100, 10, 10, 0, -50},   {7, 0, 5, 0, 7},  // no duration: max
        {7, 65536, 5, 0, 7},      // the squared duration wraps to 0: max rather than a division by 0
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.max << " over " << c.duration << " after " << c.elapsed);
        TIM_DATA t{};
        EXPECT_EQ(TIM_GetQuad(&t, c.max, c.clamp), 0);  // stopped
        headless::SetTime(0xFFFFFFF0u);  // across the clock's wrap
        TIM_Start(&t, c.duration);
        headless::AdvanceTime(c.elapsed);
        EXPECT_EQ(TIM_GetQuad(&t, c.max, c.clamp), c.value);
    }
    TIM_DATA t{};
    auto twice = [](uint32_t ms) { return int32_t(ms * 2); };
    EXPECT_EQ(TIM_GetCustom(&t, twice), 0);
    TIM_Start(&t, 10);
    headless::AdvanceTime(21);
    EXPECT_EQ(TIM_GetCustom(&t, twice), 42);
    EXPECT_EQ(TIM_GetCustom(&t, nullptr), 0);
    TIM_Stop(&t);
    EXPECT_EQ(TIM_GetCustom(&t, twice), 0);
}

// A strip of 30 cells of 8 x 10 whose pixels are the cell index + 1.
class DigitStrip : public SpriteTest {
protected:
    int strip = -1;
    DDSurface* dst = nullptr;
    void SetUp() override {
        SpriteTest::SetUp();
        strip = IMG_Load(Picture("digits", 240, 10, [](int x, int) { return uint16_t(x / 8 + 1); }).c_str(), 0);
        dst = support::MakeSurface(96, 12);
        TXT_SetNumStyle(0, &IMG_TABLE[strip].surface, 0, 0, 0, 8, 10);
        TXT_SetNumStyle(1, &IMG_TABLE[strip].surface, 1, 0, 0, 8, 10);
    }
    void TearDown() override {
        DD_ReleaseSurface(dst);
        for (TXT_NUMSTYLE& s : TXT_NUM_STYLE) s = TXT_NUMSTYLE{};
        SpriteTest::TearDown();
    }
    // The cells from x = 8: a digit, 'a'.. for bank 1, 'A'.. for bank 2, ' ' for none.
    std::string Cells() {
        std::string out;
        for (int x = 8; x < 96; x += 8) {
            const int v = support::PixelAt(dst, x + 1, 2);
            out += v == 0 ? ' ' : v <= 10 ? char('0' + v - 1) : v <= 20 ? char('a' + v - 11) : char('A' + v - 21);
        }
        return out.substr(0, out.find_last_not_of(' ') + 1);
    }
};

TEST_F(DigitStrip, NumbersFillTheirFieldFromTheRight) {
    const struct {
        int slot;
        int32_t value;
        int digits, banks, advance;
        const char* cells;
        int32_t pen;
    } cases[] = {
        {0, 7, 4, 0, 1, "   7", 40},      {0, 7, 4, 0, 0, "7", 16},
        {0, 0, 3, 0, 1, "  0", 32},       {0, 105, 3, 0, 1, "105", 32},  // a zero after a digit shows
        {0, -42, 3, 0, 1, " 42", 32},     // no sign without banks
        {1, 42, 3, 1, 1, " ec", 32},      {1, -42, 3, 1, 1, " EC", 32},  // ten and twenty cells right
        {1, 0, 3, 1, 1, "  0", 32},       {1, 42, 3, 0, 1, " 42", 32},   // banks only when both ask
        {0, 42, 3, 1, 1, " 42", 32},      {0, 5, 0, 0, 1, "5", 16},      // no digits counts as one
        {0, 12345, 3, 0, 1, "999", 32},   // too large for its field: the largest that fits
        {0, INT32_MIN, 10, 0, 0, "2147483648", 88},
        {0, 5, 3, 0, 0, "5", 16},
        {5, 42, 3, 0, 1, "", 8},          // an unset style draws nothing
        {9, 42, 3, 0, 1, "", 8},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.value << " in " << c.digits << " advance " << c.advance);
        BLT_FillRect(dst, nullptr, 0);
        EXPECT_EQ(TXT_DrawNum(dst, 8, 1, c.slot, c.value, c.digits, c.banks, -1, c.advance, 1), c.pen);
        EXPECT_EQ(Cells(), c.cells);
    }
    EXPECT_EQ(TXT_GetNumStyleFlag(1) * 10 + TXT_GetNumStyleFlag(0) + TXT_GetNumStyleFlag(9), 10u);
    BLT_FillRect(dst, nullptr, 0);
    EXPECT_EQ(TXT_DrawNum(dst, 8, 1, 0, 37, 4, 0, 0, 2, 1), 8);  // no advance: all on x; no sign cell
    EXPECT_EQ(Cells(), "7");
}

TEST_F(DigitStrip, AStyleFollowsItsImageAcrossADisplayRecreation) {
    DD_ReleaseSurface(dst);
    IMG_SaveAllSurfaces();
    ASSERT_EQ(DD_ChangeMode(640, 480, 16, 0, 0, 1), 1);
    IMG_RestoreAllSurfaces();
    dst = support::MakeSurface(96, 12);
    TXT_DrawNum(dst, 8, 1, 0, 64, 2, 0, -1, 1, 1);
    EXPECT_EQ(Cells(), "64");
}
}  // namespace
