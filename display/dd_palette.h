// The 8-bit palette, per-entry brightness levels and timed brightness fades.
#pragma once
#include <cstdint>

#include "platform/display.h"

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
extern int16_t DD_BRIGHTNESS[256];
extern DdFade DD_FADE;

// The 8-bit start-up of the display: system palette, brightness 256, palette object attached.
int DD_PaletteStartup();
void DD_FadeClear();
