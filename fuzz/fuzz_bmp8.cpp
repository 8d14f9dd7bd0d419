// Fuzzes the 8-bit bitmap reader: any file reads or fails cleanly, and a picture read holds exactly
// the bytes its size says.
#include <cstdint>
#include <cstring>
#include <string>

#include "display/grp_file.h"
#include "fuzz/fuzz_files.h"
#include "platform/memory.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::ResetLogs();
    const std::string path = fuzz::MemoryFile("in.bmp", data, size);
    if (path.empty()) return 0;
    GRP_BMP8 img;
    if (GRP_ReadBmp8(&img, path.c_str()) == 1) {
        const size_t n = size_t(img.width) * size_t(img.height);
        if (img.width < 0 || img.height < 0 || n > size) __builtin_trap();
        volatile uint8_t sum = 0;
        for (size_t i = 0; i < n; ++i) sum = uint8_t(sum + img.pixels[i]);  // ASan checks every byte is ours
        plat::Free(img.pixels);
    } else if (img.pixels || img.width || img.height) {
        __builtin_trap();
    }
    return 0;
}
