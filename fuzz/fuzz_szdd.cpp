// Fuzzes the file expander: any file, packed or not, opens or fails cleanly and reads back within
// its expanded size.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/lz32.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = "/tmp/orv_fuzz_szdd_" + std::to_string(getpid()) + ".dat";
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);
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
