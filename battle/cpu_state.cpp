// The state handlers of CPU characters: stand, walk and the four dashes (turning, wall-avoiding,
// homing, long), each driven by the current action's movement mode.
#include <algorithm>

#include "battle/bsc_command.h"
#include "battle/btl_common.h"
#include "battle/btl_sound.h"
#include "battle/chr_char.h"
#include "battle/chr_state.h"
#include "battle/cpu_think.h"
#include "battle/eft_effect.h"
#include "battle/hit_resolve.h"
#include "battle/list_pool.h"
#include "battle/map_data.h"
#include "services/mth_math.h"
#include "sprite/sp_draw.h"

const CPU_STATE_FUNC CPU_STATE_TABLE[9] = {CPU_StateStand, CPU_StateWalk,  CPU_StateDash,  CPU_StateDash3, CPU_StateDash4,
                                           CPU_StateDash5, CHR_StateHit,   CHR_StateBlown, CHR_StateDown};

namespace {
constexpr int kProbeMax = 300;
constexpr int kSearchSteps = 35;  // sides tried 10 degrees apart each way

// What a handler works with; a handler other than the stand needs the action and the target.
struct Ctx {
    LIST_NODE* n = nullptr;
    CHR_DATA* c = nullptr;
    CPU_WORK* w = nullptr;
    LIST_NODE* t = nullptr;
    CPU_ACTION a{nullptr};
};

bool Begin(Ctx& x) {
    x.n = LIST_CURRENT.node;
    x.c = x.n->chr;
    if (x.n->slot < 0 || x.n->slot >= CHR_SLOTS) return false;
    x.w = &CPU_WORK_TABLE[x.n->slot];
    LIST_NODE* t = LIST_Node(x.n->target);
    x.t = t && t->in_use && t->kind == LIST_KIND_CHR ? t : nullptr;
    const CPU_DATA* d = CPU_GetData(x.w->data);
    if (d && x.w->action >= 0 && x.w->action < CPU_ACTIONS && !CPU_Action(d, x.w->action).empty())
        x.a = CPU_Action(d, x.w->action);
    if (!x.a.p || !x.t) {
        CPU_EndAction(x.n);
        return false;
    }
    return true;
}

int Wrap360(int32_t a) { return int(((a % 360) + 360) % 360); }

// The shorter turn from one heading towards another, at most `most` degrees.
int TurnBy(int heading, int wanted, int most) {
    const int d = Wrap360(wanted - heading);
    return d < 181 ? std::min(d, most) : -std::min(360 - d, most);
}

int HeadingOf(const int32_t vec[2]) { return MTH_Atan2Deg(0, 0, vec[0], vec[1]); }

void SetHeading(CHR_DATA* c, int heading) {
    c->pad_vec[0] = MTH_CosDeg(uint32_t(Wrap360(heading)));
    c->pad_vec[1] = MTH_SinDeg(uint32_t(Wrap360(heading)));
}

void Dust(int spread, int life) { EFT_Scatter(11, spread, life, 3); }

void Face(LIST_NODE* n, int dir) {
    n->dir = int8_t(dir);
    if (SP_ANIM* s = SP_Anim(n->sprite)) s->pattern_offset = uint8_t(dir);
}

// Movement mode 2: a random point of the map and a wobbling aim offset.
void WanderStart(const Ctx& x) {
    const MapData& m = *MAP_Current();
    int32_t* v = x.w->work;
    v[CPU_POINT_X] = BTL_RandMod(m.pixel_w);
    v[CPU_POINT_Y] = BTL_RandMod(m.pixel_h);
    v[CPU_ANGLE] = 32 - BTL_RandMod(65);
    v[CPU_RATE] = 8 - BTL_RandMod(17);
}

// One frame of the wobble; the aim point, and the action's end when the point is near.
void WanderStep(const Ctx& x, int32_t* ax, int32_t* ay) {
    int32_t* v = x.w->work;
    v[CPU_ANGLE] += v[CPU_RATE];
    v[CPU_RATE] += 4 - BTL_RandMod(9);
    v[CPU_ANGLE] = std::clamp(v[CPU_ANGLE], -64, 64);
    MTH_RotatePointFix(ax, ay, x.n->x, x.n->y, v[CPU_POINT_X], v[CPU_POINT_Y], v[CPU_ANGLE]);
    if (MTH_Dist2(x.n->x, x.n->y, v[CPU_POINT_X], v[CPU_POINT_Y]) < 6400) x.w->left = -1;
}

// The line the movement mode runs along this frame: at the target, away from it, or at the wander
// aim (which steps the wobble).
void ModeLine(const Ctx& x, int32_t* x1, int32_t* y1, int32_t* x2, int32_t* y2) {
    *x1 = x.n->x, *y1 = x.n->y, *x2 = x.t->x, *y2 = x.t->y;
    if (x.a.move_mode() == 1) {
        *x1 = x.t->x, *y1 = x.t->y, *x2 = x.n->x, *y2 = x.n->y;
    } else if (x.a.move_mode() == 2) {
        WanderStep(x, x2, y2);
    }
}

void StartWander(const Ctx& x) {
    if (x.a.move_mode() == 2) WanderStart(x);
}

// The shared end of the dashes: the end animation, speed 5 braking in step 2.
void DashEnd(const Ctx& x) {
    if (x.c->phase == 0) CHR_SetAnim(x.n, 13, -1, 4, 1, 0);
    x.c->move_speed = 5;
    x.c->state_step = 2;
    BTL_SeStop(14);
    BTL_SePlay(15, -1);
}

void Brake(const Ctx& x) {
    if (x.c->move_speed < 1) CPU_EndAction(x.n);
    else --x.c->move_speed;
}

// The shared part of a dash frame after its entry: braking in step 2, the end once the action's
// frames have run out, else one frame counted off. True while the dash moves on this frame.
bool DashRuns(const Ctx& x) {
    if (x.c->state_step == 2) {
        Brake(x);
        return false;
    }
    if (x.w->left < 0) {
        DashEnd(x);
        return false;
    }
    --x.w->left;
    return true;
}

void FaceTarget(const Ctx& x) {
    if (x.c->phase == 0) CHR_TurnToTarget(x.n, x.t);
}

void DashStartCommon(const Ctx& x, int speed) {
    x.c->move_speed = int16_t(speed);
    x.c->slide_mask = 1;
    x.c->dashed = 1;
    x.c->state_step = 1;
}

// The loop sound after the start: restarted whenever it has stopped.
void KeepLoopSound() {
    if (!BTL_SeIsPlaying(14)) BTL_SePlay(14, -1);
}

void LoopStart(const Ctx& x) {
    if (x.c->phase == 0) CHR_SetAnim(x.n, 12, -1, 4, 0, 1);
    BTL_SeStop(13);
    BTL_SePlay(14, -1);
}

// The point at `len` pixels along the heading.
void Along(const LIST_NODE* n, int heading, int32_t len, int32_t* px, int32_t* py) {
    *px = n->x + MTH_CosMulDeg(len, uint32_t(Wrap360(heading)));
    *py = n->y + MTH_SinMulDeg(len, uint32_t(Wrap360(heading)));
}
}  // namespace

int CPU_StateStand(int*) {
    LIST_NODE* n = LIST_CURRENT.node;
    CHR_DATA* c = n->chr;
    if (n->slot < 0 || n->slot >= CHR_SLOTS) return 0;
    CPU_WORK& w = CPU_WORK_TABLE[n->slot];
    if (c->state_step == 0 || c->state_step == 99) {
        c->move_speed = 0;
        if (c->phase == 0) CHR_SetAnim(n, CHR_ANIM_STAND, -1, 4, 0, 1);
        c->slide_mask = 3;
        c->state_step = 1;
    }
    w.priority = 255;
    if (w.mode != 1 && BTL_RandMod(20) == 0) w.mode = 0;
    CHR_AddHeat(n, -8);
    return 1;
}

int CPU_StateWalk(int*) {
    Ctx x;
    if (!Begin(x)) return 1;
    CHR_DATA* c = x.c;
    if (c->state_step == 0) {
        if (c->phase == 0) CHR_SetAnim(x.n, 7, -1, 4, 1, 0);
        c->move_speed = c->walk_speed;
        c->state_counter = 0;
        c->slide_mask = 3;
        c->state_step = 1;
        StartWander(x);
    }
    if (x.w->left < 0) {
        CPU_EndAction(x.n);
        return 1;
    }
    --x.w->left;
    if (c->phase == 0 && !SP_IsPlaying(x.n->sprite)) {
        c->state_counter = int16_t((c->state_counter + 1) & 3);
        CHR_SetAnim(x.n, 7 + c->state_counter, -1, 4, 1, 0);
        if (c->state_counter & 1) mBSC_Footstep(c->mech);
    }
    if (c->state_counter & 1) {
        c->move_speed = 0;  // a planted foot: no aim, so the wander does not step either
    } else {
        int32_t x1, y1, x2, y2;
        ModeLine(x, &x1, &y1, &x2, &y2);
        MTH_GetDirVec(x1, y1, x2, y2, &c->pad_vec[0], &c->pad_vec[1]);
        c->move_speed = c->walk_speed;
    }
    CHR_AddHeat(x.n, -5);
    return 1;
}

int CPU_StateDash(int*) {
    Ctx x;
    if (!Begin(x)) return 1;
    CHR_DATA* c = x.c;
    if (c->state_step == 0) {
        if (c->phase == 0) CHR_SetAnim(x.n, 11, -1, 4, 1, 0);
        DashStartCommon(x, c->dash_speed);
        c->state_aux = 5;
        BTL_SePlay(13, -1);
        StartWander(x);
    }
    if (!DashRuns(x)) return 1;
    int32_t x1, y1, x2, y2;
    ModeLine(x, &x1, &y1, &x2, &y2);
    const int heading = HeadingOf(c->pad_vec);
    SetHeading(c, heading + TurnBy(heading, MTH_Atan2Deg(x1, y1, x2, y2), 30));
    Dust(8, 4);
    if (--c->state_aux == 0) LoopStart(x);
    else if (c->state_aux < 0) KeepLoopSound();
    FaceTarget(x);
    CHR_AddHeat(x.n, -3);
    return 1;
}

int CPU_StateDash3(int*) {
    Ctx x;
    if (!Begin(x)) return 1;
    CHR_DATA* c = x.c;
    LIST_NODE* n = x.n;
    int32_t* v = x.w->work;
    if (c->state_step == 0) {
        switch (x.a.move_mode()) {
            case 1: v[CPU_ANGLE] = MTH_Atan2Deg(x.t->x, x.t->y, n->x, n->y); break;
            case 2: v[CPU_ANGLE] = BTL_RandMod(360); break;
            default: v[CPU_ANGLE] = MTH_Atan2Deg(n->x, n->y, x.t->x, x.t->y); break;
        }
        c->state_counter = BTL_RandMod(2) ? 1 : -1;  // the side a blocked dash turns to
        v[CPU_RATE] = 0;
        v[CPU_SEARCH] = 0;
        DashStartCommon(x, c->dash_speed);
        BTL_SePlay(13, -1);
    }
    if (!DashRuns(x)) return 1;
    int32_t& heading = v[CPU_ANGLE];
    int32_t& probe = v[CPU_RATE];
    Along(n, heading, probe, &v[CPU_POINT_X], &v[CPU_POINT_Y]);
    if (!c->moved && MAP_CheckSweep(n, v[CPU_POINT_X], v[CPU_POINT_Y], MAP_WALL)) {
        probe = std::min(probe + 10, kProbeMax);
        c->move_speed = c->dash_speed;
        v[CPU_SEARCH] = 0;
    } else {
        if (!v[CPU_SEARCH]) {
            for (int k = 1; k <= kSearchSteps; ++k) {
                int32_t px, py;
                Along(n, heading + 10 * k, probe, &px, &py);
                if (MAP_CheckLine(n->x, n->y, px, py, MAP_WALL)) {
                    c->state_counter = 1;
                    break;
                }
                Along(n, heading - 10 * k, probe, &px, &py);
                if (MAP_CheckLine(n->x, n->y, px, py, MAP_WALL)) {
                    c->state_counter = -1;
                    break;
                }
            }
            v[CPU_SEARCH] = 1;
        }
        heading = Wrap360(heading + (kProbeMax - probe) / 8 * c->state_counter);
        probe = std::max(probe - 20, 10);
        c->move_speed = int16_t(std::max(c->dash_speed - (kProbeMax - probe) / 32, 0));
    }
    Along(n, heading, probe, &v[CPU_POINT_X], &v[CPU_POINT_Y]);
    MTH_GetDirVec(n->x, n->y, v[CPU_POINT_X], v[CPU_POINT_Y], &c->pad_vec[0], &c->pad_vec[1]);
    if (++c->state_aux == 5) LoopStart(x);
    else if (c->state_aux > 5) KeepLoopSound();
    FaceTarget(x);
    CHR_AddHeat(n, -3);
    return 1;
}

int CPU_StateDash4(int*) {
    Ctx x;
    if (!Begin(x)) return 1;
    CHR_DATA* c = x.c;
    if (c->state_step == 0) {
        if (c->phase == 0) CHR_SetAnim(x.n, 11, -1, 4, 1, 0);
        DashStartCommon(x, c->dash_speed);
        c->state_counter = c->state_aux = 0;
        BTL_SePlay(13, -1);
    }
    if (!DashRuns(x)) return 1;
    Dust(8, 4);
    const int heading = HeadingOf(c->pad_vec);
    const int wanted = MTH_Atan2Deg(x.n->x, x.n->y, x.t->x, x.t->y);
    // Always a whole 6-degree step the shorter way: on its heading the dash weaves by 6 degrees.
    const int turned = Wrap360(heading + (Wrap360(wanted - heading) < 181 ? 6 : -6));
    SetHeading(c, turned);
    if (std::abs(TurnBy(turned, wanted, 180)) < 20) c->move_speed = int16_t(std::min<int>(c->move_speed + 1, c->dash_speed));
    else if (c->move_speed > 8) --c->move_speed;
    if (++c->state_counter > 5) KeepLoopSound();
    FaceTarget(x);
    CHR_AddHeat(x.n, -3);
    return 1;
}

int CPU_StateDash5(int*) {
    Ctx x;
    if (!Begin(x)) return 1;
    CHR_DATA* c = x.c;
    LIST_NODE* n = x.n;
    if (c->state_step == 0) {
        MTH_GetDirVec(n->x, n->y, x.t->x, x.t->y, &c->pad_vec[0], &c->pad_vec[1]);
        Face(n, MTH_GetVecDirIndex(45, c->pad_vec[0], c->pad_vec[1]));
        if (c->phase == 0) CHR_SetAnim(n, 11, -1, 0, 1, 0);
        DashStartCommon(x, c->long_dash_speed);
        c->state_counter = int16_t(std::min<int32_t>(x.w->left, c->long_dash_len));
        c->state_aux = int16_t(c->state_counter - 3);
        for (int i = 0; i < 5; ++i) Dust(8, 16);
        BTL_SePlay(53, -1);
    }
    if (c->state_step == 2) {
        Brake(x);
        return 1;
    }
    Dust(8, 4);
    EFT_Create(24, n, n->x, n->y + 8, n->height);
    if (c->state_counter == c->state_aux && c->phase == 0) CHR_SetAnim(n, 12, -1, 0, 0, 1);
    if (--c->state_counter < 0) {
        if (x.w->left == c->long_dash_len) {
            DashEnd(x);
        } else {
            CPU_EndAction(n);
            BTL_SePlay(15, -1);
        }
    }
    if (!c->waza_active) CHR_AddHeat(n, -2);
    return 1;
}
