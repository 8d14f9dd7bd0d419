// Fuzzes the ".fnt" reader: any bytes load or are refused without reading past them, and a font
// that loads draws every glyph the index reaches in every style without leaving its data.
#include <cstdint>
#include <vector>

#include "platform/headless/headless.h"
#include "sprite/fnt_font.h"
#include "sprite/txt_print.h"
#include "tests/support/fixture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static support::HeadlessDisplay* display = new support::HeadlessDisplay({16, true}, 64, 48);
    static DDSurface* surface = support::MakeSurface(64, 48);
    if (!display->ok || !surface) return 0;
    const std::vector<uint8_t> file(data, data + size);  // exact size, so reads past it are caught
    if (FNT_LoadBytes(3, file.data(), file.size()) == 1) {
        FNT_Select(3);
        // The first and last glyph of each range and of the half-width table, and fallbacks.
        static const char text[] =
            " \xdf\x7f\x0a\x81\x40\x81\xfc\x82\x4f\x82\xf1\x83\x40\x83\x96\x87\x40\x87\x9c"
            "\x88\x9f\x98\x72\x98\x9f\x9f\xfc\xe0\x40\xea\xa2\xea\xa3\x84\x40\x81";
        for (int style = 0; style <= 4; ++style)
            for (int dbl = 0; dbl <= 1; ++dbl) {
                TXT_SetFont(-1, style, dbl);
                TXT_Print(surface, -3, -2, "%s", text);
            }
    }
    FNT_Reset();
    headless::ClearDebugOutput();
    return 0;
}
