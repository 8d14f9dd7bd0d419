// One second of 44.1 kHz stereo output mixed from 16 looping buffers (eight 22.05 kHz mono, eight
// 44.1 kHz stereo, 16-bit, each at its own volume), in the audio callback's 1,024-frame pieces:
// ours through the device's mixer, beside SDL's own route for the same work (an SDL_AudioStream per
// buffer to resample, SDL_MixAudioFormat to add at a volume) in the same run.
#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

#include "bench/bench_run.h"
#include "platform/backend.h"
#include "platform/headless/headless.h"
#include "platform/sound.h"
#include "platform/sound_output.h"

namespace {
constexpr int kBuffers = 16;
constexpr uint32_t kChunk = 1024;

struct Source {
    uint32_t rate;
    int channels;
    int32_t volume;  // hundredths of a decibel
    std::vector<int16_t> samples;  // one second
};

std::vector<Source> Sources() {
    std::mt19937 rng(5);
    std::vector<Source> out;
    for (int i = 0; i < kBuffers; ++i) {
        Source s{i % 2 ? 44100u : 22050u, i % 2 ? 2 : 1, -150 * i, {}};
        s.samples.resize(size_t(s.rate) * s.channels);
        for (size_t k = 0; k < s.samples.size(); ++k)
            s.samples[k] = static_cast<int16_t>(8000 * std::sin(k * 0.01 * (i + 1)) + int(rng() % 2000) - 1000);
        out.push_back(std::move(s));
    }
    return out;
}

std::vector<int16_t> g_out(size_t(kChunk) * 2);

// Ours: the buffers play looping on the headless device; each call pulls one second from the
// mixer in the pieces SDL's callback asks for.
struct Ours {
    DSObject* ds = nullptr;
    std::vector<DSBuffer*> buffers;
    explicit Ours(const std::vector<Source>& src) {
        headless::Reset();
        plat::detail::SetLogging(false);
        DSObject::Create(&ds);
        for (const Source& s : src) {
            WAVEFORMATEX f{WAVE_FORMAT_PCM, uint16_t(s.channels), s.rate, s.rate * 2 * s.channels,
                           uint16_t(2 * s.channels), 16, 0};
            DSBUFFERDESC d{DSBCAPS_CTRLVOLUME | DSBCAPS_CTRLPAN, uint32_t(s.samples.size() * 2), &f};
            DSBuffer* b = nullptr;
            ds->CreateSoundBuffer(&d, &b);
            void *p1, *p2;
            uint32_t n1, n2;
            b->Lock(0, d.dwBufferBytes, &p1, &n1, &p2, &n2, 0);
            std::memcpy(p1, s.samples.data(), n1);
            b->Unlock(p1, n1, p2, n2);
            b->SetVolume(s.volume);
            b->Play(0, 0, DSBPLAY_LOOPING);
            buffers.push_back(b);
        }
    }
    ~Ours() {
        for (DSBuffer* b : buffers) b->Release();
        ds->Release();
    }
    void Second() {
        for (uint32_t done = 0; done < plat::kMixRate; done += kChunk)
            plat::detail::MixDeviceOutput(g_out.data(), std::min(kChunk, plat::kMixRate - done));
    }
};

// SDL: each call puts each buffer's second through its own stream to the output format, and adds
// each piece taken out at its volume (SDL's scale 0..128 from the same amplitude).
struct Peer {
    const std::vector<Source>& src;
    std::vector<SDL_AudioStream*> streams;
    std::vector<int> volumes;
    std::vector<int16_t> piece = std::vector<int16_t>(size_t(kChunk) * 2);
    explicit Peer(const std::vector<Source>& sources) : src(sources) {
        for (const Source& s : src) {
            streams.push_back(SDL_NewAudioStream(AUDIO_S16SYS, uint8_t(s.channels), int(s.rate), AUDIO_S16SYS, 2, 44100));
            volumes.push_back(int(std::lround(128 * std::pow(10.0, s.volume / 2000.0))));
        }
    }
    ~Peer() {
        for (SDL_AudioStream* s : streams) SDL_FreeAudioStream(s);
    }
    void Second() {
        for (size_t i = 0; i < src.size(); ++i) {
            SDL_AudioStreamClear(streams[i]);
            SDL_AudioStreamPut(streams[i], src[i].samples.data(), int(src[i].samples.size() * 2));
            SDL_AudioStreamFlush(streams[i]);
        }
        for (uint32_t done = 0; done < plat::kMixRate; done += kChunk) {
            const int bytes = int(std::min(kChunk, plat::kMixRate - done) * 4);
            std::fill(g_out.begin(), g_out.end(), 0);
            for (size_t i = 0; i < src.size(); ++i) {
                int got = SDL_AudioStreamGet(streams[i], piece.data(), bytes);
                if (got > 0)
                    SDL_MixAudioFormat(reinterpret_cast<Uint8*>(g_out.data()), reinterpret_cast<Uint8*>(piece.data()),
                                       AUDIO_S16SYS, Uint32(got), volumes[i]);
            }
        }
    }
};
}  // namespace

int main(int argc, char** argv) {
    if (!bench::Init(&argc, argv)) return 1;
    const std::vector<Source> src = Sources();
    const char* ours = "mixer second, ours";
    const char* peer = "mixer second, SDL_AudioStream + SDL_MixAudioFormat";
    bench::Settings(benchmark::RegisterBenchmark(ours, [&](benchmark::State& st) {
        Ours mixer(src);
        for (auto _ : st) mixer.Second();
    }));
    bench::Settings(benchmark::RegisterBenchmark(peer, [&](benchmark::State& st) {
        Peer mixer(src);
        for (auto _ : st) mixer.Second();
    }));
    bench::RunAll();
    const double o = bench::Ms(ours), p = bench::Ms(peer);
    std::printf("\nMixer: one second of 44.1 kHz stereo from 16 buffers, ms per second mixed; %% of a core; x = ours / peer\n");
    std::printf("%-52s %8.3f %7.3f%%\n", "ours: device mixer (volume, resampling)", o, o / 10);
    std::printf("%-52s %8.3f %7.3f%%\n", "SDL: SDL_AudioStream + SDL_MixAudioFormat", p, p / 10);
    std::printf("%-52s %8.2f\n", "x SDL", o > 0 && p > 0 ? o / p : 0);
    benchmark::Shutdown();
    return 0;
}
