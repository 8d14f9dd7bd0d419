// What the battle benchmarks share: the battle module's start on an empty sprite layer, a stage of
// open ground loaded as the current map, and a fight frame that keeps every mech alive.
#pragma once

#include "battle/btl_frame.h"
#include "battle/chr_char.h"
#include "battle/list_pool.h"
#include "battle/map_data.h"
#include "services/fil_util.h"
#include "sprite/sp_draw.h"
#include "tests/support/battle_rig.h"
#include "tests/support/map_writer.h"

namespace bench {
// The base directory (the current one), the sprite layer and the battle's globals afresh.
inline void BattleStart() {
    FIL_InitBaseDir();
    SP_Init();
    BTL_ResetGlobals();
}

// A w x h chip stage of open ground (walls round its edge when asked), loaded as the current map
// with the whole of it to scroll over.
inline void LoadOpenStage(int w, int h, bool walled = false) {
    support::MapSpec spec = support::FlatMapSpec(uint16_t(w), uint16_t(h));
    if (walled) {
        for (int c = 0; c < w; ++c) spec.attr[size_t(c)] = spec.attr[size_t((h - 1) * w + c)] = MAP_WALL;
        for (int r = 0; r < h; ++r) spec.attr[size_t(r * w)] = spec.attr[size_t(r * w + w - 1)] = MAP_WALL;
    }
    support::LoadStage(spec);
}

// One update tick with every mech's durability refilled and its hits forgotten first, so no hit
// ends the fight and no technique reaches its hit maximum.
inline void FightFrame() {
    for (LIST_NODE* n : CHR_TABLE)
        if (n) n->chr->units = CHR_UNITS, n->chr->levels = 7, n->chr->state = 0, n->chr->hits_landed = 0;
    BTL_FrameUpdate();
}
}  // namespace bench
