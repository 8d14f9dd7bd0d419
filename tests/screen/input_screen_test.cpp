// Input on a real X display: keys and pointer sent with xdotool reach the buttons and mouse frame.
#include <SDL.h>

#include <cstdlib>
#include <functional>
#include <string>

#include "platform/clock.h"
#include "platform/platform.h"
#include "platform/sdl/sdl_backend.h"
#include "tests/screen/x11_window.h"
#include "tests/services/input_fixture.h"

namespace {
intptr_t Proc(plat::Window* w, uint32_t m, uintptr_t wp, intptr_t lp) {
    if (m == plat::WM_ACTIVATEAPP) wp ? INP_Acquire() : INP_Unacquire();  // as the shell's procedure
    return plat::DefWindowProc(w, m, wp, lp);
}

// Runs frames (pump, then the input step) until done() holds or the time is up.
bool FramesUntil(const std::function<bool()>& done, int ms = 2000) {
    plat::Msg msg;
    for (uint32_t end = SDL_GetTicks() + uint32_t(ms); SDL_GetTicks() < end; SDL_Delay(10)) {
        while (plat::PeekMessage(&msg)) plat::DispatchMessage(msg);
        KEY_Update();
        if (done()) return true;
    }
    return false;
}

int Xdo(const std::string& args) { return std::system(("xdotool " + args).c_str()); }
}  // namespace

TEST(InputScreen, KeysPointerAndButtonsThroughTheXServer) {
    if (std::system("command -v xdotool > /dev/null 2>&1") != 0) GTEST_SKIP() << "xdotool is not installed";
    ASSERT_TRUE(plat::InitBackend(plat::BackendKind::Sdl));
    plat::Window* window = plat::CreateMainWindow("input", 640, 480, Proc);
    int32_t full = 0;
    ASSERT_EQ(DD_Init(window, 640, 480, 16, &full, 0, 1), 1);
    plat::ShowWindow(window, true);
    SDL_Window* sdl = plat::sdl::NativeWindow(window);
    ASSERT_NE(sdl, nullptr);
    auto move_to = [&](int x, int y) {  // window pixels
        int wx = 0, wy = 0;
        SDL_GetWindowPosition(sdl, &wx, &wy);
        return Xdo("mousemove " + std::to_string(wx + x) + " " + std::to_string(wy + y));
    };
    // After a move to window pixel (wx, wy) when given: whether a frame reads client pixel (x, y).
    auto pointer_at = [&](int x, int y, int wx = -1, int wy = -1) {
        if ((wx < 0 || move_to(wx, wy) == 0) && FramesUntil([&] { return MOUSE_FRAME.x == x && MOUSE_FRAME.y == y; }))
            return testing::AssertionSuccess();
        return testing::AssertionFailure() << "pointer at " << MOUSE_FRAME.x << "," << MOUSE_FRAME.y;
    };
    FramesUntil([] { return false; }, 200);
    // Without a window manager the keyboard follows the pointer: put it over the window.
    ASSERT_EQ(move_to(320, 240), 0);
    SDL_RaiseWindow(sdl);
    SDL_SetWindowInputFocus(sdl);
    FramesUntil([] { return false; }, 200);
    ASSERT_NE(INP_Init(window, nullptr), nullptr);
    INP_Acquire();
    KEY_InitDefault();
    // Each key of codes 0x01-0x58 on a US layout, pressed alone, reads as exactly that code and gives
    // its buttons, through SDL's scancodes. The keypad without Num Lock sends navigation symbols.
    auto only = [](int code) {
        for (int k = 0; k < 256; ++k)
            if (KEY_IsDown(k) != (k == code) && !(code == 0x36 && k == 0x2A)) return false;  // xdotool adds left shift
        return KEY_DATA.held == inputtest::DefaultBits(code);
    };
    for (int code = 0x01; code <= 0x58; ++code) {
        const std::string keysym = inputtest::Set1Name(inputtest::kSet1X, code);
        if (keysym.empty()) continue;
        ASSERT_EQ(Xdo("keydown " + keysym), 0);
        EXPECT_TRUE(FramesUntil([&] { return only(code); })) << keysym << " held " << KEY_DATA.held;
        EXPECT_EQ(KEY_DATA.source, KEY_DATA.held ? KEY_SOURCE_KEYBOARD : KEY_SOURCE_NONE);
        ASSERT_EQ(Xdo("keyup " + keysym), 0);
        EXPECT_TRUE(FramesUntil([&] { return only(-1); })) << keysym;
        if (code == 0x3A || code == 0x45) Xdo("key " + keysym);  // lock back off
    }
    // With Num Lock on the keypad sends digits and gives the same buttons.
    ASSERT_EQ(Xdo("key Num_Lock keydown KP_8"), 0);
    EXPECT_TRUE(FramesUntil([] { return KEY_DATA.held == 0x1; })) << KEY_DATA.held;
    ASSERT_EQ(Xdo("keyup KP_8 key Num_Lock"), 0);
    EXPECT_TRUE(FramesUntil([] { return KEY_DATA.held == 0; }));
    // A tap sent at once still reaches one frame.
    ASSERT_EQ(Xdo("key x"), 0);
    EXPECT_TRUE(FramesUntil([] { return (KEY_DATA.pressed & 0x20) != 0; }));
    EXPECT_TRUE(FramesUntil([] { return KEY_DATA.held == 0; }));
    // A click gives the edge once; one sent at once still shows its press; the wheel runs.
    ASSERT_TRUE(pointer_at(300, 200, 300, 200));
    ASSERT_EQ(Xdo("mousedown 1"), 0);
    EXPECT_TRUE(FramesUntil([] { return MOUSE_FRAME.edge == 9; })) << MOUSE_FRAME.edge;
    EXPECT_TRUE(FramesUntil([] { return MOUSE_FRAME.edge == 0 && MOUSE_FRAME.buttons == 1; }));
    ASSERT_EQ(Xdo("mouseup 1"), 0);
    EXPECT_TRUE(FramesUntil([] { return MOUSE_FRAME.buttons == 0; }));
    ASSERT_EQ(Xdo("click 3"), 0);
    EXPECT_TRUE(FramesUntil([] { return MOUSE_FRAME.edge == 0x12; })) << MOUSE_FRAME.edge;
    int32_t before = 0, after = 0;
    MOUSE_GetWheel(&before);
    ASSERT_EQ(Xdo("click 4"), 0);
    EXPECT_TRUE(FramesUntil([&] { return MOUSE_GetWheel(&after), after - before == DI_WHEEL_DELTA; })) << after;
    // Client pixels in the window, letterboxed with 80-pixel bars (on one: the nearest column), at 1.5x.
    EXPECT_TRUE(pointer_at(100, 50, 100, 50));
    EXPECT_TRUE(pointer_at(639, 479, 639, 479));
    SDL_SetWindowSize(sdl, 800, 480);
    FramesUntil([] { return false; }, 300);
    EXPECT_TRUE(pointer_at(100, 50, 80 + 100, 50));
    EXPECT_TRUE(pointer_at(0, 60, 20, 60));
    SDL_SetWindowSize(sdl, 960, 720);
    FramesUntil([] { return false; }, 300);
    EXPECT_TRUE(pointer_at(100, 50, 150 + 1, 75 + 1));
    MOUSE_SetPos(200, 100);  // placed from the game: lands on the same client pixel
    EXPECT_TRUE(pointer_at(200, 100));

    INP_Term();
    DD_Release();
    plat::DestroyWindow(window);
    plat::Shutdown();
}

namespace {
// A shown 640 x 480 window with the input devices acquired, the pointer over its middle.
struct InputWindow {
    plat::Window* window = nullptr;
    SDL_Window* sdl = nullptr;
    bool Open() {
        if (!plat::InitBackend(plat::BackendKind::Sdl)) return false;
        window = plat::CreateMainWindow("input", 640, 480, Proc);
        int32_t full = 0;
        if (DD_Init(window, 640, 480, 16, &full, 0, 1) != 1) return false;
        plat::ShowWindow(window, true);
        sdl = plat::sdl::NativeWindow(window);
        FramesUntil([] { return false; }, 200);
        if (MoveTo(320, 240) != 0) return false;
        SDL_RaiseWindow(sdl);
        SDL_SetWindowInputFocus(sdl);
        FramesUntil([] { return false; }, 200);
        if (!INP_Init(window, nullptr)) return false;
        INP_Acquire();
        KEY_InitDefault();
        return true;
    }
    int MoveTo(int x, int y) {  // window pixels
        int wx = 0, wy = 0;
        SDL_GetWindowPosition(sdl, &wx, &wy);
        return Xdo("mousemove " + std::to_string(wx + x) + " " + std::to_string(wy + y));
    }
    ~InputWindow() {
        INP_Term();
        DD_Release();
        plat::DestroyWindow(window);
        plat::Shutdown();
    }
};
}  // namespace

// The software cursor reads the pointer on every pass; quick clicks between two frames must
// still each reach the mouse frame once.
TEST(InputScreen, QuickClicksSurviveAPointerReadOnEveryPass) {
    if (std::system("command -v xdotool > /dev/null 2>&1") != 0) GTEST_SKIP() << "xdotool is not installed";
    InputWindow w;
    ASSERT_TRUE(w.Open());
    ASSERT_EQ(std::system("xdotool click --repeat 10 --delay 90 1 &"), 0);
    int clicks = 0;
    uint32_t last = SDL_GetTicks();
    plat::Msg msg;
    for (uint32_t end = SDL_GetTicks() + 2500; SDL_GetTicks() < end;) {
        while (plat::PeekMessage(&msg)) plat::DispatchMessage(msg);
        POINT p;
        plat::GetCursorPos(&p);  // the cursor's read of every pass
        if (SDL_GetTicks() - last > 33) {
            last = SDL_GetTicks();
            KEY_Update();
            clicks += MOUSE_FRAME.edge & 1;
        }
    }
    EXPECT_EQ(clicks, 10);
}

// The game hides the system pointer over its window and shows it again on request.
TEST(InputScreen, SystemPointerHiddenOverTheWindow) {
    InputWindow w;
    ASSERT_TRUE(w.Open());
    EXPECT_FALSE(PointerImageBlank());
    const plat::HCURSOR arrow = plat::SetCursor(nullptr);
    FramesUntil([] { return false; }, 200);
    EXPECT_TRUE(PointerImageBlank());
    plat::SetCursor(arrow);
    FramesUntil([] { return false; }, 200);
    EXPECT_FALSE(PointerImageBlank());
}
