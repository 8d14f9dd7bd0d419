// Fuzzes the bullet table: any "Dat\Tama.dat" loads whole records only or leaves an empty table, and
// what loaded saves back into the same bytes.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "battle/tama_data.h"
#include "fuzz/fuzz_files.h"
#include "platform/backend.h"
#include "platform/files.h"
#include "services/fil_util.h"
#include "tests/support/fixture.h"

namespace {
// The data directory on the memory file system, the current directory from the first input on.
bool DataDir() {
    static const bool ok = [] {
        static support::HeadlessDisplay* display = new support::HeadlessDisplay({16, true}, 640, 480);
        if (!display->ok || ::chdir(fuzz::MemoryDir().c_str()) != 0) return false;
        plat::detail::SetLogging(false);
        FIL_InitBaseDir();
        plat::CreateDirectory("Dat");
        return true;
    }();
    return ok;
}

std::vector<uint8_t> ReadAll(const char* name) {
    std::vector<uint8_t> out;
    plat::File f;
    if (!f.Open(name, plat::File::Mode::Read)) return out;
    out.resize(size_t(f.Size()));
    out.resize(out.empty() ? 0 : f.Read(out.data(), out.size()));
    return out;
}

void LoadAndSave(const uint8_t* data, size_t size) {
    plat::File f;
    if (!f.Open("Dat/Tama.dat", plat::File::Mode::CreateScratch) || f.Write(data, size) != size || !f.Close()) std::abort();
    const int loaded = TAMA_Load();
    const int stored = size >= 2 ? int16_t(data[0] | data[1] << 8) : -1;
    const int whole = size >= 2 ? int((size - 2) / TAMA_RECORD_SIZE) : 0;
    const TAMA_TABLE& t = TAMA_DATA;
    if (loaded) {
        if (stored < 0 || stored > TAMA_MAX || t.count != std::min(stored, whole) || t.used != t.count) std::abort();
    } else if (t.count != 0 || t.used != 0 || t.head != -1) {
        std::abort();
    }
    if (!loaded) return;
    if (TAMA_Save() != 1) std::abort();
    const std::vector<uint8_t> saved = ReadAll("Dat/Tama.dat");
    if (saved.size() != 2 + size_t(t.count) * TAMA_RECORD_SIZE || TAMA_I16(saved.data(), 0) != t.count) std::abort();
    if (t.count && std::memcmp(saved.data() + 2, data + 2, saved.size() - 2) != 0) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 2 + size_t(TAMA_MAX + 1) * TAMA_RECORD_SIZE || !DataDir()) return 0;
    LoadAndSave(data, size);
    TAMA_ClearList();
    fuzz::ResetLogs();
    return 0;
}
