// The data editors as the battle data meets them: the bullet, technique and CPU behaviour editors.
#pragma once
#include <cstdint>

int EDIT_TAMA_Open();
int EDIT_WAZA_Open();
int MENU_WAZA_Start();
int EDIT_CPU_Open(int32_t mech);
