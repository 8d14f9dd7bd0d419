// The battle map: the current map record and its cells, background objects and their picture table,
// the scroll rectangle and the screen quake; chip queries, the scrolled map buffer and the depth
// overlays that let characters walk behind background objects.
#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/types.h"

struct LIST_NODE;
class DDSurface;

constexpr int MAP_CHIP = 16;
constexpr int MAP_SHEET_COLUMNS = 40;  // chips per row of the chip sheet
constexpr int MAP_BUFFER_W = 656;      // the view plus one chip each way, used as a ring
constexpr int MAP_BUFFER_H = 496;
constexpr int MAP_VIEW_W = 640;
constexpr int MAP_VIEW_H = 480;
constexpr int MAP_OBJ_MAX = 1000;
constexpr int MAP_CSP_MAX = 301;
constexpr uint8_t MAP_NO_STAGE = 255;
constexpr uint8_t MAP_WALL = 1;           // attribute bit every caller tests
constexpr int MAP_MAX_CELLS = 1 << 20;    // a larger map counts as absent
constexpr int16_t MAP_PRIORITY = 161;     // the map display object
constexpr int16_t MAP_BG_PRIORITY = 162;
constexpr int16_t MAP_WORLD_PRIORITY = 128;

struct MapCell {
    uint8_t column, row;  // chip on the sheet
    uint8_t attr;         // bit 0 wall
    uint8_t extra;        // ground kind; 255 none
};

struct MapData {
    uint8_t stage = MAP_NO_STAGE;  // 255: no map
    uint8_t variant = 0;
    uint8_t dark = 0;
    int32_t scroll_x = 0, scroll_y = 0;  // map pixel at the view's top-left
    int16_t width = 0, height = 0;       // chips
    int32_t pixel_w = 0, pixel_h = 0;
    int32_t view_w = 0, view_h = 0;
    int16_t half_w = 0, half_h = 0;
    int16_t view_cw = 0, view_ch = 0;    // view in chips
    int32_t ring_x = 0, ring_y = 0;      // where the view's top-left lies in the map buffer
    int32_t origin_x = 0, origin_y = 0;  // view origin on the screen
    MapCell* cells = nullptr;            // width x height, row by row; null: no map
};

// One background object placed on the map: picture table entry and its top-left in map pixels.
struct MapObj {
    int16_t index;
    int32_t x, y;
};
struct MapObjList {
    MapObj obj[MAP_OBJ_MAX];
    int32_t count;
};

// An entry of the background-object picture table ("_o.csp").
struct MapCsp {
    int16_t sx, sy, w, h;  // on the object sheet
    int16_t ax, ay;        // the point that stands on the object's cell
};
struct MapCspTable {
    MapCsp rec[MAP_CSP_MAX];
    int32_t count;
};

// The images and display objects of the map; -1 when absent.
struct MapImages {
    int32_t chips = -1, objects = -1, buffer = -1, bg = -1;
    int32_t sprite = -1, bg_sprite = -1;
};

struct BGOBJ_DATA {
    RECT src;  // on the object sheet
};

struct ScrQuake {
    int16_t slow;    // slow-motion frames of the finish
    int16_t hold;    // hold frames that follow
    int16_t level;   // 0..32
    int16_t offset;  // vertical shake of this draw
    int32_t counter;
};

extern MapData MAP_DATA;
extern MapObjList MAP_OBJ;
extern MapCspTable MAP_CSP;
extern MapImages MAP_IMAGES;
extern RECT SCR_SCROLL_RECT;
extern ScrQuake SCR_QUAKE;

// ---- files and loading ----
// "%02d_%d_%c" of stage, variant and 'D' (dark) or 'L'; at least 16 bytes.
void MAP_StageName(char* out, size_t size, int stage, int variant, int dark);
void MAP_Load(int stage, int variant, int dark);
void MAP_Release();
// The current record (set by MAP_SetData; MAP_DATA unless told otherwise).
MapData* MAP_Current();
void MAP_SetData(MapData* record);
int MAP_LoadFile(const char* path);
// The same from a file image in memory: 1, or 0 when it is shorter than its header or a layer
// ends past its end (the layers before it stay). What a damaged file lost is told in one debug
// line naming the file.
int MAP_LoadFileData(const uint8_t* data, size_t size, const char* name = "map");
void MAP_DecodeChips(const uint8_t* words, size_t bytes);
void MAP_DecodeObjs(const uint8_t* words, size_t bytes);
void MAP_DecodeAttr(const uint8_t* bytes, size_t length);
void MAP_DecodeExtra(const uint8_t* bytes, size_t length);
int MAP_AddObj(int k, int cell);
void MAP_ClearObjList();
int MAP_LoadCsp(const char* path);
// 1, or 0 (the table left as it was) when shorter than its header; cut to the records the file
// holds and to the 301 of the table, told in one debug line naming the file.
int MAP_LoadCspData(const uint8_t* data, size_t size, const char* name = "csp");
void MAP_SetView(int32_t x, int32_t y, int32_t w, int32_t h);
void MAP_LoadBg();

// ---- chip queries ----
// The cell at chip (column, row), or null outside the map or without one.
const MapCell* MAP_Cell(int32_t column, int32_t row);
int MAP_CheckRect(const LIST_NODE* node, int mask);
int MAP_CheckLine(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int mask);
int MAP_CheckSweep(const LIST_NODE* node, int32_t x, int32_t y, int mask);
int MAP_GetExtra(int32_t x, int32_t y);

// ---- scroll rectangle ----
void SCR_SetScrRect(const RECT* rect);
void SCR_SetStageScrRect(int stage, int variant);

// ---- drawing ----
void MAP_Redraw(int32_t x, int32_t y);
void MAP_ScrollBuffer(int32_t dx, int32_t dy);
void MAP_DrawChip(DDSurface* buffer, int cell, int32_t ring_x, int32_t ring_y);
void MAP_DrawCallback(int id);
// Up to four pieces of the ring at (x, y); the number of pieces blitted.
int MAP_BlitBuffer(DDSurface* target, int32_t x, int32_t y, int key);
void SCR_ShowMap(int flag);
// Debugging aids, called by nothing: the 16-pixel chip grid of the map buffer, and its seams (the
// view's left and top edges in the ring, red) with the spare chip column and row before them
// (yellow).
void MAP_DrawDebugGrid();
void MAP_DrawDebugFrame();

// ---- nodes and overlays ----
void LIST_SetPos(LIST_NODE* node, int32_t x, int32_t y, int32_t height);
void MAP_UpdateBgOverlay();
// The background objects this frame's MAP_UpdateBgOverlay collected that stand in front of the
// node (its feet at or above their base line) get an overlay where they cover the rectangle;
// false once an overlay could not be made.
bool MAP_AddOverlays(const LIST_NODE* node, const RECT& rect);
int32_t MAP_CreateOverlay(int32_t x, int32_t base, int32_t top, const RECT* src);
void MAP_DrawOverlay(int id);
int32_t MAP_DelBgObj(LIST_NODE* node);
// Overlays made in the current frame.
int32_t MAP_OverlayCount();

// ---- screen quake ----
void SCR_Quake(int slow, int hold, int level);
void SCR_QuakeStop();
void SCR_QuakeUpdate();
