// Writers of picture fixtures: ".grp" images (raw or LZ-packed, 8/16/24 bits) and bitmap files.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace support {

// A ".grp" picture: pixels top-down without padding (1, 2 or 3 bytes each: index, 555 value
// little-endian, or blue, green, red), and at 8 bits a palette of 256 red, green, blue triples.
struct GrpPicture {
    uint16_t bpp = 16;
    uint32_t width = 0, height = 0;
    std::vector<uint8_t> pixels;
    std::vector<uint8_t> palette;  // 768 bytes at 8 bits (padded with zeros when shorter)
};

// Picture helpers: a blank picture of the size, and per-pixel setters in each depth.
GrpPicture MakeGrp(uint16_t bpp, uint32_t width, uint32_t height);
void Set555(GrpPicture& p, uint32_t x, uint32_t y, uint16_t value);
void SetBgr(GrpPicture& p, uint32_t x, uint32_t y, uint8_t r, uint8_t g, uint8_t b);
void SetPaletteEntry(GrpPicture& p, uint8_t index, uint8_t r, uint8_t g, uint8_t b);

// The file bytes; kind '2' packs the payload as one LZ block, any other kind stores it raw.
std::vector<uint8_t> GrpBytes(const GrpPicture& p, bool compressed, uint8_t raw_kind = '1');
bool WriteGrp(const std::string& path, const GrpPicture& p, bool compressed);

// A Windows bitmap: pixels top-down, packed (1, 2 or 3 bytes per pixel as in the file: index,
// 555 value, or blue, green, red); the writer pads rows to 4 bytes and stores them bottom-up
// unless top_down is set.
struct Bitmap {
    uint16_t bits = 24;
    int32_t width = 0, height = 0;
    std::vector<uint8_t> pixels;
    std::vector<std::array<uint8_t, 3>> colours;  // red, green, blue; written as RGBQUAD
    bool top_down = false;
    bool bitfields = false;  // 16 bits: three masks instead of a colour table
    uint32_t trailing = 0;   // extra bytes after the rows
};

Bitmap MakeBitmap(uint16_t bits, int32_t width, int32_t height);
std::vector<uint8_t> DibBytes(const Bitmap& b);      // the packed DIB
std::vector<uint8_t> BitmapFileBytes(const Bitmap& b);  // 14-byte file header + packed DIB
bool WriteBitmap(const std::string& path, const Bitmap& b);  // ".bmp" or ".dat" alike

// Whether an outside fixture maker (mscompress, ImageMagick's convert) is on the path.
bool HaveTool(const char* tool);
}  // namespace support
