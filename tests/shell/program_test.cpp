// The real program, headless, driven by an input script: it starts into the title, F4 switches the
// screen mode, the close button asks the quit question, Yes shows the end picture and the program
// ends with 0 after writing the settings file and the registry. A second copy ends at once.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/registry.h"
#include "shell/sysdat.h"
#include "tests/support/fixture.h"
#include "tests/support/golden.h"
#include "tests/support/grp_writer.h"

#ifndef ORV_PROGRAM
#error "ORV_PROGRAM names the game's executable"
#endif

namespace {

class ProgramTest : public ::testing::Test {
protected:
    support::TempDir dir;
    support::ConfigHome home;

    void SetUp() override {
        std::filesystem::create_directories(dir.File("bmp/quon"));
        // A red end picture over a green strip.
        support::GrpPicture end = support::MakeGrp(16, 640, 512);
        for (uint32_t y = 0; y < 512; ++y)
            for (uint32_t x = 0; x < 640; ++x) support::Set555(end, x, y, y < 480 ? 0x7C00 : 0x03E0);
        ASSERT_TRUE(support::WriteGrp(dir.File("bmp/quon/end.grp"), end, true));
    }
    // A settings file that ends with the window mode: everything after it keeps its default.
    void Settings(uint8_t window_mode) {
        std::vector<uint8_t> bytes(1013, 0);
        bytes[1012] = window_mode;
        std::filesystem::create_directories(dir.File("save"));
        ASSERT_TRUE(support::WriteBytes(dir.File("save/sys.dat"), bytes));
    }
    // Runs the program with the script (and a screenshot at its end); its exit code.
    int Run(const std::string& script, bool screenshot = true) {
        const std::vector<uint8_t> text(script.begin(), script.end());
        EXPECT_TRUE(support::WriteBytes(dir.File("input.txt"), text));
        const std::string cmd = std::string("ORV_PLATFORM=headless ORV_DEBUG=1 ORV_INPUT=input.txt ") +
                                (screenshot ? "ORV_SCREENSHOT=shot.png " : "") + "'" ORV_PROGRAM "' > out.txt 2>&1";
        const int status = std::system(cmd.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::string Output() {
        const std::vector<uint8_t> b = support::ReadBytes(dir.File("out.txt"));
        return std::string(b.begin(), b.end());
    }
    // The stored value of the registry file, or -1.
    int64_t RegistryDword(const char* name) {
        const std::vector<uint8_t> b = support::ReadBytes(home.File("registry"));
        const plat::detail::RegStore store = plat::detail::ParseRegistry(std::string(b.begin(), b.end()));
        for (const auto& [id, e] : store)
            if (e.name == name && e.value.data.size() == 4)
                return int64_t(e.value.data[0] | e.value.data[1] << 8 | e.value.data[2] << 16 | uint32_t(e.value.data[3]) << 24);
        return -1;
    }
    bool RegistryHas(const char* name) {
        const std::vector<uint8_t> b = support::ReadBytes(home.File("registry"));
        const std::string text(b.begin(), b.end());
        return text.find(std::string("\n") + name + "=") != std::string::npos;
    }
};

TEST_F(ProgramTest, CloseAndYesEndWithTheEndPictureAndTheSettingsWritten) {
    Settings(1);
    const std::string script =
        "5 tap F4\n"       // to full screen
        "10 tap F4\n"      // back to a window
        "15 close\n"
        "17 mouse 250 240\n"
        "19 click left\n";
    ASSERT_EQ(Run(script), 0) << Output();
    const std::vector<uint8_t> sys = support::ReadBytes(dir.File("save/sys.dat"));
    ASSERT_EQ(sys.size(), size_t(SYSDAT_SIZE));
    EXPECT_EQ(sys[1012], 1);   // windowed again
    EXPECT_EQ(sys[1013], 1);   // the defaults past the short file went in
    EXPECT_EQ(sys[1410], 80);  // and the key map
    EXPECT_EQ(RegistryDword("WndMode"), 1);
    EXPECT_TRUE(RegistryHas("WndRect"));
    EXPECT_NE(Output().find(" ( \xe7\xb5\x82\xe4\xba\x86 ) "), std::string::npos) << Output();  // ( 終了 )
    // The last frame is the end picture over its strip.
    int w = 0, h = 0;
    std::vector<uint32_t> px;
    ASSERT_TRUE(support::ReadPng(dir.File("shot.png"), &w, &h, &px));
    ASSERT_EQ(w, 640);
    // The picture blends at level 30 of 32 every frame over the last: it settles near its own
    // colour; the strip, blended over it, keeps about a sixteenth of the picture's red.
    const uint32_t picture = px[size_t(100) * 640 + 320];
    EXPECT_GT(picture >> 16, 0xE0u) << std::hex << picture;
    EXPECT_LT(picture & 0xFFFF, 0x2020u) << std::hex << picture;
    const uint32_t strip = px[size_t(470) * 640 + 320];
    EXPECT_GT((strip >> 8) & 0xFF, 0xE0u) << std::hex << strip;
    EXPECT_LT(strip >> 16, 0x20u) << std::hex << strip;
}

// The settings ask for a window: one F4 leaves full screen stored for the next start; the
// Non-convert key held when the program starts (frame 0) forces full screen for this run only,
// and held from a later frame on it does nothing. F4 held at the start switches nothing.
TEST_F(ProgramTest, F4AndNonConvertHeldAtStartGiveFullScreen) {
    const struct {
        const char* script;  // before the close of frame 8, answered Yes
        int stored;          // the settings' window mode at the end
        int64_t wnd_mode;    // the registry's: 0 full screen
        bool wnd_rect;       // the window's place, kept when it left a window
    } rows[] = {
        {"5 tap F4\n", 0, 0, true},
        {"0 key NOCONVERT down\n3 key NOCONVERT up\n", 1, 0, false},
        {"1 key NOCONVERT down\n3 key NOCONVERT up\n", 1, 1, true},
        {"0 key F4 down\n3 key F4 up\n", 1, 1, true},  // held since before the window: never pressed there
    };
    for (const auto& row : rows) {
        Settings(1);
        std::filesystem::remove(home.File("registry"));
        ASSERT_EQ(Run(std::string(row.script) + "8 close\n10 mouse 250 240\n12 click left\n"), 0) << Output();
        EXPECT_EQ(support::ReadBytes(dir.File("save/sys.dat"))[1012], row.stored) << row.script;
        EXPECT_EQ(RegistryDword("WndMode"), row.wnd_mode) << row.script;
        EXPECT_EQ(RegistryHas("WndRect"), row.wnd_rect) << row.script;
    }
}

TEST_F(ProgramTest, ASecondCopyEndsAtOnceAndLeavesTheFirstAlone) {
    std::filesystem::create_directories(home.path() + "/orvant");
    const int fd = ::open(home.File("ORVANTE.lock").c_str(), O_RDWR | O_CREAT, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
    // With a screenshot asked for too: the copy presents no frame, so it writes no picture.
    for (const bool screenshot : {false, true}) {
        EXPECT_EQ(Run("1 close\n", screenshot), 0) << screenshot;
        EXPECT_EQ(Output(), "") << screenshot;
        EXPECT_FALSE(std::filesystem::exists(dir.File("shot.png")));
        EXPECT_FALSE(std::filesystem::exists(dir.File("save/sys.dat")));
        EXPECT_FALSE(std::filesystem::exists(home.File("registry")));
    }
    ::close(fd);
}

}  // namespace
