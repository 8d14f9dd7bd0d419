// The file expander: plain files pass through, packed files from the system's packer expand to
// their original bytes, the window starts as spaces at 4096 - 16, and cut files fail.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>

#include "platform/lz32.h"
#include "tests/support/fixture.h"
#include "tests/support/grp_writer.h"

namespace {
using Bytes = std::vector<uint8_t>;

// Writes `bytes` and reads the file back whole through the expander; *err gets the open's error.
Bytes Expand(const std::string& name, const Bytes& bytes, int32_t* err = nullptr) {
    EXPECT_TRUE(support::WriteBytes(name, bytes));
    OFSTRUCT of;
    int32_t h = LZOpenFileA(name.c_str(), &of, OF_READ), n;
    if (err) *err = std::min(h, 0);
    Bytes out;
    uint8_t buf[1000];
    while (h >= 0 && (n = LZRead(h, buf, sizeof buf)) > 0) out.insert(out.end(), buf, buf + n);
    if (h >= 0) {
        EXPECT_EQ(n, 0);
        LZClose(h);
    }
    return out;
}

Bytes Packed(uint32_t size, Bytes body, uint8_t method = 'A') {
    Bytes f = {'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x33, method, 0};
    for (int i = 0; i < 4; ++i) f.push_back(uint8_t(size >> (8 * i)));
    f.insert(f.end(), body.begin(), body.end());
    return f;
}
}  // namespace

TEST(Lz32, PlainFilesSeeksAndTheWindow) {
    support::TempDir dir;
    Bytes almost = {'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x34, 'A', 0, 1, 0, 0, 0, 9};
    EXPECT_EQ(Expand("almost.dat", almost), almost);
    EXPECT_TRUE(Expand("empty.dat", {}).empty());
    ASSERT_TRUE(support::WriteBytes("Plain.DAT", {'B', 'M'}));
    OFSTRUCT of;
    int32_t h = LZOpenFileA("plain.dat", &of, OF_READ);  // through the case-insensitive resolver
    ASSERT_GE(h, 0);
    LZClose(h);
    EXPECT_EQ(LZOpenFileA("missing.dat", &of, OF_READ), LZERROR_BADINHANDLE);
    EXPECT_EQ(LZRead(h, nullptr, 0), LZERROR_BADINHANDLE);  // closed

    // A copy from window position 0 before anything was written gives spaces; the first literal
    // lands at 4096 - 16 = 0xFF0, one before it still holds a space, copied bytes land too.
    EXPECT_EQ(Expand("spaces.dat", Packed(5, {0x00, 0x00, 0x02})), Bytes(5, ' '));
    EXPECT_EQ(Expand("start.dat", Packed(4, {0x01, 'A', 0xF0, 0xF0})), Bytes(4, 'A'));
    EXPECT_EQ(Expand("before.dat", Packed(4, {0x01, 'A', 0xEF, 0xF0})), (Bytes{'A', ' ', 'A', ' '}));

    // 'A', then 16 bytes copied from the window: seeks and reads see the 17 expanded bytes.
    ASSERT_TRUE(support::WriteBytes("p.dat", Packed(17, {0x01, 'A', 0xF0, 0xFD})));
    ASSERT_GE(h = LZOpenFileA("p.dat", &of, OF_READ), 0);
    EXPECT_EQ(LZSeek(h, 0, 2), 17);
    EXPECT_EQ(LZSeek(h, 15, 0), 15);
    uint8_t b[4];
    EXPECT_EQ(LZRead(h, b, 4), 2);
    EXPECT_EQ(LZSeek(h, 1, 2), LZERROR_BADVALUE);
    EXPECT_EQ(LZRead(h, b, -1), LZERROR_BADVALUE);
    LZClose(h);
}

TEST(Lz32, CutOrHostilePackedFilesFail) {
    support::TempDir dir;
    Bytes good = Packed(6, {0x07, 'x', 'y', 'z', 0xF0, 0xF0});
    ASSERT_EQ(Expand("g.dat", good), (Bytes{'x', 'y', 'z', 'x', 'y', 'z'}));
    int32_t err = 0;
    for (size_t cut = 8; cut < good.size(); ++cut) {  // shorter cuts are no longer packed files
        Expand("cut.dat", Bytes(good.begin(), good.begin() + cut), &err);
        EXPECT_LT(err, 0) << "cut at " << cut;
    }
    Expand("huge.dat", Packed(0xFFFFFFFFu, {0xFF, 1, 2, 3, 4, 5, 6, 7, 8}), &err);  // nothing reserved
    EXPECT_EQ(err, LZERROR_READ);
    good[8] = 'B';
    Expand("other.dat", good, &err);
    EXPECT_EQ(err, LZERROR_UNKNOWNALG);
}

TEST(Lz32, FilesFromTheSystemPackerExpandToTheOriginal) {
    if (!support::HaveTool("mscompress")) GTEST_SKIP() << "mscompress is not installed";
    support::TempDir dir;
    std::string text;
    for (int i = 0; i < 400; ++i) text += "line " + std::to_string(i % 37) + " of the quick brown fox\n";
    Bytes noise(70000), runs(20000);
    std::mt19937 rng(3);
    for (auto& b : noise) b = uint8_t(rng());
    for (size_t i = 0; i < runs.size(); ++i) runs[i] = uint8_t((i / 300) % 3 == 0 ? ' ' : i / 300);
    const std::pair<std::string, Bytes> inputs[] = {{"text.dat", Bytes(text.begin(), text.end())},
        {"noise.dat", noise}, {"runs.dat", runs}, {"small.dat", Bytes(text.begin(), text.begin() + 16)}};
    for (auto& [name, bytes] : inputs) {
        ASSERT_TRUE(support::WriteBytes(name, bytes));
        ASSERT_EQ(std::system(("mscompress " + name + " >/dev/null 2>&1").c_str()), 0) << name;
        Bytes packed = support::ReadBytes(name + "_");
        ASSERT_TRUE(packed.size() >= 14 && packed[0] == 'S') << name;
        EXPECT_EQ(Expand(name + "_", packed), bytes) << name;
        packed.pop_back();  // the last packed byte is always needed
        int32_t err = 0;
        Expand("cut_" + name, packed, &err);
        EXPECT_EQ(err, LZERROR_READ) << name;
    }
}
