// Battle-script commands and script events.
#pragma once
#include <cstdint>

int mBSC_Event_Update();
int mBSC_Event_Check(int kind, int slot);
int mBSC_GetBusy();
void mBSC_Reset();

extern int32_t bscEnmGuard;    // 1: a team-1 character whose durability runs out stays at level 0
extern int32_t bscChrCollide;  // 0 in the battle-script kind: characters move without collision
int mBSC_Chr_Mov_Update();
int mBSC_Chr_Mov_Jump(int slot, int entry);
