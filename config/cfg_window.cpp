// The configuration window's least form until the window and its pages are written: it does
// not open, and says so in the debug output.
#include "config/cfg_window.h"

#include "services/fil_util.h"

int CFG_Open(int32_t x, int32_t y) {
    SYS_DebugPrint("config: the window is not available (%d, %d)", x, y);
    return 0;
}
