// Display objects: the table of 1024 records, creation, deletion and the setters.
#include "sprite/sp_object.h"

#include "display/blt_frame.h"
#include "display/dd_display.h"
#include "sprite/img_table.h"
#include "sprite/sp_draw.h"
#include "services/fil_util.h"
#include "sprite/spr_fix.h"
#include "sprite/spr_set.h"

SP_OBJ* SP_TABLE[SP_OBJECTS];

namespace {
bool ValidId(int id) { return id >= 0 && id < SP_OBJECTS; }

// Each kind is freed as what it was made.
void FreeRecord(SP_OBJ* o) {
    switch (o->kind) {
        case SP_KIND_ANIM: delete static_cast<SP_ANIM*>(o); break;
        case SP_KIND_STILL: delete static_cast<SP_STILL*>(o); break;
        default: delete static_cast<SP_CALLBACK*>(o); break;
    }
}

void FillHead(SP_OBJ& o, uint8_t kind, int priority, int x, int y) {
    o.kind = kind;
    o.visible = 1;
    o.saved_visible = -1;
    o.layer = 0;
    o.priority = int16_t(priority);
    o.x = int16_t(x);
    o.y = int16_t(y);
    o.lift = 0;
    o.flags = 0;
    o.owner = SP_NO_OWNER;
}

void FillBlend(SP_BLENDED& o) {
    o.blend = 0;
    o.blend_param = 0;
    o.scale_x = 256;
    o.scale_y = 256;
}

// A setter's common part: 1 after writing a record of the right kind, 0 without one.
template <class T, class F>
int Set(T* o, F write) {
    if (!o) return 0;
    write(*o);
    return 1;
}

bool UsedImage(int image) { return image >= 0 && image < IMG_SLOTS && IMG_TABLE[image].count != 0; }

// The image and its source rectangle (null: the surface's whole size); drawn at the source's size.
void ShowImage(SP_STILL& o, int image, const RECT* src) {
    RECT r{};
    if (src) {
        r = *src;
    } else {
        DDSURFACEDESC2 d;
        if (IMG_TABLE[image].surface && DD_GetSurfaceDesc(IMG_TABLE[image].surface, &d) == DD_OK)
            r = RECT{0, 0, int32_t(d.dwWidth), int32_t(d.dwHeight)};
    }
    o.src = r;
    o.width = uint16_t(r.right - r.left);
    o.height = uint16_t(r.bottom - r.top);
    o.image = uint16_t(image);
}

template <class T>
int Place(int id, T* record) {
    SP_Delete(id);
    SP_TABLE[id] = record;
    return 1;
}
}  // namespace

SP_OBJ* SP_Get(int id) { return ValidId(id) ? SP_TABLE[id] : nullptr; }

SP_ANIM* SP_Anim(int id) {
    SP_OBJ* o = SP_Get(id);
    return o && o->kind == SP_KIND_ANIM ? static_cast<SP_ANIM*>(o) : nullptr;
}

SP_STILL* SP_Still(int id) {
    SP_OBJ* o = SP_Get(id);
    return o && o->kind == SP_KIND_STILL ? static_cast<SP_STILL*>(o) : nullptr;
}

SP_BLENDED* SP_Blended(int id) {
    SP_OBJ* o = SP_Get(id);
    return o && (o->kind == SP_KIND_ANIM || o->kind == SP_KIND_STILL) ? static_cast<SP_BLENDED*>(o) : nullptr;
}

int SP_CreateAnim(int id, int priority, int x, int y, int set, int pattern) {
    if (!ValidId(id) || set < 0 || set >= SPR_SETS || !SPR_PATTERN_TABLE[set]) return 0;
    auto* o = new SP_ANIM{};
    FillHead(*o, SP_KIND_ANIM, priority, x, y);
    FillBlend(*o);
    o->set = uint16_t(set);
    o->pattern = uint16_t(pattern);
    o->saved_running = -1;
    return Place(id, o);
}

int SP_CreateStill(int id, int priority, int x, int y, int image, const RECT* src) {
    if (!ValidId(id) || !UsedImage(image)) return 0;
    auto* o = new SP_STILL{};
    FillHead(*o, SP_KIND_STILL, priority, x, y);
    FillBlend(*o);
    ShowImage(*o, image, src);
    return Place(id, o);
}

int SP_CreateCallback(int id, int priority, SP_DRAW_FUNC draw) {
    if (!ValidId(id)) return 0;
    auto* o = new SP_CALLBACK{};
    FillHead(*o, SP_KIND_CALLBACK, priority, 0, 0);
    o->owner = 0;  // unlike the other kinds
    o->draw = draw;
    return Place(id, o);
}

int SP_FindFree() {
    for (int i = 0; i < SP_OBJECTS; ++i)
        if (!SP_TABLE[i]) return i;
    return -1;
}

int SP_Delete(int id) {
    SP_OBJ* o = SP_Get(id);
    if (!o) return 0;
    FreeRecord(o);
    SP_TABLE[id] = nullptr;
    return 1;
}

int SP_Free(int id) { return SP_Delete(id) ? -1 : id; }

void SP_FreeArray(int* ids, int count) {
    for (int i = 0; ids && i < count; ++i) ids[i] = SP_Free(ids[i]);
}

int SP_Count() {
    int n = 0;
    for (const SP_OBJ* o : SP_TABLE) n += o != nullptr;
    return n;
}

int SP_IsUsed(int id) { return SP_Get(id) ? 1 : 0; }

int SP_GetPartCount(int id) {
    SP_ANIM* o = SP_Anim(id);
    if (!o) return -1;
    const SPR_PATTERN* p = SPR_GetPattern(o->set, o->pattern + o->pattern_offset);
    return p ? p->part_count : 0;
}

void SP_SetOwner(int id, int owner) {
    if (SP_OBJ* o = SP_Get(id)) o->owner = int16_t(owner);
}

void SP_Reset() {
    SP_LayerResetAll();  // a layer's image would outlive its object otherwise
    for (int s = 0; s < SPR_SETS; ++s) SPR_FreeSet(s);
    SP_DRAW_OFFSET = POINT{};
    SP_RENDER_TARGET = nullptr;
    for (int i = 0; i < SP_OBJECTS; ++i) SP_Delete(i);
}

int SP_Init() {
    SP_Reset();
    // The rules beyond the built-in ones are game data of their own (see the README).
    SPR_ClearCorrections();
    SPR_LoadCorrections(FIL_MakePath("Dat\\PartFix.txt"));
    SP_RENDER_TARGET = &DD_DISPLAY.back;
    return 1;
}

int SP_SetPos(int id, int x, int y) {
    return Set(SP_Get(id), [&](SP_OBJ& o) {
        o.x = int16_t(x);
        o.y = int16_t(y);
    });
}

int SP_SetPriority(int id, int priority) {
    return Set(SP_Get(id), [&](SP_OBJ& o) { o.priority = int16_t(priority); });
}

int SP_SetVisible(int id, int visible) {
    return Set(SP_Get(id), [&](SP_OBJ& o) { o.visible = uint8_t(visible); });
}

// A callback object keeps its function in a member of its own, so flags never overwrite it.
int SP_SetFlags(int id, uint32_t flags) {
    return Set(SP_Get(id), [&](SP_OBJ& o) { o.flags = flags; });
}

int SP_SetBlend(int id, int level) {
    return Set(SP_Blended(id), [&](SP_BLENDED& o) { o.blend = uint16_t(level); });
}

int SP_SetBlendParam(int id, int param) {
    return Set(SP_Blended(id), [&](SP_BLENDED& o) { o.blend_param = uint16_t(param); });
}

int SP_SetPattern(int id, int pattern) {
    return Set(SP_Anim(id), [&](SP_ANIM& o) { o.pattern = uint16_t(pattern); });
}

int SP_SetStillRect(int id, int x, int y, int w, int h) {
    return Set(SP_Still(id), [&](SP_STILL& o) {
        o.src = RECT{x, y, x + w, y + h};
        o.width = uint16_t(w);
        o.height = uint16_t(h);
    });
}

int SP_SetStillImage(int id, int image, const RECT* src) {
    if (!UsedImage(image)) return 0;
    return Set(SP_Still(id), [&](SP_STILL& o) { ShowImage(o, image, src); });
}

int SP_SetScale(int id, int scale_x, int scale_y) {
    return Set(SP_Blended(id), [&](SP_BLENDED& o) {
        if (scale_x >= 0) o.scale_x = uint16_t(scale_x);
        if (scale_y >= 0) o.scale_y = uint16_t(scale_y);
    });
}

void SP_SetGroundClip(int id, int clip) {
    if (SP_ANIM* o = SP_Anim(id)) o->ground_clip = uint8_t(clip);
}

int SP_SetLayer(int id, int layer) {
    return Set(SP_Get(id), [&](SP_OBJ& o) { o.layer = uint32_t(layer); });
}
