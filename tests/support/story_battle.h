// The story battle of the rig: seed 12345, the player's mech on scripted pad input against a
// "zako01" of CPU level 3 driven by its ".cpu" behaviour, with two more queued through the battle
// script's enemy-control commands at four spawn points outside the view, on a stage with pillars;
// blows on both sides, straight bullets from the player and homing missiles from the enemies.
#pragma once
#include "tests/support/battle_rig.h"
#include "tests/support/cpu_writer.h"

namespace support {

constexpr int kStoryFrames = 900;

// The behaviour of the story battle's enemies.
CpuSpec StoryCpu();
// The rig's set-up: in its first frame the battle script (through the test double of the script
// interpreter) preloads the enemy, lays the spawn points, queues the spawns and sets an event.
RigSetup StoryBattle();

}  // namespace support
