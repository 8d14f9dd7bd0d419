// The weapon kind flag, and stand-ins recording the survival counts and the gauge-pool reward
// until the battle modes build them.
#include "battle/svv_flow.h"

#include "battle/btl_common.h"

int32_t SVV_TestCond = 0;

int SVV_KindFlag(int weapon) { return weapon == 31 || weapon == 39 || weapon == 44 ? 1 : 0; }

int SVV_CountPick(int weapon, int far) {
    BTL_Record("SVV_CountPick %d %d", weapon, far);
    return 0;
}

void BTL_AddGaugePool(int mech, int percent) { BTL_Record("BTL_AddGaugePool %d %d", mech, percent); }
