// The system bar: where the pointer opens it, sliding and jumping, keyboard navigation, the
// two-step tooltip, the buttons' requests, the auto bar's knob, and the battle mode's slide-out.
#include <gtest/gtest.h>

#include "scenario/snr_mode.h"
#include "tests/shell/bar_fixture.h"

using namespace bartest;

namespace {
bool TipShown() {
    const SP_OBJ* o = SP_Get(MWND_TIP.sprite);
    return o && o->visible;
}
}  // namespace

class SysBarTest : public BarTest {};

TEST_F(SysBarTest, ThePointerOpensTheBarOnlyInsideItsZone) {
    const struct {
        int x, y;
        bool opens;
    } cases[] = {{300, 456, false}, {300, 457, true}, {300, 479, true}, {172, 468, false},
                 {173, 468, true},  {616, 468, true}, {617, 468, false}, {300, 480, false}};
    for (const auto& c : cases) {
        Mouse(c.x, c.y, 0, 0);
        Frames(10);
        EXPECT_EQ(BAR_DATA.bottom_y, c.opens ? 456 : 480) << c.x << "," << c.y;
        EXPECT_EQ(BAR_DATA.bar_shown, c.opens ? 1 : 0);
        Mouse(320, 200, 0, 0);
        Frames(10);
        ASSERT_EQ(BAR_DATA.bottom_y, 480);
    }
}

TEST_F(SysBarTest, TheBarSlidesSixPixelsAFrameOrJumpsWhenInstant) {
    Mouse(300, 470, 0, 0);
    for (int32_t y : {474, 468, 462, 456, 456}) {
        Frame();
        EXPECT_EQ(BAR_DATA.bottom_y, y);
        EXPECT_EQ(SP_Get(BAR_DATA.bottom[5].sprite)->y, y);
    }
    // The pointer leaves: its navigation ends, holding the bar up for that frame; then it sinks.
    Mouse(300, 200, 0, 0);
    Frame();
    EXPECT_EQ(BAR_DATA.navigation, BAR_NAV_NONE);
    EXPECT_EQ(BAR_DATA.bottom_y, 456);
    for (int32_t y : {462, 468, 474, 480, 480}) {
        Frame();
        EXPECT_EQ(BAR_DATA.bottom_y, y);
    }
    SYS_DATA.bar_instant = 1;
    Mouse(300, 470, 0, 0);
    Frame();
    EXPECT_EQ(BAR_DATA.bottom_y, 456);
    Mouse(300, 200, 0, 0);
    Frames(2);
    EXPECT_EQ(BAR_DATA.bottom_y, 480);
    // Pinned, it stays; locked or in skip mode it never shows.
    SYS_DATA.bar_pin = 1;
    Frame();
    EXPECT_EQ(BAR_DATA.bottom_y, 456);
    BAR_DATA.lock = 1;
    Frame();
    EXPECT_EQ(BAR_DATA.bottom_y, 480);
}

TEST_F(SysBarTest, PressingDownTwiceWithTheMouseStillTogglesKeyboardNavigation) {
    Frame();
    Keys(kDown, kDown, kDown);
    Frame();
    EXPECT_EQ(BAR_DATA.navigation, BAR_NAV_KEYS);
    EXPECT_EQ(BAR_DATA.bottom_item, 0);
    EXPECT_EQ(BAR_DATA.input_taken, 1);
    Frames(4);
    EXPECT_EQ(BAR_DATA.bottom_y, 456);  // navigation holds the bar up
    Keys(0, 0, kRight);
    Frame();
    Keys(0, 0, kLeft);
    Frame();
    Keys(0, 0, kLeft);
    Frame();
    EXPECT_EQ(BAR_DATA.bottom_item, 9);  // wraps around over 0..9
    Keys(kDown, kDown, kDown);
    Frame();
    EXPECT_EQ(BAR_DATA.navigation, BAR_NAV_NONE);
    EXPECT_EQ(BAR_DATA.input_taken, 0);
    Frames(4);
    EXPECT_EQ(BAR_DATA.bottom_y, 480);
    // A pointer that moves ends keyboard navigation.
    Keys(kDown, kDown, kDown);
    Frame();
    ASSERT_EQ(BAR_DATA.navigation, BAR_NAV_KEYS);
    Mouse(330, 200, 0, 0);
    Frame();
    EXPECT_EQ(BAR_DATA.navigation, BAR_NAV_NONE);
}

TEST_F(SysBarTest, ATooltipShowsOneDrawingAfterItsButtonWasPointed) {
    SYS_DATA.bar_instant = 1;
    Mouse(280, 468, 0, 0);  // the backlog button
    Frame();
    EXPECT_EQ(BAR_DATA.bottom_item, 3);
    EXPECT_EQ(BAR_DATA.navigation, BAR_NAV_POINTER);
    EXPECT_FALSE(TipShown());
    Frame();
    EXPECT_TRUE(TipShown());
    EXPECT_STREQ(MWND_TIP.text[2], BAR_BOTTOM_TABLE[3].tip);
    EXPECT_STREQ(MWND_TIP.text[0], "");
    // Leaving the buttons hides it.
    Mouse(300, 200, 0, 0);
    Frame();
    EXPECT_FALSE(TipShown());
    EXPECT_EQ(BAR_DATA.tip_item, -1);
    // With help off none shows.
    SYS_DATA.help_on = 0;
    Mouse(280, 468, 0, 0);
    Frames(3);
    EXPECT_FALSE(TipShown());
}

TEST_F(SysBarTest, TheButtonsHandTheirRequestsToTheScenario) {
    SYS_DATA.bar_instant = 1;
    DD_Present();
    // (button, column of it clicked, hot request)
    const struct {
        int item;
        int32_t column;
        int32_t hot;
    } cases[] = {{3, 5, BAR_HOT_LOG},   {6, 5, BAR_HOT_SAVE},   {7, 5, BAR_HOT_LOAD},
                 {7, 64, BAR_HOT_LOAD}, {8, 5, BAR_HOT_EVENT}, {9, 5, BAR_HOT_CONFIG}};
    for (const auto& c : cases) {
        const BAR_ITEM& it = BAR_BOTTOM_TABLE[c.item];
        Mouse(it.screen_x + c.column, 468, 0, 0);
        Frame();
        ASSERT_EQ(BAR_DATA.bottom_y, 456);
        Mouse(it.screen_x + c.column, 468, 1, 1);
        BAR_Update();
        EXPECT_EQ(BAR_DATA.hot_request, c.hot) << c.item;
        // A system window opens: the bar leaves at once and the cursor hides.
        EXPECT_EQ(BAR_DATA.bottom_y, 480);
        EXPECT_EQ(BAR_DATA.navigation, BAR_NAV_NONE);
        EXPECT_EQ(MOUSE_IsCursorShown(), 0);
        if (c.item == 6) {
            EXPECT_EQ(THUMB_HELD.size(), size_t(THUMB_FILE_SIZE));  // the save window's thumbnail
        }
        Mouse(0, 0, 0, 0);
        Frame();
        EXPECT_EQ(BAR_DATA.hot_request, 0);  // for one frame only
    }
    // In scene replay save, load and the map are refused with a notice.
    TITLE_PlayKind = 1;
    Mouse(430, 468, 0, 0);
    Frame();
    Mouse(430, 468, 1, 1);
    BAR_Update();
    EXPECT_EQ(BAR_DATA.hot_request, 0);
    EXPECT_EQ(BAR_NOTICE.counter, BAR_NOTICE_FRAMES);
}

TEST_F(SysBarTest, TheHideButtonLocksTheBarUntilTheWindowShowsAgain) {
    SYS_DATA.bar_instant = 1;
    Mouse(210, 468, 0, 0);
    Frame();
    Mouse(210, 468, 1, 1);
    Frame();
    EXPECT_EQ(BAR_LINK.text_window_shown, 0);
    EXPECT_EQ(BAR_DATA.lock, 1);
    Frame();
    EXPECT_EQ(BAR_DATA.bottom_y, 480);
    BAR_WndToggle();
    EXPECT_EQ(BAR_DATA.lock, 0);
    Frame();
    EXPECT_EQ(BAR_DATA.bottom_y, 456);
    // While the choice window is shown the window cannot be hidden.
    BAR_DATA.choice_shown = 1;
    Mouse(210, 468, 1, 1);
    Frame();
    EXPECT_EQ(BAR_LINK.text_window_shown, 1);
}

TEST_F(SysBarTest, InAutoModeOnlyTheAutoBarOpens) {
    BAR_DATA.mode = 1;
    Mouse(300, 468, 0, 0);
    Frames(6);
    EXPECT_EQ(BAR_DATA.bottom_y, 480);
    EXPECT_EQ(BAR_DATA.auto_y, 480);  // x 300 is left of the auto bar
    Mouse(500, 468, 0, 0);
    Frames(6);
    EXPECT_EQ(BAR_DATA.bottom_y, 480);
    EXPECT_EQ(BAR_DATA.auto_y, 456);
    EXPECT_EQ(SP_Get(BAR_DATA.autob[3].sprite)->y, 456);
    // Its stop button ends auto mode.
    Click(400, 468);
    EXPECT_EQ(BAR_DATA.mode, 0);
}

TEST_F(SysBarTest, WhileSkippingTheKeysDoNotNavigateTheAutoBar) {
    BAR_DATA.mode = 1;
    BAR_DATA.skipping = 1;  // a skip control held in auto mode
    Keys(kDown, kDown, kDown);
    Frame();
    EXPECT_EQ(BAR_DATA.navigation, BAR_NAV_NONE);
    EXPECT_EQ(BAR_DATA.auto_y, 480);
    BAR_DATA.skipping = 0;
    Keys(kDown, kDown, kDown);
    Frame();
    EXPECT_EQ(BAR_DATA.navigation, BAR_NAV_KEYS);
    EXPECT_EQ(BAR_DATA.auto_item, 0);
}

TEST_F(SysBarTest, TheKnobJumpsUnderThePointerAndTheRightEndGivesNinetyNine) {
    BAR_DATA.mode = 1;
    SYS_DATA.auto_wait = 50;
    Mouse(470, 468, 0, 0);
    Frames(5);
    ASSERT_EQ(BAR_DATA.auto_y, 456);
    BAR_PARTS& knob = BAR_DATA.autob[2];
    EXPECT_EQ(knob.x, 392 + 64 + 60);
    // A click on the track left of the knob: its left edge 9 pixels left of the pointer.
    Mouse(470, 468, 1, 1);
    Frame();
    EXPECT_EQ(knob.x, 461);
    EXPECT_EQ(SYS_DATA.auto_wait, (461 - 452) * 100 / 120);
    EXPECT_EQ(BAR_DATA.drag, 9);
    // Dragged with the button held, then past the right end.
    Mouse(500, 468, 1, 0);
    Frame();
    EXPECT_EQ(knob.x, 491);
    Mouse(639, 468, 1, 0);
    Frame();
    EXPECT_EQ(knob.x, 571);
    EXPECT_EQ(SYS_DATA.auto_wait, 99);
    Mouse(639, 468, 0, 0);
    Frame();
    EXPECT_EQ(BAR_DATA.drag, -1);
    // Past the left end: 0.
    Mouse(knob.x + 5, 468, 1, 1);
    Frame();
    Mouse(100, 468, 1, 0);
    Frame();
    EXPECT_EQ(knob.x, 452);
    EXPECT_EQ(SYS_DATA.auto_wait, 0);
}

TEST_F(SysBarTest, TheKnobMovesFourPixelsAFrameWithTheKeysAndShowsItsArrows) {
    BAR_DATA.mode = 1;
    SYS_DATA.auto_bar_pin = 1;
    SYS_DATA.auto_wait = 0;
    Frames(5);
    Keys(kDown, kDown, kDown);  // keyboard navigation on the pin, then two items right: the knob
    Frame();
    Keys(0, 0, kRight);
    Frame();
    Keys(0, 0, kRight);
    Frame();
    ASSERT_EQ(BAR_DATA.auto_item, 2);
    Keys(kDecide, kDecide, 0);
    Frame();
    ASSERT_NE(BAR_DATA.drag, -1);
    const int32_t x = BAR_DATA.autob[2].x;
    Keys(0, kDecide | kRight, 0);
    BAR_Update();
    EXPECT_EQ(BAR_DATA.autob[2].x, x + 4);
    EXPECT_EQ(BAR_DATA.autob[5].y, 456);
    EXPECT_EQ(BAR_DATA.autob[5].x, x + 4 - 19);
    EXPECT_EQ(BAR_DATA.autob[6].x, x + 4 + 15);
    Keys(0, 0, 0);
    Frame();
    EXPECT_EQ(BAR_DATA.drag, -1);
    EXPECT_EQ(BAR_DATA.autob[5].y, 480);
}

TEST_F(SysBarTest, InBattleTheBarsSlideOutAndStayOut) {
    SYS_DATA.bar_pin = 1;
    Frames(5);
    ASSERT_EQ(BAR_DATA.bottom_y, 456);
    SYS_DATA.bar_instant = 1;  // the battle slides regardless
    BAR_BattleStep();
    EXPECT_EQ(BAR_DATA.bottom_y, 462);
    for (int i = 0; i < 5; ++i) BAR_BattleStep();
    EXPECT_EQ(BAR_DATA.bottom_y, 480);
    EXPECT_EQ(QSAVE_DATA.x, 640);
}

TEST_F(SysBarTest, CloseAllPutsEverythingAwayAtOnceAndLockKeepsItAway) {
    SYS_DATA.bar_pin = 1;
    SYS_DATA.quick_pin = 1;
    Frames(5);
    ASSERT_EQ(BAR_DATA.bottom_y, 456);
    ASSERT_EQ(QSAVE_DATA.x, 616);
    BAR_Lock();
    EXPECT_EQ(BAR_DATA.bottom_y, 480);
    EXPECT_EQ(QSAVE_DATA.x, 640);
    EXPECT_EQ(SP_Get(BAR_DATA.bottom[0].sprite)->y, 480);
    EXPECT_EQ(BAR_DATA.lock, 1);
    Frames(3);
    EXPECT_EQ(BAR_DATA.bottom_y, 480);
    EXPECT_EQ(QSAVE_DATA.x, 640);
}

TEST_F(SysBarTest, PartsScaleAroundTheirRectanglesCentre) {
    // (size, scale x, scale y in thousandths) -> object scale and position for a part at 200, 100;
    // half an odd size counts its half pixel before the position is cut to whole pixels.
    const struct {
        int32_t w, h, sx, sy, scale_x, scale_y, x, y;
    } cases[] = {{100, 50, 1000, 1000, 256, 256, 200, 100},
                 {100, 50, 2000, 500, 512, 128, 150, 112},
                 {100, 50, 1500, 1500, 384, 384, 175, 87},
                 {25, 15, 2000, 2000, 512, 512, 187, 92}};
    for (const auto& c : cases) {
        BAR_PARTS p;
        BAR_PartsInit(&p);
        BAR_PartsSetRect(&p, 0, 0, c.w, c.h);
        p.x = 200;
        p.y = 100;
        BAR_PartsDraw(&p, BAR_DATA.pmenu_image, 0);
        BAR_PartsScale(&p, c.sx, c.sy);
        const SP_STILL* s = SP_Still(p.sprite);
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(s->scale_x, c.scale_x);
        EXPECT_EQ(s->scale_y, c.scale_y);
        EXPECT_EQ(s->x, c.x) << c.sx;
        EXPECT_EQ(s->y, c.y) << c.sy;
        p.user[2] = 7;
        BAR_PartsFree(&p);
        EXPECT_EQ(p.sprite, -1);
        EXPECT_EQ(p.x, 0);
        EXPECT_EQ(p.user[2], 7);  // the owner's middle fields stay
    }
}

TEST_F(SysBarTest, StartUpAllocatesTheBacklogBeforeTheSettingsAreReadAndShutdownFreesIt) {
    EXPECT_EQ(LOG_Capacity(), 64);  // log_size 0
    BAR_Term();                     // writes the settings with log_size 0
    EXPECT_EQ(LOG_Capacity(), 0);
    // The backlog takes the size the settings had before the file is read again.
    SYS_DATA.log_size = 2;
    BAR_Init();
    EXPECT_EQ(LOG_Capacity(), 256);
    EXPECT_EQ(SYS_DATA.log_size, 0);
}
