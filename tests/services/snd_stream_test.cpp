// Music streaming on the headless clock: which pieces stream, loop restarts, the clean end of a
// one-shot piece, stop and replay, a new piece while one plays, the level clamp.
#include <algorithm>

#include "tests/services/sound_fixture.h"

using soundtest::Ramp;
using soundtest::SoundTest;

namespace {
constexpr uint32_t kRate = 44100;
constexpr size_t kBlockFrames = 88200;  // two seconds


// Advances the clock in frame-sized steps, as the game's passes would.
void Play(uint32_t ms) {
    for (uint32_t t = 0; t < ms; t += 100) headless::AdvanceTime(std::min<uint32_t>(100, ms - t));
}

struct Stream : SoundTest {
    std::vector<int16_t> ramp;
    // A 16-bit mono piece of `seconds` at the device rate: the mix reproduces it sample for sample.
    const char* Piece(const char* name, double seconds) {
        ramp = Ramp(static_cast<size_t>(seconds * kRate));
        support::WriteWave(std::string("Music/") + name, support::MakeWave16(kRate, 1, ramp));
        return FIL_MakePath("Music\\%s", name);
    }
};
}  // namespace

TEST(StreamSizes, BlocksAndOffsets) {
    EXPECT_EQ(SND_StreamBlockSize(44100, 4), 352800u);
    EXPECT_EQ(SND_StreamBlockSize(22050, 1), 44100u);
    EXPECT_EQ(SND_StreamTimeToOffset(44100, 4, 1500), 264600u);
    // Past 97,391 ms the 32-bit product would wrap.
    EXPECT_EQ(SND_StreamTimeToOffset(44100, 4, 97392), 17179948u);
    EXPECT_EQ(SND_StreamTimeToOffset(44100, 4, 600000), 105840000u);
}

TEST_F(Stream, ExactlyTheRingStreamsAndOneByteLessLoadsWhole) {
    // 8-bit mono at 11,025 Hz: the ring is 88,200 bytes.
    for (size_t bytes : {size_t(88200), size_t(88199)}) {
        support::WriteWave("Music/r.wav", support::MakeWave8(11025, 1, std::vector<uint8_t>(bytes, 0x90)));
        headless::ClearCallLog();
        ASSERT_EQ(SND_StreamOpen(FIL_MakePath("Music\\r.wav")), 1);
        SND_StreamPlay(1);
        EXPECT_EQ(soundtest::Threads(), bytes == 88200 ? 1 : 0) << bytes;
        EXPECT_EQ(SND_StreamIsPlaying(), 1);
        SND_StreamFree();
        EXPECT_EQ(SND_StreamIsPlaying(), 0);
    }
}

TEST_F(Stream, LoopingRestartsAtTheLoopPosition) {
    ASSERT_EQ(SND_StreamOpen(Piece("loop.wav", 9)), 1);
    ASSERT_EQ(SND_StreamSetLoopPos(1500), 1);
    SND_StreamPlay(1);
    Play(13000);
    std::vector<int16_t> out = Left();
    ASSERT_GE(out.size(), size_t(13) * kRate);
    const size_t end = ramp.size(), loop = 66150;  // 1500 ms
    for (size_t i = 0; i < end; ++i) ASSERT_EQ(out[i], ramp[i]) << i;
    for (size_t k = 0; k < 4 * kRate - 1; ++k) ASSERT_EQ(out[end + k], ramp[loop + k]) << k;
    EXPECT_EQ(SND_StreamIsPlaying(), 1);
}

TEST_F(Stream, ALoopShorterThanABlockFillsEachBlockInSeveralPasses) {
    ASSERT_EQ(SND_StreamOpen(Piece("short.wav", 9)), 1);
    SND_StreamSetLoopPos(8500);  // half a second of loop, a quarter of a block
    SND_StreamPlay(1);
    Play(14000);
    std::vector<int16_t> out = Left();
    const size_t end = ramp.size(), loop = 374850, len = end - loop;
    for (size_t k = 0; k < 4 * kRate; ++k) ASSERT_EQ(out[end + k], ramp[loop + k % len]) << k;
}

TEST_F(Stream, LoopPositionsAtZeroOrPastTheEndRestartAtTheStart) {
    for (uint32_t pos : {0u, 9000u, 20000u}) {
        ASSERT_EQ(SND_StreamOpen(Piece("z.wav", 8.5)), 1);
        SND_StreamSetLoopPos(pos);
        headless::ClearCapturedAudio();
        SND_StreamPlay(1);
        Play(10000);
        std::vector<int16_t> out = Left();
        for (size_t k = 0; k < kRate; ++k) ASSERT_EQ(out[ramp.size() + k], ramp[k]) << pos << " " << k;
    }
}

TEST_F(Stream, AOneShotPieceEndsInSilenceAndStops) {
    // 8-bit: the fill after the last sample must be 0x80, which mixes to 0.
    std::vector<uint8_t> bytes(static_cast<size_t>(11 * kRate));
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(1 + i % 200);
    support::WriteWave("Music/once.wav", support::MakeWave8(kRate, 1, bytes));
    ASSERT_EQ(SND_StreamOpen(FIL_MakePath("Music\\once.wav")), 1);
    SND_StreamPlay(0);
    Play(11900);
    EXPECT_EQ(SND_StreamIsPlaying(), 1);
    Play(14000 - 11900);  // the block holding the last sample has played: stopped
    EXPECT_EQ(SND_StreamIsPlaying(), 0);
    std::vector<int16_t> out = Left();
    for (size_t i = 0; i < bytes.size(); ++i) ASSERT_EQ(out[i], (bytes[i] - 128) * 256) << i;
    for (size_t i = bytes.size(); i < out.size(); ++i) ASSERT_EQ(out[i], 0) << i;
}

TEST_F(Stream, APartWayStartEndsInSilenceRightAfterTheBlockHoldingTheLastData) {
    // 10 s of 16-bit mono: five blocks. Each start plays the data from its offset, then silence,
    // and stops at the first block boundary after the last sample; never the ring's older music.
    const size_t total = 10 * kRate;
    struct Case {
        uint32_t ms;
        size_t first;  // first sample played
    } cases[] = {{0, 0},          {1000, kRate},      {2000, 2 * kRate},   {3000, 3 * kRate},
                 {5000, 5 * kRate}, {6500, 286650},   {8000, 8 * kRate},   {9000, 9 * kRate},
                 {9990, 440559},  {10000, 0},         {25000, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ms);
        ASSERT_EQ(SND_StreamOpen(Piece("part.wav", 10)), 1);
        headless::ClearCapturedAudio();
        SND_StreamPlayFrom(0, c.ms);
        const size_t data = total - c.first;
        const size_t stop = (data + kBlockFrames - 1) / kBlockFrames * kBlockFrames;  // frames
        const uint32_t stop_ms = static_cast<uint32_t>(stop * 1000 / kRate);
        Play(stop_ms - 100);
        EXPECT_EQ(SND_StreamIsPlaying(), 1);
        Play(200);
        EXPECT_EQ(SND_StreamIsPlaying(), 0);
        Play(8000);
        std::vector<int16_t> out = Left();
        ASSERT_GE(out.size(), stop + 8 * kRate);
        for (size_t i = 0; i < data; ++i) ASSERT_EQ(out[i], ramp[c.first + i]) << i;
        for (size_t i = data; i < out.size(); ++i) ASSERT_EQ(out[i], 0) << i;
    }
}

TEST_F(Stream, StopThenPlayStartsAgainFromTheBeginning) {
    ASSERT_EQ(SND_StreamOpen(Piece("s.wav", 10)), 1);
    SND_StreamPlay(1);
    Play(3000);
    EXPECT_EQ(SND_StreamStop(), 1);
    Play(500);
    EXPECT_EQ(SND_StreamIsPlaying(), 0);
    headless::ClearCapturedAudio();
    SND_StreamPlay(1);
    Play(9000);
    std::vector<int16_t> out = Left();
    for (size_t i = 0; i < 9 * kRate; ++i) ASSERT_EQ(out[i], ramp[i]) << i;
    EXPECT_EQ(soundtest::Threads(), 2);  // a new worker for the new start
}

TEST_F(Stream, APieceLoadedWholeContinuesWhereItStopped) {
    ASSERT_EQ(SND_StreamOpen(Piece("w.wav", 3)), 1);
    SND_StreamPlay(0);
    Play(1000);
    SND_StreamStop();
    headless::ClearCapturedAudio();
    SND_StreamPlay(0);
    Play(1000);
    std::vector<int16_t> out = Left();
    for (size_t i = 0; i < kRate; ++i) ASSERT_EQ(out[i], ramp[kRate + i]) << i;
    EXPECT_EQ(SND_StreamSetLoopPos(5), 1);
}

TEST_F(Stream, OpeningWhilePlayingEndsTheOldWorkerFirst) {
    ASSERT_EQ(SND_StreamOpen(Piece("a.wav", 9)), 1);
    SND_StreamPlay(1);
    Play(2500);
    support::Wave b = support::MakeWave16(kRate, 1, Ramp(9 * kRate, 13));
    support::WriteWave("Music/b.wav", b);
    ASSERT_EQ(SND_StreamOpen(FIL_MakePath("Music\\b.wav")), 1);
    headless::ClearCapturedAudio();
    SND_StreamPlay(1);
    Play(3000);
    std::vector<int16_t> out = Left(), want = Ramp(3 * kRate, 13);
    for (size_t i = 0; i < want.size(); ++i) ASSERT_EQ(out[i], want[i]) << i;
    EXPECT_EQ(SND_StreamOpen(FIL_MakePath("Music\\none.wav")), 0);  // the failed open closed b
    EXPECT_EQ(SND_StreamIsPlaying(), 0);
    EXPECT_EQ(SND_StreamStop(), 0);
}

TEST_F(Stream, WithoutAWorkerTheRingLoopsOverItsPreload) {
    ASSERT_EQ(SND_StreamOpen(Piece("n.wav", 10)), 1);
    headless::FailCall("CreateThread");
    SND_StreamPlay(1);
    Play(9000);
    std::vector<int16_t> out = Left();
    for (size_t k = 0; k < kRate; ++k) ASSERT_EQ(out[4 * kBlockFrames + k], ramp[k]) << k;
}

TEST_F(Stream, VolumeIsClampedAndEveryOpenStartsAtFullLevel) {
    ASSERT_EQ(SND_StreamOpen(Piece("v.wav", 9)), 1);
    EXPECT_EQ(SND_StreamGetVolume(), 100);
    SND_StreamSetVolume(150);
    EXPECT_EQ(SND_StreamGetVolume(), 100);
    SND_StreamSetVolume(-5);
    EXPECT_EQ(SND_StreamGetVolume(), 0);
    SND_StreamPlay(1);
    Play(1000);
    std::vector<int16_t> out = Left();
    EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](int16_t s) { return s == 0; }));
    SND_StreamSetVolume(50);
    headless::ClearCapturedAudio();
    Play(100);
    out = Left();
    EXPECT_NEAR(out[10], ramp[kRate + 10] * 0.316228, 1.5);
    ASSERT_EQ(SND_StreamOpen(Piece("v2.wav", 1)), 1);
    EXPECT_EQ(SND_StreamGetVolume(), 100);
    SND_StreamFree();
    EXPECT_EQ(SND_StreamGetVolume(), 0);
}

TEST_F(Stream, FadesStepTheLevelFromTheWindowTimer) {
    support::WriteWave("Music/f.wav", support::MakeWave16(kRate, 1, std::vector<int16_t>(9 * kRate, 10000)));
    ASSERT_EQ(SND_StreamOpen(FIL_MakePath("Music\\f.wav")), 1);
    SND_StreamSetVolume(80);
    SND_StreamPlay(1);
    auto fade = [] {
        plat::Msg msg;
        for (int i = 0; i < 80 && SND_FadeIsActive(); ++i) {
            headless::AdvanceTime(10);
            while (plat::PeekMessage(&msg)) plat::DispatchMessage(msg);
        }
        EXPECT_EQ(SND_FadeIsActive(), 0);
        headless::ClearCapturedAudio();
        Play(100);
        return Left().back();
    };
    ASSERT_EQ(SND_FadeOut(640), 1);
    EXPECT_EQ(SND_FadeOut(640), 0);  // one fade at a time
    EXPECT_EQ(fade(), 0);
    EXPECT_EQ(SND_StreamGetVolume(), 80);  // a fade shows levels without storing them
    // A fade-in stores 0 and rises to the level stored before it.
    ASSERT_EQ(SND_FadeIn(640), 1);
    EXPECT_EQ(SND_StreamGetVolume(), 0);
    EXPECT_NEAR(fade(), 10000 * 0.630957, 1.0);  // level 80: -400
}
