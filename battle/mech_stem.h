// File stems of the 32 mech types: "player", "zako01".."zako19", and the named mechs 20..31 from the
// data directory's stem file (see README: "Dat\MechStem.txt"); without it those stay empty.
#pragma once
#include <cstddef>
#include <cstdint>

constexpr int MECH_TYPES = 32;
constexpr int MECH_FIRST_NAMED = 20;
constexpr int MECH_STEM_MAX = 9;

// The stem of a mech type; "" for an empty entry or a type outside 0..31.
const char* MECH_Stem(int type);
// Entries 20..31 back to empty.
void MECH_ResetStems();
// Reads lines "<type> <stem>" (type 20..31, stem of 2..9 letters, digits or '_'); '#' starts a
// comment line. A malformed line is skipped with a debug line. Returns the entries set.
int MECH_ParseStems(const uint8_t* data, size_t size);
// MECH_ResetStems, then the stem file when present (at most 64 KiB). Returns the entries set.
int MECH_LoadStems();
