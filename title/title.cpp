// The title and ranking screens' least form until the full screens are written: the title shows
// the display objects, the software cursor, a line of each font size and a debug line, and starts
// the first music track, an effect and the first voice line of the database so that a start is heard.
#include "title/title.h"

#include "display/blt_frame.h"
#include "display/dbg_text.h"
#include "display/dd_display.h"
#include "services/key_button.h"
#include "services/mou_cursor.h"
#include "services/sound/snd_game.h"
#include "services/sound/voice_db.h"
#include "shell/app_frame.h"
#include "sprite/fnt_font.h"
#include "sprite/img_table.h"
#include "sprite/sp_draw.h"
#include "sprite/sp_object.h"
#include "sprite/txt_print.h"

int32_t TITLE_PlayKind = 0;

namespace {
int g_text_image = -1;
int g_text_object = -1;
bool g_started = false;

// A line of the sample font in each size, outlined over a gradient, shown by a still object.
void MakeSampleText() {
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
    g_text_object = SP_FindFree();
    if (g_text_object >= 0 && !SP_CreateStill(g_text_object, 100, 0, 208, g_text_image, nullptr)) g_text_object = -1;
}

void Start() {
    g_started = true;
    MakeSampleText();
    MOUSE_SetCursorMode(0);
    MOUSE_ShowCursor(1);
    BGM_Play(0, 1);
    SE_Play(4, 0);
    VOICE_LoadDb();
    if (!VOICE_DB.empty()) VOICE_PlayId(static_cast<int32_t>(VOICE_DB.front().number));
}
}  // namespace

void TITLE_Update() {
    if (!g_started) Start();
    // Nothing here is pointed at: the normal look, whatever a box over the title left.
    MOUSE_SetCursorMode(0);
    KEY_Update();
}

void TITLE_Draw() {
    BLT_FillRect(DD_DISPLAY.back, nullptr, 0);
    SP_Draw(-1);
    // The pointer only: a title at rest draws the same frame every tick.
    DBGTXT_Print(DD_DISPLAY.back, 8, 8, "X %03d Y %03d", MOUSE_FRAME.x, MOUSE_FRAME.y);
}

void TITLE_Term() {
    g_text_object = SP_Free(g_text_object);
    g_text_image = IMG_Free(g_text_image);
    g_started = false;
}

void RANK_Main() {}
void RANK_Draw() { APP_DrawDefault(); }
