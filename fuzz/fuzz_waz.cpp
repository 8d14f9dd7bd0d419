// Fuzzes the ".waz" reader and the technique engine: any image loads or gives no techniques,
// whole records only, what loaded packs back into the same bytes; then every technique runs for
// up to 120 frames of a mech against a target, until it is over, with hits, effects and movement
// on a flat stage.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "battle/waza_file.h"
#include "fuzz/fuzz_battle.h"
#include "platform/headless/headless.h"
#include "platform/random.h"

namespace {
constexpr int kMech = 7, kTargetMech = 8;
constexpr int kFrames = 120;
constexpr int kMaxTechniques = 16;
// A technique's speeds may ask for a sub-step every 16 px of a frame's move, thousands a frame; the
// code they run is the same every step, so a run ends after this many.
constexpr int kMaxSubSteps = 4000;

void RunTechnique(int t) {
    BTL_ResetGlobals();
    BTL_SetState(BTL_STATE_FIGHT);
    LIST_NODE* a = fuzz::Fighter(1, 1, kMech, 300);
    LIST_NODE* target = fuzz::Fighter(2, 0, kTargetMech, 340);
    // Until the technique is over and its shots have gone, or the movement budget is spent.
    int steps = 0;
    fuzz::Fight(a, target, t, kFrames, [&] {
        steps += a->sub_steps + target->sub_steps;
        return steps <= kMaxSubSteps && !fuzz::Settled(a);
    });
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    WAZA_Parse(kMech, data, size);
    const MechRecord& m = MECH_TABLE[kMech];
    if (m.waza_count < 0 || (m.waza_count > 0 && 2 + size_t(m.waza_count) * WAZA_FILE_SIZE > size)) std::abort();
    const std::vector<uint8_t> packed = WAZA_Pack(kMech);
    if (packed.size() != 2 + size_t(m.waza_count) * WAZA_FILE_SIZE) std::abort();
    if (m.waza_count && std::memcmp(packed.data() + 2, data + 2, packed.size() - 2) != 0) std::abort();
    for (int t = 0; t < m.waza_count; ++t)
        if (WAZA_Get(kMech, t)->raw[WAZA_SIZE - 1] != 0) std::abort();

    static const bool staged = (fuzz::Stage(), true);
    if (staged && fuzz::MechSet() >= 0 && m.waza_count > 0) {
        plat::Srand(1);
        for (int t = 0; t < m.waza_count && t < kMaxTechniques; ++t) RunTechnique(t);
    }
    WAZA_Parse(kMech, nullptr, 0);  // frees the records: nothing carries into the next input
    headless::ClearDebugOutput();
    return 0;
}
