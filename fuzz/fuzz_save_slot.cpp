// Fuzzes the save slot reader and the slot panel that shows it: any bytes as a slot file read as
// a record head or an empty slot, and the panel draws whatever names and time they hold.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "fuzz/fuzz_files.h"
#include "scenario/save_slot.h"
#include "services/fil_util.h"
#include "shell/thumb_info.h"
#include "sprite/fnt_font.h"
#include "sprite/sp_object.h"
#include "tests/support/fixture.h"
#include "tests/support/fnt_writer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static support::HeadlessDisplay* display = [] {
        auto* d = new support::HeadlessDisplay({16, true});
        // Slot files live on the memory file system: the base directory points there.
        std::filesystem::create_directories(fuzz::MemoryDir() + "/save");
        std::snprintf(FIL_BaseDir, sizeof FIL_BaseDir, "%s/", fuzz::MemoryDir().c_str());
        SP_Init();
        FNT_Init();
        static const std::vector<uint8_t> font = support::FntBytes(support::PatternFont(14, 14));
        FNT_LoadBytes(1, font.data(), font.size());
        THUMB_InfoInit();
        return d;
    }();
    if (!display->ok) return 0;
    fuzz::ResetLogs();
    const std::vector<uint8_t> bytes(data, data + size);  // exact size, so reads past it are caught
    SAVE_INFO info;
    if (SAVE_ParseInfo(bytes.data(), bytes.size(), &info)) {
        char line[18];
        int32_t pos = 0;
        THUMB_CaptionLine(info.caption, &pos, line);
        THUMB_CaptionLine(info.caption, &pos, line);
    }
    if (fuzz::MemoryFile("save/ov05.sav", data, size).empty()) return 0;
    THUMB_InfoShow(5, 352, 20);
    THUMB_InfoHide();
    return 0;
}
