// Writer for ".cpu" behaviour files: stats, movement actions, technique patterns with their steps and
// reactions, field by field in stored order.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace support {

struct CpuActionSpec {
    int8_t state = -1;  // -1: an empty slot
    uint16_t move_mode = 0;
    int16_t duration = 0;
    int8_t min_level = 0;
    int16_t chance = 0, chance_per_level = 0;
    int32_t min_dist = 0, max_dist = 100000;
    int32_t max_levels = 100;
    uint16_t own_mask = 0, target_mask = 0;
    uint8_t priority = 0;
    int16_t pattern_chance = 0;
    int16_t delay = 0;
};

struct CpuStepSpec {
    int16_t technique = -1;  // -1: no step
    int8_t min_level = 0;
    int16_t chance = 1000, chance_per_level = 0;
    int32_t min_dist = 0, max_dist = 100000;
    int32_t max_levels = 100;
    uint16_t own_mask = 0, target_mask = 0;
    uint8_t priority = 0;
    int16_t end_rule = 0;
    int16_t wait = 0, wait_per_level = 0;
    int16_t combo_chance = 0;
};

struct CpuPatternSpec {
    uint8_t flag = 0;
    std::array<CpuStepSpec, 5> step{};
};

struct CpuReactionSpec {
    int8_t kind = -1;  // -1: none
    int16_t value = 0;
    int8_t min_level = 0;
    int16_t chance = 0, chance_per_level = 0;
    int16_t delay = 0, delay_per_level = 0;
    int32_t min_dist = 0, max_dist = 100000;
    uint16_t own_mask = 0;
    uint8_t priority = 0;
};

struct CpuSpec {
    std::array<int16_t, 24> stats{};
    std::array<CpuActionSpec, 16> action{};
    std::array<CpuPatternSpec, 24> pattern{};
    std::array<CpuReactionSpec, 160> reaction{};
};

// The 9,584 bytes of the block.
std::vector<uint8_t> WriteCpu(const CpuSpec& spec);
// Stats for a CPU mech that walks and dashes: 2 levels, armour 500, walk 4, dash 12, long dash 16 x 8.
CpuSpec MobileCpu();
// "Dat/<stem>.cpu" below the current directory.
bool WriteCpuFile(const std::string& stem, const CpuSpec& spec);

}  // namespace support
