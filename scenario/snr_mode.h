// The scenario subsystem as the shell and the system UI meet it: the scenario and departure modes
// (5 and 8), the load request, the backlog store and its strip helper.
#pragma once
#include <cstdint>

#include "platform/display.h"

void SNR_Update();
void SNR_Draw();     // presents the frame
void DEPART_Update();
void DEPART_Draw();  // presents the frame

// The pending load slot (0..97 regular, 110..119 automatic) and the controller's state
// (7: fade out and restart from that slot; the next SNR_Update loads it through SAVE_ReadSlot).
void SNR_SetLoadSlot(int32_t slot);
void SNR_SetState(int32_t state);

// The backlog store: capacity 64, 128 or 256 entries by log_size (0, 1, 2; others as 0).
void LOG_Alloc();
void LOG_Free();
int32_t LOG_Capacity();  // 0 while not allocated
// Fills the rectangle of the surface, corners included, with colour 0 (transparent).
void LOG_ClearSurfaceRect(DDSurface* surface, int32_t x0, int32_t y0, int32_t x1, int32_t y1);

// The scenario map's scroll limits.
void EVT_Init();
void EVT_Term();
