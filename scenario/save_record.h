// The save record whole: its layout after the head, the two records kept in memory, the builder
// that fills one from the running game and the loads that put a record back.
#pragma once
#include <cstdint>

#include "scenario/save_slot.h"

constexpr int SAVE_VALID_OFFSET = 0;     // u32; 0 marks a record that holds no save
constexpr int SAVE_ADV_OFFSET = 104;     // the adventure state block
constexpr int SAVE_ADV_SIZE = 5272;
constexpr int SAVE_SNAP_OFFSET = 5376;   // the battle snapshot, the campaign block first
constexpr int SAVE_MEM_RECORDS = 2;      // 0: built by every save and filled by every slot load

extern uint8_t SAVE_MEM[SAVE_MEM_RECORDS][SAVE_RECORD_SIZE];

// Fills memory record n (0 or 1) from the game as it runs: valid word 1, the chapter name and
// caption of SAVE_SetInfo, the time now, the replay voice id, the adventure block (zero until the
// script interpreter fills it) and the battle snapshot (mBSC_SaveSnap).
void SAVE_MakeMemSave(int n);

// Load a save: the slot file (display or storage numbering) into memory record 0, or memory
// record n, then the voice stops, the quick panel closes, the replay voice id comes from the
// record, the was-read flag becomes 1, the skip block is cleared (slot files only), the sound and
// font settings are applied again, window_mode follows the display, and the battle running is
// replaced by the record's snapshot: the old battle's objects and map go, and what it kept outside
// the snapshot goes back to its start (BTL_ResetLeftovers: the end counter, the quake, the
// destroyed flags, the script's queues...). What the caller set stays (the battle kind and state,
// the script-mode flag, the CPU and debug switches, the survival test condition; the camera unless
// the record holds a map), so a load leaves what the same load leaves in a process that never ran
// a battle and made the same calls first (mBSC_Start, the same switches).
// 1 when loaded; 0 for a missing slot, a file shorter than a record or a valid word of 0, with a
// debug line and nothing changed.
int SAVE_ReadSlot(int32_t slot);
int SAVE_RestoreMemSave(int n);
