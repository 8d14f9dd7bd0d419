// The game itself on a real X display: it starts windowed, a click skips the opening movie into the
// title, F4 switches to full screen and back, the close button asks the quit question, a click on
// Yes shows the end picture and the process ends with 0, the settings file and the registry
// written; without a window manager, Alt+F4 asks the quit question too and leaves the screen mode;
// a window destroyed, or a connection closed, by another program ends the game in order.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "tests/screen/x11_program.h"
#include "tests/support/fixture.h"

#ifndef ORV_PROGRAM
#error "ORV_PROGRAM names the game's executable"
#endif
#ifndef ORV_SAMPLE_DATA
#error "ORV_SAMPLE_DATA names the sample-data writer"
#endif

namespace {
const char* const kTitle = "\xe3\x82\xaa\xe3\x83\xab\xe3\x83\xb4\xe3\x82\xa1\xe3\x83\xb3\xe3\x83\x88";  // the title in UTF-8

bool WaitFor(const std::function<bool()>& done, int ms = 10000) {
    for (int waited = 0; waited < ms; waited += 50) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return done();
}

int Xdo(const std::string& args) { return std::system(("xdotool " + args + " > /dev/null 2>&1").c_str()); }

// A process started in `dir`, killed if a test leaves it running.
class Process {
public:
    Process(const std::string& dir, const char* program, const char* arg = nullptr) {
        pid_ = fork();
        if (pid_ == 0) {
            // Ends with the test, however the test ends: a process left behind would hold the
            // test runner's output open and keep it waiting.
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            if (chdir(dir.c_str()) != 0) _exit(3);
            setenv("ORV_PLATFORM", "sdl", 1);
            setenv("SDL_AUDIODRIVER", "dummy", 1);
            execlp(program, program, arg, static_cast<char*>(nullptr));
            _exit(3);
        }
    }
    ~Process() {
        if (pid_ > 0 && !Ended(0)) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }
    // Whether the process ended within ms; its exit code in code.
    bool Ended(int ms, int* code = nullptr) {
        for (int waited = 0;; waited += 50) {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                if (code) *code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
                pid_ = -1;
                return true;
            }
            if (waited >= ms) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    }

private:
    pid_t pid_ = -1;
};
}  // namespace

// Whether the top of the window is black at nine places: the title's; the opening movie's test
// card is coloured there.
bool TopIsBlack(const X11Geometry& g) {
    for (int y : {60, 120, 180})
        for (int x : {100, 320, 540})
            if (ScreenPixel(g.x + x, g.y + y) != 0) return false;
    return true;
}

// Starts the game windowed in a fresh data directory, skips the opening movie with a click and
// waits for its title screen.
X11Geometry StartWindowedAtTheTitle(const std::string& data, std::unique_ptr<Process>* game) {
    X11Geometry g;
    if (std::system(("'" ORV_SAMPLE_DATA "' '" + data + "' > /dev/null").c_str()) != 0) return g;
    std::vector<uint8_t> settings(1013, 0);  // ends with the window mode; the rest keeps its defaults
    settings[1012] = 1;                      // windowed
    if (!support::WriteBytes(data + "/save/sys.dat", settings)) return g;
    *game = std::make_unique<Process>(data, ORV_PROGRAM);
    int early = -1;
    // Generous: a busy machine may take long to start the program.
    if (!WaitFor([&] { return (g = FindWindowByTitle(kTitle)).found || (*game)->Ended(0, &early); }, 60000)) return g;
    if (!g.found) return g;
    // The movie shows, and a click in the window skips it.
    if (!WaitFor([&] { return !TopIsBlack(g = FindWindowByTitle(kTitle)); })) {
        g.found = false;
        return g;
    }
    Xdo("mousemove " + std::to_string(g.x + 600) + " " + std::to_string(g.y + 450) + " click 1");
    // The title: black above, the sample text's lines (white over a blue gradient) below the middle.
    g.found = WaitFor([&] {
        g = FindWindowByTitle(kTitle);
        if (!TopIsBlack(g)) return false;
        for (int x = 16; x < 300; ++x)
            if (ScreenPixel(g.x + x, g.y + 208 + 50) > 0x404040) return true;
        return false;
    });
    return g;
}

// Whether the quit question's box shows in the window.
bool BoxShown(const X11Geometry& g) { return ScreenPixel(g.x + 210, g.y + 190) != ScreenPixel(g.x + 10, g.y + 190); }

// Clicks the box's Yes, at (238, 236) of the client area, 78 x 18; the program then ends with 0.
void ClickYesAndEnd(const X11Geometry& g, Process& game) {
    ASSERT_EQ(Xdo("mousemove " + std::to_string(g.x + 270) + " " + std::to_string(g.y + 244)), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    ASSERT_EQ(Xdo("click 1"), 0);
    int code = -1;
    ASSERT_TRUE(game.Ended(10000, &code)) << "the program did not end after Yes";
    EXPECT_EQ(code, 0);
}

TEST(ProgramScreen, WindowFullScreenQuitQuestionAndEndPicture) {
    if (std::system("command -v xdotool > /dev/null 2>&1") != 0) GTEST_SKIP() << "xdotool is not installed";
    if (std::system("command -v openbox > /dev/null 2>&1") != 0) GTEST_SKIP() << "openbox is not installed";
    support::TempDir dir;
    support::ConfigHome home;
    const std::string data = dir.File("data");
    int sw = 0, sh = 0;
    ScreenSize(&sw, &sh);
    ASSERT_GT(sw, 640);

    // Full screen needs a window manager to grant it, as on a player's desktop.
    Process wm(dir.File(""), "openbox", "--sm-disable");
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    std::unique_ptr<Process> game;
    X11Geometry g = StartWindowedAtTheTitle(data, &game);
    ASSERT_TRUE(g.found) << "the title never showed";
    EXPECT_EQ(g.width, 640);
    EXPECT_EQ(g.height, 480);

    ASSERT_EQ(Xdo("mousemove " + std::to_string(g.x + 320) + " " + std::to_string(g.y + 100)), 0);
    ASSERT_EQ(Xdo("key F4"), 0);
    EXPECT_TRUE(WaitFor([&] {
        g = FindWindowByTitle(kTitle);
        return g.found && g.width == sw && g.height == sh;
    })) << "F4 did not switch to full screen: " << g.width << " x " << g.height;
    ASSERT_EQ(Xdo("key F4"), 0);
    EXPECT_TRUE(WaitFor([&] {
        g = FindWindowByTitle(kTitle);
        return g.found && g.width == 640 && g.height == 480;
    })) << "F4 did not switch back to a window: " << g.width << " x " << g.height;

    // The close button asks.
    ASSERT_TRUE(RequestClose(kTitle));
    g = FindWindowByTitle(kTitle);
    EXPECT_TRUE(WaitFor([&] { return BoxShown(g); })) << "no box appeared";
    ASSERT_NO_FATAL_FAILURE(ClickYesAndEnd(g, *game));
    const std::vector<uint8_t> sys = support::ReadBytes(data + "/save/sys.dat");
    ASSERT_EQ(sys.size(), 1492u);
    EXPECT_EQ(sys[1012], 1);
    EXPECT_EQ(sys[1013], 1);  // the defaults past the short file were written
    EXPECT_TRUE(std::filesystem::exists(home.File("registry")));
}

TEST(ProgramScreen, AltF4WithoutAWindowManagerAsksTheQuitQuestion) {
    if (std::system("command -v xdotool > /dev/null 2>&1") != 0) GTEST_SKIP() << "xdotool is not installed";
    support::TempDir dir;
    support::ConfigHome home;
    std::unique_ptr<Process> game;
    X11Geometry g = StartWindowedAtTheTitle(dir.File("data"), &game);
    ASSERT_TRUE(g.found) << "the title never showed";
    // The keys go to the window under the pointer (no window manager gives the focus).
    ASSERT_EQ(Xdo("mousemove " + std::to_string(g.x + 320) + " " + std::to_string(g.y + 100)), 0);
    ASSERT_EQ(Xdo("key alt+F4"), 0);
    EXPECT_TRUE(WaitFor([&] { return BoxShown(g); })) << "no box appeared";
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    g = FindWindowByTitle(kTitle);
    EXPECT_EQ((std::vector<int>{g.width, g.height}), (std::vector<int>{640, 480})) << "the screen mode changed";
    ASSERT_NO_FATAL_FAILURE(ClickYesAndEnd(g, *game));
}

// Another program destroys the game's window, or has the server close the game's connection (xkill,
// xdotool's windowkill), with or without a window manager: the game ends in order with exit code 1,
// as when the display goes, and writes its settings. It is neither ended by the X library's default
// error handler mid-call, nor left waiting for ever on the window that is gone.
TEST(ProgramScreen, AWindowDestroyedByAnotherProgramEndsTheGameInOrder) {
    const bool openbox = std::system("command -v openbox > /dev/null 2>&1") == 0;
    struct Row {
        const char* what;
        bool (*end)(const std::string&);
        bool wm;
    };
    const Row rows[] = {
        {"destroyed", DestroyWindow, false},
        {"its connection closed", KillClient, false},
        {"destroyed under a window manager", DestroyWindow, true},
        {"its connection closed under a window manager", KillClient, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        if (row.wm && !openbox) continue;
        support::TempDir dir;
        support::ConfigHome home;
        std::unique_ptr<Process> wm;
        if (row.wm) {
            wm = std::make_unique<Process>(dir.File(""), "openbox", "--sm-disable");
            std::this_thread::sleep_for(std::chrono::milliseconds(500));
        }
        std::unique_ptr<Process> game;
        const std::string data = dir.File("data");
        ASSERT_TRUE(StartWindowedAtTheTitle(data, &game).found) << "the title never showed";
        ASSERT_TRUE(row.end(kTitle));
        int code = -1;
        ASSERT_TRUE(game->Ended(10000, &code)) << "the program did not end";
        EXPECT_EQ(code, 1);
        EXPECT_EQ(support::ReadBytes(data + "/save/sys.dat").size(), 1492u) << "the settings were not written";
    }
}
