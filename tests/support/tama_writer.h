// Writer for "Dat\Tama.dat": bullet records built by phase, keyframe, scale record and weapon, each
// written field by field in stored order with the editor's defaults unless set.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/waza_writer.h"

namespace support {

struct TamaKeySpec {
    uint8_t seq = 0, b1 = 0;
    int16_t unused = -1;
    uint8_t face = 0, timing = 0;
    int16_t length = -1;  // below 0: no keyframe
    uint16_t multi_hit = 2, draw = 0, blend = 0;
    uint8_t sound = 0, b15 = 0;
};

struct TamaScaleSpec {
    uint8_t mode = 0, b1 = 0;
    int16_t value = 256, step = 0, min = 0, max = 9999;
};

struct WpnSpec {
    int16_t bullet = -999;
    uint16_t aim = 0, start = 0, cont = 0;
    uint8_t muzzle = 6;
    int8_t mode = 0;
    uint8_t hit_kind = 1, source = 1, origin = 0, b13 = 0;
    uint16_t interval = 0, per_shot = 1, loops = 1, interval_adj = 0, per_shot_adj = 0, loops_adj = 0;
    int16_t p1 = 0, p2 = 0, p3 = 0;
    uint8_t effect = 0, effect_count = 63, sound = 0, b35 = 0;
};

// The hit section from the hit code on (offsets 274..303 of a phase), as a new record has it.
struct TamaHitSpec {
    int8_t code = 63;
    uint8_t b275 = 0, b276 = 0, b277 = 0;
    std::array<uint8_t, 26> hit{1, 0, 0, 0, 50, 0, 1, 0, 1, 0, 0, 0, 8, 0, 4, 0, 0, 0, 5, 0, 0, 63, 16, 26, 0, 0};
};

struct TamaPhaseSpec {
    std::array<TamaKeySpec, 4> key{};
    std::array<TamaScaleSpec, 4> scale{};
    std::array<uint8_t, 4> draw_parts{1, 1, 1, 1};
    int8_t end = -1, after = -1, land = -1;
    uint8_t b111 = 0;
    int16_t hit1 = -1;
    int8_t hit1_phase = -1;
    uint8_t b115 = 0;
    int16_t hit2 = -1;
    int8_t hit2_phase = -1, wall_phase = -1;
    uint8_t b120 = 0;
    uint8_t cls = 0, flags = 0, variant = 0, seg_variant = 0;
    std::array<int32_t, 16> p{}, q{};
    int16_t speed = 0, speed_step = 0, speed_min = -255, speed_max = 255;
    int16_t rise = 0, rise_step = 0, height_min = -255, height_max = 255;
    uint8_t chr_hits = 0, tama_hits = 0;
    TamaHitSpec hit;
    uint8_t wall_mode = 0;  // written over hit byte 2
    uint8_t trail = 0, trail_box = 0, trail_count = 63, trail_spread = 16;
    WpnSpec wpn;
};

struct TamaSpec {
    std::string name = "\x90V\x8bK\x92" "e" /* 新規弾 */;  // Shift-JIS bytes, at most 39
    uint8_t used = 1;
    std::array<TamaPhaseSpec, 4> phase{};
    int16_t own_index = -1;  // -1: the record's index in the file
};

// A hit record (26 bytes) from the melee builder, for a phase's hit section.
inline void SetHit(TamaPhaseSpec& p, const HitSpec& h) { p.hit.hit = HitRecord(h); }
// A keyframe of the sequence, timing mode and length, otherwise the defaults.
TamaKeySpec TamaKey(uint8_t seq, uint8_t timing, int16_t length);

// The 36 bytes of a weapon record; the weapon of a technique action set from one.
std::array<uint8_t, 36> WeaponRecord(const WpnSpec& w);
void SetWeapon(WazaActSpec& act, const WpnSpec& w);

// One record's 1,422 stored bytes; it stores index as its own unless own_index says otherwise.
std::vector<uint8_t> WriteTamaRecord(const TamaSpec& spec, int index);
// A whole file: the count (the number of records, or the one given) and the records.
std::vector<uint8_t> WriteTama(const std::vector<TamaSpec>& records);
std::vector<uint8_t> WriteTama(const std::vector<TamaSpec>& records, int16_t count);
// "Dat/Tama.dat" below the current directory.
bool WriteTamaFile(const std::vector<TamaSpec>& records);

}  // namespace support
