// Writers for battle stages: ".map" files with their four run-length layers and "_o.csp"
// background-object tables.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/grp_writer.h"

namespace support {

// Per-cell values of a stage, row by row (width x height entries each; shorter layers are padded
// with 0, so an empty vector is an all-zero layer).
struct MapSpec {
    MapSpec(uint16_t w = 0, uint16_t h = 0) : width(w), height(h) {}
    uint16_t width, height;
    std::vector<uint16_t> chips;  // sheet index: column v % 40, row v / 40
    std::vector<uint16_t> objs;   // 0 none, k: table entry k - 1
    std::vector<uint8_t> attr;    // bit 0 wall
    std::vector<uint8_t> extra;   // ground kind
};

// A stage of w x h chips of sheet chip 1, without walls, of ground kind 0.
MapSpec FlatMapSpec(uint16_t w, uint16_t h);

// Run-length coding of a layer: equal neighbours become (value, value, u16 count), any other value
// stands alone. Words are 16-bit, bytes 8-bit with the count unaligned.
std::vector<uint8_t> EncodeWordRuns(const std::vector<uint16_t>& cells);
std::vector<uint8_t> EncodeByteRuns(const std::vector<uint8_t>& cells);

// A whole file from four coded layers (chips, objects, attributes, ground) in that order.
std::vector<uint8_t> AssembleMap(uint16_t width, uint16_t height, const std::vector<uint8_t> layers[4]);
std::vector<uint8_t> MakeMap(const MapSpec& spec);

// Header offsets of the layer table, for tests that damage it.
constexpr int kMapLayerStart[4] = {0x28, 0x2C, 0x34, 0x38};
constexpr int kMapLayerEnd[4] = {0x2C, 0x30, 0x38, 0x3C};

struct CspEntry {
    int16_t sx, sy, w, h, ax, ay;
};
std::vector<uint8_t> MakeCsp(const std::vector<CspEntry>& entries);

// A whole stage: the map, its object table and both sheets (16-bit pictures).
struct StageFiles {
    MapSpec map;
    std::vector<CspEntry> csp;
    GrpPicture chips, objects;
};
// A stage of w x h chips drawn from a seed: chips of every look on a 40 x 8 sheet (no pixel 0),
// walls in about one cell in seven, ground kinds, and `objects` background objects of a few
// pictures with transparent holes and anchors at their feet.
StageFiles MakeTestStage(uint16_t w, uint16_t h, uint32_t seed, int objects);
// Writes "Bmp/Map/<map_name>.map" and the sheets and table under <sheet_name> ("_f.grp", "_o.grp",
// "_o.csp") below the current directory.
bool WriteStage(const std::string& map_name, const std::string& sheet_name, const StageFiles& stage);

}  // namespace support
