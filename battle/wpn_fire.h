// Fire orders: pool nodes of kind 1 that fire a weapon record's bullets.
#pragma once
#include <cstdint>

struct LIST_NODE;

constexpr int WPN_BULLET_SLOTS = 64;
constexpr uint16_t WPN_FREE_SLOT = 65535;

// The fields the effects read; the weapons module completes the record.
struct WP2_DATA {
    const uint8_t* weapon;
    int16_t waza;
    uint16_t interval;
    int16_t loops;  // loops left; the length of a beam chain
    int16_t per_shot;
    int16_t countdown;
    uint16_t shots;
    int32_t pattern[3];
    int16_t beam_hits;
    uint8_t repeats;
    uint16_t slots[WPN_BULLET_SLOTS];  // bullets of a beam chain, WPN_FREE_SLOT free
};

int WPN_Update();
int32_t WPN_Delete(LIST_NODE* node);
int32_t WPN_Create(LIST_NODE* owner, const uint8_t* weapon);
