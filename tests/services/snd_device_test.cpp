// Sound files into buffers: WAVE files from sox and by hand, ".snd" raw and packed, the level
// rule, and what a missing device or file leaves.
#include <cstdlib>
#include <cstring>

#include "platform/bytes.h"
#include "platform/memory.h"
#include "tests/support/grp_writer.h"
#include "tests/services/sound_fixture.h"

using soundtest::SoundTest;

namespace {
std::vector<uint8_t> Block(const void* p, uint32_t n) {
    const auto* b = static_cast<const uint8_t*>(p);
    return std::vector<uint8_t>(b, b + n);
}

// Splices a chunk in front of the "data" chunk of a RIFF file and mends the RIFF size.
std::vector<uint8_t> InsertBeforeData(std::vector<uint8_t> f, const std::string& id, std::vector<uint8_t> bytes) {
    size_t at = 12;
    while (at + 8 <= f.size() && std::memcmp(&f[at], "data", 4) != 0) {
        uint32_t size = plat::Get32(&f[at + 4]);
        at += 8 + size + (size & 1);
    }
    std::vector<uint8_t> c(id.begin(), id.end());
    plat::Put32(c, static_cast<uint32_t>(bytes.size()));
    c.insert(c.end(), bytes.begin(), bytes.end());
    if (bytes.size() & 1) c.push_back(0);
    f.insert(f.begin() + static_cast<std::ptrdiff_t>(at), c.begin(), c.end());
    uint32_t riff = static_cast<uint32_t>(f.size() - 8);
    std::memcpy(&f[4], &riff, 4);
    return f;
}
}  // namespace

TEST_F(SoundTest, WavesFromSoxReadAsSoxDecodesThem) {
    if (!support::HaveTool("sox")) GTEST_SKIP() << "sox is not installed";
    struct Case {
        int bits, channels;
        uint32_t rate;
    } cases[] = {{8, 1, 11025}, {16, 1, 22050}, {8, 2, 32000}, {16, 2, 44100}, {16, 1, 48000}};
    for (const Case& c : cases) {
        std::string cmd = "sox -R -n -r " + std::to_string(c.rate) + " -c " + std::to_string(c.channels) + " -b " +
                          std::to_string(c.bits) + " s.wav synth 0.05 sine 440 sine 660 && sox s.wav -t raw s.raw";
        ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
        // An odd-sized chunk before the data, as some editors leave.
        support::WriteBytes("s.wav", InsertBeforeData(support::ReadBytes("s.wav"), "junk", {1, 2, 3}));
        uint32_t size = 0;
        WAVEFORMATEX f;
        void* data = SND_LoadWav(FIL_MakePath("s.wav"), &size, &f);
        ASSERT_NE(data, nullptr) << cmd;
        EXPECT_EQ(Block(data, size), support::ReadBytes("s.raw")) << cmd;
        EXPECT_EQ(f.wFormatTag, 1);
        EXPECT_EQ(f.nChannels, c.channels);
        EXPECT_EQ(f.nSamplesPerSec, c.rate);
        EXPECT_EQ(f.wBitsPerSample, c.bits);
        EXPECT_EQ(f.nBlockAlign, c.channels * c.bits / 8);
        EXPECT_EQ(f.cbSize, 0);
        plat::Free(data);
        SND_BUFFER b = SND_LoadFile(FIL_MakePath("S.WAV"));
        EXPECT_NE(b, nullptr);
        SND_Release(b);
    }
}

TEST_F(SoundTest, HandMadeWavesLoadOrFailAsTheirChunksSay) {
    const support::Wave base = support::MakeWave16(22050, 1, soundtest::Ramp(101));
    struct Case {
        const char* what;
        support::Wave w;
        bool loads;
    };
    std::vector<Case> cases;
    auto add = [&](const char* what, bool loads, auto edit) {
        support::Wave w = base;
        edit(w);
        cases.push_back({what, w, loads});
    };
    add("plain", true, [](support::Wave&) {});
    add("fmt of 18 bytes", true, [](support::Wave& w) { w.fmt_size = 18; });
    add("fmt of 40 bytes", true, [](support::Wave& w) { w.fmt_size = 40; });
    add("odd chunks around", true, [](support::Wave& w) {
        w.before = {{"LIST", {1, 2, 3}}};
        w.between = {{"cue ", {9}}, {"fact", {1, 2, 3, 4, 5}}};
        w.after = {{"junk", {7, 7, 7}}};
    });
    add("tag 3", false, [](support::Wave& w) { w.tag = 3; });
    add("fmt too short", false, [](support::Wave& w) { w.fmt_size = 14; });
    add("truncated data", false, [](support::Wave& w) { w.data_size = int64_t(w.data.size()) + 2; });
    add("data of 4 GB stated", false, [](support::Wave& w) { w.data_size = 0xFFFFFFF0; });
    for (const Case& c : cases) {
        support::WriteWave("h.wav", c.w);
        uint32_t size = 0;
        WAVEFORMATEX f;
        void* data = SND_LoadWav(FIL_MakePath("h.wav"), &size, &f);
        EXPECT_EQ(data != nullptr, c.loads) << c.what;
        if (data) {
            EXPECT_EQ(Block(data, size), base.data) << c.what;
            EXPECT_EQ(f.nSamplesPerSec, 22050u);
        }
        plat::Free(data);
    }
    // Not RIFF, not WAVE, no data chunk, cut inside the header, missing.
    std::vector<uint8_t> good = support::WaveBytes(base);
    std::vector<std::vector<uint8_t>> bad = {good, good, std::vector<uint8_t>(good.begin(), good.begin() + 36),
                                             std::vector<uint8_t>(good.begin(), good.begin() + 10)};
    bad[0][0] = 'X';
    bad[1][8] = 'X';
    for (size_t i = 0; i < bad.size(); ++i) {
        support::WriteBytes("bad.wav", bad[i]);
        uint32_t size;
        WAVEFORMATEX f;
        EXPECT_EQ(SND_LoadWav(FIL_MakePath("bad.wav"), &size, &f), nullptr) << i;
    }
    EXPECT_EQ(SND_LoadFile(FIL_MakePath("none.wav")), nullptr);
}

TEST_F(SoundTest, SndFilesRawPackedAndShort) {
    const support::Wave w = support::MakeWave8(11025, 1, [] {
        std::vector<uint8_t> s(3000);
        for (size_t i = 0; i < s.size(); ++i) s[i] = static_cast<uint8_t>(i * 5 / 7);
        return s;
    }());
    struct Case {
        const char* what;
        uint8_t kind;
        int64_t stated;
        size_t cut;  // bytes cut from the end of the file
        bool loads;
    } cases[] = {
        {"packed", 'D', -1, 0, true},
        {"raw R", 'R', -1, 0, true},
        {"raw 0", 0, -1, 0, true},
        {"raw other", 'd', -1, 0, true},
        {"short raw, zero tail", 'R', -1, 500, true},
        {"raw stated far past the file", 'R', 100000000, 0, false},
        {"packed past its stated size", 'D', 2999, 0, false},
        {"packed cut short", 'D', -1, 10, false},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> bytes = support::SndBytes(w, c.kind, c.stated);
        bytes.resize(bytes.size() - c.cut);
        support::WriteBytes("t.snd", bytes);
        uint32_t size = 0;
        WAVEFORMATEX f;
        void* data = SND_LoadSnd(FIL_MakePath("T.Snd"), &size, &f);
        EXPECT_EQ(data != nullptr, c.loads) << c.what;
        if (!data) continue;
        std::vector<uint8_t> want = w.data;
        std::fill(want.end() - static_cast<std::ptrdiff_t>(c.cut), want.end(), 0);
        EXPECT_EQ(Block(data, size), want) << c.what;
        EXPECT_EQ(f.nSamplesPerSec, 11025u);
        EXPECT_EQ(f.wBitsPerSample, 8);
        plat::Free(data);
    }
    std::vector<uint8_t> bad = support::SndBytes(w, 'R');
    bad[1] = 'X';
    support::WriteBytes("m.snd", bad);
    uint32_t size;
    WAVEFORMATEX f;
    EXPECT_EQ(SND_LoadSnd(FIL_MakePath("m.snd"), &size, &f), nullptr);
    headless::ClearDebugOutput();
    std::string missing = FIL_MakePath("gone.snd");
    EXPECT_EQ(SND_LoadSnd(missing.c_str(), &size, &f), nullptr);
    ASSERT_FALSE(headless::DebugOutput().empty());
    EXPECT_EQ(headless::DebugOutput().back(), missing + ":Open error -1\n");
}

TEST_F(SoundTest, TheNameChoosesTheReader) {
    const support::Wave w = support::MakeWave16(44100, 1, soundtest::Ramp(64));
    // ".snd" in any case is a ".snd" file; anything else is read as WAVE.
    const struct {
        const char* name;
        bool snd;
    } names[] = {{"a.snd", true}, {"b.SnD", true}, {"c.wav", false}, {"d.snd.wav", false}, {"e", false}};
    for (const auto& n : names) {
        for (bool write_snd : {true, false}) {
            support::WriteBytes(n.name, write_snd ? support::SndBytes(w, 'R') : support::WaveBytes(w));
            SND_BUFFER b = SND_LoadFile(FIL_MakePath("%s", n.name));
            EXPECT_EQ(b != nullptr, write_snd == n.snd) << n.name << (write_snd ? " holding .snd" : " holding WAVE");
            SND_Release(b);
        }
    }
}

TEST_F(SoundTest, LevelRule) {
    const int32_t table[][2] = {{100, 0}, {50, -1000}, {1, -1980}, {0, -10000}, {-5, -10000}, {75, -500}};
    for (const auto& t : table) EXPECT_EQ(SND_LevelToVolume(t[0]), t[1]) << t[0];
}

TEST_F(SoundTest, NewBuffersStartAtZeroCentredAndNullIsAcceptedEverywhere) {
    support::WriteWave("Wav/x.wav", support::MakeWave16(44100, 2, soundtest::Ramp(400)));
    SND_BUFFER b = SND_LoadFile(FIL_MakePath("Wav\\X.wav"));
    ASSERT_NE(b, nullptr);
    uint32_t play = 9, write = 9;
    int32_t pan = 9, vol = 9;
    EXPECT_EQ(SND_GetPosition(b, &play, &write), 1);
    EXPECT_EQ(play, 0u);
    EXPECT_EQ(SND_GetPan(b, &pan), 1);
    EXPECT_EQ(pan, 0);
    EXPECT_EQ(SND_GetVolume(b, &vol), 1);
    EXPECT_EQ(vol, 0);
    EXPECT_EQ(SND_Play(b, 1), 1);
    EXPECT_EQ(SND_IsPlaying(b), 1);
    EXPECT_EQ(SND_GetStatus(b), DSBSTATUS_PLAYING | DSBSTATUS_LOOPING);
    EXPECT_EQ(SND_SetVolume(b, 5), 0);  // out of range: refused, nothing changes
    SND_Release(b);

    SND_BUFFER none = nullptr;
    EXPECT_EQ(SND_GetStatus(none), 0u);
    EXPECT_EQ(SND_IsPlaying(none), 0);
    EXPECT_EQ(SND_GetPosition(none, &play, nullptr), 0);
    EXPECT_EQ(SND_SetPosition(none, 0), 0);
    EXPECT_EQ(SND_GetPan(none, &pan), 0);
    EXPECT_EQ(SND_SetPan(none, 0), 0);
    EXPECT_EQ(SND_GetVolume(none, &vol), 0);
    EXPECT_EQ(SND_SetVolume(none, 0), 0);
    EXPECT_EQ(SND_Play(none, 0), 0);
    EXPECT_EQ(SND_Stop(none), 0);
    SND_Release(none);
}

TEST(SoundDeviceStart, WithoutADeviceEverythingIsSilent) {
    support::TempDir dir;
    headless::Reset();
    FIL_InitBaseDir();
    plat::Window* w = plat::CreateMainWindow("t", 640, 480, soundtest::Proc);
    headless::FailCall("DirectSoundCreate");
    EXPECT_EQ(SND_Init(w), 0);
    EXPECT_EQ(SND_DS, nullptr);
    support::WriteWave("x.wav", support::MakeWave16(44100, 1, soundtest::Ramp(10)));
    EXPECT_EQ(SND_LoadFile(FIL_MakePath("x.wav")), nullptr);
    EXPECT_EQ(SND_StreamOpen(FIL_MakePath("x.wav")), 0);
    EXPECT_EQ(SND_Init(nullptr), 0);  // no window to work for
    EXPECT_FALSE(headless::SoundDeviceOpen());
    SND_Term();
    plat::DestroyWindow(w);
}
