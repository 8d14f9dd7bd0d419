// Text rendering: the global text state (font slot, style, size, colours) and TXT_Print.
#pragma once
#include <cstdint>

#include "platform/display.h"

constexpr int TXT_ROW_COLORS = 32;
constexpr int TXT_FORMAT_BUFFER = 4096;

// Styles: 0 plain, 1 bold, 2 shadow, 3 bold with shadow, 4 outline; any other value draws as 0.
struct TXT_STATE_DATA {
    int32_t font;           // current font slot
    int32_t style;
    int32_t double_size;    // non-zero: every glyph pixel is a 2 x 2 block
    uint16_t top_color;     // pixel values of the display's format, never 0 (the images' key)
    uint16_t bottom_color;
    uint16_t shadow_color;  // shadow and outline passes
    uint16_t row_colors[TXT_ROW_COLORS];  // per glyph row while top and bottom differ
    int32_t ruby_flag;      // set by the text window before ruby; FNT_Select consumes it
    int32_t debug_sheet = -1;  // image id of the 8 x 8 sheet TXT_DebugPrint draws from; -1 none
};
extern TXT_STATE_DATA TXT_STATE;

// Formats (wvsprintf rules) and draws one line with its top-left cell corner at (x, y).
// 1, or 0 when the surface cannot be locked or is not 16 bits per pixel.
int TXT_Print(DDSurface* surface, int32_t x, int32_t y, const char* format, ...)
    __attribute__((format(printf, 4, 5)));
// TXT_Print onto a surface the caller has locked, given by its description. 1, or 0 when the
// description holds no 16-bit pixels.
int TXT_PrintDesc(const DDSURFACEDESC2* desc, int32_t x, int32_t y, const char* format, ...)
    __attribute__((format(printf, 4, 5)));
// 8 x 8 text from the debug sheet: byte b is glyph b - 0x20, 16 glyphs a sheet row, a keyed copy
// every 8 pixels; bytes below 0x20 and from 0x80 up only move the pen. Nothing without a sheet.
void TXT_DebugPrint(DDSurface* surface, int32_t x, int32_t y, const char* format, ...)
    __attribute__((format(printf, 4, 5)));
// Negative arguments are ignored; an empty slot leaves the current font. Always 1.
int TXT_SetFont(int32_t slot, int32_t style, int32_t double_size);
// Makes a loaded slot current (slot 1 becomes 0 once while ruby_flag is set); 0 for an empty slot.
int FNT_Select(int32_t slot);
// Negative arguments keep their colour; 0 is stored as 1. Rebuilds the gradient when top and
// bottom differ.
void TXT_SetColor(int32_t top, int32_t bottom, int32_t shadow);
void TXT_SetStyle(int32_t style);
void TXT_SetDouble(int32_t double_size);
// A half-width cell of the current font: (width >> 1, height), or (width, 2 x height) in double
// size; 0 x 0 while the current slot is empty.
void TXT_GetCellSize(int32_t* width, int32_t* height);
// The defaults FNT_Reset restores: slot 0, style 0, single size, white over colour 1.
void TXT_ResetState();
