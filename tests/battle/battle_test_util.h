// Helpers of the battle tests: debug lines, and a fixture with a headless display, the sprite
// layer, the battle module and the mech files in a temporary data directory.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "battle/btl_frame.h"
#include "battle/chr_char.h"
#include "battle/list_pool.h"
#include "battle/map_data.h"
#include "battle/waza_file.h"
#include "platform/headless/headless.h"
#include "platform/memory.h"
#include "services/fil_util.h"
#include "sprite/img_table.h"
#include "sprite/sp_draw.h"
#include "sprite/spr_set.h"
#include "tests/support/battle_rig.h"
#include "tests/support/fixture.h"
#include "tests/support/mech_fixture.h"

namespace battle_test {
// The debug lines printed since the last clear, without their line ends.
inline std::vector<std::string> DebugLines() {
    std::vector<std::string> out;
    for (const std::string& l : headless::DebugOutput())
        if (l != "\r\n") out.push_back(l);
    return out;
}
// How many of them hold the text.
inline int DebugCount(const std::string& text) {
    int n = 0;
    for (const std::string& l : DebugLines()) n += l.find(text) != std::string::npos;
    return n;
}

// No map, objects or picture table (the map tests' start and end).
inline void ClearMap() {
    plat::Free(MAP_DATA.cells);
    MAP_DATA = MapData{};
    MAP_ClearObjList();
    MAP_CSP = MapCspTable{};
}
// 16-bit little-endian words as file bytes.
inline std::vector<uint8_t> Words(std::initializer_list<uint16_t> w) {
    std::vector<uint8_t> out;
    for (uint16_t v : w) out.push_back(uint8_t(v)), out.push_back(uint8_t(v >> 8));
    return out;
}

// What a battle holds: pool nodes, references of the mech table, animation sets, display
// objects and image users. Equal snapshots mean nothing was taken or leaked.
struct Holdings {
    int nodes = 0, refs = 0, sets = 0, sprites = 0, images = 0;
    bool operator==(const Holdings&) const = default;
};
inline Holdings Hold() {
    Holdings h;
    h.nodes = LIST_STATE_DATA.listCnt;
    for (const MechRecord& m : MECH_TABLE) h.refs += m.waza_refs + m.cpu_refs + m.voice_refs;
    for (int s = 0; s < SPR_SETS; ++s) h.sets += SPR_PATTERN_TABLE[s] != nullptr;
    for (int i = 0; i < SP_OBJECTS; ++i) h.sprites += SP_Get(i) != nullptr;
    for (const IMG_SLOT& s : IMG_TABLE) h.images += s.count;
    return h;
}
inline std::ostream& operator<<(std::ostream& o, const Holdings& h) {
    return o << "nodes " << h.nodes << ", refs " << h.refs << ", sets " << h.sets << ", sprites " << h.sprites
             << ", images " << h.images;
}

struct BattleTest : ::testing::Test {
    void SetUp() override {
        ASSERT_TRUE(display.ok);
        FIL_InitBaseDir();
        SP_Init();
        BTL_ResetGlobals();
        ASSERT_EQ(BTL_Init(), 1);
        ASSERT_TRUE(support::WriteMech("player", 0) && support::WriteMech("zako01", 1));
        headless::ClearDebugOutput();
    }
    void TearDown() override { support::EndBattle(); }
    support::HeadlessDisplay display;
    support::TempDir dir;
};
}  // namespace battle_test
