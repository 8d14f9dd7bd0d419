// The file expander: plain files are read as they are, "SZDD" files are expanded at open.
#include "platform/lz32.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <vector>

#include "platform/bytes.h"
#include "platform/debug.h"
#include "platform/files.h"

namespace {
constexpr uint8_t kMagic[8] = {'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x33};
constexpr size_t kHeader = 14;
constexpr int64_t kMaxPacked = int64_t(256) << 20;  // packed files above this are refused
constexpr int kWindow = 4096;
constexpr int kWindowStart = kWindow - 16;  // where the expander starts writing its window

struct LzFile {
    bool packed = false;
    plat::File plain;
    std::vector<uint8_t> bytes;  // expanded contents of a packed file
    size_t pos = 0;
};

std::mutex g_lock;
std::map<int32_t, std::unique_ptr<LzFile>> g_files;
int32_t g_next = 1;

using plat::Get32;

void Debug(const char* what, const char* name) {
    char line[400];
    std::snprintf(line, sizeof line, "LZ32: %s: %s\n", name ? name : "(null)", what);
    plat::OutputDebugString(line);
}

// Expands the packed stream into out until `want` bytes exist. False when the stream ends first.
// The window starts filled with spaces; a flag bit set is a literal, clear a 12-bit window
// offset with a length of 3..18.
bool Expand(const uint8_t* in, size_t n, uint32_t want, std::vector<uint8_t>& out) {
    uint8_t window[kWindow];
    std::memset(window, ' ', sizeof window);
    int w = kWindowStart;
    size_t i = 0;
    auto put = [&](uint8_t c) {
        out.push_back(c);
        window[w] = c;
        w = (w + 1) & (kWindow - 1);
    };
    while (out.size() < want) {
        if (i >= n) return false;
        uint8_t flags = in[i++];
        for (int bit = 0; bit < 8 && out.size() < want; ++bit) {
            if (flags & (1u << bit)) {
                if (i >= n) return false;
                put(in[i++]);
            } else {
                if (n - i < 2) return false;
                int off = in[i] | ((in[i + 1] & 0xF0) << 4);
                int len = (in[i + 1] & 0x0F) + 3;
                i += 2;
                for (int k = 0; k < len && out.size() < want; ++k) put(window[(off + k) & (kWindow - 1)]);
            }
        }
    }
    return true;
}

int32_t OpenPacked(LzFile& f, const uint8_t* head, const char* name) {
    if (head[8] != 'A') return Debug("unknown packing method", name), LZERROR_UNKNOWNALG;
    uint32_t want = Get32(head + 10);
    int64_t size = f.plain.Size();
    if (size < int64_t(kHeader) || size > kMaxPacked) return Debug("packed file too large", name), LZERROR_GLOBALLOC;
    std::vector<uint8_t> in(size_t(size) - kHeader);
    if (f.plain.Read(in.data(), in.size()) != in.size()) return Debug("read failed", name), LZERROR_READ;
    try {
        // A packed byte yields at most 18 / 2 expanded bytes, so the reserve stays tied to the file.
        f.bytes.reserve(std::min<uint64_t>(want, uint64_t(in.size()) * 9 + 16));
        if (!Expand(in.data(), in.size(), want, f.bytes)) return Debug("packed data ends early", name), LZERROR_READ;
    } catch (const std::bad_alloc&) {
        return Debug("out of memory", name), LZERROR_GLOBALLOC;
    }
    f.packed = true;
    f.plain.Close();
    return 0;
}

LzFile* Find(int32_t handle) {
    auto it = g_files.find(handle);
    return it == g_files.end() ? nullptr : it->second.get();
}
}  // namespace

int32_t LZOpenFileA(const char* name, OFSTRUCT* of, uint16_t) {
    auto f = std::make_unique<LzFile>();
    if (!name || !f->plain.Open(name, plat::File::Mode::Read)) {
        if (of) of->nErrCode = 2;
        return LZERROR_BADINHANDLE;
    }
    if (of) {
        std::snprintf(of->szPathName, sizeof of->szPathName, "%s", name);
        of->nErrCode = 0;
    }
    uint8_t head[kHeader];
    size_t got = f->plain.Read(head, kHeader);
    if (got >= sizeof kMagic && std::memcmp(head, kMagic, sizeof kMagic) == 0) {
        if (got < kHeader) return Debug("packed header cut short", name), LZERROR_READ;
        if (int32_t r = OpenPacked(*f, head, name); r < 0) return r;
    } else if (!f->plain.Seek(0)) {
        return LZERROR_READ;
    }
    std::lock_guard<std::mutex> lock(g_lock);
    int32_t h = g_next;
    g_next = g_next == INT32_MAX ? 1 : g_next + 1;
    g_files[h] = std::move(f);
    return h;
}

int32_t LZRead(int32_t handle, void* buffer, int32_t count) {
    std::lock_guard<std::mutex> lock(g_lock);
    LzFile* f = Find(handle);
    if (!f) return LZERROR_BADINHANDLE;
    if (count < 0 || (count > 0 && !buffer)) return LZERROR_BADVALUE;
    if (!f->packed) return static_cast<int32_t>(f->plain.Read(buffer, size_t(count)));
    size_t n = std::min(size_t(count), f->bytes.size() - std::min(f->pos, f->bytes.size()));
    if (n) std::memcpy(buffer, f->bytes.data() + f->pos, n);
    f->pos += n;
    return static_cast<int32_t>(n);
}

int32_t LZSeek(int32_t handle, int32_t offset, int32_t origin) {
    std::lock_guard<std::mutex> lock(g_lock);
    LzFile* f = Find(handle);
    if (!f) return LZERROR_BADINHANDLE;
    int64_t size = f->packed ? int64_t(f->bytes.size()) : f->plain.Size();
    int64_t cur = f->packed ? int64_t(f->pos) : f->plain.Tell();
    int64_t base = origin == 0 ? 0 : origin == 1 ? cur : origin == 2 ? size : -1;
    if (base < 0 || size < 0 || cur < 0) return LZERROR_BADVALUE;
    int64_t to = base + offset;
    if (to < 0 || to > size || to > INT32_MAX) return LZERROR_BADVALUE;
    if (f->packed)
        f->pos = size_t(to);
    else if (!f->plain.Seek(uint64_t(to)))
        return LZERROR_BADVALUE;
    return static_cast<int32_t>(to);
}

void LZClose(int32_t handle) {
    std::lock_guard<std::mutex> lock(g_lock);
    g_files.erase(handle);
}
