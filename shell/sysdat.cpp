// The settings-and-progress block and its default key assignment.
#include "shell/sysdat.h"

SysData SYS_DATA{};

void SYSDAT_KeyDefault() {
    // Numeric keypad 2, 1, 4, 7, 8, 9, 6, 3 for the eight directions, then Z, X, C, keypad 5.
    static constexpr uint16_t kKeys[12] = {0x50, 0x4F, 0x4B, 0x47, 0x48, 0x49, 0x4D, 0x51, 0x2C, 0x2D, 0x2E, 0x4C};
    static constexpr uint16_t kPad[12] = {0x10, 0x20, 0x40, 0, 0, 0, 0x80, 0, 0, 0, 0, 0};
    for (int i = 0; i < 20; ++i) SYS_DATA.KEY_MAP[i] = i < 12 ? kKeys[i] : 0xFFFF;
    for (int i = 0; i < 12; ++i) SYS_DATA.PAD_MAP[8 + i] = kPad[i];
}
