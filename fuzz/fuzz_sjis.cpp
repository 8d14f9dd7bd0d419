// Fuzzes the Shift-JIS and UTF-8 conversions: any bytes convert without reading past them, and text
// that came out of a conversion converts back and forth to itself.
#include <cstdint>
#include <string>

#include "platform/text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::string utf8 = plat::Cp932ToUtf8(bytes);
    const std::string sjis = plat::Utf8ToCp932(utf8);
    if (plat::Cp932ToUtf8(sjis) != utf8) __builtin_trap();
    const std::string back = plat::Cp932ToUtf8(plat::Utf8ToCp932(bytes));
    if (plat::Cp932ToUtf8(plat::Utf8ToCp932(back)) != back) __builtin_trap();
    return 0;
}
