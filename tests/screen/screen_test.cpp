// Screen tests on a real X display: the SDL window shows exactly the presented back buffer.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "display/blt_frame.h"
#include "display/dd_display.h"
#include "platform/display.h"
#include "platform/platform.h"
#include "platform/sdl/sdl_backend.h"
#include "platform/window.h"
#include "tests/screen/x11_capture.h"
#include "tests/support/fixture.h"

namespace {
intptr_t Proc(plat::Window* w, uint32_t m, uintptr_t wp, intptr_t lp) { return plat::DefWindowProc(w, m, wp, lp); }

// Draws colour bars and a gradient, presents, and compares the window with our own conversion.
void CheckFormat(bool is565) {
    setenv("ORV_PIXEL_FORMAT", is565 ? "565" : "555", 1);
    ASSERT_TRUE(plat::InitBackend(plat::BackendKind::Sdl));
    // オルヴァント
    plat::Window* window = plat::CreateMainWindow("\x83I\x83\x8b\x83\x94\x83@\x83\x93\x83g", 640, 480, Proc);
    ASSERT_NE(window, nullptr);
    int32_t full = 0;
    ASSERT_EQ(DD_Init(window, 640, 480, 16, &full, 0, 1), 1);
    EXPECT_EQ(full, 0);
    EXPECT_EQ(DD_Is565(DD_PIXEL_FORMAT.g_mask), is565);

    const uint16_t bars[] = {DD_RGB(255, 255, 255), DD_RGB(255, 0, 0), DD_RGB(0, 255, 0), DD_RGB(0, 0, 255),
                             DD_RGB(255, 255, 0), DD_RGB(0, 255, 255), DD_RGB(255, 0, 255), DD_RGB(0, 0, 0)};
    for (int i = 0; i < 8; ++i) {
        RECT r{i * 80, 0, i * 80 + 80, 240};
        BLT_FillRect(DD_DISPLAY.back, &r, bars[i]);
    }
    for (int x = 0; x < 640; ++x) {
        RECT r{x, 240, x + 1, 480};
        BLT_FillRect(DD_DISPLAY.back, &r, DD_RGB(x * 256 / 640, 255 - x * 256 / 640, (x * 7) & 255));
    }

    uint32_t first = 0;
    const uint16_t corner = support::PixelAt(DD_DISPLAY.back, 0, 0);
    plat::Convert16To32(&corner, &first, 1, is565);
    EXPECT_EQ(first, 0xFFFFFFu);  // white stays white
    EXPECT_EQ(PresentUntilShown(plat::sdl::NativeWindow(window)), 0) << "-1: the X server gave no pixels";

    DD_Release();
    plat::DestroyWindow(window);
    plat::Shutdown();
}
}  // namespace

TEST(Screen, WindowShowsTheBackBuffer565) { CheckFormat(true); }
TEST(Screen, WindowShowsTheBackBuffer555) { CheckFormat(false); }
