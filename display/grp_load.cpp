// Pictures into surfaces in the surface's own format, the loaders, colour keys, surface saving.
#include "display/grp_load.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "display/blt_frame.h"
#include "display/dd_palette.h"
#include "platform/memory.h"

namespace {
uint16_t Pack(uint32_t r, uint32_t g, uint32_t b, bool is565) {
    return is565 ? uint16_t((r >> 3) << 11 | (g >> 2) << 5 | (b >> 3)) : uint16_t((r >> 3) << 10 | (g >> 3) << 5 | (b >> 3));
}

// A picture as the converter sees it: depth, palette and where each image row starts.
struct Picture {
    int bits = 0;  // 8, 16 (555) or 24 (blue, green, red)
    int32_t width = 0, height = 0;
    uint8_t rgb[256][3] = {};  // palette as red, green, blue; entries a bitmap lacks are black
    const uint8_t* base = nullptr;
    size_t stride = 0;
    bool bottom_up = false;
    const uint8_t* Row(int32_t y) const { return base + stride * size_t(bottom_up ? height - 1 - y : y); }
};

// Source rectangle clamped to the picture; a negative left or top moves the destination instead.
bool ClampSource(const Picture& p, const RECT* src, int32_t& x, int32_t& y, RECT& s) {
    if (!src) {
        s = RECT{0, 0, p.width, p.height};
        return true;
    }
    s = *src;
    int64_t nx = x, ny = y;
    if (s.left < 0) nx -= s.left, s.left = 0;
    if (s.top < 0) ny -= s.top, s.top = 0;
    s.right = std::min(s.right, p.width);
    s.bottom = std::min(s.bottom, p.height);
    if (nx > INT32_MAX || ny > INT32_MAX) return false;
    x = int32_t(nx);
    y = int32_t(ny);
    return s.left < s.right && s.top < s.bottom;
}

template <class Fn>
void EachRow(const DDSURFACEDESC2& d, int bytes, int32_t x, int32_t y, const RECT& s, const Picture& p, int src_bytes,
             Fn fn) {
    auto* base = static_cast<uint8_t*>(d.lpSurface);
    int w = s.right - s.left;
    for (int32_t r = s.top; r < s.bottom; ++r) {
        uint8_t* dst = base + size_t(y + (r - s.top)) * size_t(d.lPitch) + size_t(x) * bytes;
        fn(dst, p.Row(r) + size_t(s.left) * src_bytes, w);
    }
}

void Convert(const DDSURFACEDESC2& d, int32_t x, int32_t y, const RECT& s, const Picture& p) {
    int target = int(d.ddpfPixelFormat.dwRGBBitCount);
    bool is565 = DD_Is565(d.ddpfPixelFormat.dwGBitMask);
    int sb = p.bits / 8;
    if (target == 8) {
        if (p.bits != 8) return;  // only indices go into an 8-bit surface
        EachRow(d, 1, x, y, s, p, sb, [](uint8_t* dst, const uint8_t* src, int w) { std::memcpy(dst, src, size_t(w)); });
    } else if (target == 16) {
        if (p.bits == 8) {
            uint16_t table[256];
            for (int i = 0; i < 256; ++i) {
                uint16_t v = Pack(p.rgb[i][0], p.rgb[i][1], p.rgb[i][2], is565);
                table[i] = i == 255 ? 0 : (v ? v : 1);
            }
            EachRow(d, 2, x, y, s, p, sb, [&](uint8_t* dst, const uint8_t* src, int w) {
                for (int i = 0; i < w; ++i) std::memcpy(dst + 2 * i, &table[src[i]], 2);
            });
        } else if (p.bits == 16) {
            EachRow(d, 2, x, y, s, p, sb, [&](uint8_t* dst, const uint8_t* src, int w) {
                if (!is565) return void(std::memcpy(dst, src, size_t(w) * 2));
                for (int i = 0; i < w; ++i) {
                    uint16_t v = uint16_t(src[2 * i] | src[2 * i + 1] << 8);
                    uint16_t o = uint16_t((v & 0x7FE0) << 1 | (v & 0x1F));
                    std::memcpy(dst + 2 * i, &o, 2);
                }
            });
        } else {
            EachRow(d, 2, x, y, s, p, sb, [&](uint8_t* dst, const uint8_t* src, int w) {
                for (int i = 0; i < w; ++i) {
                    uint16_t o = Pack(src[3 * i + 2], src[3 * i + 1], src[3 * i], is565);
                    std::memcpy(dst + 2 * i, &o, 2);
                }
            });
        }
    } else if (target == 32) {
        auto put = [](uint8_t* dst, uint8_t b, uint8_t g, uint8_t r) {
            dst[0] = b, dst[1] = g, dst[2] = r, dst[3] = 0;
        };
        if (p.bits == 8) {
            EachRow(d, 4, x, y, s, p, sb, [&](uint8_t* dst, const uint8_t* src, int w) {
                for (int i = 0; i < w; ++i) {
                    const uint8_t* c = p.rgb[src[i]];
                    if (src[i] == 255)
                        put(dst + 4 * i, 0, 0, 0);
                    else if ((c[0] | c[1] | c[2]) == 0)
                        put(dst + 4 * i, 1, 0, 0);  // visible black stays visible
                    else
                        put(dst + 4 * i, c[2], c[1], c[0]);
                }
            });
        } else if (p.bits == 16) {
            EachRow(d, 4, x, y, s, p, sb, [&](uint8_t* dst, const uint8_t* src, int w) {
                for (int i = 0; i < w; ++i) {
                    uint16_t v = uint16_t(src[2 * i] | src[2 * i + 1] << 8);
                    put(dst + 4 * i, uint8_t((v & 0x1F) << 3), uint8_t(((v >> 5) & 0x1F) << 3), uint8_t(((v >> 10) & 0x1F) << 3));
                }
            });
        } else {
            EachRow(d, 4, x, y, s, p, sb, [&](uint8_t* dst, const uint8_t* src, int w) {
                for (int i = 0; i < w; ++i) put(dst + 4 * i, src[3 * i], src[3 * i + 1], src[3 * i + 2]);
            });
        }
    }
}

int Draw(DDSurface* surface, int32_t x, int32_t y, const Picture& p, const RECT* src) {
    DDSURFACEDESC2 d;
    if (DD_LockSurface(surface, &d) != DD_OK) return 0;
    RECT s;
    if (ClampSource(p, src, x, y, s) && BLT_ClipDest(&d, nullptr, &x, &y, &s, 0)) Convert(d, x, y, s, p);
    surface->Unlock(nullptr);
    return 1;
}

bool PictureOfGrp(const GRP_IMAGE* image, Picture& p) {
    if (!image || !image->pixels || image->width > INT32_MAX || image->height > INT32_MAX) return false;
    if (image->bpp != 8 && image->bpp != 16 && image->bpp != 24) return false;
    p.bits = image->bpp;
    p.width = int32_t(image->width);
    p.height = int32_t(image->height);
    p.base = image->pixels;
    p.stride = size_t(image->width) * (image->bpp / 8);
    if (image->bpp == 8 && image->palette) std::memcpy(p.rgb, image->palette, sizeof p.rgb);
    return true;
}

bool PictureOfDib(const void* dib, Picture& p) {
    GRP_DIB_LAYOUT l;
    // The readers have checked the block against its length; here only its layout is needed.
    if (!GRP_DibLayout(dib, SIZE_MAX, &l) || (l.bits != 8 && l.bits != 16 && l.bits != 24)) return false;
    p.bits = l.bits;
    p.width = l.width;
    p.height = l.height;
    p.base = l.rows;
    p.stride = l.stride;
    p.bottom_up = l.bottom_up;
    for (uint32_t i = 0; i < std::min<uint32_t>(l.colour_count, 256); ++i) {
        const uint8_t* q = l.colours + 4 * size_t(i);
        p.rgb[i][0] = q[2], p.rgb[i][1] = q[1], p.rgb[i][2] = q[0];
    }
    return true;
}

// The palette take-over of an 8-bit picture, when the caller asks for entries.
void TakePalette(const GRP_IMAGE& image, int first, int count) {
    if (count > 0 && image.bpp == 8) DD_PaletteFromGrp(&image, first, count);
}

uint32_t CapsFor(int video) { return video ? DD_CAPS_VIDEO : DD_CAPS_SYSTEM; }

void FillSize(SYS_SIZE* size, int64_t w, int64_t h) {
    if (size) SYS_SetPoint(size, int32_t(w), int32_t(h));
}

// Copies the name into a path buffer with ".grp" in place of its extension; false when too long.
bool GrpName(const char* name, char (&buf)[FIL_PATH_MAX]) {
    if (!name || std::strlen(name) >= FIL_PATH_MAX) {
        SYS_DebugPrint("GRP_SetGrpExt: name too long");
        return false;
    }
    std::strcpy(buf, name);
    GRP_SetGrpExt(buf);
    return buf[0] != 0;
}

// The 8-bit copy: index 255 stays transparent, the rest move with the palette range.
DDSurface* IndicesToSurface(const Picture& p, int shift, int video) {
    DDSurface* s = DD_CreateSurface(p.width, p.height, CapsFor(video));
    if (!s) return nullptr;
    DDSURFACEDESC2 d;
    if (DD_LockSurface(s, &d) != DD_OK) {
        DD_ReleaseSurface(s);
        return nullptr;
    }
    if (d.ddpfPixelFormat.dwRGBBitCount == 8) {
        for (int32_t y = 0; y < p.height; ++y) {
            uint8_t* dst = static_cast<uint8_t*>(d.lpSurface) + size_t(y) * size_t(d.lPitch);
            const uint8_t* src = p.Row(y);
            for (int32_t x = 0; x < p.width; ++x) dst[x] = src[x] == 255 ? 0 : uint8_t(src[x] + shift);
        }
    }
    s->Unlock(nullptr);
    return s;
}
}  // namespace

int GRP_ImageToSurface(DDSurface* surface, int32_t x, int32_t y, const GRP_IMAGE* image, const RECT* src) {
    auto p = std::make_unique<Picture>();
    if (!PictureOfGrp(image, *p)) return 1;
    return Draw(surface, x, y, *p, src);
}

int GRP_DibToSurface(DDSurface* surface, int32_t x, int32_t y, const void* dib, const RECT* src) {
    auto p = std::make_unique<Picture>();
    if (!PictureOfDib(dib, *p)) return 1;
    return Draw(surface, x, y, *p, src);
}

void GRP_SetGrpExt(char* name) {
    if (!name) return;
    if (char* dot = std::strrchr(name, '.')) *dot = 0;
    if (std::strlen(name) + 4 >= FIL_PATH_MAX) {
        SYS_DebugPrint("GRP_SetGrpExt: name too long");
        name[0] = 0;  // an empty name opens nothing
        return;
    }
    std::strcat(name, ".grp");
}

DDSurface* GRP_LoadSurface(const char* name, int first, int count, int video, SYS_SIZE* size) {
    char buf[FIL_PATH_MAX];
    return GrpName(name, buf) ? GRP_LoadGrpSurface(buf, first, count, video, size) : nullptr;
}

DDSurface* GRP_LoadGrpSurface(const char* name, int first, int count, int video, SYS_SIZE* size) {
    GRP_IMAGE image;
    if (!GRP_ReadGrp(name, &image)) return nullptr;
    TakePalette(image, first, count);
    FillSize(size, image.width, image.height);
    DDSurface* s = DD_CreateSurface(int(std::min<uint32_t>(image.width, INT32_MAX)),
                                    int(std::min<uint32_t>(image.height, INT32_MAX)), CapsFor(video));
    if (s) GRP_ImageToSurface(s, 0, 0, &image, nullptr);
    GRP_FreeImage(&image);
    return s;
}

DDSurface* GRP_LoadDatSurface(const char* name, int first, int count, int video, SYS_SIZE* size) {
    void* dib = nullptr;
    size_t bytes = 0;
    if (!GRP_ReadDat(name, &dib, &bytes)) return nullptr;
    GRP_DIB_LAYOUT l;
    GRP_DibLayout(dib, bytes, &l);
    if (count > 0 && l.bits == 8) DD_PaletteFromDib(static_cast<const uint8_t*>(dib), bytes, first, count);
    FillSize(size, l.width, l.height);
    DDSurface* s = DD_CreateSurface(l.width, l.height, CapsFor(video));
    if (s) GRP_DibToSurface(s, 0, 0, dib, nullptr);
    plat::Free(dib);
    return s;
}

int GRP_LoadToSurface(DDSurface* surface, const char* name, int first, int count, int video, SYS_SIZE* size) {
    char buf[FIL_PATH_MAX];
    return GrpName(name, buf) ? GRP_LoadGrpToSurface(surface, buf, first, count, video, size) : 0;
}

int GRP_LoadGrpToSurface(DDSurface* surface, const char* name, int first, int count, int video, SYS_SIZE* size) {
    GRP_IMAGE image;
    if (!GRP_ReadGrp(name, &image)) return 0;
    TakePalette(image, first, count);
    FillSize(size, image.width, image.height);
    int ok = GRP_ImageToSurface(surface, 0, 0, &image, nullptr);
    if (!ok) SYS_DebugPrint("%s: surface could not be locked", name);
    GRP_FreeImage(&image);
    return ok;
}

namespace {
// Cuts both palette ranges to the 256 entries; false when the request lies outside them. Worked
// in 64 bits: the caller's first and count may be anything.
bool ClampRanges(int& dfirst_io, int& ifirst_io, int& count_io) {
    int64_t dfirst = dfirst_io, ifirst = ifirst_io, count = count_io;
    if (dfirst + count < 0 || dfirst >= 256 || ifirst + count < 0 || ifirst >= 256) return false;
    if (dfirst < 0) count += dfirst, ifirst -= dfirst, dfirst = 0;
    if (dfirst + count > 256) count = 256 - dfirst;
    if (ifirst < 0) count += ifirst, dfirst -= ifirst, ifirst = 0;
    if (ifirst + count > 256) count = 256 - ifirst;
    // Both ranges now lie in the table, or count <= 0 and no entry is taken over; the index
    // shift only matters modulo 256.
    dfirst_io = int(dfirst & 0xFF), ifirst_io = int(ifirst & 0xFF), count_io = int(std::max<int64_t>(count, 0));
    return true;
}

DDSurface* Load8(const Picture& p, int dfirst, int ifirst, int count, int video, SYS_SIZE* size) {
    if (count > 0) {
        PALETTEENTRY e[256];
        for (int i = 0; i < count; ++i) e[i] = PALETTEENTRY{p.rgb[ifirst + i][0], p.rgb[ifirst + i][1], p.rgb[ifirst + i][2], 0};
        DD_SetPaletteQuad(e, dfirst, count);
    }
    FillSize(size, p.width, p.height);
    return IndicesToSurface(p, dfirst - ifirst, video);
}
}  // namespace

DDSurface* GRP_LoadBmpSurface8(const char* name, int dfirst, int ifirst, int count, int video, SYS_SIZE* size) {
    if (DD_DISPLAY.bpp != 8) {
        return GRP_HasExt(name, ".bmp") ? GRP_LoadSurface(name, ifirst, count, video, size)
                               : GRP_LoadGrpSurface(name, ifirst, count, video, size);
    }
    if (!ClampRanges(dfirst, ifirst, count)) return nullptr;
    void* dib = nullptr;
    if (!GRP_ReadBmp(name, &dib)) return nullptr;
    auto p = std::make_unique<Picture>();
    DDSurface* s = nullptr;
    if (PictureOfDib(dib, *p) && p->bits == 8)
        s = Load8(*p, dfirst, ifirst, count, video, size);
    else
        SYS_DebugPrint("%s: not an 8-bit picture", name);
    plat::Free(dib);
    return s;
}

DDSurface* GRP_LoadGrpSurface8(const char* name, int dfirst, int ifirst, int count, int video, SYS_SIZE* size) {
    if (DD_DISPLAY.bpp != 8) return GRP_LoadGrpSurface(name, ifirst, count, video, size);
    if (!ClampRanges(dfirst, ifirst, count)) return nullptr;
    GRP_IMAGE image;
    if (!GRP_ReadGrp(name, &image)) return nullptr;
    auto p = std::make_unique<Picture>();
    DDSurface* s = nullptr;
    if (PictureOfGrp(&image, *p) && p->bits == 8)
        s = Load8(*p, dfirst, ifirst, count, video, size);
    else
        SYS_DebugPrint("%s: not an 8-bit picture", name);
    GRP_FreeImage(&image);
    return s;
}

HRESULT DD_SetColorKey(DDSurface* surface, uint32_t colour) {
    if (!surface) return DDERR_INVALIDPARAMS;
    DDCOLORKEY key{colour, colour};
    return surface->SetColorKey(DDCKEY_SRCBLT, &key);
}

DD_SURFACE_SAVE* DD_SaveSurface(DDSurface* surface) {
    DDSURFACEDESC2 d;
    if (!surface || DD_LockSurface(surface, &d) != DD_OK) return nullptr;
    uint32_t bpp = d.ddpfPixelFormat.dwRGBBitCount / 8;
    uint64_t row = uint64_t(d.dwWidth) * bpp;
    auto* block = static_cast<DD_SURFACE_SAVE*>(plat::AllocZero(size_t(sizeof(DD_SURFACE_SAVE) + row * d.dwHeight)));
    if (block) {
        block->width = d.dwWidth;
        block->height = d.dwHeight;
        block->system_memory = ((d.dwFlags & DDSD_CAPS) && (d.dwCaps & DDSCAPS_SYSTEMMEMORY)) ? 1 : 0;
        DDCOLORKEY key;
        block->key = surface->GetColorKey(DDCKEY_SRCBLT, &key) == DD_OK ? int32_t(key.dwColorSpaceLowValue) : -1;
        block->bytes_per_pixel = bpp;
        auto* out = reinterpret_cast<uint8_t*>(block + 1);
        for (uint32_t y = 0; y < d.dwHeight; ++y)
            std::memcpy(out + row * y, static_cast<uint8_t*>(d.lpSurface) + size_t(d.lPitch) * y, size_t(row));
    }
    surface->Unlock(nullptr);
    return block;
}

DDSurface* DD_RestoreSurface(DD_SURFACE_SAVE** block) {
    if (!block || !*block) return nullptr;
    DD_SURFACE_SAVE* b = *block;
    DDSurface* s = DD_CreateSurface(int(std::min<uint32_t>(b->width, INT32_MAX)), int(std::min<uint32_t>(b->height, INT32_MAX)),
                                    b->system_memory == 1 ? DD_CAPS_SYSTEM : DD_CAPS_VIDEO);
    if (!s) return nullptr;
    if (b->key != -1) DD_SetColorKey(s, uint32_t(b->key));
    DDSURFACEDESC2 d;
    if (DD_LockSurface(s, &d) != DD_OK) {
        DD_ReleaseSurface(s);
        return nullptr;
    }
    if (d.ddpfPixelFormat.dwRGBBitCount / 8 != b->bytes_per_pixel) {
        SYS_DebugPrint("DD_RestoreSurface: saved at %u bytes per pixel, display now %u", b->bytes_per_pixel,
                       d.ddpfPixelFormat.dwRGBBitCount / 8);
        s->Unlock(nullptr);
        DD_ReleaseSurface(s);
        return nullptr;
    }
    size_t row = size_t(b->width) * b->bytes_per_pixel;
    auto* in = reinterpret_cast<const uint8_t*>(b + 1);
    for (uint32_t y = 0; y < b->height; ++y)
        std::memcpy(static_cast<uint8_t*>(d.lpSurface) + size_t(d.lPitch) * y, in + row * y, row);
    s->Unlock(nullptr);
    plat::Free(b);
    *block = nullptr;
    return s;
}
