// Basic types shared by the platform layer and the game: rectangles, points, result codes.
#pragma once
#include <cstdint>

// The shared rectangle: left, top, right, bottom; right and bottom exclusive where a size is meant.
struct RECT {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
};

struct POINT {
    int32_t x = 0, y = 0;
};

// Result code of platform calls: 0 is success, negative values are failures.
using HRESULT = int32_t;
