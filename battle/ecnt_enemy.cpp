// Enemy control: sprite banks, spawn points, the spawn queue with its clock, and the block's
// stored form.
#include "battle/ecnt_enemy.h"

#include <string>

#include "battle/bsc_command.h"
#include "battle/chr_char.h"
#include "battle/hud_panel.h"
#include "battle/list_pool.h"
#include "battle/map_data.h"
#include "battle/mech_stem.h"
#include "platform/bytes.h"
#include "platform/random.h"
#include "services/fil_util.h"
#include "shell/sysdat.h"
#include "sprite/sp_draw.h"
#include "sprite/spr_set.h"

EcntData ECNT_DATA{};

namespace {
bool ValidMech(int mech) { return mech >= 0 && mech < MECH_TYPES; }
bool Used(const EcntSpawn& s) { return s.level != -1; }

// A free animation set with the mech's ".spr", or -1.
int LoadBank(int mech) {
    const int set = MECH_Stem(mech)[0] ? SPR_FindFreeSet() : -1;
    if (set < 0) return -1;
    if (!SPR_Load(set, std::string(FIL_MakePath("Bmp\\Meka\\%s.spr", MECH_Stem(mech))).c_str(), 0)) {
        SPR_FreeSet(set);
        return -1;
    }
    return set;
}

void FreeBanks() {
    for (int32_t& b : ECNT_DATA.bank) {
        if (b >= 0) SPR_FreeSet(b);
        b = -1;
    }
}

int32_t Get(const uint8_t* in, int off) { return int32_t(plat::Get32(in + off)); }
void Put(uint8_t* out, int off, int32_t v) {
    for (int i = 0; i < 4; ++i) out[off + i] = uint8_t(uint32_t(v) >> (8 * i));
}
}  // namespace

void ECNT_Reset() {
    EcntData& e = ECNT_DATA;
    e = EcntData{};
    for (int32_t& b : e.bank) b = -1;
    for (auto& p : e.point) p[0] = p[1] = ECNT_FREE_POINT;
    for (EcntSpawn& s : e.spawn) s.level = -1;
}

void ECNT_Release() {
    FreeBanks();
    ECNT_Reset();
}

void ECNT_ResetClock() { ECNT_DATA.clock = 0; }

int ECNT_SetObj(int mech) {
    if (!ValidMech(mech)) return 0;
    for (int i = 0; i < ECNT_BANKS; ++i) {
        if (ECNT_DATA.bank[i] >= 0) continue;
        const int set = LoadBank(mech);
        if (set < 0) return 0;
        ECNT_DATA.bank[i] = set;
        ECNT_DATA.bank_mech[i] = mech;
        return 1;
    }
    return 0;
}

int ECNT_DelObj(int mech) {
    for (int i = 0; i < ECNT_BANKS; ++i) {
        if (ECNT_DATA.bank[i] < 0 || ECNT_DATA.bank_mech[i] != mech) continue;
        SPR_FreeSet(ECNT_DATA.bank[i]);
        ECNT_DATA.bank[i] = -1;
    }
    return 1;
}

int ECNT_SetPoint(int32_t x, int32_t y) {
    for (auto& p : ECNT_DATA.point) {
        if (p[0] != ECNT_FREE_POINT) continue;
        p[0] = x, p[1] = y;
        return 1;
    }
    return 0;
}

int ECNT_SetEnm(int32_t frame, int32_t max_others, int mech, int level, int level_override) {
    if (!ValidMech(mech)) return 0;
    for (EcntSpawn& s : ECNT_DATA.spawn) {
        if (Used(s)) continue;
        s = {frame, max_others, mech, level < 0 ? int32_t(int8_t(SYS_DATA.difficulty)) : level, level_override};
        ++ECNT_DATA.queued;
        return 1;
    }
    return 0;
}

int ECNT_PickPoint() {
    int order[ECNT_POINTS];
    for (int i = 0; i < ECNT_POINTS; ++i) {
        bool again = true;
        while (again) {
            order[i] = plat::Rand() & 15;
            again = false;
            for (int j = 0; j < i; ++j) again = again || order[j] == order[i];
        }
    }
    const MapData& m = *MAP_Current();
    const int32_t left = m.scroll_x - 1, top = m.scroll_y - 1;
    const int32_t right = m.scroll_x + m.view_w + 1, bottom = m.scroll_y + m.view_h + 1;
    // With every set point in view the first of them serves: a stage no larger than the view has
    // no point outside it, and holding the spawn would hold the battle for ever.
    int first = -1;
    for (int i : order) {
        const int32_t x = ECNT_DATA.point[i][0], y = ECNT_DATA.point[i][1];
        if (x < 0) continue;
        if (x < left || x > right || y < top || y > bottom) return i;
        if (first < 0) first = i;
    }
    return first;
}

int ECNT_SpawnEnm(int entry) {
    if (entry < 0 || entry >= ECNT_QUEUE) return 0;
    int slot = 1;
    while (slot < CHR_SLOTS && CHR_TABLE[slot]) ++slot;
    if (slot >= CHR_SLOTS) return 0;
    const int p = ECNT_PickPoint();
    if (p < 0) return 0;  // no point set yet: tried again next frame
    EcntSpawn& s = ECNT_DATA.spawn[entry];
    const int32_t x = mBSC_Coord(ECNT_DATA.point[p][0]), y = mBSC_Coord(ECNT_DATA.point[p][1]);
    if (CHR_Create(slot, 1, CHR_CPU, s.mech, x, y, s.level, s.override_levels) == 1) {
        LIST_NODE* n = CHR_TABLE[slot];
        HUD_PanelCreate(slot, s.mech);
        n->dir = 2;
        if (SP_ANIM* a = SP_Anim(n->sprite)) a->pattern_offset = 2;
        CHR_SetTarget(n, 0, 0);
    }
    s.level = -1;
    --ECNT_DATA.queued;
    return 1;
}

int ECNT_Update() {
    const LIST_NODE* player = CHR_TABLE[0];
    if (!player || player->chr->levels < 0 || ECNT_DATA.queued <= 0) return 1;
    int count = 0;
    for (int s = 1; s < CHR_SLOTS; ++s) count += CHR_TABLE[s] != nullptr;
    for (int i = 0; i < ECNT_QUEUE; ++i) {
        const EcntSpawn& s = ECNT_DATA.spawn[i];
        if (!Used(s) || count >= s.max_others || ECNT_DATA.clock < s.frame) continue;
        if (!ECNT_SpawnEnm(i)) return 0;
        ++count;
    }
    if (ECNT_DATA.clock < INT32_MAX) ++ECNT_DATA.clock;  // a loaded clock may stand at the top
    return 1;
}

int ECNT_SkipToNext() {
    const LIST_NODE* player = CHR_TABLE[0];
    if (!player || player->chr->levels < 0 || ECNT_DATA.queued <= 0) return 0;
    for (int s = 1; s < CHR_SLOTS; ++s) {
        const LIST_NODE* n = CHR_TABLE[s];
        if (n && n->team == 1 && n->chr->levels >= 0) return 0;
    }
    int32_t next = 999999;
    for (const EcntSpawn& s : ECNT_DATA.spawn)
        if (Used(s) && s.frame < next) next = s.frame;
    ECNT_DATA.clock = next;
    return 1;
}

void ECNT_Save(uint8_t* out) {
    const EcntData& e = ECNT_DATA;
    for (int i = 0; i < ECNT_BANKS; ++i) {
        Put(out, 4 * i, e.bank[i]);
        Put(out, ECNT_OFF_BANK_MECH + 4 * i, e.bank_mech[i]);
    }
    for (int i = 0; i < ECNT_POINTS; ++i) {
        Put(out, ECNT_OFF_POINTS + 8 * i, e.point[i][0]);
        Put(out, ECNT_OFF_POINTS + 8 * i + 4, e.point[i][1]);
    }
    for (int i = 0; i < ECNT_QUEUE; ++i) {
        const EcntSpawn& s = e.spawn[i];
        const int o = ECNT_OFF_QUEUE + ECNT_SPAWN_SIZE * i;
        Put(out, o, s.frame);
        Put(out, o + 4, s.max_others);
        Put(out, o + 8, s.mech);
        Put(out, o + 12, s.level);
        Put(out, o + 16, s.override_levels);
    }
    Put(out, ECNT_OFF_COUNT, e.queued);
    Put(out, ECNT_OFF_CLOCK, e.clock);
}

void ECNT_Load(const uint8_t* in) {
    FreeBanks();  // the live banks go first: a load must not strand them
    ECNT_Reset();
    bool zero = true;
    for (int i = 0; i < ECNT_SIZE && zero; ++i) zero = in[i] == 0;
    if (zero) return;  // a block saved between battles: the reset block
    EcntData& e = ECNT_DATA;
    for (int i = 0; i < ECNT_POINTS; ++i) {
        e.point[i][0] = Get(in, ECNT_OFF_POINTS + 8 * i);
        e.point[i][1] = Get(in, ECNT_OFF_POINTS + 8 * i + 4);
    }
    e.queued = 0;
    for (int i = 0; i < ECNT_QUEUE; ++i) {
        const int o = ECNT_OFF_QUEUE + ECNT_SPAWN_SIZE * i;
        const EcntSpawn s{Get(in, o), Get(in, o + 4), Get(in, o + 8), Get(in, o + 12), Get(in, o + 16)};
        if (s.level < 0 || !ValidMech(s.mech)) continue;  // free, or a mech type no file names
        e.spawn[i] = s;
        ++e.queued;
    }
    e.clock = Get(in, ECNT_OFF_CLOCK);
    for (int i = 0; i < ECNT_BANKS; ++i) {
        const int32_t mech = Get(in, ECNT_OFF_BANK_MECH + 4 * i);
        e.bank_mech[i] = mech;
        if (Get(in, 4 * i) >= 0 && ValidMech(mech)) e.bank[i] = LoadBank(mech);
    }
}
