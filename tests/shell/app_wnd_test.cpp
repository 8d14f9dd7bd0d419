// The window procedure: F4 and its refusals, the window's placement from the registry, the quit
// question, activation and pause, the typed key sequence, the registry helpers.
#include <tuple>

#include "platform/registry.h"
#include "script/adv_script.h"
#include "shell/bar_notice.h"
#include "services/sound/snd_device.h"
#include "services/sound/snd_game.h"
#include "sprite/img_table.h"
#include "tests/support/sound_writer.h"
#include "tests/shell/app_fixture.h"
#include "title/title.h"

namespace {
using apptest::GameTest;

constexpr const char* kKey = "Software\\VORN\\ORV_DEMO\\Main";

class WndTest : public GameTest {
protected:
    void F4() {
        plat::PostMessage(APP_Window, plat::WM_KEYDOWN, 0x73, 0);
        Pump();
    }
    RECT WindowRect() {
        RECT r{};
        plat::GetWindowRect(APP_Window, &r);
        return r;
    }
    static void StoreRect(int32_t l, int32_t t, int32_t r, int32_t b) {
        const int32_t v[4] = {l, t, r, b};
        ASSERT_TRUE(plat::RegSetValue(kKey, "WndRect", plat::REG_BINARY, v, sizeof v));
    }
    uint32_t Dword(const char* name) {
        uint32_t v = 0xDEAD, size = 4;
        return plat::RegQueryValue(kKey, name, nullptr, &v, &size) ? v : 0xDEAD;
    }
};

TEST_F(WndTest, F4SwitchesTheScreenModeAndTheStoredChoice) {
    config.screen_width = 1024;
    config.screen_height = 768;
    StartWindowed([] { StoreRect(100, 50, 750, 550); });
    const RECT placed = WindowRect();
    F4();
    EXPECT_EQ(DD_DISPLAY.full_screen, 1);
    EXPECT_TRUE(plat::IsWindowFullscreen(APP_Window));
    EXPECT_EQ(SYS_DATA.window_mode, 0);
    uint32_t size = 16;
    EXPECT_TRUE(plat::RegQueryValue(kKey, "WndRect", nullptr, nullptr, &size));  // the window's place kept
    F4();
    EXPECT_EQ(DD_DISPLAY.full_screen, 0);
    EXPECT_EQ(SYS_DATA.window_mode, 1);
    // The window's place after F4 twice: where it was.
    const RECT back = WindowRect();
    EXPECT_EQ(std::tuple(back.left, back.top, back.right, back.bottom),
              std::tuple(placed.left, placed.top, placed.right, placed.bottom));
    // The pictures survive both switches.
    Pass(34);
    Pass(34);
    EXPECT_NE(IMG_Surface(APP_ScreenCopy), nullptr);
}

TEST_F(WndTest, AHeldF4SwitchesOncePerPress) {
    StartWindowed();
    const int32_t want[] = {1, 0, 1};  // full screen after each press
    for (int32_t full : want) {
        for (int i = 0; i < 6; ++i) headless::PressKey(0x3E, true);  // a press and its repeats
        headless::PressKey(0x3E, false);
        Pump();
        EXPECT_EQ(DD_DISPLAY.full_screen, full);
        EXPECT_EQ(SYS_DATA.window_mode, full ? 0 : 1);
    }
}

TEST_F(WndTest, F4IsRefusedInFullScreenOnAnotherDesktopDepth) {
    config.desktop_bpp = 32;
    Start();
    ASSERT_EQ(DD_DISPLAY.full_screen, 1);
    F4();
    EXPECT_EQ(DD_DISPLAY.full_screen, 1);
    EXPECT_EQ(SYS_DATA.window_mode, 0);
    EXPECT_EQ(BAR_NOTICE.priority, 1);
}

TEST_F(WndTest, F4IsRefusedWhileTheLogoRuns) {
    StartWindowed();
    Pass(34);
    ASSERT_EQ(GAME_MODE, APP_MODE_LOGO);
    ASSERT_EQ(LOGO_IsActive(), 1);
    F4();
    EXPECT_EQ(DD_DISPLAY.full_screen, 0);
    EXPECT_EQ(SYS_DATA.window_mode, 1);
    EXPECT_EQ(BAR_NOTICE.priority, 1);
    for (int i = 0; i < 40; ++i) Pass(34);
    EXPECT_EQ(BAR_NOTICE.priority, -1);
}

TEST_F(WndTest, TheStoredRectangleIsPulledBackInsideTheScreen) {
    config.screen_width = 1024;
    config.screen_height = 768;
    struct Case {
        int32_t left, top;
        bool stored;
        int32_t want_x, want_y;  // -1: the limit
    };
    const Case cases[] = {
        {100, 50, true, 100, 50}, {900, 50, true, -1, 50}, {-50, -20, true, 0, 0}, {100, 700, true, 100, -1},
        {0, 0, false, 0, 0},
    };
    for (const Case& c : cases) {
        StartWindowed([&] {
            if (c.stored) StoreRect(c.left, c.top, c.left + 650, c.top + 500);
        });
        const int fx = plat::GetSystemMetrics(plat::SM_CXFRAME), fy = plat::GetSystemMetrics(plat::SM_CYFRAME);
        const int cap = plat::GetSystemMetrics(plat::SM_CYCAPTION);
        const int32_t x = c.want_x < 0 ? 1024 - 2 * fx - 640 : c.want_x;
        const int32_t y = c.want_y < 0 ? 768 - 2 * fy - cap - 480 : c.want_y;
        const RECT r = WindowRect();
        EXPECT_EQ(r.left, x) << c.left << "," << c.top;
        EXPECT_EQ(r.top, y) << c.left << "," << c.top;
        EXPECT_EQ(r.right - r.left, 640 + 2 * fx);
        EXPECT_EQ(r.bottom - r.top, 480 + 2 * fy + cap);
        Finish();
    }
}

TEST_F(WndTest, AFailedSwitchDestroysTheWindowAndEndsTheProgram) {
    StartWindowed();
    headless::FailCall("DirectDrawCreate");
    EXPECT_EQ(APP_SetDisplayMode(APP_Window, 640, 480, 16, 1), 0);
    EXPECT_EQ(APP_Window, nullptr);
    EXPECT_TRUE(Pump());  // WM_QUIT
}

TEST_F(WndTest, AFailedReactivationInFullScreenDestroysTheWindow) {
    Start();
    ASSERT_EQ(DD_DISPLAY.full_screen, 1);
    headless::SetFocus(false);
    Pump();
    headless::FailCall("DirectDrawCreate");
    headless::SetFocus(true);
    EXPECT_TRUE(Pump());
    EXPECT_EQ(APP_Window, nullptr);
}

TEST_F(WndTest, TheWindowsEndInFullScreenStoresOnlyTheMode) {
    Start([] { StoreRect(1, 2, 3, 4); });
    ASSERT_EQ(DD_DISPLAY.full_screen, 1);
    plat::DestroyWindow(APP_Window);
    EXPECT_EQ(Dword("WndMode"), 0u);
    int32_t v[4] = {};
    EXPECT_EQ(APP_RegRead("Main", "WndRect", v, sizeof v), 1);
    EXPECT_EQ(v[0], 1);
    EXPECT_EQ(v[3], 4);
}

TEST_F(WndTest, TheWindowsEndWhileMinimisedStoresOnlyTheMode) {
    StartWindowed([] { StoreRect(30, 40, 50, 60); });
    headless::Minimize(true);
    Pump();
    ASSERT_TRUE(plat::IsIconic(APP_Window));
    plat::DestroyWindow(APP_Window);
    EXPECT_EQ(Dword("WndMode"), 1u);
    int32_t v[4] = {};
    ASSERT_EQ(APP_RegRead("Main", "WndRect", v, sizeof v), 1);
    EXPECT_EQ(v[0], 30);
    EXPECT_EQ(v[2], 50);  // not the placed window's 30 + its outer width
}

// Losing the focus in full screen puts the pictures aside at once and greys the minimise item;
// they come back with the focus. In a window they stay.
TEST_F(WndTest, FullScreenPutsThePicturesAsideWhileInactive) {
    struct Case {
        bool windowed;
        bool kept;       // the pictures stay while inactive
        int restore;     // the system menu's restore and minimise items while inactive
        int minimise;
    };
    const Case cases[] = {{false, false, 1, 0}, {true, true, 0, 1}};
    for (const Case& c : cases) {
        SysDat([&](SysData& d) { d.window_mode = c.windowed; });
        Start();
        Pass(34);
        ASSERT_NE(IMG_Surface(APP_ScreenCopy), nullptr);
        headless::SetFocus(false);
        Pump();
        EXPECT_EQ(IMG_Surface(APP_ScreenCopy) != nullptr, c.kept) << c.windowed;
        EXPECT_EQ(APP_SysMenuEnabled(0), c.restore) << c.windowed;
        EXPECT_EQ(APP_SysMenuEnabled(3), c.minimise) << c.windowed;
        for (int greyed : {1, 2, 4}) EXPECT_EQ(APP_SysMenuEnabled(greyed), 0);
        EXPECT_EQ(APP_SysMenuEnabled(5), 1);
        headless::SetFocus(true);
        Pump();
        EXPECT_NE(IMG_Surface(APP_ScreenCopy), nullptr) << c.windowed;
        EXPECT_EQ(APP_SysMenuEnabled(0), 0);
        EXPECT_EQ(APP_SysMenuEnabled(3), 1);
        Finish();
    }
}

TEST_F(WndTest, CloseIsIgnoredDuringAScriptedTransition) {
    StartWindowed();
    ADV_TRANSITION = 2;
    headless::Close();
    Pump();
    EXPECT_EQ(MSGBOX_IsOpen(MSGBOX_KIND_QUIT), 0);
    ADV_TRANSITION = 0;
    headless::Close();
    Pump();
    EXPECT_EQ(MSGBOX_IsOpen(MSGBOX_KIND_QUIT), MSGBOX_QUIT);
    EXPECT_NE(APP_Window, nullptr);
}

TEST_F(WndTest, AltF4AsksTheQuitQuestionAndLeavesTheScreenMode) {
    StartWindowed();
    for (auto [code, down] : {std::pair{0x38, true}, {0x3E, true}, {0x3E, false}, {0x38, false}})
        headless::PressKey(uint8_t(code), down);
    Pump();
    EXPECT_EQ(MSGBOX_IsOpen(MSGBOX_KIND_QUIT), MSGBOX_QUIT);
    EXPECT_EQ(DD_DISPLAY.full_screen, 0);
    EXPECT_EQ(SYS_DATA.window_mode, 1);
    EXPECT_NE(APP_Window, nullptr);
}

TEST_F(WndTest, TheKeySequenceMustBeTypedInOneRun) {
    struct Case {
        const char* typed;
        int hidden;
    };
    const Case cases[] = {
        {"qorvintaleb", 1},  {"qorvintale", 0},        {"qqorvintaleb", 0},   {"qorvxintaleb", 0},
        {"qorvxqorvintaleb", 1}, {"QORVINTALEB", 0}, {"xyzqorvintaleb", 1}, {"qorvintalebb", 1},
    };
    StartWindowed();
    for (const Case& c : cases) {
        APP_HiddenMode = 0;
        headless::Type(c.typed);
        headless::Type("!");  // ends any run: the next case starts afresh
        Pump();
        EXPECT_EQ(APP_HiddenMode, c.hidden) << c.typed;
    }
}

TEST_F(WndTest, TheKeyBufferHoldsOnlyABeginningOfTheSequence) {
    struct Case {
        const char* typed;
        const char* held;
    };
    const Case cases[] = {
        {"qorv", "qorv"},     {"qorvx", ""},  {"x", ""},          {"qorvintaleb", "qorvintaleb"},
        {"qorvintalebq", ""}, {"qq", ""},     {"qorvintalex", ""},
    };
    StartWindowed();
    for (const Case& c : cases) {
        headless::Type("!");
        headless::Type(c.typed);
        Pump();
        EXPECT_EQ(std::string(APP_KeyBuffer.text, std::max<int>(APP_KeyBuffer.length, 0)), c.held) << c.typed;
        EXPECT_LE(APP_KeyBuffer.length, 11) << c.typed;
    }
}

TEST_F(WndTest, TheCompletedSequencePlaysItsSound) {
    std::filesystem::create_directories(dir.File("Wav"));
    ASSERT_TRUE(support::WriteWave(dir.File("Wav/Ganbare.wav"), support::MakeWave16(22050, 1, support::Sine(2205, 50, 8000))));
    StartWindowed();
    auto buffers = [] {
        const auto& log = headless::CallLog();
        return std::count(log.begin(), log.end(), "DSObject.CreateSoundBuffer");
    };
    const auto before = buffers();
    headless::Type("qorvintale");
    Pump();
    EXPECT_EQ(buffers(), before);  // one letter short: nothing yet
    EXPECT_EQ(APP_HiddenMode, 0);
    headless::Type("b");
    Pump();
    EXPECT_EQ(buffers(), before + 1);
    EXPECT_EQ(APP_HiddenMode, 1);
}

TEST_F(WndTest, LosingTheFocusPausesUnlessTheGameRunsInTheBackground) {
    struct Case {
        bool windowed;
        uint8_t run_inactive;
        int paused;
    };
    const Case cases[] = {{true, 0, 1}, {true, 1, 0}, {false, 0, 1}, {false, 1, 1}};
    for (const Case& c : cases) {
        SysDat([&](SysData& d) {
            d.window_mode = c.windowed;
            d.run_inactive = c.run_inactive;
        });
        Start();
        headless::SetFocus(false);
        Pump();
        EXPECT_EQ(APP_Active, 0) << c.windowed << int(c.run_inactive);
        EXPECT_EQ(APP_Paused, c.paused) << c.windowed << int(c.run_inactive);
        const int32_t frames = APP_DrawTickCount;
        Pass(34);
        EXPECT_EQ(APP_DrawTickCount, frames + (c.paused ? 0 : 1));
        headless::SetFocus(true);
        Pump();
        EXPECT_EQ(APP_Active, 1);
        EXPECT_EQ(APP_Paused, 0);
        EXPECT_EQ(DD_DISPLAY.full_screen, c.windowed ? 0 : 1);
        Pass(34);
        EXPECT_EQ(APP_DrawTickCount, frames + (c.paused ? 1 : 2));
        Finish();
    }
}

TEST_F(WndTest, SoundPausesOncePerLossAndPlaysAgainWhenTheFocusComesBack) {
    // A looping tone on a named channel; windowed, losing the focus sends two activation messages
    // (caption and window), and the sound must come back all the same.
    std::filesystem::create_directories(dir.File("Wav"));
    ASSERT_TRUE(support::WriteWave(dir.File("Wav/tone.wav"), support::MakeWave16(22050, 1, support::Sine(22050, 50, 8000))));
    StartWindowed();
    ASSERT_EQ(SE_PlayFile(0, "tone", 1), 1);
    auto playing = [] { return SND_IsPlaying(SE_CHANNEL[0].buffer); };
    ASSERT_EQ(playing(), 1);
    headless::SetFocus(false);
    Pump();
    EXPECT_EQ(APP_Active, 0);
    EXPECT_EQ(playing(), 0);
    headless::SetFocus(true);
    Pump();
    EXPECT_EQ(playing(), 1);
    // Kept playing in the background when the settings say so.
    SYS_DATA.sound_inactive = 1;
    headless::SetFocus(false);
    Pump();
    EXPECT_EQ(playing(), 1);
    headless::SetFocus(true);
    Pump();
    EXPECT_EQ(playing(), 1);
}

TEST_F(WndTest, APaintShowsTheLastFrameAgain) {
    StartWindowed();
    Pass(34);
    const uint64_t presented = plat::PresentedFrameCount();
    headless::Repaint();
    Pump();
    EXPECT_EQ(plat::PresentedFrameCount(), presented + 1);
}

TEST_F(WndTest, RegistryValuesOfAnotherSizeCountAsMissing) {
    StartWindowed();
    EXPECT_EQ(APP_RegWriteDword("Main", "WndMode", 7), 1);
    uint32_t four = 0;
    EXPECT_EQ(APP_RegRead("Main", "WndMode", &four, 4), 1);
    EXPECT_EQ(four, 7u);
    int32_t sixteen[4] = {9, 9, 9, 9};
    EXPECT_EQ(APP_RegRead("Main", "WndMode", sixteen, sizeof sixteen), 0);
    EXPECT_EQ(sixteen[0], 9);
    EXPECT_EQ(APP_RegRead("Main", "Nothing", &four, 4), 0);
    // Sizes of 0 are taken from the value.
    EXPECT_EQ(APP_RegWrite("", "Name", plat::REG_SZ, "abc", 0), 1);
    uint32_t size = 0;
    ASSERT_TRUE(plat::RegQueryValue("Software\\VORN\\ORV_DEMO", "Name", nullptr, nullptr, &size));
    EXPECT_EQ(size, 4u);
    const char multi[] = "a\0bc\0\0zz";
    EXPECT_EQ(APP_RegWrite(nullptr, "Multi", plat::REG_MULTI_SZ, multi, 0), 1);
    ASSERT_TRUE(plat::RegQueryValue("Software\\VORN\\ORV_DEMO", "Multi", nullptr, nullptr, &size));
    EXPECT_EQ(size, 6u);  // up to the first pair of zero bytes (offset 4), plus 2
}

}  // namespace
