// The LZ block codec (the writer's choices, round trips, blocks that leave their bounds) and the file
// expander (plain files pass through, the system packer's files expand to the original, cut files fail).
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <set>
#include <string>

#include "display/lz_codec.h"
#include "platform/lz32.h"
#include "platform/memory.h"
#include "tests/support/fixture.h"
#include "tests/support/grp_writer.h"

namespace {
using Bytes = std::vector<uint8_t>;

Bytes& Put32(Bytes& b, size_t v) { return b.insert(b.end(), {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)}), b; }
Bytes Encode(const Bytes& src) { Bytes b; LZ_Encode(src.data(), uint32_t(src.size()), b); return b; }

// A block from its parts; D is the data's length.
Bytes Block(uint32_t u, uint32_t n, Bytes flags, const Bytes& data) {
    Bytes b;
    Put32(Put32(b, u), n).insert(b.end(), flags.begin(), flags.end());
    return Put32(b, data.size()).insert(b.end(), data.begin(), data.end()), b;
}

Bytes RandomBytes(size_t n, uint32_t seed, int alphabet) {
    std::mt19937 rng(seed);
    Bytes v(n);
    for (auto& x : v) x = uint8_t(rng() % alphabet);
    return v;
}

// A packed file: signature, method, expanded size, packed stream.
Bytes Packed(uint32_t size, const Bytes& body, uint8_t method = 'A') {
    Bytes f = {'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x33, method, 0};
    return Put32(f, size).insert(f.end(), body.begin(), body.end()), f;
}

// Writes `bytes` and reads the file back whole through the expander; *err gets the open's error.
Bytes Expand(const std::string& name, const Bytes& bytes, int32_t* err = nullptr) {
    EXPECT_TRUE(support::WriteBytes(name, bytes));
    OFSTRUCT of;
    int32_t h = LZOpenFileA(name.c_str(), &of, OF_READ), n = 0;
    if (err) *err = std::min(h, 0);
    Bytes out, buf(1000);
    while (h >= 0 && (n = LZRead(h, buf.data(), 1000)) > 0) out.insert(out.end(), buf.begin(), buf.begin() + n);
    EXPECT_EQ(n, 0);
    LZClose(h);
    return out;
}
}  // namespace

TEST(LzWriter, WorkedExamples) {
    EXPECT_EQ(Encode({}), Bytes(12, 0));
    // A literal, then distance 1 length 9 (v = 8): flag byte 0x02.
    EXPECT_EQ(Encode(Bytes(10, 0x41)), Block(10, 2, {0x02}, {0x41, 0x08, 0x00}));
    EXPECT_EQ(Encode({7, 7, 9}), Block(3, 3, {0x00}, {7, 7, 9}));  // short runs stay literals
    // The last "abc" matches at distances 4 and 8 alike: the nearer wins (v = 3 << 5 | 2).
    EXPECT_EQ(Encode({'a', 'b', 'c', 'X', 'a', 'b', 'c', 'Y', 'a', 'b', 'c'}),
              Block(11, 7, {0x50}, {'a', 'b', 'c', 'X', 0x62, 0x00, 'Y', 0x62, 0x00}));
    // "abcd" at distance 9 beats "abc" at distance 4 (v = 8 << 5 | 3).
    EXPECT_EQ(Encode({'a', 'b', 'c', 'd', 'X', 'a', 'b', 'c', 'Y', 'a', 'b', 'c', 'd'}),
              Block(13, 8, {0xA0}, {'a', 'b', 'c', 'd', 'X', 0x82, 0x00, 'Y', 0x03, 0x01}));
    // 2048 bytes without a repeated three-byte sequence are all literals; their first 32 bytes
    // again are one match of distance 2048, length 32: v = 0xFFFF.
    std::mt19937 rng(5);
    Bytes src, flags(257, 0);
    for (std::set<uint32_t> seen; src.size() < 2048;) {
        uint8_t c = uint8_t(rng());
        if (src.size() < 2 || seen.insert(uint32_t(src[src.size() - 2]) << 16 | src.back() << 8 | c).second) src.push_back(c);
    }
    Bytes data = src;
    data.insert(data.end(), {0xFF, 0xFF});
    src.insert(src.end(), data.begin(), data.begin() + 32);
    flags[256] = 0x01;
    EXPECT_EQ(Encode(src), Block(2080, 2049, flags, data));
}

TEST(LzRoundTrip, RandomDataThroughMemoryAndFiles) {
    // Every block decodes from memory; written back to back, the file readers take them in turn,
    // each leaving the position after its block. An empty block still gives a buffer.
    support::TempDir dir;
    FIL_HANDLE w = FIL_CreateWrite("all.lz");
    ASSERT_NE(w, nullptr);
    std::vector<Bytes> all;
    for (uint32_t seed = 0; seed <= 12; ++seed)
        for (int alphabet : {2, 4, 16, 256}) {
            Bytes src = RandomBytes(seed * 397, seed, alphabet), block = Encode(src), out(src.size() + 8, 0xEE);
            uint32_t u = 0, n = uint32_t(src.size());
            size_t used = 0;
            ASSERT_EQ(LZ_Decode(block.data(), block.size(), out.data(), n, &u, &used), 1);
            EXPECT_TRUE(u == n && used == block.size() && Bytes(out.begin(), out.end() - 8) == src && out[n] == 0xEE) << seed << " " << alphabet;
            EXPECT_EQ(LZ_Write(w, src.data(), &n), 1);
            all.push_back(src);
        }
    ASSERT_EQ(FIL_Close(w), 1);
    plat::File f;
    ASSERT_TRUE(f.Open("all.lz", plat::File::Mode::Read));
    for (size_t i = 0; i < all.size(); ++i) {
        Bytes out(all[i].size());
        uint32_t u = 1;
        void* buf = nullptr;
        ASSERT_EQ(i % 2 ? LZ_Read(&f, out.data(), out.size(), &u) : LZ_ReadAlloc(&f, &buf, &u), 1) << i;
        if (buf) out.assign(static_cast<uint8_t*>(buf), static_cast<uint8_t*>(buf) + u), plat::Free(buf);
        EXPECT_TRUE(u == all[i].size() && out == all[i] && (i % 2 || buf)) << i;
    }
    EXPECT_EQ(f.Tell(), f.Size());
}

TEST(LzDecoder, RefusesBlocksThatLeaveTheirBounds) {
    // sizes_alone: refused from the sizes, before a byte is written.
    struct { const char* what; Bytes block; size_t capacity; bool sizes_alone = false; } cases[] = {
        {"first token a match", Block(4, 1, {0x01}, {0x00, 0x00}), 64},
        {"distance before the output", Block(8, 2, {0x02}, {1, 0x23, 0x00}), 64},  // 2 back after 1
        {"literal past U", Block(1, 2, {0x00}, {1, 2}), 64}, {"match past U", Block(4, 2, {0x02}, {1, 0x08, 0x00}), 64},
        {"match reads past D", Block(4, 2, {0x02}, {1, 0x08}), 64}, {"more tokens than data", Block(4, 3, {0x00}, {1, 2}), 64},
        {"U beyond what the data can give", Block(1000, 1, {0x00}, {1}), 2000, true},
        {"U beyond the caller's capacity", Encode(Bytes(100, 3)), 99, true},
        {"a byte into no buffer", Encode({5}), 0, true},
    };
    for (auto& c : cases) {
        Bytes out(std::max<size_t>(c.capacity, 1), 0xEE);
        EXPECT_EQ(LZ_Decode(c.block.data(), c.block.size(), c.capacity ? out.data() : nullptr, c.capacity, nullptr, nullptr), 0)
            << c.what;
        EXPECT_TRUE(!c.sizes_alone || out == Bytes(out.size(), 0xEE)) << c.what;
    }
    // A distance reaching exactly the first byte is fine; an empty block needs no buffer.
    Bytes ok = Block(4, 2, {0x02}, {9, 0x02, 0x00}), empty = Encode({}), out(4);
    EXPECT_EQ(LZ_Decode(ok.data(), ok.size(), out.data(), 4, nullptr, nullptr), 1);
    EXPECT_EQ(out, Bytes(4, 9));
    EXPECT_EQ(LZ_Decode(empty.data(), empty.size(), nullptr, 0, nullptr, nullptr), 1);
    // From a file: cut anywhere, or sizes beyond the file, fails with nothing allocated.
    support::TempDir dir;
    auto read_alloc = [](const Bytes& bytes, void** buf, uint32_t* u) {
        EXPECT_TRUE(support::WriteBytes("block.lz", bytes));
        plat::File f;
        EXPECT_TRUE(f.Open("block.lz", plat::File::Mode::Read));
        *buf = reinterpret_cast<void*>(1);
        return LZ_ReadAlloc(&f, buf, u);
    };
    Bytes block = Encode(RandomBytes(700, 3, 5)), huge_d = Block(4, 1, {0x00}, {1});
    void* buf;
    for (size_t cut = 0; cut < block.size(); ++cut)
        EXPECT_TRUE(read_alloc(Bytes(block.begin(), block.begin() + cut), &buf, nullptr) == 0 && !buf) << cut;
    // U of 4 GiB - 1, N of 2^31 - 1, D of 2 GiB in a 20-byte file: refused from the sizes alone,
    // U reported all the same.
    huge_d[12] = 0x7F;
    for (const Bytes& b : {Block(0xFFFFFFFFu, 1, {0x00}, {1}), Block(4, 0x7FFFFFFFu, {0x00}, {1}), huge_d}) {
        uint32_t u = 0;
        EXPECT_TRUE(read_alloc(b, &buf, &u) == 0 && !buf && u == uint32_t(b[0] | b[1] << 8 | b[2] << 16 | uint32_t(b[3]) << 24));
    }
}

TEST(Lz32, PlainPackedCutAndSystemPackedFiles) {
    support::TempDir dir;
    Bytes almost = {'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x34, 'A', 0, 1, 0, 0, 0, 9};
    EXPECT_EQ(Expand("almost.dat", almost), almost);
    EXPECT_TRUE(Expand("empty.dat", {}).empty());
    ASSERT_TRUE(support::WriteBytes("Plain.DAT", {'B', 'M'}));
    OFSTRUCT of;
    int32_t h = LZOpenFileA("plain.dat", &of, OF_READ);  // through the case-insensitive resolver
    ASSERT_GE(h, 0);
    LZClose(h);
    EXPECT_EQ(LZRead(h, nullptr, 0), LZERROR_BADINHANDLE);  // closed
    EXPECT_EQ(LZOpenFileA("missing.dat", &of, OF_READ), LZERROR_BADINHANDLE);
    // A copy from window position 0 before anything was written gives spaces; the first literal
    // lands at 4096 - 16 = 0xFF0, one before it still holds a space, copied bytes land too.
    EXPECT_EQ(Expand("spaces.dat", Packed(5, {0x00, 0x00, 0x02})), Bytes(5, ' '));
    EXPECT_EQ(Expand("start.dat", Packed(4, {0x01, 'A', 0xF0, 0xF0})), Bytes(4, 'A'));
    EXPECT_EQ(Expand("before.dat", Packed(4, {0x01, 'A', 0xEF, 0xF0})), (Bytes{'A', ' ', 'A', ' '}));
    // 'A', then 16 bytes copied from the window: seeks and reads see the 17 expanded bytes.
    ASSERT_TRUE(support::WriteBytes("p.dat", Packed(17, {0x01, 'A', 0xF0, 0xFD})));
    ASSERT_GE(h = LZOpenFileA("p.dat", &of, OF_READ), 0);
    uint8_t b[4];
    EXPECT_EQ((std::vector<int32_t>{LZSeek(h, 0, 2), LZSeek(h, 15, 0), LZRead(h, b, 4), LZSeek(h, 1, 2), LZRead(h, b, -1)}),
              (std::vector<int32_t>{17, 15, 2, LZERROR_BADVALUE, LZERROR_BADVALUE}));
    LZClose(h);
    // Cut or hostile packed files fail to open.
    Bytes good = Packed(6, {0x07, 'x', 'y', 'z', 0xF0, 0xF0});
    ASSERT_EQ(Expand("g.dat", good), (Bytes{'x', 'y', 'z', 'x', 'y', 'z'}));
    int32_t err = 0;
    for (size_t cut = 8; cut < good.size(); ++cut)  // shorter cuts are no longer packed files
        EXPECT_TRUE(Expand("cut.dat", Bytes(good.begin(), good.begin() + cut), &err).empty() && err < 0) << cut;
    Expand("huge.dat", Packed(0xFFFFFFFFu, {0xFF, 1, 2, 3, 4, 5, 6, 7, 8}), &err);  // nothing reserved
    EXPECT_EQ(err, LZERROR_READ);
    good[8] = 'B';
    Expand("other.dat", good, &err);
    EXPECT_EQ(err, LZERROR_UNKNOWNALG);

    if (!support::HaveTool("mscompress")) GTEST_SKIP() << "mscompress is not installed";
    std::string text;
    for (int i = 0; i < 400; ++i) text += "line " + std::to_string(i % 37) + " of the quick brown fox\n";
    Bytes noise = RandomBytes(70000, 3, 256), runs(20000);
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
        Expand("cut_" + name, packed, &err);
        EXPECT_EQ(err, LZERROR_READ) << name;
    }
}
