// The title subsystem as the shell meets it: logo, title screen, ranking and the play kind.
#pragma once
#include <cstdint>

// What the title screen started: 0 story play, 1 scene replay, 2 another script.
extern int32_t TITLE_PlayKind;
