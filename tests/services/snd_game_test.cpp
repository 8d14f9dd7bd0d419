// The game's sound interface: the mix of effects and a voice at their levels, music tracks and
// their silent states, effect loops and muting, channels, the voice, pause and resume.
#include <algorithm>
#include <cmath>

#include "tests/services/sound_fixture.h"

using soundtest::Ramp;

namespace {
constexpr uint32_t kRate = 44100;

double Amp(int level) { return level < 1 ? 0.0 : std::pow(10.0, (20.0 * level - 2000) / 2000.0); }

void WriteEffect(const char* name, const std::vector<int16_t>& s) {
    support::WriteWave(std::string("Wav/") + name + ".wav", support::MakeWave16(kRate, 1, s));
}


struct Game : soundtest::SoundTest {
    void SetUp() override {
        SoundTest::SetUp();
        BGM_SetVolume(100);
        SE_SetVolume(100);
        SE_SetSysVolume(100);
        VOICE_SetVolume(100);
        SE_SetMute(0);
        BGM_Suspend(1);
        BGM_Suspend(0);
        BGM_Stop();
    }
};
}  // namespace

TEST_F(Game, TwoEffectsAndAVoiceMixAtTheirLevels) {
    const std::vector<int16_t> a = Ramp(2205, 7), b = Ramp(2205, 11), v = Ramp(4410, 5);
    WriteEffect("beep", a);
    WriteEffect("menu01", b);
    support::WriteWave("Wav/Voice/line.wav", support::MakeWave16(kRate, 1, v));
    SE_LoadAll();
    SE_SetVolume(50);
    SE_SetSysVolume(80);
    VOICE_SetVolume(30);
    EXPECT_EQ(SE_Play(4, 0), 1);
    EXPECT_EQ(SE_PlaySys(46, 0), 1);
    EXPECT_EQ(VOICE_PlayName("line"), 1);
    headless::AdvanceTime(150);
    std::vector<int16_t> out = Left();
    ASSERT_GE(out.size(), 6615u);
    for (size_t i = 0; i < 6615; ++i) {
        double want = (i < a.size() ? a[i] * Amp(50) + b[i] * Amp(80) : 0) + (i < v.size() ? v[i] * Amp(30) : 0);
        ASSERT_NEAR(out[i], std::clamp(want, -32768.0, 32767.0), 3.8) << i;
    }
    // Effect level 0 skips the play; -10000 on a playing buffer is exact silence.
    SE_SetVolume(0);
    EXPECT_EQ(SE_Play(4, 1), 1);
    EXPECT_EQ(SE_IsPlaying(4), 0);
    SE_SetSysVolume(0);
    headless::ClearCapturedAudio();
    SE_SetSysVolume(100);
    EXPECT_EQ(SE_PlaySys(46, 1), 1);
    SE_SetVolume(0);  // every loaded effect takes the level, whichever class played it
    headless::AdvanceTime(50);
    out = Left();
    EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](int16_t s) { return s == 0; }));
}

TEST_F(Game, MusicTracksAndTheirSilentStates) {
    for (const char* stem : {"t2", "t3", "t5"})
        support::WriteWave(std::string("Music/") + stem + ".wav", support::MakeWave16(kRate, 1, Ramp(kRate)));
    BGM_ParseTable("# track loop-ms stem title\n2 0 t2 Second piece\n3 100 t3 Third\n5 0 t5 Fifth\n7 0 gone Missing\n");
    int32_t track = 0;
    uint32_t loop = 9;
    EXPECT_EQ(BGM_Play(3, 1), -1);  // none before
    EXPECT_EQ(SND_StreamIsPlaying(), 1);
    EXPECT_EQ(BGM_Play(3, 1), 4);  // the same track again changes nothing
    EXPECT_EQ(BGM_Play(2, 0), 4);
    BGM_GetTrack(&track, &loop);
    EXPECT_EQ(track, 2);
    EXPECT_EQ(loop, 0u);
    EXPECT_EQ(BGM_Play(7, 1), 0);  // missing file: the old piece is closed, the track stays
    EXPECT_EQ(SND_StreamIsPlaying(), 0);
    BGM_GetTrack(&track, nullptr);
    EXPECT_EQ(track, 2);
    EXPECT_EQ(BGM_Play(2, 1), 3);  // ... so playing it again changes nothing
    EXPECT_EQ(SND_StreamIsPlaying(), 0);
    EXPECT_EQ(BGM_Play(18, 1), 0);  // outside the table
    EXPECT_EQ(BGM_Play(-1, 0), -1);
    EXPECT_EQ(SND_StreamIsPlaying(), 0);
    EXPECT_EQ(BGM_Play(2, 1), -1);
    EXPECT_EQ(SND_StreamIsPlaying(), 1);

    // Level 0: the track is remembered, nothing opens; raising the level alone starts nothing.
    BGM_Stop();
    BGM_SetVolume(0);
    EXPECT_EQ(BGM_Play(5, 1), -1);
    EXPECT_EQ(SND_StreamIsPlaying(), 0);
    BGM_SetVolume(80);
    EXPECT_EQ(SND_StreamIsPlaying(), 0);
    EXPECT_EQ(BGM_Suspend(0), 1);
    EXPECT_EQ(SND_StreamIsPlaying(), 1);
    EXPECT_EQ(SND_StreamGetVolume(), 80);

    // Suspended: a new track is remembered, then played from its beginning with its loop flag.
    EXPECT_EQ(BGM_Suspend(1), 1);
    EXPECT_EQ(SND_StreamIsPlaying(), 0);
    EXPECT_EQ(BGM_Play(2, 1), 6);
    EXPECT_EQ(SND_StreamIsPlaying(), 0);
    headless::ClearCapturedAudio();
    EXPECT_EQ(BGM_Suspend(0), 1);
    headless::AdvanceTime(1100);
    std::vector<int16_t> out = Left();
    const std::vector<int16_t> r = Ramp(kRate);
    for (size_t i = 0; i < 100; ++i) {
        EXPECT_NEAR(out[i], r[i] * Amp(80), 1.3) << i;
        EXPECT_NEAR(out[kRate + i], r[i] * Amp(80), 1.3) << i;  // looped
    }
}

TEST_F(Game, EffectLoopsMutingAndStops) {
    for (const char* n : {"dash2", "warning", "beep"}) WriteEffect(n, std::vector<int16_t>(441, 1000));
    SE_LoadAll();
    EXPECT_EQ(SE_Play(14, -1), 1);  // the table's loop flag
    EXPECT_EQ(SE_Play(56, -1), 1);
    EXPECT_EQ(SE_Play(4, -1), 1);
    headless::AdvanceTime(100);
    EXPECT_EQ(SE_IsPlaying(14), 1);
    EXPECT_EQ(SE_IsPlaying(56), 1);
    EXPECT_EQ(SE_IsPlaying(4), 0);
    SE_StopLoops();
    EXPECT_EQ(SE_IsPlaying(14) + SE_IsPlaying(56), 0);
    EXPECT_EQ(SE_Play(14, 0), 1);
    headless::AdvanceTime(100);
    EXPECT_EQ(SE_IsPlaying(14), 0);
    // Muted: plays are refused with 1 while a loop already sounding goes on; unmuting stops it.
    SE_Play(56, 1);
    SE_SetMute(1);
    EXPECT_EQ(SE_Play(4, 1), 1);
    EXPECT_EQ(SE_IsPlaying(4), 0);
    EXPECT_EQ(SE_PlayFile(0, "beep", 0), 1);
    EXPECT_EQ(SE_CHANNEL[0].in_use, 0u);
    EXPECT_EQ(SE_IsPlaying(56), 1);
    SE_SetMute(0);
    EXPECT_EQ(SE_IsPlaying(56), 0);
    // Not loaded, outside the table.
    EXPECT_EQ(SE_Play(0, 0), 0);
    EXPECT_EQ(SE_Play(63, 0), 0);
    EXPECT_EQ(SE_Play(-1, 0), 0);
    EXPECT_EQ(SE_Stop(0), 0);
    EXPECT_EQ(SE_Stop(4), 1);
}

TEST_F(Game, MissingEffectsAndVoicesNameThemselves) {
    headless::ClearDebugOutput();
    SE_LoadAll();
    const auto& lines = headless::DebugOutput();
    // "barrierが、見つかりません。"
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        std::string("barrier\x82\xaa\x81" "A\x8c\xa9\x82\xc2\x82\xa9\x82\xe8\x82\xdc\x82\xb9\x82\xf1\x81" "B")),
              lines.end());
    EXPECT_EQ(VOICE_PlayName("nobody"), 0);
    // "音声のnobodyが見つかりません。": no stray '%'
    EXPECT_EQ(lines[lines.size() - 2],
              "\x89\xb9\x90\xba\x82\xcc" "nobody\x82\xaa\x8c\xa9\x82\xc2\x82\xa9\x82\xe8\x82\xdc\x82\xb9\x82\xf1\x81" "B");
    EXPECT_EQ(VOICE_PlayNumber(12), 0);
    EXPECT_EQ(lines[lines.size() - 2],
              "\x89\xb9\x90\xba\x82\xcc" "0012\x82\xaa\x8c\xa9\x82\xc2\x82\xa9\x82\xe8\x82\xdc\x82\xb9\x82\xf1\x81" "B");
    support::WriteWave("Wav/Voice/00000012.wav", support::MakeWave16(kRate, 1, Ramp(100)));
    EXPECT_EQ(VOICE_PlayNumber(12), 1);
}

TEST_F(Game, ChannelsPlayOncePerUseAndAreReaped) {
    WriteEffect("bell", std::vector<int16_t>(441, 500));
    SE_LoadAll();
    EXPECT_EQ(SE_PlayFile(3, "bell", 0), 1);
    SND_BUFFER first = SE_CHANNEL[3].buffer;
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(SE_PlayFile(3, "bell", 1), 1);  // busy: nothing changes
    EXPECT_EQ(SE_CHANNEL[3].buffer, first);
    EXPECT_EQ(SE_CHANNEL[3].loop, 0u);
    EXPECT_EQ(SE_PlayFile(2, nullptr, 0), 0);
    EXPECT_EQ(SE_PlayFile(8, "bell", 0), 1);  // no such channel
    EXPECT_EQ(SE_PlayFile(5, "nothing", 0), 1);  // missing: in use without a buffer
    EXPECT_EQ(SE_CHANNEL[5].in_use, 1u);
    EXPECT_EQ(SE_CHANNEL[5].buffer, nullptr);
    headless::AdvanceTime(20);
    SE_ReapFiles();
    EXPECT_EQ(SE_CHANNEL[3].in_use + SE_CHANNEL[5].in_use, 0u);
    EXPECT_EQ(SE_PlayFile(3, "bell", 1), 1);
    EXPECT_EQ(SE_CHANNEL[3].loop, 1u);
    for (int c = 0; c < SE_CHANNELS; ++c) SE_PlayFile(c, "bell", 1);
    SE_StopFile(9);  // other numbers are left alone
    EXPECT_EQ(SE_CHANNEL[0].in_use, 1u);
    SE_StopFiles();  // stopped, kept
    EXPECT_NE(SE_CHANNEL[0].buffer, nullptr);
    EXPECT_EQ(SND_IsPlaying(SE_CHANNEL[0].buffer), 0);
    SE_StopFile(-1);
    for (const auto& c : SE_CHANNEL) EXPECT_EQ(c.in_use + (c.buffer != nullptr), 0u);
}

TEST_F(Game, VoiceLevelsAndTheSlot) {
    support::WriteWave("Wav/Voice/a.wav", support::MakeWave16(kRate, 1, std::vector<int16_t>(4410, 2000)));
    EXPECT_EQ(VOICE_Stop(), 0);
    EXPECT_EQ(VOICE_SetVolume(0), 0);
    EXPECT_EQ(VOICE_PlayName("a"), 1);  // level 0: nothing plays
    EXPECT_EQ(VOICE_IsPlaying(), 0);
    EXPECT_EQ(VOICE_Stop(), 0);
    VOICE_SetVolume(100);
    EXPECT_EQ(VOICE_PlayName("a"), 1);
    EXPECT_EQ(VOICE_IsPlaying(), 1);
    EXPECT_EQ(VOICE_SetVolume(50), 1);
    headless::AdvanceTime(200);  // played out, still loaded
    EXPECT_EQ(VOICE_IsPlaying(), 0);
    EXPECT_EQ(VOICE_Stop(), 1);
}

TEST_F(Game, PauseResumesOnlyWhatWasPlaying) {
    support::WriteWave("Music/m.wav", support::MakeWave16(kRate, 1, Ramp(9 * kRate)));
    support::WriteWave("Wav/Voice/v.wav", support::MakeWave16(kRate, 1, Ramp(kRate, 3)));
    WriteEffect("bell", std::vector<int16_t>(4410, 700));
    WriteEffect("beep", std::vector<int16_t>(44100, 300));
    SE_LoadAll();
    BGM_ParseTable("0 0 m Music\n");
    BGM_Play(0, 0);
    VOICE_PlayName("v");
    SE_PlayFile(1, "bell", 1);
    SE_PlayFile(2, "bell", 0);
    SE_Play(4, 0);
    headless::AdvanceTime(200);  // channel 2 has ended
    SND_PauseAll();
    EXPECT_EQ(SND_StreamIsPlaying() + VOICE_IsPlaying() + SND_IsPlaying(SE_CHANNEL[1].buffer), 0);
    EXPECT_EQ(SE_IsPlaying(4), 1);  // table effects go on
    SE_Stop(4);
    headless::AdvanceTime(500);
    headless::ClearCapturedAudio();
    const int threads = soundtest::Threads();
    SND_ResumeAll();
    EXPECT_EQ(SND_IsPlaying(SE_CHANNEL[2].buffer), 0);
    EXPECT_EQ(SND_IsPlaying(SE_CHANNEL[1].buffer), 1);
    EXPECT_EQ(soundtest::Threads(), threads + 1);  // the streamed piece starts again with a new worker
    headless::AdvanceTime(10);
    std::vector<int16_t> out = Left();
    const std::vector<int16_t> m = Ramp(441), v = Ramp(kRate, 3);
    for (size_t i = 0; i < 441; ++i) {
        // Music from its beginning, the voice from where it stopped (8,820 frames in), the bell loop.
        double want = m[i] + v[8820 + i] + 700;
        ASSERT_NEAR(out[i], std::clamp(want, -32768.0, 32767.0), 3) << i;
    }
    // The piece keeps the loop flag it was started with: a one-shot piece ends after its 9 s.
    headless::AdvanceTime(10500);
    EXPECT_EQ(SND_StreamIsPlaying(), 0);
    // A second resume without a pause starts nothing.
    SND_StreamStop();
    SND_ResumeAll();
    EXPECT_EQ(SND_StreamIsPlaying(), 0);
}
