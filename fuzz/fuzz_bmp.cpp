// Fuzzes the bitmap reader and its conversion into a surface: any file reads or fails cleanly,
// and a bitmap read converts without reading past its block or writing past the surface.
#include <unistd.h>

#include <cstdint>
#include <string>
#include <vector>

#include "display/grp_load.h"
#include "platform/memory.h"
#include "tests/support/fixture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static support::HeadlessDisplay* display = new support::HeadlessDisplay({16, true}, 64, 48);
    static const std::string path = "/tmp/orv_fuzz_bmp_" + std::to_string(getpid()) + ".dat";
    if (!display->ok) return 0;
    if (!support::WriteBytes(path, std::vector<uint8_t>(data, data + size))) return 0;
    void* dib = nullptr;
    size_t n = 0;
    if (GRP_ReadDat(path.c_str(), &dib, &n) == 1) {
        DDSurface* s = support::MakeSurface(40, 30);
        RECT r{-3, -2, 50, 40};
        if (s) {
            GRP_DibToSurface(s, 5, 7, dib, &r);
            GRP_DibToSurface(s, -2, -1, dib, nullptr);
            DD_ReleaseSurface(s);
        }
        plat::Free(dib);
    }
    return 0;
}
