// The 8-bit palette: flags rule, brightness scaling, setters at 16 bits, timed fades on manual time.
#include <gtest/gtest.h>
#include <array>
#include <vector>
#include "display/dd_palette.h"
#include "display/grp_file.h"
#include "platform/window.h"
#include "tests/support/fixture.h"

namespace {
using Rgb = std::array<int, 3>;
using A2 = std::array<int, 2>;
Rgb Of(const PALETTEENTRY& e) { return {e.peRed, e.peGreen, e.peBlue}; }
Rgb Sent(int i) { return Of(DD_DISPLAY.palette->Entries()[i]); }
uint8_t RuleFlags(int i) { return (i >= 10 && i <= 245) ? PC_RESERVED : 0; }
const Rgb kStart{200, 100, 0}, kHalf{100, 50, 0};

// A windowed 8-bit display on an 8-bit desktop, so the palette object exists; every entry kStart.
class EightBit : public ::testing::Test {
protected:
    plat::Window* window = nullptr;
    void SetUp() override {
        DD_Release();
        headless::Reset(headless::Config{8, true, 0, 1000});
        window = plat::CreateMainWindow("t", 640, 480, [](plat::Window* w, uint32_t m, uintptr_t wp, intptr_t lp) { return plat::DefWindowProc(w, m, wp, lp); });
        int32_t full = 0;
        ASSERT_EQ(DD_Init(window, 640, 480, 8, &full, 0, 1), 1);
        ASSERT_NE(DD_DISPLAY.palette, nullptr);
        for (int i = 0; i < 256; ++i) ASSERT_TRUE(DD_BRIGHTNESS[i] == 256 && DD_PALETTE[i].peFlags == RuleFlags(i)) << i;
        const uint8_t rgb[3] = {200, 100, 0};
        ASSERT_EQ(DD_SetPaletteRGBRange(rgb, 0, 256), 1);
    }
    void TearDown() override {
        DD_Release();
        if (window) plat::DestroyWindow(window);
    }
};

// A packed bitmap: a header of `header` bytes, then `colours` RGBQUADs, entry i (red i, green 255 - i, blue i / 2).
std::vector<uint8_t> Dib(int colours, uint8_t header = 40) {
    std::vector<uint8_t> b(header + 4 * size_t(colours), 0);
    b[0] = header;
    for (uint8_t *q = &b[header], i = 0; q < b.data() + b.size(); q += 4, ++i) q[0] = uint8_t(i / 2), q[1] = uint8_t(255 - i), q[2] = i, q[3] = 0x77;
    return b;
}
}  // namespace

TEST(Palette16, SettersChangeTheLogicalPaletteOnlyAndKeepToTheTable) {
    support::HeadlessDisplay display;
    ASSERT_TRUE(display.ok && DD_DISPLAY.palette == nullptr);
    headless::ClearCallLog();
    std::vector<PALETTEENTRY> in(20, PALETTEENTRY{1, 2, 3, 0xEE});
    EXPECT_EQ(DD_SetPaletteQuad(in.data(), 0, 20), 0);  // nothing reached a palette object
    for (int i = 0; i < 20; ++i) EXPECT_TRUE(Of(DD_PALETTE[i]) == (Rgb{1, 2, 3}) && DD_PALETTE[i].peFlags == RuleFlags(i)) << i;
    const uint8_t grey[3] = {9, 8, 7};
    const std::vector<uint8_t> dib = Dib(256);
    DD_SetPaletteEntry(grey, 100);
    DD_SetPaletteRGBRange(grey, 240, 16);
    DD_PaletteFromDib(dib.data(), dib.size(), 30, 2);
    EXPECT_EQ((std::array{Of(DD_PALETTE[255]), Of(DD_PALETTE[31])}), (std::array{Rgb{9, 8, 7}, Rgb{31, 224, 15}}));
    // Everything that would go straight to the hardware refuses without a palette object.
    PALETTEENTRY out[4];
    EXPECT_NE(DD_SetPaletteRange(in.data(), 0, 20), DD_OK);
    EXPECT_NE(DD_GetPaletteEntries(out, 0, 4), DD_OK);
    EXPECT_TRUE(headless::CallLog().empty());
    ASSERT_EQ(DD_GetPaletteEntry(out, 100), 1);
    EXPECT_EQ(Of(out[0]), (Rgb{9, 8, 7}));
    // Ranges are cut to the table; one that starts outside it does nothing.
    DD_SetBrightness(10, 250, 100);
    EXPECT_EQ(DD_BRIGHTNESS[255], 25);
    EXPECT_EQ((A2{DD_SetBrightness(10, 256, 1), DD_SetBrightness(10, -1, 5)}), (A2{0, 0}));
    EXPECT_EQ(DD_GetPaletteQuad(out, 255, 2), 1);  // one entry copied, no read past the table
    EXPECT_EQ((A2{DD_FadeStart(100, 0, 300, 5), DD_FADE.active}), (A2{0, 0}));
}

TEST_F(EightBit, BrightnessScalesTowardBlackAndWhiteAndTheFlagsRuleHolds) {
    ASSERT_EQ(DD_SetBrightness(50, 10, 236), 1);
    EXPECT_EQ(DD_BRIGHTNESS[10], 128);
    EXPECT_EQ((std::array{Sent(10), Sent(245), Sent(9), Of(DD_PALETTE[10])}), (std::array{kHalf, kHalf, kStart, kStart}));
    ASSERT_EQ(DD_SetBrightness(150, 0, 256), 1);
    EXPECT_EQ(DD_BRIGHTNESS[3], 384);
    EXPECT_EQ(Sent(3), (Rgb{227, 177, 127}));
    for (int percent : {0, -40, INT32_MIN, 200, 900, INT32_MAX}) {  // the ends, black and white, however far beyond
        DD_SetBrightness(percent, 1, 1);
        EXPECT_EQ(Sent(1), (percent > 0 ? Rgb{255, 255, 255} : Rgb{0, 0, 0})) << percent;
        EXPECT_EQ(DD_BRIGHTNESS[1], percent > 0 ? 512 : 0) << percent;
    }
    // Straight to the hardware: the flags rule holds whatever the caller sent, the logical palette stays.
    std::vector<PALETTEENTRY> in(256, PALETTEENTRY{5, 6, 7, 0xFF});
    const uint8_t red[3] = {255, 0, 0};
    PALETTEENTRY back[3];
    ASSERT_EQ(DD_SetPaletteRange(in.data(), 0, 256), DD_OK);
    for (int i = 0; i < 256; ++i) EXPECT_EQ(DD_DISPLAY.palette->Entries()[i].peFlags, RuleFlags(i)) << i;
    EXPECT_EQ(Of(DD_PALETTE[50]), kStart);
    ASSERT_EQ(DD_SetPaletteRGB(red, 240, 10), DD_OK);
    EXPECT_EQ((A2{DD_DISPLAY.palette->Entries()[249].peFlags, DD_DISPLAY.palette->Entries()[240].peFlags}), (A2{0, PC_RESERVED}));
    ASSERT_EQ(DD_GetPaletteEntries(back, 247, 3), DD_OK);
    EXPECT_EQ(Of(back[2]), (Rgb{255, 0, 0}));
}

TEST_F(EightBit, PalettesFromBitmapsAndPicturesAreBounded) {
    std::vector<uint8_t> dib = Dib(256), big = Dib(256, 124), short_table = Dib(16);  // big: a larger header first
    ASSERT_EQ(DD_PaletteFromDib(dib.data(), dib.size(), 10, 5), 1);
    EXPECT_EQ((std::array{Of(DD_PALETTE[12]), Sent(14)}), (std::array{Rgb{12, 243, 6}, Rgb{14, 241, 7}}));
    EXPECT_EQ(DD_PALETTE[12].peFlags, PC_RESERVED);  // not the reserved byte of the quad
    ASSERT_EQ(DD_PaletteFromDib(big.data(), big.size(), 3, 1), 1);
    EXPECT_EQ(DD_PALETTE[3].peRed, 3);
    // Blocks that do not hold every entry asked for (entry 20), or whose header is too small or too
    // large (near 4 GB, which must not wrap the bound).
    EXPECT_EQ((A2{DD_PaletteFromDib(short_table.data(), short_table.size(), 10, 11), DD_PaletteFromDib(short_table.data(), 3, 0, 1)}), (A2{0, 0}));
    dib[0] = 12;
    EXPECT_EQ(DD_PaletteFromDib(dib.data(), dib.size(), 0, 1), 0);
    dib[0] = dib[3] = 0xFF;
    EXPECT_EQ(DD_PaletteFromDib(dib.data(), dib.size(), 0, 1), 0);
    std::vector<uint8_t> block(4 + 768);  // a 2 x 2 picture, then its palette
    for (int i = 0; i < 256; ++i) block[4 + 3 * i] = uint8_t(i), block[5 + 3 * i] = uint8_t(255 - i), block[6 + 3 * i] = 7;
    GRP_IMAGE image;
    image.bpp = 8, image.width = image.height = 2, image.pixels = block.data(), image.palette = block.data() + 4;
    ASSERT_EQ(DD_PaletteFromGrp(&image, 240, 100), 1);  // cut to the table
    EXPECT_EQ((std::array{Of(DD_PALETTE[250]), Sent(255)}), (std::array{Rgb{250, 5, 7}, Rgb{255, 0, 7}}));
    EXPECT_EQ(DD_PALETTE[250].peFlags, 0);
    image.bpp = 16;  // a picture of another depth carries no palette
    EXPECT_EQ(DD_PaletteFromGrp(&image, 20, 1), 0);
    image.bpp = 8, image.palette = nullptr;
    EXPECT_EQ((A2{DD_PaletteFromGrp(&image, 20, 1), DD_PaletteFromGrp(nullptr, 20, 1)}), (A2{0, 0}));
    EXPECT_EQ(Of(DD_PALETTE[20]), kStart);
}

// Prepared fades do not move until finished; time counts from the start; a cancel keeps the levels.
TEST_F(EightBit, FadeRunsOverManualTimeAndEndsCleared) {
    headless::SetTime(5000);
    ASSERT_EQ(DD_FadeStart(1000, 0, 10, 236), 1);
    EXPECT_EQ(DD_FADE.delta[10], -256);
    int (*const finish)() = [] { return DD_FadeFinish(1); };
    const struct {
        uint32_t advance;
        int (*call)();
        int result, level;
    } steps[] = {{300, DD_FadeStep, 0, 256}, {0, finish, 1, 256}, {200, DD_FadeStep, 1, 128}, {0, DD_FadeCancel, 1, 128},
                 {100, DD_FadeStep, 0, 128}, {0, finish, 1, 128}, {150, DD_FadeStep, 1, 64},  {250, DD_FadeStep, 1, 0}};
    for (const auto& s : steps) {
        headless::AdvanceTime(s.advance);
        EXPECT_EQ((A2{s.call(), DD_BRIGHTNESS[10]}), (A2{s.result, s.level}));
        EXPECT_EQ(Sent(100), (Rgb{200 * s.level / 256, 100 * s.level / 256, 0}));
    }
    EXPECT_EQ(Sent(9), kStart);  // outside the range
    EXPECT_EQ((std::array{int(DD_FADE.active), DD_FadeIsRunning(), DD_FadeCancel(), DD_FadeFinish(1)}), (std::array{0, 0, 0, 0}));
}

TEST_F(EightBit, FadesAcrossAClockWrapWaitingZeroLengthAndLong) {
    headless::SetTime(0xFFFFFF00u);
    ASSERT_EQ((A2{DD_FadeStart(0x200, 150, 0, 256), DD_FadeFinish(1)}), (A2{1, 1}));
    EXPECT_EQ((A2{DD_FadeStep(), DD_BRIGHTNESS[0]}), (A2{1, 256}));  // no time has passed: nothing moves
    headless::AdvanceTime(0x100);                                     // the clock wraps to 0, half way
    EXPECT_EQ((std::array{DD_FadeStep(), int(DD_BRIGHTNESS[0]), int(DD_FADE.active)}), (std::array{1, 320, 1}));
    DD_FadeClear();
    ASSERT_EQ((A2{DD_FadeStart(0, 50, 0, 256), DD_FadeFinish(0)}), (A2{1, 1}));  // zero length: ends at its first step
    EXPECT_EQ(DD_FADE.active, 0);
    EXPECT_EQ(Sent(128), kHalf);
    ASSERT_EQ(DD_FadeStart(1000, 100, 0, 256), 1);
    headless::AdvanceTime(5000);
    ASSERT_EQ(DD_FadeFinish(0), 1);  // time already run out: the waiting form ends at once
    EXPECT_EQ(Sent(128), kStart);
    headless::SetTime(0);  // a long fade does not overflow the level product
    ASSERT_EQ((A2{DD_FadeStart(0xF0000000u, 200, 0, 256), DD_FadeFinish(1)}), (A2{1, 1}));
    headless::SetTime(0x78000000u);
    EXPECT_EQ((A2{DD_FadeStep(), DD_BRIGHTNESS[0]}), (A2{1, 384}));
}
