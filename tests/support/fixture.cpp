// Helpers for tests: headless display, temporary directories and surface access.
#include "tests/support/fixture.h"

#include <cstring>

#include "platform/platform.h"
#include "platform/window.h"

namespace support {
namespace {
intptr_t TestWndProc(plat::Window* w, uint32_t msg, uintptr_t wp, intptr_t lp) {
    return plat::DefWindowProc(w, msg, wp, lp);
}
}  // namespace

HeadlessDisplay::HeadlessDisplay(const headless::Config& config, int width, int height) {
    DD_Release();
    headless::Reset(config);
    window = plat::CreateMainWindow("test", width, height, TestWndProc);
    int32_t full = 0;
    ok = window && DD_Init(window, width, height, 16, &full, 0, 1) == 1;
}

HeadlessDisplay::~HeadlessDisplay() {
    DD_Release();
    if (window) plat::DestroyWindow(window);
}

DDSurface* MakeSurface(int w, int h, const std::vector<uint16_t>& pixels) {
    DDSurface* s = DD_CreateSurface(w, h, DD_CAPS_SYSTEM);
    if (s && !pixels.empty()) {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) SetPixel(s, x, y, pixels[size_t(y) * w + x]);
    }
    return s;
}

std::vector<uint16_t> ReadSurface(DDSurface* s) {
    std::vector<uint16_t> out(size_t(s->Width()) * s->Height());
    for (int y = 0; y < s->Height(); ++y)
        std::memcpy(&out[size_t(y) * s->Width()], s->Memory() + size_t(y) * s->Pitch(), size_t(s->Width()) * 2);
    return out;
}

uint16_t PixelAt(DDSurface* s, int x, int y) {
    uint16_t v;
    std::memcpy(&v, s->Memory() + size_t(y) * s->Pitch() + size_t(x) * 2, 2);
    return v;
}

void SetPixel(DDSurface* s, int x, int y, uint16_t v) {
    std::memcpy(s->Memory() + size_t(y) * s->Pitch() + size_t(x) * 2, &v, 2);
}

void SetKey0(DDSurface* s) {
    DDCOLORKEY k{0, 0};
    s->SetColorKey(DDCKEY_SRCBLT, &k);
}

}  // namespace support
