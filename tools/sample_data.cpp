// Writes a small synthetic data directory that the game can start in: its folders, a test card
// picture in each ".grp" depth and a save thumbnail bitmap, made with the project's own writers.
#include <cstdio>
#include <filesystem>
#include <string>

#include "tests/support/grp_writer.h"

namespace {
namespace fs = std::filesystem;

// Colour bars over a grey ramp, 640 x 480.
support::GrpPicture TestCard(uint16_t bpp) {
    static const uint8_t bars[8][3] = {{255, 255, 255}, {255, 255, 0}, {0, 255, 255}, {0, 255, 0},
                                       {255, 0, 255},   {255, 0, 0},   {0, 0, 255},   {0, 0, 0}};
    support::GrpPicture p = support::MakeGrp(bpp, 640, 480);
    if (bpp == 8) {
        for (int i = 0; i < 8; ++i) support::SetPaletteEntry(p, uint8_t(i), bars[i][0], bars[i][1], bars[i][2]);
        for (int i = 8; i < 255; ++i) support::SetPaletteEntry(p, uint8_t(i), uint8_t(i), uint8_t(i), uint8_t(i));
    }
    for (uint32_t y = 0; y < 480; ++y)
        for (uint32_t x = 0; x < 640; ++x) {
            const uint8_t* c = bars[x / 80];
            uint8_t grey = uint8_t(x * 255 / 639);
            uint8_t r = y < 320 ? c[0] : grey, g = y < 320 ? c[1] : grey, b = y < 320 ? c[2] : grey;
            if (bpp == 8)
                p.pixels[y * 640 + x] = y < 320 ? uint8_t(x / 80) : uint8_t(8 + grey * 246 / 255);
            else if (bpp == 16)
                support::Set555(p, x, y, uint16_t((r >> 3) << 10 | (g >> 3) << 5 | b >> 3));
            else
                support::SetBgr(p, x, y, r, g, b);
        }
    return p;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: sample_data DIRECTORY\n");
        return 2;
    }
    fs::path root(argv[1]);
    std::error_code ec;
    for (const char* dir : {"save", "Bmp", "Wav", "WAV/Voice", "Music", "Dat", "script"}) {
        fs::create_directories(root / dir, ec);
        if (ec) {
            std::fprintf(stderr, "sample_data: cannot create %s: %s\n", (root / dir).c_str(), ec.message().c_str());
            return 1;
        }
    }
    bool ok = support::WriteGrp((root / "Bmp/card8.grp").string(), TestCard(8), true) &&
              support::WriteGrp((root / "Bmp/card16.grp").string(), TestCard(16), true) &&
              support::WriteGrp((root / "Bmp/card24.grp").string(), TestCard(24), false);
    // A save thumbnail: a 112 x 80 24-bit bitmap.
    support::Bitmap thumb = support::MakeBitmap(24, 112, 80);
    for (size_t i = 0; i < thumb.pixels.size(); ++i) thumb.pixels[i] = uint8_t(i * 7);
    ok = ok && support::WriteBitmap((root / "save/ov00.dat").string(), thumb);
    if (!ok) {
        std::fprintf(stderr, "sample_data: cannot write the pictures in %s\n", root.c_str());
        return 1;
    }
    return 0;
}
