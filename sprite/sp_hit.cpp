// Hit boxes and rectangles of display objects: mirrored by flags, scaled in 256ths.
#include "sprite/sp_draw.h"
#include "sprite/spr_set.h"

namespace {
// Sums wrap as 32-bit arithmetic does, so the extreme boxes a file may hold stay defined.
int32_t Wrap(int64_t v) { return static_cast<int32_t>(v); }

// A rectangle mirrored about the position by the mirror bits, then scaled: a mirrored (l, r)
// becomes (-r, -l); the scaled left moves, the scaled size follows it.
RECT MirrorScale(const RECT& r, uint32_t mirror, uint16_t sx, uint16_t sy) {
    const int32_t l = (mirror & SP_FLIP_LR) ? Wrap(-int64_t{r.right}) : r.left;
    const int32_t t = (mirror & SP_FLIP_UD) ? Wrap(-int64_t{r.bottom}) : r.top;
    const int32_t w = Wrap(int64_t{r.right} - r.left), h = Wrap(int64_t{r.bottom} - r.top);
    RECT out;
    out.left = sx == 256 ? l : Wrap((int64_t{l} * sx) >> 8);
    out.right = Wrap(int64_t{out.left} + (sx == 256 ? w : Wrap((int64_t{w} * sx) >> 8)));
    out.top = sy == 256 ? t : Wrap((int64_t{t} * sy) >> 8);
    out.bottom = Wrap(int64_t{out.top} + (sy == 256 ? h : Wrap((int64_t{h} * sy) >> 8)));
    return out;
}

const SPR_PATTERN* PatternOf(const SP_ANIM* o) { return SPR_GetPattern(o->set, o->pattern + o->pattern_offset); }
}  // namespace

int SP_GetHitBox(int id, int box, RECT* out) {
    const SP_ANIM* o = SP_Anim(id);
    const SPR_PATTERN* p = o ? PatternOf(o) : nullptr;
    if (!p || box < 0 || box >= SPR_HIT_BOXES || !out) return 0;
    *out = MirrorScale(p->hit[box], o->flags, o->scale_x, o->scale_y);
    return 1;
}

// The lift is not subtracted: boxes stay on the ground.
int SP_GetHitBoxScreen(int id, int box, RECT* out) {
    if (!SP_GetHitBox(id, box, out)) return 0;
    const SP_OBJ* o = SP_TABLE[id];
    const int64_t dx = Wrap(int64_t{o->x} + SP_DRAW_OFFSET.x), dy = Wrap(int64_t{o->y} + SP_DRAW_OFFSET.y);
    *out = RECT{Wrap(out->left + dx), Wrap(out->top + dy), Wrap(out->right + dx), Wrap(out->bottom + dy)};
    return 1;
}

int SP_GetPartRect(int id, int part, RECT* out) {
    const SP_ANIM* o = SP_Anim(id);
    const SPR_PATTERN* p = o ? PatternOf(o) : nullptr;
    if (!p || part < 0 || part >= p->part_count || !out) return 0;
    *out = MirrorScale(p->parts[part].dest, p->flip, o->scale_x, o->scale_y);
    return 1;
}

int SP_GetStillRect(int id, RECT* out) {
    const SP_STILL* o = SP_Still(id);
    if (!o || !out) return 0;
    *out = MirrorScale(o->src, o->flags, o->scale_x, o->scale_y);
    return 1;
}

namespace {
// The mask of the boxes that pass the test, each box as SP_GetHitBox gives it.
template <class Test>
int HitMask(int id, Test hit) {
    int mask = 0;
    RECT box;
    for (int k = 0; k < SPR_HIT_BOXES; ++k)
        if (SP_GetHitBox(id, k, &box) && hit(box)) mask |= 1 << k;
    return mask;
}
}  // namespace

int SP_HitPoint(int id, int32_t x, int32_t y) {
    return HitMask(id, [&](const RECT& b) { return b.left <= x && x < b.right && b.top <= y && y < b.bottom; });
}

int SP_HitRect(int id, const RECT* rect) {
    if (!rect) return 0;
    const RECT& r = *rect;
    return HitMask(id, [&](const RECT& b) {
        return b.left < r.right && r.left < b.right && b.top < r.bottom && r.top < b.bottom;
    });
}
