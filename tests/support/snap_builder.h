// Builder for battle snapshot records (3,744 bytes) field by field in stored order, independent of
// the game's own packing, for tests and fuzz seeds.
#pragma once
#include <array>
#include <cstdint>
#include <vector>

#include "tests/support/waza_writer.h"

namespace support {

struct SnapCharSpec {
    uint8_t present = 0;
    int32_t x = 0, y = 0, dir = 0, team = 0, control = 0, mech = 0, level = 0, target_slot = -1;
    int32_t units = 2080, levels = 0;
    uint8_t saved_visible = 0, saved_running = 0;
};

struct SnapEventSpec {
    uint8_t used = 0;
    int32_t kind = 0, slot = -1;
};

struct SnapSpawnSpec {
    int32_t frame = 0, max_others = 0, mech = 0, level = -1, override_levels = -1;
};

struct SnapSpec {
    CampSpec camp;
    std::array<SnapCharSpec, 10> chr{};
    int32_t stage = -1, variant = 0, dark = 0;
    std::array<int32_t, 4> rect{};
    std::array<int32_t, 15> camera{};
    int32_t follow_slot = 0, second_slot = -1;
    int32_t triggered = -1;
    std::array<SnapEventSpec, 12> event{};
    std::array<int32_t, 10> bank{-1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
    std::array<int32_t, 10> bank_mech{};
    std::array<std::array<int32_t, 2>, 16> point{};
    std::array<SnapSpawnSpec, 64> spawn{};
    int32_t queued = 0, clock = 0;
    uint32_t ambient = 0;
    int32_t draw_x = 0, draw_y = 0;
    uint32_t guard = 0, collide = 1;
    SnapSpec() {
        for (auto& p : point) p = {-999, -999};
    }
};

std::vector<uint8_t> BuildSnap(const SnapSpec& spec);

}  // namespace support
