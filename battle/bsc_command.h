// Battle-script commands and script events.
#pragma once

int mBSC_Event_Update();
int mBSC_Event_Check(int kind, int slot);
int mBSC_GetBusy();
void mBSC_Reset();
