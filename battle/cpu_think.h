// CPU behaviour: per-mech ".cpu" data (stats, movement actions, technique patterns, reactions),
// the per-slot work records, and the think step and state handlers of computer-driven mechs.
#pragma once
#include <cstdint>

#include "platform/bytes.h"

constexpr int CPU_DATA_SIZE = 9584;
constexpr int CPU_STATS = 24;

// One mech's behaviour block, kept as its raw little-endian bytes.
struct CPU_DATA {
    uint8_t raw[CPU_DATA_SIZE];
};
// Stat value s0..s23 (base values 0..13, per-level increments 14..23).
inline int16_t CPU_Stat(const CPU_DATA* d, int i) { return d ? int16_t(plat::Get16(d->raw + 2 * i)) : 0; }

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
    int32_t work[5];
};
extern CPU_WORK CPU_WORK_TABLE[10];

struct LIST_NODE;

// Behaviour data by reference; 1, or 0 when the first reference finds no file.
int CPU_Load(int mech);
void CPU_Free(int mech);
void CPU_Reset(LIST_NODE* node);
void CPU_EndAction(LIST_NODE* node);
int CPU_Think();

// State handlers of CPU characters by state 0..8 (6..8 are the shared ones); the argument is the
// gravity flag of the frame.
using CPU_STATE_FUNC = int (*)(int* gravity);
extern const CPU_STATE_FUNC CPU_STATE_TABLE[9];
int CPU_StateStand(int* gravity);
