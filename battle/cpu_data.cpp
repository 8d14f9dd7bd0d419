// CPU behaviour data with reference counts in the mech table, saving it back, and the reset and
// end of a CPU character's action.
#include <algorithm>
#include <cstring>

#include "battle/chr_char.h"
#include "battle/cpu_think.h"
#include "battle/list_pool.h"
#include "battle/waza_file.h"
#include "platform/files.h"
#include "platform/memory.h"
#include "services/fil_util.h"

CPU_WORK CPU_WORK_TABLE[10]{};

namespace {
bool ValidMech(int mech) { return mech >= 0 && mech < MECH_TYPES; }

void PrintAlloc(int mech) {
    SYS_DebugPrint("\x81\x9c\x83\x81\x83\x82\x83\x8a\x8am\x95\xdb \x81" "F \x83\x81\x83JNo.%2d\x82" "b\x82o\x82t\x83"
                   "f\x81[\x83^ \x81" "F %d Byte" /* ●メモリ確保 ： メカNo.%2dＣＰＵデータ ： %d Byte */,
                   mech, CPU_DATA_SIZE);
}

void PrintRelease(int mech) {
    SYS_DebugPrint("\x81\x9b\x83\x81\x83\x82\x83\x8a\x89\xf0\x95\xfa \x81" "F \x83\x81\x83JNo.%2d\x82" "b\x82o\x82t\x83"
                   "f\x81[\x83^ \x81" "F %d Byte" /* ○メモリ解放 ： メカNo.%2dＣＰＵデータ ： %d Byte */,
                   mech, CPU_DATA_SIZE);
}

CPU_WORK* Work(const LIST_NODE* node) {
    return node && node->slot >= 0 && node->slot < CHR_SLOTS ? &CPU_WORK_TABLE[node->slot] : nullptr;
}
}  // namespace

CPU_DATA* CPU_GetData(int mech) { return ValidMech(mech) ? MECH_TABLE[mech].cpu : nullptr; }

int CPU_Parse(int mech, const uint8_t* data, size_t size) {
    if (!ValidMech(mech)) return 0;
    MechRecord& m = MECH_TABLE[mech];
    plat::Free(m.cpu);
    m.cpu = static_cast<CPU_DATA*>(plat::AllocZero(sizeof(CPU_DATA)));
    if (!m.cpu) return 0;
    if (data) std::memcpy(m.cpu->raw, data, std::min<size_t>(size, CPU_DATA_SIZE));
    PrintAlloc(mech);
    return 1;
}

int CPU_Load(int mech) {
    if (!ValidMech(mech)) return 0;
    MechRecord& m = MECH_TABLE[mech];
    if (m.cpu_refs == UINT8_MAX) return m.cpu ? 1 : 0;
    if (++m.cpu_refs > 1) return m.cpu ? 1 : 0;
    plat::File f;
    if (!f.Open(FIL_MakePath("Dat\\%s.cpu", MECH_Stem(mech)), plat::File::Mode::Read)) return 0;
    // Only the block's own bytes are read: a longer file keeps the rest to itself.
    uint8_t block[CPU_DATA_SIZE];
    size_t got = 0;
    while (got < sizeof block) {
        const size_t n = f.Read(block + got, sizeof block - got);
        if (n == 0) break;
        got += n;
    }
    return CPU_Parse(mech, block, got);
}

void CPU_Free(int mech) {
    if (!ValidMech(mech)) return;
    MechRecord& m = MECH_TABLE[mech];
    if (m.cpu_refs == 0 || --m.cpu_refs > 0) return;
    PrintRelease(mech);  // also for a file that was missing: the last reference goes all the same
    plat::Free(m.cpu);
    m.cpu = nullptr;
}

int CPU_Save(int mech) {
    const CPU_DATA* d = CPU_GetData(mech);
    if (!d) return 0;
    return plat::WriteFileAtomic(FIL_MakePath("Dat\\%s.cpu", MECH_Stem(mech)), d->raw, CPU_DATA_SIZE) ? 1 : 0;
}

void CPU_Reset(LIST_NODE* node) {
    CPU_WORK* w = Work(node);
    if (!w) return;
    w->frames = w->left = 0;
    w->step_wait = 0;
    w->pattern = -1;
    w->next_step = 0;
    w->phase = 3;
}

void CPU_EndAction(LIST_NODE* node) {
    CPU_WORK* w = Work(node);
    if (!w || !node->chr) return;
    CHR_SetState(node, 0);
    w->mode = 0;
    w->action = -1;
}
