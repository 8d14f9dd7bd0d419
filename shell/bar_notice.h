// One-line notices: the bottom strip that slides up with a short message, and the music-title
// strip with its mark in the top right corner.
#pragma once
#include <cstdint>

#include "shell/sys_bar.h"

constexpr int BAR_NOTICE_W = 320;
constexpr int BAR_NOTICE_H = 16;
constexpr int32_t BAR_NOTICE_FRAMES = 40;

struct BAR_NOTICE_DATA {
    BAR_PARTS strip;     // bottom notice at 16, 480..456, priority -5
    int32_t image;
    int32_t counter;     // 0 idle, 40 at start
    int32_t priority;    // -1 idle
    BAR_PARTS music;     // music title, alpha blended, priority -5
    BAR_PARTS mark;      // the 16 x 16 mark beside it
    int32_t music_image;
    int32_t music_counter;
    int32_t length;      // bytes of the title
};
extern BAR_NOTICE_DATA BAR_NOTICE;

void BAR_NoticeInit();
void BAR_NoticeFree();
// Shows a bottom notice unless switched off or one of higher priority shows. Colour 1 is green,
// any other red.
void BAR_Notice(const char* text, int32_t colour, int32_t priority);
// Shows the music-title notice for the Shift-JIS title (nothing while the settings switch it off).
void BAR_MusicNotice(const char* text);
// Animates both notices; the frame driver calls it after every draw tick.
void BAR_NoticeStep();
// Cuts both animations to their last frame so that both strips leave the screen.
void BAR_NoticeClear();
