// The tooltip balloon (layout, typing two characters a frame, each fading in through a glyph
// cell before it joins the strip), the system windows' button arrays and the pointer position.
#include "shell/mwnd_balloon.h"

#include <algorithm>
#include <cstring>

#include "display/blt_frame.h"
#include "display/dd_display.h"
#include "display/prim_pixel.h"
#include "platform/input.h"
#include "sprite/img_table.h"
#include "sprite/sp_draw.h"
#include "sprite/sp_object.h"
#include "sprite/txt_print.h"

namespace {
constexpr int kStepsPerFrame = 2;
constexpr int kPitch = 10;      // pixels from one character, and one line, to the next
constexpr int kFadeStep = 5;
constexpr int kFadeDone = 32;   // the alpha blitter copies from 31 on
constexpr int kUnderline = 32;  // the balloon's last row
constexpr int kFlip = 22;
constexpr int kLeftOffset = -160;

MWND_TIP_DATA EmptyTip() {
    MWND_TIP_DATA t{};
    t.image = t.sprite = -1;
    for (MWND_TIP_CELL& c : t.cell) c.image = c.sprite = -1;
    return t;
}

DDSurface* Strip() { return IMG_Surface(MWND_TIP.image); }
}  // namespace

MWND_TIP_DATA MWND_TIP = EmptyTip();

int32_t MWND_CreateStill(int32_t image, int32_t priority, uint32_t flags) {
    const int id = SP_FindFree();
    if (id < 0 || !SP_CreateStill(id, priority, 0, 0, image, nullptr)) return -1;
    SP_SetFlags(id, flags);
    SP_SetVisible(id, 0);
    return id;
}

// ---- the balloon ----

void MWND_TipInit() {
    MWND_TIP = EmptyTip();
    MWND_TIP.image = IMG_Create(MWND_TIP_WIDTH, MWND_TIP_ABOVE + MWND_TIP_ROWS, 0);
    MWND_TIP.sprite = MWND_CreateStill(MWND_TIP.image, MWND_TIP_PRIORITY, 0);
    MWND_TipInitGlyphs();
}

void MWND_TipFree() {
    MWND_TipFreeGlyphs();
    SP_Free(MWND_TIP.sprite);
    IMG_Free(MWND_TIP.image);
    MWND_TIP = EmptyTip();
}

void MWND_TipInitGlyphs() {
    for (MWND_TIP_CELL& c : MWND_TIP.cell) {
        c.used = 0;
        c.image = IMG_Create(MWND_TIP_CELL_SIZE, MWND_TIP_CELL_SIZE, 0);
        c.sprite = MWND_CreateStill(c.image, MWND_TIP_PRIORITY, SP_ALPHA);
        SP_SetBlend(c.sprite, 0);
    }
}

void MWND_TipFreeGlyphs() {
    for (MWND_TIP_CELL& c : MWND_TIP.cell) {
        c.sprite = SP_Free(c.sprite);
        c.image = IMG_Free(c.image);
        c.used = 0;
    }
}

void MWND_TipFreeGlyph(int i) {
    if (i < 0 || i >= MWND_TIP_CELLS) return;
    MWND_TIP_CELL& c = MWND_TIP.cell[i];
    c.used = 0;
    BLT_FillRect(IMG_Surface(c.image), nullptr, 0);
    SP_SetVisible(c.sprite, 0);
    SP_SetBlend(c.sprite, 0);
}

void MWND_TipHide() {
    MWND_TIP.active = 0;
    SP_SetVisible(MWND_TIP.sprite, 0);
    for (int i = 0; i < MWND_TIP_CELLS; ++i) MWND_TipFreeGlyph(i);
    BLT_FillRect(Strip(), nullptr, 0);
}

void MWND_TipShow(int32_t x, int32_t y, const char* line1, const char* line2, const char* line3) {
    MWND_TipHide();
    MWND_TipSetText(line1, line2, line3);
    MWND_TipLayout(x, y, 40, -10);
}

void MWND_TipSetText(const char* line1, const char* line2, const char* line3) {
    const char* lines[MWND_TIP_LINES] = {line1, line2, line3};
    MWND_TIP.max_count = 0;
    for (int k = 0; k < MWND_TIP_LINES; ++k) {
        char* dst = MWND_TIP.text[k];
        const size_t n = lines[k] ? strnlen(lines[k], MWND_TIP_LINE_SIZE - 1) : 0;
        std::memcpy(dst, lines[k] ? lines[k] : "", n);
        dst[n] = 0;
        MWND_TIP.count[k] = int32_t(n / 2);
        MWND_TIP.max_count = std::max(MWND_TIP.max_count, MWND_TIP.count[k]);
    }
    MWND_TIP.active = 1;
    MWND_TIP.line = 0;
    MWND_TIP.ch = 0;
    BLT_FillRect(Strip(), nullptr, 0);
}

// Near the bottom edge the balloon opens upward; near the right edge it stands left of the anchor.
void MWND_TipLayout(int32_t x, int32_t y, int32_t dx, int32_t dy) {
    MWND_TIP_DATA& t = MWND_TIP;
    t.flip = y < 451 ? 0 : kFlip;
    const int32_t h = x + dx < 471 ? dx : kLeftOffset;
    const int32_t d = std::clamp(dy, -32, 32);
    SP_SetPos(t.sprite, 0, y + d - t.flip - MWND_TIP_ABOVE);
    t.text_x = x + h;
    t.anchor_x = x;
    t.pointer_h = std::clamp(-d, 0, 32);
    t.pointer_x = h >= 1 ? t.text_x - 2 : t.text_x + kPitch * t.max_count;

    const uint32_t colour = DD_RGB(64, 255, 64);
    const int32_t top = MWND_TIP_ABOVE;  // image row of the balloon's row 0
    DDSurface* strip = Strip();
    if (strip) {
        // The underline leaves its end column out; the primitive draws both ends.
        PRIM_SurfHLine16(strip, t.text_x - 2, t.text_x + kPitch * t.max_count - 1, top + kUnderline - t.flip, colour);
        if (t.flip)
            PRIM_SurfLine16(strip, t.pointer_x, top + t.pointer_h, t.anchor_x, top + kUnderline, colour);
        else
            PRIM_SurfLine16(strip, t.pointer_x, top + kUnderline, t.anchor_x, top + t.pointer_h, colour);
    }
    SP_SetVisible(t.sprite, 1);
    for (int i = 0; i < MWND_TIP_CELLS; ++i) MWND_TipFreeGlyph(i);
}

int MWND_TipAddGlyph(int32_t x, int32_t y, const char* character) {
    int i = 0;
    while (i < MWND_TIP_CELLS && MWND_TIP.cell[i].used) ++i;
    if (i == MWND_TIP_CELLS) return 0;
    MWND_TIP_CELL& c = MWND_TIP.cell[i];
    c.used = 1;
    c.x = x;
    c.y = y;
    const SP_OBJ* strip = SP_Get(MWND_TIP.sprite);
    const int32_t sx = strip ? strip->x : 0, sy = strip ? strip->y : 0;
    SP_SetPos(c.sprite, sx + x, sy + MWND_TIP_ABOVE + y);
    SP_SetBlend(c.sprite, 0);
    SP_SetVisible(c.sprite, 1);
    TXT_Print(IMG_Surface(c.image), 0, 0, "%s", character);
    return 1;
}

void MWND_TipFadeGlyphs() {
    for (int i = 0; i < MWND_TIP_CELLS; ++i) {
        MWND_TIP_CELL& c = MWND_TIP.cell[i];
        if (!c.used) continue;
        const SP_BLENDED* o = SP_Blended(c.sprite);
        const int level = (o ? o->blend : 0) + kFadeStep;
        SP_SetBlend(c.sprite, level);
        if (level >= kFadeDone) {
            BLT_Blt(Strip(), c.x, MWND_TIP_ABOVE + c.y, IMG_Surface(c.image), nullptr, 1);
            MWND_TipFreeGlyph(i);
        }
    }
}

void MWND_TipStep() {
    MWND_TipFadeGlyphs();
    MWND_TIP_DATA& t = MWND_TIP;
    if (!t.active) return;
    for (int step = 0; step < kStepsPerFrame; ++step) {
        if (t.ch >= t.count[t.line]) {
            if (t.line == MWND_TIP_LINES - 1) {
                t.active = 0;
                return;
            }
            ++t.line;
            t.ch = 0;
            if (t.count[t.line] == 0) continue;  // an empty line costs this step
        }
        TXT_SetFont(0, 4, 0);
        TXT_SetColor(DD_RGB(64, 255, 64), DD_RGB(64, 255, 64), DD_RGB(32, 64, 32));
        const char glyph[3] = {t.text[t.line][2 * t.ch], t.text[t.line][2 * t.ch + 1], 0};
        if (!MWND_TipAddGlyph(t.text_x + kPitch * t.ch, kPitch * t.line - t.flip + 1, glyph)) return;
        ++t.ch;
    }
}

// ---- button arrays ----

namespace {
// Everything but the window's last four own fields.
void ClearButton(MWND_BUTTON& b) {
    b.state = -1;
    std::fill(std::begin(b.sprite), std::end(b.sprite), -1);
    std::fill(std::begin(b.image), std::end(b.image), -1);
    b.x = b.y = 0;
    b.user[0] = b.user[1] = 0;
    b.tail[0] = b.tail[1] = 0;
}
}  // namespace

int MWND_BtnInit(int n, MWND_BUTTON* buttons) {
    for (int i = 0; i < n; ++i) ClearButton(buttons[i]);
    return n;
}

void MWND_BtnFree(MWND_BUTTON* button) {
    for (int32_t& image : button->image) image = IMG_Free(image);
    for (int32_t& sprite : button->sprite) sprite = SP_Free(sprite);
    ClearButton(*button);
}

int MWND_BtnFreeAll(int n, MWND_BUTTON* buttons) {
    for (int i = 0; i < n; ++i) MWND_BtnFree(&buttons[i]);
    return n;
}

int MWND_BtnHitCheck(int32_t x, int32_t y, const MWND_BUTTON* buttons, int n, int32_t width, int32_t height) {
    for (int i = 0; i < n; ++i) {
        const MWND_BUTTON& b = buttons[i];
        if (x >= b.x && x < b.x + width && y >= b.y && y < b.y + height) return i;
    }
    return -1;
}

int MWND_GetCursorPos(plat::Window* window, int32_t* x, int32_t* y, int32_t screen) {
    POINT p{};
    if (!plat::GetCursorPos(&p)) return 0;
    if (!screen) plat::ScreenToClient(window, &p);
    if (x) *x = p.x;
    if (y) *y = p.y;
    return 1;
}
