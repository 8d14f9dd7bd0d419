// Picture file readers: ".grp" in every depth and kind, bitmap files plain and packed, and the
// refusal of headers, sizes and tables the file does not hold.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "display/grp_file.h"
#include "platform/headless/headless.h"
#include "platform/memory.h"
#include "services/fil_util.h"
#include "tests/support/fixture.h"
#include "tests/support/grp_writer.h"

namespace {
bool HaveTool(const char* tool) { return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0; }

support::GrpPicture Sample(uint16_t bpp, uint32_t w, uint32_t h) {
    support::GrpPicture p = support::MakeGrp(bpp, w, h);
    for (size_t i = 0; i < p.pixels.size(); ++i) p.pixels[i] = uint8_t(i * 7 + 3);
    for (size_t i = 0; i < p.palette.size(); ++i) p.palette[i] = uint8_t(255 - i);
    return p;
}

// A fresh headless platform (for its debug output) and a temporary directory as base directory.
struct Env {
    Env() {
        headless::Reset();
        FIL_InitBaseDir();
    }
    support::TempDir dir;
    bool Logged(const std::string& line) {
        for (auto& l : headless::DebugOutput())
            if (l.find(line) != std::string::npos) return true;
        return false;
    }
};
}  // namespace

TEST(GrpRead, EveryDepthRawAndPackedReadsBack) {
    Env env;
    for (uint16_t bpp : {8, 16, 24}) {
        for (bool packed : {false, true}) {
            support::GrpPicture p = Sample(bpp, 5, 3);
            ASSERT_TRUE(support::WriteGrp("pic.grp", p, packed));
            GRP_IMAGE img;
            ASSERT_EQ(GRP_ReadGrp("pic.grp", &img), 1) << bpp << " " << packed;
            EXPECT_EQ(img.bpp, bpp);
            EXPECT_EQ(img.width, 5u);
            EXPECT_EQ(img.height, 3u);
            EXPECT_EQ(std::memcmp(img.pixels, p.pixels.data(), p.pixels.size()), 0);
            if (bpp == 8) {
                ASSERT_EQ(img.palette, img.pixels + 15);
                EXPECT_EQ(std::memcmp(img.palette, p.palette.data(), 768), 0);
            } else {
                EXPECT_EQ(img.palette, nullptr);
            }
            GRP_FreeImage(&img);
            EXPECT_EQ(img.pixels, nullptr);
            EXPECT_EQ(img.width, 0u);
        }
    }
    // Any kind other than '2' is stored raw.
    support::GrpPicture p = Sample(16, 2, 2);
    ASSERT_TRUE(support::WriteBytes("x.grp", support::GrpBytes(p, false, 'x')));
    GRP_IMAGE img;
    ASSERT_EQ(GRP_ReadGrp("x.grp", &img), 1);
    EXPECT_EQ(std::memcmp(img.pixels, p.pixels.data(), 8), 0);
    GRP_FreeImage(&img);
}

TEST(GrpRead, EightBitPayloadHasPaletteAfterPixels) {
    Env env;
    ASSERT_TRUE(support::WriteGrp("small.grp", Sample(8, 4, 2), false));
    EXPECT_EQ(support::ReadBytes("small.grp").size(), GRP_HEADER_SIZE + 776);
    GRP_IMAGE img;
    ASSERT_EQ(GRP_ReadGrp("small.grp", &img), 1);
    EXPECT_EQ(img.palette - img.pixels, 8);
    GRP_FreeImage(&img);
}

TEST(GrpRead, NamesAndMissingFiles) {
    Env env;
    ASSERT_TRUE(support::WriteGrp("pic.grp", Sample(16, 1, 1), false));
    GRP_IMAGE img;
    EXPECT_EQ(GRP_ReadGrp("pic.GRP", &img), 0);  // the extension test is case-sensitive
    EXPECT_EQ(GRP_ReadGrp("grp", &img), 0);
    EXPECT_TRUE(headless::DebugOutput().empty());
    EXPECT_EQ(GRP_ReadGrp("missing.grp", &img), 0);
    EXPECT_TRUE(env.Logged("missing.grp:Open error -1\n"));
    EXPECT_EQ(GRP_ReadGrp("PIC.grp", &img), 1);  // the stem itself resolves without regard to case
    GRP_FreeImage(&img);
}

TEST(GrpRead, BadHeadersAndSizesAreRefusedAndLeaveTheRecordClear) {
    Env env;
    auto bytes = [](uint16_t bpp, uint32_t w, uint32_t h, size_t payload, uint8_t kind = '1') {
        std::vector<uint8_t> b = {'G', 'R', kind, uint8_t(bpp), uint8_t(bpp >> 8)};
        for (uint32_t v : {w, h})
            for (int i = 0; i < 4; ++i) b.push_back(uint8_t(v >> (8 * i)));
        b.resize(b.size() + payload, 1);
        return b;
    };
    struct Case {
        const char* what;
        std::vector<uint8_t> file;
    } cases[] = {
        {"magic", [&] { auto b = bytes(16, 1, 1, 2); b[1] = 'X'; return b; }()},
        {"depth 32", bytes(32, 1, 1, 4)},
        {"depth 15", bytes(15, 1, 1, 4)},
        {"depth 0", bytes(0, 1, 1, 4)},
        {"zero width", bytes(16, 0, 5, 4)},
        {"product overflows", bytes(24, 0xFFFFFFFFu, 0xFFFFFFFFu, 16)},
        {"raw pixels beyond the file", bytes(16, 100, 100, 19999)},
        {"palette beyond the file", bytes(8, 2, 2, 4 + 767)},
        {"packed size beyond any expansion", bytes(24, 4000, 4000, 64, '2')},
        {"header cut", bytes(16, 1, 1, 0)},
    };
    cases[9].file.resize(10);
    for (auto& c : cases) {
        ASSERT_TRUE(support::WriteBytes("bad.grp", c.file));
        GRP_IMAGE img;
        img.width = 77;
        EXPECT_EQ(GRP_ReadGrp("bad.grp", &img), 0) << c.what;
        EXPECT_EQ(img.pixels, nullptr) << c.what;
        EXPECT_EQ(img.width, 0u) << c.what;
    }
    // A packed payload whose block expands to more than the picture holds.
    support::GrpPicture small = Sample(16, 2, 2);
    auto packed = support::GrpBytes(small, true);
    packed[13] = 9;  // U = 9 > 8 bytes of pixels
    ASSERT_TRUE(support::WriteBytes("big.grp", packed));
    GRP_IMAGE img;
    EXPECT_EQ(GRP_ReadGrp("big.grp", &img), 0);
    // Every cut of a good file fails.
    for (bool pk : {false, true}) {
        auto good = support::GrpBytes(Sample(8, 6, 5), pk);
        for (size_t cut = 0; cut < good.size(); cut += (cut < 40 ? 1 : 37)) {
            ASSERT_TRUE(support::WriteBytes("cut.grp", std::vector<uint8_t>(good.begin(), good.begin() + cut)));
            EXPECT_EQ(GRP_ReadGrp("cut.grp", &img), 0) << "cut " << cut << " packed " << pk;
            EXPECT_EQ(img.pixels, nullptr);
        }
    }
}

TEST(BitmapRead, WrittenBitmapsReadBackWhole) {
    Env env;
    for (uint16_t bits : {8, 16, 24}) {
        for (int32_t w : {1, 2, 3, 5}) {
            support::Bitmap b = support::MakeBitmap(bits, w, 3);
            for (size_t i = 0; i < b.pixels.size(); ++i) b.pixels[i] = uint8_t(i * 13 + 1);
            ASSERT_TRUE(support::WriteBitmap("pic.dat", b));
            void* dib = nullptr;
            size_t size = 0;
            ASSERT_EQ(GRP_ReadDat("pic.dat", &dib, &size), 1) << bits << "x" << w;
            auto file = support::ReadBytes("pic.dat");
            ASSERT_EQ(size, file.size() - 14);
            EXPECT_EQ(std::memcmp(dib, file.data() + 14, size), 0);
            GRP_DIB_LAYOUT l;
            ASSERT_EQ(GRP_DibLayout(dib, size, &l), 1);
            EXPECT_EQ(l.stride % 4, 0u);
            EXPECT_EQ(l.colour_count, bits == 8 ? 256u : 0u);
            EXPECT_EQ(l.Row(0)[0], b.pixels[0]);  // top row is stored last
            plat::Free(dib);
        }
    }
    ASSERT_TRUE(support::WriteBitmap("pic.bmp", support::MakeBitmap(24, 2, 2)));
    void* dib = nullptr;
    EXPECT_EQ(GRP_ReadBmp("pic.bmp", &dib), 1);
    plat::Free(dib);
    EXPECT_EQ(GRP_ReadDat("pic.bmp", &dib), 0);
    EXPECT_EQ(GRP_ReadDat("PIC.DAT", &dib), 0);
    EXPECT_EQ(GRP_ReadDat("nothere.dat", &dib), 0);
    EXPECT_EQ(dib, nullptr);
    EXPECT_TRUE(env.Logged("nothere.dat:Open error -1\n"));
}

TEST(BitmapRead, PackedFilesReadLikePlainOnes) {
    if (!HaveTool("mscompress")) GTEST_SKIP() << "mscompress is not installed";
    Env env;
    support::Bitmap b = support::MakeBitmap(24, 7, 4);
    for (size_t i = 0; i < b.pixels.size(); ++i) b.pixels[i] = uint8_t(i % 5 * 40);
    ASSERT_TRUE(support::WriteBitmap("thumb.da", b));
    ASSERT_EQ(std::system("mscompress thumb.da >/dev/null 2>&1"), 0);  // writes "thumb.da_"
    ASSERT_EQ(std::rename("thumb.da_", "thumb.dat"), 0);
    void* dib = nullptr;
    size_t size = 0;
    ASSERT_EQ(GRP_ReadDat("thumb.dat", &dib, &size), 1);
    auto dib_bytes = support::DibBytes(b);
    ASSERT_EQ(size, dib_bytes.size());
    EXPECT_EQ(std::memcmp(dib, dib_bytes.data(), size), 0);
    plat::Free(dib);
}

TEST(BitmapRead, ThumbnailSizes) {
    Env env;
    // A save thumbnail as the program writes it: 112 x 80 at 24 bits with two spare bytes after
    // the rows, file size 26,936, so the packed DIB is 26,922 bytes.
    support::Bitmap thumb = support::MakeBitmap(24, 112, 80);
    thumb.trailing = 2;
    ASSERT_TRUE(support::WriteBitmap("ov01.dat", thumb));
    ASSERT_EQ(support::ReadBytes("ov01.dat").size(), 26936u);
    void* dib = nullptr;
    size_t size = 0;
    ASSERT_EQ(GRP_ReadDat("ov01.dat", &dib, &size), 1);
    EXPECT_EQ(size, 26922u);
    plat::Free(dib);

    // The same picture from ImageMagick (no spare bytes): its file size less the file header.
    if (!HaveTool("convert")) GTEST_SKIP() << "ImageMagick convert is not installed";
    ASSERT_EQ(std::system("convert -size 112x80 gradient:red-blue -type TrueColor BMP3:ov02.dat >/dev/null 2>&1"), 0);
    ASSERT_EQ(GRP_ReadDat("ov02.dat", &dib, &size), 1);
    EXPECT_EQ(size, support::ReadBytes("ov02.dat").size() - 14);
    EXPECT_EQ(size, 40u + 112 * 3 * 80);
    GRP_DIB_LAYOUT l;
    ASSERT_EQ(GRP_DibLayout(dib, size, &l), 1);
    EXPECT_EQ(l.width, 112);
    EXPECT_EQ(l.height, 80);
    EXPECT_EQ(l.bits, 24);
    plat::Free(dib);
}

TEST(BitmapRead, HeadersTablesAndRowsMustFitTheBytesRead) {
    Env env;
    support::Bitmap b8 = support::MakeBitmap(8, 4, 4);
    auto good = support::BitmapFileBytes(b8);
    auto put32 = [](std::vector<uint8_t>& v, size_t at, uint32_t x) {
        for (int i = 0; i < 4; ++i) v[at + i] = uint8_t(x >> (8 * i));
    };
    struct Case {
        const char* what;
        std::vector<uint8_t> file;
    };
    std::vector<Case> cases;
    auto with = [&](const char* what, size_t at, uint32_t v) {
        auto f = good;
        put32(f, at, v);
        cases.push_back({what, f});
    };
    with("file size beyond the file", 2, uint32_t(good.size() + 1));
    with("file size below the headers", 2, 14 + 39);
    with("header size beyond the block", 14, 5000);
    with("header size too small", 14, 12);
    with("zero width", 18, 0);
    with("rows beyond the block", 22, 5);
    with("colour table beyond 256", 14 + 32, 300);
    with("run-length compression", 14 + 16, 1);
    cases.push_back({"depth 7", [&] { auto f = good; f[14 + 14] = 7; return f; }()});
    cases.push_back({"only the file header", std::vector<uint8_t>(good.begin(), good.begin() + 14)});
    cases.push_back({"short file header", std::vector<uint8_t>(good.begin(), good.begin() + 9)});
    {
        // The file-size field says the file is whole but the rows were cut off.
        auto f = good;
        f.resize(f.size() - 4);
        put32(f, 2, uint32_t(f.size()));
        cases.push_back({"rows cut", f});
    }
    for (auto& c : cases) {
        ASSERT_TRUE(support::WriteBytes("bad.dat", c.file));
        void* dib = reinterpret_cast<void*>(1);
        EXPECT_EQ(GRP_ReadDat("bad.dat", &dib), 0) << c.what;
        EXPECT_EQ(dib, nullptr) << c.what;
    }
    ASSERT_TRUE(support::WriteBytes("good.dat", good));
    void* dib = nullptr;
    EXPECT_EQ(GRP_ReadDat("good.dat", &dib), 1);
    plat::Free(dib);
}
