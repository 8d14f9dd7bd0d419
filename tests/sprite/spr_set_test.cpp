// Animation sets: what a ".spr" file holds after loading, images from its own folder and shared
// by stem, damaged files refused with nothing kept, and the part-rectangle corrections.
#include <filesystem>

#include "platform/headless/headless.h"
#include "sprite/spr_fix.h"
#include "tests/sprite/sprite_fixture.h"

using namespace spritetest;
using support::SprFile;
using support::SprPart;

namespace {
class AnimationSet : public SpriteTest {
protected:
    void TearDown() override {
        SPR_ClearCorrections();
        SpriteTest::TearDown();
    }
    // Two images, a pattern of two parts, an empty pattern, and two sequences.
    SprFile TwoImages() {
        SprFile f;
        f.images = {"body", "arm"};
        f.patterns.push_back(support::OnePart(0, 0, 8, 8, 0));
        f.patterns[0].parts.push_back(SprPart{1, RECT{-4, -4, 0, 0}, RECT{2, 2, 6, 6}, 0x41});
        f.patterns[0].wait = 3;
        f.patterns[0].flip = 1;
        f.patterns[0].hit[0] = RECT{-5, -6, 7, 8};
        f.patterns.emplace_back();
        f.patterns[1].hit[15] = RECT{1, 2, 3, 4};
        f.seqs[0] = {{1, 4}, {0, 0}};
        f.seqs[127] = {{0, 9}};
        return f;
    }
    void Pictures() {
        Solid("body", 8, 8, Rgb(31, 0, 0));
        Solid("arm", 8, 8, Rgb(0, 31, 0));
    }
    int UsedSlots() {
        int n = 0;
        for (const IMG_SLOT& s : IMG_TABLE) n += s.count;
        return n;
    }
};

TEST_F(AnimationSet, LoadsImagesPatternsHitBoxesAndSequences) {
    Pictures();
    const int set = LoadSet("hero", TwoImages());
    ASSERT_EQ(set, 0);
    const SPR_SET& head = SPR_SET_TABLE[set];
    ASSERT_EQ(head.image_count, 2);
    EXPECT_STREQ(IMG_TABLE[head.image_ids[0]].stem, "body");
    EXPECT_STREQ(IMG_TABLE[head.image_ids[1]].stem, "arm");
    ASSERT_EQ(head.pattern_count, 2);
    const SPR_PATTERN& p = SPR_PATTERN_TABLE[set][0];
    EXPECT_EQ(p.part_count, 2);
    EXPECT_EQ(p.wait, 3);
    EXPECT_EQ(p.flip, 1);
    EXPECT_EQ(p.hit[0], (RECT{-5, -6, 7, 8}));
    EXPECT_EQ(p.parts[1].image, head.image_ids[1]);  // the file's index became the image id
    EXPECT_EQ(p.parts[1].dest, (RECT{-4, -4, 0, 0}));
    EXPECT_EQ(p.parts[1].src, (RECT{2, 2, 6, 6}));
    EXPECT_EQ(p.parts[1].flags, 0x41);
    // A pattern without parts still has its hit boxes; a sequence without steps has no array.
    EXPECT_EQ(SPR_PATTERN_TABLE[set][1].parts, nullptr);
    EXPECT_EQ(SPR_PATTERN_TABLE[set][1].hit[15], (RECT{1, 2, 3, 4}));
    ASSERT_EQ(SPR_SEQ_TABLE[set][0].step_count, 2);
    EXPECT_EQ(SPR_SEQ_TABLE[set][0].steps[0].pattern, 1);
    EXPECT_EQ(SPR_SEQ_TABLE[set][0].steps[0].wait, 4);
    EXPECT_EQ(SPR_SEQ_TABLE[set][127].steps[0].wait, 9);
    EXPECT_EQ(SPR_SEQ_TABLE[set][5].steps, nullptr);
    EXPECT_EQ(SPR_FindFreeSet(), 1);
    EXPECT_EQ(SPR_Load(set, dir.File("hero.spr").c_str(), 0), 0);  // the set is taken

    SPR_FreeSet(set);
    EXPECT_EQ(SPR_PATTERN_TABLE[set], nullptr);
    EXPECT_EQ(SPR_SEQ_TABLE[set][0].steps, nullptr);
    EXPECT_EQ(SPR_SET_TABLE[set].image_count, 0);
    EXPECT_EQ(UsedSlots(), 0);
    SPR_FreeSet(set);  // a free set: nothing happens
}

TEST_F(AnimationSet, ImagesComeFromTheFilesOwnFolderAndAreShared) {
    std::filesystem::create_directories(dir.File("chars/more"));
    Solid("chars/body", 8, 8, 1);
    Solid("chars/arm", 8, 8, 1);
    Solid("chars/more/leg", 4, 4, 1);
    Solid("chars/hand", 4, 4, 1);
    SprFile f = TwoImages();
    const int a = LoadSet("chars/a", f);
    const int b = LoadSet("chars/b", f);
    ASSERT_GE(a, 0);
    ASSERT_GE(b, 0);
    EXPECT_EQ(SPR_SET_TABLE[a].image_ids[0], SPR_SET_TABLE[b].image_ids[0]);
    EXPECT_EQ(IMG_TABLE[SPR_SET_TABLE[a].image_ids[0]].count, 2);
    // A name holding a separator moves the folder of the names after it.
    f.images = {"more\\leg", "leg", "hand"};
    const int c = LoadSet("chars/c", f);
    ASSERT_GE(c, 0);
    EXPECT_NE(SPR_SET_TABLE[c].image_ids[0], SPR_NO_IMAGE);
    EXPECT_NE(SPR_SET_TABLE[c].image_ids[1], SPR_NO_IMAGE);
    EXPECT_EQ(SPR_SET_TABLE[c].image_ids[2], SPR_NO_IMAGE);  // chars/more/hand does not exist
    SPR_FreeSet(a);
    SPR_FreeSet(b);
    SPR_FreeSet(c);
    EXPECT_EQ(UsedSlots(), 0);  // the missing image was never released
}

TEST_F(AnimationSet, DamagedFilesAreRefusedWithNothingKept) {
    Pictures();
    const std::vector<uint8_t> good = support::SprStream(TwoImages());
    auto cut = [&](size_t n) { return support::SprBytesOfStream({good.begin(), good.begin() + long(n)}); };
    auto edit = [&](auto change) {
        SprFile f = TwoImages();
        change(f);
        return support::SprBytes(f);
    };
    std::vector<uint8_t> no_block{'S', 'P', 'R'}, bad_block = support::SprBytes(TwoImages());
    bad_block[7] = 0xFF;  // token count past the file
    std::vector<uint8_t> wrong_magic = support::SprBytes(TwoImages());
    wrong_magic[2] = 'X';
    const struct {
        const char* what;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {"empty", {}},
        {"magic only in part", {'S', 'P'}},
        {"wrong magic", wrong_magic},
        {"no block", no_block},
        {"block that does not unpack", bad_block},
        {"cut in the image names", cut(7)},
        {"cut in a pattern head", cut(15)},
        {"cut in the parts", cut(60)},
        {"cut in the hit boxes", cut(150)},
        {"cut in the sequences", cut(good.size() - 3)},
        {"33 images", edit([](SprFile& f) { f.images.assign(33, "body"); })},
        {"part image past the list", edit([](SprFile& f) { f.patterns[0].parts[1].image = 2; })},
        {"step pattern past the list", edit([](SprFile& f) { f.seqs[127][0].pattern = 2; })},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        headless::ClearDebugOutput();
        ASSERT_TRUE(support::WriteBytes(dir.File("bad.spr"), c.bytes));
        EXPECT_EQ(SPR_Load(0, dir.File("bad.spr").c_str(), 0), 0);
        EXPECT_EQ(SPR_PATTERN_TABLE[0], nullptr);
        EXPECT_EQ(SPR_SET_TABLE[0].image_count, 0);
        EXPECT_EQ(UsedSlots(), 0);
        if (c.bytes.size() >= 7 && c.bytes[2] == 'R') {
            EXPECT_FALSE(headless::DebugOutput().empty());
        }
    }
    EXPECT_EQ(SPR_Load(0, dir.File("missing.spr").c_str(), 0), 0);
    EXPECT_EQ(SPR_Load(0, dir.File("bad.spr").c_str(), 0), 0);
    ASSERT_TRUE(support::WriteBytes(dir.File("bad.spr"), support::SprBytes(TwoImages())));
    EXPECT_EQ(SPR_Load(0, dir.File("bad.spr").c_str(), 0), 1);  // the same file whole loads
}

// Only "btst" and "face" files with a number that has rules are corrected; file rules follow the
// built-in ones of their number.
TEST_F(AnimationSet, PartRectanglesAreCorrectedByFileNumber) {
    Solid("sheet", 8, 8, 1);
    SprFile f;
    f.images = {"sheet"};
    f.patterns.emplace_back();
    auto& parts = f.patterns[0].parts;
    parts.push_back(SprPart{0, RECT{1, 2, 3, 4}, RECT{0, 8, 184, 480}, 0});      // number 1, with destination
    parts.push_back(SprPart{0, RECT{5, 6, 7, 8}, RECT{248, 392, 312, 456}, 0});  // number 1, source only
    parts.push_back(SprPart{0, RECT{1, 1, 2, 2}, RECT{8, 0, 288, 480}, 0});      // number 21
    parts.push_back(SprPart{0, RECT{0, 0, 4, 4}, RECT{0, 0, 4, 4}, 0});          // number 7 from the file
    const std::string rules = "# number, match, source, destination\n"
                         "7  0 0 4 4   1 1 5 5   -2 -2 2 2\n"
                         "7 1 1 5 5\n"  // malformed: skipped
                         "21, 0,0,402,480, 9,9,9,9\n";
    SPR_ParseCorrections(rules.data(), rules.size());
    const struct {
        const char* name;
        RECT src[4];
        RECT dest[4];
    } cases[] = {
        {"btst_01", {{0, 8, 220, 480}, {320, 8, 384, 72}, {8, 0, 288, 480}, {0, 0, 4, 4}},
         {{-100, -472, 120, 0}, {5, 6, 7, 8}, {1, 1, 2, 2}, {0, 0, 4, 4}}},
        {"face_21", {{0, 8, 184, 480}, {248, 392, 312, 456}, {9, 9, 9, 9}, {0, 0, 4, 4}},
         {{1, 2, 3, 4}, {5, 6, 7, 8}, {-201, -480, 201, 0}, {0, 0, 4, 4}}},
        {"face_07", {{0, 8, 184, 480}, {248, 392, 312, 456}, {8, 0, 288, 480}, {1, 1, 5, 5}},
         {{1, 2, 3, 4}, {5, 6, 7, 8}, {1, 1, 2, 2}, {-2, -2, 2, 2}}},
        {"face_16", {{0, 8, 184, 480}, {248, 392, 312, 456}, {8, 0, 288, 480}, {0, 0, 4, 4}},
         {{1, 2, 3, 4}, {5, 6, 7, 8}, {1, 1, 2, 2}, {0, 0, 4, 4}}},
        {"hero_01", {{0, 8, 184, 480}, {248, 392, 312, 456}, {8, 0, 288, 480}, {0, 0, 4, 4}},
         {{1, 2, 3, 4}, {5, 6, 7, 8}, {1, 1, 2, 2}, {0, 0, 4, 4}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const int set = LoadSet(c.name, f);
        ASSERT_GE(set, 0);
        for (int k = 0; k < 4; ++k) {
            EXPECT_EQ(SPR_PATTERN_TABLE[set][0].parts[k].src, c.src[k]) << "part " << k;
            EXPECT_EQ(SPR_PATTERN_TABLE[set][0].parts[k].dest, c.dest[k]) << "part " << k;
        }
        SPR_FreeSet(set);
    }
}

TEST_F(AnimationSet, TheRulesFileIsReadFromDiskAndBounded) {
    const std::string rules = dir.File("rules.txt");
    ASSERT_TRUE(support::WriteBytes(rules, std::vector<uint8_t>{'3', ' ', '1', ' ', '2', ' ', '3', ' ', '4', ' ',
                                                                 '5', ' ', '6', ' ', '7', ' ', '8'}));
    EXPECT_EQ(SPR_LoadCorrections(rules.c_str()), 1);
    SPR_PART part{};
    part.src = RECT{1, 2, 3, 4};
    SPR_ApplyCorrections(3, &part);
    EXPECT_EQ(part.src, (RECT{5, 6, 7, 8}));
    EXPECT_EQ(SPR_LoadCorrections(dir.File("none.txt").c_str()), 0);
    // Values past 32 bits and too many numbers are not rules.
    headless::ClearDebugOutput();
    const char text[] = "3 1 2 3 4 5 6 7 99999999999\n3 1 2 3 4 5 6 7 8 1 2 3 4 5\n";
    SPR_ParseCorrections(text, sizeof text - 1);
    const auto& out = headless::DebugOutput();
    ASSERT_EQ(out.size(), 4u);  // each line and its line end
    EXPECT_EQ(out[0], "part corrections: line 1 is not a rule");
    EXPECT_EQ(out[2], "part corrections: line 2 is not a rule");
}
}  // namespace
