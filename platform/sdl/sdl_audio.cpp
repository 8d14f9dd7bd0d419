// The SDL output of the sound device: the audio callback pulls mixed frames from the mixer.
#include <SDL.h>

#include <cstdio>

#include "platform/sound.h"
#include "platform/sound_output.h"

namespace plat::detail {
namespace {
SDL_AudioDeviceID g_device = 0;

void Callback(void*, Uint8* stream, int len) {
    MixDeviceOutput(reinterpret_cast<int16_t*>(stream), static_cast<uint32_t>(len) / (2 * kMixChannels));
}
}  // namespace

bool OpenSdlAudio() {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        std::fprintf(stderr, "SDL audio: %s\n", SDL_GetError());
        return false;
    }
    SDL_AudioSpec want{}, have{};
    want.freq = static_cast<int>(kMixRate);
    want.format = AUDIO_S16SYS;
    want.channels = kMixChannels;
    want.samples = 1024;  // about 23 ms a callback
    want.callback = Callback;
    // SDL converts to whatever the hardware takes; the mixer always sees its own format.
    g_device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (g_device == 0) {
        std::fprintf(stderr, "SDL audio: %s\n", SDL_GetError());
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    SDL_PauseAudioDevice(g_device, 0);
    return true;
}

void CloseSdlAudio() {
    if (g_device) SDL_CloseAudioDevice(g_device);
    g_device = 0;
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}
}  // namespace plat::detail
