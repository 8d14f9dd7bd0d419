// The campaign state block: defaults, the weapon-development rule and the slot files.
#include "battle/camp_data.h"

#include <cstdio>
#include <cstring>

#include "battle/btl_common.h"
#include "platform/bytes.h"
#include "platform/files.h"
#include "services/fil_util.h"

CampData CAMP_DATA{};
CampSlot CAMP_SLOTS[CAMP_SLOT_FILES]{};
int32_t CAMP_SLOT_COUNT = 0;

namespace {
struct Prereq {
    int8_t weapon;  // -1: no pair
    int16_t points;
};
using PrereqRow = Prereq[4];
constexpr Prereq N{-1, 0};

// Per weapon: up to four (prerequisite weapon, minimum level points).
constexpr PrereqRow kPrereq[CAMP_WEAPONS] = {
    {N, N, N, N},                          // 0
    {N, N, N, N},                          // 1
    {N, N, N, N},                          // 2
    {N, N, N, N},                          // 3
    {{1, 300}, {21, 200}, N, N},           // 4
    {{11, 100}, {41, 100}, N, N},          // 5
    {{8, 200}, {41, 100}, N, N},           // 6
    {N, N, N, N},                          // 7
    {N, N, N, N},                          // 8
    {N, N, N, N},                          // 9
    {{1, 300}, {15, 100}, N, N},           // 10
    {{0, 100}, {3, 50}, N, N},             // 11
    {{11, 150}, N, N, N},                  // 12
    {{1, 200}, {3, 200}, {14, 100}, N},    // 13
    {{7, 50}, N, N, N},                    // 14
    {{14, 150}, {36, 100}, N, N},          // 15
    {{0, 50}, {1, 50}, {3, 25}, N},        // 16
    {{16, 100}, {39, 100}, N, N},          // 17
    {N, N, N, N},                          // 18
    {N, N, N, N},                          // 19
    {{18, 50}, {9, 100}, N, N},            // 20
    {{18, 75}, N, N, N},                   // 21
    {{18, 150}, N, N, N},                  // 22
    {{2, 50}, {22, 50}, {33, 50}, N},      // 23
    {N, N, N, N},                          // 24
    {{24, 50}, N, N, N},                   // 25
    {N, N, N, N},                          // 26
    {{26, 50}, N, N, N},                   // 27
    {{26, 50}, N, N, N},                   // 28
    {{27, 50}, {28, 50}, {21, 50}, N},     // 29
    {{2, 50}, {26, 75}, N, N},             // 30
    {{19, 100}, N, N, N},                  // 31
    {{31, 100}, {40, 100}, N, N},          // 32
    {{41, 100}, N, N, N},                  // 33
    {{18, 50}, {24, 50}, N, N},            // 34
    {{34, 100}, {27, 100}, N, N},          // 35
    {{34, 100}, {28, 100}, N, N},          // 36
    {N, N, N, N},                          // 37
    {N, N, N, N},                          // 38
    {{38, 50}, N, N, N},                   // 39
    {{4, 50}, {36, 50}, N, N},             // 40
    {{19, 0}, N, N, N},                    // 41
    {{24, 200}, {25, 200}, {33, 100}, N},  // 42
    {{34, 200}, {35, 200}, {33, 100}, N},  // 43
    {{23, 200}, {30, 200}, {34, 300}, N},  // 44
};

constexpr int16_t kNewGameBase[CAMP_BASE_VALUES] = {0, 500, 1, 6, 18, 24, 8, 2, 2, 100, 100};
constexpr int16_t kNewGameGrid[CAMP_GRID] = {0, 3, 9, 54, 24, 57, 6, 21, 27, 72, 78, 114};

uint32_t Get32(const uint8_t*& p) {
    const uint32_t v = plat::Get32(p);
    p += 4;
    return v;
}
int16_t Get16(const uint8_t*& p) {
    const int16_t v = int16_t(plat::Get16(p));
    p += 2;
    return v;
}
void Put16(uint8_t*& p, int16_t v) {
    plat::Set16(p, uint16_t(v));
    p += 2;
}
void Put32(uint8_t*& p, uint32_t v) {
    plat::Set32(p, v);
    p += 4;
}
void Bytes(uint8_t*& p, const uint8_t* src, size_t n) {
    std::memcpy(p, src, n);
    p += n;
}
void Bytes(const uint8_t*& p, uint8_t* dst, size_t n) {
    std::memcpy(dst, p, n);
    p += n;
}

const char* SlotPath(const char* format, int n) { return FIL_MakePath(format, n); }
}  // namespace

void CAMP_Pack(const CampData& c, uint8_t out[CAMP_SIZE]) {
    uint8_t* p = out;
    for (int16_t v : c.base) Put16(p, v);
    Bytes(p, c.reserved22, 2);
    Put32(p, c.gauge_pool);
    for (int16_t v : c.equip) Put16(p, v);
    Put32(p, c.best_hits);
    Put32(p, c.best_damage);
    Bytes(p, c.reserved60, 4);
    for (const CampWeapon& w : c.weapon) {
        *p++ = w.status;
        Bytes(p, w.reserved1, 3);
        Put32(p, w.uses);
        for (int32_t v : {w.level_points, w.exp, w.exp_shown, w.penalty, w.levelup_value}) Put32(p, uint32_t(v));
        Put16(p, w.heat_reduction);
        Bytes(p, w.reserved30, 2);
    }
}

void CAMP_Unpack(CampData& c, const uint8_t in[CAMP_SIZE]) {
    const uint8_t* p = in;
    for (int16_t& v : c.base) v = Get16(p);
    Bytes(p, c.reserved22, 2);
    c.gauge_pool = Get32(p);
    for (int16_t& v : c.equip) v = Get16(p);
    c.best_hits = Get32(p);
    c.best_damage = Get32(p);
    Bytes(p, c.reserved60, 4);
    for (CampWeapon& w : c.weapon) {
        w.status = *p++;
        Bytes(p, w.reserved1, 3);
        w.uses = Get32(p);
        for (int32_t* v : {&w.level_points, &w.exp, &w.exp_shown, &w.penalty, &w.levelup_value}) *v = int32_t(Get32(p));
        w.heat_reduction = Get16(p);
        Bytes(p, w.reserved30, 2);
    }
}

CampWeapon* CAMP_Weapon(int w) { return w >= 0 && w < CAMP_WEAPONS ? &CAMP_DATA.weapon[w] : nullptr; }

int CAMP_InitNewGame() {
    CAMP_DATA = CampData{};
    std::memcpy(CAMP_DATA.base, kNewGameBase, sizeof kNewGameBase);
    std::memcpy(CAMP_DATA.equip, kNewGameGrid, sizeof kNewGameGrid);
    for (int16_t t : CAMP_DATA.equip) CAMP_DATA.weapon[t / 3].status = CAMP_AVAILABLE;
    CAMP_UpdateDevelop();
    return 1;
}

void CAMP_UpdateDevelop() {
    // Only statuses 2 and 3 satisfy a pair, so a weapon opened in this pass (1) opens nothing yet.
    for (int w = 0; w < CAMP_WEAPONS; ++w) {
        CampWeapon& rec = CAMP_DATA.weapon[w];
        if (rec.status != CAMP_LOCKED) continue;
        bool ok = true;
        for (const Prereq& pr : kPrereq[w]) {
            if (pr.weapon < 0) continue;
            const CampWeapon& need = CAMP_DATA.weapon[pr.weapon];
            if (int8_t(need.status) < CAMP_REQUESTED || need.level_points < pr.points) {
                ok = false;
                break;
            }
        }
        if (ok) rec.status = CAMP_CAN_REQUEST;
    }
}

int CAMP_FindNewWeapon() {
    for (int w = 0; w < CAMP_WEAPONS; ++w)
        if (CAMP_DATA.weapon[w].status == CAMP_REQUESTED) return w;
    return -1;
}

void CAMP_ScanSaves() {
    CAMP_SLOT_COUNT = 0;
    for (int n = 0; n < CAMP_SLOT_FILES; ++n) {
        CampSlot& s = CAMP_SLOTS[n];
        s = CampSlot{};
        plat::File f;
        if (!f.Open(SlotPath("Save\\Save%02d.dat", n), plat::File::Mode::Read)) continue;
        const size_t got = f.Read(s.header, sizeof s.header);  // a short file leaves the rest of the header zero
        const int64_t size = f.Size();
        if (size < int64_t(sizeof s.header + CAMP_SIZE)) {
            BTL_DropNote drops;
            if (got < sizeof s.header) drops.Add("%zu bytes: the header's last %zu read as zero", got, sizeof s.header - got);
            else drops.Add("%lld bytes: the campaign block after the header is cut short", (long long)size);
            char name[32];
            std::snprintf(name, sizeof name, "Save\\Save%02d.dat", n);
            drops.Print(name);
        }
        s.exists = 1;
        ++CAMP_SLOT_COUNT;
    }
}

int CAMP_SaveSlot(int n) {
    if (n < 0 || n >= CAMP_SLOT_FILES) return 0;
    uint8_t block[CAMP_SIZE];
    CAMP_Pack(CAMP_DATA, block);
    return plat::WriteFileAtomic(SlotPath("Save\\save%02d.dat", n), block, sizeof block) ? 1 : 0;
}

int CAMP_LoadSlot(int n) {
    if (n < 0 || n >= CAMP_SLOT_FILES) return 0;
    uint8_t block[CAMP_SIZE];
    plat::File f;
    if (!f.Open(SlotPath("Save\\save%02d.dat", n), plat::File::Mode::Read)) {
        CAMP_InitNewGame();
        return 0;
    }
    if (const size_t got = f.Read(block, sizeof block); got != sizeof block) {
        BTL_DropNote drops;
        drops.Add("%zu of %d bytes: the block dropped, new-game values instead", got, CAMP_SIZE);
        char name[32];
        std::snprintf(name, sizeof name, "Save\\save%02d.dat", n);
        drops.Print(name);
        CAMP_InitNewGame();
        return 0;
    }
    CAMP_Unpack(CAMP_DATA, block);
    return 1;
}

int CAMP_DeleteSlot(int n) {
    if (n < 0 || n >= CAMP_SLOT_FILES) return 0;
    plat::DeleteFile(SlotPath("Save\\save%02d.dat", n));
    if (CAMP_SLOTS[n].exists) --CAMP_SLOT_COUNT;
    CAMP_SLOTS[n] = CampSlot{};
    return 1;
}
