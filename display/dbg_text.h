// Debug text overlay: printf-formatted lines drawn from a strip of 8 x 8 glyphs held in the image table.
#pragma once
#include <cstdint>

#include "platform/display.h"

extern int32_t DBGTXT_Slot;     // image id of the glyph strip, -1 while none is loaded
extern int32_t DBGTXT_Enabled;  // non-zero: drawing on

// Loads the strip once (a second call while loaded does nothing); the image id or -1.
int DBGTXT_Init(const char* file);
void DBGTXT_Term();
void DBGTXT_Enable(int flag);  // only while a strip is loaded
// One line at (x, y), 7 pixels a character, no line breaks; at most 127 characters.
void DBGTXT_Print(DDSurface* dst, int32_t x, int32_t y, const char* format, ...) __attribute__((format(printf, 4, 5)));
// The same into an image of the image table.
void DBGTXT_PrintSlot(int image, int32_t x, int32_t y, const char* format, ...) __attribute__((format(printf, 4, 5)));
