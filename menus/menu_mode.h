// The between-battle menus as the shell meets them.
#pragma once
#include <cstdint>

// 1: the menu mode was opened by a script command and returns to the scenario.
extern int32_t MENU_RETURN_CODE;
void MENU_SetReturnCode(int32_t code);
