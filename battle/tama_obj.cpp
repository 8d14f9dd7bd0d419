// Bullet objects: creation, keyframes and their animation timing, phases and the phase rules, the
// per-frame update with its movement sub-steps, hit checks, gravity, walls, speed and scale, and
// the homing turn the motion handlers share.
#include "battle/tama_obj.h"

#include <cstdlib>

#include "battle/btl_common.h"
#include "battle/btl_sound.h"
#include "battle/chr_char.h"
#include "battle/eft_effect.h"
#include "battle/hit_resolve.h"
#include "battle/list_pool.h"
#include "battle/map_data.h"
#include "battle/wpn_fire.h"
#include "services/mth_math.h"
#include "sprite/sp_draw.h"
#include "sprite/spr_set.h"

namespace {
constexpr uint32_t kDrawFlags[TAMA_DRAW_CODES] = {0, 1, 2, 4, 8, 1024, 2048, 16, 4096, 8192, 32, 64, 128, 256, 512};
int g_sub_step = 0;

int64_t Keep(int64_t v, int64_t lo, int64_t hi) {
    if (v < lo) v = lo;
    if (v > hi) v = hi;
    return v;
}

void SetDir(LIST_NODE* n, int dir) {
    n->dir = int8_t(dir);
    if (SP_ANIM* a = SP_Anim(n->sprite)) a->pattern_offset = uint8_t(dir);
}

// Frame rectangle, map box and body box from hit boxes 2, 0 and 5, each as left, top, right, bottom.
void ReadRects(LIST_NODE* n) {
    RECT r{};
    SP_GetHitBox(n->sprite, 2, &r);
    n->frame_rect = r;
    r = RECT{};
    SP_GetHitBox(n->sprite, 0, &r);
    n->map_box = {r.left, r.top, r.right, r.bottom};
    r = RECT{};
    SP_GetHitBox(n->sprite, 5, &r);
    n->body_box = {r.left, r.top, r.right, r.bottom};
}

// Speed (a random first speed with flag 128), its sub-steps and the hit counters of the phase.
void StartMotion(LIST_NODE* n) {
    TAMA_OBJ* b = n->tama;
    const TAMA_PHASE ph = TAMA_PhaseOf(b);
    n->speed = ph.speed();
    if (ph.flags() & TAMA_RANDOM_SPEED) n->speed = int16_t(BTL_RandModPositive(ph.speed()));
    LIST_SplitSpeed(n->speed, &n->sub_steps, &n->sub_step_size);
    b->hits1 = ph.chr_hits();
    b->hits2 = ph.tama_hits();
}

// The missile effects of flag 8, made once while the flag stays on.
void AttachEffects(LIST_NODE* n) {
    TAMA_OBJ* b = n->tama;
    if (!(TAMA_PhaseOf(b).flags() & TAMA_MISSILE_FX)) {
        b->fx_made = 0;
        return;
    }
    if (b->fx_made) return;
    EFT_Create(19, n, -999, -999, n->height);
    RECT r{};
    SP_GetHitBox(n->sprite, 15, &r);
    EFT_Create(12, n, TAMA_Wrap(n->x + 4 * int64_t(r.left)), TAMA_Wrap(n->y + 4 * int64_t(r.top)), n->height);
    b->fx_made = 1;
}

void ClassInit(LIST_NODE* n, int32_t order, bool entry) {
    switch (TAMA_PhaseOf(n->tama).cls()) {
        case TAMA_MISSILE: TAMA_MissileInit(n, order); break;
        case TAMA_FIELD: TAMA_FieldInit(n, entry ? -1 : order); break;
        case TAMA_LASER: entry ? TAMA_LaserPhase(n, order) : TAMA_LaserInit(n, order); break;
        default: break;
    }
}

int SetPhaseOf(LIST_NODE* n, int phase) {
    TAMA_OBJ* b = n->tama;
    if (phase < 0 || phase >= TAMA_PHASES) {
        phase = TAMA_PhaseOf(b).end_phase();
        if (phase < 0 || phase >= TAMA_PHASES) return 0;
    }
    b->phase = uint8_t(phase);
    b->key = 0;
    b->key_countdown = b->fall_time = 0;
    b->frames = 0;
    const TAMA_PHASE ph = TAMA_PhaseOf(b);
    if (ph.key(0).length() < 0) return 0;
    StartMotion(n);
    TAMA_SetKey(n, 0);
    n->height = int32_t(Keep(int64_t(n->height) + ph.rise(), ph.height_min(), ph.height_max()));
    if (SP_OBJ* o = SP_Get(n->sprite)) o->lift = int16_t(n->height);
    SP_SetGroundClip(n->sprite, (ph.flags() & TAMA_SINK) ? 1 : 0);
    ReadRects(n);
    AttachEffects(n);
    ClassInit(n, b->linked, true);
    return 1;
}

void Scale(LIST_NODE* n, const TAMA_SCALE& s) {
    SP_ANIM* a = SP_Anim(n->sprite);
    const int v = s.value();
    int scale;
    switch (s.mode()) {
        case 0: scale = v; break;
        case 2: scale = 1 + BTL_RandMod(v); break;
        case 3:
            scale = v / 2 + BTL_RandMod(v / 2 + 1);
            if (scale == 0) scale = 1;
            break;
        default: return;
    }
    if (a) a->scale_x = a->scale_y = uint16_t(scale);
}

uint16_t StepScale(int v, const TAMA_SCALE& s) {
    int64_t x = int64_t(v) + s.step();
    if (x < 0) x = 0;
    return uint16_t(Keep(x, s.min(), s.max()));
}

void Trail(LIST_NODE* n) {
    const TAMA_PHASE ph = TAMA_PhaseOf(n->tama);
    RECT r;
    if (ph.trail() <= 0 || !TAMA_HitBox(n, ph.trail_box(), &r)) return;
    const int count = TAMA_DecodeCount(ph.trail_count());
    for (int i = 0; i < count; ++i)
        TAMA_CreateSpread(ph.trail() - 1, n, TAMA_Wrap(int64_t(n->x) + r.left), TAMA_Wrap(int64_t(n->y) + r.top), n->height,
                          ph.trail_spread());
}

// A chain segment ending frees its slot only while the slot is its own.
void FreeChainSlot(LIST_NODE* n) {
    const TAMA_OBJ* b = n->tama;
    LIST_NODE* order = TAMA_Live(b->linked, LIST_KIND_WP2);
    if (order && WPN_SlotBullet(order, b->w[TAMA_W_RANGE]) == n) order->wp2->slots[b->w[TAMA_W_RANGE]] = WPN_FREE_SLOT;
}

bool RuleMet(int count, int initial, int left) { return count >= 0 && ((count == 999 && left == 0) || initial - left >= count); }
}  // namespace

LIST_NODE* TAMA_Live(int32_t index, int kind) {
    LIST_NODE* n = LIST_Node(index);
    return n && n->in_use && (kind < 0 || n->kind == kind) ? n : nullptr;
}

bool TAMA_HitBox(const LIST_NODE* n, int box, RECT* r) {
    *r = RECT{};
    if (!n || box < 0 || box >= SPR_HIT_BOXES || !SP_GetHitBox(n->sprite, box, r)) return false;
    if (r->left == 0 && r->top == 0 && r->right == 0 && r->bottom == 0) return false;
    return true;
}

void TAMA_SetPos(LIST_NODE* n, int32_t x, int32_t y, int32_t h) {
    n->x = x, n->y = y, n->height = h;
    n->x16 = BTL_Fix16(x), n->y16 = BTL_Fix16(y), n->height16 = BTL_Fix16(h);
}

uint32_t TAMA_DrawFlags(int code) { return code >= 0 && code < TAMA_DRAW_CODES ? kDrawFlags[code] : 0; }

int32_t TAMA_Create(int bullet, LIST_NODE* owner, int32_t x, int32_t y, int32_t height, int32_t sx, int32_t sy,
                    int32_t sh, int32_t ax, int32_t ay, int32_t ah, int box) {
    const uint8_t* record = TAMA_Record(bullet);
    if (!record || !owner) return -1;
    LIST_NODE* order = LIST_CURRENT.node && LIST_CURRENT.node->kind == LIST_KIND_WP2 ? LIST_CURRENT.node : nullptr;
    int phase = 0;
    // A beam shares one phase: a new segment takes its head's.
    if (TAMA_Phase(record, 0).cls() == TAMA_LASER)
        if (const LIST_NODE* head = WPN_SlotBullet(order, 0)) phase = head->tama->phase;
    const TAMA_PHASE ph = TAMA_Phase(record, phase);
    if (ph.key(0).length() < 0) return -1;
    const int id = SP_FindFree();
    if (id < 0 || !SP_CreateAnim(id, MAP_WORLD_PRIORITY, x, y, EFT_SET, 0)) return -1;
    LIST_NODE* n = LIST_Alloc(LIST_KIND_TAMA);
    if (!n) {
        SP_Delete(id);
        return -1;
    }
    n->team = owner->team;
    n->slot = owner->slot;
    n->owner = owner->index;
    n->target = owner->target;
    n->priority = 4;
    TAMA_OBJ* b = n->tama;
    b->record = record;
    b->phase = uint8_t(phase);
    if (order && order->wp2) {
        b->waza = order->wp2->waza;
        b->repeats = order->wp2->repeats;
        b->hit_kind = WPN_REC{order->wp2->weapon}.hit_kind();
    }
    StartMotion(n);
    TAMA_SetPos(n, x, y, TAMA_Wrap(int64_t(height) + ph.rise()));
    b->aim_point[0] = ax, b->aim_point[1] = ay, b->aim_point[2] = ah;
    MTH_GetDirVec(sx, TAMA_Wrap(int64_t(sy) - sh), ax, TAMA_Wrap(int64_t(ay) - ah), &n->vx, &n->vy);
    b->muzzle_box = uint8_t(box);
    n->sprite = int16_t(id);
    SP_SetOwner(id, n->index);
    TAMA_SetKey(n, 0);
    if (SP_OBJ* o = SP_Get(id)) o->lift = int16_t(n->height);
    SP_SetGroundClip(id, (ph.flags() & TAMA_SINK) ? 1 : 0);
    Scale(n, ph.scale(0));  // again after the keyframe's own: a random scale is drawn twice at birth
    AttachEffects(n);
    ReadRects(n);
    const WPN_REC wpn = ph.weapon();
    if (wpn.bullet() >= 0 && ((wpn.fire_mask() >> phase) & 1)) WPN_Create(n, wpn.p);
    ClassInit(n, order ? order->index : -1, false);
    if (LIST_NODE* c = CHR_Get(n->slot); c && c->chr) c->chr->cancel_ok = 1;
    ++LIST_STATE_DATA.wpnCnt;
    return n->index;
}

int TAMA_SetKey(LIST_NODE* n, int k) {
    TAMA_OBJ* b = n->tama;
    b->key = uint8_t(k);
    b->anim_done = 0;
    const TAMA_PHASE ph = TAMA_PhaseOf(b);
    if (k < 0 || k >= TAMA_KEYS || ph.key(k).length() < 0) return SetPhaseOf(n, ph.after_phase());
    const TAMA_KEY key = ph.key(k);
    TAMA_SetKeyAnim(n);
    n->draw_parts[0] = ph.draw_parts(k);
    if (SP_ANIM* a = SP_Anim(n->sprite)) {
        a->flags = TAMA_DrawFlags(key.draw());
        a->blend = key.blend();
    }
    if (key.sound()) BTL_SePlay(key.sound() - 1, -1);
    const WPN_REC wpn = ph.weapon();
    if (((wpn.aim_mask() >> k) & 1))
        if (const LIST_NODE* t = TAMA_Live(n->target, -1)) {
            b->aim[0] = TAMA_Wrap(int64_t(t->x) - n->x);
            b->aim[1] = TAMA_Wrap(int64_t(t->y) - n->y);
        }
    Scale(n, ph.scale(k));
    // A run of keyframes in the start mask starts one order, at its first keyframe.
    const uint16_t start = wpn.fire_mask();
    if (wpn.bullet() >= 0 && ((start >> k) & 1) && (k == 0 || !((start >> (k - 1)) & 1))) WPN_Create(n, wpn.p);
    return 1;
}

void TAMA_SetKeyAnim(LIST_NODE* n) {
    TAMA_OBJ* b = n->tama;
    const TAMA_PHASE ph = TAMA_PhaseOf(b);
    const TAMA_KEY key = ph.key(b->key);
    SP_ANIM* a = SP_Anim(n->sprite);
    if (key.seq() < SPR_SEQUENCES) SP_PlaySeq(n->sprite, key.seq(), 0, 1);  // a larger one keeps what plays
    const SPR_SEQ* s = a && a->set < SPR_SETS && SPR_PATTERN_TABLE[a->set] && a->seq >= 0 && a->seq < SPR_SEQUENCES
                           ? &SPR_SEQ_TABLE[a->set][a->seq]
                           : nullptr;
    const int steps = s ? (s->step_count < TAMA_DURATIONS ? s->step_count : TAMA_DURATIONS) : 0;
    const int64_t length = key.length();
    auto wait = [&](int i) { return int64_t(s->steps[i].wait); };
    switch (key.timing()) {
        case 0:
            if (s && s->step_count >= 2) {
                int64_t total = 0;  // over every step, also those past the 128 durations kept
                for (int i = 0; i < s->step_count; ++i) total += wait(i) + 1;
                for (int i = 0; i < steps; ++i) b->durations[i] = uint16_t((wait(i) + 1) * length / total - 1);
            } else {
                b->durations[0] = uint16_t(length - 1);
            }
            break;
        case 1:
            for (int i = 0; i < steps; ++i) b->durations[i] = uint16_t(length == 100 ? wait(i) : (wait(i) + 1) * length / 100 - 1);
            break;
        case 2:
            b->key_countdown = int16_t(length);
            [[fallthrough]];
        case 3:
            for (int i = 0; i < steps; ++i) b->durations[i] = uint16_t(wait(i));
            if (a) a->loop = 1;
            break;
        default: break;
    }
    if (a) a->wait = int16_t(b->durations[0]);
    if (ph.cls() != TAMA_LASER) SetDir(n, key.face() ? MTH_GetVecDirIndex(15, n->vx, n->vy) : 0);
}

int TAMA_SetPhase(int n) { return LIST_CURRENT.node && LIST_CURRENT.node->tama ? SetPhaseOf(LIST_CURRENT.node, n) : 0; }

int TAMA_CheckPhase() {
    LIST_NODE* n = LIST_CURRENT.node;
    TAMA_OBJ* b = n->tama;
    const TAMA_PHASE ph = TAMA_PhaseOf(b);
    if (ph.cls() == TAMA_LASER) {
        if (!TAMA_Live(b->linked, LIST_KIND_WP2) || !TAMA_Live(n->owner, -1)) return TAMA_SetPhase(-1);
        if (b->w[TAMA_W_FOLLOW]) return TAMA_SetPhase(ph.after_phase());
    }
    if (ph.wall_phase() >= 0 && b->wall_hit) return TAMA_SetPhase(ph.wall_phase());
    if (RuleMet(ph.hit1_count(), ph.chr_hits(), b->hits1)) return TAMA_SetPhase(ph.hit1_phase());
    if (RuleMet(ph.hit2_count(), ph.tama_hits(), b->hits2)) return TAMA_SetPhase(ph.hit2_phase());
    if (ph.land_phase() >= 0 && n->height < 1) return TAMA_SetPhase(ph.land_phase());
    if (b->key >= TAMA_KEYS) return -1;
    SP_ANIM* a = SP_Anim(n->sprite);
    switch (ph.key(b->key).timing()) {
        case 0:
        case 1:
            if (b->anim_done) return TAMA_SetKey(n, b->key + 1);
            break;
        case 2:
            if (--b->key_countdown < 0) return TAMA_SetKey(n, b->key + 1);
            if (a) a->loop = 1;
            break;
        case 3:
            if (n->height == 0) return TAMA_SetKey(n, b->key + 1);
            if (a) a->loop = 1;
            break;
        default: break;
    }
    return -1;
}

int TAMA_Update() {
    LIST_NODE* n = LIST_CURRENT.node;
    TAMA_OBJ* b = n->tama;
    LIST_CURRENT.tama = b;
    LIST_CURRENT.next = n->next;
    if (!b || !b->record) return 1;  // nothing to run: it holds still
    const int32_t ox = n->x, oy = n->y, oh = n->height;
    b->hit_frame = 0;
    if (TAMA_PhaseOf(b).flags() & TAMA_AFTERIMAGE) EFT_Create(24, n, n->x, n->y, n->height);
    int r = TAMA_CheckPhase();
    if (r != 0) {
        RECT box{};
        SP_GetHitBox(n->sprite, 2, &box);
        n->frame_rect = box;
        box = RECT{};
        SP_GetHitBox(n->sprite, 4, &box);
        n->height_offset = int16_t(std::abs(box.top));
        n->height_range = int16_t(box.bottom - box.top);
        LIST_SplitSpeed(n->speed, &n->sub_steps, &n->sub_step_size);
        for (int s = 0; s < n->sub_steps; ++s) {
            g_sub_step = s;
            if (!TAMA_SubStep()) {
                r = 0;
                break;
            }
        }
        g_sub_step = 0;
        const bool moved = n->x != ox || n->y != oy || n->height != oh;
        if ((TAMA_PhaseOf(b).flags() & TAMA_FACE_MOVE) && moved)
            SetDir(n, MTH_GetDirIndex(15, ox, TAMA_Wrap(int64_t(oy) - oh), n->x, TAMA_Wrap(int64_t(n->y) - n->height)));
        Trail(n);
        if (r != 0) TAMA_StepSpeedScale();
        ++b->frames;
        if (r != 0 && n->height >= 0) {
            LIST_CURRENT.next = n->next;
            return 1;
        }
    }
    if (TAMA_SetPhase(-1)) {
        LIST_CURRENT.next = n->next;
        return 1;
    }
    if (TAMA_PhaseOf(b).cls() == TAMA_LASER) FreeChainSlot(n);
    LIST_CURRENT.next = TAMA_Delete(n);
    return 1;
}

int32_t TAMA_Delete(LIST_NODE* node) {
    if (!node || !node->in_use) return -1;
    --LIST_STATE_DATA.wpnCnt;
    return LIST_Free(node->index);
}

int32_t TAMA_GetCount() { return LIST_STATE_DATA.wpnCnt; }

int TAMA_GetSubStep() { return g_sub_step; }

int TAMA_SubStep() {
    LIST_NODE* n = LIST_CURRENT.node;
    TAMA_OBJ* b = n->tama;
    const TAMA_PHASE ph = TAMA_PhaseOf(b);
    if (const LIST_NODE* c = CHR_Get(n->slot); c && c->chr && c->chr->reduction > b->reduction) b->reduction = c->chr->reduction;
    const LIST_NODE* order = ph.cls() == TAMA_LASER ? TAMA_Live(b->linked, LIST_KIND_WP2) : nullptr;
    const uint32_t skip = order ? uint32_t(order->wp2->pattern[2]) : 0;
    HIT_ClearMask();
    uint32_t result = 0;
    // Multi-hit word 0 checks without applying (kept as the record format has it).
    if (b->hit_countdown <= 0 && b->key < TAMA_KEYS && ph.key(b->key).multi_hit() != 0) {
        const int checks = 64 - ph.hit_code() >= 2 ? 64 - ph.hit_code() : 1;
        for (int i = 0; i < checks; ++i) result |= HIT_Check(1, skip);
    } else {
        result = HIT_Check(0, skip);
        if (b->hit_countdown > INT8_MIN) --b->hit_countdown;  // held at the bottom rather than wrapping
    }
    const bool pierced = ((result & 1) && (ph.flags() & TAMA_PIERCE_CHR)) || ((result & 2) && (ph.flags() & TAMA_PIERCE_TAMA));
    if (result == 0 || pierced) return TAMA_MoveStep(1, 1, result);
    if (ph.hit_flags() & 2) return TAMA_MoveStep(0, 1, result);
    return 1;  // held at its target this sub-step
}

int TAMA_MoveStep(int handler, int vertical, uint32_t hit_mask) {
    LIST_NODE* n = LIST_CURRENT.node;
    TAMA_OBJ* b = n->tama;
    const TAMA_PHASE ph = TAMA_PhaseOf(b);
    const int32_t ox = n->x, oy = n->y, oh = n->height;
    if (handler) {
        int ok = 0;
        switch (ph.cls()) {
            case TAMA_MISSILE: ok = TAMA_MissileUpdate(); break;
            case TAMA_FIELD: ok = TAMA_FieldUpdate(); break;
            case TAMA_LASER: ok = TAMA_LaserUpdate(hit_mask); break;
            default: break;
        }
        if (!ok) return 0;
    }
    if (vertical) {
        int64_t rise = ph.rise_step();
        if (ph.flags() & TAMA_GRAVITY) {
            const int64_t t = b->fall_time;
            rise += (-(t * t)) >> 3;
            b->fall_time = int16_t(b->fall_time + 1);
        }
        n->height = TAMA_Wrap(n->height + rise);
    }
    const MapData& m = *MAP_Current();
    if (m.cells) {
        if (n->x < 0 || n->x > m.pixel_w) {
            n->x = n->x < 0 ? 0 : m.pixel_w;
            n->x16 = BTL_Fix16(n->x);
        }
        if (n->y < 0 || n->y > m.pixel_h) {
            n->y = n->y < 0 ? 0 : m.pixel_h;
            n->y16 = BTL_Fix16(n->y);
        }
    }
    b->wall_hit = 0;
    if (ph.wall_mode() != 0 && MAP_CheckRect(n, MAP_WALL)) {
        b->wall_hit = 1;
        const bool laser = ph.cls() == TAMA_LASER;
        if (laser)
            if (LIST_NODE* order = TAMA_Live(b->linked, LIST_KIND_WP2)) order->wp2->beam_hits = int16_t(order->wp2->beam_hits + 2);
        switch (ph.wall_mode()) {
            case 1: TAMA_SetPos(n, ox, oy, oh); break;
            case 2: return 0;
            case 3:
                if (laser) {
                    n->dir = int8_t(-n->dir);  // negative until the chain turns it away
                } else {
                    TAMA_SetPos(n, ox, oy, n->height);
                    n->vx = TAMA_Wrap(-int64_t(n->vx));
                    n->vy = TAMA_Wrap(-int64_t(n->vy));
                }
                break;
            default: break;
        }
    }
    n->height16 = BTL_Fix16(n->height);
    n->height = int32_t(Keep(n->height, ph.height_min(), ph.height_max()));
    return 1;
}

void TAMA_StepSpeedScale() {
    LIST_NODE* n = LIST_CURRENT.node;
    const TAMA_OBJ* b = n->tama;
    const TAMA_PHASE ph = TAMA_PhaseOf(b);
    if ((ph.flags() & TAMA_RANDOM_SPEED) && b->frames == 1) n->speed = ph.speed();
    n->speed = int16_t(Keep(int64_t(n->speed) + ph.speed_step(), ph.speed_min(), ph.speed_max()));
    SP_ANIM* a = SP_Anim(n->sprite);
    if (!a || b->key >= TAMA_KEYS) return;
    const TAMA_SCALE s = ph.scale(b->key);
    a->scale_x = StepScale(a->scale_x, s);
    a->scale_y = StepScale(a->scale_y, s);
}

int TAMA_TurnSign(int a, int b, int full) {
    const int d = a - b, half = full / 2;
    if (d < 0) return -d > half ? 1 : -1;
    return d > half ? -1 : 1;
}

int TAMA_SteerTo(LIST_NODE* n, int32_t x, int32_t y, int step, int facing, int size) {
    const int32_t hx = TAMA_Wrap((int64_t(n->x16) + 32 * int64_t(n->vx)) >> 16);
    const int32_t hy = TAMA_Wrap((int64_t(n->y16) + 32 * int64_t(n->vy)) >> 16);
    const int current = MTH_Atan2Deg(n->x, n->y, hx, hy), wanted = MTH_Atan2Deg(n->x, n->y, x, y);
    const int sign = TAMA_TurnSign(current, wanted, 360);
    const int difference = std::abs(current - wanted);
    const int64_t turn = int64_t(sign) * step;
    int32_t rx = hx, ry = hy;
    MTH_RotatePointFix(&rx, &ry, n->x, n->y, hx, hy, TAMA_Wrap(turn));
    MTH_GetDirVec(n->x, n->y, rx, ry, &n->vx, &n->vy);
    if (size < 1 || facing < 1 || facing > 6) return difference;
    int64_t d = n->dir;
    const int towards = facing <= 3 ? MTH_GetDirIndex(size, n->x, n->y, x, y) : MTH_GetVecDirIndex(size, n->vx, n->vy);
    switch (facing) {
        case 1:
        case 4: d = towards; break;
        case 2:
        case 5:
            if (towards != d) d -= turn;
            break;
        default:
            if (towards != d) d -= sign;
            break;
    }
    SetDir(n, TAMA_Mod(d, 360 / size));
    return difference;
}
