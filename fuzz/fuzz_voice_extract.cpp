// Fuzzes taking a clip out of the voice archive: any start and count on an archive of any length
// give the archive's bytes from the start, zeros past its end, in a voice file of exactly the
// count, or 0 when the start lies past the end (or the count is 0) and no file.
//
// Input: 4 bytes start, 3 bytes count (up to 16 MiB, bounded here to 256 KiB), then the archive.
#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz/fuzz_files.h"
#include "services/fil_util.h"
#include "services/sound/voice_db.h"
#include "tests/support/fixture.h"

namespace {
// The memory directory is the base directory, with the archive's and the voice file's folders.
const std::string& Base() {
    static const std::string base = [] {
        const std::string b = fuzz::MemoryDir() + "/";
        std::snprintf(FIL_BaseDir, sizeof FIL_BaseDir, "%s", b.c_str());
        ::mkdir((b + "wav").c_str(), 0700);
        ::mkdir((b + "wav/Voice").c_str(), 0700);
        return b;
    }();
    return base;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 7) return 0;
    fuzz::ResetLogs();
    const std::string& base = Base();
    uint32_t start;
    std::memcpy(&start, data, 4);
    const uint32_t count = uint32_t(data[4] | data[5] << 8 | (data[6] & 3) << 16);
    if (start & 0x80000000u) start &= 0xFFFF;  // half the inputs start inside small archives
    const uint8_t* archive = data + 7;
    const size_t length = size - 7;
    const std::string out = base + "wav/Voice/voice.wav";
    std::remove(out.c_str());
    if (fuzz::MemoryFile("wav/ovwav.dat", archive, length).empty()) return 0;

    const int ok = VOICE_Extract(start, count);
    const bool expected = start < length && count > 0;
    if (ok != int(expected)) __builtin_trap();
    const std::vector<uint8_t> clip = support::ReadBytes(out);
    if (!ok) {
        struct stat st;
        if (::stat(out.c_str(), &st) == 0) __builtin_trap();
        return 0;
    }
    if (clip.size() != count) __builtin_trap();
    for (uint32_t i = 0; i < count; ++i) {
        const uint64_t at = uint64_t(start) + i;
        if (clip[i] != (at < length ? archive[at] : 0)) __builtin_trap();
    }
    return 0;
}
