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
using Bytes = std::vector<uint8_t>;

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

void Put32(Bytes& v, size_t at, uint32_t x) {
    for (int i = 0; i < 4; ++i) v[at + i] = uint8_t(x >> (8 * i));
}
}  // namespace

TEST(GrpRead, KindsNamesAndMissingFiles) {
    Env env;
    // Kind '2' is packed, any other kind raw; at 8 bits 4 x 2 pixels take 776 bytes with the
    // palette 8 bytes into the block. (Every depth is read and drawn by the loader tests.)
    support::GrpPicture p = Sample(8, 4, 2);
    for (uint8_t kind : {'2', '1', 'x'}) {
        Bytes file = support::GrpBytes(p, kind == '2', kind);
        if (kind != '2') {
            EXPECT_EQ(file.size(), GRP_HEADER_SIZE + 776);
        }
        ASSERT_TRUE(support::WriteBytes("pic.grp", file));
        GRP_IMAGE img;
        ASSERT_EQ(GRP_ReadGrp("pic.grp", &img), 1) << kind;
        EXPECT_EQ(img.bpp, 8);
        EXPECT_EQ(img.width, 4u);
        EXPECT_EQ(img.height, 2u);
        EXPECT_EQ(std::memcmp(img.pixels, p.pixels.data(), 8), 0);
        ASSERT_EQ(img.palette, img.pixels + 8);
        EXPECT_EQ(std::memcmp(img.palette, p.palette.data(), 768), 0);
        GRP_FreeImage(&img);
        EXPECT_EQ(img.pixels, nullptr);
        EXPECT_EQ(img.width, 0u);
    }
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
        Bytes b = {'G', 'R', kind, uint8_t(bpp), uint8_t(bpp >> 8), 0, 0, 0, 0, 0, 0, 0, 0};
        Put32(b, 5, w);
        Put32(b, 9, h);
        b.resize(b.size() + payload, 1);
        return b;
    };
    Bytes bad_magic = bytes(16, 1, 1, 2), too_big = support::GrpBytes(Sample(16, 2, 2), true);
    bad_magic[1] = 'X';
    too_big[13] = 9;  // the block expands to 9 bytes, the picture holds 8
    const std::pair<const char*, Bytes> cases[] = {
        {"magic", bad_magic},
        {"depth 32", bytes(32, 1, 1, 4)},
        {"depth 15", bytes(15, 1, 1, 4)},
        {"depth 0", bytes(0, 1, 1, 4)},
        {"product overflows", bytes(24, 0xFFFFFFFFu, 0xFFFFFFFFu, 16)},
        {"product past 32 bits", bytes(16, 0x10000, 0x10000, 0)},  // not an empty picture
        {"raw pixels beyond the file", bytes(16, 100, 100, 19999)},
        {"palette beyond the file", bytes(8, 2, 2, 4 + 767)},
        {"packed size beyond any expansion", bytes(24, 4000, 4000, 64, '2')},
        {"block larger than the picture", too_big},
        {"header cut", Bytes(bad_magic.begin(), bad_magic.begin() + 10)},
    };
    for (auto& [what, file] : cases) {
        ASSERT_TRUE(support::WriteBytes("bad.grp", file));
        GRP_IMAGE img;
        img.width = 77;
        EXPECT_EQ(GRP_ReadGrp("bad.grp", &img), 0) << what;
        EXPECT_EQ(img.pixels, nullptr) << what;
        EXPECT_EQ(img.width, 0u) << what;
    }
    GRP_IMAGE img;
    for (bool pk : {false, true}) {
        Bytes good = support::GrpBytes(Sample(8, 6, 5), pk);
        for (size_t cut = 0; cut < good.size(); cut += (cut < 40 ? 1 : 37)) {
            ASSERT_TRUE(support::WriteBytes("cut.grp", Bytes(good.begin(), good.begin() + cut)));
            EXPECT_EQ(GRP_ReadGrp("cut.grp", &img), 0) << "cut " << cut << " packed " << pk;
            EXPECT_EQ(img.pixels, nullptr);
        }
    }
    // An empty picture is a picture: it reads, with nothing in its pixels.
    ASSERT_TRUE(support::WriteBytes("empty.grp", bytes(24, 0, 5, 0)));
    ASSERT_EQ(GRP_ReadGrp("empty.grp", &img), 1);
    EXPECT_EQ(img.height, 5u);
    EXPECT_EQ(img.palette, nullptr);  // only 8-bit pictures have one
    GRP_FreeImage(&img);
}

TEST(BitmapRead, NamesAndMissingFiles) {
    Env env;
    ASSERT_TRUE(support::WriteBitmap("pic.bmp", support::MakeBitmap(24, 2, 2)));
    ASSERT_TRUE(support::WriteBitmap("pic.dat", support::MakeBitmap(24, 2, 2)));
    void* dib = nullptr;
    EXPECT_EQ(GRP_ReadBmp("pic.bmp", &dib), 1);
    plat::Free(dib);
    EXPECT_EQ(GRP_ReadBmp("pic.dat", &dib), 0);
    EXPECT_EQ(GRP_ReadDat("pic.bmp", &dib), 0);
    EXPECT_EQ(GRP_ReadDat("PIC.DAT", &dib), 0);
    EXPECT_TRUE(headless::DebugOutput().empty());
    EXPECT_EQ(GRP_ReadDat("nothere.dat", &dib), 0);
    EXPECT_EQ(dib, nullptr);
    EXPECT_TRUE(env.Logged("nothere.dat:Open error -1\n"));
}

TEST(BitmapRead, ThumbnailsPlainPackedAndFromImageMagick) {
    Env env;
    // A save thumbnail as the program writes it: 112 x 80 at 24 bits with two spare bytes after
    // the rows, file size 26,936, so the packed DIB is 26,922 bytes.
    support::Bitmap thumb = support::MakeBitmap(24, 112, 80);
    for (size_t i = 0; i < thumb.pixels.size(); ++i) thumb.pixels[i] = uint8_t(i % 5 * 40);
    thumb.trailing = 2;
    Bytes file = support::BitmapFileBytes(thumb);
    ASSERT_EQ(file.size(), 26936u);
    ASSERT_TRUE(support::WriteBytes("ov01.dat", file));
    void* dib = nullptr;
    size_t size = 0;
    ASSERT_EQ(GRP_ReadDat("ov01.dat", &dib, &size), 1);
    EXPECT_EQ(size, 26922u);
    plat::Free(dib);

    // The same file packed by the system's packer reads to the same DIB.
    if (support::HaveTool("mscompress")) {
        ASSERT_TRUE(support::WriteBytes("thumb.da", file));
        ASSERT_EQ(std::system("mscompress thumb.da >/dev/null 2>&1"), 0);  // writes "thumb.da_"
        ASSERT_EQ(std::rename("thumb.da_", "thumb.dat"), 0);
        ASSERT_EQ(GRP_ReadDat("thumb.dat", &dib, &size), 1);
        ASSERT_EQ(size, 26922u);
        EXPECT_EQ(std::memcmp(dib, file.data() + 14, size), 0);
        plat::Free(dib);
    }

    // From ImageMagick (no spare bytes): its file size less the file header.
    if (!support::HaveTool("convert")) GTEST_SKIP() << "ImageMagick convert is not installed";
    ASSERT_EQ(std::system("convert -size 112x80 gradient:red-blue -type TrueColor BMP3:ov02.dat >/dev/null 2>&1"), 0);
    ASSERT_EQ(GRP_ReadDat("ov02.dat", &dib, &size), 1);
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
    const Bytes good = support::BitmapFileBytes(support::MakeBitmap(8, 4, 4));
    auto with = [&](size_t at, uint32_t v) {
        Bytes f = good;
        Put32(f, at, v);
        return f;
    };
    Bytes depth7 = good, rows_cut(good.begin(), good.end() - 4);
    depth7[14 + 14] = 7;
    Put32(rows_cut, 2, uint32_t(rows_cut.size()));  // the size field agrees, the rows are short
    const std::pair<const char*, Bytes> cases[] = {
        {"file size beyond the file", with(2, uint32_t(good.size() + 1))},
        {"file size below the headers", with(2, 14 + 39)},
        {"header size beyond the block", with(14, 5000)},
        {"header size too small", with(14, 12)},
        {"zero width", with(18, 0)},
        {"rows beyond the block", with(22, 5)},
        {"colour table beyond the block", with(14 + 32, 300)},
        {"run-length compression", with(14 + 16, 1)},
        {"depth 7", depth7},
        {"only the file header", Bytes(good.begin(), good.begin() + 14)},
        {"short file header", Bytes(good.begin(), good.begin() + 9)},
        {"rows cut", rows_cut},
    };
    for (auto& [what, file] : cases) {
        ASSERT_TRUE(support::WriteBytes("bad.dat", file));
        void* dib = reinterpret_cast<void*>(1);
        EXPECT_EQ(GRP_ReadDat("bad.dat", &dib), 0) << what;
        EXPECT_EQ(dib, nullptr) << what;
    }
    ASSERT_TRUE(support::WriteBytes("good.dat", good));
    void* dib = nullptr;
    EXPECT_EQ(GRP_ReadDat("good.dat", &dib), 1);
    plat::Free(dib);
}
