// The 36-byte weapon record that every technique action and every bullet phase holds: a typed view
// over its raw little-endian bytes.
#pragma once
#include <cstdint>

constexpr int WPN_REC_SIZE = 36;

enum WPN_REC_OFFSET : int {
    WPN_BULLET = 0,        // i16, below 0 no weapon
    WPN_AIM_MASK = 2,      // u16 by keyframe
    WPN_START_MASK = 4,    // u16 by keyframe
    WPN_CONTINUE_MASK = 6, // u16 by keyframe
    WPN_MUZZLE = 8,        // 0..15 a hit box, 16 box 5 or 6 at random, 17 alternating, 18 5 + bullet index
    WPN_FIRE_MODE = 9,     // i8
    WPN_HIT_KIND = 10,
    WPN_SOURCE_MODE = 11,
    WPN_ORIGIN_MODE = 12,
    WPN_INTERVAL = 14,     // u16
    WPN_PER_SHOT = 16,     // u16
    WPN_LOOPS = 18,        // u16
    WPN_INTERVAL_ADJ = 20, // u16
    WPN_PER_SHOT_ADJ = 22, // u16
    WPN_LOOPS_ADJ = 24,    // u16
    WPN_PATTERN1 = 26,     // i16
    WPN_PATTERN2 = 28,     // i16
    WPN_PATTERN3 = 30,     // i16
    WPN_EFFECT = 32,       // effect kind + 1, 0 none
    WPN_EFFECT_COUNT = 33, // count code
    WPN_SOUND = 34,        // sound + 1, 0 none
};

struct WPN_REC {
    const uint8_t* p;
    uint16_t u16(int off) const { return uint16_t(p[off] | p[off + 1] << 8); }
    int16_t bullet() const { return int16_t(u16(WPN_BULLET)); }
    uint16_t aim_mask() const { return u16(WPN_AIM_MASK); }
    uint16_t fire_mask() const { return u16(WPN_START_MASK); }
    uint16_t continue_mask() const { return u16(WPN_CONTINUE_MASK); }
    uint8_t muzzle() const { return p[WPN_MUZZLE]; }
    int8_t fire_mode() const { return int8_t(p[WPN_FIRE_MODE]); }
    uint8_t hit_kind() const { return p[WPN_HIT_KIND]; }
    uint8_t source_mode() const { return p[WPN_SOURCE_MODE]; }
    uint8_t origin_mode() const { return p[WPN_ORIGIN_MODE]; }
    uint16_t interval() const { return u16(WPN_INTERVAL); }
    uint16_t per_shot() const { return u16(WPN_PER_SHOT); }
    uint16_t loops() const { return u16(WPN_LOOPS); }
    uint16_t interval_adj() const { return u16(WPN_INTERVAL_ADJ); }
    uint16_t per_shot_adj() const { return u16(WPN_PER_SHOT_ADJ); }
    uint16_t loops_adj() const { return u16(WPN_LOOPS_ADJ); }
    int16_t pattern(int i) const { return int16_t(u16(WPN_PATTERN1 + 2 * (i - 1))); }  // 1..3
    uint8_t effect() const { return p[WPN_EFFECT]; }
    uint8_t effect_count() const { return p[WPN_EFFECT_COUNT]; }
    uint8_t sound() const { return p[WPN_SOUND]; }
};
