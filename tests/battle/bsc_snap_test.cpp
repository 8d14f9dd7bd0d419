// The battle snapshot: its stored layout, the rebuild of characters, targets, map and camera and the
// blocks, values out of range, and the fixed point of saving and loading.
#include <gtest/gtest.h>

#include <cstring>

#include "battle/bsc_snap.h"
#include "battle/camp_data.h"
#include "battle/scr_camera.h"
#include "platform/bytes.h"
#include "platform/random.h"
#include "sprite/sp_draw.h"
#include "tests/battle/ai_test_util.h"
#include "tests/support/snap_builder.h"

namespace {

struct Snap : ai_test::Ai {
    void SetUp() override {
        Ai::SetUp();
        ASSERT_TRUE(support::WriteStage("01_0_L", "01_0_L", support::MakeTestStage(64, 48, 9, 4)));
    }
    static void Load(const std::vector<uint8_t>& record) {
        ASSERT_EQ(record.size(), size_t(SNAP_SIZE));
        std::memcpy(BATTLE_SNAP_DATA, record.data(), SNAP_SIZE);
        mBSC_LoadSnap();
    }
    static std::vector<uint8_t> Save() {
        mBSC_SaveSnap();
        return std::vector<uint8_t>(BATTLE_SNAP_DATA, BATTLE_SNAP_DATA + SNAP_SIZE);
    }
    // The battle gone, as in a fresh start of the scenario.
    static void Clear() {
        BTL_Cleanup();
        MAP_Release();
        for (LIST_NODE*& n : CHR_TABLE) n = nullptr;
    }
};

TEST_F(Snap, TheLayoutRoundTripsFieldByField) {
    std::vector<uint8_t> bytes(SNAP_SIZE);
    plat::Srand(3);
    for (uint8_t& b : bytes) b = uint8_t(plat::Rand());
    // The bytes no field covers are written as zero.
    for (int s = 0; s < 10; ++s) {
        uint8_t* e = bytes.data() + SNAP_OFF_CHARS + s * SNAP_CHAR_SIZE;
        e[1] = e[2] = e[3] = e[46] = e[47] = 0;
    }
    BattleSnap s;
    SNAP_Unpack(s, bytes.data());
    std::vector<uint8_t> again(SNAP_SIZE);
    SNAP_Pack(s, again.data());
    EXPECT_EQ(again, bytes);
    // Offsets of the builder's fields.
    support::SnapSpec spec;
    spec.chr[3] = {1, 640, 480, 5, 1, 1, 7, 2, 0, 1000, 2, 1, 0};
    spec.stage = 1;
    spec.camera[11] = 16;
    spec.second_slot = 4;
    spec.triggered = 6;
    spec.clock = 1234;
    spec.ambient = 9;
    spec.draw_x = -20;
    spec.guard = 1;
    spec.collide = 0;
    SNAP_Unpack(s, support::BuildSnap(spec).data());
    EXPECT_EQ(std::tuple(s.chr[3].present, s.chr[3].x, s.chr[3].mech, s.chr[3].target_slot, s.chr[3].units, s.chr[3].saved_visible),
              std::tuple(uint8_t(1), 640, 7, 0, 1000, uint8_t(1)));
    EXPECT_EQ(std::tuple(s.map.stage, s.map.camera[11], s.map.second_slot), std::tuple(1, 16, 4));
    EXPECT_EQ(plat::Get32(s.events), 6u);
    EXPECT_EQ(plat::Get32(s.ecnt + ECNT_OFF_CLOCK), 1234u);
    EXPECT_EQ(std::tuple(s.ambient, s.draw_x, s.guard, s.collide), std::tuple(9u, -20, 1u, 0u));
}

TEST_F(Snap, WithoutAMapCharactersComeBackAndTheCameraStays) {
    support::SnapSpec spec;
    spec.chr[0] = {1, 320, 400, 6, 0, 0, 0, 0, 1, 900, 1, 0, 0};
    spec.chr[1] = {1, 700, 420, 2, 1, 1, 1, 3, 0, 1500, 2, 0, 0};
    spec.camp.base[0] = 5;
    CAMERA_DATA.scroll_x = 777;
    Load(support::BuildSnap(spec));
    ASSERT_TRUE(CHR_TABLE[0] && CHR_TABLE[1]);
    const LIST_NODE* p = CHR_TABLE[0];
    const LIST_NODE* e = CHR_TABLE[1];
    EXPECT_EQ(std::tuple(p->x, p->y, int(p->dir), p->chr->units, p->chr->levels), std::tuple(320, 400, 6, int16_t(900), int16_t(1)));
    EXPECT_EQ(std::tuple(int(e->team), int(e->chr->control), int(e->chr->cpu_level), int(e->chr->levels)), std::tuple(1, 1, 3, 2));
    EXPECT_EQ(std::tuple(p->target, e->target), std::tuple(e->index, p->index));
    EXPECT_EQ(std::tuple(p->anim, int(SP_Anim(p->sprite)->pattern_offset)), std::tuple(6, 6));
    EXPECT_EQ(CAMERA_DATA.scroll_x, 777);
    EXPECT_EQ(CAMP_DATA.base[0], 5);
}

TEST_F(Snap, ACharacterAimingAtThePlayerAimsAtItUnderNewIndexes) {
    LIST_NODE* player = Player(300, 300);
    LIST_NODE* e = MakeCpu(4, 600, 300, 1, player);
    player->target = e->index;
    const std::vector<uint8_t> record = Save();
    EXPECT_EQ(plat::Get32(record.data() + SNAP_OFF_CHARS + 4 * SNAP_CHAR_SIZE + 32), 0u);
    Clear();
    for (int i = 0; i < 5; ++i) LIST_Alloc(LIST_KIND_EFT);  // other indexes for the rebuilt nodes
    Load(record);
    ASSERT_TRUE(CHR_TABLE[0] && CHR_TABLE[4]);
    EXPECT_NE(CHR_TABLE[0]->index, player->index);
    EXPECT_EQ(CHR_TABLE[4]->target, CHR_TABLE[0]->index);
    EXPECT_EQ(CHR_TABLE[0]->target, CHR_TABLE[4]->index);
}

TEST_F(Snap, TheScriptSwitchesComeBackApart) {
    bscEnmGuard = 1;
    bscChrCollide = 0;
    const std::vector<uint8_t> record = Save();
    bscEnmGuard = 0;
    bscChrCollide = 1;
    Load(record);
    EXPECT_EQ(std::tuple(bscEnmGuard, bscChrCollide), std::tuple(1, 0));
}

TEST_F(Snap, BetweenBattlesOnlyTheCampaignIsKeptAndLoadsAsResetBlocks) {
    Player(300, 300);
    ECNT_SetPoint(900, 600);
    mBSC_Event_Set(1, 0, 2);
    CAMP_DATA.gauge_pool = 4321;
    BTL_SetState(BTL_STATE_MENU);
    const std::vector<uint8_t> record = Save();
    EXPECT_EQ(int32_t(plat::Get32(record.data() + SNAP_OFF_MAP)), -1);
    for (int i = SNAP_OFF_CHARS; i < SNAP_SIZE; ++i)
        if (i < SNAP_OFF_MAP || i >= SNAP_OFF_MAP + 4) {
            ASSERT_EQ(record[size_t(i)], 0) << i;
        }
    Clear();
    CAMP_DATA.gauge_pool = 0;
    Load(record);
    EXPECT_EQ(CAMP_DATA.gauge_pool, 4321u);
    // Zero blocks load as the reset blocks: no event stands triggered with slot 0 of kind 0, and
    // the spawner keeps its free points and entries.
    EXPECT_EQ(std::tuple(MBSC_EVENT.triggered, MBSC_EVENT.rec[0].slot), std::tuple(-1, -1));
    EXPECT_EQ(std::tuple(ECNT_DATA.bank[0], ECNT_DATA.point[0][0], ECNT_DATA.spawn[0].level), std::tuple(-1, -999, -1));
    EXPECT_EQ(ECNT_SetEnm(0, 3, 1, 1, -1), 1);
}

TEST_F(Snap, AnEventBlockWhoseFieldsAreAllZeroIsTheResetBlock) {
    // Only the padding after a record's used byte is set: its fields are those of a block saved
    // between battles, and a save of it must load the same way.
    uint8_t block[BSC_EVENT_SIZE] = {};
    block[4 + 12 * 3 + 2] = 0x41;
    mBSC_Event_Load(block);
    EXPECT_EQ(std::tuple(MBSC_EVENT.triggered, MBSC_EVENT.rec[3].slot), std::tuple(-1, -1));
    block[4 + 12 * 3 + 8] = 2;  // slot 2: a real block
    mBSC_Event_Load(block);
    EXPECT_EQ(std::tuple(MBSC_EVENT.triggered, MBSC_EVENT.rec[3].slot, MBSC_EVENT.rec[0].slot), std::tuple(0, 2, 0));
    // A triggered index names one of the 12 records, or none.
    for (const auto& [stored, loaded] : {std::pair{11, 11}, std::pair{12, -1}, std::pair{-1, -1}, std::pair{-2, -1}}) {
        for (int i = 0; i < 4; ++i) block[i] = uint8_t(uint32_t(stored) >> (8 * i));
        mBSC_Event_Load(block);
        EXPECT_EQ(mBSC_Event_Get(), loaded) << stored;
    }
}

TEST_F(Snap, ValuesOutOfRangeAreSkippedOneByOne) {
    support::SnapSpec spec;
    spec.chr[0] = {1, 320, 400, 0, 0, 0, 0, 0, 1, 900, 1, 0, 0};
    spec.chr[1] = {1, 700, 420, 2, 1, 1, 40, 3, 0, 1500, 2, 0, 0};   // mech type 40: skipped
    spec.chr[2] = {1, 700, 500, 2, 1, 1, 5, 3, 1, 1500, 2, 0, 0};    // no sprite file: not created
    spec.chr[3] = {1, 99999, -99999, 2, 1, 1, 1, 3, 12, 1500, 2, 0, 0};  // target slot 12: none
    spec.chr[0].target_slot = 2;
    spec.stage = 300;  // no such stage byte: no map
    spec.triggered = 20;
    spec.ambient = 0xFFFFFFFF;
    spec.spawn[0] = {10, 3, 77, 2, -1};
    spec.spawn[1] = {10, 3, 1, 2, -1};
    spec.queued = 9;
    Load(support::BuildSnap(spec));
    EXPECT_EQ(CHR_TABLE[1], nullptr);
    EXPECT_EQ(CHR_TABLE[2], nullptr);
    ASSERT_TRUE(CHR_TABLE[0] && CHR_TABLE[3]);
    EXPECT_EQ(std::tuple(CHR_TABLE[0]->target, CHR_TABLE[3]->target), std::tuple(-1, -1));
    EXPECT_EQ(std::tuple(CHR_TABLE[3]->x, CHR_TABLE[3]->y), std::tuple(BSC_COORD_LIMIT, -BSC_COORD_LIMIT));
    EXPECT_EQ(MAP_DATA.stage, MAP_NO_STAGE);
    EXPECT_EQ(MBSC_EVENT.triggered, -1);
    int32_t ambient = 0;
    EFT_GetAmbientCount(&ambient);
    EXPECT_EQ(ambient, LIST_MAX);
    EXPECT_EQ(std::tuple(ECNT_DATA.spawn[0].level, ECNT_DATA.spawn[1].level, ECNT_DATA.queued), std::tuple(-1, 2, 1));
}

TEST_F(Snap, SavingAndLoadingReachesAFixedPoint) {
    MAP_Load(1, 0, 0);
    LIST_NODE* player = Player(400, 420);
    LIST_NODE* e1 = MakeCpu(2, 800, 500, 2, player);
    LIST_NODE* e2 = MakeCpu(5, 900, 300, 1, player);
    player->target = e2->index;
    e2->dir = 3;
    e1->chr->units = 1111;
    e1->chr->levels = 0;
    SCR_SetCamera(SCR_CAMERA_FOLLOW, player, e2);
    SCR_SetCameraSpeed(3, 1, 16);
    SCR_SetCameraRange(120, 80);
    int32_t x, y;
    SCR_GetCameraTarget(&x, &y);
    SCR_SetScrollPos(x, y);  // at rest: whole pixels in the 16.16 copies
    ECNT_SetObj(1);
    ECNT_SetPoint(950, 650);
    ECNT_SetEnm(300, 3, 1, 2, -1);
    ECNT_DATA.clock = 45;
    mBSC_Event_Set(0, 2, 5);
    mBSC_Event_Set(4, 0, 2);
    mBSC_Event_Check(0, 2);
    EFT_SetAmbientCount(3);
    SP_SetDrawOffset(-7, 11);
    bscEnmGuard = 1;
    SP_PushRunningAll(1);  // the display objects' saved bytes become 1
    const std::vector<uint8_t> save1 = Save();
    Clear();
    Load(save1);
    const std::vector<uint8_t> save2 = Save();
    Clear();
    Load(save2);
    const std::vector<uint8_t> save3 = Save();
    EXPECT_EQ(save2, save3);
    // Save 1 differs only in the enemy bank handle and the saved display bytes.
    std::vector<size_t> differ;
    for (size_t i = 0; i < save1.size(); ++i)
        if (save1[i] != save2[i]) differ.push_back(i);
    for (size_t i : differ) {
        const bool bank = i >= size_t(SNAP_OFF_ECNT) && i < size_t(SNAP_OFF_ECNT + 4 * ECNT_BANKS);
        const size_t in_entry = (i - SNAP_OFF_CHARS) % SNAP_CHAR_SIZE;
        const bool display = i >= size_t(SNAP_OFF_CHARS) && i < size_t(SNAP_OFF_MAP) && (in_entry == 44 || in_entry == 45);
        EXPECT_TRUE(bank || display) << "byte " << i;
    }
    EXPECT_FALSE(differ.empty());  // the display bytes at least: they are never restored
    // What came back.
    EXPECT_EQ(MAP_DATA.stage, 1);
    EXPECT_EQ(std::tuple(CAMERA_DATA.followed, CAMERA_DATA.second, CAMERA_DATA.queued), std::tuple(CHR_TABLE[0], CHR_TABLE[5], (LIST_NODE*)nullptr));
    EXPECT_EQ(std::tuple(CAMERA_DATA.scroll_x, CAMERA_DATA.scroll_y, CAMERA_DATA.range_x, CAMERA_DATA.ramp), std::tuple(x, y, 120, 3));
    EXPECT_EQ(std::tuple(MBSC_EVENT.triggered, ECNT_DATA.clock, ECNT_DATA.queued), std::tuple(4, 45, 1));
    EXPECT_EQ(std::tuple(SP_DRAW_OFFSET.x, SP_DRAW_OFFSET.y, bscEnmGuard), std::tuple(-7, 11, 1));
    EXPECT_EQ(std::tuple(CHR_TABLE[2]->chr->units, int(CHR_TABLE[5]->dir)), std::tuple(int16_t(1111), 3));
    // The snapshot holds no states, techniques, bullets or generator: a restored battle is a new one.
    EXPECT_EQ(CHR_TABLE[2]->chr->state, 0);
}

}  // namespace
