// Fuzzes the ".snd" reader: raw and packed loads, a buffer made from it, and the music stream.
#include <cstdlib>

#include "fuzz/fuzz_sound.h"
#include "platform/memory.h"
#include "services/sound/snd_stream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::SoundDevice();
    const char* name = fuzz::SoundFile(data, size, ".snd").c_str();
    uint32_t bytes = 0;
    WAVEFORMATEX f;
    plat::Free(SND_LoadSnd(name, &bytes, &f));
    SND_Release(SND_LoadFile(name));
    if (SND_StreamOpen(name)) {
        SND_StreamPlay(size & 1);
        // Mixing two seconds is slow under the sanitizers: only for some of the streamed pieces.
        if ((data[size - 1] & 3) == 0 && !headless::CallLog().empty() && headless::CallLog().back() == "CreateThread")
            headless::AdvanceTime(2100);  // a streamed piece: past its first block at 100 Hz
    }
    SND_StreamClose();
    return 0;
}
