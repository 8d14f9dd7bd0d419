// The memory-only backend: its own clock, scripted message-box answers, no real window.
#include <atomic>
#include <deque>
#include <mutex>

#include "platform/backend.h"
#include "platform/headless/headless.h"
#include "platform/instance.h"
#include "platform/registry.h"
#include "platform/msgbox.h"
#include "platform/platform.h"
#include "platform/sound_output.h"
#include "platform/window.h"

namespace headless {
namespace {
Config g_config;
bool g_pointer_shown = true;
std::atomic<uint32_t> g_time{0};
std::mutex g_boxes_mutex;  // answers and shown boxes
std::deque<int> g_answers;
std::vector<ShownBox> g_boxes;

// The sound device mixes up to the new time, then the clock's listeners hear of it.
void Moved(uint32_t now) {
    plat::detail::AudioClockMoved(now);
    plat::detail::ClockMoved();
}

void Move(uint32_t ms) { Moved(g_time += ms); }
}  // namespace

class Backend final : public plat::detail::Backend {
public:
    uint32_t TimeMs() override { return g_time; }
    void Sleep(uint32_t ms) override { Move(ms); }
    void Idle(uint32_t ms, bool) override {
        if (g_config.clock == Config::Clock::Virtual) Move(ms);
    }
    int DesktopBpp() override { return g_config.desktop_bpp; }
    bool Display565() override { return g_config.is565; }
    int ExtraPitch() override { return g_config.extra_pitch; }
    bool CreateWindow(plat::Window&) override { return true; }
    void ShowWindow(plat::Window&, bool) override {}
    void DestroyWindow(plat::Window&) override {}
    void SetFullscreen(plat::Window&, bool) override {}
    POINT ClientOrigin(plat::Window& w) override { return POINT{w.x, w.y}; }
    void MoveClient(plat::Window& w, int x, int y) override { w.x = x, w.y = y; }
    void ScreenSize(int* width, int* height) override {
        *width = g_config.screen_width;
        *height = g_config.screen_height;
    }
    void Pump() override {}
    void Present(const plat::Frame&) override {}
    void ShowPointer(bool visible) override { g_pointer_shown = visible; }
    int MessageBox(const std::string&, const std::string&, uint32_t) override {
        std::lock_guard<std::mutex> lock(g_boxes_mutex);
        if (g_answers.empty()) return plat::IDOK;
        int a = g_answers.front();
        g_answers.pop_front();
        return a;
    }
};

void Configure(const Config& config) {
    g_config = config;
    g_time = config.start_time;
    {
        std::lock_guard<std::mutex> lock(g_boxes_mutex);
        g_answers.clear();
        g_boxes.clear();
    }
    ResetInput();
    g_pointer_shown = true;
}

void Reset(const Config& config) {
    Configure(config);
    plat::InitBackend(plat::BackendKind::Headless);
    plat::detail::ResetHooks();
    plat::detail::SetLogging(true);
    plat::detail::UseMemoryRegistry(true);
    plat::detail::PretendNoHome({});
}

const Config& CurrentConfig() { return g_config; }
bool PointerShown() { return g_pointer_shown; }
void SetTime(uint32_t ms) { Moved(g_time = ms); }
void AdvanceTime(uint32_t ms) { Move(ms); }
void PushMessageBoxAnswer(int answer) {
    std::lock_guard<std::mutex> lock(g_boxes_mutex);
    g_answers.push_back(answer);
}
const std::vector<ShownBox>& ShownMessageBoxes() { return g_boxes; }
void SetFocus(bool focused) { plat::detail::PostActivation(plat::MainWindow(), focused); }
void Minimize(bool minimized) {
    plat::Window* w = plat::MainWindow();
    if (!w) return;
    plat::detail::SetMinimized(w, minimized);
    plat::detail::PostActivation(w, !minimized);
}
void Repaint() { plat::detail::PostPaint(plat::MainWindow()); }
void Close() { plat::PostMessage(plat::MainWindow(), plat::WM_CLOSE, 0, 0); }
void DropFiles(const std::vector<std::string>& names) { plat::detail::PostDrop(plat::MainWindow(), names); }
void Type(const std::string& bytes) {
    for (unsigned char c : bytes) plat::detail::PostTyped(plat::MainWindow(), c, AltHeld(), CtrlHeld());
}

void RecordBox(const char* text, const char* caption, uint32_t flags) {
    std::lock_guard<std::mutex> lock(g_boxes_mutex);
    g_boxes.push_back(ShownBox{text ? text : "", caption ? caption : "", flags});
}
}  // namespace headless

namespace plat::detail {
Backend* MakeHeadlessBackend() { return new headless::Backend; }
}
