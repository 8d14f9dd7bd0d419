// Fuzzes the campaign slot readers on slot files of any length: the scan counts the files there
// are and keeps the first 8 bytes of each, a whole block loads and packs back into its own bytes,
// and a short or missing one gives the new game.
//
// Input: the slot to load, a byte whose bits say which of eight other slots have a file, then
// the slot's file; another slot n holds its first 3 x n bytes.
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "battle/camp_data.h"
#include "fuzz/fuzz_files.h"
#include "services/fil_util.h"

namespace {
// The memory directory is the base directory; its "Save" folder starts empty for every input.
void EmptySaveDir() {
    static const std::string dir = [] {
        const std::string base = fuzz::MemoryDir() + "/";
        std::snprintf(FIL_BaseDir, sizeof FIL_BaseDir, "%s", base.c_str());
        return base + "Save";
    }();
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
    ::mkdir(dir.c_str(), 0700);
}

// Writes the first `bytes` of the file as slot n.
bool WriteSlot(int n, const uint8_t* file, size_t bytes) {
    char name[24];
    std::snprintf(name, sizeof name, "Save/save%02d.dat", n);
    return !fuzz::MemoryFile(name, file, bytes).empty();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    fuzz::ResetLogs();
    EmptySaveDir();
    const int slot = data[0] % CAMP_SLOT_FILES, others = data[1];
    const uint8_t* file = data + 2;
    const size_t length = size - 2;
    if (!WriteSlot(slot, file, length)) return 0;
    int files = 1;
    for (int k = 0; k < 8; ++k) {
        if (!(others >> k & 1)) continue;
        const int n = (slot + 1 + k * 11) % CAMP_SLOT_FILES;
        if (!WriteSlot(n, file, std::min<size_t>(length, size_t(3 * n)))) return 0;
        ++files;
    }

    CAMP_ScanSaves();
    if (CAMP_SLOT_COUNT != files) __builtin_trap();
    uint8_t head[8] = {};
    std::memcpy(head, file, std::min<size_t>(length, 8));
    if (!CAMP_SLOTS[slot].exists || std::memcmp(CAMP_SLOTS[slot].header, head, 8) != 0) __builtin_trap();

    CAMP_DATA = CampData{};
    const int loaded = CAMP_LoadSlot(slot);
    if (loaded != (length >= CAMP_SIZE)) __builtin_trap();
    uint8_t packed[CAMP_SIZE];
    CAMP_Pack(CAMP_DATA, packed);
    if (loaded && std::memcmp(packed, file, CAMP_SIZE) != 0) __builtin_trap();
    if (!loaded) {  // the new game, as a fresh start makes it
        const CampData got = CAMP_DATA;
        CAMP_InitNewGame();
        uint8_t fresh[CAMP_SIZE];
        CAMP_Pack(CAMP_DATA, fresh);
        CAMP_Pack(got, packed);
        if (std::memcmp(packed, fresh, CAMP_SIZE) != 0) __builtin_trap();
    }
    // What runs over a loaded block keeps to its tables.
    CAMP_UpdateDevelop();
    const int w = CAMP_FindNewWeapon();
    if (w < -1 || w >= CAMP_WEAPONS) __builtin_trap();
    CampData copy;
    CAMP_Unpack(copy, packed);
    return 0;
}
