// Save thumbnails: the BMP helpers' layouts and pixels, the 4 x 4 block shrink of the captured
// screen, the cursor painted over, the thumbnail files and ImageMagick reading them back.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/bytes.h"
#include "platform/display.h"
#include "tests/shell/bar_fixture.h"

using namespace bartest;

namespace {
// A test screen: a 555 pixel for every position, presented.
void Present(const std::function<uint16_t(int, int)>& pixel) {
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) support::SetPixel(DD_DISPLAY.back, x, y, pixel(x, y));
    DD_Present();
}

// Pixel (x, y) from the top of a held thumbnail, as blue, green, red bytes read straight from the file.
uint32_t ThumbPixel(const THUMB_IMAGE& t, int x, int y) {
    const uint8_t* p = &t[THUMB_BMP_HEADER + size_t(79 - y) * 336 + size_t(x) * 3];
    return uint32_t(p[2]) | uint32_t(p[1]) << 8 | uint32_t(p[0]) << 16;
}

// The arrow look of the cursor (the common picture's 0, 112) blitted keyed at (x, y).
void DrawArrow(int x, int y) {
    const RECT src{0, 112, 32, 138};
    BLT_Blt(DD_DISPLAY.back, x, y, IMG_Surface(BAR_COMMON_IMAGE), &src, 1);
}
}  // namespace

TEST(ThumbBmp, MadeImagesHaveTheirDepthsLayout) {
    // bits, width, height -> size, pixel offset
    const struct {
        int bits, w, h;
        size_t size;
        uint32_t offset;
    } cases[] = {
        {4, 5, 3, 8 * 3 / 2 + 64 + 54, 118},   // pitch 8, half a byte a pixel, 16 palette entries
        {8, 5, 3, 8 * 3 + 1024 + 54, 1078},    // 1102: already a multiple of 4
        {16, 5, 3, 12 * 3 + 54, 54},           // 90 -> 92
        {24, 5, 3, 16 * 3 + 54, 54},           // 102 -> 104
        {32, 5, 3, 20 * 3 + 54, 54},
        {24, 112, 80, 26936, 54},
        {12, 5, 3, 56, 54},                    // unknown depth: headers only
    };
    for (const auto& c : cases) {
        THUMB_IMAGE img;
        const int32_t size = THUMB_MakeBmp(img, c.w, c.h, c.bits, 72, 73);
        const size_t want = (c.size + 3) & ~size_t(3);
        EXPECT_EQ(size_t(size), want) << c.bits;
        ASSERT_EQ(img.size(), want) << c.bits;
        EXPECT_EQ(plat::Get32(&img[2]), want);
        EXPECT_EQ(plat::Get32(&img[10]), c.offset) << c.bits;
        EXPECT_EQ(plat::Get32(&img[14]), 40u);
        EXPECT_EQ(plat::Get16(&img[28]), c.bits);
        EXPECT_EQ(plat::Get32(&img[38]), 72u);
        EXPECT_EQ(plat::Get32(&img[42]), 73u);
        if (c.bits == 8) {
            EXPECT_EQ(plat::Get32(&img[54 + 4 * 200]), 0x00C8C8C8u);  // entry i = (i, i, i, 0)
        }
        THUMB_BMP_VIEW v;
        THUMB_ParseBmp(&v, img.data(), img.size());
        EXPECT_EQ(v.palette, int16_t((c.offset - 54) / 4)) << c.bits;
    }
}

TEST(ThumbBmp, PixelsReadAndWriteInEachDepth) {
    for (int bits : {16, 24, 32}) {
        THUMB_IMAGE img;
        THUMB_MakeBmp(img, 7, 5, bits, 72, 72);
        THUMB_BMP_VIEW v;
        THUMB_ParseBmp(&v, img.data(), img.size());
        ASSERT_EQ(v.width, 7);
        EXPECT_EQ(v.bytes, bits / 8);
        // Black reads as (8, 8, 8); so does a pixel outside the picture.
        EXPECT_EQ(THUMB_GetPixel(&v, 3, 2), 0x080808u) << bits;
        EXPECT_EQ(THUMB_GetPixel(&v, 7, 0), 0x080808u) << bits;
        THUMB_SetPixel(&v, 2, 0, 0x00402010);  // red 0x10, green 0x20, blue 0x40
        THUMB_SetPixel(&v, -1, 0, 0x00FFFFFF);  // outside: nothing lands
        const uint32_t got = THUMB_GetPixel(&v, 2, 0);
        EXPECT_EQ(got, 0x00402010u) << bits;  // every channel a multiple of 8 survives 5-5-5
        // Row 0 from the top is the last row stored.
        const uint8_t* stored = v.pixels + 4 * v.pitch + 2 * v.bytes;
        if (bits == 16) {
            EXPECT_EQ(plat::Get16(stored), 0x8000 + 2 * 1024 + 4 * 32 + 8);
        } else if (bits == 24) {
            EXPECT_EQ(stored[0], 0x40);
        }
    }
}

TEST(ThumbBmp, BytesThatAreNoAddressableBitmapReadAsBlack) {
    THUMB_IMAGE img;
    THUMB_MakeBmp(img, 40, 30, 24, 72, 72);
    for (auto cut : {img.size() - 3, size_t(60), size_t(53)}) {  // rows end 2 bytes before the end
        THUMB_BMP_VIEW v;
        THUMB_ParseBmp(&v, img.data(), cut);
        EXPECT_EQ(v.width, 0) << cut;
        EXPECT_EQ(THUMB_GetPixel(&v, 0, 0), 0x080808u);
        THUMB_SetPixel(&v, 0, 0, 0xFFFFFF);
    }
    img[22] = 0xFF, img[23] = 0xFF, img[24] = 0xFF, img[25] = 0xFF;  // height -1: top-down
    THUMB_BMP_VIEW v;
    THUMB_ParseBmp(&v, img.data(), img.size());
    EXPECT_EQ(v.height, 0);
}

class ThumbTest : public BarTest {};

TEST_F(ThumbTest, TheThumbnailIsAlways26936BytesOfA112By80Bitmap) {
    Present([](int x, int y) { return uint16_t((x * 7 + y * 13) & 0x7FFF); });
    THUMB_Make();
    ASSERT_EQ(THUMB_HELD.size(), 26936u);
    const THUMB_IMAGE& t = THUMB_HELD;
    EXPECT_EQ(t[0], 'B');
    EXPECT_EQ(t[1], 'M');
    const struct {
        size_t at;
        uint32_t value;
    } fields[] = {{2, 26936}, {10, 54}, {14, 40}, {18, 112}, {22, 80}, {34, 0}, {38, 72}, {42, 72}, {46, 0}, {50, 0}};
    for (const auto& f : fields) EXPECT_EQ(plat::Get32(&t[f.at]), f.value) << f.at;
    EXPECT_EQ(plat::Get16(&t[26]), 1);
    EXPECT_EQ(plat::Get16(&t[28]), 24);
    EXPECT_EQ(plat::Get16(&t[26934]), 0);
    // A black screen gives (8, 8, 8) everywhere.
    Present([](int, int) { return uint16_t(0); });
    THUMB_Make();
    ASSERT_EQ(THUMB_HELD.size(), 26936u);
    for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 112; ++x) ASSERT_EQ(ThumbPixel(THUMB_HELD, x, y), 0x080808u) << x << "," << y;
}

TEST_F(ThumbTest, EachPixelAveragesTheFourByFourBlockAtFiveAndAHalfByFiveAndThreeFifths) {
    // Channels from the position, so that every block has its own average.
    auto pixel = [](int x, int y) { return uint16_t((x % 32) << 10 | (y % 32) << 5 | ((x + y) / 7 % 32)); };
    Present(pixel);
    THUMB_Make();
    ASSERT_EQ(THUMB_HELD.size(), 26936u);
    for (int ty : {0, 1, 39, 79})
        for (int tx : {0, 1, 2, 55, 111}) {
            const int sx = tx * 616 / 112, sy = ty * 448 / 80;
            uint32_t r = 0, g = 0, b = 0;
            for (int j = 0; j < 4; ++j)
                for (int i = 0; i < 4; ++i) {
                    const uint16_t v = pixel(sx + i, sy + j);
                    // As a capture reads it: each 5-bit channel times 8, black as 8.
                    uint32_t pr = (v >> 10 & 31) * 8, pg = (v >> 5 & 31) * 8, pb = (v & 31) * 8;
                    if (!pr && !pg && !pb) pr = pg = pb = 8;
                    r += pr, g += pg, b += pb;
                }
            EXPECT_EQ(ThumbPixel(THUMB_HELD, tx, ty), (r / 16) | (g / 16) << 8 | (b / 16) << 16) << tx << "," << ty;
        }
}

TEST_F(ThumbTest, ACursorFullyInsideTheSearchIsPaintedOverAndNoOtherIs) {
    ASSERT_FALSE(THUMB_CURSOR[0].pixels.empty());
    EXPECT_EQ(THUMB_CURSOR[0].box, 20);
    EXPECT_EQ(THUMB_CURSOR[1].box, 32);
    EXPECT_GE(THUMB_CURSOR[0].pixels.front().dx, 1);  // the box's first column is never covered
    // Rows of one colour each, so a cursor painted over leaves exactly the background.
    auto rows = [](int, int y) { return uint16_t((y % 31 + 1) << 5 | 6); };
    Present(rows);
    THUMB_Make();
    const THUMB_IMAGE clean = THUMB_HELD;

    // x: where the arrow's picture starts; the search reaches pictures starting at 596 at most.
    const struct {
        int x, y;
        bool erased;
    } cases[] = {{100, 100, true}, {596, 200, true}, {597, 200, false}, {300, 427, true}, {300, 428, false}, {610, 50, false}};
    for (const auto& c : cases) {
        Present(rows);
        DrawArrow(c.x, c.y);
        DD_Present();
        THUMB_IMAGE capture;
        ASSERT_EQ(THUMB_CaptureDib(display.window, RECT{0, 0, 616, 448}, capture), int32_t(616 * 2 * 448 + 54));
        THUMB_BMP_VIEW v;
        THUMB_ParseBmp(&v, capture.data(), capture.size());
        EXPECT_EQ(THUMB_EraseCursor(&v, THUMB_CURSOR[0]), c.erased ? 1 : 0) << c.x << "," << c.y;
    }
    // Made whole: the thumbnail of a screen with the cursor is that of the screen without it.
    Present(rows);
    DrawArrow(200, 150);
    DD_Present();
    THUMB_Make();
    EXPECT_EQ(THUMB_HELD, clean);
    // One pixel of the picture changed: not the cursor.
    Present(rows);
    DrawArrow(200, 150);
    support::SetPixel(DD_DISPLAY.back, 205, 160, support::PixelAt(DD_DISPLAY.back, 205, 160) ^ 0x0400);
    DD_Present();
    THUMB_Make();
    EXPECT_NE(THUMB_HELD, clean);
}

TEST_F(ThumbTest, AFailedCaptureKeepsTheHeldThumbnail) {
    Present([](int, int) { return spritetest::Rgb(31, 0, 0); });
    THUMB_Make();
    const THUMB_IMAGE held = THUMB_HELD;
    ASSERT_EQ(held.size(), 26936u);
    THUMB_IMAGE capture;
    EXPECT_EQ(THUMB_CaptureDib(nullptr, RECT{0, 0, 616, 448}, capture), -1);
    EXPECT_EQ(THUMB_CaptureDib(display.window, RECT{0, 0, 0, 448}, capture), -1);
    plat::Window* w = display.window;
    display.window = nullptr;
    plat::DestroyWindow(w);  // no window: nothing to capture
    THUMB_Make();
    EXPECT_EQ(THUMB_HELD, held);
}

TEST_F(ThumbTest, TheFilesAreNamedBySlotAndWrittenOnlyWithAThumbnail) {
    EXPECT_EQ(THUMB_Write(42), 0);  // nothing held yet: no file
    EXPECT_FALSE(std::filesystem::exists(dir.File("save/ov42.dat")));
    Present([](int x, int) { return uint16_t(x & 0x7FFF); });
    THUMB_Make();
    EXPECT_EQ(THUMB_Write(42), 1);
    EXPECT_EQ(THUMB_Write(115), 1);
    EXPECT_EQ(THUMB_Write(98), 0);
    EXPECT_EQ(THUMB_Write(120), 0);
    EXPECT_EQ(support::ReadBytes(dir.File("save/ov42.dat")), THUMB_HELD);
    EXPECT_EQ(support::ReadBytes(dir.File("save/ova05.dat")), THUMB_HELD);
    EXPECT_STREQ(THUMB_FileName(0), "save\\ov00.dat");
    EXPECT_STREQ(THUMB_FileName(119), "save\\ova09.dat");
    EXPECT_EQ(THUMB_FileName(-1), nullptr);
}

TEST_F(ThumbTest, ImageMagickReadsTheSamePixels) {
    if (!support::HaveTool("convert")) GTEST_SKIP() << "ImageMagick convert is not installed";
    Present([](int x, int y) { return uint16_t((x / 5) << 10 | (y / 14) << 5 | ((x ^ y) & 31)); });
    THUMB_Make();
    ASSERT_EQ(THUMB_Write(7), 1);
    ASSERT_EQ(std::system("convert bmp:save/ov07.dat -depth 8 rgb:thumb.rgb >/dev/null 2>&1"), 0);
    const std::vector<uint8_t> rgb = support::ReadBytes(dir.File("thumb.rgb"));
    ASSERT_EQ(rgb.size(), 112u * 80 * 3);
    for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 112; ++x) {
            const uint8_t* p = &rgb[(size_t(y) * 112 + x) * 3];
            ASSERT_EQ(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16, ThumbPixel(THUMB_HELD, x, y)) << x << "," << y;
        }
}
