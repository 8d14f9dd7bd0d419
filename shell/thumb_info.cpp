// The save-slot information panel of the load and save windows and the quick panel.
#include "shell/thumb_info.h"

#include <cstdio>
#include <cstring>

#include "display/blt_frame.h"
#include "display/dd_display.h"
#include "scenario/save_slot.h"
#include "services/fil_util.h"
#include "shell/qsave.h"
#include "shell/thumb_bmp.h"
#include "sprite/fnt_font.h"
#include "sprite/img_table.h"
#include "sprite/sp_object.h"
#include "sprite/txt_print.h"

THUMB_INFO_DATA THUMB_INFO{};

namespace {
const char* const kDefaultThumb = "bmp\\quon\\thumb.bmp";

// Full-width lower-case letters (0x8281..0x829A) as their capitals (0x8260..0x8279).
uint8_t FoldWide(uint8_t lead, uint8_t trail) { return lead == 0x82 && trail >= 0x81 && trail <= 0x9A ? uint8_t(trail - 0x21) : trail; }

// Equal without regard to letter case, half-width and full-width; no other trail byte is folded.
bool SameText(const char* a, const char* b) {
    for (;; ++a, ++b) {
        uint8_t x = uint8_t(*a), y = uint8_t(*b);
        if (FNT_IsLead(x)) {
            if (x != y || FoldWide(x, uint8_t(a[1])) != FoldWide(y, uint8_t(b[1]))) return false;
            if (!a[1]) return true;
            ++a, ++b;
            continue;
        }
        if (x >= 'a' && x <= 'z') x = uint8_t(x - 32);
        if (y >= 'a' && y <= 'z') y = uint8_t(y - 32);
        if (x != y) return false;
        if (!x) return true;
    }
}

// The thumbnail part shows `image` (its left 106 x 80), or nothing without one.
void ShowThumbImage(int32_t image) {
    BAR_PARTS& t = THUMB_INFO.thumb;
    if (IMG_Surface(image) == nullptr) {
        t.sprite = SP_Free(t.sprite);
        return;
    }
    int32_t w = 0, h = 0;
    IMG_GetSize(image, &w, &h);
    BAR_PartsSetRect(&t, 0, 0, w < 106 ? w : 106, h < 80 ? h : 80);
    if (t.sprite < 0) t.sprite = SP_FindFree();
    const RECT src{t.left, t.top, t.right, t.bottom};
    const int visible = SP_Get(t.sprite) ? SP_Get(t.sprite)->visible : 0;
    if (t.sprite >= 0 && !SP_CreateStill(t.sprite, -1, t.x, t.y, image, &src)) t.sprite = -1;
    SP_SetVisible(t.sprite, visible);
}

void ReplaceThumb(int32_t image) {
    IMG_Free(THUMB_INFO.thumb_image);
    THUMB_INFO.thumb_image = image;
}

void Colours(uint32_t top, uint32_t bottom, uint32_t shadow) {
    auto px = [](uint32_t c) { return DD_RGB((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF); };
    TXT_SetColor(px(top), px(bottom), px(shadow));
}

// A still part of `image` at priority, hidden, at (x, y).
void MakeStill(BAR_PARTS& part, int32_t image, int priority, int32_t x, int32_t y, int32_t w, int32_t h) {
    BAR_PartsInit(&part);
    BAR_PartsSetRect(&part, 0, 0, w, h);
    part.x = x;
    part.y = y;
    BAR_PartsDraw(&part, image, priority);
    SP_SetVisible(part.sprite, 0);
}
}  // namespace

void THUMB_CaptionLine(const char* caption, int32_t* pos, char* out) {
    int32_t n = 0;
    const char* p = caption + *pos;
    while (n < 16 && p[n]) {
        if (FNT_IsLead(uint8_t(p[n])) && p[n + 1]) {
            n += 2;
        } else {
            ++n;
        }
    }
    std::memcpy(out, p, size_t(n));
    out[n] = 0;
    *pos += n;
}

void THUMB_InfoInit() {
    THUMB_INFO = THUMB_INFO_DATA{};
    MakeStill(THUMB_INFO.panel, BAR_COMMON_IMAGE, -1, 640, 0, THUMB_PANEL_W, THUMB_PANEL_H);
    THUMB_INFO.text_image = IMG_Create(THUMB_PANEL_W, THUMB_PANEL_H, 0);
    MakeStill(THUMB_INFO.text, THUMB_INFO.text_image, -2, 640, 0, THUMB_PANEL_W, THUMB_PANEL_H);
    THUMB_INFO.thumb_image = IMG_Load(FIL_MakePath("%s", kDefaultThumb), 0);
    BAR_PartsInit(&THUMB_INFO.thumb);
    THUMB_INFO.thumb.x = 320;
    ShowThumbImage(THUMB_INFO.thumb_image);
    THUMB_Free();
}

void THUMB_InfoFree() {
    THUMB_INFO.text_image = IMG_Free(THUMB_INFO.text_image);
    THUMB_INFO.thumb_image = IMG_Free(THUMB_INFO.thumb_image);
    BAR_PartsFree(&THUMB_INFO.panel);
    BAR_PartsFree(&THUMB_INFO.text);
    BAR_PartsFree(&THUMB_INFO.thumb);
    THUMB_INFO.shown = 0;
    THUMB_Free();
}

int THUMB_InfoShow(int32_t slot, int32_t x, int32_t y) {
    // The record first: reading it puts back a thumbnail a killed save left aside.
    SAVE_INFO info;
    const int exists = SAVE_ReadInfo(slot, &info);
    // The slot's own thumbnail, else the default picture.
    IMG_Free(THUMB_INFO.thumb_image);
    const char* thumb = THUMB_FileName(SAVE_StorageSlot(slot));
    THUMB_INFO.thumb_image = thumb ? IMG_LoadDat(FIL_MakePath("%s", thumb), 0) : -1;
    if (THUMB_INFO.thumb_image < 0) THUMB_INFO.thumb_image = IMG_Load(FIL_MakePath("%s", kDefaultThumb), 0);

    DDSurface* text = IMG_Surface(THUMB_INFO.text_image);
    if (text) BLT_FillRect(text, nullptr, 0);
    TXT_SetFont(1, 4, 0);
    if (exists) {
        // 【兵器開発】 and 【ＣＬＥＡＲ】 captions show their own pictures.
        if (SameText(info.caption, "    \x81y\x95\xba\x8a\xed\x8aJ\x94\xad\x81z"))
            ReplaceThumb(IMG_Load(FIL_MakePath("bmp\\quon\\thumbe.bmp"), 0));
        else if (SameText(info.caption, "   \x81y\x82" "b\x82k\x82" "d\x82`\x82q\x81z"))
            ReplaceThumb(IMG_Load(FIL_MakePath("bmp\\quon\\thumbc.bmp"), 0));
        if (text) {
            const SAVE_TIME& t = info.time;
            Colours(0xFFFF00, 0xFFFFFF, 0x808080);
            TXT_Print(text, 112, 8, "%04d:%02d:%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
            Colours(0xFFFFFF, 0xFFFFFF, 0x008000);
            TXT_Print(text, 8, 8, "%s", info.chapter);
            char line[18];
            int32_t pos = 0;
            THUMB_CaptionLine(info.caption, &pos, line);
            TXT_Print(text, 120, 40, "%s", line);
            THUMB_CaptionLine(info.caption, &pos, line);
            TXT_Print(text, 120, 56, "%s", line);
        }
    } else if (text) {
        Colours(0xFF2020, 0xFFFFFF, 0x804040);
        TXT_Print(text, 140, 40, "<< no data >>");
        Colours(0x20FFFF, 0xFFFFFF, 0x404080);
        if (QSAVE_DATA.keyboard) {
            TXT_Print(text, 118, 70, "%s", "\x82`\x83{\x83^\x83\x93\x82\xc5\x83Z\x81[\x83u" /* Ａボタンでセーブ */);
            TXT_Print(text, 118, 86, "%s", "\x82" "a\x83{\x83^\x83\x93\x82\xc5\x83\x8d\x81[\x83h" /* Ｂボタンでロード */);
        } else {
            TXT_Print(text, 118, 70, "%s", "\x8d\xb6\x83N\x83\x8a\x83" "b\x83N\x82\xc5\x83Z\x81[\x83u" /* 左クリックでセーブ */);
            TXT_Print(text, 118, 86, "%s", "\x89" "E\x83N\x83\x8a\x83" "b\x83N\x82\xc5\x83\x8d\x81[\x83h" /* 右クリックでロード */);
        }
    }

    for (BAR_PARTS* p : {&THUMB_INFO.panel, &THUMB_INFO.text}) {
        p->x = x;
        p->y = y;
        SP_SetPos(p->sprite, x, y);
        SP_SetVisible(p->sprite, 1);
    }
    THUMB_INFO.thumb.x = x + 5;
    THUMB_INFO.thumb.y = y + 28;
    ShowThumbImage(THUMB_INFO.thumb_image);
    SP_SetVisible(THUMB_INFO.thumb.sprite, 1);
    THUMB_INFO.shown = 1;
    return exists;
}

void THUMB_InfoHide() {
    if (!THUMB_INFO.shown) return;
    SP_SetVisible(THUMB_INFO.panel.sprite, 0);
    SP_SetVisible(THUMB_INFO.text.sprite, 0);
    SP_SetVisible(THUMB_INFO.thumb.sprite, 0);
    THUMB_INFO.shown = 0;
}
