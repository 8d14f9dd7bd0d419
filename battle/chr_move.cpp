// Character movement: height with gravity, bounds, the wall and character solver with its corner
// slide, and the separation of overlapping characters.
#include "battle/chr_move.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "battle/bsc_command.h"
#include "battle/btl_common.h"
#include "battle/btl_frame.h"
#include "battle/btl_sound.h"
#include "battle/chr_char.h"
#include "battle/hit_resolve.h"
#include "battle/list_pool.h"
#include "battle/map_data.h"
#include "services/fil_util.h"
#include "services/mth_math.h"

int32_t CHR_MoveSubStep = 0;

namespace {
constexpr int kMaxTries = 10;

struct Box {
    int32_t l, t, r, b;
};
struct Obstacle {
    Box box;
    bool chr;
};
// One recorded correction and its contact kind (0 corner, 1 side, 2 top or bottom).
struct Correction {
    int32_t v;
    int contact;
};

Box At(const LIST_BOX& b, int32_t x, int32_t y) { return {x + b.x, y + b.y, x + b.x + b.w, y + b.y + b.h}; }
bool Intersect(const Box& a, const Box& b) {
    return std::max(a.l, b.l) < std::min(a.r, b.r) && std::max(a.t, b.t) < std::min(a.b, b.b);
}
int Sign(int32_t v) { return (v > 0) - (v < 0); }
// Movement code of the keypad layout (y down), 5 for none.
int MoveCode(int32_t dx, int32_t dy) {
    const int col = dx < 0 ? 0 : (dx == 0 ? 1 : 2);
    const int row = dy > 0 ? 0 : (dy == 0 ? 1 : 2);
    return 1 + col + 3 * row;
}
bool Wall(int32_t column, int32_t row) {
    const MapCell* c = MAP_Cell(column, row);
    return c && (c->attr & MAP_WALL);
}
bool InMapColumn(int32_t column) { return MAP_Current()->cells && column >= 0 && column < MAP_Current()->width; }
bool InMapRow(int32_t row) { return MAP_Current()->cells && row >= 0 && row < MAP_Current()->height; }

// Runs of wall chips along a column or a row become one obstacle each.
void ScanColumn(std::vector<Obstacle>& out, int32_t column, int32_t row0, int32_t rows) {
    for (int32_t r = row0; r < row0 + rows;) {
        if (!Wall(column, r)) {
            ++r;
            continue;
        }
        const int32_t first = r;
        while (r < row0 + rows && Wall(column, r)) ++r;
        out.push_back({{column * 16, first * 16, column * 16 + 16, r * 16}, false});
    }
}
void ScanRow(std::vector<Obstacle>& out, int32_t row, int32_t col0, int32_t cols, int32_t skip) {
    for (int32_t c = col0; c < col0 + cols;) {
        if (c == skip || !Wall(c, row)) {
            ++c;
            continue;
        }
        const int32_t first = c;
        while (c < col0 + cols && c != skip && Wall(c, row)) ++c;
        out.push_back({{first * 16, row * 16, c * 16, row * 16 + 16}, false});
    }
}

void UpdateSigns(CHR_DATA* c, int32_t dx, int32_t dy) {
    if (dx) c->sign_x = int16_t(Sign(dx));
    if (dy) c->sign_y = int16_t(Sign(dy));
}
}  // namespace

int CHR_Move(int gravity, int ignore_chr) {
    LIST_NODE* n = LIST_CURRENT.node;
    CHR_DATA* c = n->chr;
    if (CHR_MoveSubStep == 0) {
        int32_t dz = n->vspeed;
        if (gravity) {
            const int32_t a = c->air_time;
            dz = std::clamp<int32_t>(n->vspeed + (-(a * a) >> 3), -24, 24);  // floor(-a^2 / 8)
        }
        const int32_t before = n->height;
        n->height += dz;
        if (n->height < 0) {
            n->height = 0;
            if (before > 0) BTL_SePlay(34, -1);
        }
    }
    int32_t x16 = BTL_Fix16Add(n->x16, int64_t(n->vx) * n->sub_step_size);
    int32_t y16 = BTL_Fix16Add(n->y16, int64_t(n->vy) * n->sub_step_size);
    int32_t x = x16 >> 16, y = y16 >> 16;
    int32_t lo_x, hi_x, lo_y, hi_y;
    if (BTL_IsHudOff()) {
        lo_x = 0, hi_x = MAP_Current()->pixel_w, lo_y = 0, hi_y = MAP_Current()->pixel_h;
    } else {
        const RECT& r = SCR_SCROLL_RECT;
        lo_x = r.left + 32, hi_x = r.right - 32, lo_y = r.top + 40, hi_y = r.bottom - 40;
    }
    if (x < lo_x || x > hi_x) x = x < lo_x ? lo_x : hi_x, x16 = BTL_Fix16(x);
    if (y < lo_y || y > hi_y) y = y < lo_y ? lo_y : hi_y, y16 = BTL_Fix16(y);
    if (x == n->x && y == n->y) return 0;
    if (BTL_KIND == 9 && !bscChrCollide) {
        LIST_SetX16(n, x16);
        LIST_SetY16(n, y16);
        return 0;
    }
    int r, hits = 0;
    bool any = false;
    do {
        r = CHR_MoveCollide(&x16, &y16, ignore_chr, 0);
        if (r == -1 && !ignore_chr) r = CHR_HitCheck_Chr(&x16, &y16, ignore_chr);
        if (r != 0) {
            any = true;
            if (++hits == kMaxTries)
                SYS_DebugPrint("CHR_Move : \x96\xb3\x8c\xc0\x83\x8b\x81[\x83v\x82\xb7\x82\xe9\x82\xc6\x82\xb1\x82\xbe\x82\xc1\x82\xbd\x81I\x81H" /* CHR_Move : 無限ループするとこだった！？ */);
        }
    } while (r == 1 && hits < kMaxTries);
    LIST_SetX16(n, x16);
    LIST_SetY16(n, y16);
    return any ? 1 : 0;
}

int CHR_MoveCollide(int32_t* x16, int32_t* y16, int ignore_chr, int second_pass) {
    LIST_NODE* n = LIST_CURRENT.node;
    CHR_DATA* c = n->chr;
    const int32_t nx = *x16 >> 16, ny = *y16 >> 16;
    const int32_t dx = nx - n->x, dy = ny - n->y;
    const int code = MoveCode(dx, dy);
    if (code == 5) return 0;
    const bool left = dx < 0, right = dx > 0, down = dy > 0, up = dy < 0;

    std::vector<Obstacle> obs;
    if (!ignore_chr) {
        for (const LIST_NODE* o : CHR_TABLE)
            if (o && o != n && n->height <= o->height + o->height_range && n->height + n->height_range >= o->height)
                obs.push_back({At(o->body_box, o->x, o->y), true});
    }
    // Walls along the leading column and row of the map box.
    const LIST_BOX& mb = n->map_box;
    const int32_t old_l = n->x + mb.x, old_t = n->y + mb.y, new_l = nx + mb.x, new_t = ny + mb.y;
    const int32_t column = left ? new_l >> 4 : (new_l + mb.w) >> 4;
    const bool scan_column = InMapColumn(column) && ((new_l >> 4) != (old_l >> 4) || (c->rem_x == 0 && right));
    if (scan_column) ScanColumn(obs, column, new_t >> 4, mb.h / 16 + ((new_t & 15) ? 1 : 0));
    const int32_t row = up ? new_t >> 4 : (new_t + mb.h) >> 4;
    const bool scan_row = InMapRow(row) && ((new_t >> 4) != (old_t >> 4) || (c->rem_y == 0 && down));
    if (scan_row) {
        const int32_t cols = mb.w / 16 + ((new_l & 15) ? 1 : 0);
        int32_t skip = INT32_MIN;  // the corner chip the column scan covered
        if (scan_column) {
            if (left) skip = new_l >> 4;
            else if (new_l & 15) skip = (new_l >> 4) + cols - 1;
        }
        ScanRow(obs, row, new_l >> 4, cols, skip);
    }

    int touched = 0, fail = 0;
    std::vector<Correction> cx, cy;
    for (const Obstacle& ob : obs) {
        const LIST_BOX& own = ob.chr ? n->body_box : mb;
        const Box nb = At(own, nx, ny), o = At(own, n->x, n->y), w = ob.box;
        if (!Intersect(nb, w)) continue;
        touched |= ob.chr ? 2 : 1;
        const int failure = ob.chr ? -1 : -2;
        if (dx == 0 || dy == 0) {
            const int32_t pen = down ? nb.b - w.t : up ? w.b - nb.t : right ? nb.r - w.l : w.r - nb.l;
            if (pen >= 16) {
                fail = failure;
            } else if (dx == 0) {
                cy.push_back({down ? -pen : pen, 2});
                cx.push_back({0, 2});
            } else {
                cx.push_back({right ? -pen : pen, 1});
                cy.push_back({0, 1});
            }
            continue;
        }
        const int32_t k = dy * 256 / dx;
        const int32_t gx = right ? w.l - o.r : o.l - w.r;
        const int32_t gy = down ? w.t - o.b : o.t - w.b;
        // Stopped on the horizontal face (top or bottom) or on the vertical face (a side).
        auto horizontal = [&](int contact) {
            const int32_t tx = gy * 256 / k;
            cy.push_back({down ? w.t - nb.b : w.b - nb.t, contact});
            const int32_t back = std::abs(dx) - std::abs(tx);
            cx.push_back({right ? -back : back, contact});
        };
        auto vertical = [&](int contact) {
            const int32_t ty = (gx * k) >> 8;
            cx.push_back({right ? w.l - nb.r : w.r - nb.l, contact});
            const int32_t back = std::abs(dy) - std::abs(ty);
            cy.push_back({down ? -back : back, contact});
        };
        if (gx >= 0 && gy >= 0) {
            if (k == 0) {
                vertical(1);  // a flat slope meets the side
                continue;
            }
            // The overlap moved back to before the move: does its corner, carried along the move
            // until the y gap closes, lie on the facing horizontal face? Carried in the move's own
            // direction for every code: moving up, the gaps' signs alone would point away from
            // the wall and miss the first contact.
            const int32_t ix = (right ? std::min(nb.r, w.r) : std::max(nb.l, w.l)) - dx;
            const int32_t iy = (down ? std::min(nb.b, w.b) : std::max(nb.t, w.t)) - dy;
            const int32_t px = ix + Sign(dx) * std::abs(gy * 256 / k);
            const int32_t py = iy + Sign(dy) * gy;
            if (px >= w.l && px <= w.r && py == (down ? w.t : w.b)) horizontal(0);
            else vertical(0);
        } else if (gx >= 0) {
            vertical(1);
        } else if (gy >= 0) {
            if (k == 0) vertical(1);
            else horizontal(2);
        } else {
            fail = failure;
        }
    }
    if (!touched) {
        UpdateSigns(c, dx, dy);
        return 0;
    }
    // The corrections that push back furthest against the move.
    auto pick = [](const std::vector<Correction>& v, int order) {
        if (v.empty()) return Correction{0, 0};
        if (order == 0) return v.front();
        return *std::max_element(v.begin(), v.end(), [&](const Correction& a, const Correction& b) {
            return order > 0 ? a.v < b.v : a.v > b.v;
        });
    };
    const Correction px = pick(cx, left ? 1 : (right ? -1 : 0));
    const Correction py = pick(cy, down ? -1 : (up ? 1 : 0));
    *x16 = BTL_Fix16Add(*x16, BTL_Fix16(px.v));
    *y16 = BTL_Fix16Add(*y16, BTL_Fix16(py.v));
    const int32_t mx = (*x16 >> 16) - n->x, my = (*y16 >> 16) - n->y;
    if (mx == 0 && my == 0 && (c->slide_mask & touched)) {
        if (second_pass) {
            if (dx == 0) c->sign_y = int16_t(-c->sign_y);
            else if (dy == 0) c->sign_x = int16_t(-c->sign_x);
            else c->sign_x = int16_t(-c->sign_x), c->sign_y = int16_t(-c->sign_y);
            return fail ? fail : 1;
        }
        if (dx == 0) *x16 = BTL_Fix16Add(*x16, BTL_Fix16(std::abs(dy) * c->sign_x));
        else if (dy == 0) *y16 = BTL_Fix16Add(*y16, BTL_Fix16(std::abs(dx) * c->sign_y));
        else if (!(px.contact == 1 && py.contact == 1)) *x16 = BTL_Fix16Add(*x16, BTL_Fix16(std::abs(dy) * Sign(dx)));
        else *y16 = BTL_Fix16Add(*y16, BTL_Fix16(std::abs(dx) * Sign(dy)));
        return CHR_MoveCollide(x16, y16, ignore_chr, 1);
    }
    UpdateSigns(c, mx, my);
    return fail ? fail : 1;
}

int CHR_HitCheck_Chr(int32_t* x16, int32_t* y16, int ignore_chr) {
    LIST_NODE* n = LIST_CURRENT.node;
    const LIST_NODE* o = CHR_Get(CHR_FindOverlap(n));
    if (!o) return 0;
    int32_t px, py;
    if (n->x == o->x && n->y == o->y) {
        px = (1 - BTL_RandMod(3)) * 65535;
        py = (1 - BTL_RandMod(3)) * 65535;
    } else {
        MTH_GetDirVec(o->x, o->y, n->x, n->y, &px, &py);
    }
    *x16 = BTL_Fix16Add(*x16, 8 * int64_t(px));
    *y16 = BTL_Fix16Add(*y16, 8 * int64_t(py));
    for (int i = 0; i < kMaxTries; ++i)
        if (CHR_MoveCollide(x16, y16, ignore_chr, 0) != 1) return 1;
    SYS_DebugPrint("CHR_HitCheck_Chr : \x96\xb3\x8c\xc0\x83\x8b\x81[\x83v\x82\xb7\x82\xe9\x82\xc6\x82\xb1\x82\xbe\x82\xc1\x82\xbd\x81I\x81H" /* CHR_HitCheck_Chr : 無限ループするとこだった！？ */);
    return 1;
}

int CHR_FindOverlap(const LIST_NODE* node) {
    if (!node) return -1;
    const Box mine = At(node->body_box, node->x, node->y);
    for (int s = 0; s < CHR_SLOTS; ++s) {
        const LIST_NODE* o = CHR_TABLE[s];
        if (!o || o == node) continue;
        if (node->height > o->height + o->height_range || node->height + node->height_range < o->height) continue;
        if (Intersect(mine, At(o->body_box, o->x, o->y))) return s;
    }
    return -1;
}
