// Effects: short-lived pool nodes of kind 3 that only look and sound (explosions, sparks, hit
// marks, dust, fragments, trails, after-images, rain), 27 kinds each with an init and an update.
#pragma once
#include <cstdint>

struct LIST_NODE;

constexpr int EFT_KINDS = 27;

// The kind record; the speed and the direction (16.16 in vx, vy) are the node's.
struct EFT_DATA {
    int16_t kind;
    int16_t spare;
    uint8_t kill;       // set by the animation stepper when a non-looping animation ends
    uint8_t variant;
    uint8_t age;
    uint8_t successor;  // beam trail: it made its successor
    int16_t counter;
    int16_t vspeed;     // bouncing kinds: vertical speed
    int16_t age_limit;
    int32_t fall;       // rain: height lost a frame
};

extern int32_t EFT_SET;  // animation set of "Bmp\Effect\Effect.spr", -1 when not loaded

// 1 when "Bmp\Effect\Effect.spr" loaded into a free set, else 0 (EFT_SET stays -1).
int EFT_Load();
void EFT_Release();
// The node index, or -1 for a kind outside 0..26, a full pool or no free display object.
int32_t EFT_Create(int kind, LIST_NODE* parent, int32_t x, int32_t y, int32_t height);
int EFT_Update();
int32_t EFT_Delete(LIST_NODE* node);
int EFT_Move(LIST_NODE* node);
// Particles from the current character's hit boxes 14 (mode 1), 15 (mode 2) or both (mode 3).
int EFT_Scatter(int kind, int spread, int life, int mode);
void EFT_SetAmbientCount(int32_t n);
void EFT_GetAmbientCount(int32_t* n);
// Rain of the ambient count around the camera: 0, or the battle state that holds it back.
int EFT_SpawnAmbient();
