// The display: device, mode, primary surface and back buffer, pixel format, clip rectangle.
#pragma once
#include <cstdint>

#include "platform/display.h"
#include "platform/window.h"

struct DdDisplay {
    int32_t surface_count = 0;       // off-screen surfaces made by DD_CreateSurface and not yet freed
    DDSurface* primary = nullptr;
    DDSurface* back = nullptr;       // the frame every mode draws into
    DDClipper* clipper = nullptr;    // windowed only
    DDPalette* palette = nullptr;    // 8 bits per pixel only
    plat::Window* window = nullptr;
    uint16_t desktop_bpp = 0;
    DDObject* dd = nullptr;          // the device as created
    DDObject* dd4 = nullptr;         // the same device through its newer interface
    uint16_t bpp = 0;
    int32_t width = 0, height = 0;
    int32_t full_screen = 0;
    int32_t flip_chain = 0;
};

struct DdPixelFormat {
    uint8_t b_bits, g_bits, r_bits;     // channel masks shifted down to bit 0
    uint8_t b_loss, g_loss, r_loss;     // right shift of an 8-bit channel
    uint8_t b_shift, g_shift, r_shift;  // position of each channel's lowest bit
    uint16_t r_mask, g_mask, b_mask;
};

extern DdDisplay DD_DISPLAY;
extern DdPixelFormat DD_PIXEL_FORMAT;
extern RECT DD_CLIP_RECT;  // every software and hardware blit clips against it

// Surface capabilities of DD_CreateSurface.
constexpr uint32_t DD_CAPS_VIDEO = 0x40;    // where the platform prefers
constexpr uint32_t DD_CAPS_SYSTEM = 0x840;  // system memory

int DD_Init(plat::Window* window, int width, int height, uint16_t bpp, int32_t* full_screen, int flip, int hardware);
int DD_CreateDisplay(plat::Window* window, int width, int height, uint16_t bpp, int32_t full_screen, int flip,
                     int hardware);
int DD_ChangeMode(int width, int height, uint16_t bpp, int32_t full_screen, int flip, int hardware);
void DD_Release();
int DD_InitFailed();
int DD_ReadPixelFormat(DDSurface* surface);
void DD_Present();
void DD_ClearScreen();
DDSurface* DD_CreateSurface(int width, int height, uint32_t caps);
HRESULT DD_ReleaseSurface(DDSurface* surface);
void DD_SetClipRect(int32_t x, int32_t y, int32_t width, int32_t height);
void DD_SetClipRectFromRect(const RECT* rect);
HRESULT DD_SetClipperWindow(plat::Window* window);
HRESULT DD_FlipToGDI();
DDSurface* DD_GetGDISurface();

// An 8-bit-per-channel colour in the screen's pixel format (low bits dropped).
inline uint16_t DD_RGB(uint32_t r, uint32_t g, uint32_t b) {
    const DdPixelFormat& f = DD_PIXEL_FORMAT;
    return static_cast<uint16_t>((((r & 0xFF) >> f.r_loss) << f.r_shift) | (((g & 0xFF) >> f.g_loss) << f.g_shift) |
                                 (((b & 0xFF) >> f.b_loss) << f.b_shift));
}

// True when a surface descriptor's green mask says 565.
inline bool DD_Is565(uint32_t g_mask) { return (g_mask & 0x400) != 0; }
