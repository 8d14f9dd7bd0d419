// Stepping: sequences with waits, loops and auto delete, the pattern-range modes, and the push and
// pop of visibility and running state around snapshots; layer fades on the clock.
#include "platform/headless/headless.h"
#include "tests/sprite/sprite_fixture.h"

using namespace spritetest;

namespace {
class Stepping : public SpriteTest {
protected:
    int set = -1;
    void SetUp() override {
        SpriteTest::SetUp();
        Solid("sheet", 16, 16, 1);
        support::SprFile f;
        f.images = {"sheet"};
        for (int p = 0; p < 8; ++p) f.patterns.push_back(support::OnePart(0, 0, 2, 2));
        f.patterns[3].wait = 1;  // range modes hold pattern 3 one tick longer
        f.seqs[0] = {{5, 0}, {6, 2}, {7, 1}};
        f.seqs[1] = {{1, 0}, {2, 0}};
        set = LoadSet("set", f);
        ASSERT_GE(set, 0);
        ASSERT_EQ(SP_CreateAnim(0, 0, 0, 0, set, 0), 1);
    }
    SP_ANIM* obj() { return SP_Anim(0); }
    // The pattern shown after each of n ticks ('x' once deleted), as a string of digits.
    std::string Run(int n) {
        std::string out;
        for (int i = 0; i < n; ++i) {
            SP_Update();
            out += SP_Anim(0) ? char('0' + SP_Anim(0)->pattern) : 'x';
        }
        return out;
    }
};

TEST_F(Stepping, ASequenceShowsEachStepForItsWaitAndStopsOnTheLast) {
    ASSERT_EQ(SP_PlaySeq(0, 0, 0, 1), 1);
    EXPECT_EQ(obj()->pattern, 5);
    // Step 0 (wait 0) shows for 2 ticks with the restart's extra tick, step 1 for 3, step 2 for 2.
    EXPECT_EQ("5" + Run(8), "556667777");
    EXPECT_EQ(obj()->running, 0);
    EXPECT_EQ(obj()->step, 2);
    EXPECT_EQ(obj()->seq, 0);
    EXPECT_EQ(obj()->mode, 0);
    EXPECT_EQ(SP_IsPlaying(0), 0);
}

TEST_F(Stepping, ALoopReturnsToStepZeroAtTheSeventhTick) {
    SP_PlaySeq(0, 0, 1, 1);
    EXPECT_EQ(Run(9), "566677566");
    EXPECT_EQ(SP_IsPlaying(0), 1);
}

TEST_F(Stepping, AutoDeleteRemovesTheObjectWhenTheSequenceEnds) {
    SP_PlaySeq(0, 0, 0, 1);
    obj()->auto_delete = 1;
    EXPECT_EQ(Run(8), "566677xx");
}

TEST_F(Stepping, StartingAndChoosingSteps) {
    SP_PlaySeq(0, 0, 1, 1);
    Run(3);  // on step 1
    // A new sequence without restart goes on from the current step index and wait.
    ASSERT_EQ(SP_PlaySeq(0, 1, 1, 0), 1);
    EXPECT_EQ(obj()->step, 1);
    EXPECT_EQ(Run(3), "612");
    EXPECT_EQ(SP_PlaySeq(0, 2, 0, 1), 0);  // no steps: refused
    EXPECT_EQ(SP_PlaySeq(0, 128, 0, 1), 0);
    EXPECT_EQ(obj()->seq, 1);
    // Choosing a step shows its pattern and stops, keeping the step and sequence fields.
    ASSERT_EQ(SP_SetSeqStep(0, 0, 2), 1);
    EXPECT_EQ(obj()->pattern, 7);
    EXPECT_EQ(obj()->running, 0);
    EXPECT_EQ(obj()->seq, 1);
    EXPECT_EQ(SP_SetSeqStep(0, 0, 3), 0);
    ASSERT_EQ(SP_Stop(0), 1);
    EXPECT_EQ(obj()->pattern, 7);  // a stopped object keeps its frame
    EXPECT_EQ(Run(2), "77");
}

// Ranges: first pattern in step, last in loop, direction in seq; each pattern's own wait.
TEST_F(Stepping, PatternRangesBounceWrapAndStop) {
    const struct {
        int mode, first, last, dir, start;
        const char* shown;
        int end_mode, end_dir;
    } cases[] = {
        {0, 1, 5, 1, 1, "2334xx", 0, 0},     // stops on the pattern before the range's end
        {0, 1, 6, -1, 5, "4432xx", 0, 0},    // downward: the wait is read one pattern below
        {1, 1, 5, 1, 3, "454432x", 0, 0},    // bounces once, then runs as mode 0
        {2, 1, 4, 1, 3, "4123341", 2, 1},    // wraps to the first pattern
        {2, 1, 4, -1, 2, "1443214", 2, -1},  // and downward to the last
        {3, 2, 4, 1, 3, "4432334", 3, -1},   // bounces for ever
        {0, 0, 0, 0, 0, "xxxx", 0, 0},       // an idle object made to run stops at once
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode << " dir " << c.dir);
        SP_ANIM* o = obj();
        o->running = 1;
        o->mode = uint8_t(c.mode);
        o->step = uint16_t(c.first);
        o->loop = uint16_t(c.last);
        o->seq = int16_t(c.dir);
        o->pattern = uint16_t(c.start);
        o->wait = 0;
        std::string shown;
        for (char ch : std::string(c.shown)) {
            SP_Update();
            shown += obj()->running ? char('0' + obj()->pattern) : 'x';
            (void)ch;
        }
        EXPECT_EQ(shown, c.shown);
        if (obj()->running) {
            EXPECT_EQ(obj()->mode, c.end_mode);
            EXPECT_EQ(obj()->seq, c.end_dir);
        }
        SP_Stop(0);
    }
}

TEST_F(Stepping, PushesDoNotNestAndPopsRestoreOnlyWhatWasSaved) {
    SP_CreateAnim(1, 0, 0, 0, set, 0);
    SP_CreateStill(2, 0, 0, 0, SPR_SET_TABLE[set].image_ids[0], nullptr);
    SP_SetVisible(1, 0);
    SP_PushVisibleAll(0);
    SP_PushVisibleAll(0);
    SP_PopVisibleAll();
    for (int id : {0, 1, 2}) EXPECT_EQ(SP_TABLE[id]->visible, 0) << id;

    SP_SetVisible(0, 1);
    SP_SetVisible(2, 1);
    SP_PlaySeq(0, 1, 1, 1);
    SP_PushVisibleAll(0);
    SP_PushRunningAll(0);
    SP_CreateStill(3, 0, 0, 0, SPR_SET_TABLE[set].image_ids[0], nullptr);  // made after the push
    SP_SetVisible(3, 0);
    EXPECT_EQ(Run(3), "111");  // frozen
    SP_PopAll();
    EXPECT_EQ(SP_TABLE[0]->visible, 1);
    EXPECT_EQ(SP_TABLE[1]->visible, 0);
    EXPECT_EQ(SP_TABLE[2]->visible, 1);
    EXPECT_EQ(SP_TABLE[3]->visible, 0);  // left as it was
    EXPECT_EQ(obj()->running, 1);
    EXPECT_EQ(SP_Anim(1)->running, 0);
    EXPECT_EQ(obj()->saved_running, -1);
    EXPECT_EQ(SP_TABLE[0]->saved_visible, -1);
    // Running every object starts idle ones, which stop themselves at their next tick.
    SP_PushRunningAll(1);
    SP_Update();
    EXPECT_EQ(SP_Anim(1)->running, 0);
    EXPECT_EQ(SP_Anim(1)->pattern, 0);
}

TEST_F(Stepping, RenderingIntoAnImageHidesAndFreezesUntilThePop) {
    const int image = IMG_Create(32, 32, 0);
    SP_PlaySeq(0, 1, 1, 1);
    SP_CreateAnim(1, 0, 0, 0, set, 0);
    SP_SetVisible(1, 0);
    support::SetPixel(IMG_TABLE[image].surface, 20, 20, 0x7FFF);  // cleared before drawing
    static DDSurface* target_seen = nullptr;
    SP_RenderToImage(image, 0, [] {
        target_seen = *SP_RENDER_TARGET;
        SP_Draw(-1);
    });
    EXPECT_EQ(target_seen, IMG_TABLE[image].surface);
    EXPECT_EQ(SP_RENDER_TARGET, &DD_DISPLAY.back);
    EXPECT_EQ(support::PixelAt(IMG_TABLE[image].surface, 20, 20), 0);
    EXPECT_EQ(support::PixelAt(IMG_TABLE[image].surface, 1, 1), 1);  // object 0 drawn there
    EXPECT_EQ(SP_TABLE[0]->visible, 0);
    EXPECT_EQ(obj()->running, 0);
    SP_PopAll();
    EXPECT_EQ(SP_TABLE[0]->visible, 1);
    EXPECT_EQ(SP_TABLE[1]->visible, 0);
    EXPECT_EQ(obj()->running, 1);
    SP_RenderToImage(image, 1, nullptr);  // keep: everything shown and running
    EXPECT_EQ(SP_TABLE[1]->visible, 1);
    EXPECT_EQ(SP_Anim(1)->running, 1);
}

TEST_F(Stepping, LayerFadesFollowTheClock) {
    SP_LAYER& l = SP_LAYER_TABLE[0];
    const struct {
        int mode;
        uint32_t elapsed;
        int level;
    } cases[] = {{0, 0, 31}, {0, 500, 16}, {0, 2000, 0}, {1, 500, 15}, {1, 2000, 62},
                 {2, 500, 46}, {3, 500, 31}, {3, 1000, 62}};
    for (const auto& c : cases) {
        headless::SetTime(0xFFFFFF00u);  // the difference is taken across the wrap
        l = SP_LAYER{1, uint8_t(c.mode), 0, 0, 128, 1000, 0xFFFFFF00u};
        headless::AdvanceTime(c.elapsed);
        SP_LayerFadeUpdate();
        EXPECT_EQ(SP_Blended(0)->blend, c.level) << c.mode << " " << c.elapsed;
    }
    l.duration = 0;
    SP_Update();
    EXPECT_EQ(SP_Blended(0)->blend, 62);  // mode 3 over no time: at its end
    l = SP_LAYER{};
}
}  // namespace
