// The effect animation set fixture "Bmp/Effect/Effect.spr": sequences 47 to 123, each over 24
// direction patterns, with the hit boxes effects and bullets read.
#pragma once
#include "tests/support/grp_writer.h"
#include "tests/support/spr_writer.h"

namespace support {

constexpr int kEffectFirstSeq = 47;
constexpr int kEffectLastSeq = 123;
constexpr int kEffectDirections = 24;

// Sequence s shows pattern (s - 47) x 24 (+ the direction offset) for two steps of waits 0 and 1,
// so a sequence played once ends on its fourth tick.
SprFile EffectSprFile();
GrpPicture EffectPicture();
// Writes the set and its picture below the current directory.
bool WriteEffect();

}  // namespace support
