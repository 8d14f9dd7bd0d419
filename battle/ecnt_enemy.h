// Enemy control: timed spawns of enemy mechs at spawn points outside the view.
#pragma once

void ECNT_Reset();
void ECNT_Release();
int ECNT_Update();
// 1 when it moved the spawn clock on to the next queued spawn.
int ECNT_SkipToNext();
