// A headless sound fixture: fresh platform, a main window, a temporary data directory as the base
// directory with the sound folders, and the device opened through SND_Init.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/headless/headless.h"
#include "platform/headless/headless_sound.h"
#include "platform/platform.h"
#include "platform/window.h"
#include "services/fil_util.h"
#include "services/sound/snd_device.h"
#include "services/sound/snd_game.h"
#include "services/sound/snd_stream.h"
#include "tests/support/fixture.h"
#include "tests/support/sound_writer.h"

namespace soundtest {
inline intptr_t Proc(plat::Window* w, uint32_t m, uintptr_t wp, intptr_t lp) { return plat::DefWindowProc(w, m, wp, lp); }

struct SoundTest : ::testing::Test {
    support::TempDir dir;
    plat::Window* window = nullptr;
    void SetUp() override {
        headless::Reset();
        FIL_InitBaseDir();
        for (const char* d : {"Wav", "Music", "Wav/Voice"}) plat::CreateDirectory(d);
        window = plat::CreateMainWindow("test", 640, 480, Proc);
        ASSERT_EQ(SND_Init(window), 1);
        headless::ClearCapturedAudio();
    }
    void TearDown() override {
        SND_StreamStop();
        SND_UnloadAll();
        SND_Term();
        EXPECT_FALSE(headless::SoundDeviceOpen());
        plat::DestroyWindow(window);
    }
    // Left channel of what was mixed since the last clear.
    static std::vector<int16_t> Left() {
        std::vector<int16_t> all = headless::CapturedAudio(), out;
        for (size_t i = 0; i < all.size(); i += 2) out.push_back(all[i]);
        return out;
    }
};

// Workers started so far (each streamed start makes one).
inline int Threads() {
    const auto& log = headless::CallLog();
    return static_cast<int>(std::count(log.begin(), log.end(), std::string("CreateThread")));
}

// Samples whose every value is distinct enough to find where a stretch of them came from.
inline std::vector<int16_t> Ramp(size_t count, int step = 7) {
    std::vector<int16_t> s(count);
    for (size_t i = 0; i < count; ++i) s[i] = static_cast<int16_t>((int64_t(i) * step) % 60000 - 30000);
    return s;
}
}  // namespace soundtest
