// What the survival flows and the battle modes offer the battle engine: the survival test
// condition, the weapon kind flag, technique pick counts and the gauge-pool reward.
#pragma once
#include <cstdint>

extern int32_t SVV_TestCond;  // 0 none; 1..3 the survival-by-levels tests

int SVV_KindFlag(int weapon);
int SVV_CountPick(int weapon, int far);
void BTL_AddGaugePool(int mech, int percent);
