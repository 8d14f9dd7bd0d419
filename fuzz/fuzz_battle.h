// What the battle harnesses share: the headless display, the pool and the sprite sets of a mech and
// of the effects made once for the process, a walled stage, characters built on the shared set
// without reading a file, the frames of a fight, and a data directory of battle files.
#pragma once
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "battle/btl_frame.h"
#include "battle/chr_char.h"
#include "battle/eft_effect.h"
#include "battle/hit_resolve.h"
#include "battle/list_pool.h"
#include "battle/map_data.h"
#include "battle/waza_exec.h"
#include "fuzz/fuzz_files.h"
#include "platform/backend.h"
#include "services/fil_util.h"
#include "shell/sysdat.h"
#include "sprite/sp_draw.h"
#include "sprite/spr_set.h"
#include "tests/support/battle_rig.h"
#include "tests/support/cpu_writer.h"
#include "tests/support/effect_fixture.h"
#include "tests/support/fixture.h"
#include "tests/support/map_writer.h"
#include "tests/support/mech_fixture.h"
#include "tests/support/spr_writer.h"

namespace fuzz {
// A ".spr" image whose block holds every byte as a literal: the same set, without the packer's
// search, which under the sanitizers would take seconds of every run.
inline std::vector<uint8_t> StoredSpr(const std::vector<uint8_t>& stream) {
    std::vector<uint8_t> out{'S', 'P', 'R'};
    const uint32_t n = uint32_t(stream.size());
    auto put32 = [&out](uint32_t v) {
        for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (8 * i)));
    };
    put32(n);
    put32(n);
    out.insert(out.end(), (n + 7) / 8, 0);
    put32(n);
    out.insert(out.end(), stream.begin(), stream.end());
    return out;
}

// The mech's set, or -1 when the display or a set could not be made.
inline int MechSet() {
    static support::HeadlessDisplay* display = new support::HeadlessDisplay({16, true}, 640, 480);
    static const int set = [] {
        if (!display->ok) return -1;
        plat::detail::SetLogging(false);  // every blit and sound would add to the call log
        SP_Init();
        LIST_Init();
        const std::vector<uint8_t> mech = StoredSpr(support::SprStream(support::MechSprFile("fuzz", 0)));
        const std::vector<uint8_t> effect = StoredSpr(support::SprStream(support::EffectSprFile()));
        const int m = SPR_FindFreeSet();
        if (m < 0 || !SPR_LoadBytes(m, "mem/fuzz.spr", mech.data(), mech.size(), 0)) return -1;
        EFT_SET = SPR_FindFreeSet();
        if (EFT_SET < 0 || !SPR_LoadBytes(EFT_SET, "mem/effect.spr", effect.data(), effect.size(), 0)) return -1;
        return m;
    }();
    return set;
}

// A 40 x 30 stage walled at the top and bottom, its ground kinds 0, 1 and 2 in turn.
inline void Stage() {
    support::MapSpec spec = support::FlatMapSpec(40, 30);
    for (int c = 0; c < 40; ++c) spec.attr[size_t(c)] = spec.attr[size_t(29 * 40 + c)] = 1;
    for (int i = 0; i < 40 * 30; ++i) spec.extra[size_t(i)] = uint8_t(i % 3);
    support::LoadStage(spec);
}

// A character built the way creation builds one, on the shared set (no file is read), its stats
// left to the caller.
inline LIST_NODE* Body(int slot, int team, int control, int mech, int32_t x, int32_t y) {
    LIST_NODE* n = LIST_Alloc(LIST_KIND_CHR);
    const int id = SP_FindFree();
    if (!n || id < 0 || !SP_CreateAnim(id, MAP_WORLD_PRIORITY, x, y, MechSet(), 0)) std::abort();
    n->team = int8_t(team), n->slot = int8_t(slot), n->priority = CHR_PRIORITY, n->sub_steps = 1, n->sub_step_size = 4;
    n->sprite = int16_t(id);
    SP_SetOwner(id, n->index);
    CHR_DATA* c = n->chr;
    c->control = int8_t(control), c->mech = int8_t(mech), c->sprite_bank = -1;  // the set is shared: deletion leaves it
    c->heat_max = CHR_HEAT_MAX, c->flash_kind = -1, c->queued = -1;
    for (int16_t& u : c->use_list) u = CHR_NO_TECHNIQUE;
    LIST_SetPos(n, x, y, 0);
    CHR_TABLE[slot] = n;
    return n;
}

// A CPU character on the ground line with fixed stats.
inline LIST_NODE* Fighter(int slot, int team, int mech, int32_t x) {
    LIST_NODE* n = Body(slot, team, CHR_CPU, mech, x, 240);
    CHR_DATA* c = n->chr;
    c->units = CHR_UNITS, c->levels = 1, c->attack = 40, c->beam = 40, c->heat_pct0 = c->heat_pct1 = 100;
    c->walk_speed = 6, c->dash_speed = 18, c->long_dash_speed = 24, c->long_dash_len = 8, c->armour_max = 500;
    c->armour = 500;
    return n;
}

// The attacker gone, or its technique over with no shot or fire order left in the pool (effects
// may stay: dust stays until the pool is cleared).
inline bool Settled(const LIST_NODE* a) {
    if (!a->in_use) return true;
    if (a->chr->waza_active || a->chr->phase != 0) return false;
    for (const LIST_NODE* n = LIST_Node(LIST_STATE_DATA.head); n; n = LIST_Node(n->next))
        if (n->kind == LIST_KIND_TAMA || n->kind == LIST_KIND_WP2) return false;
    return true;
}

// The attacker starts technique t at the target and the battle runs `frames` frames, or until `go_on`
// (asked before each frame) says no; then every object is deleted.
template <typename GoOn = bool (*)()>
inline void Fight(LIST_NODE* a, LIST_NODE* target, int t, int frames, GoOn go_on = [] { return true; }) {
    a->target = target->index;
    LIST_SetCurrent(a);
    LIST_CURRENT.chr = a->chr;
    CHR_WazaStart(a, t);
    for (int f = 0; f < frames && go_on(); ++f) {
        BTL_FrameUpdate();
        HIT_FlashUpdate();
        if (LIST_STATE_DATA.listCnt > LIST_MAX) std::abort();
    }
    BTL_DeleteAllObjects();
    for (LIST_NODE*& n : CHR_TABLE) n = nullptr;
}

// The data directory on the memory file system with the files of two mechs ("player", and
// "zako01" with a behaviour), the effects and a stage, as the base directory from the first call
// on, with the battle module started; the current directory stays, for the fuzzer's own paths.
inline bool BattleDataDir() {
    static const bool ok = [] {
        static support::HeadlessDisplay* display = new support::HeadlessDisplay({16, true}, 640, 480);
        const std::string here = plat::GetCurrentDirectory();
        if (!display->ok || ::chdir(MemoryDir().c_str()) != 0) return false;
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
}  // namespace fuzz
