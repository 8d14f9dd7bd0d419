// Writes ".fnt" fonts: header and one LZ block of glyph rows, least significant bit first.
#include "tests/support/fnt_writer.h"

#include "display/lz_codec.h"
#include "platform/bytes.h"
#include "sprite/fnt_font.h"
#include "tests/support/fixture.h"

namespace support {

Font MakeFont(uint16_t width, uint16_t height) {
    Font f;
    f.width = width;
    f.height = height;
    f.glyphs.assign(static_cast<size_t>(FNT_DataSize(width, height)), 0);
    return f;
}

void SetInk(Font& f, bool full, int index, int x, int y) {
    const int pitch = full ? f.FullPitch() : f.HalfPitch();
    uint8_t* g = full ? f.Full(index) : f.Half(index);
    g[size_t(y) * pitch + x / 8] |= uint8_t(1u << (x % 8));
}

Font PatternFont(uint16_t width, uint16_t height) {
    Font f = MakeFont(width, height);
    auto draw = [&f](bool full, int index, int w) {
        const int h = f.height;
        for (int x = 0; x < w - 1; ++x) {
            SetInk(f, full, index, x, 0);
            SetInk(f, full, index, x, h - 2);
        }
        for (int y = 0; y < h - 1; ++y) {
            SetInk(f, full, index, 0, y);
            SetInk(f, full, index, w - 2, y);
        }
        for (int y = 1; y < h - 2 && y < w - 2; ++y)
            if ((index >> (y % 12)) & 1) SetInk(f, full, index, y, y);
        for (int x = 1; x < w - 2; ++x)
            if ((index >> (x % 12)) & 1) SetInk(f, full, index, x, h / 2);
    };
    for (int i = 0; i < FNT_HALF_GLYPHS; ++i)
        if (i != 0) draw(false, i, width >> 1);  // the space stays empty
    for (int i = 0; i < FNT_FULL_GLYPHS; ++i)
        if (i != 0) draw(true, i, width);
    return f;
}

std::vector<uint8_t> FntBytes(const Font& f, size_t cut) {
    std::vector<uint8_t> out{'F', 'N', 'T'};
    plat::Put16(out, f.width);
    plat::Put16(out, f.height);
    const size_t n = cut < f.glyphs.size() ? f.glyphs.size() - cut : 0;
    LZ_Encode(f.glyphs.data(), static_cast<uint32_t>(n), out);
    return out;
}

bool WriteFnt(const std::string& path, const Font& f) { return WriteBytes(path, FntBytes(f)); }
}  // namespace support
