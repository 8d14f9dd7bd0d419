// Part-rectangle corrections: the built-in rules and those read from the data directory.
#include "sprite/spr_fix.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/files.h"
#include "services/fil_util.h"

namespace {
struct Rule {
    int number;
    RECT match, src;
    bool has_dest;
    RECT dest;
};

// The rules known without the data file.
constexpr Rule kBuiltIn[] = {
    {1, {0, 8, 184, 480}, {0, 8, 220, 480}, true, {-100, -472, 120, 0}},
    {1, {184, 16, 248, 72}, {245, 1, 320, 72}, true, {-26, -414, 49, -343}},
    {1, {248, 8, 312, 72}, {320, 8, 384, 72}, false, {}},
    {1, {248, 392, 312, 456}, {320, 8, 384, 72}, false, {}},
    {2, {0, 0, 192, 472}, {0, 0, 222, 480}, true, {-108, -472, 114, 8}},
    {3, {216, 0, 280, 64}, {271, 10, 335, 74}, false, {}},
    {21, {8, 0, 288, 480}, {0, 0, 402, 480}, true, {-201, -480, 201, 0}},
};

std::vector<Rule> g_file_rules;
constexpr size_t kMaxRulesFile = 1 << 20;
constexpr size_t kMaxFileRules = 4096;

bool Same(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

void Apply(const Rule& r, SPR_PART* part) {
    if (!Same(part->src, r.match)) return;
    part->src = r.src;
    if (r.has_dest) part->dest = r.dest;
}

// One line: the number, four values to match, four of the new source, optionally four of the
// new destination. False for anything else.
bool ParseLine(const std::string& line, Rule* out) {
    std::vector<long> v;
    const char* p = line.c_str();
    for (;;) {
        while (*p == ' ' || *p == '\t' || *p == ',' || *p == '\r') ++p;
        if (!*p) break;
        char* end;
        long n = std::strtol(p, &end, 10);
        if (end == p || n < INT32_MIN || n > INT32_MAX || v.size() == 13) return false;
        v.push_back(n);
        p = end;
    }
    if (v.size() != 9 && v.size() != 13) return false;
    auto rect = [&](size_t i) { return RECT{int32_t(v[i]), int32_t(v[i + 1]), int32_t(v[i + 2]), int32_t(v[i + 3])}; };
    *out = Rule{int(v[0]), rect(1), rect(5), v.size() == 13, v.size() == 13 ? rect(9) : RECT{}};
    return true;
}
}  // namespace

void SPR_ApplyCorrections(int number, SPR_PART* part) {
    for (const Rule& r : kBuiltIn)
        if (r.number == number) Apply(r, part);
    for (const Rule& r : g_file_rules)
        if (r.number == number) Apply(r, part);
}

void SPR_ParseCorrections(const char* text, size_t size) {
    size_t at = 0;
    int line_no = 0;
    while (at < size) {
        size_t end = at;
        while (end < size && text[end] != '\n') ++end;
        std::string line(text + at, end - at);
        at = end + 1;
        ++line_no;
        if (size_t hash = line.find('#'); hash != std::string::npos) line.erase(hash);
        if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
        Rule r;
        if (!ParseLine(line, &r)) {
            SYS_DebugPrint("part corrections: line %d is not a rule", line_no);
            continue;
        }
        if (g_file_rules.size() >= kMaxFileRules) {
            SYS_DebugPrint("part corrections: more than %u rules", static_cast<unsigned>(kMaxFileRules));
            return;
        }
        g_file_rules.push_back(r);
    }
}

int SPR_LoadCorrections(const char* path) {
    plat::File f;
    if (!path || !f.Open(path, plat::File::Mode::Read)) return 0;
    const int64_t size = f.Size();
    if (size < 0 || size_t(size) > kMaxRulesFile) {
        SYS_DebugPrint("%s: too large for a rules file", path);
        return 0;
    }
    std::string text(size_t(size), '\0');
    if (f.Read(text.data(), text.size()) != text.size()) return 0;
    SPR_ParseCorrections(text.data(), text.size());
    return 1;
}

void SPR_ClearCorrections() { std::vector<Rule>().swap(g_file_rules); }
