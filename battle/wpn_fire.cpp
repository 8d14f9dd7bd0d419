// Stand-in for the fire orders until the weapons module replaces this file: no order is made.
#include "battle/wpn_fire.h"

#include "battle/list_pool.h"

int WPN_Update() { return 1; }  // the walk's default next stays

int32_t WPN_Delete(LIST_NODE* node) { return node ? LIST_Free(node->index) : -1; }

int32_t WPN_Create(LIST_NODE*, const uint8_t*) { return -1; }
