// Shared set-up of the font and text tests: a headless 565 display, fonts loaded from the writer's
// bytes, and the debug lines the glyph index printed.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/headless/headless.h"
#include "sprite/fnt_font.h"
#include "sprite/txt_print.h"
#include "tests/support/fixture.h"
#include "tests/support/fnt_writer.h"

namespace fonttest {

inline int Load(int slot, const support::Font& f) {
    std::vector<uint8_t> bytes = support::FntBytes(f);
    return FNT_LoadBytes(slot, bytes.data(), bytes.size());
}

// Debug lines without the separate line ends.
inline std::vector<std::string> Lines() {
    std::vector<std::string> out;
    for (const std::string& s : headless::DebugOutput())
        if (s != "\r\n") out.push_back(s);
    return out;
}

class FontTest : public ::testing::Test {
protected:
    explicit FontTest(bool is565 = true) : display_(headless::Config{16, is565}) {}
    void SetUp() override {
        ASSERT_TRUE(display_.ok);
        FNT_Init();
        TXT_STATE.ruby_flag = 0;
        headless::ClearDebugOutput();
    }
    void TearDown() override { FNT_Reset(); }
    support::HeadlessDisplay display_;
};
}  // namespace fonttest
