// The frame driver on the manual clock: tick pacing, the quit question, the end picture, modes.
#include <unistd.h>

#include <algorithm>
#include <vector>

#include "platform/clock.h"
#include "services/key_button.h"
#include "services/mou_cursor.h"
#include "shell/bar_notice.h"
#include "shell/sys_bar.h"
#include "tests/shell/app_fixture.h"
#include "tests/support/movie_writer.h"
#include "title/title.h"

namespace {
using apptest::GameTest;

// An opening movie, written once for the suite: by default one second of MPEG-1 with its sound.
struct OpeningMovie {
    explicit OpeningMovie(const char* name, const support::MovieSpec& spec = {}, bool blank = false)
        : path(std::filesystem::temp_directory_path() / ("orv_opening_" + std::to_string(getpid()) + name)),
          ok(support::WriteMovie(path, spec) && (!blank || support::BlankAviPictures(path))) {}
    ~OpeningMovie() { std::remove(path.c_str()); }
    std::string path;
    bool ok;
};

class FrameTest : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        Picture("bmp/quon/common", 256, 256, 0x7FFF);
        StartWindowed();
    }
    // Opens the quit question as the close button does.
    void Close() {
        headless::Close();
        Pump();
        ASSERT_EQ(MSGBOX_IsOpen(MSGBOX_KIND_QUIT), MSGBOX_QUIT);
    }
    void F4() {
        plat::PostMessage(APP_Window, plat::WM_KEYDOWN, 0x73, 0);
        Pump();
    }
    // Answers Yes with a click: the pass reading the click, then the pass taking the answer.
    void ClickYes() {
        headless::SetMouse(250, 240, 1);
        Pass(34);
        headless::SetMouse(250, 240, 0);
    }
};

TEST_F(FrameTest, TheUpdateTickComesAfterMoreThanTheInterval) {
    APP_SetMode(3);  // a mode whose update does nothing
    std::vector<uint32_t> ticks;
    for (int i = 0; i < 120; ++i) {
        const uint32_t before = APP_UpdateTime;
        Pass(1);
        if (APP_UpdateTime != before) ticks.push_back(APP_UpdateTime);
    }
    ASSERT_GE(ticks.size(), 3u);
    EXPECT_EQ(ticks[1] - ticks[0], 34u);  // never at 33
    EXPECT_EQ(ticks[2] - ticks[1], 34u);
    EXPECT_EQ(APP_DrawTime, ticks.back());  // both ticks fall in one pass
}

TEST_F(FrameTest, ASlowTickIsNotCaughtUp) {
    APP_SetMode(3);
    Pass(1);
    const uint32_t first = APP_UpdateTime;
    const int32_t frames = APP_DrawTickCount;
    Pass(200);  // one late tick, stamped with its own time
    EXPECT_EQ(APP_UpdateTime, first + 200);
    EXPECT_EQ(APP_DrawTickCount, frames + 1);
    for (int i = 0; i < 33; ++i) Pass(1);
    EXPECT_EQ(APP_UpdateTime, first + 200);
    EXPECT_EQ(APP_DrawTickCount, frames + 1);  // a pass without a draw tick counts nothing
    Pass(1);
    EXPECT_EQ(APP_UpdateTime, first + 234);
    EXPECT_EQ(APP_DrawTickCount, frames + 2);
}

TEST_F(FrameTest, TheFrameIntervalFollowsTheRateTable) {
    const uint32_t want[4] = {66, 50, 33, 16};
    for (int8_t i = 0; i < 4; ++i) {
        APP_SetFrameRate(i);
        EXPECT_EQ(APP_FrameInterval, want[i]);
    }
    for (int8_t damaged : {4, 7, -1, -128}) {  // a damaged machine class runs at the default 33 ms
        APP_SetFrameRate(3);
        APP_SetFrameRate(damaged);
        EXPECT_EQ(APP_FrameInterval, 33u) << int(damaged);
    }
}

TEST_F(FrameTest, TheModeStandsStillUnderTheQuitQuestionWhileCursorAndDrawsGoOn) {
    ASSERT_EQ(GAME_MODE, APP_MODE_BOOT);
    Close();
    const int32_t frames = APP_DrawTickCount;
    headless::SetMouse(100, 90, 0);
    for (int i = 0; i < 10; ++i) Pass(34);
    EXPECT_EQ(GAME_MODE, APP_MODE_BOOT);  // mode 0 would have become 1 at its first update
    EXPECT_EQ(APP_DrawTickCount, frames + 10);
    EXPECT_EQ(ObjectX(BAR_CURSOR.sprite), 100);
    headless::SetMouse(300, 90, 0);
    Pass(1);  // no tick due: the cursor follows all the same
    EXPECT_EQ(ObjectX(BAR_CURSOR.sprite), 300);
    // A second close opens no second box.
    headless::Close();
    Pump();
    EXPECT_EQ(MSGBOX_IsOpen(MSGBOX_KIND_QUIT), MSGBOX_QUIT);
}

TEST_F(FrameTest, NoAnswerLetsTheModeGoOn) {
    Close();
    Pass(34);
    headless::SetKey(0x2D, true);  // X, the cancel button
    Pass(34);
    headless::SetKey(0x2D, false);
    Pass(34);  // released: No
    Pass(34);
    EXPECT_EQ(MSGBOX_IsOpen(MSGBOX_KIND_QUIT), 0);
    EXPECT_NE(GAME_MODE, APP_MODE_BOOT);
}

TEST_F(FrameTest, YesShowsTheEndPictureAndClosesTheWindowAtTheSixtiethTick) {
    Picture("bmp/quon/end", 640, 512, 0x7C00);
    Close();
    Pass(34);
    ClickYes();
    const int32_t frames = APP_DrawTickCount;
    Pass(34);  // the answer: mode 10 in this pass, nothing drawn
    EXPECT_EQ(GAME_MODE, APP_MODE_END_SETUP);
    EXPECT_EQ(APP_DrawTickCount, frames);
    std::vector<int> xs;
    for (int tick = 1; tick <= 59; ++tick) {
        Pass(34);
        ASSERT_FALSE(quit) << tick;
        ASSERT_EQ(APP_EndCount, tick);
        xs.push_back(ObjectX(APP_EndParts[1].sprite));
        const SP_STILL* picture = SP_Still(APP_EndParts[0].sprite);
        ASSERT_NE(picture, nullptr);
        EXPECT_EQ(picture->blend, std::min(tick, 30));
        EXPECT_EQ(picture->priority, -11);
        EXPECT_EQ(picture->flags, 0x40u);
    }
    EXPECT_EQ(GAME_MODE, APP_MODE_END);
    EXPECT_EQ(xs[0], 420);
    EXPECT_EQ(xs[1], 392);   // 28 x 28 / 2
    EXPECT_EQ(xs[28], 0);    // tick 29: 1 / 2 truncated
    EXPECT_EQ(xs[29], 0);    // tick 30
    EXPECT_EQ(xs[58], 0);
    Pass(34);  // the sixtieth
    EXPECT_EQ(APP_Window, nullptr);
    EXPECT_EQ(GAME_MODE, APP_MODE_BOOT);
    EXPECT_EQ(APP_EndImage, -1);
    EXPECT_EQ(SP_Get(APP_EndParts[0].sprite), nullptr);
    EXPECT_TRUE(Pump());
}

TEST_F(FrameTest, ClosingTheWindowDuringTheEndPictureIsIgnored) {
    Picture("bmp/quon/end", 640, 512, 0x7C00);
    Close();
    Pass(34);
    ClickYes();
    Pass(34);
    ASSERT_EQ(GAME_MODE, APP_MODE_END_SETUP);
    for (int tick = 0; tick < 60; ++tick) {
        ASSERT_EQ(APP_EndCount, tick);
        if (tick == 0 || tick == 20) {  // in mode 10, then in mode 11
            headless::Close();
            Pump();
            EXPECT_EQ(MSGBOX_IsOpen(MSGBOX_KIND_QUIT), 0) << tick;
        }
        Pass(34);
    }
    EXPECT_EQ(APP_Window, nullptr);
    EXPECT_EQ(SP_Get(APP_EndParts[0].sprite), nullptr);
}

TEST_F(FrameTest, TheTitleGetsItsNormalCursorBackAfterTheQuitQuestion) {
    PassUntilMode(APP_MODE_TITLE);
    Pass(34);
    Close();
    headless::SetMouse(330, 240, 0);  // on No
    Pass(34);
    Pass(34);
    ASSERT_EQ(MOUSE_GetCursorMode(), 1);
    headless::SetMouse(330, 240, 1);
    Pass(34);
    headless::SetMouse(330, 240, 0);
    for (int i = 0; i < 3; ++i) Pass(34);
    ASSERT_EQ(MSGBOX_IsOpen(MSGBOX_KIND_QUIT), 0);
    EXPECT_EQ(GAME_MODE, APP_MODE_TITLE);
    EXPECT_EQ(MOUSE_GetCursorMode(), 0);
}

TEST_F(FrameTest, AQuitQuestionNotToBeAskedGoesStraightToTheEndPicture) {
    SYS_DATA.no_confirm[MSGBOX_QUIT - 1] = 1;
    headless::Close();
    Pump();
    Pass(34);  // answered Yes at the first check, without a box
    EXPECT_EQ(GAME_MODE, APP_MODE_END_SETUP);
    EXPECT_EQ(MSGBOX_IsOpen(MSGBOX_KIND_QUIT), 0);
}

TEST_F(FrameTest, AMissingEndPictureStillClosesAtTheSixtiethTick) {
    Close();
    Pass(34);
    ClickYes();
    Pass(34);
    ASSERT_EQ(GAME_MODE, APP_MODE_END_SETUP);
    for (int tick = 1; tick < 60; ++tick) Pass(34);
    EXPECT_NE(APP_Window, nullptr);
    EXPECT_EQ(APP_EndParts[0].sprite, -1);
    Pass(34);
    EXPECT_EQ(APP_Window, nullptr);
    EXPECT_TRUE(Pump());
}

// With the opening movie the logo stays (F4 refused) until the movie has ended by its length or a
// decide or cancel press or a click skipped it, and one second more; then the movie is closed. A
// file none of whose pictures decodes holds no movie: a debug line says so, and the title comes a
// second after, nothing shown.
TEST_F(FrameTest, TheLogoPlaysTheOpeningMovieUntilItEndsOrIsSkipped) {
    static OpeningMovie movie(".mpg");
    static OpeningMovie blank(".avi", {"avi", "mjpeg", "pcm_s16le", 64, 48, 10, 10, 22050}, true);
    ASSERT_TRUE(movie.ok && blank.ok) << "ffmpeg could not write the movies";
    struct Case {
        const char* what;
        uint8_t key, buttons;
        uint32_t skip_at;  // ms after the movie opened; 0: not skipped
        const OpeningMovie& file;
    };
    const Case cases[] = {
        {"to its end", 0, 0, 0, movie},        {"Z", 0x2C, 0, 300, movie},          {"X", 0x2D, 0, 300, movie},
        {"left click", 0, 1, 300, movie},      {"right click", 0, 2, 300, movie}, {"no picture decodes", 0, 0, 0, blank},
    };
    const std::string none = "LOGO: WAV\\EARLYSTG.DAT holds no movie that plays";
    for (const Case& c : cases) {
        const bool plays = &c.file == &movie;
        if (!started) StartWindowed();
        std::filesystem::create_directories(dir.File("WAV"));
        std::filesystem::copy_file(c.file.path, dir.File("WAV/EARLYSTG.DAT"), std::filesystem::copy_options::overwrite_existing);
        headless::ClearDebugOutput();
        Pass(34);
        Pass(34);  // the logo's first update opens the movie
        ASSERT_EQ(GAME_MODE, APP_MODE_LOGO) << c.what;
        const uint32_t opened = plat::TimeMs();
        F4();
        EXPECT_EQ(BAR_NOTICE.priority, 1) << c.what;
        bool pressed = false, shown = false;
        while (GAME_MODE == APP_MODE_LOGO && plat::TimeMs() - opened < 5000) {
            EXPECT_EQ(LOGO_IsActive(), 1) << c.what;
            const bool press = c.skip_at && !pressed && plat::TimeMs() - opened >= c.skip_at;
            if (press) {
                if (c.key) headless::SetKey(c.key, true);
                headless::SetMouse(50, 50, c.buttons);
                pressed = true;
            }
            Pass(34);
            if (press) {
                if (c.key) headless::SetKey(c.key, false);
                headless::SetMouse(50, 50, 0);
            }
            const std::vector<uint16_t> back = support::ReadSurface(DD_DISPLAY.back);
            shown = shown || std::count(back.begin(), back.end(), 0) < 640 * 240;  // the picture fills the screen
        }
        const uint32_t took = plat::TimeMs() - opened;
        EXPECT_EQ(GAME_MODE, APP_MODE_TITLE) << c.what;
        EXPECT_EQ(shown, plays) << c.what;
        const uint32_t want = (c.skip_at ? c.skip_at : plays ? 1000 : 0) + 1000;
        EXPECT_GE(took, want) << c.what;
        EXPECT_LT(took, want + 200) << c.what;
        const auto& log = headless::DebugOutput();
        const bool said = std::any_of(log.begin(), log.end(), [&](const std::string& l) { return l.starts_with(none); });
        EXPECT_NE(said, plays) << c.what;
        EXPECT_NE(std::find(log.begin(), log.end(), "movie close ..... (WAV\\EARLYSTG.DAT)\n"), log.end()) << c.what;
        EXPECT_EQ(DD_DISPLAY.full_screen, 0) << c.what;
        Finish();
    }
}

TEST_F(FrameTest, SkipTurnsOffAtTheFirstBattleTick) {
    BAR_DATA.mode = 2;
    BAR_DATA.skipping = 1;
    APP_SetMode(APP_MODE_BATTLE);
    Pass(34);
    EXPECT_EQ(BAR_DATA.mode, 0);
    EXPECT_EQ(BAR_DATA.skipping, 0);
    BAR_DATA.mode = 1;  // auto mode stays
    Pass(34);
    EXPECT_EQ(BAR_DATA.mode, 1);
}

TEST_F(FrameTest, TheBootHandsOverToTheLogoAndTheLogoToTheTitle) {
    Pass(34);
    EXPECT_EQ(GAME_MODE, APP_MODE_LOGO);
    EXPECT_EQ(APP_PrevMode, APP_MODE_BOOT);
    Pass(34);
    EXPECT_EQ(GAME_MODE, APP_MODE_TITLE);
    Pass(34);
    EXPECT_EQ(MOUSE_IsCursorShown(), 1);
    // Modes of no screen do nothing and draw the display objects.
    for (int32_t mode : {3, 7, 9, 12}) {
        APP_SetMode(mode);
        const uint64_t presented = plat::PresentedFrameCount();
        Pass(34);
        EXPECT_EQ(GAME_MODE, mode);
        EXPECT_EQ(plat::PresentedFrameCount(), presented + (mode == 7 ? 0 : 1)) << mode;
    }
}

}  // namespace
