// Numbered voice lines: the speaker's voice switch, the voice database and the clip taken out of
// the voice archive into the temporary voice file.
#pragma once
#include <cstdint>
#include <string_view>
#include <vector>

struct VOICE_ENTRY {
    uint32_t number;
    uint32_t start;   // in units of 1,024 bytes of the archive
    uint16_t length;  // in units of 1,024 bytes
};

// The voice database comes from "wav\ovwav.txt": lines "number start length" (units of 1,024
// bytes of "wav\ovwav.dat"), in any order; the first line of a number counts. Without the file
// every numbered line stays silent.
extern std::vector<VOICE_ENTRY> VOICE_DB;
constexpr size_t VOICE_DB_MAX = 65536;

// Speaker code 0..17 -> voice switch, -1 for none (18 and above use switch 15).
extern const int8_t VOICE_SWITCH_MAP[18];

void VOICE_ParseDb(std::string_view text);
void VOICE_LoadDb();

// 1 when started or when the speaker's switch is off; 0 for no switch, an unknown or negative
// number, or a clip that could not be taken out; else VOICE_PlayName's result.
int32_t VOICE_PlayId(int32_t n);
// Copies count bytes of the archive from start into the temporary voice file, zero-filled past
// the archive's end. 0 when the archive cannot be read or the file cannot be written.
int VOICE_Extract(uint32_t start, uint32_t count);
