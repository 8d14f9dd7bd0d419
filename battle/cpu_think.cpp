// Stand-in for CPU behaviour until the AI module replaces this file: every mech behaves as one
// without a ".cpu" file (stats 0, no thinking, states 0-5 stand).
#include "battle/cpu_think.h"

#include "battle/chr_char.h"
#include "battle/chr_state.h"
#include "battle/list_pool.h"
#include "battle/waza_file.h"

CPU_WORK CPU_WORK_TABLE[10]{};

const CPU_STATE_FUNC CPU_STATE_TABLE[9] = {CPU_StateStand, CPU_StateStand, CPU_StateStand, CPU_StateStand,
                                           CPU_StateStand, CPU_StateStand, CHR_StateHit,   CHR_StateBlown,
                                           CHR_StateDown};

int CPU_Load(int mech) {
    if (mech < 0 || mech >= MECH_TYPES) return 0;
    MechRecord& m = MECH_TABLE[mech];
    if (m.cpu_refs < UINT8_MAX) ++m.cpu_refs;
    return m.cpu ? 1 : 0;
}

void CPU_Free(int mech) {
    if (mech < 0 || mech >= MECH_TYPES || MECH_TABLE[mech].cpu_refs == 0) return;
    --MECH_TABLE[mech].cpu_refs;
}

void CPU_Reset(LIST_NODE* node) {
    if (!node || node->slot < 0 || node->slot >= CHR_SLOTS) return;
    CPU_WORK& w = CPU_WORK_TABLE[node->slot];
    w.frames = w.left = 0;
    w.step_wait = 0;
    w.pattern = -1;
    w.next_step = 0;
    w.phase = 3;
}

void CPU_EndAction(LIST_NODE* node) {
    if (!node || node->slot < 0 || node->slot >= CHR_SLOTS) return;
    CHR_SetState(node, 0);
    CPU_WORK_TABLE[node->slot].mode = 0;
    CPU_WORK_TABLE[node->slot].action = -1;
}

int CPU_Think() { return 0; }

int CPU_StateStand(int*) { return 1; }
