// Stand-in for the effects until the effects module replaces this file: nothing is spawned.
#include "battle/eft_effect.h"

#include "battle/btl_common.h"
#include "battle/list_pool.h"

int32_t EFT_Create(int kind, LIST_NODE*, int32_t x, int32_t y, int32_t height) {
    BTL_Record("EFT_Create %d %d %d %d", kind, x, y, height);
    return -1;
}

int EFT_Update() { return 1; }

int32_t EFT_Delete(LIST_NODE* node) {
    if (!node) return -1;
    --LIST_STATE_DATA.eftCnt;
    return LIST_Free(node->index);
}

int EFT_SpawnAmbient() { return 0; }
