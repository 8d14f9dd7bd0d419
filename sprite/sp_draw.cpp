// Drawing display objects: the priority order, the blitter each draw-flag combination picks,
// mirrored and scaled part placement, pattern drawing and rendering into an image.
#include "sprite/sp_draw.h"

#include <algorithm>
#include <climits>

#include "display/blt_arith.h"
#include "display/blt_color.h"
#include "display/blt_frame.h"
#include "display/blt_level.h"
#include "display/dd_display.h"
#include "sprite/img_table.h"
#include "sprite/spr_set.h"

DDSurface** SP_RENDER_TARGET = nullptr;
POINT SP_DRAW_OFFSET;
SP_LAYER SP_LAYER_TABLE[SP_LAYERS];

namespace {
// Who draws: the tables differ in rows 1 (colour mix) and 14 (mirrored copy).
enum class Drawer { Anim, Still, Pattern };

// One blit: the image rectangle either at (x, y) or stretched into dst.
struct Blit {
    DDSurface* target;
    DDSurface* image;
    RECT src;
    bool scaled;
    int32_t x, y;
    RECT dst;
};

// Rows that share a blitter signature, in the table's order.
struct ArithRow {
    uint32_t bit;
    int (*point)(DDSurface*, int32_t, int32_t, DDSurface*, const RECT*, uint32_t, int32_t);
    int (*stretch)(DDSurface*, RECT*, DDSurface*, const RECT*, uint32_t, int32_t);
};
constexpr ArithRow kArith[] = {
    {SP_MIX, BLT_Mix, BLT_MixStretch},
    {SP_ADD, BLT_Add, BLT_AddStretch},
    {SP_ADD_HALF, BLT_AddHalf, BLT_AddHalfStretch},
    {SP_ADD_QUARTER, BLT_AddQuarter, BLT_AddQuarterStretch},
    {SP_SUB, BLT_Sub, BLT_SubStretch},
    {SP_SUB_HALF, BLT_SubHalf, BLT_SubHalfStretch},
    {SP_SUB_QUARTER, BLT_SubQuarter, BLT_SubQuarterStretch},
};

struct ChannelRow {
    uint32_t bit;
    int (*point)(DDSurface*, int32_t, int32_t, DDSurface*, const RECT*, int32_t, int32_t, int32_t, uint32_t, int32_t);
    int (*stretch)(DDSurface*, RECT*, DDSurface*, const RECT*, int32_t, int32_t, int32_t, uint32_t, int32_t);
};
constexpr ChannelRow kChannel[] = {
    {SP_TINT_RGB, BLT_TintRGB, BLT_TintRGBStretch},
    {SP_ALPHA_RGB, BLT_AlphaRGB, BLT_AlphaRGBStretch},
    {SP_ADD_RGB, BLT_AddRGB, BLT_AddRGBStretch},
};

// The first matching row of the flag table decides; blenders draw keyed unless the row says not.
void Dispatch(const Blit& b, uint32_t flags, uint16_t level, uint16_t param, Drawer who) {
    DDSurface* d = b.target;
    DDSurface* s = b.image;
    const RECT* sr = &b.src;
    const uint32_t flip = flags & 0xFF;
    RECT dr = b.dst;  // stretched blitters clip it in place
    const int32_t lv = level;
    const bool st = b.scaled;
    if ((flags & SP_MIX) && (flags & SP_SILHOUETTE) && who != Drawer::Still) {
        st ? BLT_MixColorStretch(d, &dr, s, sr, level, flip) : BLT_MixColor(d, b.x, b.y, s, sr, level, flip);
        return;
    }
    for (const ArithRow& row : kArith) {
        if (!(flags & row.bit)) continue;
        st ? row.stretch(d, &dr, s, sr, flip, 1) : row.point(d, b.x, b.y, s, sr, flip, 1);
        return;
    }
    if (flags & SP_ALPHA2) {
        st ? BLT_StippleStretch(d, &dr, s, sr, lv, flip, 1) : BLT_Alpha(d, b.x, b.y, s, sr, lv * 2, flip, 1);
    } else if (flags & SP_ALPHA) {
        st ? BLT_AlphaStretch(d, &dr, s, sr, lv, flip, 1) : BLT_Alpha(d, b.x, b.y, s, sr, lv, flip, 1);
    } else if (flags & SP_ADD_LEVEL) {
        st ? BLT_AddLevelStretch(d, &dr, s, sr, lv, flip, 1) : BLT_AddLevel(d, b.x, b.y, s, sr, lv, flip, 1);
    } else if (flags & SP_SILHOUETTE) {
        st ? BLT_SilhouetteStretch(d, &dr, s, sr, level, flip) : BLT_Silhouette(d, b.x, b.y, s, sr, level, flip);
    } else if (flags & SP_WHITEN) {
        st ? BLT_BrightnessStretch(d, &dr, s, sr, lv, flip, 1) : BLT_Whiten(d, b.x, b.y, s, sr, lv, flip, 1);
    } else if ((flags & (SP_FLIP_LR | SP_FLIP_UD)) && !st && who != Drawer::Pattern) {
        BLT_BltFx(d, b.x, b.y, s, sr, flip, 1);  // stretched forms mirror by the flip byte themselves
    } else if (flags & SP_OPAQUE) {
        st ? BLT_StretchBlt(d, &dr, s, sr, flip, 0) : BLT_Blt(d, b.x, b.y, s, sr, 0);
    } else if (flags & SP_DIM) {
        st ? BLT_DimStretch(d, &dr, s, sr, lv, flip) : BLT_Dim(d, b.x, b.y, s, sr, lv, flip, param == 0 ? 1 : 0);
    } else {
        for (const ChannelRow& row : kChannel) {
            if (!(flags & row.bit)) continue;
            const int32_t r = level & 0xFF, g = level >> 8;
            st ? row.stretch(d, &dr, s, sr, r, g, param, flip, 1) : row.point(d, b.x, b.y, s, sr, r, g, param, flip, 1);
            return;
        }
        st ? BLT_StretchBlt(d, &dr, s, sr, flip, 1) : BLT_Blt(d, b.x, b.y, s, sr, 1);
    }
}

// Whether the unscaled routine the flags pick shows the source upside down: the whiten row ignores
// the flip byte, and the rows after the mirrored copy never see a mirror bit.
bool ShowsUpsideDown(uint32_t flags) {
    constexpr uint32_t kBeforeWhiten = SP_MIX | SP_ADD | SP_ADD_HALF | SP_ADD_QUARTER | SP_SUB | SP_SUB_HALF |
                                       SP_SUB_QUARTER | SP_ALPHA2 | SP_ALPHA | SP_ADD_LEVEL | SP_SILHOUETTE;
    return (flags & SP_FLIP_UD) && ((flags & kBeforeWhiten) || !(flags & SP_WHITEN));
}

DDSurface* Target() { return SP_RENDER_TARGET ? *SP_RENDER_TARGET : nullptr; }

// A scaled offset or length: 256ths, signed product, arithmetic shift.
int32_t Scale(int32_t v, uint16_t scale) { return scale == 256 ? v : int32_t((int64_t(v) * scale) >> 8); }

// Sums wrap as 32-bit arithmetic does, so the extreme rectangles a file may hold stay defined
// (the blitters then refuse or clip what lands off the target).
int32_t Wrap(int64_t v) { return static_cast<int32_t>(static_cast<uint32_t>(v)); }

void DrawObject(int id) {
    SP_OBJ* o = SP_TABLE[id];
    // An object on a layer in use draws into the layer's image (never the layer's own object).
    DDSurface** saved = nullptr;
    DDSurface* swapped = nullptr;
    if (o->layer < SP_LAYERS && SP_LAYER_TABLE[o->layer].used && SP_LAYER_TABLE[o->layer].sprite != uint32_t(id) &&
        SP_RENDER_TARGET && IMG_Surface(int(SP_LAYER_TABLE[o->layer].image))) {
        saved = SP_RENDER_TARGET;
        swapped = *saved;
        *saved = IMG_Surface(int(SP_LAYER_TABLE[o->layer].image));
    }
    switch (o->kind) {
        case SP_KIND_ANIM: SP_DrawAnim(id); break;
        case SP_KIND_STILL: SP_DrawStill(id); break;
        case SP_KIND_CALLBACK:
            if (auto fn = static_cast<SP_CALLBACK*>(o)->draw) fn(id);
            break;
        default: break;
    }
    if (saved) *saved = swapped;
}
}  // namespace

DDSurface** SP_SetRenderTarget(DDSurface** target) {
    SP_RENDER_TARGET = target;
    return target;
}

void SP_SetDrawOffset(int32_t x, int32_t y) { SP_DRAW_OFFSET = POINT{x, y}; }

void SP_GetDrawOffset(int32_t* x, int32_t* y) {
    if (x) *x = SP_DRAW_OFFSET.x;
    if (y) *y = SP_DRAW_OFFSET.y;
}

int SP_SortByPriority(uint16_t* list) {
    // Keys order by priority, larger first, then by id, higher first: the lowest id of equal
    // priority comes last and is drawn in front. Ids are unique, so the order is total.
    uint32_t keys[SP_OBJECTS];
    int n = 0;
    for (int id = SP_OBJECTS - 1; id >= 0; --id) {
        const SP_OBJ* o = SP_TABLE[id];
        if (o && o->kind && o->visible) keys[n++] = uint32_t(o->priority + 32768) << 16 | uint32_t(id);
    }
    std::sort(keys, keys + n, [](uint32_t a, uint32_t b) { return a > b; });
    for (int i = 0; i < n; ++i) list[i] = uint16_t(keys[i] & 0xFFFF);
    list[n] = 0xFFFF;
    return n;
}

void SP_Draw(int priority) {
    if (priority >= 0) {
        for (int id = SP_OBJECTS - 1; id >= 0; --id) {
            const SP_OBJ* o = SP_TABLE[id];
            if (o && o->kind && o->visible && o->priority == priority) DrawObject(id);
        }
        return;
    }
    uint16_t list[SP_OBJECTS + 1];
    SP_SortByPriority(list);
    for (const uint16_t* p = list; *p != 0xFFFF; ++p)
        if (SP_TABLE[*p]) DrawObject(*p);  // a callback may have deleted a later object
}

SP_ANIM_LOOK SP_LookOf(const SP_ANIM* o) {
    return SP_ANIM_LOOK{o->x, int32_t{o->y} - o->lift, o->flags, o->blend, o->blend_param, o->scale_x, o->scale_y, INT32_MAX};
}

int SP_DrawAnim(int id) {
    const SP_ANIM* o = SP_Anim(id);
    return o ? SP_DrawAnimAs(id, SP_LookOf(o)) : 0;
}

int SP_DrawAnimAs(int id, const SP_ANIM_LOOK& look) {
    const SP_ANIM* o = SP_Anim(id);
    DDSurface* target = Target();
    if (!o || !o->visible || !target) return 0;
    const SPR_PATTERN* pat = SPR_GetPattern(o->set, o->pattern + o->pattern_offset);
    if (!pat) return 0;
    const uint32_t m = look.flags ^ pat->flip;
    const int32_t ax = Wrap(int64_t{look.x} + SP_DRAW_OFFSET.x);
    const int32_t ay = Wrap(int64_t{look.y} + SP_DRAW_OFFSET.y);
    for (int k = 0; k < pat->part_count; ++k) {
        const SPR_PART& part = pat->parts[k];
        DDSurface* image = IMG_Surface(part.image);
        if (!image) continue;
        // Blend bits on the object win over the part's; the mirror bits always combine.
        const uint32_t eff = (look.flags & ~3u) ? look.flags ^ ((part.flags ^ pat->flip) & 3u)
                                                 : part.flags ^ ((look.flags ^ pat->flip) & 3u);
        // The part's own mirror bits flip its pixels in place; only the object's and the
        // pattern's move it.
        const RECT& d = part.dest;
        const int32_t dx = (m & SP_FLIP_LR) ? Wrap(-int64_t{d.right}) : d.left;
        const int32_t dy = (m & SP_FLIP_UD) ? Wrap(-int64_t{d.bottom}) : d.top;
        const int32_t dw = Wrap(int64_t{d.right} - d.left), dh = Wrap(int64_t{d.bottom} - d.top);
        Blit b{target, image, part.src, false, Wrap(int64_t{ax} + dx), Wrap(int64_t{ay} + dy), {}};
        const int32_t sh = Wrap(int64_t{part.src.bottom} - part.src.top);
        if (look.scale_x != 256 || look.scale_y != 256 || dw != Wrap(int64_t{part.src.right} - part.src.left) || dh != sh) {
            const int32_t left = Wrap(int64_t{ax} + Scale(dx, look.scale_x)), top = Wrap(int64_t{ay} + Scale(dy, look.scale_y));
            b.scaled = true;
            b.dst = RECT{left, top, Wrap(int64_t{left} + Scale(dw, look.scale_x)), Wrap(int64_t{top} + Scale(dh, look.scale_y))};
        } else if (look.cut_y != INT32_MAX && int64_t{b.y} + sh > look.cut_y) {
            // Only the rows above the cut stay; a part mirrored up-down shows its source upside
            // down, so those rows come from the source's bottom.
            const int64_t rows = int64_t{look.cut_y} - b.y;
            if (rows <= 0) continue;
            if (ShowsUpsideDown(eff)) b.src.top = Wrap(int64_t{b.src.bottom} - rows);
            else b.src.bottom = Wrap(int64_t{b.src.top} + rows);
        }
        if (b.scaled && look.cut_y != INT32_MAX) {
            // A stretched part is cut by the clip rectangle, which every stretched blitter obeys.
            const RECT saved = DD_CLIP_RECT;
            DD_CLIP_RECT.bottom = std::min(DD_CLIP_RECT.bottom, look.cut_y);
            if (DD_CLIP_RECT.bottom > DD_CLIP_RECT.top) Dispatch(b, eff, look.blend, look.blend_param, Drawer::Anim);
            DD_CLIP_RECT = saved;
            continue;
        }
        Dispatch(b, eff, look.blend, look.blend_param, Drawer::Anim);
    }
    return 1;
}

int SP_DrawStill(int id) {
    const SP_STILL* o = SP_Still(id);
    DDSurface* target = Target();
    if (!o || !o->visible || !target) return 0;
    DDSurface* image = IMG_Surface(o->image);
    if (!image) return 0;
    const int32_t left = Wrap(int64_t{o->x} + SP_DRAW_OFFSET.x);
    const int32_t top = Wrap(int64_t{o->y} - o->lift + SP_DRAW_OFFSET.y);
    Blit b{target, image, o->src, false, left, top, {}};
    if (o->scale_x != 256 || o->scale_y != 256 || o->width != int64_t{o->src.right} - o->src.left ||
        o->height != int64_t{o->src.bottom} - o->src.top) {
        b.scaled = true;
        b.dst = RECT{left, top, Wrap(int64_t{left} + Scale(o->width, o->scale_x)),
                     Wrap(int64_t{top} + Scale(o->height, o->scale_y))};
    }
    Dispatch(b, o->flags, o->blend, o->blend_param, Drawer::Still);
    return 1;
}

int SPR_DrawPattern(DDSurface* dst, int32_t x, int32_t y, int set, int pattern, uint32_t flags, uint16_t blend,
                    uint16_t blend_param) {
    const SPR_PATTERN* pat = SPR_GetPattern(set, pattern);
    if (!pat || !dst) return 1;
    for (int k = 0; k < pat->part_count; ++k) {
        const SPR_PART& part = pat->parts[k];
        DDSurface* image = IMG_Surface(part.image);
        if (!image) continue;
        Blit b{dst, image, part.src, false, Wrap(int64_t{x} + part.dest.left + SP_DRAW_OFFSET.x),
               Wrap(int64_t{y} + part.dest.top + SP_DRAW_OFFSET.y), {}};
        Dispatch(b, flags, blend, blend_param, Drawer::Pattern);
    }
    return 1;
}

int SP_DrawOne(int id, int image) {
    const SP_OBJ* o = SP_Get(id);
    if (!o || !o->kind || !o->visible) return 0;
    if (image == -1) {
        DrawObject(id);
        return 1;
    }
    if (!IMG_Surface(image)) return 0;
    DDSurface** previous = SP_RENDER_TARGET;
    SP_RENDER_TARGET = &IMG_TABLE[image].surface;
    DrawObject(id);
    SP_RENDER_TARGET = previous;
    return 1;
}

void SP_RenderToImage(int image, int keep, void (*draw)()) {
    if (DDSurface* s = IMG_Surface(image)) {
        DDSurface** previous = SP_RENDER_TARGET;
        BLT_FillRect(s, nullptr, 0);
        SP_RENDER_TARGET = &IMG_TABLE[image].surface;
        if (draw) draw();
        SP_RENDER_TARGET = previous;
    }
    SP_PushVisibleAll(keep ? 1 : 0);
    SP_PushRunningAll(keep ? 1 : 0);
}
