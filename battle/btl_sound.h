// The battle's calls into the game sound interface, gathered in one seam so the battle rig can
// record them (BTL_Record lines "SE_Play 4 -1" ...); queries are not recorded.
#pragma once

int BTL_SePlay(int index, int loop);
int BTL_SeStop(int index);
int BTL_SeIsPlaying(int index);
int BTL_SePlaySys(int index, int loop);
