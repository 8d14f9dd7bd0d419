// The adventure script engine's least form until the interpreter, text and choice windows are
// written: it shows nothing; what the system UI reads of it (whether it has the keys, the text
// window's shown and face flags, the choice window's flags) the bar keeps meanwhile.
#include "script/adv_script.h"

#include "shell/bar_link.h"

int32_t ADV_TRANSITION = 0;

void ADV_SetKeyState(const KeyData* keys) { BAR_LINK.have_keys = keys ? 1 : 0; }
void ADV_SetMouse(const MouseFrame*) {}  // the bar reads the mouse frame the scenario hands over
void ADV_Draw() {}

void WND_Update() {}
void WND_SetFace(int32_t stand, int32_t expression) {
    if (stand == 0 && expression == -1) BAR_HideFace();
}
void WND_Relayout() {}

void SEL_Main() {}
