// The registry store: a small text file of keys and hex values, read bounded and replaced atomically.
#include "platform/registry.h"

#include <algorithm>
#include <cstring>
#include <mutex>

#include "platform/debug.h"
#include "platform/files.h"
#include "platform/instance.h"

namespace plat::detail {
namespace {
constexpr size_t kMaxText = 64 * 1024;
constexpr size_t kMaxValues = 1024;
constexpr size_t kMaxName = 255;

std::mutex g_mutex;
bool g_memory = false;
RegStore g_memory_store;

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    return out;
}

std::string Id(std::string_view key, std::string_view name) { return Lower(key) + '\n' + Lower(name); }

// Printable ASCII without the characters the file's syntax uses.
bool NameOk(std::string_view s, bool is_key) {
    if (s.empty() || s.size() > kMaxName) return false;
    for (char c : s) {
        if (c < 0x20 || c > 0x7E) return false;
        if (c == '=' || (is_key && c == ']') || (!is_key && c == '[')) return false;
    }
    return !(s.front() == ' ' || s.back() == ' ' || (!is_key && s.front() == '#'));
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

void Skip(size_t line_no, const char* why) {
    OutputDebugString(("registry line " + std::to_string(line_no) + ": " + why + "\r\n").c_str());
}

// "type:hex" -> value; false when it does not fit.
bool ParseValue(std::string_view text, RegValue* out) {
    const size_t colon = text.find(':');
    if (colon == std::string_view::npos || colon == 0 || colon > 10) return false;
    uint64_t type = 0;
    for (char c : text.substr(0, colon)) {
        if (c < '0' || c > '9') return false;
        type = type * 10 + uint64_t(c - '0');
    }
    if (type > 0xFFFFFFFFu) return false;
    const std::string_view hex = text.substr(colon + 1);
    if (hex.size() % 2 != 0 || hex.size() / 2 > REG_MAX_VALUE) return false;
    out->type = static_cast<uint32_t>(type);
    out->data.resize(hex.size() / 2);
    for (size_t i = 0; i < out->data.size(); ++i) {
        const int hi = HexDigit(hex[2 * i]), lo = HexDigit(hex[2 * i + 1]);
        if (hi < 0 || lo < 0) return false;
        out->data[i] = static_cast<uint8_t>(hi * 16 + lo);
    }
    return true;
}

RegStore LoadFile(const std::string& file, File::Links links) {
    File f;
    if (!f.Open(GivenPath{file}, File::Mode::Read, links)) return {};
    const int64_t size = f.Size();
    std::string text(static_cast<size_t>(std::min<int64_t>(size, kMaxText)), '\0');
    text.resize(f.Read(text.data(), text.size()));  // reads on to the end or an error
    if (size > static_cast<int64_t>(kMaxText)) OutputDebugString("registry: the file is cut at 64 KiB\r\n");
    return ParseRegistry(text);
}

// Runs fn over the store, and writes the file back when fn says it changed.
template <class F>
bool WithStore(bool write, F&& fn) {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (g_memory) return fn(g_memory_store);
    File::Links links;
    const std::string dir = PrepareConfigDir(write, &links);
    // No folder of the user's own: the values of this run stay in memory, and nothing is written.
    if (dir.empty()) return fn(g_memory_store);
    const std::string file = dir + "/registry";
    RegStore store = LoadFile(file, links);
    if (!fn(store)) return false;
    if (!write) return true;
    const std::string text = FormatRegistry(store);
    if (WriteFileAtomic(GivenPath{file}, text.data(), text.size(), links)) return true;
    OutputDebugString(("registry: " + file + " could not be written; it keeps what it held\r\n").c_str());
    return false;
}
}  // namespace

RegStore ParseRegistry(std::string_view text) {
    RegStore store;
    if (text.size() > kMaxText) text = text.substr(0, kMaxText);
    std::string key;
    size_t line_no = 0;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        ++line_no;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty() || line.front() == '#') continue;
        if (line.front() == '[') {
            key.clear();
            if (line.back() != ']' || !NameOk(line.substr(1, line.size() - 2), true)) {
                Skip(line_no, "not a key");
                continue;
            }
            key = std::string(line.substr(1, line.size() - 2));
            continue;
        }
        const size_t eq = line.find('=');
        RegValue value;
        if (key.empty() || eq == std::string_view::npos || !NameOk(line.substr(0, eq), false) ||
            !ParseValue(line.substr(eq + 1), &value)) {
            Skip(line_no, "not a value");
            continue;
        }
        const std::string name(line.substr(0, eq));
        const std::string id = Id(key, name);
        if (store.size() >= kMaxValues && !store.count(id)) {
            Skip(line_no, "too many values");
            continue;
        }
        store[id] = RegEntry{key, name, std::move(value)};  // a later line wins
    }
    return store;
}

std::string FormatRegistry(const RegStore& store) {
    static const char kHex[] = "0123456789abcdef";
    std::string out = "# Per-user values of the game, written by the game.\n";
    std::string key;  // entries of one key sort together (the map's order is by lower-cased key)
    for (const auto& [id, e] : store) {
        if (Lower(e.key) != Lower(key)) {
            key = e.key;
            out += "[" + key + "]\n";
        }
        out += e.name + "=" + std::to_string(e.value.type) + ":";
        for (uint8_t b : e.value.data) out += kHex[b >> 4], out += kHex[b & 15];
        out += "\n";
    }
    return out;
}

void UseMemoryRegistry(bool memory) {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_memory = memory;
    g_memory_store.clear();
}

std::string RegistryFile() { return ConfigDir() + "/registry"; }
}  // namespace plat::detail

namespace plat {
using detail::RegStore;

bool RegKeyExists(const char* key) {
    if (!key) return false;
    const std::string prefix = detail::Id(key, "");
    return detail::WithStore(false, [&](RegStore& store) {
        auto it = store.lower_bound(prefix);
        return it != store.end() && it->first.compare(0, prefix.size(), prefix) == 0;
    });
}

bool RegQueryValue(const char* key, const char* name, uint32_t* type, void* data, uint32_t* size) {
    if (!key || !name || !size) return false;
    return detail::WithStore(false, [&](RegStore& store) {
        auto it = store.find(detail::Id(key, name));
        if (it == store.end()) return false;
        const detail::RegValue& v = it->second.value;
        const uint32_t room = *size;
        *size = static_cast<uint32_t>(v.data.size());
        if (type) *type = v.type;
        if (!data) return true;
        if (v.data.size() > room) return false;
        if (!v.data.empty()) std::memcpy(data, v.data.data(), v.data.size());
        return true;
    });
}

bool RegSetValue(const char* key, const char* name, uint32_t type, const void* data, uint32_t size) {
    if (!key || !name || size > REG_MAX_VALUE || (size && !data)) return false;
    if (!detail::NameOk(key, true) || !detail::NameOk(name, false)) return false;
    return detail::WithStore(true, [&](RegStore& store) {
        detail::RegEntry& e = store[detail::Id(key, name)];
        if (e.key.empty()) e.key = key, e.name = name;
        e.value.type = type;
        e.value.data.assign(static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + size);
        return true;
    });
}
}  // namespace plat
