// Fire orders: pool nodes of kind 1 that fire a weapon record's bullets: interval, bullets per
// shot, loops, firing pattern, muzzle and aim; in fire mode 4 the slots of a beam's segments.
#pragma once
#include <cstdint>

#include "battle/wpn_rec.h"
#include "platform/types.h"

struct LIST_NODE;

constexpr int WPN_BULLET_SLOTS = 64;
constexpr uint16_t WPN_FREE_SLOT = 65535;
constexpr int WPN_BEAM_MODE = 4;
constexpr int WPN_BEAM_MAX = 63;  // segments of a beam chain

struct WP2_DATA {
    const uint8_t* weapon;  // the weapon record that started it
    int16_t waza;           // the owner's technique number at creation
    uint16_t interval;      // frames between shots
    int16_t loops;          // loops left; the length of a beam chain
    int16_t per_shot;
    int16_t countdown;
    uint16_t shots;
    int32_t pattern[3];     // beam: the link-effects flag, the chain-length step, the hit mask
    int16_t beam_hits;      // raised by 2 a segment hit, lowered by 1 a frame without one
    uint8_t repeats;
    uint16_t slots[WPN_BULLET_SLOTS];  // bullets of a beam chain, WPN_FREE_SLOT free
};

extern int32_t wp2Cnt;  // live fire orders

// A fire order of the owner (a character or a bullet) for the weapon record: its node index, or
// -1 when the pool is full.
int32_t WPN_Create(LIST_NODE* owner, const uint8_t* weapon);
// The update of pool kind 1 for LIST_CURRENT.node; sets LIST_CURRENT.next.
int WPN_Update();
// The active index that followed the node.
int32_t WPN_Delete(LIST_NODE* node);
// The first free bullet slot below the chain length, or -1.
int WPN_FindFreeSlot(const LIST_NODE* order);
// One frame of the current fire order's timing: 1 while it goes on, 0 when it ends.
int WPN_FireStep();
// The hit box of the current owner's frame that bullet i leaves from, its rectangle in *rect;
// -1 when that box is empty or none.
int WPN_GetMuzzle(int i, int code, RECT* rect);
// Fires bullet i of a shot of the current fire order from the muzzle rectangle: 1, or 0 when a
// beam has no free slot.
int TAMA_Fire(int i, const RECT* rect, int box);
// The node's position plus its aim offset (a character's or a bullet's).
POINT WPN_MountPoint(const LIST_NODE* n);
// The bullet in slot k of the order when the slot holds a segment of that order at index k, or
// null: a slot keeps the index of a segment that has gone until it is freed or taken again.
LIST_NODE* WPN_SlotBullet(const LIST_NODE* order, int k);
