// The battle frame core the battle modes wrap: the battle state and kind, one object walk per
// state, the per-frame calls around it, the animation stepper, start-up, clean-up and shutdown of
// the battle module; the renderer it draws with is battle/btl_render.h.
#pragma once
#include <cstdint>

#include "battle/btl_render.h"
#include "platform/types.h"

// Battle-mode states the engine sets or reads.
enum BTL_STATE : int32_t {
    BTL_STATE_PRE = 2,      // before the fight: characters stand, nothing hits
    BTL_STATE_FIGHT = 4,
    BTL_STATE_SLOW = 5,     // slow-motion finish of a hit with stop frames
    BTL_STATE_PAUSE = 6,
    BTL_STATE_PREVIEW = 8,  // technique preview
    BTL_STATE_MENU = 14,    // live backdrop of the between-battles menu
    BTL_STATE_LEVELUP = 41,
};

extern int16_t BTL_KIND;            // 0 story, 2 menu backdrop, 4 survival, 5 map test, 6 challenge, 7 levels, 9 script
extern int16_t BTL_EndCount;        // 0 while fighting; 1 from a destruction on
extern int32_t BTL_CpuOn;           // CPU characters think only while on
extern int32_t BTL_DebugInvincible;
extern int8_t BTL_DebugWeaponLevel;

void BTL_SetState(int state);
// 0 the current state, 1 the previous one, 2 the state at the start of this frame.
int BTL_GetState(int which);
void BTL_SetKind(int kind);
// 1 in the kinds without HUD (1, 2, 3 and 9).
int BTL_IsHudOff();
void BTL_SetScriptMode(int flag);

// One update tick: the walk of the current state with its per-frame calls and the animation
// step. In state 5 a full frame runs every 4th tick while the slow frames count down, then the
// hold frames run whole, then state 4.
void BTL_FrameUpdate();
// One draw tick: the quake step, then the renderer with its update half at the draw offset.
void BTL_FrameDraw();
// The next draw tick is skipped once (a script switched screens in this update).
void BTL_SkipNextDraw();

// The walks. Each runs every active node by priority with the update of its kind.
void BTL_MainLoop();
void BTL_PauseLoop();
// A character of the slot exploded: its script event check (2, slot) runs in the main loop eight
// full frames later, once for each explosion.
void BTL_NoteExplosion(int slot);
// Battle-script mode: with the flag set every object runs and animates; 1 (after mBSC_Reset) when
// the script's moves are over.
int BTL_ScriptModeUpdate();

// Steps running animated display objects in sequence mode; characters in a technique phase take
// their step durations and loop exactly when their keyframe lasts 255.
void BTL_AnimStep();
// Blits an image's rectangle at (x, y) plus the view origin, keyed, into the render target.
void BTL_DrawImage(int image, int32_t x, int32_t y, const RECT* src);

// Start-up of the battle module (campaign defaults, enemy control, the stem file, the pool): 1, or
// 0 when the pool cannot be built. The process entry calls it once and BTL_Term at exit.
int BTL_Init();
void BTL_Term();
// The end of a battle: every object deleted, enemy banks released.
void BTL_Cleanup();
void BTL_DeleteAllObjects();
void BTL_DeleteNonCharObjects();
// What a battle leaves behind back to its start, once its objects are deleted: the end counter,
// the slots' destroyed flags and preview requests, the slow-motion count, the pending explosion
// checks, a skipped draw, the CPU work, the hit mask and the last destroyed slot, the fire-order
// count, the pad direction, combo and move sub-step, the scroll rectangle, the quake, the ambient
// count, the script's queues, events, switches and bark character, and the camera's links to its
// objects. What the battle's caller sets stays: the battle state and kind, the script-mode flag,
// the CPU and debug switches, the survival test condition and the camera's values.
void BTL_ResetLeftovers();
// Everything back to a fresh process's values, what callers set included (tests, fuzzers and
// benchmarks run battles one after another).
void BTL_ResetGlobals();
