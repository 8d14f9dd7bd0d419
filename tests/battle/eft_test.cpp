// Effects: bouncing fragments by ground kind, rain and splashes, ambient rain, after-images and
// trails in slow motion, the kill flag of a finished animation, particles from hit boxes and the
// spark of a hit mark.
#include <gtest/gtest.h>

#include <functional>

#include "battle/scr_camera.h"
#include "battle/tama_obj.h"
#include "services/mth_math.h"
#include "sprite/sp_draw.h"
#include "tests/battle/melee_test_util.h"

namespace {

struct Effects : melee_test::Melee {
    static LIST_NODE* New(int kind, LIST_NODE* parent, int32_t x, int32_t y, int32_t h) {
        return LIST_Node(EFT_Create(kind, parent, x, y, h));
    }
    // Updates the effect until it is deleted; the number of updates it lived.
    static int Live(LIST_NODE* e, int limit, const std::function<void(int)>& each = {}) {
        const int16_t kind = e->eft->kind;
        for (int f = 1; f <= limit; ++f) {
            LIST_SetCurrent(e);
            EFT_Update();
            if (!e->in_use || e->kind != LIST_KIND_EFT || e->eft->kind != kind) return f;
            if (each) each(f);
        }
        return -1;
    }
    // The state at the start of the next frames.
    static void StartFrameIn(int state) {
        BTL_SetState(state);
        BTL_FrameUpdate();
    }
};

TEST_F(Effects, CreationRefusesUnknownKinds) {
    const int count = LIST_STATE_DATA.eftCnt;
    EXPECT_EQ(EFT_Create(27, nullptr, 100, 100, 0), -1);
    EXPECT_EQ(EFT_Create(-1, nullptr, 100, 100, 0), -1);
    EXPECT_EQ(LIST_STATE_DATA.eftCnt, count);
    LIST_NODE* e = New(0, nullptr, 100, 120, 7);
    ASSERT_NE(e, nullptr);
    const SP_ANIM* a = SP_Anim(e->sprite);
    EXPECT_EQ(std::tuple(int(e->team), e->owner, e->target, e->priority), std::tuple(-1, -999, -999, 4));
    EXPECT_EQ(std::tuple(a->seq, a->scale_x, a->flags & 8u, a->lift, a->owner), std::tuple(47, 512, 8u, 7, e->index));
    EXPECT_EQ(LIST_STATE_DATA.eftCnt, count + 1);
    EXPECT_EQ(EFT_Delete(e), -1);
    EXPECT_EQ(LIST_STATE_DATA.eftCnt, count);
}

TEST_F(Effects, FragmentsBounceByTheGroundUnderThem) {
    struct Case {
        uint8_t ground;
        int dust, sound;
    };
    for (const Case& c : {Case{1, 2, 57}, Case{0, 0, 45}}) {
        Stage(64, 48, c.ground);
        BTL_RecordOn(true);
        LIST_NODE* e = New(14, nullptr, 400, 400, 0);
        ASSERT_NE(e, nullptr);
        e->speed = 0;
        e->eft->vspeed = 12;
        e->eft->variant = 1;
        std::vector<int> landings;
        int16_t last = 12;
        Live(e, 200, [&](int) {
            if (e->eft->vspeed != last) landings.push_back(last = e->eft->vspeed);
        });
        // Ground 1 leaves dust and quarters the speeds; plain ground halves them and clatters.
        EXPECT_EQ(CountEffects(8), c.dust);
        const std::vector<int> expected = c.ground == 1 ? std::vector<int>{3} : std::vector<int>{6, 3};
        EXPECT_EQ(landings, expected);
        EXPECT_TRUE(Recorded("SE_Play " + std::to_string(c.sound) + " -1"));
        BTL_Recorded().clear();
        BTL_RecordOn(false);
        BTL_DeleteNonCharObjects();
    }
    // Off the map or over no ground it is gone. On a stage of 2,048 chips or more, a step right from
    // 32,767 wraps the 16.16 sum and leaves the map on the left.
    Stage(2050, 48);
    for (const auto& [x, vx] : {std::pair{3, -65535}, {32767, 65535}}) {
        LIST_NODE* e = New(14, nullptr, x, 400, 0);
        e->vx = vx, e->speed = 10;
        EXPECT_EQ(Live(e, 10), 1) << x;
    }
    Cell(25, 25).extra = 255;
    LIST_NODE* e = New(14, nullptr, 400, 400, 0);
    e->speed = 0, e->eft->vspeed = 1;
    EXPECT_EQ(Live(e, 10), 6);  // heights 1, 2, 3, 3, 2, then down
}

TEST_F(Effects, DustOverNoGroundPlaysNothingAndStays) {
    struct Case {
        int kind;
        uint8_t ground;
        int seq;            // -1: none plays
        const char* sound;  // null: none
    };
    const Case cases[] = {{8, 1, 71, "SE_Play 57 -1"}, {11, 1, 93, "SE_Play 57 -1"}, {11, 0, 92, nullptr},
                          {8, 255, -1, nullptr},        {11, 255, -1, nullptr},        {11, 254, 92 + 254, nullptr}};
    for (const Case& c : cases) {
        Stage(64, 48, c.ground);
        BTL_RecordOn(true);
        BTL_Recorded().clear();
        LIST_NODE* e = New(c.kind, nullptr, 400, 400, 0);
        ASSERT_NE(e, nullptr);
        const SP_ANIM* a = SP_Anim(e->sprite);
        EXPECT_EQ(a->running ? int(a->seq) : -1, c.seq < SPR_SEQUENCES ? c.seq : -1) << c.kind << " " << int(c.ground);
        EXPECT_EQ(Recorded(c.sound ? c.sound : "SE_Play"), c.sound != nullptr) << c.kind << " " << int(c.ground);
        if (c.seq < 0) {
            // Nothing to show and nothing ends it: it stays until the pool is cleared.
            for (int i = 0; i < 50; ++i) BTL_AnimStep();
            EXPECT_EQ(Live(e, 100), -1) << c.kind;
            EXPECT_TRUE(e->in_use && e->kind == LIST_KIND_EFT && e->eft->kind == c.kind);
        }
        BTL_RecordOn(false);
        BTL_DeleteNonCharObjects();
    }
}

TEST_F(Effects, RainSplashesOnceAndFallsOnOutOfSight) {
    LIST_NODE* drop = New(25, nullptr, 400, 400, 30);
    ASSERT_NE(drop, nullptr);
    const SP_ANIM* a = SP_Anim(drop->sprite);
    EXPECT_EQ(std::tuple(a->flags, a->ground_clip, a->loop), std::tuple(0x80u, 1, 1));
    drop->eft->fall = 64;
    std::vector<int> splashes;
    const int lived = Live(drop, 20, [&](int) { splashes.push_back(CountEffects(26)); });
    EXPECT_EQ(lived, 9);  // 30 - 9 x 64 = -546
    EXPECT_EQ(splashes, (std::vector<int>{1, 1, 1, 1, 1, 1, 1, 1}));
    LIST_NODE* splash = LIST_Node(LIST_STATE_DATA.tail);
    ASSERT_EQ(splash->eft->kind, 26);
    EXPECT_EQ(Live(splash, 10), 4);
}

TEST_F(Effects, AmbientRainNeedsACountAndTheMainState) {
    CAMERA_DATA.scroll_x = 500, CAMERA_DATA.scroll_y = 400;
    StartFrameIn(BTL_STATE_FIGHT);
    EXPECT_EQ(EFT_SpawnAmbient(), 0);
    EXPECT_EQ(CountEffects(25), 0);
    EFT_SetAmbientCount(6);
    int32_t n = 0;
    EFT_GetAmbientCount(&n);
    EXPECT_EQ(n, 6);
    EXPECT_EQ(EFT_SpawnAmbient(), 0);
    EXPECT_EQ(CountEffects(25), 6);
    for (const LIST_NODE* e = LIST_Node(LIST_STATE_DATA.head); e; e = LIST_Node(e->next)) {
        if (e->kind != LIST_KIND_EFT) continue;
        EXPECT_TRUE(e->x >= 180 && e->x <= 820 && e->y >= 160 && e->y <= 880) << e->x << "," << e->y;
        EXPECT_TRUE(e->height >= (e->y - 400) + 240 && e->height <= (e->y - 400) + 303) << e->height;
    }
    // A story battle holds its rain outside the main state; a survival battle does not.
    StartFrameIn(BTL_STATE_SLOW);
    EXPECT_EQ(EFT_SpawnAmbient(), BTL_STATE_SLOW);
    EXPECT_EQ(CountEffects(25), 6);
    BTL_SetKind(4);
    EXPECT_EQ(EFT_SpawnAmbient(), 0);
    EXPECT_EQ(CountEffects(25), 12);
}

TEST_F(Effects, AfterImagesFadeAndSlowMotionFreezes) {
    LIST_NODE* chr = Make(1, 1, CHR_CPU, 300, 300);
    LIST_NODE* ghost = New(24, chr, 300, 308, 0);
    ASSERT_NE(ghost, nullptr);
    const SP_ANIM* a = SP_Anim(ghost->sprite);
    const SP_ANIM* ca = SP_Anim(chr->sprite);
    const uint16_t copied = uint16_t(ca->pattern + ca->pattern_offset);
    EXPECT_EQ(std::tuple(a->set, a->pattern, a->flags, a->blend), std::tuple(ca->set, copied, 0x40u, 30));
    EXPECT_EQ(Live(ghost, 10), 6);  // 30, 24 ... 0, then below 0

    // Kinds 12, 24, 25 and 26 hold still in slow motion, except in a script battle.
    LIST_NODE* bullet = LIST_Alloc(LIST_KIND_TAMA);
    bullet->speed = 5;
    const int id = SP_FindFree();
    SP_CreateAnim(id, 128, 500, 500, EFT_SET, 0);
    bullet->sprite = int16_t(id);
    LIST_SetPos(bullet, 500, 500, 0);
    LIST_NODE* trail = New(12, bullet, 490, 500, 0);
    ghost = New(24, chr, 300, 308, 0);
    LIST_NODE* drop = New(25, nullptr, 400, 400, 300);
    LIST_NODE* splash = New(26, nullptr, 420, 400, 0);
    StartFrameIn(BTL_STATE_SLOW);
    for (LIST_NODE* e : {trail, ghost, drop, splash}) {
        LIST_SetCurrent(e);
        EFT_Update();
    }
    EXPECT_EQ(std::tuple(int(SP_Anim(trail->sprite)->blend), int(SP_Anim(ghost->sprite)->blend), drop->height, int(splash->eft->counter)),
              std::tuple(16, 30, 300, 0));
    BTL_SetKind(9);
    for (LIST_NODE* e : {trail, ghost, drop, splash}) {
        LIST_SetCurrent(e);
        EFT_Update();
    }
    EXPECT_EQ(std::tuple(int(SP_Anim(trail->sprite)->blend), int(SP_Anim(ghost->sprite)->blend), int(splash->eft->counter)),
              std::tuple(14, 24, 1));
    EXPECT_LT(drop->height, 300);
    // A trail whose bullet stopped goes.
    bullet->speed = 0;
    EXPECT_EQ(Live(trail, 3), 1);
}

TEST_F(Effects, AFinishedAnimationKillsItsEffect) {
    LIST_NODE* e = New(13, nullptr, 300, 300, 0);
    int ticks = 0;
    while (!e->eft->kill && ticks < 10) {
        BTL_AnimStep();
        ++ticks;
    }
    EXPECT_EQ(ticks, 4);
    EXPECT_EQ(Live(e, 1), 1);
    // A looping one never is.
    e = New(20, nullptr, 300, 300, 0);
    for (int i = 0; i < 20; ++i) BTL_AnimStep();
    EXPECT_EQ(e->eft->kill, 0);
}

TEST_F(Effects, ParticlesFromTheCharactersBoxes) {
    LIST_NODE* chr = Make(1, 1, CHR_CPU, 400, 300);
    CAMERA_DATA.scroll_x = MAP_DATA.scroll_x + MAP_DATA.half_w;
    CAMERA_DATA.scroll_y = MAP_DATA.scroll_y + MAP_DATA.half_h;
    SCR_SetAllSpritePos();
    Current(chr);
    EXPECT_EQ(EFT_Scatter(-1, 8, 4, 3), 0);
    EXPECT_EQ(EFT_Scatter(11, 8, 4, 4), 0);
    EXPECT_EQ(EFT_Scatter(11, 8, 4, 1), 1);
    EXPECT_EQ(CountEffects(11), 1);
    EXPECT_EQ(EFT_Scatter(11, 8, 16, 3), 1);
    EXPECT_EQ(CountEffects(11), 3);
    for (const LIST_NODE* e = LIST_Node(LIST_STATE_DATA.head); e; e = LIST_Node(e->next)) {
        if (e->kind != LIST_KIND_EFT || e->eft->kind != 11) continue;
        EXPECT_EQ(e->owner, chr->index);
        // Box 14 (-12, -64) or box 15 (0, 0) of the zako set, moved by up to 8 either way.
        const bool near14 = std::abs(e->x - (400 - 12)) <= 9 && std::abs(e->y - (300 - 64)) <= 9;
        const bool near15 = std::abs(e->x - 400) <= 9 && std::abs(e->y - 300) <= 9;
        EXPECT_TRUE(near14 || near15) << e->x << "," << e->y;
        EXPECT_TRUE(e->speed >= 2 && e->speed <= 16) << e->speed;
    }
}

TEST_F(Effects, AHitMarkSendsOutOneSpark) {
    LIST_NODE* mark = New(3, nullptr, 300, 300, 20);
    for (int f = 0; f < 60; ++f) {
        LIST_SetCurrent(mark);
        EFT_Update();
        if (!mark->in_use) break;
    }
    ASSERT_EQ(CountEffects(1), 1);
    LIST_NODE* spark = LIST_Node(LIST_STATE_DATA.tail);
    ASSERT_EQ(spark->eft->kind, 1);
    const int32_t d2 = MTH_Dist2(spark->x, spark->y, 300, 300);
    EXPECT_TRUE(d2 >= 30 * 30 && d2 <= 33 * 33) << d2;
    EXPECT_TRUE((spark->speed >= 6 && spark->speed <= 13) || (spark->speed >= 10 && spark->speed <= 19)) << spark->speed;
    const int speed = spark->speed;
    EXPECT_EQ(Live(spark, 40), speed + 1);  // one slower a frame, gone below 0
}

// Every kind starts as its row says: sequence, looping, running, draw flags, blend, scale, pattern
// offset, speed and direction, ground flag, with its draws taken in the row's order from one seed
// (d[i], the i-th draw). The parent faces pattern offset 5 and moves along (30000, -20000).
TEST_F(Effects, EachKindStartsAsItsRowSays) {
    LIST_NODE* p = Make(0, 0, CHR_PLAYER, 400, 400);
    p->vx = 30000, p->vy = -20000;
    SP_Anim(p->sprite)->pattern_offset = 5;
    plat::Srand(1234);
    int d[8];
    for (int& v : d) v = plat::Rand();
    constexpr int kAny = -1;  // not given by the row
    struct Row {
        int seq, loop, running;
        uint32_t flags;
        int blend, scale, offset, speed;
        int32_t vx, vy;
        uint32_t ground;
    };
    int32_t splash_x, splash_y;
    MTH_AngleToVec(d[3] % 120 + 120, &splash_x, &splash_y);
    const uint32_t flare = d[2] % 3 == 0 ? 0x800 : d[2] % 3 == 1 ? 0x400 : 0;
    const Row rows[EFT_KINDS] = {
        {47, 0, 1, 0x8, 0, 512, 0, 0, 0, 0, 0},
        {62 + d[0] % 3, 0, 1, 0, 0, 256, 0, 0, 0, 0, 0},
        {57, 0, 1, 0, 0, 256, 0, 0, 0, 0, 0},
        {58, 0, 1, 0, 0, 256, 0, 0, 0, 0, 0},
        {59, 0, 1, 0, 0, 256, 0, 0, 0, 0, 0},
        {60, 0, 1, 0, 0, 256, 0, 0, 0, 0, 0},
        {61, 0, 1, 0, 0, 256, 0, 0, 0, 0, 0},
        {65, 0, 1, flare, 0, d[1] % 257 + 256, d[0] % 24, 0, 0, 0, 0},
        {70, 0, 1, 0, 0, 256, 0, 0, 30000, -20000, 0},  // ground 0 takes the parent's direction
        {82, 1, 1, 0, 0, 256, 0, 0, 0, 0, 0},
        {87, 1, 1, 0, 0, 256, (5 + 2 - d[0] % 5 + 24) % 24, 0, 0, 0, 0},
        {92, 0, 1, 0x400, 0, 256, 0, 0, 30000, -20000, 0},
        {97, 1, 1, 0x40, 16, 256, kAny, 0, 0, 0, 0},
        {98, 0, 1, 0, 0, 256, 0, 0, 0, 0, 0},
        {99 + d[0] % 5, 1, 1, 0, 0, d[7] % 65 + 128, 0, d[2] % 48 + 1, kAny, kAny, 1},
        {104 + d[0] % 3, 0, 0, 0, 0, d[3] % 129 + 192, 0, (d[2] & 15) + 1, -30000, 20000, 1},
        {107, 0, 1, 0, 0, 256, 0, 0, 0, 0, 0},
        {108, 0, 1, 0, 0, 256, 0, 0, 0, 0, 0},
        {109, 1, 1, 0, 0, 256, 6, 0, 0, 0, 0},
        {111, 1, 1, 0x400, 0, 256, 5, 0, 0, 0, 0},
        {110, 1, 1, 0x400, 0, 256, 0, 0, 0, 0, 0},
        {112, 1, 1, 0, 0, 256, 0, 0, 0, 0, 0},
        {115, 0, 1, 0, 0, 256, 0, 0, 0, 0, 0},
        {116, 0, 1, 0, 0, 256, 0, 0, 0, 0, 0},
        {kAny, 0, 0, 0x40, 30, 256, 0, 0, 0, 0, 0},  // a still copy of the parent's picture
        {118 + d[0] % 3, 1, 1, 0x80, (d[1] & 15) + 8, 256, 0, 0, 0, 0, 0},
        {121 + d[0] % 3, 1, 1, 0x80, (d[1] & 31) + 32, 256, 0, (d[2] & 7) + 1, splash_x, splash_y, 0},
    };
    auto any = [](int want, int got) { return want == kAny ? kAny : got; };
    for (int kind = 0; kind < EFT_KINDS; ++kind) {
        plat::Srand(1234);
        LIST_NODE* e = New(kind, p, 300, 320, 10);
        ASSERT_NE(e, nullptr) << kind;
        const SP_ANIM* a = SP_Anim(e->sprite);
        const Row& w = rows[kind];
        EXPECT_EQ(std::tuple(any(w.seq, a->seq), a->loop != 0, int(a->running), a->flags, int(a->blend)),
                  std::tuple(w.seq, w.loop != 0, w.running, w.flags, w.blend))
            << "kind " << kind;
        EXPECT_EQ(std::tuple(int(a->scale_x), int(a->scale_y), any(w.offset, a->pattern_offset), int(e->speed)),
                  std::tuple(w.scale, w.scale, w.offset, w.speed))
            << "kind " << kind;
        EXPECT_EQ(std::tuple(any(w.vx, e->vx), any(w.vy, e->vy), e->ground_flag), std::tuple(w.vx, w.vy, w.ground))
            << "kind " << kind;
        const EFT_DATA& f = *e->eft;
        if (kind == 14) {  // a value and then its sign, each component
            EXPECT_EQ(std::tuple(int(f.variant), int(f.vspeed), std::abs(e->vx), std::abs(e->vy)),
                      std::tuple(d[0] % 5, d[1] % 15 + 1, d[3] % 65535, d[5] % 65535));
        }
        if (kind == 15) {
            EXPECT_EQ(f.vspeed, (d[1] & 7) + 1);
        }
        if (kind == 18) {
            EXPECT_EQ(std::tuple(int(f.variant), int(f.age_limit)), std::tuple(d[0] % 10 + 1, d[1] % 15 + 3));
        }
        if (kind == 25) {
            EXPECT_EQ(f.fall, d[2] % 129 + 64);
        }
        BTL_DeleteNonCharObjects();
    }
}

}  // namespace
