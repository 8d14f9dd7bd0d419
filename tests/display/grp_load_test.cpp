// Pictures into surfaces: every picture format against a per-channel reference in both screen
// formats, kept across a display re-creation; placement, the loaders' names and palette
// take-over, and 8- and 32-bit surfaces.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "display/dd_palette.h"
#include "display/grp_load.h"
#include "platform/memory.h"
#include "services/fil_util.h"
#include "tests/support/fixture.h"
#include "tests/support/grp_writer.h"

namespace {
uint16_t Ref16(uint32_t r, uint32_t g, uint32_t b, bool is565) {
    return is565 ? uint16_t((r >> 3) << 11 | (g >> 2) << 5 | (b >> 3)) : uint16_t((r >> 3) << 10 | (g >> 3) << 5 | (b >> 3));
}

// What pixel i of a picture (index, 555 value or blue, green, red) becomes on a 16-bit screen.
uint16_t Expected(const support::GrpPicture& p, size_t i, bool is565) {
    const uint8_t* q = &p.pixels[i * (p.bpp / 8)];
    if (p.bpp == 8) {
        if (q[0] == 255) return 0;
        const uint8_t* c = &p.palette[q[0] * 3];
        uint16_t v = Ref16(c[0], c[1], c[2], is565);
        return v ? v : 1;
    }
    if (p.bpp == 24) return Ref16(q[2], q[1], q[0], is565);
    uint16_t v = uint16_t(q[0] | q[1] << 8);
    uint16_t r = (v >> 10) & 31, g = (v >> 5) & 31, b = v & 31;
    return is565 ? uint16_t(r << 11 | g << 6 | b) : v;  // 555 is copied whole, bit 15 included
}

uint32_t Pixel32(DDSurface* s, int x, int y) {
    uint32_t v;
    std::memcpy(&v, s->Memory() + size_t(y) * s->Pitch() + size_t(x) * 4, 4);
    return v;
}

// A display of either 16-bit format with a temporary directory as the base directory.
struct Screen {
    explicit Screen(bool is565) : display(headless::Config{16, is565}) { FIL_InitBaseDir(); }
    support::TempDir dir;
    support::HeadlessDisplay display;
};

class BothFormats : public ::testing::TestWithParam<bool> {};
INSTANTIATE_TEST_SUITE_P(Screen, BothFormats, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "rgb565" : "rgb555"; });

// A 17 x 16 picture (rows padded in a bitmap at every depth) of random pixels; at 8 bits every
// index appears, over a random palette with entries 0 black, 1 (7, 7, 7) and 255 white.
support::GrpPicture RandomPicture(uint16_t bpp, uint32_t seed) {
    support::GrpPicture p = support::MakeGrp(bpp, 17, 16);
    std::mt19937 rng(seed);
    for (auto& c : p.pixels) c = uint8_t(rng());
    if (bpp == 8) {
        for (size_t i = 0; i < p.pixels.size(); ++i) p.pixels[i] = uint8_t(i);
        for (auto& c : p.palette) c = uint8_t(rng());
        support::SetPaletteEntry(p, 0, 0, 0, 0);
        support::SetPaletteEntry(p, 1, 7, 7, 7);
        support::SetPaletteEntry(p, 255, 255, 255, 255);
    }
    return p;
}

support::Bitmap AsBitmap(const support::GrpPicture& p, bool top_down) {
    support::Bitmap b = support::MakeBitmap(p.bpp, int32_t(p.width), int32_t(p.height));
    b.pixels = p.pixels;
    for (size_t i = 0; i < b.colours.size(); ++i) b.colours[i] = {p.palette[i * 3], p.palette[i * 3 + 1], p.palette[i * 3 + 2]};
    b.top_down = top_down;
    b.bitfields = top_down && p.bpp == 16;  // bit-field bitmaps are read as 555 all the same
    return b;
}
}  // namespace

TEST_P(BothFormats, EveryPictureFormatLoadsAndSurvivesADisplayRecreation) {
    bool is565 = GetParam();
    Screen screen(is565);
    ASSERT_TRUE(screen.display.ok);
    struct Loaded {
        std::string what;
        support::GrpPicture pic;
        DDSurface* s;
        uint32_t memory = 0;  // DDSCAPS_SYSTEMMEMORY or 0
        DD_SURFACE_SAVE* saved = nullptr;
    };
    std::vector<Loaded> all;
    for (uint16_t bpp : {8, 16, 24}) {
        support::GrpPicture p = RandomPicture(bpp, bpp);
        std::string n = std::to_string(bpp);
        ASSERT_TRUE(support::WriteGrp("Pic" + n + ".grp", p, bpp != 16));
        ASSERT_TRUE(support::WriteBitmap("up" + n + ".dat", AsBitmap(p, false)));
        ASSERT_TRUE(support::WriteBitmap("down" + n + ".dat", AsBitmap(p, true)));
        SYS_SIZE size{};
        // A ".bmp" name reads the ".grp" of the same stem.
        all.push_back({"grp " + n, p, GRP_LoadSurface(("Pic" + n + ".bmp").c_str(), 0, 0, bpp == 8, &size)});
        EXPECT_EQ(size.a, 17);
        EXPECT_EQ(size.b, 16);
        all.push_back({"bottom-up " + n, p, GRP_LoadDatSurface(("up" + n + ".dat").c_str(), 0, 0, 0, nullptr)});
        all.push_back({"top-down " + n, p, GRP_LoadDatSurface(("down" + n + ".dat").c_str(), 0, 0, 1, nullptr)});
    }
    std::vector<std::vector<uint16_t>> before;
    for (auto& l : all) {
        ASSERT_NE(l.s, nullptr) << l.what;
        std::vector<uint16_t> want(l.pic.pixels.size() / (l.pic.bpp / 8));
        for (size_t i = 0; i < want.size(); ++i) want[i] = Expected(l.pic, i, is565);
        EXPECT_EQ(support::ReadSurface(l.s), want) << l.what;
        before.push_back(want);
        l.memory = l.s->Caps() & DDSCAPS_SYSTEMMEMORY;
        EXPECT_EQ(DD_SetColorKey(l.s, 0), DD_OK);
    }
    EXPECT_EQ(all[0].memory, 0u);  // video-memory flag 1
    EXPECT_EQ(all[1].memory, DDSCAPS_SYSTEMMEMORY);
    // Worked values: index 255 -> 0, visible black -> 1, (7, 7, 7) -> 1 in 555 and 0x0020 in 565.
    EXPECT_EQ(support::PixelAt(all[0].s, 0, 0), 1);
    EXPECT_EQ(support::PixelAt(all[0].s, 1, 0), is565 ? 0x0020 : 1);
    EXPECT_EQ(support::PixelAt(all[0].s, 255 % 17, 255 / 17), 0);

    for (auto& l : all) {
        l.saved = DD_SaveSurface(l.s);
        ASSERT_NE(l.saved, nullptr);
        EXPECT_EQ(l.saved->key, 0);
        DD_ReleaseSurface(l.s);
    }
    ASSERT_EQ(DD_ChangeMode(640, 480, 16, 0, 0, 1), 1);
    EXPECT_EQ(DD_DISPLAY.surface_count, 0);
    // A failed creation or lock keeps the block for another try.
    headless::FailCall("DDObject.CreateSurface");
    EXPECT_EQ(DD_RestoreSurface(&all[0].saved), nullptr);
    headless::FailCall("DDSurface.Lock");
    EXPECT_EQ(DD_RestoreSurface(&all[0].saved), nullptr);
    EXPECT_EQ(DD_DISPLAY.surface_count, 0);
    for (size_t i = 0; i < all.size(); ++i) {
        DD_SURFACE_SAVE*& block = all[i].saved;
        ASSERT_NE(block, nullptr);
        DDSurface* s = DD_RestoreSurface(&block);
        ASSERT_NE(s, nullptr) << all[i].what;
        EXPECT_EQ(block, nullptr);
        EXPECT_EQ(support::ReadSurface(s), before[i]) << all[i].what;
        EXPECT_EQ(s->Caps() & DDSCAPS_SYSTEMMEMORY, all[i].memory);
        DDCOLORKEY key{};
        EXPECT_EQ(s->GetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
        EXPECT_EQ(key.dwColorSpaceLowValue, 0u);
        DD_ReleaseSurface(s);
    }
    DD_SURFACE_SAVE* none = nullptr;
    EXPECT_EQ(DD_RestoreSurface(&none), nullptr);
    EXPECT_EQ(DD_SaveSurface(nullptr), nullptr);
}

TEST_P(BothFormats, SixteenAndTwentyFourBitWorkedValues) {
    bool is565 = GetParam();
    Screen screen(is565);
    support::GrpPicture p16 = support::MakeGrp(16, 3, 1), p24 = support::MakeGrp(24, 2, 1);
    support::Set555(p16, 0, 0, 0x7FFF);
    support::Set555(p16, 2, 0, 0x8001);
    support::SetBgr(p24, 1, 0, 7, 3, 7);  // truncates to 0 like black
    ASSERT_TRUE(support::WriteGrp("p16.grp", p16, true));
    ASSERT_TRUE(support::WriteGrp("p24.grp", p24, false));
    DDSurface* s16 = GRP_LoadSurface("p16", 0, 0, 1, nullptr);  // no extension: ".grp" appended
    DDSurface* s24 = GRP_LoadSurface("p24.png", 0, 0, 1, nullptr);
    ASSERT_TRUE(s16 && s24);
    EXPECT_EQ(support::ReadSurface(s16), (std::vector<uint16_t>{uint16_t(is565 ? 0xFFDF : 0x7FFF), 0, uint16_t(is565 ? 1 : 0x8001)}));
    EXPECT_EQ(support::ReadSurface(s24), (std::vector<uint16_t>{0, 0}));
    DD_ReleaseSurface(s16);
    DD_ReleaseSurface(s24);
}

TEST_P(BothFormats, ImageMagickBitmapsLoadToTheirPixels) {
    if (!support::HaveTool("convert")) GTEST_SKIP() << "ImageMagick convert is not installed";
    bool is565 = GetParam();
    Screen screen(is565);
    // A 7 x 3 picture of 21 distinct colours (more than 16, so the palette file is 8-bit; rows
    // padded in both depths).
    auto colour = [](int i, int ch) { return uint8_t((i * 37 + ch * 91 + (i % 3) * 50) & 0xFF); };
    std::string ppm = "P6\n7 3\n255\n";
    for (int i = 0; i < 21; ++i)
        for (int ch = 0; ch < 3; ++ch) ppm.push_back(char(colour(i, ch)));
    ASSERT_TRUE(support::WriteBytes("in.ppm", std::vector<uint8_t>(ppm.begin(), ppm.end())));
    ASSERT_EQ(std::system("convert in.ppm -type TrueColor BMP3:true.dat >/dev/null 2>&1"), 0);
    ASSERT_EQ(std::system("convert in.ppm -type Palette -compress None BMP3:pal.dat >/dev/null 2>&1"), 0);
    EXPECT_EQ(support::ReadBytes("true.dat")[28], 24);
    EXPECT_EQ(support::ReadBytes("pal.dat")[28], 8);
    for (const char* name : {"true.dat", "pal.dat"}) {
        DDSurface* s = GRP_LoadDatSurface(name, 0, 0, 0, nullptr);
        ASSERT_NE(s, nullptr) << name;
        for (int i = 0; i < 21; ++i)
            EXPECT_EQ(support::PixelAt(s, i % 7, i / 7), Ref16(colour(i, 0), colour(i, 1), colour(i, 2), is565))
                << name << " " << i;
        DD_ReleaseSurface(s);
    }
}

TEST(PictureToSurface, SourceRectangleIsClampedAndClipped) {
    Screen screen(false);
    support::GrpPicture p = support::MakeGrp(16, 60, 50);
    for (uint32_t y = 0; y < 50; ++y)
        for (uint32_t x = 0; x < 60; ++x) support::Set555(p, x, y, uint16_t(y * 60 + x + 1));
    ASSERT_TRUE(support::WriteGrp("p.grp", p, false));
    GRP_IMAGE img;
    ASSERT_EQ(GRP_ReadGrp("p.grp", &img), 1);
    DDSurface* s = support::MakeSurface(100, 100);
    auto at = [](int sx, int sy) { return uint16_t(sy * 60 + sx + 1); };
    RECT r{-10, -5, 50, 40};
    EXPECT_EQ(GRP_ImageToSurface(s, 0, 0, &img, &r), 1);
    EXPECT_EQ(support::PixelAt(s, 10, 5), at(0, 0));
    EXPECT_EQ(support::PixelAt(s, 59, 44), at(49, 39));
    for (auto [x, y] : {std::pair{60, 44}, {9, 5}, {10, 4}}) EXPECT_EQ(support::PixelAt(s, x, y), 0);
    // Hanging over the bottom-right corner: only the part inside is drawn.
    EXPECT_EQ(GRP_ImageToSurface(s, 90, 95, &img, nullptr), 1);
    EXPECT_EQ(support::PixelAt(s, 99, 99), at(9, 4));
    // Entirely outside, or an empty rectangle: nothing, still 1.
    std::vector<uint16_t> drawn = support::ReadSurface(s);
    RECT empty{70, 0, 80, 10};
    EXPECT_EQ(GRP_ImageToSurface(s, 0, 0, &img, &empty), 1);
    EXPECT_EQ(GRP_ImageToSurface(s, 100, 0, &img, nullptr), 1);
    EXPECT_EQ(GRP_ImageToSurface(s, INT32_MAX, 0, &img, &r), 1);
    EXPECT_EQ(support::ReadSurface(s), drawn);
    GRP_FreeImage(&img);
    DD_ReleaseSurface(s);
}

TEST(PictureToSurface, LoadersByNameSizeAndPalette) {
    Screen screen(false);
    support::GrpPicture p = RandomPicture(8, 3);
    ASSERT_TRUE(support::WriteGrp("into.grp", p, true));
    // Into an existing surface: the rest of the surface keeps its pixels.
    DDSurface* s = support::MakeSurface(20, 20, std::vector<uint16_t>(400, 0x5555));
    SYS_SIZE size{};
    EXPECT_EQ(GRP_LoadToSurface(s, "into.bmp", 0, 0, 1, &size), 1);
    EXPECT_EQ(size.a, 17);
    EXPECT_EQ(support::PixelAt(s, 16, 15), Expected(p, 15 * 17 + 16, false));
    EXPECT_EQ(support::PixelAt(s, 17, 15), 0x5555);
    EXPECT_EQ(GRP_LoadToSurface(s, "missing.bmp", 0, 0, 1, nullptr), 0);
    headless::FailCall("DDSurface.Lock");
    EXPECT_EQ(GRP_LoadToSurface(s, "into.bmp", 0, 0, 1, nullptr), 0);
    DD_ReleaseSurface(s);

    // Palette take-over: entries [10, 15) of the picture, the rest of the palette untouched.
    PALETTEENTRY before = DD_PALETTE[15];
    s = GRP_LoadGrpSurface("into.grp", 10, 5, 0, nullptr);
    ASSERT_NE(s, nullptr);
    DD_ReleaseSurface(s);
    for (int i = 10; i < 15; ++i) EXPECT_EQ(DD_PALETTE[i].peGreen, p.palette[i * 3 + 1]) << i;
    EXPECT_EQ(DD_PALETTE[15].peGreen, before.peGreen);

    // An empty picture: no surface, but its size is reported.
    ASSERT_TRUE(support::WriteGrp("empty.grp", support::MakeGrp(16, 0, 7), false));
    size = SYS_SIZE{-1, -1};
    EXPECT_EQ(GRP_LoadSurface("empty.bmp", 0, 0, 0, &size), nullptr);
    EXPECT_EQ(size.a, 0);
    EXPECT_EQ(size.b, 7);

    char a[FIL_PATH_MAX] = "Bmp\\v1.0\\Title.bmp", b[FIL_PATH_MAX] = "x.tar.gz";
    GRP_SetGrpExt(a);
    GRP_SetGrpExt(b);
    EXPECT_STREQ(a, "Bmp\\v1.0\\Title.grp");
    EXPECT_STREQ(b, "x.tar.grp");
    EXPECT_EQ(GRP_LoadSurface(std::string(FIL_PATH_MAX, 'a').c_str(), 0, 0, 0, nullptr), nullptr);
}

TEST(PictureToSurface, ThirtyTwoBitSurfaces) {
    Screen screen(true);
    ASSERT_EQ(DD_ChangeMode(640, 480, 32, 1, 0, 1), 1);
    support::GrpPicture p8 = RandomPicture(8, 4), p16 = support::MakeGrp(16, 2, 1), p24 = support::MakeGrp(24, 2, 1);
    support::Set555(p16, 0, 0, 0x7FFF);
    support::Set555(p16, 1, 0, 0x0421);
    support::SetBgr(p24, 0, 0, 10, 20, 30);
    ASSERT_TRUE(support::WriteGrp("p8.grp", p8, false));
    ASSERT_TRUE(support::WriteGrp("p16.grp", p16, false));
    ASSERT_TRUE(support::WriteGrp("p24.grp", p24, false));
    DDSurface* s8 = GRP_LoadSurface("p8.bmp", 0, 0, 0, nullptr);
    DDSurface* s16 = GRP_LoadSurface("p16.bmp", 0, 0, 0, nullptr);
    DDSurface* s24 = GRP_LoadSurface("p24.bmp", 0, 0, 0, nullptr);
    ASSERT_TRUE(s8 && s16 && s24);
    ASSERT_EQ(s8->Bpp(), 32);
    EXPECT_EQ(Pixel32(s8, 255 % 17, 255 / 17), 0u);  // index 255
    EXPECT_EQ(Pixel32(s8, 0, 0), 1u);                // visible black raised to 1
    EXPECT_EQ(Pixel32(s8, 1, 0), 0x070707u);
    const uint8_t* c = &p8.palette[77 * 3];
    EXPECT_EQ(Pixel32(s8, 77 % 17, 77 / 17), uint32_t(c[0]) << 16 | uint32_t(c[1]) << 8 | c[2]);
    EXPECT_EQ(Pixel32(s16, 0, 0), 0xF8F8F8u);
    EXPECT_EQ(Pixel32(s16, 1, 0), 0x080808u);
    EXPECT_EQ(Pixel32(s24, 0, 0), 0x0A141Eu);
    EXPECT_EQ(Pixel32(s24, 1, 0), 0u);
    for (DDSurface* s : {s8, s16, s24}) DD_ReleaseSurface(s);

    // A surface saved at 32 bits does not restore onto a 16-bit display (its rows are too short
    // for it); back at 32 bits it does.
    DDSurface* s = GRP_LoadSurface("p24.bmp", 0, 0, 0, nullptr);
    DD_SURFACE_SAVE* block = DD_SaveSurface(s);
    DD_ReleaseSurface(s);
    ASSERT_EQ(DD_ChangeMode(640, 480, 16, 1, 0, 1), 1);
    EXPECT_EQ(DD_RestoreSurface(&block), nullptr);
    ASSERT_NE(block, nullptr);
    ASSERT_EQ(DD_ChangeMode(640, 480, 32, 1, 0, 1), 1);
    s = DD_RestoreSurface(&block);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(Pixel32(s, 0, 0), 0x0A141Eu);
    DD_ReleaseSurface(s);
}

TEST(PictureToSurface, EightBitDisplayKeepsIndices) {
    Screen screen(true);
    support::GrpPicture p = RandomPicture(8, 6);
    ASSERT_TRUE(support::WriteGrp("idx.grp", p, true));
    support::Bitmap b = support::MakeBitmap(8, 3, 2);
    b.pixels = {0, 1, 255, 10, 20, 30};
    b.colours[20] = {1, 2, 3};
    ASSERT_TRUE(support::WriteBitmap("idx.bmp", b));

    // At 16 bits the 8-bit loaders hand over to the ordinary ones.
    DDSurface* s = GRP_LoadGrpSurface8("idx.grp", 0, 0, 0, 0, nullptr);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->Bpp(), 16);
    DD_ReleaseSurface(s);

    ASSERT_EQ(DD_ChangeMode(640, 480, 8, 1, 0, 1), 1);
    SYS_SIZE size;
    s = GRP_LoadGrpSurface8("idx.grp", 10, 0, 0, 0, &size);
    ASSERT_NE(s, nullptr);
    ASSERT_EQ(s->Bpp(), 8);
    EXPECT_EQ(size.a, 17);
    auto at = [&](int x, int y) { return s->Memory()[size_t(s->Pitch()) * y + x]; };
    EXPECT_EQ(at(0, 0), 10);                      // index 0 moved by 10
    EXPECT_EQ(at(255 % 17, 255 / 17), 0);         // 255 stays transparent
    EXPECT_EQ(at(254 % 17, 254 / 17), uint8_t(254 + 10));  // wraps within the byte
    DD_ReleaseSurface(s);

    // A bitmap with palette take-over: image entries 20.. go to display entries 100...
    s = GRP_LoadBmpSurface8("idx.bmp", 100, 20, 5, 0, &size);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(size.b, 2);
    EXPECT_EQ(at(0, 0), 80);  // 0 + 100 - 20
    EXPECT_EQ(at(2, 0), 0);   // 255
    EXPECT_EQ(at(1, 1), 100);
    EXPECT_EQ(DD_PALETTE[100].peRed, 1);
    EXPECT_EQ(DD_PALETTE[100].peBlue, 3);
    DD_ReleaseSurface(s);
    // Ranges outside the table give nothing; huge ones are cut to it.
    EXPECT_EQ(GRP_LoadBmpSurface8("idx.bmp", 256, 0, 1, 0, nullptr), nullptr);
    EXPECT_EQ(GRP_LoadBmpSurface8("idx.bmp", 0, -5, 3, 0, nullptr), nullptr);
    s = GRP_LoadBmpSurface8("idx.bmp", -INT32_MAX, 200, INT32_MAX, 0, nullptr);
    ASSERT_NE(s, nullptr);
    DD_ReleaseSurface(s);
    s = GRP_LoadBmpSurface8("idx.bmp", 250, INT32_MIN + 300, INT32_MAX, 0, nullptr);
    ASSERT_NE(s, nullptr);
    DD_ReleaseSurface(s);
}
