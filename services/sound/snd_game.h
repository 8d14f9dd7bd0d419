// The game's sound interface: music by track, effects by number at two levels, eight named
// effect channels, one voice line, and pausing all of it.
#pragma once
#include <cstdint>
#include <string_view>

#include "services/sound/snd_device.h"

constexpr int BGM_TRACKS = 18;
constexpr int SE_EFFECTS = 63;
constexpr int SE_CHANNELS = 8;

struct BGM_RECORD {
    char title[128];  // Shift-JIS, shown by the music-title notice
    char stem[16];    // "Music\%s.wav"
    uint32_t loop_ms;
};
struct SE_RECORD {
    char name[16];  // "Wav\%s.wav"; an empty name ends the table
    uint8_t loop;
};
struct SE_CHANNEL_REC {
    uint32_t in_use;
    uint32_t loop;
    SND_BUFFER buffer;
};

// The music table comes from "Music\bgm.txt": lines "track loop-ms stem title" (title to the end
// of the line, Shift-JIS). Without the file every track stays silent.
extern BGM_RECORD BGM_DATA[BGM_TRACKS];
extern const SE_RECORD SE_DATA[SE_EFFECTS + 1];
extern SE_CHANNEL_REC SE_CHANNEL[SE_CHANNELS];

// Replaces the music table with the lines of `text`; loads "Music\bgm.txt" on first use.
void BGM_ParseTable(std::string_view text);
void BGM_LoadTable();

int BGM_Play(int32_t track, uint32_t loop);
int BGM_Stop();
int BGM_Suspend(int32_t flag);
int BGM_SetVolume(int32_t level);
void BGM_GetTrack(int32_t* track, uint32_t* loop);

void SE_LoadAll();
void SE_FreeAll();
int SE_Play(int32_t effect, int32_t loop);
int SE_PlaySys(int32_t effect, int32_t loop);
int SE_Stop(int32_t effect);
int SE_IsPlaying(int32_t effect);
void SE_StopLoops();
int SE_SetVolume(int32_t level);
int SE_SetSysVolume(int32_t level);
void SE_SetMute(int32_t flag);

int SE_PlayFile(int32_t channel, const char* stem, uint32_t loop);
void SE_StopFile(int32_t channel);
void SE_ReapFiles();
void SE_StopFiles();

int VOICE_PlayName(const char* name);
int VOICE_PlayNumber(int32_t n);
int VOICE_Stop();
int VOICE_SetVolume(int32_t level);
int VOICE_IsPlaying();

void SND_ReloadAll();
void SND_UnloadAll();
void SND_PauseAll();
void SND_ResumeAll();
