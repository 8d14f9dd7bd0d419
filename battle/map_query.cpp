// Chip queries over the current map, the scroll rectangle and the screen quake.
#include <algorithm>
#include <cstdlib>
#include <utility>

#include "battle/list_pool.h"
#include "battle/map_data.h"
#include "services/fil_util.h"
#include "sprite/sp_draw.h"

RECT SCR_SCROLL_RECT{};
ScrQuake SCR_QUAKE{};

namespace {
bool OutsideScroll(int32_t x, int32_t y) {
    const RECT& r = SCR_SCROLL_RECT;
    return x < r.left || y < r.top || x >= r.right || y >= r.bottom;
}

// A Bresenham walk over chips along the major axis (rows when the line is steep, dx <= dy), from
// the end with the smaller major coordinate to the other. The major axis moves by its step each
// time, the minor one by its own step when the error runs out; the start is never tested, every
// later position is. 1 when it passes the far end clear, 0 at the first blocked position.
template <class Blocked>
int WalkChips(int32_t c0, int32_t r0, int32_t c1, int32_t r1, int32_t step_c, int32_t step_r, Blocked blocked) {
    const bool steep = std::abs(c1 - c0) <= std::abs(r1 - r0);
    int32_t a0 = steep ? r0 : c0, b0 = steep ? c0 : r0, a1 = steep ? r1 : c1, b1 = steep ? c1 : r1;
    const int32_t step_a = steep ? step_r : step_c, step_b = steep ? step_c : step_r;
    if (a0 > a1) std::swap(a0, a1), std::swap(b0, b1);
    const int32_t da = a1 - a0, db = std::abs(b1 - b0), dir = b1 > b0 ? 1 : (b1 < b0 ? -1 : 0);
    int32_t err = da / 2;
    for (int32_t a = a0, b = b0;;) {
        a += step_a;
        if (a > a1) return 1;
        err -= db;
        if (err < 0) b += dir * step_b, err += da;
        if (steep ? blocked(b, a) : blocked(a, b)) return 0;
    }
}
}  // namespace

const MapCell* MAP_Cell(int32_t column, int32_t row) {
    const MapData& m = *MAP_Current();
    if (!m.cells || column < 0 || row < 0 || column >= m.width || row >= m.height) return nullptr;
    return &m.cells[size_t(row) * m.width + column];
}

int MAP_CheckRect(const LIST_NODE* node, int mask) {
    const MapData& m = *MAP_Current();
    RECT box;
    if (!node || !m.cells || !SP_GetHitBox(node->sprite, 2, &box)) return 0;
    const int32_t w = box.right - box.left, h = box.bottom - box.top;
    if (w <= 0 || h <= 0) return 0;
    const int32_t x = node->x + box.left, y = node->y + box.top;
    const int32_t c0 = std::clamp(x >> 4, 0, m.width - 1), r0 = std::clamp(y >> 4, 0, m.height - 1);
    // A box that starts inside a chip reaches one chip further.
    const int32_t ext_w = std::min(w + (x % 16 ? 16 : 0), (m.width - c0) * 16);
    const int32_t ext_h = std::min(h + (y % 16 ? 16 : 0), (m.height - r0) * 16);
    for (int32_t oy = 0; oy < ext_h; oy += 16)
        for (int32_t ox = 0; ox < ext_w; ox += 16)
            if (MAP_Cell(c0 + ox / 16, r0 + oy / 16)->attr & mask) return 1;
    return 0;
}

int MAP_CheckLine(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int mask) {
    const MapData& m = *MAP_Current();
    const int32_t c0 = x0 >> 4, r0 = y0 >> 4, c1 = x1 >> 4, r1 = y1 >> 4;
    if (OutsideScroll(x1, y1) || !m.cells) return 0;
    if (std::min({c0, r0, c1, r1}) < 0 || std::max(c0, c1) >= m.width || std::max(r0, r1) >= m.height) return 0;
    return WalkChips(c0, r0, c1, r1, 1, 1, [&](int32_t c, int32_t r) { return (MAP_Cell(c, r)->attr & mask) != 0; });
}

int MAP_CheckSweep(const LIST_NODE* node, int32_t x, int32_t y, int mask) {
    if (!node || !MAP_Current()->cells || OutsideScroll(x, y)) return 0;
    const int32_t c0 = node->x >> 4, r0 = node->y >> 4, c1 = x >> 4, r1 = y >> 4;
    if (std::min({c0, r0, c1, r1}) < 0) return 0;
    // At least one chip a step: a box under 16 pixels would otherwise never move.
    const int32_t bw = std::max(1, node->map_box.w >> 4), bh = std::max(1, node->map_box.h >> 4);
    const int32_t ox = node->map_box.x >> 4, oy = node->map_box.y >> 4;
    return WalkChips(c0, r0, c1, r1, bw, bh, [&](int32_t c, int32_t r) {
        for (int32_t j = 0; j < bh; ++j)
            for (int32_t i = 0; i < bw; ++i) {
                const MapCell* cell = MAP_Cell(c + ox + i, r + oy + j);
                if (!cell || (cell->attr & mask)) return true;  // outside the map counts as wall
            }
        return false;
    });
}

int MAP_GetExtra(int32_t x, int32_t y) {
    const MapCell* cell = MAP_Cell(x >> 4, y >> 4);
    return cell ? cell->extra : 255;
}

void SCR_SetScrRect(const RECT* rect) {
    const MapData& m = *MAP_Current();
    RECT& r = SCR_SCROLL_RECT;
    if (rect) {
        // Edges from scripts and saves can be anything: past the Part's own clamps they are kept
        // within 2^30 either way, so the view arithmetic on them (edge - 640 ...) stays in range.
        constexpr int32_t kFar = 1 << 30;
        r = *rect;
        r.left = std::clamp(r.left, 0, kFar);
        r.top = std::clamp(r.top, 0, kFar);
        r.right = std::clamp(r.right, -kFar, m.pixel_w);
        r.bottom = std::clamp(r.bottom, -kFar, m.pixel_h);
        return;
    }
    r = RECT{0, 0, m.pixel_w, m.pixel_h};
    if (m.pixel_w < m.view_w || m.pixel_h < m.view_h)
        SYS_DebugPrint("Error : SCR_SetScrRect > \x83X\x83N\x83\x8d\x81[\x83\x8b\x94\xcd\x88\xcd\x82\xaa\x8f\xac\x82\xb3"
                       "\x82\xa2\x81I(%d,%d)-(%d,%d)" /* Error : SCR_SetScrRect > スクロール範囲が小さい！(%d,%d)-(%d,%d) */,
                       int(r.left), int(r.top), int(r.right), int(r.bottom));
}

void SCR_SetStageScrRect(int stage, int variant) {
    struct Row {
        int stage, first, last;  // variants first..last; -1: all
        RECT rect;
    };
    static constexpr Row kRows[] = {
        {0, 0, 2, {0, 0, 1600, 1200}},       {0, 3, 4, {192, 192, 1792, 1344}},  {1, -1, -1, {0, 0, 1600, 1200}},
        {3, -1, -1, {0, 0, 1600, 1200}},     {4, -1, -1, {0, 0, 1600, 1200}},    {2, -1, -1, {0, 0, 1728, 1248}},
        {5, 0, 3, {0, 0, 1280, 960}},        {5, 4, 5, {192, 192, 2048, 1408}},  {5, 8, 8, {192, 192, 2048, 1408}},
        {5, 6, 6, {192, 192, 1792, 1408}},   {5, 9, 9, {192, 192, 1792, 1408}},  {5, 7, 7, {192, 192, 1792, 1344}},
        {9, -1, -1, {0, 0, 1088, 2880}},     {10, -1, -1, {192, 192, 1920, 1472}},
    };
    for (const Row& row : kRows) {
        if (row.stage != stage || (row.first >= 0 && (variant < row.first || variant > row.last))) continue;
        SCR_SetScrRect(&row.rect);
        return;
    }
    SCR_SetScrRect(nullptr);  // pairs without a row: the whole map
}

void SCR_Quake(int slow, int hold, int level) {
    ScrQuake& q = SCR_QUAKE;
    if (slow > q.slow) q.slow = int16_t(slow);
    if (hold > q.hold) q.hold = int16_t(hold);
    if (level >= 0) q.level = int16_t(std::min(level, 32));
}

void SCR_QuakeStop() {
    ScrQuake& q = SCR_QUAKE;
    q.slow = q.hold = q.level = q.offset = 0;
}

void SCR_QuakeUpdate() {
    ScrQuake& q = SCR_QUAKE;
    q.offset = int16_t((q.counter & 1) ? q.level : -q.level);
    const int16_t quarter = int16_t(q.level >> 2);
    q.level = int16_t(quarter >= 2 ? q.level - quarter : q.level - 1);
    if (q.level < 0) q.level = 0;
    ++q.counter;
}
