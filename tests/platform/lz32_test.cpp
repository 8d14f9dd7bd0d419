// The file expander: plain files pass through, packed files from the system's packer expand to
// their original bytes, the window starts as spaces at 4096 - 16, and cut files fail.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>

#include "platform/lz32.h"
#include "tests/support/fixture.h"

namespace {
bool HaveTool(const char* tool) { return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0; }

// Reads a whole file through the expander; negative open errors are returned in *err.
std::vector<uint8_t> ReadAll(const std::string& name, int32_t* err = nullptr) {
    OFSTRUCT of;
    int32_t h = LZOpenFileA(name.c_str(), &of, OF_READ);
    if (err) *err = h < 0 ? h : 0;
    std::vector<uint8_t> out;
    if (h < 0) return out;
    uint8_t buf[1000];
    int32_t n;
    while ((n = LZRead(h, buf, sizeof buf)) > 0) out.insert(out.end(), buf, buf + n);
    EXPECT_EQ(n, 0);
    LZClose(h);
    return out;
}

std::vector<uint8_t> Packed(uint32_t size, std::vector<uint8_t> body) {
    std::vector<uint8_t> f = {'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x33, 'A', 0};
    for (int i = 0; i < 4; ++i) f.push_back(uint8_t(size >> (8 * i)));
    f.insert(f.end(), body.begin(), body.end());
    return f;
}
}  // namespace

TEST(Lz32, PlainFilesReadAsTheyAre) {
    support::TempDir dir;
    std::vector<uint8_t> text = {'B', 'M', 1, 2, 3};
    std::vector<uint8_t> almost = {'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x34, 'A', 0, 1, 0, 0, 0, 9};
    ASSERT_TRUE(support::WriteBytes("Plain.DAT", text));
    ASSERT_TRUE(support::WriteBytes("almost.dat", almost));
    EXPECT_EQ(ReadAll("plain.dat"), text);  // through the case-insensitive resolver
    EXPECT_EQ(ReadAll("almost.dat"), almost);
    ASSERT_TRUE(support::WriteBytes("empty.dat", {}));
    EXPECT_TRUE(ReadAll("empty.dat").empty());

    int32_t err = 0;
    ReadAll("missing.dat", &err);
    EXPECT_EQ(err, LZERROR_BADINHANDLE);
    EXPECT_EQ(LZRead(12345, nullptr, 0), LZERROR_BADINHANDLE);
}

TEST(Lz32, SeekReportsTheExpandedSize) {
    support::TempDir dir;
    // 'A', then a 16-byte copy of it from the window: 17 bytes expanded from 3.
    ASSERT_TRUE(support::WriteBytes("p.dat", Packed(17, {0x01, 'A', 0xF0, 0xFD})));
    OFSTRUCT of;
    int32_t h = LZOpenFileA("p.dat", &of, OF_READ);
    ASSERT_GE(h, 0);
    EXPECT_EQ(LZSeek(h, 0, 2), 17);
    EXPECT_EQ(LZSeek(h, 15, 0), 15);
    uint8_t b[4];
    EXPECT_EQ(LZRead(h, b, 4), 2);
    EXPECT_EQ(LZSeek(h, 1, 2), LZERROR_BADVALUE);
    EXPECT_EQ(LZRead(h, b, -1), LZERROR_BADVALUE);
    LZClose(h);
}

TEST(Lz32, WindowStartsAsSpacesAtItsEndMinus16) {
    support::TempDir dir;
    // A copy from window position 0 before anything was written gives spaces.
    ASSERT_TRUE(support::WriteBytes("spaces.dat", Packed(5, {0x00, 0x00, 0x02})));
    EXPECT_EQ(ReadAll("spaces.dat"), std::vector<uint8_t>(5, ' '));
    // The first literal lands at 4096 - 16 = 0xFF0: copying 3 bytes from there repeats it.
    ASSERT_TRUE(support::WriteBytes("start.dat", Packed(4, {0x01, 'A', 0xF0, 0xF0})));
    EXPECT_EQ(ReadAll("start.dat"), (std::vector<uint8_t>{'A', 'A', 'A', 'A'}));
    // One position further back still holds a space; each copied byte lands in the window too.
    ASSERT_TRUE(support::WriteBytes("before.dat", Packed(4, {0x01, 'A', 0xEF, 0xF0})));
    EXPECT_EQ(ReadAll("before.dat"), (std::vector<uint8_t>{'A', ' ', 'A', ' '}));
}

TEST(Lz32, CutOrHostilePackedFilesFail) {
    support::TempDir dir;
    std::vector<uint8_t> good = Packed(6, {0x07, 'x', 'y', 'z', 0xF0, 0xF0});
    ASSERT_EQ((ReadAll((support::WriteBytes("g.dat", good), "g.dat"))), (std::vector<uint8_t>{'x', 'y', 'z', 'x', 'y', 'z'}));
    // Cut anywhere after the signature: the open fails (shorter cuts are no longer packed files).
    for (size_t cut = 8; cut < good.size(); ++cut) {
        ASSERT_TRUE(support::WriteBytes("cut.dat", std::vector<uint8_t>(good.begin(), good.begin() + cut)));
        int32_t err = 0;
        ReadAll("cut.dat", &err);
        EXPECT_LT(err, 0) << "cut at " << cut;
    }
    // A 4 GiB expanded size in a tiny file fails without reserving it.
    int32_t err = 0;
    ASSERT_TRUE(support::WriteBytes("huge.dat", Packed(0xFFFFFFFFu, {0xFF, 1, 2, 3, 4, 5, 6, 7, 8})));
    ReadAll("huge.dat", &err);
    EXPECT_EQ(err, LZERROR_READ);
    auto other = good;
    other[8] = 'B';
    ASSERT_TRUE(support::WriteBytes("other.dat", other));
    ReadAll("other.dat", &err);
    EXPECT_EQ(err, LZERROR_UNKNOWNALG);
}

TEST(Lz32, FilesFromTheSystemPackerExpandToTheOriginal) {
    if (!HaveTool("mscompress")) GTEST_SKIP() << "mscompress is not installed";
    support::TempDir dir;
    std::mt19937 rng(3);
    struct Input {
        std::string name;
        std::vector<uint8_t> bytes;
    };
    std::vector<Input> inputs;
    std::string text;
    for (int i = 0; i < 400; ++i) text += "line " + std::to_string(i % 37) + " of the quick brown fox\n";
    inputs.push_back({"text.dat", std::vector<uint8_t>(text.begin(), text.end())});
    std::vector<uint8_t> noise(70000);
    for (auto& b : noise) b = uint8_t(rng());
    inputs.push_back({"noise.dat", noise});
    std::vector<uint8_t> runs(20000);
    for (size_t i = 0; i < runs.size(); ++i) runs[i] = uint8_t((i / 300) % 3 == 0 ? ' ' : i / 300);
    inputs.push_back({"runs.dat", runs});
    inputs.push_back({"small.dat", std::vector<uint8_t>{'0', '1', '2', '3', '4', '5', '6', '7', '8', '9', 'a', 'b', 'c', 'd', 'e', 'f'}});
    for (auto& in : inputs) {
        ASSERT_TRUE(support::WriteBytes(in.name, in.bytes));
        ASSERT_EQ(std::system(("mscompress " + in.name + " >/dev/null 2>&1").c_str()), 0) << in.name;
        std::vector<uint8_t> packed = support::ReadBytes(in.name + "_");
        ASSERT_GE(packed.size(), 14u) << in.name;
        ASSERT_EQ(packed[0], 'S');
        EXPECT_EQ(ReadAll(in.name + "_"), in.bytes) << in.name;
        // The last byte of the packed data is always needed.
        packed.pop_back();
        ASSERT_TRUE(support::WriteBytes("cut_" + in.name, packed));
        int32_t err = 0;
        ReadAll("cut_" + in.name, &err);
        EXPECT_EQ(err, LZERROR_READ) << in.name;
    }
}
