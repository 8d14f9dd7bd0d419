// A small PNG writer for screenshots (zlib-compressed rows).
#include <string>
#include <vector>

#include <zlib.h>

#include "platform/display.h"
#include "platform/files.h"

namespace plat {
namespace {
void Put32(std::vector<uint8_t>& v, uint32_t x) {
    v.push_back(uint8_t(x >> 24));
    v.push_back(uint8_t(x >> 16));
    v.push_back(uint8_t(x >> 8));
    v.push_back(uint8_t(x));
}

void Chunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
    Put32(out, static_cast<uint32_t>(data.size()));
    size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    Put32(out, static_cast<uint32_t>(crc32(0, &out[start], static_cast<uInt>(out.size() - start))));
}
}  // namespace

bool WritePng(const char* path, const Frame& frame) {
    if (frame.width <= 0 || frame.height <= 0 || frame.pixels.size() < size_t(frame.width) * frame.height) return false;
    std::vector<uint8_t> raw;
    raw.reserve((size_t(frame.width) * 3 + 1) * frame.height);
    for (int y = 0; y < frame.height; ++y) {
        raw.push_back(0);  // filter: none
        for (int x = 0; x < frame.width; ++x) {
            uint32_t p = frame.pixels[size_t(y) * frame.width + x];
            raw.push_back(uint8_t(p >> 16));
            raw.push_back(uint8_t(p >> 8));
            raw.push_back(uint8_t(p));
        }
    }
    uLongf packed = compressBound(static_cast<uLong>(raw.size()));
    std::vector<uint8_t> z(packed);
    if (compress2(z.data(), &packed, raw.data(), static_cast<uLong>(raw.size()), 6) != Z_OK) return false;
    z.resize(packed);

    std::vector<uint8_t> out{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> ihdr;
    Put32(ihdr, static_cast<uint32_t>(frame.width));
    Put32(ihdr, static_cast<uint32_t>(frame.height));
    ihdr.insert(ihdr.end(), {8, 2, 0, 0, 0});  // 8-bit RGB
    Chunk(out, "IHDR", ihdr);
    Chunk(out, "IDAT", z);
    Chunk(out, "IEND", {});
    return WriteFileAtomic(GivenPath{path}, out.data(), out.size());
}
}  // namespace plat
