// Font slots and the glyph index: the seven ranges and their fallbacks, loading, refusals,
// families and resets.
#include <gtest/gtest.h>

#include <filesystem>

#include "services/fil_util.h"

#include "tests/sprite/font_fixture.h"

namespace {
using fonttest::FontTest;
using fonttest::Lines;
using fonttest::Load;

// "未登録フォント("
const std::string kUnregistered = "\x96\xa2\x93o\x98^\x83t\x83H\x83\x93\x83g(";

struct Code {
    uint16_t code;
    int index;      // the glyph drawn
    bool fallback;  // outside every range: a debug line
};

TEST_F(FontTest, FullWidthCodesFollowTheSevenRanges) {
    const Code codes[] = {
        {0x8140, 0, false},    {0x81A1, 97, false},   {0x81FC, 188, false},  {0x81FD, 97, true},
        {0x824E, 97, true},    {0x824F, 189, false},  {0x82F1, 351, false},  {0x82F2, 97, true},
        {0x833F, 97, true},    {0x8340, 352, false},  {0x8396, 438, false},  {0x839F, 97, true},
        {0x8740, 439, false},  {0x879C, 531, false},  {0x889E, 97, true},    {0x889F, 532, false},
        {0x8900, 629, false},  {0x9872, 4583, false}, {0x989F, 4584, false}, {0x9FFC, 6469, false},
        {0xE040, 6470, false}, {0xEAA2, 9128, false}, {0xEAA3, 97, true},    {0x8100, 97, true},
    };
    ASSERT_EQ(Load(0, support::MakeFont(10, 10)), 1);
    const FNT_SLOT& f = FNT_TABLE[0];
    for (const Code& c : codes) {
        headless::ClearDebugOutput();
        EXPECT_EQ(FNT_FullIndex(c.code), c.fallback ? -1 : c.index) << std::hex << c.code;
        EXPECT_EQ(FNT_GlyphFull(c.code), f.glyphs + 160 * f.half_bytes + c.index * f.full_bytes) << std::hex << c.code;
        EXPECT_EQ(Lines().size(), c.fallback ? 1u : 0u) << std::hex << c.code;
    }
    // The line names the two bytes as characters and the code in hexadecimal.
    headless::ClearDebugOutput();
    FNT_GlyphFull(0x839F);
    FNT_GlyphFull(0x839F);
    ASSERT_EQ(Lines().size(), 2u);  // one per lookup
    EXPECT_EQ(Lines()[0], kUnregistered + "\x83\x9f:0x839f)");
}

TEST_F(FontTest, SingleBytesTakeHalfWidthGlyphs) {
    const Code bytes[] = {{0x20, 0, false},  {0x41, 33, false}, {0x7F, 95, false}, {0xA0, 96, false},
                          {0xA1, 97, false}, {0xDF, 159, false}, {0x0A, 10, true}, {0x00, 10, true},
                          {0x80, 10, true},  {0xE0, 10, true},  {0xFF, 10, true}};
    ASSERT_EQ(Load(0, support::MakeFont(10, 10)), 1);
    for (const Code& b : bytes) {
        headless::ClearDebugOutput();
        EXPECT_EQ(FNT_HalfIndex(uint8_t(b.code)), b.fallback ? -1 : b.index) << b.code;
        EXPECT_EQ(FNT_GlyphHalf(uint8_t(b.code)), FNT_TABLE[0].glyphs + b.index * FNT_TABLE[0].half_bytes);
        EXPECT_EQ(Lines().size(), b.fallback ? 1u : 0u) << b.code;
    }
    headless::ClearDebugOutput();
    FNT_GlyphHalf(0x0A);
    EXPECT_EQ(Lines(), std::vector<std::string>{kUnregistered + "0xa)"});
    // Lead bytes: bit 7 set outside the half-width katakana.
    for (int b = 0; b < 256; ++b) EXPECT_EQ(FNT_IsLead(uint8_t(b)), b >= 0x80 && (b < 0xA0 || b > 0xDF)) << b;
}

TEST_F(FontTest, SizesPitchesAndGlyphAddressesFollowTheFile) {
    struct Size {
        uint16_t w, h;
        uint64_t bytes;
        uint16_t half_pitch, full_pitch;
    };
    const Size sizes[] = {{10, 10, 184180, 1, 2}, {12, 12, 221016, 1, 2}, {14, 14, 257852, 1, 2},
                          {11, 9, 160 * 9 + 9129 * 18, 1, 2}, {30, 30, 160 * 60 + 9129 * 120, 2, 4},
                          {1, 1, 9129, 0, 1}};
    for (const Size& s : sizes) {
        EXPECT_EQ(FNT_DataSize(s.w, s.h), s.bytes);
        ASSERT_EQ(Load(5, support::MakeFont(s.w, s.h)), 1) << s.w;
        const FNT_SLOT& f = FNT_TABLE[5];
        EXPECT_EQ(f.loaded, 1);
        EXPECT_EQ(f.width, s.w);
        EXPECT_EQ(f.height, s.h);
        EXPECT_EQ(f.half_pitch, s.half_pitch);
        EXPECT_EQ(f.full_pitch, s.full_pitch);
        EXPECT_EQ(f.half_bytes, uint32_t(s.half_pitch) * s.h);
        EXPECT_EQ(f.full_bytes, uint32_t(s.full_pitch) * s.h);
    }
    // The glyph data arrives unpacked, byte for byte.
    support::Font pattern = support::PatternFont(12, 12);
    ASSERT_EQ(Load(2, pattern), 1);
    EXPECT_TRUE(std::equal(pattern.glyphs.begin(), pattern.glyphs.end(), FNT_TABLE[2].glyphs));
}

TEST_F(FontTest, BadFilesLeaveTheSlotEmpty) {
    const support::Font good = support::MakeFont(10, 10);
    const std::vector<uint8_t> ok = support::FntBytes(good);
    auto with = [&ok](size_t at, uint8_t v) {
        std::vector<uint8_t> b = ok;
        b[at] = v;
        return b;
    };
    struct Bad {
        const char* what;
        std::vector<uint8_t> bytes;
        bool debug_line;
    };
    const Bad bad[] = {
        {"empty", {}, false},
        {"header only", {'F', 'N', 'T', 10, 0, 10, 0}, true},
        {"wrong magic", with(2, 'X'), false},
        {"width 31", support::FntBytes(support::MakeFont(31, 10)), true},
        {"height 31", support::FntBytes(support::MakeFont(10, 31)), true},
        {"height 0", with(5, 0), true},
        {"width 0", with(3, 0), true},
        {"one glyph byte short", support::FntBytes(good, 1), true},
        {"block cut off", std::vector<uint8_t>(ok.begin(), ok.end() - 1), true},
    };
    for (const Bad& b : bad) {
        ASSERT_EQ(Load(4, good), 1);
        headless::ClearDebugOutput();
        EXPECT_EQ(FNT_LoadBytes(4, b.bytes.data(), b.bytes.size()), 0) << b.what;
        EXPECT_EQ(FNT_TABLE[4].loaded, 0) << b.what;
        EXPECT_EQ(FNT_TABLE[4].glyphs, nullptr) << b.what;
        EXPECT_EQ(!Lines().empty(), b.debug_line) << b.what;
    }
    // Slots outside 0..15 hold nothing.
    EXPECT_EQ(FNT_LoadBytes(16, ok.data(), ok.size()), 0);
    EXPECT_EQ(FNT_LoadBytes(-1, ok.data(), ok.size()), 0);
    EXPECT_EQ(FNT_Free(16), 0);
    EXPECT_EQ(FNT_Free(3), 0);  // empty
}

TEST_F(FontTest, FamiliesLoadThreeSlotsFromTheBaseDirectory) {
    support::TempDir dir;
    FIL_InitBaseDir();
    std::filesystem::create_directory(dir.File("DAT"));  // found whatever its case
    ASSERT_TRUE(support::WriteFnt(dir.File("DAT/spf10x10.fnt"), support::MakeFont(10, 10)));
    ASSERT_TRUE(support::WriteFnt(dir.File("DAT/SPF12X12.FNT"), support::MakeFont(12, 12)));
    // No 14 x 14 file: slot 1 stays empty, the others load.
    FNT_LoadFamily(1);
    EXPECT_EQ(FNT_TABLE[0].height, 10);
    EXPECT_EQ(FNT_TABLE[1].loaded, 0);
    EXPECT_EQ(FNT_TABLE[2].height, 12);
    ASSERT_TRUE(support::WriteFnt(dir.File("DAT/spf14x14.fnt"), support::MakeFont(14, 14)));
    FNT_LoadFamily(1);
    EXPECT_EQ(FNT_TABLE[1].height, 14);

    // Families outside 0..2 change nothing.
    const uint8_t* before = FNT_TABLE[0].glyphs;
    FNT_LoadFamily(3);
    FNT_LoadFamily(-1);
    EXPECT_EQ(FNT_TABLE[0].glyphs, before);
    EXPECT_EQ(FNT_TABLE[1].loaded, 1);

    // A failed reload frees the old font first: the slot ends empty.
    EXPECT_EQ(FNT_Load(0, FIL_MakePath("Dat\\missing.fnt")), 0);
    EXPECT_EQ(FNT_TABLE[0].loaded, 0);
    EXPECT_EQ(FNT_Load(1, nullptr), 0);
    EXPECT_EQ(FNT_TABLE[1].loaded, 0);
    // Family 0 is missing entirely: all three slots end empty.
    FNT_LoadFamily(0);
    for (int s = 0; s < 3; ++s) EXPECT_EQ(FNT_TABLE[s].loaded, 0) << s;
}

TEST_F(FontTest, ResetFreesEverySlotAndRestoresTheTextState) {
    for (int s : {0, 1, 2, 4, 15}) ASSERT_EQ(Load(s, support::MakeFont(10, 10)), 1);
    FNT_Select(4);
    TXT_SetFont(-1, 3, 1);
    TXT_SetColor(0x1234, 0x4321, 0x5555);
    TXT_STATE.ruby_flag = 1;
    FNT_Reset();
    for (int s = 0; s < FNT_SLOTS; ++s) EXPECT_EQ(FNT_TABLE[s].loaded, 0) << s;
    EXPECT_EQ(TXT_STATE.font, 0);
    EXPECT_EQ(TXT_STATE.style, 0);
    EXPECT_EQ(TXT_STATE.double_size, 0);
    EXPECT_EQ(TXT_STATE.top_color, 0xFFFF);
    EXPECT_EQ(TXT_STATE.bottom_color, 1);
    EXPECT_EQ(TXT_STATE.shadow_color, 1);
    EXPECT_EQ(TXT_STATE.row_colors[0], 0xFFFF);
    EXPECT_EQ(TXT_STATE.row_colors[31], 1);
    EXPECT_EQ(TXT_STATE.ruby_flag, 1);  // not part of the reset
    // The 32-row gradient falls from white toward colour 1, channel by channel.
    for (int i = 1; i < 32; ++i) EXPECT_LE(TXT_STATE.row_colors[i] >> 11, TXT_STATE.row_colors[i - 1] >> 11) << i;
    // Row 16: red 248 - 3968 / 31 -> 121, green 252 - 4032 / 31 -> 122, blue 248 - 3840 / 31 -> 125.
    EXPECT_EQ(TXT_STATE.row_colors[16], (15 << 11) | (30 << 5) | 15);
}

class FontTest555 : public FontTest {
protected:
    FontTest555() : FontTest(false) {}
};

TEST_F(FontTest555, WhiteIsTheDisplaysOwn) {
    EXPECT_EQ(TXT_STATE.top_color, 0x7FFF);
    EXPECT_EQ(TXT_STATE.row_colors[0], 0x7FFF);
}
}  // namespace
