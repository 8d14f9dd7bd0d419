// Glyph cells from an outline font: each Shift-JIS code the glyph index reaches is decoded through
// iconv's CP932 table and drawn by FreeType, anti-aliased and cut at half coverage. At the smallest
// size that cut loses thin strokes: full-width glyphs take the font's own hinting for one bit a
// pixel there, and half-width ones (whose hinted digits blur) a lower cut.
#include "tools/sample/fnt_render.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include <iconv.h>

#include <algorithm>
#include <cstdint>
#include <memory>

#include "sprite/fnt_font.h"

namespace sample {
namespace {
// The full-width ranges of the glyph index, as (first code, glyph count).
constexpr struct {
    uint16_t first;
    int count;
} kRanges[] = {{0x8140, 189}, {0x824F, 163}, {0x8340, 87}, {0x8740, 93}, {0x889F, 4052}, {0x989F, 1886}, {0xE040, 2659}};

// A Shift-JIS character as a Unicode code point, 0 when CP932 has no character there.
uint32_t Decode(iconv_t cd, const uint8_t* bytes, size_t n) {
    char in[2] = {char(bytes[0]), n > 1 ? char(bytes[1]) : char(0)};
    uint32_t out = 0;
    char* ip = in;
    char* op = reinterpret_cast<char*>(&out);
    size_t il = n, ol = sizeof out;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &ip, &il, &op, &ol) == size_t(-1) || il != 0 || ol != 0) return 0;
    return out;
}

// The smallest size, and the coverage cut of anti-aliased glyphs at it and above it.
constexpr int kSmallSize = 10;
constexpr int kSmallCut = 80;
constexpr int kCut = 112;

struct Renderer {
    FT_Face face;
    int size, baseline;
    bool Ink(const FT_Bitmap& b, unsigned r, unsigned c) const {
        if (b.pixel_mode == FT_PIXEL_MODE_MONO) return (b.buffer[r * b.pitch + c / 8] >> (7 - c % 8)) & 1;
        return b.buffer[r * b.pitch + c] >= (size <= kSmallSize ? kSmallCut : kCut);
    }
    // Draws the character centred in a cell `w` pixels wide into glyph rows of `pitch` bytes.
    void Draw(uint32_t ch, int w, uint8_t* glyph, int pitch) {
        const bool mono = size <= kSmallSize && w == size;
        const FT_Int32 flags = FT_LOAD_RENDER | (mono ? FT_LOAD_TARGET_MONO : FT_LOAD_TARGET_LIGHT);
        if (ch <= 0x20 || FT_Load_Char(face, ch, flags) != 0) return;
        const FT_GlyphSlot g = face->glyph;
        const FT_Bitmap& b = g->bitmap;
        const int advance = int(g->advance.x >> 6);
        const int left = g->bitmap_left + (w - advance) / 2;
        const int top = baseline - g->bitmap_top;
        for (unsigned r = 0; r < b.rows; ++r)
            for (unsigned c = 0; c < b.width; ++c) {
                const int x = left + int(c), y = top + int(r);
                if (x < 0 || x >= w || y < 0 || y >= size) continue;
                if (Ink(b, r, c)) glyph[y * pitch + x / 8] |= uint8_t(1u << (x % 8));
            }
    }
};
}  // namespace

bool RenderFont(const std::string& ttf_path, int size, support::Font& out, std::string& error) {
    FT_Library lib;
    if (FT_Init_FreeType(&lib) != 0) return error = "FreeType did not start", false;
    std::unique_ptr<FT_LibraryRec_, void (*)(FT_Library)> lib_guard(lib, [](FT_Library l) { FT_Done_FreeType(l); });
    FT_Face face;
    if (FT_New_Face(lib, ttf_path.c_str(), 0, &face) != 0) return error = "cannot read " + ttf_path, false;
    FT_Set_Pixel_Sizes(face, 0, FT_UInt(size));
    iconv_t cd = iconv_open("UTF-32LE", "CP932");
    if (cd == iconv_t(-1)) return error = "iconv has no CP932 table", false;
    // The baseline divides the cell as the font's ascent and descent divide its em.
    const int baseline = (size * face->ascender + (face->ascender - face->descender) / 2) /
                         (face->ascender - face->descender);
    Renderer r{face, size, baseline};

    out = support::MakeFont(uint16_t(size), uint16_t(size));
    for (int i = 0; i < FNT_HALF_GLYPHS; ++i) {
        const uint8_t byte = uint8_t(i < 96 ? i + 0x20 : i + 0x40);
        if (byte != 0x7F) r.Draw(Decode(cd, &byte, 1), size >> 1, out.Half(i), out.HalfPitch());
    }
    int index = 0;
    for (const auto& range : kRanges)
        for (int k = 0; k < range.count; ++k, ++index) {
            const uint16_t code = uint16_t(range.first + k);
            const uint8_t bytes[2] = {uint8_t(code >> 8), uint8_t(code)};
            r.Draw(Decode(cd, bytes, 2), size, out.Full(index), out.FullPitch());
        }
    iconv_close(cd);
    FT_Done_Face(face);
    return true;
}
}  // namespace sample
