// A frame of 1024 animated 64 x 64 display objects (30 % blended, some mirrored or scaled) stepped,
// sorted and drawn into the 640 x 480 (565) back buffer, beside SDL_BlitSurface drawing the same
// 1024 keyed pictures at the same places, timed the same way in the same run.
// Run on one core: taskset -c 3 bench_sprites
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <random>

#include "bench/bench_common.h"
#include "display/dd_display.h"
#include "sprite/img_table.h"
#include "sprite/sp_draw.h"
#include "sprite/spr_set.h"
#include "tests/support/grp_writer.h"
#include "tests/support/spr_writer.h"

namespace {
constexpr int kObjects = 1024, kSize = 64, kFrames = 4;

struct Scene {
    support::HeadlessDisplay display{headless::Config{16, true, 0}};
    support::TempDir dir;
    std::vector<SDL_Rect> places;  // where each object's picture lands (top-left)
    std::vector<int> frames;       // the frame each SDL blit copies
    SDL_Surface* sdl_sheet = nullptr;
    SDL_Surface* sdl_back = nullptr;

    Scene() {
        plat::detail::SetLogging(false);
        SP_Init();
        // Four 64 x 64 frames of a disc with a hole, transparent around it (about 70 % drawn).
        support::GrpPicture sheet = support::MakeGrp(16, kSize * kFrames, kSize);
        std::vector<uint16_t> px565(size_t(kSize) * kFrames * kSize);
        for (int y = 0; y < kSize; ++y)
            for (int x = 0; x < kSize * kFrames; ++x) {
                const int f = x / kSize, dx = x % kSize - 32, dy = y - 32, d = dx * dx + dy * dy;
                const bool on = d < 34 * 34 && d > (6 + 2 * f) * (6 + 2 * f);
                const uint16_t v555 = on ? uint16_t((x * 7 + y * 3) % 0x7FFF | 0x0421) : 0;
                support::Set555(sheet, uint32_t(x), uint32_t(y), v555);
                px565[size_t(y) * kSize * kFrames + x] = on ? uint16_t(((v555 & 0x7FE0) << 1) | (v555 & 0x1F)) : 0;
            }
        support::WriteGrp(dir.File("sheet.grp"), sheet, true);
        support::SprFile f;
        f.images = {"sheet"};
        for (int k = 0; k < kFrames; ++k) {
            support::SprPattern p = support::OnePart(k * kSize, 0, kSize, kSize);
            p.parts[0].dest = RECT{-32, -32, 32, 32};
            f.patterns.push_back(p);
        }
        f.seqs[0] = {{0, 1}, {1, 0}, {2, 2}, {3, 0}};
        support::WriteSpr(dir.File("obj.spr"), f);
        if (!SPR_Load(0, dir.File("obj.spr").c_str(), 0)) std::fprintf(stderr, "obj.spr did not load\n");

        std::mt19937 rng(2024);
        const uint32_t blends[] = {SP_MIX, SP_ADD, SP_SUB, SP_ALPHA, SP_ADD_HALF, SP_ALPHA2};
        for (int id = 0; id < kObjects; ++id) {
            const int x = int(rng() % 640), y = int(rng() % 480);
            SP_CreateAnim(id, int(rng() % 16), x, y, 0, 0);
            SP_ANIM* o = SP_Anim(id);
            const uint32_t r = rng() % 100;
            if (r < 30) {
                o->flags = blends[rng() % std::size(blends)];
                o->blend = uint16_t(8 + rng() % 16);
            }
            if (r % 10 == 1) o->flags |= SP_FLIP_LR;
            if (r % 10 == 2) o->flags |= SP_FLIP_UD;
            if (r % 10 == 3) o->scale_x = o->scale_y = uint16_t(r % 2 ? 192 : 320);
            SP_PlaySeq(id, 0, 1, 1);
            for (uint32_t k = rng() % 5; k > 0; --k) SP_Update();
            places.push_back(SDL_Rect{x - 32, y - 32, kSize, kSize});
            frames.push_back(id % kFrames);
        }
        sdl_sheet = SDL_CreateRGBSurfaceWithFormatFrom(px565.data(), kSize * kFrames, kSize, 16, kSize * kFrames * 2,
                                                        SDL_PIXELFORMAT_RGB565);
        sdl_sheet = SDL_ConvertSurfaceFormat(sdl_sheet, SDL_PIXELFORMAT_RGB565, 0);
        SDL_SetColorKey(sdl_sheet, SDL_TRUE, 0);
        sdl_back = SDL_CreateRGBSurfaceWithFormat(0, 640, 480, 16, SDL_PIXELFORMAT_RGB565);
    }
};

Scene& Get() {
    static Scene s;
    return s;
}

void SdlKeyed() {
    Scene& s = Get();
    for (int i = 0; i < kObjects; ++i) {
        SDL_Rect src{s.frames[size_t(i)] * kSize, 0, kSize, kSize};
        SDL_Rect dst = s.places[size_t(i)];
        SDL_BlitSurface(s.sdl_sheet, &src, s.sdl_back, &dst);
    }
}

// Every object as a plain keyed picture: the same work as the SDL peer.
void KeyedOnly(bool on) {
    static std::vector<uint32_t> flags;
    static std::vector<uint16_t> scales;
    if (on) {
        flags.clear();
        scales.clear();
        for (int id = 0; id < kObjects; ++id) {
            SP_ANIM* o = SP_Anim(id);
            flags.push_back(o->flags);
            scales.push_back(o->scale_x);
            o->flags = 0;
            o->scale_x = o->scale_y = 256;
        }
    } else {
        for (int id = 0; id < kObjects; ++id) {
            SP_ANIM* o = SP_Anim(id);
            o->flags = flags[size_t(id)];
            o->scale_x = o->scale_y = scales[size_t(id)];
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (!bench::Init(&argc, argv)) return 1;
    Get();
    uint16_t list[SP_OBJECTS + 1];
    const std::pair<const char*, std::function<void()>> cases[] = {
        {"frame: step, sort, draw", [] { SP_Update(); SP_Draw(-1); }},
        {"step", [] { SP_Update(); }},
        {"sort", [&list] { SP_SortByPriority(list); }},
        {"draw", [] { SP_Draw(-1); }},
        {"draw keyed only", [] {
             KeyedOnly(true);
             SP_Draw(-1);
             KeyedOnly(false);
         }},
        {"SDL_BlitSurface keyed", SdlKeyed},
    };
    for (const auto& [name, fn] : cases) bench::Register(name, fn);
    bench::RunAll();
    const double sdl = bench::Ms("SDL_BlitSurface keyed");
    std::printf("\n640 x 480 565, %d animated %d x %d objects (30 %% blended, 10 %% mirrored, 10 %% scaled); "
                "ms per call; x = ours / SDL keyed\n", kObjects, kSize, kSize);
    for (const auto& [name, fn] : cases)
        if (const double ms = bench::Ms(name); ms > 0) std::printf("%-26s %8.4f %6.2f\n", name, ms, sdl > 0 ? ms / sdl : 0);
    benchmark::Shutdown();
    return 0;
}
