// Fuzzes the file expander: any file, packed or not, opens or fails cleanly and reads back within
// its expanded size.
#include <cstdint>
#include <string>

#include "fuzz/fuzz_files.h"
#include "platform/lz32.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::ResetLogs();
    const std::string path = fuzz::MemoryFile("in.dat", data, size);
    if (path.empty()) return 0;
    OFSTRUCT of;
    int32_t h = LZOpenFileA(path.c_str(), &of, OF_READ);
    if (h < 0) return 0;
    int32_t total = LZSeek(h, 0, 2);
    LZSeek(h, 0, 0);
    uint8_t buf[777];
    int32_t n, got = 0;
    while ((n = LZRead(h, buf, sizeof buf)) > 0) got += n;
    if (n < 0 || got != total) __builtin_trap();
    LZClose(h);
    return 0;
}
