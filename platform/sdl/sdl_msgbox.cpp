// Message boxes on SDL drawn by the platform itself: the Japanese texts in a Japanese font
// (FreeType, IPA Gothic), readable on a bare X server whose own fonts have no such glyphs.
#include "platform/sdl/sdl_msgbox.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/msgbox.h"
#include "platform/platform.h"

namespace plat::sdl {
namespace {
constexpr const char* kFonts[] = {
    "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf",
    "/usr/share/fonts/truetype/fonts-japanese-gothic.ttf",
};
constexpr int kPixels = 16, kLine = 22, kMargin = 24, kButtonW = 96, kButtonH = 28, kGap = 12;

std::vector<char32_t> Decode(const std::string& s) {
    std::vector<char32_t> out;
    for (size_t i = 0; i < s.size();) {
        const uint8_t c = uint8_t(s[i]);
        const int n = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        char32_t cp = n == 1 ? c : n == 2 ? c & 0x1F : n == 3 ? c & 0x0F : c & 0x07;
        for (int k = 1; k < n && i + size_t(k) < s.size(); ++k) cp = (cp << 6) | (uint8_t(s[i + size_t(k)]) & 0x3F);
        out.push_back(cp);
        i += size_t(n);
    }
    return out;
}

class Font {
public:
    Font() {
        if (FT_Init_FreeType(&lib_) != 0) return;
        for (const char* path : kFonts)
            if (FT_New_Face(lib_, path, 0, &face_) == 0) break;
        if (face_) FT_Set_Pixel_Sizes(face_, 0, kPixels);
    }
    ~Font() {
        if (face_) FT_Done_Face(face_);
        if (lib_) FT_Done_FreeType(lib_);
    }
    bool Ok() const { return face_ != nullptr; }
    int Width(const std::vector<char32_t>& text) {
        int w = 0;
        for (char32_t cp : text)
            if (FT_Load_Char(face_, cp, FT_LOAD_DEFAULT) == 0) w += int(face_->glyph->advance.x >> 6);
        return w;
    }
    // Draws black text with its baseline at y onto 32-bit pixels.
    void Draw(SDL_Surface* s, const std::vector<char32_t>& text, int x, int y) {
        for (char32_t cp : text) {
            if (FT_Load_Char(face_, cp, FT_LOAD_RENDER) != 0) continue;
            const FT_Bitmap& b = face_->glyph->bitmap;
            const int left = x + face_->glyph->bitmap_left, top = y - face_->glyph->bitmap_top;
            for (int r = 0; r < int(b.rows); ++r)
                for (int c = 0; c < int(b.width); ++c) {
                    const int px = left + c, py = top + r;
                    if (px < 0 || py < 0 || px >= s->w || py >= s->h) continue;
                    const int a = b.buffer[r * b.pitch + c];
                    auto* p = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(s->pixels) + py * s->pitch) + px;
                    const int bg = int(*p & 0xFF), v = bg - (bg * a) / 255;  // black over grey
                    *p = 0xFF000000u | uint32_t(v) * 0x010101u;
                }
            x += int(face_->glyph->advance.x >> 6);
        }
    }

private:
    FT_Library lib_ = nullptr;
    FT_Face face_ = nullptr;
};

void Fill(SDL_Surface* s, const SDL_Rect& r, uint32_t argb) { SDL_FillRect(s, &r, argb); }
}  // namespace

int DrawnMessageBox(const std::string& text, const std::string& caption, bool ok_cancel) {
    Font font;
    if (!font.Ok()) return -1;
    std::vector<std::vector<char32_t>> lines;
    for (size_t start = 0;;) {
        const size_t nl = text.find('\n', start);
        lines.push_back(Decode(text.substr(start, nl == std::string::npos ? std::string::npos : nl - start)));
        if (nl == std::string::npos) break;
        start = nl + 1;
    }
    int text_w = 0;
    for (const auto& l : lines) text_w = std::max(text_w, font.Width(l));
    const int buttons = ok_cancel ? 2 : 1;
    const int w = std::max(text_w, buttons * kButtonW + (buttons - 1) * kGap) + 2 * kMargin;
    const int h = kMargin + int(lines.size()) * kLine + kMargin + kButtonH + kMargin / 2;
    SDL_Window* win = SDL_CreateWindow(caption.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, w, h,
                                       SDL_WINDOW_ALWAYS_ON_TOP | SDL_WINDOW_SKIP_TASKBAR);
    if (!win) return -1;
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_ARGB8888);
    SDL_Renderer* renderer = SDL_CreateRenderer(win, -1, SDL_RENDERER_SOFTWARE);
    if (!surface || !renderer) {
        if (renderer) SDL_DestroyRenderer(renderer);
        if (surface) SDL_FreeSurface(surface);
        SDL_DestroyWindow(win);
        return -1;
    }
    // The picture: grey ground, the text, the buttons (OK, then キャンセル) right-aligned.
    Fill(surface, SDL_Rect{0, 0, w, h}, 0xFFF0F0F0);
    for (size_t i = 0; i < lines.size(); ++i) font.Draw(surface, lines[i], kMargin, kMargin + int(i) * kLine + kPixels);
    SDL_Rect rects[2];
    const int answers[2] = {plat::IDOK, plat::IDCANCEL};
    const std::vector<char32_t> labels[2] = {Decode("OK"), Decode("\xe3\x82\xad\xe3\x83\xa3\xe3\x83\xb3\xe3\x82\xbb\xe3\x83\xab")};
    for (int b = 0; b < buttons; ++b) {
        const int x = w - kMargin - (buttons - b) * kButtonW - (buttons - 1 - b) * kGap;
        rects[b] = SDL_Rect{x, h - kMargin / 2 - kButtonH, kButtonW, kButtonH};
        Fill(surface, rects[b], 0xFF707070);
        Fill(surface, SDL_Rect{x + 1, rects[b].y + 1, kButtonW - 2, kButtonH - 2}, 0xFFFCFCFC);
        font.Draw(surface, labels[b], x + (kButtonW - font.Width(labels[b])) / 2, rects[b].y + (kButtonH + kPixels) / 2 - 3);
    }
    SDL_Texture* texture = SDL_CreateTextureFromSurface(renderer, surface);
    const Uint32 id = SDL_GetWindowID(win);
    const int escape = ok_cancel ? plat::IDCANCEL : plat::IDOK;
    int answer = 0;
    SDL_Keycode pressed = SDLK_UNKNOWN;
    SDL_RaiseWindow(win);
    while (answer == 0) {
        SDL_RenderClear(renderer);
        SDL_RenderCopy(renderer, texture, nullptr, nullptr);
        SDL_RenderPresent(renderer);
        SDL_Event e;
        if (!SDL_WaitEventTimeout(&e, 100)) {
            if (plat::EndRequested() || plat::detail::DisplayWasLost()) answer = escape;
            continue;
        }
        // A key answers when it is released after being pressed in the box: a press that closed the
        // box before, or one the window system repeats when the box takes the focus, does not.
        if (e.type == SDL_KEYDOWN && e.key.windowID == id && !e.key.repeat) {
            pressed = e.key.keysym.sym;
        } else if (e.type == SDL_KEYUP && e.key.windowID == id && e.key.keysym.sym == pressed) {
            const SDL_Keycode k = e.key.keysym.sym;
            if (k == SDLK_RETURN || k == SDLK_KP_ENTER || k == SDLK_SPACE) answer = plat::IDOK;
            if (k == SDLK_ESCAPE) answer = escape;
        } else if (e.type == SDL_MOUSEBUTTONUP && e.button.windowID == id && e.button.button == SDL_BUTTON_LEFT) {
            const SDL_Point p{e.button.x, e.button.y};
            for (int b = 0; b < buttons; ++b)
                if (SDL_PointInRect(&p, &rects[b])) answer = answers[b];
        } else if (e.type == SDL_WINDOWEVENT && e.window.windowID == id && e.window.event == SDL_WINDOWEVENT_CLOSE) {
            answer = escape;
        }
    }
    SDL_DestroyTexture(texture);
    SDL_DestroyRenderer(renderer);
    SDL_FreeSurface(surface);
    SDL_DestroyWindow(win);
    return answer;
}
}  // namespace plat::sdl
