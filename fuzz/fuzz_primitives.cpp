// Fuzzes the drawing primitives with hostile coordinates: lines, circles, ellipses, boxes,
// polygons, fills and blends onto small surfaces whose memory is exactly their pixels, so that
// ASan catches any write or read outside them.
#include <cstdint>
#include <cstring>
#include <memory>

#include "display/prim_pixel.h"
#include "display/prim_shape.h"
#include "display/prim_texture.h"
#include "display/ras_raster.h"
#include "fuzz/fuzz_files.h"
#include "fuzz/fuzz_input.h"
#include "tests/display/canvas.h"
#include "tests/support/fixture.h"

namespace {
struct Input : fuzz::Input {
    int32_t Coord() {  // whole range, with small values and edges often
        const uint8_t kind = Byte();
        const int32_t v = static_cast<int32_t>(U32());
        return (kind & 3) == 0 ? v : static_cast<int32_t>(v % 64) - 16;
    }
    // Any radius: the walks visit only the steps that can reach the surface.
    int32_t Radius() {
        const uint32_t v = U32();
        return (v & 1) ? static_cast<int32_t>(v) : static_cast<int32_t>(v % 4096) - 8;
    }
};

// A buffer holding exactly w x h pixels of P.
template <class P>
struct Exact {
    int w, h;
    std::unique_ptr<P[]> px;
    Exact(int width, int height) : w(width), h(height), px(new P[size_t(width) * height]()) {}
    DDSURFACEDESC2 Desc() {
        DDSURFACEDESC2 d;
        d.dwSize = DDSD_SIZE;
        d.dwWidth = uint32_t(w);
        d.dwHeight = uint32_t(h);
        d.lPitch = w * int(sizeof(P));
        d.lpSurface = px.get();
        d.ddpfPixelFormat.dwRGBBitCount = 8 * sizeof(P);
        return d;
    }
    RAS_SURFACE View() {
        const int32_t pixels = w * int(sizeof(P)) / 2;
        return {.pixels = reinterpret_cast<uint16_t*>(px.get()), .pitch = pixels, .height = h, .width = pixels};
    }
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static support::HeadlessDisplay* display = new support::HeadlessDisplay({}, 64, 48);
    static DDSurface* tex = canvas::MakeDepthSurface(9, 7, 8);
    static DDSurface* bar = canvas::MakeDepthSurface(21, 13, 8);
    if (!display->ok || !tex || !bar) return 0;
    fuzz::ResetLogs();
    Input in{{data, size}};
    const int w = 1 + in.Byte() % 24, h = 1 + in.Byte() % 24;
    Exact<uint8_t> b8(w, h);
    Exact<uint16_t> b16(w, h), src16(1 + in.Byte() % 24, 1 + in.Byte() % 24);
    Exact<uint32_t> b32(w, h);
    const uint8_t pattern[8] = {0x81, 0x42, 0x24, 0x18, 0x18, 0x24, 0x42, 0x81};
    PROC_CLASS = in.Byte() % 5;
    while (in.n > 0) {
        const uint8_t op = in.Byte();
        const int32_t a = in.Coord(), b = in.Coord(), c = in.Coord(), d = in.Coord();
        const uint32_t colour = in.U32();
        switch (op % 20) {
            case 0: PRIM_Line(b8.Desc(), a, b, c, d, colour); break;
            case 1: PRIM_Line(b16.Desc(), a, b, c, d, colour); break;
            case 2: PRIM_Line(b32.Desc(), a, b, c, d, colour); break;
            case 3: PRIM_Circle(b16.Desc(), a, b, in.Radius(), colour); break;
            case 4: PRIM_Disc(b32.Desc(), a, b, in.Radius(), colour); break;
            case 5: PRIM_Ellipse(b8.Desc(), a, b, in.Radius(), in.Radius(), colour); break;
            case 6: PRIM_FillEllipse(b16.Desc(), a, b, in.Radius(), in.Radius(), colour); break;
            case 7: PRIM_Box(b32.Desc(), a, b, c, d, colour); break;
            case 8: PRIM_FillBox(b8.Desc(), a, b, c, d, colour); break;
            case 9: PRIM_PatternBox(b16.Desc(), a, b, c, d, colour, int32_t(colour & 1), pattern); break;
            case 10: RAS_LineWorker(b16.View(), a, b, c, d, colour); break;
            case 11: RAS_LineMixWorker(b16.View(), a, b, c, d, colour); break;
            case 12: {
                const int32_t corners[8] = {a, b, c, d, in.Coord(), in.Coord(), in.Coord(), in.Coord()};
                RAS_TexQuadWorker(b16.View(), corners, src16.View(), in.Coord(), in.Coord(), in.Coord(), in.Coord());
                break;
            }
            case 13: RAS_FillAlphaDispatch(b16.View(), a, b, c, d, colour, int32_t(in.U32() % 300)); break;
            case 14: RAS_FillAlphaWorker(b16.View(), a, b, c, d, colour, int32_t(in.U32()), colour & 0x1FFFF); break;
            case 15:
                RAS_AlphaWorker(b16.View(), a, b, c, d, src16.View(), in.Coord(), in.Coord(), int32_t(colour),
                                in.U32() & 0x1FFFF);
                break;
            case 16:
                RAS_MixWorker(b16.View(), a, b, c, d, src16.View(), in.Coord(), in.Coord(), (colour & 1) ? RAS_NO_KEY : 0);
                break;
            case 17: {
                RECT clip{in.Coord(), in.Coord(), in.Coord(), in.Coord()};
                RAS_DimWorker(b16.View(), a, b, c, d, src16.View(), in.Coord(), in.Coord(), int32_t(colour),
                              in.U32() & 0x1FFFF, (colour & 2) ? &clip : nullptr);
                break;
            }
            case 18: {
                const int32_t corners[8] = {a, b, c, d, in.Coord(), in.Coord(), in.Coord(), in.Coord()};
                const RECT r{in.Coord(), in.Coord(), in.Coord(), in.Coord()};
                if (colour & 1) {
                    BLT_TexQuad(bar, corners, tex, &r, int32_t(colour & 2));
                } else {
                    const int32_t t[6] = {in.Coord(), in.Coord(), in.Coord(), in.Coord(), in.Coord(), in.Coord()};
                    BLT_TexTriangle(bar, corners, tex, t, 0);
                }
                break;
            }
            default: PRIM_RotBox(bar, a, b, c, d, in.Coord(), colour); break;
        }
    }
    return 0;
}
