// Nodes on the map: placing a node with its boxes, and the depth overlays that cut background
// objects over the characters standing behind them for one drawn frame.
#include <algorithm>
#include <cstdlib>

#include "battle/btl_common.h"
#include "battle/btl_frame.h"
#include "battle/scr_camera.h"
#include "battle/chr_char.h"
#include "battle/list_pool.h"
#include "battle/map_data.h"
#include "services/fil_util.h"
#include "sprite/img_table.h"
#include "sprite/sp_draw.h"

namespace {
int32_t g_overlays_this_frame = 0;
constexpr int kMaxCollected = MAP_OBJ_MAX;

// Background objects that meet the view this frame.
int g_collected_count = 0;
int16_t g_collected[kMaxCollected];

RECT ObjRect(const MapObj& o) {
    const MapCsp& c = MAP_CSP.rec[o.index];
    return RECT{o.x, o.y, o.x + c.w, o.y + c.h};
}

// One rectangle of the node's picture, moved onto the map; false once overlays ran out.
bool OverlayRect(LIST_NODE* node, RECT r, const RECT& view, bool* seen) {
    SYS_OffsetRect(&r, node->x, node->y - node->height);
    RECT cut;
    if (SYS_IntersectRect(&cut, &r, &view)) {
        *seen = true;
        if (g_collected_count && !MAP_AddOverlays(node, r)) return false;
    }
    if (node->ground_flag && !node->ground_done) {
        // The part of the body at ground level.
        r.top += node->height + (r.bottom - r.top) / 2;
        r.bottom += node->height;
        if (SYS_IntersectRect(&cut, &r, &view)) {
            *seen = true;
            node->ground_done = 1;
            if (g_collected_count && !MAP_AddOverlays(node, r)) return false;
        }
    }
    return true;
}
}  // namespace

bool MAP_AddOverlays(const LIST_NODE* node, const RECT& rect) {
    for (int i = 0; i < g_collected_count; ++i) {
        const MapObj& o = MAP_OBJ.obj[g_collected[i]];
        const MapCsp& c = MAP_CSP.rec[o.index];
        const int32_t base = o.y + c.ay;
        if (node->y > base) continue;
        const RECT orect = ObjRect(o);
        RECT cut;
        if (!SYS_IntersectRect(&cut, &orect, &rect)) continue;
        const RECT src{c.sx + cut.left - o.x, c.sy + cut.top - o.y, c.sx + cut.right - o.x, c.sy + cut.bottom - o.y};
        if (MAP_CreateOverlay(cut.left, base, cut.top, &src) < 0) return false;
    }
    return true;
}

void LIST_SetPos(LIST_NODE* node, int32_t x, int32_t y, int32_t height) {
    node->x = x;
    node->y = y;
    node->height = height;
    node->x16 = BTL_Fix16(x);
    node->y16 = BTL_Fix16(y);
    node->height16 = BTL_Fix16(height);
    SP_ANIM* a = SP_Anim(node->sprite);
    const bool chr = node->kind == LIST_KIND_CHR && node->chr;
    // A character's boxes are read facing down: its direction picks the pattern otherwise.
    const uint8_t offset = a ? a->pattern_offset : 0;
    const int8_t dir = node->dir;
    if (chr) {
        if (a) a->pattern_offset = 0;
        node->dir = 0;
    }
    RECT r;
    if (SP_GetHitBox(node->sprite, 0, &r)) node->frame_rect = r;
    if (SP_GetHitBox(node->sprite, 13, &r)) node->map_box = node->body_box = {r.left, r.top, r.right - r.left, r.bottom - r.top};
    if (chr) {
        CHR_DATA* c = node->chr;
        c->box_w = 64;
        c->box_h = 80;
        c->box_cw = 4;
        c->box_ch = 5;
        c->rem_x = uint16_t((x + node->map_box.x) % 16);
        c->rem_y = uint16_t((y + node->map_box.y) % 16);
        if (SP_GetHitBox(node->sprite, 4, &r)) {
            node->height_offset = int16_t(std::abs(r.top));
            node->height_range = int16_t(r.bottom - r.top);
        }
        if (a) a->pattern_offset = offset;
        node->dir = dir;
    }
}

int32_t MAP_OverlayCount() { return g_overlays_this_frame; }

void MAP_UpdateBgOverlay() {
    g_overlays_this_frame = 0;
    const MapData& m = *MAP_Current();
    const RECT view{m.scroll_x, m.scroll_y, m.scroll_x + MAP_VIEW_W, m.scroll_y + MAP_VIEW_H};
    g_collected_count = 0;
    for (int i = 0; i < MAP_OBJ.count; ++i) {
        RECT r = ObjRect(MAP_OBJ.obj[i]), cut;
        if (SYS_IntersectRect(&cut, &r, &view)) g_collected[g_collected_count++] = int16_t(i);
    }
    for (int32_t i = LIST_STATE_DATA.head; LIST_NODE* n = LIST_Node(i); i = LIST_CURRENT.next) {
        LIST_SetCurrent(n);
        const SP_OBJ* o = SP_Get(n->sprite);
        if (n->kind == LIST_KIND_BGOBJ || !o || !o->visible || o->priority != MAP_WORLD_PRIORITY) continue;
        n->off_view = 0;
        n->ground_done = 0;
        bool seen = false, more = true;
        if (o->kind != SP_KIND_ANIM) {
            RECT r;
            if (SP_GetStillRect(n->sprite, &r)) more = OverlayRect(n, r, view, &seen);
        } else {
            const int parts = SP_GetPartCount(n->sprite);
            for (int p = 0; p < parts && more; ++p) {
                RECT r;
                if (SP_GetPartRect(n->sprite, p, &r)) more = OverlayRect(n, r, view, &seen);
            }
        }
        if (!seen) n->off_view = -1;
    }
}

int32_t MAP_CreateOverlay(int32_t x, int32_t base, int32_t top, const RECT* src) {
    LIST_NODE* n = LIST_Alloc(LIST_KIND_BGOBJ);
    if (!n) return -1;
    n->priority = 4;
    n->x = MAP_Current()->half_w + x - CAMERA_DATA.scroll_x;
    n->y = MAP_Current()->half_h + base - CAMERA_DATA.scroll_y;
    n->height = base - top;
    n->bgobj->src = *src;
    const int id = SP_FindFree();
    if (id < 0 || !SP_CreateCallback(id, MAP_WORLD_PRIORITY, MAP_DrawOverlay)) {
        SYS_DebugPrint("\x83X\x83v\x83\x89\x83" "C\x83g\x90\x94\x83I\x81[\x83o\x81[\x81I" /* スプライト数オーバー！ */);
        LIST_Free(n->index);
        return -1;
    }
    n->sprite = int16_t(id);
    SP_SetOwner(id, n->index);
    SP_OBJ* o = SP_Get(id);
    o->x = int16_t(n->x);
    o->y = int16_t(n->y);
    o->lift = int16_t(n->height);
    n->off_view = 0;
    ++LIST_STATE_DATA.bgObjCnt;
    ++g_overlays_this_frame;
    return n->index;
}

void MAP_DrawOverlay(int id) {
    const SP_OBJ* o = SP_Get(id);
    LIST_NODE* n = o ? LIST_Node(o->owner) : nullptr;
    if (!n || !n->in_use || n->kind != LIST_KIND_BGOBJ) return;
    if (n->sprite >= 0) {
        BTL_DrawImage(MAP_IMAGES.objects, o->x, o->y - o->lift, &n->bgobj->src);
    } else {
        SYS_DebugPrint("\x94w\x8ci\x82n\x82" "a\x82i\x82\xcc\x83X\x83v\x83\x89\x83" "C\x83g\x94\xd4\x8d\x86\x82\xaa\x95\xcf"
                       "\x81I\x81I (%d)" /* 背景ＯＢＪのスプライト番号が変！！ (%d) */,
                       int(n->sprite));
    }
    MAP_DelBgObj(n);  // an overlay lives for one drawn frame
}

int32_t MAP_DelBgObj(LIST_NODE* node) {
    if (!node || !node->in_use) return -1;
    --LIST_STATE_DATA.bgObjCnt;
    return LIST_Free(node->index);
}
