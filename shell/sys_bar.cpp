// The system bar's screen parts.
#include "shell/sys_bar.h"

void BAR_PartsSetRect(BAR_PARTS* part, int32_t x, int32_t y, int32_t w, int32_t h) {
    part->left = x;
    part->top = y;
    part->right = x + w;
    part->bottom = y + h;
}
