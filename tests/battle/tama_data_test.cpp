// The bullet table: the stored layout read back through the views, loads of whole, short and
// refused files, the list of used records, round trips and the editor's new record.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "battle/tama_data.h"
#include "platform/files.h"
#include "platform/headless/headless.h"
#include "services/fil_util.h"
#include "tests/battle/battle_test_util.h"
#include "tests/support/fixture.h"
#include "tests/support/tama_writer.h"

namespace {

using support::TamaPhaseSpec;
using support::TamaSpec;

struct TamaTable : ::testing::Test {
    void SetUp() override {
        headless::Reset();
        FIL_InitBaseDir();
        ASSERT_TRUE(plat::CreateDirectory("Dat"));
    }
    void TearDown() override { TAMA_ClearList(); }
    static void Write(const std::vector<uint8_t>& bytes) { ASSERT_TRUE(support::WriteBytes("Dat/Tama.dat", bytes)); }
    static std::vector<int> ListOrder() {
        std::vector<int> v;
        for (int i = TAMA_DATA.head; i >= 0 && v.size() <= TAMA_MAX; i = TAMA_DATA.rec[size_t(i)]->next) v.push_back(i);
        return v;
    }
    support::TempDir dir;
};

// A record whose fields all differ, in phase 2 and keyframe 3, so a field read at the wrong place shows.
TamaSpec Distinct() {
    TamaSpec s;
    s.name = "marked";
    TamaPhaseSpec& p = s.phase[2];
    p.key[3] = {71, 0, -1, 1, 2, 255, 513, 14, 900, 9, 0};
    p.scale[3] = {3, 0, 300, -4, 17, 1234};
    p.draw_parts = {5, 6, 7, 8};
    p.end = 1, p.after = 2, p.land = 3, p.hit1 = 999, p.hit1_phase = 0, p.hit2 = 4, p.hit2_phase = 1, p.wall_phase = 3;
    p.cls = 2, p.flags = 0xA5, p.variant = 4, p.seg_variant = 2;
    for (int i = 0; i < 16; ++i) p.p[size_t(i)] = 1000 * i - 70000, p.q[size_t(i)] = -3 * i + 100000;
    p.speed = 24, p.speed_step = -3, p.speed_min = -20, p.speed_max = 40, p.rise = 12, p.rise_step = -5;
    p.height_min = -1, p.height_max = 300, p.chr_hits = 255, p.tama_hits = 6, p.hit.code = -7;
    p.hit.hit[0] = 2;
    p.wall_mode = 3, p.trail = 13, p.trail_box = 15, p.trail_count = 61, p.trail_spread = 9;
    p.wpn = {77, 0x0102, 0x0304, 0x0506, 18, 4, 0, 2, 3, 0, 5, 6, 7, 8, 9, 10, -11, -12, -13, 25, 60, 33, 0};
    return s;
}

TEST_F(TamaTable, StoredFieldsReadBackThroughTheViews) {
    Write(support::WriteTama({TamaSpec{}, Distinct()}));
    ASSERT_EQ(TAMA_Load(), 1);
    const uint8_t* r = TAMA_Record(1);
    ASSERT_NE(r, nullptr);
    EXPECT_STREQ(reinterpret_cast<const char*>(r + TAMA_NAME), "marked");
    EXPECT_EQ(TAMA_I16(r, TAMA_OWN_INDEX), 1);
    const TAMA_PHASE p = TAMA_Phase(r, 2);
    const TAMA_KEY k = p.key(3);
    EXPECT_EQ(std::tuple(k.seq(), k.face(), k.timing(), k.length(), k.multi_hit(), k.draw(), k.blend(), k.sound()),
              std::tuple(71, 1, 2, 255, 513, 14, 900, 9));
    const TAMA_SCALE s = p.scale(3);
    EXPECT_EQ(std::tuple(s.mode(), s.value(), s.step(), s.min(), s.max()), std::tuple(3, 300, -4, 17, 1234));
    EXPECT_EQ(std::tuple(p.draw_parts(0), p.draw_parts(3)), std::tuple(5, 8));
    EXPECT_EQ(std::tuple(p.end_phase(), p.after_phase(), p.land_phase(), p.hit1_count(), p.hit1_phase(), p.hit2_count(),
                         p.hit2_phase(), p.wall_phase()),
              std::tuple(1, 2, 3, 999, 0, 4, 1, 3));
    EXPECT_EQ(std::tuple(p.cls(), p.flags(), p.variant(), p.seg_variant()), std::tuple(2, 0xA5, 4, 2));
    EXPECT_EQ(std::tuple(p.param(0), p.param(15), p.param2(0), p.param2(15)), std::tuple(-70000, -55000, 100000, 99955));
    EXPECT_EQ(std::tuple(p.speed(), p.speed_step(), p.speed_min(), p.speed_max(), p.rise(), p.rise_step(), p.height_min(),
                         p.height_max()),
              std::tuple(24, -3, -20, 40, 12, -5, -1, 300));
    EXPECT_EQ(std::tuple(p.chr_hits(), p.tama_hits(), p.hit_code(), p.hit_flags(), p.wall_mode()), std::tuple(255, 6, -7, 2, 3));
    EXPECT_EQ(std::tuple(p.trail(), p.trail_box(), p.trail_count(), p.trail_spread()), std::tuple(13, 15, 61, 9));
    const WPN_REC w = p.weapon();
    EXPECT_EQ(std::tuple(w.bullet(), w.aim_mask(), w.fire_mask(), w.continue_mask(), w.muzzle(), w.fire_mode(), w.source_mode(),
                         w.origin_mode()),
              std::tuple(77, 0x0102, 0x0304, 0x0506, 18, 4, 2, 3));
    EXPECT_EQ(std::tuple(w.interval(), w.per_shot(), w.loops(), w.interval_adj(), w.per_shot_adj(), w.loops_adj()),
              std::tuple(5, 6, 7, 8, 9, 10));
    EXPECT_EQ(std::tuple(w.pattern(1), w.pattern(2), w.pattern(3), w.effect(), w.effect_count(), w.sound()),
              std::tuple(-11, -12, -13, 25, 60, 33));
    // Phase 1 and the keyframes before kept the defaults.
    EXPECT_EQ(TAMA_Phase(r, 1).key(3).length(), -1);
    EXPECT_EQ(p.key(2).multi_hit(), 2);
}

TEST_F(TamaTable, ACountOfZeroLoadsAsAnEmptyTableWithItsAllocationLine) {
    Write(support::WriteTama({}));
    EXPECT_EQ(TAMA_Load(), 1);
    EXPECT_EQ(std::tuple(TAMA_DATA.count, TAMA_DATA.head, TAMA_DATA.used), std::tuple(0, -1, 0));
    EXPECT_EQ(battle_test::DebugCount("TAMA_DATA \x82\xc9 0 Byte"), 1);
    EXPECT_EQ(TAMA_Record(0), nullptr);
    // Three records take three in-memory records' worth.
    headless::ClearDebugOutput();
    Write(support::WriteTama(std::vector<TamaSpec>(3)));
    EXPECT_EQ(TAMA_Load(), 1);
    EXPECT_EQ(battle_test::DebugCount("TAMA_DATA \x82\xc9 4284 Byte"), 1);
}

TEST_F(TamaTable, SaveLoadAndSaveGiveTheSameBytes) {
    std::vector<TamaSpec> v(4, Distinct());
    v[0].own_index = 7;  // own indexes stand as stored
    v[2].used = 0;
    v[3].name = "last";
    const std::vector<uint8_t> file = support::WriteTama(v);
    Write(file);
    ASSERT_EQ(TAMA_Load(), 1);
    ASSERT_EQ(TAMA_Save(), 1);
    EXPECT_EQ(support::ReadBytes("Dat/Tama.dat"), file);
    ASSERT_EQ(TAMA_Load(), 1);
    ASSERT_EQ(TAMA_Save(), 1);
    EXPECT_EQ(support::ReadBytes("Dat/Tama.dat"), file);
}

TEST_F(TamaTable, ARecordStoredUnusedStaysAtItsIndex) {
    std::vector<TamaSpec> v(3);
    v[0].used = 0;
    v[0].name = "first", v[1].name = "second", v[2].name = "third";
    Write(support::WriteTama(v));
    ASSERT_EQ(TAMA_Load(), 1);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(reinterpret_cast<const char*>(TAMA_Record(i)), v[size_t(i)].name);
    EXPECT_EQ(ListOrder(), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(TAMA_Record(0)[TAMA_USED], 0);
}

TEST_F(TamaTable, RefusedCountsLeaveAnEmptyTable) {
    for (int16_t count : {int16_t(173), int16_t(-1), int16_t(-32768)}) {
        headless::ClearDebugOutput();
        Write(support::WriteTama(std::vector<TamaSpec>(2), count));
        EXPECT_EQ(TAMA_Load(), 0) << count;
        EXPECT_EQ(std::tuple(TAMA_DATA.count, TAMA_DATA.head, TAMA_DATA.used), std::tuple(0, -1, 0)) << count;
        EXPECT_EQ(battle_test::DebugCount("TAMA_Load: Dat\\Tama.dat counts " + std::to_string(count)), 1) << count;
    }
    // 172 records are the most a table holds.
    Write(support::WriteTama(std::vector<TamaSpec>(172)));
    EXPECT_EQ(TAMA_Load(), 1);
    EXPECT_EQ(TAMA_DATA.count, 172);
    EXPECT_EQ(TAMA_New(), 0);
    EXPECT_EQ(TAMA_DATA.count, 172);
}

TEST_F(TamaTable, AShortFileKeepsItsWholeRecords) {
    std::vector<uint8_t> file = support::WriteTama(std::vector<TamaSpec>(3));
    file.resize(2 + 2 * 1422 + 700);
    Write(file);
    EXPECT_EQ(TAMA_Load(), 1);
    EXPECT_EQ(std::tuple(TAMA_DATA.count, TAMA_DATA.used, TAMA_DATA.tail), std::tuple(2, 2, 1));
    EXPECT_EQ(ListOrder(), (std::vector<int>{0, 1}));
    EXPECT_EQ(TAMA_Record(2), nullptr);
    EXPECT_EQ(battle_test::DebugCount("ends inside record 2"), 1);
    // A file without even a count, and no file at all.
    Write({7});
    EXPECT_EQ(TAMA_Load(), 0);
    EXPECT_EQ(TAMA_DATA.count, 0);
    ASSERT_TRUE(plat::DeleteFile("Dat/Tama.dat"));
    EXPECT_EQ(TAMA_Load(), 0);
    EXPECT_EQ(TAMA_DATA.count, 0);
}

TEST_F(TamaTable, NewRecordHoldsTheEditorDefaults) {
    Write(support::WriteTama(std::vector<TamaSpec>(2)));
    ASSERT_EQ(TAMA_Load(), 1);
    ASSERT_EQ(TAMA_New(), 1);
    EXPECT_EQ(std::tuple(TAMA_DATA.count, TAMA_DATA.used, TAMA_DATA.tail), std::tuple(3, 3, 2));
    const uint8_t* r = TAMA_Record(2);
    ASSERT_NE(r, nullptr);
    // The writer's defaults are the column of a new record, field by field.
    const std::vector<uint8_t> expected = support::WriteTamaRecord(TamaSpec{}, 2);
    EXPECT_EQ(std::vector<uint8_t>(r, r + TAMA_RECORD_SIZE), expected);
    // A few of its values by place, as the column gives them.
    const uint8_t* p = r + TAMA_PHASE_OFFSET + 3 * TAMA_PHASE_SIZE;
    EXPECT_EQ(std::vector<int>(p + 108, p + 111), (std::vector<int>{255, 255, 255}));
    EXPECT_EQ(std::tuple(TAMA_I16(p, 260), TAMA_I16(p, 262), int(p[274])), std::tuple(-255, 255, 63));
    EXPECT_EQ(std::vector<int>(p + 282, p + 286), (std::vector<int>{50, 0, 1, 0}));
    EXPECT_EQ(std::tuple(int(p[301]), TAMA_I16(p, 6), TAMA_I16(p, 8)), std::tuple(26, -1, 2));
    EXPECT_EQ(std::tuple(TAMA_I16(p, 66), TAMA_I16(p, 68), TAMA_I16(p, 70), TAMA_I16(p, 72)), std::tuple(256, 0, 0, 9999));
    EXPECT_EQ(std::tuple(TAMA_I16(p, 308), int(p[316]), int(p[341])), std::tuple(-999, 6, 63));
    // Saved, it loads back as it was.
    ASSERT_EQ(TAMA_Save(), 1);
    ASSERT_EQ(TAMA_Load(), 1);
    EXPECT_EQ(std::vector<uint8_t>(TAMA_Record(2), TAMA_Record(2) + TAMA_RECORD_SIZE), expected);
}

TEST_F(TamaTable, TheUsedListLinksAndUnlinks) {
    Write(support::WriteTama(std::vector<TamaSpec>(4)));
    ASSERT_EQ(TAMA_Load(), 1);
    EXPECT_EQ(TAMA_ListRemove(1), 2);
    EXPECT_EQ(TAMA_ListRemove(3), -1);
    EXPECT_EQ(TAMA_ListRemove(3), -1);  // not linked: nothing changes
    EXPECT_EQ(ListOrder(), (std::vector<int>{0, 2}));
    EXPECT_EQ(std::tuple(TAMA_DATA.used, TAMA_DATA.tail, int(TAMA_Record(1)[TAMA_USED])), std::tuple(2, 2, 0));
    EXPECT_EQ(TAMA_ListRemove(0), 2);
    EXPECT_EQ(TAMA_DATA.head, 2);
    // Links go to the lowest unused record and to the tail.
    EXPECT_EQ(TAMA_ListAdd(), 0);
    EXPECT_EQ(TAMA_ListAdd(), 1);
    EXPECT_EQ(TAMA_ListAdd(), 3);
    EXPECT_EQ(TAMA_ListAdd(), -1);
    EXPECT_EQ(ListOrder(), (std::vector<int>{2, 0, 1, 3}));
    EXPECT_EQ(TAMA_I16(TAMA_Record(3), TAMA_OWN_INDEX), 3);
    EXPECT_EQ(TAMA_ListRemove(-1), -1);
    EXPECT_EQ(TAMA_ListRemove(TAMA_MAX), -1);
}

TEST_F(TamaTable, BulletNumbersOutsideTheTableHaveNoRecord) {
    Write(support::WriteTama(std::vector<TamaSpec>(2)));
    ASSERT_EQ(TAMA_Load(), 1);
    for (int n : {-999, -1, 2, TAMA_MAX, 32767}) EXPECT_EQ(TAMA_Record(n), nullptr) << n;
    EXPECT_NE(TAMA_Record(1), nullptr);
    TAMA_ClearList();
    EXPECT_EQ(TAMA_Record(0), nullptr);
}

TEST_F(TamaTable, ASaveThatCannotBeWrittenFailsAndKeepsTheOldFile) {
    Write(support::WriteTama(std::vector<TamaSpec>(1)));
    ASSERT_EQ(TAMA_Load(), 1);
    ASSERT_EQ(TAMA_New(), 1);
    headless::FailCall("FlushFile");
    EXPECT_EQ(TAMA_Save(), 0);
    EXPECT_EQ(support::ReadBytes("Dat/Tama.dat").size(), 2u + 1422u);
}

}  // namespace
