// Battle voices with their references, stop, play state and volume.
#include "battle/bvoice.h"

#include <string>

#include "battle/waza_file.h"
#include "services/fil_util.h"

namespace {
bool Valid(int mech, int n = 0) { return mech >= 0 && mech < MECH_TYPES && n >= 0 && n < BVOICE_COUNT; }

void ReleaseAll(MechRecord& m) {
    for (SND_BUFFER& b : m.voice) {
        SND_Release(b);
        b = nullptr;
    }
}
}  // namespace

int32_t BVOICE_Attenuation(int level) { return level <= 0 ? -10000 : (level + 400) * 10000 / 500 - 10000; }

int BVOICE_Load(int mech, int character) {
    if (!Valid(mech)) return 0;
    MechRecord& m = MECH_TABLE[mech];
    if (m.voice_refs == UINT8_MAX) return 1;
    if (++m.voice_refs > 1) return 1;
    ReleaseAll(m);
    for (int i = 0; i < BVOICE_COUNT; ++i) {
        m.voice[i] = SND_LoadFile(std::string(FIL_MakePath("Wav\\BatVoice\\c%02d_v%02d.wav", character, i)).c_str());
        if (!m.voice[i])
            SYS_DebugPrint("c%02d_v%02d.wav \x82\xaa\x81" "A\x8c\xa9\x82\xc2\x82\xa9\x82\xe8\x82\xdc\x82\xb9\x82\xf1\x81"
                           "B" /* c%02d_v%02d.wav が、見つかりません。 */,
                           character, i);
    }
    return 1;
}

void BVOICE_Free(int mech) {
    if (!Valid(mech)) return;
    MechRecord& m = MECH_TABLE[mech];
    if (m.voice_refs == 0 || --m.voice_refs > 0) return;
    ReleaseAll(m);
}

void BVOICE_Stop(int mech, int n) {
    if (Valid(mech, n) && MECH_TABLE[mech].voice[n]) SND_Stop(MECH_TABLE[mech].voice[n]);
}

int BVOICE_IsPlaying(int mech, int n) { return Valid(mech, n) ? SND_IsPlaying(MECH_TABLE[mech].voice[n]) : 0; }

void BVOICE_SetVolume(int level) {
    const int32_t att = BVOICE_Attenuation(level);
    for (MechRecord& m : MECH_TABLE)
        for (SND_BUFFER b : m.voice)
            if (b) SND_SetVolume(b, att);
}
