// LZ block codec: the writer's greedy choices, round trips through files, and refusal of bad blocks.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <set>

#include "display/lz_codec.h"
#include "platform/memory.h"
#include "tests/support/fixture.h"

namespace {
std::vector<uint8_t> Encode(const std::vector<uint8_t>& src) {
    std::vector<uint8_t> block;
    LZ_Encode(src.data(), static_cast<uint32_t>(src.size()), block);
    return block;
}

uint32_t Le32(const std::vector<uint8_t>& b, size_t at) {
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}

struct Tokens {
    uint32_t u = 0, n = 0;
    std::vector<uint8_t> flags, data;
};

Tokens Split(const std::vector<uint8_t>& block) {
    Tokens t;
    t.u = Le32(block, 0);
    t.n = Le32(block, 4);
    size_t f = (t.n + 7) / 8;
    t.flags.assign(block.begin() + 8, block.begin() + 8 + f);
    uint32_t d = Le32(block, 8 + f);
    t.data.assign(block.begin() + 12 + f, block.begin() + 12 + f + d);
    EXPECT_EQ(block.size(), 12 + f + d);
    return t;
}

std::vector<uint8_t> Block(uint32_t u, uint32_t n, std::vector<uint8_t> flags, std::vector<uint8_t> data) {
    std::vector<uint8_t> b;
    for (uint32_t v : {u, n})
        for (int i = 0; i < 4; ++i) b.push_back(uint8_t(v >> (8 * i)));
    b.insert(b.end(), flags.begin(), flags.end());
    for (int i = 0; i < 4; ++i) b.push_back(uint8_t(data.size() >> (8 * i)));
    b.insert(b.end(), data.begin(), data.end());
    return b;
}

std::vector<uint8_t> RandomBytes(size_t n, uint32_t seed, int alphabet) {
    std::mt19937 rng(seed);
    std::vector<uint8_t> v(n);
    for (auto& x : v) x = static_cast<uint8_t>(rng() % alphabet);
    return v;
}
}  // namespace

// ---- what the writer emits ----

TEST(LzWriter, WorkedExamples) {
    // Empty source: U = 0, N = 0, no flag bytes, D = 0.
    EXPECT_EQ(Encode({}), std::vector<uint8_t>(12, 0));

    // Ten equal bytes: a literal, then a match at distance 1 of length 9 (v = 8), flag byte 0x02.
    std::vector<uint8_t> ten(10, 0x41);
    EXPECT_EQ(Encode(ten), Block(10, 2, {0x02}, {0x41, 0x08, 0x00}));

    // Runs of one or two equal bytes stay literals.
    EXPECT_EQ(Encode({7, 7, 9}), Block(3, 3, {0x00}, {7, 7, 9}));
}

TEST(LzWriter, NearestWinsTiesButLongerFartherWins) {
    // "abcXabcYabc": at the last "abc" distances 4 and 8 both give 3; the nearer one is taken.
    std::vector<uint8_t> tie = {'a', 'b', 'c', 'X', 'a', 'b', 'c', 'Y', 'a', 'b', 'c'};
    Tokens t = Split(Encode(tie));
    ASSERT_EQ(t.n, 7u);  // a b c X (abc) Y (abc)
    EXPECT_EQ(t.flags[0], 0x50);
    size_t end = t.data.size();
    EXPECT_EQ(t.data[end - 2] | t.data[end - 1] << 8, (3 << 5) | 2);

    // "abcdXabcYabcd": distance 4 gives 3, distance 9 gives 4; the longer one is taken.
    std::vector<uint8_t> longer = {'a', 'b', 'c', 'd', 'X', 'a', 'b', 'c', 'Y', 'a', 'b', 'c', 'd'};
    t = Split(Encode(longer));
    end = t.data.size();
    EXPECT_EQ(t.data[end - 2] | t.data[end - 1] << 8, (8 << 5) | 3);
}

TEST(LzWriter, LongestFarthestMatchIsAllOnes) {
    // 2048 bytes with no repeated three-byte sequence, then their first 32 bytes again: the
    // parse reaches 2048 with literals only and codes the tail as distance 2048, length 32.
    std::mt19937 rng(5);
    std::vector<uint8_t> src;
    std::set<uint32_t> seen;
    while (src.size() < 2048) {
        uint8_t c = static_cast<uint8_t>(rng());
        if (src.size() >= 2) {
            uint32_t tri = uint32_t(src[src.size() - 2]) << 16 | uint32_t(src.back()) << 8 | c;
            if (seen.count(tri)) continue;
            seen.insert(tri);
        }
        src.push_back(c);
    }
    src.insert(src.end(), src.begin(), src.begin() + 32);
    Tokens t = Split(Encode(src));
    ASSERT_EQ(t.n, 2049u);
    EXPECT_EQ(t.flags[2048 / 8], 0x01);
    ASSERT_EQ(t.data.size(), 2050u);
    EXPECT_EQ(t.data[2048], 0xFF);
    EXPECT_EQ(t.data[2049], 0xFF);
}

// ---- round trips ----

TEST(LzRoundTrip, MemoryRandomData) {
    for (uint32_t seed = 1; seed <= 12; ++seed) {
        for (int alphabet : {2, 4, 16, 256}) {
            std::vector<uint8_t> src = RandomBytes(seed * 397, seed, alphabet);
            std::vector<uint8_t> block = Encode(src);
            std::vector<uint8_t> out(src.size() + 8, 0xEE);
            uint32_t u = 0;
            size_t used = 0;
            ASSERT_EQ(LZ_Decode(block.data(), block.size(), out.data(), src.size(), &u, &used), 1);
            EXPECT_EQ(u, src.size());
            EXPECT_EQ(used, block.size());
            EXPECT_TRUE(std::equal(src.begin(), src.end(), out.begin())) << "seed " << seed << " alphabet " << alphabet;
            EXPECT_EQ(out[src.size()], 0xEE);  // nothing past U
        }
    }
}

TEST(LzRoundTrip, FilesBackToBackLeavePositionAfterEachBlock) {
    support::TempDir dir;
    std::vector<uint8_t> a = RandomBytes(5000, 11, 3), b = RandomBytes(300, 12, 256);
    {
        FIL_HANDLE f = FIL_CreateWrite("two.lz");
        ASSERT_NE(f, nullptr);
        uint32_t na = uint32_t(a.size()), nb = uint32_t(b.size()), zero = 0;
        EXPECT_EQ(LZ_Write(f, a.data(), &na), 1);
        EXPECT_EQ(LZ_Write(f, b.data(), &nb), 1);
        EXPECT_EQ(LZ_Write(f, nullptr, &zero), 1);
        f->Write("end", 3);
        ASSERT_EQ(FIL_Close(f), 1);
    }
    plat::File f;
    ASSERT_TRUE(f.Open("two.lz", plat::File::Mode::Read));
    std::vector<uint8_t> out(a.size());
    uint32_t u = 0;
    ASSERT_EQ(LZ_Read(&f, out.data(), out.size(), &u), 1);
    EXPECT_EQ(u, a.size());
    EXPECT_EQ(out, a);
    void* buf = nullptr;
    ASSERT_EQ(LZ_ReadAlloc(&f, &buf, &u), 1);
    ASSERT_NE(buf, nullptr);
    EXPECT_EQ(u, b.size());
    EXPECT_EQ(std::memcmp(buf, b.data(), b.size()), 0);
    plat::Free(buf);
    buf = nullptr;
    ASSERT_EQ(LZ_ReadAlloc(&f, &buf, &u), 1);  // an empty block still gives a buffer
    EXPECT_NE(buf, nullptr);
    EXPECT_EQ(u, 0u);
    plat::Free(buf);
    char tail[3];
    ASSERT_EQ(f.Read(tail, 3), 3u);
    EXPECT_EQ(std::memcmp(tail, "end", 3), 0);
}

// ---- hostile blocks ----

TEST(LzDecoder, RefusesTokensThatLeaveTheirBounds) {
    uint8_t out[64];
    struct Case {
        const char* what;
        std::vector<uint8_t> block;
    } cases[] = {
        {"first token a match", Block(4, 1, {0x01}, {0x00, 0x00})},
        {"distance before the output", Block(8, 2, {0x02}, {1, 0x23, 0x00})},  // distance 2 after 1 byte
        {"literal past U", Block(1, 2, {0x00}, {1, 2})},
        {"match past U", Block(4, 2, {0x02}, {1, 0x08, 0x00})},
        {"match reads past D", Block(4, 2, {0x02}, {1, 0x08})},
        {"more tokens than data", Block(4, 3, {0x00}, {1, 2})},
        {"U beyond what the data can give", Block(1000, 1, {0x00}, {1})},
    };
    for (auto& c : cases) {
        std::memset(out, 0xEE, sizeof out);
        EXPECT_EQ(LZ_Decode(c.block.data(), c.block.size(), out, sizeof out, nullptr, nullptr), 0) << c.what;
    }
    // A distance reaching exactly the first byte is fine.
    auto ok = Block(4, 2, {0x02}, {9, 0x02, 0x00});
    EXPECT_EQ(LZ_Decode(ok.data(), ok.size(), out, sizeof out, nullptr, nullptr), 1);
    EXPECT_EQ(std::vector<uint8_t>(out, out + 4), (std::vector<uint8_t>{9, 9, 9, 9}));
}

TEST(LzDecoder, EmptyBlockNeedsNoDestination) {
    // Found by fuzzing: an empty block decoded into an empty (null) destination succeeds.
    auto empty = Encode({});
    EXPECT_EQ(LZ_Decode(empty.data(), empty.size(), nullptr, 0, nullptr, nullptr), 1);
    auto one = Encode({5});
    EXPECT_EQ(LZ_Decode(one.data(), one.size(), nullptr, 0, nullptr, nullptr), 0);
}

TEST(LzDecoder, NeverWritesPastTheCallersCapacity) {
    std::vector<uint8_t> src(100, 3);
    auto block = Encode(src);
    std::vector<uint8_t> out(120, 0xEE);
    EXPECT_EQ(LZ_Decode(block.data(), block.size(), out.data(), 99, nullptr, nullptr), 0);
    EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](uint8_t v) { return v == 0xEE; }));
}

TEST(LzDecoder, EveryTruncationFailsAndAllocatesNothing) {
    support::TempDir dir;
    auto block = Encode(RandomBytes(700, 3, 5));
    for (size_t cut = 0; cut < block.size(); ++cut) {
        ASSERT_TRUE(support::WriteBytes("cut.lz", std::vector<uint8_t>(block.begin(), block.begin() + cut)));
        plat::File f;
        ASSERT_TRUE(f.Open("cut.lz", plat::File::Mode::Read));
        void* buf = reinterpret_cast<void*>(1);
        EXPECT_EQ(LZ_ReadAlloc(&f, &buf, nullptr), 0) << "cut at " << cut;
        EXPECT_EQ(buf, nullptr);
    }
}

TEST(LzDecoder, HugeSizesAreRefusedBeforeAllocating) {
    support::TempDir dir;
    // U of 4 GiB - 1 and N of 2^31 - 1 in a 20-byte file: refused from the sizes alone.
    auto huge_u = Block(0xFFFFFFFFu, 1, {0x00}, {1});
    auto huge_n = Block(4, 0x7FFFFFFFu, {0x00}, {1});
    auto huge_d = Block(4, 1, {0x00}, {1});
    huge_d[9] = 0xFF, huge_d[10] = 0xFF, huge_d[11] = 0xFF, huge_d[12] = 0x7F;
    for (auto* b : {&huge_u, &huge_n, &huge_d}) {
        ASSERT_TRUE(support::WriteBytes("big.lz", *b));
        plat::File f;
        ASSERT_TRUE(f.Open("big.lz", plat::File::Mode::Read));
        void* buf = nullptr;
        uint32_t u = 0;
        EXPECT_EQ(LZ_ReadAlloc(&f, &buf, &u), 0);
        EXPECT_EQ(buf, nullptr);
        EXPECT_EQ(u, Le32(*b, 0));  // U is reported as soon as it is read
    }
}
