// Helpers for tests: headless display, temporary directories and surface access.
#include "tests/support/fixture.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

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

TempDir::TempDir() {
    char tmpl[] = "/tmp/orv_test_XXXXXX";
    char* p = mkdtemp(tmpl);
    path_ = p ? p : "/tmp";
    old_cwd_ = std::filesystem::current_path().string();
    std::filesystem::current_path(path_);
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::current_path(old_cwd_, ec);
    std::filesystem::remove_all(path_, ec);
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

bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::vector<uint8_t> out;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return out;
    uint8_t buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.insert(out.end(), buf, buf + n);
    std::fclose(f);
    return out;
}
}  // namespace support
