// Map files: the ".map" layers, the background-object table and loading a stage.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "battle/btl_common.h"
#include "battle/map_data.h"
#include "platform/bytes.h"
#include "platform/memory.h"
#include "services/fil_util.h"
#include "shell/app_wnd.h"

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

// What the file being loaded lost (null outside MAP_LoadFileData).
BTL_DropNote* g_drops = nullptr;

// Walks a layer's runs up to the map's cell count: put(value, cell) for each cell covered. A
// layer that codes fewer cells leaves the rest as they are; cells coded past the map are dropped.
template <class Next, class Put>
void WalkRuns(const char* layer, const uint8_t* p, size_t n, Next next, Put put) {
    const int32_t total = CellCount();
    int32_t cell = 0;
    int64_t past = 0;
    for (size_t i = 0; i < n;) {
        const Run r = next(p, n, i);
        const uint32_t inside = std::min<uint32_t>(r.count, uint32_t(total - cell));
        for (uint32_t k = 0; k < inside; ++k) put(r.value, cell++);
        past += r.count - inside;
    }
    if (!g_drops) return;
    if (past) g_drops->Add("the %s layer codes %lld cells past the map's %d: dropped", layer, (long long)past, int(total));
    if (cell < total) g_drops->Add("the %s layer covers %d of %d cells", layer, int(cell), int(total));
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
    if (total < 1 || total > MAP_MAX_CELLS) {  // no cells: the map counts as absent
        if (g_drops) g_drops->Add("%d x %d cells: no map", int(m.width), int(m.height));
        return;
    }
    m.cells = static_cast<MapCell*>(plat::AllocZero(size_t(total) * sizeof(MapCell)));
    if (!m.cells) return;
    int32_t decoded = 0;
    WalkRuns("chip", words, bytes / 2, NextWordRun, [&](uint32_t v, int32_t cell) {
        m.cells[cell].column = uint8_t(v % MAP_SHEET_COLUMNS);
        m.cells[cell].row = uint8_t(v / MAP_SHEET_COLUMNS);
        decoded = cell + 1;
    });
    SYS_DebugPrint("   Map = %6d Byte   (   Chip\x90\x94 : %6d)" /*    Map = %6d Byte   (   Chip数 : %6d) */, int(total * 4), int(decoded));
}

void MAP_DecodeObjs(const uint8_t* words, size_t bytes) {
    int32_t unknown = 0, past = 0;
    WalkRuns("object", words, bytes / 2, NextWordRun, [&](uint32_t k, int32_t cell) {
        if (k && !MAP_AddObj(int(k), cell)) ++(MAP_OBJ.count >= MAP_OBJ_MAX ? past : unknown);
    });
    if (g_drops && unknown) g_drops->Add("objects without a picture: %d skipped", int(unknown));
    if (g_drops && past) g_drops->Add("objects past %d: %d dropped", MAP_OBJ_MAX, int(past));
    SYS_DebugPrint("MapObj = %6d Byte   (\x94w\x8ciObj\x90\x94 : %6d)" /* MapObj = %6d Byte   (背景Obj数 : %6d) */,
                   12 * MAP_OBJ_MAX /* the list as stored: 12 bytes an entry */, int(MAP_OBJ.count));
}

void MAP_DecodeAttr(const uint8_t* bytes, size_t length) {
    WalkRuns("attribute", bytes, length, NextByteRun, [](uint32_t v, int32_t cell) { g_map->cells[cell].attr = uint8_t(v); });
}

void MAP_DecodeExtra(const uint8_t* bytes, size_t length) {
    WalkRuns("ground", bytes, length, NextByteRun, [](uint32_t v, int32_t cell) { g_map->cells[cell].extra = uint8_t(v); });
}

namespace {
constexpr const char* kLayerNames[4] = {"chip", "object", "attribute", "ground"};

// The layers in file order, each decoded once read whole. A layer whose end lies past the end of
// the file cannot be read: loading stops there with 0, keeping the layers before it. Offsets that
// run backwards give an empty layer.
int LoadLayers(const uint8_t* data, size_t size, BTL_DropNote& drops) {
    MapData& m = *g_map;
    plat::Free(m.cells);
    m = MapData{};
    m.width = int16_t(plat::Get16(data + 0x10));
    m.height = int16_t(plat::Get16(data + 0x14));
    if (m.width < 0 || m.height < 0) m.width = m.height = 0;
    const uint32_t start[4] = {plat::Get32(data + 0x28), plat::Get32(data + 0x2C), plat::Get32(data + 0x34),
                               plat::Get32(data + 0x38)};
    const uint32_t end[4] = {plat::Get32(data + 0x2C), plat::Get32(data + 0x30), plat::Get32(data + 0x38),
                             plat::Get32(data + 0x3C)};
    using Decode = void (*)(const uint8_t*, size_t);
    constexpr Decode kDecode[4] = {MAP_DecodeChips, MAP_DecodeObjs, MAP_DecodeAttr, MAP_DecodeExtra};
    for (int i = 0; i < 4; ++i) {
        if (i > 0 && !m.cells) return 1;  // no map: nothing to fill
        if (start[i] > end[i]) {
            drops.Add("the %s layer's offsets run backwards (%u to %u): empty", kLayerNames[i], start[i], end[i]);
            kDecode[i](data, 0);
            continue;
        }
        if (end[i] > size) {
            drops.Add("the %s layer ends at byte %u of a %zu-byte file: it and the layers after it dropped",
                      kLayerNames[i], end[i], size);
            return 0;
        }
        kDecode[i](data + start[i], end[i] - start[i]);
    }
    return 1;
}
}  // namespace

int MAP_LoadFileData(const uint8_t* data, size_t size, const char* name) {
    BTL_DropNote drops;
    int result = 0;
    if (!data || size < kHeader) {
        drops.Add("%zu bytes, shorter than the %zu-byte header: not read", data ? size : 0, kHeader);
    } else {
        g_drops = &drops;
        result = LoadLayers(data, size, drops);
        g_drops = nullptr;
    }
    drops.Print(name);
    return result;
}

int MAP_LoadFile(const char* path) {
    std::vector<uint8_t> file;
    if (!BTL_ReadFile(path, file, kMaxMapFile)) {
        // Only the hidden mode tells of a stage without its map file (the failed handle's -1).
        if (APP_HiddenMode) SYS_DebugPrintNoCrlf("%s:Open error %d\n", path ? path : "", -1);
        return 0;
    }
    return MAP_LoadFileData(file.data(), file.size(), path);
}

int MAP_LoadCspData(const uint8_t* data, size_t size, const char* name) {
    BTL_DropNote drops;
    if (!data || size < 16) {
        drops.Add("%zu bytes, shorter than the 16-byte header: the table left as it was", data ? size : 0);
        drops.Print(name);
        return 0;
    }
    const uint32_t bytes = plat::Get32(data + 8);
    const uint32_t offset = plat::Get32(data + 12);
    const size_t present = offset <= size ? size - offset : 0;
    size_t count = (bytes < present ? bytes : present) / 12;
    if (bytes > present) drops.Add("a table of %u records at byte %u, %zu of them in the file", bytes / 12, offset, count);
    if (count > MAP_CSP_MAX) {
        drops.Add("records past %d: %zu dropped", MAP_CSP_MAX, count - MAP_CSP_MAX);
        count = MAP_CSP_MAX;
    }
    MAP_CSP = MapCspTable{};
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* r = data + offset + 12 * i;
        MapCsp& c = MAP_CSP.rec[i];
        int16_t* f[6] = {&c.sx, &c.sy, &c.w, &c.h, &c.ax, &c.ay};
        for (int k = 0; k < 6; ++k) *f[k] = int16_t(plat::Get16(r + 2 * k));
    }
    MAP_CSP.count = int32_t(count);
    drops.Print(name);
    return 1;
}

int MAP_LoadCsp(const char* path) {
    std::vector<uint8_t> file;
    if (!BTL_ReadFile(path, file, kMaxCspFile)) return 0;
    return MAP_LoadCspData(file.data(), file.size(), path);
}
