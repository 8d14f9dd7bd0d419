// The battle mode's least form until its full screen is written: the update step does
// nothing and the draw step shows every visible display object.
#include "battle_modes/btl_mode.h"

#include "shell/app_frame.h"

void BTL_Main() {}

void BTL_Draw() { APP_DrawDefault(); }
