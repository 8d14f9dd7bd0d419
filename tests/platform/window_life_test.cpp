// A display that outlives its window leaves it alone; a repeated frame is not handed to the
// backend again while the window still shows it.
#include <gtest/gtest.h>

#include "display/blt_frame.h"
#include "display/dd_display.h"
#include "platform/backend.h"
#include "platform/headless/headless.h"
#include "platform/window.h"

namespace {
intptr_t Proc(plat::Window* w, uint32_t msg, uintptr_t wp, intptr_t lp) { return plat::DefWindowProc(w, msg, wp, lp); }

TEST(WindowLife, AFullScreenDisplayReleasedAfterItsWindowIsGoneLeavesItAlone) {
    for (int32_t full : {1, 0}) {
        headless::Reset();
        plat::Window* w = plat::CreateMainWindow("life", 640, 480, Proc);
        ASSERT_NE(w, nullptr);
        EXPECT_TRUE(plat::IsWindow(w));
        ASSERT_EQ(DD_Init(w, 640, 480, 16, &full, 0, 1), 1);
        EXPECT_EQ(plat::IsWindowFullscreen(w), full == 1);
        plat::DestroyWindow(w);
        EXPECT_FALSE(plat::IsWindow(w));
        DD_Release();  // under AddressSanitizer a stale window would be reported here
        RECT r;
        EXPECT_FALSE(plat::GetClientRect(w, &r));
    }
}
}  // namespace

namespace {
TEST(FrameRepeat, ARepeatedFrameIsNotHandedOverAgainUntilTheWindowNeedsIt) {
    headless::Reset();
    plat::Window* w = plat::CreateMainWindow("repeat", 640, 480, Proc);
    int32_t full = 0;
    ASSERT_EQ(DD_Init(w, 640, 480, 16, &full, 0, 1), 1);
    auto present = [] {
        DD_Present();
        return plat::ShownFrameCount();
    };
    BLT_FillRect(DD_DISPLAY.back, nullptr, 0x1234);
    const uint64_t presented = plat::PresentedFrameCount();
    const uint64_t shown = present();
    EXPECT_EQ(present(), shown);  // the same picture
    EXPECT_EQ(plat::PresentedFrameCount(), presented + 2);
    EXPECT_EQ(plat::LastPresentedFrame().pixels[0] != 0, true);
    RECT one{639, 479, 640, 480};
    BLT_FillRect(DD_DISPLAY.back, &one, 0x4321);  // one pixel differs
    EXPECT_EQ(present(), shown + 1);
    EXPECT_EQ(present(), shown + 1);
    plat::detail::PostPaint(w);  // uncovered: the picture goes again
    EXPECT_EQ(present(), shown + 2);
    plat::SetWindowFullscreen(w, true);
    EXPECT_EQ(present(), shown + 3);
    EXPECT_EQ(present(), shown + 3);
    plat::DestroyWindow(w);
    DD_Release();
}
}  // namespace
