// Debug text overlay: glyph placement every 7 pixels, the overlapping eighth column, bytes without
// a cell, the bounded line, and printing while no strip is loaded.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "display/blt_frame.h"
#include "display/dbg_text.h"
#include "sprite/img_table.h"
#include "tests/support/fixture.h"
#include "tests/support/grp_writer.h"

namespace {
// Cell n (code 0x21 + n): columns 0..6 hold n + 1 except the top-left pixel (transparent); column
// 7 holds 0x7FFF in the top row only. `cells` cells wide.
void WriteStrip(const std::string& path, int cells) {
    support::GrpPicture p = support::MakeGrp(16, uint32_t(8 * cells), 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8 * cells; ++x) {
            const int n = x / 8, col = x % 8;
            uint16_t v = col == 7 ? (y == 0 ? 0x7FFF : 0) : (col == 0 && y == 0 ? 0 : uint16_t(n + 1));
            support::Set555(p, uint32_t(x), uint32_t(y), v);
        }
    ASSERT_TRUE(support::WriteGrp(path, p, true));
}

class DebugText : public ::testing::Test {
protected:
    support::HeadlessDisplay display{headless::Config{16, false}};
    support::TempDir dir;
    DDSurface* dst = nullptr;
    void SetUp() override {
        ASSERT_TRUE(display.ok);
        std::filesystem::create_directory(dir.File("Bmp"));
        WriteStrip(dir.File("Bmp/DebugEft.grp"), 94);  // "!" to "~"
        dst = support::MakeSurface(320, 16);
        support::SetKey0(dst);
    }
    void TearDown() override {
        DBGTXT_Term();
        DBGTXT_Enabled = 0;
        DD_ReleaseSurface(dst);
    }
    // The cell drawn at x (read at its second row), as the character it stands for, or ' '.
    char At(int x, int y = 3) {
        const uint16_t v = support::PixelAt(dst, x + 1, y + 1);
        return v == 0 ? ' ' : char(0x20 + v);
    }
    std::string Line(int x, int n, int y = 3) {
        std::string s;
        for (int i = 0; i < n; ++i) s += At(x + 7 * i, y);
        return s;
    }
};

TEST_F(DebugText, GlyphsEverySevenPixelsWithGapsForBytesWithoutACell) {
    ASSERT_EQ(DBGTXT_Init("Bmp\\DebugEft.bmp"), 0);
    EXPECT_EQ(DBGTXT_Init("Bmp\\DebugEft.bmp"), 0);
    EXPECT_EQ(IMG_TABLE[0].count, 1);  // a second start takes no reference
    DBGTXT_Print(dst, 25, 3, "W E A P O N - %s", "S E T");
    EXPECT_EQ(Line(25, 19), "W E A P O N - S E T");
    // The eighth column lands on the next glyph's first; keyed, it shows where that one is black.
    EXPECT_EQ(support::PixelAt(dst, 32, 3), 0x7FFF);  // W's last column over the space
    EXPECT_EQ(support::PixelAt(dst, 39, 3), 0);       // E's transparent corner
    EXPECT_EQ(support::PixelAt(dst, 39, 4), 'E' - 0x20);
    // Line feed, DEL and a high byte have no cell; only "a" folds onto its capital.
    BLT_FillRect(dst, nullptr, 0);
    DBGTXT_Print(dst, 0, 3, "A\nB\x7F\xB1" "ab~");
    EXPECT_EQ(Line(0, 8), "A B  Ab~");
    for (int y = 12; y < 16; ++y) EXPECT_EQ(support::PixelAt(dst, 8, y), 0);  // no new row
    // Cut at the right edge; at most 127 characters are formatted.
    BLT_FillRect(dst, nullptr, 0);
    DBGTXT_Print(dst, 300, 3, "XYZW");
    EXPECT_EQ(support::PixelAt(dst, 319, 4), 'Z' - 0x20);
    DBGTXT_Print(dst, -7 * 120, 3, "%s", std::string(200, 'M').c_str());
    EXPECT_EQ(Line(0, 8), "MMMMMMM ");
    // A strip too narrow for a cell draws nothing of it.
    DBGTXT_Term();
    WriteStrip(dir.File("narrow.grp"), 2);
    DBGTXT_Init(dir.File("narrow.bmp").c_str());
    BLT_FillRect(dst, nullptr, 0);
    DBGTXT_Print(dst, 0, 3, "!\"#");
    EXPECT_EQ(Line(0, 3), "!\" ");
}

TEST_F(DebugText, NothingIsDrawnWithoutALoadedStripOrWhileOff) {
    DBGTXT_Print(dst, 0, 3, "BEFORE");
    EXPECT_EQ(DBGTXT_Init(dir.File("none.bmp").c_str()), -1);
    DBGTXT_Enable(1);  // no strip: ignored
    DBGTXT_Print(dst, 0, 3, "MISSING");
    ASSERT_EQ(DBGTXT_Init("Bmp\\DebugEft.bmp"), 0);
    DBGTXT_Enable(0);
    DBGTXT_Print(dst, 0, 3, "OFF");
    EXPECT_EQ(support::ReadSurface(dst), std::vector<uint16_t>(320 * 16, 0));
    DBGTXT_Enable(1);
    const int image = IMG_Create(64, 8, 0);
    DBGTXT_PrintSlot(image, 1, 0, "%02d", 5);
    EXPECT_EQ(support::PixelAt(IMG_TABLE[image].surface, 1 + 7 + 1, 1), '5' - 0x20);
    IMG_Release(image);
    DBGTXT_Term();
    EXPECT_EQ(IMG_TABLE[0].count, 0);
    DBGTXT_Print(dst, 0, 3, "AFTER");
    EXPECT_EQ(support::ReadSurface(dst), std::vector<uint16_t>(320 * 16, 0));
}
}  // namespace
