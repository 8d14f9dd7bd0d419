// The tooltip balloon (typing and fading by frames, layout and flip, the upward balloon's text)
// and the button arrays' hit test and release.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/shell/mwnd_fixture.h"

using namespace mwndtest;

namespace {
// Ten full-width characters.
const char* const kTen = "\x82\x60\x82\x61\x82\x62\x82\x63\x82\x64\x82\x65\x82\x66\x82\x67\x82\x68\x82\x69";  // ＡＢＣＤＥＦＧＨＩＪ

class Balloon : public MwndTest {
protected:
    uint16_t Green() { return DD_RGB(64, 255, 64); }
    int UsedCells() {
        int n = 0;
        for (const MWND_TIP_CELL& c : MWND_TIP.cell) n += c.used;
        return n;
    }
    // Screen pixels of the balloon alone.
    void DrawBalloon() {
        BLT_FillRect(DD_DISPLAY.back, nullptr, 0);
        SP_Draw(-1);
    }
    int InkIn(int left, int top, int right, int bottom) {
        int n = 0;
        for (int y = std::max(top, 0); y < std::min(bottom, 480); ++y)
            for (int x = std::max(left, 0); x < std::min(right, 640); ++x) n += Back(x, y) != 0;
        return n;
    }
};

// Two steps a frame; a new line costs no step unless it is empty; each glyph is copied into the
// strip 7 frames after it started.
TEST_F(Balloon, TypingTakesTwoStepsAFrameAndEachGlyphSevenFramesToSettle) {
    const struct {
        const char *l1, *l2, *l3;
        int inactive, settled;  // frames after which typing ended, and the last glyph joined the strip
    } cases[] = {
        {kTen, kTen, kTen, 16, 22},
        {kTen, "", kTen, 11, 18},
        {"\x82\x60", "", "", 2, 8},
        {"", "", "", 2, 2},
    };
    for (const auto& c : cases) {
        MWND_TipShow(100, 200, c.l1, c.l2, c.l3);
        int inactive = 0, settled = 0;
        for (int frame = 1; frame <= 40 && !settled; ++frame) {
            MWND_TipStep();
            if (!inactive && !MWND_TIP.active) inactive = frame;
            if (inactive && UsedCells() == 0) settled = frame;
        }
        EXPECT_EQ(inactive, c.inactive) << c.l1 << "|" << c.l2;
        EXPECT_EQ(settled, c.settled) << c.l1 << "|" << c.l2;
    }
}

TEST_F(Balloon, GlyphsFadeInByFivesThenJoinTheStrip) {
    MWND_TipShow(100, 200, "\x82\x60", "", "");
    MWND_TipStep();
    const MWND_TIP_CELL& cell = MWND_TIP.cell[0];
    ASSERT_EQ(cell.used, 1);
    EXPECT_EQ(cell.x, 140);
    EXPECT_EQ(cell.y, 1);
    const SP_STILL* o = SP_Still(cell.sprite);
    EXPECT_EQ(o->flags, SP_ALPHA);
    EXPECT_EQ(o->priority, MWND_TIP_PRIORITY);
    EXPECT_EQ(o->x, 140);
    EXPECT_EQ(o->y, 191);
    std::vector<int> levels{o->blend};
    while (cell.used) {
        MWND_TipStep();
        levels.push_back(cell.used ? o->blend : -1);
    }
    EXPECT_EQ(levels, (std::vector<int>{0, 5, 10, 15, 20, 25, 30, -1}));
    EXPECT_EQ(o->visible, 0);
    // The glyph now stands in the strip where the cell stood.
    DrawBalloon();
    EXPECT_GT(InkIn(140, 191, 152, 203), 0);
}

// Right of the anchor while x + 40 < 471, else 160 left with the pointer at the underline's right
// end; upward from y 451. The anchor is always the pointer's far end.
TEST_F(Balloon, LayoutFollowsTheAnchor) {
    const struct {
        int x, y;
        int text_x, pointer_x, flip, row0;  // row0: the screen row of the balloon's row 0
    } cases[] = {
        {100, 200, 140, 138, 0, 190},
        {430, 200, 470, 468, 0, 190},
        {431, 200, 271, 291, 0, 190},
        {600, 450, 440, 460, 0, 440},
        {100, 451, 140, 138, 22, 419},
        {5, 479, 45, 43, 22, 447},
    };
    for (const auto& c : cases) {
        MWND_TipShow(c.x, c.y, "\x82\x60", "\x82\x61\x82\x62", "");
        const MWND_TIP_DATA& t = MWND_TIP;
        EXPECT_EQ(t.text_x, c.text_x) << c.x << "," << c.y;
        EXPECT_EQ(t.pointer_x, c.pointer_x) << c.x << "," << c.y;
        EXPECT_EQ(t.flip, c.flip) << c.x << "," << c.y;
        EXPECT_EQ(t.pointer_h, 10);
        EXPECT_EQ(SP_Get(t.sprite)->y + MWND_TIP_ABOVE, c.row0) << c.x << "," << c.y;
        EXPECT_EQ(SP_Get(t.sprite)->visible, 1);
        DrawBalloon();
        const int underline = c.row0 + 32 - c.flip;
        EXPECT_EQ(Back(c.x, c.y), Green()) << c.x << "," << c.y;
        EXPECT_EQ(Back(c.text_x - 2, underline), Green());
        EXPECT_EQ(Back(c.text_x + 19, underline), Green());
        if (c.pointer_x < c.text_x) {
            EXPECT_EQ(Back(c.text_x + 20, underline), 0);  // the end is left out
        }
        EXPECT_EQ(Back(c.pointer_x, underline), Green());
    }
}

// The upward balloon's three lines lie above its row 0; all of them stay visible once typed.
TEST_F(Balloon, UpwardBalloonKeepsEveryLine) {
    MWND_TipShow(100, 470, kTen, kTen, kTen);
    for (int i = 0; i < 22; ++i) MWND_TipStep();
    ASSERT_EQ(UsedCells(), 0);
    DrawBalloon();
    const int row0 = 470 - 10 - 22;
    for (int line = 0; line < 3; ++line) {
        const int top = row0 + 10 * line - 22 + 1;
        EXPECT_GT(InkIn(140, top, 240, top + 10), 0) << line;
    }
}

TEST_F(Balloon, HideAndShowStartAfresh) {
    const int images = ImagesInUse();
    MWND_TipShow(100, 200, kTen, "", "");
    for (int i = 0; i < 3; ++i) MWND_TipStep();
    ASSERT_GT(UsedCells(), 0);
    MWND_TipShow(300, 100, "\x82\x60", "", "");
    EXPECT_EQ(UsedCells(), 0);
    EXPECT_EQ(MWND_TIP.line, 0);
    EXPECT_EQ(MWND_TIP.ch, 0);
    DrawBalloon();
    EXPECT_EQ(InkIn(0, 160, 640, 240), 0);  // the first balloon is gone
    MWND_TipHide();
    EXPECT_EQ(MWND_TIP.active, 0);
    EXPECT_EQ(SP_Get(MWND_TIP.sprite)->visible, 0);
    DrawBalloon();
    EXPECT_EQ(InkIn(0, 0, 640, 480), 0);
    EXPECT_EQ(ImagesInUse(), images);
    // A line longer than its field is cut at 79 bytes (39 characters).
    std::string long_line;
    for (int i = 0; i < 5; ++i) long_line += kTen;
    MWND_TipShow(0, 0, long_line.c_str(), nullptr, nullptr);
    EXPECT_EQ(MWND_TIP.count[0], 39);
    EXPECT_EQ(MWND_TIP.max_count, 39);
    EXPECT_EQ(MWND_TIP.count[1], 0);
}

TEST_F(Balloon, ButtonsHitLeftAndTopInclusiveAndTheFirstMatchWins) {
    MWND_BUTTON b[2];
    MWND_BtnInit(2, b);
    b[0].x = 10, b[0].y = 20;
    b[1].x = 30, b[1].y = 30;
    const struct {
        int x, y, hit;
    } cases[] = {
        {10, 20, 0}, {39, 39, 0}, {40, 25, -1}, {10, 40, -1}, {9, 20, -1},
        {35, 35, 0}, {59, 49, 1}, {60, 40, -1}, {45, 49, 1}, {45, 50, -1},
    };
    for (const auto& c : cases) EXPECT_EQ(MWND_BtnHitCheck(c.x, c.y, b, 2, 30, 20), c.hit) << c.x << "," << c.y;
    EXPECT_EQ(MWND_BtnHitCheck(35, 35, b + 1, 1, 30, 20), 0);
    EXPECT_EQ(MWND_BtnHitCheck(35, 35, b, 0, 30, 20), -1);
}

// Zeroed records hold handle 0, a real image and object: init then free-all must leave them be.
TEST_F(Balloon, ButtonInitThenFreeAllFreesNothingAndFreeReleasesWhatIsHeld) {
    const int images = ImagesInUse(), objects = ObjectsInUse();
    MWND_BUTTON b[3];
    std::memset(b, 0, sizeof b);
    for (MWND_BUTTON& r : b) r.user[2] = r.user[5] = 9;
    EXPECT_EQ(MWND_BtnInit(3, b), 3);
    EXPECT_EQ(MWND_BtnFreeAll(3, b), 3);
    EXPECT_EQ(ImagesInUse(), images);
    EXPECT_EQ(ObjectsInUse(), objects);
    for (const MWND_BUTTON& r : b) {
        EXPECT_EQ(r.state, -1);
        EXPECT_EQ(r.sprite[0], -1);
        EXPECT_EQ(r.image[2], -1);
        EXPECT_EQ(r.user[2], 9);
    }
    for (int k = 0; k < 3; ++k) {
        b[0].image[k] = IMG_Create(8, 8, 0);
        b[0].sprite[k] = MWND_CreateStill(b[0].image[k], 10, 0);
    }
    b[0].state = 2, b[0].x = 5, b[0].y = 6, b[0].user[0] = b[0].user[1] = 7, b[0].tail[1] = 8;
    EXPECT_EQ(ImagesInUse(), images + 3);
    MWND_BtnFree(&b[0]);
    EXPECT_EQ(ImagesInUse(), images);
    EXPECT_EQ(ObjectsInUse(), objects);
    const int32_t expect[17] = {-1, -1, -1, -1, -1, -1, -1, 0, 0, 0, 0, 9, 0, 0, 9, 0, 0};
    EXPECT_EQ(std::memcmp(&b[0], expect, sizeof expect), 0);
}
}  // namespace
