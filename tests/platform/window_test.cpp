// The main window: activation order, paint, close and end requests, drops, placement on the screen.
#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <string>
#include <vector>

#include "display/dd_display.h"
#include "platform/headless/headless.h"
#include "platform/input.h"
#include "platform/platform.h"
#include "platform/window.h"

namespace {
struct Seen {
    uint32_t msg;
    uintptr_t wparam;
    bool operator==(const Seen&) const = default;
};
std::vector<Seen> g_seen;
plat::HDROP g_drop = nullptr;

intptr_t Proc(plat::Window* w, uint32_t m, uintptr_t wp, intptr_t lp) {
    g_seen.push_back({m, wp});
    if (m == plat::WM_DROPFILES) g_drop = reinterpret_cast<plat::HDROP>(wp);
    if (m == plat::WM_DESTROY) plat::PostQuitMessage(0);
    return plat::DefWindowProc(w, m, wp, lp);
}

class WindowTest : public testing::Test {
protected:
    void SetUp() override {
        headless::Config config;
        config.screen_width = 1024;
        config.screen_height = 768;
        headless::Reset(config);
        g_seen.clear();
        window = plat::CreateMainWindow("w", 640, 480, Proc);
        ASSERT_NE(window, nullptr);
    }
    void TearDown() override { plat::Shutdown(); }
    // Runs the queue dry (stopping at WM_QUIT) and hands back what the procedure saw.
    std::vector<Seen> Run() {
        g_seen.clear();
        plat::Msg msg;
        while (plat::PeekMessage(&msg)) {
            if (msg.message == plat::WM_QUIT) {
                g_seen.push_back({plat::WM_QUIT, msg.wparam});
                break;
            }
            plat::DispatchMessage(msg);
        }
        return g_seen;
    }
    plat::Window* window = nullptr;
};

using plat::WM_ACTIVATE, plat::WM_ACTIVATEAPP, plat::WM_NCACTIVATE;

TEST_F(WindowTest, FocusChangesGiveTheActivationMessagesInOneOrderOncePerChange) {
    headless::SetFocus(false);
    headless::SetFocus(false);  // no change, no messages
    EXPECT_EQ(Run(), (std::vector<Seen>{{WM_NCACTIVATE, 0}, {WM_ACTIVATE, 0}, {WM_ACTIVATEAPP, 0}}));
    EXPECT_FALSE(plat::IsWindowActive(window));
    headless::SetFocus(true);
    EXPECT_EQ(Run(), (std::vector<Seen>{{WM_ACTIVATEAPP, 1}, {WM_NCACTIVATE, 1}, {WM_ACTIVATE, 1}}));
    EXPECT_TRUE(plat::IsWindowActive(window));
    // Minimised: the focus goes and WM_ACTIVATE carries the state in its high word.
    headless::Minimize(true);
    EXPECT_EQ(Run(), (std::vector<Seen>{{WM_NCACTIVATE, 0}, {WM_ACTIVATE, 0x10000}, {WM_ACTIVATEAPP, 0}}));
    EXPECT_TRUE(plat::IsIconic(window));
    headless::Minimize(false);
    EXPECT_EQ(Run(), (std::vector<Seen>{{WM_ACTIVATEAPP, 1}, {WM_NCACTIVATE, 1}, {WM_ACTIVATE, 1}}));
    EXPECT_FALSE(plat::IsIconic(window));
}

TEST_F(WindowTest, PaintWaitsOnceAndCloseOrAnEndRequestDestroyTheWindowOnce) {
    headless::Repaint();
    headless::Repaint();
    EXPECT_EQ(Run(), (std::vector<Seen>{{plat::WM_PAINT, 0}}));
    headless::Repaint();
    EXPECT_EQ(Run(), (std::vector<Seen>{{plat::WM_PAINT, 0}}));
    headless::Close();
    EXPECT_EQ(Run(), (std::vector<Seen>{{plat::WM_CLOSE, 0}, {plat::WM_DESTROY, 0}, {plat::WM_QUIT, 0}}));
    // The end a signal asks for: WM_ENDSESSION, destroyed by default, once however often asked.
    window = plat::CreateMainWindow("w", 640, 480, Proc);
    EXPECT_FALSE(plat::EndRequested());
    plat::RequestEnd();
    plat::RequestEnd();
    EXPECT_EQ(Run(), (std::vector<Seen>{{plat::WM_ENDSESSION, 1}, {plat::WM_DESTROY, 0}, {plat::WM_QUIT, 0}}));
    EXPECT_EQ(plat::MainWindow(), nullptr);
    EXPECT_EQ(Run(), std::vector<Seen>{});
}

TEST_F(WindowTest, SigtermAsksForOneOrderlyEnd) {
    plat::CatchEndSignals();
    std::raise(SIGTERM);
    EXPECT_TRUE(plat::EndRequested());
    EXPECT_EQ(Run(), (std::vector<Seen>{{plat::WM_ENDSESSION, 1}, {plat::WM_DESTROY, 0}, {plat::WM_QUIT, 0}}));
    std::signal(SIGTERM, SIG_DFL);
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGHUP, SIG_DFL);
}

TEST_F(WindowTest, DroppedFilesArriveOnlyWhileAcceptedAndReadBackBounded) {
    headless::DropFiles({"a.txt"});
    EXPECT_EQ(Run(), std::vector<Seen>{});
    plat::DragAcceptFiles(window, true);
    headless::DropFiles({"/tmp/first.dat", "second"});
    ASSERT_EQ(Run().size(), 1u);
    char buf[8];
    EXPECT_EQ(plat::DragQueryFile(g_drop, 0xFFFFFFFFu, nullptr, 0), 2u);
    EXPECT_EQ(plat::DragQueryFile(g_drop, 0, buf, sizeof buf), 7u);  // cut to the buffer
    EXPECT_STREQ(buf, "/tmp/fi");
    EXPECT_EQ(plat::DragQueryFile(g_drop, 1, nullptr, 0), 6u);
    EXPECT_EQ(plat::DragQueryFile(g_drop, 2, buf, sizeof buf), 0u);
    plat::DragFinish(g_drop);
    EXPECT_EQ(plat::DragQueryFile(g_drop, 0xFFFFFFFFu, nullptr, 0), 0u);  // gone
}

TEST_F(WindowTest, PlacementFrameAndScreenConversionsRoundTrip) {
    EXPECT_EQ(plat::GetSystemMetrics(plat::SM_CXSCREEN), 1024);
    EXPECT_EQ(plat::GetSystemMetrics(plat::SM_CYSCREEN), 768);
    const int frame = plat::GetSystemMetrics(plat::SM_CXFRAME), caption = plat::GetSystemMetrics(plat::SM_CYCAPTION);
    EXPECT_GT(frame, 0);
    EXPECT_GT(caption, 0);
    // Created centred; the whole window's rectangle holds the frame and caption.
    RECT r;
    ASSERT_TRUE(plat::GetWindowRect(window, &r));
    EXPECT_EQ((std::vector<int>{r.left, r.top, r.right, r.bottom}),
              (std::vector<int>{192 - frame, 144 - frame - caption, 832 + frame, 624 + frame}));
    RECT adj{0, 0, 640, 480};
    plat::AdjustWindowRect(&adj);
    ASSERT_TRUE(plat::SetWindowPos(window, 10, 20, adj.right - adj.left, adj.bottom - adj.top, plat::SWP_NOZORDER));
    ASSERT_TRUE(plat::GetWindowRect(window, &r));
    EXPECT_EQ((std::vector<int>{r.left, r.top, r.right - r.left, r.bottom - r.top}),
              (std::vector<int>{10, 20, adj.right - adj.left, adj.bottom - adj.top}));
    POINT p{0, 0};
    plat::ClientToScreen(window, &p);
    EXPECT_EQ((std::vector<int>{p.x, p.y}), (std::vector<int>{10 + frame, 20 + frame + caption}));
    plat::ScreenToClient(window, &p);
    EXPECT_EQ((std::vector<int>{p.x, p.y}), (std::vector<int>{0, 0}));
    // The pointer reads in screen coordinates; outside the window it reads as it is.
    headless::SetMouse(-30, 500, 0);
    ASSERT_TRUE(plat::GetCursorPos(&p));
    EXPECT_EQ((std::vector<int>{p.x, p.y}), (std::vector<int>{-30 + 10 + frame, 500 + 20 + frame + caption}));
    plat::ScreenToClient(window, &p);
    EXPECT_EQ((std::vector<int>{p.x, p.y}), (std::vector<int>{-30, 500}));
    plat::SetCursorPos(100 + frame, 200);
    EXPECT_EQ((std::vector<int>{headless::Input().mouse_x, headless::Input().mouse_y}),
              (std::vector<int>{90, 200 - 20 - frame - caption}));
    // SWP_NOMOVE keeps the place; in full screen the client area is the screen and does not move.
    plat::SetWindowPos(window, 300, 300, 0, 0, plat::SWP_NOMOVE | plat::SWP_NOSIZE);
    plat::GetWindowRect(window, &r);
    EXPECT_EQ(r.left, 10);
    plat::SetWindowFullscreen(window, true);
    EXPECT_TRUE(plat::IsWindowFullscreen(window));
    plat::SetWindowPos(window, -frame, -frame - caption, 0, 0, 0);
    p = POINT{5, 6};
    plat::ClientToScreen(window, &p);
    EXPECT_EQ((std::vector<int>{p.x, p.y}), (std::vector<int>{5, 6}));
    plat::GetWindowRect(window, &r);
    EXPECT_EQ((std::vector<int>{r.left, r.top, r.right, r.bottom}),
              (std::vector<int>{-frame, -frame - caption, 1024 + frame, 768 + frame}));
    plat::SetWindowFullscreen(window, false);
    plat::GetWindowRect(window, &r);
    EXPECT_EQ(r.left, 10);  // back where it was
}

TEST_F(WindowTest, AsyncKeysIncludeConvertAndNonConvert) {
    const int vks[][2] = {{plat::VK_NONCONVERT, 0x7B}, {plat::VK_CONVERT, 0x79}, {0x10, 0x36}, {0x11, 0x9D}};
    for (const auto& [vk, code] : vks) {
        EXPECT_EQ(plat::GetAsyncKeyState(vk), 0) << vk;
        headless::SetKey(uint8_t(code), true);
        EXPECT_EQ(plat::GetAsyncKeyState(vk), int16_t(0x8000)) << vk;
        headless::SetKey(uint8_t(code), false);
    }
}
}  // namespace

namespace {
int ModeSwitches(const char* which) {
    int n = 0;
    for (const std::string& c : headless::CallLog()) n += c == which;
    return n;
}
}  // namespace

// Re-creating the display in the mode the window already has leaves the window alone (under a
// window manager, leaving and entering full screen hands the focus straight back); a real switch
// changes it once.
TEST_F(WindowTest, ReCreatingTheDisplayInItsModeLeavesTheWindowAlone) {
    int32_t full = 1;
    ASSERT_EQ(DD_Init(window, 640, 480, 16, &full, 0, 1), 1);
    EXPECT_TRUE(plat::IsWindowFullscreen(window));
    headless::ClearCallLog();
    for (int i = 0; i < 3; ++i) ASSERT_EQ(DD_ChangeMode(640, 480, 16, 1, 0, 1), 1);
    EXPECT_EQ(ModeSwitches("SetWindowFullscreen(0)") + ModeSwitches("SetWindowFullscreen(1)"), 0);
    EXPECT_TRUE(plat::IsWindowFullscreen(window));
    ASSERT_EQ(DD_ChangeMode(640, 480, 16, 0, 0, 1), 1);
    EXPECT_EQ(ModeSwitches("SetWindowFullscreen(0)"), 1);
    EXPECT_FALSE(plat::IsWindowFullscreen(window));
    ASSERT_EQ(DD_ChangeMode(640, 480, 16, 0, 0, 1), 1);
    ASSERT_EQ(DD_ChangeMode(640, 480, 16, 1, 0, 1), 1);
    EXPECT_EQ(ModeSwitches("SetWindowFullscreen(0)"), 1);
    EXPECT_EQ(ModeSwitches("SetWindowFullscreen(1)"), 1);
    DD_Release();
}

namespace {
struct KeyMsg {
    uint32_t msg;
    uintptr_t wparam;
    uint32_t lparam;
    bool operator==(const KeyMsg&) const = default;
};
std::vector<KeyMsg> g_keys;

// As the game's procedure: a close asks first (nothing closes here), the rest goes to the default.
intptr_t KeyProc(plat::Window* w, uint32_t m, uintptr_t wp, intptr_t lp) {
    if (m != plat::WM_ACTIVATE && m != plat::WM_ACTIVATEAPP && m != plat::WM_NCACTIVATE)
        g_keys.push_back({m, wp, uint32_t(lp)});
    return m == plat::WM_CLOSE ? 0 : plat::DefWindowProc(w, m, wp, lp);
}
}  // namespace

TEST(KeyMessages, AltMakesSystemKeysAndAltF4AsksToCloseOncePerPress) {
    using namespace plat;
    constexpr uint32_t kDown = 1, kAltDown = 0x20000001, kUp = 0xC0000001, kAltUp = 0xE0000001;
    constexpr uint32_t kAltRepeat = 0x60000001;
    constexpr uint8_t kAlt = 0x38, kRightAlt = 0xB8, kCtrl = 0x1D, kF4 = 0x3E, kF10 = 0x44, kQ = 0x10;
    constexpr KeyMsg kClose[] = {{WM_SYSCOMMAND, SC_CLOSE, 0}, {WM_CLOSE, 0, 0}};
    struct Step {
        uint8_t code;
        bool down;
    };
    struct Case {
        const char* what;
        std::vector<Step> steps;
        std::vector<KeyMsg> want;
    };
    const Case cases[] = {
        {"F4 alone", {{kF4, true}, {kF4, false}}, {{WM_KEYDOWN, 0x73, kDown}, {WM_KEYUP, 0x73, kUp}}},
        {"Alt+F4",
         {{kAlt, true}, {kF4, true}, {kF4, false}, {kAlt, false}},
         {{WM_SYSKEYDOWN, 0x12, kAltDown}, {WM_SYSKEYDOWN, 0x73, kAltDown}, kClose[0], kClose[1],
          {WM_SYSKEYUP, 0x73, kAltUp}, {WM_KEYUP, 0x12, kUp}}},
        {"right Alt+F4",
         {{kRightAlt, true}, {kF4, true}},
         {{WM_SYSKEYDOWN, 0x12, kAltDown}, {WM_SYSKEYDOWN, 0x73, kAltDown}, kClose[0], kClose[1]}},
        {"Alt+F4 held: its repeats ask nothing more",
         {{kAlt, true}, {kF4, true}, {kF4, true}, {kF4, true}},
         {{WM_SYSKEYDOWN, 0x12, kAltDown}, {WM_SYSKEYDOWN, 0x73, kAltDown}, kClose[0], kClose[1],
          {WM_SYSKEYDOWN, 0x73, kAltRepeat}, {WM_SYSKEYDOWN, 0x73, kAltRepeat}}},
        {"F4 held, then Alt: a repeat, no close",
         {{kF4, true}, {kAlt, true}, {kF4, true}},
         {{WM_KEYDOWN, 0x73, kDown}, {WM_SYSKEYDOWN, 0x12, kAltDown}, {WM_SYSKEYDOWN, 0x73, kAltRepeat}}},
        {"Ctrl+Alt stands for AltGr: plain keys, no close",
         {{kCtrl, true}, {kAlt, true}, {kF4, true}},
         {{WM_KEYDOWN, 0x11, kDown}, {WM_KEYDOWN, 0x12, kAltDown}, {WM_KEYDOWN, 0x73, kAltDown}}},
        {"F10 is a system key without Alt", {{kF10, true}, {kF10, false}},
         {{WM_SYSKEYDOWN, 0x79, kDown}, {WM_SYSKEYUP, 0x79, kUp}}},
        {"Alt+Q", {{kAlt, true}, {kQ, true}, {kQ, false}},
         {{WM_SYSKEYDOWN, 0x12, kAltDown}, {WM_SYSKEYDOWN, 'Q', kAltDown}, {WM_SYSKEYUP, 'Q', kAltUp}}},
        {"a release never seen down says nothing", {{kF4, false}}, {}},
    };
    for (const Case& c : cases) {
        headless::Reset(headless::Config{});
        Window* w = CreateMainWindow("w", 640, 480, KeyProc);
        ASSERT_NE(w, nullptr);
        Msg msg;
        while (PeekMessage(&msg)) DispatchMessage(msg);
        g_keys.clear();
        for (const Step& s : c.steps) headless::PressKey(s.code, s.down);
        while (PeekMessage(&msg)) DispatchMessage(msg);
        EXPECT_EQ(g_keys, c.want) << c.what;
        EXPECT_TRUE(IsWindow(w)) << c.what;
        Shutdown();
    }
}

TEST(KeyMessages, CharactersTypedWithAltAreSystemCharacters) {
    headless::Reset(headless::Config{});
    plat::Window* w = plat::CreateMainWindow("w", 640, 480, KeyProc);
    plat::Msg msg;
    while (plat::PeekMessage(&msg)) plat::DispatchMessage(msg);
    g_keys.clear();
    headless::Type("q");
    headless::SetKey(0x38, true);
    headless::Type("q");
    headless::SetKey(0x1D, true);  // Ctrl+Alt: AltGr's characters are plain ones
    headless::Type("@");
    while (plat::PeekMessage(&msg)) plat::DispatchMessage(msg);
    EXPECT_EQ(g_keys, (std::vector<KeyMsg>{{plat::WM_CHAR, 'q', 1},
                                           {plat::WM_SYSCHAR, 'q', 0x20000001},
                                           {plat::WM_CHAR, '@', 0x20000001}}));
    EXPECT_TRUE(plat::IsWindow(w));
    plat::Shutdown();
}
