// Technique files and mech stems: the stored layout read back field by field, reference counts,
// the editor's new technique, damaged files and the stem file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "battle/waza_file.h"
#include "platform/headless/headless.h"
#include "services/fil_util.h"
#include "tests/battle/battle_test_util.h"
#include "tests/support/fixture.h"
#include "tests/support/waza_writer.h"

namespace {

struct Waza : ::testing::Test {
    void SetUp() override {
        headless::Reset();
        FIL_InitBaseDir();
        ASSERT_TRUE(plat::CreateDirectory("Dat"));
        MECH_ResetStems();
    }
    void TearDown() override {
        for (int m = 0; m < MECH_TYPES; ++m)
            while (MECH_TABLE[m].waza_refs) WAZA_Free(m);
    }
    support::TempDir dir;
};

// Three techniques whose fields all differ, so a field read at the wrong place shows.
std::vector<support::WazaSpec> ThreeTechniques() {
    std::vector<support::WazaSpec> v(3);
    for (int t = 0; t < 3; ++t) {
        support::WazaSpec& s = v[t];
        s.name = "tech" + std::to_string(t);
        s.heat_kind = uint8_t(t);
        s.heat = int16_t(30 + t);
        s.air = uint8_t(t & 1);
        s.max_hits = int16_t(5 + t);
        s.speed_shift = int8_t(t + 1);
        s.exp_base = int16_t(100 * t - 50);
        s.slot_act[0] = 2;
        s.slot_act[1] = uint8_t(t);
        s.repeat[1] = {3, 1, 2};
        s.link[7] = {4, 6, 2, 0, int16_t(-3)};
        support::WazaActSpec& a = s.act[2];
        a.cancel = 1;
        a.facing = 4;
        a.angle = -45;
        a.flags = 0x32;
        a.speed_max = int16_t(700 + t);
        a.vspeed_min = -24;
        a.hit_rate = -5;
        a.bullet = int16_t(12 + t);
        a.effect = 7;
        a.key[9] = {11, 0, 12, -1, 2, 255, 1, 17, 31, 5, -2};
    }
    return v;
}

TEST_F(Waza, FileRoundTripsByteForByteAndFieldsSitAtTheirOffsets) {
    const std::vector<uint8_t> file = support::WriteWaz(ThreeTechniques());
    ASSERT_EQ(file.size(), 2u + 3 * 4242);
    ASSERT_TRUE(support::WriteBytes("Dat/zako03.waz", file));
    ASSERT_EQ(WAZA_Load(3), 1);
    ASSERT_EQ(MECH_TABLE[3].waza_count, 3);
    for (int t = 0; t < 3; ++t) {
        WAZA_DATA* w = WAZA_Get(3, t);
        ASSERT_NE(w, nullptr);
        const uint8_t* r = w->raw;
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(r)), "tech" + std::to_string(t));
        EXPECT_EQ(WAZA_U8(r, WAZA_HEAT_KIND), t);
        EXPECT_EQ(WAZA_I16(r, WAZA_HEAT), 30 + t);
        EXPECT_EQ(WAZA_U8(r, WAZA_AIR), t & 1);
        EXPECT_EQ(WAZA_I16(r, WAZA_MAX_HITS), 5 + t);
        EXPECT_EQ(WAZA_I8(r, WAZA_SPEED_SHIFT), t + 1);
        EXPECT_EQ(WAZA_I16(r, WAZA_EXP_BASE), 100 * t - 50);
        EXPECT_EQ(r[WAZA_SLOT_ACT + 1], t);
        EXPECT_EQ(r[WAZA_SLOT_ACT + 2], 99);
        EXPECT_EQ(r[WAZA_REPEAT + 3 + 2], 2);
        EXPECT_EQ(WAZA_I16(r, WAZA_LINK + 7 * 6 + 4), -3);
        EXPECT_EQ(WAZA_I8(r, WAZA_LINK + 7 * 6 + 2), 2);
        uint8_t* act = WAZA_Act(w, 2);
        EXPECT_EQ(act[WAZA_ACT_CANCEL], 1);
        EXPECT_EQ(act[WAZA_ACT_FACING], 4);
        EXPECT_EQ(WAZA_I16(act, WAZA_ACT_ANGLE), -45);
        EXPECT_EQ(act[WAZA_ACT_FLAGS], 0x32);
        EXPECT_EQ(WAZA_I16(act, WAZA_ACT_SPEED_MAX), 700 + t);
        EXPECT_EQ(WAZA_I16(act, WAZA_ACT_VSPEED_MIN), -24);
        EXPECT_EQ(act[WAZA_ACT_CHR_HITS], 255);
        EXPECT_EQ(WAZA_I8(act, WAZA_ACT_HIT_RATE), -5);
        EXPECT_EQ(WAZA_I16(act, WAZA_ACT_WPN), 12 + t);
        EXPECT_EQ(WAZA_I8(act, WAZA_ACT_EFFECT), 7);
        uint8_t* key = WAZA_Key(act, 9);
        EXPECT_EQ(key[WAZA_KEY_ANIM], 11);
        EXPECT_EQ(WAZA_I16(key, WAZA_KEY_DASH_ANIM), 12);
        EXPECT_EQ(WAZA_I8(key, WAZA_KEY_DIR), -1);
        EXPECT_EQ(key[WAZA_KEY_END_MODE], 2);
        EXPECT_EQ(WAZA_I16(key, WAZA_KEY_LENGTH), 255);
        EXPECT_EQ(WAZA_U16(key, WAZA_KEY_HIT), 1);
        EXPECT_EQ(WAZA_U16(key, WAZA_KEY_DRAW), 17);
        EXPECT_EQ(WAZA_U16(key, WAZA_KEY_BLEND), 31);
        EXPECT_EQ(key[WAZA_KEY_SOUND], 5);
        EXPECT_EQ(WAZA_I8(key, WAZA_KEY_ARMOUR), -2);
        EXPECT_EQ(WAZA_I8(WAZA_Key(act, 0), WAZA_KEY_ARMOUR), 127);
        EXPECT_TRUE(std::all_of(r + WAZA_FILE_SIZE, r + WAZA_SIZE, [](uint8_t b) { return b == 0; }));
    }
    EXPECT_EQ(WAZA_Get(3, 3), nullptr);
    EXPECT_EQ(WAZA_Get(3, -1), nullptr);
    ASSERT_TRUE(support::WriteBytes("Dat/zako03.waz", {}));
    EXPECT_EQ(WAZA_Save(3), 1);
    EXPECT_EQ(support::ReadBytes("Dat/zako03.waz"), file);
    // A file that cannot be replaced (a directory holds its name) is reported.
    ASSERT_TRUE(plat::CreateDirectory("Dat/zako04.waz"));
    EXPECT_EQ(WAZA_Save(4), 0);
}

TEST_F(Waza, ReferencesLoadOnceAndFreeOnce) {
    ASSERT_TRUE(support::WriteBytes("Dat/player.waz", support::WriteWaz(ThreeTechniques())));
    headless::ClearDebugOutput();
    EXPECT_EQ(WAZA_Load(0), 1);
    ASSERT_TRUE(support::WriteBytes("Dat/player.waz", {}));  // a second reference reads nothing
    EXPECT_EQ(WAZA_Load(0), 1);
    EXPECT_EQ(MECH_TABLE[0].waza_refs, 2);
    EXPECT_EQ(MECH_TABLE[0].waza_count, 3);
    WAZA_Free(0);
    EXPECT_NE(MECH_TABLE[0].waza, nullptr);
    WAZA_Free(0);
    WAZA_Free(0);  // never below 0
    EXPECT_EQ(MECH_TABLE[0].waza_refs, 0);
    EXPECT_EQ(MECH_TABLE[0].waza, nullptr);
    const std::vector<std::string> out = battle_test::DebugLines();
    ASSERT_EQ(out.size(), 2u);
    // "●メモリ確保 ： メカNo. 0技データ ： 12744 Byte", then the matching release.
    EXPECT_EQ(out[0], "\x81\x9c\x83\x81\x83\x82\x83\x8a\x8am\x95\xdb \x81" "F \x83\x81\x83JNo. 0\x8bZ\x83" "f\x81[\x83^ \x81" "F 12744 Byte");
    EXPECT_EQ(out[1], "\x81\x9b\x83\x81\x83\x82\x83\x8a\x89\xf0\x95\xfa \x81" "F \x83\x81\x83JNo. 0\x8bZ\x83" "f\x81[\x83^ \x81" "F 12744 Byte");
}

TEST_F(Waza, DamagedAndMissingFiles) {
    const std::vector<uint8_t> three = support::WriteWaz(ThreeTechniques());
    struct Case {
        const char* what;
        std::vector<uint8_t> file;
        int result, count;
    } cases[] = {
        {"missing", {}, 0, 0},
        {"a byte", {3}, 0, 0},
        {"negative count", support::WriteWaz(ThreeTechniques(), -3), 1, 0},
        {"count beyond the records", support::WriteWaz(ThreeTechniques(), 40), 1, 3},
        {"half a record missing", std::vector<uint8_t>(three.begin(), three.end() - 2000), 1, 2},
        {"count below the records", support::WriteWaz(ThreeTechniques(), 1), 1, 1},
    };
    for (const Case& c : cases) {
        if (c.file.empty()) plat::DeleteFile("Dat/zako05.waz");
        else ASSERT_TRUE(support::WriteBytes("Dat/zako05.waz", c.file));
        EXPECT_EQ(WAZA_Load(5), c.result) << c.what;
        EXPECT_EQ(MECH_TABLE[5].waza_count, c.count) << c.what;
        EXPECT_EQ(WAZA_Get(5, c.count), nullptr) << c.what;
        WAZA_Free(5);
        EXPECT_EQ(MECH_TABLE[5].waza, nullptr) << c.what;
    }
    EXPECT_EQ(WAZA_Load(32) + WAZA_Load(-1), 0);
}

TEST_F(Waza, AddAppendsTheEditorDefaultsInMemoryOnly) {
    const std::vector<uint8_t> three = support::WriteWaz(ThreeTechniques());
    ASSERT_TRUE(support::WriteBytes("Dat/zako01.waz", three));
    EXPECT_EQ(WAZA_Add(1), 0);  // not loaded
    ASSERT_EQ(WAZA_Load(1), 1);
    MECH_TABLE[1].waza[0].raw[WAZA_HEAT] = 77;  // an edit the add saves
    ASSERT_EQ(WAZA_Add(1), 1);
    EXPECT_EQ(MECH_TABLE[1].waza_count, 4);
    EXPECT_EQ(MECH_TABLE[1].waza_refs, 1);
    const std::vector<uint8_t> saved = support::ReadBytes("Dat/zako01.waz");
    ASSERT_EQ(saved.size(), three.size());
    EXPECT_EQ(saved[0], 3);
    EXPECT_EQ(saved[2 + WAZA_HEAT], 77);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(WAZA_Get(1, 2)->raw)), "tech2");

    support::WazaSpec want;
    want.name = "\x81i\x90V\x8bK\x8bZ\x81j" /* （新規技） */;
    want.heat = 99;
    want.air = 0;
    want.speed_shift = 9;
    want.slot_act[0] = 0;
    for (auto& r : want.repeat) r = {99, 99, 0};
    for (auto& a : want.act) {
        for (auto& k : a.key) k = {0, 0, -1, 0, 0, -1, 0, 0, 0, 0, 1};
        a.speed_min = a.vspeed_min = int16_t(65281);
        a.speed_max = a.vspeed_max = 255;
        a.chr_hits = a.tama_hits = 0;
        a.hit_rate = 63;
        a.hit = {1, 0, 0, 0, 50, 0, 16, 0, 1, 0, 0, 0, 8, 0, 4, 0, 0, 0, 5, 0, 0, 63, 16, 26, 0, 0};
        a.bullet = -999;
        a.wpn_rest = {};
        a.wpn_rest[6] = 6;
        a.wpn_rest[8] = a.wpn_rest[9] = 1;
        a.wpn_rest[14] = a.wpn_rest[16] = 1;
        a.wpn_rest[31] = 63;
    }
    const std::vector<uint8_t> record = support::WriteWazaRecord(want);
    const uint8_t* got = WAZA_Get(1, 3)->raw;
    for (size_t i = 0; i < record.size(); ++i) ASSERT_EQ(got[i], record[i]) << "byte " << i;
}

TEST(MechStems, FixedNamesAndTheStemFile) {
    MECH_ResetStems();
    EXPECT_STREQ(MECH_Stem(0), "player");
    EXPECT_STREQ(MECH_Stem(7), "zako07");
    EXPECT_STREQ(MECH_Stem(19), "zako19");
    EXPECT_STREQ(MECH_Stem(20), "");
    EXPECT_STREQ(MECH_Stem(32), "");
    EXPECT_STREQ(MECH_Stem(-1), "");
    headless::Reset();
    const std::string text =
        "# named mechs\n20 kaiser\r\n  31\tab  \n\n21 x\n22 toolongstem\n19 zako\n23 ok!\n24\n25 fine_9\n2a b\n20 kaiser2";
    EXPECT_EQ(MECH_ParseStems(reinterpret_cast<const uint8_t*>(text.data()), text.size()), 4);
    EXPECT_STREQ(MECH_Stem(20), "kaiser2");
    EXPECT_STREQ(MECH_Stem(31), "ab");
    EXPECT_STREQ(MECH_Stem(25), "fine_9");
    for (int t : {21, 22, 23, 24}) EXPECT_STREQ(MECH_Stem(t), "") << t;
    EXPECT_STREQ(MECH_Stem(19), "zako19");
    const std::vector<std::string> lines = battle_test::DebugLines();
    ASSERT_EQ(lines.size(), 6u);  // lines 5, 6, 7, 8, 9 and 11
    EXPECT_EQ(lines[0], "MechStem.txt: line 5 skipped");
    EXPECT_EQ(lines[5], "MechStem.txt: line 11 skipped");
    MECH_ResetStems();
    EXPECT_STREQ(MECH_Stem(20), "");
}

TEST_F(Waza, StemFileComesFromTheDataDirectory) {
    EXPECT_EQ(MECH_LoadStems(), 0);
    ASSERT_TRUE(support::WriteBytes("Dat/mechstem.TXT", {'2', '6', ' ', 'r', 'e', 'x'}));
    EXPECT_EQ(MECH_LoadStems(), 1);
    EXPECT_STREQ(MECH_Stem(26), "rex");
    ASSERT_TRUE(support::WriteBytes("Dat/rex.waz", support::WriteWaz(ThreeTechniques())));
    EXPECT_EQ(WAZA_Load(26), 1);
    EXPECT_EQ(MECH_TABLE[26].waza_count, 3);
    MECH_ResetStems();
}

}  // namespace
