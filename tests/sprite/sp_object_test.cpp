// Display objects: creation defaults of each kind, replacement, refusals, setters by kind, widths.
#include "tests/sprite/sprite_fixture.h"

using namespace spritetest;

namespace {
class DisplayObjects : public SpriteTest {
protected:
    int set = -1, image = -1;
    void SetUp() override {
        SpriteTest::SetUp();
        image = IMG_Create(640, 480, 0);
        Solid("sheet", 16, 16, 1);
        support::SprFile f;
        f.images = {"sheet"};
        f.patterns = {support::OnePart(0, 0, 4, 4), support::OnePart(0, 0, 2, 2)};
        f.patterns[1].parts.push_back(f.patterns[1].parts[0]);
        set = LoadSet("set", f);
        ASSERT_GE(set, 0);
    }
};

TEST_F(DisplayObjects, EachKindStartsWithItsDefaults) {
    ASSERT_EQ(SP_CreateStill(3, -7, 10, 20, image, nullptr), 1);
    const SP_STILL* s = SP_Still(3);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->src, (RECT{0, 0, 640, 480}));
    EXPECT_EQ(s->width, 640);
    EXPECT_EQ(s->height, 480);
    EXPECT_EQ(s->priority, -7);
    EXPECT_EQ(s->visible, 1);
    EXPECT_EQ(s->saved_visible, -1);
    EXPECT_EQ(s->owner, SP_NO_OWNER);
    EXPECT_EQ(s->scale_x, 256);
    EXPECT_EQ(s->scale_y, 256);
    const RECT part{5, 6, 15, 26};
    ASSERT_EQ(SP_CreateStill(4, 0, 0, 0, image, &part), 1);
    EXPECT_EQ(SP_Still(4)->width, 10);
    EXPECT_EQ(SP_Still(4)->height, 20);

    ASSERT_EQ(SP_CreateAnim(5, 2, 30, 40, set, 1), 1);
    const SP_ANIM* a = SP_Anim(5);
    EXPECT_EQ(a->pattern, 1);
    EXPECT_EQ(a->saved_running, -1);
    EXPECT_EQ(a->running, 0);
    EXPECT_EQ(a->owner, SP_NO_OWNER);
    EXPECT_EQ(SP_GetPartCount(5), 2);
    SP_TABLE[5]->x = 1;
    static_cast<SP_ANIM*>(SP_TABLE[5])->pattern_offset = 255;  // past the set: no parts
    EXPECT_EQ(SP_GetPartCount(5), 0);

    static int drawn_id = -1;
    ASSERT_EQ(SP_CreateCallback(6, 1, [](int id) { drawn_id = id; }), 1);
    EXPECT_EQ(SP_TABLE[6]->owner, 0);
    EXPECT_EQ(SP_TABLE[6]->x, 0);
    EXPECT_EQ(SP_TABLE[6]->y, 0);
    SP_Draw(-1);
    EXPECT_EQ(drawn_id, 6);
    SP_SetOwner(6, 12);
    EXPECT_EQ(SP_TABLE[6]->owner, 12);
}

TEST_F(DisplayObjects, CreatingReplacesTheOccupantUnlessItFails) {
    ASSERT_EQ(SP_CreateStill(9, 0, 1, 2, image, nullptr), 1);
    EXPECT_EQ(SP_CreateAnim(9, 0, 0, 0, set + 1, 0), 0);  // unloaded set
    EXPECT_EQ(SP_CreateStill(9, 0, 0, 0, 200, nullptr), 0);  // free image slot
    EXPECT_NE(SP_Still(9), nullptr);
    EXPECT_EQ(SP_CreateAnim(9, 0, 0, 0, set, 0), 1);
    EXPECT_NE(SP_Anim(9), nullptr);
    EXPECT_EQ(SP_Still(9), nullptr);

    EXPECT_EQ(SP_FindFree(), 0);
    EXPECT_EQ(SP_Free(-1), -1);
    EXPECT_EQ(SP_Free(8), 8);  // free slot: nothing deleted
    EXPECT_EQ(SP_Free(9), -1);
    EXPECT_EQ(SP_TABLE[9], nullptr);
    for (int i = 0; i < SP_OBJECTS; ++i) SP_CreateCallback(i, 0, nullptr);
    EXPECT_EQ(SP_FindFree(), -1);
    SP_Delete(700);
    EXPECT_EQ(SP_FindFree(), 700);

    SP_SetDrawOffset(5, 6);
    SP_Reset();
    EXPECT_EQ(SP_FindFree(), 0);
    for (SP_OBJ* o : SP_TABLE) EXPECT_EQ(o, nullptr);
    EXPECT_EQ(SPR_PATTERN_TABLE[set], nullptr);
    EXPECT_EQ(SP_RENDER_TARGET, nullptr);
    EXPECT_EQ(SP_DRAW_OFFSET.x, 0);
    EXPECT_EQ(IMG_TABLE[image].count, 1);  // images belong to their users
}

// Every function refuses ids outside the table; setters refuse kinds that lack their field.
TEST_F(DisplayObjects, SettersAnswerByIdAndKind) {
    SP_CreateAnim(0, 0, 0, 0, set, 0);
    SP_CreateStill(1, 0, 0, 0, image, nullptr);
    SP_CreateCallback(2, 0, nullptr);
    const struct {
        const char* name;
        int (*call)(int id);
        int anim, still, callback;
    } setters[] = {
        {"SetPos", [](int id) { return SP_SetPos(id, 1, 2); }, 1, 1, 1},
        {"SetPriority", [](int id) { return SP_SetPriority(id, 3); }, 1, 1, 1},
        {"SetVisible", [](int id) { return SP_SetVisible(id, 0); }, 1, 1, 1},
        {"SetFlags", [](int id) { return SP_SetFlags(id, 0x40); }, 1, 1, 1},
        {"SetBlend", [](int id) { return SP_SetBlend(id, 9); }, 1, 1, 0},
        {"SetBlendParam", [](int id) { return SP_SetBlendParam(id, 9); }, 1, 1, 0},
        {"SetScale", [](int id) { return SP_SetScale(id, 512, -1); }, 1, 1, 0},
        {"SetPattern", [](int id) { return SP_SetPattern(id, 1); }, 1, 0, 0},
        {"SetStillRect", [](int id) { return SP_SetStillRect(id, 1, 2, 3, 4); }, 0, 1, 0},
        {"PlaySeq", [](int id) { return SP_PlaySeq(id, 0, 0, 1); }, 0, 0, 0},  // set 0 has no sequence
        {"Stop", [](int id) { return SP_Stop(id); }, 1, 0, 0},
        {"Delete", [](int id) { return SP_Delete(id); }, 1, 1, 1},
    };
    for (const auto& s : setters) {
        SCOPED_TRACE(s.name);
        for (int bad : {-1, SP_OBJECTS, 5, 100000}) EXPECT_EQ(s.call(bad), 0) << bad;
        EXPECT_EQ(s.call(0), s.anim);
        EXPECT_EQ(s.call(1), s.still);
        EXPECT_EQ(s.call(2), s.callback);
        if (std::string(s.name) == "Delete") break;
        if (std::string(s.name) == "SetScale") {
            EXPECT_EQ(SP_Anim(0)->scale_x, 512);
            EXPECT_EQ(SP_Anim(0)->scale_y, 256);  // a negative value keeps the field
        }
    }
    for (int bad : {-1, SP_OBJECTS}) {
        EXPECT_EQ(SP_CreateCallback(bad, 0, nullptr), 0);
        EXPECT_EQ(SP_CreateStill(bad, 0, 0, 0, image, nullptr), 0);
        EXPECT_EQ(SP_CreateAnim(bad, 0, 0, 0, set, 0), 0);
        EXPECT_EQ(SP_GetPartCount(bad), -1);
        EXPECT_EQ(SP_IsPlaying(bad), 0);
        SP_SetOwner(bad, 1);
        SP_SetGroundClip(bad, 1);
    }
}

TEST_F(DisplayObjects, FieldsKeepTheirWidths) {
    SP_CreateStill(0, 40000, 0, 0, image, nullptr);
    SP_SetPos(0, 70000, -40000);
    const SP_STILL* s = SP_Still(0);
    EXPECT_EQ(s->x, 70000 - 65536);
    EXPECT_EQ(s->y, -40000 + 65536);
    EXPECT_EQ(s->priority, 40000 - 65536);
    SP_SetStillRect(0, 0, 0, 70000, 3);
    EXPECT_EQ(s->width, 70000 - 65536);
    EXPECT_EQ(s->src.right, 70000);
    SP_SetBlend(0, 0x1FF05);
    EXPECT_EQ(s->blend, 0xFF05);
}
}  // namespace
