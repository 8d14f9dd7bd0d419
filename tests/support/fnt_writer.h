// Writer of ".fnt" fonts for tests, tools and fuzz seeds, and a patterned font for fixtures.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace support {

// A font's glyph data as the file holds it unpacked: 160 half-width glyphs, then 9,129 full-width.
struct Font {
    uint16_t width = 0, height = 0;
    std::vector<uint8_t> glyphs;
    int HalfPitch() const { return ((width >> 1) + 7) >> 3; }
    int FullPitch() const { return (width + 7) >> 3; }
    // First byte of a glyph's data.
    uint8_t* Half(int index) { return &glyphs[size_t(index) * HalfPitch() * height]; }
    uint8_t* Full(int index) {
        return &glyphs[160 * size_t(HalfPitch()) * height + size_t(index) * FullPitch() * height];
    }
};

// A blank font of the size (every glyph empty).
Font MakeFont(uint16_t width, uint16_t height);
// Sets pixel (x, y) of a glyph; full selects the full-width glyphs.
void SetInk(Font& f, bool full, int index, int x, int y);
// A deterministic font whose every glyph differs: a frame, a diagonal and the index's bits.
Font PatternFont(uint16_t width, uint16_t height);

// The file: "FNT", u16 width, u16 height, the glyph data as one LZ block. `cut` drops that many
// glyph bytes from the end before packing (for short-data fixtures).
std::vector<uint8_t> FntBytes(const Font& f, size_t cut = 0);
bool WriteFnt(const std::string& path, const Font& f);
}  // namespace support
