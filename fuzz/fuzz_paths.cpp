// Fuzzes the names every file goes through: the case-insensitive path resolver over a small tree on
// the memory file system, the path join and the extension split, with hostile names (separators of
// both kinds, dots, long and empty components, names past the path buffers).
#include <sys/stat.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz/fuzz_files.h"
#include "platform/files.h"
#include "platform/memory.h"
#include "services/fil_util.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string& root = [] () -> const std::string& {
        const std::string& dir = fuzz::MemoryDir();
        for (const char* d : {"/Save", "/Save/Sub", "/wav", "/WAV2", "/wav/Voice"}) ::mkdir((dir + d).c_str(), 0700);
        for (const char* f : {"Save/Sys.dat", "wav/Voice/a.WAV", "x.bmp", "X.BMP"}) fuzz::MemoryFile(f, nullptr, 0);
        FIL_InitBaseDir();
        return dir;
    }();
    fuzz::ResetLogs();
    const std::string name(reinterpret_cast<const char*>(data), size);
    const std::string under = root + "/" + name;
    // The resolved path keeps every component the name gave, only their case may change.
    for (const std::string& n : {name, under}) {
        const std::string resolved = plat::ResolvePath(n.c_str());
        if (resolved.size() > n.size() + 1) __builtin_trap();
    }
    const char* joined = FIL_MakePath("%s", name.c_str());
    if (std::strlen(joined) >= FIL_PATH_MAX) __builtin_trap();
    joined = FIL_MakePath("%s\\%s", joined, name.c_str());
    if (std::strlen(FIL_MakePath("%s", joined)) >= FIL_PATH_MAX) __builtin_trap();
    char* ext = nullptr;
    const int n = FIL_GetExt(name.c_str(), &ext);
    if ((n > 0) != (ext != nullptr) || (ext && std::strlen(ext) != size_t(n))) __builtin_trap();
    plat::Free(ext);
    return 0;
}
