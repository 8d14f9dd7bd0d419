// Stand-in for hit resolution until the melee module replaces this file: no hit, no flash.
#include "battle/hit_resolve.h"

void HIT_FlashUpdate() {}
