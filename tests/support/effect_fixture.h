// The effect animation set fixture "Bmp/Effect/Effect.spr": sequences 47 to 123, each over 24
// direction patterns, with the hit boxes effects and bullets read.
#pragma once
#include "tests/support/grp_writer.h"
#include "tests/support/spr_writer.h"

namespace support {

constexpr int kEffectFirstSeq = 47;
constexpr int kEffectLastSeq = 123;
constexpr int kEffectDirections = 24;

// Bullet sequences after them, each over 40 direction patterns (a laser's sectors of 9 degrees; a
// missile's 24 use the first 24): box 8 is a point 12 pixels out along the direction (a segment's
// tip), box 6 a muzzle above the centre, box 15 a point beside it.
constexpr int kBulletSeq = 1;       // two steps of waits 0 and 1
constexpr int kBulletTimedSeq = 2;  // three steps of waits 1, 3 and 5
constexpr int kBulletStillSeq = 3;  // one step of wait 2
constexpr int kBulletDirections = 40;
// The tip of a bullet pattern's direction d (box 8's top-left).
POINT BulletTip(int d);

// Sequence s shows pattern (s - 47) x 24 (+ the direction offset) for two steps of waits 0 and 1,
// so a sequence played once ends on its fourth tick; the beam trail (97) has 40 directions of its own.
SprFile EffectSprFile();
GrpPicture EffectPicture();
// Writes the set and its picture below the current directory.
bool WriteEffect();

}  // namespace support
