// The registry: small values under the current user's key paths, kept in a per-user file
// ("registry" in the configuration directory) or, for tests, in memory.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace plat {
constexpr uint32_t REG_SZ = 1;
constexpr uint32_t REG_BINARY = 3;
constexpr uint32_t REG_DWORD = 4;
constexpr uint32_t REG_MULTI_SZ = 7;
constexpr uint32_t REG_MAX_VALUE = 4096;  // bytes of one value

// Key paths use '\' between names ("Software\Maker\Product\Main"); keys and value names are
// matched without regard to ASCII case.
bool RegKeyExists(const char* key);
// The value's type and size (type may be null). With data, copies it when *size holds it; a value
// larger than *size copies nothing, reports its size and gives false.
bool RegQueryValue(const char* key, const char* name, uint32_t* type, void* data, uint32_t* size);
// Creates the key as needed and stores the value; false (nothing stored) for a value over
// REG_MAX_VALUE bytes or a store that cannot be written.
bool RegSetValue(const char* key, const char* name, uint32_t type, const void* data, uint32_t size);
}  // namespace plat

namespace plat::detail {
struct RegValue {
    uint32_t type = 0;
    std::vector<uint8_t> data;
};
// Lower-cased "key\name" -> value, with the names as first written.
struct RegEntry {
    std::string key, name;
    RegValue value;
};
using RegStore = std::map<std::string, RegEntry>;

// The file's text: "[key]" lines, then "name=type:hex" lines; '#' starts a comment. Bounded:
// at most 64 KiB of text and 1,024 values; a line that does not fit is skipped with a debug line.
RegStore ParseRegistry(std::string_view text);
std::string FormatRegistry(const RegStore& store);

// Tests keep the registry in memory (headless::Reset), the program in its file.
void UseMemoryRegistry(bool memory);
std::string RegistryFile();
}  // namespace plat::detail
