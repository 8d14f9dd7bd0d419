// Display-object stepping, drawing by priority, hit boxes, push and pop of state, render targets.
#pragma once
#include <cstdint>

#include "platform/display.h"
#include "platform/types.h"
#include "sprite/sp_object.h"

// Draw flags of objects, parts and patterns. The first blend bit found in the drawing order
// picks the blitter.
enum SP_DRAW_FLAGS : uint32_t {
    SP_FLIP_LR = 0x1,
    SP_FLIP_UD = 0x2,
    SP_MIX = 0x4,          // with SP_SILHOUETTE: one colour mixed 50 %
    SP_ADD = 0x8,
    SP_SUB = 0x10,
    SP_ALPHA2 = 0x20,      // unscaled alpha at twice the level; scaled stipple
    SP_ALPHA = 0x40,
    SP_ADD_LEVEL = 0x80,
    SP_SILHOUETTE = 0x100,
    SP_WHITEN = 0x200,     // scaled: brightness
    SP_ADD_HALF = 0x400,
    SP_ADD_QUARTER = 0x800,
    SP_SUB_HALF = 0x1000,
    SP_SUB_QUARTER = 0x2000,
    SP_OPAQUE = 0x4000,    // copy without colour key
    SP_DIM = 0x8000,
    SP_TINT_RGB = 0x10000,
    SP_ALPHA_RGB = 0x20000,
    SP_ADD_RGB = 0x40000,
};

// The variable holding the surface drawn into (the back buffer's, or an image slot's surface
// field); read at every blit, so it survives a display re-creation.
extern DDSurface** SP_RENDER_TARGET;
extern POINT SP_DRAW_OFFSET;  // added to every position when drawing; the camera in battle

DDSurface** SP_SetRenderTarget(DDSurface** target);
void SP_SetDrawOffset(int32_t x, int32_t y);
void SP_GetDrawOffset(int32_t* x, int32_t* y);

// Render layers: a 640 x 480 image shown by a still object of its own; objects whose layer field
// names a layer in use draw into its image, and the layer's object fades it in or out.
constexpr int SP_LAYERS = 16;
struct SP_LAYER {
    uint8_t used;
    uint8_t fade_mode;  // 0 out (31 down to 0), 1 in (0 up to 31), 2 from 31 up, 3 from 0 up at twice the pace
    uint32_t sprite;    // display object showing the layer
    uint32_t image;     // the layer's 640 x 480 image
    uint8_t level;      // 128; not read
    uint32_t duration;  // ms
    uint32_t start;     // ms
};
extern SP_LAYER SP_LAYER_TABLE[SP_LAYERS];

// Creates layer 0..15: a blank image and, in the lowest free id, a still object over the whole
// screen at the priority, drawn with alpha at the fade's level (31 and above opaque); the fade
// starts now. 1, or 0 with nothing made when the layer is in use or no image or id is free.
int SP_LayerCreate(int layer, int priority, int fade_mode, uint32_t duration);
int SP_LayerDelete(int layer);  // deletes its object and releases its image; 0 when not in use
void SP_LayerResetAll();

// ---- stepping ----
void SP_Update();            // one animation tick for every object, then the layer fades
void SP_LayerFadeUpdate();   // the layer fades alone
void SP_LayerFadeStep();
// Starts sequence mode; restart begins at step 0 (its first frame one tick longer). 1, or 0
// unless animated with a sequence that has steps.
int SP_PlaySeq(int id, int seq, int loop, int restart);
int SP_Stop(int id);
int SP_IsPlaying(int id);
int SP_SetSeqStep(int id, int seq, int step);  // shows that step's pattern and stops
// Starts pattern-range mode 0..3 (0 stop at the end, 1 bounce once, 2 wrap, 3 bounce) over the
// patterns first..last, stepping by direction (+1, -1); the object starts on first, or on last
// for a direction below 1, for that pattern's wait. 1, or 0 unless animated.
int SP_PlayRange(int id, int first, int last, int direction, int mode);
int SP_SetAnimMode(int id, int mode);
int SP_SetAutoDelete(int id, int flag);  // stores flag != 0
// step := a random number modulo the step count of the object's sequence (0 for an empty one).
int SP_RandomSeqStep(int id);

// ---- drawing ----
// priority >= 0: visible objects of exactly that priority, ids 1023 down to 0; negative: all
// visible objects by priority (larger first; among equals the lowest id last, in front).
void SP_Draw(int priority);
int SP_SortByPriority(uint16_t* list);  // list of 1025 entries, ending with 0xFFFF; the count
int SP_DrawAnim(int id);   // 1 when drawn
// How an animated object's pattern is drawn: its anchor (y already lifted, both before the draw
// offset), draw flags, blend words and scale; rows of the target from cut_y down are left alone
// (INT32_MAX: no cut). SP_LookOf gives the object's own, which SP_DrawAnim draws.
struct SP_ANIM_LOOK {
    int32_t x, y;
    uint32_t flags;
    uint16_t blend, blend_param;
    uint16_t scale_x, scale_y;
    int32_t cut_y;
};
SP_ANIM_LOOK SP_LookOf(const SP_ANIM* o);
// A visible animated object drawn as SP_DrawAnim draws it, with the look given. 1 when drawn.
int SP_DrawAnimAs(int id, const SP_ANIM_LOOK& look);
int SP_DrawStill(int id);  // 1 when drawn
// Draws one visible object as SP_Draw would, into the image's surface when image is not -1
// (the render target is restored afterwards). 1 when drawn.
int SP_DrawOne(int id, int image);

// ---- hit boxes and rectangles, relative to the position unless Screen ----
int SP_GetHitBox(int id, int box, RECT* out);
int SP_GetHitBoxScreen(int id, int box, RECT* out);
int SP_GetPartRect(int id, int part, RECT* out);
int SP_GetStillRect(int id, RECT* out);
// Bit k set for each hit box k (as SP_GetHitBox gives it) that holds the point, both relative to
// the object's position: left and top inclusive, right and bottom exclusive. 0 unless animated.
int SP_HitPoint(int id, int32_t x, int32_t y);
// Bit k set for each hit box k that overlaps the rectangle, every side compared strictly.
int SP_HitRect(int id, const RECT* rect);

// ---- snapshots ----
void SP_PushVisibleAll(int visible);  // pushes do not nest: a second overwrites
void SP_PopVisibleAll();
void SP_PushRunningAll(int running);
void SP_PopRunningAll();
void SP_PopAll();
// Clears the image, draws into it with draw(), then pushes visibility and running as keep (0/1).
void SP_RenderToImage(int image, int keep, void (*draw)());
