// The battle camera's target, its per-frame step with the clamped buffer movement, and sprite placing.
#include "battle/scr_camera.h"

#include <algorithm>
#include <cstdlib>

#include "battle/btl_common.h"
#include "battle/list_pool.h"
#include "battle/map_data.h"
#include "services/mth_math.h"
#include "sprite/sp_object.h"

CameraData CAMERA_DATA{};

namespace {
// The lowest and highest scroll position that keeps the view inside the scroll rectangle; the
// high bound wins when the rectangle is narrower than the view.
struct Bounds {
    int32_t lo_x, hi_x, lo_y, hi_y;
};
Bounds ScrollBounds() {
    const MapData& m = *MAP_Current();
    const RECT& r = SCR_SCROLL_RECT;
    return {r.left + m.half_w, r.right - (m.view_w - m.half_w), r.top + m.half_h, r.bottom - (m.view_h - m.half_h)};
}

int32_t Clamp(int32_t v, int32_t lo, int32_t hi) { return std::min(std::max(v, lo), hi); }

// One axis of the final clamp: the scroll position is put back inside and the buffer movement
// keeps only the part made inside the bounds.
void ClampAxis(int32_t* pos, int32_t* pos16, int32_t old, int32_t lo, int32_t hi, int32_t* move) {
    if (*pos < lo) {
        *move = old > lo ? lo - old : 0;
        *pos = lo;
        *pos16 = BTL_Fix16(lo);
    } else if (old < lo) {
        *move = *pos - lo;
    }
    if (*pos > hi) {
        *move = old < hi ? hi - old : 0;
        *pos = hi;
        *pos16 = BTL_Fix16(hi);
    } else if (old > hi) {
        *move = *pos - hi;
    }
}
}  // namespace

void SCR_SetCamera(int mode, LIST_NODE* followed, LIST_NODE* second) {
    CAMERA_DATA.mode = mode;
    CAMERA_DATA.followed = followed;
    CAMERA_DATA.second = second;
    CAMERA_DATA.queued = nullptr;
}

void SCR_SetCameraMode(int mode) { CAMERA_DATA.mode = mode; }
void SCR_SetCameraChr(LIST_NODE* node) { CAMERA_DATA.followed = node; }
void SCR_SetCameraChr2(LIST_NODE* node) { CAMERA_DATA.second = node; }
void SCR_SetCameraNext(LIST_NODE* node) { CAMERA_DATA.queued = node; }

void SCR_SetScrollPos(int32_t x, int32_t y) {
    CAMERA_DATA.scroll_x = x;
    CAMERA_DATA.scroll_y = y;
    CAMERA_DATA.scroll_x16 = BTL_Fix16(x);
    CAMERA_DATA.scroll_y16 = BTL_Fix16(y);
}

void SCR_SetCameraSpeed(int32_t ramp, int32_t step, int32_t speed) {
    if (ramp != -999) CAMERA_DATA.ramp = ramp;
    if (step != -999) CAMERA_DATA.ramp_step = step;
    if (speed != -999) CAMERA_DATA.speed = speed;
}

void SCR_StepCameraSpeed() {
    CameraData& c = CAMERA_DATA;
    if (c.ramp < c.speed) c.ramp = std::min(c.ramp + c.ramp_step, c.speed);
    else if (c.ramp > c.speed) c.ramp = std::max(c.ramp - c.ramp_step, c.speed);
}

void SCR_SetCameraRange(int32_t range_x, int32_t range_y) {
    CAMERA_DATA.range_x = range_x;
    CAMERA_DATA.range_y = range_y;
}

void SCR_GetCameraTarget(int32_t* x, int32_t* y) {
    const CameraData& c = CAMERA_DATA;
    int32_t tx = c.scroll_x, ty = c.scroll_y;
    if (c.mode == SCR_CAMERA_FIXED) {
        tx = c.fixed_x;
        ty = c.fixed_y;
    } else if (c.mode == SCR_CAMERA_FOLLOW && c.followed) {
        const LIST_NODE* f = c.followed;
        int32_t dx = 0, dy = 0;
        if (const LIST_NODE* s = c.second) {
            dx = (s->x - f->x) >> 1;
            dy = ((s->y - s->height) - (f->y - f->height)) >> 1;
            dx = c.range_x < 0 ? 0 : Clamp(dx, -c.range_x, c.range_x);
            dy = c.range_y < 0 ? 0 : Clamp(dy, -c.range_y, c.range_y);
        }
        tx = f->x + dx;
        ty = f->y - f->height + dy;
    }
    const Bounds b = ScrollBounds();
    *x = std::min(std::max(tx, b.lo_x), b.hi_x);
    *y = std::min(std::max(ty, b.lo_y), b.hi_y);
}

int SCR_IsCameraArrived() {
    const CameraData& c = CAMERA_DATA;
    if (c.mode == SCR_CAMERA_NONE || (c.mode == SCR_CAMERA_FOLLOW && !c.followed)) return 1;
    int32_t x, y;
    SCR_GetCameraTarget(&x, &y);
    return x == c.scroll_x && y == c.scroll_y ? 1 : 0;
}

void SCR_UpdateCamera(int32_t extra_y) {
    CameraData& c = CAMERA_DATA;
    if (c.mode == SCR_CAMERA_FOLLOW && (!c.followed || !c.followed->in_use)) {
        c.followed = c.queued;
        c.queued = nullptr;
    }
    const int32_t old_x = c.scroll_x, old_y = c.scroll_y;
    int32_t tx, ty;
    SCR_GetCameraTarget(&tx, &ty);
    ty += extra_y;
    int32_t cs = 0, sn = 0;
    MTH_GetDirVec(c.scroll_x, c.scroll_y, tx, ty, &cs, &sn);
    // Each axis snaps by itself once it is within one step.
    if (std::abs(c.scroll_x - tx) >= c.speed) {
        c.scroll_x16 = BTL_Fix16Add(c.scroll_x16, int64_t(cs) * c.speed);
        c.scroll_x = c.scroll_x16 >> 16;
    } else {
        c.scroll_x = tx;
        c.scroll_x16 = BTL_Fix16(tx);
    }
    if (std::abs(c.scroll_y - ty) >= c.speed) {
        c.scroll_y16 = BTL_Fix16Add(c.scroll_y16, int64_t(sn) * c.speed);
        c.scroll_y = c.scroll_y16 >> 16;
    } else {
        c.scroll_y = ty;
        c.scroll_y16 = BTL_Fix16(ty);
    }
    SCR_StepCameraSpeed();
    int32_t mx = c.scroll_x - old_x, my = c.scroll_y - old_y;
    const Bounds b = ScrollBounds();
    ClampAxis(&c.scroll_x, &c.scroll_x16, old_x, b.lo_x, b.hi_x, &mx);
    ClampAxis(&c.scroll_y, &c.scroll_y16, old_y, b.lo_y, b.hi_y, &my);
    MAP_ScrollBuffer(mx, my);
}

void SCR_SetSpritePos(const LIST_NODE* node) {
    SP_OBJ* o = node ? SP_Get(node->sprite) : nullptr;
    if (!o) return;
    const MapData& m = *MAP_Current();
    o->x = int16_t(m.half_w + node->x - CAMERA_DATA.scroll_x);
    o->y = int16_t(m.half_h + node->y - CAMERA_DATA.scroll_y);
    o->lift = int16_t(node->height);
}

void SCR_SetAllSpritePos() {
    for (const LIST_NODE* n = LIST_Node(LIST_STATE_DATA.head); n; n = LIST_Node(n->next))
        if (n->sprite >= 0 && n->kind != LIST_KIND_GAUGE && n->kind != LIST_KIND_BGOBJ) SCR_SetSpritePos(n);
}
