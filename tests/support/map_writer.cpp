// Stage writers: ".map" layers and "_o.csp" tables.
#include "tests/support/map_writer.h"

#include "platform/bytes.h"

namespace support {
namespace {
template <class T, class PutValue>
std::vector<uint8_t> EncodeRuns(const std::vector<T>& cells, PutValue put) {
    std::vector<uint8_t> out;
    for (size_t i = 0; i < cells.size();) {
        size_t n = 1;
        while (i + n < cells.size() && cells[i + n] == cells[i] && n < 0xFFFF) ++n;
        put(out, cells[i]);
        // What is left of a run cut at 65535 is a run too, however short: a lone value followed
        // by its equal would read as the start of a run.
        if (n > 1 || (i > 0 && cells[i - 1] == cells[i])) {
            put(out, cells[i]);
            plat::Put16(out, uint16_t(n));
        }
        i += n;
    }
    return out;
}

template <class T>
std::vector<T> Padded(const std::vector<T>& v, size_t n) {
    std::vector<T> out(v);
    out.resize(n, T(0));
    return out;
}
}  // namespace

std::vector<uint8_t> EncodeWordRuns(const std::vector<uint16_t>& cells) {
    return EncodeRuns(cells, [](std::vector<uint8_t>& o, uint16_t v) { plat::Put16(o, v); });
}

std::vector<uint8_t> EncodeByteRuns(const std::vector<uint8_t>& cells) {
    return EncodeRuns(cells, [](std::vector<uint8_t>& o, uint8_t v) { o.push_back(v); });
}

std::vector<uint8_t> AssembleMap(uint16_t width, uint16_t height, const std::vector<uint8_t> layers[4]) {
    std::vector<uint8_t> out(0x40, 0);
    auto put32 = [&](int at, uint32_t v) {
        for (int i = 0; i < 4; ++i) out[at + i] = uint8_t(v >> (8 * i));
    };
    out[0x10] = uint8_t(width);
    out[0x11] = uint8_t(width >> 8);
    out[0x14] = uint8_t(height);
    out[0x15] = uint8_t(height >> 8);
    for (int l = 0; l < 4; ++l) {
        put32(kMapLayerStart[l], uint32_t(out.size()));
        out.insert(out.end(), layers[l].begin(), layers[l].end());
        put32(kMapLayerEnd[l], uint32_t(out.size()));
    }
    return out;
}

std::vector<uint8_t> MakeMap(const MapSpec& s) {
    const size_t n = size_t(s.width) * s.height;
    const std::vector<uint8_t> layers[4] = {EncodeWordRuns(Padded(s.chips, n)), EncodeWordRuns(Padded(s.objs, n)),
                                            EncodeByteRuns(Padded(s.attr, n)), EncodeByteRuns(Padded(s.extra, n))};
    return AssembleMap(s.width, s.height, layers);
}

std::vector<uint8_t> MakeCsp(const std::vector<CspEntry>& entries) {
    std::vector<uint8_t> out(8, 0);
    plat::Put32(out, uint32_t(entries.size() * 12));
    plat::Put32(out, 16);
    for (const CspEntry& e : entries)
        for (int16_t v : {e.sx, e.sy, e.w, e.h, e.ax, e.ay}) plat::Put16(out, uint16_t(v));
    return out;
}
}  // namespace support
