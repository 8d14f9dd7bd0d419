// The 96 banks of channel blends, built once when the display starts.
#include "display/blt_level.h"

#include <algorithm>

uint8_t BLT_BLEND_TABLE[BLT_BLEND_BANKS][1024];

void BLT_BuildTables() {
    for (int b = 0; b < BLT_BLEND_BANKS; ++b) {
        for (int d = 0; d < 32; ++d) {
            for (int s = 0; s < 32; ++s) {
                int v;
                if (b == 0) {
                    v = s == 0 ? 0 : d;
                } else if (b <= 30) {
                    v = d + (((s - d) * b) >> 5);  // arithmetic shift: rounds toward minus infinity
                    if (s != 0 && v == 0) v = 1;
                } else if (b == 31) {
                    v = s;
                } else {
                    v = std::min(31, d + ((s * (b - 32)) >> 5));
                }
                BLT_BLEND_TABLE[b][d * 32 + s] = static_cast<uint8_t>(v);
            }
        }
    }
}
