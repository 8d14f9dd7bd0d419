// CPU behaviour: per-mech ".cpu" data (stats, movement actions, technique patterns, reactions),
// the per-slot work records, and the think step and state handlers of computer-driven mechs.
#pragma once
#include <cstdint>

#include "platform/bytes.h"

constexpr int CPU_DATA_SIZE = 9584;
constexpr int CPU_STATS = 24;
constexpr int CPU_ACTIONS = 16;
constexpr int CPU_ACTION_OFFSET = 48;
constexpr int CPU_ACTION_SIZE = 40;
constexpr int CPU_PATTERNS = 24;
constexpr int CPU_PATTERN_OFFSET = 688;
constexpr int CPU_PATTERN_SIZE = 184;
constexpr int CPU_STEPS = 5;
constexpr int CPU_STEP_OFFSET = 4;  // within a pattern
constexpr int CPU_STEP_SIZE = 36;
constexpr int CPU_REACTIONS = 160;
constexpr int CPU_REACTION_OFFSET = 5104;
constexpr int CPU_REACTION_SIZE = 28;
static_assert(CPU_ACTION_OFFSET == 2 * CPU_STATS);
static_assert(CPU_PATTERN_OFFSET == CPU_ACTION_OFFSET + CPU_ACTIONS * CPU_ACTION_SIZE);
static_assert(CPU_REACTION_OFFSET == CPU_PATTERN_OFFSET + CPU_PATTERNS * CPU_PATTERN_SIZE);
static_assert(CPU_DATA_SIZE == CPU_REACTION_OFFSET + CPU_REACTIONS * CPU_REACTION_SIZE);
static_assert(CPU_STEP_OFFSET + CPU_STEPS * CPU_STEP_SIZE == CPU_PATTERN_SIZE);

// Condition-mask bits of an action that give it up by the line to the target.
constexpr uint16_t CPU_DROP_BLOCKED = 0x2000;
constexpr uint16_t CPU_DROP_CLEAR = 0x4000;

// One mech's behaviour block, kept as its raw little-endian bytes.
struct CPU_DATA {
    uint8_t raw[CPU_DATA_SIZE];
};
// Stat value s0..s23 (base values 0..13, per-level increments 14..23).
inline int16_t CPU_Stat(const CPU_DATA* d, int i) { return d ? int16_t(plat::Get16(d->raw + 2 * i)) : 0; }

inline int8_t CPU_I8(const uint8_t* p, int off) { return int8_t(p[off]); }
inline uint16_t CPU_U16(const uint8_t* p, int off) { return plat::Get16(p + off); }
inline int16_t CPU_I16(const uint8_t* p, int off) { return int16_t(plat::Get16(p + off)); }
inline int32_t CPU_I32(const uint8_t* p, int off) { return int32_t(plat::Get32(p + off)); }

// A movement action (40 bytes).
struct CPU_ACTION {
    const uint8_t* p;
    int8_t state() const { return CPU_I8(p, 0); }  // 0..5; anything else: the slot is empty
    bool empty() const { return state() < 0 || state() > 5; }
    uint16_t move_mode() const { return CPU_U16(p, 2); }  // 0 at the target, 1 away, 2 a random point
    int16_t duration() const { return CPU_I16(p, 4); }
    int8_t min_level() const { return CPU_I8(p, 8); }
    int16_t chance() const { return CPU_I16(p, 10); }
    int16_t chance_per_level() const { return CPU_I16(p, 12); }
    int32_t min_dist() const { return CPU_I32(p, 16); }
    int32_t max_dist() const { return CPU_I32(p, 20); }
    int32_t max_levels() const { return CPU_I32(p, 24); }
    uint16_t own_mask() const { return CPU_U16(p, 28); }
    uint16_t target_mask() const { return CPU_U16(p, 30); }
    uint8_t priority() const { return p[32]; }
    int16_t pattern_chance() const { return CPU_I16(p, 34); }
    int16_t delay() const { return CPU_I16(p, 36); }
};

// A step of a technique pattern (36 bytes).
struct CPU_STEP {
    const uint8_t* p;
    int16_t technique() const { return CPU_I16(p, 0); }  // negative: no step
    int8_t min_level() const { return CPU_I8(p, 2); }
    int16_t chance() const { return CPU_I16(p, 4); }
    int16_t chance_per_level() const { return CPU_I16(p, 6); }
    int32_t min_dist() const { return CPU_I32(p, 8); }
    int32_t max_dist() const { return CPU_I32(p, 12); }
    int32_t max_levels() const { return CPU_I32(p, 16); }
    uint16_t own_mask() const { return CPU_U16(p, 20); }
    uint16_t target_mask() const { return CPU_U16(p, 22); }
    uint8_t priority() const { return p[24]; }
    int16_t end_rule() const { return CPU_I16(p, 26); }  // 0, 1 (ground frames only); others never end by waiting
    int16_t wait() const { return CPU_I16(p, 28); }
    int16_t wait_per_level() const { return CPU_I16(p, 30); }
    int16_t combo_chance() const { return CPU_I16(p, 32); }
};

// A technique pattern (184 bytes): a combo flag and five steps.
struct CPU_PATTERN {
    const uint8_t* p;
    uint8_t flag() const { return p[0]; }
    CPU_STEP step(int s) const { return {p + CPU_STEP_OFFSET + s * CPU_STEP_SIZE}; }
};

// A reaction (28 bytes) to an opponent's technique of one weapon.
struct CPU_REACTION {
    const uint8_t* p;
    int8_t kind() const { return CPU_I8(p, 0); }  // 0 a technique, 1 an action; others none
    int16_t value() const { return CPU_I16(p, 2); }  // technique number or action index
    int8_t min_level() const { return CPU_I8(p, 4); }
    int16_t chance() const { return CPU_I16(p, 6); }
    int16_t chance_per_level() const { return CPU_I16(p, 8); }
    int16_t delay() const { return CPU_I16(p, 10); }
    int16_t delay_per_level() const { return CPU_I16(p, 12); }
    int32_t min_dist() const { return CPU_I32(p, 16); }
    int32_t max_dist() const { return CPU_I32(p, 20); }
    uint16_t own_mask() const { return CPU_U16(p, 24); }
    uint8_t priority() const { return p[26]; }
};

inline CPU_ACTION CPU_Action(const CPU_DATA* d, int a) { return {d->raw + CPU_ACTION_OFFSET + a * CPU_ACTION_SIZE}; }
inline CPU_PATTERN CPU_Pattern(const CPU_DATA* d, int p) { return {d->raw + CPU_PATTERN_OFFSET + p * CPU_PATTERN_SIZE}; }
inline CPU_REACTION CPU_Reaction(const CPU_DATA* d, int r) {
    return {d->raw + CPU_REACTION_OFFSET + r * CPU_REACTION_SIZE};
}

struct CPU_WORK {
    int8_t data;        // mech type of the behaviour data
    int32_t mode;       // 0 choose an action, 1 action delay, 2 acting
    int32_t phase;      // 3 free, 4 pattern step, 5 reaction delay, 6 technique running
    int8_t level;
    int32_t frames;     // frame counter of the current step
    int32_t left;       // action duration, delay or reaction delay left
    uint16_t step_wait;
    uint8_t priority;   // 255 none
    int8_t action;      // -1 none
    int8_t pattern;     // -1 none
    uint16_t reaction;
    uint16_t next_step;
    const uint8_t* step;
    // Movers' work words: point x, y (the random point, or the wall-avoiding dash's probe point),
    // the angle word (offset of the random aim, or the heading), the rate word (offset rate, or the
    // probe length) and the wall-avoiding dash's search flag.
    int32_t work[5];
};
enum CPU_WORD : int { CPU_POINT_X = 0, CPU_POINT_Y = 1, CPU_ANGLE = 2, CPU_RATE = 3, CPU_SEARCH = 4 };
extern CPU_WORK CPU_WORK_TABLE[10];

struct LIST_NODE;

// The behaviour data of a mech type, or null when none is loaded.
CPU_DATA* CPU_GetData(int mech);
// Takes a reference; the first reads "Dat\<stem>.cpu" (a short file keeps a zero tail). 1, or 0
// when the first reference finds no file: the count stays raised and there is no data.
int CPU_Load(int mech);
// Fills the mech's block from a file image (the first reference's work); 1.
int CPU_Parse(int mech, const uint8_t* data, size_t size);
void CPU_Free(int mech);
// Replaces "Dat\<stem>.cpu" atomically with the loaded block; 1, or 0 without data or on failure.
int CPU_Save(int mech);
void CPU_Reset(LIST_NODE* node);
void CPU_EndAction(LIST_NODE* node);

// The think step of the current character (before its state handler each frame).
int CPU_Think();
// The reaction to a technique the target starts in this frame; 1 when it fired.
int CPU_React();
// The elimination draw over the actions (mode 0) or the patterns (combo: flagged ones only); the
// winner starts. 1 when one started.
int CPU_ChooseAction();
int CPU_ChoosePattern(int combo);
void CPU_StartAction(LIST_NODE* node, int action);
// Starts step s of pattern p when it passes its test; 1 when it started.
int CPU_TryStep(LIST_NODE* node, int p, int s);
// The condition masks: 1 when a set bit's condition holds (the entry is excluded).
int CPU_OwnExcluded(const LIST_NODE* node, uint16_t mask);
int CPU_TargetExcluded(const LIST_NODE* target, uint16_t mask);

// State handlers of CPU characters by state 0..8 (6..8 are the shared ones); the argument is the
// gravity flag of the frame.
using CPU_STATE_FUNC = int (*)(int* gravity);
extern const CPU_STATE_FUNC CPU_STATE_TABLE[9];
int CPU_StateStand(int* gravity);
int CPU_StateWalk(int* gravity);
int CPU_StateDash(int* gravity);
int CPU_StateDash3(int* gravity);
int CPU_StateDash4(int* gravity);
int CPU_StateDash5(int* gravity);
