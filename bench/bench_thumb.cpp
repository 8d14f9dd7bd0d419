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

// Each row: the benchmark's name (as Google Benchmark shows it) and the work of one call.
struct Row {
    const char* name;
    std::function<void()> fn;
};

std::vector<Row> Rows() {
    static std::vector<uint8_t> to;
    static THUMB_IMAGE out;
    return {
        {"thumbnail whole", [] { THUMB_Make(); }},
        {"capture 616 x 448", [] { THUMB_CaptureDib(plat::MainWindow(), RECT{0, 0, CW, CH}, S().capture); }},
        {"cursor search x 3",
         [] {
             for (const THUMB_TEMPLATE& t : THUMB_CURSOR) THUMB_EraseCursor(&S().view, t);
         }},
        {"shrink to 112 x 80 (4 x 4 blocks)", [] { THUMB_Shrink(&S().view, out, THUMB_WIDTH, THUMB_HEIGHT); }},
        {"peer: memcpy of the capture",
         [] {
             to.resize(S().capture.size());
             std::memcpy(to.data(), S().capture.data(), to.size());
         }},
#if ORV_HAVE_PIXMAN
        {"peer: pixman box-filtered scale to 112 x 80",
         [] {
             pixman_image_composite32(PIXMAN_OP_SRC, S().src, nullptr, S().dst, 0, 0, 0, 0, 0, 0, THUMB_WIDTH,
                                      THUMB_HEIGHT);
         }},
#endif
    };
}
}  // namespace

int main(int argc, char** argv) {
    if (!bench::Init(&argc, argv)) return 1;
    S();
    const std::vector<Row> rows = Rows();
    for (const Row& r : rows) bench::Register(r.name, r.fn);
    bench::RunAll();
    std::printf("\nThumbnail: ms per call (616 x 448 capture, 112 x 80 result)\n");
    for (const Row& r : rows)
        if (const double ms = bench::Ms(r.name); ms > 0) std::printf("%-44s %8.4f\n", r.name, ms);
    benchmark::Shutdown();
    return 0;
}
