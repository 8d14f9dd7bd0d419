// Whole-file reads and writes, the base directory and path join, debug output, rectangles.
#include "services/fil_util.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "platform/clock.h"
#include "platform/debug.h"
#include "platform/format.h"
#include "platform/memory.h"

char FIL_BaseDir[FIL_PATH_MAX];

namespace {
char g_name_buf[FIL_PATH_MAX];
char g_path_buf[FIL_PATH_MAX];
constexpr int64_t kMaxFileBlock = int64_t(1) << 30;  // a reader refuses files over 1 GiB

uint32_t g_fps_start = 0;
uint32_t g_fps_count = 0;
int32_t g_fps_rate = 0;

void* ReadStretch(const char* name, bool whole, uint32_t offset, uint32_t count) {
    plat::File f;
    if (!name || !f.Open(name, plat::File::Mode::Read)) return nullptr;
    if (whole) {
        int64_t size = f.Size();
        if (size < 0 || size > kMaxFileBlock) return nullptr;
        count = static_cast<uint32_t>(size);
    } else if (!f.Seek(offset)) {
        return nullptr;
    }
    // One spare zero byte, so an empty file still gives a block and text stays terminated.
    void* block = plat::AllocZero(size_t(count) + 1);
    if (!block) return nullptr;
    f.Read(block, count);  // a short read leaves the rest zero
    return block;
}
}  // namespace

int FIL_GetExt(const char* name, char** out) {
    if (!name || !out) return 0;
    size_t len = std::strlen(name);
    for (size_t i = len; i-- > 1;) {
        if (name[i] != '.') continue;
        size_t ext = len - i - 1;
        if (ext == 0) return 0;
        char* block = static_cast<char*>(plat::AllocZero(ext + 1));
        if (!block) return 0;
        std::memcpy(block, name + i + 1, ext);
        *out = block;
        return static_cast<int>(ext);
    }
    return 0;
}

int32_t FIL_GetSize(const char* name) {
    int64_t s = name ? plat::FileSize(name) : -1;
    return s < 0 ? -1 : static_cast<int32_t>(static_cast<uint32_t>(s));
}

void* FIL_LoadFile(const char* name) { return ReadStretch(name, true, 0, 0); }

void* FIL_ReadPart(const char* name, uint32_t offset, uint32_t count) {
    if (count > kMaxFileBlock) return nullptr;
    return ReadStretch(name, false, offset, count);
}

void FIL_FreeBlock(void* block) { plat::Free(block); }

// Both writers replace the file atomically: a failed write leaves the old file whole.
int FIL_SaveFile(const char* name, const void* data, uint32_t count) {
    if (!name || (count && !data)) return 0;
    return plat::WriteFileAtomic(name, data, count) ? 1 : 0;
}

int FIL_WriteFile(const char* name, const void* data, uint32_t count) {
    if (count == 0) return 0;
    return FIL_SaveFile(name, data, count);
}

void FIL_DeleteFile(const char* name) {
    if (name) plat::DeleteFile(name);
}

FIL_HANDLE FIL_CreateWrite(const char* name) {
    auto* f = new plat::File;
    if (!name || !f->Open(name, plat::File::Mode::CreateAlways)) {
        delete f;
        return nullptr;
    }
    return f;
}

int FIL_Write(FIL_HANDLE handle, const void* data, uint32_t count, uint32_t* written) {
    if (written) *written = 0;
    if (!handle || (count && !data)) return 0;
    uint32_t n = static_cast<uint32_t>(handle->Write(data, count));
    if (written) *written = n;
    return n == count ? 1 : 0;
}

int FIL_Close(FIL_HANDLE handle) {
    if (!handle) return 0;
    bool ok = handle->Close();
    delete handle;
    return ok ? 1 : 0;
}

int FIL_InitBaseDir() {
    std::string cwd = plat::GetCurrentDirectory();
    if (cwd.empty() || cwd.back() != '/') cwd += '/';
    if (cwd.size() >= FIL_PATH_MAX) {
        // Too long for the name buffers: relative names then resolve against the current
        // directory itself, which is the same place.
        SYS_DebugPrint("FIL_InitBaseDir: base directory too long (%u bytes)", static_cast<unsigned>(cwd.size()));
        FIL_BaseDir[0] = 0;
        return 1;
    }
    std::memcpy(FIL_BaseDir, cwd.c_str(), cwd.size() + 1);
    // The player's folder is used as it is: only the names joined to it are the game's.
    plat::SetGameFolder(FIL_BaseDir);
    return 1;
}

const char* FIL_MakePath(const char* format, ...) {
    // Formatted apart first: an argument may be this function's own earlier result.
    char name[FIL_PATH_MAX];
    va_list ap;
    va_start(ap, format);
    bool cut = true;
    if (format) plat::FormatV(name, sizeof name, format, ap, &cut);
    va_end(ap);
    if (cut) {
        SYS_DebugPrint("FIL_MakePath: name too long");
        g_name_buf[0] = 0;
        return g_name_buf;  // an empty name opens nothing
    }
    std::memcpy(g_name_buf, name, sizeof name);
    // A name that is already whole (a drive letter, or a path from the root) is not joined again.
    if (g_name_buf[0] == '/' || (g_name_buf[0] && g_name_buf[1] == ':')) return g_name_buf;
    if (std::strlen(FIL_BaseDir) + std::strlen(g_name_buf) < FIL_PATH_MAX) {
        plat::Format(g_path_buf, sizeof g_path_buf, "%s%s", FIL_BaseDir, g_name_buf);
    } else {
        SYS_DebugPrint("FIL_MakePath: path too long");
        g_path_buf[0] = 0;
    }
    return g_path_buf;
}

namespace {
void DebugPrintV(const char* format, va_list ap, bool crlf) {
    char buf[1024];
    plat::FormatV(buf, sizeof buf, format, ap);
    plat::OutputDebugString(buf);
    if (crlf) plat::OutputDebugString("\r\n");
}
}  // namespace

void SYS_DebugPrint(const char* format, ...) {
    va_list ap;
    va_start(ap, format);
    DebugPrintV(format, ap, true);
    va_end(ap);
}

void SYS_DebugPrintNoCrlf(const char* format, ...) {
    va_list ap;
    va_start(ap, format);
    DebugPrintV(format, ap, false);
    va_end(ap);
}

int SYS_DebugLog(const char*, ...) { return 0; }
void SYS_DebugStartHook() {}
void SYS_DebugFrameHook() {}

int32_t SYS_GetFps() {
    uint32_t now = plat::TimeMs();
    if (g_fps_start == 0) g_fps_start = now;
    ++g_fps_count;
    int32_t elapsed = static_cast<int32_t>(now - g_fps_start);
    if (elapsed > 1000) {
        g_fps_rate = static_cast<int32_t>(int64_t(g_fps_count) * 1000 / elapsed);
        g_fps_start = now;
        g_fps_count = 0;
    }
    return g_fps_rate;
}

void SYS_ResetFps() {
    g_fps_start = 0;
    g_fps_count = 0;
    g_fps_rate = 0;
}

int SYS_SetRect(RECT* rect, int32_t left, int32_t top, int32_t right, int32_t bottom) {
    *rect = RECT{left, top, right, bottom};
    return 1;
}

namespace {
// Edge arithmetic wraps as the 32-bit machine's does instead of overflowing.
int32_t Add32(int32_t a, int32_t b) { return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b)); }
}  // namespace

int SYS_SetRectWH(RECT* rect, int32_t x, int32_t y, int32_t width, int32_t height) {
    *rect = RECT{x, y, Add32(x, width), Add32(y, height)};
    return 1;
}

int SYS_CopyRect(RECT* dest, const RECT* src) {
    *dest = *src;
    return 1;
}

int SYS_OffsetRect(RECT* rect, int32_t dx, int32_t dy) {
    rect->left = Add32(rect->left, dx);
    rect->right = Add32(rect->right, dx);
    rect->top = Add32(rect->top, dy);
    rect->bottom = Add32(rect->bottom, dy);
    return 1;
}

void SYS_SetPoint(SYS_SIZE* pair, int32_t a, int32_t b) {
    pair->a = a;
    pair->b = b;
}

int SYS_IntersectRect(RECT* out, const RECT* a, const RECT* b) {
    RECT r{a->left > b->left ? a->left : b->left, a->top > b->top ? a->top : b->top,
           a->right < b->right ? a->right : b->right, a->bottom < b->bottom ? a->bottom : b->bottom};
    if (int64_t(r.right) - r.left < 1 || int64_t(r.bottom) - r.top < 1) return 0;
    *out = r;
    return 1;
}

int SYS_PtInRect(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t x, int32_t y) {
    return (left <= x && x <= right && top <= y && y <= bottom) ? 1 : 0;
}

int SYS_RectOverlap(int32_t l1, int32_t t1, int32_t r1, int32_t b1, int32_t l2, int32_t t2, int32_t r2, int32_t b2) {
    return (l1 <= r2 && r1 >= l2 && t1 <= b2 && b1 >= t2) ? 1 : 0;
}

int SYS_ClientRectToScreen(plat::Window* window, RECT* rect) {
    if (!plat::GetClientRect(window, rect)) return 0;
    SYS_ClientToScreenRect(window, rect);
    return 1;
}

void SYS_ClientToScreenRect(plat::Window* window, RECT* rect) {
    POINT p{0, 0};
    plat::ClientToScreen(window, &p);
    SYS_OffsetRect(rect, p.x, p.y);
}

uint32_t* SYS_SetRGBA(uint32_t* out, uint8_t c0, uint8_t c1, uint8_t c2, uint8_t c3) {
    *out = uint32_t(c0) | (uint32_t(c1) << 8) | (uint32_t(c2) << 16) | (uint32_t(c3) << 24);
    return out;
}

uint32_t SYS_MakeLong(uint32_t* out, uint16_t low, uint16_t high) {
    *out = uint32_t(low) | (uint32_t(high) << 16);
    return *out;
}

int SYS_GetDigits(int32_t value) {
    char buf[16];
    return std::snprintf(buf, sizeof buf, "%d", value);
}
