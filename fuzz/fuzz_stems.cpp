// Fuzzes the mech stem file reader: whatever it reads, every stem is empty or 2..9 letters, digits
// and underscores, and the fixed stems never change.
#include <cstdint>
#include <cstdlib>
#include <cctype>
#include <cstring>

#include "battle/mech_stem.h"
#include "platform/headless/headless.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MECH_ResetStems();
    MECH_ParseStems(data, size);
    for (int t = 0; t < MECH_TYPES; ++t) {
        const char* s = MECH_Stem(t);
        const size_t n = std::strlen(s);
        if (t < MECH_FIRST_NAMED ? n < 6 : (n == 1 || n > MECH_STEM_MAX)) std::abort();
        for (size_t i = 0; i < n; ++i)
            if (!(std::isalnum(uint8_t(s[i])) || s[i] == '_')) std::abort();
    }
    if (std::strcmp(MECH_Stem(0), "player") != 0) std::abort();
    headless::ClearDebugOutput();
    return 0;
}
