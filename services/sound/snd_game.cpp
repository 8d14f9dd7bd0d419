// The game's sound interface: music tracks, the effect table, the named channels and the voice.
#include "services/sound/snd_game.h"

#include <cstring>
#include <string>

#include "services/sound/snd_stream.h"
#include "services/sound/snd_table.h"
#include "shell/bar_notice.h"

BGM_RECORD BGM_DATA[BGM_TRACKS];

const SE_RECORD SE_DATA[SE_EFFECTS + 1] = {
    {"barrier", 0},  {"beam01", 0},   {"beam02", 0},   {"beam03", 0},   {"beep", 0},     {"bom01", 0},
    {"bom02", 0},    {"bom03", 0},    {"bom04", 0},    {"bom05", 0},    {"bunbun", 0},   {"charge01", 0},
    {"charge02", 0}, {"dash1", 0},    {"dash2", 1},    {"dash3", 0},    {"down", 0},     {"drill", 0},
    {"elec01", 0},   {"elec02", 0},   {"fire01", 0},   {"fire02", 0},   {"arm", 0},      {"vulcan1", 0},
    {"hit01", 0},    {"hit02", 0},    {"hit03", 0},    {"hit04", 0},    {"kin01", 0},    {"kin02", 0},
    {"rockon", 0},   {"run", 0},      {"tama01", 0},   {"tama02", 0},   {"tyakuti", 0},  {"tyouhi", 0},
    {"tyun", 0},     {"vulcan2", 0},  {"whip01", 0},   {"whip02", 0},   {"kiru", 0},     {"karaburi", 0},
    {"pikiiin", 0},  {"hahen1", 0},   {"hahen2", 0},   {"hahen3", 0},   {"menu01", 0},   {"menu02", 0},
    {"menu03", 0},   {"menu04", 0},   {"menu05", 0},   {"menu06", 0},   {"menu07", 0},   {"dash4", 0},
    {"sword", 0},    {"pistol", 0},   {"warning", 1},  {"water", 0},    {"numa01", 0},   {"numa02", 0},
    {"footstep", 0}, {"Diagno01", 0}, {"Diagno02", 0}, {"", 0},
};

SE_CHANNEL_REC SE_CHANNEL[SE_CHANNELS];

namespace {
// "%sが、見つかりません。"
constexpr const char* kEffectMissing =
    "%s\x82\xaa\x81" "A\x8c\xa9\x82\xc2\x82\xa9\x82\xe8\x82\xdc\x82\xb9\x82\xf1\x81" "B";
// "音声の%sが見つかりません。"
constexpr const char* kVoiceMissing =
    "\x89\xb9\x90\xba\x82\xcc%s\x82\xaa\x8c\xa9\x82\xc2\x82\xa9\x82\xe8\x82\xdc\x82\xb9\x82\xf1\x81" "B";
// "音声の%04dが見つかりません。"
constexpr const char* kVoiceNumberMissing =
    "\x89\xb9\x90\xba\x82\xcc%04d\x82\xaa\x8c\xa9\x82\xc2\x82\xa9\x82\xe8\x82\xdc\x82\xb9\x82\xf1\x81" "B";

bool g_bgm_table_loaded = false;
int32_t g_bgm_track = -1;
uint32_t g_bgm_loop = 0;
int32_t g_bgm_level = 100;
bool g_bgm_suspended = false;

SND_BUFFER g_se[SE_EFFECTS + 1];
int32_t g_se_level = 100;
int32_t g_sys_level = 100;
bool g_se_muted = false;

SND_BUFFER g_voice = nullptr;
int32_t g_voice_level = 100;
bool g_voice_paused = false;

// What a pause stopped, so the resume starts that and nothing else.
struct Paused {
    bool music = false;
    uint32_t music_loop = 0;
    bool channel[SE_CHANNELS] = {};
};
Paused g_paused;

bool ValidEffect(int32_t effect) { return effect >= 0 && effect < SE_EFFECTS; }

void Copy(char* dest, size_t cap, std::string_view text) {
    size_t n = text.size() < cap - 1 ? text.size() : cap - 1;
    if (n) std::memcpy(dest, text.data(), n);
    dest[n] = 0;
}

int OpenAndPlay(int32_t track, uint32_t loop) {
    const BGM_RECORD& r = BGM_DATA[track];
    // A track the table leaves empty has no file, like a missing one.
    if (!r.stem[0] || !SND_StreamOpen(FIL_MakePath("Music\\%s.wav", r.stem))) {
        SND_StreamFree();
        return 0;
    }
    SND_StreamSetLoopPos(r.loop_ms);
    SND_StreamPlay(loop);
    SND_StreamSetVolume(g_bgm_level);
    return 1;
}

int PlayEffect(int32_t effect, int32_t loop, int32_t level) {
    if (level < 1 || g_se_muted) return 1;
    if (!ValidEffect(effect) || !g_se[effect]) return 0;
    uint32_t l = loop < 0 ? SE_DATA[effect].loop : static_cast<uint32_t>(loop);
    SND_SetVolume(g_se[effect], SND_LevelToVolume(level));
    SND_SetPosition(g_se[effect], 0);
    SND_Play(g_se[effect], l);
    return 1;
}

void SetAllEffects(int32_t level) {
    for (int i = 0; SE_DATA[i].name[0]; ++i) SND_SetVolume(g_se[i], SND_LevelToVolume(level));
}

void ClearChannel(SE_CHANNEL_REC& c) {
    SND_Release(c.buffer);
    c = SE_CHANNEL_REC{};
}

// Replaces the voice with the file played once at the voice level: 1 played or skipped (level 0),
// 0 when the file is missing.
int PlayVoiceFile(const char* path) {
    SND_Release(g_voice);
    g_voice = nullptr;
    if (g_voice_level < 1) return 1;
    g_voice = SND_LoadFile(path);
    if (!g_voice) return 0;
    VOICE_SetVolume(g_voice_level);
    SND_SetPosition(g_voice, 0);
    SND_Play(g_voice, 0);
    return 1;
}
}  // namespace

// ---- music ----
void BGM_ParseTable(std::string_view text) {
    std::memset(BGM_DATA, 0, sizeof BGM_DATA);
    g_bgm_table_loaded = true;
    SND_ForEachLine(text, [](int number, std::string_view line) {
        std::string_view f[3], title;
        int64_t track, loop;
        if (!SND_SplitLine(line, 3, f, &title) || !SND_ParseInt(f[0], 0, BGM_TRACKS - 1, &track) ||
            !SND_ParseInt(f[1], 0, UINT32_MAX, &loop) || f[2].size() >= sizeof BGM_DATA[0].stem ||
            title.size() >= sizeof BGM_DATA[0].title)
            return SND_TableSkip("Music\\bgm.txt", number);
        BGM_RECORD& r = BGM_DATA[track];
        Copy(r.stem, sizeof r.stem, f[2]);
        Copy(r.title, sizeof r.title, title);
        r.loop_ms = static_cast<uint32_t>(loop);
    });
}

void BGM_LoadTable() {
    std::vector<char> text = SND_ReadTable("Music\\bgm.txt");
    BGM_ParseTable(std::string_view(text.data(), text.size()));
}

int BGM_Play(int32_t track, uint32_t loop) {
    if (track < 0) {
        BGM_Stop();
        return -1;
    }
    if (track >= BGM_TRACKS) return 0;  // no such track: nothing changes
    if (track == g_bgm_track) return g_bgm_track + 1;
    if (!g_bgm_table_loaded) BGM_LoadTable();
    if (g_bgm_level >= 1 && !g_bgm_suspended && !OpenAndPlay(track, loop)) return 0;
    int32_t previous = g_bgm_track;
    g_bgm_track = track;
    g_bgm_loop = loop;
    BAR_MusicNotice(BGM_DATA[track].title);
    return previous >= 0 ? previous + 1 : -1;
}

int BGM_Stop() {
    g_bgm_track = -1;
    SND_StreamFree();
    return 1;
}

int BGM_Suspend(int32_t flag) {
    g_bgm_suspended = flag != 0;
    if (flag == 0 && g_bgm_track >= 0) {
        if (g_bgm_level < 1) return 1;
        return OpenAndPlay(g_bgm_track, g_bgm_loop);
    }
    SND_StreamFree();
    return 1;
}

int BGM_SetVolume(int32_t level) {
    g_bgm_level = level;
    SND_StreamSetVolume(level);
    return 1;
}

void BGM_GetTrack(int32_t* track, uint32_t* loop) {
    if (track) *track = g_bgm_track;
    if (loop) *loop = g_bgm_loop;
}

// ---- effects ----
void SE_LoadAll() {
    for (int i = 0; SE_DATA[i].name[0]; ++i) {
        SND_Release(g_se[i]);
        g_se[i] = SND_LoadFile(FIL_MakePath("Wav\\%s.wav", SE_DATA[i].name));
        if (!g_se[i]) SYS_DebugPrint(kEffectMissing, SE_DATA[i].name);
    }
    for (auto& c : SE_CHANNEL) c = SE_CHANNEL_REC{};
}

void SE_FreeAll() {
    for (int i = 0; SE_DATA[i].name[0]; ++i) {
        SND_Release(g_se[i]);
        g_se[i] = nullptr;
    }
    for (auto& c : SE_CHANNEL)
        if (c.in_use) ClearChannel(c);
}

int SE_Play(int32_t effect, int32_t loop) { return PlayEffect(effect, loop, g_se_level); }
int SE_PlaySys(int32_t effect, int32_t loop) { return PlayEffect(effect, loop, g_sys_level); }

int SE_Stop(int32_t effect) {
    if (!ValidEffect(effect) || !g_se[effect]) return 0;
    SND_Stop(g_se[effect]);
    return 1;
}

int SE_IsPlaying(int32_t effect) { return ValidEffect(effect) ? SND_IsPlaying(g_se[effect]) : 0; }

void SE_StopLoops() {
    for (int i = 0; SE_DATA[i].name[0]; ++i)
        if (SE_DATA[i].loop) SE_Stop(i);
}

int SE_SetVolume(int32_t level) {
    g_se_level = level;
    SetAllEffects(level);
    return 1;
}

int SE_SetSysVolume(int32_t level) {
    g_sys_level = level;
    SetAllEffects(level);
    return 1;
}

void SE_SetMute(int32_t flag) {
    g_se_muted = flag != 0;
    if (flag) return;
    for (int i = 0; SE_DATA[i].name[0]; ++i) SND_Stop(g_se[i]);
}

// ---- channels ----
int SE_PlayFile(int32_t channel, const char* stem, uint32_t loop) {
    if (g_se_level < 1 || g_se_muted || channel < 0 || channel >= SE_CHANNELS || SE_CHANNEL[channel].in_use) return 1;
    if (!stem) return 0;
    SE_CHANNEL_REC& c = SE_CHANNEL[channel];
    c.in_use = 1;
    c.loop = loop != 0;
    SND_Release(c.buffer);
    c.buffer = SND_LoadFile(FIL_MakePath("Wav\\%s.wav", stem));
    SND_SetVolume(c.buffer, SND_LevelToVolume(g_se_level));
    SND_SetPosition(c.buffer, 0);
    SND_Play(c.buffer, c.loop);
    return 1;
}

void SE_StopFile(int32_t channel) {
    for (int i = 0; i < SE_CHANNELS; ++i)
        if ((channel == -1 || channel == i) && SE_CHANNEL[i].in_use) ClearChannel(SE_CHANNEL[i]);
}

void SE_ReapFiles() {
    for (auto& c : SE_CHANNEL)
        if (c.in_use && !SND_IsPlaying(c.buffer)) ClearChannel(c);
}

void SE_StopFiles() {
    for (auto& c : SE_CHANNEL) SND_Stop(c.buffer);
}

// ---- voice ----
int VOICE_PlayName(const char* name) {
    if (!name) name = "";
    if (PlayVoiceFile(FIL_MakePath("WAV\\Voice\\%s.wav", name))) return 1;
    SYS_DebugPrint(kVoiceMissing, name);
    return 0;
}

int VOICE_PlayNumber(int32_t n) {
    if (PlayVoiceFile(FIL_MakePath("WAV\\Voice\\%08d.wav", n))) return 1;
    SYS_DebugPrint(kVoiceNumberMissing, n);
    return 0;
}

int VOICE_Stop() {
    if (!g_voice) return 0;
    SND_Release(g_voice);
    g_voice = nullptr;
    return 1;
}

int VOICE_SetVolume(int32_t level) {
    g_voice_level = level;
    if (!g_voice) return 0;
    SND_SetVolume(g_voice, SND_LevelToVolume(level));
    return 1;
}

int VOICE_IsPlaying() { return SND_IsPlaying(g_voice); }

// ---- the whole of it ----
void SND_UnloadAll() {
    VOICE_Stop();
    SND_StreamStop();
    SE_FreeAll();
}

void SND_ReloadAll() {
    SND_UnloadAll();
    SE_LoadAll();
}

void SND_PauseAll() {
    g_paused.music = SND_StreamIsPlaying() == 1;
    g_paused.music_loop = g_bgm_loop;
    SND_StreamStop();
    g_voice_paused = SND_IsPlaying(g_voice) == 1;
    SND_Stop(g_voice);
    for (int i = 0; i < SE_CHANNELS; ++i) {
        g_paused.channel[i] = SND_IsPlaying(SE_CHANNEL[i].buffer) == 1;
        SND_Stop(SE_CHANNEL[i].buffer);
    }
}

void SND_ResumeAll() {
    // A streamed piece starts again from its beginning; a piece loaded whole continues.
    if (g_paused.music) SND_StreamPlay(g_paused.music_loop);
    if (g_voice_paused) {
        g_voice_paused = false;
        SND_Play(g_voice, 0);
    }
    for (int i = 0; i < SE_CHANNELS; ++i)
        if (g_paused.channel[i]) SND_Play(SE_CHANNEL[i].buffer, SE_CHANNEL[i].loop);
    g_paused = Paused{};
}
