// LZ block codec: the writer's greedy choices, round trips through memory and files, and the
// refusal of blocks that would leave their bounds.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <set>

#include "display/lz_codec.h"
#include "platform/memory.h"
#include "tests/support/fixture.h"

namespace {
using Bytes = std::vector<uint8_t>;

Bytes Encode(const Bytes& src) {
    Bytes block;
    LZ_Encode(src.data(), uint32_t(src.size()), block);
    return block;
}

// A block from its parts; D is the data's length.
Bytes Block(uint32_t u, uint32_t n, Bytes flags, Bytes data) {
    Bytes b;
    auto put = [&](size_t v) { for (int i = 0; i < 4; ++i) b.push_back(uint8_t(v >> (8 * i))); };
    put(u), put(n), b.insert(b.end(), flags.begin(), flags.end()), put(data.size());
    b.insert(b.end(), data.begin(), data.end());
    return b;
}

Bytes RandomBytes(size_t n, uint32_t seed, int alphabet) {
    std::mt19937 rng(seed);
    Bytes v(n);
    for (auto& x : v) x = uint8_t(rng() % alphabet);
    return v;
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
    Bytes src;
    for (std::set<uint32_t> seen; src.size() < 2048;) {
        uint8_t c = uint8_t(rng());
        if (src.size() < 2 || seen.insert(uint32_t(src[src.size() - 2]) << 16 | src.back() << 8 | c).second) src.push_back(c);
    }
    Bytes flags(257, 0), data = src;
    flags[256] = 0x01;
    data.insert(data.end(), {0xFF, 0xFF});
    src.insert(src.end(), data.begin(), data.begin() + 32);
    EXPECT_EQ(Encode(src), Block(2080, 2049, flags, data));
}

TEST(LzRoundTrip, RandomDataThroughMemoryAndFiles) {
    for (uint32_t seed = 1; seed <= 12; ++seed)
        for (int alphabet : {2, 4, 16, 256}) {
            Bytes src = RandomBytes(seed * 397, seed, alphabet), block = Encode(src), out(src.size() + 8, 0xEE);
            uint32_t u = 0;
            size_t used = 0;
            ASSERT_EQ(LZ_Decode(block.data(), block.size(), out.data(), src.size(), &u, &used), 1);
            EXPECT_TRUE(u == src.size() && used == block.size() && out[src.size()] == 0xEE) << seed << " " << alphabet;
            EXPECT_EQ(Bytes(out.begin(), out.end() - 8), src) << seed << " " << alphabet;
        }
    // Back to back in a file, each read leaves the position after its block; an empty block
    // still gives a buffer.
    support::TempDir dir;
    Bytes a = RandomBytes(5000, 11, 3), b = RandomBytes(300, 12, 256), out(a.size());
    uint32_t na = uint32_t(a.size()), nb = uint32_t(b.size()), zero = 0, u = 0;
    FIL_HANDLE w = FIL_CreateWrite("two.lz");
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(LZ_Write(w, a.data(), &na) + LZ_Write(w, b.data(), &nb) + LZ_Write(w, nullptr, &zero), 3);
    w->Write("end", 3);
    ASSERT_EQ(FIL_Close(w), 1);
    plat::File f;
    ASSERT_TRUE(f.Open("two.lz", plat::File::Mode::Read));
    ASSERT_EQ(LZ_Read(&f, out.data(), out.size(), &u), 1);
    EXPECT_TRUE(u == a.size() && out == a);
    void* buf = nullptr;
    ASSERT_EQ(LZ_ReadAlloc(&f, &buf, &u), 1);
    EXPECT_EQ(Bytes(static_cast<uint8_t*>(buf), static_cast<uint8_t*>(buf) + u), b);
    plat::Free(buf);
    ASSERT_EQ(LZ_ReadAlloc(&f, &buf, &u), 1);
    EXPECT_TRUE(buf != nullptr && u == 0);
    plat::Free(buf);
    char tail[4] = {};
    EXPECT_EQ(f.Read(tail, 3), 3u);
    EXPECT_STREQ(tail, "end");
}

TEST(LzDecoder, RefusesTokensThatLeaveTheirBounds) {
    // sizes_alone: refused from the sizes, before a byte is written.
    struct { const char* what; Bytes block; size_t capacity; bool sizes_alone = false; } cases[] = {
        {"first token a match", Block(4, 1, {0x01}, {0x00, 0x00}), 64},
        {"distance before the output", Block(8, 2, {0x02}, {1, 0x23, 0x00}), 64},  // 2 back after 1
        {"literal past U", Block(1, 2, {0x00}, {1, 2}), 64},
        {"match past U", Block(4, 2, {0x02}, {1, 0x08, 0x00}), 64},
        {"match reads past D", Block(4, 2, {0x02}, {1, 0x08}), 64},
        {"more tokens than data", Block(4, 3, {0x00}, {1, 2}), 64},
        {"U beyond what the data can give", Block(1000, 1, {0x00}, {1}), 2000, true},
        {"U beyond the caller's capacity", Encode(Bytes(100, 3)), 99, true},
        {"a byte into no buffer", Encode({5}), 0, true},
    };
    for (auto& c : cases) {
        Bytes out(std::max<size_t>(c.capacity, 1), 0xEE);
        uint8_t* dest = c.capacity ? out.data() : nullptr;
        EXPECT_EQ(LZ_Decode(c.block.data(), c.block.size(), dest, c.capacity, nullptr, nullptr), 0) << c.what;
        if (c.sizes_alone) EXPECT_EQ(out, Bytes(out.size(), 0xEE)) << c.what;
    }
    // A distance reaching exactly the first byte is fine; an empty block needs no buffer.
    Bytes ok = Block(4, 2, {0x02}, {9, 0x02, 0x00}), empty = Encode({}), out(4);
    EXPECT_EQ(LZ_Decode(ok.data(), ok.size(), out.data(), 4, nullptr, nullptr), 1);
    EXPECT_EQ(out, Bytes(4, 9));
    EXPECT_EQ(LZ_Decode(empty.data(), empty.size(), nullptr, 0, nullptr, nullptr), 1);
}

TEST(LzDecoder, CutOrOversizedFilesFailWithNothingAllocated) {
    support::TempDir dir;
    auto read_alloc = [](const Bytes& bytes, void** buf, uint32_t* u) {
        EXPECT_TRUE(support::WriteBytes("block.lz", bytes));
        plat::File f;
        EXPECT_TRUE(f.Open("block.lz", plat::File::Mode::Read));
        *buf = reinterpret_cast<void*>(1);
        return LZ_ReadAlloc(&f, buf, u);
    };
    Bytes block = Encode(RandomBytes(700, 3, 5));
    void* buf;
    for (size_t cut = 0; cut < block.size(); ++cut) {
        EXPECT_EQ(read_alloc(Bytes(block.begin(), block.begin() + cut), &buf, nullptr), 0) << cut;
        EXPECT_EQ(buf, nullptr);
    }
    // U of 4 GiB - 1, N of 2^31 - 1, D of 2 GiB in a 20-byte file: refused from the sizes alone,
    // U reported all the same.
    Bytes huge_d = Block(4, 1, {0x00}, {1});
    huge_d[12] = 0x7F;
    for (const Bytes& b : {Block(0xFFFFFFFFu, 1, {0x00}, {1}), Block(4, 0x7FFFFFFFu, {0x00}, {1}), huge_d}) {
        uint32_t u = 0;
        EXPECT_EQ(read_alloc(b, &buf, &u), 0);
        EXPECT_EQ(buf, nullptr);
        EXPECT_EQ(u, uint32_t(b[0] | b[1] << 8 | b[2] << 16 | uint32_t(b[3]) << 24));
    }
}
