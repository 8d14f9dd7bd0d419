// Reads a fuzzer's bytes as the values a harness needs; past the end every value is 0.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace fuzz {
struct Input {
    const uint8_t* p;
    size_t n;
    uint32_t U32() {
        uint32_t v = 0;
        if (n >= 4) {
            std::memcpy(&v, p, 4);
            p += 4;
            n -= 4;
        } else {
            n = 0;
        }
        return v;
    }
    uint8_t Byte() { return n ? (--n, *p++) : 0; }
    // Mostly near the surfaces; values whose top byte is 0x7F or 0x80 stay at the ends of the range.
    int32_t Near() {
        const int32_t v = static_cast<int32_t>(U32());
        const int top = v >> 24;
        return (top == 0x7F || top == -128) ? v : v % 5000;
    }
};
}  // namespace fuzz
