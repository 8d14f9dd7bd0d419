// Battle voice barks drawn from the bark table with the shared generator, and bonus voices.
#include "services/sound/voice_bark.h"

#include <cstdio>
#include <cstring>

#include "platform/random.h"
#include "services/sound/snd_game.h"
#include "services/sound/snd_table.h"
#include "shell/sysdat.h"

VOICE_BARK VOICE_BARK_TABLE[VOICE_BARK_ROWS][VOICE_BARK_PER_ROW];
char VOICE_BONUS_CODE[8][4];
int32_t VOICE_BarkWait = 0;
int32_t VOICE_BarkRowSwitch = 0;

namespace {
bool g_barks_loaded = false, g_bonus_loaded = false;
constexpr int kDraws = 1024;
}  // namespace

void VOICE_ParseBarks(std::string_view text) {
    std::memset(VOICE_BARK_TABLE, 0, sizeof VOICE_BARK_TABLE);
    g_barks_loaded = true;
    int filled[VOICE_BARK_ROWS] = {};
    SND_ForEachLine(text, [&filled](int number, std::string_view line) {
        std::string_view f[3], rest;
        int64_t type, category;
        if (!SND_SplitLine(line, 3, f, &rest) || !rest.empty() ||
            !SND_ParseInt(f[0], VOICE_BARK_FIRST_TYPE, VOICE_BARK_FIRST_TYPE + VOICE_BARK_ROWS - 1, &type) ||
            !SND_ParseInt(f[1], 1, 4, &category) || f[2].size() >= sizeof VOICE_BARK_TABLE[0][0].name ||
            filled[type - VOICE_BARK_FIRST_TYPE] == VOICE_BARK_PER_ROW)
            return SND_TableSkip("WAV\\Voice\\bark.txt", number);
        int row = static_cast<int>(type) - VOICE_BARK_FIRST_TYPE;
        VOICE_BARK& b = VOICE_BARK_TABLE[row][filled[row]++];
        std::memcpy(b.name, f[2].data(), f[2].size());
        b.category = static_cast<int8_t>(category);
    });
}

void VOICE_ParseBonus(std::string_view text) {
    std::memset(VOICE_BONUS_CODE, 0, sizeof VOICE_BONUS_CODE);
    g_bonus_loaded = true;
    SND_ForEachLine(text, [](int number, std::string_view line) {
        std::string_view f[2], rest;
        int64_t c;
        if (!SND_SplitLine(line, 2, f, &rest) || !rest.empty() || !SND_ParseInt(f[0], 1, 8, &c) || f[1].size() != 3)
            return SND_TableSkip("WAV\\Voice\\bonus.txt", number);
        std::memcpy(VOICE_BONUS_CODE[c - 1], f[1].data(), 3);
    });
}

void VOICE_LoadBarks() {
    std::vector<char> text = SND_ReadTable("WAV\\Voice\\bark.txt");
    VOICE_ParseBarks(std::string_view(text.data(), text.size()));
}

void VOICE_LoadBonus() {
    std::vector<char> text = SND_ReadTable("WAV\\Voice\\bonus.txt");
    VOICE_ParseBonus(std::string_view(text.data(), text.size()));
}

void VOICE_PlayBark(int32_t type, int32_t event) {
    if (SYS_DATA.battle_voice_off == 1) return;
    if (type < 19 || type > 26) return;  // types 27..31 have no row of their own
    if (event != 1 && VOICE_BarkWait >= 1) return;
    if (event < 0 || event > 3) return;
    if (!g_barks_loaded) VOICE_LoadBarks();
    const int8_t wanted = static_cast<int8_t>(event + 1);
    const int row = (type == 21 && VOICE_BarkRowSwitch == 1) ? 8 : type - VOICE_BARK_FIRST_TYPE;
    for (int i = 0; i < kDraws; ++i) {
        const VOICE_BARK& b = VOICE_BARK_TABLE[row][plat::Rand() % VOICE_BARK_PER_ROW];
        if (b.category != wanted) continue;
        VOICE_PlayName(b.name);
        VOICE_BarkWait = plat::Rand() % 60 + 20;
        return;
    }
}

void VOICE_PlayBonus(int32_t n) {
    const int c = SYS_DATA.bonus_voice;
    if (c < 1 || c > 8) return;
    if (!g_bonus_loaded) VOICE_LoadBonus();
    if (!VOICE_BONUS_CODE[c - 1][0]) return;  // no code for this character: nothing to name
    char name[32];
    std::snprintf(name, sizeof name, "omk%s%02d", VOICE_BONUS_CODE[c - 1], n);
    VOICE_PlayName(name);
}
