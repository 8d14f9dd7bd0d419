// Start-up and shutdown: the screen mode from the settings file, the settings read twice, one copy
// per user, the registry stored before the settings file.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>

#include "platform/input.h"
#include "platform/instance.h"
#include "platform/registry.h"
#include "tests/shell/app_fixture.h"

namespace {
using apptest::GameTest;

class StartTest : public GameTest {};

TEST_F(StartTest, WithoutASettingsFileTheGameStartsInFullScreen) {
    Start();
    EXPECT_EQ(DD_DISPLAY.full_screen, 1);
    EXPECT_TRUE(plat::IsWindowFullscreen(APP_Window));
    EXPECT_EQ(APP_Active, 1);
    // The defaults hold where no file replaced them.
    EXPECT_EQ(SYS_DATA.difficulty, 1);
    EXPECT_EQ(SYS_DATA.KEY_MAP[0], 80);
    EXPECT_EQ(APP_FrameInterval, 33u);
}

TEST_F(StartTest, AnyNonZeroWindowModeStartsWindowed) {
    for (uint8_t mode : {1, 0x80, 0xFF}) {
        SysDat([&](SysData& d) { d.window_mode = mode; });
        Start();
        EXPECT_EQ(DD_DISPLAY.full_screen, 0) << int(mode);
        EXPECT_FALSE(plat::IsWindowFullscreen(APP_Window));
        Finish();
    }
}

TEST_F(StartTest, HoldingNonConvertForcesFullScreen) {
    SysDat([](SysData& d) { d.window_mode = 1; });
    Start([] { headless::SetKey(0x7B, true); });
    EXPECT_EQ(DD_DISPLAY.full_screen, 1);
    EXPECT_EQ(SYS_DATA.window_mode, 1);  // the stored choice stays
}

TEST_F(StartTest, StoredSettingsWinOverTheDefaultsAndAShortFileKeepsThem) {
    SysDat([](SysData& d) {
        d.difficulty = 0;
        d.auto_wait = 7;
        d.KEY_MAP[8] = 0x39;
    });
    Start();
    EXPECT_EQ(SYS_DATA.difficulty, 0);
    EXPECT_EQ(SYS_DATA.auto_wait, 7);
    EXPECT_EQ(SYS_DATA.KEY_MAP[8], 0x39);
    Finish();
    ASSERT_TRUE(support::WriteBytes(dir.File("save/sys.dat"), {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
    std::memset(&SYS_DATA, 0, sizeof SYS_DATA);
    Start();
    EXPECT_EQ(SYS_DATA.read_flags[0], 0xFFFFFFFFu);
    EXPECT_EQ(SYS_DATA.read_flags[2], 0xFFFFu);  // bytes 8 and 9
    EXPECT_EQ(SYS_DATA.read_flags[3], 0u);
    EXPECT_EQ(SYS_DATA.difficulty, 1);
    EXPECT_EQ(SYS_DATA.auto_wait, 50);
}

TEST_F(StartTest, ASecondCopyEndsAtOnceWithZero) {
    headless::Reset(config);
    std::filesystem::create_directories(plat::ConfigDir());
    const int fd = ::open((plat::ConfigDir() + "/ORVANTE.lock").c_str(), O_RDWR | O_CREAT, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);  // the first copy
    headless::ClearCallLog();
    EXPECT_EQ(WinMain(), 0);
    const auto& log = headless::CallLog();
    EXPECT_EQ(std::count(log.begin(), log.end(), "CreateWindow"), 0);
    EXPECT_TRUE(headless::ShownMessageBoxes().empty());
    ::close(fd);
}

TEST_F(StartTest, TheRegistryIsStoredAtTheWindowsEndAndTheSettingsAfterIt) {
    SysDat([](SysData& d) { d.window_mode = 1; });
    const std::vector<uint8_t> before = support::ReadBytes(dir.File("save/sys.dat"));
    Start();
    SYS_DATA.difficulty = 2;
    plat::DestroyWindow(APP_Window);
    uint32_t mode = 9, size = 4;
    ASSERT_TRUE(plat::RegQueryValue("Software\\VORN\\ORV_DEMO\\Main", "WndMode", nullptr, &mode, &size));
    EXPECT_EQ(mode, 1u);
    size = 16;
    EXPECT_TRUE(plat::RegQueryValue("Software\\VORN\\ORV_DEMO\\Main", "WndRect", nullptr, nullptr, &size));
    EXPECT_EQ(support::ReadBytes(dir.File("save/sys.dat")), before);  // not yet
    EXPECT_TRUE(Pump());
    APP_GameTerm();
    started = false;
    const std::vector<uint8_t> after = support::ReadBytes(dir.File("save/sys.dat"));
    ASSERT_EQ(after.size(), size_t(SYSDAT_SIZE));
    EXPECT_EQ(after[1013], 2);
}

TEST_F(StartTest, AWindowThatCannotBeMadeEndsTheStartWithZero) {
    headless::Reset(config);
    APP_WndReset();
    headless::FailCall("CreateWindow");
    EXPECT_EQ(APP_CreateWindow(), 0);
    EXPECT_EQ(APP_Window, nullptr);
}

TEST_F(StartTest, ADisplayThatCannotBeMadeEndsTheStartWithZero) {
    Start();
    Finish();
    headless::Reset(config);
    APP_WndReset();
    headless::FailCall("DirectDrawCreate");
    EXPECT_EQ(APP_CreateWindow(), 0);
    EXPECT_EQ(APP_Window, nullptr);
    EXPECT_EQ(plat::MainWindow(), nullptr);
}

}  // namespace
