// Movie playback: records of open movies whose frames are copied into a rectangle of the back
// buffer, their state changes traced to the debugger output.
#pragma once
#include <cstdint>

#include "platform/display.h"
#include "platform/movie.h"
#include "services/fil_util.h"

// One open movie. Callers hold the pointer only.
struct MOV_DATA {
    char name[FIL_PATH_MAX];
    uint32_t playing;  // 1 after a successful MOV_Play; stop and pause keep it
    uint32_t paused;
    int32_t x, y, w, h;  // destination rectangle on the target surface
    DDObject* dd;        // borrowed from the display
    plat::MultiMediaStream* stream;
    plat::MediaStream* video;  // the primary video stream, which renders into surfaces
    plat::StreamSample* sample;
    DDSurface* surface;  // receives the frames
    RECT src;            // (0, 0, frame width, frame height)
};

void DWWL_Init();
void DWWL_Term();

// Opens a movie stopped, its destination rectangle at (0, 0) with the frame's size. A file that
// cannot be opened or has no video that decodes still gives a record, which draws nothing and has
// ended. NULL for a name of 260 bytes or more.
MOV_DATA* MOV_Open(const char* name, DDObject* dd);
void MOV_Play(MOV_DATA* mov);
void MOV_Stop(MOV_DATA* mov);
void MOV_Pause(MOV_DATA* mov);
void MOV_SetPos(MOV_DATA* mov, int32_t x, int32_t y);
void MOV_SetSize(MOV_DATA* mov, int32_t w, int32_t h);
void MOV_GetPos(MOV_DATA* mov, int32_t* x, int32_t* y);
void MOV_GetSize(MOV_DATA* mov, int32_t* w, int32_t* h);
// Milliseconds; at the end of the movie the time equals the duration.
uint32_t MOV_GetTime(MOV_DATA* mov);
uint32_t MOV_GetDuration(MOV_DATA* mov);
// Waits for the next frame and takes it into the record's surface: 1 when a new frame came.
int32_t MOV_Update(MOV_DATA* mov);
// Waits for the next frame and copies it scaled into the destination rectangle of the target:
// the blit's result, or the update's code (MS_S_ENDOFSTREAM at the end) when no frame came. A
// rectangle of the frame's size that the copy could fill takes the frame straight from the stream.
HRESULT MOV_Draw(MOV_DATA* mov, DDSurface* target);
// Stops and frees the record and sets the caller's pointer to NULL.
void MOV_Close(MOV_DATA** mov);
// One trace line of at most 255 characters, sent as it is (no line end added).
void MOV_DebugPrint(const char* format, ...) __attribute__((format(printf, 1, 2)));
