// The 8-bit palette: flags rule, brightness scaling, setters at 16 bits, timed fades on manual time.
#include <gtest/gtest.h>

#include <vector>

#include "display/dd_display.h"
#include "display/dd_palette.h"
#include "display/grp_file.h"
#include "platform/window.h"
#include "tests/support/fixture.h"

namespace {
intptr_t Proc(plat::Window* w, uint32_t m, uintptr_t wp, intptr_t lp) { return plat::DefWindowProc(w, m, wp, lp); }

// A windowed 8-bit display on an 8-bit desktop, so the palette object exists.
class EightBit : public ::testing::Test {
protected:
    plat::Window* window = nullptr;
    void SetUp() override {
        DD_Release();
        headless::Config c;
        c.desktop_bpp = 8;
        c.start_time = 1000;
        headless::Reset(c);
        window = plat::CreateMainWindow("t", 640, 480, Proc);
        int32_t full = 0;
        ASSERT_EQ(DD_Init(window, 640, 480, 8, &full, 0, 1), 1);
        ASSERT_NE(DD_DISPLAY.palette, nullptr);
    }
    void TearDown() override {
        DD_Release();
        if (window) plat::DestroyWindow(window);
    }
    static PALETTEENTRY Sent(int i) { return DD_DISPLAY.palette->Entries()[i]; }
    static void SetAll(uint8_t r, uint8_t g, uint8_t b) {
        const uint8_t rgb[3] = {r, g, b};
        ASSERT_EQ(DD_SetPaletteRGBRange(rgb, 0, 256), 1);
    }
};

void ExpectRgb(const PALETTEENTRY& e, int r, int g, int b) {
    EXPECT_EQ(e.peRed, r);
    EXPECT_EQ(e.peGreen, g);
    EXPECT_EQ(e.peBlue, b);
}

uint8_t RuleFlags(int i) { return (i >= 10 && i <= 245) ? PC_RESERVED : 0; }

// A packed bitmap: 40-byte header, then `colours` RGBQUADs where entry i is (red i, green 255 - i, blue i / 2).
std::vector<uint8_t> Dib(int colours) {
    std::vector<uint8_t> b(40 + 4 * size_t(colours), 0);
    b[0] = 40;
    for (int i = 0; i < colours; ++i) {
        uint8_t* q = &b[40 + 4 * size_t(i)];
        q[0] = static_cast<uint8_t>(i / 2);
        q[1] = static_cast<uint8_t>(255 - i);
        q[2] = static_cast<uint8_t>(i);
        q[3] = 0x77;
    }
    return b;
}
}  // namespace

TEST(Palette16, SettersChangeTheLogicalPaletteOnlyAndKeepToTheTable) {
    support::HeadlessDisplay display;
    ASSERT_TRUE(display.ok);
    ASSERT_EQ(DD_DISPLAY.palette, nullptr);
    headless::ClearCallLog();

    std::vector<PALETTEENTRY> in(20, PALETTEENTRY{1, 2, 3, 0xEE});
    EXPECT_EQ(DD_SetPaletteQuad(in.data(), 0, 20), 0);  // nothing reached a palette object
    for (int i = 0; i < 20; ++i) {
        ExpectRgb(DD_PALETTE[i], 1, 2, 3);
        EXPECT_EQ(DD_PALETTE[i].peFlags, RuleFlags(i)) << i;
    }
    const uint8_t grey[3] = {9, 8, 7};
    DD_SetPaletteEntry(grey, 100);
    ExpectRgb(DD_PALETTE[100], 9, 8, 7);
    DD_SetPaletteRGBRange(grey, 240, 16);
    ExpectRgb(DD_PALETTE[255], 9, 8, 7);
    EXPECT_EQ(DD_PALETTE[250].peFlags, 0);
    DD_SetBrightness(50, 0, 256);
    EXPECT_EQ(DD_BRIGHTNESS[0], 128);
    const std::vector<uint8_t> dib = Dib(256);
    DD_PaletteFromDib(dib.data(), dib.size(), 30, 2);
    ExpectRgb(DD_PALETTE[31], 31, 224, 15);

    // Everything that would go straight to the hardware refuses without a palette object.
    EXPECT_NE(DD_SetPaletteRange(in.data(), 0, 20), DD_OK);
    PALETTEENTRY out[4];
    EXPECT_NE(DD_GetPaletteEntries(out, 0, 4), DD_OK);
    EXPECT_TRUE(headless::CallLog().empty());

    PALETTEENTRY one[2];
    ASSERT_EQ(DD_GetPaletteEntry(one, 100), 1);
    ExpectRgb(one[0], 9, 8, 7);

    // Ranges are cut to the table; one that starts outside it does nothing.
    DD_SetBrightness(10, 250, 100);
    EXPECT_EQ(DD_BRIGHTNESS[255], 25);
    EXPECT_EQ(DD_SetBrightness(10, 256, 1), 0);
    EXPECT_EQ(DD_SetBrightness(10, -1, 5), 0);
    EXPECT_EQ(DD_GetPaletteQuad(one, 255, 2), 1);  // one entry copied, no read past the table
    EXPECT_EQ(DD_FadeStart(100, 0, 300, 5), 0);
    EXPECT_EQ(DD_FADE.active, 0);
}

TEST_F(EightBit, StartupTakesTheSystemPaletteAtFullBrightness) {
    for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(DD_BRIGHTNESS[i], 256);
        EXPECT_EQ(DD_PALETTE[i].peFlags, RuleFlags(i));
    }
}

TEST_F(EightBit, BrightnessScalesTowardBlackAndTowardWhite) {
    SetAll(200, 100, 0);
    ASSERT_EQ(DD_SetBrightness(50, 10, 236), 1);
    EXPECT_EQ(DD_BRIGHTNESS[10], 128);
    EXPECT_EQ(DD_BRIGHTNESS[9], 256);
    ExpectRgb(Sent(10), 100, 50, 0);
    ExpectRgb(Sent(245), 100, 50, 0);
    ExpectRgb(Sent(9), 200, 100, 0);
    ExpectRgb(DD_PALETTE[10], 200, 100, 0);  // the logical palette keeps the colour

    ASSERT_EQ(DD_SetBrightness(150, 0, 256), 1);
    EXPECT_EQ(DD_BRIGHTNESS[3], 384);
    ExpectRgb(Sent(3), 227, 177, 127);
    DD_SetBrightness(200, 0, 1);
    ExpectRgb(Sent(0), 255, 255, 255);
    DD_SetBrightness(0, 0, 1);
    ExpectRgb(Sent(0), 0, 0, 0);
    // Levels beyond the meaningful range stay at its ends instead of wrapping bytes.
    // Percents beyond 0-200 act as the ends, however large (no overflow of the level product).
    for (int percent : {-40, INT32_MIN}) {
        DD_SetBrightness(percent, 1, 1);
        ExpectRgb(Sent(1), 0, 0, 0);
    }
    for (int percent : {900, INT32_MAX}) {
        DD_SetBrightness(percent, 2, 1);
        ExpectRgb(Sent(2), 255, 255, 255);
        EXPECT_EQ(DD_BRIGHTNESS[2], 512);
    }
}

TEST_F(EightBit, FlagsRuleHoldsWhateverTheCallerSent) {
    std::vector<PALETTEENTRY> in(256, PALETTEENTRY{5, 6, 7, 0xFF});
    ASSERT_EQ(DD_SetPaletteRange(in.data(), 0, 256), DD_OK);
    for (int i = 0; i < 256; ++i) EXPECT_EQ(Sent(i).peFlags, RuleFlags(i)) << i;
    EXPECT_NE(DD_PALETTE[50].peRed, 5);  // straight to the hardware: the logical palette is untouched

    const uint8_t red[3] = {255, 0, 0};
    ASSERT_EQ(DD_SetPaletteRGB(red, 240, 10), DD_OK);
    ExpectRgb(Sent(249), 255, 0, 0);
    EXPECT_EQ(Sent(249).peFlags, 0);
    EXPECT_EQ(Sent(240).peFlags, PC_RESERVED);

    PALETTEENTRY back[3];
    ASSERT_EQ(DD_GetPaletteEntries(back, 247, 3), DD_OK);
    ExpectRgb(back[2], 255, 0, 0);
}

TEST_F(EightBit, PaletteFromBitmapTakesTheColourTableAndRefusesShortBlocks) {
    std::vector<uint8_t> dib = Dib(256);
    ASSERT_EQ(DD_PaletteFromDib(dib.data(), dib.size(), 10, 5), 1);
    ExpectRgb(DD_PALETTE[12], 12, 243, 6);
    ExpectRgb(Sent(14), 14, 241, 7);
    EXPECT_EQ(DD_PALETTE[12].peFlags, PC_RESERVED);  // not the reserved byte of the quad

    // A bitmap with a larger header: the table starts after it.
    std::vector<uint8_t> big(124 + 4 * 256, 0);
    big[0] = 124;
    big[124 + 4 * 3 + 2] = 99;
    ASSERT_EQ(DD_PaletteFromDib(big.data(), big.size(), 3, 1), 1);
    EXPECT_EQ(DD_PALETTE[3].peRed, 99);

    const PALETTEENTRY before = DD_PALETTE[20];
    std::vector<uint8_t> short_table = Dib(16);
    EXPECT_EQ(DD_PaletteFromDib(short_table.data(), short_table.size(), 10, 11), 0);  // entry 20 missing
    EXPECT_EQ(DD_PALETTE[20].peRed, before.peRed);
    EXPECT_EQ(DD_PaletteFromDib(short_table.data(), 3, 0, 1), 0);
    std::vector<uint8_t> tiny_header = Dib(256);
    tiny_header[0] = 12;
    EXPECT_EQ(DD_PaletteFromDib(tiny_header.data(), tiny_header.size(), 0, 1), 0);
    tiny_header[0] = 0xFF;
    tiny_header[3] = 0xFF;  // a header size near 4 GB must not wrap the bound
    EXPECT_EQ(DD_PaletteFromDib(tiny_header.data(), tiny_header.size(), 0, 1), 0);
}

TEST_F(EightBit, FadeRunsOverManualTimeAndEndsCleared) {
    SetAll(200, 100, 0);
    headless::SetTime(5000);
    ASSERT_EQ(DD_FadeStart(1000, 0, 10, 236), 1);
    EXPECT_EQ(DD_FADE.delta[10], -256);
    ExpectRgb(Sent(10), 200, 100, 0);  // preparing changes nothing on screen

    headless::AdvanceTime(300);
    EXPECT_EQ(DD_FadeStep(), 0);  // not running yet
    EXPECT_EQ(DD_BRIGHTNESS[10], 256);
    ExpectRgb(Sent(10), 200, 100, 0);

    ASSERT_EQ(DD_FadeFinish(1), 1);
    EXPECT_EQ(DD_FadeIsRunning(), 1);
    headless::AdvanceTime(200);  // half way, counted from the start, not from the finish call
    EXPECT_EQ(DD_FadeStep(), 1);
    EXPECT_EQ(DD_BRIGHTNESS[10], 128);
    ExpectRgb(Sent(10), 100, 50, 0);
    ExpectRgb(Sent(9), 200, 100, 0);  // outside the range

    EXPECT_EQ(DD_FadeCancel(), 1);  // back to prepared, levels kept
    headless::AdvanceTime(100);
    EXPECT_EQ(DD_FadeStep(), 0);
    EXPECT_EQ(DD_BRIGHTNESS[10], 128);

    ASSERT_EQ(DD_FadeFinish(1), 1);
    headless::AdvanceTime(150);  // 750 of 1000 ms
    EXPECT_EQ(DD_FadeStep(), 1);
    EXPECT_EQ(DD_BRIGHTNESS[10], 64);
    headless::AdvanceTime(250);
    EXPECT_EQ(DD_FadeStep(), 1);
    EXPECT_EQ(DD_BRIGHTNESS[10], 0);
    ExpectRgb(Sent(100), 0, 0, 0);
    EXPECT_EQ(DD_FADE.active, 0);
    EXPECT_EQ(DD_FadeIsRunning(), 0);
    EXPECT_EQ(DD_FadeCancel(), 0);
    EXPECT_EQ(DD_FadeFinish(1), 0);
}

TEST_F(EightBit, FadeTowardWhiteAcrossAClockWrap) {
    SetAll(0, 100, 255);
    headless::SetTime(0xFFFFFF00u);
    ASSERT_EQ(DD_FadeStart(0x200, 200, 0, 256), 1);
    ASSERT_EQ(DD_FadeFinish(1), 1);
    EXPECT_EQ(DD_FadeStep(), 1);  // no time has passed: nothing moves
    EXPECT_EQ(DD_BRIGHTNESS[0], 256);
    headless::AdvanceTime(0x100);  // the clock wraps to 0
    EXPECT_EQ(DD_FadeStep(), 1);
    EXPECT_EQ(DD_BRIGHTNESS[0], 384);
    ExpectRgb(Sent(0), 127, 177, 255);
    EXPECT_EQ(DD_FADE.active, 1);
}

TEST_F(EightBit, WaitingFinishAndZeroDurationEndAtOnce) {
    SetAll(200, 100, 0);
    ASSERT_EQ(DD_FadeStart(0, 50, 0, 256), 1);
    ASSERT_EQ(DD_FadeFinish(0), 1);
    EXPECT_EQ(DD_FADE.active, 0);
    ExpectRgb(Sent(128), 100, 50, 0);

    // A long fade whose time has already run out ends at the first step of the waiting form.
    ASSERT_EQ(DD_FadeStart(1000, 100, 0, 256), 1);
    headless::AdvanceTime(5000);
    ASSERT_EQ(DD_FadeFinish(0), 1);
    ExpectRgb(Sent(128), 200, 100, 0);
}

TEST_F(EightBit, LongFadesDoNotOverflowTheLevelProduct) {
    SetAll(200, 100, 0);
    headless::SetTime(0);
    ASSERT_EQ(DD_FadeStart(0xF0000000u, 200, 0, 256), 1);
    ASSERT_EQ(DD_FadeFinish(1), 1);
    headless::SetTime(0x78000000u);  // half of the duration
    EXPECT_EQ(DD_FadeStep(), 1);
    EXPECT_EQ(DD_BRIGHTNESS[0], 384);
}

TEST_F(EightBit, PaletteFromPictureTakesRedGreenBlueTriples) {
    std::vector<uint8_t> block(4 + 768);  // a 2 x 2 picture, then its palette
    for (int i = 0; i < 256; ++i) {
        block[4 + 3 * i] = static_cast<uint8_t>(i);
        block[4 + 3 * i + 1] = static_cast<uint8_t>(255 - i);
        block[4 + 3 * i + 2] = 7;
    }
    GRP_IMAGE image;
    image.bpp = 8;
    image.width = image.height = 2;
    image.pixels = block.data();
    image.palette = block.data() + 4;
    ASSERT_EQ(DD_PaletteFromGrp(&image, 240, 100), 1);  // cut to the table
    ExpectRgb(DD_PALETTE[250], 250, 5, 7);
    EXPECT_EQ(DD_PALETTE[250].peFlags, 0);
    ExpectRgb(Sent(255), 255, 0, 7);
    ExpectRgb(Sent(240), 240, 15, 7);

    // A picture of another depth carries no palette.
    const PALETTEENTRY before = DD_PALETTE[20];
    image.bpp = 16;
    EXPECT_EQ(DD_PaletteFromGrp(&image, 20, 1), 0);
    image.bpp = 8;
    image.palette = nullptr;
    EXPECT_EQ(DD_PaletteFromGrp(&image, 20, 1), 0);
    EXPECT_EQ(DD_PaletteFromGrp(nullptr, 20, 1), 0);
    EXPECT_EQ(DD_PALETTE[20].peRed, before.peRed);
}
