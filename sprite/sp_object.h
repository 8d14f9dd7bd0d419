// Display objects: 1024 slots of animated, still and callback objects with the fields screens write.
#pragma once
#include <cstdint>

#include "platform/types.h"

constexpr int SP_OBJECTS = 1024;
constexpr int16_t SP_NO_OWNER = -999;

constexpr uint8_t SP_KIND_ANIM = 1;
constexpr uint8_t SP_KIND_STILL = 2;
constexpr uint8_t SP_KIND_CALLBACK = 3;

// The head every kind has. Fields keep their widths: a position written past 16 bits wraps.
struct SP_OBJ {
    int16_t owner;          // battle pool node, SP_NO_OWNER for none
    int8_t saved_visible;   // kept by SP_PushVisibleAll; -1 = nothing kept
    uint32_t layer;         // render layer; 0
    uint8_t kind;           // SP_KIND_*
    uint8_t visible;        // 0 hidden
    int16_t priority;       // larger drawn first (further back); set through SP_SetPriority
    int16_t x, y;           // anchor (animated) or top-left (still), before the draw offset
    int16_t lift;           // drawn this much higher; hit boxes ignore it
    uint32_t flags;         // draw flags: mirror and blend bits (0 in a callback object)
};

// Animated and still objects: blend and scale.
struct SP_BLENDED : SP_OBJ {
    uint16_t blend;         // blend level (tint modes: low byte and high byte)
    uint16_t blend_param;   // second blend parameter
    uint16_t scale_x;       // 256 = 100 %
    uint16_t scale_y;
};

struct SP_ANIM : SP_BLENDED {
    uint16_t set;           // animation set
    uint16_t pattern;
    uint8_t pattern_offset; // added to the pattern wherever it is looked up
    int8_t saved_running;   // kept by SP_PushRunningAll; -1 = nothing kept
    uint8_t running;
    uint8_t mode;           // 0..3 pattern ranges, 4 sequence
    uint8_t auto_delete;
    uint16_t step;          // sequence: current step; ranges: first pattern
    uint16_t loop;          // sequence: non-zero loops; ranges: last pattern
    int16_t seq;            // sequence: 0..127; ranges: direction
    int16_t wait;           // ticks left before the next step
    uint8_t ground_clip;    // read by the battle renderer
};

struct SP_STILL : SP_BLENDED {
    uint16_t width, height; // drawn size; stretched when it differs from the source
    uint16_t image;         // image id
    RECT src;               // rectangle of the image
};

using SP_DRAW_FUNC = void (*)(int id);

struct SP_CALLBACK : SP_OBJ {
    SP_DRAW_FUNC draw;      // called with the id to draw into the render target
};

// By id; null = free. Records are owned by the table.
extern SP_OBJ* SP_TABLE[SP_OBJECTS];

// The record of a used id, or null (any id outside 0..1023 included).
SP_OBJ* SP_Get(int id);
SP_ANIM* SP_Anim(int id);    // null unless animated
SP_STILL* SP_Still(int id);  // null unless still
SP_BLENDED* SP_Blended(int id);  // animated or still, else null

// Creators replace whatever held the id. 1, or 0 with the old object kept (unloaded set, image
// slot not in use, id outside the table).
int SP_CreateAnim(int id, int priority, int x, int y, int set, int pattern);
int SP_CreateStill(int id, int priority, int x, int y, int image, const RECT* src);  // src null: whole image
int SP_CreateCallback(int id, int priority, SP_DRAW_FUNC draw);

int SP_FindFree();       // lowest free id, -1 when full
int SP_Delete(int id);   // 1, or 0 for a free or invalid id
int SP_Free(int id);     // -1 when deleted, else the id (callers store it back)
inline int SP_Free2(int id) { return SP_Free(id); }
// SP_Free over count handles, each stored back.
void SP_FreeArray(int* ids, int count);
inline void SP_FreeArray2(int* ids, int count) { SP_FreeArray(ids, count); }
int SP_Count();          // used slots
int SP_IsUsed(int id);   // 1 when the id holds an object
int SP_GetPartCount(int id);  // parts of the current pattern; -1 unless animated
void SP_SetOwner(int id, int owner);
void SP_Reset();         // frees every set and object; clears draw offset and render target
int SP_Init();           // SP_Reset, then the render target is the back buffer; 1

// Setters: 1, or 0 for an invalid or free id or a kind without the field. The twins are the same
// setter under the other names callers use.
int SP_SetPos(int id, int x, int y);
inline int SP_SetPos2(int id, int x, int y) { return SP_SetPos(id, x, y); }
int SP_SetPriority(int id, int priority);
int SP_SetVisible(int id, int visible);
inline int SP_SetVisible2(int id, int visible) { return SP_SetVisible(id, visible); }
inline int SP_SetVisible3(int id, int visible) { return SP_SetVisible(id, visible); }
int SP_SetFlags(int id, uint32_t flags);
inline int SP_SetFlags2(int id, uint32_t flags) { return SP_SetFlags(id, flags); }
int SP_SetBlend(int id, int level);
inline int SP_SetBlend2(int id, int level) { return SP_SetBlend(id, level); }
int SP_SetBlendParam(int id, int param);
inline int SP_SetBlendParam2(int id, int param) { return SP_SetBlendParam(id, param); }
int SP_SetPattern(int id, int pattern);
int SP_SetStillRect(int id, int x, int y, int w, int h);
// A still object's image and source (null: the whole surface); the drawn size becomes the source's.
// 0 as well for an image slot that is not in use.
int SP_SetStillImage(int id, int image, const RECT* src);
int SP_SetScale(int id, int scale_x, int scale_y);  // a negative value keeps that field
inline int SP_SetScale2(int id, int scale_x, int scale_y) { return SP_SetScale(id, scale_x, scale_y); }
void SP_SetGroundClip(int id, int clip);
int SP_SetLayer(int id, int layer);  // the render layer the object draws into
