// Full-screen 640 x 480 (565) blits of the software and platform blitters, each beside memcpy of the
// same bytes and the nearest SDL_BlitSurface and pixman operation, all timed the same way in the same
// run. Ends with a table: ms per blit and ours / peer (below 1: faster than the peer).
// Run on one core: taskset -c 3 bench_blit
#include "bench/bench_common.h"
#include "display/blt_arith.h"
#include "display/blt_bank_vec.h"
#include "display/blt_frame.h"
#include "display/blt_level.h"

namespace {
using bench::Case;
using bench::Get;
using bench::H;
using bench::W;
using bench::World;

// SDL and pixman have no saturating subtract or 50 % mix of 16-bit pixels: the additive and the
// half-alpha blends are the nearest work they do. pixman has no colour key: its keyed peers are unkeyed.
std::vector<Case> Cases() {
    World& w = Get();
    auto stretch = [&w](DDSurface* src) {
        return [&w, src] {
            RECT r{0, 0, W, H};
            BLT_AddStretch(w.dst, &r, src, nullptr, 0, 1);
        };
    };
    std::vector<Case> cases = {
        {"copy", [&w] { BLT_Blt(w.dst, 0, 0, w.src, nullptr, 0); }, "sdl copy", "pixman src"},
        {"key", [&w] { BLT_Blt(w.dst, 0, 0, w.src, nullptr, 1); }, "sdl key", "pixman src"},
        {"alpha 16", [&w] { BLT_Alpha(w.dst, 0, 0, w.src, nullptr, 16, 0, 0); }, "sdl blend 50%", "pixman over 50%"},
        {"alpha 16 key", [&w] { BLT_Alpha(w.dst, 0, 0, w.src, nullptr, 16, 0, 1); }, "sdl blend 50% key",
         "pixman over 50%"},
        {"add level 16 key", [&w] { BLT_AddLevel(w.dst, 0, 0, w.src, nullptr, 16, 0, 1); }, "sdl add key",
         "pixman add"},
        {"add", [&w] { BLT_Add(w.dst, 0, 0, w.src, nullptr, 0, 0); }, "sdl add", "pixman add"},
        {"add key", [&w] { BLT_Add(w.dst, 0, 0, w.src, nullptr, 0, 1); }, "sdl add key", "pixman add"},
        {"add half key", [&w] { BLT_AddHalf(w.dst, 0, 0, w.src, nullptr, 0, 1); }, "sdl add key", "pixman add"},
        {"sub", [&w] { BLT_Sub(w.dst, 0, 0, w.src, nullptr, 0, 0); }, "sdl add", "pixman add"},
        {"sub key", [&w] { BLT_Sub(w.dst, 0, 0, w.src, nullptr, 0, 1); }, "sdl add key", "pixman add"},
        {"mix", [&w] { BLT_Mix(w.dst, 0, 0, w.src, nullptr, 0, 0); }, "sdl blend 50%", "pixman over 50%"},
        {"mix key", [&w] { BLT_Mix(w.dst, 0, 0, w.src, nullptr, 0, 1); }, "sdl blend 50% key", "pixman over 50%"},
        {"mix key mirrored", [&w] { BLT_Mix(w.dst, 0, 0, w.src, nullptr, 3, 1); }, "sdl blend 50% key",
         "pixman over 50%"},
        {"mix colour", [&w] { BLT_MixColor(w.dst, 0, 0, w.src, nullptr, 0x1234, 0); }, "sdl blend 50% key",
         "pixman over 50%"},
        {"silhouette", [&w] { BLT_Silhouette(w.dst, 0, 0, w.src, nullptr, 0, 0); }, "sdl key", "pixman src"},
        {"add stretch 1:1 key", stretch(w.src), "sdl add key", "pixman add"},
        {"add stretch 2:1 key", stretch(w.half), "sdl add key", "pixman add"},
    };
    // The see-through blend on each instruction set the processor has, best first above.
    for (auto [path, label] : {std::pair{blt::VecPath::Sse2, "sse2"}, std::pair{blt::VecPath::Scalar, "scalar"}})
        if (blt::BankPathSupported(path) && path != blt::BankPath())
            cases.push_back({std::string("alpha 16 key, ") + label,
                             [&w] { BLT_Alpha(w.dst, 0, 0, w.src, nullptr, 16, 0, 1); }, "sdl blend 50% key",
                             "pixman over 50%", path});
    return cases;
}

}  // namespace

int main(int argc, char** argv) { return bench::Main(argc, argv, Cases); }
