// Save thumbnails: BMP file images in memory, the screen capture with the cursor painted over,
// the block shrink to 112 x 80 and the thumbnail files.
#include "shell/thumb_bmp.h"

#include <cstdio>
#include <cstring>

#include "platform/bytes.h"
#include "platform/display.h"
#include "display/blt_frame.h"
#include "services/fil_util.h"
#include "sprite/img_table.h"

THUMB_TEMPLATE THUMB_CURSOR[THUMB_TEMPLATES];
THUMB_IMAGE THUMB_HELD;

namespace {
constexpr int64_t kMaxSide = 1 << 15;  // wider or taller pictures are not addressed

void Set16(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}
void Set32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}
int32_t Round4(int64_t n) { return int32_t((n + 3) & ~int64_t(3)); }

// File header and info header (image size left 0); the pixel offset follows the palette.
void WriteHeaders(uint8_t* p, uint32_t size, int32_t palette, int32_t width, int32_t height, int32_t bits) {
    p[0] = 'B';
    p[1] = 'M';
    Set32(p + 2, size);
    Set32(p + 10, uint32_t(4 * palette + THUMB_BMP_HEADER));
    Set32(p + 14, 40);
    Set32(p + 18, uint32_t(width));
    Set32(p + 22, uint32_t(height));
    Set16(p + 26, 1);
    Set16(p + 28, uint32_t(bits));
}

// 0x00RRGGBB of a presented frame to the 5-5-5 value a 16-bit capture holds.
uint16_t To555(uint32_t rgb) {
    return uint16_t(((rgb >> 19) & 31) << 10 | ((rgb >> 11) & 31) << 5 | ((rgb >> 3) & 31));
}
// A 5-5-5 value as THUMB_GetPixel reads it.
uint32_t From555(uint16_t v) {
    const uint32_t c = ((v >> 10) & 31) * 8 | ((v >> 5) & 31) * 8 << 8 | (v & 31) * 8 << 16;
    return c ? c : 0x080808;
}
// Where pixel (x, y) from the top lies, or null outside the view or at a depth without pixel access.
uint8_t* At(const THUMB_BMP_VIEW* v, int32_t x, int32_t y) {
    if (!v || !v->pixels || (v->bits != 16 && v->bits != 24 && v->bits != 32) || x < 0 || y < 0 || x >= v->width || y >= v->height) return nullptr;
    return v->pixels + int64_t(v->height - 1 - y) * v->pitch + int64_t(x) * v->bytes;
}
// The pixel At found, as THUMB_GetPixel reads it.
uint32_t Read(const THUMB_BMP_VIEW* v, const uint8_t* p) {
    uint32_t c = 0;
    if (v->bits == 16) return From555(plat::Get16(p));
    if (v->bits == 24) c = uint32_t(p[2]) | uint32_t(p[1]) << 8 | uint32_t(p[0]) << 16;
    if (v->bits == 32) c = plat::Get32(p);
    return c ? c : 0x080808;
}
}  // namespace

int32_t THUMB_CaptureDib(plat::Window* window, const RECT& rect, THUMB_IMAGE& out) {
    const plat::Frame& frame = plat::LastPresentedFrame();
    const int32_t x0 = rect.left, y0 = rect.top, w = rect.right, h = rect.bottom;
    if (!window || frame.width <= 0 || frame.height <= 0 || w <= 0 || h <= 0 || w > kMaxSide || h > kMaxSide) return -1;
    const int32_t pitch = Round4(int64_t(w) * 2);
    const uint32_t size = uint32_t(pitch) * uint32_t(h) + THUMB_BMP_HEADER;
    out.assign(size, 0);
    WriteHeaders(out.data(), size, 0, w, h, 16);
    Set32(out.data() + 34, uint32_t(pitch) * uint32_t(h));
    // Rows bottom-up; what lies outside the presented frame reads as black.
    for (int32_t r = 0; r < h; ++r) {
        const int32_t sy = y0 + (h - 1 - r);
        uint8_t* row = out.data() + THUMB_BMP_HEADER + size_t(r) * size_t(pitch);
        if (sy < 0 || sy >= frame.height) continue;
        for (int32_t i = 0; i < w; ++i) {
            const int32_t sx = x0 + i;
            if (sx >= 0 && sx < frame.width) Set16(row + 2 * i, To555(frame.pixels[size_t(sy) * size_t(frame.width) + size_t(sx)]));
        }
    }
    return int32_t(size);
}

int32_t THUMB_MakeBmp(THUMB_IMAGE& out, int32_t width, int32_t height, int32_t bits, int32_t x_ppm, int32_t y_ppm) {
    if (width < 0 || height < 0 || width > kMaxSide || height > kMaxSide) width = height = 0;
    int64_t area = 0;
    switch (bits) {
        case 4: area = int64_t(Round4(width)) * height / 2; break;
        case 8: area = int64_t(Round4(width)) * height; break;
        case 16: area = int64_t(Round4(int64_t(width) * 2)) * height; break;
        case 24: area = int64_t(Round4(int64_t(width) * 3)) * height; break;
        case 32: area = int64_t(width) * 4 * height; break;
        default: break;
    }
    const int32_t palette = bits == 4 ? 16 : bits == 8 ? 256 : 0;
    const uint32_t size = uint32_t(Round4(area + 4 * palette + THUMB_BMP_HEADER));
    out.assign(size, 0);
    WriteHeaders(out.data(), size, palette, width, height, bits);
    Set32(out.data() + 38, uint32_t(x_ppm));
    Set32(out.data() + 42, uint32_t(y_ppm));
    for (int32_t i = 0; i < palette; ++i) {
        uint8_t* e = out.data() + THUMB_BMP_HEADER + 4 * i;
        e[0] = e[1] = e[2] = uint8_t(i);
    }
    return int32_t(size);
}

THUMB_BMP_VIEW* THUMB_ParseBmp(THUMB_BMP_VIEW* view, uint8_t* image, size_t size) {
    *view = THUMB_BMP_VIEW{};
    view->image = image;
    if (!image || size < THUMB_BMP_HEADER) return view;
    view->info = image + 14;
    const uint32_t offset = plat::Get32(image + 10);
    const int32_t width = int32_t(plat::Get32(image + 18)), height = int32_t(plat::Get32(image + 22));
    const int16_t bits = int16_t(plat::Get16(image + 28));
    view->bits = bits;
    view->palette = int16_t(offset >= THUMB_BMP_HEADER ? (int64_t(offset) - THUMB_BMP_HEADER) / 4 : 0);
    int32_t pitch = 0, bytes = 0;
    const int64_t w = width;
    switch (bits) {
        case 1: pitch = Round4((w + 7) / 8), bytes = 8; break;
        case 4: pitch = Round4((w + 1) / 2), bytes = 2; break;
        case 8: pitch = Round4(w), bytes = 1; break;
        case 16: pitch = Round4(w * 2), bytes = 2; break;
        case 24: pitch = Round4(w * 3), bytes = 3; break;
        case 32: pitch = int32_t(w * 4), bytes = 4; break;
        default: break;
    }
    view->bytes = bytes;
    // Only a bottom-up picture whose rows lie inside the bytes is addressed.
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide || bytes == 0 || offset < THUMB_BMP_HEADER ||
        offset > size || int64_t(pitch) * height > int64_t(size - offset))
        return view;
    view->pixels = image + offset;
    view->pitch = pitch;
    view->width = width;
    view->height = height;
    return view;
}

uint32_t THUMB_GetPixel(const THUMB_BMP_VIEW* view, int32_t x, int32_t y) {
    const uint8_t* p = At(view, x, y);
    return p ? Read(view, p) : 0x080808;
}

void THUMB_SetPixel(const THUMB_BMP_VIEW* view, int32_t x, int32_t y, uint32_t colour) {
    uint8_t* p = At(view, x, y);
    if (!p) return;
    const uint32_t r = colour & 0xFF, g = (colour >> 8) & 0xFF, b = (colour >> 16) & 0xFF;
    if (view->bits == 16) Set16(p, 0x8000 + r / 8 * 1024 + g / 8 * 32 + b / 8);
    if (view->bits == 24) THUMB_SetPixel24(view, x, y, colour);
    if (view->bits == 32) Set32(p, colour);
}

void THUMB_SetPixel24(const THUMB_BMP_VIEW* view, int32_t x, int32_t y, uint32_t colour) {
    uint8_t* p = At(view, x, y);
    if (!p || view->bits != 24) return;
    p[0] = uint8_t(colour >> 16);
    p[1] = uint8_t(colour >> 8);
    p[2] = uint8_t(colour);
}

uint32_t THUMB_Average(const THUMB_BMP_VIEW* view, int32_t x, int32_t y, int32_t w, int32_t h) {
    if (w <= 0 || h <= 0) return 0;
    uint64_t r = 0, g = 0, b = 0;
    for (int32_t j = 0; j < h; ++j)
        for (int32_t i = 0; i < w; ++i) {
            const uint32_t c = THUMB_GetPixel(view, x + i, y + j);
            r += c & 0xFF;
            g += (c >> 8) & 0xFF;
            b += (c >> 16) & 0xFF;
        }
    const uint64_t n = uint64_t(w) * uint64_t(h);
    return uint32_t(r / n) | uint32_t(g / n) << 8 | uint32_t(b / n) << 16;
}

int32_t THUMB_Shrink(const THUMB_BMP_VIEW* view, THUMB_IMAGE& out, int32_t width, int32_t height) {
    if (width <= 0 || height <= 0 || view->width / width < 2 || view->height / height < 2) return 0;
    const int32_t size = THUMB_MakeBmp(out, width, height, 24, 72, 72);
    THUMB_BMP_VIEW target;
    THUMB_ParseBmp(&target, out.data(), out.size());
    const int32_t bw = view->width / width - 1, bh = view->height / height - 1;
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            THUMB_SetPixel24(&target, x, y,
                             THUMB_Average(view, int32_t(int64_t(x) * view->width / width),
                                           int32_t(int64_t(y) * view->height / height), bw, bh));
    return size;
}

int THUMB_EraseCursor(const THUMB_BMP_VIEW* view, const THUMB_TEMPLATE& t) {
    if (t.pixels.empty()) return 0;
    int erased = 0;
    const int32_t s = t.box;
    for (int32_t y = 0; y < view->height - s; ++y)
        for (int32_t x = 0; x < view->width - s; ++x) {
            bool match = true;
            for (const THUMB_TEMPLATE_PIXEL& p : t.pixels) {
                // A pixel beyond the picture never matches (GetPixel would answer black for it).
                const uint8_t* at = At(view, x + p.dx, y + p.dy);
                if (!at || Read(view, at) != p.colour) {
                    match = false;
                    break;
                }
            }
            if (!match) continue;
            for (const THUMB_TEMPLATE_PIXEL& p : t.pixels)
                THUMB_SetPixel(view, x + p.dx, y + p.dy, THUMB_GetPixel(view, x, y + p.dy));
            ++erased;
        }
    return erased;
}

void THUMB_InitTemplates(int32_t common_image) {
    // The three looks of the software cursor in the common picture, and their search boxes.
    static constexpr struct {
        int32_t left, top, w, h, box;
    } kPictures[THUMB_TEMPLATES] = {{0, 112, 32, 26, 20}, {0, 138, 32, 32, 32}, {0, 170, 32, 32, 32}};
    DDSurface* s = IMG_Surface(common_image);
    DDSURFACEDESC2 d;
    for (int k = 0; k < THUMB_TEMPLATES; ++k) {
        THUMB_TEMPLATE& t = THUMB_CURSOR[k];
        t.box = kPictures[k].box;
        t.pixels.clear();
        if (!s || DD_LockSurface(s, &d) != 0) continue;
        const bool is565 = (d.ddpfPixelFormat.dwGBitMask & 0x400) != 0;
        if (d.ddpfPixelFormat.dwRGBBitCount == 16) {
            // Row by row from the top; the column moves one right so that the box's first column,
            // whose colour paints the picture over, never belongs to it.
            for (int32_t y = 0; y < kPictures[k].h; ++y)
                for (int32_t x = 0; x < kPictures[k].w; ++x) {
                    const int32_t sx = kPictures[k].left + x, sy = kPictures[k].top + y;
                    if (sx >= int32_t(d.dwWidth) || sy >= int32_t(d.dwHeight)) continue;
                    const uint16_t v = reinterpret_cast<const uint16_t*>(static_cast<const uint8_t*>(d.lpSurface) +
                                                                         int64_t(sy) * d.lPitch)[sx];
                    if (v == 0) continue;  // the colour key: not drawn
                    uint32_t rgb;
                    plat::Convert16To32(&v, &rgb, 1, is565);
                    t.pixels.push_back({int16_t(x + 1), int16_t(y), From555(To555(rgb))});
                }
        }
        s->Unlock(nullptr);
    }
}

void THUMB_Make() {
    THUMB_IMAGE capture;
    const int32_t size = THUMB_CaptureDib(plat::MainWindow(), RECT{0, 0, THUMB_CAPTURE_W, THUMB_CAPTURE_H}, capture);
    if (size < 0) return;  // the held thumbnail stays
    THUMB_BMP_VIEW view;
    THUMB_ParseBmp(&view, capture.data(), capture.size());
    for (const THUMB_TEMPLATE& t : THUMB_CURSOR) THUMB_EraseCursor(&view, t);
    THUMB_IMAGE shrunk;
    if (THUMB_Shrink(&view, shrunk, THUMB_WIDTH, THUMB_HEIGHT) > 0) THUMB_HELD.swap(shrunk);
}

const char* THUMB_FileName(int32_t slot) {
    static char name[32];
    if (slot >= 0 && slot < 98)
        std::snprintf(name, sizeof name, "save\\ov%02d.dat", int(slot));
    else if (slot >= 110 && slot < 120)
        std::snprintf(name, sizeof name, "save\\ova%02d.dat", int(slot - 110));
    else
        return nullptr;
    return name;
}

int THUMB_Write(int32_t slot) {
    const char* name = THUMB_FileName(slot);
    if (!name) return 0;
    return FIL_WriteFile(name, THUMB_HELD.data(), uint32_t(THUMB_HELD.size()));
}

void THUMB_Free() { THUMB_IMAGE().swap(THUMB_HELD); }
