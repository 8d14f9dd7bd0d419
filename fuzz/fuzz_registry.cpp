// Fuzzes the registry file: parsed bounded, written back and parsed to the same values, and read
// through the queries the game makes.
#include <cstdlib>
#include <filesystem>

#include "fuzz/fuzz_files.h"
#include "platform/instance.h"
#include "platform/registry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool ready = [] {
        headless::Reset();
        setenv("XDG_CONFIG_HOME", fuzz::MemoryDir().c_str(), 1);
        plat::detail::UseMemoryRegistry(false);
        std::filesystem::create_directories(plat::ConfigDir());
        return true;
    }();
    (void)ready;
    fuzz::ResetLogs();
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const plat::detail::RegStore store = plat::detail::ParseRegistry(text);
    if (store.size() > 1024) std::abort();
    for (const auto& [id, e] : store)
        if (e.value.data.size() > plat::REG_MAX_VALUE) std::abort();
    const plat::detail::RegStore again = plat::detail::ParseRegistry(plat::detail::FormatRegistry(store));
    if (again.size() != store.size()) std::abort();
    for (auto a = store.begin(), b = again.begin(); a != store.end(); ++a, ++b)
        if (a->first != b->first || a->second.value.type != b->second.value.type ||
            a->second.value.data != b->second.value.data)
            std::abort();

    // As the game reads its window placement from the file.
    if (fuzz::MemoryFile("orvant/registry", data, size).empty()) return 0;
    int32_t rect[4];
    uint32_t rsize = sizeof rect, type = 0;
    if (plat::RegQueryValue("Software\\VORN\\ORV_DEMO\\Main", "WndRect", &type, rect, &rsize) && rsize > sizeof rect)
        std::abort();
    return 0;
}
