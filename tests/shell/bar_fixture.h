// Shared set-up of the system bar tests: a headless display with the sprite layer, the bar's
// pictures and two pattern fonts in a temporary data directory, the settings' defaults, the
// system UI started, and frames driven the way the scenario mode drives the bar.
#pragma once
#include <cstring>
#include <filesystem>

#include "services/fil_util.h"
#include "services/key_button.h"
#include "shell/bar_link.h"
#include "shell/bar_notice.h"
#include "shell/bar_skip.h"
#include "services/mou_cursor.h"
#include "shell/msgbox.h"
#include "shell/mwnd_balloon.h"
#include "shell/mwnd_stack.h"
#include "shell/qsave.h"
#include "shell/sys_bar.h"
#include "shell/sysdat.h"
#include "shell/thumb_bmp.h"
#include "shell/thumb_info.h"
#include "sprite/fnt_font.h"
#include "sprite/txt_print.h"
#include "tests/sprite/sprite_fixture.h"
#include "tests/support/bar_pictures.h"
#include "tests/support/fnt_writer.h"
#include "tests/support/save_writer.h"
#include "title/title.h"

namespace bartest {

constexpr uint16_t kUp = 1, kDown = 2, kLeft = 4, kRight = 8, kDecide = 0x10, kCancel = 0x20, kB = 0x20, kC = 0x40, kX = 0x80;

// The data directory, fonts, cleared settings and the scenario's links, before the system UI starts.
class BarDataTest : public spritetest::SpriteTest {
protected:
    void SetUp() override {
        SpriteTest::SetUp();
        FIL_InitBaseDir();
        ASSERT_TRUE(support::WriteBarPictures(dir.path()));
        std::filesystem::create_directories(dir.File("save"));
        FNT_Init();
        static const std::vector<uint8_t> f10 = support::FntBytes(support::PatternFont(10, 10));
        static const std::vector<uint8_t> f14 = support::FntBytes(support::PatternFont(14, 14));
        ASSERT_EQ(FNT_LoadBytes(0, f10.data(), f10.size()), 1);
        ASSERT_EQ(FNT_LoadBytes(1, f14.data(), f14.size()), 1);
        std::memset(&SYS_DATA, 0, sizeof SYS_DATA);
        TITLE_PlayKind = 0;
        BAR_LINK = BAR_LINK_DATA{1, 0, 1, -1, 0};
    }
    void TearDown() override {
        FNT_Reset();
        SpriteTest::TearDown();
    }
};

class BarTest : public BarDataTest {
protected:
    void SetUp() override {
        BarDataTest::SetUp();
        if (HasFatalFailure()) return;
        SYSDAT_Default();
        BAR_SKIP = BAR_SKIP_DATA{};
        BAR_SetTextNo(-1);
        BAR_SetWasRead(0);
        Keys(0, 0, 0);
        Mouse(320, 200, 0, 0);
        MWND_Init();
        BAR_Init();
    }
    void TearDown() override {
        BAR_Term();
        MWND_Term();
        BarDataTest::TearDown();
    }

    static void Keys(uint16_t pressed, uint16_t held, uint16_t repeat) {
        KEY_DATA.pressed = pressed;
        KEY_DATA.held = held;
        KEY_DATA.repeat = repeat;
    }
    static void Mouse(int32_t x, int32_t y, uint32_t buttons, uint32_t edge) { MOUSE_FRAME = MouseFrame{x, y, buttons, edge}; }

    // One scenario frame: the bar's step with this input, then the drawing and the notices; the
    // keys and clicks are let go afterwards.
    void Frame() {
        BAR_Update();
        Draw();
        Keys(0, 0, 0);
        MOUSE_FRAME.edge = 0;
    }
    void Frames(int n) {
        for (int i = 0; i < n; ++i) Frame();
    }
    void Draw() {
        BLT_FillRect(DD_DISPLAY.back, nullptr, 0);
        SP_Draw(-1);
        DD_Present();
        BAR_NoticeStep();
    }
    // Pointer to (x, y) and a left click there, in one frame.
    void Click(int32_t x, int32_t y, uint32_t button = 1) {
        Mouse(x, y, button, button);
        Frame();
        Mouse(x, y, 0, 0);
    }
};

}  // namespace bartest
