// The tooltip balloon that types up to three lines beside a point, the button arrays of the
// system windows with their hit test, and the mouse position in client coordinates.
#pragma once
#include <cstdint>

#include "platform/window.h"

constexpr int MWND_TIP_LINES = 3;
constexpr int MWND_TIP_LINE_SIZE = 80;  // 79 bytes of text and the terminator
constexpr int MWND_TIP_CELLS = 16;
constexpr int MWND_TIP_CELL_SIZE = 12;
constexpr int MWND_TIP_PRIORITY = -6;
constexpr int MWND_TIP_WIDTH = 640;
// Rows 0..32 of the balloon as laid out; an upward balloon's text reaches 21 rows above row 0,
// so the strip image has rows above it and its object stands that much higher.
constexpr int MWND_TIP_ROWS = 33;
constexpr int MWND_TIP_ABOVE = 22;

struct MWND_TIP_CELL {
    int32_t used;
    int32_t image;   // 12 x 12
    int32_t sprite;  // alpha with level (0x40), priority -6, hidden at rest
    int32_t x, y;    // relative to the balloon's row 0
};

struct MWND_TIP_DATA {
    int32_t active;    // characters remain to be typed
    int32_t image;     // the strip, MWND_TIP_ABOVE + MWND_TIP_ROWS rows
    int32_t sprite;
    int32_t text_x, anchor_x, pointer_h, pointer_x, flip;  // relative to the balloon
    int32_t line, ch;  // typing position
    char text[MWND_TIP_LINES][MWND_TIP_LINE_SIZE];
    int32_t count[MWND_TIP_LINES];  // characters (bytes / 2)
    int32_t max_count;
    MWND_TIP_CELL cell[MWND_TIP_CELLS];
};
extern MWND_TIP_DATA MWND_TIP;

void MWND_TipInit();
void MWND_TipFree();
void MWND_TipShow(int32_t x, int32_t y, const char* line1, const char* line2, const char* line3);
void MWND_TipHide();
void MWND_TipStep();
void MWND_TipSetText(const char* line1, const char* line2, const char* line3);
void MWND_TipLayout(int32_t x, int32_t y, int32_t dx, int32_t dy);
int MWND_TipAddGlyph(int32_t x, int32_t y, const char* character);
void MWND_TipFadeGlyphs();
void MWND_TipFreeGlyph(int i);
void MWND_TipInitGlyphs();
void MWND_TipFreeGlyphs();

// A still display object of the whole image in the first free id, hidden; -1 when none.
int32_t MWND_CreateStill(int32_t image, int32_t priority, uint32_t flags);

// The button record of the system windows; one window's buttons share a width and height.
struct MWND_BUTTON {
    int32_t state;      // -1 none
    int32_t sprite[3];  // -1 none
    int32_t image[3];   // -1 none
    int32_t x, y;
    int32_t user[6];    // the window's own; BtnInit and BtnFree clear the first two
    int32_t tail[2];
};
static_assert(sizeof(MWND_BUTTON) == 17 * 4);

int MWND_BtnInit(int n, MWND_BUTTON* buttons);
void MWND_BtnFree(MWND_BUTTON* button);
int MWND_BtnFreeAll(int n, MWND_BUTTON* buttons);
// Index of the first button whose rectangle (left and top inclusive) holds the point, or -1.
int MWND_BtnHitCheck(int32_t x, int32_t y, const MWND_BUTTON* buttons, int n, int32_t width, int32_t height);

// The pointer; converted to the window's client area unless screen is non-zero. 1, or 0 when
// the position cannot be read.
int MWND_GetCursorPos(plat::Window* window, int32_t* x, int32_t* y, int32_t screen);
