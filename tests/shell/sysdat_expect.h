// The settings block's built-in colour sets as a table of top colours, for the tests to compare with.
#pragma once
#include <array>
#include <cstdint>

namespace sysdattest {

// Colour set `set` (0..36): its top colour, a white bottom and the shadow
// ((R + 255) / 4, (G + 255) / 4, B / 4).
inline std::array<uint8_t, 9> ColourSet(int set) {
    struct Group {
        int last;
        uint8_t r, g, b;
    };
    static constexpr Group kGroups[] = {
        {0, 128, 128, 128}, {1, 136, 136, 136}, {2, 99, 59, 180},    {3, 211, 8, 8},       {6, 255, 77, 255},   {8, 0, 255, 0},
        {9, 255, 115, 130}, {10, 255, 255, 15}, {11, 158, 71, 202}, {20, 161, 164, 99}, {36, 128, 128, 128},
    };
    for (const Group& g : kGroups)
        if (set <= g.last)
            return {g.r, g.g, g.b, 255, 255, 255, uint8_t((g.r + 255) / 4), uint8_t((g.g + 255) / 4), uint8_t(g.b / 4)};
    return {};
}

}  // namespace sysdattest
