// How the program runs and ends: its environment, end requests (signals, ORV_FRAMES, a lost
// display), the watchdog that ends a program that does not end in order, the end screenshot.
#include <semaphore.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <thread>

#include "platform/backend.h"
#include "platform/clock.h"
#include "platform/display.h"
#include "platform/files.h"
#include "platform/headless/headless.h"
#include "platform/input_script.h"
#include "platform/platform.h"
#include "platform/window.h"

namespace plat {
namespace {
std::atomic<bool> g_end_requested{false};
std::atomic<bool> g_end_posted{false};
std::atomic<bool> g_display_lost{false};
std::atomic<bool> g_finished{false};
std::atomic<int> g_signals{0};
std::atomic<int> g_watch_seconds{0};  // the watchdog's grace once armed
sem_t g_watch;
bool g_watch_started = false;

struct RunConfig {
    uint64_t frames = 0;  // ORV_FRAMES, 0 = no limit
    std::string screenshot;
    bool windowed = false;
    std::string input;  // ORV_INPUT
    std::vector<script::Event> script;
    size_t next = 0;
    // The script took the focus away (focus out, minimize) on frame away_frame and has not given
    // it back; waiting: since wait_ms no frame has come while it waits for a later one.
    bool away = false, waiting = false, stalled = false;
    uint64_t away_frame = 0, wait_frame = 0;
    uint32_t wait_ms = 0;
    bool have_shot = false;
    Frame shot;  // the frame ORV_FRAMES ended on
};
RunConfig g_run;
// A game that keeps running without the focus presents a frame every interval; this long without
// one, a script that took the focus away waits for a frame that a paused game never presents.
constexpr uint32_t kStalledMs = 10000;

[[noreturn]] void BadEnvironment(const std::string& what) {
    std::fprintf(stderr, "orvant: %s\n", what.c_str());
    std::fflush(stderr);
    std::_Exit(2);
}

// Wakes the watchdog: `seconds` from now a program still running ends at once.
void Arm(int seconds) {
    int expected = 0;
    if (g_watch_seconds.compare_exchange_strong(expected, seconds) && g_watch_started) sem_post(&g_watch);
}

void OnSignal(int sig) {
    if (g_signals.fetch_add(1) > 0) {  // a second signal: at once
        std::signal(sig, SIG_DFL);
        std::raise(sig);
        return;
    }
    g_end_requested = true;
    Arm(10);
}

void Watchdog() {
    while (sem_wait(&g_watch) != 0 && errno == EINTR) {
    }
    const int seconds = g_watch_seconds;
    for (int i = 0; i < seconds * 10; ++i) {
        if (g_finished) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    if (g_finished) return;
    const char msg[] = "orvant: the program did not end in order in time; ending at once\n";
    ssize_t ignored = write(STDERR_FILENO, msg, sizeof msg - 1);
    (void)ignored;
    _exit(1);
}

bool ParsePositive(const std::string& s, uint64_t* out) {
    if (s.empty() || s.size() > 12 || s.find_first_not_of("0123456789") != std::string::npos) return false;
    *out = std::stoull(s);
    return *out > 0;
}

void OneOf(const char* name, std::initializer_list<const char*> allowed) {
    const std::string v = Env(name);
    if (v.empty()) return;
    std::string list;
    for (const char* a : allowed) {
        if (v == a) return;
        list += list.empty() ? std::string(a) : std::string(" or ") + a;
    }
    BadEnvironment(std::string(name) + "=\"" + v + "\" is not understood (use " + list + ")");
}
}  // namespace

void RequestEnd() {
    g_end_requested = true;
    Arm(5);
}

bool EndRequested() { return g_end_requested; }
bool WindowedRequested() { return g_run.windowed; }

void CatchEndSignals() {
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) sigaction(sig, &sa, nullptr);
    std::signal(SIGPIPE, SIG_IGN);  // a write to a closed display connection fails instead
    std::signal(SIGXFSZ, SIG_IGN);  // a write past the file-size limit fails (EFBIG) instead
}

namespace detail {
void ReadRunEnvironment() {
    OneOf("ORV_PLATFORM", {"sdl", "headless"});
    OneOf("ORV_WINDOWED", {"0", "1"});
    OneOf("ORV_PIXEL_FORMAT", {"565", "555"});
    OneOf("ORV_DEBUG", {"0", "1"});
    g_run = RunConfig{};
    g_run.windowed = Env("ORV_WINDOWED") == "1";
    if (const std::string f = Env("ORV_FRAMES"); !f.empty() && !ParsePositive(f, &g_run.frames))
        BadEnvironment("ORV_FRAMES=\"" + f + "\" is not understood (a number of frames, 1 or more)");
    g_run.screenshot = Env("ORV_SCREENSHOT");
    if (!g_run.screenshot.empty()) {
        const size_t slash = g_run.screenshot.find_last_of('/');
        const std::string dir = slash == std::string::npos ? std::string(".") : g_run.screenshot.substr(0, slash + 1);
        if (access(dir.c_str(), W_OK) != 0)
            BadEnvironment("ORV_SCREENSHOT=\"" + g_run.screenshot + "\": its folder cannot be written");
    }
    g_run.input = Env("ORV_INPUT");
    if (const std::string path = g_run.input; !path.empty()) {
        if (Env("ORV_PLATFORM") != "headless")
            BadEnvironment("ORV_INPUT drives the program without a display only (ORV_PLATFORM=headless)");
        // The one reader of files: a folder, a pipe or a device is refused at once.
        File in;
        if (!in.Open(GivenPath{path}, File::Mode::Read)) BadEnvironment("ORV_INPUT=\"" + path + "\" cannot be read");
        std::string text(script::kMaxScriptBytes + 1, '\0');
        text.resize(in.Read(text.data(), text.size()));
        std::string error;
        if (!script::Parse(text, &g_run.script, &error)) BadEnvironment("ORV_INPUT=\"" + path + "\", " + error);
    }
}

void StartWatchdog() {
    if (g_watch_started) return;
    sem_init(&g_watch, 0, 0);
    g_watch_started = true;
    std::thread(Watchdog).detach();
}

void ResetRun() {
    g_end_requested = false;
    g_end_posted = false;
    g_display_lost = false;
    g_finished = false;
    g_signals = 0;
    g_run.next = 0;
    g_run.have_shot = false;
    g_run.away = g_run.waiting = g_run.stalled = false;
    if (IsHeadless()) StartScript(g_run.script);
}

namespace {
// Says why once and asks for an orderly end; safe where only async-signal-safe calls are.
void EndWithoutDisplay(const char* why, size_t length) {
    if (g_display_lost.exchange(true)) return;
    ssize_t ignored = write(STDERR_FILENO, why, length);
    (void)ignored;
    g_end_requested = true;
    Arm(3);
}
}  // namespace

void DisplayLost() {
    static constexpr char kWhy[] = "orvant: the display connection was lost; ending\n";
    EndWithoutDisplay(kWhy, sizeof kWhy - 1);
}

void WindowDestroyed() {
    static constexpr char kWhy[] = "orvant: another program destroyed the window; ending\n";
    EndWithoutDisplay(kWhy, sizeof kWhy - 1);
}

bool DisplayWasLost() { return g_display_lost; }

void FramePresented(uint64_t count, const Frame& frame) {
    if (g_run.frames == 0 || count != g_run.frames) return;
    g_run.shot = frame;
    g_run.have_shot = true;
    g_end_requested = true;
}

// The script waits for a later frame (an event or the ORV_FRAMES end) while it holds the focus
// away: a game paused by that presents no frame, so nothing would ever come. Reported, and the
// run ends in order with exit code 2.
void WatchScriptWait(uint64_t now) {
    const bool waiting = g_run.away && (g_run.next < g_run.script.size() || g_run.frames != 0);
    if (!waiting || !g_run.waiting || now != g_run.wait_frame) {
        g_run.waiting = waiting;
        g_run.wait_frame = now;
        g_run.wait_ms = TimeMs();
        return;
    }
    if (g_run.stalled || TimeMs() - g_run.wait_ms < kStalledMs) return;
    g_run.stalled = true;
    std::fprintf(stderr,
                 "orvant: ORV_INPUT=\"%s\": the window lost the focus on frame %llu and no frame has come since (the "
                 "game presents none while paused); give the focus back on that frame (focus in or restore)\n",
                 g_run.input.c_str(), static_cast<unsigned long long>(g_run.away_frame));
    std::fflush(stderr);
    RequestEnd();
}

void PumpRun() {
    if (!g_run.script.empty() && IsHeadless()) {
        const uint64_t now = PresentedFrameCount();
        while (g_run.next < g_run.script.size() && g_run.script[g_run.next].frame <= now) {
            const script::Event& e = g_run.script[g_run.next++];
            if (e.op == script::Op::Focus || e.op == script::Op::Minimize) {
                g_run.away = e.op == script::Op::Focus ? e.a == 0 : e.a != 0;
                g_run.away_frame = e.frame;
            }
            PlayScriptEvent(e);
        }
        WatchScriptWait(now);
    }
    if (g_end_requested && !g_end_posted.exchange(true)) {
        if (Window* w = MainWindow())
            PostMessage(w, WM_ENDSESSION, 1, 0);
        else
            PostQuitMessage(0);
    }
}

int FinishRun(const Frame& last) {
    int code = g_run.stalled ? 2 : g_display_lost ? 1 : 0;
    // A program that presented no frame (a second copy, which leaves the first alone) has no
    // picture to write and ends silently.
    if (!g_run.screenshot.empty() && PresentedFrameCount() > 0) {
        const Frame& f = g_run.have_shot ? g_run.shot : last;
        if (!WritePng(g_run.screenshot.c_str(), f)) {
            std::fprintf(stderr, "orvant: could not write the screenshot %s\n", g_run.screenshot.c_str());
            code = 1;
        }
    }
    return code;
}

void Finished() { g_finished = true; }
}  // namespace detail
}  // namespace plat
