// The system bar's screen parts and its common picture with the cursor's objects.
#include "shell/sys_bar.h"

#include "services/fil_util.h"
#include "services/mou_cursor.h"
#include "sprite/img_table.h"
#include "sprite/sp_object.h"

int32_t BAR_COMMON_IMAGE = -1;
BAR_PARTS BAR_CURSOR{0, 0, 0, -1, 0, 0, 0, 0, {}};

void BAR_PartsInit(BAR_PARTS* part) {
    part->x = part->y = 0;
    part->sprite = -1;
    part->left = part->top = part->right = part->bottom = 0;
    part->user[0] = part->user[1] = part->user[5] = part->user[6] = 0;
}

void BAR_PartsFree(BAR_PARTS* part) {
    if (part->sprite < 0) return;
    SP_Delete(part->sprite);
    BAR_PartsInit(part);
}

void BAR_PartsSetRect(BAR_PARTS* part, int32_t x, int32_t y, int32_t w, int32_t h) {
    part->left = x;
    part->top = y;
    part->right = x + w;
    part->bottom = y + h;
}

namespace {
// Creates the part's still object from the common picture at (x, y).
void CreatePart(BAR_PARTS& part, int priority, int32_t x, int32_t y) {
    part.sprite = SP_FindFree();
    const RECT src{part.left, part.top, part.right, part.bottom};
    if (part.sprite >= 0 && !SP_CreateStill(part.sprite, priority, x, y, BAR_COMMON_IMAGE, &src)) part.sprite = -1;
}
}  // namespace

void BAR_CommonInit() {
    BAR_COMMON_IMAGE = IMG_Load(FIL_MakePath("bmp\\quon\\common.bmp"), 0);
    BAR_CURSOR = BAR_PARTS{320, 240, 0, -1, 0, 0, 0, 0, {}};
    BAR_PartsSetRect(&BAR_CURSOR, 0, 112, 32, 26);
    CreatePart(BAR_CURSOR, -10, 640, 0);
    SP_SetVisible(BAR_CURSOR.sprite, 0);
    for (BAR_PARTS& p : MOUSE_PARTICLE) {
        p = BAR_PARTS{0, 480, 0, -1, 0, 0, 0, 0, {}};
        BAR_PartsSetRect(&p, 32, 170, 8, 8);
        CreatePart(p, -11, 0, 480);
    }
}

void BAR_CommonFree() {
    BAR_CURSOR.sprite = SP_Free(BAR_CURSOR.sprite);
    for (BAR_PARTS& p : MOUSE_PARTICLE) p.sprite = SP_Free(p.sprite);
    BAR_COMMON_IMAGE = IMG_Free(BAR_COMMON_IMAGE);
}
