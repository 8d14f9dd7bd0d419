// Character movement and collision: one movement sub-step with gravity and bounds, the solver
// that pushes a character back from walls and other characters and slides it round corners, and
// the separation of two characters standing in each other.
#pragma once
#include <cstdint>

struct LIST_NODE;

// The sub-step of the running movement loop (0 on the first sub-step of a frame).
extern int32_t CHR_MoveSubStep;

// One sub-step of the current character: 1 when it met an obstacle.
int CHR_Move(int gravity, int ignore_chr);
// 0 free move, 1 corrected, -1 blocked by a character, -2 blocked by a wall.
int CHR_MoveCollide(int32_t* x16, int32_t* y16, int ignore_chr, int second_pass);
// 1 after pushing the current character out of another one, 0 when nothing overlaps.
int CHR_HitCheck_Chr(int32_t* x16, int32_t* y16, int ignore_chr);
// Slot of the first character overlapping the node, or -1.
int CHR_FindOverlap(const LIST_NODE* node);
