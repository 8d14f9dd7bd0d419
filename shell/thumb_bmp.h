// Save thumbnails and BMP file images in memory: capture, creation, parsing, pixel access,
// shrinking, the software cursor erased from captures, and the held thumbnail of the last save.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/types.h"
#include "platform/window.h"

constexpr int THUMB_WIDTH = 112;
constexpr int THUMB_HEIGHT = 80;
constexpr int THUMB_FILE_SIZE = 26936;  // 54 header bytes, 80 rows of 336 bytes, 2 zero bytes
constexpr int THUMB_CAPTURE_W = 616;    // the right 24 columns and bottom 32 rows are left out
constexpr int THUMB_CAPTURE_H = 448;
constexpr int THUMB_BMP_HEADER = 54;    // file header and info header

// A BMP file image in memory: exactly the bytes of the file.
using THUMB_IMAGE = std::vector<uint8_t>;

// A view of a BMP file image. A view of bytes that are no bitmap this program can address has
// width, height and pitch 0: every pixel then reads as black and no write lands.
struct THUMB_BMP_VIEW {
    uint8_t* image = nullptr;   // the file image
    uint8_t* info = nullptr;    // its info header
    uint8_t* pixels = nullptr;  // the rows, bottom-up
    int32_t bytes = 0;          // bytes per pixel (1, 2, 3, 4); pixels per byte for 1 and 4 bits
    int32_t pitch = 0;          // row pitch in bytes
    int32_t height = 0;
    int32_t width = 0;
    int16_t bits = 0;
    int16_t palette = 0;        // palette entries, (pixel offset - 54) / 4
};

// A cursor picture as a 16-bit capture shows it: its opaque pixels, the first tested first.
struct THUMB_TEMPLATE_PIXEL {
    int16_t dx, dy;
    uint32_t colour;  // 0x00BBGGRR
};
struct THUMB_TEMPLATE {
    int32_t box;  // the search stops this far from the right and bottom edges
    std::vector<THUMB_TEMPLATE_PIXEL> pixels;
};
constexpr int THUMB_TEMPLATES = 3;  // arrow, round target, pointing hand
extern THUMB_TEMPLATE THUMB_CURSOR[THUMB_TEMPLATES];

// The thumbnail of the last capture; empty before the first.
extern THUMB_IMAGE THUMB_HELD;

// Copies the rectangle (left, top = x, y; right, bottom = width, height) of the window's client
// area, as last presented, into a new 16-bit (5-5-5) bottom-up BMP file image. Its size, or -1
// when no bitmap can be made (no window, nothing presented yet, an empty rectangle).
int32_t THUMB_CaptureDib(plat::Window* window, const RECT& rect, THUMB_IMAGE& out);
// A new zeroed BMP file image of 4, 8, 16, 24 or 32 bits (other depths: headers only). Its size.
int32_t THUMB_MakeBmp(THUMB_IMAGE& out, int32_t width, int32_t height, int32_t bits, int32_t x_ppm, int32_t y_ppm);
// Fills the view from a file image of `size` bytes; returns the view.
THUMB_BMP_VIEW* THUMB_ParseBmp(THUMB_BMP_VIEW* view, uint8_t* image, size_t size);
// Pixel (x, y) from the top as 0x00BBGGRR (16 bits read as 5-5-5, each channel times 8); black
// reads as 0x080808, and so does a pixel outside the picture.
uint32_t THUMB_GetPixel(const THUMB_BMP_VIEW* view, int32_t x, int32_t y);
void THUMB_SetPixel(const THUMB_BMP_VIEW* view, int32_t x, int32_t y, uint32_t colour);
void THUMB_SetPixel24(const THUMB_BMP_VIEW* view, int32_t x, int32_t y, uint32_t colour);
// The mean of each channel over the w x h block at (x, y), integer division.
uint32_t THUMB_Average(const THUMB_BMP_VIEW* view, int32_t x, int32_t y, int32_t w, int32_t h);
// A new 24-bit image of width x height, each pixel the average of a block of the source. Its
// size; 0 with nothing made when the source is not at least twice as large each way.
int32_t THUMB_Shrink(const THUMB_BMP_VIEW* view, THUMB_IMAGE& out, int32_t width, int32_t height);

// Paints over every whole picture of a template found in the view with the colour left of it;
// the number of pictures erased.
int THUMB_EraseCursor(const THUMB_BMP_VIEW* view, const THUMB_TEMPLATE& t);
// Takes the three templates from the cursor pictures of the common picture (none without it).
void THUMB_InitTemplates(int32_t common_image);

// Captures the screen, erases the cursor, shrinks and holds the result. A failed capture keeps
// the held thumbnail.
void THUMB_Make();
// Writes the held thumbnail of slot 0..97 as "save\ov%02d.dat", of storage slot 110..119 as
// "save\ova%02d.dat" (slot - 110), atomically. 1 when written; 0 with nothing held, for any other
// slot, or when the write fails.
int THUMB_Write(int32_t slot);
// The thumbnail file's name for that slot (as THUMB_Write names it), or null.
const char* THUMB_FileName(int32_t slot);
void THUMB_Free();  // drops the held thumbnail
