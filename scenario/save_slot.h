// Save slot files: the record's head that the slot panels read, the slot names in display and
// storage numbering, and the slot writer (the record built in memory, and its thumbnail).
#pragma once
#include <cstddef>
#include <cstdint>

constexpr int SAVE_RECORD_SIZE = 9120;  // a slot file is one raw record
constexpr int SAVE_CHAPTER_OFFSET = 4;  // zero-terminated chapter name
constexpr int SAVE_CHAPTER_SIZE = 48;
constexpr int SAVE_CAPTION_OFFSET = 52;  // zero-terminated caption
constexpr int SAVE_CAPTION_SIZE = 26;
constexpr int SAVE_TIME_OFFSET = 78;     // time of saving, eight 16-bit values
constexpr int SAVE_VOICE_OFFSET = 94;    // voice number of the current message
constexpr int SAVE_DISPLAY_SLOTS = 108;  // 0..97 regular, 98..107 the automatic saves 0..9
constexpr int SAVE_AUTO_FIRST = 98;
constexpr int SAVE_STORAGE_AUTO = 110;   // the automatic saves are written as slots 110..119

// The time of saving as the record holds it.
struct SAVE_TIME {
    uint16_t year, month, day_of_week, day, hour, minute, second, milliseconds;
};

// What a slot's panel shows of its record.
struct SAVE_INFO {
    char chapter[SAVE_CHAPTER_SIZE + 1];  // always terminated
    char caption[SAVE_CAPTION_SIZE + 1];
    SAVE_TIME time;
};

// The record head of a slot file's bytes: 1, or 0 when the bytes are shorter than a record
// (such a file counts as an empty slot). The names stop at their field's end.
int SAVE_ParseInfo(const uint8_t* data, size_t size, SAVE_INFO* out);

// The storage slot of a display slot: the automatic saves 98..107 are kept as 110..119.
constexpr int32_t SAVE_StorageSlot(int32_t slot) {
    return slot >= SAVE_AUTO_FIRST ? slot + (SAVE_STORAGE_AUTO - SAVE_AUTO_FIRST) : slot;
}
// The slot file of a display slot (0..107) or a storage slot (110..119), or null.
const char* SAVE_SlotFileName(int32_t slot);
// The record head of a display or storage slot: 1, or 0 when it has no whole record. A thumbnail
// that a save killed before replacing the record left aside goes back first (while a failing call
// hides whether the record was replaced, it stays aside, and the slot shows the default picture).
int SAVE_ReadInfo(int32_t slot, SAVE_INFO* out);
// 1 when the display slot (0..97 regular, 98..107 automatic saves 0..9) holds a whole record.
int SAVE_SlotExists(int32_t slot);

// The chapter name and caption the next save records (cut to their fields).
void SAVE_SetInfo(const char* chapter, const char* caption);
// What SAVE_WriteSlot did. Callers treat any result but SAVE_WRITE_FAILED as a save made.
constexpr int SAVE_WRITE_FAILED = 0;    // nothing replaced: the slot keeps its save and picture (read)
constexpr int SAVE_WRITE_DONE = 1;      // the record, and the held thumbnail when there is one
constexpr int SAVE_WRITE_NO_THUMB = 2;  // the record, but its thumbnail could not be written
// Builds memory record 0 (SAVE_MakeMemSave) and writes it as display slot 0..97 or storage slot
// 110..119 atomically, then the thumbnail captured last. The record is on the disk before the
// slot's old thumbnail is set aside, and that before the record is replaced, so the slot never
// shows another save's picture: a kill leaves the old save with its own (put back when the slot is
// read) or the new one without one (the default picture), as does a failed thumbnail. A failed
// record gets the old picture back, or, when that move fails too, leaves it aside as a kill does,
// for the slot's next read to put back. An old thumbnail that cannot be set aside, one that a
// killed save left aside and that cannot be put back (or of which it cannot be told whether it is
// the kept save's), or a temporary file of an earlier write of the record that cannot be removed
// (it would mark a picture set aside later as the kept save's), writes nothing.
int SAVE_WriteSlot(int32_t slot);
