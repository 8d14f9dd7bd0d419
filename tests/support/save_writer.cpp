// Writer of save slot files for tests.
#include "tests/support/save_writer.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "tests/support/fixture.h"

namespace support {

std::vector<uint8_t> SaveRecord(const std::string& chapter, const std::string& caption, const SAVE_TIME& time,
                                int32_t voice, const std::vector<uint8_t>& snap) {
    std::vector<uint8_t> r(SAVE_RECORD_SIZE, 0);
    r[0] = 1;
    std::memcpy(&r[SAVE_CHAPTER_OFFSET], chapter.data(), std::min<size_t>(chapter.size(), SAVE_CHAPTER_SIZE));
    std::memcpy(&r[SAVE_CAPTION_OFFSET], caption.data(), std::min<size_t>(caption.size(), SAVE_CAPTION_SIZE));
    const uint16_t* t = &time.year;
    for (int i = 0; i < 8; ++i) {
        r[SAVE_TIME_OFFSET + 2 * i] = uint8_t(t[i]);
        r[SAVE_TIME_OFFSET + 2 * i + 1] = uint8_t(t[i] >> 8);
    }
    for (int i = 0; i < 4; ++i) r[size_t(94 + i)] = uint8_t(uint32_t(voice) >> (8 * i));
    std::copy(snap.begin(), snap.begin() + std::ptrdiff_t(std::min<size_t>(snap.size(), 3744)), r.begin() + 5376);
    return r;
}

SAVE_TIME SaveTime(int year, int month, int day, int hour, int minute, int second) {
    return SAVE_TIME{uint16_t(year), uint16_t(month), 0, uint16_t(day), uint16_t(hour), uint16_t(minute), uint16_t(second), 0};
}

bool WriteSaveSlot(const std::string& root, int slot, const std::string& chapter, const std::string& caption,
                   const SAVE_TIME& time) {
    char name[32];
    if (slot < 98)
        std::snprintf(name, sizeof name, "ov%02d.sav", slot);
    else
        std::snprintf(name, sizeof name, "ova%02d.sav", slot - 98);
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(root) / "save", ec);
    return WriteBytes((std::filesystem::path(root) / "save" / name).string(), SaveRecord(chapter, caption, time));
}
}  // namespace support
