// Fuzzes the ".waz" reader and the technique engine: any image loads or gives no techniques,
// whole records only, what loaded packs back into the same bytes; then every technique runs for
// 120 frames of a mech against a target, with hits, effects and movement on a flat stage.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "battle/btl_common.h"
#include "battle/btl_frame.h"
#include "battle/chr_char.h"
#include "battle/eft_effect.h"
#include "battle/hit_resolve.h"
#include "battle/list_pool.h"
#include "battle/map_data.h"
#include "battle/waza_exec.h"
#include "battle/waza_file.h"
#include "platform/backend.h"
#include "platform/headless/headless.h"
#include "platform/random.h"
#include "sprite/sp_draw.h"
#include "sprite/spr_set.h"
#include "tests/support/effect_fixture.h"
#include "tests/support/fixture.h"
#include "tests/support/map_writer.h"
#include "tests/support/mech_fixture.h"

namespace {
constexpr int kMech = 7, kTargetMech = 8;
constexpr int kFrames = 120;
constexpr int kMaxTechniques = 16;

// The pool, the sprite sets of a mech and of the effects, and the stage live across inputs.
int MechSet() {
    static support::HeadlessDisplay* display = new support::HeadlessDisplay({16, true}, 640, 480);
    static const int set = [] {
        if (!display->ok) return -1;
        plat::detail::SetLogging(false);  // every blit and sound would add to the call log
        SP_Init();
        LIST_Init();
        const std::vector<uint8_t> mech = support::SprBytes(support::MechSprFile("fuzz", 0));
        const std::vector<uint8_t> effect = support::SprBytes(support::EffectSprFile());
        const int m = SPR_FindFreeSet();
        if (m < 0 || !SPR_LoadBytes(m, "mem/fuzz.spr", mech.data(), mech.size(), 0)) return -1;
        EFT_SET = SPR_FindFreeSet();
        if (EFT_SET < 0 || !SPR_LoadBytes(EFT_SET, "mem/effect.spr", effect.data(), effect.size(), 0)) return -1;
        return m;
    }();
    return set;
}

void Stage() {
    support::MapSpec spec(40, 30);
    spec.chips.assign(40 * 30, 1);
    spec.attr.assign(40 * 30, 0);
    spec.extra.assign(40 * 30, 0);
    for (int c = 0; c < 40; ++c) spec.attr[size_t(c)] = spec.attr[size_t(29 * 40 + c)] = 1;  // walls top and bottom
    for (int i = 0; i < 40 * 30; ++i) spec.extra[size_t(i)] = uint8_t(i % 3);
    const std::vector<uint8_t> f = support::MakeMap(spec);
    MAP_LoadFileData(f.data(), f.size());
    MAP_SetView(0, 0, MAP_VIEW_W, MAP_VIEW_H);
    SCR_SetScrRect(nullptr);
}

// A character built the way creation builds one, on the shared set (no file is read).
LIST_NODE* Fighter(int slot, int team, int mech, int32_t x) {
    LIST_NODE* n = LIST_Alloc(LIST_KIND_CHR);
    const int id = SP_FindFree();
    if (!n || id < 0 || !SP_CreateAnim(id, MAP_WORLD_PRIORITY, x, 240, MechSet(), 0)) std::abort();
    n->team = int8_t(team), n->slot = int8_t(slot), n->priority = CHR_PRIORITY, n->sub_steps = 1, n->sub_step_size = 4;
    n->sprite = int16_t(id);
    SP_SetOwner(id, n->index);
    CHR_DATA* c = n->chr;
    c->control = CHR_CPU, c->mech = int8_t(mech), c->sprite_bank = -1;  // the set is shared: deletion leaves it
    c->heat_max = CHR_HEAT_MAX, c->flash_kind = -1, c->queued = -1;
    for (int16_t& u : c->use_list) u = CHR_NO_TECHNIQUE;
    c->units = CHR_UNITS, c->levels = 1, c->attack = 40, c->beam = 40, c->heat_pct0 = c->heat_pct1 = 100;
    c->walk_speed = 6, c->dash_speed = 18, c->long_dash_speed = 24, c->long_dash_len = 8, c->armour_max = 500;
    c->armour = 500;
    LIST_SetPos(n, x, 240, 0);
    CHR_TABLE[slot] = n;
    return n;
}

void RunTechnique(int t) {
    BTL_ResetGlobals();
    BTL_SetState(BTL_STATE_FIGHT);
    LIST_NODE* a = Fighter(1, 1, kMech, 300);
    LIST_NODE* target = Fighter(2, 0, kTargetMech, 340);
    a->target = target->index;
    LIST_SetCurrent(a);
    LIST_CURRENT.chr = a->chr;
    CHR_WazaStart(a, t);
    for (int f = 0; f < kFrames; ++f) {
        BTL_FrameUpdate();
        HIT_FlashUpdate();
        if (LIST_STATE_DATA.listCnt > LIST_MAX) std::abort();
    }
    BTL_DeleteAllObjects();
    for (LIST_NODE*& n : CHR_TABLE) n = nullptr;
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

    static const bool staged = (Stage(), true);
    if (staged && MechSet() >= 0 && m.waza_count > 0) {
        plat::Srand(1);
        for (int t = 0; t < m.waza_count && t < kMaxTechniques; ++t) RunTechnique(t);
    }
    WAZA_Parse(kMech, nullptr, 0);  // frees the records: nothing carries into the next input
    headless::ClearDebugOutput();
    return 0;
}
