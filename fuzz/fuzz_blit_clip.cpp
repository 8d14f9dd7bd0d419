// Fuzzes the blit frame with hostile positions, rectangles, flips and clip rectangles: every blit
// must stay inside its surfaces (ASan watches the memory).
#include <cstdint>
#include <cstring>

#include "display/blt_frame.h"
#include "display/dd_display.h"
#include "tests/support/fixture.h"

namespace {
int32_t Take(const uint8_t*& p, size_t& n) {
    int32_t v = 0;
    if (n >= 4) {
        std::memcpy(&v, p, 4);
        p += 4;
        n -= 4;
    }
    // Mostly near the surfaces; values whose top byte is 0x7F or 0x80 stay at the ends of the range.
    int top = v >> 24;
    return (top == 0x7F || top == -128) ? v : v % 5000;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static support::HeadlessDisplay* display = new support::HeadlessDisplay({}, 64, 48);
    static DDSurface* src = support::MakeSurface(40, 30);
    static DDSurface* dst = support::MakeSurface(50, 20);
    if (!display->ok || !src || !dst) return 0;
    support::SetKey0(src);
    const uint8_t* p = data;
    size_t n = size;
    while (n >= 4) {
        int op = Take(p, n) & 15;
        RECT clip{Take(p, n), Take(p, n), Take(p, n), Take(p, n)};
        DD_SetClipRectFromRect(&clip);
        RECT s{Take(p, n), Take(p, n), Take(p, n), Take(p, n)};
        RECT d{Take(p, n), Take(p, n), Take(p, n), Take(p, n)};
        int32_t flip = Take(p, n), level = Take(p, n) % 20;
        switch (op) {
            case 0: BLT_Blt(dst, d.left, d.top, src, &s, flip & 1); break;
            case 1: BLT_BltFx(dst, d.left, d.top, src, &s, static_cast<uint32_t>(flip), 1); break;
            case 2: BLT_StretchBlt(dst, &d, src, &s, static_cast<uint32_t>(flip), 1); break;
            case 3: BLT_Stipple(dst, d.left, d.top, src, &s, level, static_cast<uint32_t>(flip), 1); break;
            case 4: BLT_StippleStretch(dst, &d, src, &s, level, static_cast<uint32_t>(flip), 0); break;
            case 5: BLT_FillRect(dst, &d, static_cast<uint32_t>(flip)); break;
            case 6: BLT_Stipple(dst, d.left, d.top, src, nullptr, level, static_cast<uint32_t>(flip), 0); break;
            case 8: {  // the platform's own blits: clipped onto the windowed primary, unclipped, fast
                DDBLTFX fx{};
                fx.dwSize = 100;
                fx.dwDDFX = static_cast<uint32_t>(flip) & (DDBLTFX_MIRRORLEFTRIGHT | DDBLTFX_MIRRORUPDOWN);
                uint32_t flags = DDBLT_DDFX | ((flip & 1) ? DDBLT_KEYSRC : 0);
                DD_DISPLAY.primary->Blt(&d, src, &s, flags, &fx);
                dst->Blt(&d, src, &s, flags, &fx);
                dst->BltFast(d.left, d.top, src, &s, (flip & 1) ? DDBLTFAST_SRCCOLORKEY : 0);
                break;
            }
            default: BLT_StippleStretch(dst, &d, src, nullptr, level, static_cast<uint32_t>(flip), 1); break;
        }
    }
    return 0;
}
