// Stand-in for the bullet objects until the weapons module replaces this file.
#include "battle/tama_obj.h"

#include "battle/list_pool.h"

int TAMA_Update() { return 1; }

int32_t TAMA_Delete(LIST_NODE* node) {
    if (!node) return -1;
    --LIST_STATE_DATA.wpnCnt;
    return LIST_Free(node->index);
}
