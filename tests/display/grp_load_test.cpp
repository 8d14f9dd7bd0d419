// Pictures into surfaces: the conversion rules in both screen formats and at 8 and 32 bits, the
// loaders by name, clipping, colour keys, and surfaces kept across a display re-creation.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <random>

#include "display/dd_palette.h"
#include "display/grp_load.h"
#include "platform/memory.h"
#include "services/fil_util.h"
#include "tests/support/fixture.h"
#include "tests/support/grp_writer.h"

namespace {
bool HaveTool(const char* tool) { return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0; }

// Per-channel reference of the 16-bit conversion.
uint16_t Ref16(uint32_t r, uint32_t g, uint32_t b, bool is565) {
    return is565 ? uint16_t((r >> 3) << 11 | (g >> 2) << 5 | (b >> 3)) : uint16_t((r >> 3) << 10 | (g >> 3) << 5 | (b >> 3));
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

// A 16 x 16 picture of every palette index, with a random palette and fixed entries 0 (black),
// 1 (7, 7, 7) and 255 (white, still transparent).
support::GrpPicture AllIndices(uint32_t seed) {
    support::GrpPicture p = support::MakeGrp(8, 16, 16);
    std::mt19937 rng(seed);
    for (auto& c : p.palette) c = uint8_t(rng());
    support::SetPaletteEntry(p, 0, 0, 0, 0);
    support::SetPaletteEntry(p, 1, 7, 7, 7);
    support::SetPaletteEntry(p, 255, 255, 255, 255);
    for (int i = 0; i < 256; ++i) p.pixels[i] = uint8_t(i);
    return p;
}
}  // namespace

// ---- the conversion table ----

TEST_P(BothFormats, EightBitIndicesFollowThePaletteWithTheKeyRules) {
    bool is565 = GetParam();
    Screen screen(is565);
    ASSERT_TRUE(screen.display.ok);
    for (bool packed : {false, true}) {
        support::GrpPicture p = AllIndices(packed ? 2 : 1);
        ASSERT_TRUE(support::WriteGrp("Pic.grp", p, packed));
        SYS_SIZE size;
        DDSurface* s = GRP_LoadSurface("Pic.bmp", 0, 0, 0, &size);  // the .grp of the same stem is read
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(size.a, 16);
        EXPECT_EQ(size.b, 16);
        EXPECT_EQ(s->Caps() & DDSCAPS_SYSTEMMEMORY, DDSCAPS_SYSTEMMEMORY);
        EXPECT_EQ(support::PixelAt(s, 15, 15), 0);  // index 255
        EXPECT_EQ(support::PixelAt(s, 0, 0), 1);    // visible black
        EXPECT_EQ(support::PixelAt(s, 1, 0), is565 ? 0x0020 : 1);
        for (int i = 2; i < 255; ++i) {
            const uint8_t* c = &p.palette[i * 3];
            uint16_t want = Ref16(c[0], c[1], c[2], is565);
            EXPECT_EQ(support::PixelAt(s, i % 16, i / 16), want ? want : 1) << "index " << i;
        }
        DD_ReleaseSurface(s);
    }
}

TEST_P(BothFormats, SixteenAndTwentyFourBitPixels) {
    bool is565 = GetParam();
    Screen screen(is565);
    ASSERT_TRUE(screen.display.ok);
    std::mt19937 rng(9);
    support::GrpPicture p16 = support::MakeGrp(16, 32, 8), p24 = support::MakeGrp(24, 32, 8);
    for (uint32_t i = 0; i < 256; ++i) {
        uint16_t v = uint16_t(rng());
        support::Set555(p16, i % 32, i / 32, v);
        support::SetBgr(p24, i % 32, i / 32, uint8_t(rng()), uint8_t(rng()), uint8_t(rng()));
    }
    support::Set555(p16, 0, 0, 0x7FFF);
    support::Set555(p16, 1, 0, 0x0000);
    support::Set555(p16, 2, 0, 0x8001);
    support::SetBgr(p24, 0, 0, 0, 0, 0);
    support::SetBgr(p24, 1, 0, 7, 3, 7);
    ASSERT_TRUE(support::WriteGrp("p16.grp", p16, true));
    ASSERT_TRUE(support::WriteGrp("p24.grp", p24, false));
    DDSurface* s16 = GRP_LoadSurface("p16.png", 0, 0, 1, nullptr);
    DDSurface* s24 = GRP_LoadSurface("p24", 0, 0, 1, nullptr);  // no extension: ".grp" appended
    ASSERT_NE(s16, nullptr);
    ASSERT_NE(s24, nullptr);
    EXPECT_EQ(s16->Caps() & DDSCAPS_SYSTEMMEMORY, 0u);
    EXPECT_EQ(support::PixelAt(s16, 0, 0), is565 ? 0xFFDF : 0x7FFF);
    EXPECT_EQ(support::PixelAt(s16, 1, 0), 0);
    EXPECT_EQ(support::PixelAt(s16, 2, 0), is565 ? 0x0001 : 0x8001);  // bit 15 kept only when copied
    EXPECT_EQ(support::PixelAt(s24, 0, 0), 0);                        // black stays transparent
    EXPECT_EQ(support::PixelAt(s24, 1, 0), is565 ? 0x0000 : 0x0000);  // (7, 3, 7) truncates to 0 too
    for (uint32_t i = 3; i < 256; ++i) {
        int x = i % 32, y = i / 32;
        const uint8_t* q = &p16.pixels[i * 2];
        uint16_t v = uint16_t(q[0] | q[1] << 8);
        EXPECT_EQ(support::PixelAt(s16, x, y), is565 ? uint16_t((v & 0x7FE0) << 1 | (v & 0x1F)) : v);
        const uint8_t* c = &p24.pixels[i * 3];
        EXPECT_EQ(support::PixelAt(s24, x, y), Ref16(c[2], c[1], c[0], is565));
    }
    DD_ReleaseSurface(s16);
    DD_ReleaseSurface(s24);
}

TEST_P(BothFormats, BitmapsOfEveryDepthLoad) {
    bool is565 = GetParam();
    Screen screen(is565);
    ASSERT_TRUE(screen.display.ok);
    for (bool top_down : {false, true}) {
        support::Bitmap b8 = support::MakeBitmap(8, 5, 3), b16 = support::MakeBitmap(16, 5, 3),
                        b24 = support::MakeBitmap(24, 5, 3);
        b8.top_down = b16.top_down = b24.top_down = top_down;
        b16.bitfields = top_down;  // bit-field 16-bit bitmaps are read as 555 all the same
        for (int i = 0; i < 256; ++i) b8.colours[i] = {uint8_t(i), uint8_t(255 - i), uint8_t(i * 3)};
        b8.colours[0] = {0, 0, 0};
        for (int i = 0; i < 15; ++i) {
            b8.pixels[i] = uint8_t(i == 14 ? 255 : i * 17);
            uint16_t v = uint16_t(i * 2221 & 0x7FFF);
            b16.pixels[i * 2] = uint8_t(v), b16.pixels[i * 2 + 1] = uint8_t(v >> 8);
            b24.pixels[i * 3] = uint8_t(i * 11), b24.pixels[i * 3 + 1] = uint8_t(i * 5), b24.pixels[i * 3 + 2] = uint8_t(i * 16);
        }
        ASSERT_TRUE(support::WriteBitmap("b8.dat", b8));
        ASSERT_TRUE(support::WriteBitmap("b16.dat", b16));
        ASSERT_TRUE(support::WriteBitmap("b24.dat", b24));
        SYS_SIZE size;
        DDSurface* s8 = GRP_LoadDatSurface("b8.dat", 0, 0, 0, &size);
        DDSurface* s16 = GRP_LoadDatSurface("b16.dat", 0, 0, 0, nullptr);
        DDSurface* s24 = GRP_LoadDatSurface("b24.dat", 0, 0, 0, nullptr);
        ASSERT_TRUE(s8 && s16 && s24);
        EXPECT_EQ(size.a, 5);
        EXPECT_EQ(size.b, 3);
        for (int i = 0; i < 15; ++i) {
            int x = i % 5, y = i / 5;
            auto c = b8.colours[b8.pixels[i]];
            uint16_t want8 = Ref16(c[0], c[1], c[2], is565);
            EXPECT_EQ(support::PixelAt(s8, x, y), i == 14 ? 0 : (want8 ? want8 : 1)) << i;
            uint16_t v = uint16_t(b16.pixels[i * 2] | b16.pixels[i * 2 + 1] << 8);
            EXPECT_EQ(support::PixelAt(s16, x, y), is565 ? uint16_t((v & 0x7FE0) << 1 | (v & 0x1F)) : v) << i;
            EXPECT_EQ(support::PixelAt(s24, x, y), Ref16(b24.pixels[i * 3 + 2], b24.pixels[i * 3 + 1], b24.pixels[i * 3], is565))
                << i;
        }
        for (DDSurface* s : {s8, s16, s24}) DD_ReleaseSurface(s);
    }
}

TEST_P(BothFormats, ImageMagickBitmapsLoadToTheirPixels) {
    if (!HaveTool("convert")) GTEST_SKIP() << "ImageMagick convert is not installed";
    bool is565 = GetParam();
    Screen screen(is565);
    ASSERT_TRUE(screen.display.ok);
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

// ---- placement ----

TEST(PictureToSurface, SourceRectangleIsClampedAndClipped) {
    Screen screen(true);
    support::GrpPicture p = support::MakeGrp(16, 60, 50);
    for (uint32_t y = 0; y < 50; ++y)
        for (uint32_t x = 0; x < 60; ++x) support::Set555(p, x, y, uint16_t(y * 60 + x + 1));
    ASSERT_TRUE(support::WriteGrp("p.grp", p, false));
    GRP_IMAGE img;
    ASSERT_EQ(GRP_ReadGrp("p.grp", &img), 1);
    DDSurface* s = support::MakeSurface(100, 100);
    RECT r{-10, -5, 50, 40};
    EXPECT_EQ(GRP_ImageToSurface(s, 0, 0, &img, &r), 1);
    auto expect = [&](int sx, int sy) { return uint16_t(((sy * 60 + sx + 1) & 0x7FE0) << 1 | ((sy * 60 + sx + 1) & 0x1F)); };
    EXPECT_EQ(support::PixelAt(s, 10, 5), expect(0, 0));
    EXPECT_EQ(support::PixelAt(s, 59, 44), expect(49, 39));
    EXPECT_EQ(support::PixelAt(s, 60, 44), 0);
    EXPECT_EQ(support::PixelAt(s, 9, 5), 0);
    EXPECT_EQ(support::PixelAt(s, 10, 4), 0);
    // Hanging over the bottom-right corner: only the part inside is drawn.
    EXPECT_EQ(GRP_ImageToSurface(s, 90, 95, &img, nullptr), 1);
    EXPECT_EQ(support::PixelAt(s, 99, 99), expect(9, 4));
    // Entirely outside, or an empty rectangle: nothing, still 1.
    RECT empty{70, 0, 80, 10};
    EXPECT_EQ(GRP_ImageToSurface(s, 0, 0, &img, &empty), 1);
    EXPECT_EQ(GRP_ImageToSurface(s, 100, 0, &img, nullptr), 1);
    EXPECT_EQ(GRP_ImageToSurface(s, INT32_MAX, 0, &img, &r), 1);
    GRP_FreeImage(&img);
    DD_ReleaseSurface(s);
}

TEST(PictureToSurface, LoadIntoAnExistingSurface) {
    Screen screen(false);
    support::GrpPicture p = support::MakeGrp(16, 2, 2);
    support::Set555(p, 1, 1, 0x1234);
    ASSERT_TRUE(support::WriteGrp("into.grp", p, true));
    DDSurface* s = support::MakeSurface(4, 4, std::vector<uint16_t>(16, 0x5555));
    SYS_SIZE size;
    EXPECT_EQ(GRP_LoadToSurface(s, "into.bmp", 0, 0, 1, &size), 1);
    EXPECT_EQ(size.a, 2);
    EXPECT_EQ(support::PixelAt(s, 1, 1), 0x1234);
    EXPECT_EQ(support::PixelAt(s, 0, 0), 0);
    EXPECT_EQ(support::PixelAt(s, 2, 2), 0x5555);  // outside the picture the surface keeps its pixels
    EXPECT_EQ(GRP_LoadToSurface(s, "missing.bmp", 0, 0, 1, nullptr), 0);
    headless::FailCall("DDSurface.Lock");
    EXPECT_EQ(GRP_LoadToSurface(s, "into.bmp", 0, 0, 1, nullptr), 0);
    EXPECT_EQ(GRP_LoadToSurface(s, "into.bmp", 0, 0, 1, nullptr), 1);
    DD_ReleaseSurface(s);
}

TEST(PictureToSurface, GrpExtensionReplacesTheLastDot) {
    char a[FIL_PATH_MAX] = "Bmp\\v1.0\\Title.bmp", b[FIL_PATH_MAX] = "name", c[FIL_PATH_MAX] = "x.tar.gz";
    GRP_SetGrpExt(a);
    GRP_SetGrpExt(b);
    GRP_SetGrpExt(c);
    EXPECT_STREQ(a, "Bmp\\v1.0\\Title.grp");
    EXPECT_STREQ(b, "name.grp");
    EXPECT_STREQ(c, "x.tar.grp");
    std::string long_name(FIL_PATH_MAX, 'a');
    EXPECT_EQ(GRP_LoadSurface(long_name.c_str(), 0, 0, 0, nullptr), nullptr);
}

// ---- other surface depths ----

TEST(PictureToSurface, ThirtyTwoBitSurfaces) {
    Screen screen(true);
    ASSERT_EQ(DD_ChangeMode(640, 480, 32, 1, 0, 1), 1);
    support::GrpPicture p8 = AllIndices(4), p16 = support::MakeGrp(16, 2, 1), p24 = support::MakeGrp(24, 2, 1);
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
    EXPECT_EQ(Pixel32(s8, 15, 15), 0u);  // index 255
    EXPECT_EQ(Pixel32(s8, 0, 0), 1u);    // visible black raised to 1
    EXPECT_EQ(Pixel32(s8, 1, 0), 0x070707u);
    const uint8_t* c = &p8.palette[77 * 3];
    EXPECT_EQ(Pixel32(s8, 77 % 16, 77 / 16), uint32_t(c[0]) << 16 | uint32_t(c[1]) << 8 | c[2]);
    EXPECT_EQ(Pixel32(s16, 0, 0), 0xF8F8F8u);
    EXPECT_EQ(Pixel32(s16, 1, 0), 0x080808u);
    EXPECT_EQ(Pixel32(s24, 0, 0), 0x0A141Eu);
    EXPECT_EQ(Pixel32(s24, 1, 0), 0u);
    for (DDSurface* s : {s8, s16, s24}) DD_ReleaseSurface(s);
}

TEST(PictureToSurface, EightBitDisplayKeepsIndices) {
    Screen screen(true);
    support::GrpPicture p = AllIndices(6);
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
    EXPECT_EQ(size.a, 16);
    EXPECT_EQ(s->Memory()[0], 10);                                          // index 0 moved by 10
    EXPECT_EQ(s->Memory()[size_t(s->Pitch()) * 15 + 15], 0);                // 255 stays transparent
    EXPECT_EQ(s->Memory()[size_t(s->Pitch()) * 15 + 14], uint8_t(254 + 10));  // wraps within the byte
    DD_ReleaseSurface(s);

    // A bitmap with palette take-over: image entries 20.. go to display entries 100...
    s = GRP_LoadBmpSurface8("idx.bmp", 100, 20, 5, 0, &size);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(size.b, 2);
    EXPECT_EQ(s->Memory()[0], 80);   // 0 + 100 - 20
    EXPECT_EQ(s->Memory()[2], 0);    // 255
    EXPECT_EQ(s->Memory()[size_t(s->Pitch()) + 1], 100);
    EXPECT_EQ(DD_PALETTE[100].peRed, 1);
    EXPECT_EQ(DD_PALETTE[100].peBlue, 3);
    DD_ReleaseSurface(s);
    EXPECT_EQ(GRP_LoadBmpSurface8("idx.bmp", 256, 0, 1, 0, nullptr), nullptr);  // range outside the table
    EXPECT_EQ(GRP_LoadBmpSurface8("idx.bmp", 0, -5, 3, 0, nullptr), nullptr);
}

// ---- colour keys and surfaces kept across a display re-creation ----

TEST_P(BothFormats, SurfacesSurviveADisplayRecreation) {
    bool is565 = GetParam();
    Screen screen(is565);
    ASSERT_TRUE(screen.display.ok);
    support::GrpPicture p = AllIndices(8);
    ASSERT_TRUE(support::WriteGrp("keep.grp", p, true));
    DDSurface* sys = GRP_LoadSurface("keep.bmp", 0, 0, 0, nullptr);
    DDSurface* vid = GRP_LoadSurface("keep.bmp", 0, 0, 1, nullptr);
    ASSERT_TRUE(sys && vid);
    EXPECT_EQ(DD_SetColorKey(sys, 0), DD_OK);
    std::vector<uint16_t> before = support::ReadSurface(sys);

    DD_SURFACE_SAVE* a = DD_SaveSurface(sys);
    DD_SURFACE_SAVE* b = DD_SaveSurface(vid);
    ASSERT_TRUE(a && b);
    EXPECT_EQ(a->system_memory, 1u);
    EXPECT_EQ(a->key, 0);
    EXPECT_EQ(b->system_memory, 0u);
    EXPECT_EQ(b->key, -1);
    DD_ReleaseSurface(sys);
    DD_ReleaseSurface(vid);
    EXPECT_EQ(DD_SaveSurface(nullptr), nullptr);

    ASSERT_EQ(DD_ChangeMode(640, 480, 16, 0, 0, 1), 1);
    EXPECT_EQ(DD_DISPLAY.surface_count, 0);

    // A failed creation or lock keeps the block for another try.
    headless::FailCall("DDObject.CreateSurface");
    EXPECT_EQ(DD_RestoreSurface(&a), nullptr);
    EXPECT_NE(a, nullptr);
    headless::FailCall("DDSurface.Lock");
    EXPECT_EQ(DD_RestoreSurface(&a), nullptr);
    EXPECT_NE(a, nullptr);
    EXPECT_EQ(DD_DISPLAY.surface_count, 0);

    DDSurface* sys2 = DD_RestoreSurface(&a);
    DDSurface* vid2 = DD_RestoreSurface(&b);
    ASSERT_TRUE(sys2 && vid2);
    EXPECT_EQ(a, nullptr);
    EXPECT_EQ(b, nullptr);
    EXPECT_EQ(sys2->Width(), 16);
    EXPECT_EQ(sys2->Caps() & DDSCAPS_SYSTEMMEMORY, DDSCAPS_SYSTEMMEMORY);
    EXPECT_EQ(vid2->Caps() & DDSCAPS_SYSTEMMEMORY, 0u);
    DDCOLORKEY key;
    EXPECT_EQ(sys2->GetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
    EXPECT_EQ(key.dwColorSpaceLowValue, 0u);
    EXPECT_NE(vid2->GetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
    EXPECT_EQ(support::ReadSurface(sys2), before);
    EXPECT_EQ(support::ReadSurface(vid2), before);
    EXPECT_EQ(DD_RestoreSurface(&a), nullptr);  // no block
    DD_ReleaseSurface(sys2);
    DD_ReleaseSurface(vid2);
}

TEST(SurfaceSave, RestoreOntoAnotherDepthIsRefused) {
    Screen screen(true);
    DDSurface* s = support::MakeSurface(3, 2, {1, 2, 3, 4, 5, 6});
    DD_SURFACE_SAVE* block = DD_SaveSurface(s);
    DD_ReleaseSurface(s);
    ASSERT_NE(block, nullptr);
    ASSERT_EQ(DD_ChangeMode(640, 480, 32, 1, 0, 1), 1);
    EXPECT_EQ(DD_RestoreSurface(&block), nullptr);
    ASSERT_NE(block, nullptr);
    ASSERT_EQ(DD_ChangeMode(640, 480, 16, 1, 0, 1), 1);
    s = DD_RestoreSurface(&block);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(support::ReadSurface(s), (std::vector<uint16_t>{1, 2, 3, 4, 5, 6}));
    DD_ReleaseSurface(s);
}
