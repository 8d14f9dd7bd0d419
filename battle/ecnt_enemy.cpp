// Stand-in for enemy control until the AI module replaces this file: nothing is queued.
#include "battle/ecnt_enemy.h"

void ECNT_Reset() {}
void ECNT_Release() {}
int ECNT_Update() { return 1; }
int ECNT_SkipToNext() { return 0; }
