// Fuzzes the palette taken from a packed bitmap: the first four bytes choose the range, the rest
// is the bitmap block; no read may leave the block (ASan watches the memory).
#include <cstdint>
#include <vector>

#include "display/dd_palette.h"
#include "fuzz/fuzz_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4) return 0;
    fuzz::ResetLogs();
    const int first = static_cast<int16_t>(data[0] | data[1] << 8);
    const int count = static_cast<int16_t>(data[2] | data[3] << 8);
    // An exact-size copy so that any over-read is caught.
    std::vector<uint8_t> block(data + 4, data + size);
    DD_PaletteFromDib(block.empty() ? nullptr : block.data(), block.size(), first, count);
    return 0;
}
