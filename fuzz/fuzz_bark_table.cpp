// Fuzzes the bark table's lines: names stay terminated, categories in 0..4, named records first.
#include <cstdlib>
#include <cstring>

#include "fuzz/fuzz_sound_table.h"
#include "services/sound/voice_bark.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return fuzz::TableInput(data, size, VOICE_ParseBarks, [] {
        for (const auto& row : VOICE_BARK_TABLE) {
            bool empty_seen = false;
            for (const VOICE_BARK& b : row) {
                if (!std::memchr(b.name, 0, sizeof b.name) || b.category < 0 || b.category > 4) std::abort();
                if (b.category && empty_seen) std::abort();
                empty_seen = empty_seen || b.category == 0;
            }
        }
    });
}
