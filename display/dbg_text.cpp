// Debug text overlay: glyph cells of "!" upwards, one keyed 8 x 8 copy per character.
#include "display/dbg_text.h"

#include <cstdarg>

#include "display/blt_frame.h"
#include "platform/format.h"
#include "sprite/img_table.h"

int32_t DBGTXT_Slot = -1;
int32_t DBGTXT_Enabled = 0;

namespace {
constexpr int kCell = 8, kAdvance = 7;
constexpr size_t kLine = 128;

// Draws the formatted text; a byte without a whole cell in the strip draws nothing and still
// moves the pen.
void DrawLine(DDSurface* dst, int32_t x, int32_t y, const char* text) {
    DDSurface* strip = IMG_Surface(DBGTXT_Slot);
    DDSURFACEDESC2 d;
    if (!dst || !strip || DD_GetSurfaceDesc(strip, &d) != DD_OK || d.dwHeight < uint32_t(kCell)) return;
    for (int i = 0; text[i]; ++i) {
        int c = static_cast<signed char>(text[i]);
        if (c == 'a') c = 'A';  // the one lower-case letter folded onto its capital
        const int64_t left = int64_t(c - 0x21) * kCell;
        if (left < 0 || left + kCell > int64_t(d.dwWidth)) continue;
        const int64_t at = int64_t(x) + int64_t(kAdvance) * i;
        if (at > INT32_MAX) break;
        RECT r{int32_t(left), 0, int32_t(left + kCell), kCell};
        BLT_Blt(dst, int32_t(at), y, strip, &r, 1);
    }
}

void PrintV(DDSurface* dst, int32_t x, int32_t y, const char* format, va_list ap) {
    if (!DBGTXT_Enabled || DBGTXT_Slot == -1 || !format) return;
    char text[kLine];
    plat::FormatV(text, sizeof text, format, ap);
    DrawLine(dst, x, y, text);
}
}  // namespace

int DBGTXT_Init(const char* file) {
    if (DBGTXT_Slot != -1) return DBGTXT_Slot;
    DBGTXT_Slot = IMG_Load(file, 0);
    if (DBGTXT_Slot != -1) DBGTXT_Enabled = 1;
    return DBGTXT_Slot;
}

void DBGTXT_Term() {
    if (DBGTXT_Slot == -1) return;
    IMG_Release(DBGTXT_Slot);
    DBGTXT_Slot = -1;
}

void DBGTXT_Enable(int flag) {
    if (DBGTXT_Slot != -1) DBGTXT_Enabled = flag;
}

void DBGTXT_Print(DDSurface* dst, int32_t x, int32_t y, const char* format, ...) {
    va_list ap;
    va_start(ap, format);
    PrintV(dst, x, y, format, ap);
    va_end(ap);
}

void DBGTXT_PrintSlot(int image, int32_t x, int32_t y, const char* format, ...) {
    va_list ap;
    va_start(ap, format);
    PrintV(IMG_Surface(image), x, y, format, ap);
    va_end(ap);
}
