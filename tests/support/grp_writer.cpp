// Writers of ".grp" pictures and bitmap files for tests, tools and fuzz seeds.
#include "tests/support/grp_writer.h"

#include <cstdlib>

#include "display/grp_file.h"
#include "display/lz_codec.h"
#include "platform/bytes.h"
#include "tests/support/fixture.h"

namespace support {
namespace {
using plat::Put16;
using plat::Put32;
size_t Bytes(uint16_t bpp) { return bpp / 8; }
}  // namespace

GrpPicture MakeGrp(uint16_t bpp, uint32_t width, uint32_t height) {
    GrpPicture p;
    p.bpp = bpp;
    p.width = width;
    p.height = height;
    p.pixels.assign(size_t(width) * height * Bytes(bpp), 0);
    if (bpp == 8) p.palette.assign(GRP_PALETTE_SIZE, 0);
    return p;
}

void Set555(GrpPicture& p, uint32_t x, uint32_t y, uint16_t value) {
    size_t at = (size_t(y) * p.width + x) * 2;
    p.pixels[at] = uint8_t(value);
    p.pixels[at + 1] = uint8_t(value >> 8);
}

void SetBgr(GrpPicture& p, uint32_t x, uint32_t y, uint8_t r, uint8_t g, uint8_t b) {
    size_t at = (size_t(y) * p.width + x) * 3;
    p.pixels[at] = b;
    p.pixels[at + 1] = g;
    p.pixels[at + 2] = r;
}

void SetPaletteEntry(GrpPicture& p, uint8_t index, uint8_t r, uint8_t g, uint8_t b) {
    p.palette.resize(GRP_PALETTE_SIZE);
    p.palette[index * 3] = r;
    p.palette[index * 3 + 1] = g;
    p.palette[index * 3 + 2] = b;
}

std::vector<uint8_t> GrpBytes(const GrpPicture& p, bool compressed, uint8_t raw_kind) {
    std::vector<uint8_t> out = {'G', 'R', compressed ? GRP_KIND_LZ : raw_kind};
    Put16(out, p.bpp);
    Put32(out, p.width);
    Put32(out, p.height);
    std::vector<uint8_t> payload = p.pixels;
    if (p.bpp == 8) {
        std::vector<uint8_t> pal = p.palette;
        pal.resize(GRP_PALETTE_SIZE);
        payload.insert(payload.end(), pal.begin(), pal.end());
    }
    if (compressed)
        LZ_Encode(payload.data(), uint32_t(payload.size()), out);
    else
        out.insert(out.end(), payload.begin(), payload.end());
    return out;
}

bool WriteGrp(const std::string& path, const GrpPicture& p, bool compressed) {
    return WriteBytes(path, GrpBytes(p, compressed));
}

Bitmap MakeBitmap(uint16_t bits, int32_t width, int32_t height) {
    Bitmap b;
    b.bits = bits;
    b.width = width;
    b.height = height;
    b.pixels.assign(size_t(width) * height * (bits / 8), 0);
    if (bits == 8) b.colours.assign(256, {0, 0, 0});
    return b;
}

std::vector<uint8_t> DibBytes(const Bitmap& b) {
    size_t px = b.bits / 8;
    size_t stride = ((size_t(b.width) * b.bits + 31) & ~size_t(31)) / 8;
    std::vector<uint8_t> out;
    Put32(out, GRP_BITMAP_INFO_HEADER);
    Put32(out, uint32_t(b.width));
    Put32(out, uint32_t(b.top_down ? -b.height : b.height));
    Put16(out, 1);
    Put16(out, b.bits);
    Put32(out, b.bitfields ? GRP_BI_BITFIELDS : GRP_BI_RGB);
    Put32(out, uint32_t(stride * b.height));
    Put32(out, 2835);
    Put32(out, 2835);
    Put32(out, b.bitfields ? 0 : uint32_t(b.colours.size()));
    Put32(out, 0);
    if (b.bitfields) {
        Put32(out, 0x7C00);
        Put32(out, 0x03E0);
        Put32(out, 0x001F);
    } else {
        for (auto& c : b.colours) out.insert(out.end(), {c[2], c[1], c[0], 0});
    }
    for (int32_t i = 0; i < b.height; ++i) {
        int32_t y = b.top_down ? i : b.height - 1 - i;
        const uint8_t* row = b.pixels.data() + size_t(y) * b.width * px;
        out.insert(out.end(), row, row + size_t(b.width) * px);
        out.resize(out.size() + stride - size_t(b.width) * px, 0);
    }
    out.resize(out.size() + b.trailing, 0);
    return out;
}

std::vector<uint8_t> BitmapFileBytes(const Bitmap& b) {
    std::vector<uint8_t> dib = DibBytes(b);
    std::vector<uint8_t> out = {'B', 'M'};
    Put32(out, uint32_t(dib.size() + GRP_BITMAP_FILE_HEADER));
    Put32(out, 0);
    uint32_t table = b.bitfields ? 12 : uint32_t(b.colours.size() * 4);
    Put32(out, uint32_t(GRP_BITMAP_FILE_HEADER + GRP_BITMAP_INFO_HEADER + table));
    out.insert(out.end(), dib.begin(), dib.end());
    return out;
}

bool WriteBitmap(const std::string& path, const Bitmap& b) { return WriteBytes(path, BitmapFileBytes(b)); }

bool HaveTool(const char* tool) {
    return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0;
}
}  // namespace support
