// Fuzzes the load of a save slot: any bytes as a slot file either load (the snapshot rebuilds a
// battle from fixture data, which then runs a few frames) or are refused with nothing changed.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "battle/bsc_snap.h"
#include "battle/btl_frame.h"
#include "battle/camp_data.h"
#include "battle/list_pool.h"
#include "battle/map_data.h"
#include "fuzz/fuzz_battle.h"
#include "platform/bytes.h"
#include "platform/random.h"
#include "scenario/save_record.h"
#include "shell/qsave.h"
#include "shell/sysdat.h"
#include "sprite/sp_draw.h"

namespace {
constexpr int kFrames = 10;

// The battle files, a save folder, and the quick panel's mark without an object (there is no bar).
bool Ready() {
    static const bool ok = [] {
        if (!fuzz::BattleDataDir()) return false;
        BAR_PartsInit(&QSAVE_DATA.mark);
        std::error_code ec;
        std::filesystem::create_directories(fuzz::MemoryDir() + "/save", ec);
        return !ec;
    }();
    return ok;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (!Ready()) return 0;
    fuzz::ResetLogs();
    const SysData settings = SYS_DATA;
    const BAR_DATA_T bar = BAR_DATA;
    const QSAVE_DATA_T quick = QSAVE_DATA;
    uint8_t camp[CAMP_SIZE];
    CAMP_Pack(CAMP_DATA, camp);
    if (fuzz::MemoryFile("save/ov05.sav", data, size).empty()) return 0;
    plat::Srand(1);
    if (SAVE_ReadSlot(5)) {
        if (BAR_DATA.replay_voice != int32_t(plat::Get32(data + SAVE_VOICE_OFFSET))) std::abort();
        BTL_SetState(BTL_STATE_FIGHT);
        for (int f = 0; f < kFrames; ++f) {
            BTL_FrameUpdate();
            BTL_FrameDraw();
            if (LIST_STATE_DATA.listCnt > LIST_MAX) std::abort();
        }
    } else {
        // A refusal changes nothing.
        uint8_t after[CAMP_SIZE];
        CAMP_Pack(CAMP_DATA, after);
        if (std::memcmp(camp, after, CAMP_SIZE) != 0 || std::memcmp(&settings, &SYS_DATA, sizeof settings) != 0 ||
            BAR_DATA.replay_voice != bar.replay_voice || QSAVE_DATA.x != quick.x || BAR_GetWasRead() != 0)
            std::abort();
    }
    BTL_Cleanup();
    MAP_Release();
    BTL_ResetGlobals();
    SP_SetDrawOffset(0, 0);
    CAMP_InitNewGame();
    SYS_DATA = settings;
    BAR_DATA = bar;
    QSAVE_DATA = quick;
    BAR_SetWasRead(0);
    return 0;
}
