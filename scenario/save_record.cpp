// The save record: its layout, the builder of the records in memory and the loads of a slot file
// or a memory record.
#include "scenario/save_record.h"

#include <cstring>
#include <ctime>

#include "battle/bsc_snap.h"
#include "battle/btl_frame.h"
#include "battle/map_data.h"
#include "display/dd_display.h"
#include "platform/bytes.h"
#include "platform/files.h"
#include "services/fil_util.h"
#include "services/sound/snd_game.h"
#include "shell/qsave.h"
#include "shell/sys_bar.h"
#include "shell/sysdat.h"
#include "sprite/fnt_font.h"

uint8_t SAVE_MEM[SAVE_MEM_RECORDS][SAVE_RECORD_SIZE];

// Field after field, the snapshot ending the record.
static_assert(SAVE_VALID_OFFSET == 0 && SAVE_CHAPTER_OFFSET == 4);
static_assert(SAVE_CAPTION_OFFSET == SAVE_CHAPTER_OFFSET + SAVE_CHAPTER_SIZE && SAVE_CAPTION_OFFSET == 52);
static_assert(SAVE_TIME_OFFSET == SAVE_CAPTION_OFFSET + SAVE_CAPTION_SIZE && SAVE_TIME_OFFSET == 78);
static_assert(SAVE_VOICE_OFFSET == SAVE_TIME_OFFSET + int(sizeof(SAVE_TIME)) && SAVE_VOICE_OFFSET == 94);
static_assert(SAVE_ADV_OFFSET >= SAVE_VOICE_OFFSET + 4 && SAVE_ADV_OFFSET == 104);  // 6 bytes spare
static_assert(SAVE_SNAP_OFFSET == SAVE_ADV_OFFSET + SAVE_ADV_SIZE && SAVE_SNAP_OFFSET == 5376);
static_assert(SAVE_SNAP_OFFSET + SNAP_SIZE == SAVE_RECORD_SIZE && SAVE_RECORD_SIZE == 9120);

namespace {
char g_chapter[SAVE_CHAPTER_SIZE];
char g_caption[SAVE_CAPTION_SIZE];

void PutField(char* field, const char* text, size_t size) {
    size_t n = text ? std::strlen(text) : 0;
    if (n >= size) n = size - 1;  // the field keeps its terminator
    if (n) std::memcpy(field, text, n);
}

// Everything a load does, in its order; the record has been checked whole.
void Load(const uint8_t* record, bool slot_file) {
    VOICE_Stop();
    BAR_QuickClose();
    BAR_DATA.replay_voice = int32_t(plat::Get32(record + SAVE_VOICE_OFFSET));
    BAR_SetWasRead(1);
    if (slot_file) QSAVE_DATA.skip_block = 0;
    BGM_Suspend(SYS_DATA.bgm_suspended);
    SE_SetMute(SYS_DATA.se_muted);
    BGM_SetVolume(SYS_DATA.vol_music);
    SE_SetVolume(SYS_DATA.vol_se);
    VOICE_SetVolume(SYS_DATA.vol_voice);
    SE_SetSysVolume(SYS_DATA.vol_system);
    FNT_Reset();  // the script font of slot 4 goes too
    FNT_LoadFamily(SYS_DATA.font_family);
    SYS_DATA.window_mode = DD_DISPLAY.full_screen ? 0 : 1;
    // The battle the record holds replaces whatever runs: nothing of the old one stays behind,
    // neither its objects and map nor what it keeps outside the snapshot (the end counter, the
    // quake, the destroyed flags, the CPU work, the script's queues, camera links to its
    // characters...). What the caller set stays, as the record holds none of it: the battle kind
    // and state, the script-mode flag, the CPU and debug switches, the survival test condition and
    // the camera, which only a record with a map replaces. The snapshot then sets what it holds.
    BTL_Cleanup();
    MAP_Release();
    BTL_ResetLeftovers();
    std::memcpy(BATTLE_SNAP_DATA, record + SAVE_SNAP_OFFSET, SNAP_SIZE);
    mBSC_LoadSnap();
}
}  // namespace

void SAVE_SetInfo(const char* chapter, const char* caption) {
    std::memset(g_chapter, 0, sizeof g_chapter);
    std::memset(g_caption, 0, sizeof g_caption);
    PutField(g_chapter, chapter, sizeof g_chapter);
    PutField(g_caption, caption, sizeof g_caption);
}

void SAVE_MakeMemSave(int n) {
    if (n < 0 || n >= SAVE_MEM_RECORDS) return;
    uint8_t* r = SAVE_MEM[n];
    std::memset(r, 0, SAVE_RECORD_SIZE);
    plat::Set32(r + SAVE_VALID_OFFSET, 1);
    std::memcpy(r + SAVE_CHAPTER_OFFSET, g_chapter, sizeof g_chapter);
    std::memcpy(r + SAVE_CAPTION_OFFSET, g_caption, sizeof g_caption);
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    const uint16_t t[8] = {uint16_t(tm.tm_year + 1900), uint16_t(tm.tm_mon + 1), uint16_t(tm.tm_wday), uint16_t(tm.tm_mday),
                           uint16_t(tm.tm_hour),        uint16_t(tm.tm_min),     uint16_t(tm.tm_sec),  0};
    for (int i = 0; i < 8; ++i) plat::Set16(r + SAVE_TIME_OFFSET + 2 * i, t[i]);
    plat::Set32(r + SAVE_VOICE_OFFSET, uint32_t(BAR_DATA.replay_voice));
    mBSC_SaveSnap();
    std::memcpy(r + SAVE_SNAP_OFFSET, BATTLE_SNAP_DATA, SNAP_SIZE);
}

int SAVE_ReadSlot(int32_t slot) {
    const char* name = SAVE_SlotFileName(slot);
    plat::File f;
    if (!name || !f.Open(FIL_MakePath("%s", name), plat::File::Mode::Read)) {
        SYS_DebugPrint("load of slot %d: no save there; nothing changes", int(slot));
        return 0;
    }
    // Whatever follows the record is not read; the record is used as read, any bytes at all.
    uint8_t record[SAVE_RECORD_SIZE];
    const size_t got = f.Read(record, sizeof record);
    if (got < sizeof record) {
        SYS_DebugPrint("%s: %d bytes, not a whole save record; nothing changes", name, int(got));
        return 0;
    }
    if (plat::Get32(record + SAVE_VALID_OFFSET) == 0) {
        SYS_DebugPrint("%s: the record is marked as holding no save; nothing changes", name);
        return 0;
    }
    std::memcpy(SAVE_MEM[0], record, SAVE_RECORD_SIZE);
    Load(SAVE_MEM[0], true);
    return 1;
}

int SAVE_RestoreMemSave(int n) {
    if (n < 0 || n >= SAVE_MEM_RECORDS || plat::Get32(SAVE_MEM[n] + SAVE_VALID_OFFSET) == 0) {
        SYS_DebugPrint("load of memory record %d: it holds no save; nothing changes", n);
        return 0;
    }
    Load(SAVE_MEM[n], false);
    return 1;
}
