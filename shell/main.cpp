// Program entry: opens the display, draws the display objects with the software cursor and a debug
// line, and presents frames until the window closes or the platform ends the run (ORV_FRAMES, a signal).
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "battle/tama_data.h"
#include "display/blt_frame.h"
#include "display/dbg_text.h"
#include "display/dd_display.h"
#include "platform/clock.h"
#include "platform/display.h"
#include "platform/platform.h"
#include "platform/window.h"
#include "services/fil_util.h"
#include "services/inp_device.h"
#include "services/key_button.h"
#include "services/mou_cursor.h"
#include "services/sound/snd_game.h"
#include "services/sound/snd_stream.h"
#include "services/sound/voice_db.h"
#include "shell/app_frame.h"
#include "shell/sys_bar.h"
#include "shell/sysdat.h"
#include "sprite/fnt_font.h"
#include "sprite/img_table.h"
#include "sprite/sp_draw.h"
#include "sprite/txt_print.h"

namespace {
int g_text_image = -1;

// A line of the sample font in each size, outlined over a gradient, kept in an image.
void PrintSampleText() {
    g_text_image = IMG_Create(640, 64, 0);
    DDSurface* s = IMG_Surface(g_text_image);
    if (!s) return;
    const char* line =
        "\x83t\x83H\x83\x93\x83g\x95\x5c\x8e\xa6\x81" "F\x8a\xbf\x8e\x9a\x81" "E\x82\xd0\x82\xe7\x82\xaa\x82\xc8\x81"
        "E\x83J\x83^\x83J\x83i ABC abc 0123 \xb6\xc0\xb6\xc5";  // フォント表示：漢字・ひらがな・カタカナ ABC abc 0123 ｶﾀｶﾅ
    const int slots[3] = {0, 2, 1};  // 10, 12 and 14 pixels
    int y = 4;
    for (int slot : slots) {
        TXT_SetFont(slot, 4, 0);
        TXT_SetColor(DD_RGB(255, 255, 255), DD_RGB(150, 200, 255), DD_RGB(0, 0, 96));
        TXT_Print(s, 16, y, "%s", line);
        y += FNT_TABLE[slot].height + 6;
    }
}

intptr_t MainWndProc(plat::Window* window, uint32_t msg, uintptr_t wparam, intptr_t lparam) {
    switch (msg) {
        case plat::WM_ACTIVATEAPP:
            if (wparam)
                INP_Acquire();
            else
                INP_Unacquire();
            if (SYS_DATA.sound_inactive == 0) {
                if (wparam)
                    SND_ResumeAll();
                else
                    SND_PauseAll();
            }
            return plat::DefWindowProc(window, msg, wparam, lparam);
        case plat::WM_DESTROY:
            // Debug text, display objects and sets, fonts, image surfaces, sound, input, then the display.
            DBGTXT_Term();
            BAR_CommonFree();
            SP_Reset();
            FNT_Reset();
            g_text_image = IMG_Free(g_text_image);
            IMG_ReleaseAllSurfaces();
            SND_StreamStop();
            SND_UnloadAll();
            SND_Term();
            INP_Term();
            DD_Release();
            plat::PostQuitMessage(0);
            return 0;
        default:
            return plat::DefWindowProc(window, msg, wparam, lparam);
    }
}
}  // namespace

int main() {
    if (!plat::Init()) {
        std::fprintf(stderr, "no platform backend could start\n");
        return 1;
    }
    FIL_InitBaseDir();

    // オルヴァント
    plat::Window* window = plat::CreateMainWindow("\x83I\x83\x8b\x83\x94\x83@\x83\x93\x83g", 640, 480, MainWndProc);
    if (!window) return plat::Shutdown(), 1;
    int32_t full = (plat::WindowedRequested() || plat::IsHeadless()) ? 0 : 1;
    if (!DD_Init(window, 640, 480, 16, &full, 0, 1)) {
        plat::DestroyWindow(window);
        return plat::Shutdown(), 1;
    }
    DD_ClearScreen();
    if (SND_Init(window)) {  // without a sound device the program runs silent
        SND_ReloadAll();
        BGM_SetVolume(100);
        SE_SetVolume(50);
    }
    INP_Init(window, nullptr);  // without input devices the program still runs
    KEY_Init(&KEY_DATA, nullptr, nullptr);
    SP_Init();
    FNT_Init();
    FNT_LoadFamily(0);
    DBGTXT_Init("Bmp\\DebugEft.bmp");
    TAMA_Load();  // the bullet table stays for the whole run
    BAR_CommonInit();
    MOUSE_InitCursor(nullptr, 0);
    MOUSE_SetCursorMode(0);
    PrintSampleText();

    // Until the title screen starts its music, the entry plays the first track, an effect and the
    // first voice line of the database, so a start is heard; the title screen replaces this.
    std::memset(SYS_DATA.voice_on, 1, sizeof SYS_DATA.voice_on);  // as the settings defaults will
    BGM_Play(0, 1);
    SE_Play(4, 0);
    VOICE_LoadDb();
    if (!VOICE_DB.empty()) VOICE_PlayId(static_cast<int32_t>(VOICE_DB.front().number));

    constexpr uint32_t kInterval = 33;  // a tick once more than this has passed
    plat::SetFrameInterval(kInterval);
    uint32_t last = plat::TimeMs();
    plat::Msg msg;
    for (;;) {
        if (plat::PeekMessage(&msg)) {
            if (msg.message == plat::WM_QUIT) break;
            plat::DispatchMessage(msg);
            continue;
        }
        MOUSE_UpdateCursor(window);  // every pass; it animates once per draw tick
        uint32_t now = plat::TimeMs();
        if (now - last <= kInterval) {
            plat::ClockDue(last + kInterval + 1);
            continue;
        }
        last = now;
        KEY_Update();
        ++APP_DrawTickCount;
        BLT_FillRect(DD_DISPLAY.back, nullptr, 0);
        if (DDSurface* text = IMG_Surface(g_text_image)) BLT_Blt(DD_DISPLAY.back, 0, 208, text, nullptr, 1);
        SP_Draw(-1);
        DBGTXT_Print(DD_DISPLAY.back, 8, 8, "FRAME %06d  X %03d Y %03d", APP_DrawTickCount, MOUSE_FRAME.x, MOUSE_FRAME.y);
        DD_Present();
    }
    TAMA_ClearList();
    return plat::Shutdown();
}
