// Animation sets: what a ".spr" file holds after loading, images from its own folder and shared
// by stem, damaged files refused with nothing kept, and the part-rectangle corrections.
#include <filesystem>

#include "display/lz_codec.h"
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
    static SprFile TwoImages() {
        SprFile f;
        f.images = {"body", "arm"};
        f.patterns = {support::OnePart(0, 0, 8, 8, 0), {}};
        f.patterns[0].parts.push_back(SprPart{1, RECT{-4, -4, 0, 0}, RECT{2, 2, 6, 6}, 0x41});
        f.patterns[0].hit[0] = RECT{-5, -6, 7, 8};
        f.patterns[1].hit[15] = RECT{1, 2, 3, 4};
        f.seqs[0] = {{1, 4}, {0, 0}};
        f.seqs[127] = {{0, 9}};
        return f;
    }
    static int UsedSlots() {
        int n = 0;
        for (const IMG_SLOT& s : IMG_TABLE) n += s.count;
        return n;
    }
};

TEST_F(AnimationSet, LoadsFromItsOwnFolderSharesImagesAndFreesThem) {
    std::filesystem::create_directories(dir.File("chars/more"));
    for (const char* name : {"chars/body", "chars/arm", "chars/hand", "chars/more/leg"}) Solid(name, 8, 8, 1);
    SprFile f = TwoImages();
    const int a = LoadSet("chars/a", f), b = LoadSet("chars/b", f);
    ASSERT_EQ(a, 0);
    ASSERT_EQ(b, 1);
    const SPR_PATTERN& p = SPR_PATTERN_TABLE[a][0];
    EXPECT_EQ(p.parts[1].image, SPR_SET_TABLE[a].image_ids[1]);  // the file's index became the image id
    EXPECT_EQ(p.parts[1].src, (RECT{2, 2, 6, 6}));
    EXPECT_EQ(p.parts[1].flags, 0x41);
    EXPECT_EQ(p.hit[0], (RECT{-5, -6, 7, 8}));
    EXPECT_EQ(SPR_PATTERN_TABLE[a][1].parts, nullptr);  // no parts, still its hit boxes
    EXPECT_EQ(SPR_PATTERN_TABLE[a][1].hit[15], (RECT{1, 2, 3, 4}));
    EXPECT_EQ(SPR_SEQ_TABLE[a][127].steps[0].wait, 9);
    EXPECT_EQ(SPR_SEQ_TABLE[a][5].steps, nullptr);
    EXPECT_EQ(IMG_TABLE[SPR_SET_TABLE[a].image_ids[0]].count, 2);  // shared with set b
    EXPECT_EQ(SPR_Load(a, dir.File("chars/a.spr").c_str(), 0), 0);  // the set is taken
    // A name holding a separator moves the folder of the names after it.
    f.images = {"more\\leg", "leg", "hand"};
    const int c = LoadSet("chars/c", f);
    EXPECT_NE(SPR_SET_TABLE[c].image_ids[1], SPR_NO_IMAGE);
    EXPECT_EQ(SPR_SET_TABLE[c].image_ids[2], SPR_NO_IMAGE);  // chars/more/hand does not exist
    for (int s : {a, b, c, c}) SPR_FreeSet(s);  // freeing a free set does nothing
    EXPECT_EQ(SPR_PATTERN_TABLE[a], nullptr);
    EXPECT_EQ(SPR_SEQ_TABLE[a][0].steps, nullptr);
    EXPECT_EQ(UsedSlots(), 0);  // the missing image was never released
}

TEST_F(AnimationSet, DamagedFilesAreRefusedWithNothingKept) {
    Solid("body", 8, 8, 1);
    Solid("arm", 8, 8, 1);
    const std::vector<uint8_t> good = support::SprStream(TwoImages());
    auto cut = [&](size_t n) { return support::SprBytesOfStream({good.begin(), good.begin() + long(n)}); };
    auto edit = [](void (*change)(SprFile&)) {
        SprFile f = TwoImages();
        change(f);
        return support::SprBytes(f);
    };
    std::vector<uint8_t> bad_block = support::SprBytes(TwoImages()), wrong_magic = bad_block;
    bad_block[7] = 0xFF;  // token count past the file
    wrong_magic[2] = 'X';
    const std::vector<uint8_t> cases[] = {
        {}, {'S', 'P'}, wrong_magic, {'S', 'P', 'R'}, bad_block,
        cut(7), cut(15), cut(60), cut(150), cut(good.size() - 3),  // names, head, parts, boxes, sequences
        edit([](SprFile& f) { f.images.assign(33, "body"); }),
        edit([](SprFile& f) { f.patterns[0].parts[1].image = 2; }),
        edit([](SprFile& f) { f.seqs[127][0].pattern = 2; }),
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        headless::ClearDebugOutput();
        ASSERT_TRUE(support::WriteBytes(dir.File("bad.spr"), cases[i]));
        EXPECT_EQ(SPR_Load(0, dir.File("bad.spr").c_str(), 0), 0);
        EXPECT_EQ(SPR_PATTERN_TABLE[0], nullptr);
        EXPECT_EQ(UsedSlots(), 0);
        EXPECT_TRUE(i < 2 || !headless::DebugOutput().empty());
    }
    EXPECT_EQ(SPR_Load(0, dir.File("missing.spr").c_str(), 0), 0);
    ASSERT_TRUE(support::WriteBytes(dir.File("bad.spr"), support::SprBytes(TwoImages())));
    EXPECT_EQ(SPR_Load(0, dir.File("bad.spr").c_str(), 0), 1);
}

// A block whose tokens stop before the size it declares unpacks into zeros: here the tail of
// empty sequences, which loads the same every time (the sanitizer build fills fresh memory).
TEST_F(AnimationSet, AShortTokenStreamUnpacksIntoZeros) {
    Solid("body", 8, 8, 1);
    Solid("arm", 8, 8, 1);
    SprFile f = TwoImages();
    f.seqs[127].clear();
    const std::vector<uint8_t> stream = support::SprStream(f);
    const size_t kept = stream.size() - 127 * 2;  // up to the steps of sequence 0
    std::vector<uint8_t> block;
    LZ_Encode(stream.data(), static_cast<uint32_t>(kept), block);
    const uint32_t declared = static_cast<uint32_t>(stream.size());
    for (int i = 0; i < 4; ++i) block[size_t(i)] = static_cast<uint8_t>(declared >> (8 * i));  // the size it declares
    block.insert(block.begin(), {'S', 'P', 'R'});
    ASSERT_TRUE(support::WriteBytes(dir.File("short.spr"), block));
    for (int round = 0; round < 3; ++round) {
        ASSERT_EQ(SPR_Load(0, dir.File("short.spr").c_str(), 0), 1) << round;
        EXPECT_EQ(SPR_SEQ_TABLE[0][0].step_count, 2);
        for (int q = 1; q < 128; ++q) ASSERT_EQ(SPR_SEQ_TABLE[0][q].steps, nullptr) << q;
        SPR_FreeSet(0);
    }
}

// Only "btst" and "face" files with a number that has rules are corrected; rules from the data
// file follow the built-in ones of their number and see the source those left.
TEST_F(AnimationSet, PartRectanglesAreCorrectedByFileNumber) {
    Solid("sheet", 8, 8, 1);
    SprFile f;
    f.images = {"sheet"};
    f.patterns.emplace_back();
    f.patterns[0].parts = {SprPart{0, RECT{1, 2, 3, 4}, RECT{0, 8, 184, 480}, 0},       // number 1
                           SprPart{0, RECT{5, 6, 7, 8}, RECT{248, 392, 312, 456}, 0},   // number 1, source only
                           SprPart{0, RECT{1, 1, 2, 2}, RECT{8, 0, 288, 480}, 0},       // number 21
                           SprPart{0, RECT{0, 0, 4, 4}, RECT{0, 0, 4, 4}, 0}};          // number 7, from the file
    ASSERT_TRUE(support::WriteBytes(dir.File("rules.txt"), {'7', ' ', '0', ' ', '0', ' ', '4', ' ', '4', ' ', '1',
                                                            ' ', '1', ' ', '5', ' ', '5', ' ', '-', '2', ' ', '-',
                                                            '2', ' ', '2', ' ', '2'}));
    EXPECT_EQ(SPR_LoadCorrections(dir.File("rules.txt").c_str()), 1);
    const std::string more = "# number, match, source, destination\n"
                             "7 1 1 5 5\n"                    // too few numbers: skipped
                             "3 1 2 3 4 5 6 7 99999999999\n"  // past 32 bits: skipped
                             "21, 0,0,402,480, 9,9,9,9\n";
    headless::ClearDebugOutput();
    SPR_ParseCorrections(more.data(), more.size());
    EXPECT_EQ(headless::DebugOutput().front(), "part corrections: line 2 is not a rule");
    const struct {
        const char* name;
        RECT src[4], dest[4];
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
}  // namespace
