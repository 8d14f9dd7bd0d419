// The sound device on the headless clock: mixing levels, resampling, looping, cursors, locks,
// notifications, format refusals, movie queues; events and threads.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <vector>

#include "platform/headless/headless.h"
#include "platform/headless/headless_sound.h"
#include "platform/sound.h"
#include "platform/thread.h"

namespace {
WAVEFORMATEX Format(uint32_t rate, uint16_t channels, uint16_t bits) {
    WAVEFORMATEX f;
    f.wFormatTag = WAVE_FORMAT_PCM;
    f.nChannels = channels;
    f.nSamplesPerSec = rate;
    f.wBitsPerSample = bits;
    f.nBlockAlign = static_cast<uint16_t>(channels * bits / 8);
    f.nAvgBytesPerSec = rate * f.nBlockAlign;
    return f;
}

constexpr uint32_t kAllCaps = DSBCAPS_GETCURRENTPOSITION2 | DSBCAPS_STICKYFOCUS | DSBCAPS_CTRLPOSITIONNOTIFY |
                              DSBCAPS_CTRLVOLUME | DSBCAPS_CTRLPAN | DSBCAPS_CTRLFREQUENCY;
static_assert(kAllCaps == 0x141E0);

// A fresh headless platform with the device open; buffers made through it are released at the end.
struct Device : ::testing::Test {
    DSObject* ds = nullptr;
    std::vector<DSBuffer*> made;
    void SetUp() override {
        headless::Reset();
        ASSERT_EQ(DSObject::Create(&ds), DS_OK);
        headless::ClearCapturedAudio();
    }
    void TearDown() override {
        for (DSBuffer* b : made) b->Release();
        if (ds) ds->Release();
        EXPECT_FALSE(headless::SoundDeviceOpen());
    }
    DSBuffer* Make(const WAVEFORMATEX& f, const std::vector<uint8_t>& bytes, uint32_t flags = kAllCaps) {
        DSBUFFERDESC d{flags, static_cast<uint32_t>(bytes.size()), &f};
        DSBuffer* b = nullptr;
        if (ds->CreateSoundBuffer(&d, &b) != DS_OK) return nullptr;
        void *p1, *p2;
        uint32_t n1, n2;
        if (b->Lock(0, d.dwBufferBytes, &p1, &n1, &p2, &n2, 0) == DS_OK) {
            std::memcpy(p1, bytes.data(), n1);
            b->Unlock(p1, n1, p2, n2);
        }
        made.push_back(b);
        return b;
    }
};

std::vector<uint8_t> Pcm16(const std::vector<int16_t>& s) {
    std::vector<uint8_t> out(s.size() * 2);
    std::memcpy(out.data(), s.data(), out.size());
    return out;
}

// Signalled now? (consumes the signal)
bool Signalled(plat::EventHandle e) {
    plat::EventHandle yes = plat::CreateEvent();
    plat::SetEvent(yes);
    bool r = plat::WaitForEither(e, yes) == 0;
    plat::CloseEvent(yes);
    return r;
}

double Amp(int32_t centibels) { return centibels <= -10000 ? 0.0 : std::pow(10.0, centibels / 2000.0); }
}  // namespace

TEST_F(Device, TwoBuffersAtKnownLevelsSumWithSaturation) {
    std::vector<int16_t> a(441), b(441);
    for (int i = 0; i < 441; ++i) {
        a[i] = static_cast<int16_t>((i * 977) % 60000 - 30000);
        b[i] = static_cast<int16_t>(30000 - (i * 331) % 50000);
    }
    DSBuffer* ba = Make(Format(44100, 1, 16), Pcm16(a));
    DSBuffer* bb = Make(Format(44100, 1, 16), Pcm16(b));
    ASSERT_TRUE(ba && bb);
    const int32_t levels[][2] = {{0, 0}, {-1000, -1980}, {-10000, 0}, {-10000, -10000}, {-600, -5000}};
    for (const auto& lv : levels) {
        ba->SetVolume(lv[0]);
        bb->SetVolume(lv[1]);
        ba->SetCurrentPosition(0);
        bb->SetCurrentPosition(0);
        headless::ClearCapturedAudio();
        ba->Play(0, 0, 0);
        bb->Play(0, 0, 0);
        headless::AdvanceTime(20);  // 882 frames: the one-shot sounds end after 441
        std::vector<int16_t> out = headless::CapturedAudio();
        ASSERT_EQ(out.size(), 882u * 2);
        for (int i = 0; i < 882; ++i) {
            double want = i < 441 ? a[i] * Amp(lv[0]) + b[i] * Amp(lv[1]) : 0.0;
            want = std::max(-32768.0, std::min(32767.0, want));
            ASSERT_NEAR(out[2 * i], want, 2.5) << "level " << lv[0] << "/" << lv[1] << " frame " << i;
            ASSERT_EQ(out[2 * i], out[2 * i + 1]);
        }
        uint32_t st = 1;
        EXPECT_EQ(ba->GetStatus(&st), DS_OK);
        EXPECT_EQ(st, 0u);
    }
}

TEST_F(Device, FormatsConvertAndResample) {
    // 8-bit unsigned stereo at the device rate: (b - 128) << 8 per side.
    DSBuffer* b8 = Make(Format(44100, 2, 8), {0x80, 0xFF, 0x00, 0x90, 0xC0, 0x40});
    ASSERT_NE(b8, nullptr);
    b8->Play(0, 0, 0);
    headless::AdvanceTime(1);
    std::vector<int16_t> out = headless::CapturedAudio();
    ASSERT_GE(out.size(), 6u);
    EXPECT_EQ(std::vector<int16_t>(out.begin(), out.begin() + 6),
              (std::vector<int16_t>{0, 127 << 8, -128 << 8, 16 << 8, 64 << 8, -64 << 8}));
    // Half the device rate: every other output frame lies halfway between two source frames.
    headless::ClearCapturedAudio();
    DSBuffer* half = Make(Format(22050, 1, 16), Pcm16({1000, 3000, -1000, 0}));
    half->Play(0, 0, DSBPLAY_LOOPING);
    headless::AdvanceTime(1);  // 44 frames
    out = headless::CapturedAudio();
    const int16_t want[] = {1000, 2000, 3000, 1000, -1000, -500, 0, 500, 1000};
    for (int i = 0; i < 9; ++i) EXPECT_EQ(out[2 * i], want[i]) << i;
}

TEST_F(Device, LoopingWrapsWithoutAClick) {
    // 100 frames holding exactly one period: looped output is the period repeated, sample for sample.
    std::vector<int16_t> period(100);
    for (int i = 0; i < 100; ++i) period[i] = static_cast<int16_t>(std::lround(20000 * std::sin(i * 2 * M_PI / 100)));
    DSBuffer* b = Make(Format(44100, 1, 16), Pcm16(period));
    b->Play(0, 0, DSBPLAY_LOOPING);
    headless::AdvanceTime(50);
    std::vector<int16_t> out = headless::CapturedAudio();
    ASSERT_EQ(out.size(), 2205u * 2);
    int max_step = 0;
    for (size_t i = 0; i < 2205; ++i) {
        ASSERT_EQ(out[2 * i], period[i % 100]);
        if (i) max_step = std::max(max_step, std::abs(out[2 * i] - out[2 * i - 2]));
    }
    EXPECT_LT(max_step, 1300);  // the sine's own steepest step, never a jump
    uint32_t st = 0;
    b->GetStatus(&st);
    EXPECT_EQ(st, DSBSTATUS_PLAYING | DSBSTATUS_LOOPING);
}

TEST_F(Device, PanAttenuatesTheOtherSide) {
    DSBuffer* b = Make(Format(44100, 1, 16), Pcm16(std::vector<int16_t>(441, 10000)));
    const int32_t pans[] = {0, 2000, -2000, 10000, -10000};
    for (int32_t pan : pans) {
        ASSERT_EQ(b->SetPan(pan), DS_OK);
        int32_t got = 1;
        b->GetPan(&got);
        EXPECT_EQ(got, pan);
        headless::ClearCapturedAudio();
        b->SetCurrentPosition(0);
        b->Play(0, 0, 0);
        headless::AdvanceTime(1);
        std::vector<int16_t> out = headless::CapturedAudio();
        EXPECT_NEAR(out[0], 10000 * Amp(std::min(0, -pan)), 1.0) << pan;
        EXPECT_NEAR(out[1], 10000 * Amp(std::min(0, pan)), 1.0) << pan;
    }
    EXPECT_EQ(b->SetPan(10001), DSERR_INVALIDPARAM);
    EXPECT_EQ(b->SetVolume(1), DSERR_INVALIDPARAM);
    EXPECT_EQ(b->SetVolume(-10001), DSERR_INVALIDPARAM);
}

TEST_F(Device, CursorsStopAndOneShotEnd) {
    DSBuffer* b = Make(Format(44100, 2, 16), std::vector<uint8_t>(4 * 4410));  // 100 ms
    uint32_t play = 1, write = 1;
    ASSERT_EQ(b->GetCurrentPosition(&play, &write), DS_OK);
    EXPECT_EQ(play, 0u);
    EXPECT_EQ(write, 0u);
    b->Play(0, 0, 0);
    headless::AdvanceTime(50);
    b->GetCurrentPosition(&play, &write);
    EXPECT_EQ(play, 4u * 2205);
    EXPECT_EQ(write, 4u * (2205 + 441));
    b->Stop();  // keeps the position
    headless::AdvanceTime(50);
    b->GetCurrentPosition(&play, nullptr);
    EXPECT_EQ(play, 4u * 2205);
    b->Play(0, 0, 0);
    headless::AdvanceTime(100);  // runs past its end: stopped, back at 0
    uint32_t st = 1;
    b->GetStatus(&st);
    EXPECT_EQ(st, 0u);
    b->GetCurrentPosition(&play, nullptr);
    EXPECT_EQ(play, 0u);
    EXPECT_EQ(b->SetCurrentPosition(4 * 4410), DSERR_INVALIDPARAM);
    EXPECT_EQ(b->SetCurrentPosition(7), DS_OK);  // rounds down to a whole frame
    b->GetCurrentPosition(&play, nullptr);
    EXPECT_EQ(play, 4u);
}

TEST_F(Device, LocksWrapAndAreWrittenBackOnUnlock) {
    DSBuffer* b = Make(Format(44100, 1, 8), std::vector<uint8_t>(16, 0x80));
    void *p1 = nullptr, *p2 = nullptr;
    uint32_t n1 = 0, n2 = 0;
    ASSERT_EQ(b->Lock(12, 8, &p1, &n1, &p2, &n2, 0), DS_OK);
    EXPECT_EQ(n1, 4u);
    EXPECT_EQ(n2, 4u);
    ASSERT_NE(p2, nullptr);
    void *q1, *q2;
    uint32_t m1, m2;
    EXPECT_EQ(b->Lock(0, 4, &q1, &m1, &q2, &m2, 0), DSERR_INVALIDCALL);  // one lock at a time
    std::memset(p1, 0xFF, n1);
    std::memset(p2, 0x00, n2);
    ASSERT_EQ(b->Unlock(p1, n1, p2, n2), DS_OK);
    ASSERT_EQ(b->Lock(0, 0, &p1, &n1, &p2, &n2, DSBLOCK_ENTIREBUFFER), DS_OK);
    EXPECT_EQ(n1, 16u);
    EXPECT_EQ(n2, 0u);
    std::vector<uint8_t> all(static_cast<uint8_t*>(p1), static_cast<uint8_t*>(p1) + 16);
    EXPECT_EQ(all, (std::vector<uint8_t>{0, 0, 0, 0, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0xFF, 0xFF, 0xFF,
                                         0xFF}));
    b->Unlock(p1, n1, p2, n2);
    const uint32_t bad[][2] = {{16, 1}, {0, 17}, {0, 0}};
    for (const auto& r : bad) EXPECT_EQ(b->Lock(r[0], r[1], &p1, &n1, &p2, &n2, 0), DSERR_INVALIDPARAM);
}

TEST_F(Device, NotificationsFireAsThePlayCursorPassesAndOnStop) {
    DSBuffer* b = Make(Format(44100, 1, 16), std::vector<uint8_t>(2 * 4410));  // 100 ms ring
    plat::EventHandle block = plat::CreateEvent(), stop = plat::CreateEvent();
    DSBPOSITIONNOTIFY n[] = {{2 * 2205, block}, {2 * 4410 - 1, block}, {DSBPN_OFFSETSTOP, stop}};
    ASSERT_EQ(b->SetNotificationPositions(3, n), DS_OK);
    b->Play(0, 0, DSBPLAY_LOOPING);
    EXPECT_EQ(b->SetNotificationPositions(3, n), DSERR_INVALIDCALL);  // not while playing
    headless::AdvanceTime(49);
    EXPECT_FALSE(Signalled(block));
    headless::AdvanceTime(2);
    EXPECT_TRUE(Signalled(block));
    EXPECT_FALSE(Signalled(block));  // auto-reset
    headless::AdvanceTime(50);
    EXPECT_TRUE(Signalled(block));  // the last byte of the ring
    EXPECT_FALSE(Signalled(stop));
    b->Stop();
    EXPECT_TRUE(Signalled(stop));
    b->Stop();  // stopping a stopped buffer signals nothing
    EXPECT_FALSE(Signalled(stop));
    DSBPOSITIONNOTIFY outside{2 * 4410, block};
    EXPECT_EQ(b->SetNotificationPositions(1, &outside), DSERR_INVALIDPARAM);
    plat::CloseEvent(block);
    plat::CloseEvent(stop);
    // Events closed under a playing buffer are skipped.
    b->Play(0, 0, DSBPLAY_LOOPING);
    headless::AdvanceTime(200);
    b->Stop();
}

TEST_F(Device, RefusesWhatItCannotPlay) {
    struct Case {
        uint16_t tag, channels, bits, align;
        uint32_t rate, bytes;
        HRESULT want;
    } cases[] = {
        {1, 1, 16, 2, 44100, 100, DS_OK},        {3, 1, 16, 2, 44100, 100, DSERR_BADFORMAT},
        {1, 3, 16, 6, 44100, 120, DSERR_BADFORMAT}, {1, 1, 12, 2, 44100, 100, DSERR_BADFORMAT},
        {1, 2, 16, 2, 44100, 100, DSERR_BADFORMAT}, {1, 1, 8, 1, 99, 100, DSERR_BADFORMAT},
        {1, 1, 8, 1, 200001, 100, DSERR_BADFORMAT}, {1, 1, 8, 1, 100, 3, DSERR_INVALIDPARAM},
        {1, 2, 16, 4, 8000, 4, DS_OK},           {1, 1, 8, 1, 8000, DSBSIZE_MAX + 1, DSERR_INVALIDPARAM},
    };
    for (const Case& c : cases) {
        WAVEFORMATEX f{c.tag, c.channels, c.rate, c.rate * c.align, c.align, c.bits, 0};
        DSBUFFERDESC d{kAllCaps, c.bytes, &f};
        DSBuffer* b = nullptr;
        EXPECT_EQ(ds->CreateSoundBuffer(&d, &b), c.want) << c.tag << " " << c.channels << " " << c.bits << " " << c.rate;
        EXPECT_EQ(b != nullptr, c.want == DS_OK);
        if (b) b->Release();
    }
    // Controls the buffer was made without are refused.
    DSBuffer* plain = Make(Format(44100, 1, 8), std::vector<uint8_t>(8), 0);
    int32_t v = 0;
    EXPECT_EQ(plain->SetVolume(-100), DSERR_CONTROLUNAVAIL);
    EXPECT_EQ(plain->GetVolume(&v), DSERR_CONTROLUNAVAIL);
    EXPECT_EQ(plain->SetPan(0), DSERR_CONTROLUNAVAIL);
    EXPECT_EQ(plain->SetNotificationPositions(0, nullptr), DSERR_CONTROLUNAVAIL);
    // The primary buffer takes no format and plays nothing.
    DSBUFFERDESC pd{DSBCAPS_PRIMARYBUFFER, 0, nullptr};
    DSBuffer* primary = nullptr;
    ASSERT_EQ(ds->CreateSoundBuffer(&pd, &primary), DS_OK);
    EXPECT_EQ(primary->Play(0, 0, 0), DSERR_INVALIDCALL);
    primary->Release();
}

TEST(SoundDevice, InjectedFailureLeavesNoDevice) {
    headless::Reset();
    headless::FailCall("DirectSoundCreate");
    DSObject* ds = reinterpret_cast<DSObject*>(1);
    EXPECT_EQ(DSObject::Create(&ds), DSERR_NODRIVER);
    EXPECT_EQ(ds, nullptr);
    EXPECT_FALSE(headless::SoundDeviceOpen());
}

TEST_F(Device, MovieQueuePlaysAtFullLevelAsFramesArrive) {
    DSBuffer* quiet = Make(Format(44100, 1, 16), Pcm16(std::vector<int16_t>(4410, 1000)));
    quiet->SetVolume(-10000);
    quiet->Play(0, 0, DSBPLAY_LOOPING);
    plat::AudioQueue* q = plat::OpenAudioQueue(44100, 2);
    ASSERT_NE(q, nullptr);
    std::vector<int16_t> frames;
    for (int i = 0; i < 882; ++i) {
        frames.push_back(static_cast<int16_t>(i * 30));
        frames.push_back(static_cast<int16_t>(-i * 30));
    }
    ASSERT_TRUE(plat::QueueAudio(q, frames.data(), 882));
    EXPECT_EQ(plat::QueuedAudioFrames(q), 882u);
    headless::AdvanceTime(10);
    EXPECT_EQ(plat::QueuedAudioFrames(q), 441u);
    plat::PauseAudioQueue(q, true);
    headless::AdvanceTime(10);
    EXPECT_EQ(plat::QueuedAudioFrames(q), 441u);
    plat::PauseAudioQueue(q, false);
    headless::AdvanceTime(20);  // drains; the last frame waits for a successor
    std::vector<int16_t> out = headless::CapturedAudio();
    for (int i = 0; i < 441; ++i) {
        ASSERT_EQ(out[2 * i], i * 30);
        ASSERT_EQ(out[2 * i + 1], -i * 30);
        ASSERT_EQ(out[2 * (441 + i)], 0);  // paused
        if (i < 440) {
            ASSERT_EQ(out[2 * (882 + i)], (441 + i) * 30);
        }
    }
    EXPECT_LE(plat::QueuedAudioFrames(q), 1u);
    plat::CloseAudioQueue(q);
    EXPECT_EQ(plat::OpenAudioQueue(44100, 3), nullptr);
}

TEST(Threads, EventsWakeOneWaiterAndClosingFailsTheWait) {
    headless::Reset();
    plat::EventHandle a = plat::CreateEvent(), b = plat::CreateEvent();
    ASSERT_TRUE(a && b);
    struct Shared {
        plat::EventHandle a, b;
        std::atomic<int> got[3]{};
    } sh{a, b};
    plat::ThreadHandle t = plat::CreateThread(
        [](void* p) {
            auto* s = static_cast<Shared*>(p);
            for (;;) {
                int r = plat::WaitForEither(s->a, s->b);
                s->got[r < 0 ? 2 : r]++;
                if (r < 0) return;
            }
        },
        &sh);
    ASSERT_NE(t, 0u);
    plat::SetEvent(b);
    plat::detail::WaitThreadsIdle();
    EXPECT_EQ(sh.got[1], 1);
    plat::SetEvent(a);
    plat::detail::WaitThreadsIdle();
    EXPECT_EQ(sh.got[0], 1);
    plat::CloseEvent(a);
    plat::JoinThread(t);
    EXPECT_EQ(sh.got[2], 1);
    EXPECT_FALSE(plat::SetEvent(a));
    EXPECT_EQ(plat::WaitForEither(a, b), -1);
    plat::CloseEvent(b);
    headless::FailCall("CreateThread");
    EXPECT_EQ(plat::CreateThread([](void*) {}, nullptr), 0u);
}
