// The quick save/load panel along the right edge (108 display slots, ten at a time, the last ten
// the automatic saves), the blinking mark of the newest save, and the automatic-save rotation.
#pragma once
#include <cstdint>

#include "scenario/save_slot.h"
#include "shell/sys_bar.h"

constexpr int QSAVE_ROWS = 13;  // up arrow, ten slots, down arrow, pin
constexpr int32_t QSAVE_OPEN_X = 616;
constexpr int32_t QSAVE_CLOSED_X = 640;
constexpr int32_t QSAVE_LAST_FIRST = 98;  // the first row shows at most this display slot
constexpr int QSAVE_AUTO_SAVES = 10;

struct QSAVE_DATA_T {
    int32_t x;         // 640 closed, 616 open
    int32_t first;     // display slot of row 1
    int32_t row;       // pointed row, -1 none
    int32_t last_row;
    int32_t keyboard;  // rows last moved with keys or the pad
    int32_t wheel;     // wheel reading taken as the baseline
    BAR_PARTS rows[QSAVE_ROWS];
    int32_t newest;    // display slot saved last, -1 until found
    BAR_PARTS mark;
    int32_t blink;     // 0..15
    int32_t auto_request;  // 0 none, 1 quiet, 2 with a notice
    int32_t skip_block;    // no skipping until the automatic save with a notice has run
    int32_t chosen;        // display slot the open question is about
    int32_t last_x, last_y;     // pointer position divided by 3 at the last step, -1 none
    int32_t choice_code;        // refusal the choice window shows: 1 arrows, 2 wheel, 3 automatic slot, 4 empty slot
    int32_t choice_autosave;    // the choice window shows the automatic-save notice when it opens
};
extern QSAVE_DATA_T QSAVE_DATA;

// Screen y and height of a row.
int32_t QSAVE_RowY(int row);
int32_t QSAVE_RowH(int row);
// The 24 x 40 picture of display slot s (0..109) in the bar's parts picture.
void QSAVE_SlotRect(int32_t s, int32_t* x, int32_t* y);

void QSAVE_PanelInit();
void QSAVE_PanelFree();
void QSAVE_PanelStep();
void QSAVE_PanelDraw();
// Carries out a Yes of the quick panel's question: 3 quick save, 4 quick load.
void QSAVE_Answer(int32_t answer);

// Reads every regular slot file and keeps the latest time of saving; ties keep the lower slot.
// The newest display slot, or -1 when none exists.
int32_t QSAVE_FindNewest();
void QSAVE_SetNewest(int32_t slot);
// Shows the mark beside row (newest - first) of a list of `count` rows `pitch` apart that starts
// at (x, y), blinking; hides it when the newest slot is not in the list or first is -1.
void QSAVE_DrawNewestMark(int32_t x, int32_t y, int32_t pitch, int32_t count, int32_t first);
void QSAVE_MarkInit();
void QSAVE_MarkFree();
// Hides the mark and the slot panel and closes the quick panel at once.
void BAR_QuickClose();

// Moves the automatic saves one place older, each save with its thumbnail: 08 becomes 09 ...
// 00 becomes 01, and 09 is held aside ("ova10", free before: QSAVE_AutoSave first mends what a
// killed save left) until QSAVE_RotateEnd. A file that does not move stops it and every save
// moves back: false (where a move back fails too, the next automatic save mends first). No move
// replaces a file: a place still taken stops it.
bool QSAVE_Rotate();
// Ends a rotation: when the new save was written the held oldest save is dropped; when not,
// every save moves back to where it was (up to a move that fails: the next automatic save mends).
void QSAVE_RotateEnd(int written);
// Carries out a pending automatic save (the text window calls it every frame).
void QSAVE_AutoSave();
