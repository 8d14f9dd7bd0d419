// The in-game message box: do-not-ask answers, pointing, keys, release waits and ownership.
#include <gtest/gtest.h>

#include <filesystem>

#include "services/fil_util.h"
#include "services/key_button.h"
#include "shell/msgbox.h"
#include "shell/sysdat.h"
#include "sprite/sp_object.h"
#include "tests/sprite/sprite_fixture.h"

namespace {

constexpr uint16_t kUp = 1, kDown = 2, kLeft = 4, kRight = 8, kDecide = 0x10, kCancel = 0x20;

class MsgBoxTest : public spritetest::SpriteTest {
protected:
    void SetUp() override {
        SpriteTest::SetUp();
        FIL_InitBaseDir();
        std::filesystem::create_directories(dir.File("bmp/quon"));
        Solid("bmp/quon/msgbox", 234, 280, spritetest::Rgb(4, 8, 12));
        std::memset(&SYS_DATA, 0, sizeof SYS_DATA);
        MSGBOX_Reset();
        Input(0, 0, 0, 0);
        Pointer(0, 0, 0, 0);
    }
    void TearDown() override {
        MSGBOX_Term();
        SpriteTest::TearDown();
    }
    void Input(uint16_t pressed, uint16_t held, uint16_t repeat = 0, uint16_t released = 0) {
        KEY_DATA.pressed = pressed;
        KEY_DATA.held = held;
        KEY_DATA.repeat = repeat;
        KEY_DATA.released = released;
    }
    void Pointer(int32_t x, int32_t y, uint32_t buttons, uint32_t edge) {
        MOUSE_FRAME = MouseFrame{x, y, buttons, edge};
    }
    // One frame with these keys pressed (then released), the pointer where it is.
    int Press(int kind, uint16_t keys) {
        Input(keys, keys);
        int r = MSGBOX_Check(kind);
        Input(0, 0);
        return r;
    }
    bool Shown(int part) {
        const SP_OBJ* o = SP_Get(MSGBOX_PART_TABLE[part].sprite);
        return o && o->visible;
    }
    int Objects() {
        int n = 0;
        for (SP_OBJ* o : SP_TABLE) n += o != nullptr;
        return n;
    }
};

TEST_F(MsgBoxTest, ADoNotAskQuestionIsAnsweredAtOnceWithoutABox) {
    SYS_DATA.no_confirm[2] = 1;
    MSGBOX_Open(MSGBOX_KIND_QUICK, MSGBOX_QUICK_SAVE);
    EXPECT_EQ(Objects(), 0);
    EXPECT_EQ(MSGBOX_IsOpen(MSGBOX_KIND_QUICK), MSGBOX_QUICK_SAVE);
    EXPECT_EQ(MSGBOX_Check(MSGBOX_KIND_QUICK), MSGBOX_QUICK_SAVE);
    EXPECT_EQ(MSGBOX_Check(MSGBOX_KIND_QUICK), 0);
    EXPECT_EQ(MSGBOX_IsOpen(MSGBOX_KIND_QUICK), 0);
}

TEST_F(MsgBoxTest, ARightClickAnswersNoOnlyAfterTheButtonIsReleased) {
    MSGBOX_Open(MSGBOX_KIND_QUIT, MSGBOX_QUIT);
    EXPECT_EQ(Objects(), 6);
    EXPECT_EQ(MSGBOX_Check(MSGBOX_KIND_QUIT), -2);
    Pointer(100, 100, 2, 2);
    EXPECT_EQ(MSGBOX_Check(MSGBOX_KIND_QUIT), -2);
    EXPECT_EQ(Objects(), 0);  // the pictures go at once
    Pointer(100, 100, 2, 0);
    EXPECT_EQ(MSGBOX_Check(MSGBOX_KIND_QUIT), -2);
    EXPECT_EQ(MSGBOX_IsOpen(MSGBOX_KIND_QUIT), MSGBOX_QUIT);
    Pointer(100, 100, 0, 0);
    EXPECT_EQ(MSGBOX_Check(MSGBOX_KIND_QUIT), -1);
    EXPECT_EQ(MSGBOX_Check(MSGBOX_KIND_QUIT), 0);
}

TEST_F(MsgBoxTest, OnlyTheOwnerSeesTheBox) {
    MSGBOX_Open(MSGBOX_KIND_QUIT, MSGBOX_QUIT);
    MSGBOX_Open(MSGBOX_KIND_CONFIG, MSGBOX_TO_TITLE);  // ignored: the first owner keeps it
    EXPECT_EQ(MSGBOX_IsOpen(MSGBOX_KIND_CONFIG), 0);
    EXPECT_EQ(MSGBOX_Check(MSGBOX_KIND_CONFIG), 0);
    EXPECT_EQ(MSGBOX_IsOpen(MSGBOX_KIND_QUIT), MSGBOX_QUIT);
    EXPECT_EQ(MSGBOX_Check(MSGBOX_KIND_QUIT), -2);
    EXPECT_EQ(Objects(), 6);
}

TEST_F(MsgBoxTest, ClickingYesAnswersAtOnce) {
    MSGBOX_Open(MSGBOX_KIND_FILE, MSGBOX_SAVE);
    Pointer(238, 236, 0, 0);  // top-left corner of Yes
    EXPECT_EQ(MSGBOX_Check(MSGBOX_KIND_FILE), -2);
    EXPECT_TRUE(Shown(MSGBOX_YES));
    EXPECT_FALSE(Shown(MSGBOX_NO));
    Pointer(238, 236, 1, 1);  // no wait for the release
    EXPECT_EQ(MSGBOX_Check(MSGBOX_KIND_FILE), MSGBOX_SAVE);
    EXPECT_EQ(Objects(), 0);
    EXPECT_EQ(MSGBOX_Check(MSGBOX_KIND_FILE), 0);
}

TEST_F(MsgBoxTest, PointingHitsEachPartInsideItsRectangle) {
    MSGBOX_Open(MSGBOX_KIND_QUIT, MSGBOX_QUIT);
    struct Case {
        int32_t x, y;
        bool yes, no, option;
    };
    const Case cases[] = {
        {237, 236, 0, 0, 0}, {238, 236, 1, 0, 0}, {315, 253, 1, 0, 0}, {316, 236, 0, 0, 0}, {238, 254, 0, 0, 0},
        {321, 236, 0, 1, 0}, {398, 253, 0, 1, 0}, {399, 240, 0, 0, 0}, {226, 259, 0, 0, 1}, {410, 276, 0, 0, 1},
        {411, 270, 0, 0, 0}, {300, 277, 0, 0, 0},
    };
    for (const Case& c : cases) {
        Pointer(c.x, c.y, 0, 0);
        MSGBOX_Check(MSGBOX_KIND_QUIT);
        EXPECT_EQ(Shown(MSGBOX_YES), c.yes) << c.x << "," << c.y;
        EXPECT_EQ(Shown(MSGBOX_NO), c.no) << c.x << "," << c.y;
        EXPECT_EQ(Shown(MSGBOX_OPTION), c.option) << c.x << "," << c.y;
    }
}

TEST_F(MsgBoxTest, KeysMoveTheFocusAlongItsTable) {
    struct Case {
        std::vector<uint16_t> keys;
        int focus;
    };
    const Case cases[] = {
        {{kRight}, 2}, {{kLeft}, 1}, {{kUp}, 3}, {{kDown}, 1}, {{kRight, kRight}, 1}, {{kLeft, kLeft}, 2},
        {{kDown, kDown}, 3}, {{kDown, kDown, kRight}, 3}, {{kDown, kDown, kLeft}, 3}, {{kUp, kUp}, 1},
        {{kUp, kDown}, 1}, {{kRight, kUp}, 3},
    };
    for (const Case& c : cases) {
        MSGBOX_Reset();
        MSGBOX_Open(MSGBOX_KIND_QUIT, MSGBOX_QUIT);
        for (uint16_t k : c.keys) EXPECT_EQ(Press(MSGBOX_KIND_QUIT, k), -2);
        EXPECT_EQ(MSGBOX_GetFocus(), c.focus) << c.keys.size() << " keys, first " << c.keys[0];
        MSGBOX_Check(MSGBOX_KIND_QUIT);  // the highlights follow at the next check
        for (int p : {MSGBOX_YES, MSGBOX_NO, MSGBOX_OPTION}) EXPECT_EQ(Shown(p), p == c.focus);
        MSGBOX_Term();
    }
}

TEST_F(MsgBoxTest, MovingThePointerDropsTheKeyboardFocus) {
    MSGBOX_Open(MSGBOX_KIND_QUIT, MSGBOX_QUIT);
    Pointer(321, 240, 0, 0);  // over No
    Press(MSGBOX_KIND_QUIT, kLeft);
    EXPECT_EQ(MSGBOX_GetFocus(), 1);
    MSGBOX_Check(MSGBOX_KIND_QUIT);
    EXPECT_TRUE(Shown(MSGBOX_YES));
    EXPECT_FALSE(Shown(MSGBOX_NO));  // the focus wins while the pointer stands still
    Pointer(322, 240, 0, 0);
    MSGBOX_Check(MSGBOX_KIND_QUIT);
    EXPECT_EQ(MSGBOX_GetFocus(), 0);
    EXPECT_TRUE(Shown(MSGBOX_NO));
}

TEST_F(MsgBoxTest, DecideOnNoWaitsForTheKeyToBeReleased) {
    MSGBOX_Open(MSGBOX_KIND_CONFIG, MSGBOX_TO_TITLE);
    Press(MSGBOX_KIND_CONFIG, kRight);
    Input(kDecide, kDecide);
    EXPECT_EQ(MSGBOX_Check(MSGBOX_KIND_CONFIG), -2);
    Input(0, kDecide);
    EXPECT_EQ(MSGBOX_Check(MSGBOX_KIND_CONFIG), -2);
    Input(0, 0);
    EXPECT_EQ(MSGBOX_Check(MSGBOX_KIND_CONFIG), -1);
}

TEST_F(MsgBoxTest, TheCancelButtonAnswersNo) {
    MSGBOX_Open(MSGBOX_KIND_QUIT, MSGBOX_QUIT);
    Input(kCancel, kCancel);
    EXPECT_EQ(MSGBOX_Check(MSGBOX_KIND_QUIT), -2);
    Input(0, 0);
    EXPECT_EQ(MSGBOX_Check(MSGBOX_KIND_QUIT), -1);
}

TEST_F(MsgBoxTest, ATickKeptThroughANoAnswersTheNextQuestionAtOnce) {
    MSGBOX_Open(MSGBOX_KIND_QUICK, MSGBOX_QUICK_LOAD);
    Pointer(300, 265, 1, 1);  // the option line
    EXPECT_EQ(MSGBOX_Check(MSGBOX_KIND_QUICK), -2);
    EXPECT_EQ(SYS_DATA.no_confirm[3], 1);
    EXPECT_TRUE(Shown(MSGBOX_CHECK));
    Pointer(330, 240, 1, 1);  // No
    EXPECT_EQ(MSGBOX_Check(MSGBOX_KIND_QUICK), -2);
    Pointer(330, 240, 0, 0);
    EXPECT_EQ(MSGBOX_Check(MSGBOX_KIND_QUICK), -1);
    MSGBOX_Open(MSGBOX_KIND_QUICK, MSGBOX_QUICK_LOAD);
    EXPECT_EQ(Objects(), 0);
    EXPECT_EQ(MSGBOX_Check(MSGBOX_KIND_QUICK), MSGBOX_QUICK_LOAD);
    // Ticking twice in one box clears it again.
    MSGBOX_Open(MSGBOX_KIND_QUICK, MSGBOX_QUICK_SAVE);
    Pointer(0, 0, 0, 0);
    Press(MSGBOX_KIND_QUICK, kUp);
    Press(MSGBOX_KIND_QUICK, kDecide);
    Press(MSGBOX_KIND_QUICK, kDecide);
    EXPECT_EQ(SYS_DATA.no_confirm[2], 0);
    EXPECT_FALSE(Shown(MSGBOX_CHECK));
}

TEST_F(MsgBoxTest, ABoxWithoutItsPictureStillAnswersClicks) {
    std::filesystem::remove(dir.File("bmp/quon/msgbox.grp"));
    MSGBOX_Open(MSGBOX_KIND_QUIT, MSGBOX_QUIT);
    EXPECT_EQ(Objects(), 0);
    Pointer(250, 240, 1, 1);
    EXPECT_EQ(MSGBOX_Check(MSGBOX_KIND_QUIT), MSGBOX_QUIT);
}

TEST_F(MsgBoxTest, TheQuestionStripIsTheTypesRow) {
    for (int type = 1; type <= 6; ++type) {
        MSGBOX_Open(MSGBOX_KIND_QUIT, type);
        const BAR_PARTS& text = MSGBOX_PART_TABLE[MSGBOX_TEXT];
        EXPECT_EQ(text.top, 148 + 22 * (type - 1));
        EXPECT_EQ(text.bottom - text.top, 22);
        EXPECT_EQ(text.x, 218);
        EXPECT_EQ(text.y, 208);
        MSGBOX_Term();
    }
}

}  // namespace
