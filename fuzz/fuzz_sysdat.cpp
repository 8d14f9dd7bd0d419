// Fuzzes "save\sys.dat": the block read over the defaults, its round trip, and what reads it.
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "fuzz/fuzz_files.h"
#include "services/fil_util.h"
#include "services/key_button.h"
#include "shell/sysdat.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool ready = [] {
        headless::Reset();
        std::filesystem::create_directory(fuzz::MemoryDir() + "/save");
        // The base directory is the memory directory; the current one stays (the corpus is relative).
        const std::string base = fuzz::MemoryDir() + "/";
        if (base.size() >= sizeof FIL_BaseDir) return false;
        std::memcpy(FIL_BaseDir, base.c_str(), base.size() + 1);
        return true;
    }();
    if (!ready) return 0;
    fuzz::ResetLogs();
    if (fuzz::MemoryFile("save/sys.dat", data, size).empty()) return 0;

    std::memset(&SYS_DATA, 0, sizeof SYS_DATA);
    SYSDAT_Default();
    uint8_t before[SYSDAT_SIZE], after[SYSDAT_SIZE];
    SYSDAT_Pack(SYS_DATA, before);
    SYSDAT_Read();
    SYSDAT_Pack(SYS_DATA, after);
    const size_t n = size < SYSDAT_SIZE ? size : SYSDAT_SIZE;
    // The file's bytes over the block, the rest of the block as it was.
    if (std::memcmp(after, data, n) != 0 || std::memcmp(after + n, before + n, SYSDAT_SIZE - n) != 0) std::abort();

    // What the game does with the values: text colours, read flags, the key maps.
    for (int set = -1; set <= SYSDAT_COLOR_SETS; ++set) SYSDAT_SetTextColor(set);
    for (int i : {0, 7867, 7868, int(SYS_DATA.title_variant)}) SYSDAT_BitOp(SYS_DATA.read_flags, 7868, i, -1);
    KEY_DATA.key_map = SYS_DATA.KEY_MAP;
    KEY_DATA.pad_map = SYS_DATA.PAD_MAP;
    KEY_Poll(&KEY_DATA);

    // Written and read back, the block is the same.
    if (SYSDAT_Write() != 1) std::abort();
    std::memset(&SYS_DATA, 0, sizeof SYS_DATA);
    SYSDAT_Read();
    SYSDAT_Pack(SYS_DATA, before);
    if (std::memcmp(before, after, SYSDAT_SIZE) != 0) std::abort();
    return 0;
}
