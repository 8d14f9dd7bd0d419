// Loading a stage's pictures and the map buffer: the 656 x 496 ring redrawn whole on jumps and a
// strip at a time as the camera scrolls, and blitted to the screen in up to four pieces.
#include <algorithm>
#include <cstdlib>
#include <string>

#include "battle/list_pool.h"
#include "battle/map_data.h"
#include "display/blt_frame.h"
#include "display/dd_display.h"
#include "display/prim_pixel.h"
#include "platform/memory.h"
#include "services/fil_util.h"
#include "sprite/img_table.h"
#include "sprite/sp_draw.h"

namespace {
// A joined path of our own: the loaders below join paths themselves.
std::string MapPath(const char* format, const char* name) { return FIL_MakePath(format, name); }

// Draws into the map buffer with the clip rectangle of the buffer, restoring the caller's after.
class BufferClip {
public:
    BufferClip() : saved_(DD_CLIP_RECT) { DD_CLIP_RECT = RECT{0, 0, MAP_BUFFER_W, MAP_BUFFER_H}; }
    ~BufferClip() { DD_CLIP_RECT = saved_; }

private:
    RECT saved_;
};

int32_t Wrap(int32_t v, int32_t size) { return ((v % size) + size) % size; }
int32_t Floor16(int32_t v) { return v & ~15; }

// The chip at map (column, row) into the ring; nothing for a cell outside the map.
void DrawCell(DDSurface* buffer, int32_t column, int32_t row, int32_t rx, int32_t ry) {
    const MapData& m = *MAP_Current();
    if (!MAP_Cell(column, row)) return;
    MAP_DrawChip(buffer, row * m.width + column, rx, ry);
}

// A piece of a background object's picture: the part of it inside `area` (map pixels) blitted to
// the ring at (rx, ry) for the area's top-left corner.
void DrawObjectPart(DDSurface* buffer, DDSurface* sheet, const MapObj& o, const RECT& area, int32_t rx, int32_t ry) {
    const MapCsp& c = MAP_CSP.rec[o.index];
    const RECT obj{o.x, o.y, o.x + c.w, o.y + c.h};
    RECT cut;
    if (!SYS_IntersectRect(&cut, &obj, &area)) return;
    const RECT src{c.sx + cut.left - o.x, c.sy + cut.top - o.y, c.sx + cut.right - o.x, c.sy + cut.bottom - o.y};
    BLT_Blt(buffer, rx + cut.left - area.left, ry + cut.top - area.top, sheet, &src, 1);
}

// A strip scrolled into view: one chip column or row of the map, as the map rectangle it covers
// and where that rectangle's top-left lies in the ring (a strip that wraps is recorded in two).
struct Strip {
    RECT map;
    int32_t rx, ry;
};

// The background objects' pieces that fall in the strips just drawn.
void MAP_DrawStripObjs(DDSurface* buffer, const Strip* strips, int count) {
    DDSurface* sheet = IMG_Surface(MAP_IMAGES.objects);
    if (!buffer || !sheet) return;
    for (int i = 0; i < MAP_OBJ.count; ++i)
        for (int s = 0; s < count; ++s) DrawObjectPart(buffer, sheet, MAP_OBJ.obj[i], strips[s].map, strips[s].rx, strips[s].ry);
}

// One scroll step of at most 15 pixels on each axis.
void ScrollStep(DDSurface* buffer, int32_t sx, int32_t sy) {
    MapData& m = *MAP_Current();
    const int32_t old_col = m.scroll_x >> 4, old_row = m.scroll_y >> 4;
    m.scroll_x += sx;
    m.scroll_y += sy;
    const int32_t col = m.scroll_x >> 4, row = m.scroll_y >> 4;
    const int32_t old_rx = Floor16(m.ring_x), old_ry = Floor16(m.ring_y);
    m.ring_x = Wrap(m.ring_x + sx, MAP_BUFFER_W);
    m.ring_y = Wrap(m.ring_y + sy, MAP_BUFFER_H);
    const int32_t rx = Floor16(m.ring_x), ry = Floor16(m.ring_y);
    Strip strips[4];
    int n = 0;
    if (col != old_col && col != m.width - m.view_cw) {
        const int32_t map_col = sx >= 1 ? old_col + m.view_cw + 1 : col;
        const int32_t ring_col = sx >= 1 ? old_rx : rx;
        const int chips = row == m.height - m.view_ch ? m.view_ch : m.view_ch + 1;
        if (buffer)
            for (int k = 0, y = ry; k < chips; ++k, y = (y + 16) % MAP_BUFFER_H) DrawCell(buffer, map_col, row + k, ring_col, y);
        // Map rows from `row` fill the ring from ry down, then wrap to its top.
        const int32_t top = row * 16, split = MAP_BUFFER_H - ry;
        strips[n++] = {{map_col * 16, top, map_col * 16 + 16, top + split}, ring_col, ry};
        if (ry) strips[n++] = {{map_col * 16, top + split, map_col * 16 + 16, top + MAP_BUFFER_H}, ring_col, 0};
    }
    if (row != old_row && row != m.height - m.view_ch) {
        const int32_t map_row = sy >= 1 ? old_row + m.view_ch + 1 : row;
        const int32_t ring_row = sy >= 1 ? old_ry : ry;
        const int chips = col == m.width - m.view_cw ? m.view_cw : m.view_cw + 1;
        if (buffer)
            for (int k = 0, x = rx; k < chips; ++k, x = (x + 16) % MAP_BUFFER_W) DrawCell(buffer, col + k, map_row, x, ring_row);
        const int32_t left = col * 16, split = MAP_BUFFER_W - rx;
        strips[n++] = {{left, map_row * 16, left + split, map_row * 16 + 16}, rx, ring_row};
        if (rx) strips[n++] = {{left + split, map_row * 16, left + MAP_BUFFER_W, map_row * 16 + 16}, 0, ring_row};
    }
    // Each step's objects go in before the next step's chips can wrap over them.
    if (n) MAP_DrawStripObjs(buffer, strips, n);
}
}  // namespace

void MAP_Release() {
    for (int32_t* id : {&MAP_IMAGES.chips, &MAP_IMAGES.buffer, &MAP_IMAGES.objects, &MAP_IMAGES.bg}) {
        if (*id >= 0) IMG_Release(*id);
        *id = -1;
    }
    for (int32_t* id : {&MAP_IMAGES.sprite, &MAP_IMAGES.bg_sprite}) {
        if (*id >= 0) SP_Delete(*id);
        *id = -1;
    }
    MapData& m = *MAP_Current();
    plat::Free(m.cells);
    m = MapData{};
    MAP_ClearObjList();
}

void MAP_Load(int stage, int variant, int dark) {
    MAP_Release();
    const int id = SP_FindFree();
    if (id >= 0 && SP_CreateCallback(id, MAP_PRIORITY, MAP_DrawCallback)) MAP_IMAGES.sprite = id;
    MAP_IMAGES.buffer = IMG_Create(MAP_BUFFER_W, MAP_BUFFER_H, 0);
    // Sheets and the object table always come from variant 0 of the stage.
    char sheets[16], name[16];
    MAP_StageName(sheets, sizeof sheets, stage, 0, dark);
    MAP_StageName(name, sizeof name, stage, variant, dark);
    MAP_IMAGES.chips = IMG_Load(MapPath("Bmp\\Map\\%s_f.bmp", sheets).c_str(), 0);
    MAP_IMAGES.objects = IMG_Load(MapPath("Bmp\\Map\\%s_o.bmp", sheets).c_str(), 0);
    MAP_LoadCsp(MapPath("Bmp\\Map\\%s_o.csp", sheets).c_str());
    MAP_SetData(&MAP_DATA);
    MAP_LoadFile(MapPath("Bmp\\Map\\%s.map", name).c_str());
    MAP_SetView(0, 0, MAP_VIEW_W, MAP_VIEW_H);
    SCR_SetStageScrRect(stage, variant);
    MapData& m = *MAP_Current();
    m.stage = uint8_t(stage);
    m.variant = uint8_t(variant);
    m.dark = uint8_t(dark);
    SYS_DebugPrint("MapRect (%4d : %4d)", int(m.pixel_w), int(m.pixel_h));
}

void MAP_LoadBg() {
    MAP_IMAGES.bg = IMG_Load(std::string(FIL_MakePath("Bmp\\Map\\Bg01.bmp")).c_str(), 0);
    const int id = MAP_IMAGES.bg >= 0 ? SP_FindFree() : -1;
    if (id >= 0 && SP_CreateStill(id, MAP_BG_PRIORITY, 24, 32, MAP_IMAGES.bg, nullptr)) MAP_IMAGES.bg_sprite = id;
}

void MAP_DrawChip(DDSurface* buffer, int cell, int32_t ring_x, int32_t ring_y) {
    const MapData& m = *MAP_Current();
    DDSurface* sheet = IMG_Surface(MAP_IMAGES.chips);
    if (!buffer || !sheet || !m.cells || cell < 0 || cell >= int32_t(m.width) * m.height) return;
    const MapCell& c = m.cells[cell];
    const RECT src{c.column * 16, c.row * 16, c.column * 16 + 16, c.row * 16 + 16};
    BLT_Blt(buffer, ring_x, ring_y, sheet, &src, 0);
}

void MAP_Redraw(int32_t x, int32_t y) {
    MapData& m = *MAP_Current();
    const BufferClip clip;
    // A point from a save can lie anywhere: the half view comes off in 64 bits.
    auto start = [](int32_t v, int32_t half, int32_t low) {
        return int32_t(std::max<int64_t>(std::max<int64_t>(int64_t(v) - half, INT32_MIN), low));
    };
    int32_t sx = start(x, m.half_w, SCR_SCROLL_RECT.left), sy = start(y, m.half_h, SCR_SCROLL_RECT.top);
    int32_t extra_col = 16, extra_row = 16;
    if (sx >= SCR_SCROLL_RECT.right - m.view_w) sx = SCR_SCROLL_RECT.right - m.view_w, extra_col = 0;
    if (sy >= SCR_SCROLL_RECT.bottom - m.view_h) sy = SCR_SCROLL_RECT.bottom - m.view_h, extra_row = 0;
    const int32_t c = sx >> 4, r = sy >> 4;
    m.scroll_x = sx;
    m.scroll_y = sy;
    m.ring_x = sx - 16 * c;
    m.ring_y = sy - 16 * r;
    DDSurface* buffer = IMG_Surface(MAP_IMAGES.buffer);
    if (!buffer) return;
    for (int32_t ry = 0; ry < m.view_h + extra_row; ry += 16)
        for (int32_t rx = 0; rx < m.view_w + extra_col; rx += 16) DrawCell(buffer, c + rx / 16, r + ry / 16, rx, ry);
    DDSurface* sheet = IMG_Surface(MAP_IMAGES.objects);
    if (!sheet) return;
    const RECT view{Floor16(sx), Floor16(sy), Floor16(sx) + m.view_w + 16, Floor16(sy) + m.view_h + 16};
    for (int i = 0; i < MAP_OBJ.count; ++i) DrawObjectPart(buffer, sheet, MAP_OBJ.obj[i], view, 0, 0);
}

void MAP_ScrollBuffer(int32_t dx, int32_t dy) {
    if (!dx && !dy) return;
    const BufferClip clip;
    DDSurface* buffer = IMG_Surface(MAP_IMAGES.buffer);
    const int32_t nx = std::abs(dx) / 15, ny = std::abs(dy) / 15, n = std::max(nx, ny);
    const int32_t dir_x = dx < 0 ? -1 : 1, dir_y = dy < 0 ? -1 : 1;
    for (int32_t i = 0; i <= n; ++i) {
        const int32_t sx = i < nx ? 15 * dir_x : (i == nx ? dx - 15 * nx * dir_x : 0);
        const int32_t sy = i < ny ? 15 * dir_y : (i == ny ? dy - 15 * ny * dir_y : 0);
        ScrollStep(buffer, sx, sy);
    }
}

int MAP_BlitBuffer(DDSurface* target, int32_t x, int32_t y, int key) {
    DDSurface* buffer = IMG_Surface(MAP_IMAGES.buffer);
    if (!target || !buffer) return 0;
    const MapData& m = *MAP_Current();
    const int32_t ox = m.ring_x, oy = m.ring_y;
    const int32_t right = std::min(ox + MAP_VIEW_W, MAP_BUFFER_W), bottom = std::min(oy + MAP_VIEW_H, MAP_BUFFER_H);
    int pieces = 0;
    auto blit = [&](int32_t dx, int32_t dy, const RECT& src) {
        BLT_Blt(target, dx, dy, buffer, &src, key);
        ++pieces;
    };
    blit(x, y, RECT{ox, oy, right, bottom});
    if (ox > 16) blit(x + MAP_BUFFER_W - ox, y, RECT{0, oy, ox - 16, bottom});
    if (oy > 16) {
        blit(x, y + MAP_BUFFER_H - oy, RECT{ox, 0, right, oy - 16});
        if (ox > 16) blit(x + MAP_BUFFER_W - ox, y + MAP_BUFFER_H - oy, RECT{0, 0, ox - 16, oy - 16});
    }
    return pieces;
}

void MAP_DrawCallback(int) {
    if (SP_RENDER_TARGET) MAP_BlitBuffer(*SP_RENDER_TARGET, MAP_Current()->origin_x, MAP_Current()->origin_y, 1);
}

void MAP_DrawDebugGrid() {
    DDSurface* buffer = IMG_Surface(MAP_IMAGES.buffer);
    if (!buffer) return;
    const uint32_t colour = DD_RGB(72, 72, 72);
    for (int32_t x = 0; x < MAP_BUFFER_W; x += MAP_CHIP) PRIM_SurfVLine(buffer, 0, MAP_BUFFER_H - 1, x, colour);
    for (int32_t y = 0; y < MAP_BUFFER_H; y += MAP_CHIP) PRIM_SurfHLine(buffer, 0, MAP_BUFFER_W - 1, y, colour);
}

void MAP_DrawDebugFrame() {
    DDSurface* buffer = IMG_Surface(MAP_IMAGES.buffer);
    if (!buffer) return;
    const MapData& m = *MAP_Current();
    const int32_t rx = Wrap(m.ring_x, MAP_BUFFER_W), ry = Wrap(m.ring_y, MAP_BUFFER_H);
    // The spare chip column and row before the view's edges, which the blit leaves out.
    const uint32_t spare = DD_RGB(248, 248, 0);
    PRIM_SurfVLine(buffer, 0, MAP_BUFFER_H - 1, Wrap(rx - MAP_CHIP, MAP_BUFFER_W), spare);
    PRIM_SurfHLine(buffer, 0, MAP_BUFFER_W - 1, Wrap(ry - MAP_CHIP, MAP_BUFFER_H), spare);
    // The seams: the view's left and top edges, where it wraps round the ring.
    const uint32_t seam = DD_RGB(248, 0, 0);
    PRIM_SurfVLine(buffer, 0, MAP_BUFFER_H - 1, rx, seam);
    PRIM_SurfHLine(buffer, 0, MAP_BUFFER_W - 1, ry, seam);
}

void SCR_ShowMap(int flag) {
    if (MAP_IMAGES.sprite >= 0) SP_SetVisible(MAP_IMAGES.sprite, flag);
}
