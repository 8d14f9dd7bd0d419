// Fuzzes the battle snapshot: any 3,744-byte record (shorter inputs are zero-filled) rebuilds a
// battle from fixture data (two mechs with their files, a stage, a behaviour), which then runs 60
// frames; saving it again gives a record that loads into the same record.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "battle/bsc_snap.h"
#include "battle/btl_frame.h"
#include "battle/chr_char.h"
#include "battle/eft_effect.h"
#include "battle/list_pool.h"
#include "battle/map_data.h"
#include "fuzz/fuzz_battle.h"
#include "platform/random.h"
#include "sprite/sp_draw.h"

namespace {
constexpr int kFrames = 60;

void Clean() {
    BTL_Cleanup();
    MAP_Release();
    BTL_ResetGlobals();
    SP_SetDrawOffset(0, 0);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (!fuzz::BattleDataDir()) return 0;
    std::memset(BATTLE_SNAP_DATA, 0, SNAP_SIZE);
    std::memcpy(BATTLE_SNAP_DATA, data, size < SNAP_SIZE ? size : SNAP_SIZE);
    plat::Srand(1);
    mBSC_LoadSnap();
    // What loaded saves into a record that loads into the same record.
    mBSC_SaveSnap();
    uint8_t first[SNAP_SIZE];
    std::memcpy(first, BATTLE_SNAP_DATA, SNAP_SIZE);
    Clean();
    mBSC_LoadSnap();
    mBSC_SaveSnap();
    // Only the enemy bank handles and the display objects' saved bytes may differ.
    for (int i = 0; i < SNAP_SIZE; ++i) {
        if (first[i] == BATTLE_SNAP_DATA[i]) continue;
        const bool bank = i >= SNAP_OFF_ECNT && i < SNAP_OFF_ECNT + 40;
        const int in_entry = (i - SNAP_OFF_CHARS) % SNAP_CHAR_SIZE;
        const bool display = i >= SNAP_OFF_CHARS && i < SNAP_OFF_MAP && (in_entry == 44 || in_entry == 45);
        if (!bank && !display) std::abort();
    }
    BTL_SetState(BTL_STATE_FIGHT);
    for (int f = 0; f < kFrames; ++f) {
        BTL_FrameUpdate();
        BTL_FrameDraw();
        if (LIST_STATE_DATA.listCnt > LIST_MAX) std::abort();
    }
    Clean();
    fuzz::ResetLogs();
    return 0;
}
