// Pictures: the readers' refusals, every picture format into 555, 565 and 32-bit surfaces against a
// per-channel reference and across a display re-creation, placement, loaders and 8-bit displays.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>

#include "display/dd_palette.h"
#include "display/grp_load.h"
#include "platform/memory.h"
#include "tests/support/fixture.h"
#include "tests/support/grp_writer.h"

namespace {
using support::GrpPicture;
using Bytes = std::vector<uint8_t>;
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
    Pixels out(size_t(s->Width()) * s->Height());
    for (size_t i = 0, w = size_t(s->Width()), bytes = size_t(s->Bpp() / 8); i < out.size(); ++i)
        std::memcpy(&out[i], s->Memory() + i / w * s->Pitch() + i % w * bytes, bytes);
    return out;
}

// The pixels of a new surface (none for no surface), which is then released.
Pixels Take(DDSurface* s) { Pixels p = s ? Read(s) : Pixels{}; return DD_ReleaseSurface(s), p; }

// The bytes with a little-endian 32-bit value at `at`.
Bytes With(Bytes v, size_t at, uint32_t x) { return std::memcpy(&v[at], &x, 4), v; }

// A display of the format (555 / 565 at 16 bits, or 32 bits) with a temporary base directory.
struct Screen {
    explicit Screen(int format) : display(headless::Config{16, format == 565}) {
        FIL_InitBaseDir();
        headless::ClearDebugOutput();
        ok = display.ok && (format != 32 || DD_ChangeMode(640, 480, 32, 1, 0, 1) == 1);
    }
    bool ok;
    support::TempDir dir;
    support::HeadlessDisplay display;
};

// A 17 x 16 picture (rows padded in a bitmap at every depth) of random pixels but for fixed
// first ones: at 8 bits every index over a random palette with entries 0 black, 1 (7, 7, 7) and
// 255 white; at 16 bits 0x7FFF, 0, 0x8001; at 24 bits black and (7, 3, 7).
GrpPicture RandomPicture(uint16_t bpp, uint32_t seed) {
    GrpPicture p = support::MakeGrp(bpp, 17, 16);
    std::mt19937 rng(seed);
    for (size_t i = 0; i < p.pixels.size(); ++i) p.pixels[i] = uint8_t(bpp == 8 ? i : rng());
    for (auto& c : p.palette) c = uint8_t(rng());
    Bytes fixed = bpp == 8 ? Bytes{0, 0, 0, 7, 7, 7} : bpp == 16 ? Bytes{0xFF, 0x7F, 0, 0, 0x01, 0x80} : Bytes{0, 0, 0, 7, 3, 7};
    std::copy(fixed.begin(), fixed.end(), bpp == 8 ? p.palette.begin() : p.pixels.begin());
    if (bpp == 8) std::fill(p.palette.end() - 3, p.palette.end(), 255);
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

TEST(PictureRead, NamesKindsMissingFilesAndThumbnails) {
    Screen screen(555);
    GrpPicture p = RandomPicture(16, 1);
    ASSERT_TRUE(support::WriteBytes("pic.grp", support::GrpBytes(p, false, 'x')));  // any kind but '2' is raw
    ASSERT_TRUE(support::WriteBitmap("pic.bmp", support::MakeBitmap(24, 2, 2)) && support::WriteBitmap("pic.dat", support::MakeBitmap(24, 2, 2)));
    GRP_IMAGE img;
    ASSERT_EQ(GRP_ReadGrp("PIC.grp", &img), 1);  // the stem resolves without regard to case
    // Only 8-bit pictures have a palette.
    EXPECT_TRUE(Bytes(img.pixels, img.pixels + p.pixels.size()) == p.pixels && img.palette == nullptr);
    GRP_FreeImage(&img);
    void* dib = nullptr;
    // Extensions are matched case-sensitively, and other names are not even opened.
    EXPECT_EQ(GRP_ReadGrp("pic.GRP", &img) + GRP_ReadGrp("grp", &img) + GRP_ReadBmp("pic.dat", &dib) +
                  GRP_ReadDat("pic.bmp", &dib) + GRP_ReadDat("PIC.DAT", &dib) + GRP_ReadGrp("missing.grp", &img) +
                  GRP_ReadDat("nothere.dat", &dib), 0);
    EXPECT_EQ(dib, nullptr);
    EXPECT_EQ(headless::DebugOutput(), (std::vector<std::string>{"missing.grp:Open error -1\n", "nothere.dat:Open error -1\n"}));

    // A save thumbnail as the program writes it: 112 x 80 at 24 bits with two spare bytes after
    // the rows, file size 26,936, gives a 26,922-byte DIB, here packed by the system's packer.
    support::Bitmap thumb = support::MakeBitmap(24, 112, 80);
    for (size_t i = 0; i < thumb.pixels.size(); ++i) thumb.pixels[i] = uint8_t(i % 5 * 40);
    thumb.trailing = 2;
    Bytes file = support::BitmapFileBytes(thumb);
    ASSERT_TRUE(file.size() == 26936u && support::WriteBytes("ov01.da", file));
    bool packer = support::HaveTool("mscompress");
    ASSERT_TRUE(!packer || std::system("mscompress ov01.da >/dev/null 2>&1") == 0);  // writes "ov01.da_"
    ASSERT_EQ(std::rename(packer ? "ov01.da_" : "ov01.da", "ov01.dat"), 0);
    size_t size = 0;
    ASSERT_EQ(GRP_ReadDat("ov01.dat", &dib, &size), 1);
    EXPECT_TRUE(size == 26922u && std::memcmp(dib, file.data() + 14, size) == 0);
    plat::Free(dib);
}

TEST(PictureRead, FilesThatDoNotHoldTheirHeadersSizesOrTablesAreRefused) {
    Screen screen(555);
    auto grp = [](uint16_t bpp, uint32_t w, uint32_t h, size_t payload, uint8_t kind = '1') {
        Bytes b = With(With({'G', 'R', kind, uint8_t(bpp), uint8_t(bpp >> 8), 0, 0, 0, 0, 0, 0, 0, 0}, 5, w), 9, h);
        return b.resize(b.size() + payload, 1), b;
    };
    const Bytes bmp = support::BitmapFileBytes(support::MakeBitmap(8, 4, 4));
    Bytes bad_magic = grp(16, 1, 1, 2), depth7 = bmp;
    bad_magic[1] = 'X', depth7[14 + 14] = 7;
    std::vector<std::pair<std::string, Bytes>> cases = {
        {"magic.grp", bad_magic}, {"header_cut.grp", Bytes(bad_magic.begin(), bad_magic.begin() + 10)},
        {"depth32.grp", grp(32, 1, 1, 4)}, {"depth15.grp", grp(15, 1, 1, 4)}, {"depth0.grp", grp(0, 1, 1, 4)},
        {"product_overflows.grp", grp(24, 0xFFFFFFFFu, 0xFFFFFFFFu, 16)},
        {"product_past_32_bits.grp", grp(16, 0x10000, 0x10000, 0)}, {"pixels_past_end.grp", grp(16, 100, 100, 19999)},
        {"palette_past_end.grp", grp(8, 2, 2, 4 + 767)}, {"beyond_any_expansion.grp", grp(24, 4000, 4000, 64, '2')},
        // The block expands to 9 bytes, the picture holds 8.
        {"block_larger_than_the_picture.grp", With(support::GrpBytes(support::MakeGrp(16, 2, 2), true), 13, 9)},
        {"file_size_past_end.dat", With(bmp, 2, uint32_t(bmp.size() + 1))}, {"file_size_short.dat", With(bmp, 2, 14 + 39)},
        {"header_past_end.dat", With(bmp, 14, 5000)}, {"header_too_small.dat", With(bmp, 14, 12)},
        {"zero_width.dat", With(bmp, 18, 0)}, {"rows_past_end.dat", With(bmp, 22, 5)},
        {"table_past_end.dat", With(bmp, 14 + 32, 300)}, {"run_length.dat", With(bmp, 14 + 16, 1)}, {"depth7.dat", depth7},
        {"file_header_only.dat", Bytes(bmp.begin(), bmp.begin() + 14)}, {"cut_file_header.dat", Bytes(bmp.begin(), bmp.begin() + 9)},
        // The size field agrees, the rows are short.
        {"rows_cut.dat", With(Bytes(bmp.begin(), bmp.end() - 4), 2, uint32_t(bmp.size() - 4))},
    };
    for (bool packed : {false, true}) {
        Bytes good = support::GrpBytes(RandomPicture(8, 2), packed);
        for (size_t cut = 0; cut < good.size(); cut += (cut < 40 ? 1 : 37))
            cases.push_back({"cut" + std::to_string(cut) + (packed ? "p" : "") + ".grp", Bytes(good.begin(), good.begin() + cut)});
    }
    for (auto& [name, file] : cases) {
        ASSERT_TRUE(support::WriteBytes(name, file));
        GRP_IMAGE img;
        img.width = 77;
        void* dib = &img;
        bool grp_file = GRP_HasExt(name.c_str(), ".grp");
        EXPECT_EQ(grp_file ? GRP_ReadGrp(name.c_str(), &img) : GRP_ReadDat(name.c_str(), &dib), 0) << name;
        EXPECT_TRUE(img.pixels == nullptr && (grp_file ? img.width == 0 : dib == nullptr)) << name;
    }
}

// The 8-bit reader takes width x height bytes in file order (bottom row first), back to back, after
// the colour table's whole entries; its refusals clear the record.
TEST(PictureRead, EightBitBitmapsReadTheirBytesInFileOrder) {
    Screen screen(555);
    support::Bitmap aligned = support::MakeBitmap(8, 4, 2), padded = support::MakeBitmap(8, 3, 2);
    aligned.pixels = {1, 2, 3, 4, 5, 6, 7, 8}, padded.pixels = {1, 2, 3, 4, 5, 6};
    padded.colours.resize(2);
    Bytes odd_offset = support::BitmapFileBytes(padded);  // 54 + 8 + 3: two whole entries, reads from 62
    odd_offset[10] += 3;
    const std::pair<Bytes, Bytes> reads[] = {
        {support::BitmapFileBytes(aligned), {5, 6, 7, 8, 1, 2, 3, 4}},
        {support::BitmapFileBytes(padded), {4, 5, 6, 0, 1, 2}},  // the bottom row's padding byte is read as a pixel
        {odd_offset, {4, 5, 6, 0, 1, 2}},
    };
    for (const auto& [file, want] : reads) {
        ASSERT_TRUE(support::WriteBytes("in.bmp", file));
        GRP_BMP8 img;
        ASSERT_EQ(GRP_ReadBmp8(&img, "in.bmp"), 1);
        EXPECT_EQ(Bytes(img.pixels, img.pixels + want.size()), want);
        EXPECT_EQ(img.width * img.height, int32_t(want.size()));
        plat::Free(img.pixels);
    }
    const Bytes good = support::BitmapFileBytes(aligned);
    support::Bitmap top_down = aligned;
    top_down.top_down = true;
    const std::pair<std::string, Bytes> refused[] = {
        {"depth24.bmp", support::BitmapFileBytes(support::MakeBitmap(24, 2, 2))},
        {"header_cut.bmp", Bytes(good.begin(), good.begin() + 53)},
        {"offset_inside_header.bmp", With(good, 10, 40)},
        {"table_past_end.bmp", With(good, 10, uint32_t(good.size()))},
        {"pixels_cut.bmp", Bytes(good.begin(), good.end() - 1)},
        {"huge.bmp", With(With(good, 18, 0x7FFFFFFF), 22, 0x7FFFFFFF)},
        {"top_down.bmp", support::BitmapFileBytes(top_down)},
    };
    for (const auto& [name, file] : refused) {
        ASSERT_TRUE(support::WriteBytes(name, file));
        GRP_BMP8 img{reinterpret_cast<uint8_t*>(&img), 5, 5};
        EXPECT_EQ(GRP_ReadBmp8(&img, name.c_str()), 0) << name;
        EXPECT_TRUE(img.pixels == nullptr && img.width == 0 && img.height == 0) << name;
    }
    GRP_BMP8 img;
    EXPECT_EQ(GRP_ReadBmp8(&img, "missing.bmp") + GRP_ReadBmp8(nullptr, "in.bmp"), 0);
}

class AllFormats : public ::testing::TestWithParam<int> {};
INSTANTIATE_TEST_SUITE_P(Screen, AllFormats, ::testing::Values(555, 565, 32),
                         [](const auto& info) { return "rgb" + std::to_string(info.param); });

TEST_P(AllFormats, EveryPictureFormatLoadsWithItsKeyAndSurvivesADisplayRecreation) {
    int format = GetParam();
    Screen screen(format);
    ASSERT_TRUE(screen.ok);
    // Each depth as a ".grp" (whatever extension the name has, or none) into video memory at 8
    // bits, and as bottom-up and top-down bitmaps into system and video memory.
    struct Loaded { GrpPicture pic; DDSurface* s; uint32_t memory; DD_SURFACE_SAVE* saved = nullptr; };
    std::vector<Loaded> all;
    for (uint16_t bpp : {8, 16, 24}) {
        GrpPicture p = RandomPicture(bpp, bpp);
        std::string n = std::to_string(bpp), up = "up" + n + ".dat", down = "down" + n + ".dat";
        ASSERT_TRUE(support::WriteGrp("Pic" + n + ".grp", p, bpp != 16) && support::WriteBitmap(up, AsBitmap(p, false)) &&
                    support::WriteBitmap(down, AsBitmap(p, true)));
        SYS_SIZE size{};
        all.push_back({p, GRP_LoadSurface(("Pic" + n + (bpp == 8 ? ".bmp" : bpp == 16 ? ".png" : "")).c_str(), 0, 0, bpp == 8, &size),
                       bpp == 8 ? 0u : DDSCAPS_SYSTEMMEMORY});
        EXPECT_TRUE(size.a == 17 && size.b == 16);
        all.push_back({p, GRP_LoadDatSurface(up.c_str(), 0, 0, 0, nullptr), DDSCAPS_SYSTEMMEMORY});
        all.push_back({p, GRP_LoadDatSurface(down.c_str(), 0, 0, 1, nullptr), 0});
    }
    for (auto& l : all) ASSERT_NE(l.s, nullptr);
    // Worked values: index 0 (black) -> 1, (7, 7, 7) -> 1 on 555, 0x0020 on 565, index 255 -> 0;
    // 555 0x7FFF -> 0xFFDF on 565, 0x8001 keeps bit 15 only when copied; 24-bit (7, 3, 7) -> 0.
    auto px = [&](size_t k, int i) { return Read(all[k].s)[i]; };
    auto pick = [&](uint32_t v555, uint32_t v565, uint32_t v32) { return format == 555 ? v555 : format == 565 ? v565 : v32; };
    EXPECT_EQ((Pixels{px(0, 0), px(0, 1), px(0, 255)}), (Pixels{1, pick(1, 0x0020, 0x070707), 0}));
    EXPECT_EQ((Pixels{px(3, 0), px(3, 2)}), (Pixels{pick(0x7FFF, 0xFFDF, 0xF8F8F8), pick(0x8001, 0x0001, 0x000008)}));
    EXPECT_EQ(px(6, 0) | px(6, 1), pick(0, 0, 0x070307));
    for (size_t k = 0; k < all.size(); ++k) {
        EXPECT_EQ(Read(all[k].s), Expected(all[k].pic, format)) << k;
        EXPECT_EQ(all[k].s->Caps() & DDSCAPS_SYSTEMMEMORY, all[k].memory) << k;
        EXPECT_EQ(DD_SetColorKey(all[k].s, 0), DD_OK);
        ASSERT_NE(all[k].saved = DD_SaveSurface(all[k].s), nullptr);
        EXPECT_EQ(all[k].saved->key, 0);
        DD_ReleaseSurface(all[k].s);
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
    for (size_t k = 0; k < all.size(); ++k) {
        ASSERT_NE(all[k].saved, nullptr);
        DDSurface* s;
        ASSERT_NE(s = DD_RestoreSurface(&all[k].saved), nullptr) << k;
        DDCOLORKEY key{1, 1};
        EXPECT_TRUE(all[k].saved == nullptr && s->GetColorKey(DDCKEY_SRCBLT, &key) == DD_OK && key.dwColorSpaceLowValue == 0);
        EXPECT_EQ(s->Caps() & DDSCAPS_SYSTEMMEMORY, all[k].memory) << k;
        EXPECT_EQ(Take(s), Expected(all[k].pic, format)) << k;
    }
    DD_SURFACE_SAVE* none = nullptr;
    EXPECT_TRUE(DD_RestoreSurface(&none) == nullptr && DD_SaveSurface(nullptr) == nullptr);
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
    ASSERT_TRUE(support::WriteBytes("in.ppm", Bytes(ppm.begin(), ppm.end())));
    ASSERT_EQ(std::system("convert in.ppm -type TrueColor BMP3:true.dat >/dev/null 2>&1"), 0);
    ASSERT_EQ(std::system("convert in.ppm -type Palette -compress None BMP3:pal.dat >/dev/null 2>&1"), 0);
    EXPECT_TRUE(support::ReadBytes("true.dat")[28] == 24 && support::ReadBytes("pal.dat")[28] == 8);
    for (const char* name : {"true.dat", "pal.dat"}) EXPECT_EQ(Take(GRP_LoadDatSurface(name, 0, 0, 0, nullptr)), want) << name;
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
    EXPECT_EQ((Pixels{uint32_t(size.a), support::PixelAt(s, 16, 15), support::PixelAt(s, 17, 15)}),
              (Pixels{17, Expected(p, 555)[15 * 17 + 16], 0x5555}));
    EXPECT_EQ(GRP_LoadToSurface(s, "missing.bmp", 0, 0, 1, nullptr), 0);
    headless::FailCall("DDSurface.Lock");
    EXPECT_EQ(GRP_LoadToSurface(s, "into.bmp", 0, 0, 1, nullptr), 0);
    DD_ReleaseSurface(s);
    // Palette take-over: entries [10, 15) of the picture, the rest of the palette untouched.
    PALETTEENTRY before = DD_PALETTE[15];
    EXPECT_EQ(Take(GRP_LoadGrpSurface("into.grp", 10, 5, 0, nullptr)).size(), 17u * 16);
    for (int i = 10; i < 15; ++i) EXPECT_EQ(DD_PALETTE[i].peGreen, p.palette[i * 3 + 1]) << i;
    EXPECT_EQ(DD_PALETTE[15].peGreen, before.peGreen);
    // The same from an 8-bit ".dat" bitmap's colour table; count 0 takes nothing over.
    support::Bitmap bm = support::MakeBitmap(8, 4, 2);
    for (int i = 0; i < 256; ++i) bm.colours[size_t(i)] = {uint8_t(i), uint8_t(255 - i), 7};
    ASSERT_TRUE(support::WriteBitmap("pal.dat", bm));
    DD_PALETTE[22] = PALETTEENTRY{};
    EXPECT_EQ(Take(GRP_LoadDatSurface("pal.dat", 20, 2, 0, nullptr)).size(), 8u);
    EXPECT_TRUE(DD_PALETTE[20].peRed == 20 && DD_PALETTE[21].peGreen == 234 && DD_PALETTE[22].peRed == 0);
    Take(GRP_LoadDatSurface("pal.dat", 22, 0, 0, nullptr));
    EXPECT_EQ(DD_PALETTE[22].peRed, 0);
    // An empty picture: no surface, but its size is reported.
    ASSERT_TRUE(support::WriteGrp("empty.grp", support::MakeGrp(16, 0, 7), false));
    size = SYS_SIZE{-1, -1};
    EXPECT_EQ(GRP_LoadSurface("empty.bmp", 0, 0, 0, &size), nullptr);
    EXPECT_TRUE(size.a == 0 && size.b == 7);
    char a[FIL_PATH_MAX] = "Bmp\\v1.0\\Title.bmp", b[FIL_PATH_MAX] = "x.tar.gz";
    GRP_SetGrpExt(a), GRP_SetGrpExt(b);
    EXPECT_EQ(std::string(a) + " " + b, "Bmp\\v1.0\\Title.grp x.tar.grp");
    for (size_t len : {size_t(FIL_PATH_MAX), size_t(1000)})
        EXPECT_EQ(GRP_LoadSurface(std::string(len, 'a').c_str(), 0, 0, 0, nullptr), nullptr) << len;
}

// The extension swap in a buffer of exactly the path size: a name without a dot fits up to 255
// characters; at 256 it has no room left and becomes empty. Longer names never reach the loaders.
TEST(PictureToSurface, GrpNamesAtTheBufferLimits) {
    Screen screen(555);
    for (size_t len : {255u, 256u, 259u}) {
        for (bool dotted : {false, true}) {
            const std::string name = dotted ? std::string(len - 4, 'd') + ".bmp" : std::string(len, 'n');
            const std::unique_ptr<char[]> buf(new char[FIL_PATH_MAX]);  // ASan sees any byte past it
            std::memcpy(buf.get(), name.c_str(), len + 1);
            GRP_SetGrpExt(buf.get());
            const bool fits = (dotted ? len : len + 4) < FIL_PATH_MAX;
            EXPECT_EQ(std::string(buf.get()), fits ? name.substr(0, dotted ? len - 4 : len) + ".grp" : "") << len << dotted;
        }
    }
    const std::string many(1000, 'm');
    EXPECT_EQ(GRP_LoadSurface((many + ".bmp").c_str(), 0, 0, 0, nullptr), nullptr);
    EXPECT_EQ(GRP_LoadToSurface(nullptr, many.c_str(), 0, 0, 0, nullptr), 0);
}

TEST(PictureToSurface, EightBitDisplayKeepsIndices) {
    Screen screen(565);
    ASSERT_TRUE(support::WriteGrp("idx.grp", RandomPicture(8, 6), true));
    support::Bitmap b = support::MakeBitmap(8, 3, 2);
    b.pixels = {0, 1, 255, 10, 20, 30}, b.colours[20] = {1, 2, 3};
    ASSERT_TRUE(support::WriteBitmap("idx.bmp", b));
    // At 16 bits the 8-bit loaders hand over to the ordinary ones: a ".bmp" name to the loader
    // that reads the ".grp" of its stem (17 x 16, not the bitmap's 3 x 2), the rest as named.
    EXPECT_EQ(GRP_LoadGrpSurface8("idx.bmp", 0, 0, 0, 0, nullptr), nullptr);
    for (DDSurface* t : {GRP_LoadGrpSurface8("idx.grp", 0, 0, 0, 0, nullptr), GRP_LoadBmpSurface8("idx.grp", 0, 0, 0, 0, nullptr),
                         GRP_LoadBmpSurface8("idx.bmp", 0, 0, 0, 0, nullptr)})
        EXPECT_EQ(Take(t).size(), 17u * 16);
    ASSERT_EQ(DD_ChangeMode(640, 480, 8, 1, 0, 1), 1);
    // Indices move by 10 and wrap within the byte; 255 stays transparent.
    SYS_SIZE size;
    Pixels px = Take(GRP_LoadGrpSurface8("idx.grp", 10, 0, 0, 0, &size));
    ASSERT_EQ(px.size(), 17u * 16);
    EXPECT_EQ((Pixels{px[0], px[254], px[255], uint32_t(size.a)}), (Pixels{10, 8, 0, 17}));
    // A bitmap with palette take-over: image entries 20.. go to display entries 100...
    EXPECT_EQ(Take(GRP_LoadBmpSurface8("idx.bmp", 100, 20, 5, 0, &size)), (Pixels{80, 81, 0, 90, 100, 110}));
    EXPECT_TRUE(size.b == 2 && DD_PALETTE[100].peRed == 1 && DD_PALETTE[100].peBlue == 3);
    // Ranges outside the table give nothing; huge ones are cut to it.
    EXPECT_TRUE(!GRP_LoadBmpSurface8("idx.bmp", 256, 0, 1, 0, nullptr) && !GRP_LoadBmpSurface8("idx.bmp", 0, -5, 3, 0, nullptr));
    for (auto [d, i] : {std::pair{-INT32_MAX, 200}, {250, INT32_MIN + 300}})
        EXPECT_EQ(Take(GRP_LoadBmpSurface8("idx.bmp", d, i, INT32_MAX, 0, nullptr)).size(), 6u);
}
