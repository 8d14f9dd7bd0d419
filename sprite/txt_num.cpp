// Digit-strip numbers: one cell of a ten-digit picture strip per position.
#include "sprite/txt_num.h"

#include <algorithm>
#include <cstdlib>

#include "display/blt_frame.h"

TXT_NUMSTYLE TXT_NUM_STYLE[TXT_NUM_STYLES];

void TXT_SetNumStyle(int slot, DDSurface** surface_ref, uint32_t sign_banks, int32_t src_x, int32_t src_y,
                     int32_t digit_w, int32_t digit_h) {
    if (slot < 0 || slot >= TXT_NUM_STYLES) return;
    TXT_NUM_STYLE[slot] = TXT_NUMSTYLE{sign_banks, src_x, src_y, digit_w, digit_h, surface_ref};
}

uint32_t TXT_GetNumStyleFlag(int slot) {
    return slot >= 0 && slot < TXT_NUM_STYLES ? TXT_NUM_STYLE[slot].sign_banks : 0;
}

// The sign flag has no effect: no caller asks for a sign cell.
int32_t TXT_DrawNum(DDSurface* dst, int32_t x, int32_t y, int slot, int32_t value, int digits, int bank_flag,
                    int sign_flag, int advance, int key) {
    if (slot < 0 || slot >= TXT_NUM_STYLES) return x;
    const TXT_NUMSTYLE& st = TXT_NUM_STYLE[slot];
    DDSurface* strip = st.surface_ref ? *st.surface_ref : nullptr;
    if (!strip) return x;  // an unset style has nothing to draw from
    int64_t strip_x = st.src_x;
    if (bank_flag && st.sign_banks) strip_x += value > 0 ? 10 * int64_t(st.digit_w) : value < 0 ? 20 * int64_t(st.digit_w) : 0;
    // At most 10 positions can hold a digit of a 32-bit value; any further ones stay blank.
    const int positions = std::max(digits, 1);
    uint64_t divisor = 1;
    for (int i = 1; i < std::min(positions, 19); ++i) divisor *= 10;
    // A magnitude that does not fit shows the largest that does, never a cell past digit 9.
    uint64_t v = std::min<uint64_t>(uint64_t(std::llabs(int64_t(value))), divisor * 10 - 1);
    int64_t pen = x;
    bool drawn = false;
    for (int i = positions; i >= 1; --i) {
        uint64_t d = 0;
        if (i <= 19) {
            d = v / divisor;
            v -= d * divisor;
        }
        const bool units = i == 1;
        if (d > 0 || drawn || units) {
            const int64_t left = strip_x + int64_t(d) * st.digit_w;
            RECT r{int32_t(left), st.src_y, int32_t(left + st.digit_w), st.src_y + st.digit_h};
            BLT_Blt(dst, int32_t(pen), y, strip, &r, key ? 1 : 0);
            drawn = true;
            if (advance == 0) pen += st.digit_w;
        }
        if (advance == 1) pen += st.digit_w;
        if (i <= 19 && divisor > 1) divisor /= 10;
    }
    return int32_t(pen);
}
