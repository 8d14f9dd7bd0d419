// Fuzzes the CPU behaviour: any ".cpu" image loads (a short one keeps a zero tail) and drives a CPU
// mech for 300 frames against the player on a stage with walls, the player starting techniques the
// behaviour may react to.
#include <cstdint>
#include <cstdlib>

#include "battle/btl_frame.h"
#include "battle/camp_data.h"
#include "battle/chr_char.h"
#include "battle/cpu_think.h"
#include "battle/eft_effect.h"
#include "battle/hit_resolve.h"
#include "battle/list_pool.h"
#include "battle/map_data.h"
#include "battle/waza_exec.h"
#include "battle/waza_file.h"
#include "fuzz/fuzz_battle.h"
#include "platform/backend.h"
#include "platform/headless/headless.h"
#include "platform/memory.h"
#include "platform/random.h"
#include "shell/sysdat.h"
#include "sprite/sp_draw.h"
#include "sprite/spr_set.h"
#include "tests/support/battle_rig.h"
#include "tests/support/effect_fixture.h"
#include "tests/support/fixture.h"
#include "tests/support/map_writer.h"
#include "tests/support/mech_fixture.h"

namespace {
constexpr int kMech = 7, kPlayerMech = 8;
constexpr int kFrames = 300;

// The pool, the mech and effect sets, the techniques and the stage live across inputs.
int MechSet() {
    static const int set = [] {
        const int m = fuzz::MechSet();
        if (m < 0) return -1;
        CAMP_InitNewGame();
        SYS_DATA.battle_voice_off = 1;
        const std::vector<uint8_t> waz = support::WriteWaz(support::MechTechniques());
        WAZA_Parse(kMech, waz.data(), waz.size());
        WAZA_Parse(kPlayerMech, waz.data(), waz.size());
        // Walls round the edge and two blocks in the field for line checks and the wall-avoiding dash.
        support::MapSpec spec = support::FlatMapSpec(60, 40);
        for (int c = 0; c < 60; ++c)
            for (int r = 0; r < 40; ++r)
                if (c == 0 || r == 0 || c == 59 || r == 39 || (c >= 20 && c <= 24 && r >= 8 && r <= 30) ||
                    (c >= 36 && c <= 44 && r >= 14 && r <= 18))
                    spec.attr[size_t(r) * 60 + c] = 1;
        support::LoadStage(spec);
        return m;
    }();
    return set;
}

// A character with the stats creation gives its control, mech and level.
LIST_NODE* Fighter(int slot, int team, int control, int mech, int32_t x, int32_t y, int level) {
    LIST_NODE* n = fuzz::Body(slot, team, control, mech, x, y);
    n->chr->cpu_level = uint8_t(level);
    CHR_InitStats(n, -1);
    return n;
}

void Battle(int level) {
    BTL_ResetGlobals();
    SCR_SetScrRect(nullptr);
    BTL_SetState(BTL_STATE_FIGHT);
    LIST_NODE* player = Fighter(0, 0, CHR_PLAYER, kPlayerMech, 160, 320, 0);
    LIST_NODE* cpu = Fighter(1, 1, CHR_CPU, kMech, 600, 320, level);
    player->target = cpu->index;
    cpu->target = player->index;
    for (int f = 1; f <= kFrames; ++f) {
        if (f % 25 == 0 && CHR_TABLE[0] && CHR_TABLE[0]->chr->state < 6) CHR_WazaStart(CHR_TABLE[0], (f / 25) % 2);
        BTL_FrameUpdate();
        HIT_FlashUpdate();
        if (LIST_STATE_DATA.listCnt > LIST_MAX) std::abort();
        for (const LIST_NODE* n : CHR_TABLE) {
            if (!n || n->chr->control != CHR_CPU) continue;
            const CPU_WORK& w = CPU_WORK_TABLE[n->slot];
            if (n->chr->state < 0 || n->chr->state > 8 || w.mode < 0 || w.mode > 2) std::abort();
            if (w.phase < 3 || w.phase > 6 || w.next_step > CPU_STEPS) std::abort();
        }
        if (BTL_GetState(0) != BTL_STATE_FIGHT && BTL_GetState(0) != BTL_STATE_SLOW) BTL_SetState(BTL_STATE_FIGHT);
    }
    BTL_DeleteAllObjects();
    for (LIST_NODE*& n : CHR_TABLE) n = nullptr;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (MechSet() < 0) return 0;
    CPU_Parse(kMech, data, size);
    const CPU_DATA* d = CPU_GetData(kMech);
    if (!d) std::abort();
    for (size_t i = size; i < CPU_DATA_SIZE; ++i)
        if (d->raw[i] != 0) std::abort();  // the tail past a short file reads as zero
    plat::Srand(1);
    Battle(int(size % 6));
    plat::Free(MECH_TABLE[kMech].cpu);
    MECH_TABLE[kMech].cpu = nullptr;
    headless::ClearDebugOutput();
    return 0;
}
