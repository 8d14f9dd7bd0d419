// Mech sets for melee built on the mech fixture.
#include "tests/support/melee_fixture.h"

#include "tests/support/mech_fixture.h"

namespace support {

SprFile MeleeSprFile(const std::string& stem, int look) {
    SprFile f = MechSprFile(stem, look);
    for (SprPattern& p : f.patterns) {
        p.hit[11] = RECT{-80, p.hit[2].top, 80, p.hit[2].bottom};
        p.hit[12] = RECT{-80, p.hit[2].top - 40, 80, p.hit[2].top};
    }
    f.seqs[kTimedSeq] = {{0, 1}, {8, 3}, {16, 5}};
    f.seqs[kShortSeq] = {{0, 0}};
    return f;
}

}  // namespace support
