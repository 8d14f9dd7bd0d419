// Interval timers on the manual clock, and numbers drawn from a digit strip.
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
        {32, 500, 1000, 250, 0, 16},
        {32, 500, 1000, 600, 0, 38},      // grows past max without the clamp
        {32, 500, 1000, 600, 1, 32},
        {31, 1000, 0, 999, 0, 30},        // truncated
        {77, 0, 5, 0, 0, 77},             // no duration: max at once
        {32, 500, 0xFFFFFF00u, 0x200, 0, 32},  // the clock wrapped: 512 ms have passed
        {640, 10000000, 0, 6710887, 0, 0},     // max x elapsed past 2^32 wraps (384 / 10^7)
        {-5, 100, 0, 50, 1, 0},           // a negative max counts as 0
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.max << " over " << c.duration << " after " << c.elapsed);
        headless::SetTime(c.start);
        TIM_DATA t{};
        EXPECT_EQ(TIM_GetLinear(&t, c.max, c.clamp), 0);  // stopped
        TIM_Start(&t, c.duration);
        EXPECT_EQ(t.start, c.start);
        headless::AdvanceTime(c.elapsed);
        EXPECT_EQ(TIM_GetLinear(&t, c.max, c.clamp), c.value);
        TIM_Stop(&t);
        EXPECT_EQ(TIM_GetLinear(&t, c.max, c.clamp), 0);
        EXPECT_EQ(t.duration, c.duration);
        EXPECT_EQ(t.start, 0u);
    }
    // Restarting a running timer starts it afresh.
    TIM_DATA t{};
    headless::SetTime(0);
    TIM_Start(&t, 100);
    headless::AdvanceTime(90);
    TIM_Start(&t, 100);
    headless::AdvanceTime(10);
    EXPECT_EQ(TIM_GetLinear(&t, 100, 1), 10);
}

// A strip of 30 cells of 8 x 10 whose pixels are cell index + 1, read back as digits.
class DigitStrip : public SpriteTest {
protected:
    int strip = -1;
    DDSurface* dst = nullptr;
    void SetUp() override {
        SpriteTest::SetUp();
        strip = IMG_Load(Picture("digits", 240, 10, [](int x, int) { return uint16_t(x / 8 + 1); }).c_str(), 0);
        ASSERT_GE(strip, 0);
        dst = support::MakeSurface(96, 12);
        support::SetKey0(dst);
        TXT_SetNumStyle(0, &IMG_TABLE[strip].surface, 0, 0, 0, 8, 10);
        TXT_SetNumStyle(1, &IMG_TABLE[strip].surface, 1, 0, 0, 8, 10);
    }
    void TearDown() override {
        DD_ReleaseSurface(dst);
        for (TXT_NUMSTYLE& s : TXT_NUM_STYLE) s = TXT_NUMSTYLE{};
        SpriteTest::TearDown();
    }
    // The cells at x = 8, 16, ...: a digit (+10 per bank as 'a'.. for bank 1, 'A'.. bank 2) or ' '.
    std::string Cells() {
        std::string out;
        for (int x = 8; x < 96; x += 8) {
            const int v = support::PixelAt(dst, x + 1, 2);
            out += v == 0 ? ' ' : v <= 10 ? char('0' + v - 1) : v <= 20 ? char('a' + v - 11) : char('A' + v - 21);
        }
        const size_t end = out.find_last_not_of(' ');
        return end == std::string::npos ? "" : out.substr(0, end + 1);
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
        {0, 7, 4, 0, 1, "   7", 40},
        {0, 7, 4, 0, 0, "7", 16},
        {0, 0, 3, 0, 1, "  0", 32},
        {0, 105, 3, 0, 1, "105", 32},       // a zero after a drawn digit shows
        {0, 105, 3, 0, 0, "105", 32},
        {0, -42, 3, 0, 1, " 42", 32},       // no sign without banks
        {0, 42, 3, 1, 1, " 42", 32},        // the style has no banks
        {1, 42, 3, 1, 1, " ec", 32},        // positive bank, ten cells right
        {1, -42, 3, 1, 1, " EC", 32},       // negative bank, twenty cells right
        {1, 0, 3, 1, 1, "  0", 32},         // zero keeps bank 0
        {1, 42, 3, 0, 1, " 42", 32},        // banks only when the call asks too
        {0, 5, 0, 0, 1, "5", 16},           // no digits counts as one
        {0, 12345, 3, 0, 1, "999", 32},     // too large for its field: the largest that fits
        {0, INT32_MIN, 10, 0, 0, "2147483648", 88},
        {0, 37, 4, 0, 2, "", 8},            // another advance: every digit on x (the 7 last)
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.value << " in " << c.digits << " advance " << c.advance);
        BLT_FillRect(dst, nullptr, 0);
        EXPECT_EQ(TXT_DrawNum(dst, 8, 1, c.slot, c.value, c.digits, c.banks, -1, c.advance, 1), c.pen);
        if (c.advance == 2) {
            EXPECT_EQ(support::PixelAt(dst, 9, 2), 8);
        } else {
            EXPECT_EQ(Cells(), c.cells);
        }
    }
}

TEST_F(DigitStrip, UnsetStylesAndSignsDrawNothingExtra) {
    EXPECT_EQ(TXT_DrawNum(dst, 8, 1, 5, 42, 3, 0, -1, 1, 1), 8);  // never set
    EXPECT_EQ(TXT_DrawNum(dst, 8, 1, 9, 42, 3, 0, -1, 1, 1), 8);  // no such slot
    EXPECT_EQ(TXT_DrawNum(dst, 8, 1, -1, 42, 3, 0, -1, 1, 1), 8);
    EXPECT_EQ(Cells(), "");
    EXPECT_EQ(TXT_DrawNum(dst, 8, 1, 0, 0, 3, 0, 0, 1, 1), 32);  // a sign flag adds no cell
    EXPECT_EQ(Cells(), "  0");
    // The style reads the slot's surface at every draw, so it survives a display re-creation.
    DD_ReleaseSurface(dst);
    IMG_SaveAllSurfaces();
    ASSERT_EQ(DD_ChangeMode(640, 480, 16, 0, 0, 1), 1);
    IMG_RestoreAllSurfaces();
    dst = support::MakeSurface(96, 12);
    TXT_DrawNum(dst, 8, 1, 0, 64, 2, 0, -1, 1, 1);
    EXPECT_EQ(Cells(), "64");
}
}  // namespace
