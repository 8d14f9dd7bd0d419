// The SDL2 backend: a real window, presentation through a streaming texture, events, boxes.
#include <SDL.h>

#include <cstdio>

#include "platform/backend.h"
#include "platform/msgbox.h"
#include "platform/platform.h"
#include "platform/sdl/sdl_backend.h"
#include "platform/sdl/sdl_input.h"
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
}  // namespace

class Backend final : public plat::detail::Backend {
public:
    Backend() { is565_ = plat::Env("ORV_PIXEL_FORMAT", "565") != "555"; }
    ~Backend() override { SDL_Quit(); }
    bool Start() {
        SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
        return SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS | SDL_INIT_TIMER) == 0;
    }

    uint32_t TimeMs() override { return SDL_GetTicks(); }
    void Sleep(uint32_t ms) override { SDL_Delay(ms); }
    // Nothing due: back at once, as the loop spins by its own time tests. Something due: the
    // pass waits for an event, but no longer than until then.
    void Idle(uint32_t ms, bool due) override {
        if (due && ms > 0) SDL_WaitEventTimeout(nullptr, int(ms));
    }
    int DesktopBpp() override { return 16; }  // the emulated desktop runs the game's depth
    bool Display565() override { return is565_; }

    bool CreateWindow(plat::Window& w) override {
        auto* n = new SdlWindow;
        n->window = SDL_CreateWindow(w.title_utf8.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, w.width,
                                     w.height, SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE);
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
        SDL_StopTextInput();
        w.native = n;
        input::AttachWindow(n->window);
        return true;
    }

    void ShowWindow(plat::Window& w, bool show) override {
        auto* n = static_cast<SdlWindow*>(w.native);
        if (!n) return;
        if (show)
            SDL_ShowWindow(n->window);
        else
            SDL_HideWindow(n->window);
    }

    void DestroyWindow(plat::Window& w) override {
        auto* n = static_cast<SdlWindow*>(w.native);
        if (!n) return;
        input::AttachWindow(nullptr);
        if (n->texture) SDL_DestroyTexture(n->texture);
        SDL_DestroyRenderer(n->renderer);
        SDL_DestroyWindow(n->window);
        delete n;
        w.native = nullptr;
    }

    void SetFullscreen(plat::Window& w, bool full) override {
        auto* n = static_cast<SdlWindow*>(w.native);
        if (!n) return;
        SDL_SetWindowFullscreen(n->window, full ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
        if (!full) SDL_SetWindowSize(n->window, w.width, w.height);
    }

    void Pump() override {
        plat::Window* main = plat::MainWindow();
        input::BeginPump();
        SDL_Event e;
        while (SDL_PollEvent(&e)) {
            input::HandleEvent(e);
            if (!main) continue;
            switch (e.type) {
                case SDL_QUIT: plat::PostMessage(main, plat::WM_CLOSE, 0, 0); break;
                case SDL_WINDOWEVENT:
                    if (e.window.event == SDL_WINDOWEVENT_CLOSE) plat::PostMessage(main, plat::WM_CLOSE, 0, 0);
                    if (e.window.event == SDL_WINDOWEVENT_FOCUS_GAINED)
                        plat::PostMessage(main, plat::WM_ACTIVATEAPP, 1, 0);
                    if (e.window.event == SDL_WINDOWEVENT_FOCUS_LOST)
                        plat::PostMessage(main, plat::WM_ACTIVATEAPP, 0, 0);
                    break;
                case SDL_KEYDOWN:
                    // Like the system's key messages, held keys repeat here (bit 30 marks a repeat).
                    if (uint32_t vk = VirtualKey(e.key.keysym.sym))
                        plat::PostMessage(main, plat::WM_KEYDOWN, vk, e.key.repeat ? 0x40000000 : 0);
                    break;
                case SDL_TEXTINPUT: {
                    std::string sj = plat::Utf8ToCp932(e.text.text);
                    for (unsigned char c : sj) plat::PostMessage(main, plat::WM_CHAR, c, 0);
                    break;
                }
                default: break;
            }
        }
    }

    void Present(const plat::Frame& f) override {
        plat::Window* main = plat::MainWindow();
        if (!main || !main->native) return;
        auto* n = static_cast<SdlWindow*>(main->native);
        if (!n->texture || n->tex_w != f.width || n->tex_h != f.height) {
            if (n->texture) SDL_DestroyTexture(n->texture);
            n->texture = SDL_CreateTexture(n->renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, f.width,
                                           f.height);
            n->tex_w = f.width;
            n->tex_h = f.height;
            if (!n->texture) return;
        }
        SDL_UpdateTexture(n->texture, nullptr, f.pixels.data(), f.width * 4);
        SDL_SetRenderDrawColor(n->renderer, 0, 0, 0, 255);
        SDL_RenderClear(n->renderer);
        SDL_RenderCopy(n->renderer, n->texture, nullptr, nullptr);
        SDL_RenderPresent(n->renderer);
    }

    void ShowPointer(bool visible) override { SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE); }

    int MessageBox(const std::string& text, const std::string& caption, uint32_t flags) override {
        SDL_MessageBoxButtonData buttons[2] = {
            {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, plat::IDOK, "OK"},
            {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, plat::IDCANCEL, "Cancel"},
        };
        bool ok_cancel = (flags & 0xF) == plat::MB_OKCANCEL;
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
    bool is565_ = true;
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
        std::fprintf(stderr, "SDL_Init: %s\n", SDL_GetError());
        delete b;
        return nullptr;
    }
    return b;
}
}  // namespace plat::detail
