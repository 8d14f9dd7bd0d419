// Screen tests of input on a real X display: keys and pointer sent with xdotool reach the logical
// buttons and the mouse frame through the SDL backend.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include "display/dd_display.h"
#include "platform/platform.h"
#include "platform/sdl/sdl_backend.h"
#include "platform/window.h"
#include "services/inp_device.h"
#include "services/key_button.h"
#include "tests/platform/set1_keys.h"

namespace {
intptr_t Proc(plat::Window* w, uint32_t m, uintptr_t wp, intptr_t lp) {
    if (m == plat::WM_ACTIVATEAPP) {  // as the shell's window procedure does
        if (wp)
            INP_Acquire();
        else
            INP_Unacquire();
    }
    return plat::DefWindowProc(w, m, wp, lp);
}

void PumpFor(int ms) {
    uint32_t end = SDL_GetTicks() + uint32_t(ms);
    plat::Msg msg;
    do {
        while (plat::PeekMessage(&msg)) plat::DispatchMessage(msg);
        SDL_Delay(5);
    } while (SDL_GetTicks() < end);
}

// Runs frames (pump, then the input step) until done() holds or the time is up.
bool FramesUntil(const std::function<bool()>& done, int ms = 2000) {
    uint32_t end = SDL_GetTicks() + uint32_t(ms);
    plat::Msg msg;
    while (SDL_GetTicks() < end) {
        while (plat::PeekMessage(&msg)) plat::DispatchMessage(msg);
        KEY_Update();
        if (done()) return true;
        SDL_Delay(10);
    }
    return false;
}

int Xdo(const std::string& args) { return std::system(("xdotool " + args).c_str()); }

class InputScreen : public testing::Test {
protected:
    void SetUp() override {
        if (std::system("command -v xdotool > /dev/null 2>&1") != 0) GTEST_SKIP() << "xdotool is not installed";
        ASSERT_TRUE(plat::InitBackend(plat::BackendKind::Sdl));
        window = plat::CreateMainWindow("input", 640, 480, Proc);
        ASSERT_NE(window, nullptr);
        int32_t full = 0;
        ASSERT_EQ(DD_Init(window, 640, 480, 16, &full, 0, 1), 1);
        plat::ShowWindow(window, true);
        sdl = plat::sdl::NativeWindow(window);
        ASSERT_NE(sdl, nullptr);
        PumpFor(200);
        SDL_GetWindowPosition(sdl, &wx, &wy);
        // Without a window manager the keyboard follows the pointer: put it over the window.
        ASSERT_EQ(Xdo("mousemove " + std::to_string(wx + 320) + " " + std::to_string(wy + 240)), 0);
        SDL_RaiseWindow(sdl);
        SDL_SetWindowInputFocus(sdl);
        PumpFor(200);
        ASSERT_NE(INP_Init(window, nullptr), nullptr);
        INP_Acquire();
        KEY_InitDefault();
        MOUSE_FRAME = MouseFrame{};
    }
    void TearDown() override {
        INP_Term();
        DD_Release();
        if (window) plat::DestroyWindow(window);
        plat::Shutdown();
    }
    void MoveTo(int x, int y) {  // window pixels
        ASSERT_EQ(Xdo("mousemove " + std::to_string(wx + x) + " " + std::to_string(wy + y)), 0);
    }
    bool PointerAt(int x, int y) {
        return FramesUntil([&] { return MOUSE_FRAME.x == x && MOUSE_FRAME.y == y; });
    }
    plat::Window* window = nullptr;
    SDL_Window* sdl = nullptr;
    int wx = 0, wy = 0;
};
}  // namespace

TEST_F(InputScreen, HeldKeysBecomeLogicalButtons) {
    struct Case {
        const char* keysym;
        uint16_t bits;
    };
    // The keypad without Num Lock sends navigation symbols; the physical keys still count.
    const Case cases[] = {{"KP_Down", 0x2},  {"KP_End", 0x6},   {"KP_Left", 0x4},  {"KP_Home", 0x5},
                          {"KP_Up", 0x1},    {"KP_Prior", 0x9}, {"KP_Right", 0x8}, {"KP_Next", 0xA},
                          {"z", 0x10},       {"x", 0x20},       {"c", 0x40},       {"KP_Begin", 0x80}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keysym);
        ASSERT_EQ(Xdo(std::string("keydown ") + c.keysym), 0);
        EXPECT_TRUE(FramesUntil([&] { return KEY_DATA.held == c.bits; }))
            << "held " << KEY_DATA.held << " source " << KEY_DATA.source;
        EXPECT_EQ(KEY_DATA.source, KEY_SOURCE_KEYBOARD);
        ASSERT_EQ(Xdo(std::string("keyup ") + c.keysym), 0);
        EXPECT_TRUE(FramesUntil([&] { return KEY_DATA.held == 0; }));
    }
    // With Num Lock on the same keys send digits and give the same buttons.
    ASSERT_EQ(Xdo("key Num_Lock"), 0);
    ASSERT_EQ(Xdo("keydown KP_8"), 0);
    EXPECT_TRUE(FramesUntil([&] { return KEY_DATA.held == 0x1; })) << "held " << KEY_DATA.held;
    ASSERT_EQ(Xdo("keyup KP_8"), 0);
    EXPECT_TRUE(FramesUntil([&] { return KEY_DATA.held == 0; }));
    ASSERT_EQ(Xdo("key Num_Lock"), 0);
    // Press and release at once: the press still reaches one frame.
    ASSERT_EQ(Xdo("key x"), 0);
    EXPECT_TRUE(FramesUntil([] { return (KEY_DATA.pressed & 0x20) != 0; }));
    EXPECT_TRUE(FramesUntil([] { return KEY_DATA.held == 0; }));
}

TEST_F(InputScreen, PointerMapsToClientPixelsInWindowAndLetterbox) {
    MoveTo(100, 50);
    EXPECT_TRUE(PointerAt(100, 50)) << MOUSE_FRAME.x << "," << MOUSE_FRAME.y;
    MoveTo(639, 479);
    EXPECT_TRUE(PointerAt(639, 479)) << MOUSE_FRAME.x << "," << MOUSE_FRAME.y;

    // A wider window shows the 640 x 480 picture between bars 80 pixels wide.
    SDL_SetWindowSize(sdl, 800, 480);
    PumpFor(300);
    int w = 0, h = 0;
    SDL_GetWindowSize(sdl, &w, &h);
    ASSERT_EQ(w, 800);
    SDL_GetWindowPosition(sdl, &wx, &wy);
    MoveTo(80 + 100, 50);
    EXPECT_TRUE(PointerAt(100, 50)) << MOUSE_FRAME.x << "," << MOUSE_FRAME.y;
    MoveTo(20, 60);  // on the left bar: the nearest client column
    EXPECT_TRUE(PointerAt(0, 60)) << MOUSE_FRAME.x << "," << MOUSE_FRAME.y;

    // One and a half times the size: every client pixel is 1.5 window pixels.
    SDL_SetWindowSize(sdl, 960, 720);
    PumpFor(300);
    SDL_GetWindowPosition(sdl, &wx, &wy);
    MoveTo(150 + 1, 75 + 1);
    EXPECT_TRUE(PointerAt(100, 50)) << MOUSE_FRAME.x << "," << MOUSE_FRAME.y;

    // Placing the pointer from the game lands on the same client pixel.
    MOUSE_SetPos(200, 100);
    EXPECT_TRUE(PointerAt(200, 100)) << MOUSE_FRAME.x << "," << MOUSE_FRAME.y;
}

TEST_F(InputScreen, ClickGivesEdgeOnce) {
    MoveTo(300, 200);
    ASSERT_TRUE(PointerAt(300, 200));
    ASSERT_EQ(Xdo("mousedown 1"), 0);
    EXPECT_TRUE(FramesUntil([] { return MOUSE_FRAME.edge == 9; })) << MOUSE_FRAME.edge;
    EXPECT_TRUE(FramesUntil([] { return MOUSE_FRAME.edge == 0 && MOUSE_FRAME.buttons == 1; }));
    ASSERT_EQ(Xdo("mouseup 1"), 0);
    EXPECT_TRUE(FramesUntil([] { return MOUSE_FRAME.buttons == 0; }));
    // A click sent at once still shows its press in one frame.
    ASSERT_EQ(Xdo("click 3"), 0);
    EXPECT_TRUE(FramesUntil([] { return MOUSE_FRAME.edge == 0x12; })) << MOUSE_FRAME.edge;
    // The wheel is a running position.
    int32_t before = 0, after = 0;
    MOUSE_GetWheel(&before);
    ASSERT_EQ(Xdo("click 4"), 0);
    EXPECT_TRUE(FramesUntil([&] {
        MOUSE_GetWheel(&after);
        return after == before + DI_WHEEL_DELTA;
    })) << after - before;
}

// Every key of codes 0x01-0x58 on the server's US layout, pressed alone, reads as exactly that
// code: X key codes go through SDL's scancodes and back to the set-1 code of the same key.
TEST_F(InputScreen, EveryMainKeyReadsAsItsOwnCode) {
    auto only = [](int code) {
        for (int k = 0; k < 256; ++k) {
            if (code == 0x36 && k == 0x2A) continue;  // xdotool holds left shift with right shift
            if (KEY_IsDown(k) != (k == code)) return false;
        }
        return true;
    };
    for (int code = 0x01; code <= 0x58; ++code) {
        const char* keysym = set1::kKeys[code].xsym;
        if (!keysym) continue;
        SCOPED_TRACE(testing::Message() << keysym << " 0x" << std::hex << code);
        ASSERT_EQ(Xdo(std::string("keydown ") + keysym), 0);
        EXPECT_TRUE(FramesUntil([&] { return only(code); }));
        ASSERT_EQ(Xdo(std::string("keyup ") + keysym), 0);
        EXPECT_TRUE(FramesUntil([&] { return only(-1); }));
        if (code == 0x3A || code == 0x45) Xdo(std::string("key ") + keysym);  // lock back off
    }
}
