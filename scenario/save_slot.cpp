// Save slot files: names, the record head the panels read, and the least writer of a slot.
#include "scenario/save_slot.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/bytes.h"
#include "platform/files.h"
#include "scenario/save_record.h"
#include "services/fil_util.h"
#include "shell/thumb_bmp.h"

namespace {
// Copies a zero-terminated name that may fill its whole field.
void CopyField(char* out, const uint8_t* field, size_t size) {
    size_t n = 0;
    while (n < size && field[n]) ++n;
    std::memcpy(out, field, n);
    out[n] = 0;
}

// Where a save keeps the slot's old thumbnail ("ovNN.old") while it replaces the record.
std::string AsideName(const std::string& thumb) { return thumb.substr(0, thumb.size() - 3) + "old"; }

// A thumbnail left aside by a save that did not finish goes back when the record's temporary file
// is still there: the mark that the record was never replaced, so the picture is its own. Without
// the mark the record was replaced, and the picture is another save's. A picture already in the
// slot's place came with a save written since: it is never replaced, and the one aside goes. While
// the mark cannot be told, nothing is guessed: the picture stays aside. False when it stays aside.
bool MendAside(const std::string& name, const std::string& thumb) {
    const std::string aside = AsideName(thumb);
    if (!plat::FileExists(aside.c_str())) return true;
    const plat::Leftover mark = plat::LeftByKilledWrite(FIL_MakePath("%s", name.c_str()));
    if (mark == plat::Leftover::Unknown) {
        SYS_DebugPrint("%s: whether the thumbnail set aside is the save's own cannot be told yet; it stays aside", aside.c_str());
        return false;
    }
    if (mark == plat::Leftover::There) {
        if (plat::MoveFileNoReplace(aside.c_str(), thumb.c_str())) return true;
        if (!plat::FileExists(thumb.c_str())) {
            SYS_DebugPrint("%s: the thumbnail a killed save set aside cannot be put back", thumb.c_str());
            return false;
        }
    }
    if (plat::DeleteFile(aside.c_str())) return true;
    SYS_DebugPrint("%s: another save's thumbnail set aside cannot be removed", aside.c_str());
    return false;
}
}  // namespace

int SAVE_ParseInfo(const uint8_t* data, size_t size, SAVE_INFO* out) {
    *out = SAVE_INFO{};
    if (!data || size < SAVE_RECORD_SIZE) return 0;
    CopyField(out->chapter, data + SAVE_CHAPTER_OFFSET, SAVE_CHAPTER_SIZE);
    CopyField(out->caption, data + SAVE_CAPTION_OFFSET, SAVE_CAPTION_SIZE);
    uint16_t* t = &out->time.year;
    for (int i = 0; i < 8; ++i) t[i] = plat::Get16(data + SAVE_TIME_OFFSET + 2 * i);
    return 1;
}

const char* SAVE_SlotFileName(int32_t slot) {
    static char name[32];
    if (slot >= 0 && slot < SAVE_AUTO_FIRST)
        std::snprintf(name, sizeof name, "save\\ov%02d.sav", int(slot));
    else if (slot >= SAVE_AUTO_FIRST && slot < SAVE_DISPLAY_SLOTS)
        std::snprintf(name, sizeof name, "save\\ova%02d.sav", int(slot - SAVE_AUTO_FIRST));
    else if (slot >= SAVE_STORAGE_AUTO && slot < SAVE_STORAGE_AUTO + 10)
        std::snprintf(name, sizeof name, "save\\ova%02d.sav", int(slot - SAVE_STORAGE_AUTO));
    else
        return nullptr;
    return name;
}

int SAVE_ReadInfo(int32_t slot, SAVE_INFO* out) {
    *out = SAVE_INFO{};
    const char* name = SAVE_SlotFileName(slot);
    if (!name) return 0;
    MendAside(name, THUMB_FileName(slot >= SAVE_STORAGE_AUTO ? slot : SAVE_StorageSlot(slot)));
    plat::File f;
    if (!f.Open(FIL_MakePath("%s", name), plat::File::Mode::Read)) return 0;
    // Only the head is read; whatever follows the record is not.
    std::vector<uint8_t> record(SAVE_RECORD_SIZE);
    const size_t n = f.Read(record.data(), record.size());
    if (n < record.size()) SYS_DebugPrint("%s: %d bytes, not a whole save record: an empty slot", name, int(n));
    return SAVE_ParseInfo(record.data(), n, out);
}

int SAVE_SlotExists(int32_t slot) {
    SAVE_INFO info;
    return slot >= 0 && slot < SAVE_DISPLAY_SLOTS && SAVE_ReadInfo(slot, &info);
}

int SAVE_WriteSlot(int32_t slot) {
    if (!((slot >= 0 && slot < SAVE_AUTO_FIRST) || (slot >= SAVE_STORAGE_AUTO && slot < SAVE_STORAGE_AUTO + 10))) {
        SYS_DebugPrint("save slot %d: no such slot to write", int(slot));
        return SAVE_WRITE_FAILED;
    }
    SAVE_MakeMemSave(0);
    const std::vector<uint8_t> record(SAVE_MEM[0], SAVE_MEM[0] + SAVE_RECORD_SIZE);
    plat::CreateDirectory(FIL_MakePath("save"));  // a missing save directory is made, not a lost save
    const std::string name = SAVE_SlotFileName(slot);
    const std::string thumb = THUMB_FileName(slot);
    const std::string aside = AsideName(thumb);
    // Until what lies aside has found its place, the next write would take its mark away.
    if (!MendAside(name, thumb)) {
        SYS_DebugPrint("%s: the save is not written; the slot keeps what it held", name.c_str());
        return SAVE_WRITE_FAILED;
    }
    // The new record goes to the disk first; only renames follow. "ovNN.dat" then waits as
    // "ovNN.old" until the record is in: a kill leaves the new record without a picture, never
    // beside the old one, and the old record with its temporary file, so its picture goes back.
    // A picture that cannot be set aside, or a record that cannot go in, leaves the slot as it was.
    plat::File record_file;
    if (!record_file.Open(FIL_MakePath("%s", name.c_str()), plat::File::Mode::CreateAlways)) {
        SYS_DebugPrint("%s: the save file cannot be made; the slot keeps what it held", name.c_str());
        return SAVE_WRITE_FAILED;
    }
    // A temporary file of an earlier write that stays would mark the picture this save sets aside
    // as the kept save's own after a kill, or after a removal that fails once the record is in.
    if (!record_file.SweptLeftovers()) {
        SYS_DebugPrint("%s: what an earlier save left cannot be removed; the save is not written", name.c_str());
        return SAVE_WRITE_FAILED;  // the new temporary file goes with the refusal
    }
    if (record_file.Write(record.data(), SAVE_RECORD_SIZE) != SAVE_RECORD_SIZE || !record_file.Flush()) {
        SYS_DebugPrint("%s: the save could not be written (is the disk full?); the slot keeps what it held", name.c_str());
        return SAVE_WRITE_FAILED;
    }
    const bool set_aside = plat::MoveFileNoReplace(thumb.c_str(), aside.c_str());
    if (!set_aside && plat::FileExists(thumb.c_str())) {
        SYS_DebugPrint("%s: the old thumbnail cannot be set aside; the save is not written", thumb.c_str());
        return SAVE_WRITE_FAILED;  // the unfinished record is removed with its file
    }
    if (!record_file.Commit()) {
        if (set_aside && !plat::MoveFile(aside.c_str(), thumb.c_str())) {
            // The record's temporary file stays, as a killed save leaves it: the next read or write
            // of the slot puts the picture back.
            record_file.Leave();
            SYS_DebugPrint("%s: the thumbnail set aside cannot be put back yet; the slot's next read puts it back",
                           thumb.c_str());
        }
        SYS_DebugPrint("%s: the save could not be written; the slot keeps what it held", name.c_str());
        return SAVE_WRITE_FAILED;  // a temporary file not left is removed with the record
    }
    plat::DeleteFile(aside.c_str());
    if (THUMB_HELD.empty()) return SAVE_WRITE_DONE;  // no capture yet: the slot shows the default picture
    if (!THUMB_Write(slot)) {
        SYS_DebugPrint("%s: the thumbnail could not be written; the slot shows the default picture", thumb.c_str());
        return SAVE_WRITE_NO_THUMB;
    }
    return SAVE_WRITE_DONE;
}
