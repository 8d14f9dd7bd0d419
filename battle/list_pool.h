// The battle object pool: 2048 nodes on a first-in first-out free list and one active list, the
// current-object globals every update reads, and the walk that dispatches nodes by priority and kind.
#pragma once
#include <array>
#include <cstdint>

#include "platform/types.h"

constexpr int LIST_MAX = 2048;
constexpr int LIST_PRIORITY_MAX = 8;

enum LIST_KIND : uint8_t {
    LIST_KIND_CHR = 0,    // character
    LIST_KIND_WP2 = 1,    // fire order
    LIST_KIND_TAMA = 2,   // bullet
    LIST_KIND_EFT = 3,    // effect
    LIST_KIND_GAUGE = 4,  // falling gauge chip of the HUD
    LIST_KIND_BGOBJ = 5,  // background overlay
};
constexpr int LIST_KIND_COUNT = 6;

constexpr int16_t LIST_NO_SPRITE = -999;
constexpr int16_t LIST_NO_FIRE_ORDER = -999;

struct CHR_DATA;
struct WP2_DATA;
struct TAMA_OBJ;
struct EFT_DATA;
struct BGOBJ_DATA;
struct WAZA_DATA;
struct CPU_WORK;

// A box as x offset, y offset, width, height relative to the node.
struct LIST_BOX {
    int32_t x = 0, y = 0, w = 0, h = 0;
};

struct LIST_NODE {
    uint8_t in_use;
    uint8_t kind;
    int8_t team;         // 0 the player's side, 1 the enemies'
    int8_t slot;         // owning character's slot 0..9
    int16_t priority;    // 0..8; walks visit 8 first
    int16_t index;
    int16_t owner;       // creating node, -1 none
    int16_t target;      // node aimed at, -1 none
    int16_t fire_order;  // fire order this node runs, -999 none
    int32_t prev, next;  // active list, -1 at the ends
    int32_t free_next;
    uint32_t draw_parts[2];
    int32_t x, y, height;
    int32_t x16, y16, height16;
    int32_t vx, vy;  // 16.16 per sub-step
    int16_t height_offset;
    int16_t height_range;
    int16_t sub_steps;
    int16_t sub_step_size;
    uint8_t knock_kind;
    int16_t vspeed;
    int16_t speed;    // effects and bullets: pixels a frame along the direction in vx, vy
    uint8_t down;
    int8_t dir;       // facing 0..7 clockwise from down
    int16_t sprite;   // display object, -999 none
    int32_t anim;     // sequence shown; negative: the renderer skips the sprite
    RECT frame_rect;  // hit box 0 of the sprite frame
    LIST_BOX map_box;   // hit box 13: tested against wall chips
    LIST_BOX body_box;  // hit box 13: tested against other characters
    CHR_DATA* chr;
    WP2_DATA* wp2;
    TAMA_OBJ* tama;
    EFT_DATA* eft;
    BGOBJ_DATA* bgobj;
    // Used by the map's depth overlays and the renderer.
    int8_t off_view;       // 0 seen, -1 (255) nowhere in view this frame
    uint32_t ground_flag;  // characters and fragments: the body at ground level also gets overlays
    uint32_t ground_done;
};

struct LIST_STATE {
    int32_t free_head = -1, free_tail = -1;
    int32_t head = -1, tail = -1;
    int32_t listCnt = 0, wpnCnt = 0, eftCnt = 0, bgObjCnt = 0;
};

// Set by the walks before each update; updates fill the rest and always set next.
struct LIST_CURRENT_DATA {
    LIST_NODE* node = nullptr;
    int32_t next = -1;
    LIST_NODE* owner = nullptr;
    LIST_NODE* target = nullptr;
    CHR_DATA* chr = nullptr;
    WAZA_DATA* waza = nullptr;
    uint8_t* act = nullptr;  // the technique's current action (256 bytes)
    uint8_t* key = nullptr;  // the action's current keyframe (16 bytes)
    WP2_DATA* wp2 = nullptr;
    TAMA_OBJ* tama = nullptr;
    const uint8_t* phase = nullptr;  // the bullet's current phase (344 bytes)
    CPU_WORK* cpu = nullptr;
};

extern std::array<LIST_NODE*, LIST_MAX> LIST_DATA;
extern LIST_STATE LIST_STATE_DATA;
extern LIST_CURRENT_DATA LIST_CURRENT;
// Changes whenever a character or bullet joins or leaves the active list or the pool is rebuilt;
// never reset, so a list gathered from the pool can tell when it is stale.
extern uint32_t LIST_ACTOR_CHANGES;

// Releases any previous pool, then builds 2048 zeroed free nodes. 1, or 0 when an allocation fails
// (the nodes made so far stay).
int LIST_Init();
void LIST_Term();
// A new node of the kind at the active list's tail with its zeroed kind record; null when every
// node is in use or the record cannot be allocated.
LIST_NODE* LIST_Alloc(int kind);
// Deletes the node (its display object and kind record too); the index of the active node that
// followed it, or -1. A node that is not in use is left alone (-1).
int32_t LIST_Free(int32_t index);
// The node at index, or null outside the pool.
LIST_NODE* LIST_Node(int32_t index);

// One update per node kind (null: the node is held, the walk moves on). An update runs on
// LIST_CURRENT.node and sets LIST_CURRENT.next before it returns.
using LIST_UPDATE = int (*)();
using LIST_UPDATE_TABLE = std::array<LIST_UPDATE, LIST_KIND_COUNT>;
// For priority 8 down to 0, every active node of that priority in list order; nodes added during
// the walk are visited when their priority has not been passed yet.
void LIST_Walk(const LIST_UPDATE_TABLE& table);
// Sets the current node, its owner and target (null for a negative index) and the default next.
void LIST_SetCurrent(LIST_NODE* node);
