// The program's logical palette, its brightness levels and fades.
#include "display/dd_palette.h"

#include <algorithm>
#include <cstring>

#include "display/dd_display.h"
#include "display/grp_file.h"
#include "platform/bytes.h"
#include "platform/clock.h"
#include "services/fil_util.h"

PALETTEENTRY DD_PALETTE[256];
int16_t DD_BRIGHTNESS[256];
DdFade DD_FADE;

namespace {
// Entries 0-9 and 246-255 stay the system's; the rest are the program's.
uint8_t FlagsFor(int index) { return (index >= 10 && index <= 245) ? PC_RESERVED : 0; }

DDPalette* LivePalette() {
    if (!DD_DISPLAY.dd || !DD_DISPLAY.dd4) return nullptr;
    return DD_DISPLAY.palette;
}

// Cuts a range to the 256 entries; false when nothing of it is left.
bool FitRange(const char* who, int first, int& count) {
    if (first < 0 || first >= 256 || count <= 0) {
        if (count != 0) SYS_DebugPrint("%s: palette range %d+%d refused", who, first, count);
        return false;
    }
    if (count > 256 - first) {
        SYS_DebugPrint("%s: palette range %d+%d cut to the table", who, first, count);
        count = 256 - first;
    }
    return true;
}

uint8_t Scale(uint8_t c, int level) {
    level = std::clamp(level, 0, 512);  // the arithmetic only holds for 0-512
    if (level == 256) return c;
    if (level < 256) return static_cast<uint8_t>((c * level) >> 8);
    return static_cast<uint8_t>(c + (((255 - c) * (level - 256)) >> 8));
}

// percent x 256 / 100, held to the levels the channel arithmetic is defined for (0-512) so that
// no product overflows and every stored level and fade delta fits 16 bits.
int LevelOfPercent(int percent) {
    return static_cast<int>(std::clamp<int64_t>(int64_t(percent) * 256 / 100, 0, 512));
}
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

int DD_ApplyPalette(int first, int count) {
    DDPalette* pal = LivePalette();
    if (!pal || !FitRange("DD_ApplyPalette", first, count)) return 0;
    PALETTEENTRY out[256];
    for (int i = 0; i < count; ++i) {
        const int e = first + i;
        const PALETTEENTRY& p = DD_PALETTE[e];
        const int level = DD_BRIGHTNESS[e];
        out[i] = PALETTEENTRY{Scale(p.peRed, level), Scale(p.peGreen, level), Scale(p.peBlue, level), FlagsFor(e)};
    }
    return pal->SetEntries(0, static_cast<uint32_t>(first), static_cast<uint32_t>(count), out) == DD_OK ? 1 : 0;
}

HRESULT DD_SetPaletteRange(const PALETTEENTRY* entries, int first, int count) {
    DDPalette* pal = LivePalette();
    if (!pal || !entries) return DDERR_GENERIC;
    if (!FitRange("DD_SetPaletteRange", first, count)) return DDERR_INVALIDPARAMS;
    PALETTEENTRY out[256];
    for (int i = 0; i < count; ++i) {
        out[i] = entries[i];
        out[i].peFlags = FlagsFor(first + i);
    }
    return pal->SetEntries(0, static_cast<uint32_t>(first), static_cast<uint32_t>(count), out);
}

HRESULT DD_GetPaletteEntries(PALETTEENTRY* out, int first, int count) {
    DDPalette* pal = LivePalette();
    if (!pal || !out) return DDERR_GENERIC;
    if (!FitRange("DD_GetPaletteEntries", first, count)) return DDERR_INVALIDPARAMS;
    return pal->GetEntries(0, static_cast<uint32_t>(first), static_cast<uint32_t>(count), out);
}

HRESULT DD_SetPaletteRGB(const uint8_t rgb[3], int first, int count) {
    if (!rgb) return DDERR_INVALIDPARAMS;
    PALETTEENTRY same[256];
    for (auto& e : same) e = PALETTEENTRY{rgb[0], rgb[1], rgb[2], 0};
    return DD_SetPaletteRange(same, first, count);
}

int DD_SetPaletteQuad(const PALETTEENTRY* entries, int first, int count) {
    if (!entries || !FitRange("DD_SetPaletteQuad", first, count)) return 0;
    for (int i = 0; i < count; ++i) {
        DD_PALETTE[first + i] = entries[i];
        DD_PALETTE[first + i].peFlags = FlagsFor(first + i);
    }
    return DD_ApplyPalette(first, count);
}

int DD_GetPaletteQuad(PALETTEENTRY* out, int first, int count) {
    if (!out || !FitRange("DD_GetPaletteQuad", first, count)) return 0;
    std::memcpy(out, DD_PALETTE + first, sizeof(PALETTEENTRY) * static_cast<size_t>(count));
    return 1;
}

int DD_SetPaletteEntry(const uint8_t rgb[3], int index) {
    return DD_SetPaletteRGBRange(rgb, index, 1);
}

int DD_GetPaletteEntry(PALETTEENTRY* out, int index) { return DD_GetPaletteQuad(out, index, 1); }

int DD_SetPaletteRGBRange(const uint8_t rgb[3], int first, int count) {
    if (!rgb || !FitRange("DD_SetPaletteRGBRange", first, count)) return 0;
    for (int i = first; i < first + count; ++i) DD_PALETTE[i] = PALETTEENTRY{rgb[0], rgb[1], rgb[2], FlagsFor(i)};
    return DD_ApplyPalette(first, count);
}

int DD_PaletteFromDib(const uint8_t* dib, size_t size, int first, int count) {
    if (!dib || size < 4 || !FitRange("DD_PaletteFromDib", first, count)) return 0;
    const uint32_t header = plat::Get32(dib);
    // The colour table starts right after the header; every entry asked for must lie in the block.
    const uint64_t end = uint64_t(header) + 4 * (uint64_t(first) + uint64_t(count));
    if (header < 40 || end > size) {
        SYS_DebugPrint("DD_PaletteFromDib: header %u, entries %d+%d, block %u bytes", header, first, count,
                       static_cast<unsigned>(size));
        return 0;
    }
    for (int i = first; i < first + count; ++i) {
        const uint8_t* q = dib + header + 4 * size_t(i);  // blue, green, red, reserved
        DD_PALETTE[i] = PALETTEENTRY{q[2], q[1], q[0], FlagsFor(i)};
    }
    return DD_ApplyPalette(first, count);
}

int DD_PaletteFromGrp(const GRP_IMAGE* image, int first, int count) {
    if (!image || image->bpp != 8 || !image->palette || !FitRange("DD_PaletteFromGrp", first, count)) return 0;
    for (int i = first; i < first + count; ++i) {
        const uint8_t* rgb = image->palette + 3 * size_t(i);
        DD_PALETTE[i] = PALETTEENTRY{rgb[0], rgb[1], rgb[2], FlagsFor(i)};
    }
    return DD_ApplyPalette(first, count);
}

int DD_SetBrightness(int percent, int first, int count) {
    if (!FitRange("DD_SetBrightness", first, count)) return 0;
    const int level = LevelOfPercent(percent);
    for (int i = first; i < first + count; ++i) DD_BRIGHTNESS[i] = static_cast<int16_t>(level);
    return DD_ApplyPalette(first, count);
}

int DD_FadeStart(uint32_t duration_ms, int target_percent, int first, int count) {
    if (!FitRange("DD_FadeStart", first, count)) return 0;
    DdFade& f = DD_FADE;
    f.active = 1;
    f.running = 0;
    f.first = static_cast<int16_t>(first);
    f.count = static_cast<int16_t>(count);
    f.start_time = plat::TimeMs();
    f.duration = duration_ms;
    const int target = LevelOfPercent(target_percent);
    for (int i = first; i < first + count; ++i) {
        f.start_level[i] = DD_BRIGHTNESS[i];
        f.delta[i] = static_cast<int16_t>(target - DD_BRIGHTNESS[i]);
    }
    return 1;
}

int DD_FadeFinish(int no_wait) {
    if (!DD_FADE.active) return 0;
    DD_FADE.running = 1;
    if (no_wait) return 1;
    while (DD_FADE.active) DD_FadeStep();
    return 1;
}

int DD_FadeCancel() {
    DD_FADE.running = 0;
    return DD_FADE.active ? 1 : 0;
}

int DD_FadeIsRunning() { return DD_FADE.running; }

int DD_FadeStep() {
    DdFade& f = DD_FADE;
    if (!f.active || !f.running) return 0;
    const int first = f.first, end = f.first + f.count;
    // The clock wraps: only the unsigned difference counts.
    const uint32_t elapsed = plat::TimeMs() - f.start_time;
    if (elapsed >= f.duration) {
        for (int i = first; i < end; ++i) DD_BRIGHTNESS[i] = static_cast<int16_t>(f.start_level[i] + f.delta[i]);
        DD_ApplyPalette(first, f.count);
        DD_FadeClear();
        return 1;
    }
    if (elapsed != 0) {
        for (int i = first; i < end; ++i)
            DD_BRIGHTNESS[i] =
                static_cast<int16_t>(f.start_level[i] + int64_t(f.delta[i]) * int64_t(elapsed) / int64_t(f.duration));
        DD_ApplyPalette(first, f.count);
    }
    return 1;
}

void DD_FadeClear() { DD_FADE = DdFade{}; }
