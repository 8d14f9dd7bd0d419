// Fuzzes the bitmap reader and its conversion into a surface: any file reads or fails cleanly,
// and a bitmap read converts without reading past its block or writing past the surface.
#include <cstdint>
#include <string>

#include "display/grp_load.h"
#include "fuzz/fuzz_files.h"
#include "platform/memory.h"
#include "tests/support/fixture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static support::HeadlessDisplay* display = new support::HeadlessDisplay({16, true}, 64, 48);
    if (!display->ok) return 0;
    fuzz::ResetLogs();
    const std::string path = fuzz::MemoryFile("in.dat", data, size);
    if (path.empty()) return 0;
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
