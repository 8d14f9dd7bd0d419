// Display start-up, boxes, pixel formats, presentation, surface counting and release order.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "display/blt_frame.h"
#include "display/dd_display.h"
#include "platform/display.h"
#include "platform/msgbox.h"
#include "platform/window.h"
#include "shell/sysdat.h"
#include "tests/support/fixture.h"

namespace {
intptr_t Proc(plat::Window* w, uint32_t m, uintptr_t wp, intptr_t lp) { return plat::DefWindowProc(w, m, wp, lp); }

struct Start {
    plat::Window* window = nullptr;
    int result = 0;
    int32_t full = 0;
    ~Start() {
        DD_Release();
        if (window) plat::DestroyWindow(window);
    }
};

// A fresh platform with the given desktop depth, the box answer and failure queued, then DD_Init.
void StartDisplay(Start& s, int desktop_bpp, int32_t full, int flip = 0, int answer = plat::IDOK,
                  const char* fail = nullptr) {
    DD_Release();
    headless::Config config;
    config.desktop_bpp = desktop_bpp;
    headless::Reset(config);
    headless::PushMessageBoxAnswer(answer);
    if (fail) headless::FailCall(fail);
    s.window = plat::CreateMainWindow("t", 640, 480, Proc);
    s.full = full;
    s.result = DD_Init(s.window, 640, 480, 16, &s.full, flip, 1);
}

size_t IndexOf(const std::vector<std::string>& log, const std::string& name) {
    return static_cast<size_t>(std::find(log.begin(), log.end(), name) - log.begin());
}
}  // namespace

TEST(DisplayStart, WindowedOnA16BitDesktopShowsNoBox) {
    Start s;
    StartDisplay(s, 16, 0);
    ASSERT_EQ(s.result, 1);
    EXPECT_TRUE(headless::ShownMessageBoxes().empty());
    EXPECT_EQ(DD_DISPLAY.full_screen, 0);
    EXPECT_NE(DD_DISPLAY.clipper, nullptr);
    EXPECT_EQ(DD_DISPLAY.surface_count, 0);  // the back buffer is not counted
    EXPECT_EQ(DD_CLIP_RECT.right, 640);
    EXPECT_EQ(DD_CLIP_RECT.bottom, 480);
}

TEST(DisplayStart, WindowedOnA32BitDesktopAsksAndOkGoesFullScreen) {
    Start s;
    SYS_DATA.window_mode = 1;
    StartDisplay(s, 32, 0);
    ASSERT_EQ(s.result, 1);
    ASSERT_EQ(headless::ShownMessageBoxes().size(), 1u);
    const headless::ShownBox& box = headless::ShownMessageBoxes()[0];
    EXPECT_EQ(box.flags, 0x2041u);
    EXPECT_EQ(s.full, 1);
    EXPECT_EQ(SYS_DATA.window_mode, 0);
    EXPECT_EQ(DD_DISPLAY.full_screen, 1);
    EXPECT_EQ(DD_DISPLAY.clipper, nullptr);
    EXPECT_EQ(DD_DISPLAY.primary->Bpp(), 16);
}

TEST(DisplayStart, CancelCreatesNothing) {
    Start s;
    StartDisplay(s, 32, 0, 0, plat::IDCANCEL);
    EXPECT_EQ(s.result, 0);
    EXPECT_EQ(std::count(headless::CallLog().begin(), headless::CallLog().end(), "DirectDrawCreate"), 0);
    EXPECT_EQ(DD_DISPLAY.dd, nullptr);
    EXPECT_EQ(DD_DISPLAY.back, nullptr);
}

TEST(DisplayStart, FailingStepShowsTheFatalBoxAndReleasesEverything) {
    for (const char* step : {"DirectDrawCreate", "DDObject.SetCooperativeLevel", "DDObject.CreateSurface",
                             "DDObject.CreateClipper"}) {
        Start s;
        StartDisplay(s, 16, 0, 0, plat::IDOK, step);
        EXPECT_EQ(s.result, 0) << step;
        ASSERT_EQ(headless::ShownMessageBoxes().size(), 1u) << step;
        EXPECT_EQ(headless::ShownMessageBoxes()[0].flags, 0x2030u);
        EXPECT_EQ(DD_DISPLAY.primary, nullptr);
        EXPECT_EQ(DD_DISPLAY.dd, nullptr);
        EXPECT_EQ(DD_DISPLAY.dd4, nullptr);
    }
}

TEST(DisplayRelease, OrderIsClipperPaletteBackPrimaryThenBothDeviceInterfaces) {
    Start s;
    StartDisplay(s, 16, 0);
    ASSERT_EQ(s.result, 1);
    headless::ClearCallLog();
    DD_Release();
    const auto& log = headless::CallLog();
    size_t clipper = IndexOf(log, "DDClipper.Release"), back = IndexOf(log, "DDSurface.Release"),
           primary = IndexOf(log, "DDSurface.Release(primary)"), dd = IndexOf(log, "DDObject.Release");
    ASSERT_LT(clipper, log.size());
    EXPECT_LT(clipper, back);
    EXPECT_LT(back, primary);
    EXPECT_LT(primary, dd);
    EXPECT_EQ(std::count(log.begin(), log.end(), "DDObject.Release"), 2);
    EXPECT_EQ(DD_DISPLAY.clipper, nullptr);
    DD_Release();  // a second release touches nothing
}

TEST(DisplayRelease, FullScreenFlipChainReleasesTheAttachedBackBuffer) {
    Start s;
    StartDisplay(s, 16, 1, 1);
    ASSERT_EQ(s.result, 1);
    EXPECT_EQ(DD_DISPLAY.flip_chain, 1);
    headless::ClearCallLog();
    DD_Release();
    const auto& log = headless::CallLog();
    EXPECT_LT(IndexOf(log, "DDSurface.Release(back)"), IndexOf(log, "DDSurface.Release(primary)"));
}

TEST(PixelFormat, BothLayoutsAndDdRgb) {
    struct Want {
        bool is565;
        uint8_t bits[3], loss[3], shift[3];  // blue, green, red
        uint16_t r, g, b, white, red;
    } wants[] = {{true, {31, 63, 31}, {3, 2, 3}, {0, 5, 11}, 0xF800, 0x07E0, 0x001F, 0xFFFF, 0xF800},
                 {false, {31, 31, 31}, {3, 3, 3}, {0, 5, 10}, 0x7C00, 0x03E0, 0x001F, 0x7FFF, 0x7C00}};
    for (const Want& w : wants) {
        headless::Config c;
        c.is565 = w.is565;
        support::HeadlessDisplay d(c);
        ASSERT_TRUE(d.ok);
        const DdPixelFormat& f = DD_PIXEL_FORMAT;
        EXPECT_EQ((std::array{f.b_bits, f.g_bits, f.r_bits}), (std::array{w.bits[0], w.bits[1], w.bits[2]}));
        EXPECT_EQ((std::array{f.b_loss, f.g_loss, f.r_loss}), (std::array{w.loss[0], w.loss[1], w.loss[2]}));
        EXPECT_EQ((std::array{f.b_shift, f.g_shift, f.r_shift}), (std::array{w.shift[0], w.shift[1], w.shift[2]}));
        EXPECT_EQ((std::array{f.r_mask, f.g_mask, f.b_mask}), (std::array{w.r, w.g, w.b}));
        EXPECT_EQ(DD_RGB(255, 255, 255), w.white);
        EXPECT_EQ(DD_RGB(255, 0, 0), w.red);
        EXPECT_EQ(DD_RGB(7, w.is565 ? 3 : 7, 7), 0);  // below one step of every channel: transparent
    }
}

TEST(Presentation, ClearScreenPresentsTwiceAndBothPagesAreBlack) {
    Start s;
    StartDisplay(s, 16, 1, 1);
    ASSERT_EQ(s.result, 1);
    BLT_FillRect(DD_DISPLAY.back, nullptr, 0xFFFF);
    DD_Present();  // white on screen, the old page is now the back buffer
    uint64_t before = plat::PresentedFrameCount();
    DD_ClearScreen();
    EXPECT_EQ(plat::PresentedFrameCount() - before, 2u);
    EXPECT_EQ(plat::LastPresentedFrame().pixels[0], 0u);
    EXPECT_EQ(support::PixelAt(DD_DISPLAY.back, 0, 0), 0);
}

TEST(Presentation, WindowedPresentShowsTheBackBuffer) {
    support::HeadlessDisplay d;
    ASSERT_TRUE(d.ok);
    RECT r{10, 10, 20, 20};
    BLT_FillRect(DD_DISPLAY.back, &r, DD_RGB(255, 0, 0));
    DD_Present();
    const plat::Frame& f = plat::LastPresentedFrame();
    ASSERT_EQ(f.width, 640);
    EXPECT_EQ(f.pixels[15 * 640 + 15], 0xFF0000u);
    EXPECT_EQ(f.pixels[0], 0u);
}

TEST(Surfaces, CountingCreationAndRelease) {
    support::HeadlessDisplay d;
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(DD_ReleaseSurface(nullptr), 0);
    DDSurface* a = DD_CreateSurface(16, 8, DD_CAPS_SYSTEM);
    DDSurface* b = DD_CreateSurface(4, 4, DD_CAPS_VIDEO);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(DD_DISPLAY.surface_count, 2);
    EXPECT_EQ(support::PixelAt(a, 15, 7), 0);
    headless::FailCall("DDObject.CreateSurface");
    EXPECT_EQ(DD_CreateSurface(4, 4, DD_CAPS_SYSTEM), nullptr);
    EXPECT_EQ(DD_DISPLAY.surface_count, 2);
    // A lost surface is still released and the count stays exact.
    b->MarkLost();
    DD_ReleaseSurface(b);
    DD_ReleaseSurface(a);
    EXPECT_EQ(DD_DISPLAY.surface_count, 0);
    EXPECT_EQ(DD_DISPLAY.dd->LiveSurfaces(), 2);  // primary and back buffer only
}

TEST(Surfaces, ReleaseBeforeStartDoesNothing) {
    DD_Release();
    headless::Reset({});
    int before = DD_DISPLAY.surface_count;
    EXPECT_EQ(DD_CreateSurface(4, 4, DD_CAPS_SYSTEM), nullptr);
    EXPECT_EQ(DD_DISPLAY.surface_count, before);
}

TEST(ModeChange, PrintsTheCountOfSurfacesStillAliveAndRecreates) {
    support::HeadlessDisplay d;
    ASSERT_TRUE(d.ok);
    DDSurface* a = DD_CreateSurface(4, 4, DD_CAPS_SYSTEM);
    DDSurface* b = DD_CreateSurface(4, 4, DD_CAPS_SYSTEM);
    headless::ClearDebugOutput();
    EXPECT_EQ(DD_ChangeMode(640, 480, 16, 1, 0, 1), 1);
    ASSERT_FALSE(headless::DebugOutput().empty());
    EXPECT_EQ(headless::DebugOutput()[0], "Error : Not Release Surface ( 2 )\n");
    EXPECT_EQ(DD_DISPLAY.full_screen, 1);
    // Surfaces of the old device are lost; they can still be released without a leak.
    EXPECT_EQ(a->IsLost(), DDERR_SURFACELOST);
    DD_ReleaseSurface(a);
    DD_ReleaseSurface(b);
    EXPECT_EQ(DD_DISPLAY.surface_count, 0);
    // A window at a depth other than the desktop's is refused without a message.
    headless::ClearDebugOutput();
    EXPECT_EQ(DD_ChangeMode(640, 480, 32, 0, 0, 1), 0);
    EXPECT_TRUE(headless::ShownMessageBoxes().empty());
}

TEST(ClipRect, SetFromPositionAndSize) {
    DD_SetClipRect(0, 0, 656, 496);
    EXPECT_EQ(DD_CLIP_RECT.right, 656);
    EXPECT_EQ(DD_CLIP_RECT.bottom, 496);
    DD_SetClipRect(10, 20, 30, 40);
    EXPECT_EQ(DD_CLIP_RECT.left, 10);
    EXPECT_EQ(DD_CLIP_RECT.top, 20);
    EXPECT_EQ(DD_CLIP_RECT.right, 40);
    EXPECT_EQ(DD_CLIP_RECT.bottom, 60);
}
