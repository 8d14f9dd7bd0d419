// The 8-bit palette, per-entry brightness levels and timed brightness fades.
#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/display.h"

struct GRP_IMAGE;

struct DdFade {
    uint8_t active = 0;
    uint8_t running = 0;
    int16_t first = 0;
    int16_t count = 0;
    uint32_t start_time = 0;
    uint32_t duration = 0;
    int16_t start_level[256]{};
    int16_t delta[256]{};
};

extern PALETTEENTRY DD_PALETTE[256];
// Per entry: 256 as it is, 0-255 darker (0 black), 257-512 toward white (512 white).
extern int16_t DD_BRIGHTNESS[256];
extern DdFade DD_FADE;

// Brightness level of 100 percent.
constexpr int DD_BRIGHTNESS_NORMAL = 256;

// The 8-bit start-up of the display: system palette, brightness 256, palette object attached.
int DD_PaletteStartup();

// Ranges are [first, first + count) of the 256 entries; a range reaching past them is cut to
// the table and one that starts outside it does nothing.
// Sends DD_PALETTE scaled by DD_BRIGHTNESS to the palette object; 1 when sent, else 0.
int DD_ApplyPalette(int first, int count);
// Straight to the palette object (DD_PALETTE untouched); the platform's result, or
// DDERR_GENERIC when there is no palette object.
HRESULT DD_SetPaletteRange(const PALETTEENTRY* entries, int first, int count);
HRESULT DD_GetPaletteEntries(PALETTEENTRY* out, int first, int count);
HRESULT DD_SetPaletteRGB(const uint8_t rgb[3], int first, int count);
// Through DD_PALETTE and the brightness levels; 1 when the palette object was reached, else 0.
int DD_SetPaletteQuad(const PALETTEENTRY* entries, int first, int count);
int DD_GetPaletteQuad(PALETTEENTRY* out, int first, int count);
int DD_SetPaletteEntry(const uint8_t rgb[3], int index);
int DD_GetPaletteEntry(PALETTEENTRY* out, int index);
int DD_SetPaletteRGBRange(const uint8_t rgb[3], int first, int count);
// A packed bitmap (40-byte or larger header, then the RGBQUAD table) of `size` bytes; entries
// the block does not hold are refused as a whole.
int DD_PaletteFromDib(const uint8_t* dib, size_t size, int first, int count);
// The red, green, blue palette of an 8-bit picture; other depths have none and do nothing.
int DD_PaletteFromGrp(const GRP_IMAGE* image, int first, int count);
// Level = percent x 256 / 100 (held to 0-512) for the range, then applied.
int DD_SetBrightness(int percent, int first, int count);

int DD_FadeStart(uint32_t duration_ms, int target_percent, int first, int count);
int DD_FadeFinish(int no_wait);
int DD_FadeCancel();
int DD_FadeIsRunning();
int DD_FadeStep();
void DD_FadeClear();
