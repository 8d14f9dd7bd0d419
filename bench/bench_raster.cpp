// Full-screen 640 x 480 (565) level and colour blitters, the blit frame's own blits, the raster
// operations and the filled shapes, each beside memcpy of the same bytes and the nearest
// SDL_BlitSurface (or SDL_BlitScaled / SDL_FillRect) and pixman operation, timed as bench_blit does.
// Run on one core: taskset -c 3 bench_raster
#include "bench/bench_common.h"
#include "display/blt_color.h"
#include "display/blt_frame.h"
#include "display/blt_level.h"
#include "display/prim_shape.h"
#include "display/ras_raster.h"

namespace {
using bench::Case;
using bench::Get;
using bench::H;
using bench::W;
using bench::World;

// Pairings, nearest work first:
// - darkening and tinting scale each source channel: SDL's colour modulation (a copy with every
//   channel times 128 / 255) and pixman SRC through a 50 % solid mask;
// - lightening, whitening and the additive blends add to the channels: SDL and pixman ADD;
// - per-channel and level see-through blends: SDL surface alpha 50 % and pixman OVER with a 50 % mask;
// - black and white shapes (brightness 0 and 62), the screen door and the masked copies write
//   source-shaped pixels: the keyed SDL copy and pixman SRC;
// - mirrored blits: pixman SRC through a mirroring transform; SDL cannot mirror, so its plain copy;
// - the 2x stretches from 320 x 240: SDL_BlitScaled (with alpha and key for the see-through one)
//   and pixman through a halving transform, nearest sampling;
// - the textured quad (turned about 4 degrees, most of the screen): pixman SRC through a turning
//   transform, nearest sampling; SDL cannot turn, so its plain copy;
// - fills and filled shapes: SDL_FillRect and pixman SRC of a solid colour over the whole screen
//   (the disc of radius 240 covers 59 % of it); see-through fills and the in-place tint: pixman
//   OVER of a 50 % solid colour, and for SDL, which has no blended fill of a surface, its 50 % blit.
// pixman has no colour key: its keyed peers are unkeyed.
std::vector<Case> Cases() {
    World& w = Get();
    static DDSurface* mask = support::MakeSurface(W, H, bench::SourcePixels());
    const RECT full{0, 0, W, H};
    return {
        // ---- level blitters ----
        {"add level 16", [&w] { BLT_AddLevel(w.dst, 0, 0, w.src, nullptr, 16, 0, 0); }, "sdl add", "pixman add"},
        {"dim 16 key", [&w] { BLT_Dim(w.dst, 0, 0, w.src, nullptr, 16, 0, 1); }, "sdl colour mod key",
         "pixman src x 50%"},
        {"dim 16", [&w] { BLT_Dim(w.dst, 0, 0, w.src, nullptr, 16, 0, 0); }, "sdl colour mod", "pixman src x 50%"},
        {"whiten 16 key", [&w] { BLT_Whiten(w.dst, 0, 0, w.src, nullptr, 16, 0, 1); }, "sdl add key", "pixman add"},
        {"whiten 16", [&w] { BLT_Whiten(w.dst, 0, 0, w.src, nullptr, 16, 0, 0); }, "sdl add", "pixman add"},
        {"dim stretch 2x", [&w, full] { BLT_DimStretch(w.dst, &full, w.half, nullptr, 16, 0); }, "sdl scaled 2x",
         "pixman src 2x"},
        {"alpha stretch 2x key",
         [&w, full] {
             RECT r = full;  // clipped in place
             BLT_AlphaStretch(w.dst, &r, w.half, nullptr, 16, 0, 1);
         },
         "sdl blend 50% key 2x", "pixman over 50% 2x"},
        // ---- colour blitters ----
        {"darker 16 key", [&w] { BLT_Brightness(w.dst, 0, 0, w.src, nullptr, 16, 0, 1); }, "sdl colour mod key",
         "pixman src x 50%"},
        {"lighter 46 key", [&w] { BLT_Brightness(w.dst, 0, 0, w.src, nullptr, 46, 0, 1); }, "sdl add key",
         "pixman add"},
        {"black shape key", [&w] { BLT_Brightness(w.dst, 0, 0, w.src, nullptr, 0, 0, 1); }, "sdl key",
         "pixman src"},
        {"white shape key", [&w] { BLT_Brightness(w.dst, 0, 0, w.src, nullptr, 62, 0, 1); }, "sdl key",
         "pixman src"},
        {"darken 16 key", [&w] { BLT_Darken(w.dst, 0, 0, w.src, nullptr, 16, 0, 1); }, "sdl colour mod key",
         "pixman src x 50%"},
        {"brighten 15 key", [&w] { BLT_Brighten(w.dst, 0, 0, w.src, nullptr, 15, 0, 1); }, "sdl add key",
         "pixman add"},
        {"darker table 16 key", [&w] { BLT_BrightnessTable(w.dst, 0, 0, w.src, nullptr, 16, 0, 1); },
         "sdl colour mod key", "pixman src x 50%"},
        {"lighter table 46 key", [&w] { BLT_BrightnessTable(w.dst, 0, 0, w.src, nullptr, 46, 0, 1); },
         "sdl add key", "pixman add"},
        {"tint rgb key", [&w] { BLT_TintRGB(w.dst, 0, 0, w.src, nullptr, 20, 31, 44, 0, 1); }, "sdl colour mod key",
         "pixman src x 50%"},
        {"tint rgb", [&w] { BLT_TintRGB(w.dst, 0, 0, w.src, nullptr, 20, 31, 44, 0, 0); }, "sdl colour mod",
         "pixman src x 50%"},
        {"alpha rgb key", [&w] { BLT_AlphaRGB(w.dst, 0, 0, w.src, nullptr, 8, 16, 24, 0, 1); }, "sdl blend 50% key",
         "pixman over 50%"},
        {"add rgb key", [&w] { BLT_AddRGB(w.dst, 0, 0, w.src, nullptr, 16, 32, 48, 0, 1); }, "sdl add key",
         "pixman add"},
        {"tint rect 48", [&w] { BLT_TintRect(w.dst, nullptr, 8, 16, 24, 48); }, "sdl blend 50%",
         "pixman over solid 50%"},
        // ---- the blit frame ----
        {"bltfx mirrored", [&w] { BLT_BltFx(w.dst, 0, 0, w.src, nullptr, BLT_FLIP_LR, 0); }, "sdl copy",
         "pixman src mirrored"},
        {"bltfx mirrored key", [&w] { BLT_BltFx(w.dst, 0, 0, w.src, nullptr, BLT_FLIP_LR | BLT_FLIP_UD, 1); },
         "sdl key", "pixman src mirrored"},
        {"stretchblt 2x", [&w, full] { BLT_StretchBlt(w.dst, &full, w.half, nullptr, 0, 0); }, "sdl scaled 2x",
         "pixman src 2x"},
        {"stipple 8 key", [&w] { BLT_Stipple(w.dst, 0, 0, w.src, nullptr, 8, 0, 1); }, "sdl key", "pixman src"},
        {"fillrect", [&w] { BLT_FillRect(w.dst, nullptr, 0x4A69); }, "sdl fill", "pixman src solid"},
        // ---- raster operations ----
        {"ras alpha 64", [&w] { RAS_AlphaBlt(w.dst, 0, 0, W, H, w.src, 0, 0, 64, RAS_NO_KEY, 0); }, "sdl blend 50%",
         "pixman over 50%"},
        {"ras alpha 64 key", [&w] { RAS_AlphaBlt(w.dst, 0, 0, W, H, w.src, 0, 0, 64, 0, 0); }, "sdl blend 50% key",
         "pixman over 50%"},
        {"ras mix", [&w] { RAS_MixBlt(w.dst, 0, 0, W, H, w.src, 0, 0, RAS_NO_KEY, 0); }, "sdl blend 50%",
         "pixman over 50%"},
        {"ras mix key", [&w] { RAS_MixBlt(w.dst, 0, 0, W, H, w.src, 0, 0, 0, 0); }, "sdl blend 50% key",
         "pixman over 50%"},
        {"ras mask copy", [&w] { RAS_MaskCopy(w.dst, w.src, mask, 0); }, "sdl key", "pixman src"},
        {"ras mask copy zero", [&w] { RAS_MaskCopyZero(w.dst, w.src, mask, 0); }, "sdl key", "pixman src"},
        {"ras fill alpha 64", [&w] { RAS_FillRectAlpha(w.dst, 0, 0, W, H, 0x4A69, 64); }, "sdl blend 50%",
         "pixman over solid 50%"},
        {"ras fill alpha 128", [&w] { RAS_FillRectAlpha(w.dst, 0, 0, W, H, 0x4A69, 128); }, "sdl blend 50%",
         "pixman over solid 50%"},
        {"ras fill alpha 64 key", [&w] { RAS_FillRectAlphaKey(w.dst, 0, 0, W, H, 0x4A69, 64, 0); },
         "sdl blend 50%", "pixman over solid 50%"},
        {"ras dim 16", [&w] { RAS_DimBlt(w.dst, 0, 0, w.src, nullptr, 16, RAS_NO_KEY); }, "sdl colour mod",
         "pixman src x 50%"},
        {"ras textured quad",
         [&w] { RAS_TexQuad(w.dst, 32, 0, 639, 40, 607, 479, 0, 439, w.src, 0, 0, W, H); }, "sdl copy",
         "pixman src rotated"},
        // ---- filled shapes ----
        {"fill box", [&w] { PRIM_SurfFillBox16(w.dst, 0, 0, W - 1, H - 1, 0x4A69); }, "sdl fill",
         "pixman src solid"},
        {"disc r240", [&w] { PRIM_SurfDisc16(w.dst, W / 2, H / 2, 240, 0x4A69); }, "sdl fill", "pixman src solid"},
    };
}
}  // namespace

int main(int argc, char** argv) { return bench::Main(argc, argv, Cases); }
