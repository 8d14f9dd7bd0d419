// Picture files: the program's ".grp" images and Windows bitmaps (".dat", ".bmp"), read into memory.
#pragma once
#include <cstddef>
#include <cstdint>

// A ".grp" picture in memory. The pixel block holds the rows top-down without padding, then at
// 8 bits per pixel the 256-entry red, green, blue palette, which `palette` points at.
struct GRP_IMAGE {
    uint16_t bpp = 0;
    uint32_t width = 0;
    uint32_t height = 0;
    uint8_t* pixels = nullptr;   // zero-filled block owned by the record
    uint8_t* palette = nullptr;  // inside the pixel block; 8 bits per pixel only
};

constexpr size_t GRP_HEADER_SIZE = 13;  // 'G', 'R', kind, depth (2), width (4), height (4)
constexpr size_t GRP_PALETTE_SIZE = 768;
constexpr uint8_t GRP_KIND_LZ = '2';   // the payload is one LZ block; any other kind is raw

// Reads a ".grp" (the name must end in ".grp", case-sensitive; opened as given). 1 / 0; on failure
// the record is cleared. Depths other than 8, 16 and 24, and sizes the file cannot hold, are refused;
// an empty picture (width or height 0) reads.
int GRP_ReadGrp(const char* name, GRP_IMAGE* image);
// Whether the name's last four characters are `ext` (".grp", ".bmp", ...), case-sensitive.
bool GRP_HasExt(const char* name, const char* ext);
// Frees the pixel block and clears the record.
void GRP_FreeImage(GRP_IMAGE* image);

// Read a bitmap file (names ending ".dat" / ".bmp", joined to the base directory, plain or packed)
// into a new packed DIB (header, colour table or masks, rows) that the caller frees with plat::Free;
// *size (when given) receives its length. The file-size field, header, colour table and rows are
// checked against the bytes read.
int GRP_ReadDat(const char* name, void** dib, size_t* size = nullptr);
int GRP_ReadBmp(const char* name, void** dib, size_t* size = nullptr);

// An uncompressed 8-bit bitmap as GRP_ReadBmp8 leaves it: width x height palette indices in the
// file's order (bottom row first), taken back to back without regard to the rows' 4-byte alignment.
// The block is zero-filled memory of the platform allocator (plat::Free).
struct GRP_BMP8 {
    uint8_t* pixels = nullptr;
    int32_t width = 0;
    int32_t height = 0;
};

// Reads an 8-bit ".bmp" (opened as named): 1, or 0 with the record cleared when the file cannot be
// opened, a header is cut short, the depth is not 8, or the colour table or pixels are not all there.
int GRP_ReadBmp8(GRP_BMP8* image, const char* name);

// Where the parts of a packed DIB are.
constexpr uint32_t GRP_BI_RGB = 0;
constexpr uint32_t GRP_BI_BITFIELDS = 3;
constexpr size_t GRP_BITMAP_FILE_HEADER = 14;
constexpr size_t GRP_BITMAP_INFO_HEADER = 40;

struct GRP_DIB_LAYOUT {
    int32_t width = 0;
    int32_t height = 0;      // rows, always positive
    bool bottom_up = true;   // first stored row is the bottom one
    uint16_t bits = 0;
    uint32_t compression = 0;
    const uint8_t* colours = nullptr;  // RGBQUAD entries (blue, green, red, reserved)
    uint32_t colour_count = 0;
    const uint8_t* rows = nullptr;     // first stored row
    uint32_t stride = 0;               // bytes per stored row, a multiple of 4

    // The stored row holding image row y (0 = top).
    const uint8_t* Row(int32_t y) const {
        return rows + size_t(stride) * size_t(bottom_up ? height - 1 - y : y);
    }
};

// Checks a packed DIB of `size` bytes and describes it; 0 when any part lies outside it or the
// depth or compression is not one the loaders read (1, 4, 8, 16, 24, 32 bits; none or bit fields).
int GRP_DibLayout(const void* dib, size_t size, GRP_DIB_LAYOUT* out);
