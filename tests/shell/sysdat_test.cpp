// The settings block: its size and the default control assignment.
#include <gtest/gtest.h>

#include <cstring>

#include "shell/sysdat.h"

TEST(SysData, DefaultKeysAndPadButtonsLeaveTheDirectionPadEntries) {
    std::memset(&SYS_DATA, 0x5A, sizeof SYS_DATA);
    SYSDAT_KeyDefault();
    const uint16_t keys[12] = {80, 79, 75, 71, 72, 73, 77, 81, 44, 45, 46, 76};
    for (int i = 0; i < 12; ++i) EXPECT_EQ(SYS_DATA.KEY_MAP[i], keys[i]) << i;
    for (int i = 12; i < 20; ++i) EXPECT_EQ(SYS_DATA.KEY_MAP[i], 0xFFFF) << i;
    for (int i = 0; i < 8; ++i) EXPECT_EQ(SYS_DATA.PAD_MAP[i], 0x5A5A) << i;
    const uint16_t pad[12] = {0x10, 0x20, 0x40, 0, 0, 0, 0x80, 0, 0, 0, 0, 0};
    for (int i = 0; i < 12; ++i) EXPECT_EQ(SYS_DATA.PAD_MAP[8 + i], pad[i]) << i;
    // Nothing outside the two maps is touched.
    EXPECT_EQ(SYS_DATA.numpad_dirs, 0x5A);
    EXPECT_EQ(SYS_DATA.reserved_1490[0], 0x5A);
    std::memset(&SYS_DATA, 0, sizeof SYS_DATA);
}
