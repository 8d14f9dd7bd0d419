// The battle camera: the scroll position at the centre of the view moving towards a fixed point,
// a character or the point between two, kept inside the scroll rectangle; and the placing of
// every battle object's display object on the screen.
#pragma once
#include <cstdint>

struct LIST_NODE;

enum SCR_CAMERA_MODE : int32_t { SCR_CAMERA_NONE = 0, SCR_CAMERA_FIXED = 1, SCR_CAMERA_FOLLOW = 2 };

struct CameraData {
    int32_t mode;
    int32_t scroll_x, scroll_y;      // map point at the centre of the view
    int32_t fixed_x, fixed_y;        // target of mode 1
    int32_t scroll_x16, scroll_y16;  // 16.16 copies used while moving
    int32_t range_x, range_y;        // largest offset towards the second node; negative: none
    int32_t ramp, ramp_step;         // a speed ramp kept beside the speed; the movement reads only the speed
    int32_t speed;                   // pixels a frame, and the snap distance
    LIST_NODE* followed;
    LIST_NODE* second;
    LIST_NODE* queued;               // becomes the followed node when that one disappears
};
extern CameraData CAMERA_DATA;

void SCR_SetCamera(int mode, LIST_NODE* followed, LIST_NODE* second);
void SCR_SetCameraMode(int mode);
void SCR_SetCameraChr(LIST_NODE* node);
void SCR_SetCameraChr2(LIST_NODE* node);
void SCR_SetCameraNext(LIST_NODE* node);
// Jumps the scroll position without moving the map buffer (callers redraw it).
void SCR_SetScrollPos(int32_t x, int32_t y);
// Each argument of -999 keeps its field.
void SCR_SetCameraSpeed(int32_t ramp, int32_t step, int32_t speed);
void SCR_StepCameraSpeed();
void SCR_SetCameraRange(int32_t range_x, int32_t range_y);
void SCR_GetCameraTarget(int32_t* x, int32_t* y);
int SCR_IsCameraArrived();
void SCR_UpdateCamera(int32_t extra_y);
void SCR_SetSpritePos(const LIST_NODE* node);
void SCR_SetAllSpritePos();
