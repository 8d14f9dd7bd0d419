// Pictures into surfaces: converters for every surface depth, the loaders, the colour key, and
// saving surfaces across a display re-creation.
//
// Pixel value 0 is transparent: 8-bit index 255 becomes 0 and a visible colour that would
// convert to 0 becomes 1; 16- and 24-bit pictures use black itself as the transparent colour.
#pragma once
#include <cstdint>

#include "display/dd_display.h"
#include "display/grp_file.h"
#include "services/fil_util.h"

// A surface held in memory while the display is re-created: this header, then `height` rows of
// width x bytes-per-pixel bytes, top row first.
struct DD_SURFACE_SAVE {
    uint32_t width;
    uint32_t height;
    uint32_t system_memory;    // 1 when the surface lived in system memory
    int32_t key;               // source colour key, -1 for none
    uint32_t bytes_per_pixel;  // a restore onto a display of another depth is refused
};
static_assert(sizeof(DD_SURFACE_SAVE) == 20);

// Draw a picture (or the part `src` of it, clamped to the picture) at (x, y), clipped to the
// surface, converted to the surface's depth and format. 1 when the surface could be locked
// (whether or not anything was left to draw), 0 when the lock failed. A packed DIB must come
// from the bitmap readers, which have checked it.
int GRP_ImageToSurface(DDSurface* surface, int32_t x, int32_t y, const GRP_IMAGE* image, const RECT* src);
int GRP_DibToSurface(DDSurface* surface, int32_t x, int32_t y, const void* dib, const RECT* src);

// Cuts the name at its last '.' and appends ".grp"; the buffer holds FIL_PATH_MAX characters. A
// name with no room left for the extension becomes empty (and so opens nothing).
void GRP_SetGrpExt(char* name);

// Loaders: a new surface (video-memory flag 1 -> 0x40, 0 -> 0x840) or null. `size` (optional)
// receives the picture's width and height. first/count take over 8-bit palette entries.
DDSurface* GRP_LoadSurface(const char* name, int first, int count, int video, SYS_SIZE* size);
DDSurface* GRP_LoadGrpSurface(const char* name, int first, int count, int video, SYS_SIZE* size);
DDSurface* GRP_LoadDatSurface(const char* name, int first, int count, int video, SYS_SIZE* size);
// Into an existing surface at (0, 0): 1, or 0 when the file cannot be read or the lock fails.
int GRP_LoadToSurface(DDSurface* surface, const char* name, int first, int count, int video, SYS_SIZE* size);
int GRP_LoadGrpToSurface(DDSurface* surface, const char* name, int first, int count, int video, SYS_SIZE* size);
// 8-bit display loaders: indices moved by display_first - image_first, 255 kept transparent.
// At other depths they hand the name to the 16-bit loaders.
DDSurface* GRP_LoadBmpSurface8(const char* name, int display_first, int image_first, int count, int video,
                               SYS_SIZE* size);
DDSurface* GRP_LoadGrpSurface8(const char* name, int display_first, int image_first, int count, int video,
                               SYS_SIZE* size);

HRESULT DD_SetColorKey(DDSurface* surface, uint32_t colour);

// Copies a surface into a new block (null for a null surface, a failed lock or no memory); the
// caller then releases the surface. Restore builds a new surface from the block, frees it and
// clears *block; on failure the block is kept and null returned.
DD_SURFACE_SAVE* DD_SaveSurface(DDSurface* surface);
DDSurface* DD_RestoreSurface(DD_SURFACE_SAVE** block);
