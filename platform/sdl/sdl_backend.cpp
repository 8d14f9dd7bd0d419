// The SDL2 backend: a real window, presentation through a streaming texture, events, boxes.
//
// On X the backend also reads the typed characters from the key events themselves (the input
// method stays off) and watches the display connection: a lost X server ends the program in order.
#include <SDL.h>
#include <SDL_syswm.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#if ORV_HAVE_X11
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#endif

#include "platform/backend.h"
#include "platform/msgbox.h"
#include "platform/platform.h"
#include "platform/sdl/sdl_backend.h"
#include "platform/sdl/sdl_input.h"
#include "platform/sdl/sdl_msgbox.h"
#include "platform/sdl/sdl_x11.h"
#include "platform/text.h"

namespace plat::sdl {
namespace {
struct SdlWindow {
    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;
    int tex_w = 0, tex_h = 0;
};

// Windows virtual-key codes for the keys the window procedure looks at.
uint32_t VirtualKey(SDL_Keycode k) {
    if (k >= SDLK_a && k <= SDLK_z) return 0x41 + static_cast<uint32_t>(k - SDLK_a);
    if (k >= SDLK_0 && k <= SDLK_9) return 0x30 + static_cast<uint32_t>(k - SDLK_0);
    if (k >= SDLK_F1 && k <= SDLK_F12) return 0x70 + static_cast<uint32_t>(k - SDLK_F1);
    switch (k) {
        case SDLK_ESCAPE: return 0x1B;
        case SDLK_RETURN: return 0x0D;
        case SDLK_SPACE: return 0x20;
        case SDLK_TAB: return 0x09;
        case SDLK_BACKSPACE: return 0x08;
        case SDLK_LEFT: return 0x25;
        case SDLK_UP: return 0x26;
        case SDLK_RIGHT: return 0x27;
        case SDLK_DOWN: return 0x28;
        case SDLK_LSHIFT: case SDLK_RSHIFT: return 0x10;
        case SDLK_LCTRL: case SDLK_RCTRL: return 0x11;
        case SDLK_LALT: case SDLK_RALT: return 0x12;
        default: return 0;
    }
}

#if ORV_HAVE_X11
// The bytes a key press types under the keyboard's layout (Shift, Caps Lock and Ctrl applied as the
// X server maps them), in the game's code page: ASCII, and half-width katakana from the kana keys.
std::string TypedBytes(XKeyEvent* key) {
    char buf[16];
    KeySym sym = 0;
    int n = XLookupString(key, buf, sizeof buf, &sym, nullptr);
    if (sym >= 0x4A1 && sym <= 0x4DF) return std::string(1, char(0xA1 + (sym - 0x4A1)));
    std::string out;
    for (int i = 0; i < n; ++i)
        if (uint8_t(buf[i]) < 0x80 && buf[i] != 0x7F) out += buf[i];
    return out;
}
#endif
}  // namespace

class Backend final : public plat::detail::Backend {
public:
    Backend() { is565_ = plat::Env("ORV_PIXEL_FORMAT", "565") != "555"; }
    // SDL's end would destroy a window left behind (see DestroyWindow) and wait on it for ever;
    // the process ends next, which frees what SDL holds.
    ~Backend() override {
        if (!left_window_) SDL_Quit();
    }
    bool Start() {
        // The platform handles SIGTERM and SIGINT itself (an orderly end, not a close request).
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
        // The input method stays off: no input-method server takes the keys.
        setenv("XMODIFIERS", "@im=none", 1);
        x11::CatchErrors();  // before SDL keeps the handler it finds, and puts it back at its end
        if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS | SDL_INIT_TIMER) != 0) return false;
        const char* driver = SDL_GetCurrentVideoDriver();
        // Without a display SDL may fall back on a driver that shows nothing; only a driver asked
        // for by name may run without one.
        if (plat::Env("SDL_VIDEODRIVER").empty() && driver &&
            (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0 ||
             std::strcmp(driver, "evdev") == 0)) {
            SDL_SetError("no display is reachable (SDL chose its \"%s\" driver)", driver);
            return false;
        }
        x11_ = driver && std::strcmp(driver, "x11") == 0;
#if !ORV_HAVE_X11
        x11_ = false;
#endif
        SDL_StopTextInput();
        if (x11_)
            SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
        else
            SDL_StartTextInput();  // elsewhere the typed characters come as text events
        return true;
    }

    uint32_t TimeMs() override { return SDL_GetTicks(); }
    void Sleep(uint32_t ms) override { SDL_Delay(ms); }
    // Nothing due: back at once, as the loop spins by its own time tests. Something due: the
    // pass waits for an event, but no longer than until then.
    void Idle(uint32_t ms, bool due) override {
        if (due && ms > 0 && !plat::detail::DisplayWasLost()) SDL_WaitEventTimeout(nullptr, int(ms));
    }
    int DesktopBpp() override { return 16; }  // the emulated desktop runs the game's depth
    bool Display565() override { return is565_; }

    bool CreateWindow(plat::Window& w) override {
        auto* n = new SdlWindow;
        // A fixed client area: no sizing border, no maximise.
        n->window = SDL_CreateWindow(w.title_utf8.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, w.width,
                                     w.height, SDL_WINDOW_HIDDEN);
        if (!n->window) {
            std::fprintf(stderr, "SDL_CreateWindow: %s\n", SDL_GetError());
            delete n;
            return false;
        }
        n->renderer = SDL_CreateRenderer(n->window, -1, SDL_RENDERER_ACCELERATED);
        if (!n->renderer) n->renderer = SDL_CreateRenderer(n->window, -1, SDL_RENDERER_SOFTWARE);
        if (!n->renderer) {
            std::fprintf(stderr, "SDL_CreateRenderer: %s\n", SDL_GetError());
            SDL_DestroyWindow(n->window);
            delete n;
            return false;
        }
        SDL_RenderSetLogicalSize(n->renderer, w.width, w.height);
        w.native = n;
        input::AttachWindow(n->window);
        if (x11_) x11::WatchConnection(n->window), x11::FixedSizeHints(n->window);
        return true;
    }

    void ShowWindow(plat::Window& w, bool show) override {
        auto* n = static_cast<SdlWindow*>(w.native);
        if (!n || plat::detail::DisplayWasLost()) return;  // gone: SDL would wait for ever for its notice
        if (show)
            SDL_ShowWindow(n->window);
        else
            SDL_HideWindow(n->window);
    }

    void DestroyWindow(plat::Window& w) override {
        auto* n = static_cast<SdlWindow*>(w.native);
        if (!n) return;
        input::AttachWindow(nullptr);
        // A window already gone is left to SDL: destroying it would wait for ever for an unmap
        // notice that never comes.
        const bool gone = x11::WindowGone();
        if (x11_) x11::ForgetWindow();
        if (gone) {
            left_window_ = true;
        } else {
            if (n->texture) SDL_DestroyTexture(n->texture);
            SDL_DestroyRenderer(n->renderer);
            SDL_DestroyWindow(n->window);
        }
        delete n;
        w.native = nullptr;
    }

    void SetFullscreen(plat::Window& w, bool full) override {
        auto* n = static_cast<SdlWindow*>(w.native);
        if (!n || plat::detail::DisplayWasLost()) return;
        const bool now = (SDL_GetWindowFlags(n->window) & SDL_WINDOW_FULLSCREEN) != 0;
        if (now == full) return;  // the window keeps its mode: no flicker, the focus stays
        SDL_SetWindowFullscreen(n->window, full ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
        if (!full) SDL_SetWindowSize(n->window, w.width, w.height);
        fit_checks_ = full ? kFitChecks : 0;
    }

    POINT ClientOrigin(plat::Window& w) override {
        auto* n = static_cast<SdlWindow*>(w.native);
        POINT p{w.x, w.y};
        if (n) SDL_GetWindowPosition(n->window, &p.x, &p.y);
        return p;
    }

    void MoveClient(plat::Window& w, int x, int y) override {
        w.x = x, w.y = y;
        if (auto* n = static_cast<SdlWindow*>(w.native)) SDL_SetWindowPosition(n->window, x, y);
        place_checks_ = kFitChecks;
    }

    void ScreenSize(int* width, int* height) override {
        SDL_Rect r{0, 0, 640, 480};
        plat::Window* main = plat::MainWindow();
        int display = 0;
        if (main && main->native) display = std::max(SDL_GetWindowDisplayIndex(static_cast<SdlWindow*>(main->native)->window), 0);
        SDL_GetDisplayBounds(display, &r);
        *width = r.w;
        *height = r.h;
    }

    void Pump() override {
        plat::Window* main = plat::MainWindow();
        input::BeginPump();
        SDL_Event e;
        std::vector<std::string> dropped;
        while (SDL_PollEvent(&e)) {
            input::HandleEvent(e);
            if (!main) continue;
            switch (e.type) {
                case SDL_WINDOWEVENT: WindowEvent(main, e.window); break;
                case SDL_KEYDOWN:
                case SDL_KEYUP:
                    // Like the system's key messages, held keys repeat here; with Alt held they
                    // are system keys, and the default handling closes on Alt+F4.
                    if (uint32_t vk = VirtualKey(e.key.keysym.sym)) {
                        const bool down = e.type == SDL_KEYDOWN;
                        const uint32_t m = plat::detail::PostKey(main, vk, down, e.key.repeat != 0,
                                                                 (e.key.keysym.mod & KMOD_ALT) != 0,
                                                                 (e.key.keysym.mod & KMOD_CTRL) != 0);
                        if (m == plat::WM_SYSKEYDOWN && vk == kVkF4 && !e.key.repeat) alt_f4_at_ = SDL_GetTicks();
                    }
                    break;
#if ORV_HAVE_X11
                case SDL_SYSWMEVENT:
                    if (e.syswm.msg) x11::WatchEvent(*e.syswm.msg);
                    if (e.syswm.msg && e.syswm.msg->subsystem == SDL_SYSWM_X11 &&
                        e.syswm.msg->msg.x11.event.type == KeyPress) {
                        XKeyEvent* key = &e.syswm.msg->msg.x11.event.xkey;
                        for (unsigned char c : TypedBytes(key))
                            plat::detail::PostTyped(main, c, (key->state & Mod1Mask) != 0, (key->state & ControlMask) != 0);
                    }
                    break;
#endif
                case SDL_TEXTINPUT: {
                    std::string sj = plat::Utf8ToCp932(e.text.text);
                    const SDL_Keymod mod = SDL_GetModState();
                    for (unsigned char c : sj)
                        plat::detail::PostTyped(main, c, (mod & KMOD_ALT) != 0, (mod & KMOD_CTRL) != 0);
                    break;
                }
                case SDL_DROPBEGIN: dropped.clear(); break;
                case SDL_DROPFILE:
                    if (e.drop.file) dropped.push_back(plat::Utf8ToCp932(e.drop.file));
                    SDL_free(e.drop.file);
                    break;
                case SDL_DROPTEXT: SDL_free(e.drop.file); break;
                case SDL_DROPCOMPLETE:
                    plat::detail::PostDrop(main, std::move(dropped));
                    dropped.clear();
                    break;
                default: break;  // SDL_QUIT follows the window's own close event: one request only
            }
        }
        if (!dropped.empty()) plat::detail::PostDrop(main, std::move(dropped));
        // The focus change after the whole batch, so that WM_ACTIVATE carries a minimising that
        // the window system reported just after the focus went.
        if (focus_ >= 0 && main && main->native) {
            const Uint32 flags = SDL_GetWindowFlags(static_cast<SdlWindow*>(main->native)->window);
            plat::detail::SetMinimized(main, (flags & SDL_WINDOW_MINIMIZED) != 0);
            plat::detail::PostActivation(main, focus_ == 1);
        }
        focus_ = -1;
    }

    bool WantsEveryFrame() override { return fit_checks_ > 0; }

    void Present(const plat::Frame& f) override {
        plat::Window* main = plat::MainWindow();
        if (!main || !main->native || plat::detail::DisplayWasLost()) return;
        auto* n = static_cast<SdlWindow*>(main->native);
        if (!n->texture || n->tex_w != f.width || n->tex_h != f.height) {
            if (n->texture) SDL_DestroyTexture(n->texture);
            n->texture = SDL_CreateTexture(n->renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, f.width,
                                           f.height);
            n->tex_w = f.width;
            n->tex_h = f.height;
            if (!n->texture) return;
        }
        FitOutput(n, main);
        SDL_UpdateTexture(n->texture, nullptr, f.pixels.data(), f.width * 4);
        SDL_SetRenderDrawColor(n->renderer, 0, 0, 0, 255);
        SDL_RenderClear(n->renderer);
        SDL_RenderCopy(n->renderer, n->texture, nullptr, nullptr);
        SDL_RenderPresent(n->renderer);
    }

    void ShowPointer(bool visible) override { SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE); }

    int MessageBox(const std::string& text, const std::string& caption, uint32_t flags) override {
        const bool ok_cancel = (flags & 0xF) == plat::MB_OKCANCEL;
        if (!plat::detail::DisplayWasLost()) {
            const int drawn = DrawnMessageBox(text, caption, ok_cancel);
            if (drawn > 0) return drawn;
        }
        SDL_MessageBoxButtonData buttons[2] = {
            {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, plat::IDOK, "OK"},
            {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, plat::IDCANCEL, "Cancel"},
        };
        SDL_MessageBoxData data{};
        data.flags = (flags & 0x30) == plat::MB_ICONEXCLAMATION ? SDL_MESSAGEBOX_WARNING : SDL_MESSAGEBOX_INFORMATION;
        data.window = nullptr;
        data.title = caption.c_str();
        data.message = text.c_str();
        data.numbuttons = ok_cancel ? 2 : 1;
        data.buttons = buttons;
        // A box that cannot be shown takes its escape answer; one closed without a button is a cancel.
        const int fallback = ok_cancel ? plat::IDCANCEL : plat::IDOK;
        int id = fallback;
        if (SDL_ShowMessageBox(&data, &id) != 0) {
            std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
            return fallback;
        }
        return id < 0 ? plat::IDCANCEL : id;
    }

private:
    void WindowEvent(plat::Window* main, const SDL_WindowEvent& w) {
        switch (w.event) {
            case SDL_WINDOWEVENT_CLOSE:
                // A window manager that closes on Alt+F4 itself yet lets the key through too would
                // ask twice: its request just after an Alt+F4 press is that same request.
                if (alt_f4_at_ && SDL_GetTicks() - *alt_f4_at_ < kSameCloseMs) {
                    alt_f4_at_.reset();
                    break;
                }
                plat::PostMessage(main, plat::WM_CLOSE, 0, 0);
                break;
            case SDL_WINDOWEVENT_FOCUS_GAINED: focus_ = 1; break;
            case SDL_WINDOWEVENT_FOCUS_LOST: focus_ = 0; break;
            case SDL_WINDOWEVENT_MINIMIZED: plat::detail::SetMinimized(main, true); break;
            case SDL_WINDOWEVENT_RESTORED: plat::detail::SetMinimized(main, false); break;
            case SDL_WINDOWEVENT_EXPOSED: plat::detail::PostPaint(main); break;
            default: break;
        }
        switch (w.event) {  // the window's picture was lost or resized: the next frame goes out
            case SDL_WINDOWEVENT_SHOWN:
            case SDL_WINDOWEVENT_RESIZED:
            case SDL_WINDOWEVENT_SIZE_CHANGED:
            case SDL_WINDOWEVENT_MAXIMIZED:
            case SDL_WINDOWEVENT_RESTORED: plat::detail::RequestRepaint(); break;
            default: break;
        }
    }

    // A full-screen window must really cover the screen: on bare X without a window manager
    // nothing resizes it, and SDL, believing it full size, would show a cropped picture. Checked
    // for a few frames after each switch (a window manager may take a moment).
    void FitOutput(SdlWindow* n, plat::Window* main) {
        // A window manager that restores its own idea of the place after full screen must not win
        // over the place the game just gave the window.
        if (place_checks_ > 0 && !(SDL_GetWindowFlags(n->window) & SDL_WINDOW_FULLSCREEN)) {
            --place_checks_;
            int x = 0, y = 0;
            SDL_GetWindowPosition(n->window, &x, &y);
            if (x != main->x || y != main->y) SDL_SetWindowPosition(n->window, main->x, main->y);
        }
        if (fit_checks_ <= 0 || !x11_) return;
        --fit_checks_;
        if (!(SDL_GetWindowFlags(n->window) & SDL_WINDOW_FULLSCREEN)) return;
        SDL_Rect r;
        if (SDL_GetDisplayBounds(std::max(SDL_GetWindowDisplayIndex(n->window), 0), &r) != 0) return;
        if (fit_checks_ < kFitChecks - 10) x11::FitToScreen(n->window, r.x, r.y, r.w, r.h);
    }

    static constexpr int kFitChecks = 30;
    static constexpr uint32_t kVkF4 = 0x73, kSameCloseMs = 1000;
    std::optional<uint32_t> alt_f4_at_;  // when Alt+F4 was last pressed
    bool is565_ = true;
    bool x11_ = false;
    bool left_window_ = false;  // a window gone before it was destroyed is left to SDL
    int fit_checks_ = 0, place_checks_ = 0;
    int focus_ = -1;  // a focus change seen in this pump: 1 gained, 0 lost
};
}  // namespace plat::sdl

namespace plat::sdl {
SDL_Window* NativeWindow(plat::Window* window) {
    if (!window || !window->native || plat::IsHeadless()) return nullptr;
    return static_cast<SdlWindow*>(window->native)->window;
}
}  // namespace plat::sdl

namespace plat::detail {
Backend* MakeSdlBackend() {
    auto* b = new plat::sdl::Backend;
    if (!b->Start()) {
        std::fprintf(stderr, "SDL: %s\n", SDL_GetError());
        delete b;
        return nullptr;
    }
    return b;
}
}  // namespace plat::detail
