// Fuzzes the palette taken over from an 8-bit ".grp" picture: read from the file, or the picture's
// palette handed over directly in a block of exactly its 768 bytes, with any range of entries, on an
// 8-bit display; no read may leave the palette.
//
// Input: two signed 16-bit values (first entry, count), then the file.
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "display/dd_palette.h"
#include "display/grp_file.h"
#include "fuzz/fuzz_files.h"
#include "tests/support/fixture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static support::HeadlessDisplay* display = [] {
        auto* d = new support::HeadlessDisplay({16, true}, 64, 48);
        if (d->ok) DD_ChangeMode(64, 48, 8, 1, 0, 1);
        return d;
    }();
    if (!display->ok || size < 4) return 0;
    fuzz::ResetLogs();
    const int first = int16_t(data[0] | data[1] << 8), count = int16_t(data[2] | data[3] << 8);
    const std::string path = fuzz::MemoryFile("in.grp", data + 4, size - 4);
    GRP_IMAGE img;
    if (!path.empty() && GRP_ReadGrp(path.c_str(), &img) == 1) {
        DD_PaletteFromGrp(&img, first, count);
        GRP_FreeImage(&img);
    }
    if (size - 4 >= GRP_PALETTE_SIZE) {
        std::unique_ptr<uint8_t[]> palette(new uint8_t[GRP_PALETTE_SIZE]);
        std::memcpy(palette.get(), data + 4, GRP_PALETTE_SIZE);
        GRP_IMAGE direct;
        direct.bpp = 8, direct.width = 1, direct.height = 1, direct.pixels = palette.get(), direct.palette = palette.get();
        DD_PaletteFromGrp(&direct, first, count);
    }
    return 0;
}
