// The per-frame updates of characters, one per battle state (all run on LIST_CURRENT.node and set
// the next index), the velocity of the movement sub-steps, the hit-flash timer, destruction, and
// the technique preview requests.
#pragma once
#include <cstdint>

extern int16_t CHR_PREVIEW_REQUEST[10];  // per slot: the action slot to preview, -1 none

int CHR_Update();
int CHR_UpdateInputOnly();
int CHR_UpdateStateOnly();
int CHR_UpdatePreview();
int CHR_UpdateMenu();
int CHR_UpdateScript();
// These work on the current character.
void CHR_ComposeVelocity();
void CHR_FlashTimer();
void CHR_Destroy();
