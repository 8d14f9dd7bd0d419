// Script move queues: per-character orders to walk or dash to a point, turn and wait, or start a
// technique; the script state handlers that carry out the moves, and the interruption by hits.
#include <algorithm>

#include "battle/bsc_command.h"
#include "battle/btl_common.h"
#include "battle/btl_frame.h"
#include "battle/btl_sound.h"
#include "battle/chr_char.h"
#include "battle/chr_move.h"
#include "battle/chr_state.h"
#include "battle/eft_effect.h"
#include "battle/hit_resolve.h"
#include "battle/list_pool.h"
#include "battle/map_data.h"
#include "battle/scr_camera.h"
#include "battle/tama_obj.h"
#include "battle/waza_exec.h"
#include "services/fil_util.h"
#include "services/mth_math.h"
#include "sprite/sp_draw.h"

MBSC_MOVE_QUEUE MBSC_QUEUE[10]{};
int32_t bscMovRun = 0;
int32_t bscMovCnt = 0;

const MBSC_STATE_FUNC MBSC_STATE_TABLE[9] = {mBSC_StateStand, mBSC_StateWalk, mBSC_StateDash,
                                             mBSC_StateDash,  mBSC_StateDash, mBSC_StateDash5,
                                             CHR_StateHit,    CHR_StateBlown, CHR_StateDown};

namespace {
constexpr int32_t kComputed = -999;  // a destination or speed the character's own values give

bool ValidSlot(int slot) { return slot >= 0 && slot < CHR_SLOTS; }

int FreeEntry(const MBSC_MOVE_QUEUE& q) {
    for (int i = 0; i < BSC_QUEUE_ENTRIES; ++i)
        if (!q.entry[i].used) return i;
    return -1;
}

LIST_NODE* TargetOf(const LIST_NODE* n) {
    LIST_NODE* t = LIST_Node(n->target);
    return t && t->in_use && t->kind == LIST_KIND_CHR ? t : nullptr;
}

void Face(LIST_NODE* n, int dir) {
    n->dir = int8_t(dir);
    if (SP_ANIM* a = SP_Anim(n->sprite)) a->pattern_offset = uint8_t(dir);
}

void Dust(int spread, int life) { EFT_Scatter(11, spread, life, 3); }

// Frames count down without wrapping past the lowest value.
void CountDown(int32_t& frames) {
    if (frames > INT32_MIN) --frames;
}

// Every queue empty and idle, and no run under way.
void ClearQueues() {
    for (MBSC_MOVE_QUEUE& q : MBSC_QUEUE) {
        q = MBSC_MOVE_QUEUE{};
        q.current = -1;
    }
    bscMovRun = 0;
}

// The entry the slot's queue runs, or null.
MBSC_MOVE_ENTRY* Current(int slot) {
    if (!ValidSlot(slot)) return nullptr;
    MBSC_MOVE_QUEUE& q = MBSC_QUEUE[slot];
    return q.current >= 0 && q.current < BSC_QUEUE_ENTRIES ? &q.entry[q.current] : nullptr;
}

// Enters the entry after the current one. At the end of the queue the running count falls; a
// move-to's end also stands the character, a turn's or a technique's marks the free entry done.
int Advance(int slot, LIST_NODE* n, bool stand_at_end, bool mark_end) {
    MBSC_MOVE_QUEUE& q = MBSC_QUEUE[slot];
    const int next = q.current + 1;
    const int kind = mBSC_Chr_Mov_Enter(slot, next);
    if (kind >= 0) return kind;
    --bscMovCnt;
    if (stand_at_end) CHR_SetState(n, 0);
    if (mark_end && next < BSC_QUEUE_ENTRIES) q.entry[next].kind = -1;
    return -1;
}

// On the point: placed exactly, stopped, the next entry.
void Arrive(int slot, LIST_NODE* n, const MBSC_MOVE_ENTRY& e) {
    LIST_SetX(n, e.x);
    LIST_SetY(n, e.y);
    n->chr->move_speed = 0;
    Advance(slot, n, true, false);
}

int64_t Dist2To(const LIST_NODE* n, const MBSC_MOVE_ENTRY& e) {
    const int64_t dx = int64_t(e.x) - n->x, dy = int64_t(e.y) - n->y;
    return dx * dx + dy * dy;
}

void AimAt(LIST_NODE* n, const MBSC_MOVE_ENTRY& e) {
    MTH_GetDirVec(n->x, n->y, e.x, e.y, &n->chr->pad_vec[0], &n->chr->pad_vec[1]);
}

int32_t Append(int slot, const MBSC_MOVE_ENTRY& e) {
    MBSC_MOVE_QUEUE& q = MBSC_QUEUE[slot];
    const int i = FreeEntry(q);
    if (i < 0) return -1;
    q.entry[i] = e;
    return i;
}
}  // namespace

void mBSC_Footstep(int mech) {
    switch (mech) {
        case 19:
        case 24:
        case 25:
        case 26:
        case 27:
            BTL_SePlay(60, -1);
            SCR_Quake(-1, -1, 8);
            break;
        case 21:
        case 29:
            BTL_SePlay(60, -1);
            SCR_Quake(-1, -1, 5);
            break;
        default:
            BTL_SePlay(34, -1);
            SCR_Quake(-1, -1, 2);
            break;
    }
    EFT_Scatter(11, 0, 0, 1);
}

int mBSC_Chr_Mov_Set(int slot, int32_t x, int32_t y, int state, int facing, int32_t speed) {
    LIST_NODE* n = ValidSlot(slot) ? CHR_Get(slot) : nullptr;
    if (!n) {
        SYS_DebugPrint("Error:mBSC_Chr_Mov_Set");
        return -1;
    }
    const int32_t code = facing == 1 ? 2 : (facing == 2 ? 4 : 0);
    if (Append(slot, {1, 0, mBSC_Coord(x), mBSC_Coord(y), state, code, speed}) < 0) {
        SYS_DebugPrint("mBSC_Chr_Mov_Set\x8a\xd6\x90\x94\x82\xcc\x83G\x83\x89\x81[\x81" "F\x8d\xc5\x91\xe5\x94\xcd\x88\xcd\x82"
                       "\xf0\x92\xb4\x82\xa6\x82\xc4\x88\xda\x93\xae\x8f\xee\x95\xf1\x82\xf0\x90\xdd\x92\xe8\x82\xb5\x82\xe6"
                       "\x82\xa4\x82\xc6\x82\xb5\x82\xdc\x82\xb5\x82\xbd\x81" "B"
                       /* mBSC_Chr_Mov_Set関数のエラー：最大範囲を超えて移動情報を設定しようとしました。 */);
        return -1;
    }
    CHR_SetState(n, state);
    return 0;
}

int mBSC_Chr_Dir_Set(int slot, int dir, int32_t frames) {
    if (!ValidSlot(slot) || !CHR_Get(slot) || Append(slot, {1, 1, 0, 0, 0, std::clamp(dir, -1, 7), frames}) < 0) {
        SYS_DebugPrint("Error:mBSC_Chr_Dir_Set");
        return -1;
    }
    return 0;
}

int mBSC_Chr_Waza_Set(int slot, int weapon, int variant, int32_t frames) {
    LIST_NODE* n = ValidSlot(slot) ? CHR_Get(slot) : nullptr;
    MBSC_MOVE_QUEUE* q = n ? &MBSC_QUEUE[slot] : nullptr;
    const bool first = q && !q->entry[0].used;
    if (!n || FreeEntry(*q) < 0) {
        SYS_DebugPrint("Error:mBSC_Chr_Waza_Set");
        return -1;
    }
    // A technique first in the queue holds the facing the character has.
    if (first) Append(slot, {1, 1, 0, 0, 0, n->dir, 0});
    // A weapon from a script may be anything: its technique number is kept within 32 bits (no
    // technique has such a number, so it starts nothing).
    const int64_t number = n->chr->control == CHR_PLAYER ? int64_t(weapon) * 3 + std::clamp(variant, 0, 2) : weapon;
    const int32_t t = int32_t(std::clamp<int64_t>(number, INT32_MIN, INT32_MAX));
    if (Append(slot, {1, 2, 0, 0, t, 0, frames}) < 0) {
        SYS_DebugPrint("Error:mBSC_Chr_Waza_Set");
        return -1;
    }
    return 0;
}

int mBSC_Chr_Mov_Start() {
    bscMovCnt = 0;
    for (int s = 0; s < CHR_SLOTS; ++s) {
        if (!CHR_TABLE[s] || !MBSC_QUEUE[s].entry[0].used) continue;
        MBSC_QUEUE[s].current = 0;
        mBSC_Chr_Mov_Enter(s, 0);
        ++bscMovCnt;
    }
    BTL_SetScriptMode(1);
    bscMovRun = 1;
    return 0;
}

int mBSC_Chr_Mov_Enter(int slot, int n) {
    if (!ValidSlot(slot)) return -1;
    MBSC_MOVE_QUEUE& q = MBSC_QUEUE[slot];
    q.current = n;
    LIST_NODE* node = CHR_Get(slot);
    if (n < 0 || n >= BSC_QUEUE_ENTRIES || !q.entry[n].used || !node) return -1;
    MBSC_MOVE_ENTRY& e = q.entry[n];
    CHR_DATA* c = node->chr;
    switch (e.kind) {
        case 0:
            CHR_SetState(node, e.state);
            if (e.state == 5 && (e.x == kComputed || e.y == kComputed)) {
                // The end of a full long dash at the target, or along the facing without one.
                if (const LIST_NODE* t = TargetOf(node)) MTH_GetDirVec(node->x, node->y, t->x, t->y, &c->pad_vec[0], &c->pad_vec[1]);
                else CHR_SetDirVelocity(node, node->dir, 65535);
                const int64_t reach = int64_t(c->long_dash_speed) * c->long_dash_len;
                e.x = mBSC_Coord(int32_t(std::clamp<int64_t>(node->x + ((c->pad_vec[0] * reach) >> 16), INT32_MIN, INT32_MAX)));
                e.y = mBSC_Coord(int32_t(std::clamp<int64_t>(node->y + ((c->pad_vec[1] * reach) >> 16), INT32_MIN, INT32_MAX)));
            }
            break;
        case 1:
            if (c->phase == 0) {
                if (e.facing >= 0) node->dir = int8_t(e.facing);
                CHR_SetAnim(node, CHR_ANIM_STAND, -1, 0, 0, 1);
            }
            break;
        case 2:
            CHR_ClearUseList(node);
            CHR_WazaStart(node, e.state);
            if (e.speed < 0) e.speed = kComputed;
            break;
        default: break;
    }
    return e.kind;
}

int mBSC_Chr_Mov_Update() {
    LIST_NODE* n = LIST_CURRENT.node;
    const int slot = n ? n->slot : -1;
    if (!bscMovRun || !ValidSlot(slot) || MBSC_QUEUE[slot].current < 0) return 0;
    MBSC_MOVE_QUEUE& q = MBSC_QUEUE[slot];
    int gravity = 0;
    if (q.current == BSC_QUEUE_HIT) {
        const int s = n->chr->state;
        if (s >= 6 && s <= 8) {
            CHR_STATE_TABLE[s](&gravity);
            return 0;
        }
        if (q.saved >= 0) mBSC_Chr_Mov_Enter(slot, q.saved);
        else q.current = -1;
        --bscMovCnt;
        return 0;
    }
    MBSC_MOVE_ENTRY* e = Current(slot);
    if (!e) return 0;  // past the last entry: the queue is over
    switch (e->kind) {
        case 0: {
            const int s = n->chr->state;
            if (s >= 0 && s <= 8) MBSC_STATE_TABLE[s](&gravity);
            break;
        }
        case 1:
            if (e->facing < 0)
                if (const LIST_NODE* t = TargetOf(n)) Face(n, MTH_GetDirIndex(45, n->x, n->y, t->x, t->y));
            CountDown(e->speed);
            if (e->speed < 0) Advance(slot, n, false, true);
            break;
        case 2:
            CountDown(e->speed);
            if (e->speed < 0) {
                if (e->speed >= kComputed) {
                    CHR_SetWazaPhase(n, 0);
                    CHR_EndWaza(n);
                }
                Advance(slot, n, false, true);
            }
            break;
        default: break;
    }
    return 0;
}

int mBSC_Chr_Mov_Jump(int slot, int entry) {
    BTL_Record("mBSC_Chr_Mov_Jump %d %d", slot, entry);
    if (!ValidSlot(slot)) return 0;
    MBSC_MOVE_QUEUE& q = MBSC_QUEUE[slot];
    if (q.current >= BSC_QUEUE_HIT) return 0;
    q.saved = q.current;
    q.current = entry;
    ++bscMovCnt;
    return 0;
}

int mBSC_GetBusy() {
    if (!bscMovRun) return -1;
    if (TAMA_GetCount() > 0 || !SCR_IsCameraArrived()) return 999;
    return bscMovCnt;
}

void mBSC_Reset() {
    ClearQueues();
    BTL_SetScriptMode(0);
}

// ---- script state handlers ----

int mBSC_StateStand(int*) {
    LIST_NODE* n = LIST_CURRENT.node;
    CHR_DATA* c = n->chr;
    if (MBSC_MOVE_ENTRY* e = Current(n->slot); e && e->used) {
        const int32_t was = e->speed;
        CountDown(e->speed);
        if (was < 0) {
            Advance(n->slot, n, true, false);
            return 1;
        }
    }
    if (c->state_step == 0 || c->state_step == 99) {
        c->move_speed = 0;
        c->slide_mask = c->phase ? 1 : 3;
        c->state_step = 1;
    } else if (c->state_step != 1) {
        return 1;
    }
    if (c->phase == 0) CHR_SetAnim(n, CHR_ANIM_STAND, -1, TargetOf(n) ? 4 : 0, 0, 1);
    if (CHR_FindOverlap(n) >= 0) {
        int32_t x16 = n->x16, y16 = n->y16;
        CHR_HitCheck_Chr(&x16, &y16, 0);
        LIST_SetX16(n, x16);
        LIST_SetY16(n, y16);
    }
    return 1;
}

int mBSC_StateWalk(int*) {
    LIST_NODE* n = LIST_CURRENT.node;
    CHR_DATA* c = n->chr;
    MBSC_MOVE_ENTRY* e = Current(n->slot);
    if (!e) return 1;
    const int32_t speed = e->speed == kComputed ? c->walk_speed : e->speed;
    if (c->state_step == 0) {
        c->state_counter = 0;
        if (c->phase == 0) {
            c->state_counter = int16_t(BTL_RandMod(4));
            CHR_SetAnim(n, 7 + c->state_counter, -1, e->facing, 1, 0);
        }
        c->move_speed = int16_t(speed);
        c->slide_mask = 3;
        c->state_step = 1;
    }
    // A planted foot (speed 0) never arrives: the walk reaches its point on a moving frame.
    if (Dist2To(n, *e) < int64_t(c->move_speed) * c->move_speed) {
        Arrive(n->slot, n, *e);
        return 1;
    }
    AimAt(n, *e);
    if (c->phase == 0 && !SP_IsPlaying(n->sprite)) {
        c->state_counter = int16_t((c->state_counter + 1) & 3);
        CHR_SetAnim(n, 7 + c->state_counter, -1, e->facing, 1, 0);
        if (c->state_counter & 1) mBSC_Footstep(c->mech);
    }
    if (!TargetOf(n) || e->facing == 0) Face(n, MTH_GetVecDirIndex(45, c->pad_vec[0], c->pad_vec[1]));
    c->move_speed = int16_t(c->state_counter & 1 ? 0 : speed);
    return 1;
}

int mBSC_StateDash(int*) {
    LIST_NODE* n = LIST_CURRENT.node;
    CHR_DATA* c = n->chr;
    MBSC_MOVE_ENTRY* e = Current(n->slot);
    if (!e) return 1;
    const int32_t speed = e->speed == kComputed ? c->dash_speed : e->speed;
    if (c->state_step == 0) {
        if (c->phase == 0) CHR_SetAnim(n, 11, -1, e->facing, 1, 0);
        c->move_speed = int16_t(speed);
        c->state_counter = 5;
        c->dash_phase = c->phase;
        c->slide_mask = 3;
        c->dashed = 1;
        c->state_step = 1;
        BTL_SePlay(13, -1);
    }
    if (c->state_step != 1) return 1;
    if (Dist2To(n, *e) <= int64_t(c->move_speed) * c->move_speed) {
        BTL_SeStop(14);
        const int slot = n->slot;
        Arrive(slot, n, *e);
        const MBSC_MOVE_ENTRY* next = Current(slot);
        if (next && next != e && next->used && next->kind == 0 && next->state == 2) {
            // A dash that follows runs on without a new start.
            c->state_step = 1;
            c->state_counter = 0;
            c->move_speed = int16_t(speed);
        }
        return 1;
    }
    if (c->phase == 0 && c->dash_phase != 0) CHR_SetAnim(n, 12, -1, 4, 0, 1);
    c->dash_phase = c->phase;
    Dust(8, 4);
    AimAt(n, *e);
    if (--c->state_counter == 0) {
        if (c->phase == 0) CHR_SetAnim(n, 12, -1, e->facing, 0, 1);
        BTL_SeStop(13);
        BTL_SePlay(14, -1);
    } else if (c->state_counter < 0 && !BTL_SeIsPlaying(14)) {
        BTL_SePlay(14, -1);
    }
    if (c->phase == 0) CHR_TurnToTarget(n, e->facing > 0 ? TargetOf(n) : nullptr);
    return 1;
}

int mBSC_StateDash5(int*) {
    LIST_NODE* n = LIST_CURRENT.node;
    CHR_DATA* c = n->chr;
    MBSC_MOVE_ENTRY* e = Current(n->slot);
    if (!e) return 1;
    if (c->state_step == 0) {
        if (c->phase == 0) CHR_SetAnim(n, 11, -1, 0, 1, 0);
        c->move_speed = int16_t(e->speed == kComputed ? 2 * c->long_dash_speed : e->speed);
        c->state_counter = c->long_dash_len;
        c->state_aux = int16_t(c->state_counter - 3);
        c->slide_mask = 3;
        c->dashed = 1;
        c->state_step = 1;
        for (int i = 0; i < 5; ++i) Dust(8, 16);
        BTL_SePlay(53, -1);
    }
    if (Dist2To(n, *e) <= int64_t(c->move_speed) * c->move_speed) {
        Arrive(n->slot, n, *e);
        return 1;
    }
    if (c->state_step == 1) {
        Dust(8, 4);
        EFT_Create(24, n, n->x, n->y + 8, n->height);
        AimAt(n, *e);
        if (c->state_counter > c->state_aux) c->move_speed = int16_t(c->move_speed - c->long_dash_speed / 3);
        if (c->state_counter == c->state_aux && c->phase == 0) CHR_SetAnim(n, 12, -1, 0, 0, 1);
        if (--c->state_counter == 0) {
            if (c->phase == 0) CHR_SetAnim(n, 13, -1, 0, 1, 0);
            c->state_counter = 5;
            c->state_step = 2;
            BTL_SePlay(15, -1);
        }
    } else if (--c->state_counter < 1) {
        CHR_SetState(n, 0);
    }
    return 1;
}

void mBSC_ResetLeftovers() {
    ClearQueues();
    bscMovCnt = 0;
    bscEnmGuard = 0;
    bscChrCollide = 1;
    bscBarkChr = -1;
    mBSC_Event_Reset();
}
