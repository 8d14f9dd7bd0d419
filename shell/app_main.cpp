// The process entry: the instance lock, the main window, start-up, the message loop, shutdown.
#include "shell/app_main.h"

#include "battle/btl_frame.h"
#include "battle/camp_data.h"
#include "battle/tama_data.h"
#include "display/dbg_text.h"
#include "display/dd_display.h"
#include "display/ras_raster.h"
#include "platform/clock.h"
#include "platform/input.h"
#include "platform/instance.h"
#include "platform/platform.h"
#include "platform/random.h"
#include "services/fil_util.h"
#include "services/inp_device.h"
#include "services/key_button.h"
#include "services/mou_cursor.h"
#include "services/mth_math.h"
#include "services/sound/snd_device.h"
#include "services/sound/snd_game.h"
#include "services/sound/snd_stream.h"
#include "shell/app_frame.h"
#include "shell/app_wnd.h"
#include "shell/sys_bar.h"
#include "shell/sysdat.h"
#include "sprite/fnt_font.h"
#include "sprite/img_table.h"
#include "sprite/sp_object.h"
#include "sprite/spr_set.h"
#include "title/title.h"

plat::Window* APP_Window = nullptr;
int32_t APP_Active = 0;
int32_t APP_Paused = 0;
int32_t APP_ScreenCopy = -1;
int32_t APP_ScreenCopySprite = -1;

namespace {
constexpr const char* kClassName = "ORVANTE";
constexpr uint32_t kPausedWait = 250;  // ms a paused loop waits for a message before looking again
}  // namespace

int WinMain() {
    if (!plat::AcquireInstanceLock(kClassName)) return 0;  // another copy runs: leave it alone
    APP_FrameReset();
    APP_WndReset();
    APP_Active = APP_Paused = 0;
    if (!APP_CreateWindow()) {
        plat::ReleaseInstanceLock();
        return 0;
    }
    APP_GameInit();
    plat::Msg msg;
    for (;;) {
        // A waiting message goes first; with none, one frame step. The idle pass inside the peek
        // waits for the next message or the next due tick, so the loop never spins.
        if (plat::PeekMessage(&msg)) {
            if (msg.message == plat::WM_QUIT) break;
            plat::DispatchMessage(msg);
            continue;
        }
        if (APP_Paused) {
            plat::ClockDue(plat::TimeMs() + kPausedWait);
            continue;
        }
        APP_FrameProc();
        plat::ClockDue(APP_NextDue());
    }
    APP_GameTerm();
    plat::ReleaseInstanceLock();
    return static_cast<int>(msg.wparam);
}

int APP_CreateWindow() {
    // オルヴァント: the window's class is the program's one style (caption, close and minimise
    // boxes, no sizing border); the input method stays off.
    APP_Window = plat::CreateMainWindow("\x83I\x83\x8b\x83\x94\x83@\x83\x93\x83g", 640, 480, APP_WndProc);
    if (!APP_Window) return 0;
    plat::DragAcceptFiles(APP_Window, true);
    SYSDAT_Read();
    int full = SYS_DATA.window_mode == 0 ? 1 : 0;
    if (plat::WindowedRequested()) full = 0;
    if (plat::GetAsyncKeyState(plat::VK_NONCONVERT) < 0) full = 1;
    if (!APP_SetDisplayMode(APP_Window, 640, 480, 16, full)) return 0;
    plat::ShowWindow(APP_Window, true);
    plat::UpdateWindow(APP_Window);
    APP_Active = 1;
    SYS_DebugStartHook();
    return 1;
}

void APP_GameInit() {
    FIL_InitBaseDir();
    PROC_GetClass();
    plat::Srand(plat::TimeMs());
    APP_SoundInit();
    INP_Init(APP_Window, nullptr);
    SP_Init();
    MTH_SetShift(16);
    MOUSE_InitCursor("Bmp\\Cursor\\Cursor.spr", SPR_FindFreeSet());
    MOUSE_SetCursorMode(0);
    KEY_Init(&KEY_DATA, nullptr, nullptr);
    FNT_Init();
    FNT_LoadFamily(0);
    DBGTXT_Init("Bmp\\DebugEft.bmp");
    CAMP_ScanSaves();
    TAMA_Load();
    APP_ScreenCopy = IMG_Create(640, 480, 0);
    APP_ScreenCopySprite = SP_FindFree();
    if (APP_ScreenCopySprite >= 0 && SP_CreateStill(APP_ScreenCopySprite, 160, 0, 0, APP_ScreenCopy, nullptr))
        SP_SetVisible(APP_ScreenCopySprite, 0);
    else
        APP_ScreenCopySprite = -1;
    SYSDAT_Default();
    BTL_Init();
    APP_SetFrameRate(2);
    KEY_InitDefault();
    BAR_Init();
}

void APP_GameTerm() {
    BAR_Term();
    LOGO_Term();
    TITLE_Term();
    TAMA_ClearList();
    BTL_Term();
    DBGTXT_Term();
    SP_Reset();
    FNT_Reset();
    APP_ReleaseSurfaces(1);
    APP_ScreenCopy = IMG_Free(APP_ScreenCopy);
    APP_ScreenCopySprite = -1;
    APP_WndReset();
    APP_SoundTerm();
    INP_Term();
    DD_Release();
}

void APP_SoundInit() {
    SND_Init(APP_Window);
    SND_ReloadAll();
    BGM_SetVolume(100);
    SE_SetVolume(50);
}

void APP_SoundTerm() {
    SND_StreamStop();
    SND_UnloadAll();
    SND_Term();
}

void APP_SaveSurfaces() { IMG_SaveAllSurfaces(); }
void APP_RestoreSurfaces() { IMG_RestoreAllSurfaces(); }

void APP_ReleaseSurfaces(int keep) {
    if (!keep) APP_SaveSurfaces();
    IMG_ReleaseAllSurfaces();
}
