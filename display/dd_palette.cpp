// The program's logical palette, its brightness levels and fades.
#include "display/dd_palette.h"

#include "display/dd_display.h"

PALETTEENTRY DD_PALETTE[256];
int16_t DD_BRIGHTNESS[256];
DdFade DD_FADE;

namespace {
// Entries 0-9 and 246-255 stay the system's; the rest are the program's.
uint8_t FlagsFor(int index) { return (index >= 10 && index <= 245) ? PC_RESERVED : 0; }
}  // namespace

int DD_PaletteStartup() {
    plat::GetSystemPaletteEntries(0, 256, DD_PALETTE);
    for (int i = 0; i < 256; ++i) {
        DD_PALETTE[i].peFlags = FlagsFor(i);
        DD_BRIGHTNESS[i] = 256;
    }
    if (!DD_DISPLAY.dd4 ||
        DD_DISPLAY.dd4->CreatePalette(DDPCAPS_8BIT | DDPCAPS_ALLOW256, DD_PALETTE, &DD_DISPLAY.palette) != DD_OK)
        return 0;
    if (DD_DISPLAY.back) DD_DISPLAY.back->SetPalette(DD_DISPLAY.palette);
    if (DD_DISPLAY.primary) DD_DISPLAY.primary->SetPalette(DD_DISPLAY.palette);
    DD_DISPLAY.palette->SetEntries(0, 0, 256, DD_PALETTE);
    return 1;
}

void DD_FadeClear() { DD_FADE = DdFade{}; }
