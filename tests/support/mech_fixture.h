// Mech fixtures: the animation sets "player" and "zako01" with their pictures, and technique
// files, written into the data directory layout the battle reads.
#pragma once
#include <string>
#include <vector>

#include "tests/support/grp_writer.h"
#include "tests/support/spr_writer.h"
#include "tests/support/waza_writer.h"

namespace support {

constexpr int kMechFrames = 4;  // base patterns; each has 8 facings (pattern = frame x 8 + facing)

// A mech's set: sequences 0-15 and 20-30 over the four frames, hit boxes 0, 2, 4-6, 8 and
// 13-15 on every pattern; look 0 is the player's, 1 a smaller enemy. The picture is named stem.
SprFile MechSprFile(const std::string& stem, int look);
// Its 256 x 640 picture: frame across, facing down, no pixel 0 inside the body.
GrpPicture MechPicture(int look);
// Two techniques with one action each: 0 a short move with heat 20, 1 a looping keyframe.
std::vector<WazaSpec> MechTechniques();
// "Bmp/Meka/<stem>.spr", its picture and "Dat/<stem>.waz" below the current directory.
bool WriteMech(const std::string& stem, int look);

}  // namespace support
