// Small helpers of the battle tests.
#pragma once
#include <string>
#include <vector>

#include "platform/headless/headless.h"

namespace battle_test {
// The debug lines printed since the last clear, without their line ends.
inline std::vector<std::string> DebugLines() {
    std::vector<std::string> out;
    for (const std::string& l : headless::DebugOutput())
        if (l != "\r\n") out.push_back(l);
    return out;
}
// How many of them hold the text.
inline int DebugCount(const std::string& text) {
    int n = 0;
    for (const std::string& l : DebugLines()) n += l.find(text) != std::string::npos;
    return n;
}
}  // namespace battle_test
