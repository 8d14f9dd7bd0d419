// Fuzzes the ".grp" reader and its conversion into a surface: any file reads or fails cleanly, and
// a picture read converts into a 555 surface, clamped and clipped, without leaving it.
#include <cstdint>
#include <string>

#include "display/grp_load.h"
#include "fuzz/fuzz_files.h"
#include "tests/support/fixture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static support::HeadlessDisplay* display = new support::HeadlessDisplay({16, false}, 64, 48);
    if (!display->ok) return 0;
    fuzz::ResetLogs();
    const std::string path = fuzz::MemoryFile("in.grp", data, size);
    if (path.empty()) return 0;
    GRP_IMAGE img;
    if (GRP_ReadGrp(path.c_str(), &img) == 1) {
        DDSurface* s = support::MakeSurface(40, 30);
        RECT r{-3, -2, 50, 40};
        if (s) {
            GRP_ImageToSurface(s, 5, 7, &img, &r);
            GRP_ImageToSurface(s, -2, -1, &img, nullptr);
            DD_ReleaseSurface(s);
        }
        GRP_FreeImage(&img);
    }
    return 0;
}
