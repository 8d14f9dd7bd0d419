// The system bar's touchpoints with the script engine's text window and the scenario mode, held
// here until those subsystems exist; the text window and the scenario then own them.
#include "shell/bar_link.h"

BAR_LINK_DATA BAR_LINK{1, 0, 1, -1, 0};

int BAR_TextWindowShown() { return BAR_LINK.text_window_shown; }
void BAR_SetTextWindowShown(int shown) { BAR_LINK.text_window_shown = shown ? 1 : 0; }
int BAR_FaceShown() { return BAR_LINK.face_shown; }
void BAR_HideFace() { BAR_LINK.face_shown = 0; }
int BAR_HaveKeys() { return BAR_LINK.have_keys; }
