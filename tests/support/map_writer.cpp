// Stage writers: ".map" layers and "_o.csp" tables.
#include "tests/support/map_writer.h"

#include <filesystem>
#include <random>

#include "platform/bytes.h"
#include "tests/support/fixture.h"

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

MapSpec FlatMapSpec(uint16_t w, uint16_t h) {
    MapSpec spec(w, h);
    const size_t n = size_t(w) * h;
    spec.chips.assign(n, 1);
    spec.attr.assign(n, 0);
    spec.extra.assign(n, 0);
    return spec;
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
StageFiles MakeTestStage(uint16_t w, uint16_t h, uint32_t seed, int objects) {
    std::mt19937 rng(seed);
    StageFiles s;
    s.map = MapSpec(w, h);
    const size_t n = size_t(w) * h;
    s.map.chips.resize(n);
    s.map.attr.resize(n);
    s.map.extra.resize(n);
    for (size_t i = 0; i < n; ++i) {
        // Runs of equal chips as real maps have, and single ones.
        s.map.chips[i] = i && rng() % 3 == 0 ? s.map.chips[i - 1] : uint16_t(rng() % 320);
        s.map.attr[i] = rng() % 7 == 0;
        s.map.extra[i] = uint8_t(rng() % 4 == 0 ? 255 : rng() % 3);
    }
    s.chips = MakeGrp(16, 640, 128);
    for (uint32_t y = 0; y < 128; ++y)
        for (uint32_t x = 0; x < 640; ++x) Set555(s.chips, x, y, uint16_t(1 + (x * 7 + y * 131 + (x / 16) * 977) % 0x7FFF));
    // Four pictures side by side on the object sheet, each with a transparent frame and hole.
    s.objects = MakeGrp(16, 256, 96);
    for (uint32_t y = 0; y < 96; ++y)
        for (uint32_t x = 0; x < 256; ++x) {
            const bool hole = (x % 64) < 3 || y % 24 == 5 || ((x + y) % 29 == 0);
            Set555(s.objects, x, y, hole ? 0 : uint16_t(0x4000 | (x * 13 + y * 29) % 0x3FFF));
        }
    for (int16_t k = 0; k < 4; ++k) s.csp.push_back({int16_t(64 * k), 0, int16_t(40 + 8 * k), int16_t(48 + 16 * k), 8, int16_t(32 + 16 * k)});
    s.map.objs.assign(n, 0);
    for (int k = 0; k < objects; ++k) s.map.objs[rng() % n] = uint16_t(1 + rng() % 4);
    return s;
}

bool WriteStage(const std::string& map_name, const std::string& sheet_name, const StageFiles& stage) {
    std::error_code ec;
    std::filesystem::create_directories("Bmp/Map", ec);
    const std::string dir = "Bmp/Map/";
    return WriteBytes(dir + map_name + ".map", MakeMap(stage.map)) &&
           WriteGrp(dir + sheet_name + "_f.grp", stage.chips, false) &&
           WriteGrp(dir + sheet_name + "_o.grp", stage.objects, false) &&
           WriteBytes(dir + sheet_name + "_o.csp", MakeCsp(stage.csp));
}

}  // namespace support
