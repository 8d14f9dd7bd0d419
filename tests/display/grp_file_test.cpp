// Picture file readers: ".grp" in every kind, bitmap files plain and packed, and the refusal of
// headers, sizes and tables the file does not hold.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <tuple>

#include "display/grp_file.h"
#include "platform/headless/headless.h"
#include "platform/memory.h"
#include "services/fil_util.h"
#include "tests/support/fixture.h"
#include "tests/support/grp_writer.h"

namespace {
using Bytes = std::vector<uint8_t>;

// A fresh headless platform (for its debug output) and a temporary directory as base directory.
struct Env {
    Env() { headless::Reset(), FIL_InitBaseDir(); }
    support::TempDir dir;
};

bool Logged(const std::string& line) {
    for (auto& l : headless::DebugOutput())
        if (l.find(line) != std::string::npos) return true;
    return false;
}

Bytes With(Bytes v, size_t at, uint32_t x) {
    for (int i = 0; i < 4; ++i) v[at + i] = uint8_t(x >> (8 * i));
    return v;
}
}  // namespace

TEST(PictureRead, KindsNamesAndMissingFiles) {
    Env env;
    // Kind '2' is packed, any other kind raw; at 8 bits 4 x 2 pixels take 776 bytes with the
    // palette 8 bytes into the block.
    support::GrpPicture p = support::MakeGrp(8, 4, 2);
    for (size_t i = 0; i < 776; ++i) (i < 8 ? p.pixels[i] : p.palette[i - 8]) = uint8_t(i * 7 + 3);
    for (uint8_t kind : {'2', '1', 'x'}) {
        Bytes file = support::GrpBytes(p, kind == '2', kind);
        EXPECT_EQ(file.size() == GRP_HEADER_SIZE + 776, kind != '2');
        ASSERT_TRUE(support::WriteBytes("pic.grp", file));
        GRP_IMAGE img;
        ASSERT_EQ(GRP_ReadGrp("pic.grp", &img), 1) << kind;
        EXPECT_EQ(std::tuple(img.bpp, img.width, img.height), std::tuple(uint16_t(8), 4u, 2u));
        EXPECT_EQ(Bytes(img.pixels, img.pixels + 8), p.pixels);
        ASSERT_EQ(img.palette, img.pixels + 8);
        EXPECT_EQ(Bytes(img.palette, img.palette + 768), p.palette);
        GRP_FreeImage(&img);
        EXPECT_EQ(img.pixels, nullptr);
        EXPECT_EQ(img.width, 0u);
    }
    ASSERT_TRUE(support::WriteBitmap("pic.bmp", support::MakeBitmap(24, 2, 2)));
    ASSERT_TRUE(support::WriteBitmap("pic.dat", support::MakeBitmap(24, 2, 2)));
    GRP_IMAGE img;
    void* dib = nullptr;
    EXPECT_EQ(GRP_ReadBmp("pic.bmp", &dib), 1);
    plat::Free(dib);
    // Extensions are matched case-sensitively and unmatched names are not opened.
    EXPECT_EQ(GRP_ReadGrp("pic.GRP", &img) + GRP_ReadGrp("grp", &img) + GRP_ReadBmp("pic.dat", &dib) +
                  GRP_ReadDat("pic.bmp", &dib) + GRP_ReadDat("PIC.DAT", &dib),
              0);
    EXPECT_TRUE(headless::DebugOutput().empty());
    EXPECT_EQ(GRP_ReadGrp("missing.grp", &img) + GRP_ReadDat("nothere.dat", &dib), 0);
    EXPECT_EQ(dib, nullptr);
    EXPECT_TRUE(Logged("missing.grp:Open error -1\n") && Logged("nothere.dat:Open error -1\n"));
    EXPECT_EQ(GRP_ReadGrp("PIC.grp", &img), 1);  // the stem itself resolves without regard to case
    GRP_FreeImage(&img);
}

TEST(PictureRead, BadGrpHeadersAndSizesAreRefusedAndLeaveTheRecordClear) {
    Env env;
    auto bytes = [](uint16_t bpp, uint32_t w, uint32_t h, size_t payload, uint8_t kind = '1') {
        Bytes b = With(With({'G', 'R', kind, uint8_t(bpp), uint8_t(bpp >> 8), 0, 0, 0, 0, 0, 0, 0, 0}, 5, w), 9, h);
        b.resize(b.size() + payload, 1);
        return b;
    };
    Bytes bad_magic = bytes(16, 1, 1, 2);
    bad_magic[1] = 'X';
    // The block expands to 9 bytes, the picture holds 8.
    Bytes too_big = With(support::GrpBytes(support::MakeGrp(16, 2, 2), true), 13, 9);
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
    GRP_IMAGE img;
    for (auto& [what, file] : cases) {
        ASSERT_TRUE(support::WriteBytes("bad.grp", file));
        img.width = 77;
        EXPECT_EQ(GRP_ReadGrp("bad.grp", &img), 0) << what;
        EXPECT_EQ(img.pixels, nullptr) << what;
        EXPECT_EQ(img.width, 0u) << what;
    }
    for (bool packed : {false, true}) {
        Bytes good = support::GrpBytes(support::MakeGrp(8, 6, 5), packed);
        for (size_t cut = 0; cut < good.size(); cut += (cut < 40 ? 1 : 37)) {
            ASSERT_TRUE(support::WriteBytes("cut.grp", Bytes(good.begin(), good.begin() + cut)));
            EXPECT_EQ(GRP_ReadGrp("cut.grp", &img), 0) << "cut " << cut << " packed " << packed;
            EXPECT_EQ(img.pixels, nullptr);
        }
    }
    // An empty picture is a picture: it reads, without a palette (only 8-bit pictures have one).
    ASSERT_TRUE(support::WriteBytes("empty.grp", bytes(24, 0, 5, 0)));
    ASSERT_EQ(GRP_ReadGrp("empty.grp", &img), 1);
    EXPECT_EQ(img.height, 5u);
    EXPECT_EQ(img.palette, nullptr);
    GRP_FreeImage(&img);
}

TEST(PictureRead, ThumbnailPlainAndPacked) {
    Env env;
    // A save thumbnail as the program writes it: 112 x 80 at 24 bits with two spare bytes after
    // the rows, file size 26,936, so the packed DIB is 26,922 bytes, plain or packed alike.
    support::Bitmap thumb = support::MakeBitmap(24, 112, 80);
    for (size_t i = 0; i < thumb.pixels.size(); ++i) thumb.pixels[i] = uint8_t(i % 5 * 40);
    thumb.trailing = 2;
    Bytes file = support::BitmapFileBytes(thumb);
    ASSERT_EQ(file.size(), 26936u);
    ASSERT_TRUE(support::WriteBytes("ov01.dat", file) && support::WriteBytes("thumb.da", file));
    bool packer = support::HaveTool("mscompress");
    if (packer) {
        ASSERT_EQ(std::system("mscompress thumb.da >/dev/null 2>&1"), 0);  // writes "thumb.da_"
        ASSERT_EQ(std::rename("thumb.da_", "thumb.dat"), 0);
    }
    for (const char* name : {"ov01.dat", packer ? "thumb.dat" : "ov01.dat"}) {
        void* dib = nullptr;
        size_t size = 0;
        ASSERT_EQ(GRP_ReadDat(name, &dib, &size), 1) << name;
        ASSERT_EQ(size, 26922u);
        EXPECT_EQ(std::memcmp(dib, file.data() + 14, size), 0) << name;
        plat::Free(dib);
    }
}

TEST(PictureRead, BitmapHeadersTablesAndRowsMustFitTheBytesRead) {
    Env env;
    const Bytes good = support::BitmapFileBytes(support::MakeBitmap(8, 4, 4));
    Bytes depth7 = good, rows_cut = With(Bytes(good.begin(), good.end() - 4), 2, uint32_t(good.size() - 4));
    depth7[14 + 14] = 7;
    const std::pair<const char*, Bytes> cases[] = {
        {"file size beyond the file", With(good, 2, uint32_t(good.size() + 1))},
        {"file size below the headers", With(good, 2, 14 + 39)},
        {"header size beyond the block", With(good, 14, 5000)},
        {"header size too small", With(good, 14, 12)},
        {"zero width", With(good, 18, 0)},
        {"rows beyond the block", With(good, 22, 5)},
        {"colour table beyond the block", With(good, 14 + 32, 300)},
        {"run-length compression", With(good, 14 + 16, 1)},
        {"depth 7", depth7},
        {"only the file header", Bytes(good.begin(), good.begin() + 14)},
        {"short file header", Bytes(good.begin(), good.begin() + 9)},
        {"rows cut", rows_cut},  // the size field agrees, the rows are short
        {"good", good},
    };
    for (auto& [what, file] : cases) {
        ASSERT_TRUE(support::WriteBytes("bad.dat", file));
        void* dib = reinterpret_cast<void*>(1);
        bool ok = std::strcmp(what, "good") == 0;
        EXPECT_EQ(GRP_ReadDat("bad.dat", &dib), int(ok)) << what;
        EXPECT_EQ(dib != nullptr, ok) << what;
        plat::Free(dib);
    }
}
