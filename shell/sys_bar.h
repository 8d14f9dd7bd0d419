// The system bar's screen-part record, used by every screen that cuts parts from a parts picture,
// and the bar's common picture with the software cursor's objects.
#pragma once
#include <cstdint>

// One part cut from a parts picture and shown by a display object.
struct BAR_PARTS {
    int32_t x, y;        // screen position
    int32_t spare;       // never touched by the helpers
    int32_t sprite;      // display object, -1 none
    int32_t left, top, right, bottom;  // source rectangle; right and bottom exclusive
    int32_t user[7];     // for the owner
};
static_assert(sizeof(BAR_PARTS) == 60);

// Position, rectangle and the owner's first two and last two fields cleared, no object; creates nothing.
void BAR_PartsInit(BAR_PARTS* part);
// Only for a part with an object: deletes it and clears what BAR_PartsInit clears.
void BAR_PartsFree(BAR_PARTS* part);
// Source rectangle := (x, y, x + w, y + h).
void BAR_PartsSetRect(BAR_PARTS* part, int32_t x, int32_t y, int32_t w, int32_t h);

extern int32_t BAR_COMMON_IMAGE;  // "bmp\quon\common.bmp" (cursor frames, particles), -1 while not loaded
extern BAR_PARTS BAR_CURSOR;      // the software cursor's part and display object

// Loads the common picture and creates the cursor's object (hidden) and its 16 particles.
// Stand-in until the system bar's start-up, which does this and builds the information panel.
void BAR_CommonInit();
void BAR_CommonFree();
