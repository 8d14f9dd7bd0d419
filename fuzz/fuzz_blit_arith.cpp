// Fuzzes the arithmetic and formula-bank blitters with hostile positions, rectangles, flips, banks
// and clip rectangles: every blit, grouped or single-pixel, must stay inside its surfaces.
#include <cstdint>
#include <cstring>

#include "display/blt_arith.h"
#include "display/blt_bank_vec.h"
#include "display/blt_level.h"
#include "display/dd_display.h"
#include "fuzz/fuzz_files.h"
#include "fuzz/fuzz_input.h"
#include "tests/support/fixture.h"

namespace {

using PointFn = int (*)(DDSurface*, int32_t, int32_t, DDSurface*, const RECT*, uint32_t, int32_t);
using StretchFn = int (*)(DDSurface*, RECT*, DDSurface*, const RECT*, uint32_t, int32_t);
const PointFn kPoint[] = {BLT_Mix, BLT_Add, BLT_AddHalf, BLT_AddQuarter, BLT_Sub, BLT_SubHalf, BLT_SubQuarter};
const StretchFn kStretch[] = {BLT_MixStretch, BLT_AddStretch, BLT_AddHalfStretch, BLT_AddQuarterStretch,
                              BLT_SubStretch, BLT_SubHalfStretch, BLT_SubQuarterStretch};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static support::HeadlessDisplay* display = new support::HeadlessDisplay({}, 64, 48);
    static DDSurface* src = support::MakeSurface(41, 29);
    static DDSurface* dst = support::MakeSurface(53, 21);
    if (!display->ok || !src || !dst) return 0;
    fuzz::ResetLogs();
    fuzz::Input in{data, size};
    while (in.n >= 4) {
        const int32_t op = in.Near() & 0x7FFF;
        RECT clip{in.Near(), in.Near(), in.Near(), in.Near()};
        DD_SetClipRectFromRect(&clip);
        RECT s{in.Near(), in.Near(), in.Near(), in.Near()};
        RECT d{in.Near(), in.Near(), in.Near(), in.Near()};
        const uint32_t flip = static_cast<uint32_t>(in.Near());
        const int32_t arg = in.Near();
        const RECT* sr = (op & 16) ? nullptr : &s;
        blt::SetBankPath(static_cast<blt::VecPath>((op >> 5) % 3));  // unsupported sets are refused
        switch (op & 15) {
            case 0: BLT_Silhouette(dst, d.left, d.top, src, sr, static_cast<uint32_t>(arg), flip); break;
            case 1: BLT_MixColor(dst, d.left, d.top, src, sr, static_cast<uint32_t>(arg), flip); break;
            case 2: BLT_SilhouetteStretch(dst, &d, src, sr, static_cast<uint32_t>(arg), flip); break;
            case 3: BLT_MixColorStretch(dst, &d, src, sr, static_cast<uint32_t>(arg), flip); break;
            case 4: BLT_TableBlend(dst, d.left, d.top, src, sr, arg, flip, op & 64); break;
            case 5: BLT_TableBlendStretch(dst, &d, src, sr, arg, flip, op & 64); break;
            default: {
                const int k = (op >> 8) % 7;
                if (op & 1)
                    kPoint[k](dst, d.left, d.top, src, sr, flip, arg & 1);
                else
                    kStretch[k](dst, &d, src, sr, flip, arg & 1);
            }
        }
    }
    return 0;
}
