// Stand-in for the character updates until the melee module replaces this file: each one only
// moves the walk on.
#include "battle/chr_update.h"

int16_t CHR_PREVIEW_REQUEST[10] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1};

int CHR_Update() { return 1; }
int CHR_UpdateInputOnly() { return 1; }
int CHR_UpdateStateOnly() { return 1; }
int CHR_UpdatePreview() { return 1; }
int CHR_UpdateMenu() { return 1; }
int CHR_UpdateScript() { return 1; }
