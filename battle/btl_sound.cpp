// Sound seam of the battle: each call goes to the game sound interface and is recorded while the
// call record is on.
#include "battle/btl_sound.h"

#include "battle/btl_common.h"
#include "services/sound/snd_game.h"

int BTL_SePlay(int index, int loop) {
    BTL_Record("SE_Play %d %d", index, loop);
    return SE_Play(index, loop);
}

int BTL_SeStop(int index) {
    BTL_Record("SE_Stop %d", index);
    return SE_Stop(index);
}

int BTL_SeIsPlaying(int index) { return SE_IsPlaying(index); }

int BTL_SePlaySys(int index, int loop) {
    BTL_Record("SE_PlaySys %d %d", index, loop);
    return SE_PlaySys(index, loop);
}
