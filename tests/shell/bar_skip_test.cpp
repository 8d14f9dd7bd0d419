// Auto and skip modes with the assignable controls, and the notices with their priorities,
// colours and slides.
#include <gtest/gtest.h>

#include "platform/headless/headless.h"
#include "tests/shell/bar_fixture.h"

using namespace bartest;

namespace {
constexpr uint8_t kCtrlKey = 0x1D, kShiftKey = 0x2A;

// The text window's reaction to this frame's input, as it asks the bar.
void TextWindowFrame() {
    BAR_SkipCheck();
    BAR_SkipKeyCheck();
}
}  // namespace

class SkipTest : public BarTest {
protected:
    void TearDown() override {
        headless::SetKey(kCtrlKey, false);
        headless::SetKey(kShiftKey, false);
        BarTest::TearDown();
    }
};

TEST_F(SkipTest, WithTheDefaultsCtrlShiftTheMiddleButtonAndXHeldSkip) {
    ASSERT_EQ(SYS_DATA.ctrl_assign[4], BAR_ASSIGN_SKIP);
    BAR_SetWasRead(1);  // read-only skip: the last text marked had been read
    EXPECT_EQ(BAR_SkipCheck(), 0);
    EXPECT_EQ(MOUSE_IsCursorShown(), 1);
    headless::SetKey(kCtrlKey, true);
    EXPECT_EQ(BAR_SkipCheck(), 1);
    EXPECT_EQ(BAR_DATA.skipping, 1);
    EXPECT_EQ(MOUSE_IsCursorShown(), 0);  // the cursor hides while skipping
    headless::SetKey(kCtrlKey, false);
    headless::SetKey(kShiftKey, true);
    EXPECT_EQ(BAR_SkipCheck(), 1);
    headless::SetKey(kShiftKey, false);
    Mouse(10, 10, 4, 0);
    EXPECT_EQ(BAR_SkipCheck(), 1);
    Mouse(10, 10, 2, 0);  // the right button hides the window by default: held, it does not skip
    EXPECT_EQ(BAR_SkipCheck(), 0);
    Mouse(10, 10, 0, 0);
    Keys(0, kX, 0);
    EXPECT_EQ(BAR_SkipCheck(), 1);
    Keys(0, kB, kB);  // B repeats but is assigned to hiding
    EXPECT_EQ(BAR_SkipCheck(), 0);
    SYS_DATA.ctrl_assign[BAR_CTRL_B] = BAR_ASSIGN_SKIP;
    EXPECT_EQ(BAR_SkipCheck(), 1);
}

TEST_F(SkipTest, SkippingWaitsForBoxesChoicesAndAPendingAutomaticSave) {
    BAR_DATA.mode = 2;
    EXPECT_EQ(BAR_SkipCheck(), 0);  // read-only skip before any text was marked read
    EXPECT_EQ(BAR_DATA.skipping, 1);
    BAR_SetWasRead(1);
    EXPECT_EQ(BAR_SkipCheck(), 1);
    BAR_DATA.choice_shown = 1;
    EXPECT_EQ(BAR_SkipCheck(), 0);
    BAR_DATA.choice_shown = 0;
    QSAVE_DATA.skip_block = 1;
    EXPECT_EQ(BAR_SkipCheck(), 0);
    QSAVE_DATA.skip_block = 0;
    MSGBOX_Open(MSGBOX_KIND_FILE, MSGBOX_SAVE);
    EXPECT_EQ(BAR_SkipCheck(), 0);
    MSGBOX_Term();
    EXPECT_EQ(BAR_SkipCheck(), 1);
    BAR_LINK.have_keys = 0;  // before the scenario hands over the keys
    EXPECT_EQ(BAR_SkipCheck(), 0);
}

TEST_F(SkipTest, ARightClickBAndCHideTheWindowByDefault) {
    for (int k = 0; k < 3; ++k) {
        if (k == 0) Mouse(10, 10, 2, 2);
        if (k == 1) Keys(kB, kB, kB);
        if (k == 2) Keys(kC, kC, kC);
        TextWindowFrame();
        EXPECT_EQ(BAR_LINK.text_window_shown, 0) << k;
        EXPECT_EQ(BAR_DATA.lock, 1);
        BAR_WndToggle();
        Keys(0, 0, 0);
        Mouse(10, 10, 0, 0);
    }
    // Ctrl assigned to hiding toggles once per press.
    SYS_DATA.ctrl_assign[BAR_CTRL_CTRL] = BAR_ASSIGN_HIDE;
    headless::SetKey(kCtrlKey, true);
    TextWindowFrame();
    EXPECT_EQ(BAR_LINK.text_window_shown, 0);
    TextWindowFrame();
    TextWindowFrame();
    EXPECT_EQ(BAR_LINK.text_window_shown, 0);
    headless::SetKey(kCtrlKey, false);
    TextWindowFrame();
    headless::SetKey(kCtrlKey, true);
    TextWindowFrame();
    EXPECT_EQ(BAR_LINK.text_window_shown, 1);
}

TEST_F(SkipTest, AnAutoAssignmentStartsAutoModeAndBOrARightClickEndsIt) {
    SYS_DATA.ctrl_assign[BAR_CTRL_MIDDLE] = BAR_ASSIGN_AUTO;
    Mouse(10, 10, 4, 4);
    TextWindowFrame();
    EXPECT_EQ(BAR_DATA.mode, 1);
    EXPECT_EQ(MOUSE_FRAME.edge, 0u);  // the click is used up
    Mouse(10, 10, 0, 0);
    Keys(kB, kB, kB);
    EXPECT_EQ(BAR_SkipCheck(), 0);
    EXPECT_EQ(BAR_DATA.mode, 0);
    EXPECT_EQ(BAR_SKIP.stopped, 1);
    BAR_SkipKeyCheck();  // the same B does not also hide the window
    EXPECT_EQ(BAR_LINK.text_window_shown, 1);
}

TEST_F(SkipTest, ReadOnlySkipEndsSkipModeAtUnreadText) {
    BAR_DATA.mode = 2;
    BAR_SetTextNo(7);
    EXPECT_EQ(BAR_SkipCheck(), 0);
    EXPECT_EQ(BAR_DATA.mode, 0);
    // Read text skips; with skip_read_only 0 unread text skips too.
    BAR_DATA.mode = 2;
    SYSDAT_BitOp(SYS_DATA.read_flags, SYSDAT_READ_FLAG_COUNT, 7, 1);
    EXPECT_EQ(BAR_SkipCheck(), 1);
    SYSDAT_BitOp(SYS_DATA.read_flags, SYSDAT_READ_FLAG_COUNT, 7, 0);
    SYS_DATA.skip_read_only = 0;
    EXPECT_EQ(BAR_SkipCheck(), 1);
    EXPECT_EQ(BAR_DATA.mode, 2);
    // A control held over unread text keeps the bars away but does not skip.
    SYS_DATA.skip_read_only = 1;
    BAR_DATA.mode = 0;
    headless::SetKey(kCtrlKey, true);
    EXPECT_EQ(BAR_SkipCheck(), 0);
    EXPECT_EQ(BAR_DATA.skipping, 1);
    // Outside story play every text skips.
    TITLE_PlayKind = 1;
    EXPECT_EQ(BAR_SkipCheck(), 1);
}

TEST_F(SkipTest, SkippingStartsHideTheFaceOnce) {
    BAR_LINK.face_shown = 1;
    BAR_SetWasRead(1);
    BAR_DATA.mode = 2;
    EXPECT_EQ(BAR_SkipCheck(), 1);
    EXPECT_EQ(BAR_LINK.face_shown, 0);
    BAR_LINK.face_shown = 1;
    EXPECT_EQ(BAR_SkipCheck(), 1);
    EXPECT_EQ(BAR_LINK.face_shown, 1);  // only when skipping begins
    int32_t wait = 30;
    BAR_SkipSet(&wait, 0);
    EXPECT_EQ(wait, 0);
    BAR_DATA.mode = 0;
    wait = 30;
    BAR_SkipSet(&wait, 0);
    EXPECT_EQ(wait, 30);
}

TEST_F(SkipTest, TheAutoWaitTurnsThePageAfterMoreThanItsFrames) {
    EXPECT_EQ(BAR_AutoWaitCheck(), 0);  // not in auto mode
    BAR_DATA.mode = 1;
    for (int wait : {0, 50, 99}) {
        SYS_DATA.auto_wait = uint8_t(wait);
        BAR_AutoWaitReset();
        int turned = 0;
        for (int check = 1; check <= 120 && !turned; ++check)
            if (BAR_AutoWaitCheck()) turned = check;
        EXPECT_EQ(turned, wait + 1) << wait;
    }
}

class NoticeTest : public BarTest {};

TEST_F(NoticeTest, ANoticeReplacesOneOfTheSameOrLowerPriorityOnly) {
    BAR_Notice("first", 0, 1);
    EXPECT_EQ(BAR_NOTICE.priority, 1);
    for (int i = 0; i < 5; ++i) BAR_NoticeStep();
    const std::vector<uint16_t> first = support::ReadSurface(IMG_Surface(BAR_NOTICE.image));
    BAR_Notice("second", 0, 0);
    EXPECT_EQ(BAR_NOTICE.counter, 35);
    EXPECT_EQ(support::ReadSurface(IMG_Surface(BAR_NOTICE.image)), first);
    BAR_Notice("third", 0, 1);
    EXPECT_EQ(BAR_NOTICE.counter, 40);
    EXPECT_NE(support::ReadSurface(IMG_Surface(BAR_NOTICE.image)), first);
    for (int i = 0; i < 40; ++i) BAR_NoticeStep();
    EXPECT_EQ(BAR_NOTICE.priority, -1);
    BAR_Notice("fourth", 0, 0);
    EXPECT_EQ(BAR_NOTICE.counter, 40);
    // Switched off, none shows.
    SYS_DATA.notice_off = 1;
    BAR_NoticeClear();
    BAR_Notice("fifth", 1, 5);
    EXPECT_EQ(BAR_NOTICE.counter, 0);
}

TEST_F(NoticeTest, TheBottomNoticeRisesStaysAndSinks) {
    BAR_Notice("slide", 1, 0);
    std::vector<int32_t> ys;
    for (int i = 0; i < 41; ++i) {
        BAR_NoticeStep();
        ys.push_back(SP_Get(BAR_NOTICE.strip.sprite)->y);
    }
    const std::vector<int32_t> rise = {477, 474, 471, 468, 465, 462, 459};
    EXPECT_EQ(std::vector<int32_t>(ys.begin(), ys.begin() + 7), rise);
    for (int i = 7; i < 32; ++i) EXPECT_EQ(ys[size_t(i)], 456) << i;
    const std::vector<int32_t> sink = {459, 462, 465, 468, 471, 474, 477, 480, 480};
    EXPECT_EQ(std::vector<int32_t>(ys.begin() + 32, ys.end()), sink);
    EXPECT_EQ(SP_Get(BAR_NOTICE.strip.sprite)->x, 16);
    // Green for colour 1, red for any other: the text's top rows differ.
    BAR_Notice("colour", 1, 0);
    const std::vector<uint16_t> green = support::ReadSurface(IMG_Surface(BAR_NOTICE.image));
    BAR_Notice("colour", 2, 0);
    EXPECT_NE(support::ReadSurface(IMG_Surface(BAR_NOTICE.image)), green);
}

TEST_F(NoticeTest, AFortyByteTitleSettlesWithTheMarkAt340AndTheStripAt356) {
    EXPECT_EQ(SYS_DATA.music_title_off, 1);  // off by default
    BAR_MusicNotice(std::string(40, 'm').c_str());
    EXPECT_EQ(BAR_NOTICE.music_counter, 0);
    SYS_DATA.music_title_off = 0;
    BAR_MusicNotice(std::string(40, 'm').c_str());
    BAR_NoticeStep();
    EXPECT_EQ(SP_Get(BAR_NOTICE.mark.sprite)->x, 340 + 7 * 8);
    EXPECT_EQ(SP_Blended(BAR_NOTICE.music.sprite)->blend, 1);
    for (int i = 0; i < 6; ++i) BAR_NoticeStep();
    EXPECT_EQ(SP_Get(BAR_NOTICE.mark.sprite)->x, 340 + 8);
    EXPECT_EQ(SP_Blended(BAR_NOTICE.music.sprite)->blend, 25);
    BAR_NoticeStep();
    EXPECT_EQ(SP_Get(BAR_NOTICE.mark.sprite)->x, 340);
    EXPECT_EQ(SP_Get(BAR_NOTICE.music.sprite)->x, 356);
    EXPECT_EQ(SP_Blended(BAR_NOTICE.mark.sprite)->blend, 30);
    for (int i = 0; i < 25; ++i) BAR_NoticeStep();
    EXPECT_EQ(SP_Get(BAR_NOTICE.mark.sprite)->x, 340);  // it fades out where it stands
    EXPECT_EQ(SP_Blended(BAR_NOTICE.mark.sprite)->blend, 28);
    // Cut short: both strips leave at once.
    BAR_Notice("cut", 0, 0);
    BAR_NoticeClear();
    EXPECT_EQ(SP_Get(BAR_NOTICE.strip.sprite)->y, 480);
    EXPECT_EQ(SP_Blended(BAR_NOTICE.music.sprite)->blend, 0);
    EXPECT_EQ(BAR_NOTICE.priority, -1);
}
