// Fuzzes the battle snapshot: any 3,744-byte record (shorter inputs are zero-filled) rebuilds a
// battle from fixture data (two mechs with their files, a stage, a behaviour), which then runs 60
// frames; saving it again gives a record that loads into the same record.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "battle/bsc_snap.h"
#include "battle/btl_frame.h"
#include "battle/chr_char.h"
#include "battle/eft_effect.h"
#include "battle/list_pool.h"
#include "battle/map_data.h"
#include "fuzz/fuzz_files.h"
#include "platform/backend.h"
#include "platform/random.h"
#include "services/fil_util.h"
#include "shell/sysdat.h"
#include "sprite/sp_draw.h"
#include "tests/support/cpu_writer.h"
#include "tests/support/effect_fixture.h"
#include "tests/support/fixture.h"
#include "tests/support/map_writer.h"
#include "tests/support/mech_fixture.h"

namespace {
constexpr int kFrames = 60;

// The data directory on the memory file system with the fixture files: the base directory from the
// first input on (the current directory stays, for the fuzzer's own relative paths).
bool DataDir() {
    static const bool ok = [] {
        static support::HeadlessDisplay* display = new support::HeadlessDisplay({16, true}, 640, 480);
        const std::string here = plat::GetCurrentDirectory();
        if (!display->ok || ::chdir(fuzz::MemoryDir().c_str()) != 0) return false;
        plat::detail::SetLogging(false);
        FIL_InitBaseDir();
        SYS_DATA.battle_voice_off = 1;
        support::CpuSpec cpu = support::MobileCpu();
        cpu.action[0] = {1, 0, 40, 0, 300, 0, 0, 100000, 100, 0, 0, 0, 100, 0};
        cpu.action[1] = {3, 2, 30, 0, 300, 0, 0, 100000, 100, 0, 0, 0, 100, 0};
        cpu.pattern[0].step[0].technique = 0;
        if (!support::WriteMech("player", 0) || !support::WriteMech("zako01", 1) || !support::WriteEffect() ||
            !support::WriteCpuFile("zako01", cpu) ||
            !support::WriteStage("01_0_L", "01_0_L", support::MakeTestStage(64, 48, 5, 6)))
            return false;
        SP_Init();
        return BTL_Init() == 1 && ::chdir(here.c_str()) == 0;
    }();
    return ok;
}

void Clean() {
    BTL_Cleanup();
    MAP_Release();
    BTL_ResetGlobals();
    SP_SetDrawOffset(0, 0);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (!DataDir()) return 0;
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
