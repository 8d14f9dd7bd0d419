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
using support::GrpPicture;
using Pixels = std::vector<uint32_t>;

uint32_t Ref(uint32_t r, uint32_t g, uint32_t b, int format) {
    if (format == 32) return r << 16 | g << 8 | b;
    return format == 565 ? (r >> 3) << 11 | (g >> 2) << 5 | (b >> 3) : (r >> 3) << 10 | (g >> 3) << 5 | (b >> 3);
}

// What each pixel of a picture (index, 555 value, or blue, green, red) becomes in `format`.
Pixels Expected(const GrpPicture& p, int format) {
    Pixels out;
    for (size_t i = 0; i < size_t(p.width) * p.height; ++i) {
        const uint8_t* q = &p.pixels[i * (p.bpp / 8)];
        uint32_t v = q[0] | (p.bpp > 8 ? q[1] << 8 : 0);
        if (p.bpp == 24) v = Ref(q[2], q[1], q[0], format);
        if (p.bpp == 16 && format != 555) v = Ref((v >> 10 & 31) << 3, (v >> 5 & 31) << 3, (v & 31) << 3, format);
        // Index 255 is transparent; a visible colour that converts to 0 stays visible as 1.
        if (p.bpp == 8) v = v == 255 ? 0 : std::max(1u, Ref(p.palette[v * 3], p.palette[v * 3 + 1], p.palette[v * 3 + 2], format));
        out.push_back(v);
    }
    return out;
}

Pixels Read(DDSurface* s) {
    Pixels out;
    for (int y = 0, bytes = s->Bpp() / 8; y < s->Height(); ++y)
        for (int x = 0; x < s->Width(); ++x) {
            uint32_t v = 0;
            std::memcpy(&v, s->Memory() + size_t(y) * s->Pitch() + size_t(x) * bytes, size_t(bytes));
            out.push_back(v);
        }
    return out;
}

// A display of the format (555 / 565 at 16 bits, or 32 bits) with a temporary base directory.
struct Screen {
    explicit Screen(int format) : display(headless::Config{16, format == 565}) {
        FIL_InitBaseDir();
        if (format == 32) EXPECT_EQ(DD_ChangeMode(640, 480, uint16_t(format), 1, 0, 1), 1);
    }
    support::TempDir dir;
    support::HeadlessDisplay display;
};

// A 17 x 16 picture (rows padded in a bitmap at every depth) of random pixels but for fixed
// first ones: at 8 bits every index over a random palette with entries 0 black, 1 (7, 7, 7) and
// 255 white; at 16 bits 0x7FFF, 0, 0x8001; at 24 bits black and (7, 3, 7).
GrpPicture RandomPicture(uint16_t bpp, uint32_t seed) {
    GrpPicture p = support::MakeGrp(bpp, 17, 16);
    std::mt19937 rng(seed);
    for (auto& c : p.pixels) c = uint8_t(rng());
    for (auto& c : p.palette) c = uint8_t(rng());
    if (bpp == 8) {
        for (size_t i = 0; i < p.pixels.size(); ++i) p.pixels[i] = uint8_t(i);
        support::SetPaletteEntry(p, 0, 0, 0, 0), support::SetPaletteEntry(p, 1, 7, 7, 7);
        support::SetPaletteEntry(p, 255, 255, 255, 255);
    } else if (bpp == 16) {
        support::Set555(p, 0, 0, 0x7FFF), support::Set555(p, 1, 0, 0), support::Set555(p, 2, 0, 0x8001);
    } else {
        support::SetBgr(p, 0, 0, 0, 0, 0), support::SetBgr(p, 1, 0, 7, 3, 7);
    }
    return p;
}

support::Bitmap AsBitmap(const GrpPicture& p, bool top_down) {
    support::Bitmap b = support::MakeBitmap(p.bpp, int32_t(p.width), int32_t(p.height));
    b.pixels = p.pixels;
    for (size_t i = 0; i < b.colours.size(); ++i) b.colours[i] = {p.palette[i * 3], p.palette[i * 3 + 1], p.palette[i * 3 + 2]};
    b.top_down = top_down;
    b.bitfields = top_down && p.bpp == 16;  // bit-field bitmaps are read as 555 all the same
    return b;
}
}  // namespace

class AllFormats : public ::testing::TestWithParam<int> {};
INSTANTIATE_TEST_SUITE_P(Screen, AllFormats, ::testing::Values(555, 565, 32),
                         [](const auto& info) { return "rgb" + std::to_string(info.param); });

TEST_P(AllFormats, EveryPictureFormatLoadsWithItsKeyAndSurvivesADisplayRecreation) {
    int format = GetParam();
    Screen screen(format);
    ASSERT_TRUE(screen.display.ok);
    struct Loaded { std::string what; GrpPicture pic; DDSurface* s; uint32_t memory = 0; DD_SURFACE_SAVE* saved = nullptr; };
    std::vector<Loaded> all;
    for (uint16_t bpp : {8, 16, 24}) {
        GrpPicture p = RandomPicture(bpp, bpp);
        std::string n = std::to_string(bpp), up = "up" + n + ".dat", down = "down" + n + ".dat";
        ASSERT_TRUE(support::WriteGrp("Pic" + n + ".grp", p, bpp != 16) && support::WriteBitmap(up, AsBitmap(p, false)) &&
                    support::WriteBitmap(down, AsBitmap(p, true)));
        // Whatever the extension, or none, the ".grp" of the same stem is read.
        std::string name = "Pic" + n + (bpp == 8 ? ".bmp" : bpp == 16 ? ".png" : "");
        SYS_SIZE size{};
        all.push_back({"grp " + n, p, GRP_LoadSurface(name.c_str(), 0, 0, bpp == 8, &size)});
        EXPECT_TRUE(size.a == 17 && size.b == 16);
        all.push_back({up, p, GRP_LoadDatSurface(up.c_str(), 0, 0, 0, nullptr)});
        all.push_back({down, p, GRP_LoadDatSurface(down.c_str(), 0, 0, 1, nullptr)});
    }
    for (auto& l : all) {
        ASSERT_NE(l.s, nullptr) << l.what;
        EXPECT_EQ(Read(l.s), Expected(l.pic, format)) << l.what;
        l.memory = l.s->Caps() & DDSCAPS_SYSTEMMEMORY;
        EXPECT_EQ(DD_SetColorKey(l.s, 0), DD_OK);
    }
    EXPECT_TRUE(all[0].memory == 0 && all[1].memory == DDSCAPS_SYSTEMMEMORY);  // video-memory flag 1, then 0
    // Worked values: index 0 (black) -> 1, (7, 7, 7) -> 1 on 555, 0x0020 on 565, index 255 -> 0;
    // 555 0x7FFF -> 0xFFDF on 565, 0x8001 keeps bit 15 only when copied; 24-bit (7, 3, 7) -> 0.
    auto px = [&](size_t k, int i) { return Read(all[k].s)[i]; };
    auto pick = [&](uint32_t v555, uint32_t v565, uint32_t v32) { return format == 555 ? v555 : format == 565 ? v565 : v32; };
    EXPECT_EQ(px(0, 0), 1u);
    EXPECT_EQ(px(0, 1), pick(1, 0x0020, 0x070707));
    EXPECT_EQ(px(0, 255), 0u);
    EXPECT_EQ(px(3, 0), pick(0x7FFF, 0xFFDF, 0xF8F8F8));
    EXPECT_EQ(px(3, 2), pick(0x8001, 0x0001, 0x000008));
    EXPECT_EQ(px(6, 0) | px(6, 1), pick(0, 0, 0x070307));

    for (auto& l : all) {
        ASSERT_NE(l.saved = DD_SaveSurface(l.s), nullptr);
        EXPECT_EQ(l.saved->key, 0);
        DD_ReleaseSurface(l.s);
    }
    // Rows saved at one depth are refused by a display of another; a failed creation or lock
    // keeps the block for another try.
    ASSERT_EQ(DD_ChangeMode(640, 480, format == 32 ? 16 : 32, 1, 0, 1), 1);
    EXPECT_EQ(DD_RestoreSurface(&all[0].saved), nullptr);
    ASSERT_EQ(DD_ChangeMode(640, 480, format == 32 ? 32 : 16, 1, 0, 1), 1);
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
        EXPECT_EQ(Read(s), Expected(l.pic, format)) << l.what;
        EXPECT_EQ(s->Caps() & DDSCAPS_SYSTEMMEMORY, l.memory);
        DDCOLORKEY key{1, 1};
        EXPECT_EQ(s->GetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
        EXPECT_EQ(key.dwColorSpaceLowValue, 0u);
        DD_ReleaseSurface(s);
    }
    DD_SURFACE_SAVE* none = nullptr;
    EXPECT_EQ(DD_RestoreSurface(&none), nullptr);
    EXPECT_EQ(DD_SaveSurface(nullptr), nullptr);
}

TEST_P(AllFormats, ImageMagickBitmapsLoadToTheirPixels) {
    if (!support::HaveTool("convert")) GTEST_SKIP() << "ImageMagick convert is not installed";
    Screen screen(GetParam());
    // 7 x 3 pixels of 21 distinct colours (more than 16, so the palette file is 8-bit; rows
    // padded in both depths).
    std::string ppm = "P6\n7 3\n255\n";
    Pixels want;
    for (int i = 0; i < 21; ++i) {
        uint8_t c[3];
        for (int ch = 0; ch < 3; ++ch) ppm.push_back(char(c[ch] = uint8_t(i * 37 + ch * 91 + (i % 3) * 50)));
        want.push_back(Ref(c[0], c[1], c[2], GetParam()));
    }
    ASSERT_TRUE(support::WriteBytes("in.ppm", std::vector<uint8_t>(ppm.begin(), ppm.end())));
    ASSERT_EQ(std::system("convert in.ppm -type TrueColor BMP3:true.dat >/dev/null 2>&1"), 0);
    ASSERT_EQ(std::system("convert in.ppm -type Palette -compress None BMP3:pal.dat >/dev/null 2>&1"), 0);
    EXPECT_TRUE(support::ReadBytes("true.dat")[28] == 24 && support::ReadBytes("pal.dat")[28] == 8);
    for (const char* name : {"true.dat", "pal.dat"}) {
        DDSurface* s = GRP_LoadDatSurface(name, 0, 0, 0, nullptr);
        ASSERT_NE(s, nullptr) << name;
        EXPECT_EQ(Read(s), want) << name;
        DD_ReleaseSurface(s);
    }
}

TEST(PictureToSurface, PlacementLoadersSizesAndPalette) {
    Screen screen(555);
    GrpPicture p = support::MakeGrp(16, 60, 50);
    for (uint32_t i = 0; i < 3000; ++i) support::Set555(p, i % 60, i / 60, uint16_t(i + 1));
    ASSERT_TRUE(support::WriteGrp("p.grp", p, false));
    GRP_IMAGE img;
    ASSERT_EQ(GRP_ReadGrp("p.grp", &img), 1);
    DDSurface* s = support::MakeSurface(100, 100);
    auto at = [](int sx, int sy) { return uint16_t(sy * 60 + sx + 1); };
    // A negative source left or top moves the destination; the source is clamped to the picture.
    RECT r{-10, -5, 50, 40}, empty{70, 0, 80, 10};
    EXPECT_EQ(GRP_ImageToSurface(s, 0, 0, &img, &r), 1);
    EXPECT_TRUE(support::PixelAt(s, 10, 5) == at(0, 0) && support::PixelAt(s, 59, 44) == at(49, 39));
    for (auto [x, y] : {std::pair{60, 44}, {9, 5}, {10, 4}}) EXPECT_EQ(support::PixelAt(s, x, y), 0);
    EXPECT_EQ(GRP_ImageToSurface(s, 90, 95, &img, nullptr), 1);  // only the part inside is drawn
    EXPECT_EQ(support::PixelAt(s, 99, 99), at(9, 4));
    // Entirely outside, or an empty rectangle: nothing, still 1.
    std::vector<uint16_t> drawn = support::ReadSurface(s);
    EXPECT_EQ(GRP_ImageToSurface(s, 0, 0, &img, &empty) + GRP_ImageToSurface(s, 100, 0, &img, nullptr) +
                  GRP_ImageToSurface(s, INT32_MAX, 0, &img, &r), 3);
    EXPECT_EQ(support::ReadSurface(s), drawn);
    GRP_FreeImage(&img);
    DD_ReleaseSurface(s);

    // Into an existing surface the rest keeps its pixels; a failed lock gives 0.
    p = RandomPicture(8, 3);
    ASSERT_TRUE(support::WriteGrp("into.grp", p, true));
    s = support::MakeSurface(20, 20, std::vector<uint16_t>(400, 0x5555));
    SYS_SIZE size{};
    EXPECT_EQ(GRP_LoadToSurface(s, "into.bmp", 0, 0, 1, &size), 1);
    EXPECT_EQ(size.a, 17);
    EXPECT_EQ(support::PixelAt(s, 16, 15), Expected(p, 555)[15 * 17 + 16]);
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
    EXPECT_TRUE(size.a == 0 && size.b == 7);

    char a[FIL_PATH_MAX] = "Bmp\\v1.0\\Title.bmp", b[FIL_PATH_MAX] = "x.tar.gz";
    GRP_SetGrpExt(a), GRP_SetGrpExt(b);
    EXPECT_STREQ(a, "Bmp\\v1.0\\Title.grp");
    EXPECT_STREQ(b, "x.tar.grp");
    EXPECT_EQ(GRP_LoadSurface(std::string(FIL_PATH_MAX, 'a').c_str(), 0, 0, 0, nullptr), nullptr);
}

TEST(PictureToSurface, EightBitDisplayKeepsIndices) {
    Screen screen(565);
    ASSERT_TRUE(support::WriteGrp("idx.grp", RandomPicture(8, 6), true));
    support::Bitmap b = support::MakeBitmap(8, 3, 2);
    b.pixels = {0, 1, 255, 10, 20, 30};
    b.colours[20] = {1, 2, 3};
    ASSERT_TRUE(support::WriteBitmap("idx.bmp", b));
    // At 16 bits the 8-bit loaders hand over to the ordinary ones: a ".bmp" name to the loader
    // that reads the ".grp" of its stem (17 pixels wide, not the bitmap's 3), the rest as named.
    EXPECT_EQ(GRP_LoadGrpSurface8("idx.bmp", 0, 0, 0, 0, nullptr), nullptr);
    for (DDSurface* t : {GRP_LoadGrpSurface8("idx.grp", 0, 0, 0, 0, nullptr), GRP_LoadBmpSurface8("idx.grp", 0, 0, 0, 0, nullptr),
                         GRP_LoadBmpSurface8("idx.bmp", 0, 0, 0, 0, nullptr)}) {
        ASSERT_NE(t, nullptr);
        EXPECT_EQ(t->Width(), 17);
        DD_ReleaseSurface(t);
    }
    ASSERT_EQ(DD_ChangeMode(640, 480, 8, 1, 0, 1), 1);
    SYS_SIZE size;
    DDSurface* s = GRP_LoadGrpSurface8("idx.grp", 10, 0, 0, 0, &size);
    ASSERT_NE(s, nullptr);
    ASSERT_EQ(s->Bpp(), 8);
    EXPECT_EQ(size.a, 17);
    // Indices move by 10 and wrap within the byte; 255 stays transparent.
    EXPECT_EQ((Pixels{Read(s)[0], Read(s)[254], Read(s)[255]}), (Pixels{10, 8, 0}));
    DD_ReleaseSurface(s);
    // A bitmap with palette take-over: image entries 20.. go to display entries 100...
    ASSERT_NE(s = GRP_LoadBmpSurface8("idx.bmp", 100, 20, 5, 0, &size), nullptr);
    EXPECT_EQ(size.b, 2);
    EXPECT_EQ(Read(s), (Pixels{80, 81, 0, 90, 100, 110}));
    EXPECT_TRUE(DD_PALETTE[100].peRed == 1 && DD_PALETTE[100].peBlue == 3);
    DD_ReleaseSurface(s);
    // Ranges outside the table give nothing; huge ones are cut to it.
    EXPECT_EQ(GRP_LoadBmpSurface8("idx.bmp", 256, 0, 1, 0, nullptr), nullptr);
    EXPECT_EQ(GRP_LoadBmpSurface8("idx.bmp", 0, -5, 3, 0, nullptr), nullptr);
    for (auto [d, i] : {std::pair{-INT32_MAX, 200}, {250, INT32_MIN + 300}}) {
        ASSERT_NE(s = GRP_LoadBmpSurface8("idx.bmp", d, i, INT32_MAX, 0, nullptr), nullptr);
        DD_ReleaseSurface(s);
    }
}
