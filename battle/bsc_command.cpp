// Stand-in for the battle script until the AI and scripts module replaces this file: no event is
// ever set; checks are recorded.
#include "battle/bsc_command.h"

#include "battle/btl_common.h"

int mBSC_Event_Update() { return 0; }

int mBSC_Event_Check(int kind, int slot) {
    BTL_Record("mBSC_Event_Check %d %d", kind, slot);
    return 0;
}

int mBSC_GetBusy() { return -1; }
void mBSC_Reset() {}

int32_t bscEnmGuard = 0;
int32_t bscChrCollide = 1;

int mBSC_Chr_Mov_Update() { return 0; }

int mBSC_Chr_Mov_Jump(int slot, int entry) {
    BTL_Record("mBSC_Chr_Mov_Jump %d %d", slot, entry);
    return 0;
}
