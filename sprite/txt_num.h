// Numbers drawn from a picture strip of ten digit cells.
#pragma once
#include <cstdint>

#include "platform/display.h"

constexpr int TXT_NUM_STYLES = 9;

struct TXT_NUMSTYLE {
    uint32_t sign_banks;     // non-zero: banks of ten cells for zero, positive and negative values
    int32_t src_x, src_y;    // cell of digit 0
    int32_t digit_w, digit_h;
    DDSurface** surface_ref; // an image slot's surface field, read at every draw
};
extern TXT_NUMSTYLE TXT_NUM_STYLE[TXT_NUM_STYLES];

void TXT_SetNumStyle(int slot, DDSurface** surface_ref, uint32_t sign_banks, int32_t src_x, int32_t src_y,
                     int32_t digit_w, int32_t digit_h);
uint32_t TXT_GetNumStyleFlag(int slot);  // the style's sign_banks; 0 outside 0..8
// Draws value in `digits` positions (leading zeros blank, the units always drawn); advance 1 moves
// the pen one cell per position, 0 per drawn digit. A magnitude that does not fit shows the
// largest number that does. Returns the pen x after the last position.
int32_t TXT_DrawNum(DDSurface* dst, int32_t x, int32_t y, int slot, int32_t value, int digits, int bank_flag,
                    int sign_flag, int advance, int key);
