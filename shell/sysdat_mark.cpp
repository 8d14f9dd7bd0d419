// Read marks of the scenario text and the text colours of a colour set, over the settings block.
#include "display/dd_display.h"
#include "services/sound/snd_game.h"
#include "shell/sys_bar.h"
#include "shell/sysdat.h"
#include "sprite/txt_print.h"
#include "title/title.h"

namespace {
int g_text_no = -1;  // current scenario text, -1 none
int g_was_read = 0;  // the last text marked had been read before
}  // namespace

// A new message: the last one's voice stops and can no longer be replayed.
void BAR_SetTextNo(int n) {
    VOICE_Stop();
    BAR_DATA.replay_voice = -1;
    g_text_no = n;
}
int BAR_GetTextNo() { return g_text_no; }
int BAR_GetWasRead() { return g_was_read; }
void BAR_SetWasRead(int flag) { g_was_read = flag; }

void BAR_MarkRead() {
    if (TITLE_PlayKind != 0 || g_text_no < 0) return;
    const int was = SYSDAT_BitOp(SYS_DATA.read_flags, SYSDAT_READ_FLAG_COUNT, g_text_no, -1);
    g_was_read = was == 1 ? 1 : 0;
    SYSDAT_BitOp(SYS_DATA.read_flags, SYSDAT_READ_FLAG_COUNT, g_text_no, 1);
    g_text_no = -1;
}

int BAR_IsReadText() {
    if (SYS_DATA.read_is_click == 0) return 0;
    if (TITLE_PlayKind != 0) return 1;
    if (g_text_no < 0) return 0;
    return SYSDAT_BitOp(SYS_DATA.read_flags, SYSDAT_READ_FLAG_COUNT, g_text_no, -1) == 1 ? 1 : 0;
}

int SYSDAT_GetWndFadeMode() { return SYS_DATA.window_instant; }

void SYSDAT_SetTextColor(int set) {
    TXT_SetFont(1, 4, 0);
    if (set < 0 || set >= SYSDAT_COLOR_SETS) return;
    const uint8_t* c = SYS_DATA.color_set[set];
    const uint16_t top = DD_RGB(c[0], c[1], c[2]);
    const uint16_t bottom = SYS_DATA.gradient_off ? top : DD_RGB(c[3], c[4], c[5]);
    const uint16_t shadow = SYS_DATA.edge_off ? 0 : DD_RGB(c[6], c[7], c[8]);
    TXT_SetColor(top, bottom, shadow);
}
