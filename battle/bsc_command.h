// Battle-script commands: the extension handler of the script interpreter (commands 0-50), the
// camera helpers for scripts, script events, character removal, explosions and screen changes; the
// per-character move queues of staged scenes and their script state handlers.
#pragma once
#include <cstdint>

#include "platform/types.h"

struct LIST_NODE;

constexpr int BSC_COMMANDS = 51;
constexpr int BSC_EVENTS = 12;
constexpr int BSC_EVENT_SIZE = 148;
constexpr int BSC_QUEUE_ENTRIES = 24;
constexpr int32_t BSC_QUEUE_HIT = 99;  // a queue interrupted by a hit

// ---- commands ----
// Runs command n (n > 50 does nothing): 1 when the interpreter ends its run for this frame
// (commands 0, 1, 2, 37 and 38), else 0.
int mBSC_Command(uint32_t n);
// Battle-script mode: kind 9, the handler installed, the queues reset and the camera on slot 0.
int mBSC_Start();

int mBSC_Cam_Off();
int mBSC_Cam_Pos_Set(int32_t x, int32_t y);
int mBSC_Cam_Chr_Set(int slot, int second);
int mBSC_Scr_Pos_Set(int32_t x, int32_t y);
int mBSC_Cam_Spd_Set(int32_t step, int32_t max);
int mBSC_Cam_Rng_Set(int32_t x, int32_t y);

// ---- script events ----
struct MBSC_EVENT_REC {
    uint8_t used;
    int32_t kind;  // 0 hit, 1 down with no durability left, 2 destroyed
    int32_t slot;
};
struct MBSC_EVENT_DATA {
    int32_t triggered;  // -1 none
    MBSC_EVENT_REC rec[BSC_EVENTS];
};
extern MBSC_EVENT_DATA MBSC_EVENT;

int mBSC_Event_Set(int index, int kind, int slot);
int mBSC_Event_Get();
void mBSC_Event_Reset();
int mBSC_Event_Check(int kind, int slot);
int mBSC_Event_Update();
// The block as its 148 stored bytes, and back: a triggered index outside -1..11 loads as -1 and an
// all-zero block (saved between battles) as the reset block.
void mBSC_Event_Save(uint8_t* out);
void mBSC_Event_Load(const uint8_t* in);

extern int32_t bscEnmGuard;    // 1: a team-1 character whose durability runs out stays at level 0
extern int32_t bscChrCollide;  // 0 in the battle-script kind: characters move without collision
extern int32_t bscBarkChr;     // the mech type command 34 barks for, -1 none

int mBSC_Chr_Kill(int slot);
int mBSC_Chr_Tgt_Set(int slot, int mode, int target_slot);
int mBSC_Eft_Bomb(int flag, int32_t x, int32_t y, int32_t height);
int mBSC_GoMenu();
int mBSC_GoLvUp();

// Commands 47 to 50: each reads its operands from the interpreter, calls the enemy-control
// operation and prints "(Error!!)  func_ECNT_..." when it fails; 0 (the script goes on).
int func_ECNT_SetObj();
int func_ECNT_DelObj();
int func_ECNT_SetPoint();
int func_ECNT_SetEnm();

// ---- move queues ----
struct MBSC_MOVE_ENTRY {
    uint8_t used;
    int32_t kind;    // 0 move-to, 1 turn, 2 technique; -1 the end reached
    int32_t x, y;    // move-to destination; -999 computed (long dash)
    int32_t state;   // move-to: the state 0..5 that moves; technique: its number
    int32_t facing;  // move-to: facing mode 0, 2 or 4; turn: direction -1..7
    int32_t speed;   // move-to in states 1-5: pixels a frame (-999 the state's own); else frames to wait
};
struct MBSC_MOVE_QUEUE {
    int32_t current;  // -1 idle, 99 interrupted by a hit
    int32_t saved;    // where an interrupted queue goes back to
    MBSC_MOVE_ENTRY entry[BSC_QUEUE_ENTRIES];
};
extern MBSC_MOVE_QUEUE MBSC_QUEUE[10];
extern int32_t bscMovRun;  // 1 while a queue run is under way
extern int32_t bscMovCnt;  // queues still running

int mBSC_Chr_Mov_Set(int slot, int32_t x, int32_t y, int state, int facing, int32_t speed);
int mBSC_Chr_Dir_Set(int slot, int dir, int32_t frames);
int mBSC_Chr_Waza_Set(int slot, int weapon, int variant, int32_t frames);
int mBSC_Chr_Mov_Start();
// Starts entry n of the slot's queue: its kind, or -1 for a free entry or n past the last.
int mBSC_Chr_Mov_Enter(int slot, int n);
int mBSC_Chr_Mov_Update();
int mBSC_Chr_Mov_Jump(int slot, int entry);
// -1 with no queue run, 999 while a bullet lives or the camera moves, else the queues running.
int mBSC_GetBusy();
void mBSC_Reset();
// What a scene leaves behind back to its start: the queues and their run, the events, the two
// switches and the bark character. The script-mode flag is the caller's and stays.
void mBSC_ResetLeftovers();

// Script state handlers by state 0..8 (6..8 the shared ones).
using MBSC_STATE_FUNC = int (*)(int* gravity);
extern const MBSC_STATE_FUNC MBSC_STATE_TABLE[9];
int mBSC_StateStand(int* gravity);
int mBSC_StateWalk(int* gravity);
int mBSC_StateDash(int* gravity);
int mBSC_StateDash5(int* gravity);

// A map coordinate (or camera value) from a script or a save, kept within +-16384 pixels so that its
// 16.16 copy and a step from it fit; a camera speed within 0..16384 (a negative one moves away).
constexpr int32_t BSC_COORD_LIMIT = 16384;
int32_t mBSC_Coord(int32_t v);
int32_t mBSC_Speed(int32_t v);

// SCR_SetScrRect with each edge first kept within the map (a script's or a save's rectangle may lie
// anywhere).
void mBSC_SetScrRect(const RECT& rect);

// A footfall of a walking mech: its sound and quake by mech type, and dust.
void mBSC_Footstep(int mech);
