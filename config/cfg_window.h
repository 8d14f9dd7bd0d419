// The configuration window as the shell meets it.
#pragma once
#include <cstdint>

// Opens the "config" window at (x, y) on the menu-window stack; 1 when it opened.
int CFG_Open(int32_t x, int32_t y);
