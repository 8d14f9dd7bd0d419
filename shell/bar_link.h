// What the system bar needs of its neighbours: the text window and its face, the key state
// handed to the script engine, and the load the scenario is asked to restart from.
#pragma once
#include <cstdint>

// The text window's visible flag, which the bar's hide button flips.
int BAR_TextWindowShown();
void BAR_SetTextWindowShown(int shown);
// Whether the text window shows a face picture, and clearing it when skipping begins.
int BAR_FaceShown();
void BAR_HideFace();
// Whether the scenario has handed the script engine its key state (skip tests answer 0 before).
int BAR_HaveKeys();

// Until the script engine and the scenario mode hold these, the bar keeps them here.
struct BAR_LINK_DATA {
    int32_t text_window_shown;  // 1 at start
    int32_t face_shown;
    int32_t have_keys;          // 1 at start: the key state is the global one
    int32_t load_slot;          // the pending load slot, -1 none
    int32_t restart;            // the scenario was asked to fade out and restart from it
};
extern BAR_LINK_DATA BAR_LINK;
