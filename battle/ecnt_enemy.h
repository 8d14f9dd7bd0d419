// Enemy control: timed spawns of enemy mechs at spawn points outside the view.
#pragma once

void ECNT_Reset();
void ECNT_Release();
int ECNT_Update();
