// The scenario subsystem's least form until the scenario controller and its system windows are
// written: the modes show the display objects; a restart loads the pending slot at the next
// update, the backlog's capacity is kept and strips are cleared for real.
#include "scenario/snr_mode.h"

#include "display/blt_frame.h"
#include "scenario/save_record.h"
#include "shell/app_frame.h"
#include "shell/bar_link.h"
#include "shell/sysdat.h"

namespace {
int32_t g_log_capacity = 0;
}  // namespace

void SNR_Update() {
    // A restart asked for loads the pending slot now; its fade is the scenario controller's.
    if (!BAR_LINK.restart) return;
    BAR_LINK.restart = 0;
    const int32_t slot = BAR_LINK.load_slot;
    BAR_LINK.load_slot = -1;
    SAVE_ReadSlot(slot);
}
void SNR_Draw() { APP_DrawDefault(); }
void DEPART_Update() {}
void DEPART_Draw() { APP_DrawDefault(); }

void SNR_SetLoadSlot(int32_t slot) { BAR_LINK.load_slot = slot; }
void SNR_SetState(int32_t state) {
    if (state == 7) BAR_LINK.restart = 1;
}

void LOG_Alloc() {
    const int size = SYS_DATA.log_size;
    g_log_capacity = size == 1 ? 128 : size == 2 ? 256 : 64;
}

void LOG_Free() { g_log_capacity = 0; }
int32_t LOG_Capacity() { return g_log_capacity; }

void LOG_ClearSurfaceRect(DDSurface* surface, int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    if (!surface || x1 < x0 || y1 < y0) return;
    auto past = [](int32_t v) { return v == INT32_MAX ? v : v + 1; };
    RECT r{x0, y0, past(x1), past(y1)};
    BLT_FillRect(surface, &r, 0);
}

void EVT_Init() {}
void EVT_Term() {}
