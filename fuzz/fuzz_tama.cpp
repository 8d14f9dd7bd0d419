// Fuzzes the bullet table and the bullets: any "Dat\Tama.dat" loads whole records only or leaves an
// empty table, and what loaded saves back into the same bytes; then a mech fires each of the first
// records from a fixture technique at a target for 120 frames on a walled stage (the first eight
// only, so that an input runs in a fraction of a second).
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "battle/btl_frame.h"
#include "battle/chr_char.h"
#include "battle/eft_effect.h"
#include "battle/hit_resolve.h"
#include "battle/list_pool.h"
#include "battle/map_data.h"
#include "battle/tama_data.h"
#include "battle/waza_exec.h"
#include "battle/waza_file.h"
#include "battle/wpn_fire.h"
#include "fuzz/fuzz_files.h"
#include "platform/backend.h"
#include "platform/files.h"
#include "platform/random.h"
#include "services/fil_util.h"
#include "sprite/sp_draw.h"
#include "sprite/spr_set.h"
#include "tests/support/effect_fixture.h"
#include "tests/support/fixture.h"
#include "tests/support/map_writer.h"
#include "tests/support/mech_fixture.h"
#include "tests/support/tama_fixture.h"

namespace {
// The data directory on the memory file system, the current directory from the first input on.
bool DataDir() {
    static const bool ok = [] {
        static support::HeadlessDisplay* display = new support::HeadlessDisplay({16, true}, 640, 480);
        if (!display->ok || ::chdir(fuzz::MemoryDir().c_str()) != 0) return false;
        plat::detail::SetLogging(false);
        FIL_InitBaseDir();
        plat::CreateDirectory("Dat");
        return true;
    }();
    return ok;
}

constexpr int kMech = 7, kFrames = 120, kMaxRecords = 8;

// The pool, the sprite sets of a mech and of the effects, the stage and the firing technique live
// across inputs.
int MechSet() {
    static const int set = [] {
        if (!DataDir()) return -1;
        SP_Init();
        LIST_Init();
        const std::vector<uint8_t> mech = support::SprBytes(support::MechSprFile("fuzz", 0));
        const std::vector<uint8_t> effect = support::SprBytes(support::EffectSprFile());
        const int m = SPR_FindFreeSet();
        if (m < 0 || !SPR_LoadBytes(m, "mem/fuzz.spr", mech.data(), mech.size(), 0)) return -1;
        EFT_SET = SPR_FindFreeSet();
        if (EFT_SET < 0 || !SPR_LoadBytes(EFT_SET, "mem/effect.spr", effect.data(), effect.size(), 0)) return -1;
        support::WpnSpec w = support::FixtureWeapon(0);
        w.loops = 3, w.interval = 4, w.per_shot = 2, w.mode = 3, w.p1 = 20;
        const std::vector<uint8_t> waz = support::WriteWaz({support::FiringTechnique(w, 60)});
        if (!WAZA_Parse(kMech, waz.data(), waz.size())) return -1;
        support::MapSpec spec(40, 30);
        spec.chips.assign(40 * 30, 1);
        spec.attr.assign(40 * 30, 0);
        spec.extra.assign(40 * 30, 0);
        for (int c = 0; c < 40; ++c) spec.attr[size_t(c)] = spec.attr[size_t(29 * 40 + c)] = 1;
        for (int i = 0; i < 40 * 30; ++i) spec.extra[size_t(i)] = uint8_t(i % 3);
        const std::vector<uint8_t> f = support::MakeMap(spec);
        MAP_LoadFileData(f.data(), f.size());
        MAP_SetView(0, 0, MAP_VIEW_W, MAP_VIEW_H);
        SCR_SetScrRect(nullptr);
        return m;
    }();
    return set;
}

// A character built the way creation builds one, on the shared set (no file is read).
LIST_NODE* Fighter(int slot, int team, int32_t x) {
    LIST_NODE* n = LIST_Alloc(LIST_KIND_CHR);
    const int id = SP_FindFree();
    if (!n || id < 0 || !SP_CreateAnim(id, MAP_WORLD_PRIORITY, x, 240, MechSet(), 0)) std::abort();
    n->team = int8_t(team), n->slot = int8_t(slot), n->priority = CHR_PRIORITY, n->sub_steps = 1, n->sub_step_size = 4;
    n->sprite = int16_t(id);
    SP_SetOwner(id, n->index);
    CHR_DATA* c = n->chr;
    c->control = CHR_CPU, c->mech = kMech, c->sprite_bank = -1;  // the set is shared: deletion leaves it
    c->heat_max = CHR_HEAT_MAX, c->flash_kind = -1, c->queued = -1;
    for (int16_t& u : c->use_list) u = CHR_NO_TECHNIQUE;
    c->units = CHR_UNITS, c->levels = 1, c->attack = 40, c->beam = 40, c->heat_pct0 = c->heat_pct1 = 100;
    c->walk_speed = 6, c->armour_max = c->armour = 500;
    LIST_SetPos(n, x, 240, 0);
    CHR_TABLE[slot] = n;
    return n;
}

// The mech fires bullet `bullet` (fire mode bullet mod 5) for 120 frames; the battle ends with
// nothing left over.
void Fire(int bullet) {
    BTL_ResetGlobals();
    BTL_SetState(BTL_STATE_FIGHT);
    WAZA_DATA* t = WAZA_Get(kMech, 0);
    WAZA_Put16(WAZA_Act(t, 0), WAZA_ACT_WPN, bullet);
    WAZA_Act(t, 0)[int(WAZA_ACT_WPN) + WPN_FIRE_MODE] = uint8_t(bullet % 5);  // every fire mode, the beam's too
    LIST_NODE* a = Fighter(0, 0, 300);
    LIST_NODE* target = Fighter(1, 1, 420);
    a->target = target->index;
    LIST_SetCurrent(a);
    LIST_CURRENT.chr = a->chr;
    CHR_WazaStart(a, 0);
    for (int f = 0; f < kFrames; ++f) {
        BTL_FrameUpdate();
        HIT_FlashUpdate();
        if (LIST_STATE_DATA.listCnt > LIST_MAX || LIST_STATE_DATA.wpnCnt < 0 || wp2Cnt < 0) std::abort();
    }
    BTL_DeleteAllObjects();
    for (LIST_NODE*& n : CHR_TABLE) n = nullptr;
    if (LIST_STATE_DATA.listCnt != 0 || LIST_STATE_DATA.wpnCnt != 0 || wp2Cnt != 0) std::abort();
}

std::vector<uint8_t> ReadAll(const char* name) {
    std::vector<uint8_t> out;
    plat::File f;
    if (!f.Open(name, plat::File::Mode::Read)) return out;
    out.resize(size_t(f.Size()));
    out.resize(out.empty() ? 0 : f.Read(out.data(), out.size()));
    return out;
}

void LoadAndSave(const uint8_t* data, size_t size) {
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
    if (!loaded) return;
    if (TAMA_Save() != 1) std::abort();
    const std::vector<uint8_t> saved = ReadAll("Dat/Tama.dat");
    if (saved.size() != 2 + size_t(t.count) * TAMA_RECORD_SIZE || TAMA_I16(saved.data(), 0) != t.count) std::abort();
    if (t.count && std::memcmp(saved.data() + 2, data + 2, saved.size() - 2) != 0) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 2 + size_t(TAMA_MAX + 1) * TAMA_RECORD_SIZE || MechSet() < 0) return 0;
    LoadAndSave(data, size);
    plat::Srand(1);
    for (int r = 0; r < TAMA_DATA.count && r < kMaxRecords; ++r) Fire(r);
    TAMA_ClearList();
    fuzz::ResetLogs();
    return 0;
}
