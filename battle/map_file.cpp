// Map files: the ".map" layers, the background-object table and loading a stage.
#include <cstdio>
#include <cstring>
#include <vector>

#include "battle/btl_common.h"
#include "battle/map_data.h"
#include "platform/bytes.h"
#include "platform/memory.h"
#include "services/fil_util.h"

MapData MAP_DATA;
MapObjList MAP_OBJ{};
MapCspTable MAP_CSP{};
MapImages MAP_IMAGES;

namespace {
MapData* g_map = &MAP_DATA;
constexpr size_t kHeader = 0x40;
constexpr size_t kMaxMapFile = size_t(64) << 20;
constexpr size_t kMaxCspFile = size_t(1) << 20;

int32_t CellCount() { return g_map->cells ? int32_t(g_map->width) * g_map->height : 0; }

// One run of a layer: a value unlike the next is one cell; two equal values and a u16 count are
// `count` cells. Word layers hold 16-bit values, byte layers bytes (the count unaligned).
struct Run {
    uint32_t value, count;
};
Run NextWordRun(const uint8_t* p, size_t n, size_t& i) {
    const uint32_t v = plat::Get16(p + 2 * i);
    if (i + 2 < n && plat::Get16(p + 2 * (i + 1)) == v) {
        const uint32_t count = plat::Get16(p + 2 * (i + 2));
        i += 3;
        return {v, count};
    }
    ++i;
    return {v, 1};
}
Run NextByteRun(const uint8_t* p, size_t n, size_t& i) {
    const uint32_t v = p[i];
    if (i + 3 < n && p[i + 1] == v) {
        const uint32_t count = plat::Get16(p + i + 2);
        i += 4;
        return {v, count};
    }
    ++i;
    return {v, 1};
}

// Walks a layer's runs up to the map's cell count: put(value, cell) for each cell covered.
template <class Next, class Put>
int32_t WalkRuns(const uint8_t* p, size_t n, Next next, Put put) {
    const int32_t total = CellCount();
    int32_t cell = 0;
    for (size_t i = 0; i < n && cell < total;) {
        const Run r = next(p, n, i);
        for (uint32_t k = 0; k < r.count && cell < total; ++k) put(r.value, cell++);
    }
    return cell;
}

}  // namespace

void MAP_StageName(char* out, size_t size, int stage, int variant, int dark) {
    std::snprintf(out, size, "%02d_%d_%c", stage, variant, dark ? 'D' : 'L');
}

MapData* MAP_Current() { return g_map; }
void MAP_SetData(MapData* record) { g_map = record ? record : &MAP_DATA; }

void MAP_SetView(int32_t x, int32_t y, int32_t w, int32_t h) {
    MapData& m = *g_map;
    m.origin_x = x;
    m.origin_y = y;
    m.view_w = w;
    m.view_h = h;
    m.half_w = int16_t(w >> 1);
    m.half_h = int16_t(h >> 1);
    m.view_cw = int16_t(w / MAP_CHIP);
    m.view_ch = int16_t(h / MAP_CHIP);
    m.pixel_w = m.width * MAP_CHIP;
    m.pixel_h = m.height * MAP_CHIP;
}

void MAP_ClearObjList() {
    std::memset(MAP_OBJ.obj, 0, sizeof MAP_OBJ.obj);
    MAP_OBJ.count = 0;
}

int MAP_AddObj(int k, int cell) {
    if (MAP_OBJ.count >= MAP_OBJ_MAX) return 0;
    if (k < 1 || k > MAP_CSP.count || g_map->width < 1) return 0;  // no picture for it: skipped
    const MapCsp& c = MAP_CSP.rec[k - 1];
    MapObj& o = MAP_OBJ.obj[MAP_OBJ.count++];
    o.index = int16_t(k - 1);
    o.x = (cell % g_map->width) * MAP_CHIP - c.ax;
    o.y = (cell / g_map->width) * MAP_CHIP - c.ay;
    return 1;
}

void MAP_DecodeChips(const uint8_t* words, size_t bytes) {
    MapData& m = *g_map;
    plat::Free(m.cells);
    m.cells = nullptr;
    const int64_t total = int64_t(m.width) * m.height;
    if (total < 1 || total > MAP_MAX_CELLS) return;  // no cells: the map counts as absent
    m.cells = static_cast<MapCell*>(plat::AllocZero(size_t(total) * sizeof(MapCell)));
    if (!m.cells) return;
    const int32_t decoded = WalkRuns(words, bytes / 2, NextWordRun, [&](uint32_t v, int32_t cell) {
        m.cells[cell].column = uint8_t(v % MAP_SHEET_COLUMNS);
        m.cells[cell].row = uint8_t(v / MAP_SHEET_COLUMNS);
    });
    SYS_DebugPrint("   Map = %6d Byte   (   Chip\x90\x94 : %6d)" /*    Map = %6d Byte   (   Chip数 : %6d) */, int(total * 4), int(decoded));
}

void MAP_DecodeObjs(const uint8_t* words, size_t bytes) {
    WalkRuns(words, bytes / 2, NextWordRun, [](uint32_t k, int32_t cell) {
        if (k) MAP_AddObj(int(k), cell);
    });
    SYS_DebugPrint("MapObj = %6d Byte   (\x94w\x8ciObj\x90\x94 : %6d)" /* MapObj = %6d Byte   (背景Obj数 : %6d) */,
                   12 * MAP_OBJ_MAX /* the list as stored: 12 bytes an entry */, int(MAP_OBJ.count));
}

void MAP_DecodeAttr(const uint8_t* bytes, size_t length) {
    WalkRuns(bytes, length, NextByteRun, [](uint32_t v, int32_t cell) { g_map->cells[cell].attr = uint8_t(v); });
}

void MAP_DecodeExtra(const uint8_t* bytes, size_t length) {
    WalkRuns(bytes, length, NextByteRun, [](uint32_t v, int32_t cell) { g_map->cells[cell].extra = uint8_t(v); });
}

int MAP_LoadFileData(const uint8_t* data, size_t size) {
    if (!data || size < kHeader) return 0;
    MapData& m = *g_map;
    plat::Free(m.cells);
    m = MapData{};
    m.width = int16_t(plat::Get16(data + 0x10));
    m.height = int16_t(plat::Get16(data + 0x14));
    if (m.width < 0 || m.height < 0) m.width = m.height = 0;
    // Layer i lies between offset table entries; a range outside the file is an empty layer.
    const uint32_t start[4] = {plat::Get32(data + 0x28), plat::Get32(data + 0x2C), plat::Get32(data + 0x34),
                               plat::Get32(data + 0x38)};
    const uint32_t end[4] = {plat::Get32(data + 0x2C), plat::Get32(data + 0x30), plat::Get32(data + 0x38),
                             plat::Get32(data + 0x3C)};
    auto layer = [&](int i, size_t* n) -> const uint8_t* {
        const bool ok = start[i] <= end[i] && end[i] <= size;
        *n = ok ? end[i] - start[i] : 0;
        return ok ? data + start[i] : data;
    };
    size_t n = 0;
    const uint8_t* p = layer(0, &n);
    MAP_DecodeChips(p, n);
    if (!m.cells) return 1;
    p = layer(1, &n);
    MAP_DecodeObjs(p, n);
    p = layer(2, &n);
    MAP_DecodeAttr(p, n);
    p = layer(3, &n);
    MAP_DecodeExtra(p, n);
    return 1;
}

int MAP_LoadFile(const char* path) {
    std::vector<uint8_t> file;
    if (!BTL_ReadFile(path, file, kMaxMapFile)) return 0;
    return MAP_LoadFileData(file.data(), file.size());
}

int MAP_LoadCspData(const uint8_t* data, size_t size) {
    if (!data || size < 16) return 0;
    const uint32_t bytes = plat::Get32(data + 8);
    const uint32_t offset = plat::Get32(data + 12);
    const size_t present = offset <= size ? size - offset : 0;
    size_t count = (bytes < present ? bytes : present) / 12;
    if (count > MAP_CSP_MAX) count = MAP_CSP_MAX;
    MAP_CSP = MapCspTable{};
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* r = data + offset + 12 * i;
        MapCsp& c = MAP_CSP.rec[i];
        int16_t* f[6] = {&c.sx, &c.sy, &c.w, &c.h, &c.ax, &c.ay};
        for (int k = 0; k < 6; ++k) *f[k] = int16_t(plat::Get16(r + 2 * k));
    }
    MAP_CSP.count = int32_t(count);
    return 1;
}

int MAP_LoadCsp(const char* path) {
    std::vector<uint8_t> file;
    if (!BTL_ReadFile(path, file, kMaxCspFile)) return 0;
    return MAP_LoadCspData(file.data(), file.size());
}
