// Font slots, the ".fnt" reader, the family files and the Shift-JIS glyph index.
#include "sprite/fnt_font.h"

#include <cstring>
#include <vector>

#include "display/lz_codec.h"
#include "platform/bytes.h"
#include "platform/files.h"
#include "platform/memory.h"
#include "services/fil_util.h"
#include "sprite/img_table.h"
#include "sprite/txt_print.h"

FNT_SLOT FNT_TABLE[FNT_SLOTS];

namespace {
// The seven full-width ranges, each glyph index rising with the code value.
struct FullRange {
    uint16_t first, last;
    int base;  // index of `first`
};
constexpr FullRange kFullRanges[] = {
    {0x8140, 0x81FC, 0},    {0x824F, 0x82F1, 189},  {0x8340, 0x8396, 352},  {0x8740, 0x879C, 439},
    {0x889F, 0x9872, 532},  {0x989F, 0x9FFC, 4584}, {0xE040, 0xEAA2, 6470},
};
static_assert(kFullRanges[6].base + (kFullRanges[6].last - kFullRanges[6].first) == FNT_FULL_GLYPHS - 1);

constexpr const char* kFamilies[3][3] = {
    {"Dat\\Fnt10x10.fnt", "Dat\\Fnt14x14.fnt", "Dat\\Fnt12x12.fnt"},
    {"Dat\\spf10x10.fnt", "Dat\\spf14x14.fnt", "Dat\\spf12x12.fnt"},
    {"Dat\\min10x10.fnt", "Dat\\min14x14.fnt", "Dat\\min12x12.fnt"},
};

constexpr int64_t kMaxFileSize = int64_t(64) << 20;

bool ValidSlot(int slot) { return slot >= 0 && slot < FNT_SLOTS; }

const FNT_SLOT* Current() {
    const int f = TXT_STATE.font;
    return ValidSlot(f) && FNT_TABLE[f].loaded ? &FNT_TABLE[f] : nullptr;
}
}  // namespace

int FNT_Init() {
    FNT_Reset();
    return 1;
}

void FNT_Reset() {
    for (int i = 0; i < FNT_SLOTS; ++i) FNT_Free(i);
    TXT_ResetState();
    if (TXT_STATE.debug_sheet != -1) {
        IMG_Release(TXT_STATE.debug_sheet);
        TXT_STATE.debug_sheet = -1;
    }
}

int FNT_Free(int slot) {
    if (!ValidSlot(slot) || !FNT_TABLE[slot].loaded) return 0;
    plat::Free(FNT_TABLE[slot].glyphs);
    FNT_TABLE[slot] = FNT_SLOT{};
    return 1;
}

int FNT_LoadBytes(int slot, const uint8_t* bytes, size_t size) {
    if (!ValidSlot(slot)) return 0;
    FNT_Free(slot);
    if (!bytes || size < FNT_HEADER_SIZE || std::memcmp(bytes, "FNT", 3) != 0) return 0;
    const uint16_t width = plat::Get16(bytes + 3), height = plat::Get16(bytes + 5);
    // The drawers' work buffers hold 32 x 32 pixels; a font without rows has no glyphs to draw.
    if (width == 0 || height == 0 || width > FNT_MAX_SIZE || height > FNT_MAX_SIZE) {
        SYS_DebugPrint("FNT_Load: font size %u x %u refused", width, height);
        return 0;
    }
    // The unpacked size is checked before anything is allocated: every glyph the index reaches
    // must lie in the data.
    const uint8_t* block = bytes + FNT_HEADER_SIZE;
    const size_t block_len = size - FNT_HEADER_SIZE;
    const uint64_t need = FNT_DataSize(width, height);
    const uint32_t unpacked = block_len >= 4 ? plat::Get32(block) : 0;
    if (unpacked < need) {
        SYS_DebugPrint("FNT_Load: %u bytes of glyphs, %u needed", unpacked, static_cast<unsigned>(need));
        return 0;
    }
    if (unpacked > LZ_MaxExpansion(block_len)) return 0;
    auto* glyphs = static_cast<uint8_t*>(plat::AllocZero(size_t(unpacked) + 1));
    if (!glyphs) return 0;
    if (LZ_Decode(block, block_len, glyphs, unpacked, nullptr, nullptr) != 1) {
        plat::Free(glyphs);
        return 0;
    }
    FNT_SLOT& s = FNT_TABLE[slot];
    s.width = width;
    s.height = height;
    s.half_pitch = static_cast<uint16_t>(((width >> 1) + 7) >> 3);
    s.half_bytes = uint32_t(s.half_pitch) * height;
    s.full_pitch = static_cast<uint16_t>((width + 7) >> 3);
    s.full_bytes = uint32_t(s.full_pitch) * height;
    s.glyphs = glyphs;
    s.loaded = 1;
    return 1;
}

int FNT_Load(int slot, const char* path) {
    if (!ValidSlot(slot)) return 0;
    FNT_Free(slot);
    plat::File f;
    if (!path || !f.Open(path, plat::File::Mode::Read)) return 0;
    // A font is at most about a megabyte unpacked; a file far beyond that is not one.
    const int64_t size = f.Size();
    if (size < 0 || size > kMaxFileSize) return 0;
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    if (f.Read(bytes.data(), bytes.size()) != bytes.size()) return 0;
    return FNT_LoadBytes(slot, bytes.data(), bytes.size());
}

void FNT_LoadFamily(int family) {
    if (family < 0 || family > 2) return;
    for (int slot = 0; slot < 3; ++slot) FNT_Load(slot, FIL_MakePath("%s", kFamilies[family][slot]));
}

int FNT_FullIndex(uint16_t code) {
    for (const FullRange& r : kFullRanges)
        if (code >= r.first && code <= r.last) return r.base + (code - r.first);
    return -1;
}

int FNT_HalfIndex(uint8_t byte) {
    if (byte >= 0x20 && byte <= 0x7F) return byte - 0x20;
    if (byte >= 0xA0 && byte <= 0xDF) return byte - 0x40;
    return -1;
}

const uint8_t* FNT_GlyphFull(uint16_t code) {
    int index = FNT_FullIndex(code);
    if (index < 0) {
        // "未登録フォント(%c%c:0x%x)"
        SYS_DebugPrint("\x96\xa2\x93o\x98^\x83t\x83H\x83\x93\x83g(%c%c:0x%x)", code >> 8, code & 0xFF, code);
        index = FNT_FALLBACK_FULL;
    }
    const FNT_SLOT* f = Current();
    return f ? f->glyphs + FNT_HALF_GLYPHS * f->half_bytes + size_t(index) * f->full_bytes : nullptr;
}

const uint8_t* FNT_GlyphHalf(uint8_t byte) {
    int index = FNT_HalfIndex(byte);
    if (index < 0) {
        SYS_DebugPrint("\x96\xa2\x93o\x98^\x83t\x83H\x83\x93\x83g(0x%x)", byte);  // "未登録フォント(0x%x)"
        index = FNT_FALLBACK_HALF;
    }
    const FNT_SLOT* f = Current();
    return f ? f->glyphs + size_t(index) * f->half_bytes : nullptr;
}
