// Bitmap fonts: 16 font slots, ".fnt" loading, the three families and the Shift-JIS glyph index.
#pragma once
#include <cstddef>
#include <cstdint>

constexpr int FNT_SLOTS = 16;
constexpr int FNT_HALF_GLYPHS = 160;
constexpr int FNT_FULL_GLYPHS = 9129;
constexpr int FNT_MAX_SIZE = 30;         // the text drawers' work buffers hold 32 x 32 pixels
constexpr int FNT_FALLBACK_FULL = 97;    // the filled square of 0x81A1
constexpr int FNT_FALLBACK_HALF = 10;    // '*'
constexpr size_t FNT_HEADER_SIZE = 7;    // "FNT", u16 width, u16 height; then one LZ block

struct FNT_SLOT {
    uint8_t loaded;
    uint16_t width;        // pixels of a full-width glyph
    uint16_t height;       // rows of every glyph
    uint32_t half_bytes;   // half_pitch x height
    uint16_t half_pitch;   // ((width >> 1) + 7) >> 3
    uint32_t full_bytes;   // full_pitch x height
    uint16_t full_pitch;   // (width + 7) >> 3
    uint8_t* glyphs;       // 160 half-width glyphs, then 9,129 full-width ones
};
extern FNT_SLOT FNT_TABLE[FNT_SLOTS];

// Bytes of glyph data a font of this size needs.
inline uint64_t FNT_DataSize(uint32_t width, uint32_t height) {
    const uint64_t half = (((width >> 1) + 7) >> 3) * uint64_t(height);
    const uint64_t full = ((width + 7) >> 3) * uint64_t(height);
    return FNT_HALF_GLYPHS * half + FNT_FULL_GLYPHS * full;
}

int FNT_Init();
// Frees every slot and puts the text state back to its defaults.
void FNT_Reset();
int FNT_Free(int slot);
// 1 when the file loaded into the slot; 0 leaves the slot empty (its old font is gone either way).
int FNT_Load(int slot, const char* path);
// The same over a whole file already in memory.
int FNT_LoadBytes(int slot, const uint8_t* bytes, size_t size);
// Family 0..2 into slots 0, 1, 2 ("10x10", "14x14", "12x12"); other values load nothing.
void FNT_LoadFamily(int family);

// Glyph index of a 2-byte code (0..9128) or of a byte (0..159); -1 where the font has none.
int FNT_FullIndex(uint16_t code);
int FNT_HalfIndex(uint8_t byte);
// The glyph's first row in the current slot; outside the repertoire the fallback glyph, with a
// debug line per lookup. Null while the current slot is empty.
const uint8_t* FNT_GlyphFull(uint16_t code);
const uint8_t* FNT_GlyphHalf(uint8_t byte);
// True for a Shift-JIS lead byte: bit 7 set, outside the half-width katakana 0xA0..0xDF.
inline bool FNT_IsLead(uint8_t b) { return b >= 0x80 && (b < 0xA0 || b > 0xDF); }
