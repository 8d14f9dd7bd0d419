// The system UI in a real SDL window on an X display, driven on the real clock as the scenario
// drives it: the bar slides in, the quick panel saves a slot with its thumbnail, the slot panel
// shows it, and the window shows exactly the back buffer throughout.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "display/dd_display.h"
#include "platform/platform.h"
#include "platform/sdl/sdl_backend.h"
#include "platform/window.h"
#include "scenario/save_slot.h"
#include "services/fil_util.h"
#include "shell/msgbox.h"
#include "shell/qsave.h"
#include "shell/sys_bar.h"
#include "shell/sysdat.h"
#include "shell/thumb_bmp.h"
#include "shell/thumb_info.h"
#include "sprite/fnt_font.h"
#include "sprite/img_table.h"
#include "sprite/sp_object.h"
#include "tests/screen/x11_capture.h"
#include "tests/support/bar_pictures.h"
#include "tests/support/bar_scene.h"
#include "tests/support/fixture.h"
#include "tests/support/fnt_writer.h"

namespace {
intptr_t Proc(plat::Window* w, uint32_t m, uintptr_t wp, intptr_t lp) { return plat::DefWindowProc(w, m, wp, lp); }

// One scenario frame at about 30 a second, the window's messages pumped first.
void Frame(int32_t x, int32_t y, uint32_t buttons = 0, uint16_t pressed = 0) {
    plat::Msg msg;
    while (plat::PeekMessage(&msg)) plat::DispatchMessage(msg);
    support::BarSceneFrame(x, y, buttons, pressed, pressed);
    SDL_Delay(33);
}
}  // namespace

TEST(BarScreen, TheBarAndTheQuickPanelWorkInTheWindow) {
    setenv("ORV_PIXEL_FORMAT", "565", 1);
    support::TempDir dir;
    ASSERT_TRUE(support::WriteBarPictures(dir.path()));
    std::filesystem::create_directories(dir.File("save"));
    FIL_InitBaseDir();
    ASSERT_TRUE(plat::InitBackend(plat::BackendKind::Sdl));
    plat::Window* window = plat::CreateMainWindow("bar", 640, 480, Proc);
    ASSERT_NE(window, nullptr);
    int32_t full = 0;
    ASSERT_EQ(DD_Init(window, 640, 480, 16, &full, 0, 1), 1);
    plat::ShowWindow(window, true);
    SP_Init();
    FNT_Init();
    const std::vector<uint8_t> f10 = support::FntBytes(support::PatternFont(10, 10));
    const std::vector<uint8_t> f14 = support::FntBytes(support::PatternFont(14, 14));
    ASSERT_EQ(FNT_LoadBytes(0, f10.data(), f10.size()), 1);
    ASSERT_EQ(FNT_LoadBytes(1, f14.data(), f14.size()), 1);
    support::BarSceneStart(window);
    SDL_Window* native = plat::sdl::NativeWindow(window);

    for (int i = 0; i < 8; ++i) Frame(300, 470);
    EXPECT_EQ(BAR_DATA.bottom_y, 456);
    EXPECT_EQ(PresentUntilShown(native), 0);

    // The quick panel on slot 1's row, a save with Yes, then the slot panel shows the slot.
    const int32_t row_y = QSAVE_RowY(2) + 10;
    for (int i = 0; i < 8; ++i) Frame(630, row_y);
    EXPECT_EQ(QSAVE_DATA.x, 616);
    EXPECT_EQ(THUMB_INFO.shown, 1);
    Frame(630, row_y, 1);
    ASSERT_EQ(MSGBOX_IsOpen(MSGBOX_KIND_QUICK), MSGBOX_QUICK_SAVE);
    Frame(630, row_y, 0, 4);     // left: the focus on Yes
    Frame(630, row_y, 0, 0x10);  // decide
    Frame(630, row_y);
    EXPECT_EQ(SAVE_SlotExists(1), 1);
    EXPECT_EQ(std::filesystem::file_size(dir.File("save/ov01.dat")), uintmax_t(THUMB_FILE_SIZE));
    for (int i = 0; i < 3; ++i) Frame(630, QSAVE_RowY(5) + 10);
    for (int i = 0; i < 3; ++i) Frame(630, row_y);
    EXPECT_EQ(THUMB_INFO.shown, 1);
    EXPECT_EQ(PresentUntilShown(native), 0);

    support::BarSceneEnd();
    FNT_Reset();
    SP_Reset();
    DD_Release();
    plat::DestroyWindow(window);
    plat::Shutdown();
}
