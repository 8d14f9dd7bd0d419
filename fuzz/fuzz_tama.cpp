// Fuzzes the bullet table and the bullets: any "Dat\Tama.dat" loads whole records only or leaves an
// empty table, and what loaded saves back into the same bytes; then a mech fires every record from a
// fixture technique at a target on a walled stage, each in another fire mode: for 120 frames in a
// table of up to ten records, a larger table sharing about 1,200 frames (at least 12 a record), and
// a record's bullets stopped once they have asked for their share of 200,000 hit checks, so that an
// input runs in a fraction of a second.
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "battle/tama_data.h"
#include "battle/tama_obj.h"
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
constexpr int kMech = 7, kFrames = 120, kFrameBudget = 1200, kMinFrames = 12;
constexpr int64_t kCheckBudget = 200000, kMinChecks = 2000;  // hit checks an input's bullets may ask for

// The data directory on the memory file system (the base directory of every file name), the
// battle's sets, the stage and the firing technique, made once. The working directory is given
// back, so that the corpus and seed directories named relative to it stay readable.
bool Ready() {
    static const bool ok = [] {
        const std::string here = plat::GetCurrentDirectory();
        if (fuzz::MechSet() < 0 || ::chdir(fuzz::MemoryDir().c_str()) != 0) return false;
        FIL_InitBaseDir();
        if (::chdir(here.c_str()) != 0) return false;
        plat::CreateDirectory(FIL_MakePath("Dat"));
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
    const std::string name = FIL_MakePath("Dat\\Tama.dat");
    plat::File f;
    if (!f.Open(name.c_str(), plat::File::Mode::CreateScratch) || f.Write(data, size) != size || !f.Close()) std::abort();
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
    const std::vector<uint8_t> saved = ReadAll(name.c_str());
    if (saved.size() != 2 + size_t(t.count) * TAMA_RECORD_SIZE || TAMA_I16(saved.data(), 0) != t.count) std::abort();
    if (t.count && std::memcmp(saved.data() + 2, data + 2, saved.size() - 2) != 0) std::abort();
    return 1;
}

// Frames a record is fired for in a table of `count` records.
int FramesEach(int count) { return count <= kFrameBudget / kFrames ? kFrames : std::max(kFrameBudget / count, kMinFrames); }

// The hit checks the live bullets' next frame asks for at most: each bullet's sub-steps times the
// checks of a sub-step (a multi-hit keyframe's 64 - hit code). A record's speeds and hit codes may
// ask for hundreds of thousands a frame; the code they run is the same every time.
int64_t CheckSteps() {
    int64_t n = 0;
    for (const LIST_NODE* b = LIST_Node(LIST_STATE_DATA.head); b; b = LIST_Node(b->next)) {
        if (b->kind != LIST_KIND_TAMA || !b->tama || !b->tama->record) continue;
        const TAMA_PHASE ph = TAMA_PhaseOf(b->tama);
        const bool multi = b->tama->key < TAMA_KEYS && ph.key(b->tama->key).multi_hit() != 0;
        n += int64_t(std::abs(b->speed) / 16 + 1) * (multi ? std::max(64 - ph.hit_code(), 1) : 1);
    }
    return n;
}

// The mech fires bullet `bullet` (fire mode bullet mod 5) for `frames` frames, or until its bullets
// have asked for `checks` hit checks; nothing is left over.
void Fire(int bullet, int frames, int64_t checks) {
    BTL_ResetGlobals();
    BTL_SetState(BTL_STATE_FIGHT);
    uint8_t* act = WAZA_Act(WAZA_Get(kMech, 0), 0);
    WAZA_Put16(act, WAZA_ACT_WPN, bullet);
    act[int(WAZA_ACT_WPN) + WPN_FIRE_MODE] = uint8_t(bullet % 5);
    LIST_NODE* a = fuzz::Fighter(0, 0, kMech, 300);
    int64_t asked = 0;
    fuzz::Fight(a, fuzz::Fighter(1, 1, kMech, 420), 0, frames, [&] { return (asked += CheckSteps()) <= checks; });
    if (LIST_STATE_DATA.listCnt != 0 || LIST_STATE_DATA.wpnCnt != 0 || wp2Cnt != 0) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 2 + size_t(TAMA_MAX + 1) * TAMA_RECORD_SIZE || !Ready()) return 0;
    if (LoadAndSave(data, size)) {
        plat::Srand(1);
        const int count = std::max<int>(TAMA_DATA.count, 1);
        const int64_t checks = std::max<int64_t>(kCheckBudget / count, kMinChecks);
        for (int r = 0; r < TAMA_DATA.count; ++r) Fire(r, FramesEach(count), checks);
    }
    TAMA_ClearList();
    fuzz::ResetLogs();
    return 0;
}
