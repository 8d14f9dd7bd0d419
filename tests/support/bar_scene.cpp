// The stand-in scenario screen that drives the system UI for tests and screen runs.
#include "tests/support/bar_scene.h"

#include "display/blt_frame.h"
#include "display/dd_display.h"
#include "scenario/save_slot.h"
#include "services/inp_device.h"
#include "services/key_button.h"
#include "services/mou_cursor.h"
#include "shell/app_frame.h"
#include "shell/bar_link.h"
#include "shell/bar_notice.h"
#include "shell/bar_skip.h"
#include "shell/mwnd_stack.h"
#include "shell/qsave.h"
#include "shell/sys_bar.h"
#include "shell/sysdat.h"
#include "sprite/img_table.h"
#include "sprite/sp_draw.h"
#include "sprite/sp_object.h"
#include "sprite/txt_print.h"
#include "tests/support/mwnd_windows.h"

namespace support {
BarScene BAR_SCENE;

namespace {
constexpr int kWindowFrames = 20;  // a system window stays this long, then its item is chosen

void DrawText() {
    DDSurface* s = IMG_Surface(BAR_SCENE.text_image);
    if (!s) return;
    BLT_FillRect(s, nullptr, DD_RGB(16, 24, 64));
    const RECT inner{2, 2, 598, 98};
    BLT_FillRect(s, &inner, DD_RGB(8, 12, 40));
    SYSDAT_SetTextColor(0);
    TXT_Print(s, 16, 16, "Page %d", BAR_SCENE.pages + 1);
}

// The window a hot request opens: 1 save (writes slot 1 when its item is chosen), 2 load,
// 3 config, 4 log, 5 event.
void OpenWindow(int32_t hot) {
    const int k = hot - 1;
    TestWindow& w = TestWindowAt(k);
    w.slide_frames = 4;
    w.result = hot;
    w.panel = RECT{120, 80, 520, 360};
    w.rgb = 0x204060 + 0x181008 * uint32_t(k);
    w.hook = nullptr;
    if (hot == BAR_HOT_SAVE)
        w.hook = [](int32_t state, int32_t, int32_t*) {
            if (state == 2 && TestWindowAt(0).slide == TestWindowAt(0).slide_frames) {
                if (SAVE_WriteSlot(1) != SAVE_WRITE_FAILED) QSAVE_SetNewest(1);
            }
            return false;
        };
    MWND_Begin();
    OpenTestWindow(k);
    ++BAR_SCENE.windows;
    BAR_SCENE.window_frames = 0;
}
}  // namespace

void BarSceneStart(plat::Window* window) {
    BAR_SCENE = BarScene{};
    BAR_SCENE.window = window;
    SYSDAT_Default();
    KEY_InitDefault();
    MOUSE_InitCursor(nullptr, 0);
    MWND_Init();
    BAR_Init();
    MOUSE_SetCursorMode(0);
    ResetTestWindows(window);
    // The scenario's screen: colour bands behind a text window.
    BAR_SCENE.backdrop = IMG_Create(640, 480, 0);
    for (int i = 0; i < 12; ++i) {
        const RECT band{0, i * 40, 640, i * 40 + 40};
        BLT_FillRect(IMG_Surface(BAR_SCENE.backdrop), &band, DD_RGB(40 + i * 16, 90 + i * 8, 200 - i * 12));
    }
    BAR_SCENE.backdrop_sprite = SP_FindFree();
    SP_CreateStill(BAR_SCENE.backdrop_sprite, 200, 0, 0, BAR_SCENE.backdrop, nullptr);
    BAR_SCENE.text_image = IMG_Create(600, 100, 0);
    BAR_SCENE.text_sprite = SP_FindFree();
    SP_CreateStill(BAR_SCENE.text_sprite, 100, 20, 340, BAR_SCENE.text_image, nullptr);
    DrawText();
}

void BarSceneFrame(int32_t x, int32_t y, uint32_t buttons, uint16_t pressed, uint16_t held) {
    BarScene& sc = BAR_SCENE;
    // What the scenario hands the script engine: the pointer, its new clicks and the buttons.
    MOUSE_FRAME = MouseFrame{x, y, buttons, buttons & ~sc.buttons};
    sc.buttons = buttons;
    KEY_DATA.pressed = pressed;
    KEY_DATA.held = held;
    KEY_DATA.repeat = pressed;

    BAR_DATA_T& b = BAR_DATA;
    if (MWND_IsBusy()) {
        if (++sc.window_frames == kWindowFrames)
            for (int k = 0; k < kTestWindows; ++k) TestWindowAt(k).choose = true;
        if (MWND_Run()) {
            b.lock = 0;
            for (int k = 0; k < kTestWindows; ++k) TestWindowAt(k).choose = false;
        }
    } else {
        b.menus_allowed = b.lock ? 0 : 1;
        BAR_Update();
        if (b.hot_request >= 1 && b.menus_allowed) {
            b.lock = 1;
            OpenWindow(b.hot_request);
            b.hot_request = 0;
        }
        // The text window: its checks every frame (so a hidden window can be shown again), and
        // while it shows a page turned by a click or by auto mode.
        BAR_SkipCheck();
        if (!b.input_taken) BAR_SkipKeyCheck();
        QSAVE_AutoSave();
        const bool click = !b.input_taken && !b.cursor_on_bar && (MOUSE_FRAME.edge & 1);
        if (BAR_LINK.text_window_shown && (BAR_AutoWaitCheck() || click || b.skipping)) {
            ++sc.pages;
            BAR_AutoWaitReset();
            DrawText();
        }
        SP_SetVisible(sc.text_sprite, BAR_LINK.text_window_shown);
    }

    MOUSE_SetPos(x, y);
    MOUSE_UpdateCursor(sc.window);
    BLT_FillRect(DD_DISPLAY.back, nullptr, 0);
    SP_Draw(-1);
    MWND_DrawFade();
    DD_Present();
    ++APP_DrawTickCount;
    BAR_NoticeStep();
    ++sc.frame;
}

void BarSceneEnd() {
    FreeTestWindowObjects();
    BAR_Term();
    MWND_Term();
    BAR_SCENE.backdrop_sprite = SP_Free(BAR_SCENE.backdrop_sprite);
    BAR_SCENE.text_sprite = SP_Free(BAR_SCENE.text_sprite);
    BAR_SCENE.backdrop = IMG_Free(BAR_SCENE.backdrop);
    BAR_SCENE.text_image = IMG_Free(BAR_SCENE.text_image);
}
}  // namespace support
