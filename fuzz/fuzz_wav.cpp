// Fuzzes the WAVE reader: a whole load, chunk by chunk reads, a buffer made from it, and the
// music stream opened on it (streamed when long enough for its rate) and run for a while.
#include <cstdlib>

#include "fuzz/fuzz_sound.h"
#include "platform/memory.h"
#include "services/sound/snd_stream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::SoundDevice();
    const char* name = fuzz::SoundFile(data, size, ".wav").c_str();
    uint32_t bytes = 0;
    WAVEFORMATEX f;
    void* whole = SND_LoadWav(name, &bytes, &f);
    if (whole && bytes > size) std::abort();
    plat::Free(whole);

    SND_WAVE h = nullptr;
    SND_CHUNK riff, chunk;
    if (SND_WavOpen(name, &h, &f, &riff) && SND_WavFindData(&h, &chunk, &riff)) {
        uint8_t part[97];
        uint32_t got = 0;
        while (SND_WavRead(h, part, sizeof part, &chunk, &got) && got) {
        }
    }
    SND_WavClose(&h);

    SND_Release(SND_LoadFile(name));
    if (SND_StreamOpen(name)) {
        SND_StreamSetLoopPos(data[0] * 10u);
        SND_StreamPlay(size & 1);
        // Mixing two seconds is slow under the sanitizers: only for some of the streamed pieces.
        if ((data[size - 1] & 3) == 0 && !headless::CallLog().empty() && headless::CallLog().back() == "CreateThread")
            headless::AdvanceTime(2100);  // a streamed piece: past its first block at 100 Hz
        SND_StreamStop();
        SND_StreamPlay(0);
    }
    SND_StreamClose();
    return 0;
}
