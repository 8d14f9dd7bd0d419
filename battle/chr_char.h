// Battle characters: the character record, the ten slots, creation, deletion and reset, stats from
// the campaign block or the CPU data, heat, facing and animation, directions, targets and the end
// of actions and techniques.
#pragma once
#include <cstdint>

struct LIST_NODE;

constexpr int CHR_SLOTS = 10;
constexpr int CHR_UNITS = 2080;  // durability units of one level
constexpr int CHR_HEAT_MAX = 130;
constexpr int CHR_USE_LIST = 25;
constexpr int CHR_DURATIONS = 128;
constexpr int16_t CHR_NO_TECHNIQUE = -999;
constexpr int16_t CHR_PRIORITY = 5;
constexpr int CHR_ANIM_STAND = 6;

enum CHR_CONTROL : int8_t { CHR_PLAYER = 0, CHR_CPU = 1 };

struct CHR_DATA {
    int32_t box_w, box_h;          // map box, 64 x 80
    uint16_t box_cw, box_ch;       // the same in chips
    uint16_t rem_x, rem_y;         // map box position within its chip
    int16_t sign_x, sign_y;        // sign of the last non-zero movement on each axis
    int8_t mech;
    int8_t control;
    uint8_t cpu_level;
    uint8_t preview_counter;
    int16_t units;                 // durability left in the current level
    int16_t levels;                // levels left; below 0 beaten
    int16_t levels_start;
    int16_t heat, heat_max;
    int16_t armour, armour_max;
    int16_t walk_speed, dash_speed, long_dash_speed, long_dash_len;
    int16_t attack, stat2;
    int16_t heat_pct0;
    int16_t beam, stat5;
    int16_t heat_pct1;
    int16_t freeze;                // hit stop frames
    int16_t defence;               // percent
    int32_t pad_vec[2];            // 16.16 unit vectors
    int32_t waza_vec[2];
    int32_t knock_vec[2];
    int16_t move_speed, waza_speed, knock_speed;
    int8_t flash_kind;             // -1 none
    uint8_t flash_req, flash_timer;
    int16_t act_frames, key_frames, key_countdown;
    int16_t preview_step;
    int16_t state, state_step, state_counter, state_aux;
    uint8_t moved;
    int16_t phase;                 // 0 none, 1 moving and hitting, 2 firing
    int16_t dash_phase;
    int16_t phase_step, phase_spare[2];
    int16_t air_time;
    int16_t waza;                  // weapon x 3 + variant
    uint8_t slide_mask;
    int16_t chr_hits_left, tama_hits_left;
    int16_t hits_landed;
    int8_t hit_stop;
    uint8_t act_slot;
    uint8_t repeat[4];
    uint8_t act_index, key_index;
    uint8_t anim_done;
    uint16_t durations[CHR_DURATIONS];  // frames of each step of the current animation
    uint8_t cancel_ok;
    int32_t queued;                // technique to start next frame, -1 none
    uint16_t combo_hits;
    uint32_t combo_damage;
    uint8_t waza_active;
    uint8_t combo_window;
    uint8_t combo_cells[12];
    int16_t use_list[CHR_USE_LIST];
    uint8_t use_count;
    uint8_t repeats;
    uint8_t dashed;
    uint8_t carried_speed;
    int32_t reduction;
    uint8_t waza_started;
    int32_t aim[2];                // target position minus own position
    int32_t sprite_bank;           // animation set of the mech's ".spr"
    uint32_t line_flag;
    uint16_t stagger;              // stagger length of the last hit taken (0 before any)
};

extern LIST_NODE* CHR_TABLE[CHR_SLOTS];
extern uint8_t CHR_DESTROYED[CHR_SLOTS];

// 1, or -1 when the slot or mech type is out of range, the pool or the display objects are full,
// no animation set is free or the mech's ".spr" does not load (nothing it took is kept).
int CHR_Create(int slot, int team, int control, int mech, int32_t x, int32_t y, int cpu_level, int level_override);
// The active index that followed the character's node, or -999 for an empty slot.
int32_t CHR_Delete(int slot);
// 1, or 0 for an empty slot. x, y of -999 keep the position; refill 0 keeps the durability.
int CHR_Reset(int slot, int32_t x, int32_t y, int refill);
void CHR_InitStats(LIST_NODE* node, int level_override);
void CHR_ShowAll(int flag);
int CHR_SetState(LIST_NODE* node, int state);
int CHR_SetWazaPhase(LIST_NODE* node, int phase);
// -1 refused (heat may not fall during a technique), 1 at 0, 2 at 130, else 0.
int CHR_AddHeat(LIST_NODE* node, int delta);
void CHR_ClearUseList(LIST_NODE* node);
int CHR_SetAnim(LIST_NODE* node, int anim, int dash_anim, int facing, int restart, int loop);
int CHR_SetTarget(LIST_NODE* node, int mode, int slot);
int CHR_KeyToDir(int mask);
void CHR_SetDirVelocity(LIST_NODE* node, int dir, int32_t speed);
void CHR_ClearCombo(LIST_NODE* node);
void CHR_EndWaza(LIST_NODE* node);
void CHR_EndAction(LIST_NODE* node);
// The slot's character node, or null.
LIST_NODE* CHR_Get(int slot);
