// Text on a real X display: every style in both sizes, printed into an image and into the back
// buffer, shows in the SDL window exactly as the back buffer holds it.
#include <SDL.h>
#include <gtest/gtest.h>

#include "display/blt_frame.h"
#include "display/dd_display.h"
#include "platform/platform.h"
#include "platform/sdl/sdl_backend.h"
#include "sprite/fnt_font.h"
#include "sprite/img_table.h"
#include "sprite/txt_print.h"
#include "tests/screen/x11_capture.h"
#include "tests/support/fixture.h"
#include "tests/support/fnt_writer.h"

namespace {
intptr_t Proc(plat::Window* w, uint32_t m, uintptr_t wp, intptr_t lp) { return plat::DefWindowProc(w, m, wp, lp); }
}  // namespace

TEST(TextScreen, EveryStyleAndSizeShowsInTheWindow) {
    ASSERT_TRUE(plat::InitBackend(plat::BackendKind::Sdl));
    plat::Window* window = plat::CreateMainWindow("text", 640, 480, Proc);
    ASSERT_NE(window, nullptr);
    int32_t full = 0;
    ASSERT_EQ(DD_Init(window, 640, 480, 16, &full, 0, 1), 1);
    FNT_Init();
    const std::vector<uint8_t> font = support::FntBytes(support::PatternFont(14, 14));
    ASSERT_EQ(FNT_LoadBytes(1, font.data(), font.size()), 1);
    const char* text = "Ab\x81\x40\x88\x9f\xb1 12\x82\xa0";
    const int image = IMG_Create(640, 200, 0);
    ASSERT_GE(image, 0);
    for (int style = 0; style <= 4; ++style) {
        TXT_SetFont(1, style, 0);
        TXT_SetColor(DD_RGB(255, 255, 255), DD_RGB(60, 140, 255), DD_RGB(200, 40, 40));
        EXPECT_EQ(TXT_Print(IMG_Surface(image), 8, 4 + style * 36, "%d %s", style, text), 1);
        TXT_SetFont(1, style, 1);
        EXPECT_EQ(TXT_Print(DD_DISPLAY.back, 8, 200 + style * 54, "%d %s", style, text), 1);
    }
    BLT_Blt(DD_DISPLAY.back, 0, 0, IMG_Surface(image), nullptr, 1);

    size_t ink = 0;
    for (uint16_t p : support::ReadSurface(DD_DISPLAY.back)) ink += p != 0;
    EXPECT_GT(ink, 5000u);
    EXPECT_EQ(PresentUntilShown(plat::sdl::NativeWindow(window)), 0) << "-1: the X server gave no pixels";

    IMG_Release(image);
    FNT_Reset();
    DD_Release();
    plat::DestroyWindow(window);
    plat::Shutdown();
}
