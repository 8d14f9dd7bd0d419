// Part-rectangle corrections of the "btst" and "face" animation sets, by file number.
#pragma once
#include <cstddef>

#include "sprite/spr_set.h"

// The rules of the number, in order: a part whose source equals a rule's rectangle takes the
// rule's new source, and its new destination when the rule has one.
void SPR_ApplyCorrections(int number, SPR_PART* part);

// Further rules from a text file of the data directory, one rule a line, after the built-in ones
// of their number (the README gives the format). A malformed line is skipped with a debug line.
int SPR_LoadCorrections(const char* path);  // 1 when the file was read
void SPR_ParseCorrections(const char* text, size_t size);
void SPR_ClearCorrections();  // back to the built-in rules alone
