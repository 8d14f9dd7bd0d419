// The save-slot information panel: which files a slot reads, the captions with their own
// pictures, empty and short slot files, the caption's two lines and the panel's objects.
#include <gtest/gtest.h>

#include "platform/files.h"
#include "tests/shell/bar_fixture.h"

using namespace bartest;

namespace {
// A 112 x 80 thumbnail file of one colour (24-bit, as the game writes them).
void WriteThumb(const std::string& path, uint8_t r, uint8_t g, uint8_t b) {
    support::Bitmap bmp = support::MakeBitmap(24, 112, 80);
    for (size_t i = 0; i < bmp.pixels.size(); i += 3) bmp.pixels[i] = b, bmp.pixels[i + 1] = g, bmp.pixels[i + 2] = r;
    ASSERT_TRUE(support::WriteBitmap(path, bmp));
}

// The top-left pixel of what the thumbnail part shows.
uint16_t ThumbShown() {
    const SP_STILL* s = SP_Still(THUMB_INFO.thumb.sprite);
    if (!s) return 0xFFFF;
    return support::PixelAt(IMG_Surface(s->image), 10, 10);
}

// "   【ＣＬＥＡＲ】" with full-width lower-case letters.
const char* const kClearLower = "   \x81y\x82\x83\x82\x8c\x82\x85\x82\x81\x82\x92\x81z";
const char* const kClear = "   \x81y\x82" "b\x82k\x82" "d\x82`\x82q\x81z";
const char* const kDevelop = "    \x81y\x95\xba\x8a\xed\x8aJ\x94\xad\x81z";
}  // namespace

class ThumbInfoTest : public BarTest {};

TEST_F(ThumbInfoTest, SlotNinetyEightReadsTheNewestAutomaticSave) {
    ASSERT_TRUE(support::WriteSaveSlot(dir.path(), 98, "auto", "", support::SaveTime(2024, 5, 6)));
    WriteThumb(dir.File("save/ova00.dat"), 248, 0, 0);
    WriteThumb(dir.File("save/ov98.dat"), 0, 248, 0);  // never read: 98 is no regular slot
    EXPECT_STREQ(SAVE_SlotFileName(98), "save\\ova00.sav");
    EXPECT_EQ(THUMB_InfoShow(98, 100, 50), 1);
    EXPECT_EQ(ThumbShown(), spritetest::Rgb(31, 0, 0));
    EXPECT_EQ(THUMB_INFO.shown, 1);
    EXPECT_EQ(SP_Get(THUMB_INFO.thumb.sprite)->x, 105);
    EXPECT_EQ(SP_Get(THUMB_INFO.thumb.sprite)->y, 78);
    EXPECT_EQ(SP_Get(THUMB_INFO.panel.sprite)->x, 100);
    EXPECT_EQ(SP_Get(THUMB_INFO.text.sprite)->priority, -2);
    for (const BAR_PARTS* p : {&THUMB_INFO.panel, &THUMB_INFO.text, &THUMB_INFO.thumb})
        EXPECT_EQ(SP_Get(p->sprite)->visible, 1);
    THUMB_InfoHide();
    for (const BAR_PARTS* p : {&THUMB_INFO.panel, &THUMB_INFO.text, &THUMB_INFO.thumb})
        EXPECT_EQ(SP_Get(p->sprite)->visible, 0);
    EXPECT_EQ(THUMB_INFO.shown, 0);
}

TEST_F(ThumbInfoTest, TheClearAndDevelopmentCaptionsReplaceTheSlotsOwnThumbnail) {
    const struct {
        const char* caption;
        uint16_t shown;
    } cases[] = {{kClear, support::kThumbClear}, {kClearLower, support::kThumbClear},
                 {kDevelop, support::kThumbDevelop}, {"   clear", spritetest::Rgb(0, 0, 31)}};
    for (const auto& c : cases) {
        ASSERT_TRUE(support::WriteSaveSlot(dir.path(), 3, "ch", c.caption, support::SaveTime(2024, 1, 1)));
        WriteThumb(dir.File("save/ov03.dat"), 0, 0, 248);
        EXPECT_EQ(THUMB_InfoShow(3, 0, 0), 1);
        EXPECT_EQ(ThumbShown(), c.shown) << c.caption;
    }
}

TEST_F(ThumbInfoTest, AnEmptySlotReturnsZeroAndShowsTheDefaultThumbnail) {
    EXPECT_EQ(THUMB_InfoShow(12, 352, 20), 0);
    EXPECT_EQ(ThumbShown(), support::kThumbDefault);
    EXPECT_EQ(THUMB_INFO.shown, 1);
    EXPECT_EQ(SP_Get(THUMB_INFO.panel.sprite)->visible, 1);
    // A slot file shorter than a record is an empty slot, however much of the head it holds.
    std::vector<uint8_t> record = support::SaveRecord("chapter", "caption", support::SaveTime(2024, 2, 3));
    record.resize(SAVE_RECORD_SIZE - 1);
    ASSERT_TRUE(support::WriteBytes(dir.File("save/ov12.sav"), record));
    headless::ClearDebugOutput();
    EXPECT_EQ(THUMB_InfoShow(12, 352, 20), 0);
    EXPECT_EQ(SAVE_SlotExists(12), 0);
    const std::vector<std::string>& debug = headless::DebugOutput();
    EXPECT_NE(std::find(debug.begin(), debug.end(), "save\\ov12.sav: 9119 bytes, not a whole save record: an empty slot"),
              debug.end());
    record.resize(SAVE_RECORD_SIZE + 5);  // longer than a record: the head counts
    ASSERT_TRUE(support::WriteBytes(dir.File("save/ov12.sav"), record));
    EXPECT_EQ(THUMB_InfoShow(12, 352, 20), 1);
    EXPECT_EQ(SAVE_SlotExists(12), 1);
}

// A save killed after it set the slot's picture aside ("ovNN.old", "ovaNN.old") and before it
// replaced the record leaves the record's temporary file: the slot's first read, by display or
// storage number, puts the picture back, and the panel shows it at its first show. Killed after
// the record went in, the picture aside is the old save's: it goes, and the default one shows, or
// the new save's own where it has one (a temporary file beside it never puts the old one over it).
// A read that cannot tell whether the temporary file is there leaves the picture aside for the next.
TEST_F(ThumbInfoTest, APictureAKilledSaveLeftAsideIsBackAtTheSlotsFirstRead) {
    const struct {
        int32_t slot;      // display slot 0..107, or storage slot 110..119
        bool panel;        // read by the panel, else by SAVE_ReadInfo
        const char* stem;  // the slot's files
        bool replaced;     // the killed save had put its record in
        bool pictured = false;       // and its picture, beside a temporary file an earlier save left
        const char* fail = nullptr;  // a call that fails at a read before
    } cases[] = {
        {5, true, "save/ov05", false},    {101, true, "save/ova03", false}, {5, false, "save/ov05", false},
        {110, false, "save/ova00", false}, {119, false, "save/ova09", false}, {5, true, "save/ov05", true},
        {113, false, "save/ova03", true},  {5, true, "save/ov05", true, true}, {101, true, "save/ova03", true, true},
        {5, true, "save/ov05", false, false, "ListFolder"}, {110, false, "save/ova00", false, false, "OpenTemp"},
    };
    for (const auto& c : cases) {
        const std::string at = std::to_string(c.slot) + (c.panel ? " panel" : " read") + (c.replaced ? ", replaced" : "") +
                               (c.pictured ? ", pictured" : "") + (c.fail ? std::string(", ") + c.fail : "");
        std::filesystem::remove_all(dir.File("save"));
        std::filesystem::create_directories(dir.File("save"));
        const int32_t display = c.slot >= SAVE_STORAGE_AUTO ? c.slot - (SAVE_STORAGE_AUTO - SAVE_AUTO_FIRST) : c.slot;
        const std::vector<uint8_t> record = support::SaveRecord("new", "", support::SaveTime(2024, 2, 2));
        ASSERT_TRUE(support::WriteSaveSlot(dir.path(), display, "old", "", support::SaveTime(2024, 1, 1))) << at;
        WriteThumb(dir.File(std::string(c.stem) + ".old"), 0, 248, 0);
        if (!c.replaced || c.pictured) {
            plat::File killed;  // a new record written, never renamed
            ASSERT_TRUE(killed.Open(FIL_MakePath("%s", SAVE_SlotFileName(c.slot)), plat::File::Mode::CreateAlways)) << at;
            ASSERT_EQ(killed.Write(record.data(), record.size()), record.size()) << at;
            ASSERT_TRUE(killed.Flush()) << at;
            killed.Leave();
        }
        if (c.replaced) {
            ASSERT_TRUE(support::WriteBytes(dir.File(std::string(c.stem) + ".sav"), record)) << at;
        }
        if (c.pictured) WriteThumb(dir.File(std::string(c.stem) + ".dat"), 0, 0, 248);
        const uint16_t own = c.pictured ? spritetest::Rgb(0, 0, 31) : c.replaced ? support::kThumbDefault : spritetest::Rgb(0, 31, 0);
        for (const bool failing : {true, false}) {
            if (failing && !c.fail) continue;
            if (failing) headless::FailCall(c.fail);
            if (c.panel) {
                EXPECT_EQ(THUMB_InfoShow(c.slot, 0, 0), 1) << at;
                EXPECT_EQ(ThumbShown(), failing ? support::kThumbDefault : own) << at;
            } else {
                SAVE_INFO info;
                EXPECT_EQ(SAVE_ReadInfo(c.slot, &info), 1) << at;
                EXPECT_STREQ(info.chapter, c.replaced ? "new" : "old") << at;
            }
            EXPECT_EQ(headless::FailuresLeft(c.fail ? c.fail : ""), 0) << at;
            EXPECT_EQ(std::filesystem::exists(dir.File(std::string(c.stem) + ".dat")), !failing && (!c.replaced || c.pictured)) << at;
            EXPECT_EQ(std::filesystem::exists(dir.File(std::string(c.stem) + ".old")), failing) << at;
        }
    }
}

TEST_F(ThumbInfoTest, TheHintsFollowTheQuickPanelsKeyboardFlag) {
    auto text = [] { return support::ReadSurface(IMG_Surface(THUMB_INFO.text_image)); };
    THUMB_InfoShow(40, 0, 0);
    const std::vector<uint16_t> mouse = text();
    QSAVE_DATA.keyboard = 1;
    THUMB_InfoShow(40, 0, 0);
    EXPECT_NE(text(), mouse);
    QSAVE_DATA.keyboard = 0;
    THUMB_InfoShow(40, 0, 0);
    EXPECT_EQ(text(), mouse);
}

TEST(ThumbInfo, CaptionLinesTakeSixteenBytesOrSeventeenForAClosingTwoByteCharacter) {
    const struct {
        std::string caption, first, second;
    } cases[] = {
        {std::string(40, 'a'), std::string(16, 'a'), std::string(16, 'a')},
        {std::string(15, 'b') + "\x82\xa0" + "cd", std::string(15, 'b') + "\x82\xa0", "cd"},
        {"\x82\xa0\x82\xa1", "\x82\xa0\x82\xa1", ""},
        {"", "", ""},
        {std::string(15, 'e') + "\x82", std::string(15, 'e') + "\x82", ""},  // a lead byte at the very end
    };
    for (const auto& c : cases) {
        char line[18];
        int32_t pos = 0;
        THUMB_CaptionLine(c.caption.c_str(), &pos, line);
        EXPECT_EQ(std::string(line), c.first);
        THUMB_CaptionLine(c.caption.c_str(), &pos, line);
        EXPECT_EQ(std::string(line), c.second);
    }
}

TEST(SaveSlot, TheHeadStopsAtItsFieldsEnds) {
    std::vector<uint8_t> r(SAVE_RECORD_SIZE, 'x');  // no terminator anywhere
    SAVE_INFO info;
    ASSERT_EQ(SAVE_ParseInfo(r.data(), r.size(), &info), 1);
    EXPECT_EQ(std::string(info.chapter), std::string(48, 'x'));
    EXPECT_EQ(std::string(info.caption), std::string(26, 'x'));
    EXPECT_EQ(info.time.year, 0x7878);
    EXPECT_EQ(SAVE_ParseInfo(r.data(), r.size() - 1, &info), 0);
    EXPECT_STREQ(info.chapter, "");
}
