// The system UI driven frame by frame as the scenario mode drives it, headless: the bar slides in,
// the quick panel saves and loads with thumbnails, the slot panel shows them, the bar's save
// button opens the save window, and the automatic saves rotate.
#include <gtest/gtest.h>

#include "platform/display.h"
#include "tests/shell/bar_fixture.h"
#include "tests/support/bar_scene.h"

using support::BAR_SCENE;
using namespace bartest;

namespace {
// A frame 33 ms after the last (the menu-window fades run on the clock).
void BarSceneFrame(int32_t x, int32_t y, uint32_t buttons = 0, uint16_t pressed = 0, uint16_t held = 0) {
    headless::AdvanceTime(33);
    support::BarSceneFrame(x, y, buttons, pressed, held);
}

// The presented frame's pixel as 0x00RRGGBB.
uint32_t Shown(int x, int y) { return plat::LastPresentedFrame().pixels[size_t(y) * 640 + size_t(x)]; }
uint32_t Rgb32(uint16_t v555) {
    uint32_t out;
    plat::Convert16To32(&v555, &out, 1, false);
    return out;
}
}  // namespace

class BarSceneTest : public BarDataTest {
protected:
    void SetUp() override {
        BarDataTest::SetUp();
        if (HasFatalFailure()) return;
        support::BarSceneStart(display.window);
    }
    void TearDown() override {
        support::BarSceneEnd();
        BarDataTest::TearDown();
    }
    void Frames(int n, int32_t x, int32_t y, uint32_t buttons = 0) {
        for (int i = 0; i < n; ++i) BarSceneFrame(x, y, buttons);
    }
};

TEST_F(BarSceneTest, TheBarTheQuickPanelAndTheSlotPanelWorkAsTheScenarioDrivesThem) {
    Frames(3, 320, 200);
    EXPECT_EQ(BAR_DATA.bottom_y, 480);
    // The bar slides in under the pointer: its pin button stands at 172, 456.
    Frames(5, 300, 470);
    EXPECT_EQ(BAR_DATA.bottom_y, 456);
    EXPECT_EQ(Shown(185, 470), Rgb32(support::BarItemColour(0, false)));
    EXPECT_EQ(Shown(310, 470), Rgb32(support::BarItemColour(4, true)));  // the pointed button, lit

    // The quick panel: the pointer on slot 1's row opens it; the slot panel says the slot is empty.
    Frames(6, 630, QSAVE_RowY(2) + 10);
    EXPECT_EQ(BAR_DATA.bottom_y, 480);
    EXPECT_EQ(QSAVE_DATA.x, 616);
    EXPECT_EQ(Shown(620, QSAVE_RowY(2) + 20), Rgb32(support::BarSlotColour(1, true)));
    EXPECT_EQ(THUMB_INFO.shown, 1);
    EXPECT_EQ(Shown(356 + 50, 56 + 28 + 40), Rgb32(support::kThumbDefault));
    const THUMB_IMAGE taken = THUMB_HELD;  // the screen as the panel began to open
    ASSERT_EQ(taken.size(), size_t(THUMB_FILE_SIZE));

    // A left click asks; Yes (left, then decide) saves slot 1 with that thumbnail.
    BarSceneFrame(630, QSAVE_RowY(2) + 10, 1);
    EXPECT_EQ(MSGBOX_IsOpen(MSGBOX_KIND_QUICK), MSGBOX_QUICK_SAVE);
    BarSceneFrame(630, QSAVE_RowY(2) + 10, 0, kLeft, kLeft);
    BarSceneFrame(630, QSAVE_RowY(2) + 10, 0, kDecide, kDecide);
    BarSceneFrame(630, QSAVE_RowY(2) + 10);
    EXPECT_EQ(SAVE_SlotExists(1), 1);
    EXPECT_EQ(support::ReadBytes(dir.File("save/ov01.dat")), taken);
    EXPECT_EQ(QSAVE_DATA.newest, 1);

    // Pointing at the row again shows the slot's own thumbnail in the slot panel: the backdrop's
    // colour bands, not the default picture.
    Frames(3, 630, QSAVE_RowY(4) + 10);
    Frames(3, 630, QSAVE_RowY(2) + 10);
    EXPECT_EQ(THUMB_INFO.shown, 1);
    EXPECT_NE(Shown(356 + 50, 56 + 28 + 40), Rgb32(support::kThumbDefault));
    THUMB_BMP_VIEW v;
    THUMB_ParseBmp(&v, const_cast<uint8_t*>(taken.data()), taken.size());
    const uint32_t band = THUMB_GetPixel(&v, 50, 10);  // 0x00BBGGRR, the first band
    EXPECT_NEAR(int(Shown(356 + 50, 56 + 28 + 10) >> 16), int(band & 0xFF), 8);

    // A right click loads it, after the question.
    SYS_DATA.no_confirm[MSGBOX_QUICK_LOAD - 1] = 1;
    BarSceneFrame(630, QSAVE_RowY(2) + 10, 2);
    BarSceneFrame(630, QSAVE_RowY(2) + 10, 0);
    EXPECT_EQ(BAR_LINK.load_slot, 1);
    EXPECT_EQ(QSAVE_DATA.x, 640);
}

TEST_F(BarSceneTest, TheSaveButtonOpensTheSaveWindowWithTheBarLockedAndAutomaticSavesRotate) {
    Frames(5, 380, 470);
    ASSERT_EQ(BAR_DATA.bottom_item, 6);
    BarSceneFrame(380, 470, 1);
    EXPECT_EQ(BAR_SCENE.windows, 1);
    EXPECT_EQ(BAR_DATA.lock, 1);
    EXPECT_EQ(BAR_DATA.bottom_y, 480);
    Frames(60, 380, 470);
    EXPECT_EQ(MWND_IsBusy(), 0);
    EXPECT_EQ(BAR_DATA.lock, 0);
    EXPECT_EQ(SAVE_SlotExists(1), 1);  // the save window wrote its slot
    EXPECT_EQ(std::filesystem::file_size(dir.File("save/ov01.dat")), uintmax_t(THUMB_FILE_SIZE));
    Frames(5, 380, 470);
    EXPECT_EQ(BAR_DATA.bottom_y, 456);  // the bar comes back

    // Three automatic saves at points of the script: each rotates the older ones.
    for (int i = 0; i < 3; ++i) {
        SAVE_SetInfo(std::to_string(i).c_str(), "");
        QSAVE_DATA.auto_request = 2;
        Frames(2, 320, 200);
    }
    for (int i = 0; i < 3; ++i) {
        SAVE_INFO info;
        ASSERT_EQ(SAVE_ReadInfo(98 + i, &info), 1);
        EXPECT_STREQ(info.chapter, std::to_string(2 - i).c_str());
        EXPECT_EQ(std::filesystem::file_size(dir.File("save/ova0" + std::to_string(i) + ".dat")), uintmax_t(THUMB_FILE_SIZE));
    }
    EXPECT_EQ(SAVE_SlotExists(101), 0);
    EXPECT_GT(BAR_NOTICE.counter, 0);  // "saved" shows

    // Auto mode from the bar turns the pages by itself.
    Frames(5, 310, 470);
    BarSceneFrame(310, 470, 1);
    EXPECT_EQ(BAR_DATA.mode, 1);
    SYS_DATA.auto_wait = 5;
    const int32_t pages = BAR_SCENE.pages;
    Frames(20, 320, 200);
    EXPECT_GE(BAR_SCENE.pages, pages + 3);
}

TEST_F(BarSceneTest, ARightClickHidesTheTextWindowAndAnotherShowsItAgain) {
    Frames(2, 320, 200);
    BarSceneFrame(320, 200, 2);
    EXPECT_EQ(BAR_LINK.text_window_shown, 0);
    EXPECT_EQ(BAR_DATA.lock, 1);
    Frames(3, 300, 470);
    EXPECT_EQ(BAR_DATA.bottom_y, 480);  // no bar while the window is hidden
    const int32_t pages = BAR_SCENE.pages;
    BarSceneFrame(320, 200, 1);  // a left click turns no hidden page
    EXPECT_EQ(BAR_SCENE.pages, pages);
    BarSceneFrame(320, 200, 2);
    EXPECT_EQ(BAR_LINK.text_window_shown, 1);
    EXPECT_EQ(BAR_DATA.lock, 0);
}
