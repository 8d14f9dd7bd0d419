// The battle snapshot every save record carries: the campaign block, the characters, map and
// camera, script events, enemy control, ambient particles, the draw offset and the two script
// switches, as 3,744 little-endian bytes; filled from the live battle and rebuilt from.
#pragma once
#include <cstdint>

#include "platform/types.h"

constexpr int SNAP_SIZE = 3744;
constexpr int SNAP_OFF_CHARS = 1504;
constexpr int SNAP_CHAR_SIZE = 48;
constexpr int SNAP_OFF_MAP = 1984;
constexpr int SNAP_MAP_SIZE = 96;
constexpr int SNAP_OFF_EVENTS = 2080;
constexpr int SNAP_OFF_ECNT = 2228;
constexpr int SNAP_OFF_AMBIENT = 3724;
constexpr int SNAP_OFF_DRAW_OFFSET = 3728;
constexpr int SNAP_OFF_GUARD = 3736;
constexpr int SNAP_OFF_COLLIDE = 3740;
constexpr int SNAP_CAMERA_VALUES = 15;

struct SnapChar {
    uint8_t present;
    int32_t x, y, dir, team, control, mech, level;
    int32_t target_slot;  // -1 none
    int32_t units, levels;
    uint8_t saved_visible, saved_running;  // the display object's two saved bytes (never restored)
};

struct SnapMap {
    int32_t stage;  // -1 no map
    int32_t variant, dark;
    RECT rect;
    // mode, scroll x, y, fixed x, y, 16.16 scroll x, y, range x, y, speed ramp, ramp step, speed,
    // and three node fields stored as 0.
    int32_t camera[SNAP_CAMERA_VALUES];
    int32_t follow_slot, second_slot;  // second -1 none
};

struct BattleSnap {
    uint8_t camp[1504];
    SnapChar chr[10];
    SnapMap map;
    uint8_t events[148];
    uint8_t ecnt[1496];
    uint32_t ambient;
    int32_t draw_x, draw_y;
    uint32_t guard, collide;
};

void SNAP_Pack(const BattleSnap& s, uint8_t out[SNAP_SIZE]);
void SNAP_Unpack(BattleSnap& s, const uint8_t in[SNAP_SIZE]);

// The snapshot the save records copy.
extern uint8_t BATTLE_SNAP_DATA[SNAP_SIZE];

void mBSC_SaveSnap();
// Entries naming a slot or mech type out of range are skipped, camera and position values are
// kept where the camera can compute with them, and the ambient count to what the pool can hold.
void mBSC_LoadSnap();
