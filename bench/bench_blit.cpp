// Full-screen 640 x 480 (565) blits of the software and platform blitters, each beside memcpy of the
// same bytes and the nearest SDL_BlitSurface and pixman operation, all timed the same way in the same
// run. Ends with a table: ms per blit and ours / peer (below 1: faster than the peer).
// Run on one core: taskset -c 3 bench_blit
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <vector>

#if ORV_HAVE_PIXMAN
#include <pixman.h>
#endif

#include "display/blt_arith.h"
#include "display/blt_bank_vec.h"
#include "display/blt_frame.h"
#include "display/blt_level.h"
#include "platform/backend.h"
#include "tests/support/fixture.h"

namespace {
constexpr int W = 640, H = 480;

// Sprite-like source: coloured noise with transparent blocks, so the keyed paths meet both runs.
std::vector<uint16_t> SourcePixels() {
    std::mt19937 rng(42);
    std::vector<uint16_t> v(size_t(W) * H);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) v[size_t(y) * W + x] = ((x ^ y) & 32) ? 0 : static_cast<uint16_t>(rng() | 1);
    return v;
}

std::vector<uint16_t> DestPixels() {
    std::mt19937 rng(7);
    std::vector<uint16_t> v(size_t(W) * H);
    for (auto& p : v) p = static_cast<uint16_t>(rng());
    return v;
}

SDL_Surface* SdlSurface(const std::vector<uint16_t>& px) {
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, W, H, 16, SDL_PIXELFORMAT_RGB565);
    for (int y = 0; y < H; ++y)
        std::memcpy(static_cast<uint8_t*>(s->pixels) + size_t(y) * s->pitch, &px[size_t(y) * W], W * 2);
    return s;
}

struct World {
    support::HeadlessDisplay display{headless::Config{16, true, 0}};
    std::vector<uint16_t> mem_src = SourcePixels(), mem_dst = DestPixels();
    DDSurface* src = support::MakeSurface(W, H, mem_src);
    DDSurface* dst = support::MakeSurface(W, H, mem_dst);
    // A 320 x 240 source for the doubling stretch.
    DDSurface* half = support::MakeSurface(W / 2, H / 2, std::vector<uint16_t>(size_t(W / 2) * (H / 2), 0x1234));
    SDL_Surface* sdl_src = SdlSurface(mem_src);
    SDL_Surface* sdl_dst = SdlSurface(mem_dst);
#if ORV_HAVE_PIXMAN
    pixman_image_t* px_src =
        pixman_image_create_bits(PIXMAN_r5g6b5, W, H, reinterpret_cast<uint32_t*>(mem_src.data()), W * 2);
    pixman_image_t* px_dst =
        pixman_image_create_bits(PIXMAN_r5g6b5, W, H, reinterpret_cast<uint32_t*>(mem_dst.data()), W * 2);
    pixman_image_t* px_half = nullptr;  // solid 50 % mask: OVER with it is a see-through blit
#endif
    World() {
        plat::detail::SetLogging(false);  // the call log would grow with every platform blit
        support::SetKey0(src);
#if ORV_HAVE_PIXMAN
        pixman_color_t grey{0x8000, 0x8000, 0x8000, 0x8000};
        px_half = pixman_image_create_solid_fill(&grey);
#endif
    }
};

World& Get() {
    static World w;
    return w;
}

// Average ms per call over a batch of at least 2 ms, best of 25 batches (short batches, so that some
// run undisturbed on a busy machine): the same measure for ours and for every peer.
double TimeMs(const std::function<void()>& fn) {
    using Clock = std::chrono::steady_clock;
    fn();
    int n = 1;
    for (;;) {
        auto t0 = Clock::now();
        for (int i = 0; i < n; ++i) fn();
        if (std::chrono::duration<double>(Clock::now() - t0).count() > 0.002) break;
        n *= 2;
    }
    double best = 1e30;
    for (int rep = 0; rep < 25; ++rep) {
        auto t0 = Clock::now();
        for (int i = 0; i < n; ++i) fn();
        best = std::min(best, std::chrono::duration<double>(Clock::now() - t0).count() * 1e3 / n);
    }
    return best;
}

// ---- peers, each timed once per run ----
void SdlBlit(SDL_BlendMode mode, int alpha, bool key) {
    World& w = Get();
    SDL_SetColorKey(w.sdl_src, key ? SDL_TRUE : SDL_FALSE, 0);
    SDL_SetSurfaceBlendMode(w.sdl_src, mode);
    SDL_SetSurfaceAlphaMod(w.sdl_src, static_cast<Uint8>(alpha));
    SDL_BlitSurface(w.sdl_src, nullptr, w.sdl_dst, nullptr);
}

const std::map<std::string, std::function<void()>>& Peers() {
    static const std::map<std::string, std::function<void()>> peers = {
        {"memcpy", [] { std::memcpy(Get().mem_dst.data(), Get().mem_src.data(), size_t(W) * H * 2); }},
        {"sdl copy", [] { SdlBlit(SDL_BLENDMODE_NONE, 255, false); }},
        {"sdl key", [] { SdlBlit(SDL_BLENDMODE_NONE, 255, true); }},
        {"sdl blend 50%", [] { SdlBlit(SDL_BLENDMODE_BLEND, 128, false); }},
        {"sdl blend 50% key", [] { SdlBlit(SDL_BLENDMODE_BLEND, 128, true); }},
        {"sdl add", [] { SdlBlit(SDL_BLENDMODE_ADD, 255, false); }},
        {"sdl add key", [] { SdlBlit(SDL_BLENDMODE_ADD, 255, true); }},
#if ORV_HAVE_PIXMAN
        {"pixman src",
         [] { pixman_image_composite32(PIXMAN_OP_SRC, Get().px_src, nullptr, Get().px_dst, 0, 0, 0, 0, 0, 0, W, H); }},
        {"pixman add",
         [] { pixman_image_composite32(PIXMAN_OP_ADD, Get().px_src, nullptr, Get().px_dst, 0, 0, 0, 0, 0, 0, W, H); }},
        {"pixman over 50%",
         [] {
             pixman_image_composite32(PIXMAN_OP_OVER, Get().px_src, Get().px_half, Get().px_dst, 0, 0, 0, 0, 0, 0, W,
                                      H);
         }},
#endif
    };
    return peers;
}

double Peer(const std::string& name) {
    static std::map<std::string, double> cache;
    auto it = cache.find(name);
    if (it != cache.end()) return it->second;
    auto fn = Peers().find(name);
    return cache[name] = fn == Peers().end() ? 0 : TimeMs(fn->second);
}

// ---- ours ----
// SDL and pixman have no saturating subtract or 50 % mix of 16-bit pixels: the additive and the
// half-alpha blends are the nearest work they do. pixman has no colour key: its keyed peers are unkeyed.
struct Case {
    std::string name;
    std::function<void()> ours;
    std::string sdl, pixman;
    blt::VecPath path = blt::BankPath();
};

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

struct Result {
    std::string name, sdl, pixman;
    double ms;
};
std::vector<Result> g_results;

void Run(benchmark::State& state, const Case& c) {
    const blt::VecPath best = blt::BankPath();
    blt::SetBankPath(c.path);
    double ms = 0;
    for (auto _ : state) ms = TimeMs(c.ours);
    blt::SetBankPath(best);
    state.counters["ms"] = ms;
    for (const std::string& peer : {std::string("memcpy"), c.sdl, c.pixman})
        if (Peer(peer) > 0) state.counters["x " + peer] = ms / Peer(peer);
    g_results.push_back({c.name, c.sdl, c.pixman, ms});
}

void PrintTable() {
    const double mc = Peer("memcpy");
    std::printf("\n640 x 480 565, ms per blit; x = ours / peer (memcpy of the same %d bytes: %.4f ms)\n", W * H * 2,
                mc);
    std::printf("%-22s %8s %9s  %-18s %8s %7s  %-16s %8s %7s\n", "operation", "ms", "x memcpy", "SDL peer", "ms",
                "x SDL", "pixman peer", "ms", "x pixman");
    for (const Result& r : g_results) {
        const double s = Peer(r.sdl), p = Peer(r.pixman);
        std::printf("%-22s %8.4f %9.2f  %-18s %8.4f %7.2f  %-16s %8.4f %7.2f\n", r.name.c_str(), r.ms, r.ms / mc,
                    r.sdl.c_str(), s, s > 0 ? r.ms / s : 0, r.pixman.c_str(), p, p > 0 ? r.ms / p : 0);
    }
}
}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    for (const Case& c : Cases())
        benchmark::RegisterBenchmark(c.name.c_str(), [c](benchmark::State& s) { Run(s, c); })
            ->Iterations(1)
            ->Unit(benchmark::kMillisecond);
    benchmark::RunSpecifiedBenchmarks();
    PrintTable();
    benchmark::Shutdown();
    return 0;
}
