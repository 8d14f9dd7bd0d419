// Full-screen 640 x 480 blits of the software and platform blitters, each beside the same work done
// by memcpy, SDL_BlitSurface and pixman in the same run. Counters: ms per blit of ours and of each
// peer, and x_<peer> = our time / the peer's time (below 1 means faster than the peer).
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
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
        for (int x = 0; x < W; ++x) {
            uint16_t p = static_cast<uint16_t>(rng() | 1);
            v[size_t(y) * W + x] = ((x ^ y) & 32) ? 0 : p;
        }
    return v;
}

std::vector<uint16_t> DestPixels() {
    std::mt19937 rng(7);
    std::vector<uint16_t> v(size_t(W) * H);
    for (auto& p : v) p = static_cast<uint16_t>(rng());
    return v;
}

struct World {
    support::HeadlessDisplay display{headless::Config{16, true, 0}};
    DDSurface* dst = nullptr;
    DDSurface* src = nullptr;
    DDSurface* half = nullptr;  // a 320 x 240 source for the doubling stretch
    std::vector<uint16_t> mem_src = SourcePixels(), mem_dst = DestPixels();
    SDL_Surface* sdl_src = nullptr;
    SDL_Surface* sdl_dst = nullptr;
#if ORV_HAVE_PIXMAN
    pixman_image_t* px_src = nullptr;
    pixman_image_t* px_dst = nullptr;
    pixman_image_t* px_half = nullptr;  // solid 50 % mask: OVER with it is a see-through blit
#endif
    World() {
        plat::detail::SetLogging(false);  // the call log would grow with every platform blit
        src = support::MakeSurface(W, H, mem_src);
        dst = support::MakeSurface(W, H, mem_dst);
        half = support::MakeSurface(W / 2, H / 2, std::vector<uint16_t>(size_t(W / 2) * (H / 2), 0x1234));
        support::SetKey0(src);
        sdl_src = SDL_CreateRGBSurfaceWithFormat(0, W, H, 16, SDL_PIXELFORMAT_RGB565);
        sdl_dst = SDL_CreateRGBSurfaceWithFormat(0, W, H, 16, SDL_PIXELFORMAT_RGB565);
        for (int y = 0; y < H; ++y) {
            std::memcpy(static_cast<uint8_t*>(sdl_src->pixels) + size_t(y) * sdl_src->pitch, &mem_src[size_t(y) * W], W * 2);
            std::memcpy(static_cast<uint8_t*>(sdl_dst->pixels) + size_t(y) * sdl_dst->pitch, &mem_dst[size_t(y) * W], W * 2);
        }
#if ORV_HAVE_PIXMAN
        px_src = pixman_image_create_bits(PIXMAN_r5g6b5, W, H, reinterpret_cast<uint32_t*>(mem_src.data()), W * 2);
        px_dst = pixman_image_create_bits(PIXMAN_r5g6b5, W, H, reinterpret_cast<uint32_t*>(mem_dst.data()), W * 2);
        pixman_color_t grey{0x8000, 0x8000, 0x8000, 0x8000};
        px_half = pixman_image_create_solid_fill(&grey);
#endif
    }
};

World& Get() {
    static World w;
    return w;
}

// Average ms per call over a batch of about 50 ms, best of three batches: the same measure for ours
// and for every peer, so the ratios compare like with like.
double TimeMs(const std::function<void()>& fn) {
    using Clock = std::chrono::steady_clock;
    fn();
    int n = 1;
    for (;;) {
        auto t0 = Clock::now();
        for (int i = 0; i < n; ++i) fn();
        double s = std::chrono::duration<double>(Clock::now() - t0).count();
        if (s > 0.05) break;
        n *= 2;
    }
    double best = 1e30;
    for (int rep = 0; rep < 3; ++rep) {
        auto t0 = Clock::now();
        for (int i = 0; i < n; ++i) fn();
        best = std::min(best, std::chrono::duration<double>(Clock::now() - t0).count() * 1e3 / n);
    }
    return best;
}

// ---- peers ----
void SdlBlit(SDL_BlendMode mode, int alpha, bool key) {
    World& w = Get();
    SDL_SetColorKey(w.sdl_src, key ? SDL_TRUE : SDL_FALSE, 0);
    SDL_SetSurfaceBlendMode(w.sdl_src, mode);
    SDL_SetSurfaceAlphaMod(w.sdl_src, static_cast<Uint8>(alpha));
    SDL_BlitSurface(w.sdl_src, nullptr, w.sdl_dst, nullptr);
}

#if ORV_HAVE_PIXMAN
void Pixman(pixman_op_t op, bool masked) {
    World& w = Get();
    pixman_image_composite32(op, w.px_src, masked ? w.px_half : nullptr, w.px_dst, 0, 0, 0, 0, 0, 0, W, H);
}
#endif

// Peer times, measured once per run and shared by every benchmark that compares with them.
double Peer(const std::string& name) {
    static std::map<std::string, double> cache;
    auto it = cache.find(name);
    if (it != cache.end()) return it->second;
    World& w = Get();
    std::function<void()> fn;
    if (name == "memcpy") fn = [&w] { std::memcpy(w.mem_dst.data(), w.mem_src.data(), size_t(W) * H * 2); };
    if (name == "sdl_copy") fn = [] { SdlBlit(SDL_BLENDMODE_NONE, 255, false); };
    if (name == "sdl_key") fn = [] { SdlBlit(SDL_BLENDMODE_NONE, 255, true); };
    if (name == "sdl_alpha") fn = [] { SdlBlit(SDL_BLENDMODE_BLEND, 128, false); };
    if (name == "sdl_add") fn = [] { SdlBlit(SDL_BLENDMODE_ADD, 255, false); };
#if ORV_HAVE_PIXMAN
    if (name == "pixman_src") fn = [] { Pixman(PIXMAN_OP_SRC, false); };
    if (name == "pixman_add") fn = [] { Pixman(PIXMAN_OP_ADD, false); };
    if (name == "pixman_over") fn = [] { Pixman(PIXMAN_OP_OVER, true); };
#endif
    double ms = fn ? TimeMs(fn) : 0;
    cache[name] = ms;
    return ms;
}

// Runs ours in the benchmark loop and sets the comparison counters.
void Measure(benchmark::State& state, const std::function<void()>& ours, const char* sdl_peer,
             const char* pixman_peer) {
    for (auto _ : state) {
        ours();
        benchmark::ClobberMemory();
    }
    double ms = TimeMs(ours);
    state.counters["ms"] = ms;
    auto compare = [&](const char* peer) {
        double p = Peer(peer);
        if (p <= 0) return;
        state.counters[std::string(peer) + "_ms"] = p;
        state.counters[std::string("x_") + peer] = ms / p;
    };
    compare("memcpy");
    if (sdl_peer) compare(sdl_peer);
#if ORV_HAVE_PIXMAN
    if (pixman_peer) compare(pixman_peer);
#endif
    state.SetBytesProcessed(int64_t(state.iterations()) * W * H * 2);
}

// ---- ours ----
void BM_Blt(benchmark::State& state) {
    World& w = Get();
    Measure(state, [&w] { BLT_Blt(w.dst, 0, 0, w.src, nullptr, 0); }, "sdl_copy", "pixman_src");
}
void BM_BltKeyed(benchmark::State& state) {
    World& w = Get();
    Measure(state, [&w] { BLT_Blt(w.dst, 0, 0, w.src, nullptr, 1); }, "sdl_key", "pixman_src");
}
// Level 16 is a half-and-half see-through blit through the blend table.
void BM_Alpha(benchmark::State& state) {
    World& w = Get();
    int32_t keyed = static_cast<int32_t>(state.range(0));
    Measure(state, [&w, keyed] { BLT_Alpha(w.dst, 0, 0, w.src, nullptr, 16, 0, keyed); }, "sdl_alpha", "pixman_over");
}
void BM_Add(benchmark::State& state) {
    World& w = Get();
    int32_t keyed = static_cast<int32_t>(state.range(0));
    Measure(state, [&w, keyed] { BLT_Add(w.dst, 0, 0, w.src, nullptr, 0, keyed); }, "sdl_add", "pixman_add");
}
void BM_AddHalf(benchmark::State& state) {
    World& w = Get();
    Measure(state, [&w] { BLT_AddHalf(w.dst, 0, 0, w.src, nullptr, 0, 1); }, "sdl_add", "pixman_add");
}
// SDL and pixman have no saturating subtract for 16-bit surfaces: the additive blend is the nearest work.
void BM_Sub(benchmark::State& state) {
    World& w = Get();
    int32_t keyed = static_cast<int32_t>(state.range(0));
    Measure(state, [&w, keyed] { BLT_Sub(w.dst, 0, 0, w.src, nullptr, 0, keyed); }, "sdl_add", "pixman_add");
}
void BM_Mix(benchmark::State& state) {
    World& w = Get();
    int32_t keyed = static_cast<int32_t>(state.range(0));
    Measure(state, [&w, keyed] { BLT_Mix(w.dst, 0, 0, w.src, nullptr, 0, keyed); }, "sdl_alpha", "pixman_over");
}
void BM_MixMirrored(benchmark::State& state) {
    World& w = Get();
    Measure(state, [&w] { BLT_Mix(w.dst, 0, 0, w.src, nullptr, 3, 1); }, "sdl_alpha", "pixman_over");
}
void BM_MixColor(benchmark::State& state) {
    World& w = Get();
    Measure(state, [&w] { BLT_MixColor(w.dst, 0, 0, w.src, nullptr, 0x1234, 0); }, "sdl_alpha", "pixman_over");
}
void BM_Silhouette(benchmark::State& state) {
    World& w = Get();
    Measure(state, [&w] { BLT_Silhouette(w.dst, 0, 0, w.src, nullptr, 0, 0); }, "sdl_key", "pixman_src");
}
void BM_AddStretchScale1(benchmark::State& state) {
    World& w = Get();
    Measure(
        state,
        [&w] {
            RECT r{0, 0, W, H};
            BLT_AddStretch(w.dst, &r, w.src, nullptr, 0, 1);
        },
        "sdl_add", "pixman_add");
}
void BM_AddStretchDouble(benchmark::State& state) {
    World& w = Get();
    Measure(
        state,
        [&w] {
            RECT r{0, 0, W, H};
            BLT_AddStretch(w.dst, &r, w.half, nullptr, 0, 1);
        },
        "sdl_add", "pixman_add");
}

// ---- the peers on their own, for the table ----
void BM_Peer(benchmark::State& state, const char* name) {
    double ms = Peer(name);
    for (auto _ : state) benchmark::DoNotOptimize(ms);
    state.counters["ms"] = ms;
    state.counters["x_memcpy"] = ms / Peer("memcpy");
}
}  // namespace

BENCHMARK(BM_Blt)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BltKeyed)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Alpha)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Add)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AddHalf)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Sub)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Mix)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MixMirrored)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MixColor)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Silhouette)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AddStretchScale1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AddStretchDouble)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Peer, memcpy, "memcpy")->Iterations(1);
BENCHMARK_CAPTURE(BM_Peer, sdl_copy, "sdl_copy")->Iterations(1);
BENCHMARK_CAPTURE(BM_Peer, sdl_key, "sdl_key")->Iterations(1);
BENCHMARK_CAPTURE(BM_Peer, sdl_alpha, "sdl_alpha")->Iterations(1);
BENCHMARK_CAPTURE(BM_Peer, sdl_add, "sdl_add")->Iterations(1);
#if ORV_HAVE_PIXMAN
BENCHMARK_CAPTURE(BM_Peer, pixman_src, "pixman_src")->Iterations(1);
BENCHMARK_CAPTURE(BM_Peer, pixman_add, "pixman_add")->Iterations(1);
BENCHMARK_CAPTURE(BM_Peer, pixman_over, "pixman_over")->Iterations(1);
#endif

BENCHMARK_MAIN();
