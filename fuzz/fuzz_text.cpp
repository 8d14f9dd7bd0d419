// Fuzzes the formatter and TXT_Print: an arbitrary format (trailing lead bytes, control bytes,
// long strings) never writes past a buffer of any size nor reads past its terminator, and draws
// inside the surface and the clip rectangle in any style, size and colours.
#include <cstdint>
#include <cstring>
#include <vector>

#include "display/dd_display.h"
#include "fuzz/fuzz_input.h"
#include "platform/format.h"
#include "platform/headless/headless.h"
#include "sprite/fnt_font.h"
#include "sprite/txt_print.h"
#include "tests/support/fixture.h"
#include "tests/support/fnt_writer.h"

namespace {
constexpr int kArgs = 8;  // every directive takes at most one argument
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static support::HeadlessDisplay* display = new support::HeadlessDisplay({16, true}, 64, 48);
    static DDSurface* surface = support::MakeSurface(48, 40);
    static const bool fonts = [] {
        // Two sizes with ink everywhere a glyph may have it, loaded once for every input.
        for (auto [slot, w] : {std::pair{0, 10}, std::pair{1, 30}}) {
            const std::vector<uint8_t> b = support::FntBytes(support::PatternFont(uint16_t(w), uint16_t(w)));
            if (FNT_LoadBytes(slot, b.data(), b.size()) != 1) return false;
        }
        return true;
    }();
    if (!display->ok || !surface || !fonts) return 0;
    fuzz::Input in{data, size};
    const uint8_t mode = in.Byte();
    const int32_t x = in.Near() % 80, y = in.Near() % 60;
    const uint32_t cap = in.Byte() * 17u + 1;
    const uint32_t colours = in.U32();
    const RECT saved_clip = DD_CLIP_RECT;
    if (mode & 0x80) DD_CLIP_RECT = RECT{in.Byte() % 50, in.Byte() % 50, in.Byte() % 70, in.Byte() % 70};

    // The rest is the format, terminated; at most kArgs '%' so every directive has an argument.
    std::vector<char> format(in.p, in.p + in.n);
    int percents = 0;
    for (char& c : format)
        if (c == '%' && ++percents > kArgs) c = '_';
    format.push_back(0);
    static const char arg[] = "\x82\xa0" "ab\x81";  // ends in a lead byte
    const char* a = arg;

    std::vector<char> out(cap);  // exact size: a write past it is caught
    plat::Format(out.data(), out.size(), format.data(), a, a, a, a, a, a, a, a);
    if (std::strlen(out.data()) >= cap) __builtin_trap();

    TXT_STATE.ruby_flag = (mode >> 6) & 1;
    TXT_SetFont((mode >> 3) & 3, mode & 7, (mode >> 5) & 1);
    TXT_SetColor(colours & 0xFFFF, colours >> 16, int32_t(colours % 7) - 1);
    TXT_Print(surface, x, y, format.data(), a, a, a, a, a, a, a, a);

    DD_CLIP_RECT = saved_clip;
    TXT_STATE.ruby_flag = 0;
    headless::ClearDebugOutput();
    return 0;
}
