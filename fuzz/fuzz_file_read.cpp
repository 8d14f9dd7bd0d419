// Fuzzes the whole-file and part readers on a file of any length: the whole file comes back with its
// spare zero byte, and any stretch of it (the count the caller's own, here up to 4 KiB) is the
// file's bytes followed by zeros, never anything read past the block.
//
// Input: 4 bytes offset, 2 bytes count, then the file.
#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz/fuzz_files.h"
#include "services/fil_util.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 6) return 0;
    fuzz::ResetLogs();
    uint32_t offset;
    std::memcpy(&offset, data, 4);
    const uint32_t count = uint32_t(data[4] | (data[5] & 15) << 8);
    const uint8_t* file = data + 6;
    const size_t length = size - 6;
    const std::string path = fuzz::MemoryFile("in.bin", file, length);
    if (path.empty()) return 0;
    const char* name = FIL_MakePath("%s", path.c_str());
    if (FIL_GetSize(name) != int32_t(length)) __builtin_trap();
    auto* whole = static_cast<uint8_t*>(FIL_LoadFile(name));
    if (!whole || std::memcmp(whole, file, length) != 0 || whole[length] != 0) __builtin_trap();
    FIL_FreeBlock(whole);
    if (auto* part = static_cast<uint8_t*>(FIL_ReadPart(name, offset, count))) {
        for (uint32_t i = 0; i < count; ++i) {
            const uint64_t at = uint64_t(offset) + i;
            if (part[i] != (at < length ? file[at] : 0)) __builtin_trap();
        }
        FIL_FreeBlock(part);
    }
    return 0;
}
