// The adventure script engine as the system UI meets it: the input it is handed each frame, the
// screen-transition state, the text window and the choice window.
#pragma once
#include <cstdint>

#include "services/key_button.h"

// The key state and mouse frame the scenario mode hands over each frame (null keys: none yet).
void ADV_SetKeyState(const KeyData* keys);
void ADV_SetMouse(const MouseFrame* mouse);

// The running scripted screen transition: kind 1 to 4, 0 none.
extern int32_t ADV_TRANSITION;
// Draws the adventure layer's transitions.
void ADV_Draw();

// The text window's frame update; (0, -1) clears the current face; the message laid out again.
void WND_Update();
void WND_SetFace(int32_t stand, int32_t expression);
void WND_Relayout();

// The choice window's update.
void SEL_Main();
