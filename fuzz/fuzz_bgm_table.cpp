// Fuzzes the music table's lines: stems and titles stay terminated inside their fields.
#include <cstdlib>
#include <cstring>

#include "fuzz/fuzz_sound_table.h"
#include "services/sound/snd_game.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return fuzz::TableInput(data, size, BGM_ParseTable, [] {
        for (const BGM_RECORD& r : BGM_DATA)
            if (!std::memchr(r.stem, 0, sizeof r.stem) || !std::memchr(r.title, 0, sizeof r.title)) std::abort();
    });
}
