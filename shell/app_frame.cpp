// The frame driver: ticks, the mode table, the quit question and the end picture.
#include "shell/app_frame.h"

#include "battle_modes/btl_mode.h"
#include "display/dd_display.h"
#include "platform/clock.h"
#include "scenario/snr_mode.h"
#include "services/fil_util.h"
#include "services/key_button.h"
#include "services/mou_cursor.h"
#include "services/sound/voice_bark.h"
#include "shell/app_main.h"
#include "shell/bar_notice.h"
#include "shell/msgbox.h"
#include "sprite/img_table.h"
#include "sprite/sp_draw.h"
#include "sprite/sp_object.h"
#include "title/title.h"

int32_t GAME_MODE = APP_MODE_BOOT;
int32_t APP_PrevMode = APP_MODE_BOOT;
uint32_t APP_FrameInterval = 33;
uint32_t APP_UpdateTime = 0, APP_DrawTime = 0;
int32_t APP_DrawTickCount = 0;
int32_t APP_EndCount = 0;
int32_t APP_EndImage = -1;
BAR_PARTS APP_EndParts[2];

namespace {
// One part of the end picture at priority `priority`, drawn with the alpha blend.
void EndPart(BAR_PARTS& part, int32_t y, int32_t h, int priority) {
    BAR_PartsInit(&part);
    BAR_PartsSetRect(&part, 0, y, 640, h);
    if (APP_EndImage < 0) return;
    const int id = SP_FindFree();
    const RECT src{part.left, part.top, part.right, part.bottom};
    if (id < 0 || !SP_CreateStill(id, priority, 0, 0, APP_EndImage, &src)) return;
    part.sprite = id;
    SP_SetFlags(id, 0x40);
}

// One end tick; true when it closed the window.
bool EndStep() {
    ++APP_EndCount;
    if (APP_EndCount >= APP_END_TICKS) {
        APP_EndImage = IMG_Free(APP_EndImage);
        BAR_PartsFree(&APP_EndParts[0]);
        BAR_PartsFree(&APP_EndParts[1]);
        APP_Quit();
        APP_SetMode(APP_MODE_BOOT);
        return true;
    }
    const int a = APP_EndCount < APP_END_SLIDE ? APP_EndCount : APP_END_SLIDE;
    SP_SetBlend(APP_EndParts[0].sprite, a);
    SP_SetBlend(APP_EndParts[1].sprite, a);
    const int rest = APP_END_SLIDE - a;
    SP_SetPos(APP_EndParts[1].sprite, static_cast<int>(rest * rest * 0.5), 448);
    return false;
}

bool EndSetup() {
    APP_EndCount = 0;
    APP_EndImage = IMG_Load(FIL_MakePath("bmp\\quon\\end.bmp"), 0);
    EndPart(APP_EndParts[0], 0, 480, -11);
    EndPart(APP_EndParts[1], 480, 32, -12);
    SP_SetPos(APP_EndParts[1].sprite, 0, 448);
    VOICE_PlayBonus(13);
    APP_SetMode(APP_MODE_END);
    return EndStep();
}

// The mode's update step; true when the pass ends here (the window was closed).
bool Update() {
    switch (GAME_MODE) {
        case APP_MODE_BOOT: APP_SetMode(APP_MODE_LOGO); break;
        case APP_MODE_LOGO: LOGO_Main(); break;
        case APP_MODE_TITLE: TITLE_Update(); break;
        case APP_MODE_BATTLE:
            if (BAR_DATA.mode == 2) BAR_DATA.mode = BAR_DATA.skipping = 0;
            BAR_BattleStep();
            BTL_Main();
            break;
        case APP_MODE_SCENARIO: SNR_Update(); break;
        case APP_MODE_RANKING: RANK_Main(); break;
        case APP_MODE_DEPARTURE: DEPART_Update(); break;
        case APP_MODE_END_SETUP: return EndSetup();
        case APP_MODE_END: return EndStep();
        default: break;  // 3, 7, 9 and anything past 11
    }
    return false;
}

void Draw() {
    switch (GAME_MODE) {
        case APP_MODE_LOGO: LOGO_Draw(); break;
        case APP_MODE_TITLE:
            TITLE_Draw();
            DD_Present();
            break;
        case APP_MODE_BATTLE: BTL_Draw(); break;
        case APP_MODE_SCENARIO: SNR_Draw(); break;
        case APP_MODE_RANKING: RANK_Draw(); break;
        case 7: break;
        case APP_MODE_DEPARTURE: DEPART_Draw(); break;
        case APP_MODE_END_SETUP: break;
        default: APP_DrawDefault(); break;  // 0, 3, 9, 11 and anything else
    }
}
}  // namespace

void APP_FrameProc() {
    const uint32_t now = plat::TimeMs();
    bool quit_open = false;
    if (MSGBOX_IsOpen(MSGBOX_KIND_QUIT)) {
        const int r = MSGBOX_Check(MSGBOX_KIND_QUIT);
        if (r == -2) {
            KEY_Update();
            quit_open = true;
        } else if (r == MSGBOX_QUIT) {
            APP_SetMode(APP_MODE_END_SETUP);
            return;
        }
    }
    if (!quit_open && now - APP_UpdateTime > APP_FrameInterval) {
        APP_UpdateTime = now;
        if (Update()) return;
    }
    MOUSE_UpdateCursor(APP_Window);
    if (now - APP_DrawTime > APP_FrameInterval) {
        APP_DrawTime = now;
        ++APP_DrawTickCount;
        Draw();
        BAR_NoticeStep();
        SYS_DebugFrameHook();
    }
}

uint32_t APP_NextDue() {
    const uint32_t draw = APP_DrawTime + APP_FrameInterval + 1;
    if (MSGBOX_IsOpen(MSGBOX_KIND_QUIT)) return draw;
    const uint32_t update = APP_UpdateTime + APP_FrameInterval + 1;
    return int32_t(update - draw) < 0 ? update : draw;
}

void APP_SetMode(int32_t mode) {
    APP_PrevMode = GAME_MODE;
    GAME_MODE = mode;
}

void APP_SetFrameRate(int8_t index) {
    // A machine class from a damaged settings file runs at the default rate.
    if (index < 0 || index > 3) index = 2;
    APP_FrameInterval = FRAME_RATE_TABLE[index];
    plat::SetFrameInterval(APP_FrameInterval);
}

void APP_DrawDefault() {
    SP_Draw(-1);
    DD_Present();
}

void APP_Quit() {
    SYS_DebugPrint(" ( \x8fI\x97\xb9 ) ");  //  ( 終了 )
    if (APP_Window) plat::DestroyWindow(APP_Window);
}

void APP_FrameReset() {
    GAME_MODE = APP_PrevMode = APP_MODE_BOOT;
    APP_FrameInterval = FRAME_RATE_TABLE[2];
    APP_UpdateTime = APP_DrawTime = 0;
    APP_DrawTickCount = APP_EndCount = 0;
    APP_EndImage = -1;
    BAR_PartsInit(&APP_EndParts[0]);
    BAR_PartsInit(&APP_EndParts[1]);
}
