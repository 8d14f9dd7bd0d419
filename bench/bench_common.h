// Shared by the full-screen benchmarks: the 640 x 480 (565) fixture surfaces, the peers (memcpy,
// SDL_BlitSurface and relatives, pixman on r5g6b5), each a benchmark of its own timed as ours are,
// and the run-and-table driver. Each benchmark program supplies its cases.
#pragma once
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <algorithm>
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

#include "bench/bench_run.h"
#include "display/blt_bank_vec.h"
#include "platform/backend.h"
#include "tests/support/fixture.h"

namespace bench {
constexpr int W = 640, H = 480;

// Sprite-like source: coloured noise with transparent blocks, so the keyed paths meet both runs.
inline std::vector<uint16_t> SourcePixels(int w = W, int h = H) {
    std::mt19937 rng(42);
    std::vector<uint16_t> v(size_t(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) v[size_t(y) * w + x] = ((x ^ y) & 32) ? 0 : static_cast<uint16_t>(rng() | 1);
    return v;
}

inline std::vector<uint16_t> DestPixels() {
    std::mt19937 rng(7);
    std::vector<uint16_t> v(size_t(W) * H);
    for (auto& p : v) p = static_cast<uint16_t>(rng());
    return v;
}

inline SDL_Surface* SdlSurface(std::vector<uint16_t>& px, int w = W, int h = H) {
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, w, h, 16, SDL_PIXELFORMAT_RGB565);
    for (int y = 0; y < h; ++y)
        std::memcpy(static_cast<uint8_t*>(s->pixels) + size_t(y) * s->pitch, &px[size_t(y) * w], size_t(w) * 2);
    return s;
}

#if ORV_HAVE_PIXMAN
inline pixman_image_t* PixmanImage(std::vector<uint16_t>& px, int w = W, int h = H) {
    return pixman_image_create_bits(PIXMAN_r5g6b5, w, h, reinterpret_cast<uint32_t*>(px.data()), w * 2);
}

// Nearest-neighbour sampling through the affine map dest -> source (16.16 fixed point).
inline void PixmanTransform(pixman_image_t* img, double a, double b, double c, double d, double tx, double ty) {
    pixman_transform_t t;
    pixman_transform_init_identity(&t);
    t.matrix[0][0] = pixman_double_to_fixed(a);
    t.matrix[0][1] = pixman_double_to_fixed(b);
    t.matrix[0][2] = pixman_double_to_fixed(tx);
    t.matrix[1][0] = pixman_double_to_fixed(c);
    t.matrix[1][1] = pixman_double_to_fixed(d);
    t.matrix[1][2] = pixman_double_to_fixed(ty);
    pixman_image_set_transform(img, &t);
    pixman_image_set_filter(img, PIXMAN_FILTER_NEAREST, nullptr, 0);
}
#endif

// A turn of about 3.8 degrees for the textured-quad peer, so every destination row crosses several
// source rows as the quad's rows do.
constexpr double kRotCos = 0.99778, kRotSin = 0.06657;

struct World {
    support::HeadlessDisplay display{headless::Config{16, true, 0}};
    std::vector<uint16_t> mem_src = SourcePixels(), mem_dst = DestPixels();
    std::vector<uint16_t> mem_half = SourcePixels(W / 2, H / 2);
    DDSurface* src = support::MakeSurface(W, H, mem_src);
    DDSurface* dst = support::MakeSurface(W, H, mem_dst);
    // A 320 x 240 source for the doubling stretches.
    DDSurface* half = support::MakeSurface(W / 2, H / 2, mem_half);
    SDL_Surface* sdl_src = SdlSurface(mem_src);
    SDL_Surface* sdl_dst = SdlSurface(mem_dst);
    SDL_Surface* sdl_half = SdlSurface(mem_half, W / 2, H / 2);
#if ORV_HAVE_PIXMAN
    pixman_image_t* px_src = PixmanImage(mem_src);
    pixman_image_t* px_dst = PixmanImage(mem_dst);
    pixman_image_t* px_half = nullptr;  // solid 50 % mask: OVER with it is a see-through blit
    pixman_image_t* px_solid = nullptr;       // opaque colour: SRC with it is a fill
    pixman_image_t* px_solid_half = nullptr;  // the colour at 50 %: OVER with it is a see-through fill
    // The same source pixels read through transforms (separate images, so the plain one stays plain).
    pixman_image_t* px_mirror = PixmanImage(mem_src);
    pixman_image_t* px_rotated = PixmanImage(mem_src);
    pixman_image_t* px_double = PixmanImage(mem_half, W / 2, H / 2);
#endif
    World() {
        plat::detail::SetLogging(false);  // the call log would grow with every platform blit
        support::SetKey0(src);
        support::SetKey0(half);
#if ORV_HAVE_PIXMAN
        pixman_color_t grey{0x8000, 0x8000, 0x8000, 0x8000};
        px_half = pixman_image_create_solid_fill(&grey);
        pixman_color_t colour{0x4000, 0x8000, 0xC000, 0xFFFF};
        px_solid = pixman_image_create_solid_fill(&colour);
        pixman_color_t colour_half{0x2000, 0x4000, 0x6000, 0x8000};  // premultiplied
        px_solid_half = pixman_image_create_solid_fill(&colour_half);
        PixmanTransform(px_mirror, -1, 0, 0, 1, W - 1, 0);
        PixmanTransform(px_rotated, kRotCos, kRotSin, -kRotSin, kRotCos, 0, 20);
        PixmanTransform(px_double, 0.5, 0, 0, 0.5, 0, 0);
#endif
    }
};

inline World& Get() {
    static World w;
    return w;
}

// ---- peers, each a benchmark of its own when a case names it ----
// mod below 255 scales every channel of the source by mod / 255 on the way (SDL's colour modulation).
inline void SdlBlit(SDL_BlendMode mode, int alpha, bool key, int mod = 255, SDL_Surface* from = nullptr) {
    World& w = Get();
    SDL_Surface* s = from ? from : w.sdl_src;
    SDL_SetColorKey(s, key ? SDL_TRUE : SDL_FALSE, 0);
    SDL_SetSurfaceBlendMode(s, mode);
    SDL_SetSurfaceAlphaMod(s, static_cast<Uint8>(alpha));
    SDL_SetSurfaceColorMod(s, static_cast<Uint8>(mod), static_cast<Uint8>(mod), static_cast<Uint8>(mod));
    if (from)
        SDL_BlitScaled(s, nullptr, w.sdl_dst, nullptr);
    else
        SDL_BlitSurface(s, nullptr, w.sdl_dst, nullptr);
}

#if ORV_HAVE_PIXMAN
inline void Pixman(pixman_op_t op, pixman_image_t* src, pixman_image_t* mask) {
    pixman_image_composite32(op, src, mask, Get().px_dst, 0, 0, 0, 0, 0, 0, W, H);
}
#endif

inline const std::map<std::string, std::function<void()>>& Peers() {
    static const std::map<std::string, std::function<void()>> peers = {
        {"memcpy", [] { std::memcpy(Get().mem_dst.data(), Get().mem_src.data(), size_t(W) * H * 2); }},
        {"sdl copy", [] { SdlBlit(SDL_BLENDMODE_NONE, 255, false); }},
        {"sdl key", [] { SdlBlit(SDL_BLENDMODE_NONE, 255, true); }},
        {"sdl blend 50%", [] { SdlBlit(SDL_BLENDMODE_BLEND, 128, false); }},
        {"sdl blend 50% key", [] { SdlBlit(SDL_BLENDMODE_BLEND, 128, true); }},
        {"sdl add", [] { SdlBlit(SDL_BLENDMODE_ADD, 255, false); }},
        {"sdl add key", [] { SdlBlit(SDL_BLENDMODE_ADD, 255, true); }},
        {"sdl colour mod", [] { SdlBlit(SDL_BLENDMODE_NONE, 255, false, 128); }},
        {"sdl colour mod key", [] { SdlBlit(SDL_BLENDMODE_NONE, 255, true, 128); }},
        {"sdl scaled 2x", [] { SdlBlit(SDL_BLENDMODE_NONE, 255, false, 255, Get().sdl_half); }},
        {"sdl blend 50% key 2x", [] { SdlBlit(SDL_BLENDMODE_BLEND, 128, true, 255, Get().sdl_half); }},
        {"sdl fill", [] { SDL_FillRect(Get().sdl_dst, nullptr, 0x4A69); }},
#if ORV_HAVE_PIXMAN
        {"pixman src", [] { Pixman(PIXMAN_OP_SRC, Get().px_src, nullptr); }},
        {"pixman add", [] { Pixman(PIXMAN_OP_ADD, Get().px_src, nullptr); }},
        {"pixman over 50%", [] { Pixman(PIXMAN_OP_OVER, Get().px_src, Get().px_half); }},
        {"pixman src x 50%", [] { Pixman(PIXMAN_OP_SRC, Get().px_src, Get().px_half); }},
        {"pixman src mirrored", [] { Pixman(PIXMAN_OP_SRC, Get().px_mirror, nullptr); }},
        {"pixman src rotated", [] { Pixman(PIXMAN_OP_SRC, Get().px_rotated, nullptr); }},
        {"pixman src 2x", [] { Pixman(PIXMAN_OP_SRC, Get().px_double, nullptr); }},
        {"pixman over 50% 2x", [] { Pixman(PIXMAN_OP_OVER, Get().px_double, Get().px_half); }},
        {"pixman src solid", [] { Pixman(PIXMAN_OP_SRC, Get().px_solid, nullptr); }},
        {"pixman over solid 50%", [] { Pixman(PIXMAN_OP_OVER, Get().px_solid_half, nullptr); }},
#endif
    };
    return peers;
}

// The peer's benchmark name and its time per call (0 when it did not run).
inline std::string PeerName(const std::string& peer) { return "peer: " + peer; }
inline double Peer(const std::string& peer) { return peer.empty() ? 0 : Ms(PeerName(peer)); }

// ---- ours ----
struct Case {
    std::string name;
    std::function<void()> ours;
    std::string sdl, pixman;
    blt::VecPath path = blt::BankPath();
};

inline std::vector<Case>& Cases() {
    static std::vector<Case> cases;
    return cases;
}

inline void Run(benchmark::State& state, const Case& c) {
    const blt::VecPath best = blt::BankPath();
    blt::SetBankPath(c.path);
    for (auto _ : state) c.ours();
    blt::SetBankPath(best);
}

inline void PrintTable() {
    const double mc = Peer("memcpy");
    std::printf("\n640 x 480 565, ms per call; x = ours / peer (memcpy of the same %d bytes: %.4f ms)\n", W * H * 2,
                mc);
    std::printf("%-24s %8s %9s  %-20s %8s %7s  %-21s %8s %8s\n", "operation", "ms", "x memcpy", "SDL peer", "ms",
                "x SDL", "pixman peer", "ms", "x pixman");
    auto ratio = [](double a, double b) { return a > 0 && b > 0 ? a / b : 0; };
    for (const Case& c : Cases()) {
        const double ms = Ms(c.name), s = Peer(c.sdl), p = Peer(c.pixman);
        if (ms <= 0) continue;
        std::printf("%-24s %8.4f %9.2f  %-20s %8.4f %7.2f  %-21s %8.4f %8.2f\n", c.name.c_str(), ms, ratio(ms, mc),
                    c.sdl.c_str(), s, ratio(ms, s), c.pixman.c_str(), p, ratio(ms, p));
    }
}

// The whole program: registers every case and every peer a case names as benchmarks, runs them,
// prints the table.
inline int Main(int argc, char** argv, const std::function<std::vector<Case>()>& cases) {
    if (!bench::Init(&argc, argv)) return 1;
    Cases() = cases();
    std::vector<std::string> peers = {"memcpy"};
    for (const Case& c : Cases()) {
        Settings(benchmark::RegisterBenchmark(c.name.c_str(), [&c](benchmark::State& s) { Run(s, c); }));
        for (const std::string& p : {c.sdl, c.pixman})
            if (Peers().count(p) && std::find(peers.begin(), peers.end(), p) == peers.end()) peers.push_back(p);
    }
    for (const std::string& p : peers) Register(PeerName(p), Peers().at(p));
    RunAll();
    PrintTable();
    benchmark::Shutdown();
    return 0;
}
}  // namespace bench
