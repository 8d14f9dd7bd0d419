// The battle renderer: the update half, the world list sorted by depth, sprites cut at the ground,
// the shadows of lifted sprites, and the scene drawn around the world layer in the sprite layer's order.
#include "battle/btl_render.h"

#include <algorithm>
#include <climits>
#include <tuple>

#include "battle/chr_char.h"
#include "battle/eft_effect.h"
#include "battle/hit_resolve.h"
#include "battle/list_pool.h"
#include "battle/map_data.h"
#include "battle/scr_camera.h"
#include "sprite/sp_draw.h"

namespace {
// The camera's follow-up is the player's mech: while the camera follows another node, the player's
// mech is queued, so the camera comes back to it when that node goes.
void PlayerFollowUp() {
    CameraData& c = CAMERA_DATA;
    if (c.queued && (!c.queued->in_use || c.queued->kind != LIST_KIND_CHR)) c.queued = nullptr;
    LIST_NODE* player = CHR_Get(0);
    if (c.mode == SCR_CAMERA_FOLLOW && player && c.followed != player) c.queued = player;
}

// A display object as the sprite layer draws it, unless a callback drawn before deleted it.
void DrawLayered(int id) {
    if (SP_Get(id)) SP_DrawOne(id, -1);
}
}  // namespace

LIST_NODE* BTL_SpriteNode(int id) {
    const SP_OBJ* o = SP_Get(id);
    LIST_NODE* n = o ? LIST_Node(o->owner) : nullptr;
    return n && n->in_use && n->sprite == id ? n : nullptr;
}

void BTL_RenderUpdate() {
    PlayerFollowUp();
    SCR_UpdateCamera(SCR_QUAKE.offset);
    HIT_FlashUpdate();
    EFT_SpawnAmbient();
    MAP_UpdateBgOverlay();
    SCR_SetAllSpritePos();
}

int BTL_GatherSprites(uint16_t* list) {
    int n = 0;
    // Each gathered id's y, and whether it is a depth overlay: one stands on its object's base line
    // to cover the characters whose feet are on or above it, so at equal y it comes after them.
    struct Depth {
        int16_t y;
        bool overlay;
    } depth[SP_OBJECTS];
    // Ids from the top down, so that a stable sort leaves equal depths in the sprite layer's order.
    for (int id = SP_OBJECTS - 1; id >= 0; --id) {
        const SP_OBJ* o = SP_TABLE[id];
        if (!o || !o->kind || !o->visible || o->priority != MAP_WORLD_PRIORITY) continue;
        const LIST_NODE* node = BTL_SpriteNode(id);
        if (!node || (node->off_view < 0 && !node->ground_done)) continue;
        depth[id] = {o->y, node->kind == LIST_KIND_BGOBJ};
        list[n++] = uint16_t(id);
    }
    std::stable_sort(list, list + n, [&depth](uint16_t a, uint16_t b) {
        return std::tie(depth[a].y, depth[a].overlay) < std::tie(depth[b].y, depth[b].overlay);
    });
    list[n] = 0xFFFF;
    return n;
}

int BTL_BlitSpriteFlip(int id, uint32_t flags, uint16_t blend, int32_t lift, uint16_t scale_y, int32_t cut_y) {
    const SP_ANIM* a = SP_Anim(id);
    if (!a) return 0;
    SP_ANIM_LOOK look = SP_LookOf(a);
    look.y = static_cast<int32_t>(int64_t{a->y} - lift);
    look.flags = flags;
    look.blend = blend;
    look.scale_y = scale_y;
    look.cut_y = cut_y;
    return SP_DrawAnimAs(id, look);
}

int BTL_BlitSprite(int id) {
    const SP_OBJ* o = SP_Get(id);
    if (!o || !o->kind || !o->visible) return 0;
    const SP_ANIM* a = SP_Anim(id);
    if (!a) return SP_DrawOne(id, -1);
    if (const LIST_NODE* n = BTL_SpriteNode(id); n && n->anim < 0) return 0;
    const int32_t cut = a->ground_clip ? static_cast<int32_t>(int64_t{a->y} + SP_DRAW_OFFSET.y) : INT32_MAX;
    return BTL_BlitSpriteFlip(id, a->flags, a->blend, a->lift, a->scale_y, cut);
}

int BTL_BlitParts(const LIST_NODE* node, int id, int ground) {
    const SP_ANIM* a = SP_Anim(id);
    if (!node || !a || !a->visible) return 0;
    if (ground ? !(node->draw_parts[0] && a->lift > 0) : !node->draw_parts[1]) return 0;
    // Colour 0 mixed in darkens what lies under the shadow by half.
    const uint32_t flags = (a->flags & (SP_FLIP_LR | SP_FLIP_UD)) | SP_MIX | SP_SILHOUETTE;
    return BTL_BlitSpriteFlip(id, flags, 0, 0, uint16_t(a->scale_y >> 1), INT32_MAX);
}

void BTL_RenderScene(int32_t x, int32_t y, int update) {
    if (update) BTL_RenderUpdate();
    const POINT saved = SP_DRAW_OFFSET;
    SP_SetDrawOffset(x, y);
    uint16_t order[SP_OBJECTS + 1], world[SP_OBJECTS + 1];
    const int count = SP_SortByPriority(order);
    BTL_GatherSprites(world);
    // The sprite layer's order in three runs: behind the world layer (the background picture and
    // the map with its objects), the world layer's own priority, and in front (the HUD and the rest).
    int behind = 0;
    while (behind < count && SP_TABLE[order[behind]]->priority > MAP_WORLD_PRIORITY) ++behind;
    int front = behind;
    while (front < count && SP_TABLE[order[front]]->priority == MAP_WORLD_PRIORITY) ++front;
    for (int i = 0; i < behind; ++i) DrawLayered(order[i]);
    // Objects of the world's priority that belong to no live node stay where the sprite layer has them.
    for (int i = behind; i < front; ++i)
        if (!BTL_SpriteNode(order[i])) DrawLayered(order[i]);
    // Shadows on the ground lie under everything that stands on it.
    for (const uint16_t* w = world; *w != 0xFFFF; ++w) BTL_BlitParts(BTL_SpriteNode(*w), *w, 1);
    for (const uint16_t* w = world; *w != 0xFFFF; ++w) {
        BTL_BlitParts(BTL_SpriteNode(*w), *w, 0);
        BTL_BlitSprite(*w);  // an overlay's callback deletes its own object and node
    }
    for (int i = front; i < count; ++i) DrawLayered(order[i]);
    SP_DRAW_OFFSET = saved;
}

void BTL_DrawScene() {
    if (MAP_Current()->cells) BTL_RenderScene(SP_DRAW_OFFSET.x, SP_DRAW_OFFSET.y, 0);
    else SP_Draw(-1);
}
