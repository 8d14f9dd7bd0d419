// Mech sets for melee: the mech fixture with a long attack reach and timing sequences.
#pragma once
#include <string>

#include "tests/support/spr_writer.h"

namespace support {

constexpr int kTimedSeq = 40;  // three steps of waits 1, 3 and 5
constexpr int kShortSeq = 41;  // one step of wait 0

// Attack box 11 spans 80 pixels either way at the height of box 2, box 12 the same higher up.
SprFile MeleeSprFile(const std::string& stem, int look);

}  // namespace support
