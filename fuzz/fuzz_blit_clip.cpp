// Fuzzes the blit frame with hostile positions, rectangles, flips and clip rectangles: every blit
// must stay inside its surfaces (ASan watches the memory).
#include <cstdint>
#include <cstring>

#include "display/blt_frame.h"
#include "display/dd_display.h"
#include "fuzz/fuzz_files.h"
#include "fuzz/fuzz_input.h"
#include "tests/support/fixture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static support::HeadlessDisplay* display = new support::HeadlessDisplay({}, 64, 48);
    static DDSurface* src = support::MakeSurface(40, 30);
    static DDSurface* dst = support::MakeSurface(50, 20);
    if (!display->ok || !src || !dst) return 0;
    fuzz::ResetLogs();
    support::SetKey0(src);
    fuzz::Input in{data, size};
    while (in.n >= 4) {
        int op = in.Near() & 15;
        RECT clip{in.Near(), in.Near(), in.Near(), in.Near()};
        DD_SetClipRectFromRect(&clip);
        RECT s{in.Near(), in.Near(), in.Near(), in.Near()};
        RECT d{in.Near(), in.Near(), in.Near(), in.Near()};
        int32_t flip = in.Near(), level = in.Near() % 20;
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
