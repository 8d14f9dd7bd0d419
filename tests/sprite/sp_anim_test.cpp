// Stepping: sequences with waits, loops and auto delete, the pattern-range modes, and the push and
// pop of visibility and running state around snapshots.
#include <set>

#include "platform/random.h"
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
        f.patterns.assign(8, support::OnePart(0, 0, 2, 2));
        f.patterns[3].wait = 1;  // range modes hold pattern 3 one tick longer
        f.seqs[0] = {{5, 0}, {6, 2}, {7, 1}};
        f.seqs[1] = {{1, 0}, {2, 0}};
        set = LoadSet("set", f);
        ASSERT_EQ(SP_CreateAnim(0, 0, 0, 0, set, 0), 1);
    }
    SP_ANIM* obj() { return SP_Anim(0); }
    // The pattern after each of n ticks: a digit, '.' once stopped, 'x' once deleted.
    std::string Run(int n) {
        std::string out;
        for (int i = 0; i < n; ++i) {
            SP_Update();
            out += !obj() ? 'x' : obj()->running ? char('0' + obj()->pattern) : '.';
        }
        return out;
    }
};

// Waits 0, 2, 1 with restart: steps shown 2, 3 and 2 ticks (the first frame one tick longer).
TEST_F(Stepping, SequencesShowEachStepForItsWaitThenStopLoopOrDelete) {
    const struct {
        int loop, auto_delete;
        const char* shown;
    } cases[] = {{0, 0, "5566677..."}, {1, 0, "5566677566"}, {0, 1, "5566677xxx"}};
    for (const auto& c : cases) {
        SP_CreateAnim(0, 0, 0, 0, set, 0);
        ASSERT_EQ(SP_PlaySeq(0, 0, c.loop, 1), 1);
        obj()->auto_delete = uint8_t(c.auto_delete);
        const std::string first(1, char('0' + obj()->pattern));
        EXPECT_EQ(first + Run(9), c.shown);
    }
    SP_CreateAnim(0, 0, 0, 0, set, 0);
    SP_PlaySeq(0, 0, 0, 1);
    Run(7);
    EXPECT_EQ(obj()->step, 2);  // stopped on the last step
    EXPECT_EQ(obj()->seq, 0);
    EXPECT_EQ(obj()->pattern, 7);
}

TEST_F(Stepping, StartingAndChoosingSteps) {
    SP_PlaySeq(0, 0, 1, 1);
    Run(3);  // on step 1, one tick of its wait left
    ASSERT_EQ(SP_PlaySeq(0, 1, 1, 0), 1);  // without restart: same step index and wait
    EXPECT_EQ(Run(3), "612");
    EXPECT_EQ(SP_PlaySeq(0, 2, 0, 1), 0);  // no steps
    EXPECT_EQ(SP_PlaySeq(0, 128, 0, 1), 0);
    ASSERT_EQ(SP_SetSeqStep(0, 0, 2), 1);  // shows the step and stops, fields kept
    EXPECT_EQ(obj()->pattern * 10 + obj()->seq, 71);
    EXPECT_EQ(SP_IsPlaying(0), 0);
    EXPECT_EQ(SP_SetSeqStep(0, 0, 3), 0);
}

// Ranges: first pattern in step, last in loop, direction in seq; each pattern's own wait.
TEST_F(Stepping, PatternRangesBounceWrapAndStop) {
    const struct {
        int mode, first, last, dir, start;
        const char* shown;
    } cases[] = {
        {0, 1, 5, 1, 1, "2334.."},    // stops on the pattern before the range's end
        {0, 1, 6, -1, 5, "4432.."},   // downward the wait is read one pattern below
        {1, 1, 5, 1, 3, "454432."},   // bounces once, then runs as mode 0
        {2, 1, 4, 1, 3, "4123341"},   // wraps to the first pattern
        {2, 1, 4, -1, 2, "1443214"},  // and downward to the last
        {3, 2, 4, 1, 3, "4432334"},   // bounces for ever
        {0, 0, 0, 0, 0, "...."},      // an idle object made to run stops at once
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode << " dir " << c.dir);
        *obj() = SP_ANIM{*obj()};
        SP_ANIM* o = obj();
        o->running = 1;
        o->mode = uint8_t(c.mode);
        o->step = uint16_t(c.first);
        o->loop = uint16_t(c.last);
        o->seq = int16_t(c.dir);
        o->pattern = uint16_t(c.start);
        o->wait = 0;
        EXPECT_EQ(Run(int(std::string(c.shown).size())), c.shown);
        SP_Stop(0);
    }
}

// Starting a range puts the object on the end it leaves from, for that end's wait.
TEST_F(Stepping, RangesStartFromTheEndTheyLeave) {
    const struct {
        int first, last, dir, mode;
        int start, wait;
        const char* shown;
    } cases[] = {
        {1, 5, 1, 0, 1, 0, "2334.."},   // the same run as a range set up by hand
        {2, 6, -1, 0, 6, 0, "5443.."},  // downward from the last pattern
        {3, 5, 1, 2, 3, 1, "345334"},   // pattern 3's own wait holds it a tick longer
        {1, 4, -1, 3, 4, 1, "43212334"},  // downward the wait is read one pattern below
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.first << ".." << c.last << " dir " << c.dir << " mode " << c.mode);
        ASSERT_EQ(SP_PlayRange(0, c.first, c.last, c.dir, c.mode), 1);
        EXPECT_EQ(obj()->pattern, c.start);
        EXPECT_EQ(obj()->wait, c.wait);
        EXPECT_EQ(Run(int(std::string(c.shown).size())), c.shown);
        SP_Stop(0);
    }
    // The auto-delete flag is stored as set or not, whatever its value; a range then deletes.
    ASSERT_EQ(SP_SetAutoDelete(0, 0x100), 1);
    EXPECT_EQ(obj()->auto_delete, 1);
    SP_PlayRange(0, 4, 6, 1, 0);
    EXPECT_EQ(Run(3), "5xx");
    // Only animated objects take these.
    SP_CreateStill(1, 0, 0, 0, SPR_SET_TABLE[set].image_ids[0], nullptr);
    for (int id : {0, 1, -1, SP_OBJECTS})
        EXPECT_EQ(SP_PlayRange(id, 0, 1, 1, 0) + SP_SetAnimMode(id, 2) + SP_SetAutoDelete(id, 1) + SP_RandomSeqStep(id), 0);
    SP_CreateAnim(0, 0, 0, 0, set, 0);
    ASSERT_EQ(SP_SetAnimMode(0, 3), 1);
    EXPECT_EQ(obj()->mode, 3);
}

// A random step of the object's own sequence, from the shared generator; 0 for an empty sequence.
TEST_F(Stepping, RandomStepsStayWithinTheSequence) {
    plat::Srand(5);
    SP_PlaySeq(0, 0, 1, 1);
    std::set<int> seen;
    for (int i = 0; i < 60; ++i) {
        ASSERT_EQ(SP_RandomSeqStep(0), 1);
        seen.insert(obj()->step);
    }
    EXPECT_EQ(seen, (std::set<int>{0, 1, 2}));
    plat::Srand(5);
    const int first = plat::Rand() % 3;
    plat::Srand(5);
    SP_RandomSeqStep(0);
    EXPECT_EQ(obj()->step, first);
    obj()->seq = 2;  // no steps
    SP_RandomSeqStep(0);
    EXPECT_EQ(obj()->step, 0);
}

TEST_F(Stepping, PushesDoNotNestAndPopsRestoreOnlyWhatWasSaved) {
    SP_CreateAnim(1, 0, 0, 0, set, 0);
    SP_SetVisible(1, 0);
    SP_PushVisibleAll(0);
    SP_PushVisibleAll(0);
    SP_PopVisibleAll();
    EXPECT_EQ(SP_TABLE[0]->visible + SP_TABLE[1]->visible, 0);  // every object hidden

    SP_SetVisible(0, 1);
    SP_PlaySeq(0, 1, 1, 1);
    const int image = IMG_Create(32, 32, 0);
    support::SetPixel(IMG_TABLE[image].surface, 20, 20, 0x7FFF);  // cleared before drawing
    SP_RenderToImage(image, 0, [] { SP_Draw(-1); });
    EXPECT_EQ(SP_RENDER_TARGET, &DD_DISPLAY.back);
    EXPECT_EQ(support::PixelAt(IMG_TABLE[image].surface, 20, 20), 0);
    EXPECT_EQ(support::PixelAt(IMG_TABLE[image].surface, 1, 1), 1);  // object 0 drawn there
    SP_CreateStill(2, 0, 0, 0, image, nullptr);  // made after the push
    SP_SetVisible(2, 0);
    EXPECT_EQ(SP_TABLE[0]->visible, 0);
    EXPECT_EQ(Run(3), "...");  // frozen
    SP_PopAll();
    EXPECT_EQ(SP_TABLE[0]->visible * 100 + SP_TABLE[1]->visible * 10 + SP_TABLE[2]->visible, 100);
    EXPECT_EQ(obj()->running, 1);
    EXPECT_EQ(SP_Anim(1)->running, 0);
    EXPECT_EQ(obj()->saved_running, -1);
    // Running every object starts idle ones, which stop themselves at their next tick.
    SP_RenderToImage(image, 1, nullptr);
    EXPECT_EQ(SP_TABLE[1]->visible, 1);
    SP_Update();
    EXPECT_EQ(SP_Anim(1)->running, 0);
}
}  // namespace
