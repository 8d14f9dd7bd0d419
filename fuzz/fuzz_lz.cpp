// Fuzzes the LZ block decoder: a hostile block must never write past the destination nor read
// past the input (ASan watches both, the destination sized exactly).
#include <cstdint>
#include <algorithm>
#include <vector>

#include "display/lz_codec.h"
#include "fuzz/fuzz_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    fuzz::ResetLogs();
    size_t capacity = size_t(data[0]) << 4 | (data[1] & 15);
    std::vector<uint8_t> in(data + 2, data + size);  // exact-size copy so reads past it are caught
    std::vector<uint8_t> out(capacity);
    uint32_t u = 0;
    size_t used = 0;
    if (LZ_Decode(in.data(), in.size(), out.data(), out.size(), &u, &used) == 1) {
        if (u > capacity || used > in.size()) __builtin_trap();
        // A block that decodes must survive a re-encode round trip.
        std::vector<uint8_t> again;
        LZ_Encode(out.data(), u, again);
        std::vector<uint8_t> back(u);
        if (LZ_Decode(again.data(), again.size(), back.data(), back.size(), nullptr, nullptr) != 1 ||
            !std::equal(back.begin(), back.end(), out.begin()))
            __builtin_trap();
    }
    return 0;
}
