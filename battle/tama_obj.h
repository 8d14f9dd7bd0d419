// Bullet objects: pool nodes of kind 2 running the phases and keyframes of their bullet record,
// moved in sub-steps by the handlers of their phase's motion class.
#pragma once
#include <cstdint>

#include "battle/tama_data.h"
#include "platform/types.h"

struct LIST_NODE;

constexpr int TAMA_WORK = 16;
constexpr int TAMA_DURATIONS = 128;
constexpr int TAMA_SECTORS = 24;        // directions of missiles and fields, 15 degrees each
constexpr int TAMA_LASER_SECTORS = 40;  // directions of laser segments, 9 degrees each
constexpr int TAMA_DRAW_CODES = 15;

enum TAMA_CLASS : uint8_t { TAMA_MISSILE = 0, TAMA_FIELD = 1, TAMA_LASER = 2 };

// Fixed places in the work values.
enum TAMA_WORK_INDEX : int {
    TAMA_W_FOLLOW = 12,  // laser: another segment changed the beam's phase
    TAMA_W_PLACED = 13,  // laser: straightened by a hit reaction this sub-step
    TAMA_W_CHAIN = 14,   // laser: the chain was placed this frame
    TAMA_W_RANGE = 15,   // missile: proximity radius; laser: chain index
    TAMA_U_REACTION = 15,
};

struct TAMA_OBJ {
    int16_t waza;             // technique number of the fire order
    int16_t key_countdown;    // timing mode 2
    int16_t fall_time;        // sub-steps since the phase began
    uint16_t frames;          // frames since the phase began
    int32_t aim_point[3];     // x, y, height it was fired at
    int32_t aim[2];           // target position minus own position; the mount of its fire orders
    uint8_t hit_kind;         // not 0: hits scale with the shooter's beam stat
    uint16_t hits1, hits2;    // hits still allowed on characters and on bullets
    uint8_t hit_frame;        // hit by a bullet this frame
    uint16_t hits_made;
    int8_t hit_countdown;
    uint8_t phase;            // 0..3
    int16_t linked;           // missile, laser: the fire order; field: its anchor
    int32_t w[TAMA_WORK];     // motion work A
    int32_t u[TAMA_WORK];     // motion work B (beam segments)
    uint8_t key;              // 0..3
    uint8_t anim_done;        // set by the animation stepper
    uint16_t durations[TAMA_DURATIONS];
    int32_t reduction;        // the bullet's own running reduction
    uint8_t repeats;
    uint8_t muzzle_box;
    uint8_t wall_hit;
    uint8_t fx_made;          // the phase's attached effects exist
    const uint8_t* record;    // its bullet record (raw bytes)
};

// The current phase of the bullet's record, or null without one.
inline const uint8_t* TAMA_PhaseBytes(const TAMA_OBJ* b) {
    return b && b->record ? b->record + TAMA_PHASE_OFFSET + (b->phase % TAMA_PHASES) * TAMA_PHASE_SIZE : nullptr;
}
inline TAMA_PHASE TAMA_PhaseOf(const TAMA_OBJ* b) { return {TAMA_PhaseBytes(b)}; }
// Length of the bullet's current keyframe (255 loops its animation).
inline int TAMA_KeyLength(const TAMA_OBJ* b) {
    return b->record && b->key < TAMA_KEYS ? TAMA_PhaseOf(b).key(b->key).length() : -1;
}

// A 64-bit result brought into 32 bits the way the 32-bit sum wraps.
inline int32_t TAMA_Wrap(int64_t v) { return int32_t(uint32_t(uint64_t(v))); }
// v modulo n in 0..n - 1, for any sign.
inline int TAMA_Mod(int64_t v, int n) {
    const int r = int(v % n);
    return r < 0 ? r + n : r;
}
// Hit box 0..15 of the node's current frame; false (and a zero rectangle) when there is none or
// all its edges are 0.
bool TAMA_HitBox(const LIST_NODE* n, int box, RECT* r);
// Position and height with their 16.16 copies.
void TAMA_SetPos(LIST_NODE* n, int32_t x, int32_t y, int32_t h);

// Draw flags of a keyframe's draw-flag code; 0 above 14.
uint32_t TAMA_DrawFlags(int code);

// A bullet of that number fired by the current fire order: the node index, or -1 when the number
// has no record, its entry phase no keyframe 0, or the pool or the display objects are full.
int32_t TAMA_Create(int bullet, LIST_NODE* owner, int32_t x, int32_t y, int32_t height, int32_t sx, int32_t sy,
                    int32_t sh, int32_t ax, int32_t ay, int32_t ah, int box);
// The update of pool kind 2 for LIST_CURRENT.node; sets LIST_CURRENT.next.
int TAMA_Update();
int32_t TAMA_Delete(LIST_NODE* node);
int32_t TAMA_GetCount();
int TAMA_GetSubStep();
// Enters phase n (or, outside 0..3, the end phase) for the current bullet: 1, or 0 when none.
int TAMA_SetPhase(int n);
// Enters keyframe k: 1, or the phase entry's result when the keyframes have run out.
int TAMA_SetKey(LIST_NODE* node, int k);
void TAMA_SetKeyAnim(LIST_NODE* node);
// The phase rules once a frame: -1 nothing changed, else the result of the change.
int TAMA_CheckPhase();
// One movement sub-step with its hit checks: 0 when the movement failed.
int TAMA_SubStep();
int TAMA_MoveStep(int handler, int vertical, uint32_t hit_mask);
void TAMA_StepSpeedScale();
// Turns the velocity towards (x, y) by the turn step in degrees and faces the sprite by the mode
// in sectors of `size` degrees; the unwrapped angle difference.
int TAMA_SteerTo(LIST_NODE* node, int32_t x, int32_t y, int step, int facing, int size);
// +1 or -1: the way from angle a to angle b within a turn of `full`.
int TAMA_TurnSign(int a, int b, int full);

// Motion handlers by class; the updates give 1, or 0 when the movement fails.
void TAMA_MissileInit(LIST_NODE* node, int32_t order);
int TAMA_MissileUpdate();
void TAMA_FieldInit(LIST_NODE* node, int32_t order);
int TAMA_FieldUpdate();
void TAMA_LaserInit(LIST_NODE* node, int32_t order);
void TAMA_LaserPhase(LIST_NODE* node, int32_t order);
int TAMA_LaserUpdate(uint32_t hit_mask);
void TAMA_LaserHead(LIST_NODE* order);
void TAMA_LaserChain(LIST_NODE* order);
void TAMA_LaserLinkFx(LIST_NODE* node, LIST_NODE* order);
// The anchor a segment hangs from: a chain segment's tip (box 8), else the shooter's muzzle (box 6).
POINT TAMA_GetLinkPoint(const LIST_NODE* pred, const LIST_NODE* order);
// Where a laser aims, by its fire order's origin mode: x, y and height.
void TAMA_GetAimPoint(const LIST_NODE* node, int32_t* x, int32_t* y, int32_t* h);
// The live node at index when it is of the kind, else null.
LIST_NODE* TAMA_Live(int32_t index, int kind);
