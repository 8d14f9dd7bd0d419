// The bottom notice and the music-title notice: strips drawn with text, stepped every draw tick.
#include "shell/bar_notice.h"

#include <cstring>

#include "display/dd_display.h"
#include "scenario/snr_mode.h"
#include "shell/sysdat.h"
#include "sprite/img_table.h"
#include "sprite/sp_draw.h"
#include "sprite/sp_object.h"
#include "sprite/txt_print.h"

BAR_NOTICE_DATA BAR_NOTICE{{0, 0, 0, -1, 0, 0, 0, 0, {}}, -1, 0, -1, {0, 0, 0, -1, 0, 0, 0, 0, {}},
                           {0, 0, 0, -1, 0, 0, 0, 0, {}}, -1, 0, 0};

namespace {
constexpr int kPriority = -5;
constexpr int kMusicLevel = 30;

void MakePart(BAR_PARTS& part, int32_t image, int32_t x, int32_t y, int32_t sx, int32_t sy, int32_t w, int32_t h) {
    BAR_PartsInit(&part);
    part.x = x;
    part.y = y;
    BAR_PartsSetRect(&part, sx, sy, w, h);
    BAR_PartsDraw(&part, image, kPriority);
}

// Clears the strip and prepares the text state: font slot 1, outlined, single size.
DDSurface* Prepare(int32_t image) {
    DDSurface* s = IMG_Surface(image);
    LOG_ClearSurfaceRect(s, 0, 0, BAR_NOTICE_W - 1, BAR_NOTICE_H - 1);
    TXT_SetFont(1, 4, 0);
    return s;
}

void Move(BAR_PARTS& part, int32_t x, int32_t y) {
    part.x = x;
    part.y = y;
    SP_SetPos(part.sprite, x, y);
}
}  // namespace

void BAR_NoticeInit() {
    BAR_NOTICE.image = IMG_Create(BAR_NOTICE_W, BAR_NOTICE_H, 0);
    MakePart(BAR_NOTICE.strip, BAR_NOTICE.image, 16, 480, 0, 0, BAR_NOTICE_W, BAR_NOTICE_H);
    BAR_NOTICE.music_image = IMG_Create(BAR_NOTICE_W, BAR_NOTICE_H, 0);
    MakePart(BAR_NOTICE.music, BAR_NOTICE.music_image, 664, 0, 0, 0, BAR_NOTICE_W, BAR_NOTICE_H);
    MakePart(BAR_NOTICE.mark, BAR_COMMON_IMAGE, 664, 0, 240, 112, 16, 16);
    for (BAR_PARTS* p : {&BAR_NOTICE.music, &BAR_NOTICE.mark}) {
        SP_SetFlags(p->sprite, SP_ALPHA);
        SP_SetBlend(p->sprite, kMusicLevel);
    }
    BAR_NOTICE.counter = BAR_NOTICE.music_counter = BAR_NOTICE.length = 0;
    BAR_NOTICE.priority = -1;
}

void BAR_NoticeFree() {
    BAR_NOTICE.image = IMG_Free(BAR_NOTICE.image);
    BAR_NOTICE.music_image = IMG_Free(BAR_NOTICE.music_image);
    BAR_PartsFree(&BAR_NOTICE.strip);
    BAR_PartsFree(&BAR_NOTICE.music);
    BAR_PartsFree(&BAR_NOTICE.mark);
    BAR_NOTICE.counter = BAR_NOTICE.music_counter = 0;
    BAR_NOTICE.priority = -1;
}

void BAR_Notice(const char* text, int32_t colour, int32_t priority) {
    if (SYS_DATA.notice_off == 1 || BAR_NOTICE.priority > priority) return;
    BAR_NOTICE.priority = priority;
    BAR_NOTICE.counter = BAR_NOTICE_FRAMES;
    DDSurface* s = Prepare(BAR_NOTICE.image);
    if (colour == 1)
        TXT_SetColor(DD_RGB(128, 255, 128), DD_RGB(255, 192, 192), DD_RGB(0, 128, 0));
    else
        TXT_SetColor(DD_RGB(255, 64, 64), DD_RGB(255, 192, 192), DD_RGB(128, 32, 32));
    if (s && text) TXT_Print(s, 0, 1, "%s", text);
}

void BAR_MusicNotice(const char* text) {
    if (SYS_DATA.music_title_off == 1) return;
    BAR_NOTICE.music_counter = BAR_NOTICE_FRAMES;
    BAR_NOTICE.length = text ? int32_t(std::strlen(text)) : 0;
    DDSurface* s = Prepare(BAR_NOTICE.music_image);
    TXT_SetColor(DD_RGB(128, 255, 255), DD_RGB(255, 255, 255), DD_RGB(0, 128, 0));
    if (s && text) TXT_Print(s, 0, 1, "%s", text);
}

void BAR_NoticeStep() {
    BAR_NOTICE_DATA& n = BAR_NOTICE;
    // Up 3 pixels a frame for 7 frames, 25 frames at 456, down 3 pixels a frame.
    if (n.counter >= 1) {
        const int32_t c = --n.counter;
        const int32_t y = c >= 33 ? 480 - 3 * (40 - c) : c >= 8 ? 456 : 480 - 3 * c;
        Move(n.strip, 16, y);
    }
    if (n.counter == 0) n.priority = -1;
    // In from the right while fading in, 25 frames still, then fading out where it stands.
    if (n.music_counter >= 1) {
        const int32_t w = n.length * 7 + 44;
        const int32_t c = --n.music_counter;
        int32_t x = 664 - w, level = kMusicLevel;
        if (c >= 33) {
            x = 664 - w + (8 - (40 - c)) * 8;
            level = 157 - 4 * c;
        } else if (c < 8) {
            level = 4 * c;
        }
        SP_SetBlend(n.music.sprite, level);
        SP_SetBlend(n.mark.sprite, level);
        Move(n.music, x + 16, 0);
        Move(n.mark, x, 0);
    }
}

void BAR_NoticeClear() {
    if (BAR_NOTICE.counter >= 1) BAR_NOTICE.counter = 1;
    if (BAR_NOTICE.music_counter >= 1) BAR_NOTICE.music_counter = 1;
    BAR_NoticeStep();
}
