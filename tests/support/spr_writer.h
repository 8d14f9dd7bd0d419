// Writer of animation-set fixtures: the ".spr" file with its stream packed as one LZ block.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/types.h"

namespace support {

struct SprPart {
    uint16_t image = 0;  // index into the file's image names
    RECT dest, src;
    uint16_t flags = 0;
};

struct SprPattern {
    uint16_t wait = 0;
    uint16_t flip = 0;
    std::vector<SprPart> parts;
    std::array<RECT, 16> hit{};
};

struct SprStep {
    uint16_t pattern = 0, wait = 0;
};

struct SprFile {
    std::vector<std::string> images;  // names without directory or extension
    std::vector<SprPattern> patterns;
    std::array<std::vector<SprStep>, 128> seqs;
};

// A pattern of one part showing the w x h rectangle at (sx, sy) of image 0, anchored at its
// top-left corner.
SprPattern OnePart(int32_t sx, int32_t sy, int32_t w, int32_t h, uint16_t image = 0);

std::vector<uint8_t> SprStream(const SprFile& f);  // the unpacked stream
std::vector<uint8_t> SprBytes(const SprFile& f);   // "SPR" and the packed stream
// The same around a stream given as it is (for damaged files).
std::vector<uint8_t> SprBytesOfStream(const std::vector<uint8_t>& stream);
bool WriteSpr(const std::string& path, const SprFile& f);
}  // namespace support
