// Replays every input a fuzz harness once failed on (fuzz/crashes/<harness>/) through that harness:
// each must now run to its end, under the sanitizer build without a report.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {
std::vector<std::filesystem::path> Inputs() {
    std::vector<std::filesystem::path> files;
    for (const auto& e : std::filesystem::directory_iterator(ORV_CRASH_DIR))
        if (e.is_regular_file()) files.push_back(e.path());
    std::sort(files.begin(), files.end());
    return files;
}
}  // namespace

TEST(CrashInputs, EachRunsThroughTheHarness) {
    const std::vector<std::filesystem::path> files = Inputs();
    ASSERT_FALSE(files.empty()) << ORV_CRASH_DIR;
    for (const auto& f : files) {
        SCOPED_TRACE(f.filename().string());
        std::ifstream in(f, std::ios::binary);
        ASSERT_TRUE(in) << f;
        const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        EXPECT_EQ(LLVMFuzzerTestOneInput(bytes.data(), bytes.size()), 0);
    }
}
