// The program as a player starts it: a bad environment or no display ends it with exit code 2, a
// script drives the headless program to a golden screenshot, a signal ends it in order.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/bytes.h"
#include "scenario/save_slot.h"
#include "services/sound/snd_game.h"
#include "shell/thumb_bmp.h"
#include "sprite/fnt_font.h"
#include "tests/support/fixture.h"
#include "tests/support/golden.h"

#ifndef ORV_PROGRAM
#error "ORV_PROGRAM names the program"
#endif

namespace {
struct Result {
    int code = -1;  // exit code, or 128 + the signal that ended it
    std::string err;
};

// Starts the program in the current directory with only the given environment (no display unless
// given); `after` runs while it does, then the program is waited for (killed after 20 s).
Result Start(const std::vector<std::string>& env, const std::function<void(pid_t)>& after = {}) {
    std::vector<std::string> all = env;
    all.push_back("PATH=/usr/bin:/bin");
    // The program's lock and registry file stay in the test's folder, away from the player's.
    all.push_back("XDG_CONFIG_HOME=" + std::filesystem::current_path().string() + "/config");
    std::vector<char*> envp;
    for (std::string& e : all) envp.push_back(e.data());
    envp.push_back(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        int fd = open("stderr.txt", O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(fd, 2);
        int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        char* argv[] = {const_cast<char*>(ORV_PROGRAM), nullptr};
        execve(ORV_PROGRAM, argv, envp.data());
        _exit(127);
    }
    if (after) after(pid);
    int status = 0;
    for (int i = 0; i < 2000 && waitpid(pid, &status, WNOHANG) == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    Result r;
    if (waitpid(pid, &status, WNOHANG) == 0) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
    }
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    std::ifstream f("stderr.txt");
    std::stringstream ss;
    ss << f.rdbuf();
    r.err = ss.str();
    return r;
}

class ProgramTest : public testing::Test {
protected:
    support::TempDir dir;
};
}  // namespace

TEST_F(ProgramTest, ValuesItDoesNotUnderstandEndItWithExitCode2) {
    const std::pair<std::vector<std::string>, const char*> bad[] = {
        {{"ORV_PLATFORM=x11"}, "ORV_PLATFORM=\"x11\" is not understood"},
        {{"ORV_PLATFORM=headless", "ORV_WINDOWED=yes"}, "ORV_WINDOWED=\"yes\" is not understood"},
        {{"ORV_PLATFORM=headless", "ORV_FRAMES=ten"}, "ORV_FRAMES=\"ten\" is not understood"},
        {{"ORV_PLATFORM=headless", "ORV_FRAMES=0"}, "ORV_FRAMES=\"0\" is not understood"},
        {{"ORV_PLATFORM=headless", "ORV_FRAMES=-5"}, "ORV_FRAMES=\"-5\" is not understood"},
        {{"ORV_PLATFORM=headless", "ORV_PIXEL_FORMAT=888"}, "ORV_PIXEL_FORMAT=\"888\" is not understood"},
        {{"ORV_PLATFORM=headless", "ORV_DEBUG=yes"}, "ORV_DEBUG=\"yes\" is not understood"},
        {{"ORV_PLATFORM=headless", "ORV_SCREENSHOT=/no/such/dir/x.png"}, "its folder cannot be written"},
        {{"ORV_PLATFORM=headless", "ORV_INPUT=missing.txt"}, "ORV_INPUT=\"missing.txt\" cannot be read"},
        {{"ORV_PLATFORM=headless", "ORV_INPUT=folder"}, "ORV_INPUT=\"folder\" cannot be read"},
        {{"ORV_PLATFORM=headless", "ORV_INPUT=bad.txt"}, "ORV_INPUT=\"bad.txt\", line 2: unknown key \"NOPE\""},
        {{"ORV_PLATFORM=sdl", "ORV_INPUT=bad.txt"}, "ORV_INPUT drives the program without a display only"},
        // Full screen, the game pauses without the focus: the frame that would give it back never comes.
        {{"ORV_PLATFORM=headless", "ORV_INPUT=late.txt", "ORV_FRAMES=30"},
         "ORV_INPUT=\"late.txt\": the window lost the focus on frame 5 and no frame has come since"},
        // No display: the SDL backend is the default and nothing silently runs without a window.
        {{}, "no display (DISPLAY is not set); ORV_PLATFORM=headless runs"},
        {{"ORV_PLATFORM=sdl"}, "no display (DISPLAY is not set)"},
        {{"DISPLAY=:97"}, "the display \":97\" cannot be opened"},
    };
    ASSERT_TRUE(support::WriteBytes("bad.txt", {'1', ' ', 'c', 'l', 'o', 's', 'e', '\n', '2', ' ', 't', 'a', 'p', ' ',
                                                'N', 'O', 'P', 'E', '\n'}));
    std::filesystem::create_directory("folder");
    std::ofstream("late.txt") << "5 focus out\n6 focus in\n";
    for (const auto& [env, message] : bad) {
        const Result r = Start(env);
        EXPECT_EQ(r.code, 2) << message << ": " << r.err;
        EXPECT_NE(r.err.find(message), std::string::npos) << r.err;
    }
}

// ./run and ./test check their own variables before they install or build anything: the checks
// they source, each variable's good, bad and boundary values (a whole number is written back
// without leading zeros), and the commands themselves ending at a bad value. ./run takes relative
// paths from the folder it was started in; a test binary refuses a golden switch it does not
// understand and lets none of the game's variables reach its tests. The screen step's second start
// of the program, which ended before its window showed, says so after the program's output.
TEST_F(ProgramTest, TheCommandsAndTestBinariesTakeTheirVariablesAsTheySay) {
    std::filesystem::create_directory("data");
    std::filesystem::create_directory("shut");
    std::filesystem::permissions("shut", std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    std::ofstream("file") << "x";
    std::filesystem::permissions("file", std::filesystem::perms::owner_all);  // it can be run, not entered
    const std::string src = ORV_SOURCE_DIR;
    const struct {
        const char* check;  // run or test (orv_check_<check>_vars), or clear (orv_clear_game_vars)
        const char* var;
        const char* value;  // null: unset
        int code;
        const char* kept;  // what the variable holds after the check (for a pass)
    } rows[] = {
        {"test", "ORV_TEST_SEED", nullptr, 0, ""},
        {"test", "ORV_TEST_SEED", "", 0, ""},
        {"test", "ORV_TEST_SEED", "1", 0, "1"},
        {"test", "ORV_TEST_SEED", "99999", 0, "99999"},
        {"test", "ORV_TEST_SEED", "000042", 0, "42"},
        {"test", "ORV_TEST_SEED", "0", 2, nullptr},
        {"test", "ORV_TEST_SEED", "100000", 2, nullptr},
        {"test", "ORV_TEST_SEED", "-1", 2, nullptr},
        {"test", "ORV_TEST_SEED", "18446744073709551617", 2, nullptr},  // 2^64 + 1: the shell's sum would wrap to 1
        {"test", "ORV_TEST_SEED", "7x", 2, nullptr},
        {"test", "ORV_FUZZ_SECONDS", "1", 0, "1"},
        {"test", "ORV_FUZZ_SECONDS", "86400", 0, "86400"},
        {"test", "ORV_FUZZ_SECONDS", "0", 2, nullptr},  // libFuzzer's 0 would fuzz for ever
        {"test", "ORV_FUZZ_SECONDS", "86401", 2, nullptr},
        {"test", "ORV_FUZZ_SECONDS", "2.5", 2, nullptr},
        {"test", "ORV_UPDATE_GOLDEN", nullptr, 0, ""},
        {"test", "ORV_UPDATE_GOLDEN", "0", 0, "0"},
        {"test", "ORV_UPDATE_GOLDEN", "1", 0, "1"},
        {"test", "ORV_UPDATE_GOLDEN", "yes", 2, nullptr},
        {"test", "ORV_UPDATE_GOLDEN", "2", 2, nullptr},
        {"test", "ORV_UPDATE_GOLDEN", "01", 2, nullptr},
        {"run", "ORV_DATA", nullptr, 0, ""},
        {"run", "ORV_DATA", "", 0, ""},
        {"run", "ORV_DATA", "data", 0, "data"},
        {"run", "ORV_DATA", "missing", 2, nullptr},
        {"run", "ORV_DATA", "file", 2, nullptr},
        {"run", "ORV_DATA", "shut", geteuid() == 0 ? 0 : 2, "shut"},  // no search permission (root enters any folder)
        // ./test and the screen step clear the game's variables and keep their own and the rest.
        {"clear", "ORV_FRAMES", "5", 0, ""},
        {"clear", "ORV_PLATFORM", "sdl", 0, ""},
        {"clear", "SDL_AUDIODRIVER", "disk", 0, ""},
        {"clear", "ORV_UPDATE_GOLDEN", "1", 0, "1"},
        {"clear", "ORV_TEST_SEED", "42", 0, "42"},
        {"clear", "ORV_FUZZ_SECONDS", "60", 0, "60"},
        {"clear", "DISPLAY", ":5", 0, ":5"},
    };
    const auto shell = [](const std::string& command) {
        Result r;
        const int status = std::system((command + " > out.txt 2> err.txt").c_str());
        r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        for (const char* name : {"out.txt", "err.txt"}) {
            std::ifstream f(name);
            r.err.append(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
        }
        return r;
    };
    for (const auto& row : rows) {
        const std::string set = row.value ? std::string(row.var) + "='" + row.value + "' " : "";
        const std::string at = std::string(row.check) + " " + set;
        const std::string function = row.check == std::string("clear") ? "orv_clear_game_vars"
                                                                        : "orv_check_" + std::string(row.check) + "_vars";
        const Result r = shell("env -u " + std::string(row.var) + " " + set + "bash -c '. \"" + src +
                               "/tools/check_vars.sh\" && " + function + " && printf %s \"${" + row.var + ":-}\"'");
        EXPECT_EQ(r.code, row.code) << at << r.err;
        if (row.code == 0) {
            EXPECT_EQ(r.err, row.kept) << at;
        } else {
            EXPECT_NE(r.err.find(std::string(row.var) + "=\"" + row.value + "\" is not"), std::string::npos) << at << r.err;
        }
    }
    // The commands end there, before they install or build anything. They start in a project
    // folder of this test's own: ./run and tools/ linked in, the program and the sample data writer
    // as ./run's build would leave them. On the PATH every package counts as installed, cmake does
    // nothing, and whatever ./test would run next ends it with 97, so a check that let a value
    // through never starts a build (nor ./test inside this test).
    for (const char* folder : {"stubs", "project/build/release", "from"}) std::filesystem::create_directories(folder);
    for (const char* link : {"run", "tools"})
        std::filesystem::create_symlink(src + "/" + link, std::string("project/") + link);
    std::filesystem::create_symlink(ORV_PROGRAM, "project/build/release/orvant");
    std::filesystem::create_symlink(ORV_SAMPLE_DATA, "project/build/release/sample_data");
    const std::pair<const char*, const char*> stubs[] = {
        {"dpkg-query", "printf 'install ok installed'"}, {"cmake", "exit 0"}, {"apt-get", "exit 97"},
        {"sudo", "exit 97"}, {"ctest", "exit 97"}, {"python3", "exit 97"}, {"nproc", "exit 97"},
        {"xwininfo", "exit 1"}, {"ended", "echo 'no display here' >&2; exit 1"}};
    for (const auto& [tool, body] : stubs) {
        std::ofstream(std::string("stubs/") + tool) << "#!/bin/sh\n" << body << "\n";
        std::filesystem::permissions(std::string("stubs/") + tool, std::filesystem::perms::owner_all);
    }
    // The game's data for ./run, and a script that closes the game and answers Yes.
    ASSERT_EQ(std::system("'" ORV_SAMPLE_DATA "' --no-movie game > /dev/null"), 0);
    std::filesystem::copy("game", "from/-g\\ame \xc3\xa9", std::filesystem::copy_options::recursive);
    std::ofstream("from/quit.txt") << "15 close\n17 mouse 250 240\n19 click left\n";
    const std::string run = "'" + dir.path() + "/project/run'", test = "'" + src + "/test'";
    const std::string tests = "'" ORV_TEST_SHELL "' --gtest_filter=ProgramTest.*";
    const std::string second_start =
        "bash -ec '. \"" + src + "/tests/screen/window_starts.sh\"; second_start ended \"$PWD\"'";
    const struct {
        std::string command;  // started in from/
        const char* set;      // the variables it is started with
        int code;
        const char* said;      // in its output
        const char* not_said;  // nowhere in it (null: no such text)
        const char* made;      // a file it leaves in from/ (null: none)
    } commands[] = {
        {run, "ORV_DATA=missing", 2, "ORV_DATA=\"missing\" is not", nullptr, nullptr},
        {test, "ORV_TEST_SEED=0", 2, "ORV_TEST_SEED=\"0\" is not", nullptr, nullptr},
        {test, "ORV_FUZZ_SECONDS=0", 2, "ORV_FUZZ_SECONDS=\"0\" is not", nullptr, nullptr},
        {test, "ORV_UPDATE_GOLDEN=yes", 2, "ORV_UPDATE_GOLDEN=\"yes\" is not", nullptr, nullptr},
        // The game starts in its data directory; the script (it ends the game) and the picture are
        // those of from/. The frames only bound a run that the script failed to end.
        {run,
         "ORV_DATA=../game ORV_PLATFORM=headless ORV_DEBUG=1 ORV_FRAMES=1000 ORV_INPUT=quit.txt ORV_SCREENSHOT=shot.png", 0,
         " ( \xe7\xb5\x82\xe4\xba\x86 ) ", nullptr, "shot.png"},  // ( 終了 )
        // A data folder named as only a player would: a leading dash, a backslash, a blank, UTF-8.
        {run,
         "ORV_DATA='-g\\ame \xc3\xa9' ORV_PLATFORM=headless ORV_DEBUG=1 ORV_FRAMES=1000 ORV_INPUT=quit.txt "
         "ORV_SCREENSHOT=shot.png",
         0, " ( \xe7\xb5\x82\xe4\xba\x86 ) ", "\xe8\xa6\x8b\xe3\x81\xa4\xe3\x81\x8b\xe3\x82\x8a", "shot.png"},
        // A test binary checks the golden switch before it chooses a test.
        {tests, "ORV_UPDATE_GOLDEN=yes", 2, "ORV_UPDATE_GOLDEN=\"yes\" is not understood", "[ RUN", nullptr},
        // A caller's game variables reach no test and no program a test starts: each would end
        // or change the program's run there.
        {tests,
         "ORV_PLATFORM=sdl ORV_FRAMES=5 ORV_WINDOWED=1 ORV_INPUT=quit.txt ORV_SCREENSHOT=leak.png ORV_DATA=missing "
         "ORV_DEBUG=1 ORV_PIXEL_FORMAT=555 SDL_AUDIODRIVER=disk",
         0, "[  PASSED  ]", "FAILED", nullptr},
        // A program already ended is no error for the kill that would end it (the step runs under
        // set -e).
        {second_start, "", 1, "no display here\nthe window of the second start never appeared", nullptr, nullptr},
    };
    for (const auto& c : commands) {
        std::filesystem::remove_all("from/shot.png");
        const Result r = shell("(cd from && env PATH=\"$PWD/../stubs:$PATH\" XDG_CONFIG_HOME=\"$PWD/../config\" " +
                               std::string(c.set) + " " + c.command + ")");
        const std::string at = c.command + " " + c.set + "\n";
        EXPECT_EQ(r.code, c.code) << at << r.err;
        EXPECT_NE(r.err.find(c.said), std::string::npos) << at << r.err;
        if (c.not_said) {
            EXPECT_EQ(r.err.find(c.not_said), std::string::npos) << at << r.err;
        }
        if (c.made) {
            EXPECT_TRUE(std::filesystem::exists(std::string("from/") + c.made)) << at;
        }
    }
}

TEST_F(ProgramTest, AScriptDrivesTheHeadlessProgramToItsScreenshot) {
    // The pointer placed, moved outside and back, clicked; keys and text typed; a pad unplugged.
    const std::string script =
        "0 mouse 100 120\n"
        "5 click left\n"
        "8 tap Z\n"
        "10 mouse -20 500\n"
        "12 pad 0 0 0 1\n"
        "14 unplug 0\n"
        "16 type hello\n"
        "18 focus out\n"  // a game without the focus presents no frame until it is back
        "18 focus in\n"
        "20 mouse 333 222\n";
    // The sample data the run command uses: fonts, the cursor, sounds; without the opening movie,
    // so that the script meets the title.
    ASSERT_EQ(std::system(("'" ORV_SAMPLE_DATA "' --no-movie '" + dir.path() + "' > /dev/null").c_str()), 0);
    std::ofstream("script.txt") << script;
    const Result r = Start({"ORV_PLATFORM=headless", "ORV_INPUT=script.txt", "ORV_FRAMES=30",
                          "ORV_SCREENSHOT=" + dir.path() + "/shot.png"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(support::CheckGoldenFile("program/golden/headless_script", "shot.png"), "");
    // The 555 layout runs headless too: the same frame through the other conversion differs.
    const Result r555 = Start({"ORV_PLATFORM=headless", "ORV_PIXEL_FORMAT=555", "ORV_INPUT=script.txt", "ORV_FRAMES=30",
                               "ORV_SCREENSHOT=" + dir.path() + "/shot555.png"});
    ASSERT_EQ(r555.code, 0) << r555.err;
    EXPECT_NE(support::ReadBytes("shot555.png"), support::ReadBytes("shot.png"));
}

// The folders the player names are used as they are, whatever bytes their names hold: only the
// game's own names below the data folder have '\' read as a separator. A folder of each name
// holds the data folder, the home (through HOME or XDG_CONFIG_HOME), the script and the
// screenshot: every file is found (the debug output is the plain folder's), the settings, the
// registry and the screenshot are written, and the screenshot is the plain one.
TEST_F(ProgramTest, FoldersOfAnyNameServeAsDataHomeAndScreenshotFolder) {
    const struct {
        const char* name;
        bool home;  // the home through HOME (the registry in .config below it), else XDG_CONFIG_HOME
    } rows[] = {
        {"plain", false},       {"a\\b", false}, {"a\\b", true}, {"two words", true},
        {"caf\xc3\xa9", false},  // UTF-8
        {"-dash", true},
    };
    ASSERT_EQ(std::system("'" ORV_SAMPLE_DATA "' --no-movie sample > /dev/null"), 0);
    std::string plain_err;
    std::vector<uint8_t> plain_shot;
    for (const auto& row : rows) {
        const std::string root = dir.path() + "/" + row.name, at = std::string(row.name) + (row.home ? " HOME" : " XDG");
        const std::string data = root + "/data", home = root + "/home", shot = root + "/" + row.name + ".png";
        std::filesystem::remove_all(root);
        std::filesystem::create_directory(root);
        std::filesystem::copy("sample", data, std::filesystem::copy_options::recursive);
        std::ofstream(root + "/" + row.name + ".txt") << "0 mouse 200 150\n8 tap Z\n";
        std::filesystem::current_path(data);
        const Result r = Start({row.home ? "HOME=" + home : "XDG_CONFIG_HOME=" + home,
                                row.home ? "XDG_CONFIG_HOME=" : "HOME=/nonexistent", "ORV_PLATFORM=headless",
                                "ORV_DEBUG=1", "ORV_FRAMES=20", "ORV_INPUT=" + root + "/" + row.name + ".txt",
                                "ORV_SCREENSHOT=" + shot});
        std::filesystem::current_path(dir.path());
        ASSERT_EQ(r.code, 0) << at << ": " << r.err;
        EXPECT_EQ(support::ReadBytes(data + "/save/sys.dat").size(), 1492u) << at;
        EXPECT_GT(support::ReadBytes(home + (row.home ? "/.config" : "") + "/orvant/registry").size(), 0u) << at;
        if (plain_shot.empty()) {
            plain_err = r.err;
            plain_shot = support::ReadBytes(shot);
            ASSERT_GT(plain_shot.size(), 100u);
            continue;
        }
        EXPECT_EQ(r.err, plain_err) << at;
        EXPECT_TRUE(support::ReadBytes(shot) == plain_shot) << at;
    }
}

// The quit question answered from the keyboard and from a game pad, which the script plugs in
// before the start: each pad row ends on the same frame as the keyboard row it names. Pulled
// out, the pad does nothing; plugged back, it is opened again at the next activation.
TEST_F(ProgramTest, APadAnswersTheQuitQuestionAsTheKeyboardDoes) {
    enum Shows { kQuestion, kEndPicture, kTitle };
    const struct {
        const char* name;
        const char* script;  // after the close of frame 5
        const char* same_as;  // the keyboard row whose frame it ends on
        Shows shows;
    } rows[] = {
        {"asked", "", nullptr, kQuestion},
        {"keys yes", "12 tap NUMPAD4\n14 tap Z\n", nullptr, kEndPicture},
        {"keys no", "12 tap X\n", nullptr, kTitle},
        {"pad yes", "12 pad 0 -32768 0 0\n13 pad 0 0 0 0\n14 pad 0 0 0 1\n15 pad 0 0 0 0\n", "keys yes", kEndPicture},
        {"pad no", "12 pad 0 0 0 2\n13 pad 0 0 0 0\n", "keys no", kTitle},
        {"unplugged", "10 unplug 0\n12 pad 0 0 0 2\n13 pad 0 0 0 0\n", "asked", kQuestion},
        {"plugged back", "10 unplug 0\n10 plug 0\n12 pad 0 0 0 2\n13 pad 0 0 0 0\n", "asked", kQuestion},
        {"plugged back, activated", "10 unplug 0\n10 plug 0\n11 focus out\n11 focus in\n12 pad 0 0 0 2\n13 pad 0 0 0 0\n",
         "keys no", kTitle},
    };
    ASSERT_EQ(std::system(("'" ORV_SAMPLE_DATA "' --no-movie '" + dir.path() + "' > /dev/null").c_str()), 0);
    std::map<std::string, std::vector<uint8_t>> shots;
    for (const auto& row : rows) {
        std::ofstream("script.txt") << "5 close\n" << row.script;
        const Result r = Start({"ORV_PLATFORM=headless", "ORV_INPUT=script.txt", "ORV_FRAMES=30",
                                "ORV_SCREENSHOT=" + dir.path() + "/shot.png"});
        ASSERT_EQ(r.code, 0) << row.name << ": " << r.err;
        shots[row.name] = support::ReadBytes("shot.png");
        if (row.same_as) {
            EXPECT_TRUE(shots[row.name] == shots[row.same_as]) << row.name << " ends as " << row.same_as;
        }
        // Over the title's black: the box's face, and above it the end picture.
        int w = 0, h = 0;
        std::vector<uint32_t> px;
        ASSERT_TRUE(support::ReadPng("shot.png", &w, &h, &px)) << row.name;
        ASSERT_EQ(px.size(), size_t(640 * 480)) << row.name;
        const bool box = (px[190 * 640 + 320] & 0xFFFFFF) != 0, above = (px[100 * 640 + 320] & 0xFFFFFF) != 0;
        EXPECT_EQ(std::pair(box, above), std::pair(row.shows != kTitle, row.shows == kEndPicture)) << row.name;
    }
}

TEST_F(ProgramTest, TheSampleDataHoldsEveryEffectAWholeThumbnailLegibleSmallGlyphsAndTheOpeningMovie) {
    ASSERT_EQ(std::system(("'" ORV_SAMPLE_DATA "' '" + dir.path() + "' > /dev/null").c_str()), 0);
    EXPECT_GT(support::ReadBytes("Wav/EARLYSTG.DAT").size(), 100000u);
    // Every effect the game loads, and the hidden mode's cheer, is a sound: the refusal and the
    // message box are heard on a fresh machine.
    std::vector<std::string> sounds{"Wav/Ganbare.wav"};
    for (int i = 0; SE_DATA[i].name[0]; ++i) sounds.push_back(std::string("Wav/") + SE_DATA[i].name + ".wav");
    ASSERT_EQ(sounds.size(), size_t(SE_EFFECTS + 1));
    for (const std::string& name : sounds) {
        const std::vector<uint8_t> wave = support::ReadBytes(name);
        EXPECT_TRUE(wave.size() > 1000 && std::equal(wave.begin(), wave.begin() + 4, "RIFF")) << name;
    }
    // Its save has no replay voice and the day of the week of its date (2024-04-01, a Monday).
    const std::vector<uint8_t> save = support::ReadBytes("save/ov00.sav");
    ASSERT_EQ(save.size(), size_t(SAVE_RECORD_SIZE));
    EXPECT_EQ(std::tuple(plat::Get16(&save[SAVE_TIME_OFFSET]), plat::Get16(&save[SAVE_TIME_OFFSET + 4]),
                         plat::Get16(&save[SAVE_TIME_OFFSET + 6]), int32_t(plat::Get32(&save[SAVE_VOICE_OFFSET]))),
              std::tuple(2024, 1, 1, -1));
    // The slot's thumbnail is a thumbnail file as the game writes it.
    std::vector<uint8_t> thumb = support::ReadBytes("save/ov00.dat");
    ASSERT_EQ(thumb.size(), size_t(THUMB_FILE_SIZE));
    THUMB_BMP_VIEW view;
    THUMB_ParseBmp(&view, thumb.data(), thumb.size());
    EXPECT_EQ(std::tuple(view.width, view.height, int(view.bits), view.pitch), std::tuple(112, 80, 24, 336));
    // The 10-pixel glyphs keep their thin strokes: the horizontal stroke of "su" spans the cell.
    const std::vector<uint8_t> font = support::ReadBytes("Dat/Fnt10x10.fnt");
    ASSERT_EQ(FNT_LoadBytes(0, font.data(), font.size()), 1);
    const uint8_t* su = FNT_GlyphFull(0x82B7);  // su
    ASSERT_NE(su, nullptr);
    int longest = 0;
    for (int row = 0; row < 10; ++row) {
        const int bits = su[2 * row] | su[2 * row + 1] << 8;
        for (int x = 0, run = 0; x < 10; ++x) longest = std::max(longest, run = (bits >> x & 1) ? run + 1 : 0);
    }
    FNT_Reset();
    EXPECT_GE(longest, 7);
}

TEST_F(ProgramTest, SignalsEndTheProgramInOrderAndAFailedScreenshotIsReported) {
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
        std::remove("shot.png");
        const Result r = Start({"ORV_PLATFORM=headless", "ORV_SCREENSHOT=" + dir.path() + "/shot.png"}, [&](pid_t pid) {
            // Once it runs and presents (a sanitizer build starts slowly): the end shows a frame.
            std::this_thread::sleep_for(std::chrono::milliseconds(2000));
            kill(pid, sig);
        });
        EXPECT_EQ(r.code, 0) << sig << ": " << r.err;
        // The end screenshot is written by the orderly shutdown only.
        EXPECT_GT(support::ReadBytes("shot.png").size(), 100u) << sig;
    }
    // A picture that cannot be written (the name is a folder) makes the exit code 1.
    ASSERT_EQ(std::system("mkdir -p taken.png"), 0);
    const Result r = Start({"ORV_PLATFORM=headless", "ORV_FRAMES=3", "ORV_SCREENSHOT=" + dir.path() + "/taken.png"});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("could not write the screenshot"), std::string::npos) << r.err;
}
