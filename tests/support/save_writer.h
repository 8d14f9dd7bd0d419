// Save slot files for tests: a record with its chapter name, caption, time of saving, replay
// voice id and battle snapshot.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "scenario/save_slot.h"

namespace support {

// A whole record (9,120 bytes) with these fields; names are cut to their fields. The voice id
// goes at byte 94 and a snapshot (up to 3,744 bytes) at byte 5,376; the rest stays zero.
std::vector<uint8_t> SaveRecord(const std::string& chapter, const std::string& caption, const SAVE_TIME& time,
                                int32_t voice = 0, const std::vector<uint8_t>& snap = {});
SAVE_TIME SaveTime(int year, int month, int day, int hour = 12, int minute = 0, int second = 0);
// Writes the record as "<root>/save/ov%02d.sav" (display slot 0..97) or "ova%02d.sav" (98..107).
bool WriteSaveSlot(const std::string& root, int slot, const std::string& chapter, const std::string& caption,
                   const SAVE_TIME& time);
}  // namespace support
