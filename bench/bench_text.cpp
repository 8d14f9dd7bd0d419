// A full 640 x 480 (565) screen of 12 x 12 full-width text, 53 glyphs by 40 lines (2,120), printed
// with TXT_Print, beside the fastest route to the same pixels: every glyph pre-rendered once as a
// keyed picture and blitted (our BLT_Blt and SDL_BlitSurface), timed the same way in the same run.
// Ends with a table: ms per screen and ours / pre-rendered. Run on one core: taskset -c 3 bench_text
#include <string>

#include "bench/bench_common.h"
#include "display/blt_frame.h"
#include "sprite/fnt_font.h"
#include "sprite/txt_print.h"
#include "tests/support/fnt_writer.h"

namespace {
using bench::Get;
using bench::H;
using bench::W;

constexpr int kCell = 12, kCols = W / kCell, kLines = H / kCell;  // 53 x 40
constexpr int kPic = kCell + 2;  // a pre-rendered glyph with its outline

struct Scene {
    std::string line;  // 53 different kanji
    DDSurface* atlas = nullptr;
    SDL_Surface* sdl_atlas = nullptr;
    Scene() {
        Get();
        const std::vector<uint8_t> font = support::FntBytes(support::PatternFont(kCell, kCell));
        FNT_LoadBytes(2, font.data(), font.size());
        for (int i = 0; i < kCols; ++i) {
            const int code = 0x889F + i * 37;
            line += char(code >> 8);
            line += char(code & 0xFF);
        }
        Style(4, 0, true);
        // The pictures: each glyph once, outlined, over the key colour.
        atlas = support::MakeSurface(kCols * kPic, kPic);
        support::SetKey0(atlas);
        for (int i = 0; i < kCols; ++i) TXT_Print(atlas, i * kPic + 1, 1, "%.2s", line.c_str() + 2 * i);
        std::vector<uint16_t> px = support::ReadSurface(atlas);
        sdl_atlas = bench::SdlSurface(px, kCols * kPic, kPic);
        SDL_SetColorKey(sdl_atlas, SDL_TRUE, 0);
    }
    static void Style(int style, int dbl, bool gradient) {
        TXT_SetFont(2, style, dbl);
        TXT_SetColor(DD_RGB(255, 255, 255), gradient ? DD_RGB(80, 160, 255) : DD_RGB(255, 255, 255),
                     DD_RGB(0, 0, 96));
    }
};

Scene& S() {
    static Scene s;
    return s;
}

void PrintScreen(int style, int dbl, bool gradient) {
    Scene::Style(style, dbl, gradient);
    const int step = dbl ? 2 * kCell : kCell;
    for (int y = 0; y < H; y += step) TXT_Print(Get().dst, 0, y, "%s", S().line.c_str());
}

void BlitPictures() {
    for (int l = 0; l < kLines; ++l)
        for (int c = 0; c < kCols; ++c) {
            RECT r{c * kPic, 0, c * kPic + kPic, kPic};
            BLT_Blt(Get().dst, c * kCell - 1, l * kCell - 1, S().atlas, &r, 1);
        }
}

void SdlBlitPictures() {
    for (int l = 0; l < kLines; ++l)
        for (int c = 0; c < kCols; ++c) {
            SDL_Rect s{c * kPic, 0, kPic, kPic}, d{c * kCell - 1, l * kCell - 1, kPic, kPic};
            SDL_BlitSurface(S().sdl_atlas, &s, Get().sdl_dst, &d);
        }
}

struct Row {
    std::string name;
    std::function<void()> fn;
};

std::vector<Row>& Rows() {
    static std::vector<Row> rows = {
        {"style 4 gradient", [] { PrintScreen(4, 0, true); }},
        {"style 0 one colour", [] { PrintScreen(0, 0, false); }},
        {"style 3 gradient", [] { PrintScreen(3, 0, true); }},
        {"style 4 double (530)", [] { PrintScreen(4, 1, true); }},
        {"pictures, BLT_Blt key", BlitPictures},
        {"pictures, SDL key", SdlBlitPictures},
    };
    return rows;
}
}  // namespace

int main(int argc, char** argv) {
    if (!bench::Init(&argc, argv)) return 1;
    S();
    for (const Row& r : Rows()) bench::Register(r.name, r.fn);
    bench::RunAll();
    const double a = bench::Ms(Rows()[4].name), b = bench::Ms(Rows()[5].name);
    const double best = a > 0 && b > 0 ? std::min(a, b) : std::max(a, b);
    std::printf("\n640 x 480 565 screen of 12 x 12 full-width text, %d glyphs; x = ours / fastest pre-rendered (%.4f ms)\n",
                kCols * kLines, best);
    std::printf("%-24s %8s %8s\n", "route", "ms", "x");
    for (const Row& r : Rows())
        if (const double ms = bench::Ms(r.name); ms > 0) std::printf("%-24s %8.4f %8.2f\n", r.name.c_str(), ms, best > 0 ? ms / best : 0);
    benchmark::Shutdown();
    return 0;
}
