// Battle voices: loading with references, missing files, and the level rule on loaded buffers.
#include <gtest/gtest.h>

#include "battle/bvoice.h"
#include "battle/waza_file.h"
#include "platform/headless/headless.h"
#include "platform/window.h"
#include "services/fil_util.h"
#include "tests/battle/battle_test_util.h"
#include "tests/support/fixture.h"
#include "tests/support/sound_writer.h"

namespace {

intptr_t Proc(plat::Window* w, uint32_t m, uintptr_t wp, intptr_t lp) { return plat::DefWindowProc(w, m, wp, lp); }

struct Voices : ::testing::Test {
    void SetUp() override {
        headless::Reset();
        FIL_InitBaseDir();
        window = plat::CreateMainWindow("test", 640, 480, Proc);
        ASSERT_EQ(SND_Init(window), 1);
        ASSERT_TRUE(plat::CreateDirectory("Wav") && plat::CreateDirectory("Wav/BatVoice"));
    }
    void TearDown() override {
        while (MECH_TABLE[4].voice_refs) BVOICE_Free(4);
        SND_Term();
        plat::DestroyWindow(window);
    }
    support::TempDir dir;
    plat::Window* window = nullptr;
};

TEST_F(Voices, LoadOnceReportMissingAndFreeOnLastReference) {
    const support::Wave w = support::MakeWave16(22050, 1, std::vector<int16_t>(2000, 900));
    for (int n : {0, 1, 2, 4, 5}) ASSERT_TRUE(support::WriteWave("Wav/BatVoice/c07_v0" + std::to_string(n) + ".wav", w));
    headless::ClearDebugOutput();
    EXPECT_EQ(BVOICE_Load(4, 7), 1);
    EXPECT_EQ(BVOICE_Load(4, 9), 1);  // a second reference loads nothing
    const std::vector<std::string> lines = battle_test::DebugLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "c07_v03.wav \x82\xaa\x81" "A\x8c\xa9\x82\xc2\x82\xa9\x82\xe8\x82\xdc\x82\xb9\x82\xf1\x81" "B");
    const MechRecord& m = MECH_TABLE[4];
    EXPECT_EQ(m.voice[3], nullptr);
    for (int n : {0, 1, 2, 4, 5}) ASSERT_NE(m.voice[n], nullptr) << n;
    for (auto [level, want] : {std::pair{100, 0}, {50, -1000}, {1, -1980}, {0, -10000}, {-5, -10000}}) {
        EXPECT_EQ(BVOICE_Attenuation(level), want) << level;
        BVOICE_SetVolume(level);
        int32_t att = 1;
        SND_GetVolume(m.voice[5], &att);
        EXPECT_EQ(att, want) << level;
    }
    SND_Play(m.voice[1], 1);
    EXPECT_EQ(BVOICE_IsPlaying(4, 1), 1);
    BVOICE_Stop(4, 1);
    BVOICE_Stop(4, 3);  // not loaded: nothing
    EXPECT_EQ(BVOICE_IsPlaying(4, 1), 0);
    EXPECT_EQ(BVOICE_IsPlaying(4, 6), 0);
    BVOICE_Free(4);
    EXPECT_NE(m.voice[0], nullptr);
    BVOICE_Free(4);
    BVOICE_Free(4);
    EXPECT_EQ(m.voice_refs, 0);
    for (SND_BUFFER b : m.voice) EXPECT_EQ(b, nullptr);
}

}  // namespace
