// Writer for ".waz" technique files, record by record and field by field in stored order, and a
// builder for the campaign state block.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace support {

struct WazaKeySpec {
    uint8_t anim = 0;
    uint8_t spare = 0;
    int16_t dash_anim = -1;
    int8_t dir = 0;
    uint8_t end_mode = 0;
    int16_t length = -1;  // below 0: the action ends before this keyframe
    uint16_t hit = 0, draw = 0, blend = 0;
    uint8_t sound = 0;
    int8_t armour = 127;
};

struct WazaActSpec {
    std::array<WazaKeySpec, 10> key{};
    uint8_t b160 = 0, cancel = 0, preview = 0, facing = 0, move = 0, b165 = 0;
    int16_t angle = 0;
    uint8_t flags = 0, b169 = 0;
    int16_t speed = 0, accel = 0, speed_min = 0, speed_max = 0;
    int16_t vspeed = 0, vaccel = 0, vspeed_min = 0, vspeed_max = 0;
    uint8_t chr_hits = 255, tama_hits = 255;
    int8_t hit_rate = 0;
    std::array<uint8_t, 3> b189{};
    std::array<uint8_t, 26> hit{};
    int16_t bullet = -1;
    std::array<uint8_t, 34> wpn_rest{};  // the weapon record after its bullet number
    int8_t effect = 0;
    uint8_t b255 = 0;
};

struct WazaLinkSpec {
    uint8_t from = 99, to = 99;
    int8_t kind = 0;
    uint8_t spare = 0;
    int16_t hits = 0;
};

struct WazaSpec {
    std::string name;  // Shift-JIS bytes, at most 39
    uint8_t used = 1, heat_kind = 0;
    uint16_t b42 = 0;
    int16_t heat = 0;
    uint8_t air = 1, b47 = 0;
    int16_t max_hits = 9999;
    int8_t speed_shift = 0;
    uint8_t b51 = 0;
    int16_t exp_base = 0;
    std::array<uint8_t, 32> slot_act{};  // every slot 99 unless set
    std::array<std::array<uint8_t, 3>, 4> repeat{};
    std::array<WazaLinkSpec, 8> link{};
    std::array<WazaActSpec, 16> act{};
    WazaSpec() { slot_act.fill(99); }
};

// Builders for techniques in tests: the 26-byte hit record field by field, a keyframe, the head of
// an action's weapon record and a technique of one action.
struct HitSpec {
    uint8_t flags = 0;
    int8_t flash = 0;
    int16_t base = 0, minimum = 0, reduction_step = 0;
    uint8_t stop = 0;
    int8_t knock_mode = 0;
    uint16_t knock_speed = 0, stagger = 0;
    uint8_t down = 0;
    uint16_t launch = 0;
    uint8_t spark = 0, spark_count = 0, spark_spread = 0;
    int8_t sound = 0;
    uint8_t flinch = 0, cancel_chance = 0;
};
std::array<uint8_t, 26> HitRecord(const HitSpec& h);
WazaKeySpec KeyFrame(uint8_t anim, uint8_t end_mode, int16_t length, uint16_t hit_boxes = 0);
void SetWeapon(WazaActSpec& act, int16_t bullet, uint16_t aim_mask, uint16_t fire_mask);
WazaSpec OneAction(const WazaActSpec& act, int16_t heat = 0);
// A blow: one action of one keyframe whose attack boxes hit once (hit rate 63), its heat unscaled.
WazaSpec Blow(uint8_t anim, int16_t length, uint16_t boxes, const HitSpec& h, int16_t heat, uint8_t cancel = 0);

// One record's 4,242 stored bytes.
std::vector<uint8_t> WriteWazaRecord(const WazaSpec& spec);
// A whole file: the count (the number of records, or the one given) and the records.
std::vector<uint8_t> WriteWaz(const std::vector<WazaSpec>& records);
std::vector<uint8_t> WriteWaz(const std::vector<WazaSpec>& records, int16_t count);

// The campaign block as its 1,504 stored bytes, field by field.
struct CampWeaponSpec {
    uint8_t status = 0;
    uint32_t uses = 0;
    int32_t level_points = 0, exp = 0, exp_shown = 0, penalty = 0, levelup_value = 0;
    int16_t heat_reduction = 0;
};
struct CampSpec {
    std::array<int16_t, 11> base{0, 500, 1, 6, 18, 24, 8, 2, 2, 100, 100};
    uint32_t gauge_pool = 0;
    std::array<int16_t, 12> equip{0, 3, 9, 54, 24, 57, 6, 21, 27, 72, 78, 114};
    uint32_t best_hits = 0, best_damage = 0;
    std::array<CampWeaponSpec, 45> weapon{};
};
std::vector<uint8_t> BuildCampBlock(const CampSpec& spec);

}  // namespace support
