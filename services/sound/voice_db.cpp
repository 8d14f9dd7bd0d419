// Numbered voice lines through the voice database and the voice archive.
#include "services/sound/voice_db.h"

#include "platform/memory.h"
#include "services/fil_util.h"
#include "services/sound/snd_game.h"
#include "services/sound/snd_table.h"
#include "shell/sysdat.h"

std::vector<VOICE_ENTRY> VOICE_DB;
const int8_t VOICE_SWITCH_MAP[18] = {0, 1, 2, -1, 4, 5, -1, -1, 8, 9, 10, 11, 12, 13, 14, 6, 3, 7};

namespace {
bool g_db_loaded = false;
constexpr uint32_t kUnit = 1024;
constexpr uint32_t kTail = 204800;  // every clip is taken with 200 KB more than its length
}  // namespace

void VOICE_ParseDb(std::string_view text) {
    VOICE_DB.clear();
    g_db_loaded = true;
    SND_ForEachLine(text, [](int number, std::string_view line) {
        std::string_view f[3];
        int64_t n, start, length;
        if (VOICE_DB.size() >= VOICE_DB_MAX || !SND_SplitLine(line, 3, f, nullptr) ||
            !SND_ParseInt(f[0], 0, INT32_MAX, &n) || !SND_ParseInt(f[1], 0, INT32_MAX / kUnit, &start) ||
            !SND_ParseInt(f[2], 1, UINT16_MAX, &length))
            return SND_TableSkip("wav\\ovwav.txt", number);
        VOICE_DB.push_back(
            VOICE_ENTRY{static_cast<uint32_t>(n), static_cast<uint32_t>(start), static_cast<uint16_t>(length)});
    });
}

void VOICE_LoadDb() {
    std::vector<char> text = SND_ReadTable("wav\\ovwav.txt");
    VOICE_ParseDb(std::string_view(text.data(), text.size()));
}

int VOICE_Extract(uint32_t start, uint32_t count) {
    plat::File f;
    if (!f.Open(FIL_MakePath("wav\\ovwav.dat"), plat::File::Mode::Read) || start >= uint64_t(f.Size())) return 0;
    void* block = plat::AllocZero(count);
    if (!block) return 0;
    if (f.Seek(start)) f.Read(block, count);  // the archive's last clips end early: zeros follow
    f.Close();
    // Written and read back through the one name the play step resolves. No player keeps this
    // file: it is replaced whole, without waiting for the disk.
    int ok = count && plat::WriteFileScratch(FIL_MakePath("WAV\\Voice\\voice.wav"), block, count) ? 1 : 0;
    plat::Free(block);
    return ok;
}

int32_t VOICE_PlayId(int32_t n) {
    if (n < 0) return 0;
    int32_t speaker = (n / 10000) % 100;
    int32_t sw = speaker <= 17 ? VOICE_SWITCH_MAP[speaker] : 15;
    if (sw < 0) return 0;
    if (SYS_DATA.voice_on[sw] == 0) return 1;
    if (!g_db_loaded) VOICE_LoadDb();
    for (const VOICE_ENTRY& e : VOICE_DB) {
        if (e.number != static_cast<uint32_t>(n)) continue;
        if (!VOICE_Extract(e.start * kUnit, e.length * kUnit + kTail)) return 0;
        return VOICE_PlayName("voice");
    }
    SYS_DebugLog("no voice %d   in database", n);
    return 0;
}
