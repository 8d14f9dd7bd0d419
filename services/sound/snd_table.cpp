// Reading and splitting the sound content's table files.
#include "services/sound/snd_table.h"

#include "services/fil_util.h"

std::vector<char> SND_ReadTable(const char* name) {
    const char* path = FIL_MakePath("%s", name);
    int32_t size = FIL_GetSize(path);
    if (size <= 0 || size > SND_TABLE_MAX_BYTES) return {};
    plat::File f;
    std::vector<char> text(static_cast<size_t>(size));
    if (!f.Open(path, plat::File::Mode::Read)) return {};
    text.resize(f.Read(text.data(), text.size()));
    return text;
}

bool SND_SplitLine(std::string_view line, size_t count, std::string_view* fields, std::string_view* rest) {
    constexpr std::string_view kBlank = " \t\r";
    if (line.find('\0') != std::string_view::npos) return false;  // no text: a damaged file
    for (size_t i = 0; i < count; ++i) {
        size_t start = line.find_first_not_of(kBlank);
        if (start == std::string_view::npos) return false;
        line.remove_prefix(start);
        size_t end = line.find_first_of(kBlank);
        fields[i] = line.substr(0, end);
        line = end == std::string_view::npos ? std::string_view() : line.substr(end);
    }
    if (rest) {
        size_t start = line.find_first_not_of(kBlank);
        line = start == std::string_view::npos ? std::string_view() : line.substr(start);
        size_t end = line.find_last_not_of(kBlank);
        *rest = end == std::string_view::npos ? std::string_view() : line.substr(0, end + 1);
    }
    return true;
}

bool SND_ParseInt(std::string_view field, int64_t min, int64_t max, int64_t* out) {
    if (field.empty() || field.size() > 12) return false;
    bool negative = field[0] == '-';
    if (negative) field.remove_prefix(1);
    if (field.empty()) return false;
    int64_t v = 0;
    for (char c : field) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
    }
    if (negative) v = -v;
    if (v < min || v > max) return false;
    *out = v;
    return true;
}

void SND_TableSkip(const char* table, int line) { SYS_DebugPrint("%s: line %d skipped", table, line); }
