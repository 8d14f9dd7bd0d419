// Fuzzes the bonus-voice codes' lines: each code is empty or three characters.
#include <cstdlib>
#include <cstring>

#include "fuzz/fuzz_sound_table.h"
#include "services/sound/voice_bark.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return fuzz::TableInput(data, size, VOICE_ParseBonus, [] {
        for (const char* code : VOICE_BONUS_CODE) {
            size_t n = strnlen(code, 4);
            if (n != 0 && n != 3) std::abort();
        }
    });
}
