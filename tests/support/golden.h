// Golden frames: a surface compared pixel for pixel with a checked-in PNG under tests/.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/display.h"

namespace support {

// Compares the surface (as the screen shows it) with tests/<name>.png. With ORV_UPDATE_GOLDEN=1
// the file is rewritten instead. "" when they match; otherwise what differs, and the frame drawn
// is written to <temp>/orv_golden/<name>.actual.png for a look.
std::string CheckGolden(const std::string& name, DDSurface* surface);
// The same for a picture the program wrote (its screenshot).
std::string CheckGoldenFile(const std::string& name, const std::string& png_path);

// ORV_UPDATE_GOLDEN: 1 rewrites the golden files, unset or 0 compares with them; any other value
// ends the process with a message and exit code 2 (a typo must not compare silently).
bool UpdateGolden();

// A PNG file's pixels as 0x00RRGGBB, row by row; false when it cannot be read.
bool ReadPng(const std::string& path, int* width, int* height, std::vector<uint32_t>* pixels);
}  // namespace support
