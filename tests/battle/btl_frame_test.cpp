// The battle frame core: the character branch of the animation stepper, the slow-motion finish,
// explosion checks, battle kinds, clean-up, drawing images at the view origin, and the renderer's
// world layer (depth order, depth overlays, objects out of view, the ground cut, shadows) and its
// camera follow-up.
#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "battle/btl_common.h"
#include "battle/btl_frame.h"
#include "battle/camp_data.h"
#include "battle/chr_char.h"
#include "battle/map_data.h"
#include "battle/mech_stem.h"
#include "battle/scr_camera.h"
#include "display/blt_arith.h"
#include "display/blt_frame.h"
#include "display/dd_display.h"
#include "tests/battle/battle_test_util.h"
#include "tests/support/map_writer.h"

namespace {

struct Frame : battle_test::BattleTest {
    void SetUp() override {
        BattleTest::SetUp();
        ASSERT_EQ(CHR_Create(0, 0, CHR_PLAYER, 0, 300, 400, 0, -1), 1);
        p = CHR_TABLE[0];
        a = SP_Anim(p->sprite);
    }
    // Ticks of the stepper until the character's animation is finished (0: not within limit).
    int TicksToFinish(int limit) {
        for (int t = 1; t <= limit; ++t) {
            BTL_AnimStep();
            if (p->chr->anim_done) return t;
        }
        return 0;
    }
    LIST_NODE* p = nullptr;
    SP_ANIM* a = nullptr;
};

TEST_F(Frame, TechniquePhaseStepsByTheCharactersDurations) {
    CHR_DATA* c = p->chr;
    // Sequence 20 has three steps. In a phase, durations 3, 7, 11 (the set says 1, 3, 0) and a
    // keyframe of length 24.
    for (auto [technique, finish] : {std::pair{0, 24}, {1, 0}}) {
        c->waza = int16_t(technique);
        c->phase = 1;
        c->anim_done = 0;
        c->durations[0] = 3, c->durations[1] = 7, c->durations[2] = 11;
        ASSERT_EQ(SP_PlaySeq(p->sprite, 20, 0, 1), 1);
        a->wait = 3;
        std::vector<int> steps;
        for (int t = 1; t <= 24; ++t) {
            BTL_AnimStep();
            steps.push_back(a->step);
            if (c->anim_done) break;
        }
        if (finish) {
            ASSERT_EQ(int(steps.size()), finish);
            EXPECT_EQ(steps[3], 1);
            EXPECT_EQ(steps[11], 2);
            EXPECT_EQ(std::tuple(a->running, a->step), std::tuple(0, 2));
        } else {  // length 255: the animation loops, whatever the object's own loop flag says
            EXPECT_EQ(c->anim_done, 0);
            EXPECT_EQ(std::tuple(a->running, a->step, a->wait), std::tuple(1, 0, 3));
        }
    }
    // Outside a phase the set's waits 1, 3, 0 count, the first with the restart's extra tick.
    c->phase = 0;
    c->anim_done = 0;
    SP_PlaySeq(p->sprite, 20, 0, 1);
    EXPECT_EQ(TicksToFinish(50), 3 + 4 + 1);
    EXPECT_EQ(a->pattern, 16);
    // Looping sequences loop outside a phase.
    c->anim_done = 0;
    SP_PlaySeq(p->sprite, 20, 1, 1);
    EXPECT_EQ(TicksToFinish(50), 0);
}

TEST_F(Frame, StepsPastTheDurationsKeepTheSetsWait) {
    support::SprFile f = support::MechSprFile("zako03", 1);
    f.seqs[31].assign(130, support::SprStep{8, 2});
    ASSERT_TRUE(support::WriteSpr("Bmp/Meka/zako03.spr", f));
    ASSERT_TRUE(support::WriteGrp("Bmp/Meka/zako03.grp", support::MechPicture(1), false));
    ASSERT_EQ(CHR_Create(2, 1, CHR_CPU, 3, 500, 400, 0, -1), 1);
    LIST_NODE* n = CHR_TABLE[2];
    SP_ANIM* o = SP_Anim(n->sprite);
    n->chr->phase = 1;
    for (uint16_t& d : n->chr->durations) d = 0;
    SP_PlaySeq(n->sprite, 31, 0, 1);
    o->wait = 0;
    int ticks = 0;
    while (o->step < 128 && ticks < 500) BTL_AnimStep(), ++ticks;
    EXPECT_EQ(ticks, 128);
    EXPECT_EQ(o->wait, 2);
    while (o->running && ticks < 500) BTL_AnimStep(), ++ticks;
    EXPECT_EQ(ticks, 128 + 3 + 3);
    EXPECT_EQ(n->chr->anim_done, 1);
}

TEST_F(Frame, SlowMotionFinishRunsEveryFourthFrameThenTheHoldFrames) {
    SP_PlaySeq(p->sprite, 6, 1, 1);
    a->wait = 100;  // only full frames step animations
    BTL_SetState(BTL_STATE_FIGHT);
    BTL_SetState(BTL_STATE_SLOW);
    SCR_QUAKE.slow = 8;
    SCR_QUAKE.hold = 4;
    std::vector<int> full, states;
    for (int f = 1; f <= 14; ++f) {
        const int wait = a->wait;
        BTL_FrameUpdate();
        if (a->wait < wait) full.push_back(f);
        states.push_back(BTL_GetState(0));
        if (f == 1) {
            EXPECT_EQ(std::tuple(BTL_GetState(1), BTL_GetState(2)), std::tuple(BTL_STATE_FIGHT, BTL_STATE_SLOW));
        }
    }
    EXPECT_EQ(full, (std::vector<int>{4, 8, 9, 10, 11, 12, 13, 14}));
    EXPECT_EQ(states[11], BTL_STATE_FIGHT);
    EXPECT_EQ(states[10], BTL_STATE_SLOW);
    EXPECT_EQ(BTL_GetState(1), BTL_STATE_SLOW);
    // A pause only reads input: nothing animates.
    BTL_SetState(BTL_STATE_PAUSE);
    const int wait = a->wait;
    BTL_FrameUpdate();
    EXPECT_EQ(a->wait, wait);
}

TEST_F(Frame, ScriptEventCheckEightFramesAfterEachExplosion) {
    BTL_SetState(BTL_STATE_FIGHT);
    BTL_RecordOn(true);
    BTL_Recorded().clear();
    // Frame of each destruction, by slot: slot 3 holds a second mech after the first explodes,
    // and the battle is cleaned up while slot 7's check is still counting down.
    const std::map<int, int> destroy = {{1, 3}, {12, 6}, {21, 3}, {31, 7}};
    std::vector<int> checks;
    for (int f = 1; f <= 45; ++f) {
        if (auto d = destroy.find(f); d != destroy.end()) {
            if (!CHR_TABLE[d->second]) {
                ASSERT_EQ(CHR_Create(d->second, 1, CHR_CPU, 1, 500, 400, 0, -1), 1);
            }
            LIST_NODE* n = CHR_TABLE[d->second];
            CHR_SetState(n, 8);
            n->chr->state_counter = 19;
            n->chr->levels = -1;
        }
        if (f == 35) BTL_Cleanup();  // the end of the battle: the next one starts clean
        BTL_FrameUpdate();
        for (const std::string& line : BTL_Recorded())
            if (line.rfind("mBSC_Event_Check 2 ", 0) == 0) checks.push_back(f * 100 + std::stoi(line.substr(19)));
        BTL_Recorded().clear();
    }
    EXPECT_EQ(checks, (std::vector<int>{903, 2006, 2903}));
    BTL_RecordOn(false);
}

TEST_F(Frame, StatesKindsAndHud) {
    for (int kind = 0; kind <= 10; ++kind) {
        BTL_SetKind(kind);
        EXPECT_EQ(BTL_IsHudOff(), kind == 1 || kind == 2 || kind == 3 || kind == 9) << kind;
    }
    BTL_SetState(2);
    BTL_SetState(14);
    EXPECT_EQ(std::tuple(BTL_GetState(0), BTL_GetState(1)), std::tuple(14, 2));
    BTL_FrameUpdate();
    EXPECT_EQ(BTL_GetState(2), 14);
    BTL_ResetGlobals();
    EXPECT_EQ(std::tuple(BTL_GetState(0), BTL_GetState(1), BTL_GetState(2), int(BTL_KIND), BTL_CpuOn), std::tuple(0, 0, 0, 0, 1));
    BTL_SetScriptMode(1);
    EXPECT_EQ(BTL_ScriptModeUpdate(), 0);  // no script moves are under way
}

TEST_F(Frame, CleanupLeavesNothingBehind) {
    ASSERT_TRUE(support::WriteStage("01_0_L", "01_0_L", support::MakeTestStage(100, 75, 5, 30)));
    MAP_Load(1, 0, 0);
    const battle_test::Holdings map_only = [&] {
        CHR_Delete(0);
        return battle_test::Hold();
    }();
    for (int s = 0; s < 4; ++s) ASSERT_EQ(CHR_Create(s, s & 1, s ? CHR_CPU : CHR_PLAYER, s ? 1 : 0, 300 + 100 * s, 400, 1, -1), 1);
    for (int kind : {LIST_KIND_WP2, LIST_KIND_TAMA, LIST_KIND_EFT, LIST_KIND_GAUGE}) LIST_Alloc(kind);
    ++LIST_STATE_DATA.wpnCnt;
    ++LIST_STATE_DATA.eftCnt;
    const RECT src{0, 0, 8, 8};
    ASSERT_GE(MAP_CreateOverlay(400, 400, 380, &src), 0);
    BTL_DeleteNonCharObjects();
    EXPECT_EQ(LIST_STATE_DATA.listCnt, 4);
    for (int s = 0; s < 4; ++s) EXPECT_NE(CHR_TABLE[s], nullptr);
    LIST_Alloc(LIST_KIND_EFT);
    ++LIST_STATE_DATA.eftCnt;
    MAP_CreateOverlay(400, 400, 380, &src);
    BTL_Cleanup();
    const LIST_STATE& st = LIST_STATE_DATA;
    EXPECT_EQ(std::tuple(st.listCnt, st.wpnCnt, st.eftCnt, st.bgObjCnt, st.head, st.tail), std::tuple(0, 0, 0, 0, -1, -1));
    for (LIST_NODE* n : CHR_TABLE) EXPECT_EQ(n, nullptr);
    EXPECT_EQ(battle_test::Hold(), map_only);
}

TEST_F(Frame, ImagesDrawAtTheViewOrigin) {
    const int image = IMG_Create(4, 4, 0);
    DDSurface* s = IMG_Surface(image);
    support::SetPixel(s, 1, 1, 0x1234);  // the rest is the key colour 0
    DDSurface* back = DD_DISPLAY.back;
    support::SetPixel(back, 52, 33, 0x7777);
    MAP_DATA.origin_x = 40;
    MAP_DATA.origin_y = 20;
    const RECT src{0, 0, 4, 4};
    BTL_DrawImage(image, 11, 12, &src);
    EXPECT_EQ(support::PixelAt(back, 52, 33), 0x1234);
    EXPECT_EQ(support::PixelAt(back, 51, 32), 0);
    BTL_DrawImage(image, 11, 13, &src);  // keyed: what is 0 in the image leaves the screen alone
    EXPECT_EQ(support::PixelAt(back, 52, 33), 0x1234);
    BTL_DrawImage(-1, 0, 0, &src);
    MAP_DATA.origin_x = MAP_DATA.origin_y = 0;
    IMG_Release(image);
}

TEST_F(Frame, TheWorldLayerDrawsByDepthWhateverTheIds) {
    ASSERT_EQ(CHR_Create(1, 1, CHR_CPU, 1, 310, 400, 0, -1), 1);
    const int player = p->sprite, enemy = CHR_TABLE[1]->sprite;
    ASSERT_LT(player, enemy);  // by id alone the player would always be in front
    DDSurface* back = DD_DISPLAY.back;
    // Each one's colour where the two overlap.
    auto alone = [&](int id) {
        SP_SetPos(id, 300, 300);
        SP_DrawAnim(id);
        return support::PixelAt(back, 300, 290);
    };
    const uint16_t player_colour = alone(player), enemy_colour = alone(enemy);
    ASSERT_NE(player_colour, enemy_colour);
    ASSERT_TRUE(support::WriteStage("01_0_L", "01_0_L", support::MakeTestStage(100, 75, 1, 0)));
    struct Row {
        const char* what;
        int player_y, enemy_y;
        bool stage;  // without one the scene is every object by priority and id
        int front;
        int crowd = 0;  // more objects with the enemy's look where it stands, owned by effects
    } rows[] = {
        {"the enemy further down is in front", 300, 310, true, enemy},
        {"the player further down is in front", 310, 300, true, player},
        {"equal y: the lower id in front, as the sprite layer has it", 305, 305, true, player},
        {"equal y among more than 16 objects: still the lowest id in front", 305, 305, true, player, 20},
        {"no stage: by id", 300, 310, false, player},
    };
    const SP_ANIM* look = SP_Anim(enemy);
    for (const Row& r : rows) {
        if (r.stage) MAP_Load(1, 0, 0);
        SP_SetPos(player, 300, r.player_y);
        SP_SetPos(enemy, 310, r.enemy_y);
        std::vector<LIST_NODE*> crowd;
        for (int i = 0; i < r.crowd; ++i) {
            LIST_NODE* n = LIST_Alloc(LIST_KIND_EFT);
            ASSERT_NE(n, nullptr);
            n->sprite = int16_t(SP_FindFree());
            ASSERT_EQ(SP_CreateAnim(n->sprite, MAP_WORLD_PRIORITY, 310, r.enemy_y, look->set, look->pattern), 1);
            SP_Anim(n->sprite)->pattern_offset = look->pattern_offset;
            SP_SetOwner(n->sprite, n->index);
            crowd.push_back(n);
        }
        BTL_DrawScene();
        EXPECT_EQ(support::PixelAt(back, 300, 290), r.front == player ? player_colour : enemy_colour) << r.what;
        for (LIST_NODE* n : crowd) SP_Delete(n->sprite), LIST_Free(n->index);
        MAP_Release();
    }
}

TEST_F(Frame, ADepthOverlayCoversTheCharacterStandingOnItsBaseLine) {
    // Background object entry 1 (48 x 64) at map (472, 272), base line 320, in a view whose corner
    // is the map's: the screen shows the map where it lies. The overlay cut for the player takes a
    // display object after the player's, so by id alone the player would be in front.
    support::StageFiles stage = support::MakeTestStage(100, 75, 4, 0);
    stage.map.objs[size_t(20) * 100 + 30] = 2;
    ASSERT_TRUE(support::WriteStage("01_0_L", "01_0_L", stage));
    MAP_Load(1, 0, 0);
    SCR_SetScrollPos(320, 240);
    MAP_Redraw(320, 240);
    DDSurface* back = DD_DISPLAY.back;
    SP_OBJ* body = SP_Get(p->sprite);
    // The screen 10 rows above the player's feet, in the object's picture.
    auto seen = [&](int32_t feet, bool shown) {
        LIST_SetPos(p, 496, feet, 0);
        body->visible = uint8_t(shown);
        MAP_UpdateBgOverlay();
        SCR_SetAllSpritePos();
        BTL_DrawScene();
        return support::PixelAt(back, 496, feet - 10);
    };
    struct Row {
        const char* what;
        int32_t feet;
        bool covered;
    } rows[] = {
        {"feet above the base line: behind the object", 319, true},
        {"feet on the base line: the overlay at their y is drawn over them", 320, true},
        {"feet below the base line: in front of the object", 321, false},
    };
    for (const Row& r : rows) {
        const uint16_t object = seen(r.feet, false);
        EXPECT_EQ(seen(r.feet, true) == object, r.covered) << r.what;
    }
    MAP_Release();
}

TEST_F(Frame, TheWorldLayerLeavesOutWhatIsOutOfViewCutsAtTheGroundAndCastsShadows) {
    DDSurface* back = DD_DISPLAY.back;
    const uint16_t ground = 0x8410;
    const uint16_t shadow = DD_PIXEL_FORMAT.g_bits == 0x3F ? blt::MixPixel<true>(ground, 0) : blt::MixPixel<false>(ground, 0);
    // The object stands at (340, 300), drawn with the offset (dx, dy). Probes: its middle (60 above
    // its lifted anchor), the row above the ground line, and 10 rows below it, each moved by the
    // offset: 'S' the scene as it is drawn without draw-parts words, 'h' the object's shadow, '-'
    // the ground, 'x' anything else (a picture darkened by a shadow drawn after it).
    struct Row {
        const char* what;
        int lift;
        uint32_t flags = 0;
        int clip = 0, scale = 256, anim = 6;
        uint32_t parts0 = 0, parts1 = 0;
        int off_view = 0, ground_done = 0;
        int dx = 0, dy = 0;
        int behind = 0;  // another object, sunk by 40, stands this many rows further up
        const char* seen;
    } rows[] = {
        {.what = "standing", .lift = 0, .seen = "SS-"},
        {.what = "lifted: the first word casts its shadow on the ground", .lift = 100, .parts0 = 1, .seen = "Sh-"},
        {.what = "lifted without draw-parts words", .lift = 100, .seen = "S--"},
        {.what = "the first word only while lifted (the object itself not drawn)", .lift = 0, .anim = -1, .parts0 = 1, .seen = "---"},
        {.what = "the first word, lifted by one pixel (the object itself not drawn)", .lift = 1, .anim = -1, .parts0 = 1, .seen = "-h-"},
        {.what = "the second word on the ground too (the object itself not drawn)", .lift = 0, .anim = -1, .parts1 = 1, .seen = "-h-"},
        {.what = "the second word with the object drawn: the shadow just before it, under it", .lift = 0, .parts1 = 1, .seen = "SS-"},
        {.what = "the second word, lifted: the shadow on the ground all the same", .lift = 100, .parts1 = 1, .seen = "Sh-"},
        {.what = "the second word: the shadow over what stands behind (the object itself not drawn)", .lift = 0, .anim = -1, .parts1 = 1, .behind = 10, .seen = "-xS"},
        {.what = "sunk into the ground", .lift = -40, .seen = "SSS"},
        {.what = "sunk, with the ground clip: cut at the ground line", .lift = -40, .clip = 1, .seen = "SS-"},
        {.what = "sunk, clipped and stretched", .lift = -40, .clip = 1, .scale = 512, .seen = "SS-"},
        {.what = "sunk, clipped, drawn with an offset: cut at the ground line where it is drawn", .lift = -40, .clip = 1, .dx = 20, .dy = 30, .seen = "SS-"},
        {.what = "mirrored up-down it hangs below its anchor", .lift = 2, .flags = SP_FLIP_UD, .seen = "-SS"},
        {.what = "mirrored up-down and clipped: the rows kept are its picture's lowest", .lift = 2, .flags = SP_FLIP_UD, .clip = 1, .seen = "-S-"},
        {.what = "mirrored up-down and lifted, the second word: its shadow hangs below the ground line", .lift = 200, .flags = SP_FLIP_UD, .parts1 = 1, .seen = "--h"},
        {.what = "nowhere in view", .lift = 0, .off_view = -1, .seen = "---"},
        {.what = "out of view, its ground part in view", .lift = 100, .parts0 = 1, .off_view = -1, .ground_done = 1, .seen = "Sh-"},
    };
    for (const Row& r : rows) {
        SP_SetPos(p->sprite, 340, 300);
        if (r.behind) {
            ASSERT_EQ(CHR_Create(1, 1, CHR_CPU, 1, 340, 300, 0, -1), 1);
            SP_SetPos(CHR_TABLE[1]->sprite, 340, 300 - r.behind);
            SP_Anim(CHR_TABLE[1]->sprite)->lift = -40;
        }
        a->lift = int16_t(r.lift);
        a->flags = r.flags;
        a->ground_clip = uint8_t(r.clip);
        a->scale_x = a->scale_y = uint16_t(r.scale);
        p->anim = r.anim;
        p->off_view = int8_t(r.off_view);
        p->ground_done = uint32_t(r.ground_done);
        // The three probes with the given draw-parts words.
        auto probes = [&](uint32_t parts0, uint32_t parts1) {
            p->draw_parts[0] = parts0;
            p->draw_parts[1] = parts1;
            BLT_FillRect(back, nullptr, ground);
            BTL_RenderScene(r.dx, r.dy, 0);
            std::vector<uint16_t> v;
            for (int y : {300 - r.lift - 60, 299, 310}) v.push_back(support::PixelAt(back, 340 + r.dx, y + r.dy));
            return v;
        };
        const std::vector<uint16_t> plain = probes(0, 0), v = probes(r.parts0, r.parts1);
        std::string seen;
        for (size_t i = 0; i < v.size(); ++i) seen += v[i] == ground ? '-' : v[i] == shadow ? 'h' : v[i] == plain[i] ? 'S' : 'x';
        EXPECT_EQ(seen, r.seen) << r.what;
        if (r.behind) CHR_Delete(1);
    }
}

TEST_F(Frame, TheCameraComesBackToThePlayerWhenWhatItFollowsGoes) {
    ASSERT_EQ(CHR_Create(1, 1, CHR_CPU, 1, 500, 400, 0, -1), 1);
    SCR_SetCamera(SCR_CAMERA_FOLLOW, CHR_TABLE[1], nullptr);
    BTL_RenderUpdate();
    EXPECT_EQ(CAMERA_DATA.queued, p);
    CHR_Delete(1);
    BTL_RenderUpdate();
    EXPECT_EQ(std::tuple(CAMERA_DATA.followed, CAMERA_DATA.queued), std::tuple(p, nullptr));
}

}  // namespace

namespace {
TEST(BattleModule, InitBuildsThePoolWithNewGameValuesAndTermTakesItDown) {
    support::HeadlessDisplay display;
    support::TempDir dir;
    FIL_InitBaseDir();
    ASSERT_TRUE(plat::CreateDirectory("Dat") && support::WriteBytes("Dat/MechStem.txt", {'3', '0', ' ', 'a', 'b', 'c'}));
    CAMP_DATA.base[1] = 9;
    ASSERT_EQ(BTL_Init(), 1);
    EXPECT_EQ(CAMP_DATA.base[1], 500);
    EXPECT_STREQ(MECH_Stem(30), "abc");
    EXPECT_EQ(std::tuple(LIST_STATE_DATA.free_head, LIST_STATE_DATA.free_tail, LIST_STATE_DATA.listCnt), std::tuple(0, 2047, 0));
    LIST_Alloc(LIST_KIND_EFT);
    ASSERT_EQ(BTL_Init(), 1);  // a second start builds a fresh pool
    EXPECT_EQ(LIST_STATE_DATA.listCnt, 0);
    BTL_Term();
    EXPECT_EQ(LIST_DATA[0], nullptr);
    EXPECT_EQ(LIST_Alloc(LIST_KIND_EFT), nullptr);
    MECH_ResetStems();
}
}  // namespace
