// The game itself on a real X display: it starts windowed, a click skips the opening movie into the
// title, F4 switches to full screen and back, the close button asks the quit question, a click on
// Yes shows the end picture and the process ends with 0, the settings file and the registry
// written; without a window manager, Alt+F4 asks the quit question too and leaves the screen mode;
// a window destroyed, or a connection closed, by another program ends the game in order, also in
// full screen and while the game, without the focus, is paused.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

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

// A process started in `dir`, killed if a test leaves it running. Given `err`, its standard error
// goes into that file.
class Process {
public:
    Process(const std::string& dir, const char* program, const char* arg = nullptr, const std::string& err = {})
        : err_(err) {
        pid_ = fork();
        if (pid_ == 0) {
            // Ends with the test, however the test ends: a process left behind would hold the
            // test runner's output open and keep it waiting.
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            if (!err.empty()) {
                const int fd = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
                if (fd < 0 || dup2(fd, STDERR_FILENO) < 0) _exit(3);
                close(fd);
            }
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
    // What it wrote to its standard error so far (when that was captured).
    std::string Err() const {
        const std::vector<uint8_t> bytes = err_.empty() ? std::vector<uint8_t>{} : support::ReadBytes(err_);
        return std::string(bytes.begin(), bytes.end());
    }

private:
    pid_t pid_ = -1;
    std::string err_;
};
}  // namespace

// Where a point of the game's 640 x 480 picture shows on the screen: in a window as it is, in full
// screen scaled to fit the screen and centred.
void OnScreen(const X11Geometry& g, int x, int y, int* sx, int* sy) {
    const double scale = std::min(g.width / 640.0, g.height / 480.0);
    *sx = g.x + int((g.width - 640 * scale) / 2 + x * scale);
    *sy = g.y + int((g.height - 480 * scale) / 2 + y * scale);
}

// The colours at nine places of the picture's top: black on the title; the opening movie's moving
// test card is coloured there.
std::vector<long> TopPixels(const X11Geometry& g) {
    std::vector<long> out;
    for (int y : {60, 120, 180})
        for (int x : {100, 320, 540}) {
            int sx = 0, sy = 0;
            OnScreen(g, x, y, &sx, &sy);
            out.push_back(ScreenPixel(sx, sy));
        }
    return out;
}

bool TopIsBlack(const X11Geometry& g) { return TopPixels(g) == std::vector<long>(9, 0); }

// Starts the game in a fresh data directory, in a window or in full screen, and waits until its
// opening movie shows. Given `err`, the game's standard error goes into that file.
X11Geometry StartAtTheMovie(const std::string& data, std::unique_ptr<Process>* game, bool full,
                            const std::string& err = {}) {
    X11Geometry g;
    if (std::system(("'" ORV_SAMPLE_DATA "' '" + data + "' > /dev/null").c_str()) != 0) return g;
    std::vector<uint8_t> settings(1013, 0);  // ends with the window mode; the rest keeps its defaults
    settings[1012] = full ? 0 : 1;           // 0 full screen, 1 windowed
    if (!support::WriteBytes(data + "/save/sys.dat", settings)) return g;
    *game = std::make_unique<Process>(data, ORV_PROGRAM, nullptr, err);
    int early = -1;
    // Generous: a busy machine may take long to start the program.
    if (!WaitFor([&] { return (g = FindWindowByTitle(kTitle)).found || (*game)->Ended(0, &early); }, 60000)) return g;
    if (!g.found) return g;
    if (!WaitFor([&] { return !TopIsBlack(g = FindWindowByTitle(kTitle)); })) g.found = false;
    return g;
}

// Starts the game windowed in a fresh data directory, skips the opening movie with a click and
// waits for its title screen. Given `err`, the game's standard error goes into that file.
X11Geometry StartWindowedAtTheTitle(const std::string& data, std::unique_ptr<Process>* game,
                                    const std::string& err = {}) {
    X11Geometry g = StartAtTheMovie(data, game, false, err);
    if (!g.found) return g;
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

void MovePointer(const X11Geometry& g, int x, int y) {
    int sx = 0, sy = 0;
    OnScreen(g, x, y, &sx, &sy);
    Xdo("mousemove " + std::to_string(sx) + " " + std::to_string(sy));
}

// Another program takes the focus from the game while its opening movie plays (shown since
// `shown`), and the game pauses: in full screen, or in a window whose settings do not keep it
// running in the background (run_inactive 0, the default the tests' settings file keeps). Checked:
// well past the movie's three seconds and the one that closes it, which a running game would have
// ended on the title, the movie's picture still shows, unchanged. `other` holds the focus while it
// lives.
void TakeTheFocusAway(const X11Geometry& g, bool wm, std::chrono::steady_clock::time_point shown,
                      std::unique_ptr<OtherWindow>* other) {
    // The game gets the focus first (nothing gives it the focus on bare X), then the other window
    // takes it, through the window manager where one runs.
    const std::string focus = wm ? "windowactivate --sync " : "windowfocus --sync ";
    ASSERT_EQ(Xdo(focus + std::to_string(g.window)), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));  // SDL reports a focus change late
    *other = std::make_unique<OtherWindow>();
    ASSERT_NE((*other)->id(), 0u) << "no other window showed";
    ASSERT_EQ(Xdo(focus + std::to_string((*other)->id())), 0);
    std::this_thread::sleep_until(shown + std::chrono::milliseconds(5500));
    const std::vector<long> picture = TopPixels(g);
    ASSERT_FALSE(TopIsBlack(g)) << "the movie ended: the game did not pause when it lost the focus";
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    ASSERT_EQ(TopPixels(g), picture) << "the movie plays on: the game did not pause when it lost the focus";
}

// Another program destroys the game's window, or has the server close the game's connection (xkill,
// xdotool's windowkill), with or without a window manager, in a window or in full screen, the game
// running or paused (drawing nothing then, it learns of the end from the server's notices alone,
// also when its window was minimised): the game ends in order with exit code 1, as when the display
// goes, and writes its settings. It is neither ended by the X library's default error handler
// mid-call, nor left waiting for ever on the window that is gone, nor ended by its own watchdog
// because it did not end in order.
TEST(ProgramScreen, AWindowDestroyedByAnotherProgramEndsTheGameInOrder) {
    if (std::system("command -v xdotool > /dev/null 2>&1") != 0) GTEST_SKIP() << "xdotool is not installed";
    const bool openbox = std::system("command -v openbox > /dev/null 2>&1") == 0;
    const char* const destroyed = "orvant: another program destroyed the window; ending";
    const char* const lost = "orvant: the display connection was lost; ending";
    struct Row {
        const char* what;
        bool (*end)(const std::string&);
        bool wm;
        bool full;       // in full screen: switched with F4 at the title, or started in it to pause
        bool paused;     // another window took the focus during the opening movie
        bool minimised;  // the paused game's window was minimised then: no unmap notice comes with the end
        const char* why;  // what the game says
    };
    const Row rows[] = {
        {"destroyed", DestroyWindow, false, false, false, false, destroyed},
        {"its connection closed", KillClient, false, false, false, false, lost},
        {"destroyed while the game is paused", DestroyWindow, false, false, true, false, destroyed},
        {"destroyed while the game is paused in full screen", DestroyWindow, false, true, true, false, destroyed},
        {"its connection closed in full screen", KillClient, false, true, false, false, lost},
        {"destroyed under a window manager", DestroyWindow, true, false, false, false, destroyed},
        {"its connection closed under a window manager", KillClient, true, false, false, false, lost},
        {"destroyed under a window manager while the game is paused", DestroyWindow, true, false, true, false,
         destroyed},
        {"destroyed under a window manager while the game is paused in full screen", DestroyWindow, true, true, true,
         false, destroyed},
        {"destroyed under a window manager while the game is paused and minimised", DestroyWindow, true, false, true,
         true, destroyed},
        {"its connection closed under a window manager in full screen", KillClient, true, true, false, false, lost},
    };
    int sw = 0, sh = 0;
    ASSERT_TRUE(ScreenSize(&sw, &sh));
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
        std::unique_ptr<OtherWindow> other;
        X11Geometry g;
        if (row.paused) {
            // Paused at the movie, where the screen mode does not switch: started in the mode.
            g = StartAtTheMovie(data, &game, row.full, dir.File("game.err"));
            const auto shown = std::chrono::steady_clock::now();
            ASSERT_TRUE(g.found) << "the movie never showed\n" << (game ? game->Err() : "");
            if (row.full) {
                ASSERT_TRUE(WaitFor([&] {
                    g = FindWindowByTitle(kTitle);
                    return g.found && g.width == sw && g.height == sh;
                })) << "the game did not start in full screen: " << g.width << " x " << g.height;
            }
            ASSERT_NO_FATAL_FAILURE(TakeTheFocusAway(g, row.wm, shown, &other));
            if (row.minimised) {
                ASSERT_EQ(Xdo("windowminimize --sync " + std::to_string(g.window)), 0);
            }
        } else {
            g = StartWindowedAtTheTitle(data, &game, dir.File("game.err"));
            ASSERT_TRUE(g.found) << "the title never showed\n" << (game ? game->Err() : "");
        }
        if (row.full && !row.paused) {
            MovePointer(g, 320, 100);
            ASSERT_EQ(Xdo("key F4"), 0);
            ASSERT_TRUE(WaitFor([&] {
                g = FindWindowByTitle(kTitle);
                return g.found && g.width == sw && g.height == sh;
            })) << "F4 did not switch to full screen: " << g.width << " x " << g.height;
        }
        ASSERT_TRUE(row.end(kTitle));
        int code = -1;
        ASSERT_TRUE(game->Ended(10000, &code)) << "the program did not end\n" << game->Err();
        EXPECT_EQ(code, 1);
        EXPECT_EQ(support::ReadBytes(data + "/save/sys.dat").size(), 1492u) << "the settings were not written";
        const std::string err = game->Err();
        EXPECT_NE(err.find(row.why), std::string::npos) << err;
        // The watchdog's word (platform/run.cpp): exit code 1 too, but the end was not in order.
        EXPECT_EQ(err.find("did not end in order"), std::string::npos) << err;
    }
}
