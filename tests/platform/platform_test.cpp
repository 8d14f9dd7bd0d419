// Platform services: path resolver, atomic writes, surfaces' refusals, messages, random numbers, text.
#include <gtest/gtest.h>

#include <filesystem>

#include "display/blt_frame.h"
#include "display/dd_display.h"
#include "platform/display.h"
#include "platform/files.h"
#include "platform/headless/headless.h"
#include "platform/msgbox.h"
#include "platform/random.h"
#include "platform/window.h"
#include "tests/support/fixture.h"

namespace fs = std::filesystem;

TEST(PathResolver, NamesDifferingInCaseAndSeparatorNameOneFile) {
    support::TempDir dir;
    fs::create_directories("WAV/Voice");
    ASSERT_TRUE(support::WriteBytes("WAV/Voice/x.wav", {1, 2, 3}));
    std::string want = "WAV/Voice/x.wav";
    EXPECT_EQ(plat::ResolvePath("WAV\\Voice\\x.wav"), want);
    EXPECT_EQ(plat::ResolvePath("wav\\voice\\X.WAV"), want);
    EXPECT_EQ(plat::FileSize("wav\\VOICE\\x.Wav"), 3);
    // Absolute names resolve the same way below their existing part.
    std::string abs = dir.path() + "\\wav\\voice\\X.WAV";
    EXPECT_EQ(plat::ResolvePath(abs.c_str()), dir.path() + "/WAV/Voice/x.wav");
    // The game folder, and a path given as it is, keep every byte: only the game's name below the
    // folder is read so.
    const std::string folder = dir.path() + "/a\\b c/";
    fs::create_directories(folder + "WAV/Voice");
    ASSERT_TRUE(support::WriteBytes(folder + "WAV/Voice/x.wav", {1}));
    plat::SetGameFolder(folder.c_str());
    EXPECT_EQ(plat::ResolvePath((folder + "wav\\voice\\X.WAV").c_str()), folder + "WAV/Voice/x.wav");
    plat::SetGameFolder(nullptr);
    ASSERT_TRUE(plat::WriteFileAtomic(plat::GivenPath{folder + "s\\hot.png"}, "ab", 2));
    plat::File given;
    EXPECT_TRUE(given.Open(plat::GivenPath{folder + "s\\hot.png"}, plat::File::Mode::Read) && given.Size() == 2);
}

TEST(PathResolver, ExactMatchWinsAndNewFilesGoIntoTheExistingDirectory) {
    support::TempDir dir;
    fs::create_directories("Save");
    ASSERT_TRUE(support::WriteBytes("Save/a.dat", {1}));
    ASSERT_TRUE(support::WriteBytes("Save/A.DAT", {2, 2}));
    EXPECT_EQ(plat::FileSize("Save\\A.DAT"), 2);
    EXPECT_EQ(plat::FileSize("Save\\a.dat"), 1);
    ASSERT_TRUE(plat::WriteFileAtomic("save\\sys.dat", "abc", 3));
    EXPECT_TRUE(fs::exists("Save/sys.dat"));
    EXPECT_FALSE(fs::exists("save"));
    EXPECT_EQ(plat::FileSize("missing\\dir\\x"), -1);
}

TEST(AtomicWrite, AFailedWriteKeepsTheOldFile) {
    support::TempDir dir;
    ASSERT_TRUE(plat::WriteFileAtomic("keep.dat", "old!", 4));
    headless::Reset({});
    headless::FailCall("WriteFile");
    EXPECT_FALSE(plat::WriteFileAtomic("keep.dat", "new data", 8));
    EXPECT_EQ(support::ReadBytes("keep.dat"), (std::vector<uint8_t>{'o', 'l', 'd', '!'}));
    headless::FailCall("FlushFile");
    EXPECT_FALSE(plat::WriteFileAtomic("keep.dat", "new data", 8));
    EXPECT_EQ(plat::FileSize("keep.dat"), 4);
    // No temporary files are left behind.
    int entries = 0;
    for (auto& e : fs::directory_iterator(".")) entries += e.is_regular_file();
    EXPECT_EQ(entries, 1);
    EXPECT_TRUE(plat::WriteFileAtomic("keep.dat", "new data", 8));
    EXPECT_EQ(plat::FileSize("keep.dat"), 8);
    // A failure after calls that pass: the second write's flush.
    headless::FailCall("FlushFile", 1, 1);
    EXPECT_TRUE(plat::WriteFileAtomic("keep.dat", "12345", 5));
    EXPECT_EQ(headless::FailuresLeft("FlushFile"), 1);
    EXPECT_FALSE(plat::WriteFileAtomic("keep.dat", "123456", 6));
    EXPECT_EQ(headless::FailuresLeft("FlushFile"), 0);
    EXPECT_EQ(plat::FileSize("keep.dat"), 5);
}

TEST(AtomicWrite, AHandleCommitsOnlyOnClose) {
    support::TempDir dir;
    ASSERT_TRUE(plat::WriteFileAtomic("f.bin", "1234", 4));
    {
        plat::File f;
        ASSERT_TRUE(f.Open("F.BIN", plat::File::Mode::CreateAlways));
        EXPECT_EQ(f.Write("ab", 2), 2u);
        EXPECT_EQ(plat::FileSize("f.bin"), 4);  // not replaced yet
        EXPECT_TRUE(f.Close());
    }
    EXPECT_EQ(plat::FileSize("f.bin"), 2);
    {
        plat::File f;
        ASSERT_TRUE(f.Open("f.bin", plat::File::Mode::CreateAlways));
        f.Write("xyz", 3);
        // destroyed without Close: an abandoned write leaves the old file
    }
    EXPECT_EQ(plat::FileSize("f.bin"), 2);
    for (const bool close : {false, true}) {
        plat::File f;
        ASSERT_TRUE(f.Open("f.bin", plat::File::Mode::CreateAlways));
        f.Write("flushed", 7);
        ASSERT_TRUE(f.Flush());  // on the disk, not yet in place
        EXPECT_EQ(plat::FileSize("f.bin"), 2);
        EXPECT_EQ(close && f.Close(), close);
    }
    EXPECT_EQ(plat::FileSize("f.bin"), 7);
}

TEST(Random, FifteenBitGeneratorSequence) {
    plat::Srand(1);
    EXPECT_EQ(plat::Rand(), 41);
    EXPECT_EQ(plat::Rand(), 18467);
    EXPECT_EQ(plat::Rand(), 6334);
    plat::Srand(12345);
    for (int i = 0; i < 10000; ++i) {
        int v = plat::Rand();
        ASSERT_GE(v, 0);
        ASSERT_LE(v, 32767);
    }
}

TEST(Surfaces, RefuseRectanglesOutsideAndBusyOrLostSurfaces) {
    support::HeadlessDisplay d;
    ASSERT_TRUE(d.ok);
    DDSurface* s = support::MakeSurface(8, 8);
    DDSurface* t = support::MakeSurface(8, 8);
    support::SetPixel(t, 0, 0, 0x1111);
    RECT outside{4, 4, 9, 8};
    EXPECT_EQ(s->Blt(&outside, t, nullptr, 0, nullptr), DDERR_INVALIDRECT);
    EXPECT_EQ(s->BltFast(1, 0, t, nullptr, 0), DDERR_INVALIDRECT);
    EXPECT_EQ(support::PixelAt(s, 1, 0), 0);
    DDSURFACEDESC2 desc{};
    desc.dwSize = DDSD_SIZE;
    ASSERT_EQ(s->Lock(nullptr, &desc, 0), DD_OK);
    EXPECT_EQ(s->Lock(nullptr, &desc, 0), DDERR_SURFACEBUSY);
    EXPECT_EQ(s->BltFast(0, 0, t, nullptr, 0), DDERR_SURFACEBUSY);
    EXPECT_EQ(s->Unlock(nullptr), DD_OK);
    EXPECT_EQ(s->Unlock(nullptr), DDERR_NOTLOCKED);
    desc.dwSize = 0;
    EXPECT_EQ(s->GetSurfaceDesc(&desc), DDERR_INVALIDPARAMS);
    EXPECT_EQ(s->BltFast(0, 0, t, nullptr, DDBLTFAST_SRCCOLORKEY), DDERR_NOCOLORKEY);
    t->MarkLost();
    EXPECT_EQ(s->BltFast(0, 0, t, nullptr, 0), DDERR_SURFACELOST);
    DD_ReleaseSurface(s);
    DD_ReleaseSurface(t);
}

TEST(Surfaces, BlitsWithinOneSurfaceReadTheOldPixelsAndClippedGiantsStayDefined) {
    support::HeadlessDisplay d;
    ASSERT_TRUE(d.ok);
    std::vector<uint16_t> px(8 * 4);
    for (size_t i = 0; i < px.size(); ++i) px[i] = static_cast<uint16_t>(i + 1);
    for (bool fast : {false, true}) {
        DDSurface* s = support::MakeSurface(8, 4, px);
        RECT from{0, 0, 6, 3}, to{1, 1, 7, 4};
        ASSERT_EQ(fast ? s->BltFast(1, 1, s, &from, 0) : s->Blt(&to, s, &from, 0, nullptr), DD_OK);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 8; ++x) {
                bool moved = x >= 1 && x < 7 && y >= 1;
                EXPECT_EQ(support::PixelAt(s, x, y), moved ? px[size_t(y - 1) * 8 + x - 1] : px[size_t(y) * 8 + x]);
            }
        DD_ReleaseSurface(s);
    }
    // The windowed primary clips through its clipper, whatever the size of the destination rectangle.
    DDSurface* t = support::MakeSurface(4, 4, std::vector<uint16_t>(16, 0x0F0F));
    RECT giant{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX};
    EXPECT_EQ(DD_DISPLAY.primary->Blt(&giant, t, nullptr, DDBLT_DDFX, nullptr), DD_OK);
    EXPECT_EQ(support::PixelAt(DD_DISPLAY.primary, 639, 479), 0x0F0F);
    DD_ReleaseSurface(t);
}

TEST(Surfaces, PitchMayBeWiderThanTheRowButRowsStayAligned) {
    for (int extra : {3, 6}) {
        headless::Config c;
        c.extra_pitch = extra;
        support::HeadlessDisplay d(c);
        ASSERT_TRUE(d.ok);
        DDSurface* s = support::MakeSurface(5, 3);
        DDSurface* t = support::MakeSurface(5, 3, std::vector<uint16_t>(15, 0x4321));
        EXPECT_GE(s->Pitch(), 5 * 2 + extra);
        EXPECT_EQ(s->Pitch() % 4, 0);
        ASSERT_EQ(s->BltFast(0, 0, t, nullptr, 0), DD_OK);
        EXPECT_EQ(support::PixelAt(s, 4, 2), 0x4321);
        DD_ReleaseSurface(s);
        DD_ReleaseSurface(t);
    }
}

TEST(Messages, CloseDestroysTheWindowThroughTheDefaultProcedure) {
    headless::Reset({});
    static int destroyed = 0;
    destroyed = 0;
    auto proc = [](plat::Window* w, uint32_t m, uintptr_t wp, intptr_t lp) -> intptr_t {
        if (m == plat::WM_DESTROY) {
            ++destroyed;
            plat::PostQuitMessage(0);
            return 0;
        }
        return plat::DefWindowProc(w, m, wp, lp);
    };
    plat::Window* w = plat::CreateMainWindow("t", 640, 480, proc);
    ASSERT_NE(w, nullptr);
    headless::PostWindowEvent(plat::WM_ACTIVATEAPP, 0);
    headless::PostWindowEvent(plat::WM_CLOSE);
    plat::Msg msg;
    std::vector<uint32_t> seen;
    while (plat::PeekMessage(&msg)) {
        seen.push_back(msg.message);
        if (msg.message == plat::WM_QUIT) break;
        plat::DispatchMessage(msg);
    }
    EXPECT_EQ(seen, (std::vector<uint32_t>{plat::WM_ACTIVATEAPP, plat::WM_CLOSE, plat::WM_QUIT}));
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(plat::MainWindow(), nullptr);
}

TEST(Messages, ScriptedBoxAnswersInOrderThenOk) {
    headless::Reset({});
    headless::PushMessageBoxAnswer(plat::IDCANCEL);
    EXPECT_EQ(plat::MessageBox("a", "b", plat::MB_OKCANCEL), plat::IDCANCEL);
    EXPECT_EQ(plat::MessageBox("a", "b", plat::MB_OK), plat::IDOK);
    EXPECT_EQ(headless::ShownMessageBoxes().size(), 2u);
}

TEST(Png, WritesAFrameThatReadsBack) {
    support::TempDir dir;
    plat::Frame f;
    f.width = 3;
    f.height = 2;
    f.pixels = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0, 0x123456};
    ASSERT_TRUE(plat::WritePng("shot.png", f));
    std::vector<uint8_t> b = support::ReadBytes("shot.png");
    ASSERT_GT(b.size(), 33u);
    EXPECT_EQ(b[1], 'P');
    EXPECT_EQ(b[19], 3);  // width, big-endian
    EXPECT_EQ(b[23], 2);  // height
    EXPECT_FALSE(plat::WritePng("empty.png", plat::Frame{}));
}

TEST(Convert16To32, WidensBothLayoutsKeepingWhiteWhite) {
    uint16_t px[4] = {0xFFFF, 0xF800, 0x07E0, 0x0821};
    uint32_t out[4];
    plat::Convert16To32(px, out, 4, true);
    EXPECT_EQ(out[0], 0xFFFFFFu);
    EXPECT_EQ(out[1], 0xFF0000u);
    EXPECT_EQ(out[2], 0x00FF00u);
    EXPECT_EQ(out[3], 0x080408u);
    uint16_t p5[3] = {0x7FFF, 0x7C00, 0x03E0};
    plat::Convert16To32(p5, out, 3, false);
    EXPECT_EQ(out[0], 0xFFFFFFu);
    EXPECT_EQ(out[1], 0xFF0000u);
    EXPECT_EQ(out[2], 0x00FF00u);
}

TEST(Surfaces, ColourKeyIsComparedAtThePixelWidthOnEveryPath) {
    support::HeadlessDisplay d;
    ASSERT_TRUE(d.ok);
    DDSurface* src = support::MakeSurface(4, 1, {0, 5, 0, 6});
    DDSurface* dst = support::MakeSurface(8, 2);
    DDCOLORKEY k{0x10000, 0x10000};  // bits above 16 are not part of a 16-bit pixel
    src->SetColorKey(DDCKEY_SRCBLT, &k);
    DDBLTFX fx{};
    fx.dwSize = 100;
    fx.dwDDFX = DDBLTFX_MIRRORLEFTRIGHT;
    RECT plain{0, 0, 4, 1}, mirrored{4, 0, 8, 1}, stretched{0, 1, 8, 2};
    BLT_FillRect(dst, nullptr, 9);
    EXPECT_EQ(dst->Blt(&plain, src, nullptr, DDBLT_KEYSRC, nullptr), DD_OK);
    EXPECT_EQ(dst->Blt(&mirrored, src, nullptr, DDBLT_KEYSRC | DDBLT_DDFX, &fx), DD_OK);
    EXPECT_EQ(dst->Blt(&stretched, src, nullptr, DDBLT_KEYSRC, nullptr), DD_OK);
    EXPECT_EQ(support::ReadSurface(dst),
              (std::vector<uint16_t>{9, 5, 9, 6, 6, 9, 5, 9, 9, 9, 5, 5, 9, 9, 6, 6}));
    DD_ReleaseSurface(src);
    DD_ReleaseSurface(dst);
}
