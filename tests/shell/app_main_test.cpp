// Start-up and shutdown: the screen mode from the settings file, the settings read twice, one copy
// per user, the registry stored before the settings file.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>

#include "platform/clock.h"
#include "platform/input.h"
#include "platform/instance.h"
#include "platform/platform.h"
#include "platform/registry.h"
#include "tests/shell/app_fixture.h"
#include "tests/shell/sysdat_expect.h"

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
    StartWindowed([] { headless::SetKey(0x7B, true); });
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

// The file a first start leaves, byte by byte: the defaults at their offsets, the key maps, and
// zero in the read flags, pins, unlocks, the pad map's direction entries and every reserved byte.
TEST_F(StartTest, AFreshStartWritesEveryDefaultAtItsOffset) {
    Start();
    Finish();
    const std::vector<uint8_t> file = support::ReadBytes(dir.File("save/sys.dat"));
    ASSERT_EQ(file.size(), size_t(SYSDAT_SIZE));
    std::vector<uint8_t> want(SYSDAT_SIZE, 0);
    const std::pair<int, uint8_t> bytes[] = {
        {1013, 1}, {1014, 2},  {1015, 2}, {1356, 2}, {1359, 2},   {1360, 2},   {1365, 1},   {1367, 1},   {1374, 1},   {1375, 50},
        {1376, 1}, {1378, 1},  {1380, 1}, {1383, 100}, {1384, 100}, {1385, 100}, {1386, 100}, {1387, 1}, {1388, 1}, {1409, 1},
    };
    for (const auto& [offset, value] : bytes) want[size_t(offset)] = value;
    for (int set = 0; set < SYSDAT_COLOR_SETS; ++set) {
        const auto c = sysdattest::ColourSet(set);
        std::copy(c.begin(), c.end(), want.begin() + 1022 + 9 * set);
    }
    std::fill(want.begin() + 1389, want.begin() + 1409, 1);  // a voice switch per speaker
    const uint16_t keys[20] = {80, 79, 75, 71, 72, 73, 77, 81, 44, 45, 46, 76, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF};
    const uint16_t pad[20] = {0, 0, 0, 0, 0, 0, 0, 0, 0x10, 0x20, 0x40, 0, 0, 0, 0x80, 0, 0, 0, 0, 0};
    for (int i = 0; i < 20; ++i) {
        want[size_t(1410 + 2 * i)] = uint8_t(keys[i]), want[size_t(1411 + 2 * i)] = uint8_t(keys[i] >> 8);
        want[size_t(1450 + 2 * i)] = uint8_t(pad[i]), want[size_t(1451 + 2 * i)] = uint8_t(pad[i] >> 8);
    }
    std::string wrong;
    for (size_t i = 0; i < want.size(); ++i)
        if (file[i] != want[i]) wrong += " " + std::to_string(i) + ":" + std::to_string(file[i]) + "!=" + std::to_string(want[i]);
    EXPECT_EQ(wrong, "");
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

// The platform sees the modules start and end in their order: the window, its display, shown;
// then sound before input. At the end sound, input and the display are released, in that order.
TEST_F(StartTest, ModulesStartAndEndInTheirOrder) {
    // The first place of each name at or after the place of the one before it; -1 when missing.
    auto places = [](const std::vector<std::string>& names) {
        const auto& log = headless::CallLog();
        std::vector<int> out;
        size_t from = 0;
        for (const std::string& name : names) {
            const auto it = std::find(log.begin() + long(from), log.end(), name);
            out.push_back(it == log.end() ? -1 : int(it - log.begin()));
            if (it != log.end()) from = size_t(it - log.begin());
        }
        return out;
    };
    auto dump = [] {
        std::string all;
        for (const std::string& c : headless::CallLog()) all += c + " ";
        return all;
    };
    StartWindowed();
    for (int p : places({"CreateWindow", "DirectDrawCreate", "ShowWindow", "UpdateWindow", "DirectSoundCreate", "DirectInputCreate"}))
        EXPECT_GE(p, 0) << dump();
    headless::ClearCallLog();
    Finish();
    for (int p : places({"DestroyWindow", "DSObject.Release", "DIObject.Release", "DDObject.Release"})) EXPECT_GE(p, 0) << dump();
}

namespace loop {
std::vector<uint32_t> ticks;  // update tick stamps, as the clock moves on between passes
int moves = 0;
uint32_t end_at = 0;
void OnClockMoved() {
    ++moves;
    if (ticks.empty() || ticks.back() != APP_UpdateTime) ticks.push_back(APP_UpdateTime);
    if (plat::TimeMs() >= end_at) plat::RequestEnd();
}
}  // namespace loop

// The entry's own loop on the virtual clock: with nothing to do it waits (at most a frame interval
// at a time) for the next due tick, so the clock moves at most twice per tick and the ticks fall
// 34 ms apart, as the frame step's tests put them.
TEST_F(StartTest, TheLoopWaitsForTheNextTickWithoutMissingIt) {
    config.clock = headless::Config::Clock::Virtual;
    headless::Reset(config);
    FIL_InitBaseDir();
    loop::ticks.clear();
    loop::moves = 0;
    loop::end_at = config.start_time + 1000;
    plat::detail::AddClockListener(loop::OnClockMoved);
    EXPECT_EQ(WinMain(), 0);
    plat::detail::RemoveClockListener(loop::OnClockMoved);
    ASSERT_GE(loop::ticks.size(), 25u);
    for (size_t i = 2; i < loop::ticks.size(); ++i) EXPECT_EQ(loop::ticks[i] - loop::ticks[i - 1], 34u) << i;
    EXPECT_LE(loop::moves, 2 * int(loop::ticks.size()) + 3);
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
