// The per-frame updates of characters, one per battle state (all run on LIST_CURRENT.node and set
// the next index), and the technique preview requests.
#pragma once
#include <cstdint>

extern int16_t CHR_PREVIEW_REQUEST[10];  // per slot: the action slot to preview, -1 none

int CHR_Update();
int CHR_UpdateInputOnly();
int CHR_UpdateStateOnly();
int CHR_UpdatePreview();
int CHR_UpdateMenu();
int CHR_UpdateScript();
