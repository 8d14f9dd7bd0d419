// The bar while a voice plays on the sound device: music and effects ducked to 8/10 and restored,
// and the auto wait that counts the voice's frames.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "platform/headless/headless.h"
#include "platform/headless/headless_sound.h"
#include "services/sound/snd_device.h"
#include "services/sound/snd_game.h"
#include "services/sound/snd_stream.h"
#include "tests/shell/bar_fixture.h"
#include "tests/support/sound_writer.h"

using namespace bartest;

namespace {
constexpr uint32_t kRate = 44100;
constexpr int16_t kEffectSample = 1000;
constexpr int kEffect = 4;

class BarVoiceTest : public BarTest {
protected:
    void SetUp() override {
        BarTest::SetUp();
        for (const char* d : {"Wav", "Wav/Voice", "Music"}) std::filesystem::create_directories(dir.File(d));
        ASSERT_EQ(SND_Init(display.window), 1);
        // A silent voice of half a second, and one effect of a constant sample, looped.
        ASSERT_TRUE(support::WriteWave(dir.File("Wav/Voice/quiet.wav"),
                                       support::MakeWave16(kRate, 1, std::vector<int16_t>(kRate / 2, 0))));
        ASSERT_TRUE(support::WriteWave(dir.File(std::string("Wav/") + SE_DATA[kEffect].name + ".wav"),
                                       support::MakeWave16(kRate, 1, std::vector<int16_t>(4410, kEffectSample))));
        SE_LoadAll();
        VOICE_SetVolume(100);
        SE_SetMute(0);
    }
    void TearDown() override {
        SND_UnloadAll();
        SND_Term();
        BarTest::TearDown();
    }
    // The loudest left sample of the next 20 ms: the looping effect at the effect level.
    static int EffectLevelHeard() {
        headless::ClearCapturedAudio();
        headless::AdvanceTime(20);
        const std::vector<int16_t> all = headless::CapturedAudio();
        int top = 0;
        for (size_t i = 0; i < all.size(); i += 2) top = std::max(top, std::abs(int(all[i])));
        return top;
    }
    static int Expected(int level) { return int(std::lround(kEffectSample * std::pow(10.0, SND_LevelToVolume(level) / 2000.0))); }
};
}  // namespace

TEST_F(BarVoiceTest, AVoiceDucksMusicAndEffectsToEightTenthsUntilItEnds) {
    // (duck music, duck effects, music level, effect level) -> levels while the voice plays
    const struct {
        uint8_t duck_music, duck_se, vol_music, vol_se;
        int music, se, ducked;
    } cases[] = {{1, 1, 100, 100, 80, 80, 1}, {1, 0, 50, 100, 40, 100, 1}, {0, 1, 100, 60, 100, 48, 1}, {0, 0, 70, 90, 70, 90, 0}};
    for (const auto& c : cases) {
        SYS_DATA.duck_music = c.duck_music;
        SYS_DATA.duck_se = c.duck_se;
        SYS_DATA.vol_music = c.vol_music;
        SYS_DATA.vol_se = c.vol_se;
        BGM_SetVolume(c.vol_music);
        SE_SetVolume(c.vol_se);
        ASSERT_EQ(SE_Play(kEffect, 1), 1);
        Frame();
        EXPECT_EQ(BAR_DATA.voice_ducked, 0);
        EXPECT_EQ(SND_StreamGetVolume(), c.vol_music);

        ASSERT_EQ(VOICE_PlayName("quiet"), 1);
        ASSERT_EQ(VOICE_IsPlaying(), 1);
        Frame();
        EXPECT_EQ(BAR_DATA.voice_ducked, c.ducked) << int(c.duck_music) << int(c.duck_se);
        EXPECT_EQ(SND_StreamGetVolume(), c.music);
        EXPECT_NEAR(EffectLevelHeard(), Expected(c.se), 3) << int(c.duck_se);
        Frame();  // ducked once, not again
        EXPECT_EQ(SND_StreamGetVolume(), c.music);

        headless::AdvanceTime(600);  // the voice has played out
        ASSERT_EQ(VOICE_IsPlaying(), 0);
        Frame();
        EXPECT_EQ(BAR_DATA.voice_ducked, 0);
        EXPECT_EQ(SND_StreamGetVolume(), c.vol_music);
        EXPECT_NEAR(EffectLevelHeard(), Expected(c.vol_se), 3);
        SE_Stop(kEffect);
    }
}

TEST_F(BarVoiceTest, TheAutoWaitCountsTheFramesTheVoicePlayed) {
    BAR_DATA.mode = 1;
    SYS_DATA.auto_wait = 50;
    // A voice longer than the wait: the page turns at the first check after it ends.
    BAR_AutoWaitReset();
    ASSERT_EQ(VOICE_PlayName("quiet"), 1);
    for (int check = 1; check <= 80; ++check) ASSERT_EQ(BAR_AutoWaitCheck(), 0) << check;
    headless::AdvanceTime(600);
    EXPECT_EQ(BAR_AutoWaitCheck(), 1);
    // A voice that ends within the wait: the page still turns at the 51st check.
    BAR_AutoWaitReset();
    ASSERT_EQ(VOICE_PlayName("quiet"), 1);
    int turned = 0;
    for (int check = 1; check <= 80 && !turned; ++check) {
        if (check == 30) headless::AdvanceTime(600);
        if (BAR_AutoWaitCheck()) turned = check;
    }
    EXPECT_EQ(turned, 51);
}
