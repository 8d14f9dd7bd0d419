// Blend tables and the level blitters: alpha, additive with strength, dim and whiten.
#pragma once
#include <cstdint>

#include "display/dd_display.h"

constexpr int BLT_BLEND_BANKS = 96;
// Bank b, destination channel d, source channel s (5 bits each): BLT_BLEND_TABLE[b][d * 32 + s].
extern uint8_t BLT_BLEND_TABLE[BLT_BLEND_BANKS][1024];

void BLT_BuildTables();
