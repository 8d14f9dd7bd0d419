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
    }
};

TEST_F(DisplayObjects, CreationDefaultsReplacementAndReset) {
    ASSERT_EQ(SP_CreateStill(9, -7, 10, 20, image, nullptr), 1);
    const SP_STILL* s = SP_Still(9);
    EXPECT_EQ(s->src, (RECT{0, 0, 640, 480}));
    EXPECT_EQ(s->width * 1000 + s->height, 640480);
    EXPECT_EQ(s->visible * 100 + s->saved_visible, 99);
    EXPECT_EQ(s->scale_x + s->scale_y, 512);
    EXPECT_EQ(s->owner, SP_NO_OWNER);
    // Failed creations keep the occupant; a successful one replaces it whatever its kind.
    EXPECT_EQ(SP_CreateAnim(9, 0, 0, 0, set + 1, 0), 0);
    EXPECT_EQ(SP_CreateStill(9, 0, 0, 0, 200, nullptr), 0);
    EXPECT_NE(SP_Still(9), nullptr);
    ASSERT_EQ(SP_CreateAnim(9, 2, 30, 40, set, 1), 1);
    EXPECT_EQ(SP_Still(9), nullptr);
    EXPECT_EQ(SP_Anim(9)->saved_running, -1);
    EXPECT_EQ(SP_GetPartCount(9), 2);
    SP_Anim(9)->pattern_offset = 255;  // past the set
    EXPECT_EQ(SP_GetPartCount(9), 0);
    ASSERT_EQ(SP_CreateCallback(3, 1, nullptr), 1);
    EXPECT_EQ(SP_TABLE[3]->owner * 100 + SP_TABLE[3]->x + SP_TABLE[3]->y, 0);  // owner 0, not -999

    EXPECT_EQ(SP_FindFree(), 0);
    EXPECT_EQ(SP_Count(), 2);
    EXPECT_EQ(SP_Free(-1), -1);
    EXPECT_EQ(SP_Free(8), 8);  // free slot: nothing deleted
    EXPECT_EQ(SP_Free2(9), -1);
    int handles[] = {3, -1, 8, 1023};
    SP_CreateAnim(1023, 0, 0, 0, set, 0);
    SP_FreeArray(handles, 4);  // each handle stored back: freed ones become -1
    EXPECT_EQ(std::vector<int>(handles, handles + 4), (std::vector<int>{-1, -1, 8, -1}));
    EXPECT_EQ(SP_Count(), 0);
    for (int i = 0; i < SP_OBJECTS; ++i) SP_CreateCallback(i, 0, nullptr);
    EXPECT_EQ(SP_FindFree(), -1);
    SP_Delete(700);
    EXPECT_EQ(SP_FindFree(), 700);
    SP_SetDrawOffset(5, 6);
    SP_Reset();
    EXPECT_EQ(SP_FindFree(), 0);
    EXPECT_EQ(SPR_PATTERN_TABLE[set], nullptr);
    EXPECT_EQ(SP_RENDER_TARGET, nullptr);
    EXPECT_EQ(SP_DRAW_OFFSET.x, 0);
    EXPECT_EQ(IMG_TABLE[image].count, 1);  // images belong to their users
}

// A still object takes another image and its source, or the image's whole surface.
TEST_F(DisplayObjects, StillObjectsChangeTheirImage) {
    const int small = IMG_Create(32, 16, 0);
    ASSERT_EQ(SP_CreateStill(4, 0, 0, 0, image, nullptr), 1);
    SP_SetScale(4, 128, 128);
    ASSERT_EQ(SP_SetStillImage(4, small, nullptr), 1);
    const SP_STILL* s = SP_Still(4);
    EXPECT_EQ(s->image, small);
    EXPECT_EQ(s->src, (RECT{0, 0, 32, 16}));
    EXPECT_EQ(s->width * 100 + s->height, 3216);
    EXPECT_EQ(s->scale_x, 128);  // only the picture changes
    const RECT part{4, 2, 14, 7};
    ASSERT_EQ(SP_SetStillImage(4, image, &part), 1);
    EXPECT_EQ(s->src, part);
    EXPECT_EQ(s->width * 100 + s->height, 1005);
    // An image slot not in use is refused and the object keeps its picture.
    for (int bad : {-1, 200, IMG_SLOTS}) EXPECT_EQ(SP_SetStillImage(4, bad, nullptr), 0) << bad;
    EXPECT_EQ(s->image, image);
    SP_CreateAnim(5, 0, 0, 0, set, 0);
    EXPECT_EQ(SP_SetStillImage(5, small, nullptr) + SP_SetStillImage(6, small, nullptr), 0);
}

// Every function refuses ids outside the table; setters refuse kinds that lack their field.
TEST_F(DisplayObjects, SettersAnswerByIdAndKindAndKeepFieldWidths) {
    SP_CreateAnim(0, 0, 0, 0, set, 0);
    SP_CreateStill(1, 0, 0, 0, image, nullptr);
    SP_CreateCallback(2, 0, nullptr);
    const struct {
        int (*call)(int id);
        int anim, still, callback;
    } setters[] = {
        {[](int id) { return SP_SetPos(id, 70000, -40000); }, 1, 1, 1},
        {[](int id) { return SP_SetPriority(id, 40000); }, 1, 1, 1},
        {[](int id) { return SP_SetVisible(id, 0); }, 1, 1, 1},
        {[](int id) { return SP_SetFlags(id, 0x40); }, 1, 1, 1},
        {[](int id) { return SP_SetBlend(id, 0x1FF05); }, 1, 1, 0},
        {[](int id) { return SP_SetBlendParam(id, 9); }, 1, 1, 0},
        {[](int id) { return SP_SetScale(id, 512, -1); }, 1, 1, 0},
        {[](int id) { return SP_SetPattern(id, 1); }, 1, 0, 0},
        {[](int id) { return SP_SetStillRect(id, 0, 0, 70000, 3); }, 0, 1, 0},
        {[](int id) { return SP_Stop(id); }, 1, 0, 0},
        {[](int id) { return SP_SetLayer(id, 3); }, 1, 1, 1},
        {[](int id) { return SP_IsUsed(id); }, 1, 1, 1},
        // The twins answer as the setters they stand for.
        {[](int id) { return SP_SetPos2(id, 70000, -40000); }, 1, 1, 1},
        {[](int id) { return SP_SetVisible2(id, 1) + SP_SetVisible3(id, 0); }, 2, 2, 2},
        {[](int id) { return SP_SetFlags2(id, 0x40); }, 1, 1, 1},
        {[](int id) { return SP_SetBlend2(id, 0x1FF05) + SP_SetBlendParam2(id, 9); }, 2, 2, 0},
        {[](int id) { return SP_SetScale2(id, 512, -1); }, 1, 1, 0},
    };
    for (size_t i = 0; i < std::size(setters); ++i) {
        SCOPED_TRACE(i);
        for (int bad : {-1, SP_OBJECTS, 5}) EXPECT_EQ(setters[i].call(bad), 0) << bad;
        EXPECT_EQ(setters[i].call(0), setters[i].anim);
        EXPECT_EQ(setters[i].call(1), setters[i].still);
        EXPECT_EQ(setters[i].call(2), setters[i].callback);
    }
    const SP_STILL* s = SP_Still(1);
    EXPECT_EQ(s->x, 70000 - 65536);  // 16-bit fields wrap
    EXPECT_EQ(s->y, -40000 + 65536);
    EXPECT_EQ(s->priority, 40000 - 65536);
    EXPECT_EQ(s->width, 70000 - 65536);
    EXPECT_EQ(s->src.right, 70000);
    EXPECT_EQ(s->blend, 0xFF05);
    EXPECT_EQ(s->scale_x * 1000 + s->scale_y, 512256);  // a negative value keeps its field
    for (int bad : {-1, SP_OBJECTS}) {
        EXPECT_EQ(SP_CreateCallback(bad, 0, nullptr) + SP_CreateStill(bad, 0, 0, 0, image, nullptr) +
                      SP_CreateAnim(bad, 0, 0, 0, set, 0) + SP_IsPlaying(bad) + SP_Delete(bad), 0);
        EXPECT_EQ(SP_GetPartCount(bad), -1);
        SP_SetOwner(bad, 1);
        SP_SetGroundClip(bad, 1);
    }
}
}  // namespace
