// Shared set-up of the sound harnesses: a headless device opened once, and the input kept as a
// file in memory (tmpfs) under a name with the extension the reader chooses by.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/fuzz_files.h"
#include "platform/headless/headless.h"
#include "platform/headless/headless_sound.h"
#include "platform/platform.h"
#include "platform/window.h"
#include "services/sound/snd_device.h"
#include "tests/support/fixture.h"

namespace fuzz {
inline intptr_t SoundProc(plat::Window* w, uint32_t m, uintptr_t wp, intptr_t lp) {
    return plat::DefWindowProc(w, m, wp, lp);
}

// Opens the headless device on first use; clears the logs and the capture for every input.
inline void SoundDevice() {
    static bool open = [] {
        headless::Reset();
        plat::Window* w = plat::CreateMainWindow("fuzz", 640, 480, SoundProc);
        return SND_Init(w) == 1;
    }();
    (void)open;
    headless::ClearCallLog();
    headless::ClearDebugOutput();
    headless::ClearCapturedAudio();
}

// Writes the input to a file ending in `ext` in the process's memory directory (removed when the
// harness ends) and returns its name.
inline const std::string& SoundFile(const uint8_t* data, size_t size, const char* ext) {
    static std::string path;
    path = MemoryFile((std::string("in") + ext).c_str(), data, size);
    return path;
}
}  // namespace fuzz
