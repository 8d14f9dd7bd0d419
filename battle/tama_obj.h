// Bullet objects: pool nodes of kind 2 moving through the phases of their bullet record.
#pragma once
#include <cstdint>

#include "battle/tama_data.h"

struct LIST_NODE;

// The fields hit resolution and the effects use; the bullet module completes the record.
struct TAMA_OBJ {
    int16_t waza;             // technique number of the fire order
    uint8_t hit_kind;         // not 0: hits scale with the shooter's beam stat
    uint16_t hits1, hits2;    // hits still allowed on characters and on bullets
    uint8_t hit_frame;        // hit by a bullet this frame
    uint16_t hits_made;
    int8_t hit_countdown;
    uint8_t phase;            // 0..3
    int32_t reduction;        // the bullet's own running reduction
    uint8_t repeats;
    const uint8_t* record;    // its bullet record (raw bytes)
};

// The current phase of the bullet's record, or null without one.
inline const uint8_t* TAMA_PhaseBytes(const TAMA_OBJ* b) {
    return b && b->record ? b->record + TAMA_PHASE_OFFSET + (b->phase % TAMA_PHASES) * TAMA_PHASE_SIZE : nullptr;
}

int TAMA_Update();
int32_t TAMA_Delete(LIST_NODE* node);
