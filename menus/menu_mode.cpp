// The between-battle menus' least form until the menu mode and its screens are written: the
// return code is kept.
#include "menus/menu_mode.h"

int32_t MENU_RETURN_CODE = 0;

void MENU_SetReturnCode(int32_t code) { MENU_RETURN_CODE = code; }
