// Character states 0-8 (stand, walk, dashes, long dash, stagger, knocked into the air, down), the
// player's pad check for dashes and the combo input that picks techniques from the combo grid.
#pragma once
#include <cstdint>

struct LIST_NODE;

// A state handler sets the gravity flag of the frame (only state 7 does) and returns 1 or 0.
using CHR_STATE_FUNC = int (*)(int* gravity);
extern const CHR_STATE_FUNC CHR_STATE_TABLE[9];

// The pad direction of the frame (CHR_KeyToDir of the held bits, -1 none; -999 for CPU characters).
extern int32_t CHR_PadDir;
// 0 when the combo input started a combo from its first row with no technique running, else 1.
extern uint8_t CHR_ComboContinue;

int CHR_StateStand(int* gravity);
int CHR_StateWalk(int* gravity);
int CHR_StateDash(int* gravity);
int CHR_StateDash5(int* gravity);
// Shared with the CPU and script tables.
int CHR_StateHit(int* gravity);
int CHR_StateBlown(int* gravity);
int CHR_StateDown(int* gravity);

// 1 when the pad started a long dash or a double-tap dash.
int CHR_PadCheck();
// 1 a technique started (or queued), 0 nothing to do, -1 an attack button found none.
int CHR_ComboInput(int queue);
