// Fuzzes the bullet table and the bullets: any "Dat\Tama.dat" loads whole records only or leaves an
// empty table, and what loaded saves back into the same bytes; then a mech fires each of the first
// records from a fixture technique at a target for 120 frames on a walled stage (the first eight
// only, so that an input runs in a fraction of a second), each in another fire mode.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "battle/tama_data.h"
#include "battle/waza_exec.h"
#include "battle/waza_file.h"
#include "battle/wpn_fire.h"
#include "fuzz/fuzz_battle.h"
#include "fuzz/fuzz_files.h"
#include "platform/files.h"
#include "platform/random.h"
#include "services/fil_util.h"
#include "tests/support/tama_fixture.h"

namespace {
constexpr int kMech = 7, kFrames = 120, kMaxRecords = 8;

// The data directory on the memory file system (the current directory from the first input on),
// the battle's sets, the stage and the firing technique, made once.
bool Ready() {
    static const bool ok = [] {
        if (fuzz::MechSet() < 0 || ::chdir(fuzz::MemoryDir().c_str()) != 0) return false;
        FIL_InitBaseDir();
        plat::CreateDirectory("Dat");
        fuzz::Stage();
        support::WpnSpec w = support::FixtureWeapon(0);
        w.loops = 3, w.interval = 4, w.per_shot = 2, w.p1 = 20;
        const std::vector<uint8_t> waz = support::WriteWaz({support::FiringTechnique(w, 60)});
        return WAZA_Parse(kMech, waz.data(), waz.size()) == 1;
    }();
    return ok;
}

std::vector<uint8_t> ReadAll(const char* name) {
    std::vector<uint8_t> out;
    plat::File f;
    if (!f.Open(name, plat::File::Mode::Read)) return out;
    out.resize(size_t(f.Size()));
    out.resize(out.empty() ? 0 : f.Read(out.data(), out.size()));
    return out;
}

// 1 when the input loaded; the table checked against it and saved back.
int LoadAndSave(const uint8_t* data, size_t size) {
    plat::File f;
    if (!f.Open("Dat/Tama.dat", plat::File::Mode::CreateScratch) || f.Write(data, size) != size || !f.Close()) std::abort();
    const int loaded = TAMA_Load();
    const int stored = size >= 2 ? int16_t(data[0] | data[1] << 8) : -1;
    const int whole = size >= 2 ? int((size - 2) / TAMA_RECORD_SIZE) : 0;
    const TAMA_TABLE& t = TAMA_DATA;
    if (loaded) {
        if (stored < 0 || stored > TAMA_MAX || t.count != std::min(stored, whole) || t.used != t.count) std::abort();
    } else if (t.count != 0 || t.used != 0 || t.head != -1) {
        std::abort();
    }
    if (!loaded) return 0;
    if (TAMA_Save() != 1) std::abort();
    const std::vector<uint8_t> saved = ReadAll("Dat/Tama.dat");
    if (saved.size() != 2 + size_t(t.count) * TAMA_RECORD_SIZE || TAMA_I16(saved.data(), 0) != t.count) std::abort();
    if (t.count && std::memcmp(saved.data() + 2, data + 2, saved.size() - 2) != 0) std::abort();
    return 1;
}

// The mech fires bullet `bullet` (fire mode bullet mod 5) for 120 frames; nothing is left over.
void Fire(int bullet) {
    BTL_ResetGlobals();
    BTL_SetState(BTL_STATE_FIGHT);
    uint8_t* act = WAZA_Act(WAZA_Get(kMech, 0), 0);
    WAZA_Put16(act, WAZA_ACT_WPN, bullet);
    act[int(WAZA_ACT_WPN) + WPN_FIRE_MODE] = uint8_t(bullet % 5);
    LIST_NODE* a = fuzz::Fighter(0, 0, kMech, 300);
    fuzz::Fight(a, fuzz::Fighter(1, 1, kMech, 420), 0, kFrames);
    if (LIST_STATE_DATA.listCnt != 0 || LIST_STATE_DATA.wpnCnt != 0 || wp2Cnt != 0) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 2 + size_t(TAMA_MAX + 1) * TAMA_RECORD_SIZE || !Ready()) return 0;
    if (LoadAndSave(data, size)) {
        plat::Srand(1);
        for (int r = 0; r < TAMA_DATA.count && r < kMaxRecords; ++r) Fire(r);
    }
    TAMA_ClearList();
    fuzz::ResetLogs();
    return 0;
}
