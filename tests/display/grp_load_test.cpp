// Pictures into surfaces: every picture format against a per-channel reference on 555, 565 and
// 32-bit surfaces, kept across a display re-creation; placement, the loaders' names, sizes and
// palette take-over, and the 8-bit display's index copies.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "display/dd_palette.h"
#include "display/grp_load.h"
#include "services/fil_util.h"
#include "tests/support/fixture.h"
#include "tests/support/grp_writer.h"

namespace {
uint32_t Ref(uint32_t r, uint32_t g, uint32_t b, int format) {
    if (format == 32) return r << 16 | g << 8 | b;
    return format == 565 ? (r >> 3) << 11 | (g >> 2) << 5 | (b >> 3) : (r >> 3) << 10 | (g >> 3) << 5 | (b >> 3);
}

// What pixel i of a picture (index, 555 value, or blue, green, red) becomes in `format`.
uint32_t Expected(const support::GrpPicture& p, size_t i, int format) {
    const uint8_t* q = &p.pixels[i * (p.bpp / 8)];
    if (p.bpp == 24) return Ref(q[2], q[1], q[0], format);
    if (p.bpp == 16) {
        uint32_t v = q[0] | q[1] << 8;
        return format == 555 ? v : Ref((v >> 10 & 31) << 3, (v >> 5 & 31) << 3, (v & 31) << 3, format);
    }
    if (q[0] == 255) return 0;
    const uint8_t* c = &p.palette[q[0] * 3];
    uint32_t v = Ref(c[0], c[1], c[2], format);
    return v ? v : 1;  // visible black stays visible
}

std::vector<uint32_t> Pixels(DDSurface* s) {
    std::vector<uint32_t> out;
    int bytes = s->Bpp() / 8;
    for (int y = 0; y < s->Height(); ++y)
        for (int x = 0; x < s->Width(); ++x) {
            uint32_t v = 0;
            std::memcpy(&v, s->Memory() + size_t(y) * s->Pitch() + size_t(x) * bytes, size_t(bytes));
            out.push_back(v);
        }
    return out;
}

std::vector<uint32_t> ExpectedPixels(const support::GrpPicture& p, int format) {
    std::vector<uint32_t> out(p.width * p.height);
    for (size_t i = 0; i < out.size(); ++i) out[i] = Expected(p, i, format);
    return out;
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

// A 17 x 16 picture (rows padded in a bitmap at every depth) of random pixels but for fixed
// first ones: at 8 bits every index over a random palette with entries 0 black, 1 (7, 7, 7) and
// 255 white; at 16 bits 0x7FFF, 0, 0x8001; at 24 bits black and (7, 3, 7).
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
    } else if (bpp == 16) {
        support::Set555(p, 0, 0, 0x7FFF), support::Set555(p, 1, 0, 0), support::Set555(p, 2, 0, 0x8001);
    } else {
        support::SetBgr(p, 0, 0, 0, 0, 0), support::SetBgr(p, 1, 0, 7, 3, 7);
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
    int format = GetParam() ? 565 : 555;
    Screen screen(GetParam());
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
        // Whatever the extension, or none, the ".grp" of the same stem is read.
        std::string name = "Pic" + n + (bpp == 8 ? ".bmp" : bpp == 16 ? ".png" : "");
        SYS_SIZE size{};
        all.push_back({"grp " + n, p, GRP_LoadSurface(name.c_str(), 0, 0, bpp == 8, &size)});
        EXPECT_EQ(size.a, 17);
        EXPECT_EQ(size.b, 16);
        all.push_back({"bottom-up " + n, p, GRP_LoadDatSurface(("up" + n + ".dat").c_str(), 0, 0, 0, nullptr)});
        all.push_back({"top-down " + n, p, GRP_LoadDatSurface(("down" + n + ".dat").c_str(), 0, 0, 1, nullptr)});
    }
    for (auto& l : all) {
        ASSERT_NE(l.s, nullptr) << l.what;
        EXPECT_EQ(Pixels(l.s), ExpectedPixels(l.pic, format)) << l.what;
        l.memory = l.s->Caps() & DDSCAPS_SYSTEMMEMORY;
        EXPECT_EQ(DD_SetColorKey(l.s, 0), DD_OK);
    }
    EXPECT_EQ(all[0].memory, 0u);  // video-memory flag 1
    EXPECT_EQ(all[1].memory, DDSCAPS_SYSTEMMEMORY);
    // Worked values: index 0 (black) -> 1, index 1 (7, 7, 7) -> 1 or 0x0020, index 255 -> 0;
    // 555 0x7FFF -> 0xFFDF on 565, 0x8001 keeps bit 15 only when copied; 24-bit (7, 3, 7) -> 0.
    auto px = [&](size_t k, int i) { return support::PixelAt(all[k].s, i % 17, i / 17); };
    EXPECT_EQ(px(0, 0), 1);
    EXPECT_EQ(px(0, 1), format == 565 ? 0x0020 : 1);
    EXPECT_EQ(px(0, 255), 0);
    EXPECT_EQ(px(3, 0), format == 565 ? 0xFFDF : 0x7FFF);
    EXPECT_EQ(px(3, 2), format == 565 ? 0x0001 : 0x8001);
    EXPECT_EQ(px(6, 0) | px(6, 1), 0);

    for (auto& l : all) {
        ASSERT_NE(l.saved = DD_SaveSurface(l.s), nullptr);
        EXPECT_EQ(l.saved->key, 0);
        DD_ReleaseSurface(l.s);
    }
    ASSERT_EQ(DD_ChangeMode(640, 480, 16, 0, 0, 1), 1);
    // A failed creation or lock keeps the block for another try.
    headless::FailCall("DDObject.CreateSurface");
    EXPECT_EQ(DD_RestoreSurface(&all[0].saved), nullptr);
    headless::FailCall("DDSurface.Lock");
    EXPECT_EQ(DD_RestoreSurface(&all[0].saved), nullptr);
    EXPECT_EQ(DD_DISPLAY.surface_count, 0);
    for (auto& l : all) {
        ASSERT_NE(l.saved, nullptr);
        DDSurface* s = DD_RestoreSurface(&l.saved);
        ASSERT_NE(s, nullptr) << l.what;
        EXPECT_EQ(l.saved, nullptr);
        EXPECT_EQ(Pixels(s), ExpectedPixels(l.pic, format)) << l.what;
        EXPECT_EQ(s->Caps() & DDSCAPS_SYSTEMMEMORY, l.memory);
        DDCOLORKEY key{};
        EXPECT_EQ(s->GetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
        EXPECT_EQ(key.dwColorSpaceLowValue, 0u);
        DD_ReleaseSurface(s);
    }
    DD_SURFACE_SAVE* none = nullptr;
    EXPECT_EQ(DD_RestoreSurface(&none), nullptr);
    EXPECT_EQ(DD_SaveSurface(nullptr), nullptr);
}

TEST_P(BothFormats, ImageMagickBitmapsLoadToTheirPixels) {
    if (!support::HaveTool("convert")) GTEST_SKIP() << "ImageMagick convert is not installed";
    int format = GetParam() ? 565 : 555;
    Screen screen(GetParam());
    // 7 x 3 pixels of 21 distinct colours (more than 16, so the palette file is 8-bit; rows
    // padded in both depths).
    auto colour = [](int i, int ch) { return uint8_t((i * 37 + ch * 91 + (i % 3) * 50) & 0xFF); };
    std::string ppm = "P6\n7 3\n255\n";
    std::vector<uint32_t> want;
    for (int i = 0; i < 21; ++i) {
        for (int ch = 0; ch < 3; ++ch) ppm.push_back(char(colour(i, ch)));
        want.push_back(Ref(colour(i, 0), colour(i, 1), colour(i, 2), format));
    }
    ASSERT_TRUE(support::WriteBytes("in.ppm", std::vector<uint8_t>(ppm.begin(), ppm.end())));
    ASSERT_EQ(std::system("convert in.ppm -type TrueColor BMP3:true.dat >/dev/null 2>&1"), 0);
    ASSERT_EQ(std::system("convert in.ppm -type Palette -compress None BMP3:pal.dat >/dev/null 2>&1"), 0);
    EXPECT_EQ(support::ReadBytes("true.dat")[28], 24);
    EXPECT_EQ(support::ReadBytes("pal.dat")[28], 8);
    for (const char* name : {"true.dat", "pal.dat"}) {
        DDSurface* s = GRP_LoadDatSurface(name, 0, 0, 0, nullptr);
        ASSERT_NE(s, nullptr) << name;
        EXPECT_EQ(Pixels(s), want) << name;
        DD_ReleaseSurface(s);
    }
}

TEST(PictureToSurface, ThirtyTwoBitSurfacesAndRestoreAcrossDepths) {
    Screen screen(true);
    ASSERT_EQ(DD_ChangeMode(640, 480, 32, 1, 0, 1), 1);
    for (uint16_t bpp : {8, 16, 24}) {
        support::GrpPicture p = RandomPicture(bpp, bpp + 1);
        ASSERT_TRUE(support::WriteGrp("p.grp", p, false));
        DDSurface* s = GRP_LoadSurface("p.bmp", 0, 0, 0, nullptr);
        ASSERT_NE(s, nullptr);
        ASSERT_EQ(s->Bpp(), 32);
        EXPECT_EQ(Pixels(s), ExpectedPixels(p, 32)) << bpp;
        if (bpp != 24) {
            DD_ReleaseSurface(s);
            continue;
        }
        // Saved at 32 bits, the rows are too long for a 16-bit display: refused there, restored
        // once the display is back at 32 bits.
        DD_SURFACE_SAVE* block = DD_SaveSurface(s);
        DD_ReleaseSurface(s);
        ASSERT_EQ(DD_ChangeMode(640, 480, 16, 1, 0, 1), 1);
        EXPECT_EQ(DD_RestoreSurface(&block), nullptr);
        ASSERT_NE(block, nullptr);
        ASSERT_EQ(DD_ChangeMode(640, 480, 32, 1, 0, 1), 1);
        ASSERT_NE(s = DD_RestoreSurface(&block), nullptr);
        EXPECT_EQ(Pixels(s), ExpectedPixels(p, 32));
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

TEST(PictureToSurface, LoadersIntoSurfacesSizesAndPalette) {
    Screen screen(false);
    support::GrpPicture p = RandomPicture(8, 3);
    ASSERT_TRUE(support::WriteGrp("into.grp", p, true));
    // Into an existing surface: the rest of the surface keeps its pixels.
    DDSurface* s = support::MakeSurface(20, 20, std::vector<uint16_t>(400, 0x5555));
    SYS_SIZE size{};
    EXPECT_EQ(GRP_LoadToSurface(s, "into.bmp", 0, 0, 1, &size), 1);
    EXPECT_EQ(size.a, 17);
    EXPECT_EQ(support::PixelAt(s, 16, 15), Expected(p, 15 * 17 + 16, 555));
    EXPECT_EQ(support::PixelAt(s, 17, 15), 0x5555);
    EXPECT_EQ(GRP_LoadToSurface(s, "missing.bmp", 0, 0, 1, nullptr), 0);
    headless::FailCall("DDSurface.Lock");
    EXPECT_EQ(GRP_LoadToSurface(s, "into.bmp", 0, 0, 1, nullptr), 0);
    DD_ReleaseSurface(s);

    // Palette take-over: entries [10, 15) of the picture, the rest of the palette untouched.
    PALETTEENTRY before = DD_PALETTE[15];
    ASSERT_NE(s = GRP_LoadGrpSurface("into.grp", 10, 5, 0, nullptr), nullptr);
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

TEST(PictureToSurface, EightBitDisplayKeepsIndices) {
    Screen screen(true);
    ASSERT_TRUE(support::WriteGrp("idx.grp", RandomPicture(8, 6), true));
    support::Bitmap b = support::MakeBitmap(8, 3, 2);
    b.pixels = {0, 1, 255, 10, 20, 30};
    b.colours[20] = {1, 2, 3};
    ASSERT_TRUE(support::WriteBitmap("idx.bmp", b));
    // At 16 bits the 8-bit loaders hand over to the ordinary ones: a ".bmp" name to the loader
    // that reads the ".grp" of its stem (17 pixels wide, not the bitmap's 3), the rest as named.
    DDSurface* s = nullptr;
    EXPECT_EQ(GRP_LoadGrpSurface8("idx.bmp", 0, 0, 0, 0, nullptr), nullptr);
    for (DDSurface* t : {GRP_LoadGrpSurface8("idx.grp", 0, 0, 0, 0, nullptr), GRP_LoadBmpSurface8("idx.grp", 0, 0, 0, 0, nullptr),
                         GRP_LoadBmpSurface8("idx.bmp", 0, 0, 0, 0, nullptr)}) {
        ASSERT_NE(t, nullptr);
        EXPECT_EQ(t->Width(), 17);
        DD_ReleaseSurface(t);
    }

    ASSERT_EQ(DD_ChangeMode(640, 480, 8, 1, 0, 1), 1);
    SYS_SIZE size;
    ASSERT_NE(s = GRP_LoadGrpSurface8("idx.grp", 10, 0, 0, 0, &size), nullptr);
    ASSERT_EQ(s->Bpp(), 8);
    EXPECT_EQ(size.a, 17);
    std::vector<uint32_t> px = Pixels(s);
    EXPECT_EQ(px[0], 10u);                   // index 0 moved by 10
    EXPECT_EQ(px[255], 0u);                  // 255 stays transparent
    EXPECT_EQ(px[254], uint8_t(254 + 10));  // wraps within the byte
    DD_ReleaseSurface(s);
    // A bitmap with palette take-over: image entries 20.. go to display entries 100...
    ASSERT_NE(s = GRP_LoadBmpSurface8("idx.bmp", 100, 20, 5, 0, &size), nullptr);
    EXPECT_EQ(size.b, 2);
    EXPECT_EQ(Pixels(s), (std::vector<uint32_t>{80, 81, 0, 90, 100, 110}));  // index + 100 - 20
    EXPECT_EQ(DD_PALETTE[100].peRed, 1);
    EXPECT_EQ(DD_PALETTE[100].peBlue, 3);
    DD_ReleaseSurface(s);
    // Ranges outside the table give nothing; huge ones are cut to it.
    EXPECT_EQ(GRP_LoadBmpSurface8("idx.bmp", 256, 0, 1, 0, nullptr), nullptr);
    EXPECT_EQ(GRP_LoadBmpSurface8("idx.bmp", 0, -5, 3, 0, nullptr), nullptr);
    for (auto [d, i] : {std::pair{-INT32_MAX, 200}, {250, INT32_MIN + 300}}) {
        ASSERT_NE(s = GRP_LoadBmpSurface8("idx.bmp", d, i, INT32_MAX, 0, nullptr), nullptr);
        DD_ReleaseSurface(s);
    }
}
