// Fuzzes the BMP view of the thumbnail helpers: any bytes parse into a view whose every pixel
// reads, writes, averages, shrinks and is searched for the cursor inside the bytes.
#include <cstdint>
#include <vector>

#include "shell/thumb_bmp.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> image(data, data + size);  // exact size, so reads past it are caught
    THUMB_BMP_VIEW view;
    THUMB_ParseBmp(&view, image.data(), image.size());
    // Pictures of every depth parse; only small ones are walked pixel by pixel.
    if (int64_t(view.width) * view.height > 1 << 16) return 0;
    uint32_t sum = 0;
    for (int32_t y = -1; y <= view.height; ++y)
        for (int32_t x = -1; x <= view.width; ++x) sum += THUMB_GetPixel(&view, x, y);
    THUMB_SetPixel(&view, view.width - 1, view.height - 1, sum);
    THUMB_SetPixel(&view, 0, 0, sum >> 3);
    THUMB_Average(&view, -2, -2, view.width + 4, view.height + 4);
    THUMB_IMAGE small;
    if (view.width >= 4 && view.height >= 4) THUMB_Shrink(&view, small, view.width / 2, view.height / 2);
    THUMB_TEMPLATE t;
    t.box = 2;
    t.pixels = {{1, 0, THUMB_GetPixel(&view, 1, 0)}, {2, 1, THUMB_GetPixel(&view, 2, 1)}};
    THUMB_EraseCursor(&view, t);
    return 0;
}
