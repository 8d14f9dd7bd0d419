// Bullet motion handlers: missiles (straight, homing, wobbling, sticky, inertial), fields pinned
// to a hit box of their anchor, and laser chains placed whole once a frame from their fire order.
#include <cstdlib>

#include "battle/btl_common.h"
#include "battle/chr_char.h"
#include "battle/eft_effect.h"
#include "battle/hit_resolve.h"
#include "battle/list_pool.h"
#include "battle/tama_obj.h"
#include "battle/wpn_fire.h"
#include "services/mth_math.h"
#include "sprite/sp_draw.h"

namespace {
using Work = int32_t[TAMA_WORK];

LIST_NODE* Cur() { return LIST_CURRENT.node; }
TAMA_PHASE PhaseOf(const LIST_NODE* n) { return TAMA_PhaseOf(n->tama); }
LIST_NODE* Target(const LIST_NODE* n) { return TAMA_Live(n->target, -1); }
int64_t Abs(int64_t v) { return v < 0 ? -v : v; }
int32_t Add(int64_t a, int64_t b) { return TAMA_Wrap(a + b); }

void SetDir(LIST_NODE* n, int dir) {
    n->dir = int8_t(dir);
    if (SP_ANIM* a = SP_Anim(n->sprite)) a->pattern_offset = uint8_t(dir);
}

// The shared move of missiles: one sub-step along the velocity; the height is left alone.
void TAMA_MissileMove(LIST_NODE* n) {
    n->x16 = Add(n->x16, int64_t(n->vx) * n->sub_step_size);
    n->y16 = Add(n->y16, int64_t(n->vy) * n->sub_step_size);
    n->x = n->x16 >> 16;
    n->y = n->y16 >> 16;
}

int RandomSign() { return BTL_RandMod(2) == 0 ? 1 : -1; }

// ---- missiles ----
void MissileInitNone(LIST_NODE*, const TAMA_PHASE&) {}
void MissileInitHoming(LIST_NODE* n, const TAMA_PHASE& p) {
    int32_t* w = n->tama->w;
    w[0] = 1, w[1] = p.param(1), w[2] = p.param(2);
}
void MissileInitWobble(LIST_NODE* n, const TAMA_PHASE& p) {
    int32_t* w = n->tama->w;
    w[0] = MTH_GetVecDirIndex(1, n->vx, n->vy);
    w[1] = p.param(1);
    w[2] = p.param(2);
    w[3] = TAMA_Wrap(int64_t(p.param(3)) * RandomSign());
    const int32_t offset = BTL_RandModPositive(p.param(2));
    w[4] = TAMA_Wrap(int64_t(offset) * RandomSign());
    w[5] = p.param(5);
    w[6] = p.param(6);
    w[7] = BTL_RandModPositive(p.param(6));
    w[8] = p.param(6) >= 1 ? BTL_RandMod(2) : 0;
    w[9] = w[8] == 1 ? Add(p.param(6), BTL_RandMod(p.param(6))) : Add(p.param(5), BTL_RandMod(p.param(5)));
    w[10] = p.param(10);
    SetDir(n, w[10] ? MTH_GetVecDirIndex(15, n->vx, n->vy) : 0);
}
void MissileInitMine(LIST_NODE* n, const TAMA_PHASE& p) {
    int32_t* w = n->tama->w;
    int nearest = -1;
    int32_t best = 0;
    for (int s = 0; s < CHR_SLOTS; ++s) {
        const LIST_NODE* c = CHR_TABLE[s];
        if (!c || c->team == n->team) continue;
        const int32_t d = MTH_Dist2(n->x, n->y, c->x, c->y);
        if (nearest < 0 || d < best) nearest = s, best = d;
    }
    const int64_t range = int64_t(p.param(0)) * p.param(0);
    if (nearest < 0 || best >= range) {
        w[1] = -1;
        return;
    }
    const LIST_NODE* c = CHR_TABLE[nearest];
    w[1] = nearest;
    w[2] = Add(n->x, -int64_t(c->x)), w[3] = Add(n->y, -int64_t(c->y)), w[4] = Add(n->height, -int64_t(c->height));
}
void MissileInitInertial(LIST_NODE* n, const TAMA_PHASE& p) {
    for (int i = 0; i <= 6; ++i) n->tama->w[i] = p.param(i);
}

int MissileStraight(LIST_NODE* n) {
    TAMA_MissileMove(n);
    return 0;
}
int MissileHoming(LIST_NODE* n) {
    int32_t* w = n->tama->w;
    if (w[0]) {
        const LIST_NODE* t = Target(n);
        if (!t) w[0] = 0;
        else if (TAMA_GetSubStep() == 0) TAMA_SteerTo(n, t->x, t->y, w[1], w[2], 15);
    }
    TAMA_MissileMove(n);
    return 0;
}
int MissileWobble(LIST_NODE* n) {
    int32_t* w = n->tama->w;
    if (TAMA_GetSubStep() == 0) {
        const LIST_NODE* t = Target(n);
        if (w[8] == 0 && t) {
            MTH_AngleToVec(Add(w[0], w[4]), &n->vx, &n->vy);
            TAMA_SteerTo(n, t->x, t->y, w[1], w[10], 15);
            w[4] = Add(w[4], w[3]);
            if (Abs(w[4]) > w[2]) w[3] = TAMA_Wrap(-int64_t(w[3]));
        } else if (w[8] != 0 && w[7] == 0 && w[10]) {
            MTH_AngleToVec(w[0], &n->vx, &n->vy);
            SetDir(n, MTH_GetVecDirIndex(15, n->vx, n->vy));
        }
        if (w[6] > 0) {
            w[7] = Add(w[7], 1);
            if (w[7] > w[9]) {
                w[7] = 0;
                if (w[8] != 0) {
                    w[8] = 0;
                    w[9] = Add(w[5], BTL_RandMod(w[5]));
                } else {
                    w[8] = 1;
                    w[9] = Add(w[6], BTL_RandMod(w[6]));
                }
            }
        }
    }
    TAMA_MissileMove(n);
    return 0;
}
int MissileMine(LIST_NODE* n) {
    const int32_t* w = n->tama->w;
    if (w[1] >= 0) {
        const LIST_NODE* c = w[1] < CHR_SLOTS ? CHR_TABLE[w[1]] : nullptr;
        if (!c) return -1;
        n->x = Add(c->x, w[2]), n->y = Add(c->y, w[3]), n->height = Add(c->height, w[4]);
    }
    n->x16 = BTL_Fix16(n->x);
    n->y16 = BTL_Fix16(n->y);
    return 0;
}
int MissileInertial(LIST_NODE* n) {
    const int32_t* w = n->tama->w;
    const LIST_NODE* t = Target(n);
    if (TAMA_GetSubStep() == 0 && t) {
        const int a = MTH_GetVecDirIndex(1, n->vx, n->vy), to = MTH_GetDirIndex(1, n->x, n->y, t->x, t->y);
        int sign, d;
        if (a <= to) {
            sign = to - a < 181 ? 1 : -1;
            d = to - a;
        } else {
            sign = a - to < 181 ? -1 : 1;
            d = a - to;
        }
        int64_t step = n->sub_step_size;
        if (d >= w[0]) {
            step -= w[3];
            if (step < w[4]) step = w[4];
        } else {
            step += w[1];
            if (step > w[2]) step = w[2];
        }
        n->sub_step_size = int16_t(step);
        if (w[6]) SetDir(n, MTH_GetDirIndex(15, n->x, n->y, t->x, t->y));
        MTH_AngleToVec(Add(a, int64_t(w[5]) * sign), &n->vx, &n->vy);
    }
    TAMA_MissileMove(n);
    return 0;
}

using Init = void (*)(LIST_NODE*, const TAMA_PHASE&);
using Handler = int (*)(LIST_NODE*);
constexpr Init kMissileInit[] = {MissileInitNone, MissileInitHoming, MissileInitWobble, MissileInitMine, MissileInitInertial};
constexpr Handler kMissile[] = {MissileStraight, MissileHoming, MissileWobble, MissileMine, MissileInertial};
constexpr int kMissileVariants = 5;

// ---- fields ----
bool g_creating = false;  // the field init runs for a new bullet of a fire order

// The anchor point of box b: x + left, y + bottom, height + the box's height.
bool AnchorPoint(const LIST_NODE* anchor, int box, RECT* r, int32_t* x, int32_t* y, int32_t* h) {
    if (!TAMA_HitBox(anchor, box, r)) return false;
    *x = Add(anchor->x, r->left), *y = Add(anchor->y, r->bottom);
    *h = Add(anchor->height, int64_t(r->bottom) - r->top);
    return true;
}
void FieldInitPinned(LIST_NODE* n, const TAMA_PHASE&) {
    if (g_creating) n->tama->w[0] = n->tama->muzzle_box;
}
void FieldInitExpanding(LIST_NODE* n, const TAMA_PHASE& p) {
    int32_t* w = n->tama->w;
    if (g_creating) w[0] = n->tama->muzzle_box;
    w[1] = p.param(1), w[2] = p.param(2), w[3] = 0;
}
// Moves r pixels from the anchor point along the heading, and grows r by w1 up to w2.
void Expand(LIST_NODE* n, int32_t heading, int32_t cx, int32_t cy, int32_t ch, int64_t r) {
    int32_t* w = n->tama->w;
    int32_t vx, vy;
    MTH_AngleToVec(heading, &vx, &vy);
    TAMA_SetPos(n, Add(cx, (vx * r) >> 16), Add(cy, (vy * r) >> 16), ch);
    w[3] = Add(w[3], w[1]);
    if (w[3] > w[2]) w[3] = w[2];
}
int FieldPinned(LIST_NODE* n, LIST_NODE* anchor) {
    RECT r;
    int32_t x, y, h;
    if (!AnchorPoint(anchor, n->tama->w[0], &r, &x, &y, &h)) return -1;
    TAMA_SetPos(n, x, y, h);
    return 0;
}
int FieldExpanding(LIST_NODE* n, LIST_NODE* anchor) {
    RECT r;
    int32_t x, y, h;
    if (!AnchorPoint(anchor, n->tama->w[0], &r, &x, &y, &h)) return -1;
    const int heading = MTH_GetDirIndex(1, anchor->x, Add(anchor->y, -int64_t(anchor->height)), x, Add(y, -int64_t(h)));
    Expand(n, heading, x, y, h, n->tama->w[3]);
    return 0;
}
int FieldSized(LIST_NODE* n, LIST_NODE* anchor) {
    RECT r;
    int32_t x, y, h;
    if (!AnchorPoint(anchor, n->tama->w[0], &r, &x, &y, &h) || r.right == r.left || r.bottom == r.top) return -1;
    const int heading = MTH_GetDirIndex(1, anchor->x, Add(anchor->y, -int64_t(anchor->height)), x, y);
    RECT own{};
    SP_GetHitBox(n->sprite, 2, &own);
    const int64_t half_w = (int64_t(own.right) - own.left) / 2, half_h = (int64_t(own.bottom) - own.top) / 2;
    Expand(n, heading, x, y, h, (half_w > half_h ? half_w : half_h) + n->tama->w[3]);
    return 0;
}
using FieldHandler = int (*)(LIST_NODE*, LIST_NODE*);
constexpr Init kFieldInit[] = {FieldInitPinned, FieldInitExpanding, MissileInitNone};
constexpr FieldHandler kField[] = {FieldPinned, FieldExpanding, FieldSized};
constexpr int kFieldVariants = 3;

// ---- lasers ----
LIST_NODE* Order(const LIST_NODE* n) { return TAMA_Live(n->tama->linked, LIST_KIND_WP2); }

// The owner is a live segment of the order's chain (a slot below its length).
bool OwnedBySegment(const LIST_NODE* n, const LIST_NODE* order) {
    for (int k = 0; k < order->wp2->loops && k < WPN_BULLET_SLOTS; ++k)
        if (const LIST_NODE* s = WPN_SlotBullet(order, k); s && s->index == n->owner) return true;
    return false;
}

void HeadInitSector(LIST_NODE* n, const TAMA_PHASE& p) {
    int32_t* w = n->tama->w;
    w[0] = MTH_GetVecDirIndex(9, n->vx, n->vy);
    w[1] = p.param(1);
}
void HeadInitTarget(LIST_NODE* n, const TAMA_PHASE& p) {
    int32_t* w = n->tama->w;
    n->dir = int8_t(MTH_GetVecDirIndex(9, n->vx, n->vy));
    w[0] = p.param(0) < 1 ? 1 : p.param(0);
    w[1] = p.param(1);
}
void HeadInitSwing(LIST_NODE* n, const TAMA_PHASE& p) {
    int32_t* w = n->tama->w;
    w[0] = p.param(0), w[1] = p.param(1), w[2] = w[1] >> 1;
}
void WaveStep(int32_t* u) {
    u[2] = Add(u[2], -1);
    if (u[2] >= 0) return;
    u[2] = u[3];
    u[4] = Add(u[4], u[0]);
    if (Abs(u[4]) > u[1]) {
        u[4] = TAMA_Wrap(u[0] < 1 ? -Abs(u[1]) : Abs(u[1]));
        u[0] = TAMA_Wrap(-int64_t(u[0]));
    }
}
void SegInitElectric(LIST_NODE* n, const TAMA_PHASE& p) {
    for (int i = 0; i < 3; ++i) n->tama->u[i] = p.param2(i);
}
void SegInitHoming(LIST_NODE* n, const TAMA_PHASE& p) {
    int32_t* u = n->tama->u;
    u[0] = p.param2(0);
    u[1] = p.param2(1) < 1 ? 1 : p.param2(1);
}
void SegInitWave(LIST_NODE* n, const TAMA_PHASE& p) {
    int32_t* u = n->tama->u;
    const LIST_NODE* pred = TAMA_Live(n->owner, LIST_KIND_TAMA);
    if (!pred || pred->tama->w[TAMA_W_RANGE] < 1) {
        for (int i = 0; i < 3; ++i) u[i] = p.param2(i);
        u[3] = u[2];
        u[4] = 0;
        return;
    }
    for (int i = 0; i < 5; ++i) u[i] = pred->tama->u[i];
    WaveStep(u);
}
constexpr Init kHeadInit[] = {HeadInitSector, HeadInitTarget, HeadInitSwing};
constexpr Init kSegInit[] = {SegInitElectric, SegInitHoming, SegInitWave};
constexpr int kLaserVariants = 3;

// The head or segment init of the phase p for a segment of the order, as at its creation.
void LaserInitOne(LIST_NODE* n, LIST_NODE* order, const TAMA_PHASE& p) {
    if (OwnedBySegment(n, order)) {
        if (p.seg_variant() < kLaserVariants) kSegInit[p.seg_variant()](n, p);
        return;
    }
    TAMA_LaserLinkFx(n, order);
    if (p.variant() < kLaserVariants) kHeadInit[p.variant()](n, p);
}

// The beam's settings of the phase on its fire order.
void OrderSettings(LIST_NODE* order, const TAMA_PHASE& p) {
    order->wp2->per_shot = int16_t(p.param2(12));
    order->wp2->pattern[1] = p.param2(11);
}

// Points the node along sector d and turns it towards the laser's aim point. The sprite turns from
// the node's own direction: a head reversed by a wall keeps its negative one.
int SteerToAim(LIST_NODE* n, int64_t d, int step) {
    int32_t ax, ay, ah;
    MTH_AngleToVec(TAMA_Wrap(d * 9), &n->vx, &n->vy);
    TAMA_GetAimPoint(n, &ax, &ay, &ah);
    TAMA_SteerTo(n, ax, Add(ay, -int64_t(ah)), step, 2, 9);
    return n->dir;
}

int64_t HeadUpdate(LIST_NODE* n, int variant) {
    int32_t* w = n->tama->w;
    int64_t d = n->dir;
    switch (variant) {
        case 0: d = int64_t(w[0]) + w[1] - BTL_RandMod(Add(2 * int64_t(w[1]), 1)); break;
        case 1: {
            const int64_t every = w[0] < 1 ? 1 : w[0];
            if (Cur()->tama->frames % every == 0) d = SteerToAim(n, d, w[1]);
            break;
        }
        case 2:
            d = int8_t(MTH_GetVecDirIndex(9, n->vx, n->vy) + w[2]);
            w[2] = Add(w[2], w[0]);
            if (w[1] < 0) w[2] = TAMA_Mod(w[2], TAMA_LASER_SECTORS);
            else if (Abs(w[2]) > w[1]) w[0] = TAMA_Wrap(-int64_t(w[0]));
            break;
        default: break;
    }
    return d;
}

int64_t SegmentUpdate(LIST_NODE* n, LIST_NODE* pred, LIST_NODE* head, int variant) {
    int32_t* u = n->tama->u;
    int64_t d = n->dir;
    switch (variant) {
        case 0:
            d = int64_t(pred->dir) + u[0] - BTL_RandMod(Add(2 * int64_t(u[0]), 1));
            u[0] = Add(u[0], u[1]);
            if (u[1] < 1 ? u[0] < u[2] : u[0] > u[2]) u[0] = u[2];
            break;
        case 1: {
            const SP_ANIM* pa = SP_Anim(pred->sprite);
            d = pa ? pa->pattern_offset : 0;
            const int32_t k = n->tama->w[TAMA_W_RANGE];
            const int64_t every = u[1] < 1 ? 1 : u[1];
            if (k >= u[0] && k % every == 0) {
                n->dir = int8_t(TAMA_Mod(d, TAMA_LASER_SECTORS));  // turns from its predecessor's sector, not its own last one
                d = SteerToAim(n, d, 1);
            }
            break;
        }
        case 2:
            d = int64_t(head ? head->dir : 0) + u[4];
            WaveStep(u);
            break;
        default: break;
    }
    return d;
}

void Place(LIST_NODE* n, int64_t d) {
    SetDir(n, TAMA_Mod(d, TAMA_LASER_SECTORS));
    n->tama->w[TAMA_W_CHAIN] = 1;
}
}  // namespace

void TAMA_MissileInit(LIST_NODE* n, int32_t order) {
    TAMA_OBJ* b = n->tama;
    const TAMA_PHASE p = PhaseOf(n);
    b->linked = int16_t(order);
    b->w[TAMA_W_RANGE] = p.param(15);
    if (p.variant() < kMissileVariants) kMissileInit[p.variant()](n, p);
}

int TAMA_MissileUpdate() {
    LIST_NODE* n = Cur();
    const TAMA_OBJ* b = n->tama;
    const int32_t range = b->w[TAMA_W_RANGE];
    const LIST_NODE* t = Target(n);
    if (range >= 0 && t && int64_t(MTH_Dist2(n->x, n->y, t->x, t->y)) < int64_t(range) * range) return 0;
    const int variant = PhaseOf(n).variant();
    return variant < kMissileVariants && kMissile[variant](n) >= 0 ? 1 : 0;
}

void TAMA_FieldInit(LIST_NODE* n, int32_t order) {
    const LIST_NODE* f = order >= 0 ? TAMA_Live(order, LIST_KIND_WP2) : nullptr;
    if (f) n->tama->linked = f->owner;
    g_creating = f != nullptr;
    const TAMA_PHASE p = PhaseOf(n);
    if (p.variant() < kFieldVariants) kFieldInit[p.variant()](n, p);
    g_creating = false;
}

int TAMA_FieldUpdate() {
    LIST_NODE* n = Cur();
    LIST_NODE* anchor = TAMA_Live(n->tama->linked, -1);
    if (!anchor) return 0;
    if (anchor->kind == LIST_KIND_CHR && (!anchor->chr || anchor->chr->phase != 2)) return 0;
    if (anchor->kind == LIST_KIND_TAMA) {
        const TAMA_OBJ* a = anchor->tama;
        if (!a || !a->record || !((TAMA_PhaseOf(a).weapon().continue_mask() >> a->key) & 1)) return 0;
    }
    const int variant = PhaseOf(n).variant();
    return variant < kFieldVariants && kField[variant](n, anchor) >= 0 ? 1 : 0;
}

void TAMA_LaserInit(LIST_NODE* n, int32_t order) {
    LIST_NODE* f = TAMA_Live(order, LIST_KIND_WP2);
    TAMA_OBJ* b = n->tama;
    const TAMA_PHASE p = PhaseOf(n);
    b->linked = int16_t(order);
    b->w[TAMA_W_FOLLOW] = b->w[TAMA_W_PLACED] = b->w[TAMA_W_CHAIN] = 0;
    b->u[TAMA_U_REACTION] = p.param2(15);
    if (!f) return;
    OrderSettings(f, p);
    LaserInitOne(n, f, p);
}

void TAMA_LaserPhase(LIST_NODE* n, int32_t order) {
    LIST_NODE* f = TAMA_Live(order, LIST_KIND_WP2);
    TAMA_OBJ* b = n->tama;
    if (f) {
        const TAMA_PHASE p = PhaseOf(n);
        OrderSettings(f, p);
        // The first segment to change phase takes the whole beam along.
        if (b->w[TAMA_W_FOLLOW] == 0) {
            for (int k = 0; k < WPN_BULLET_SLOTS; ++k) {
                LIST_NODE* s = WPN_SlotBullet(f, k);
                if (!s) break;
                s->tama->linked = f->index;
                s->tama->u[TAMA_U_REACTION] = p.param2(15);
                LaserInitOne(s, f, p);
                s->tama->w[TAMA_W_FOLLOW] = 1;
            }
        }
    }
    b->w[TAMA_W_FOLLOW] = 0;
}

void TAMA_LaserLinkFx(LIST_NODE* n, LIST_NODE* order) {
    WP2_DATA* w = order->wp2;
    if (w->pattern[0] != 0) return;
    const TAMA_PHASE p = PhaseOf(n);
    const int32_t kinds[2] = {p.param2(14), p.param2(13)};  // ends 0 and 1
    for (int end = 0; end < 2; ++end) {
        if (kinds[end] <= 0) continue;
        if (LIST_NODE* e = LIST_Node(EFT_Create(21, order, order->x, order->y, order->height))) {
            e->priority = 3;
            e->eft->counter = int16_t(end);
            e->eft->variant = uint8_t(kinds[end]);
        }
    }
    w->pattern[0] = 1;
}

int TAMA_LaserUpdate(uint32_t hit_mask) {
    LIST_NODE* n = Cur();
    TAMA_OBJ* b = n->tama;
    LIST_NODE* f = Order(n);
    const LIST_NODE* owner = TAMA_Live(n->owner, -1);
    if (!f || !owner || !SP_Get(owner->sprite)) return 0;
    const int32_t k = b->w[TAMA_W_RANGE];
    if (k < 0 || k >= f->wp2->loops || WPN_SlotBullet(f, k) != n) return 0;
    const TAMA_PHASE p = PhaseOf(n);
    if ((k == 0 ? p.variant() : p.seg_variant()) >= kLaserVariants) return 0;  // no such handler
    if (b->w[TAMA_W_CHAIN] == 0) {
        TAMA_LaserHead(f);
        TAMA_LaserChain(f);
    }
    b->w[TAMA_W_CHAIN] = 0;
    WP2_DATA* w = f->wp2;
    if (hit_mask == 0) {
        if (w->beam_hits > 0) --w->beam_hits;
    } else {
        switch (b->u[TAMA_U_REACTION]) {
            case 0: break;
            case 1:  // the rest of the beam is cut
                for (int j = k + 1; j < w->loops && j < WPN_BULLET_SLOTS; ++j) w->slots[j] = WPN_FREE_SLOT;
                break;
            case 2:  // the rest of the beam is straightened behind this segment
                if (b->w[TAMA_W_PLACED] != 0) break;
                for (int j = k + 1; j < w->loops && j < WPN_BULLET_SLOTS; ++j) {
                    LIST_NODE* s = WPN_SlotBullet(f, j);
                    const LIST_NODE* pred = s ? TAMA_Live(s->owner, -1) : nullptr;
                    if (!pred) break;
                    const POINT at = TAMA_GetLinkPoint(pred, f);
                    TAMA_SetPos(s, at.x, at.y, pred->height);
                    SetDir(s, n->dir);
                    s->tama->w[TAMA_W_PLACED] = 1;
                }
                break;
            default: return 0;
        }
        w->pattern[2] = int32_t(uint32_t(w->pattern[2]) | HIT_GetMask());
        w->beam_hits = int16_t(w->beam_hits + 2);
    }
    b->w[TAMA_W_PLACED] = 0;
    return 1;
}

void TAMA_LaserHead(LIST_NODE* order) {
    LIST_NODE* head = WPN_SlotBullet(order, 0);
    const LIST_NODE* shooter = head ? TAMA_Live(head->owner, -1) : nullptr;
    if (!shooter) return;
    RECT r;
    TAMA_HitBox(shooter, 6, &r);
    const POINT at = TAMA_GetLinkPoint(shooter, order);
    const int64_t rise = int64_t(r.bottom) - r.top;
    TAMA_SetPos(head, at.x, Add(at.y, rise), Add(shooter->height, rise));
    const int variant = PhaseOf(head).variant();
    Place(head, variant < kLaserVariants ? HeadUpdate(head, variant) : head->dir);
}

void TAMA_LaserChain(LIST_NODE* order) {
    LIST_NODE* head = WPN_SlotBullet(order, 0);
    bool turned = false;
    for (int k = 1; k < order->wp2->loops && k < WPN_BULLET_SLOTS; ++k) {
        LIST_NODE* s = WPN_SlotBullet(order, k);
        if (!s) break;
        LIST_NODE* pred = TAMA_Live(s->owner, -1);
        if (!pred) continue;
        const POINT at = TAMA_GetLinkPoint(pred, order);
        TAMA_SetPos(s, at.x, at.y, pred->height);
        // A direction made negative by a wall's reversal turns the first such segment away.
        const bool reversed = s->dir < 0;
        const int variant = PhaseOf(s).seg_variant();
        int64_t d = variant < kLaserVariants ? SegmentUpdate(s, pred, head, variant) : s->dir;
        if (reversed && !turned) {
            d += 30 - BTL_RandMod(11);
            turned = true;
        }
        Place(s, d);
    }
}

POINT TAMA_GetLinkPoint(const LIST_NODE* pred, const LIST_NODE* order) {
    const bool in_chain = pred->kind == LIST_KIND_TAMA && pred->tama && WPN_SlotBullet(order, pred->tama->w[TAMA_W_RANGE]) == pred;
    RECT r;
    TAMA_HitBox(pred, in_chain ? 8 : 6, &r);
    return {Add(pred->x, r.left), Add(pred->y, r.top)};
}

void TAMA_GetAimPoint(const LIST_NODE* n, int32_t* x, int32_t* y, int32_t* h) {
    *x = n->x, *y = n->y, *h = n->height;
    const LIST_NODE* f = TAMA_Live(n->tama->linked, LIST_KIND_WP2);
    if (!f || !f->wp2) return;
    const LIST_NODE* at = f;
    switch (WPN_REC{f->wp2->weapon}.origin_mode()) {
        case 1:
            if (const LIST_NODE* o = TAMA_Live(f->owner, -1)) {
                const POINT m = WPN_MountPoint(o);
                *x = m.x, *y = m.y, *h = o->height;
                return;
            }
            return;
        case 3: at = TAMA_Live(f->target, -1); break;
        default: break;
    }
    if (at) *x = at->x, *y = at->y, *h = at->height;
}
