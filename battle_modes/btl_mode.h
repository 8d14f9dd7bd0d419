// The battle mode (top-level mode 4) as the frame driver calls it.
#pragma once

// The update step of mode 4.
void BTL_Main();
// The draw step of mode 4; presents the frame.
void BTL_Draw();
