// Battle voice barks with their cooldown, and the bonus voice lines of the chosen character.
#pragma once
#include <cstdint>
#include <string_view>

struct VOICE_BARK {
    char name[15];    // "btl\..." clip name, NUL-padded
    int8_t category;  // 0 empty, 1..4 = event + 1
};
constexpr int VOICE_BARK_ROWS = 9;      // mech types 19..27
constexpr int VOICE_BARK_PER_ROW = 21;
constexpr int VOICE_BARK_FIRST_TYPE = 19;

// The bark table comes from "WAV\Voice\bark.txt": lines "mech-type category clip-name" (types
// 19..27, categories 1..4), each row filled in file order; the bonus codes from
// "WAV\Voice\bonus.txt": lines "character code" (characters 1..8, three-letter codes). Without
// them barks and bonus lines stay silent.
extern VOICE_BARK VOICE_BARK_TABLE[VOICE_BARK_ROWS][VOICE_BARK_PER_ROW];
extern char VOICE_BONUS_CODE[8][4];

extern int32_t VOICE_BarkWait;       // cooldown in battle ticks
extern int32_t VOICE_BarkRowSwitch;  // 1: mech type 21 takes row 8

void VOICE_ParseBarks(std::string_view text);
void VOICE_ParseBonus(std::string_view text);
void VOICE_LoadBarks();
void VOICE_LoadBonus();

void VOICE_PlayBark(int32_t type, int32_t event);
void VOICE_PlayBonus(int32_t n);
