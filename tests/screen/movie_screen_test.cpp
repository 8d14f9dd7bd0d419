// A movie on a real X display: its frames, decoded on the real clock, are scaled into the back
// buffer and the window shows exactly that buffer, while its sound goes out through SDL's disk
// audio driver.
#include <SDL.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "display/dd_display.h"
#include "platform/clock.h"
#include "platform/display.h"
#include "platform/platform.h"
#include "platform/sdl/sdl_backend.h"
#include "platform/window.h"
#include "services/mov_movie.h"
#include "tests/screen/x11_capture.h"
#include "tests/support/fixture.h"
#include "tests/support/movie_writer.h"

namespace {
intptr_t Proc(plat::Window* w, uint32_t m, uintptr_t wp, intptr_t lp) { return plat::DefWindowProc(w, m, wp, lp); }

void Pump() {
    plat::Msg msg;
    while (plat::PeekMessage(&msg)) plat::DispatchMessage(msg);
}
}  // namespace

TEST(MovieScreen, FramesScaledIntoTheBackBufferReachTheWindow) {
    const std::string path = "/tmp/orv_movie_screen_" + std::to_string(getpid()) + ".mpg";
    const std::string sound = "/tmp/orv_movie_screen_" + std::to_string(getpid()) + ".raw";
    ASSERT_TRUE(support::WriteMovie(path, support::MovieSpec{"mpeg", "mpeg1video", "mp2", 160, 120, 25, 25}));
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", sound.c_str(), 1);
    ASSERT_TRUE(plat::InitBackend(plat::BackendKind::Sdl));
    plat::Window* window = plat::CreateMainWindow("movie", 640, 480, Proc);
    ASSERT_NE(window, nullptr);
    int32_t full = 0;
    ASSERT_EQ(DD_Init(window, 640, 480, 16, &full, 0, 1), 1);
    plat::ShowWindow(window, true);

    DWWL_Init();
    MOV_DATA* m = MOV_Open(path.c_str(), DD_DISPLAY.dd4);
    ASSERT_NE(m, nullptr);
    MOV_SetPos(m, 0, 0);
    MOV_SetSize(m, 640, 480);
    MOV_Play(m);
    // The logo screen's loop: a draw paced by the movie, then the present, until the end test holds.
    const uint32_t start = plat::TimeMs();
    int frames = 0, shown_right = 0;
    while (MOV_GetTime(m) != MOV_GetDuration(m) && plat::TimeMs() - start < 5000) {
        Pump();
        if (MOV_Draw(m, DD_DISPLAY.back) != DD_OK) continue;
        ++frames;
        DD_Present();
        if (frames % 8 == 1) {  // a few frames compared whole with what the window shows
            Pump();
            SDL_Delay(50);
            DD_Present();
            std::vector<uint16_t> back = support::ReadSurface(DD_DISPLAY.back);
            std::vector<uint32_t> expect(back.size());
            plat::Convert16To32(back.data(), expect.data(), int(back.size()), true);
            std::vector<uint32_t> shown = Capture(plat::sdl::NativeWindow(window), 640, 480);
            ASSERT_EQ(shown.size(), expect.size()) << "could not read the window from the X server";
            shown_right += shown == expect;
        }
    }
    const uint32_t took = plat::TimeMs() - start;
    EXPECT_EQ(MOV_GetTime(m), MOV_GetDuration(m));
    EXPECT_GT(frames, 12);  // the comparisons' pauses may make it skip some
    EXPECT_LE(frames, 25);
    EXPECT_EQ(shown_right, (frames + 7) / 8);
    EXPECT_GE(took, 900u);  // paced by the movie's own clock
    MOV_Close(&m);  // the last user of the output closes it, and the file with it
    DWWL_Term();
    // The tone at the level of the tool's own decode, about a second of it.
    int want_peak = 0;
    for (int16_t s : support::DecodeMovieSound(path)) want_peak = std::max(want_peak, std::abs(int(s)));
    ASSERT_GT(want_peak, 1000);
    std::vector<uint8_t> raw = support::ReadBytes(sound);
    std::vector<int16_t> samples(raw.size() / 2);
    std::memcpy(samples.data(), raw.data(), samples.size() * 2);
    int peak = 0;
    size_t sounding = 0;
    for (int16_t s : samples) {
        peak = std::max(peak, std::abs(int(s)));
        sounding += s != 0;
    }
    EXPECT_NEAR(peak, want_peak, 50);
    EXPECT_GT(sounding, 2u * 44100 * 8 / 10);
    std::remove(sound.c_str());
    DD_Release();
    plat::DestroyWindow(window);
    plat::Shutdown();
    std::remove(path.c_str());
}
