// Fuzzes the LZ readers that work on an open file: a block read into a new buffer sized from its own
// header, and into a fixed one; hostile sizes are refused before anything is allocated for them.
#include <cstdint>
#include <string>
#include <vector>

#include "display/lz_codec.h"
#include "fuzz/fuzz_files.h"
#include "platform/memory.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::ResetLogs();
    const std::string path = fuzz::MemoryFile("in.lz", data, size);
    if (path.empty()) return 0;
    plat::File f;
    if (!f.Open(path.c_str(), plat::File::Mode::Read)) return 0;
    void* out = nullptr;
    uint32_t u = 0;
    if (LZ_ReadAlloc(&f, &out, &u) == 1) {
        // A block never expands past what its bytes can hold.
        if (!out || u > LZ_MaxExpansion(size)) __builtin_trap();
        plat::Free(out);
        // A second block may follow the first.
        std::vector<uint8_t> fixed(64);
        LZ_Read(&f, fixed.data(), fixed.size(), nullptr);
    } else if (out) {
        __builtin_trap();
    }
    return 0;
}
