// Files, base directory and path join, debug lines, frame rate and rectangle helpers.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>

#include "platform/headless/headless.h"
#include "platform/memory.h"
#include "services/fil_util.h"
#include "tests/support/fixture.h"

namespace fs = std::filesystem;

TEST(BaseDir, EndsInOneSeparatorAndJoinsRelativeNames) {
    support::TempDir dir;
    ASSERT_EQ(FIL_InitBaseDir(), 1);
    EXPECT_EQ(std::string(FIL_BaseDir), dir.path() + "/");
    EXPECT_EQ(std::string(FIL_MakePath("save\\%s.dat", "sys")), dir.path() + "/save\\sys.dat");
    // A name with a drive letter comes back unchanged.
    EXPECT_STREQ(FIL_MakePath("E:\\x.bmp"), "E:\\x.bmp");
    // The root directory gets no second separator.
    fs::current_path("/");
    FIL_InitBaseDir();
    EXPECT_STREQ(FIL_BaseDir, "/");
    fs::current_path(dir.path());
    FIL_InitBaseDir();
}

TEST(MakePath, ConsecutiveCallsShareOneBufferAndLongNamesAreRefused) {
    support::TempDir dir;
    FIL_InitBaseDir();
    const char* a = FIL_MakePath("a");
    const char* b = FIL_MakePath("b");
    EXPECT_EQ(a, b);
    EXPECT_EQ(std::string(a), dir.path() + "/b");
    std::string near(FIL_PATH_MAX - 1 - std::strlen(FIL_BaseDir) + 1, 'y');  // one byte too long once joined
    EXPECT_STREQ(FIL_MakePath("%s", near.c_str()), "");
    EXPECT_EQ(FIL_GetSize(""), -1);
}

// A name that is already whole (from the root, or with a drive letter) is not joined again, even
// when it is the join's own earlier result passed back in.
TEST(MakePath, WholeNamesComeBackAsTheyAre) {
    support::TempDir dir;
    FIL_InitBaseDir();
    const std::string joined = dir.path() + "/save\\ov01.dat";
    EXPECT_EQ(std::string(FIL_MakePath("%s", FIL_MakePath("save\\ov%02d.dat", 1))), joined);
    EXPECT_EQ(std::string(FIL_MakePath("%s", FIL_MakePath("%s", FIL_MakePath("save\\ov01.dat")))), joined);
    EXPECT_STREQ(FIL_MakePath("/tmp/x.bmp"), "/tmp/x.bmp");
    EXPECT_STREQ(FIL_MakePath("%s", FIL_MakePath("E:\\x.bmp")), "E:\\x.bmp");
    EXPECT_EQ(std::string(FIL_MakePath("\\x.bmp")), dir.path() + "/\\x.bmp");  // a backslash is joined
}

// Names around the path buffers' 260 characters: joined or split when they fit, refused (empty
// name, nothing allocated) when they do not.
TEST(MakePath, NamesAtTheBufferLimits) {
    support::TempDir dir;
    FIL_InitBaseDir();
    for (size_t len : {255u, 256u, 259u, 260u, 1000u}) {
        const std::string abs = "/" + std::string(len - 1, 'n');
        EXPECT_EQ(std::string(FIL_MakePath("%s", abs.c_str())), len < FIL_PATH_MAX ? abs : "") << len;
        const std::string dotted = std::string(len - 4, 'e') + ".ext";
        char* ext = nullptr;
        EXPECT_EQ(FIL_GetExt(dotted.c_str(), &ext), 3) << len;
        EXPECT_STREQ(ext, "ext");
        plat::Free(ext);
    }
}

TEST(GetExt, SplitsAtTheLastDotAfterTheFirstCharacter) {
    char* ext = nullptr;
    EXPECT_EQ(FIL_GetExt("a.b.grp", &ext), 3);
    EXPECT_STREQ(ext, "grp");
    plat::Free(ext);
    ext = nullptr;
    EXPECT_EQ(FIL_GetExt(".grp", &ext), 0);
    EXPECT_EQ(FIL_GetExt("name", &ext), 0);
    EXPECT_EQ(FIL_GetExt("name.", &ext), 0);
    EXPECT_EQ(ext, nullptr);
    EXPECT_EQ(FIL_GetExt("dir.x\\name", &ext), 6);
    EXPECT_STREQ(ext, "x\\name");
    plat::Free(ext);
}

TEST(Files, ReadWriteAndSizes) {
    support::TempDir dir;
    FIL_InitBaseDir();
    EXPECT_EQ(FIL_GetSize(FIL_MakePath("none.bin")), -1);
    EXPECT_EQ(FIL_LoadFile(FIL_MakePath("none.bin")), nullptr);
    EXPECT_EQ(FIL_WriteFile(FIL_MakePath("zero.bin"), "x", 0), 0);
    EXPECT_FALSE(fs::exists("zero.bin"));
    ASSERT_EQ(FIL_SaveFile(FIL_MakePath("DATA.BIN"), "hello", 5), 1);
    EXPECT_EQ(FIL_GetSize(FIL_MakePath("data.bin")), 5);
    char* block = static_cast<char*>(FIL_LoadFile(FIL_MakePath("Data.Bin")));
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(std::string(block, 5), "hello");
    FIL_FreeBlock(block);
    char* part = static_cast<char*>(FIL_ReadPart(FIL_MakePath("data.bin"), 1, 3));
    ASSERT_NE(part, nullptr);
    EXPECT_EQ(std::string(part, 3), "ell");
    FIL_FreeBlock(part);
    // A stretch past the end leaves zeros, never foreign bytes.
    part = static_cast<char*>(FIL_ReadPart(FIL_MakePath("data.bin"), 3, 6));
    ASSERT_NE(part, nullptr);
    EXPECT_EQ(std::string(part, 6), std::string("lo\0\0\0\0", 6));
    FIL_FreeBlock(part);
    FIL_DeleteFile(FIL_MakePath("data.bin"));
    EXPECT_EQ(FIL_GetSize(FIL_MakePath("data.bin")), -1);
}

TEST(Files, CreateWriteRefusesADirectory) {
    support::TempDir dir;
    FIL_InitBaseDir();
    fs::create_directory("save");
    EXPECT_EQ(FIL_CreateWrite(FIL_MakePath("SAVE")), nullptr);
    EXPECT_EQ(FIL_WriteFile(FIL_MakePath("save"), "x", 1), 0);
    EXPECT_TRUE(fs::is_directory("save"));
}

TEST(Files, WritersReportFailureAndKeepTheOldFile) {
    support::TempDir dir;
    FIL_InitBaseDir();
    ASSERT_EQ(FIL_WriteFile(FIL_MakePath("keep.dat"), "12345678", 8), 1);
    headless::Reset({});
    headless::FailCall("WriteFile");
    EXPECT_EQ(FIL_SaveFile(FIL_MakePath("keep.dat"), "abc", 3), 0);
    headless::FailCall("WriteFile");
    EXPECT_EQ(FIL_WriteFile(FIL_MakePath("keep.dat"), "abc", 3), 0);
    EXPECT_EQ(FIL_GetSize(FIL_MakePath("keep.dat")), 8);
    EXPECT_EQ(FIL_SaveFile(FIL_MakePath("nodir\\x.dat"), "abc", 3), 0);
    FIL_HANDLE h = FIL_CreateWrite(FIL_MakePath("h.dat"));
    ASSERT_NE(h, nullptr);
    uint32_t written = 0;
    EXPECT_EQ(FIL_Write(h, "abcd", 4, &written), 1);
    EXPECT_EQ(written, 4u);
    EXPECT_EQ(FIL_Close(h), 1);
    EXPECT_EQ(FIL_GetSize(FIL_MakePath("h.dat")), 4);
    EXPECT_EQ(FIL_CreateWrite(FIL_MakePath("nodir\\h.dat")), nullptr);
}

TEST(DebugPrint, EndsLinesAndBoundsLongText) {
    headless::Reset({});
    SYS_DebugPrint("%s:Open error %d", "x.grp", 2);
    ASSERT_EQ(headless::DebugOutput().size(), 2u);
    EXPECT_EQ(headless::DebugOutput()[0], "x.grp:Open error 2");
    EXPECT_EQ(headless::DebugOutput()[1], "\r\n");
    std::string huge(5000, 'z');
    SYS_DebugPrint("%s", huge.c_str());
    EXPECT_EQ(headless::DebugOutput()[2].size(), 1023u);
    SYS_DebugPrintNoCrlf("a");
    EXPECT_EQ(headless::DebugOutput().back(), "a");
    EXPECT_EQ(SYS_DebugLog("no voice %d   in database", 3), 0);
}

TEST(Fps, ZeroUntilASecondHasPassedThenCountOverElapsed) {
    headless::Reset({});
    SYS_ResetFps();
    headless::SetTime(5000);
    EXPECT_EQ(SYS_GetFps(), 0);
    for (int i = 0; i < 29; ++i) {
        headless::AdvanceTime(33);
        EXPECT_EQ(SYS_GetFps(), 0);
    }
    headless::AdvanceTime(100);  // 1057 ms after the first call, 31 calls
    EXPECT_EQ(SYS_GetFps(), 31 * 1000 / 1057);
    headless::AdvanceTime(500);
    EXPECT_EQ(SYS_GetFps(), 31 * 1000 / 1057);
}

TEST(Rects, ExclusiveIntersectionInclusivePointAndOverlap) {
    RECT a{0, 0, 10, 10}, b{10, 0, 20, 10}, out{1, 2, 3, 4};
    EXPECT_EQ(SYS_IntersectRect(&out, &a, &b), 0);
    EXPECT_EQ(out.left, 1);  // untouched
    RECT c{5, 5, 15, 15};
    EXPECT_EQ(SYS_IntersectRect(&out, &a, &c), 1);
    EXPECT_EQ(out.left, 5);
    EXPECT_EQ(out.right, 10);
    EXPECT_EQ(SYS_PtInRect(0, 0, 10, 10, 10, 10), 1);
    EXPECT_EQ(SYS_PtInRect(0, 0, 10, 10, 11, 10), 0);
    EXPECT_EQ(SYS_RectOverlap(0, 0, 10, 10, 10, 10, 20, 20), 1);
    EXPECT_EQ(SYS_RectOverlap(0, 0, 10, 10, 11, 0, 20, 20), 0);
    RECT r;
    SYS_SetRectWH(&r, 3, 4, 5, 6);
    SYS_OffsetRect(&r, 1, -1);
    EXPECT_EQ(r.left, 4);
    EXPECT_EQ(r.top, 3);
    EXPECT_EQ(r.right, 9);
    EXPECT_EQ(r.bottom, 9);
    // Edges at the ends of the 32-bit range wrap instead of overflowing, and a wide intersection is
    // still measured right.
    SYS_SetRectWH(&r, INT32_MAX, 0, 1, 1);
    EXPECT_EQ(r.right, INT32_MIN);
    RECT all{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}, wide{-2000000000, 0, 2000000000, 1};
    EXPECT_EQ(SYS_IntersectRect(&out, &all, &wide), 1);
    EXPECT_EQ(out.right, 2000000000);
}

TEST(Packing, DigitsAndPackedValues) {
    EXPECT_EQ(SYS_GetDigits(-120), 4);
    EXPECT_EQ(SYS_GetDigits(0), 1);
    EXPECT_EQ(SYS_GetDigits(-2147483647 - 1), 11);
    uint32_t v;
    EXPECT_EQ(*SYS_SetRGBA(&v, 1, 2, 3, 4), 0x04030201u);
    EXPECT_EQ(SYS_MakeLong(&v, 0xBEEF, 0xDEAD), 0xDEADBEEFu);
}
