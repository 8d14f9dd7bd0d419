// Fuzzes the loaders that size a new surface from a picture file's header, on displays of every
// depth (8 bits, 16 in both layouts, 32): any file loads or fails cleanly, and a picture loaded never
// reads past its file nor writes past the surface made for it.
//
// Input: one byte choosing the layout (bit 0), the depth (bits 1-2) and the loader (bits 3-5), two
// signed bytes of palette range, then the file.
#include <cstdint>
#include <cstdio>
#include <string>

#include "display/grp_load.h"
#include "fuzz/fuzz_files.h"
#include "tests/support/fixture.h"

namespace {
support::HeadlessDisplay* g_display = nullptr;
int g_layout = -1;

// The display of that layout and depth, re-created only when the layout changes.
bool Display(bool is565, uint16_t bpp) {
    if (g_layout != int(is565)) {
        delete g_display;
        g_display = new support::HeadlessDisplay({16, is565}, 64, 48);
        g_layout = int(is565);
    }
    return g_display->ok && (DD_DISPLAY.bpp == bpp || DD_ChangeMode(64, 48, bpp, 1, 0, 1) == 1);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) return 0;
    const uint8_t mode = data[0];
    const int first = int8_t(data[1]), count = int8_t(data[2]);
    static const uint16_t kDepths[] = {8, 16, 32, 16};
    if (!Display(mode & 1, kDepths[(mode >> 1) & 3])) return 0;
    fuzz::ResetLogs();
    const int loader = (mode >> 3) & 7;
    const char* name = loader == 1 ? "in.dat" : loader == 2 ? "in.bmp" : "in.grp";
    // Only this input's file: a loader that swaps the extension must not find an earlier one.
    for (const char* other : {"in.dat", "in.bmp", "in.grp"}) std::remove((fuzz::MemoryDir() + "/" + other).c_str());
    const std::string path = fuzz::MemoryFile(name, data + 3, size - 3);
    if (path.empty()) return 0;
    SYS_SIZE got{};
    DDSurface* s = nullptr;
    switch (loader) {
        case 0: s = GRP_LoadSurface((fuzz::MemoryDir() + "/in.bmp").c_str(), first, count, 0, &got); break;
        case 1: s = GRP_LoadDatSurface(path.c_str(), first, count, 1, &got); break;
        case 2: s = GRP_LoadBmpSurface8(path.c_str(), first, count, count, 0, &got); break;
        case 3: s = GRP_LoadGrpSurface8(path.c_str(), count, first, 255, 1, &got); break;
        default: {
            DDSurface* into = DD_CreateSurface(17, 9, DD_CAPS_SYSTEM);
            if (into) GRP_LoadToSurface(into, path.c_str(), first, count, 0, &got);
            s = into;
        }
    }
    DD_ReleaseSurface(s);
    return 0;
}
