// The one-pass 4:2:0 conversion to 16-bit pixels against the path it replaced, swscale to 32-bit
// words with each channel's top bits kept: every (Y, U, V) triple in both ranges, both layouts and
// every route, and small frames of every width with nothing read or written outside them.
#include <gtest/gtest.h>

extern "C" {
#include <libavutil/log.h>
#include <libswscale/swscale.h>
}

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "platform/movie_yuv.h"

namespace {
using plat::detail::Yuv420To16Fn;
using plat::detail::YuvRoute;

struct Route {
    std::string name;
    bool is565;
    Yuv420To16Fn fn;
};

std::vector<Route> Routes() {
    av_log_set_level(AV_LOG_ERROR);  // swscale's notice that yuvj420p is deprecated
    std::vector<Route> routes;
    for (bool is565 : {true, false})
        for (auto [name, route] : {std::pair{"scalar", YuvRoute::Scalar}, {"avx2", YuvRoute::Avx2}})
            if (Yuv420To16Fn fn = plat::detail::Yuv420To16(is565, route))
                routes.push_back({std::string(name) + (is565 ? " 565" : " 555"), is565, fn});
    return routes;
}

uint16_t Packed(uint32_t rgb, bool is565) {
    const uint32_t r = rgb >> 16 & 0xFF, g = rgb >> 8 & 0xFF, b = rgb & 0xFF;
    return uint16_t(is565 ? (r >> 3) << 11 | (g >> 2) << 5 | b >> 3 : (r >> 3) << 10 | (g >> 3) << 5 | b >> 3);
}

// A picture in planes of exactly its size.
struct Picture {
    int w, h, cw;
    std::vector<uint8_t> y, u, v;
    Picture(int w_, int h_) : w(w_), h(h_), cw((w_ + 1) / 2), y(size_t(w) * h), u(size_t(cw) * ((h + 1) / 2)), v(u.size()) {}
    plat::detail::Yuv420Planes Planes() const { return {y.data(), u.data(), v.data(), w, cw, cw}; }

    // swscale's 0x00RRGGBB words, as the movie converts a band with it, from copies of the planes
    // with room for the bytes it reads past their ends.
    std::vector<uint32_t> Swscale(AVPixelFormat format) const {
        SwsContext* ctx = sws_getContext(w, h, format, w, h, AV_PIX_FMT_0RGB32, SWS_BILINEAR, nullptr, nullptr, nullptr);
        std::vector<uint8_t> py(y), pu(u), pv(v);
        for (auto* plane : {&py, &pu, &pv}) plane->resize(plane->size() + 64);
        const int stride = (w + 15) / 16 * 16;
        std::vector<uint32_t> out(size_t(stride) * h);
        const uint8_t* src[4] = {py.data(), pu.data(), pv.data(), nullptr};
        const int src_strides[4] = {w, cw, cw, 0};
        uint8_t* dst[4] = {reinterpret_cast<uint8_t*>(out.data()), nullptr, nullptr, nullptr};
        const int dst_strides[4] = {stride * 4, 0, 0, 0};
        EXPECT_TRUE(ctx && sws_scale(ctx, src, src_strides, 0, h, dst, dst_strides) == h);
        sws_freeContext(ctx);
        for (int r = 0; r < h; ++r) std::copy_n(out.begin() + ptrdiff_t(r) * stride, w, out.begin() + ptrdiff_t(r) * w);
        out.resize(size_t(w) * h);
        return out;
    }
};

const AVPixelFormat kFormats[] = {AV_PIX_FMT_YUV420P, AV_PIX_FMT_YUVJ420P};
}  // namespace

// Each U a picture of 512 x 128: its 2 x 2 blocks take every V across and four Y each down.
TEST(MovieYuv, EveryTripleEqualsSwscalesWordsWithTheirTopBitsKept) {
    const std::vector<Route> routes = Routes();
    if (routes.empty()) GTEST_SKIP() << "swscale's unscaled arithmetic here is not the one converted in one pass";
    Picture p(512, 128);
    for (int r = 0; r < p.h; ++r)
        for (int x = 0; x < p.w; ++x) p.y[size_t(r) * p.w + size_t(x)] = uint8_t(r / 2 * 4 + r % 2 * 2 + x % 2);
    for (size_t i = 0; i < p.v.size(); ++i) p.v[i] = uint8_t(i);
    std::vector<uint16_t> got(p.y.size());
    for (AVPixelFormat format : kFormats) {
        const bool full = format == AV_PIX_FMT_YUVJ420P;
        for (int u = 0; u < 256; ++u) {
            std::fill(p.u.begin(), p.u.end(), uint8_t(u));
            const std::vector<uint32_t> want = p.Swscale(format);
            for (const Route& route : routes) {
                route.fn(p.Planes(), reinterpret_cast<uint8_t*>(got.data()), p.w * 2, p.w, p.h, full);
                for (size_t i = 0; i < got.size(); ++i) {
                    if (got[i] == Packed(want[i], route.is565)) continue;
                    char what[160];
                    std::snprintf(what, sizeof what, "Y %d, U %d, V %zu: swscale 0x%06X packs to 0x%04X, ours 0x%04X",
                                  p.y[i], u, i % 512 / 2, want[i] & 0xFFFFFF, Packed(want[i], route.is565), got[i]);
                    FAIL() << route.name << (full ? " yuvj420p" : " yuv420p") << ": first differing triple " << what;
                }
            }
        }
    }
}

// Widths 1 to 70 (whole steps, part steps, odd last pixels) and heights 1 to 4 (an odd last row
// takes the chroma row above it) of a 4-row picture, with a guard column and row around the
// destination.
TEST(MovieYuv, SmallFramesOfEveryWidthAndHeightStayInside) {
    const std::vector<Route> routes = Routes();
    if (routes.empty()) GTEST_SKIP() << "swscale's unscaled arithmetic here is not the one converted in one pass";
    std::mt19937 rng(30);
    constexpr uint16_t kGuard = 0xA5A5;
    for (AVPixelFormat format : kFormats) {
        for (int w = 1; w <= 70; ++w) {
            Picture p(w, 4);
            for (auto* plane : {&p.y, &p.u, &p.v})
                for (uint8_t& b : *plane) b = uint8_t(rng());
            const std::vector<uint32_t> want = p.Swscale(format);
            for (int h = 1; h <= 4; ++h) {
                for (const Route& route : routes) {
                    SCOPED_TRACE(route.name + " " + std::to_string(w) + " x " + std::to_string(h));
                    const int pitch = w + 1;
                    std::vector<uint16_t> dst(size_t(pitch) * (h + 1), kGuard);
                    route.fn(p.Planes(), reinterpret_cast<uint8_t*>(dst.data()), pitch * 2, w, h, format == AV_PIX_FMT_YUVJ420P);
                    for (int r = 0; r <= h; ++r)
                        for (int x = 0; x < pitch; ++x) {
                            const uint16_t expect = r < h && x < w ? Packed(want[size_t(r) * w + x], route.is565) : kGuard;
                            ASSERT_EQ(dst[size_t(r) * pitch + x], expect) << "row " << r << " column " << x;
                        }
                }
            }
        }
    }
}
