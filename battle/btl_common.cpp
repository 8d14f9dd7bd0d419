// Shared battle helpers: the random draw, bounded file reads and the call record.
#include "battle/btl_common.h"

#include <cstdarg>
#include <cstdio>

#include "platform/files.h"
#include "platform/random.h"
#include "services/fil_util.h"

namespace {
bool g_recording = false;
std::vector<std::string> g_recorded;
}  // namespace

int32_t BTL_RandMod(int32_t n) {
    const int32_t r = plat::Rand();
    return n == 0 ? 0 : r % n;
}

int32_t BTL_RandModPositive(int32_t n) {
    const int32_t r = BTL_RandMod(n);
    return n < 1 ? 0 : r;
}

bool BTL_ReadFile(const char* path, std::vector<uint8_t>& out, size_t max_bytes) {
    out.clear();
    plat::File f;
    if (!path || !f.Open(path, plat::File::Mode::Read)) return false;
    const int64_t size = f.Size();
    if (size < 0 || uint64_t(size) > max_bytes) return false;
    out.resize(size_t(size));
    out.resize(size ? f.Read(out.data(), out.size()) : 0);
    return true;
}

void BTL_DropNote::Add(const char* format, ...) {
    char note[256];
    va_list ap;
    va_start(ap, format);
    std::vsnprintf(note, sizeof note, format, ap);
    va_end(ap);
    if (!text_.empty()) text_ += "; ";
    text_ += note;
}

void BTL_DropNote::Print(const char* file) const {
    if (!text_.empty()) SYS_DebugPrint("%s: %s", file ? file : "?", text_.c_str());
}

void BTL_RecordOn(bool on) { g_recording = on; }
bool BTL_IsRecording() { return g_recording; }

void BTL_Record(const char* format, ...) {
    if (!g_recording) return;
    char line[256];
    va_list ap;
    va_start(ap, format);
    std::vsnprintf(line, sizeof line, format, ap);
    va_end(ap);
    g_recorded.emplace_back(line);
}

std::vector<std::string>& BTL_Recorded() { return g_recorded; }
