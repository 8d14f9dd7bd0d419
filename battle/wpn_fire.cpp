// Fire orders: creation, the per-frame update with its life rules, the fire step by fire mode,
// muzzles, aiming and the shots themselves.
#include "battle/wpn_fire.h"

#include <cstdlib>

#include "battle/btl_common.h"
#include "battle/btl_sound.h"
#include "battle/chr_char.h"
#include "battle/hit_resolve.h"
#include "battle/list_pool.h"
#include "battle/tama_obj.h"
#include "battle/waza_exec.h"
#include "services/mth_math.h"
#include "sprite/sp_draw.h"

int32_t wp2Cnt = 0;

namespace {
// The owner still holds the keyframes the order fires in: a character the technique it was made
// for with its current keyframe in the continue mask of its action's weapon, a bullet its current
// keyframe in the continue mask of its phase's weapon.
bool OwnerHolds(const LIST_NODE* o, const WP2_DATA* w) {
    if (o->kind == LIST_KIND_CHR) {
        const CHR_DATA* c = o->chr;
        if (!c || c->phase == 0 || c->waza != w->waza) return false;
        WAZA_DATA* t = WAZA_Get(c->mech, c->waza);
        if (!t || c->act_index >= WAZA_ACTS || c->key_index >= 16) return false;
        return (WAZA_View(t).act(c->act_index).weapon().continue_mask() >> c->key_index) & 1;
    }
    if (o->kind == LIST_KIND_TAMA) {
        const TAMA_OBJ* b = o->tama;
        return b && b->record && ((TAMA_PhaseOf(b).weapon().continue_mask() >> b->key) & 1);
    }
    return false;
}

// One shot: every bullet of it from its muzzle; false when a muzzle box is empty.
bool Shot(const WP2_DATA* w) {
    const WPN_REC wpn{w->weapon};
    RECT rect{};
    for (int i = 0; i < w->per_shot; ++i) {
        const int box = WPN_GetMuzzle(i, wpn.muzzle(), &rect);
        if (box < 0) return false;
        if (!TAMA_Fire(i, &rect, box)) break;
    }
    return true;
}
}  // namespace

POINT WPN_MountPoint(const LIST_NODE* n) {
    const int32_t* aim = n->kind == LIST_KIND_CHR && n->chr ? n->chr->aim : n->kind == LIST_KIND_TAMA && n->tama ? n->tama->aim : nullptr;
    return {TAMA_Wrap(int64_t(n->x) + (aim ? aim[0] : 0)), TAMA_Wrap(int64_t(n->y) + (aim ? aim[1] : 0))};
}

LIST_NODE* WPN_SlotBullet(const LIST_NODE* order, int k) {
    if (!order || !order->wp2 || k < 0 || k >= WPN_BULLET_SLOTS) return nullptr;
    const uint16_t index = order->wp2->slots[k];
    LIST_NODE* b = index == WPN_FREE_SLOT ? nullptr : TAMA_Live(index, LIST_KIND_TAMA);
    return b && b->tama && b->tama->linked == order->index && b->tama->w[TAMA_W_RANGE] == k ? b : nullptr;
}

int32_t WPN_Create(LIST_NODE* owner, const uint8_t* weapon) {
    if (!owner || !weapon) return -1;
    LIST_NODE* n = LIST_Alloc(LIST_KIND_WP2);
    if (!n) return -1;
    const WPN_REC wpn{weapon};
    WP2_DATA* w = n->wp2;
    n->team = owner->team;
    n->slot = owner->slot;
    n->owner = owner->index;
    n->target = owner->target;
    n->priority = 4;
    // Origin modes outside the table act as mode 0.
    if (wpn.origin_mode() == 0 || wpn.origin_mode() > 3) {
        const POINT m = WPN_MountPoint(owner);
        n->x = m.x, n->y = m.y, n->height = owner->height;
    } else if (wpn.origin_mode() == 2) {
        if (const LIST_NODE* t = TAMA_Live(owner->target, -1)) n->x = t->x, n->y = t->y, n->height = t->height;
    }
    w->weapon = weapon;
    w->interval = uint16_t(wpn.interval() + wpn.interval_adj());
    w->per_shot = int16_t(wpn.per_shot() - wpn.per_shot_adj());
    w->loops = int16_t(wpn.loops() - wpn.loops_adj());
    if (w->per_shot < 0) w->per_shot = 1;
    if (w->loops < 0) w->loops = 1;
    if (wpn.fire_mode() == WPN_BEAM_MODE && w->loops > WPN_BEAM_MAX) w->loops = WPN_BEAM_MAX;
    for (int i = 0; i < 3; ++i) w->pattern[i] = wpn.pattern(i + 1);
    for (uint16_t& s : w->slots) s = WPN_FREE_SLOT;
    owner->fire_order = n->index;
    if (owner->kind == LIST_KIND_CHR && owner->chr) {
        w->waza = owner->chr->waza;
        w->repeats = owner->chr->repeats;
    } else if (owner->kind == LIST_KIND_TAMA && owner->tama) {
        w->waza = owner->tama->waza;
        w->repeats = owner->tama->repeats;
    }
    if (wpn.fire_mode() == WPN_BEAM_MODE) {
        w->pattern[0] = 0;
        n->priority = 5;
    }
    ++wp2Cnt;
    return n->index;
}

int WPN_Update() {
    LIST_NODE* n = LIST_CURRENT.node;
    WP2_DATA* w = n->wp2;
    LIST_CURRENT.wp2 = w;
    const LIST_NODE* o = LIST_CURRENT.owner;
    const LIST_NODE* t = LIST_CURRENT.target;
    bool live = w && w->weapon && o && o->in_use && t && t->in_use && OwnerHolds(o, w);
    // A frozen character holds its fire and its countdown.
    const bool frozen = live && o->kind == LIST_KIND_CHR && o->chr->freeze > 0;
    if (live && !frozen) live = WPN_FireStep() != 0;
    LIST_CURRENT.next = live ? n->next : WPN_Delete(n);
    return 1;
}

int32_t WPN_Delete(LIST_NODE* node) {
    if (!node || !node->in_use) return -1;
    --wp2Cnt;
    // Any order that ends clears the field, also while a newer one of the owner still fires.
    LIST_NODE* o = LIST_Node(node->owner);
    if (o && o->in_use) o->fire_order = LIST_NO_FIRE_ORDER;
    return LIST_Free(node->index);
}

int WPN_FindFreeSlot(const LIST_NODE* order) {
    const WP2_DATA* w = order ? order->wp2 : nullptr;
    if (!w) return -1;
    for (int k = 0; k < w->loops && k < WPN_BULLET_SLOTS; ++k)
        if (w->slots[k] == WPN_FREE_SLOT) return k;
    return -1;
}

int WPN_FireStep() {
    LIST_NODE* n = LIST_CURRENT.node;
    WP2_DATA* w = n->wp2;
    const WPN_REC wpn{w->weapon};
    const int16_t before = w->countdown;
    w->countdown = int16_t(before - 1);
    if (before > 0) return 1;
    w->countdown = int16_t(w->interval);
    if (wpn.sound()) BTL_SePlay(wpn.sound() - 1, -1);
    if (wpn.fire_mode() != WPN_BEAM_MODE) {
        if (!Shot(w)) return 0;
        w->loops = int16_t(w->loops - 1);
        return w->loops > 0 ? 1 : 0;
    }
    if (w->per_shot != 0 && WPN_FindFreeSlot(n) >= 0 && !Shot(w)) return 0;
    const int16_t grown = int16_t(w->loops + int16_t(w->pattern[1]));
    w->loops = int16_t(grown < 0 ? 0 : (grown > WPN_BEAM_MAX ? WPN_BEAM_MAX : grown));
    w->pattern[2] = 0;
    return 1;
}

int WPN_GetMuzzle(int i, int code, RECT* rect) {
    int box = code;
    if (code == 16) box = 5 + BTL_RandMod(2);
    else if (code == 17) box = 5 + (i & 1);
    else if (code == 18) box = 5 + i;
    else if (i > 0 && code >= 0 && code < 16) return code;  // bullet 0's rectangle serves the shot
    const LIST_NODE* o = LIST_CURRENT.owner;
    return o && TAMA_HitBox(o, box, rect) ? box : -1;
}

int TAMA_Fire(int i, const RECT* r, int box) {
    LIST_NODE* n = LIST_CURRENT.node;
    WP2_DATA* w = n->wp2;
    const WPN_REC wpn{w->weapon};
    LIST_NODE* o = LIST_CURRENT.owner;
    const LIST_NODE* t = LIST_CURRENT.target;
    const int32_t x = TAMA_Wrap(int64_t(o->x) + r->left), y = TAMA_Wrap(int64_t(o->y) + r->bottom);
    const int32_t h = TAMA_Wrap(int64_t(o->height) + r->bottom - r->top);
    // Modes outside the tables count as mode 0.
    int32_t sx = x, sy = o->y;
    if (wpn.source_mode() == 1) {
        if (const LIST_NODE* s = LIST_GetShooter(n)) sx = s->x, sy = s->y;
    } else if (wpn.source_mode() == 2 && t) {
        sx = t->x, sy = t->y;
    }
    int32_t ax = n->x, ay = n->y;
    if (wpn.origin_mode() == 1) {
        if (const LIST_NODE* s = LIST_GetShooter(n)) {
            const POINT m = WPN_MountPoint(s);
            ax = m.x, ay = m.y;
        }
    } else if (wpn.origin_mode() == 3 && t) {
        ax = t->x, ay = t->y;
    }
    int32_t* p = w->pattern;  // p1, p2, p3
    int64_t angle = 0;
    LIST_NODE* owner = o;
    int slot = -1;
    switch (wpn.fire_mode()) {
        case 0: angle = int64_t(p[1]) + p[0] - BTL_RandModPositive(TAMA_Wrap(2 * int64_t(p[0]))); break;
        case 1:
            angle = int64_t(p[1]) + int64_t(p[0]) * p[2];
            p[2] = TAMA_Wrap(int64_t(p[2]) + 1);
            break;
        case 2:
            p[2] = TAMA_Wrap(int64_t(p[2]) + p[0]);
            if (std::llabs(p[2]) > p[1]) p[0] = TAMA_Wrap(-int64_t(p[0]));
            angle = p[2];
            break;
        case 3:
            // One jitter moves the whole shot: the bullets keep their even steps of p1.
            if (i == 0) {
                const int n_shot = w->per_shot;
                p[2] = TAMA_Wrap(-int64_t(p[0]) * (n_shot / 2) + (n_shot % 2 == 0 ? p[0] / 2 : 0));
                const int64_t jitter = BTL_RandModPositive(TAMA_Wrap(int64_t(p[1]) + 1));
                p[2] = TAMA_Wrap(p[2] + jitter - p[1] / 2);
            }
            angle = p[2];
            break;
        case WPN_BEAM_MODE: {
            slot = WPN_FindFreeSlot(n);
            if (slot < 0) return 0;
            if (slot > 0) {
                LIST_NODE* pred = WPN_SlotBullet(n, slot - 1);
                if (pred) owner = pred;
            }
            break;
        }
        default: break;
    }
    if (wpn.fire_mode() >= 0 && wpn.fire_mode() <= 3)
        MTH_RotatePointFix(&ax, &ay, sx, sy, ax, ay, TAMA_Wrap(angle));
    const int32_t index = TAMA_Create(wpn.bullet(), owner, x, y, h, sx, sy, h, ax, ay, h, box);
    if (wpn.fire_mode() == 3) p[2] = TAMA_Wrap(int64_t(p[2]) + p[0]);
    if (slot >= 0 && index >= 0) {
        w->slots[slot] = uint16_t(index);
        LIST_Node(index)->tama->w[TAMA_W_RANGE] = slot;
    }
    if (i == 0 && wpn.effect()) {
        const int count = TAMA_DecodeCount(wpn.effect_count());
        for (int e = 0; e < count; ++e) TAMA_CreateSpread(wpn.effect() - 1, o, x, y, h, 0);
    }
    ++w->shots;
    return 1;
}
