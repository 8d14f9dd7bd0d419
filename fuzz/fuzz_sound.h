// Shared set-up of the sound harnesses: a headless device opened once, and the input kept as a
// file in memory (tmpfs) under a name with the extension the reader chooses by.
#pragma once
#include <unistd.h>

#include <cstdint>
#include <string>
#include <vector>

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

// Writes the input to a memory-backed file ending in `ext` and returns its name.
inline const std::string& MemoryFile(const uint8_t* data, size_t size, const char* ext) {
    static std::string path;
    path = (access("/dev/shm", W_OK) == 0 ? "/dev/shm/orv_fuzz_" : "/tmp/orv_fuzz_") + std::to_string(getpid()) + ext;
    support::WriteBytes(path, std::vector<uint8_t>(data, data + size));
    return path;
}
}  // namespace fuzz
