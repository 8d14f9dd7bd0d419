// The battle map buffer: a 15-pixel diagonal scroll step (one chip column and row and the objects
// on them), a whole redraw of the 656 x 496 ring, and the ring's blit to the screen, on a stage
// with 300 background objects; beside memcpy, SDL_BlitSurface and pixman copying a 640 x 480 frame.
// Run on one core: taskset -c 3 bench_map_scroll
#include "bench/bench_common.h"
#include "battle/btl_frame.h"
#include "battle/map_data.h"
#include "services/fil_util.h"
#include "sprite/sp_draw.h"
#include "tests/support/map_writer.h"

int main(int argc, char** argv) {
    bench::Get();  // the display every case draws on
    support::TempDir dir;
    FIL_InitBaseDir();
    SP_Init();
    BTL_ResetGlobals();
    BTL_Init();
    if (!support::WriteStage("05_4_L", "05_0_L", support::MakeTestStage(140, 100, 7, 300))) return 1;
    MAP_Load(5, 4, 0);
    MAP_Redraw(1000, 800);
    headless::ClearDebugOutput();
    return bench::Main(argc, argv, [] {
        return std::vector<bench::Case>{
            {"map scroll 15 px diag",
             [] {
                 static int32_t sign = 1;
                 MAP_ScrollBuffer(15 * sign, 15 * sign);
                 sign = -sign;
             },
             "sdl copy", "pixman src"},
            {"map redraw", [] { MAP_Redraw(1000, 800); }, "sdl copy", "pixman src"},
            {"map ring to screen", [] { MAP_BlitBuffer(DD_DISPLAY.back, 0, 0, 1); }, "sdl key", "pixman src"},
        };
    });
}
