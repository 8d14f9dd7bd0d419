// Display start-up, mode switches, presentation, off-screen surfaces and the global clip rectangle.
#include "display/dd_display.h"

#include "display/blt_frame.h"
#include "display/blt_level.h"
#include "display/dd_palette.h"
#include "platform/msgbox.h"
#include "services/fil_util.h"
#include "shell/sysdat.h"

DdDisplay DD_DISPLAY;
// 565 until the first display reads its own format.
DdPixelFormat DD_PIXEL_FORMAT{31, 63, 31, 3, 2, 3, 0, 5, 11, 0xF800, 0x07E0, 0x001F};
RECT DD_CLIP_RECT;

namespace {
DDSURFACEDESC2 EmptyDesc() {
    DDSURFACEDESC2 d{};
    d.dwSize = DDSD_SIZE;
    return d;
}

// Creates the primary surface (and the flip chain) through the older interface, as the device offers it.
bool CreatePrimary(bool flip_chain) {
    DDSURFACEDESC2 d = EmptyDesc();
    d.dwFlags = DDSD_CAPS;
    d.dwCaps = DDSCAPS_PRIMARYSURFACE;
    if (flip_chain) {
        d.dwFlags |= DDSD_BACKBUFFERCOUNT;
        d.dwBackBufferCount = 1;
        d.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;  // 0x218
    }
    return DD_DISPLAY.dd->CreateSurface(&d, &DD_DISPLAY.primary) == DD_OK;
}

// A back buffer made by DD_CreateSurface does not count as a live off-screen surface.
bool CreateBackBuffer(uint32_t caps) {
    DD_DISPLAY.back = DD_CreateSurface(DD_DISPLAY.width, DD_DISPLAY.height, caps);
    if (!DD_DISPLAY.back) return false;
    --DD_DISPLAY.surface_count;
    return true;
}

template <class T>
void ReleaseAndClear(T*& p) {
    if (p) {
        p->Release();
        p = nullptr;
    }
}
}  // namespace

int DD_Init(plat::Window* window, int width, int height, uint16_t bpp, int32_t* full, int flip, int hardware) {
    if (!full) {
        SYS_DebugPrint("DD_Init: no full-screen flag");
        return 0;
    }
    DD_DISPLAY.desktop_bpp = static_cast<uint16_t>(plat::DesktopBitsPerPixel());
    if (*full == 0 && bpp != DD_DISPLAY.desktop_bpp) {
        // ウィンドウモードでは実行できません。\nフルスクリーンモードで実行します。 / 情報
        int answer = plat::MessageBox("\x83" "E\x83" "B\x83\x93\x83h\x83" "E\x83\x82\x81[\x83h\x82\xc5\x82\xcd\x8e\xc0\x8ds"
                                      "\x82\xc5\x82\xab\x82\xdc\x82\xb9\x82\xf1\x81" "B\n\x83t\x83\x8b\x83X\x83N\x83\x8a\x81["
                                      "\x83\x93\x83\x82\x81[\x83h\x82\xc5\x8e\xc0\x8ds\x82\xb5\x82\xdc\x82\xb7\x81" "B",
                                      "\x8f\xee\x95\xf1",
                                      plat::MB_OKCANCEL | plat::MB_ICONINFORMATION | plat::MB_TASKMODAL);
        if (answer != plat::IDOK) return 0;
        SYS_DATA.window_mode = 0;
        *full = 1;
    }
    plat::ShowWindow(window, true);
    plat::UpdateWindow(window);
    if (!DD_CreateDisplay(window, width, height, bpp, *full, flip, hardware)) return 0;
    if (bpp == 8 && !DD_PaletteStartup()) return DD_InitFailed();
    DD_DISPLAY.surface_count = 0;
    DD_SetClipRect(0, 0, width, height);
    DD_FadeClear();
    BLT_BuildTables();
    return 1;
}

int DD_CreateDisplay(plat::Window* window, int width, int height, uint16_t bpp, int32_t full, int flip, int hardware) {
    DD_DISPLAY.window = window;
    DD_DISPLAY.width = width;
    DD_DISPLAY.height = height;
    DD_DISPLAY.bpp = bpp;
    DD_DISPLAY.full_screen = full;
    DD_DISPLAY.flip_chain = 0;
    DD_Release();

    DDObject* dd = nullptr;
    if (DDObject::Create(hardware == 0, &dd) != DD_OK) return DD_InitFailed();
    DD_DISPLAY.dd = dd;
    dd->AddRef();  // the newer interface of the same device
    DD_DISPLAY.dd4 = dd;

    if (full) {
        if (dd->SetCooperativeLevel(window, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE | DDSCL_ALLOWMODEX) != DD_OK)
            return DD_InitFailed();
        if (dd->SetDisplayMode(static_cast<uint32_t>(width), static_cast<uint32_t>(height), bpp) != DD_OK)
            return DD_InitFailed();
        if (flip) {
            DD_DISPLAY.flip_chain = 1;
            if (!CreatePrimary(true)) return DD_InitFailed();
            if (DD_DISPLAY.primary->GetAttachedSurface(DDSCAPS_BACKBUFFER, &DD_DISPLAY.back) != DD_OK)
                return DD_InitFailed();
        } else {
            if (!CreatePrimary(false)) return DD_InitFailed();
            if (!CreateBackBuffer(DD_CAPS_SYSTEM)) return DD_InitFailed();
        }
    } else {
        if (dd->SetCooperativeLevel(window, DDSCL_NORMAL) != DD_OK) return DD_InitFailed();
        if (!CreatePrimary(false)) return DD_InitFailed();
        if (dd->CreateClipper(0, &DD_DISPLAY.clipper) != DD_OK) return DD_InitFailed();
        if (DD_DISPLAY.clipper->SetHWnd(0, window) != DD_OK) return DD_InitFailed();
        if (DD_DISPLAY.primary->SetClipper(DD_DISPLAY.clipper) != DD_OK) return DD_InitFailed();
        if (!CreateBackBuffer(flip ? DD_CAPS_VIDEO : DD_CAPS_SYSTEM)) return DD_InitFailed();
    }
    if (bpp == 16) DD_ReadPixelFormat(DD_DISPLAY.back);
    return 1;
}

int DD_ChangeMode(int width, int height, uint16_t bpp, int32_t full, int flip, int hardware) {
    if (!full && bpp != DD_DISPLAY.desktop_bpp) return 0;
    if (DD_DISPLAY.surface_count != 0)
        SYS_DebugPrintNoCrlf("Error : Not Release Surface ( %d )\n", DD_DISPLAY.surface_count);
    return DD_CreateDisplay(DD_DISPLAY.window, width, height, bpp, full, flip, hardware);
}

void DD_Release() {
    ReleaseAndClear(DD_DISPLAY.clipper);
    ReleaseAndClear(DD_DISPLAY.palette);
    ReleaseAndClear(DD_DISPLAY.back);
    ReleaseAndClear(DD_DISPLAY.primary);
    ReleaseAndClear(DD_DISPLAY.dd4);
    ReleaseAndClear(DD_DISPLAY.dd);
}

int DD_InitFailed() {
    DD_Release();
    // DirectDrawの初期化に失敗しました。\nプログラムを強制終了します。 / エラー
    plat::MessageBox("DirectDraw\x82\xcc\x8f\x89\x8a\xfa\x89\xbb\x82\xc9\x8e\xb8\x94s\x82\xb5\x82\xdc\x82\xb5\x82\xbd\x81"
                     "B\n\x83v\x83\x8d\x83O\x83\x89\x83\x80\x82\xf0\x8b\xad\x90\xa7\x8fI\x97\xb9\x82\xb5\x82\xdc\x82\xb7\x81" "B",
                     "\x83G\x83\x89\x81[", plat::MB_ICONEXCLAMATION | plat::MB_TASKMODAL);
    return 0;
}

int DD_ReadPixelFormat(DDSurface* surface) {
    DDSURFACEDESC2 d;
    if (DD_GetSurfaceDesc(surface, &d) != DD_OK) return 0;
    auto channel = [](uint32_t mask, uint8_t& bits, uint8_t& loss, uint8_t& shift) {
        uint8_t s = 0;
        while (mask && !(mask & 1)) {
            mask >>= 1;
            ++s;
        }
        shift = s;
        bits = static_cast<uint8_t>(mask);
        loss = bits == 31 ? 3 : 2;
    };
    DdPixelFormat& f = DD_PIXEL_FORMAT;
    channel(d.ddpfPixelFormat.dwBBitMask, f.b_bits, f.b_loss, f.b_shift);
    channel(d.ddpfPixelFormat.dwGBitMask, f.g_bits, f.g_loss, f.g_shift);
    channel(d.ddpfPixelFormat.dwRBitMask, f.r_bits, f.r_loss, f.r_shift);
    f.b_mask = static_cast<uint16_t>(~((0xFFFFu >> f.g_shift) << f.g_shift));
    f.g_mask = static_cast<uint16_t>(~((((0xFFFFu >> f.r_shift) << f.r_shift) & 0xFFFF) + f.b_mask));
    f.r_mask = static_cast<uint16_t>(0xFFFF - (f.g_mask + f.b_mask));
    if (f.g_loss == 3) f.r_mask &= 0x7FFF;
    return 1;
}

void DD_Present() {
    DdDisplay& d = DD_DISPLAY;
    if (!d.primary || !d.back) return;
    if (!d.full_screen) {
        RECT client;
        plat::GetClientRect(d.window, &client);
        RECT screen = client;
        SYS_ClientToScreenRect(d.window, &screen);
        d.primary->Blt(&screen, d.back, &client, DDBLT_WAIT, nullptr);
    } else if (d.flip_chain) {
        d.primary->Flip(nullptr, DDFLIP_WAIT);
    } else {
        RECT r{0, 0, d.width, d.height};
        d.primary->Blt(&r, d.back, &r, DDBLT_WAIT, nullptr);
    }
}

void DD_ClearScreen() {
    for (int i = 0; i < 2; ++i) {
        if (DD_DISPLAY.back) BLT_FillRect(DD_DISPLAY.back, nullptr, 0);
        DD_Present();
    }
}

DDSurface* DD_CreateSurface(int width, int height, uint32_t caps) {
    if (!DD_DISPLAY.dd4 || width <= 0 || height <= 0) return nullptr;
    DDSURFACEDESC2 d = EmptyDesc();
    d.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
    d.dwWidth = static_cast<uint32_t>(width);
    d.dwHeight = static_cast<uint32_t>(height);
    d.dwCaps = caps;
    DDSurface* s = nullptr;
    if (DD_DISPLAY.dd4->CreateSurface(&d, &s) != DD_OK) return nullptr;
    BLT_FillRect(s, nullptr, 0);
    ++DD_DISPLAY.surface_count;
    return s;
}

HRESULT DD_ReleaseSurface(DDSurface* surface) {
    if (!DD_DISPLAY.dd || !DD_DISPLAY.dd4 || !surface) return 0;
    --DD_DISPLAY.surface_count;
    // A lost surface is released too: keeping it would only leak it.
    return static_cast<HRESULT>(surface->Release());
}

void DD_SetClipRect(int32_t x, int32_t y, int32_t width, int32_t height) {
    SYS_SetRectWH(&DD_CLIP_RECT, x, y, width, height);
}

void DD_SetClipRectFromRect(const RECT* rect) { SYS_CopyRect(&DD_CLIP_RECT, rect); }

HRESULT DD_SetClipperWindow(plat::Window* window) {
    if (DD_DISPLAY.full_screen || !DD_DISPLAY.clipper) return 0;
    return DD_DISPLAY.clipper->SetHWnd(0, window);
}

HRESULT DD_FlipToGDI() {
    if (!DD_DISPLAY.full_screen || !DD_DISPLAY.dd4) return 0;
    return DD_DISPLAY.dd4->FlipToGDISurface();
}

DDSurface* DD_GetGDISurface() {
    if (!DD_DISPLAY.full_screen) return DD_DISPLAY.primary;
    if (!DD_DISPLAY.dd4) return nullptr;
    DD_DISPLAY.dd4->FlipToGDISurface();
    DDSurface* s = nullptr;
    if (DD_DISPLAY.dd4->GetGDISurface(&s) != DD_OK) return nullptr;
    s->Release();  // the display keeps its own reference to the primary
    return s;
}
