// Battle voices: six sounds per mech type ("Wav\BatVoice\c<character>_v<n>.wav"), loaded with a
// reference count in the mech table. Nothing in the battle loads them, so they stay silent.
#pragma once
#include <cstdint>

constexpr int BVOICE_COUNT = 6;

int BVOICE_Load(int mech, int character);
void BVOICE_Free(int mech);
void BVOICE_Stop(int mech, int n);
int BVOICE_IsPlaying(int mech, int n);
// Gives every loaded voice the attenuation of the level 0..100.
void BVOICE_SetVolume(int level);
// Hundredths of a decibel for a level: 0 at 100, -1000 at 50, -10000 at 0.
int32_t BVOICE_Attenuation(int level);
