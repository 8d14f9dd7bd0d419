// Technique files: loading with reference counts, saving, and the editor's new technique.
#include "battle/waza_file.h"

#include <cstring>
#include <string>

#include "battle/btl_common.h"
#include "platform/files.h"
#include "platform/memory.h"
#include "services/fil_util.h"

std::array<MechRecord, MECH_TYPES> MECH_TABLE{};

namespace {
constexpr size_t kMaxWazFile = 2 + size_t(INT16_MAX) * WAZA_FILE_SIZE;

bool ValidMech(int mech) { return mech >= 0 && mech < MECH_TYPES; }

void PrintAlloc(int mech, int bytes) {
    SYS_DebugPrint("\x81\x9c\x83\x81\x83\x82\x83\x8a\x8am\x95\xdb \x81" "F \x83\x81\x83JNo.%2d\x8bZ\x83" "f\x81[\x83^ \x81"
                   "F %d Byte" /* ●メモリ確保 ： メカNo.%2d技データ ： %d Byte */,
                   mech, bytes);
}

void PrintRelease(int mech, int bytes) {
    SYS_DebugPrint("\x81\x9b\x83\x81\x83\x82\x83\x8a\x89\xf0\x95\xfa \x81" "F \x83\x81\x83JNo.%2d\x8bZ\x83" "f\x81[\x83^ \x81"
                   "F %d Byte" /* ○メモリ解放 ： メカNo.%2d技データ ： %d Byte */,
                   mech, bytes);
}

void FillNewTechnique(WAZA_DATA* w) {
    uint8_t* r = w->raw;
    static constexpr char kName[] = "\x81i\x90V\x8bK\x8bZ\x81j" /* （新規技） */;
    std::memcpy(r + WAZA_NAME, kName, sizeof kName);
    r[WAZA_USED] = 1;
    WAZA_Put16(r, WAZA_HEAT, 99);
    WAZA_Put16(r, WAZA_MAX_HITS, 9999);
    r[WAZA_SPEED_SHIFT] = 9;
    r[WAZA_SLOT_ACT] = 0;
    for (int s = 1; s < WAZA_SLOTS; ++s) r[WAZA_SLOT_ACT + s] = WAZA_NO_ACTION;
    for (int i = 0; i < 4; ++i) r[WAZA_REPEAT + 3 * i] = r[WAZA_REPEAT + 3 * i + 1] = WAZA_NO_ACTION;
    for (int i = 0; i < 8; ++i) r[WAZA_LINK + 6 * i] = r[WAZA_LINK + 6 * i + 1] = WAZA_NO_ACTION;
    for (int a = 0; a < WAZA_ACTS; ++a) {
        uint8_t* act = WAZA_Act(w, a);
        for (int k = 0; k < WAZA_KEYS; ++k) {
            uint8_t* key = WAZA_Key(act, k);
            WAZA_Put16(key, WAZA_KEY_DASH_ANIM, 65535);
            WAZA_Put16(key, WAZA_KEY_LENGTH, 65535);
            key[WAZA_KEY_ARMOUR] = 1;
        }
        static constexpr struct {
            int16_t off;
            uint16_t value;
            bool wide;
        } kHeader[] = {{174, 65281, true}, {182, 65281, true}, {176, 255, true}, {184, 255, true}, {188, 63, false},
                       {192, 1, false},    {196, 50, true},    {198, 16, true},  {200, 1, true},   {204, 8, true},
                       {206, 4, true},     {210, 5, true},     {213, 63, false}, {214, 16, false}, {215, 26, false},
                       {218, uint16_t(-999), true}, {226, 6, false}, {228, 1, false}, {229, 1, false},
                       {234, 1, true},     {236, 1, true},     {251, 63, false}};
        for (const auto& h : kHeader) {
            if (h.wide) WAZA_Put16(act, h.off, h.value);
            else act[h.off] = uint8_t(h.value);
        }
    }
}
}  // namespace

WAZA_DATA* WAZA_Get(int mech, int t) {
    if (!ValidMech(mech)) return nullptr;
    const MechRecord& m = MECH_TABLE[mech];
    return t >= 0 && t < m.waza_count && m.waza ? &m.waza[t] : nullptr;
}

int WAZA_Parse(int mech, const uint8_t* data, size_t size, const char* name) {
    if (!ValidMech(mech)) return 0;
    MechRecord& m = MECH_TABLE[mech];
    plat::Free(m.waza);
    m.waza = nullptr;
    m.waza_count = 0;
    if (!data) return 0;
    const std::string file = name ? std::string(name) : std::string("Dat\\") + MECH_Stem(mech) + ".waz";
    BTL_DropNote drops;
    if (size < 2) {
        drops.Add("%zu bytes, no technique count: no techniques", size);
        drops.Print(file.c_str());
        return 0;
    }
    const int16_t stored = int16_t(WAZA_U16(data, 0));
    const size_t whole = (size - 2) / WAZA_FILE_SIZE;
    const int16_t count = stored < 0 ? 0 : int16_t(size_t(stored) < whole ? size_t(stored) : whole);
    if (stored < 0) drops.Add("a count of %d: no techniques", int(stored));
    else if (count < stored)
        drops.Add("%d of %d techniques whole in the file: the rest dropped", int(count), int(stored));
    const int bytes = count * WAZA_SIZE;
    if (count > 0) {
        m.waza = static_cast<WAZA_DATA*>(plat::AllocZero(size_t(bytes)));
        if (!m.waza) return 0;
        for (int i = 0; i < count; ++i) std::memcpy(m.waza[i].raw, data + 2 + size_t(i) * WAZA_FILE_SIZE, WAZA_FILE_SIZE);
        m.waza_count = count;
    }
    PrintAlloc(mech, bytes);
    drops.Print(file.c_str());
    return 1;
}

int WAZA_Load(int mech) {
    if (!ValidMech(mech)) return 0;
    MechRecord& m = MECH_TABLE[mech];
    if (m.waza_refs == UINT8_MAX) return 1;
    if (++m.waza_refs > 1) return 1;
    std::vector<uint8_t> file;
    if (!BTL_ReadFile(FIL_MakePath("Dat\\%s.waz", MECH_Stem(mech)), file, kMaxWazFile)) {
        m.waza_count = 0;
        return 0;
    }
    return WAZA_Parse(mech, file.data(), file.size(), nullptr);
}

void WAZA_Free(int mech) {
    if (!ValidMech(mech)) return;
    MechRecord& m = MECH_TABLE[mech];
    if (m.waza_refs == 0 || --m.waza_refs > 0) return;
    PrintRelease(mech, m.waza_count * WAZA_SIZE);
    plat::Free(m.waza);
    m.waza = nullptr;
    m.waza_count = 0;
}

std::vector<uint8_t> WAZA_Pack(int mech) {
    std::vector<uint8_t> out;
    if (!ValidMech(mech)) return out;
    const MechRecord& m = MECH_TABLE[mech];
    out.resize(2 + size_t(m.waza_count) * WAZA_FILE_SIZE);
    WAZA_Put16(out.data(), 0, m.waza_count);
    for (int i = 0; i < m.waza_count; ++i) std::memcpy(&out[2 + size_t(i) * WAZA_FILE_SIZE], m.waza[i].raw, WAZA_FILE_SIZE);
    return out;
}

int WAZA_Save(int mech) {
    if (!ValidMech(mech)) return 0;
    const std::vector<uint8_t> image = WAZA_Pack(mech);
    return plat::WriteFileAtomic(FIL_MakePath("Dat\\%s.waz", MECH_Stem(mech)), image.data(), image.size()) ? 1 : 0;
}

int WAZA_Add(int mech) {
    if (!ValidMech(mech) || MECH_TABLE[mech].waza_refs == 0 || MECH_TABLE[mech].waza_count == INT16_MAX) return 0;
    WAZA_Save(mech);
    MechRecord& m = MECH_TABLE[mech];
    auto* grown = static_cast<WAZA_DATA*>(plat::AllocZero(size_t(m.waza_count + 1) * WAZA_SIZE));
    if (!grown) return 0;
    if (m.waza_count) std::memcpy(grown, m.waza, size_t(m.waza_count) * WAZA_SIZE);
    plat::Free(m.waza);
    m.waza = grown;
    FillNewTechnique(&m.waza[m.waza_count]);
    ++m.waza_count;
    return 1;
}
