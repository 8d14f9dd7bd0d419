// The save-slot information panel: a slot's thumbnail, chapter, caption and time of saving, or
// a "no data" notice with the buttons that save and load, beside the pointed slot.
#pragma once
#include <cstdint>

#include "shell/sys_bar.h"

constexpr int THUMB_PANEL_W = 256;
constexpr int THUMB_PANEL_H = 112;

struct THUMB_INFO_DATA {
    BAR_PARTS panel;   // common picture (0, 0, 256, 112), priority -1
    BAR_PARTS text;    // its own 256 x 112 image, priority -2
    BAR_PARTS thumb;   // the thumbnail's left 106 x 80, priority -1
    int32_t text_image;   // -1 none
    int32_t thumb_image;  // the picture the thumbnail part shows, -1 none
    int32_t shown;
};
extern THUMB_INFO_DATA THUMB_INFO;

// Creates the three parts hidden, loads the default thumbnail and drops the held one.
void THUMB_InfoInit();
void THUMB_InfoFree();
// Fills the panel for the display slot (0..97 regular, 98..107 automatic saves 0..9) and shows it
// with its top-left corner at (x, y). 1 when the slot holds a save, 0 when it is empty.
int THUMB_InfoShow(int32_t slot, int32_t x, int32_t y);
void THUMB_InfoHide();

// The next line of a caption from byte `pos` on: up to 16 bytes, 17 when a two-byte character
// starts at the 16th. Writes it terminated into `out` (18 bytes) and moves `pos` past it.
void THUMB_CaptionLine(const char* caption, int32_t* pos, char* out);
