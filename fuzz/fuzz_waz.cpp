// Fuzzes the ".waz" reader: any image loads or gives no techniques, whole records only, and what
// loaded packs back into the same bytes.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "battle/waza_file.h"
#include "platform/headless/headless.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    constexpr int kMech = 7;
    WAZA_Parse(kMech, data, size);
    const MechRecord& m = MECH_TABLE[kMech];
    if (m.waza_count < 0 || (m.waza_count > 0 && 2 + size_t(m.waza_count) * WAZA_FILE_SIZE > size)) std::abort();
    const std::vector<uint8_t> packed = WAZA_Pack(kMech);
    if (packed.size() != 2 + size_t(m.waza_count) * WAZA_FILE_SIZE) std::abort();
    if (m.waza_count && std::memcmp(packed.data() + 2, data + 2, packed.size() - 2) != 0) std::abort();
    for (int t = 0; t < m.waza_count; ++t)
        if (WAZA_Get(kMech, t)->raw[WAZA_SIZE - 1] != 0) std::abort();
    WAZA_Parse(kMech, nullptr, 0);  // frees the records: nothing carries into the next input
    headless::ClearDebugOutput();
    return 0;
}
