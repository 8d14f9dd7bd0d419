// The image table: 256 picture slots shared by file stem and counted by their users.
#pragma once
#include <cstdint>

#include "display/grp_load.h"

constexpr int IMG_SLOTS = 256;
constexpr int IMG_STEM_SIZE = 18;  // a stem of at most 17 characters and its terminator

struct IMG_SLOT {
    uint16_t count;             // users; 0 = free
    char stem[IMG_STEM_SIZE];   // file stem, or "CREATE !" for a blank image
    DDSurface* surface;         // null while free or between a save and a restore
    DD_SURFACE_SAVE* saved;     // pixels kept across a display re-creation
};

// Fixed for the life of the program, so &IMG_TABLE[id].surface may be kept (render targets,
// digit styles) and stays valid when a display switch replaces the surface.
extern IMG_SLOT IMG_TABLE[IMG_SLOTS];

// Loads by stem (the name after the last '\', cut at its last '.'); a known stem gains a user.
// Image id, or -1 when the table is full, the stem is longer than 17 characters or the file
// cannot be read. video: non-zero puts the surface in video memory.
int IMG_Load(const char* path, int video);
int IMG_LoadDat(const char* path, int video);  // through the packed-bitmap loader
int IMG_Create(int width, int height, int video);  // a blank image, never shared; id or -1
// 1 after dropping a user (the last one frees the slot); 0 for an id outside the table or a free slot.
int IMG_Release(int id);
// IMG_Release; -1 when it released, else the id unchanged (callers store it back in their handle).
int IMG_Free(int id);
// Writes the surface's size when the id holds one; otherwise leaves the outputs alone.
void IMG_GetSize(int id, int32_t* width, int32_t* height);
// The same; the id, or -1 for an id that holds no surface.
int IMG_GetSizeId(int id, int32_t* width, int32_t* height);
// The key colour given to images loaded or created from now on (0 at start).
void IMG_SetColorKey(uint32_t key);

// Around a display re-creation: save copies each used surface out and releases it; restore
// builds the surfaces again from the copies. ReleaseAll drops every surface and keeps the users.
void IMG_SaveAllSurfaces();
void IMG_RestoreAllSurfaces();
void IMG_ReleaseAllSurfaces();

// The surface of a used slot, or null.
inline DDSurface* IMG_Surface(int id) {
    return id >= 0 && id < IMG_SLOTS && IMG_TABLE[id].count ? IMG_TABLE[id].surface : nullptr;
}
