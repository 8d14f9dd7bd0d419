// The between-battle menus' least form, the menu mode and its screens not being specified: the
// return code is kept.
#include "menus/menu_mode.h"

int32_t MENU_RETURN_CODE = 0;

void MENU_SetReturnCode(int32_t code) { MENU_RETURN_CODE = code; }
