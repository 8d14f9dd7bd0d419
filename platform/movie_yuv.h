// A 4:2:0 movie frame converted in one pass into 16-bit 565 or 555 pixels (internal to platform/),
// with the arithmetic of swscale's unscaled x86 converter, so that every pixel equals swscale's
// 8-bit channels with their low bits dropped, as the movie's other conversions give them.
#pragma once
#include <cstddef>
#include <cstdint>

namespace plat::detail {

// Each chroma sample serves the 2 x 2 block of luma samples it covers (row r reads chroma row r / 2).
struct Yuv420Planes {
    const uint8_t *y, *u, *v;
    ptrdiff_t y_stride, u_stride, v_stride;
};

// Writes w x h pixels from dst, pitch bytes a row. full_range: luma and chroma span 0..255 (JPEG's
// range), else 16..235 and 16..240. Reads nothing past the w x h picture and its chroma.
using Yuv420To16Fn = void (*)(const Yuv420Planes& src, uint8_t* dst, ptrdiff_t pitch, int w, int h, bool full_range);

// Scalar: a pixel at a time (the AVX2 form's part steps). AVX2: 32 pixels a step.
enum class YuvRoute { Scalar, Avx2 };

// The converter of a route, or null where the processor lacks it or where swscale's arithmetic is
// another (a build for another architecture: its unscaled converter rounds otherwise).
Yuv420To16Fn Yuv420To16(bool is565, YuvRoute route);

}  // namespace plat::detail
