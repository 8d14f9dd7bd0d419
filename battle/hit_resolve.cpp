// Hit resolution: the touch test of characters and bullets, damage and durability, reactions,
// flash, sparks and fragments, quake and slow motion; position, speed and heat helpers.
#include "battle/hit_resolve.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "battle/bsc_command.h"
#include "battle/btl_common.h"
#include "battle/btl_frame.h"
#include "battle/btl_sound.h"
#include "battle/camp_data.h"
#include "battle/chr_char.h"
#include "battle/chr_state.h"
#include "battle/eft_effect.h"
#include "battle/hud_panel.h"
#include "battle/list_pool.h"
#include "battle/map_data.h"
#include "battle/svv_flow.h"
#include "battle/tama_obj.h"
#include "battle/waza_exec.h"
#include "platform/random.h"
#include "services/mth_math.h"
#include "sprite/sp_draw.h"

int32_t HIT_LastDestroyed = -1;

namespace {
uint32_t g_mask = 0;
constexpr int kAttackBoxes[6] = {2, 11, 4, 12, 1, 10};
constexpr int kNoLimit = 255;

// What an attacking node hits with: its hit record, hit limits and rate, and (a character) the
// keyframe's attacking boxes.
struct Attack {
    HIT_REC hit{nullptr};
    int chr_limit = 0, tama_limit = 0, rate = 0;
    uint16_t boxes = 0;
};

// The character's current keyframe, or null outside a technique record.
const uint8_t* CurrentKey(const CHR_DATA* c) {
    const WAZA_DATA* w = WAZA_Get(c->mech, c->waza);
    if (!w || c->act_index >= WAZA_ACTS || c->key_index >= WAZA_KEYS) return nullptr;
    return WAZA_View(w).act(c->act_index).key(c->key_index).p;
}

bool AttackOf(const LIST_NODE* a, Attack* out) {
    if (a->kind == LIST_KIND_CHR && a->chr) {
        const CHR_DATA* c = a->chr;
        const uint8_t* key = CurrentKey(c);
        if (!key) return false;
        const WAZA_ACT act = WAZA_View(WAZA_Get(c->mech, c->waza)).act(c->act_index);
        *out = {act.hit(), act.chr_hits(), act.tama_hits(), act.hit_rate(), WAZA_KEY{key}.hit()};
        return true;
    }
    if (a->kind == LIST_KIND_TAMA && a->tama) {
        const uint8_t* ph = TAMA_PhaseBytes(a->tama);
        if (!ph) return false;
        *out = {HIT_REC{ph + TAMA_PHASE_HIT}, ph[TAMA_PHASE_CHR_HITS], ph[TAMA_PHASE_TAMA_HITS],
                int8_t(ph[TAMA_PHASE_HIT_RATE]), 0};
        return true;
    }
    return false;
}

bool RectsTouch(const LIST_NODE* a, const RECT& box, const LIST_NODE* t) {
    const RECT& f = t->frame_rect;
    return t->x + f.left <= a->x + box.right && t->x + f.right >= a->x + box.left && t->y + f.top <= a->y + box.bottom &&
           t->y + f.bottom >= a->y + box.top;
}

bool HasArea(const RECT& r) { return r.right != r.left && r.bottom != r.top; }

bool Eligible(const LIST_NODE* a, const Attack& at, const LIST_NODE* t, uint32_t skip) {
    const bool chr_attacker = a->kind == LIST_KIND_CHR;
    if (t->kind == LIST_KIND_CHR) {
        const CHR_DATA* tc = t->chr;
        if (!tc || (t->slot >= 0 && t->slot < 32 && ((skip >> t->slot) & 1))) return false;
        if (tc->state == 0 && tc->state_step == 99) return false;
        if (at.chr_limit == kNoLimit) return true;
        return chr_attacker ? a->chr->chr_hits_left >= 1 : a->tama->hits1 > 0;
    }
    if (!t->tama) return false;
    if (chr_attacker) return at.tama_limit == kNoLimit || a->chr->tama_hits_left >= 1;
    const uint8_t* tph = TAMA_PhaseBytes(t->tama);
    const bool t_room = (tph && tph[TAMA_PHASE_TAMA_HITS] == kNoLimit) || t->tama->hits2 >= 1 || t->tama->hit_frame;
    return t_room && (at.tama_limit == kNoLimit || a->tama->hits2 >= 1);
}

bool Touches(const LIST_NODE* a, const Attack& at, const LIST_NODE* t) {
    const CHR_DATA* tc = t->kind == LIST_KIND_CHR ? t->chr : nullptr;
    const int32_t h = t->height, r = t->height_range;
    if (a->kind == LIST_KIND_CHR) {
        int start = 0;
        if (tc && tc->state == 8) start = tc->state_counter < 10 ? 4 : 6;
        const int32_t H = a->height, R = a->height_range;
        for (int e = start; e < 6; ++e) {
            const int box = kAttackBoxes[e];
            RECT b;
            if (!((at.boxes >> box) & 1) || !SP_GetHitBox(a->sprite, box, &b) || !HasArea(b)) continue;
            int32_t lo, hi;
            if (box == 2 || box == 11) {
                const int32_t m = H + R / 2;
                lo = m - 8, hi = m + 8;
            } else if (box == 4 || box == 12) {
                lo = H + R - 12, hi = H + R + 12;
            } else {
                lo = H - 8, hi = H + 8;
            }
            if (h <= hi && h + r >= lo && RectsTouch(a, b, t)) return true;
        }
        return false;
    }
    int32_t o = t->height_offset;
    if (tc && tc->state == 8) {
        if (tc->state_counter >= 10) return false;
        o = 16;
    }
    const int32_t top = a->height + a->height_offset;
    if (!(top >= h + o - r && h + o >= top - a->height_range)) return false;
    RECT b;
    return SP_GetHitBox(a->sprite, 2, &b) && HasArea(b) && RectsTouch(a, b, t);
}

void SetKnockDirection(LIST_NODE* t, const LIST_NODE* a, int mode) {
    int32_t* v = t->chr->knock_vec;
    const LIST_NODE* shooter = mode == 2 ? LIST_GetShooter(a) : nullptr;
    if (mode == 1) {
        v[0] = a->vx, v[1] = a->vy;
    } else if (shooter) {
        MTH_GetDirVec(shooter->x, shooter->y, a->x, a->y, &v[0], &v[1]);
    } else {  // mode 0, and mode 2 without a shooter
        MTH_GetDirVec(a->x, a->y, t->x, t->y, &v[0], &v[1]);
    }
}

// The reaction common to a knock-down by a hit and the knock-back of a destroying hit.
void KnockDown(LIST_NODE* t, const HIT_REC& hit, uint8_t kind) {
    CHR_DATA* c = t->chr;
    if (t->knock_kind == 0) t->knock_kind = kind;
    t->down = 100;
    t->vspeed = int16_t(hit.launch());
    CHR_SetState(t, 7);
    CHR_SetWazaPhase(t, 0);
    c->move_speed = c->waza_speed = 0;
    CHR_EndWaza(t);
}

// Held at 255: a byte that wrapped would let a heavy hit on a character already down pass
// without knocking it down.
void AddDown(LIST_NODE* t, const HIT_REC& hit) { t->down = uint8_t(std::min(t->down + hit.down(), 255)); }

int16_t Saturate16(int64_t v) { return int16_t(std::clamp<int64_t>(v, INT16_MIN, INT16_MAX)); }

// Damage percent of a stat: 50 % plus 2.5 % a point.
int32_t Percent(int32_t stat) { return stat * 50 / 20 + 50; }

// The characters and bullets of the active list in its order: the only nodes a check can touch,
// gathered again only when one of them was made or deleted (a frame makes hundreds of checks
// among as many effects). With every actor on side 0 or 1, each side's actors and its characters
// alone are kept in the same order too: an attacker walks only the other side, and only its
// characters when it may hit no bullet (hundreds of bullets check each frame).
struct ActorLists {
    std::vector<LIST_NODE*> all, side[2], chars[2];
    bool two_sides = true;
};
const ActorLists& Actors() {
    static ActorLists lists;
    static uint32_t seen = ~LIST_ACTOR_CHANGES;
    if (seen != LIST_ACTOR_CHANGES) {
        lists.all.clear();
        for (int t = 0; t < 2; ++t) lists.side[t].clear(), lists.chars[t].clear();
        lists.two_sides = true;
        for (LIST_NODE* n = LIST_Node(LIST_STATE_DATA.head); n; n = LIST_Node(n->next)) {
            if (n->kind != LIST_KIND_CHR && n->kind != LIST_KIND_TAMA) continue;
            lists.all.push_back(n);
            if (n->team != 0 && n->team != 1) {
                lists.two_sides = false;
                continue;
            }
            lists.side[n->team].push_back(n);
            if (n->kind == LIST_KIND_CHR) lists.chars[n->team].push_back(n);
        }
        seen = LIST_ACTOR_CHANGES;
    }
    return lists;
}

// The actors a check of the attacker can touch, in list order.
const std::vector<LIST_NODE*>& Targets(const LIST_NODE* a, const Attack& at) {
    const ActorLists& l = Actors();
    if (!l.two_sides || (a->team != 0 && a->team != 1)) return l.all;
    const bool bullets = at.tama_limit == kNoLimit || (a->kind == LIST_KIND_CHR ? a->chr->tama_hits_left >= 1 : a->tama->hits2 >= 1);
    return bullets ? l.side[1 - a->team] : l.chars[1 - a->team];
}
}  // namespace

uint32_t HIT_Check(int apply, uint32_t skip) {
    if (BTL_GetState(0) == BTL_STATE_PRE) return 0;
    LIST_NODE* a = LIST_CURRENT.node;
    Attack at;
    if (!a || !AttackOf(a, &at)) return 0;
    uint32_t result = 0;
    for (LIST_NODE* t : Targets(a, at)) {
        if (t == a || t->team == a->team) continue;
        if (!Eligible(a, at, t, skip) || !Touches(a, at, t)) continue;
        if (t->kind == LIST_KIND_CHR) {
            result |= 1;
            if (apply) {
                HIT_Apply(t, a);
                if (t->slot >= 0 && t->slot < 32) g_mask |= 1u << t->slot;
            }
        } else {
            result |= 2;
            if (apply) HIT_BulletHit(t, a);
        }
        if (!apply && result == 3) return result;
    }
    if (apply) {
        CHR_DATA* c = a->kind == LIST_KIND_CHR ? a->chr : nullptr;
        if (result & 1) c ? void(--c->chr_hits_left) : void(--a->tama->hits1);
        if (result & 2) c ? void(--c->tama_hits_left) : void(--a->tama->hits2);
    }
    return result;
}

int HIT_Apply(LIST_NODE* T, LIST_NODE* A) {
    CHR_DATA* t = T->chr;
    Attack at;
    if (!t || !AttackOf(A, &at)) return 1;
    const HIT_REC hit = at.hit;
    t->stagger = hit.stagger();  // a copy: the record may be freed while the stagger runs
    const int64_t heat = t->heat;
    int64_t P, V;
    int32_t W;
    int D;
    if (A->kind == LIST_KIND_CHR) {
        CHR_DATA* c = A->chr;
        P = Percent(c->attack);
        V = int64_t(c->reduction) * P / 100;
        V += V * heat / 130;
        D = c->repeats + 1;
        W = c->control == CHR_PLAYER ? c->waza : -1;
        c->reduction += hit.reduction_step();
        c->cancel_ok = 1;
        ++c->hits_landed;
        c->hit_stop = int8_t(std::max(at.rate - 63, 0));
    } else {
        TAMA_OBJ* b = A->tama;
        const LIST_NODE* s = CHR_Get(A->slot);
        if (s && s->chr) {
            CHR_DATA* sc = s->chr;
            P = Percent(b->hit_kind ? sc->beam : sc->attack);
            V = int64_t(std::max(sc->reduction, b->reduction)) * P / 100;
            V += V * heat / 130;
            W = sc->control == CHR_PLAYER ? b->waza : -1;
            sc->reduction += hit.reduction_step();
        } else {
            V = b->reduction;
            P = 50;
            W = -1;
        }
        D = b->repeats + 1;
        ++b->hits_made;
        b->hit_countdown = int8_t(std::max(at.rate - 63, 0));
    }
    const int S = hit.sound() - 1;

    const int64_t B = int64_t(hit.base()) * P / 100;
    const int64_t X = B - V <= hit.minimum() ? hit.minimum() : B - V;
    int64_t damage = ((X + X * heat / 130) / D) * (100 - t->defence) / 100;
    if (damage < 1) damage = 1;
    if (T->slot == 0 && BTL_DebugInvincible) damage = 0;

    if (t->phase != 0 && CurrentKey(t)) {
        const int v = WAZA_KEY{CurrentKey(t)}.armour();
        if (v == 127) t->armour = -1;
        else if (v > 0) t->armour = Saturate16(t->armour - damage * v);
        else if (v < 0) t->armour = -2;
    } else {
        t->armour = -1;
    }

    int stop, hold;
    const int32_t mid_h = A->height + (T->height - A->height) / 2 + 80;
    const int32_t hx = BTL_Fix16Add(T->x16, -8 * int64_t(A->vx)) >> 16, hy = BTL_Fix16Add(T->y16, -8 * int64_t(A->vy)) >> 16;
    if (t->armour > 0) {  // absorbed: a short freeze and an eighth of the damage
        t->freeze = int16_t(t->freeze < 1 ? (plat::Rand() & 1) + 1 : 0);
        if (SP_ANIM* o = SP_Anim(T->sprite)) o->running = 0;
        stop = hold = hit.stop();
        const int32_t x = hx + 16 - BTL_RandMod(33);
        const int32_t y = hy + 56 - BTL_RandMod(33);
        EFT_Create(7, A, x, y, mid_h);
        damage >>= 3;
    } else {
        AddDown(T, hit);
        if (T->down >= 100 || T->height >= 1) {
            KnockDown(T, hit, hit.flags() & 1);
        } else if (hit.flinch() || t->state == 6 || t->armour == -2) {
            CHR_SetState(T, 6);
            CHR_SetWazaPhase(T, 0);
            t->move_speed = t->waza_speed = 0;
            CHR_EndWaza(T);
            T->vspeed = 0;
        } else {
            T->vspeed = 0;
        }
        t->slide_mask = 0;
        t->knock_speed = int16_t(hit.knock_speed());
        t->carried_speed = uint8_t(hit.knock_speed());
        stop = hold = hit.stop();
        SetKnockDirection(T, A, hit.knock_mode());
        if (hit.spark()) {
            const int n = TAMA_DecodeCount(hit.spark_count());
            for (int i = 0; i < n; ++i) TAMA_CreateSpread(hit.spark() - 1, A, hx, hy + 40, mid_h, hit.spark_spread());
        }
        const int fragments = damage <= 100 ? (BTL_RandMod(100) < damage ? 1 : 0) : int(damage / 100);
        for (int i = 0; i < fragments; ++i) {
            const int32_t x = T->x + 32 - BTL_RandMod(65);
            const int32_t y = T->y + 32 - BTL_RandMod(65);
            EFT_Create(14, T, x, y, T->height);
        }
    }

    if (t->flash_req != 2) t->flash_req = 1;
    const int old_kind = t->flash_kind;
    t->flash_kind = int8_t(t->armour < 1 ? hit.flash() : 4);
    if (hit.flash() != 0) {
        if (t->flash_kind != old_kind) {
            t->flash_timer = 10;
            if (t->flash_kind == 1) EFT_Create(9, T, T->x, T->y + 16, T->height + 32);
        } else {
            t->flash_timer = uint8_t(t->flash_timer + 3);
        }
    }

    const int dmg = int(std::min<int64_t>(damage, INT32_MAX));
    if (BTL_KIND == 9) {
        if (t->state == 6 || t->state == 7) mBSC_Chr_Mov_Jump(T->slot, 99);
    } else if (BTL_KIND != 2) {
        HIT_AddCombo(T, A, dmg);
        const int r = HIT_Damage(T, A, dmg);
        if (r == 1) {
            HIT_Knockback(T, A);
            stop = std::max(2 * hit.stop(), 1);
            hold = std::max(2 * hit.stop(), 5);
            BTL_SePlay(27, -1);
        } else if (r == 2) {
            hold = std::max(2 * hit.stop(), 1);
            BTL_SePlay(27, -1);
        }
        int32_t e = dmg / 2;
        if (BTL_KIND == 0) e -= e / 4;
        if (CampWeapon* w = W >= 0 ? CAMP_Weapon(W / 3) : nullptr) w->exp += e;
    }
    if (S >= 0) BTL_SePlay(S, -1);
    if (BTL_KIND == 2) return 1;
    SCR_Quake(stop, hold, std::max(dmg / 4, 1));
    if (BTL_KIND != 9 && stop != 0) BTL_SetState(BTL_STATE_SLOW);
    return 1;
}

int HIT_Damage(LIST_NODE* T, LIST_NODE* A, int damage) {
    CHR_DATA* t = T->chr;
    if (!t) return 2;
    const int32_t old_u = t->units, old_l = t->levels;
    bool subtract = true;
    if (T->team == 1 && SVV_TestCond == 2) subtract = T->height >= 1;
    if (T->team == 1 && SVV_TestCond == 3) subtract = CHR_ComboContinue != 0;
    int64_t u = old_u - (subtract ? int64_t(damage) : 0);
    int64_t l = old_l;
    const int64_t u_hit = u;
    if (u < 1) {
        if (l >= 0) l -= damage / CHR_UNITS + 1;
        if (l >= 0) u += CHR_UNITS;
        else u = 0;
    }
    if (u < 1 && bscEnmGuard && T->team == 1) {
        l = 0;
        u = 32;
        t->defence = int16_t(t->defence + 10);
    }
    t->units = Saturate16(u);
    t->levels = Saturate16(l);
    if (u_hit / 16 != old_u / 16 || l != old_l) {
        const int shown = int(std::max<int64_t>(u_hit, INT32_MIN));
        if (old_l >= 0) HUD_GaugeChipsCreate(T, old_u / 16, shown / 16);
        HUD_PanelGaugeSet(T, old_u / 16, shown / 16, shown, old_l);
        HUD_PanelSetDelay(T->slot, 20);
    }
    if (t->levels >= 0) return 0;
    return old_u >= 1 ? 1 : 2;
}

void HIT_Knockback(LIST_NODE* T, LIST_NODE* A) {
    Attack at;
    if (!T->chr || !AttackOf(A, &at)) return;
    AddDown(T, at.hit);
    KnockDown(T, at.hit, 1);
    T->chr->slide_mask = 0;
    T->chr->knock_speed = int16_t(at.hit.knock_speed());
    SetKnockDirection(T, A, at.hit.knock_mode());
    HIT_LastDestroyed = T->slot;
    mBSC_Event_Check(0, T->slot);
}

void HIT_AddCombo(LIST_NODE*, LIST_NODE* A, int damage) {
    LIST_NODE* s = CHR_Get(A->slot);
    if (!s || !s->chr || s->chr->control != CHR_PLAYER) return;
    CHR_DATA* c = s->chr;
    ++c->combo_hits;
    c->combo_damage += uint32_t(damage);
    CAMP_DATA.best_hits = std::max<uint32_t>(CAMP_DATA.best_hits, c->combo_hits);
    CAMP_DATA.best_damage = std::max(CAMP_DATA.best_damage, c->combo_damage);
}

int HIT_BulletHit(LIST_NODE* T, LIST_NODE* A) {
    Attack at;
    if (!AttackOf(A, &at)) return 1;
    int chance;
    if (A->kind == LIST_KIND_CHR) {
        ++A->chr->hits_landed;
        A->chr->hit_stop = int8_t(std::max(at.rate - 63, 0));
        chance = 1;
    } else {
        TAMA_OBJ* b = A->tama;
        ++b->hits_made;
        b->hit_countdown = int8_t(std::max(at.rate - 63, 0));
        b->hit_frame = 1;
        chance = at.hit.cancel_chance();
    }
    if (BTL_RandMod(chance + 1) == 0) {
        EFT_Create(7, A, (A->x + T->x) / 2, (A->y + T->y) / 2, (A->height + T->height) / 2);
        BTL_SePlay(29, -1);
    }
    return 1;
}

void HIT_FlashUpdate() {
    for (LIST_NODE* n : CHR_TABLE) {
        if (!n || !n->chr) continue;
        CHR_DATA* c = n->chr;
        SP_ANIM* a = SP_Anim(n->sprite);
        if (c->flash_req != 1) {
            if (a) a->flags = 0;
            c->flash_req = 0;
            continue;
        }
        if (a) {
            a->flags = 0x10000;
            int level = a->blend, param = a->blend_param;
            switch (c->flash_kind) {
                case 0: level = 15 + (plat::Rand() & 15), param = 0; break;
                case 1: level = 2575 + (plat::Rand() & 15), param = 0; break;
                case 2: level = 0, param = 30; break;
                case 3: level = 2570, param = 15 + (plat::Rand() & 15); break;
                case 4:
                    level = 2575 + (plat::Rand() & 15);
                    param = 15 + (plat::Rand() & 15);
                    break;
                default: break;
            }
            a->blend = uint16_t(level);
            a->blend_param = uint16_t(param);
        }
        if (c->flash_kind == 0 || c->flash_kind == 4) c->flash_kind = -1;
        c->flash_req = 2;
    }
}

void HIT_ClearMask() { g_mask = 0; }
uint32_t HIT_GetMask() { return g_mask; }

namespace {
constexpr int kPlayerMech = 0;  // the mech type of "player"

// A technique's heat value scaled by the percentage of its heat kind (kind 2 unscaled, others 0).
int ScaledHeat(const WAZA_DATA* w, int pct0, int pct1) {
    if (!w) return 0;
    const WAZA_VIEW v = WAZA_View(w);
    switch (v.heat_kind()) {
        case 0: return v.heat() * pct0 / 100;
        case 1: return v.heat() * pct1 / 100;
        case 2: return v.heat();
        default: return 0;
    }
}

// The player's heat: less the weapon's reduction, at most two thirds of it, and capped.
int PlayerHeat(int v, int t) {
    const CampWeapon* w = t >= 0 ? CAMP_Weapon(t / 3) : nullptr;
    if (w) v -= std::min<int>(w->heat_reduction, v / 3 * 2);
    return std::min(v, int(CHR_HEAT_MAX));
}
}  // namespace

int CHR_GetWazaHeatBase(int slot, int t) {
    const LIST_NODE* n = CHR_Get(slot);
    if (!n || !n->chr) return 0;
    return ScaledHeat(WAZA_Get(n->chr->mech, t), n->chr->heat_pct0, n->chr->heat_pct1);
}

int CHR_GetWazaHeat(int slot, int t) {
    const LIST_NODE* n = CHR_Get(slot);
    if (!n || !n->chr) return 0;
    const int v = CHR_GetWazaHeatBase(slot, t);
    return n->chr->control == CHR_PLAYER ? PlayerHeat(v, t) : std::min(v, int(CHR_HEAT_MAX));
}

int CHR_GetWazaHeatHalf(int t) {
    const int v = ScaledHeat(WAZA_Get(kPlayerMech, t), CAMP_DATA.base[CAMP_HEAT0], CAMP_DATA.base[CAMP_HEAT1]);
    return PlayerHeat(v, t) / 2;
}

void LIST_SetX16(LIST_NODE* node, int32_t x16) {
    node->x16 = x16;
    node->x = x16 >> 16;
    if (node->chr) node->chr->rem_x = uint16_t((node->x + node->map_box.x) % 16);
}

void LIST_SetY16(LIST_NODE* node, int32_t y16) {
    node->y16 = y16;
    node->y = y16 >> 16;
    if (node->chr) node->chr->rem_y = uint16_t((node->y + node->map_box.y) % 16);
}

void LIST_SetX(LIST_NODE* node, int32_t x) { LIST_SetX16(node, BTL_Fix16(x)); }
void LIST_SetY(LIST_NODE* node, int32_t y) { LIST_SetY16(node, BTL_Fix16(y)); }

void LIST_SplitSpeed(int32_t speed, int16_t* steps, int16_t* step) {
    const int32_t n = std::abs(speed) / 16 + 1;
    *steps = int16_t(n);
    *step = int16_t(speed / n);
}

int CHR_TurnToTarget(LIST_NODE* node, const LIST_NODE* target) {
    if (!node) return 0;
    const int32_t px = target ? target->x : node->x + (node->chr ? node->chr->aim[0] : 0);
    const int32_t py = target ? target->y : node->y + (node->chr ? node->chr->aim[1] : 0);
    const int8_t dir = int8_t(MTH_GetDirIndex(45, node->x, node->y, px, py));
    const bool changed = dir != node->dir;
    node->dir = dir;
    SP_ANIM* a = SP_Anim(node->sprite);
    if (a) a->pattern_offset = uint8_t(dir);
    if (changed && a) SP_PlaySeq(node->sprite, node->anim, a->loop, 1);
    return 1;
}

LIST_NODE* LIST_GetShooter(const LIST_NODE* node) {
    LIST_NODE* n = node ? LIST_Node(node->owner) : nullptr;
    for (int i = 0; n && n->in_use && i < LIST_MAX; ++i, n = LIST_Node(n->owner))
        if (n->kind == LIST_KIND_CHR || n->kind == LIST_KIND_TAMA) return n;
    return nullptr;
}

int TAMA_DecodeCount(int code) {
    if (code < 64) return 64 - code;
    if (code < 96) return BTL_RandMod(97 - code) != 0 ? 1 : 0;
    return BTL_RandMod(code - 93) == 0 ? 1 : 0;
}

int32_t TAMA_CreateSpread(int kind, LIST_NODE* parent, int32_t x, int32_t y, int32_t height, int spread) {
    const int32_t ex = x + spread - BTL_RandMod(2 * spread + 1);
    const int32_t ey = y + spread - BTL_RandMod(2 * spread + 1);
    return EFT_Create(kind, kind == 10 ? nullptr : parent, ex, ey, height);
}

void HUD_ShowAll(int flag) {
    for (int s = 0; s < CHR_SLOTS; ++s) HUD_PanelShow(s, flag);
    HUD_ComboChartShow(flag);
    HUD_HitCountShow(flag);
    HUD_LockOnShow(flag);
}

void SCR_ShowAll(int flag) {
    HUD_ShowAll(flag);
    SCR_ShowMap(flag);
    CHR_ShowAll(flag);
}
