// The campaign state block: the player mech's base values, the gauge pool, the combo grid, best
// combos and the development state of 45 weapons; new-game defaults and the unlock rule.
#pragma once
#include <cstddef>
#include <cstdint>

constexpr int CAMP_SIZE = 1504;
constexpr int CAMP_WEAPONS = 45;
constexpr int CAMP_GRID = 12;
constexpr int CAMP_BASE_VALUES = 11;
constexpr int CAMP_SLOT_FILES = 100;

// Index of each base value (the n-th i16 of the block).
enum CAMP_BASE : int {
    CAMP_LEVELS = 0,
    CAMP_ARMOUR = 1,
    CAMP_WALK = 3,
    CAMP_DASH = 4,
    CAMP_LONG_DASH = 5,
    CAMP_LONG_DASH_LEN = 6,
    CAMP_HEAT0 = 9,
    CAMP_HEAT1 = 10,
};

// Development status of a weapon.
enum CAMP_STATUS : uint8_t { CAMP_LOCKED = 0, CAMP_CAN_REQUEST = 1, CAMP_REQUESTED = 2, CAMP_AVAILABLE = 3 };

struct CampWeapon {
    uint8_t status;
    uint8_t reserved1[3];
    uint32_t uses;       // since the last level-up screen
    int32_t level_points;
    int32_t exp;
    int32_t exp_shown;   // experience as the level-up screen last showed it
    int32_t penalty;     // repetition penalty, +10 a use
    int32_t levelup_value;
    int16_t heat_reduction;
    uint8_t reserved30[2];
};
static_assert(sizeof(CampWeapon) == 32);

struct CampData {
    int16_t base[CAMP_BASE_VALUES];
    uint8_t reserved22[2];
    uint32_t gauge_pool;
    int16_t equip[CAMP_GRID];  // technique numbers, 4 stages x 3 buttons
    uint32_t best_hits;
    uint32_t best_damage;
    uint8_t reserved60[4];
    CampWeapon weapon[CAMP_WEAPONS];
};
static_assert(sizeof(CampData) == CAMP_SIZE);
static_assert(offsetof(CampData, reserved22) == 22);
static_assert(offsetof(CampData, gauge_pool) == 24);
static_assert(offsetof(CampData, equip) == 28);
static_assert(offsetof(CampData, best_hits) == 52);
static_assert(offsetof(CampData, best_damage) == 56);
static_assert(offsetof(CampData, weapon) == 64);
static_assert(offsetof(CampWeapon, uses) == 4 && offsetof(CampWeapon, level_points) == 8);
static_assert(offsetof(CampWeapon, exp) == 12 && offsetof(CampWeapon, exp_shown) == 16);
static_assert(offsetof(CampWeapon, penalty) == 20 && offsetof(CampWeapon, levelup_value) == 24);
static_assert(offsetof(CampWeapon, heat_reduction) == 28);

extern CampData CAMP_DATA;

// Existing campaign slot files found at start-up: a present flag and the first 8 bytes of each.
struct CampSlot {
    uint32_t exists;
    uint8_t header[8];
};
extern CampSlot CAMP_SLOTS[CAMP_SLOT_FILES];
extern int32_t CAMP_SLOT_COUNT;

// The record of weapon w, or null outside 0..44 (a technique's weapon from a damaged file must not
// reach the block).
CampWeapon* CAMP_Weapon(int w);

int CAMP_InitNewGame();
void CAMP_UpdateDevelop();
// The weapon requested for development (status 2), or -1.
int CAMP_FindNewWeapon();
void CAMP_ScanSaves();

// The block as its 1,504 stored bytes, and back.
void CAMP_Pack(const CampData& c, uint8_t out[CAMP_SIZE]);
void CAMP_Unpack(CampData& c, const uint8_t in[CAMP_SIZE]);

// Bare blocks in "Save\save%02d.dat" (nothing calls these): written atomically (1 / 0); read back,
// with the new-game defaults when the file is missing or short; deleted with the slot marked empty.
int CAMP_SaveSlot(int n);
int CAMP_LoadSlot(int n);
int CAMP_DeleteSlot(int n);
