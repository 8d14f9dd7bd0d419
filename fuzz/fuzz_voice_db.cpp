// Fuzzes the voice database's lines: the table stays within its size and its entries' ranges.
#include <cstdlib>

#include "fuzz/fuzz_sound_table.h"
#include "services/sound/voice_db.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return fuzz::TableInput(data, size, VOICE_ParseDb, [] {
        if (VOICE_DB.size() > VOICE_DB_MAX) std::abort();
        for (const VOICE_ENTRY& e : VOICE_DB)
            if (e.number > INT32_MAX || e.length == 0 || uint64_t(e.start) * 1024 > INT32_MAX) std::abort();
    });
}
