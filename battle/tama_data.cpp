// The bullet table: loading, saving, the list of used records and the editor's new record.
#include "battle/tama_data.h"

#include <cstring>
#include <vector>

#include "platform/bytes.h"
#include "platform/files.h"
#include "platform/memory.h"
#include "services/fil_util.h"

TAMA_TABLE TAMA_DATA;

namespace {
constexpr const char* kFile = "Dat\\Tama.dat";

void Put16(uint8_t* p, int off, int v) {
    plat::Set16(p + off, uint16_t(v));
}

bool Linked(int index) {
    const TAMA_RECORD* r = TAMA_DATA.rec[size_t(index)];
    return r && (TAMA_DATA.head == index || r->prev >= 0);
}

// Appends record index to the used list: used flag 1, own index its index.
void Link(int index) {
    TAMA_TABLE& t = TAMA_DATA;
    TAMA_RECORD* r = t.rec[size_t(index)];
    r->prev = t.tail;
    r->next = -1;
    if (t.tail >= 0) t.rec[size_t(t.tail)]->next = int16_t(index);
    if (t.head < 0) t.head = int16_t(index);
    t.tail = int16_t(index);
    r->raw[TAMA_USED] = 1;
    Put16(r->raw, TAMA_OWN_INDEX, index);
    ++t.used;
}

TAMA_RECORD* NewRecord() {
    auto* r = static_cast<TAMA_RECORD*>(plat::AllocZero(sizeof(TAMA_RECORD)));
    if (r) r->prev = r->next = -1;
    return r;
}

void PrintAlloc(int count) {
    SYS_DebugPrint("TAMA_DATA \x82\xc9 %d Byte \x82\xcc\x83\x81\x83\x82\x83\x8a\x82\xf0\x8am\x95\xdb\x82\xb5\x82\xdc\x82\xb5\x82\xbd" /* TAMA_DATA に %d Byte のメモリを確保しました */,
                   count * TAMA_MEMORY_SIZE);
}
}  // namespace

uint8_t* TAMA_Record(int bullet) {
    if (bullet < 0 || bullet >= TAMA_DATA.count || bullet >= TAMA_MAX) return nullptr;
    TAMA_RECORD* r = TAMA_DATA.rec[size_t(bullet)];
    return r ? r->raw : nullptr;
}

void TAMA_ClearList() {
    // Every record goes, linked or not, so nothing an unlink left behind is lost.
    for (TAMA_RECORD*& r : TAMA_DATA.rec) {
        plat::Free(r);
        r = nullptr;
    }
    TAMA_DATA = TAMA_TABLE{};
}

int TAMA_Load() {
    TAMA_ClearList();
    plat::File f;
    if (!f.Open(FIL_MakePath(kFile), plat::File::Mode::Read)) return 0;
    uint8_t head[2];
    if (f.Read(head, 2) != 2) {
        SYS_DebugPrint("TAMA_Load: %s holds no record count", kFile);
        return 0;
    }
    const int count = TAMA_I16(head, 0);
    if (count < 0 || count > TAMA_MAX) {
        SYS_DebugPrint("TAMA_Load: %s counts %d records (0 to %d allowed); the table stays empty", kFile, count, TAMA_MAX);
        return 0;
    }
    TAMA_TABLE& t = TAMA_DATA;
    for (int i = 0; i < count; ++i) {
        if (!(t.rec[size_t(i)] = NewRecord())) {
            SYS_DebugPrint("TAMA_Load: no memory for %d records; the table stays empty", count);
            TAMA_ClearList();
            return 0;
        }
    }
    t.count = int16_t(count);
    PrintAlloc(count);
    // Record i is read into index i after it is linked, so its stored used flag and own index stand.
    for (int i = 0; i < count; ++i) {
        Link(i);
        if (f.Read(t.rec[size_t(i)]->raw, TAMA_RECORD_SIZE) != TAMA_RECORD_SIZE) {
            SYS_DebugPrint("TAMA_Load: %s ends inside record %d; %d records kept", kFile, i, i);
            for (int j = i; j < count; ++j) {
                if (j == i) TAMA_ListRemove(i);
                plat::Free(t.rec[size_t(j)]);
                t.rec[size_t(j)] = nullptr;
            }
            t.count = int16_t(i);
            return 1;
        }
    }
    return 1;
}

int TAMA_Save() {
    const TAMA_TABLE& t = TAMA_DATA;
    std::vector<uint8_t> image(2 + size_t(t.count) * TAMA_RECORD_SIZE);
    Put16(image.data(), 0, t.count);
    for (int i = 0; i < t.count; ++i)
        if (const TAMA_RECORD* r = t.rec[size_t(i)]) std::memcpy(&image[2 + size_t(i) * TAMA_RECORD_SIZE], r->raw, TAMA_RECORD_SIZE);
    return plat::WriteFileAtomic(FIL_MakePath(kFile), image.data(), image.size()) ? 1 : 0;
}

int TAMA_ListAdd() {
    for (int i = 0; i < TAMA_DATA.count; ++i) {
        const TAMA_RECORD* r = TAMA_DATA.rec[size_t(i)];
        if (r && r->raw[TAMA_USED] == 0 && !Linked(i)) {
            Link(i);
            return i;
        }
    }
    return -1;
}

int TAMA_ListRemove(int index) {
    TAMA_TABLE& t = TAMA_DATA;
    if (index < 0 || index >= TAMA_MAX || !Linked(index)) return -1;
    TAMA_RECORD* r = t.rec[size_t(index)];
    const int16_t prev = r->prev, next = r->next;
    if (prev >= 0) t.rec[size_t(prev)]->next = next;
    else t.head = next;
    if (next >= 0) t.rec[size_t(next)]->prev = prev;
    else t.tail = prev;
    r->prev = r->next = -1;
    r->raw[TAMA_USED] = 0;
    --t.used;
    return next;
}

void TAMA_FillNew(uint8_t* raw, int index) {
    std::memset(raw, 0, TAMA_RECORD_SIZE);
    static constexpr char kName[] = "\x90V\x8bK\x92" "e" /* 新規弾 */;
    std::memcpy(raw + TAMA_NAME, kName, sizeof kName);
    raw[TAMA_USED] = 1;
    for (int n = 0; n < TAMA_PHASES; ++n) {
        uint8_t* p = raw + TAMA_PHASE_OFFSET + n * TAMA_PHASE_SIZE;
        for (int k = 0; k < TAMA_KEYS; ++k) {
            uint8_t* key = p + TAMA_PHASE_KEYS + k * TAMA_KEY_SIZE;
            Put16(key, 2, -1);
            Put16(key, TAMA_KEY_LENGTH, -1);
            Put16(key, TAMA_KEY_MULTI_HIT, 2);
            uint8_t* s = p + TAMA_PHASE_SCALES + k * TAMA_SCALE_SIZE;
            Put16(s, TAMA_SCALE_VALUE, 256);
            Put16(s, TAMA_SCALE_MAX, 9999);
            p[TAMA_PHASE_DRAW_PARTS + k] = 1;
        }
        for (int off : {108, 109, 110, 114, 118, 119}) p[off] = 0xFF;
        static constexpr struct {
            int16_t off, value;
        } kWide[] = {{112, -1}, {116, -1}, {260, -255}, {262, 255}, {268, -255}, {270, 255}, {286, 1}};
        for (const auto& w : kWide) Put16(p, w.off, w.value);
        static constexpr struct {
            int16_t off;
            uint8_t value;
        } kBytes[] = {{274, 63}, {278, 1}, {282, 50}, {284, 1}, {290, 8}, {292, 4}, {296, 5}, {299, 63}, {300, 16},
                      {301, 26}, {306, 63}, {307, 16}};
        for (const auto& b : kBytes) p[b.off] = b.value;
        uint8_t* w = p + TAMA_PHASE_WPN;
        Put16(w, WPN_BULLET, -999);
        w[WPN_MUZZLE] = 6;
        w[WPN_HIT_KIND] = 1;
        w[WPN_SOURCE_MODE] = 1;
        Put16(w, WPN_PER_SHOT, 1);
        Put16(w, WPN_LOOPS, 1);
        w[WPN_EFFECT_COUNT] = 63;
    }
    Put16(raw, TAMA_OWN_INDEX, index);
}

int TAMA_New() {
    TAMA_TABLE& t = TAMA_DATA;
    if (t.count >= TAMA_MAX) return 0;
    TAMA_RECORD* r = NewRecord();
    if (!r) return 0;
    const int index = t.count;
    TAMA_FillNew(r->raw, index);
    r->raw[TAMA_USED] = 0;  // linking sets it
    t.rec[size_t(index)] = r;
    ++t.count;
    Link(index);
    return 1;
}
