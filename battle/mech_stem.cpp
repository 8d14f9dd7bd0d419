// Mech file stems: the fixed ones and the named mechs from the stem file.
#include "battle/mech_stem.h"

#include <cstring>
#include <vector>

#include "battle/btl_common.h"
#include "services/fil_util.h"

namespace {
char g_named[MECH_TYPES - MECH_FIRST_NAMED][MECH_STEM_MAX + 1];
constexpr const char* kFixed[MECH_FIRST_NAMED] = {
    "player", "zako01", "zako02", "zako03", "zako04", "zako05", "zako06", "zako07", "zako08", "zako09",
    "zako10", "zako11", "zako12", "zako13", "zako14", "zako15", "zako16", "zako17", "zako18", "zako19"};
constexpr size_t kMaxStemFile = 64 * 1024;

bool StemChar(uint8_t c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}
bool Blank(uint8_t c) { return c == ' ' || c == '\t'; }

// One line without its end; -1 malformed, 0 nothing on it, 1 an entry set.
int ParseLine(const uint8_t* p, size_t n) {
    while (n && (Blank(p[n - 1]) || p[n - 1] == '\r')) --n;
    size_t i = 0;
    while (i < n && Blank(p[i])) ++i;
    if (i == n || p[i] == '#') return 0;
    int type = 0, digits = 0;
    while (i < n && p[i] >= '0' && p[i] <= '9' && digits < 3) type = type * 10 + (p[i++] - '0'), ++digits;
    if (!digits || type < MECH_FIRST_NAMED || type >= MECH_TYPES || i == n || !Blank(p[i])) return -1;
    while (i < n && Blank(p[i])) ++i;
    const size_t start = i;
    while (i < n && StemChar(p[i])) ++i;
    const size_t len = i - start;
    if (i != n || len < 2 || len > MECH_STEM_MAX) return -1;
    char* stem = g_named[type - MECH_FIRST_NAMED];
    std::memcpy(stem, p + start, len);
    stem[len] = '\0';
    return 1;
}
}  // namespace

const char* MECH_Stem(int type) {
    if (type < 0 || type >= MECH_TYPES) return "";
    return type < MECH_FIRST_NAMED ? kFixed[type] : g_named[type - MECH_FIRST_NAMED];
}

void MECH_ResetStems() { std::memset(g_named, 0, sizeof g_named); }

int MECH_ParseStems(const uint8_t* data, size_t size) {
    int set = 0, line = 0;
    size_t pos = 0;
    while (data && pos < size) {
        const uint8_t* start = data + pos;
        const void* nl = std::memchr(start, '\n', size - pos);
        const size_t len = nl ? size_t(static_cast<const uint8_t*>(nl) - start) : size - pos;
        pos += len + 1;
        ++line;
        const int r = ParseLine(start, len);
        if (r < 0) SYS_DebugPrint("MechStem.txt: line %d skipped", line);
        set += r > 0;
    }
    return set;
}

int MECH_LoadStems() {
    MECH_ResetStems();
    std::vector<uint8_t> bytes;
    if (!BTL_ReadFile(FIL_MakePath("Dat\\MechStem.txt"), bytes, kMaxStemFile)) return 0;
    return MECH_ParseStems(bytes.data(), bytes.size());
}
