// A window scene on a real X display: the test windows open, nest, fade and close on the real
// clock, and the window shows exactly the back buffer while the parent stands darkened behind its
// child.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "display/blt_frame.h"
#include "display/dd_display.h"
#include "platform/clock.h"
#include "platform/display.h"
#include "platform/platform.h"
#include "platform/sdl/sdl_backend.h"
#include "platform/window.h"
#include "shell/mwnd_balloon.h"
#include "shell/mwnd_stack.h"
#include "sprite/fnt_font.h"
#include "sprite/img_table.h"
#include "sprite/sp_draw.h"
#include "tests/screen/x11_capture.h"
#include "tests/support/fixture.h"
#include "tests/support/fnt_writer.h"
#include "tests/support/mwnd_windows.h"

namespace {
intptr_t Proc(plat::Window* w, uint32_t m, uintptr_t wp, intptr_t lp) { return plat::DefWindowProc(w, m, wp, lp); }

void Pump() {
    plat::Msg msg;
    while (plat::PeekMessage(&msg)) plat::DispatchMessage(msg);
}

// One frame of the owning screen, paced at about 30 per second; MWND_Run's answer.
int32_t Frame() {
    Pump();
    const int32_t r = MWND_Run();
    BLT_FillRect(DD_DISPLAY.back, nullptr, 0);
    SP_Draw(-1);
    MWND_DrawFade();
    DD_Present();
    SDL_Delay(33);
    return r;
}

bool InState(int k, int32_t state) {
    for (const MWND_SLOT& s : MWND_SLOT_TABLE)
        for (const MWND_NODE* n = s.used ? s.root : nullptr; n; n = n->child)
            if (support::TestWindowAt(k).name == n->name) return n->state == state;
    return false;
}
}  // namespace

TEST(MenuWindowScreen, NestedWindowsFadeAndCloseInTheWindow) {
    setenv("ORV_PIXEL_FORMAT", "565", 1);
    ASSERT_TRUE(plat::InitBackend(plat::BackendKind::Sdl));
    plat::Window* window = plat::CreateMainWindow("windows", 640, 480, Proc);
    ASSERT_NE(window, nullptr);
    int32_t full = 0;
    ASSERT_EQ(DD_Init(window, 640, 480, 16, &full, 0, 1), 1);
    plat::ShowWindow(window, true);
    SP_Init();
    FNT_Init();
    const std::vector<uint8_t> font = support::FntBytes(support::PatternFont(10, 10));
    ASSERT_EQ(FNT_LoadBytes(0, font.data(), font.size()), 1);

    // The owner's screen: colour bands behind everything.
    const int backdrop = IMG_Create(640, 480, 0);
    for (int i = 0; i < 8; ++i) {
        const RECT band{0, i * 60, 640, i * 60 + 60};
        BLT_FillRect(IMG_Surface(backdrop), &band, DD_RGB(i * 32, 255 - i * 32, 128));
    }
    const int owner = SP_FindFree();
    ASSERT_EQ(SP_CreateStill(owner, 200, 0, 0, backdrop, nullptr), 1);

    support::ResetTestWindows(window);
    support::TestWindowAt(0).panel = RECT{40, 40, 400, 300};
    support::TestWindowAt(1).panel = RECT{220, 170, 600, 420};
    support::TestWindowAt(1).rgb = 0xD08020;
    support::TestWindowAt(0).open_child = 1;
    MWND_Init();
    ASSERT_EQ(MWND_Begin(), 1);
    ASSERT_EQ(support::OpenTestWindow(0), 1);
    const uint32_t start = plat::TimeMs();
    while (!InState(1, 1) && plat::TimeMs() - start < 5000) ASSERT_EQ(Frame(), 0);
    ASSERT_TRUE(InState(1, 1));
    MWND_TipShow(300, 200, "\x82\x60\x82\x61", "", "");
    for (int i = 0; i < 12; ++i) Frame();

    std::vector<uint16_t> back = support::ReadSurface(DD_DISPLAY.back);
    std::vector<uint32_t> expect(back.size());
    plat::Convert16To32(back.data(), expect.data(), static_cast<int>(back.size()), true);
    std::vector<uint32_t> shown = Capture(plat::sdl::NativeWindow(window), 640, 480);
    ASSERT_EQ(shown.size(), expect.size()) << "could not read the window from the X server";
    size_t mismatches = 0;
    for (size_t i = 0; i < shown.size(); ++i) mismatches += shown[i] != expect[i];
    EXPECT_EQ(mismatches, 0u);
    // The parent's panel stands darker than the child's in front of it.
    EXPECT_LT(expect[100 * 640 + 100] & 0xFF, 0x40u);

    support::TestWindowAt(1).result = 5;
    support::TestWindowAt(1).close_chain = true;
    MWND_SetResult(5);
    int32_t result = 0;
    const uint32_t closing = plat::TimeMs();
    while (!result && plat::TimeMs() - closing < 5000) result = Frame();
    EXPECT_EQ(result, 5);
    EXPECT_GE(plat::TimeMs() - closing, 200u);  // the fade-out ran on the real clock
    EXPECT_EQ(SP_Get(owner)->visible, 1);

    MWND_Term();
    support::FreeTestWindowObjects();
    FNT_Reset();
    SP_Reset();
    IMG_Free(backdrop);
    DD_Release();
    plat::DestroyWindow(window);
    plat::Shutdown();
}
