// The data editors' least form until their dialogs are written: none opens, and each says so
// in the debug output.
#include "editors/edit_data.h"

#include "services/fil_util.h"

namespace {
int NotAvailable(const char* what) {
    SYS_DebugPrint("%s: the editor is not available", what);
    return 0;
}
}  // namespace

int EDIT_TAMA_Open() { return NotAvailable("EDIT_TAMA_Open"); }
int EDIT_WAZA_Open() { return NotAvailable("EDIT_WAZA_Open"); }
int MENU_WAZA_Start() { return NotAvailable("MENU_WAZA_Start"); }
int EDIT_CPU_Open(int32_t mech) { return NotAvailable(mech >= 0 ? "EDIT_CPU_Open" : "EDIT_CPU_Open (no mech)"); }
