// Raster operations of the screens on locked 16-bit surfaces: level blends, the exact 50 % mix,
// textured quadrilaterals, dimmed copies, lines, see-through colour fills and masked copies; and
// the processor class that picks between two equivalent paths of the 50 % blend.
#pragma once
#include <cstdint>

#include "display/prim_texture.h"
#include "platform/display.h"

// The view of one locked surface that the workers take. Rows may be longer than the surface is
// wide: the workers draw and clip within the width and step rows by the pitch.
struct RAS_SURFACE {
    uint16_t* pixels = nullptr;
    int32_t pitch = 0;   // pixels from one row to the next
    int32_t height = 0;  // rows
    int32_t width = 0;   // pixels of a row that belong to the picture
};

// Processor class 0-4, set once at start-up (tests set it directly).
extern int32_t PROC_CLASS;
extern uint8_t PROC_MMX;

// Key value that matches no pixel.
constexpr uint32_t RAS_NO_KEY = 0x10000;

constexpr int RAS_SPAN_ROWS = 480;
// x min and max of a row with the source point (whole pixels) at each.
using RasSpan = TexSpan;
extern RasSpan RAS_SPAN_TABLE[RAS_SPAN_ROWS];

// Class 4, a processor with 64-bit SIMD, on every machine; the blends take the class from
// PROC_CLASS, which tests set to each class in turn.
int PROC_GetClass();

// ---- lock wrappers ----
int RAS_AlphaBlt(DDSurface* dst, int32_t x, int32_t y, int32_t w, int32_t h, DDSurface* src, int32_t sx, int32_t sy,
                 int32_t level, uint32_t key, int32_t unused);
int RAS_MixBlt(DDSurface* dst, int32_t x, int32_t y, int32_t w, int32_t h, DDSurface* src, int32_t sx, int32_t sy,
               uint32_t key, int32_t unused);
int RAS_AlphaBltDesc(const RAS_SURFACE& dst, int32_t x, int32_t y, int32_t w, int32_t h, const RAS_SURFACE& src,
                     int32_t sx, int32_t sy, int32_t level, uint32_t key);
int RAS_TexQuad(DDSurface* dst, int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3,
                int32_t y3, DDSurface* src, int32_t sx, int32_t sy, int32_t w, int32_t h);
int RAS_DimBlt(DDSurface* dst, int32_t x, int32_t y, DDSurface* src, const RECT* src_rect, int32_t level,
               uint32_t key);
int RAS_Line(DDSurface* surface, int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour);
int RAS_LineMix(DDSurface* surface, int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour);
int RAS_FillRectAlpha(DDSurface* surface, int32_t left, int32_t top, int32_t right, int32_t bottom, uint32_t colour,
                      int32_t level);
int RAS_FillRectAlphaKey(DDSurface* surface, int32_t left, int32_t top, int32_t right, int32_t bottom,
                         uint32_t colour, int32_t level, uint32_t key);
void RAS_MaskCopy(DDSurface* dst, DDSurface* src, DDSurface* mask, uint32_t value);
void RAS_MaskCopyZero(DDSurface* dst, DDSurface* src, DDSurface* mask, int32_t flag);

// ---- workers ----
int RAS_AlphaWorker(const RAS_SURFACE& dst, int32_t x, int32_t y, int32_t w, int32_t h, const RAS_SURFACE& src,
                    int32_t sx, int32_t sy, int32_t level, uint32_t key);
int RAS_MixWorker(const RAS_SURFACE& dst, int32_t x, int32_t y, int32_t w, int32_t h, const RAS_SURFACE& src,
                  int32_t sx, int32_t sy, uint32_t key);
int RAS_TexQuadWorker(const RAS_SURFACE& dst, const int32_t* corners, const RAS_SURFACE& src, int32_t sx,
                      int32_t sy, int32_t w, int32_t h);
// Adds one edge to RAS_SPAN_TABLE for rows 0..limit-1 (limit at most the table's rows).
void RAS_TexQuadEdge(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t u1, int32_t v1, int32_t u2, int32_t v2,
                     int32_t limit);
int RAS_DimWorker(const RAS_SURFACE& dst, int32_t x, int32_t y, int32_t w, int32_t h, const RAS_SURFACE& src,
                  int32_t sx, int32_t sy, int32_t level, uint32_t key, const RECT* clip);
void RAS_LineWorker(const RAS_SURFACE& dst, int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour);
void RAS_LineMixWorker(const RAS_SURFACE& dst, int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour);
int RAS_FillAlphaDispatch(const RAS_SURFACE& dst, int32_t left, int32_t top, int32_t right, int32_t bottom,
                          uint32_t colour, int32_t level);
int RAS_FillMixWorker(const RAS_SURFACE& dst, int32_t left, int32_t top, int32_t right, int32_t bottom,
                      uint32_t colour);
int RAS_FillAlphaWorker(const RAS_SURFACE& dst, int32_t left, int32_t top, int32_t right, int32_t bottom,
                        uint32_t colour, int32_t level, uint32_t key);
void RAS_MaskCopyWorker(const RAS_SURFACE& dst, const RAS_SURFACE& src, const RAS_SURFACE& mask, uint32_t value);
void RAS_MaskCopyZeroWorker(const RAS_SURFACE& dst, const RAS_SURFACE& src, const RAS_SURFACE& mask, int32_t flag);

// ---- clipping ----
// Clips a blit at (x, y) of w x h from (sx, sy) to the bounds (right and bottom exclusive) as
// BLT_ClipWorker does, moving the source position with cuts on the left and top. Nonzero, with the
// values changed, when at least one pixel is left.
int RAS_ClipBlt(int32_t* x, int32_t* y, int32_t* w, int32_t* h, int32_t* sx, int32_t* sy, int32_t left, int32_t top,
                int32_t right, int32_t bottom);
// The same against the clip rectangle, or (0, 0, width, height) when it is null.
int RAS_ClipBltRect(int32_t* x, int32_t* y, int32_t* w, int32_t* h, int32_t* sx, int32_t* sy, int32_t width,
                    int32_t height, const RECT* clip);
// Moves the ends of a line into the view's box; 0 when the line misses it.
int RAS_ClipLine(const RAS_SURFACE& view, int32_t* x1, int32_t* y1, int32_t* x2, int32_t* y2);
