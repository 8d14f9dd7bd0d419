// One body for the harnesses of the sound content's table files: the parser replaces its table
// from any text, and what it keeps stays inside its bounds.
#pragma once
#include <cstdint>
#include <string_view>

#include "platform/headless/headless.h"

namespace fuzz {
template <class Parse, class Check>
int TableInput(const uint8_t* data, size_t size, Parse parse, Check check) {
    headless::ClearDebugOutput();
    parse(std::string_view(reinterpret_cast<const char*>(data), size));
    check();
    return 0;
}
}  // namespace fuzz
