// The window on a real X server, as a player meets it: under a window manager started here, full
// screen can be left and entered again; typed keys arrive as characters; one close request is one
// WM_CLOSE; the pointer reads outside the window and right after the window shows; bare full
// screen shows the whole picture; a game pad can be unplugged and plugged back.
#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <string>

#include "display/blt_frame.h"
#include "display/dd_display.h"
#include "platform/clock.h"
#include "platform/input.h"
#include "platform/msgbox.h"
#include "platform/platform.h"
#include "platform/sdl/sdl_backend.h"
#include "services/inp_device.h"
#include "tests/screen/x11_window.h"

namespace {
struct Seen {
    std::string chars;
    int closes = 0, gains = 0, losses = 0;
    int f4 = 0, alt_f4 = 0;  // F4 as a plain key, and with Alt as a system key
    uintptr_t activate = 0;  // the last WM_ACTIVATE's wparam
} g_seen;

// As the shell's procedure: activation re-creates a full-screen display and (un)acquires input.
intptr_t Proc(plat::Window* w, uint32_t m, uintptr_t wp, intptr_t lp) {
    switch (m) {
        case plat::WM_ACTIVATE:
            g_seen.activate = wp;
            if (DD_DISPLAY.full_screen) DD_ChangeMode(640, 480, 16, 1, 0, 1);
            (wp & 0xFFFF) ? INP_Acquire() : INP_Unacquire();
            return 0;
        case plat::WM_ACTIVATEAPP: (wp ? g_seen.gains : g_seen.losses)++; return 0;
        case plat::WM_CHAR: g_seen.chars += char(wp); return 0;
        case plat::WM_CLOSE: ++g_seen.closes; return 0;  // the game asks first; nothing closes here
        case plat::WM_KEYDOWN: g_seen.f4 += wp == 0x73; return 0;
        case plat::WM_SYSKEYDOWN:
            g_seen.alt_f4 += wp == 0x73 && !(lp & plat::KF_REPEAT);
            return plat::DefWindowProc(w, m, wp, lp);
        default: return plat::DefWindowProc(w, m, wp, lp);
    }
}

// Pumps and presents frames until done() holds or the time is up.
bool FramesUntil(const std::function<bool()>& done, int ms = 3000) {
    plat::Msg msg;
    for (uint32_t end = SDL_GetTicks() + uint32_t(ms); SDL_GetTicks() < end; SDL_Delay(10)) {
        while (plat::PeekMessage(&msg)) plat::DispatchMessage(msg);
        if (DD_DISPLAY.back) DD_Present();
        if (done && done()) return true;
    }
    return false;
}
void Frames(int ms) { FramesUntil(nullptr, ms); }

int Xdo(const std::string& args) { return std::system(("xdotool " + args + " 2> /dev/null").c_str()); }

struct GameWindow {
    plat::Window* window = nullptr;
    SDL_Window* sdl = nullptr;
    bool Open(bool full) {
        g_seen = Seen{};
        if (!plat::InitBackend(plat::BackendKind::Sdl)) return false;
        window = plat::CreateMainWindow("window", 640, 480, Proc);
        int32_t f = full ? 1 : 0;
        if (!window || DD_Init(window, 640, 480, 16, &f, 0, 1) != 1) return false;
        sdl = plat::sdl::NativeWindow(window);
        INP_Init(window, nullptr);
        return FramesUntil([] { return g_seen.gains > 0; });
    }
    ~GameWindow() {
        INP_Term();
        DD_Release();
        plat::DestroyWindow(window);
        plat::Shutdown();
    }
};

struct WindowManager {
    int pid = StartWindowManager();
    ~WindowManager() { StopWindowManager(pid); }
};

bool Tools() { return std::system("command -v xdotool > /dev/null && command -v openbox > /dev/null") == 0; }
}  // namespace

TEST(WindowScreen, FullScreenUnderAWindowManagerCanBeLeftAndEnteredAgain) {
    if (!Tools()) GTEST_SKIP() << "xdotool or openbox is not installed";
    WindowManager wm;
    ASSERT_GT(wm.pid, 0) << "openbox did not start";
    GameWindow g;
    ASSERT_TRUE(g.Open(true));
    int sw = 0, sh = 0;
    auto covers_screen = [&] {
        int w = 0, h = 0;
        SDL_GetWindowSize(g.sdl, &w, &h);
        return (SDL_GetWindowFlags(g.sdl) & SDL_WINDOW_FULLSCREEN) && w == sw && h == sh;
    };
    sw = plat::GetSystemMetrics(plat::SM_CXSCREEN), sh = plat::GetSystemMetrics(plat::SM_CYSCREEN);
    EXPECT_TRUE(FramesUntil(covers_screen));
    // The player switches to another window: the game loses the focus and does not take it back.
    const unsigned long other = OpenOtherWindow();
    ASSERT_NE(other, 0u);
    ASSERT_EQ(Xdo("windowactivate --sync " + std::to_string(other)), 0);
    EXPECT_TRUE(FramesUntil([] { return g_seen.losses > 0; }));
    Frames(1500);  // long enough for any re-created display to grab the focus back
    EXPECT_FALSE(plat::IsWindowActive(g.window));
    EXPECT_EQ(FocusedWindow(), other);
    // And back: active again, still full screen over the whole screen.
    const int gains = g_seen.gains;
    ASSERT_EQ(Xdo("windowactivate --sync " + std::to_string(XWindowOf(g.sdl))), 0);
    EXPECT_TRUE(FramesUntil([&] { return g_seen.gains > gains && plat::IsWindowActive(g.window); }));
    EXPECT_TRUE(FramesUntil(covers_screen));
    EXPECT_NE(DD_DISPLAY.back, nullptr);
    CloseOtherWindow();
    // Minimised: WM_ACTIVATE says inactive and minimised.
    ASSERT_EQ(Xdo("windowminimize --sync " + std::to_string(XWindowOf(g.sdl))), 0);
    EXPECT_TRUE(FramesUntil([] { return g_seen.activate == 0x10000; })) << std::hex << g_seen.activate;
    EXPECT_TRUE(plat::IsIconic(g.window));
}

TEST(WindowScreen, TypedKeysArriveAsOneCharacterEachWithShiftAndCapsLock) {
    if (!Tools()) GTEST_SKIP() << "xdotool or openbox is not installed";
    WindowManager wm;
    GameWindow g;
    ASSERT_TRUE(g.Open(false));
    ASSERT_EQ(Xdo("windowactivate --sync " + std::to_string(XWindowOf(g.sdl))), 0);
    Frames(200);
    g_seen.chars.clear();
    ASSERT_EQ(Xdo("type --delay 30 'qorvintaleb Z1!'"), 0);
    EXPECT_TRUE(FramesUntil([] { return g_seen.chars.size() >= 15; }));
    EXPECT_EQ(g_seen.chars, "qorvintaleb Z1!");
    g_seen.chars.clear();
    ASSERT_EQ(Xdo("key Caps_Lock type --delay 30 ab"), 0);
    ASSERT_EQ(Xdo("key Caps_Lock key Return"), 0);
    EXPECT_TRUE(FramesUntil([] { return g_seen.chars.size() >= 3; }));
    EXPECT_EQ(g_seen.chars, "AB\r");
}

TEST(WindowScreen, OneCloseRequestIsOneWmClose) {
    GameWindow g;
    ASSERT_TRUE(g.Open(false));
    ASSERT_TRUE(SendCloseRequest(g.sdl));
    Frames(500);
    EXPECT_EQ(g_seen.closes, 1);
    ASSERT_TRUE(SendCloseRequest(g.sdl));
    Frames(500);
    EXPECT_EQ(g_seen.closes, 2);
}

TEST(WindowScreen, ThePointerReadsRightAfterShowingAndOutsideTheWindow) {
    if (!Tools()) GTEST_SKIP() << "xdotool is not installed";
    // Without a window manager the window opens centred: the pointer waits where client (100, 50)
    // will be and does not move while the window appears.
    int sw = 0, sh = 0;
    ASSERT_TRUE(ScreenSize(&sw, &sh));
    const int x0 = (sw - 640) / 2, y0 = (sh - 480) / 2;
    ASSERT_TRUE(WarpPointer(x0 + 100, y0 + 50));
    GameWindow g;
    ASSERT_TRUE(g.Open(false));
    POINT p;
    ASSERT_TRUE(plat::GetCursorPos(&p));
    plat::ScreenToClient(g.window, &p);
    EXPECT_EQ((std::vector<int>{p.x, p.y}), (std::vector<int>{100, 50}));
    // Left of and below the window: negative and past the client size, not clamped into it.
    ASSERT_TRUE(WarpPointer(x0 - 30, y0 + 480 + 20));
    EXPECT_TRUE(FramesUntil([&] {
        plat::GetCursorPos(&p);
        plat::ScreenToClient(g.window, &p);
        return p.x == -30 && p.y == 500;
    })) << p.x << "," << p.y;
}

TEST(WindowScreen, FullScreenWithoutAWindowManagerShowsTheWholePicture) {
    GameWindow g;
    ASSERT_TRUE(g.Open(true));
    // Four quadrants; the screen (4:3) shows them scaled to its whole size.
    const uint16_t colours[4] = {DD_RGB(255, 0, 0), DD_RGB(0, 255, 0), DD_RGB(0, 0, 255), DD_RGB(255, 255, 255)};
    auto draw = [&] {
        for (int q = 0; q < 4; ++q) {
            RECT r{(q % 2) * 320, (q / 2) * 240, (q % 2) * 320 + 320, (q / 2) * 240 + 240};
            BLT_FillRect(DD_DISPLAY.back, &r, colours[q]);
        }
    };
    int w = 0, h = 0;
    std::vector<uint32_t> screen;
    const uint32_t want[4] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};
    auto whole = [&] {
        draw();
        DD_Present();
        screen = CaptureScreen(&w, &h);
        if (screen.empty()) return false;
        const int xs[2] = {2, w - 3}, ys[2] = {2, h - 3};
        for (int q = 0; q < 4; ++q)
            if (screen[size_t(ys[q / 2]) * w + xs[q % 2]] != want[q]) return false;
        return true;
    };
    EXPECT_TRUE(FramesUntil(whole)) << "corners " << std::hex << screen[0] << " " << screen[size_t(w) * h - 1];
}

TEST(WindowScreen, AGamePadUnpluggedLeavesTheKeyboardAndComesBackAtActivation) {
    if (!Tools()) GTEST_SKIP() << "xdotool is not installed";
    SDL_InitSubSystem(SDL_INIT_JOYSTICK);
    const int device = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 2, 4, 0);
    ASSERT_GE(device, 0) << SDL_GetError();
    GameWindow g;
    ASSERT_TRUE(g.Open(false));
    ASSERT_EQ(INP_GetJoystickCount(), 1);
    auto press = [](int button) {  // on the pad the devices opened
        for (int d = 0; d < SDL_NumJoysticks(); ++d)
            if (SDL_JoystickIsVirtual(d))
                if (SDL_Joystick* j = SDL_JoystickFromInstanceID(SDL_JoystickGetDeviceInstanceID(d)))
                    return SDL_JoystickSetVirtualButton(j, button, 1) == 0;
        return false;
    };
    ASSERT_TRUE(press(0));
    Xdo("windowactivate --sync " + std::to_string(XWindowOf(g.sdl)));
    ASSERT_EQ(Xdo("mousemove_relative 1 1 keydown z"), 0);
    EXPECT_TRUE(FramesUntil([] { return INP_ReadKeyboard() && INP_ReadJoysticks() && KEY_IsDown(0x2C) &&
                                        JOY_DATA[0].buttons == 1; }));
    // Unplugged: only the pad's data goes; the held key still reads.
    ASSERT_EQ(SDL_JoystickDetachVirtual(0), 0);
    EXPECT_TRUE(FramesUntil([] { return INP_ReadJoysticks() && JOY_DATA[0].buttons == 0; }));
    Frames(300);
    EXPECT_EQ(INP_ReadKeyboard(), 1);
    EXPECT_EQ(KEY_IsDown(0x2C), 1);
    // Plugged back: read again after the next activation.
    ASSERT_GE(SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 2, 4, 0), 0);
    Frames(200);
    INP_Unacquire();
    INP_Acquire();
    ASSERT_TRUE(press(2));
    EXPECT_TRUE(FramesUntil([] { return INP_ReadJoysticks() && JOY_DATA[0].buttons == 4; }));
    Xdo("keyup z");
    SDL_JoystickDetachVirtual(0);
}

// The boxes draw their Japanese text readably and answer Return, Escape and a click.
TEST(WindowScreen, MessageBoxesShowTheirTextAndAnswerKeysAndClicks) {
    if (!Tools()) GTEST_SKIP() << "xdotool is not installed";
    ASSERT_TRUE(plat::InitBackend(plat::BackendKind::Sdl));
    // ウィンドウモードでは実行できません。\nフルスクリーンモードで実行します。 / 情報
    const char* text =
        "\x83\x45\x83\x42\x83\x93\x83\x68\x83\x45\x83\x82\x81\x5b\x83\x68\x82\xc5\x82\xcd\x8e\xc0\x8d\x73\x82\xc5"
        "\x82\xab\x82\xdc\x82\xb9\x82\xf1\x81\x42\n\x83\x74\x83\x8b\x83\x58\x83\x4e\x83\x8a\x81\x5b\x83\x93\x83\x82"
        "\x81\x5b\x83\x68\x82\xc5\x8e\xc0\x8d\x73\x82\xb5\x82\xdc\x82\xb7\x81\x42";
    const char* caption = "\x8f\xee\x95\xf1";
    const uint32_t flags = plat::MB_OKCANCEL | plat::MB_ICONINFORMATION | plat::MB_TASKMODAL;
    struct Case {
        const char* action;
        int want;
    };
    // What the player does once the box shows; the picture is kept for a look.
    const std::string find = "xdotool search --sync --onlyvisible --class test_screen_window ";
    const Case cases[] = {
        {"windowfocus --sync %@ key Escape", plat::IDCANCEL},
        {"windowfocus --sync %@ key Return", plat::IDOK},
        // A click on the text answers nothing; one on キャンセル (right of OK, at the bottom) cancels.
        {"mousemove --window %@ 40 10 click 1 sleep 0.3 mousemove --window %@ 264 106 click 1", plat::IDCANCEL},
    };
    for (const Case& c : cases) {
        const std::string cmd = "(sleep 0.5; import -window \"$(" + find + "| head -1)\" /tmp/orv_box.png 2> /dev/null; " +
                                find + c.action + ") > /dev/null 2>&1 &";
        ASSERT_EQ(std::system(cmd.c_str()), 0);
        EXPECT_EQ(plat::MessageBox(text, caption, flags), c.want) << c.action;
    }
    plat::Shutdown();
}

// Alt+F4 is one close request: without a window manager the window's default handling makes it
// one; a window manager's own request right after the same press is not a second one.
TEST(WindowScreen, AltF4IsOneCloseRequestWithoutAWindowManager) {
    if (!Tools()) GTEST_SKIP() << "xdotool is not installed";
    GameWindow g;
    ASSERT_TRUE(g.Open(false));
    ASSERT_EQ(Xdo("windowfocus --sync " + std::to_string(XWindowOf(g.sdl))), 0);
    ASSERT_EQ(Xdo("key alt+F4"), 0);
    EXPECT_TRUE(FramesUntil([] { return g_seen.closes > 0; }));
    Frames(300);
    EXPECT_EQ((std::vector<int>{g_seen.closes, g_seen.alt_f4, g_seen.f4}), (std::vector<int>{1, 1, 0}));
    EXPECT_FALSE(plat::IsWindowFullscreen(g.window));
    ASSERT_EQ(Xdo("key alt+F4"), 0);
    ASSERT_TRUE(SendCloseRequest(g.sdl));
    EXPECT_TRUE(FramesUntil([] { return g_seen.closes > 1; }));
    Frames(300);
    EXPECT_EQ(g_seen.closes, 2);
    // Later, a close request is a request of its own.
    Frames(1000);
    ASSERT_TRUE(SendCloseRequest(g.sdl));
    EXPECT_TRUE(FramesUntil([] { return g_seen.closes > 2; }));
    EXPECT_EQ(g_seen.closes, 3);
}

TEST(WindowScreen, AltF4UnderAWindowManagerThatClosesOnItIsOneCloseRequest) {
    if (!Tools()) GTEST_SKIP() << "xdotool or openbox is not installed";
    WindowManager wm;
    ASSERT_GT(wm.pid, 0);
    GameWindow g;
    ASSERT_TRUE(g.Open(false));
    ASSERT_EQ(Xdo("windowactivate --sync " + std::to_string(XWindowOf(g.sdl))), 0);
    Frames(200);
    ASSERT_EQ(Xdo("key alt+F4"), 0);
    EXPECT_TRUE(FramesUntil([] { return g_seen.closes > 0; }));
    Frames(700);
    EXPECT_EQ(g_seen.closes, 1);
    EXPECT_EQ(g_seen.f4, 0);
}

// A fixed client area: the window manager offers neither maximising nor resizing (its title bar
// may still draw a disabled maximise button), and a maximise request or a double click on the
// title bar leaves 640 x 480.
TEST(WindowScreen, TheWindowCannotBeMaximisedUnderAWindowManager) {
    if (!Tools()) GTEST_SKIP() << "openbox is not installed";
    WindowManager wm;
    ASSERT_GT(wm.pid, 0);
    GameWindow g;
    ASSERT_TRUE(g.Open(false));
    std::vector<std::string> actions;
    EXPECT_TRUE(FramesUntil([&] { return !(actions = AllowedActions(g.sdl)).empty(); }));
    auto offered = [&](const char* name) { return std::find(actions.begin(), actions.end(), name) != actions.end(); };
    EXPECT_EQ((std::vector<bool>{offered("_NET_WM_ACTION_MOVE"), offered("_NET_WM_ACTION_MINIMIZE"),
                                 offered("_NET_WM_ACTION_CLOSE"), offered("_NET_WM_ACTION_MAXIMIZE_HORZ"),
                                 offered("_NET_WM_ACTION_MAXIMIZE_VERT"), offered("_NET_WM_ACTION_RESIZE")}),
              (std::vector<bool>{true, true, true, false, false, false}));
    int w = 0, h = 0;
    auto fixed = [&] {
        SDL_GetWindowSize(g.sdl, &w, &h);
        EXPECT_EQ((std::vector<int>{w, h}), (std::vector<int>{640, 480}));
        EXPECT_FALSE(SDL_GetWindowFlags(g.sdl) & SDL_WINDOW_MAXIMIZED);
    };
    int tx = 0, ty = 0;
    ASSERT_TRUE(TitleBarPoint(g.sdl, &tx, &ty));
    ASSERT_EQ(Xdo("mousemove " + std::to_string(tx) + " " + std::to_string(ty) + " click --repeat 2 --delay 80 1"), 0);
    Frames(700);
    fixed();
    ASSERT_TRUE(RequestMaximize(g.sdl));
    Frames(700);
    fixed();
    // A place given is the place read back (what the game stores and restores at the next start).
    ASSERT_TRUE(plat::SetWindowPos(g.window, 100, 80, 0, 0, plat::SWP_NOSIZE));
    RECT r{};
    EXPECT_TRUE(FramesUntil([&] { return plat::GetWindowRect(g.window, &r), r.left == 100 && r.top == 80; }))
        << r.left << "," << r.top;
}
