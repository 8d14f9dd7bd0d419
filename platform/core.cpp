// Platform core: backend choice, window and message queue, boxes, debug sink, presentation.
//
// The message queue, the call log, failure injection and the debug capture may be used from any
// thread (the music worker posts and logs); windows, presentation and the backend's events stay
// on the main thread.
#include <signal.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <mutex>

#include "platform/backend.h"
#include "platform/clock.h"
#include "platform/debug.h"
#include "platform/headless/headless.h"
#include "platform/msgbox.h"
#include "platform/platform.h"
#include "platform/text.h"
#include "platform/timer.h"

namespace plat {
namespace {
std::unique_ptr<detail::Backend> g_backend;
std::atomic<BackendKind> g_kind{BackendKind::Headless};
Window* g_main_window = nullptr;
std::vector<Window*> g_windows;  // the windows not yet destroyed
Frame g_last_frame;
// The surface bytes of the last frame handed to the backend; a frame that repeats them is not
// handed over again unless the window needs its picture back (shown, moved, switched, uncovered).
std::vector<uint8_t> g_last_source;
int g_last_source_w = -1, g_last_source_h = -1, g_last_source_bpp = -1;
bool g_repaint = true;
std::atomic<uint64_t> g_shown_count{0};
std::atomic<uint64_t> g_frame_count{0};

// The system pointer: the desktop's arrow at start.
const char kArrow = 0;
const void* g_cursor = &kArrow;
int g_cursor_count = 0;

std::mutex g_queue_mutex;  // the queue and the quit flag
std::deque<Msg> g_queue;
bool g_quit_posted = false;

std::mutex g_hooks_mutex;  // call log, injected failures, debug capture
std::atomic<bool> g_logging{false};
std::vector<std::string> g_call_log;
// Injected failures of a call name: `after` calls pass, then `times` fail.
struct Failures {
    int after = 0, times = 0;
    std::deque<int> gaps;  // single failures still to come, each after so many passing calls
};
std::map<std::string, Failures, std::less<>> g_failures;
std::atomic<int> g_kill_step{0};  // file steps until the process kills itself; 0 never
std::vector<std::string> g_debug_lines;
constexpr size_t kMaxDebugLines = 100000;

void ClearQueue() {
    std::lock_guard<std::mutex> lock(g_queue_mutex);
    g_queue.clear();
    g_quit_posted = false;
}

detail::Backend* Backend() {
    if (!g_backend) InitBackend(BackendKind::Headless);
    return g_backend.get();
}
}  // namespace

std::string Env(const char* name, const char* fallback) {
    const char* v = std::getenv(name);
    return (v && *v) ? std::string(v) : std::string(fallback);
}

bool InitBackend(BackendKind kind) {
    g_backend.reset();  // the old one ends first: two SDL backends share one SDL
    detail::Backend* b = kind == BackendKind::Sdl ? detail::MakeSdlBackend() : detail::MakeHeadlessBackend();
    if (!b) return false;
    g_backend.reset(b);
    g_kind = kind;
    ClearQueue();
    g_last_frame = Frame{};
    g_last_source.clear();
    g_last_source_w = g_last_source_h = g_last_source_bpp = -1;
    g_repaint = true;
    g_shown_count = 0;
    g_frame_count = 0;
    g_cursor = &kArrow;
    g_cursor_count = 0;
    detail::ResetClock();
    detail::ResetRun();
    return true;
}

bool Init() {
    detail::ReadRunEnvironment();
    CatchEndSignals();
    detail::StartWatchdog();
    if (Env("ORV_PLATFORM") == "headless") {
        // The headless program runs on its own clock, moved by its passes and waits.
        headless::Config config;
        config.clock = headless::Config::Clock::Virtual;
        config.is565 = Env("ORV_PIXEL_FORMAT", "565") != "555";
        headless::Configure(config);
        return InitBackend(BackendKind::Headless);
    }
    const bool asked = Env("ORV_PLATFORM") == "sdl";
    if (Env("DISPLAY").empty() && Env("WAYLAND_DISPLAY").empty() && Env("SDL_VIDEODRIVER").empty()) {
        std::fprintf(stderr, "orvant: no display (DISPLAY is not set)%s\n",
                     asked ? "" : "; ORV_PLATFORM=headless runs the program without one");
        std::_Exit(2);
    }
    if (!InitBackend(BackendKind::Sdl)) {
        std::fprintf(stderr, "orvant: the display \"%s\" cannot be opened%s\n", Env("DISPLAY").c_str(),
                     asked ? "" : "; ORV_PLATFORM=headless runs the program without one");
        std::fflush(stderr);
        std::_Exit(2);  // at once: what SDL holds after a failed start is not ours to free
    }
    return true;
}

int Shutdown() {
    if (g_main_window) DestroyWindow(g_main_window);
    const int code = detail::FinishRun(g_last_frame);
    g_backend.reset();
    detail::Finished();
    return code;
}

BackendKind CurrentBackend() { return g_kind; }
bool IsHeadless() { return g_kind == BackendKind::Headless; }

int DesktopBitsPerPixel() { return Backend()->DesktopBpp(); }

void GetSystemPaletteEntries(uint32_t first, uint32_t count, PALETTEENTRY* out) {
    // A neutral grey ramp stands in for the system palette of an 8-bit desktop.
    for (uint32_t i = 0; i < count && first + i < 256; ++i) {
        uint8_t v = static_cast<uint8_t>(first + i);
        out[i] = PALETTEENTRY{v, v, v, 0};
    }
}

// ---- debug sink ----
void OutputDebugString(const char* text_sjis) {
    if (!text_sjis) return;
    if (g_kind == BackendKind::Headless) {
        std::lock_guard<std::mutex> lock(g_hooks_mutex);
        // A bounded capture: when full, the older half goes at once (cheap per line on average).
        if (g_debug_lines.size() >= kMaxDebugLines)
            g_debug_lines.erase(g_debug_lines.begin(), g_debug_lines.begin() + kMaxDebugLines / 2);
        g_debug_lines.emplace_back(text_sjis);
    }
    static const bool to_stderr = Env("ORV_DEBUG") == "1";
    if (to_stderr) {
        std::string u = Cp932ToUtf8(text_sjis);
        std::fwrite(u.data(), 1, u.size(), stderr);
    }
}

// ---- message boxes ----
int MessageBox(const char* text_sjis, const char* caption_sjis, uint32_t flags) {
    detail::LogCall("MessageBox");
    if (g_kind == BackendKind::Headless) headless::RecordBox(text_sjis, caption_sjis, flags);
    return Backend()->MessageBox(Cp932ToUtf8(text_sjis ? text_sjis : ""),
                                 Cp932ToUtf8(caption_sjis ? caption_sjis : ""), flags);
}

// ---- window and messages ----
Window* CreateMainWindow(const char* title_sjis, int width, int height, WndProc proc) {
    detail::LogCall("CreateWindow");
    if (detail::ShouldFail("CreateWindow")) return nullptr;
    auto* w = new Window;
    w->proc = proc;
    w->width = width;
    w->height = height;
    w->title_utf8 = Cp932ToUtf8(title_sjis ? title_sjis : "");
    int sw = 0, sh = 0;
    Backend()->ScreenSize(&sw, &sh);
    w->x = (sw - width) / 2;
    w->y = (sh - height) / 2;
    if (!Backend()->CreateWindow(*w)) {
        delete w;
        return nullptr;
    }
    if (!g_main_window) g_main_window = w;
    g_windows.push_back(w);
    return w;
}

bool IsWindow(Window* window) {
    return window && std::find(g_windows.begin(), g_windows.end(), window) != g_windows.end();
}

Window* MainWindow() { return g_main_window; }

void ShowWindow(Window* window, bool show) {
    if (!window) return;
    detail::LogCall("ShowWindow");
    window->shown = show;
    Backend()->ShowWindow(*window, show);
    g_repaint = true;
    // Showing a window activates it, and its procedure hears so, as on the desktop it stands in
    // for; later focus changes come from the window system.
    if (show && !window->activated) {
        window->activated = true;
        detail::PostActivation(window, true, true);
    }
}

void UpdateWindow(Window* window) {
    if (window) detail::LogCall("UpdateWindow");
}

bool GetClientRect(Window* window, RECT* out) {
    if (!IsWindow(window) || !out) return false;
    *out = RECT{0, 0, window->width, window->height};
    return true;
}

void DestroyWindow(Window* window) {
    if (!window) return;
    detail::LogCall("DestroyWindow");
    if (window->proc) window->proc(window, WM_DESTROY, 0, 0);
    Backend()->DestroyWindow(*window);
    {
        std::lock_guard<std::mutex> lock(g_queue_mutex);
        for (auto it = g_queue.begin(); it != g_queue.end();) it = it->window == window ? g_queue.erase(it) : it + 1;
    }
    if (g_main_window == window) g_main_window = nullptr;
    g_windows.erase(std::remove(g_windows.begin(), g_windows.end(), window), g_windows.end());
    delete window;
}

bool IsWindowActive(Window* window) { return window && window->active; }
bool IsIconic(Window* window) { return window && window->minimized; }

void SetWindowFullscreen(Window* window, bool full) {
    if (!IsWindow(window) || window->fullscreen == full) return;
    detail::LogCall(full ? "SetWindowFullscreen(1)" : "SetWindowFullscreen(0)");
    window->fullscreen = full;
    Backend()->SetFullscreen(*window, full);
    g_repaint = true;
}

bool IsWindowFullscreen(Window* window) { return window && window->fullscreen; }

// ---- placement ----
namespace {
// The frame and caption of the emulated desktop's windows.
constexpr int kFrame = 4, kCaption = 19;

POINT ClientOrigin(Window* window) { return window->fullscreen ? POINT{0, 0} : Backend()->ClientOrigin(*window); }
}  // namespace

int GetSystemMetrics(int index) {
    int w = 0, h = 0;
    switch (index) {
        case SM_CXSCREEN: return Backend()->ScreenSize(&w, &h), w;
        case SM_CYSCREEN: return Backend()->ScreenSize(&w, &h), h;
        case SM_CXFRAME:
        case SM_CYFRAME: return kFrame;
        case SM_CYCAPTION: return kCaption;
        default: return 0;
    }
}

bool AdjustWindowRect(RECT* rect) {
    if (!rect) return false;
    *rect = RECT{rect->left - kFrame, rect->top - kFrame - kCaption, rect->right + kFrame, rect->bottom + kFrame};
    return true;
}

bool GetWindowRect(Window* window, RECT* out) {
    if (!window || !out) return false;
    const POINT o = ClientOrigin(window);
    if (window->fullscreen) {
        int w = 0, h = 0;
        Backend()->ScreenSize(&w, &h);
        // The client area covers the screen; frame and caption lie outside it.
        *out = RECT{0, 0, std::max(w, window->width), std::max(h, window->height)};
    } else {
        *out = RECT{o.x, o.y, o.x + window->width, o.y + window->height};
    }
    return AdjustWindowRect(out);
}

bool SetWindowPos(Window* window, int x, int y, int, int, uint32_t flags) {
    if (!window) return false;
    detail::LogCall("SetWindowPos");
    if (window->fullscreen || (flags & SWP_NOMOVE)) return true;
    Backend()->MoveClient(*window, x + kFrame, y + kFrame + kCaption);
    g_repaint = true;
    return true;
}

bool ClientToScreen(Window* window, POINT* point) {
    if (!window || !point) return false;
    const POINT o = ClientOrigin(window);
    point->x += o.x;
    point->y += o.y;
    return true;
}

bool ScreenToClient(Window* window, POINT* point) {
    if (!window || !point) return false;
    const POINT o = ClientOrigin(window);
    point->x -= o.x;
    point->y -= o.y;
    return true;
}

// ---- dropped files ----
}  // namespace plat

struct plat::DropFiles {
    std::vector<std::string> names;
};

namespace plat {
namespace {
std::mutex g_drops_mutex;
std::vector<std::unique_ptr<DropFiles>> g_drops;  // delivered or waiting, until DragFinish
constexpr size_t kMaxDrops = 8;                   // drops nobody finishes go once this many wait
}  // namespace

void DragAcceptFiles(Window* window, bool accept) {
    if (window) window->accept_drops = accept;
}

uint32_t DragQueryFile(HDROP drop, uint32_t index, char* buffer, uint32_t size) {
    std::lock_guard<std::mutex> lock(g_drops_mutex);
    auto it = std::find_if(g_drops.begin(), g_drops.end(), [&](const auto& d) { return d.get() == drop; });
    if (it == g_drops.end()) return 0;
    const auto& names = (*it)->names;
    if (index == 0xFFFFFFFFu) return static_cast<uint32_t>(names.size());
    if (index >= names.size()) return 0;
    const std::string& n = names[index];
    if (buffer && size > 0) {
        size_t len = std::min<size_t>(n.size(), size - 1);
        std::memcpy(buffer, n.data(), len);
        buffer[len] = 0;
        return static_cast<uint32_t>(len);
    }
    return static_cast<uint32_t>(n.size());
}

void DragFinish(HDROP drop) {
    std::lock_guard<std::mutex> lock(g_drops_mutex);
    g_drops.erase(std::remove_if(g_drops.begin(), g_drops.end(), [&](const auto& d) { return d.get() == drop; }),
                  g_drops.end());
}

// ---- the queue ----
void PostMessage(Window* window, uint32_t message, uintptr_t wparam, intptr_t lparam) {
    std::lock_guard<std::mutex> lock(g_queue_mutex);
    g_queue.push_back(Msg{window, message, wparam, lparam});
}

void PostQuitMessage(int code) {
    std::lock_guard<std::mutex> lock(g_queue_mutex);
    if (g_quit_posted) return;
    g_quit_posted = true;
    g_queue.push_back(Msg{nullptr, WM_QUIT, static_cast<uintptr_t>(code), 0});
}

namespace {
bool TakeMessage(Msg* out) {
    std::lock_guard<std::mutex> lock(g_queue_mutex);
    if (g_queue.empty()) return false;
    *out = g_queue.front();
    g_queue.pop_front();
    if (out->message == WM_QUIT) g_quit_posted = false;
    return true;
}
}  // namespace

bool PeekMessage(Msg* out) {
    if (TakeMessage(out)) return true;
    detail::PumpRun();
    Backend()->Pump();
    if (TakeMessage(out)) return true;
    detail::RunDueTimers();  // timers run when no message waits, as their messages would
    detail::IdlePass();
    return false;
}

intptr_t DispatchMessage(const Msg& msg) {
    if (!msg.window || !msg.window->proc) return 0;
    switch (msg.message) {
        case WM_ACTIVATEAPP: msg.window->active = msg.wparam != 0; break;
        case WM_PAINT: msg.window->paint_pending = false; break;
        default: break;
    }
    return msg.window->proc(msg.window, msg.message, msg.wparam, msg.lparam);
}

namespace {
constexpr uint32_t kVkF4 = 0x73, kVkF10 = 0x79;

// Straight to the window's procedure, past the queue.
intptr_t SendToWindow(Window* window, uint32_t msg, uintptr_t wparam, intptr_t lparam) {
    return IsWindow(window) && window->proc ? window->proc(window, msg, wparam, lparam) : 0;
}
}  // namespace

intptr_t DefWindowProc(Window* window, uint32_t msg, uintptr_t wparam, intptr_t lparam) {
    switch (msg) {
        case WM_CLOSE: DestroyWindow(window); break;
        case WM_ENDSESSION:
            if (wparam) DestroyWindow(window);
            break;
        case WM_SYSKEYDOWN:
            // Alt+F4 asks the window to close, once per press: a held key's repeats ask nothing more.
            if (wparam == kVkF4 && (lparam & KF_ALTDOWN) && !(lparam & KF_REPEAT))
                SendToWindow(window, WM_SYSCOMMAND, SC_CLOSE, 0);
            break;
        case WM_SYSCOMMAND:
            if ((wparam & 0xFFF0) == SC_CLOSE) SendToWindow(window, WM_CLOSE, 0, 0);
            break;
        default: break;
    }
    return 0;
}

namespace detail {
void PostActivation(Window* window, bool active, bool always) {
    if (!window) return;
    if (!always) {
        std::lock_guard<std::mutex> lock(g_queue_mutex);
        // The state the queue will leave the window in: its last activation message, else its own.
        bool now = window->active;
        for (const Msg& m : g_queue)
            if (m.window == window && m.message == WM_ACTIVATEAPP) now = m.wparam != 0;
        if (now == active) return;
    }
    const uintptr_t state = (active ? WA_ACTIVE : WA_INACTIVE) | (window->minimized ? 0x10000u : 0u);
    if (active) {
        PostMessage(window, WM_ACTIVATEAPP, 1, 0);
        PostMessage(window, WM_NCACTIVATE, 1, 0);
        PostMessage(window, WM_ACTIVATE, state, 0);
    } else {
        PostMessage(window, WM_NCACTIVATE, 0, 0);
        PostMessage(window, WM_ACTIVATE, state, 0);
        PostMessage(window, WM_ACTIVATEAPP, 0, 0);
    }
}

void SetMinimized(Window* window, bool minimized) {
    if (window) window->minimized = minimized;
}

void PostPaint(Window* window) {
    RequestRepaint();  // the window lost its picture: the next frame is shown whatever it holds
    if (!window || window->paint_pending) return;
    window->paint_pending = true;
    PostMessage(window, WM_PAINT, 0, 0);
}

uint32_t PostKey(Window* window, uint32_t vk, bool down, bool repeat, bool alt, bool ctrl) {
    // As the system does: Alt without Ctrl (Ctrl+Alt stands for AltGr), or F10, makes a system key.
    const bool sys = (alt && !ctrl) || vk == kVkF10;
    const uint32_t msg = sys ? (down ? WM_SYSKEYDOWN : WM_SYSKEYUP) : (down ? WM_KEYDOWN : WM_KEYUP);
    const intptr_t lparam = 1 | (alt ? KF_ALTDOWN : 0) | (repeat || !down ? KF_REPEAT : 0) | (down ? 0 : KF_UP);
    PostMessage(window, msg, vk, lparam);
    return msg;
}

void PostTyped(Window* window, uint8_t c, bool alt, bool ctrl) {
    PostMessage(window, alt && !ctrl ? WM_SYSCHAR : WM_CHAR, c, alt ? KF_ALTDOWN | 1 : 1);
}

void PostDrop(Window* window, std::vector<std::string> names_sjis) {
    if (!window || !window->accept_drops || names_sjis.empty()) return;
    HDROP drop;
    {
        std::lock_guard<std::mutex> lock(g_drops_mutex);
        if (g_drops.size() >= kMaxDrops) g_drops.erase(g_drops.begin());
        g_drops.push_back(std::make_unique<DropFiles>(DropFiles{std::move(names_sjis)}));
        drop = g_drops.back().get();
    }
    PostMessage(window, WM_DROPFILES, reinterpret_cast<uintptr_t>(drop), 0);
}
}  // namespace detail

// ---- presentation ----
void Convert16To32(const uint16_t* src, uint32_t* dst, int count, bool is565) {
    // One table per layout: 64K entries of the widened colour.
    static uint32_t table[2][65536];
    static bool built = false;
    if (!built) {
        for (uint32_t p = 0; p < 65536; ++p) {
            uint32_t r5 = (p >> 11) & 31, g6 = (p >> 5) & 63, b5 = p & 31;
            uint32_t r = (r5 << 3) | (r5 >> 2), g = (g6 << 2) | (g6 >> 4), b = (b5 << 3) | (b5 >> 2);
            table[1][p] = (r << 16) | (g << 8) | b;
            uint32_t r5b = (p >> 10) & 31, g5 = (p >> 5) & 31;
            uint32_t rb = (r5b << 3) | (r5b >> 2), gb = (g5 << 3) | (g5 >> 2);
            table[0][p] = (rb << 16) | (gb << 8) | b;
        }
        built = true;
    }
    const uint32_t* t = table[is565 ? 1 : 0];
    for (int i = 0; i < count; ++i) dst[i] = t[src[i]];
}

const Frame& LastPresentedFrame() { return g_last_frame; }
uint64_t PresentedFrameCount() { return g_frame_count; }
uint64_t ShownFrameCount() { return g_shown_count; }

namespace detail {
Backend* Current() { return plat::Backend(); }

// Whether the surface holds exactly the bytes of the last frame shown (16 and 32 bits per pixel;
// an 8-bit frame may change by its palette alone). Keeps the new bytes when it does not.
void RequestRepaint() { g_repaint = true; }

bool RepeatsLastFrame(const DDSurface& s) {
    const size_t row = static_cast<size_t>(s.Width()) * static_cast<size_t>(s.Bpp() / 8);
    const size_t size = row * static_cast<size_t>(s.Height());
    bool same = s.Bpp() != 8 && s.Width() == g_last_source_w && s.Height() == g_last_source_h &&
                s.Bpp() == g_last_source_bpp && g_last_source.size() == size;
    for (int y = 0; same && y < s.Height(); ++y)
        same = std::memcmp(&g_last_source[y * row], s.Memory() + static_cast<size_t>(y) * s.Pitch(), row) == 0;
    if (same) return true;
    g_last_source.resize(size);
    for (int y = 0; y < s.Height(); ++y)
        std::memcpy(&g_last_source[y * row], s.Memory() + static_cast<size_t>(y) * s.Pitch(), row);
    g_last_source_w = s.Width();
    g_last_source_h = s.Height();
    g_last_source_bpp = s.Bpp();
    return false;
}

void PresentSurface(const DDSurface& s) {
    if (RepeatsLastFrame(s) && !g_repaint && !plat::Backend()->WantsEveryFrame()) {
        // The window already shows this picture: an idle screen costs no conversion and no upload.
        ++g_frame_count;
        FramePresented(g_frame_count, g_last_frame);
        return;
    }
    g_repaint = false;
    ++g_shown_count;
    Frame& f = g_last_frame;
    f.width = s.Width();
    f.height = s.Height();
    f.pixels.resize(static_cast<size_t>(f.width) * f.height);
    const uint8_t* mem = s.Memory();
    if (s.Bpp() == 16) {
        bool is565 = (s.Format().dwGBitMask & 0x400) != 0;
        for (int y = 0; y < f.height; ++y)
            Convert16To32(reinterpret_cast<const uint16_t*>(mem + static_cast<size_t>(y) * s.Pitch()),
                          &f.pixels[static_cast<size_t>(y) * f.width], f.width, is565);
    } else if (s.Bpp() == 8) {
        const PALETTEENTRY* pal = s.Palette() ? s.Palette()->Entries() : nullptr;
        for (int y = 0; y < f.height; ++y)
            for (int x = 0; x < f.width; ++x) {
                uint8_t i = mem[static_cast<size_t>(y) * s.Pitch() + x];
                f.pixels[static_cast<size_t>(y) * f.width + x] =
                    pal ? (uint32_t(pal[i].peRed) << 16) | (uint32_t(pal[i].peGreen) << 8) | pal[i].peBlue
                        : (uint32_t(i) * 0x010101u);
            }
    } else if (s.Bpp() == 32) {
        for (int y = 0; y < f.height; ++y)
            for (int x = 0; x < f.width; ++x)
                f.pixels[static_cast<size_t>(y) * f.width + x] =
                    reinterpret_cast<const uint32_t*>(mem + static_cast<size_t>(y) * s.Pitch())[x] & 0xFFFFFF;
    }
    ++g_frame_count;
    plat::Backend()->Present(f);
    FramePresented(g_frame_count, f);
}

const void* PointerCursor() { return g_cursor; }
int PointerCount() { return g_cursor_count; }

void SetPointer(const void* cursor, int count) {
    const bool was = g_cursor && g_cursor_count >= 0, now = cursor && count >= 0;
    g_cursor = cursor;
    g_cursor_count = count;
    if (was != now) plat::Backend()->ShowPointer(now);
}

void LogCall(const char* name) {
    if (!g_logging) return;
    std::lock_guard<std::mutex> lock(g_hooks_mutex);
    g_call_log.emplace_back(name);
}

bool ShouldFail(const char* name) {
    std::lock_guard<std::mutex> lock(g_hooks_mutex);
    if (g_failures.empty()) return false;
    auto it = g_failures.find(std::string_view(name));
    if (it == g_failures.end()) return false;
    if (it->second.after > 0) {
        --it->second.after;
        return false;
    }
    if (--it->second.times <= 0) {
        if (it->second.gaps.empty()) {
            g_failures.erase(it);
        } else {
            it->second.times = 1;
            it->second.after = it->second.gaps.front();
            it->second.gaps.pop_front();
        }
    }
    return true;
}

void FileStep() {
    if (g_kill_step.load() > 0 && g_kill_step.fetch_sub(1) == 1) ::raise(SIGKILL);
}

void SetLogging(bool on) { g_logging = on; }

void ResetHooks() {
    std::lock_guard<std::mutex> lock(g_hooks_mutex);
    g_call_log.clear();
    g_failures.clear();
    g_kill_step = 0;
    g_debug_lines.clear();
}
}  // namespace detail
}  // namespace plat

// ---- headless hooks that live with the core's state ----
namespace headless {
const std::vector<std::string>& CallLog() { return plat::g_call_log; }
void ClearCallLog() {
    std::lock_guard<std::mutex> lock(plat::g_hooks_mutex);
    plat::g_call_log.clear();
}
void FailCall(const std::string& name, int times, int after) {
    if (times <= 0) return;
    std::lock_guard<std::mutex> lock(plat::g_hooks_mutex);
    plat::Failures& f = plat::g_failures[name];
    f.after = after;
    f.times += times;
}
void FailCalls(const std::string& name, std::vector<int> calls) {
    std::sort(calls.begin(), calls.end());
    calls.erase(std::unique(calls.begin(), calls.end()), calls.end());
    if (calls.empty() || calls.front() < 0) return;
    std::lock_guard<std::mutex> lock(plat::g_hooks_mutex);
    plat::Failures& f = plat::g_failures[name];
    f = plat::Failures{calls.front(), 1, {}};
    for (size_t i = 1; i < calls.size(); ++i) f.gaps.push_back(calls[i] - calls[i - 1] - 1);
}
int FailuresLeft(const std::string& name) {
    std::lock_guard<std::mutex> lock(plat::g_hooks_mutex);
    const auto it = plat::g_failures.find(name);
    return it == plat::g_failures.end() ? 0 : it->second.times + int(it->second.gaps.size());
}
void KillAtFileStep(int step) { plat::g_kill_step = step > 0 ? step : 0; }
const std::vector<std::string>& DebugOutput() { return plat::g_debug_lines; }
void ClearDebugOutput() {
    std::lock_guard<std::mutex> lock(plat::g_hooks_mutex);
    plat::g_debug_lines.clear();
}
void PostWindowEvent(uint32_t message, uintptr_t wparam, intptr_t lparam) {
    plat::PostMessage(plat::g_main_window, message, wparam, lparam);
}
}  // namespace headless
