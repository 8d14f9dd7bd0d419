// The save thumbnail: a 616 x 448 capture of the screen, the cursor searched for three times and
// a 4 x 4 block average down to 112 x 80, beside memcpy of the capture's bytes and pixman's box
// filtered scaling of the same picture to the same size, timed the same way in the same run.
// Run on one core: taskset -c 3 bench_thumb
#include "bench/bench_common.h"
#include "display/dd_display.h"
#include "shell/sys_bar.h"
#include "shell/thumb_bmp.h"
#include "sprite/img_table.h"
#include "tests/support/bar_pictures.h"

namespace {
constexpr int CW = THUMB_CAPTURE_W, CH = THUMB_CAPTURE_H;

struct Scene {
    support::TempDir dir;
    THUMB_IMAGE capture;
    THUMB_BMP_VIEW view;
    std::vector<uint16_t> pixels;
#if ORV_HAVE_PIXMAN
    std::vector<uint32_t> out = std::vector<uint32_t>(size_t(THUMB_WIDTH) * THUMB_HEIGHT);
    pixman_image_t* src = nullptr;
    pixman_image_t* dst = nullptr;
#endif
    Scene() {
        bench::Get();
        // The cursor templates from the common picture, and a noisy screen presented.
        support::WriteBarPictures(dir.path());
        BAR_COMMON_IMAGE = IMG_Load(dir.File("Bmp/quon/common.bmp").c_str(), 0);
        THUMB_InitTemplates(BAR_COMMON_IMAGE);
        pixels = bench::DestPixels();
        for (int y = 0; y < bench::H; ++y)
            for (int x = 0; x < bench::W; ++x) support::SetPixel(DD_DISPLAY.back, x, y, pixels[size_t(y) * bench::W + x]);
        DD_Present();
        THUMB_CaptureDib(plat::MainWindow(), RECT{0, 0, CW, CH}, capture);
        THUMB_ParseBmp(&view, capture.data(), capture.size());
#if ORV_HAVE_PIXMAN
        src = pixman_image_create_bits(PIXMAN_r5g6b5, CW, CH, reinterpret_cast<uint32_t*>(pixels.data()), bench::W * 2);
        dst = pixman_image_create_bits(PIXMAN_x8r8g8b8, THUMB_WIDTH, THUMB_HEIGHT, out.data(), THUMB_WIDTH * 4);
        pixman_transform_t t;
        pixman_transform_init_scale(&t, pixman_double_to_fixed(double(CW) / THUMB_WIDTH),
                                    pixman_double_to_fixed(double(CH) / THUMB_HEIGHT));
        pixman_image_set_transform(src, &t);
        int n = 0;
        pixman_fixed_t* params = pixman_filter_create_separable_convolution(
            &n, pixman_double_to_fixed(double(CW) / THUMB_WIDTH), pixman_double_to_fixed(double(CH) / THUMB_HEIGHT),
            PIXMAN_KERNEL_IMPULSE, PIXMAN_KERNEL_IMPULSE, PIXMAN_KERNEL_BOX, PIXMAN_KERNEL_BOX, 1, 1);
        pixman_image_set_filter(src, PIXMAN_FILTER_SEPARABLE_CONVOLUTION, params, n);
        free(params);
#endif
    }
};

Scene& S() {
    static Scene s;
    return s;
}

std::vector<std::pair<std::string, double>>& Results() {
    static std::vector<std::pair<std::string, double>> r;
    return r;
}

void Report(benchmark::State& state, const char* name, const std::function<void()>& fn) {
    double ms = 0;
    for (auto _ : state) ms = bench::TimeMs(fn);
    state.counters["ms"] = ms;
    Results().emplace_back(name, ms);
}

void BM_Make(benchmark::State& state) { Report(state, "thumbnail whole", [] { THUMB_Make(); }); }
void BM_Capture(benchmark::State& state) {
    Report(state, "capture 616 x 448", [] { THUMB_CaptureDib(plat::MainWindow(), RECT{0, 0, CW, CH}, S().capture); });
}
void BM_CursorSearch(benchmark::State& state) {
    Report(state, "cursor search x 3", [] {
        for (const THUMB_TEMPLATE& t : THUMB_CURSOR) THUMB_EraseCursor(&S().view, t);
    });
}
void BM_Shrink(benchmark::State& state) {
    THUMB_IMAGE out;
    Report(state, "shrink to 112 x 80 (4 x 4 blocks)", [&out] { THUMB_Shrink(&S().view, out, THUMB_WIDTH, THUMB_HEIGHT); });
}
void BM_Memcpy(benchmark::State& state) {
    std::vector<uint8_t> to(S().capture.size());
    Report(state, "peer: memcpy of the capture", [&to] { std::memcpy(to.data(), S().capture.data(), to.size()); });
}
#if ORV_HAVE_PIXMAN
void BM_PixmanBox(benchmark::State& state) {
    Report(state, "peer: pixman box-filtered scale to 112 x 80", [] {
        pixman_image_composite32(PIXMAN_OP_SRC, S().src, nullptr, S().dst, 0, 0, 0, 0, 0, 0, THUMB_WIDTH, THUMB_HEIGHT);
    });
}
#endif
}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    S();
    for (auto [name, fn] : std::initializer_list<std::pair<const char*, void (*)(benchmark::State&)>>{
             {"thumbnail whole", BM_Make},
             {"capture 616 x 448", BM_Capture},
             {"cursor search x 3", BM_CursorSearch},
             {"shrink to 112 x 80", BM_Shrink},
             {"memcpy of the capture", BM_Memcpy},
#if ORV_HAVE_PIXMAN
             {"pixman box scale", BM_PixmanBox},
#endif
         })
        benchmark::RegisterBenchmark(name, fn)->Iterations(1)->Unit(benchmark::kMillisecond);
    benchmark::RunSpecifiedBenchmarks();
    std::printf("\nThumbnail: ms per call (616 x 448 capture, 112 x 80 result)\n");
    for (const auto& [name, ms] : Results()) std::printf("%-44s %8.4f\n", name.c_str(), ms);
    benchmark::Shutdown();
    return 0;
}
