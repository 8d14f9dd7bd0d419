// Battle characters: creation and deletion with their references, reset, stats, heat, facing,
// directions, targets and the end of actions and techniques.
#include "battle/chr_char.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "battle/btl_common.h"
#include "battle/btl_sound.h"
#include "battle/camp_data.h"
#include "battle/cpu_think.h"
#include "battle/hud_panel.h"
#include "battle/list_pool.h"
#include "battle/map_data.h"
#include "battle/waza_file.h"
#include "services/fil_util.h"
#include "services/mth_math.h"
#include "sprite/sp_draw.h"
#include "sprite/spr_set.h"

LIST_NODE* CHR_TABLE[CHR_SLOTS]{};
uint8_t CHR_DESTROYED[CHR_SLOTS]{};

namespace {
bool ValidSlot(int slot) { return slot >= 0 && slot < CHR_SLOTS; }

void ClearUses(CHR_DATA* c) {
    c->use_count = 0;
    std::fill(std::begin(c->use_list), std::end(c->use_list), CHR_NO_TECHNIQUE);
}

// The record's starting values apart from the stats: no technique, flash or queue.
void FreshRecord(CHR_DATA* c) {
    c->heat_max = CHR_HEAT_MAX;
    c->heat = 0;
    c->flash_req = 0;
    c->flash_kind = -1;
    c->flash_timer = 0;
    c->reduction = 0;
    c->queued = -1;
    c->combo_hits = 0;
    c->combo_damage = 0;
    ClearUses(c);
}
}  // namespace

LIST_NODE* CHR_Get(int slot) { return ValidSlot(slot) ? CHR_TABLE[slot] : nullptr; }

void CHR_InitStats(LIST_NODE* node, int level_override) {
    CHR_DATA* c = node->chr;
    if (c->control == CHR_PLAYER) {
        const int16_t* v = CAMP_DATA.base;
        c->levels_start = level_override >= 0 ? int16_t(level_override) : v[CAMP_LEVELS];
        c->armour_max = v[CAMP_ARMOUR];
        c->walk_speed = v[CAMP_WALK];
        c->dash_speed = v[CAMP_DASH];
        c->long_dash_speed = v[CAMP_LONG_DASH];
        c->long_dash_len = v[CAMP_LONG_DASH_LEN];
        c->attack = 40;
        c->stat2 = 0;
        c->heat_pct0 = v[CAMP_HEAT0];
        c->beam = 40;
        c->stat5 = 0;
        c->heat_pct1 = v[CAMP_HEAT1];
        c->defence = 0;
    } else {
        // A mech without behaviour data reads every stat as 0.
        const CPU_DATA* d = c->mech >= 0 && c->mech < MECH_TYPES ? MECH_TABLE[c->mech].cpu : nullptr;
        const int lv = c->cpu_level;
        auto s = [&](int i) { return int32_t(CPU_Stat(d, i)); };
        auto up = [&](int base, int inc, int cap) { return int16_t(std::min(s(base) + s(inc) * lv, cap)); };
        auto down = [&](int base, int dec) { return int16_t(std::max(s(base) - s(dec) * lv, 0)); };
        c->levels_start = level_override >= 0 ? int16_t(level_override) : up(0, 14, 7);
        c->armour_max = int16_t(up(1, 15, 20) * 100);
        c->walk_speed = int16_t(s(2));
        c->dash_speed = int16_t(s(3));
        c->long_dash_speed = int16_t(s(4));
        c->long_dash_len = int16_t(s(5));
        c->attack = up(6, 16, 20);
        c->stat2 = up(7, 17, 20);
        c->heat_pct0 = down(8, 18);
        c->beam = up(9, 19, 20);
        c->stat5 = up(10, 20, 20);
        c->heat_pct1 = down(11, 21);
        c->defence = int16_t(s(13) + s(23) * lv);
        if (ValidSlot(node->slot)) {
            CPU_WORK_TABLE[node->slot].data = c->mech;
            CPU_WORK_TABLE[node->slot].level = int8_t(c->cpu_level);
        }
        CPU_Reset(node);
        CPU_EndAction(node);
    }
    c->units = CHR_UNITS;
    c->levels = c->levels_start;
    c->armour = c->armour_max;
    c->preview_counter = 0;
}

int CHR_Create(int slot, int team, int control, int mech, int32_t x, int32_t y, int cpu_level, int level_override) {
    if (!ValidSlot(slot) || mech < 0 || mech >= MECH_TYPES) return -1;
    if (CHR_TABLE[slot]) CHR_Delete(slot);
    LIST_NODE* n = LIST_Alloc(LIST_KIND_CHR);
    if (!n) return -1;
    n->team = int8_t(team);
    n->slot = int8_t(slot);
    n->target = -1;
    n->sub_steps = 1;
    n->sub_step_size = 4;
    n->draw_parts[0] = 1;
    n->ground_flag = 1;  // the body at ground level gets depth overlays too
    n->priority = CHR_PRIORITY;
    n->dir = 0;
    n->knock_kind = 0;
    n->vspeed = 0;
    n->down = 0;
    CHR_DATA* c = n->chr;
    c->control = int8_t(control);
    c->cpu_level = uint8_t(cpu_level);
    c->mech = int8_t(mech);
    c->sprite_bank = -1;
    FreshRecord(c);
    const bool cpu = control == CHR_CPU;
    if (cpu) CPU_Load(mech);
    CHR_InitStats(n, level_override);

    // Everything taken from here on is given back when a later step fails.
    const std::string path = FIL_MakePath("Bmp\\Meka\\%s.spr", MECH_Stem(mech));
    const int set = MECH_Stem(mech)[0] ? SPR_FindFreeSet() : -1;
    const bool loaded = set >= 0 && SPR_Load(set, path.c_str(), 0);
    const int id = loaded ? SP_FindFree() : -1;
    if (id < 0 || !SP_CreateAnim(id, MAP_WORLD_PRIORITY, x, y, set, 0)) {
        if (loaded) SPR_FreeSet(set);
        if (cpu) CPU_Free(mech);
        LIST_Free(n->index);
        return -1;
    }
    c->sprite_bank = set;
    n->sprite = int16_t(id);
    n->anim = CHR_ANIM_STAND;
    SP_PlaySeq(id, CHR_ANIM_STAND, 0, 1);
    SP_SetOwner(id, n->index);

    WAZA_Load(mech);
    LIST_SetPos(n, x, y, 0);
    c->state = 0;
    CHR_TABLE[slot] = n;
    return 1;
}

int32_t CHR_Delete(int slot) {
    LIST_NODE* n = CHR_Get(slot);
    if (!n) return -999;
    const CHR_DATA c = *n->chr;
    CHR_TABLE[slot] = nullptr;
    const int32_t next = LIST_Free(n->index);  // its display object goes first, then the set it shows
    if (c.sprite_bank >= 0) SPR_FreeSet(c.sprite_bank);
    WAZA_Free(c.mech);
    if (c.control == CHR_CPU) CPU_Free(c.mech);
    return next;
}

int CHR_Reset(int slot, int32_t x, int32_t y, int refill) {
    LIST_NODE* n = CHR_Get(slot);
    if (!n) return 0;
    n->fire_order = LIST_NO_FIRE_ORDER;
    n->draw_parts[0] = 1;
    n->sub_steps = 1;
    n->sub_step_size = 0;
    n->knock_kind = 0;
    n->vspeed = 0;
    n->down = 0;
    CHR_DATA* c = n->chr;
    const CHR_DATA kept = *c;
    std::memset(c, 0, sizeof *c);
    c->mech = kept.mech;
    c->control = kept.control;
    c->cpu_level = kept.cpu_level;
    c->sprite_bank = kept.sprite_bank;
    FreshRecord(c);
    CHR_InitStats(n, -1);
    if (!refill) {
        c->units = kept.units;
        c->levels = kept.levels;
        c->levels_start = kept.levels_start;
    }
    n->anim = CHR_ANIM_STAND;
    SP_PlaySeq(n->sprite, CHR_ANIM_STAND, 1, 1);
    LIST_SetPos(n, x == -999 ? n->x : x, y == -999 ? n->y : y, 0);
    c->state = 0;
    c->phase = 0;
    return 1;
}

void CHR_ShowAll(int flag) {
    for (LIST_NODE* n : CHR_TABLE) {
        SP_ANIM* a = n ? SP_Anim(n->sprite) : nullptr;
        if (!a) continue;
        a->visible = uint8_t(flag);
        a->running = uint8_t(flag);
    }
}

int CHR_SetState(LIST_NODE* node, int state) {
    CHR_DATA* c = node->chr;
    if (c->state >= 2 && c->state <= 5) BTL_SeStop(14);  // the dash loop
    c->state = int16_t(state);
    c->state_step = c->state_counter = c->state_aux = 0;
    c->air_time = 0;
    return 1;
}

int CHR_SetWazaPhase(LIST_NODE* node, int phase) {
    CHR_DATA* c = node->chr;
    c->phase = int16_t(phase);
    c->phase_step = c->phase_spare[0] = c->phase_spare[1] = 0;
    c->air_time = 0;
    return 1;
}

void CHR_ClearUseList(LIST_NODE* node) {
    if (node && node->chr) ClearUses(node->chr);
}

int CHR_AddHeat(LIST_NODE* node, int delta) {
    CHR_DATA* c = node->chr;
    if (c->waza_active && delta < 0) return -1;
    const int before = c->heat;
    const int heat = before + delta;
    if (heat <= 0) {
        // The list of the character whose heat ran out (not whichever one is current).
        if (before > 0) {
            c->reduction = 0;
            ClearUses(c);
        }
        c->heat = 0;
        return 1;
    }
    if (heat >= CHR_HEAT_MAX) {
        c->heat = CHR_HEAT_MAX;
        return 2;
    }
    c->heat = int16_t(heat);
    return 0;
}

int CHR_SetAnim(LIST_NODE* node, int anim, int dash_anim, int facing, int restart, int loop) {
    if (!node || !node->chr) return 0;
    const CHR_DATA* c = node->chr;
    const int32_t old_anim = node->anim;
    const int8_t old_dir = node->dir;
    node->anim = c->state == 2 && dash_anim >= 0 ? dash_anim : anim;
    if (facing == 2) {
        node->dir = int8_t(MTH_GetDirIndex(45, node->x, node->y, node->x + c->aim[0], node->y + c->aim[1]));
    } else if (facing == 4 && LIST_CURRENT.target) {
        const LIST_NODE* t = LIST_Node(node->target);
        if (t && t->in_use) node->dir = int8_t(MTH_GetDirIndex(45, node->x, node->y, t->x, t->y));
        else node->dir = int8_t(MTH_GetDirIndex(45, node->x, node->y, node->x + node->vx, node->y + node->vy));
    }
    SP_ANIM* a = SP_Anim(node->sprite);
    if (!a) return 1;
    a->pattern_offset = uint8_t(node->dir);
    if (node->anim == old_anim && node->dir == old_dir && a->running) return 1;
    SP_PlaySeq(node->sprite, node->anim, loop, restart);
    return 1;
}

int CHR_SetTarget(LIST_NODE* node, int mode, int slot) {
    auto enemy = [&](int s) -> LIST_NODE* {
        LIST_NODE* t = CHR_TABLE[s];
        return t && t->team != node->team ? t : nullptr;
    };
    switch (mode) {
        case 0: {
            const LIST_NODE* t = CHR_Get(slot);
            node->target = t ? t->index : -1;
            break;
        }
        case 1: {
            node->target = -1;
            for (int s = 0; s < CHR_SLOTS; ++s)
                if (LIST_NODE* t = enemy(s)) {
                    node->target = t->index;
                    break;
                }
            break;
        }
        case 2: {
            int order[CHR_SLOTS];
            bool taken[CHR_SLOTS] = {};
            for (int& o : order) {
                do o = BTL_RandMod(CHR_SLOTS);
                while (taken[o]);
                taken[o] = true;
            }
            node->target = -1;
            for (int s : order)
                if (LIST_NODE* t = enemy(s); t && t->chr->levels >= 0) {
                    node->target = t->index;
                    break;
                }
            break;
        }
        case 3: {
            node->target = -1;
            int32_t best = 0;
            for (int s = 0; s < CHR_SLOTS; ++s) {
                const LIST_NODE* t = enemy(s);
                if (!t) continue;
                const int32_t d = MTH_Dist2(node->x, node->y, t->x, t->y);
                if (node->target < 0 || d < best) node->target = t->index, best = d;
            }
            break;
        }
        default: break;
    }
    return -1;
}

int CHR_KeyToDir(int mask) {
    // Bits 1 up, 2 down, 4 left, 8 right; mixtures other than the four diagonals give none.
    static constexpr int8_t kDir[16] = {-1, 4, 0, -1, 2, 3, 1, -1, 6, 5, 7, -1, -1, -1, -1, -1};
    return kDir[mask & 15];
}

void CHR_SetDirVelocity(LIST_NODE* node, int dir, int32_t speed) {
    static constexpr int8_t kVec[8][2] = {{0, 1}, {-1, 1}, {-1, 0}, {-1, -1}, {0, -1}, {1, -1}, {1, 0}, {1, 1}};
    if (dir < 0 || dir > 7) return;
    node->chr->pad_vec[0] = kVec[dir][0] * speed;
    node->chr->pad_vec[1] = kVec[dir][1] * speed;
}

void CHR_ClearCombo(LIST_NODE* node) {
    CHR_DATA* c = node->chr;
    c->combo_hits = 0;
    c->combo_window = 0;
    c->combo_damage = 0;
}

void CHR_EndWaza(LIST_NODE* node) {
    CHR_DATA* c = node->chr;
    CHR_ClearCombo(node);
    c->waza_active = 0;
    HUD_PanelSetTechRow(node->slot, 1);
    if (c->control == CHR_PLAYER) {
        std::memset(c->combo_cells, 0, sizeof c->combo_cells);
        HUD_ComboChartReset();
    } else {
        CPU_Reset(node);
    }
}

void CHR_EndAction(LIST_NODE* node) {
    CHR_DATA* c = node->chr;
    node->vspeed = 0;
    c->cancel_ok = 1;
    c->phase = 0;
    const LIST_NODE* t = LIST_Node(node->target);
    if (!(t && t->in_use && t->kind == LIST_KIND_CHR && t->chr->state >= 6)) c->combo_window = 10;
}
