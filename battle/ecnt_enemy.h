// Enemy control: preloaded enemy sprite banks, spawn points and timed spawns of enemy mechs at
// points outside the view, with a clock that skips ahead when the field is clear.
#pragma once
#include <cstdint>

constexpr int ECNT_BANKS = 10;
constexpr int ECNT_POINTS = 16;
constexpr int ECNT_QUEUE = 64;
constexpr int ECNT_SIZE = 1496;
constexpr int32_t ECNT_FREE_POINT = -999;

struct EcntSpawn {
    int32_t frame;       // spawn frame
    int32_t max_others;  // waits while this many characters or more hold slots 1-9
    int32_t mech;
    int32_t level;       // CPU level; -1 marks a free entry
    int32_t override_levels;
};

struct EcntData {
    int32_t bank[ECNT_BANKS];       // animation sets of preloaded mechs, -1 free
    int32_t bank_mech[ECNT_BANKS];
    int32_t point[ECNT_POINTS][2];  // x = -999: free
    EcntSpawn spawn[ECNT_QUEUE];
    int32_t queued;
    int32_t clock;                  // frames since the clock was last reset
};
extern EcntData ECNT_DATA;

// Offsets of the stored block.
constexpr int ECNT_OFF_BANK_MECH = 40;
constexpr int ECNT_OFF_POINTS = 80;
constexpr int ECNT_OFF_QUEUE = 208;
constexpr int ECNT_SPAWN_SIZE = 20;
constexpr int ECNT_OFF_COUNT = 1488;
constexpr int ECNT_OFF_CLOCK = 1492;
static_assert(ECNT_OFF_QUEUE + ECNT_QUEUE * ECNT_SPAWN_SIZE == ECNT_OFF_COUNT && ECNT_OFF_CLOCK + 4 == ECNT_SIZE);

void ECNT_Reset();
void ECNT_Release();
void ECNT_ResetClock();
int ECNT_SetObj(int mech);
// Frees every bank of the mech type; always 1 (a type with none has nothing to free).
int ECNT_DelObj(int mech);
int ECNT_SetPoint(int32_t x, int32_t y);
int ECNT_SetEnm(int32_t frame, int32_t max_others, int mech, int level, int level_override);
// The per-frame spawner: 0 when a due spawn could not be made (the clock holds), else 1.
int ECNT_Update();
// 1 when it moved the spawn clock on to the next queued spawn.
int ECNT_SkipToNext();
// 1 done, 0 no free character slot or no spawn point set.
int ECNT_SpawnEnm(int entry);
// A set spawn point outside the view grown by a pixel, in a random order; when every set point is
// in view, the first set point of that order; -1 while no point is set.
int ECNT_PickPoint();
// The block as its 1,496 stored bytes, and back. A load reloads the banks of its used slots (the
// stored handles only mark them used), skips entries of mech types outside 0..31, and takes an
// all-zero block as the reset block.
void ECNT_Save(uint8_t* out);
void ECNT_Load(const uint8_t* in);
