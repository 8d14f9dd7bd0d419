// The LZ block codec: bounded readers over files and memory, and the greedy nearest-longest writer.
#include "display/lz_codec.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "platform/bytes.h"
#include "platform/memory.h"

namespace {
using plat::Get32;
using plat::Put32;

struct FileSource {
    FIL_HANDLE f;
    int64_t left;
    bool Get(void* dst, size_t n) {
        if (int64_t(n) > left || f->Read(dst, n) != n) return false;
        left -= int64_t(n);
        return true;
    }
};

struct MemSource {
    const uint8_t* p;
    size_t left;
    size_t used = 0;
    bool Get(void* dst, size_t n) {
        if (n > left) return false;
        if (n) std::memcpy(dst, p + used, n);
        used += n;
        left -= n;
        return true;
    }
};

// A block's parts, read and checked against the bytes the source still holds before anything
// of their size is allocated.
struct Parts {
    uint32_t u = 0, n = 0, d = 0;
    std::vector<uint8_t> flags, data;
};

template <class Src>
bool ReadParts(Src& src, uint64_t left, uint32_t* size_out, Parts& p, const char* who) {
    uint8_t b4[4];
    if (!src.Get(b4, 4)) return SYS_DebugPrint("%s: block cut short", who), false;
    p.u = Get32(b4);
    if (size_out) *size_out = p.u;
    if (!src.Get(b4, 4)) return SYS_DebugPrint("%s: block cut short", who), false;
    p.n = Get32(b4);
    left = left >= 8 ? left - 8 : 0;
    uint64_t f = (uint64_t(p.n) + 7) / 8;
    if (p.n > uint32_t(std::numeric_limits<int32_t>::max()) || f + 4 > left)
        return SYS_DebugPrint("%s: token count %u exceeds the file", who, p.n), false;
    p.flags.resize(size_t(f));
    if (!src.Get(p.flags.data(), size_t(f)) || !src.Get(b4, 4))
        return SYS_DebugPrint("%s: block cut short", who), false;
    left -= f + 4;
    p.d = Get32(b4);
    // Every token takes at least one data byte, and a data byte yields at most 16 output bytes.
    if (p.d > left || p.n > p.d || p.u > LZ_MaxExpansion(p.d))
        return SYS_DebugPrint("%s: sizes U %u N %u D %u do not fit the file", who, p.u, p.n, p.d), false;
    p.data.resize(p.d);
    if (!src.Get(p.data.data(), p.d)) return SYS_DebugPrint("%s: block cut short", who), false;
    return true;
}

bool ExpandInto(const Parts& p, uint8_t* dest, size_t capacity, const char* who) {
    if (p.u > capacity) return SYS_DebugPrint("%s: block of %u bytes exceeds its buffer", who, p.u), false;
    if (!LZ_Expand(p.flags.data(), p.n, p.data.data(), p.d, dest, p.u))
        return SYS_DebugPrint("%s: invalid token data", who), false;
    return true;
}

bool FileLeft(FIL_HANDLE file, int64_t* left) {
    if (!file) return false;
    int64_t size = file->Size(), pos = file->Tell();
    if (size < 0 || pos < 0) return false;
    *left = size > pos ? size - pos : 0;
    return true;
}
}  // namespace

int LZ_Expand(const uint8_t* flags, uint32_t n, const uint8_t* data, uint32_t d, uint8_t* out, uint32_t u) {
    uint32_t o = 0, p = 0;
    for (uint32_t i = 0; i < n; ++i) {
        if (flags[i >> 3] & (1u << (i & 7))) {
            if (d - p < 2) return 0;
            uint32_t v = uint32_t(data[p]) | uint32_t(data[p + 1]) << 8;
            p += 2;
            uint32_t dist = (v >> 5) + 1, len = (v & 31) + 1;
            if (dist > o || len > u - o) return 0;
            for (uint32_t k = 0; k < len; ++k, ++o) out[o] = out[o - dist];  // overlapping copies repeat
        } else {
            if (p >= d || o >= u) return 0;
            out[o++] = data[p++];
        }
    }
    return 1;
}

int LZ_Read(FIL_HANDLE file, void* dest, size_t capacity, uint32_t* size_out) {
    int64_t left;
    if ((!dest && capacity) || !FileLeft(file, &left)) return 0;
    FileSource src{file, left};
    Parts p;
    if (!ReadParts(src, uint64_t(left), size_out, p, "LZ_Read")) return 0;
    return ExpandInto(p, static_cast<uint8_t*>(dest), capacity, "LZ_Read") ? 1 : 0;
}

int LZ_ReadAlloc(FIL_HANDLE file, void** out, uint32_t* size_out) {
    if (!out) return 0;
    *out = nullptr;
    int64_t left;
    if (!FileLeft(file, &left)) return 0;
    FileSource src{file, left};
    Parts p;
    if (!ReadParts(src, uint64_t(left), size_out, p, "LZ_ReadAlloc")) return 0;
    // One spare byte so an empty block still gives a buffer.
    auto* buf = static_cast<uint8_t*>(plat::AllocZero(size_t(p.u) + 1));
    if (!buf) return SYS_DebugPrint("LZ_ReadAlloc: out of memory for %u bytes", p.u), 0;
    if (!ExpandInto(p, buf, p.u, "LZ_ReadAlloc")) {
        plat::Free(buf);
        return 0;
    }
    *out = buf;
    return 1;
}

int LZ_Decode(const uint8_t* block, size_t len, uint8_t* dest, size_t capacity, uint32_t* size_out, size_t* used) {
    if (!block || (!dest && capacity)) return 0;
    MemSource src{block, len};
    Parts p;
    if (!ReadParts(src, len, size_out, p, "LZ_Decode") || !ExpandInto(p, dest, capacity, "LZ_Decode")) return 0;
    if (used) *used = src.used;
    return 1;
}

void LZ_Encode(const uint8_t* src, uint32_t size, std::vector<uint8_t>& block) {
    std::vector<uint8_t> flags((size_t(size) + 7) / 8, 0);
    std::vector<uint8_t> data;
    data.reserve(size);
    uint32_t pos = 0, t = 0;
    while (pos < size) {
        uint32_t m = std::min<uint32_t>(LZ_MAX_LENGTH, size - pos);
        uint32_t best = 0, best_dist = 0;
        uint32_t reach = std::min<uint32_t>(pos, LZ_MAX_DISTANCE);
        for (uint32_t j = 1; j <= reach; ++j) {
            uint32_t r = 0;
            while (r < m && src[pos - j + r] == src[pos + r]) ++r;
            // Only a strictly longer match replaces the best, so the nearest wins ties.
            if (r > best) {
                best = r;
                best_dist = j;
                if (best >= LZ_MAX_LENGTH) break;
            }
        }
        if (best > 2) {
            uint32_t v = ((best_dist - 1) << 5) | (best - 1);
            data.push_back(static_cast<uint8_t>(v));
            data.push_back(static_cast<uint8_t>(v >> 8));
            flags[t >> 3] |= static_cast<uint8_t>(1u << (t & 7));
            pos += best;
        } else {
            data.push_back(src[pos]);
            pos += 1;
        }
        ++t;
    }
    Put32(block, size);
    Put32(block, t);
    block.insert(block.end(), flags.begin(), flags.begin() + (size_t(t) + 7) / 8);
    Put32(block, static_cast<uint32_t>(data.size()));
    block.insert(block.end(), data.begin(), data.end());
}

int LZ_Write(FIL_HANDLE file, const void* src, const uint32_t* size) {
    if (!file || !size || (*size && !src)) return 0;
    std::vector<uint8_t> block;
    LZ_Encode(static_cast<const uint8_t*>(src), *size, block);
    return file->Write(block.data(), block.size()) == block.size() ? 1 : 0;
}
