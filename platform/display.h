// Display device and surfaces: the operations the game calls on its display, with their refusals.
//
// Surfaces are plain memory in both backends; the backend only shows the primary surface.
// Rules the game relies on: a rectangle outside its surface is refused and nothing is drawn;
// a locked surface refuses blits and further locks; a lost surface refuses everything but
// Release and IsLost.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/types.h"

namespace plat {
struct Window;
}

// ---- result codes ----
constexpr HRESULT DD_OK = 0;
constexpr HRESULT DDERR_GENERIC = -1;
constexpr HRESULT DDERR_INVALIDPARAMS = -2;
constexpr HRESULT DDERR_INVALIDRECT = -3;
constexpr HRESULT DDERR_SURFACEBUSY = -4;
constexpr HRESULT DDERR_SURFACELOST = -5;
constexpr HRESULT DDERR_OUTOFMEMORY = -6;
constexpr HRESULT DDERR_NOTLOCKED = -7;
constexpr HRESULT DDERR_NOCOLORKEY = -8;
constexpr HRESULT DDERR_INVALIDPIXELFORMAT = -9;
constexpr HRESULT DDERR_UNSUPPORTED = -10;
constexpr HRESULT DDERR_BLTFASTCANTCLIP = -11;
constexpr HRESULT DDERR_NOCLIPPERATTACHED = -12;
constexpr HRESULT DDERR_INVALIDMODE = -13;
constexpr HRESULT DDERR_NOTFOUND = -14;
constexpr HRESULT DDERR_NOEXCLUSIVEMODE = -15;

// ---- surface descriptor ----
constexpr uint32_t DDSD_SIZE = 124;  // the size every descriptor carries
constexpr uint32_t DDSD_CAPS = 0x1;
constexpr uint32_t DDSD_HEIGHT = 0x2;
constexpr uint32_t DDSD_WIDTH = 0x4;
constexpr uint32_t DDSD_PITCH = 0x8;
constexpr uint32_t DDSD_BACKBUFFERCOUNT = 0x20;
constexpr uint32_t DDSD_PIXELFORMAT = 0x1000;
constexpr uint32_t DDSD_CKSRCBLT = 0x10000;

constexpr uint32_t DDSCAPS_BACKBUFFER = 0x4;
constexpr uint32_t DDSCAPS_COMPLEX = 0x8;
constexpr uint32_t DDSCAPS_FLIP = 0x10;
constexpr uint32_t DDSCAPS_OFFSCREENPLAIN = 0x40;
constexpr uint32_t DDSCAPS_PRIMARYSURFACE = 0x200;
constexpr uint32_t DDSCAPS_SYSTEMMEMORY = 0x800;
constexpr uint32_t DDSCAPS_VIDEOMEMORY = 0x4000;

struct DDCOLORKEY {
    uint32_t dwColorSpaceLowValue = 0;
    uint32_t dwColorSpaceHighValue = 0;
};

struct DDPIXELFORMAT {
    uint32_t dwRGBBitCount = 0;
    uint32_t dwRBitMask = 0;
    uint32_t dwGBitMask = 0;
    uint32_t dwBBitMask = 0;
};

struct DDSURFACEDESC2 {
    uint32_t dwSize = 0;
    uint32_t dwFlags = 0;
    uint32_t dwHeight = 0;
    uint32_t dwWidth = 0;
    int32_t lPitch = 0;
    uint32_t dwBackBufferCount = 0;
    void* lpSurface = nullptr;  // valid only while locked
    DDPIXELFORMAT ddpfPixelFormat;
    uint32_t dwCaps = 0;
    DDCOLORKEY ddckCKSrcBlt;  // the source colour key, when dwFlags has DDSD_CKSRCBLT
};

// ---- blits ----
constexpr uint32_t DDBLT_COLORFILL = 0x400;
constexpr uint32_t DDBLT_DDFX = 0x800;
constexpr uint32_t DDBLT_KEYSRC = 0x8000;
constexpr uint32_t DDBLT_WAIT = 0x1000000;
constexpr uint32_t DDBLTFAST_SRCCOLORKEY = 0x1;
constexpr uint32_t DDBLTFAST_WAIT = 0x10;
constexpr uint32_t DDBLTFX_MIRRORLEFTRIGHT = 0x2;
constexpr uint32_t DDBLTFX_MIRRORUPDOWN = 0x4;
constexpr uint32_t DDFLIP_WAIT = 0x1;
constexpr uint32_t DDLOCK_WAIT = 0x1;
constexpr uint32_t DDCKEY_SRCBLT = 0x8;

struct DDBLTFX {
    uint32_t dwSize = 0;  // 100
    uint32_t dwDDFX = 0;
    uint32_t dwFillColor = 0;
};

// ---- cooperative levels and palettes ----
constexpr uint32_t DDSCL_FULLSCREEN = 0x1;
constexpr uint32_t DDSCL_ALLOWMODEX = 0x40;
constexpr uint32_t DDSCL_NORMAL = 0x8;
constexpr uint32_t DDSCL_EXCLUSIVE = 0x10;
constexpr uint32_t DDPCAPS_8BIT = 0x4;
constexpr uint32_t DDPCAPS_ALLOW256 = 0x40;

struct PALETTEENTRY {
    uint8_t peRed = 0, peGreen = 0, peBlue = 0, peFlags = 0;
};
constexpr uint8_t PC_RESERVED = 1;

class DDObject;
class DDClipper;

// A 256-entry palette attached to 8-bit surfaces.
class DDPalette {
public:
    uint32_t AddRef();
    uint32_t Release();
    HRESULT SetEntries(uint32_t flags, uint32_t first, uint32_t count, const PALETTEENTRY* entries);
    HRESULT GetEntries(uint32_t flags, uint32_t first, uint32_t count, PALETTEENTRY* out) const;
    const PALETTEENTRY* Entries() const { return entries_; }

private:
    friend class DDObject;
    PALETTEENTRY entries_[256]{};
    uint32_t refs_ = 1;
};

// A clipper ties the primary surface of a windowed display to its window's client area.
class DDClipper {
public:
    uint32_t AddRef();
    uint32_t Release();
    HRESULT SetHWnd(uint32_t flags, plat::Window* window);
    plat::Window* HWnd() const { return window_; }

private:
    friend class DDObject;
    plat::Window* window_ = nullptr;
    uint32_t refs_ = 1;
};

// A rectangle of pixels in memory.
class DDSurface {
public:
    uint32_t AddRef();
    uint32_t Release();

    HRESULT GetSurfaceDesc(DDSURFACEDESC2* desc) const;
    HRESULT Lock(const RECT* rect, DDSURFACEDESC2* desc, uint32_t flags);
    HRESULT Unlock(const RECT* rect);
    HRESULT IsLost() const;
    HRESULT Restore();
    HRESULT SetColorKey(uint32_t flags, const DDCOLORKEY* key);  // null key removes it
    HRESULT GetColorKey(uint32_t flags, DDCOLORKEY* key) const;
    HRESULT Blt(const RECT* dest, DDSurface* src, const RECT* src_rect, uint32_t flags, const DDBLTFX* fx);
    HRESULT BltFast(int32_t x, int32_t y, DDSurface* src, const RECT* src_rect, uint32_t flags);
    HRESULT Flip(DDSurface* target, uint32_t flags);
    HRESULT GetAttachedSurface(uint32_t caps, DDSurface** out);
    HRESULT SetClipper(DDClipper* clipper);
    HRESULT SetPalette(DDPalette* palette);

    // Inspection for the platform and tests (not part of what the game calls).
    int Width() const { return width_; }
    int Height() const { return height_; }
    int Pitch() const { return pitch_; }
    int Bpp() const { return format_.dwRGBBitCount; }
    const DDPIXELFORMAT& Format() const { return format_; }
    uint32_t Caps() const { return caps_; }
    uint8_t* Memory() { return mem_; }
    const uint8_t* Memory() const { return mem_; }
    bool IsLocked() const { return locked_; }
    bool IsPrimary() const { return (caps_ & DDSCAPS_PRIMARYSURFACE) != 0; }
    DDPalette* Palette() const { return palette_; }
    void MarkLost() { lost_ = true; }

private:
    friend class DDObject;
    DDSurface() = default;
    ~DDSurface();
    HRESULT CheckUsable() const;
    HRESULT CheckSource(const DDSurface* src, const RECT* src_rect, bool keyed, RECT* out) const;
    // Copies s of src onto d (only its visible part vis), mirrored by ddfx, then shows the result.
    void CopyFrom(const DDSurface* src, const RECT& d, const RECT& vis, const RECT& s, uint32_t ddfx, bool keyed);
    void Presented();

    DDObject* owner_ = nullptr;
    int width_ = 0, height_ = 0, pitch_ = 0;
    DDPIXELFORMAT format_;
    uint32_t caps_ = 0;
    std::vector<uint8_t> storage_;
    uint8_t* mem_ = nullptr;
    bool locked_ = false;
    bool lost_ = false;
    bool has_key_ = false;
    uint32_t key_ = 0;
    DDClipper* clipper_ = nullptr;
    DDPalette* palette_ = nullptr;
    DDSurface* back_ = nullptr;  // attached back buffer of a flip chain
    uint32_t refs_ = 1;
};

// The display device: display mode, surfaces, clippers and palettes.
class DDObject {
public:
    // The device itself; emulation_only asks for software only (no observable difference here).
    static HRESULT Create(bool emulation_only, DDObject** out);
    uint32_t AddRef();
    uint32_t Release();

    HRESULT SetCooperativeLevel(plat::Window* window, uint32_t flags);
    HRESULT SetDisplayMode(uint32_t width, uint32_t height, uint32_t bpp);
    HRESULT RestoreDisplayMode();
    HRESULT CreateSurface(const DDSURFACEDESC2* desc, DDSurface** out);
    HRESULT CreateClipper(uint32_t flags, DDClipper** out);
    HRESULT CreatePalette(uint32_t flags, const PALETTEENTRY* entries, DDPalette** out);
    HRESULT FlipToGDISurface();
    HRESULT GetGDISurface(DDSurface** out);

    // Surfaces still alive on this device (for tests).
    int LiveSurfaces() const { return static_cast<int>(surfaces_.size()); }

private:
    friend class DDSurface;
    DDObject() = default;
    ~DDObject();
    void Forget(DDSurface* s);
    std::vector<DDSurface*> surfaces_;
    plat::Window* window_ = nullptr;
    bool exclusive_ = false;
    uint32_t mode_w_ = 0, mode_h_ = 0, mode_bpp_ = 0;
    DDSurface* primary_ = nullptr;
    uint32_t refs_ = 1;
};

namespace plat {
// Desktop colour depth in bits per pixel (the display context's BITSPIXEL).
int DesktopBitsPerPixel();

// The system palette of an 8-bit desktop (entries first .. first + count - 1).
void GetSystemPaletteEntries(uint32_t first, uint32_t count, PALETTEENTRY* out);

// The last frame shown, as 0x00RRGGBB pixels, and how many frames have been shown.
struct Frame {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;
};
const Frame& LastPresentedFrame();
uint64_t PresentedFrameCount();
// Frames handed to the backend: a presented frame that repeats the last one is not handed over
// again while the window still shows it.
uint64_t ShownFrameCount();

// Converts rows of 16-bit pixels (565 when g_mask has bit 0x400, else 555) to 0x00RRGGBB,
// replicating high bits into low so that white stays white.
void Convert16To32(const uint16_t* src, uint32_t* dst, int count, bool is565);

// Writes a frame as a PNG file (atomically); false on failure.
bool WritePng(const char* utf8_path, const Frame& frame);
}  // namespace plat
