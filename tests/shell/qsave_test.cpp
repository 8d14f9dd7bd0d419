// The quick panel and the automatic saves: numbering, the newest save, quick save and load
// through the question, refusals, scrolling, the rotation and a kill in the middle of it.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/backend.h"
#include "platform/files.h"
#include "platform/headless/headless.h"
#include "services/inp_device.h"
#include "services/sound/snd_device.h"
#include "services/sound/snd_game.h"
#include "tests/shell/bar_fixture.h"
#include "tests/support/sound_writer.h"

using namespace bartest;

namespace {
std::string AutoName(int n, const char* ext) {
    char name[32];
    std::snprintf(name, sizeof name, "save/ova%02d.%s", n, ext);
    return name;
}

// The chapter name recorded in a slot file, or "-" when the slot holds no whole record.
std::string Chapter(int32_t slot) {
    SAVE_INFO info;
    return SAVE_ReadInfo(slot, &info) ? std::string(info.chapter) : std::string("-");
}

// A screen in a colour of save n's own (n modulo 4096), and its thumbnail: each save gets a
// picture no other save near it has, so that a save shown with another's picture is seen.
void ShowScreenOf(uint32_t n) {
    BLT_FillRect(DD_DISPLAY.back, nullptr, DD_RGB(16 * (n & 15), 16 * ((n >> 4) & 15), 16 * ((n >> 8) & 15)));
    DD_Present();
}
THUMB_IMAGE ScreenFor(uint32_t n) {
    ShowScreenOf(n);
    THUMB_Make();
    return THUMB_HELD;
}

// Runs `save` in a child process that kills itself just before its `step`-th file step: true when
// the kill came, false when the save ended first (the steps are all taken).
bool KilledAt(int step, const std::function<void()>& save) {
    const pid_t pid = fork();
    if (pid == 0) {
        headless::KillAtFileStep(step);
        save();
        _exit(0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}

// What a child with failing file calls did: what fn returned (0..15), the failures of `calls` no
// call took, and whether the lock's failure was not taken; all -1 when it did not end by itself.
struct Ran {
    int result = -1, left = -1, lock_left = -1;
};

// Runs `fn` in a child process whose file calls numbered in `calls` (0 the first) fail, and the
// lock of a temporary file numbered `lock` (-1 none).
Ran WithFailingCalls(const std::vector<int>& calls, const std::function<int()>& fn, int lock = -1) {
    const pid_t pid = fork();
    if (pid == 0) {
        headless::FailCalls("AnyFileCall", calls);
        if (lock >= 0) headless::FailCall("LockTemp", 1, lock);
        const int result = fn();
        _exit(result | headless::FailuresLeft("AnyFileCall") << 4 | headless::FailuresLeft("LockTemp") << 6);
    }
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return {};
    return {WEXITSTATUS(status) & 15, (WEXITSTATUS(status) >> 4) & 3, WEXITSTATUS(status) >> 6};
}

}  // namespace

class QsaveTest : public BarTest {
protected:
    // Regular save `chapter` in slot 5 with its own picture.
    void SlotFiveHolds(uint32_t chapter) {
        ASSERT_TRUE(support::WriteSaveSlot(dir.path(), 5, std::to_string(chapter), "", support::SaveTime(2024, 1, 1)));
        ASSERT_TRUE(support::WriteBytes(dir.File("save/ov05.dat"), ScreenFor(chapter)));
    }
    // From a save of slot 5 that did not finish (save `kept`'s picture aside beside the record's
    // temporary file): the slot's next read with one failing call at each of its calls, then its
    // next save, `next`, with two failing calls at each pair of its calls, near or far apart, then
    // a read without failures. A save not made leaves `kept` with its picture; one made shows
    // `next` with its own picture, or with none when it says so; nothing stays aside. Adds to the
    // runs and to those that break that rule; the folder is left as it was.
    void ReadThenSaveFailing(uint32_t kept, uint32_t next, std::map<uint32_t, THUMB_IMAGE>& pictures, int* runs,
                             int* broken) {
        const std::string save = dir.File("save"), unfinished = dir.File("unfinished");
        std::filesystem::remove_all(unfinished);
        std::filesystem::copy(save, unfinished);
        const auto restore = [&] {
            std::filesystem::remove_all(save);
            std::filesystem::copy(unfinished, save);
        };
        // The save's calls from the state the read left: the pairs walked until the second is past its last.
        for (int read = 0, read_left = 0; read_left == 0; ++read) {
            for (int first = 0, first_left = 0; first_left < 2; ++first) {
                for (int second = first + 1;; ++second) {
                    restore();
                    read_left = WithFailingCalls({read}, [] {
                        SAVE_INFO info;
                        return SAVE_ReadInfo(5, &info);
                    }).left;
                    const auto [result, left, lock_left] = WithFailingCalls({first, second}, [&] {
                        SAVE_SetInfo(std::to_string(next).c_str(), "");
                        THUMB_HELD = pictures[next];
                        return SAVE_WriteSlot(5);
                    });
                    first_left = left;
                    if (left > 0) break;  // past the save's last call
                    ++*runs;
                    const bool made = result != SAVE_WRITE_FAILED;
                    SAVE_INFO info;
                    const uint32_t chapter = SAVE_ReadInfo(5, &info) ? uint32_t(std::stoul(info.chapter)) : 0;
                    const std::string thumb = dir.File("save/ov05.dat");
                    const THUMB_IMAGE shown = std::filesystem::exists(thumb) ? support::ReadBytes(thumb) : THUMB_IMAGE{};
                    const THUMB_IMAGE want = !made ? pictures[kept] : result == SAVE_WRITE_DONE ? pictures[next] : THUMB_IMAGE{};
                    if (chapter == (made ? next : kept) && shown == want && !std::filesystem::exists(dir.File("save/ov05.old")))
                        continue;
                    ++*broken;
                    ADD_FAILURE() << "read failing at call " << read + 1 << ", save at calls " << first + 1 << " and "
                                  << second + 1 << ": the save " << (made ? "made" : "not made") << " leaves save " << chapter
                                  << (shown == pictures[kept] ? " with the kept save's picture"
                                      : shown == pictures[next] ? " with the new save's picture"
                                      : shown.empty()           ? " with no picture"
                                                                : " with another picture");
                }
            }
        }
        restore();
        std::filesystem::remove_all(unfinished);
    }
    // Opens the quick panel with the pointer on row `row` and lets it settle.
    void PointRow(int row) {
        Mouse(630, QSAVE_RowY(row) + 5, 0, 0);
        Frames(5);
        ASSERT_EQ(QSAVE_DATA.x, QSAVE_OPEN_X);
        ASSERT_EQ(QSAVE_DATA.row, row);
    }
};

TEST_F(QsaveTest, TheNewestSlotComparesTheTimeFieldByField) {
    using support::SaveTime;
    EXPECT_EQ(QSAVE_FindNewest(), -1);
    const struct {
        SAVE_TIME a, b;  // slots 4 and 9
        int32_t newest;
    } cases[] = {
        {SaveTime(2024, 3, 3, 10, 20, 30), SaveTime(2024, 3, 3, 10, 20, 30), 4},  // the same second: the lower slot
        {SaveTime(2024, 1, 31), SaveTime(2024, 2, 1), 9},
        {SaveTime(2024, 2, 1), SaveTime(2024, 1, 31), 4},
        {SaveTime(2023, 12, 31), SaveTime(2024, 1, 2), 9},  // across the year
        {SaveTime(2024, 1, 2), SaveTime(2023, 12, 31), 4},
        {SaveTime(2024, 5, 5, 23, 59, 59), SaveTime(2024, 5, 6, 0, 0, 0), 9},
        {SaveTime(2024, 5, 5, 10, 0, 1), SaveTime(2024, 5, 5, 9, 59, 59), 4},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(support::WriteSaveSlot(dir.path(), 4, "a", "", c.a));
        ASSERT_TRUE(support::WriteSaveSlot(dir.path(), 9, "b", "", c.b));
        EXPECT_EQ(QSAVE_FindNewest(), c.newest);
        EXPECT_EQ(QSAVE_DATA.newest, c.newest);
    }
    // The automatic saves take no part.
    ASSERT_TRUE(support::WriteSaveSlot(dir.path(), 98, "auto", "", SaveTime(2030, 1, 1)));
    EXPECT_EQ(QSAVE_FindNewest(), 4);
}

TEST_F(QsaveTest, FromFirstRow98TheRowsShowTheAutomaticSavesAndRowOneLoadsStorage110) {
    ASSERT_TRUE(support::WriteSaveSlot(dir.path(), 98, "auto", "", support::SaveTime(2024, 6, 1)));
    QSAVE_DATA.first = 98;
    PointRow(1);
    for (int r = 1; r <= 10; ++r) {
        int32_t x, y;
        QSAVE_SlotRect(98 + r - 1, &x, &y);
        EXPECT_EQ(QSAVE_DATA.rows[r].top, y) << r;
        EXPECT_EQ(QSAVE_DATA.rows[r].left, r == 1 ? x - 24 : x) << r;  // the pointed row is lit
    }
    EXPECT_EQ(THUMB_INFO.shown, 1);  // the slot panel beside the pointed slot
    EXPECT_EQ(SP_Get(THUMB_INFO.panel.sprite)->y, 20);
    SYS_DATA.no_confirm[MSGBOX_QUICK_LOAD - 1] = 1;
    Click(630, QSAVE_RowY(1) + 5, 2);
    EXPECT_EQ(MSGBOX_IsOpen(MSGBOX_KIND_QUICK), MSGBOX_QUICK_LOAD);
    Frame();
    EXPECT_EQ(BAR_LINK.load_slot, 110);
    EXPECT_EQ(BAR_LINK.restart, 1);
    EXPECT_EQ(QSAVE_DATA.x, QSAVE_CLOSED_X);
    EXPECT_EQ(BAR_DATA.lock, 0);
}

TEST_F(QsaveTest, AQuickSaveWritesTheSlotWithTheThumbnailTakenAsThePanelOpened) {
    DD_Present();
    SAVE_SetInfo("chapter one", "caption");
    PointRow(3);
    ASSERT_EQ(THUMB_HELD.size(), size_t(THUMB_FILE_SIZE));
    EXPECT_EQ(SAVE_SlotExists(2), 0);
    Click(630, QSAVE_RowY(3) + 5);
    EXPECT_EQ(MSGBOX_IsOpen(MSGBOX_KIND_QUICK), MSGBOX_QUICK_SAVE);
    // Yes with the keyboard: right puts the focus on No, left on Yes.
    Keys(kLeft, kLeft, kLeft);
    Frame();
    Keys(kDecide, kDecide, kDecide);
    Frame();
    EXPECT_EQ(MSGBOX_IsOpen(MSGBOX_KIND_QUICK), 0);
    EXPECT_EQ(Chapter(2), "chapter one");
    EXPECT_EQ(support::ReadBytes(dir.File("save/ov02.dat")), THUMB_HELD);
    EXPECT_EQ(QSAVE_DATA.newest, 2);
    // The newest mark blinks beside row 3 while the panel stands open.
    Frame();
    const SP_OBJ* mark = SP_Get(QSAVE_DATA.mark.sprite);
    ASSERT_NE(mark, nullptr);
    EXPECT_EQ(mark->visible, 1);
    EXPECT_EQ(mark->y, 36 + 2 * 40);
    EXPECT_GE(mark->x, 585);
    EXPECT_LE(mark->x, 589);
    // Only beside the ten rows: (newest, first row) -> the mark's row, -1 hidden.
    const struct {
        int32_t newest, first, row;
    } marks[] = {{12, 3, 9}, {12, 2, -1}, {12, 12, 0}, {12, 13, -1}, {12, -1, -1}};
    for (const auto& c : marks) {
        QSAVE_SetNewest(c.newest);
        QSAVE_DrawNewestMark(585, 36, 40, 10, c.first);
        EXPECT_EQ(mark->visible, c.row >= 0 ? 1 : 0) << c.first;
        if (c.row >= 0) {
            EXPECT_EQ(mark->y, 36 + 40 * c.row) << c.first;
        }
    }
}

// A quick save is made only when it was written: a failed one is refused with sound 48, says why,
// and leaves the mark beside the save that was the newest.
TEST_F(QsaveTest, AQuickSaveThatWasNotWrittenIsRefusedAndTheMarkStays) {
    std::filesystem::create_directories(dir.File("Wav"));
    ASSERT_EQ(SND_Init(display.window), 1);
    struct SoundOff {
        ~SoundOff() {
            SND_UnloadAll();
            SND_Term();
        }
    } sound_off;
    for (int e : {48, 51})
        ASSERT_TRUE(support::WriteWave(dir.File(std::string("Wav/") + SE_DATA[e].name + ".wav"),
                                       support::MakeWave16(44100, 1, std::vector<int16_t>(4410, 1000))));
    SE_LoadAll();
    SE_SetMute(0);
    SE_SetSysVolume(100);
    DD_Present();
    SYS_DATA.no_confirm[MSGBOX_QUICK_SAVE - 1] = 1;
    const struct {
        const char* fail;  // injected failure, or null
        int sound;
        int32_t newest;
        int times = 1;     // 1000: every call (a lock, on a file system without locks)
        const char* says = "ov02.sav";  // in the debug output after a failure
    } cases[] = {{"WriteFile", 48, 4},
                 {nullptr, 51, 2},
                 {"LockTemp", 48, 4, 1000, "ov02.sav is not written: its temporary file cannot be locked (No locks available)"}};
    for (const auto& c : cases) {
        std::filesystem::remove(dir.File("save/ov02.sav"));
        ASSERT_TRUE(support::WriteSaveSlot(dir.path(), 4, "newest", "", support::SaveTime(2024, 1, 1)));
        ASSERT_EQ(QSAVE_FindNewest(), 4);
        PointRow(3);
        Click(630, QSAVE_RowY(3) + 5);  // asks, and the question answers Yes at its next check
        ASSERT_EQ(MSGBOX_IsOpen(MSGBOX_KIND_QUICK), MSGBOX_QUICK_SAVE);
        for (int e : {48, 51}) SE_Stop(e);
        headless::ClearDebugOutput();
        if (c.fail) headless::FailCall(c.fail, c.times);
        Frame();
        const char* at = c.fail ? c.fail : "none";
        EXPECT_EQ(SE_IsPlaying(c.sound), 1) << at;
        EXPECT_EQ(SE_IsPlaying(c.sound == 48 ? 51 : 48), 0) << at;
        EXPECT_EQ(QSAVE_DATA.newest, c.newest) << at;
        EXPECT_EQ(SAVE_SlotExists(2), c.newest == 2 ? 1 : 0) << at;
        bool said = false;
        for (const std::string& line : headless::DebugOutput()) said |= line.find(c.says) != std::string::npos;
        EXPECT_EQ(said, c.fail != nullptr) << at;
        Frame();
        EXPECT_EQ(SP_Get(QSAVE_DATA.mark.sprite)->y, 36 + 40 * c.newest) << at;
    }
}

// Slot 5 holds save 1 with its picture, and save 2 is written over it. Whatever fails, the slot
// shows its own save's picture or the default one, never the other save's, once it is read, and
// the only temporary file left is the record's that a kill or a failed rename left.
TEST_F(QsaveTest, ASlotNeverShowsAnotherSavesPicture) {
    const THUMB_IMAGE new_picture = ScreenFor(2);
    const THUMB_IMAGE old_picture = ScreenFor(1);
    constexpr int kEvery = 1000;  // a failure at every call of that name
    struct Fail {
        const char* call;  // injected failure, or null
        int after;         // calls of that name that pass first
        int times = 1;
    };
    const struct {
        bool held;          // a thumbnail was captured before the save
        Fail fail, then;
        rlim_t room;        // the largest file the disk takes, 0 any
        int result;
        const char* chapter;
        const THUMB_IMAGE* picture;  // null: no thumbnail file (the default picture)
        bool left_aside = false;     // a killed save left the picture aside, its record never replaced
        int temps = 0;               // temporary files of the record left in the folder
        int saves = 1;               // saves made one after the other, each with that result
    } cases[] = {
        {true, {}, {}, 0, SAVE_WRITE_DONE, "2", &new_picture},
        {false, {}, {}, 0, SAVE_WRITE_DONE, "2", nullptr},                       // before the first capture
        {true, {"WriteFile", 0}, {}, 0, SAVE_WRITE_FAILED, "1", &old_picture},   // no record: the old save stays whole
        {true, {"MoveFile", 0}, {}, 0, SAVE_WRITE_FAILED, "1", &old_picture},    // the old picture cannot be set aside
        {true, {"RenameFile", 0}, {}, 0, SAVE_WRITE_FAILED, "1", &old_picture},  // the record's rename: the picture goes back
        // Neither is the picture set aside nor the record renamed: the picture stays where it was.
        {true, {"MoveFile", 0}, {"RenameFile", 0}, 0, SAVE_WRITE_FAILED, "1", &old_picture},
        // Nor is the picture put back after the record's rename: the slot's read puts it back.
        {true, {"RenameFile", 0}, {"MoveFile", 1}, 0, SAVE_WRITE_FAILED, "1", &old_picture, false, 1},
        {true, {"FlushFolder", 0}, {}, 0, SAVE_WRITE_DONE, "2", &new_picture},   // the rename is made all the same
        {true, {}, {}, 0, SAVE_WRITE_DONE, "2", &new_picture, true},              // the picture goes back first
        // It does not go back: nothing is written, and the killed save's leftover keeps its mark.
        {true, {"MoveFile", 0}, {"RenameFile", 0}, 0, SAVE_WRITE_FAILED, "1", &old_picture, true, 1},
        // Whether it is the kept save's cannot be told: it stays aside, nothing is written.
        {true, {"ListFolder", 0}, {}, 0, SAVE_WRITE_FAILED, "1", &old_picture, true, 1},
        {true, {"OpenTemp", 0}, {"CreateFile", 0}, 0, SAVE_WRITE_FAILED, "1", &old_picture, true, 1},
        {true, {"LockTemp", 0}, {}, 0, SAVE_WRITE_FAILED, "1", &old_picture, true, 1},
        // The leftover cannot be removed: it would mark the picture this save sets aside, which a
        // failed removal would leave there, as the kept save's.
        {true, {"DeleteTemp", 0}, {"DeleteFile", 0}, 0, SAVE_WRITE_FAILED, "1", &old_picture, true, 1},
        {true, {}, {}, 16384, SAVE_WRITE_NO_THUMB, "2", nullptr},                // room for the record only
        // A new temporary file that cannot be locked goes at once, and the write with it: the
        // record's leaves the slot as it was, the thumbnail's the new save without a picture. None
        // stays to mark the picture set aside as the kept save's, after a removal and a thumbnail
        // that fail too, or on a file system without locks.
        {true, {"LockTemp", 0}, {}, 0, SAVE_WRITE_FAILED, "1", &old_picture},
        {true, {"LockTemp", 1}, {}, 0, SAVE_WRITE_NO_THUMB, "2", nullptr},
        {true, {"LockTemp", 0}, {"DeleteFile", 0}, 16384, SAVE_WRITE_FAILED, "1", &old_picture},
        {true, {"LockTemp", 0, kEvery}, {}, 0, SAVE_WRITE_FAILED, "1", &old_picture, false, 0, 3},
    };
    for (const auto& c : cases) {
        const auto named = [](const Fail& f) {
            return std::string(f.call) + " after " + std::to_string(f.after) + (f.times > 1 ? " every time" : "");
        };
        const std::string at = std::string(c.fail.call ? named(c.fail) : "") + (c.then.call ? ", " + named(c.then) : "") +
                               ", room " + std::to_string(c.room) + ", held " + std::to_string(c.held) +
                               (c.left_aside ? ", left aside" : "");
        std::filesystem::remove_all(dir.File("save"));
        SlotFiveHolds(1);
        if (c.left_aside) {
            std::filesystem::rename(dir.File("save/ov05.dat"), dir.File("save/ov05.old"));
            plat::File killed;  // the killed save's record, written and never renamed
            const std::vector<uint8_t> record = support::SaveRecord("killed", "", support::SaveTime(2024, 1, 2));
            ASSERT_TRUE(killed.Open(FIL_MakePath("save\\ov05.sav"), plat::File::Mode::CreateAlways));
            ASSERT_EQ(killed.Write(record.data(), record.size()), record.size());
            ASSERT_TRUE(killed.Flush());
            killed.Leave();
        }
        THUMB_HELD = c.held ? new_picture : THUMB_IMAGE{};
        SAVE_SetInfo("2", "");
        // In a child, so that the limit on the file size and failures not taken stay there.
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            for (const Fail& f : {c.fail, c.then})
                if (f.call) headless::FailCall(f.call, f.times, f.after);
            if (c.room) {
                signal(SIGXFSZ, SIG_IGN);
                const rlimit limit{c.room, c.room};
                setrlimit(RLIMIT_FSIZE, &limit);
            }
            const int result = SAVE_WriteSlot(5);
            for (int n = 1; n < c.saves; ++n)
                if (SAVE_WriteSlot(5) != result) _exit(99);
            _exit(result);
        }
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFEXITED(status)) << at;
        EXPECT_EQ(WEXITSTATUS(status), c.result) << at;
        EXPECT_EQ(Chapter(5), c.chapter) << at;  // read as the panel reads it
        if (c.picture) {
            EXPECT_EQ(support::ReadBytes(dir.File("save/ov05.dat")), *c.picture) << at;
        } else {
            EXPECT_FALSE(std::filesystem::exists(dir.File("save/ov05.dat"))) << at;
        }
        EXPECT_FALSE(std::filesystem::exists(dir.File("save/ov05.old"))) << at;
        int temps = 0;
        for (const auto& e : std::filesystem::directory_iterator(dir.File("save"))) {
            const std::string entry = e.path().filename();
            temps += entry.rfind("ov05.sav.tmp", 0) == 0;
            EXPECT_TRUE(entry.rfind("ov05.sav", 0) == 0 || entry == "ov05.dat") << at << ": " << entry;
        }
        EXPECT_EQ(temps, c.temps) << at;
    }
}

TEST_F(QsaveTest, WithoutARegularSlotFileTheMarkNeverShows) {
    ASSERT_TRUE(support::WriteSaveSlot(dir.path(), 98, "auto", "", support::SaveTime(2024, 6, 1)));
    PointRow(1);
    QSAVE_DATA.first = 98;  // the automatic save is in the list, but takes no part
    Frames(3);
    EXPECT_EQ(QSAVE_DATA.newest, -1);
    EXPECT_EQ(SP_Get(QSAVE_DATA.mark.sprite)->visible, 0);
}

TEST_F(QsaveTest, AnArrowsTooltipShowsOneDrawingAfterTheKeysPointIt) {
    Keys(kRight, kRight, kRight);  // keyboard navigation on the up arrow
    Frame();
    ASSERT_EQ(BAR_DATA.navigation, BAR_NAV_QUICK_KEYS);
    ASSERT_EQ(QSAVE_DATA.row, 0);
    const SP_OBJ* tip = SP_Get(MWND_TIP.sprite);
    EXPECT_EQ(tip->visible, 0);
    Frame();
    EXPECT_GT(QSAVE_DATA.x, QSAVE_OPEN_X);  // still sliding in
    EXPECT_EQ(tip->visible, 1);
    EXPECT_EQ(MWND_TIP.anchor_x, 628);
}

TEST_F(QsaveTest, RefusalsShowTheirNoticesAndAskNothing) {
    // Saves into an automatic slot: (first row, row).
    const struct {
        int32_t first;
        int row;
    } autos[] = {{98, 1}, {97, 2}, {98, 2}};
    for (const auto& c : autos) {
        QSAVE_DATA.first = c.first;
        PointRow(c.row);
        Click(630, QSAVE_RowY(c.row) + 5);
        EXPECT_EQ(MSGBOX_IsOpen(MSGBOX_KIND_QUICK), 0) << c.first << "," << c.row;
        EXPECT_EQ(BAR_NOTICE.counter, BAR_NOTICE_FRAMES - 1) << c.first << "," << c.row;  // shown this frame
        EXPECT_EQ(BAR_NOTICE.priority, 1);
        BAR_NoticeClear();
    }
    Click(630, QSAVE_RowY(2) + 5, 2);  // load an empty slot
    EXPECT_EQ(MSGBOX_IsOpen(MSGBOX_KIND_QUICK), 0);
    EXPECT_EQ(BAR_NOTICE.counter, BAR_NOTICE_FRAMES - 1);  // shown this frame
    // Scrolling past either end stays at the end with a notice; the choice window hears of it.
    BAR_NoticeClear();
    BAR_DATA.choice_shown = 1;
    Click(630, QSAVE_RowY(11) + 5);
    EXPECT_EQ(QSAVE_DATA.first, 98);
    EXPECT_EQ(BAR_NOTICE.counter, BAR_NOTICE_FRAMES - 1);  // shown this frame
    EXPECT_EQ(QSAVE_DATA.choice_code, 1);
    BAR_DATA.choice_shown = 0;
    Click(630, QSAVE_RowY(0) + 5);
    EXPECT_EQ(QSAVE_DATA.first, 97);
    BAR_NoticeClear();
    Click(630, QSAVE_RowY(11) + 5);  // down to the last first row is no refusal
    EXPECT_EQ(QSAVE_DATA.first, 98);
    EXPECT_EQ(BAR_NOTICE.counter, 0);
    QSAVE_DATA.first = 0;
    BAR_NoticeClear();
    Click(630, QSAVE_RowY(0) + 5);
    EXPECT_EQ(QSAVE_DATA.first, 0);
    EXPECT_EQ(BAR_NOTICE.counter, BAR_NOTICE_FRAMES - 1);  // shown this frame
}

TEST_F(QsaveTest, TheWheelScrollsTwoSlotsAndThePinKeepsThePanelOpen) {
    PointRow(5);
    MOUSE_STATE.wheel -= 120;  // towards the player: down
    Frame();
    EXPECT_EQ(QSAVE_DATA.first, 2);
    MOUSE_STATE.wheel += 240;
    Frame();
    EXPECT_EQ(QSAVE_DATA.first, 0);
    MOUSE_STATE.wheel += 120;
    Frame();
    EXPECT_EQ(QSAVE_DATA.first, 0);
    EXPECT_EQ(BAR_NOTICE.counter, BAR_NOTICE_FRAMES - 1);  // shown this frame
    Click(630, QSAVE_RowY(12) + 5);
    EXPECT_EQ(SYS_DATA.quick_pin, 1);
    Mouse(300, 200, 0, 0);
    Frames(6);
    EXPECT_EQ(QSAVE_DATA.x, QSAVE_OPEN_X);
}

TEST_F(QsaveTest, TheRotationMovesEverySaveOnePlaceOlderWithItsThumbnail) {
    for (int n = 0; n < 10; ++n) {
        ASSERT_TRUE(support::WriteSaveSlot(dir.path(), 98 + n, "c" + std::to_string(n), "", support::SaveTime(2024, 1, 1)));
        ASSERT_TRUE(support::WriteBytes(dir.File(AutoName(n, "dat")), std::vector<uint8_t>(3, uint8_t(n))));
    }
    QSAVE_Rotate();
    QSAVE_RotateEnd(1);
    EXPECT_EQ(Chapter(98), "-");
    EXPECT_FALSE(std::filesystem::exists(dir.File(AutoName(0, "dat"))));
    for (int n = 1; n < 10; ++n) {
        EXPECT_EQ(Chapter(98 + n), "c" + std::to_string(n - 1)) << n;
        EXPECT_EQ(support::ReadBytes(dir.File(AutoName(n, "dat"))), std::vector<uint8_t>(3, uint8_t(n - 1))) << n;
    }
    for (const char* ext : {"sav", "dat"}) EXPECT_FALSE(std::filesystem::exists(dir.File(AutoName(10, ext))));  // the oldest is gone
    // A gap moves on as a gap.
    std::filesystem::remove(dir.File(AutoName(4, "sav")));
    QSAVE_Rotate();
    EXPECT_EQ(Chapter(98 + 5), "-");
    EXPECT_EQ(Chapter(98 + 6), "c4");
}

// A save removed by hand leaves its picture where no record is: the next automatic save closes up
// over it, and the picture, no save's, makes way for the save that comes with its own. A move
// never lands on a place still taken: it stops before either file moves, so that a move back that
// would fail too has nothing to put back.
TEST_F(QsaveTest, TheRotationClosesUpOverASaveRemovedByHandAndNeverMovesOntoATakenPlace) {
    std::map<uint32_t, THUMB_IMAGE> pictures;
    for (uint32_t c = 1; c <= 10; ++c) pictures[c] = THUMB_IMAGE(3, uint8_t(c));
    pictures[11] = ScreenFor(11);
    const auto place = [&](int k, uint32_t c, bool picture) {
        ASSERT_TRUE(support::WriteSaveSlot(dir.path(), 98 + k, std::to_string(c), "", support::SaveTime(2024, 1, 1)));
        std::filesystem::remove(dir.File(AutoName(k, "dat")));
        if (picture) {
            ASSERT_TRUE(support::WriteBytes(dir.File(AutoName(k, "dat")), pictures[c]));
        }
    };
    for (int k = 0; k < 10; ++k) place(k, uint32_t(10 - k), true);
    std::filesystem::remove(dir.File(AutoName(4, "sav")));  // save 6, its picture left
    SAVE_SetInfo("11", "");
    ShowScreenOf(11);
    QSAVE_DATA.auto_request = 1;
    QSAVE_AutoSave();
    EXPECT_EQ(QSAVE_DATA.choice_autosave, 1);
    const uint32_t kept[10] = {11, 10, 9, 8, 7, 5, 4, 3, 2, 1};
    for (int k = 0; k < 10; ++k) {
        EXPECT_EQ(Chapter(98 + k), std::to_string(kept[k])) << k;
        EXPECT_EQ(support::ReadBytes(dir.File(AutoName(k, "dat"))), pictures[kept[k]]) << k;
    }
    for (const char* ext : {"sav", "dat"}) EXPECT_FALSE(std::filesystem::exists(dir.File(AutoName(10, ext))));

    // Place 0 holds save 2 without a picture when save 1 would move back onto it: nothing moves, and
    // the move back of save 1's picture, which would fail, is never needed.
    std::filesystem::remove_all(dir.File("save"));
    place(0, 2, false);
    place(1, 1, true);
    headless::FailCall("MoveFile", 1, 2);
    QSAVE_RotateEnd(0);
    EXPECT_EQ(headless::FailuresLeft("MoveFile"), 1);
    EXPECT_EQ(Chapter(98), "2");
    EXPECT_FALSE(std::filesystem::exists(dir.File(AutoName(0, "dat"))));
    EXPECT_EQ(Chapter(99), "1");
    EXPECT_EQ(support::ReadBytes(dir.File(AutoName(1, "dat"))), pictures[1]);
}

TEST_F(QsaveTest, AnAutomaticSaveWaitsForTheBarAndWritesSlotZeroOfTheRotation) {
    DD_Present();
    SAVE_SetInfo("first", "");
    QSAVE_DATA.auto_request = 2;
    QSAVE_DATA.skip_block = 1;
    BAR_DATA.lock = 1;
    QSAVE_AutoSave();
    EXPECT_EQ(Chapter(98), "-");  // locked: it waits
    BAR_DATA.lock = 0;
    BAR_DATA.menus_allowed = 0;
    QSAVE_AutoSave();
    EXPECT_EQ(Chapter(98), "-");  // no menus and no pin: it waits
    SYS_DATA.quick_pin = 1;
    QSAVE_AutoSave();
    EXPECT_EQ(Chapter(98), "first");
    EXPECT_EQ(support::ReadBytes(dir.File(AutoName(0, "dat"))).size(), size_t(THUMB_FILE_SIZE));
    EXPECT_EQ(QSAVE_DATA.auto_request, 0);
    EXPECT_EQ(QSAVE_DATA.skip_block, 0);
    EXPECT_EQ(BAR_NOTICE.priority, 1);  // "saved" with a notice
    SAVE_SetInfo("second", "");
    QSAVE_DATA.auto_request = 1;
    QSAVE_AutoSave();
    EXPECT_EQ(QSAVE_DATA.choice_autosave, 1);  // quietly: the choice window tells of it
    EXPECT_EQ(Chapter(98), "second");
    EXPECT_EQ(Chapter(99), "first");
}

// A save that was not written says nothing and moves no older save: each stays in its place
// with its own picture.
TEST_F(QsaveTest, AFailedAutomaticSaveSaysNothingAndLeavesTheOlderSavesInPlace) {
    std::vector<THUMB_IMAGE> pictures;
    for (uint32_t c = 0; c <= 10; ++c) pictures.push_back(ScreenFor(c));
    // The record is not written, or any one of the rotation's renames fails (each save's record,
    // then its thumbnail, the oldest first).
    std::vector<std::pair<const char*, int>> failures = {{"WriteFile", 0}};
    for (int n = 0; n < 20; ++n) failures.emplace_back("MoveFile", n);
    for (int32_t request : {1, 2}) for (const auto& [call, after] : failures) {
        for (int k = 0; k < 10; ++k) {
            ASSERT_TRUE(support::WriteSaveSlot(dir.path(), 98 + k, std::to_string(10 - k), "", support::SaveTime(2024, 1, 1)));
            ASSERT_TRUE(support::WriteBytes(dir.File(AutoName(k, "dat")), pictures[size_t(10 - k)]));
        }
        QSAVE_DATA.auto_request = request;
        QSAVE_DATA.skip_block = 1;
        headless::FailCall(call, 1, after);
        QSAVE_AutoSave();
        EXPECT_EQ(headless::FailuresLeft(call), 0) << call << after;
        EXPECT_EQ(BAR_NOTICE.counter, 0) << request;
        EXPECT_EQ(QSAVE_DATA.choice_autosave, 0) << request;
        EXPECT_EQ(QSAVE_DATA.auto_request, 0);  // not tried again
        EXPECT_EQ(QSAVE_DATA.skip_block, 0);
        for (int k = 0; k < 10; ++k) {
            EXPECT_EQ(Chapter(98 + k), std::to_string(10 - k)) << request << ", save " << k << ", " << call << after;
            EXPECT_EQ(support::ReadBytes(dir.File(AutoName(k, "dat"))), pictures[size_t(10 - k)]) << request << ", save " << k << ", " << call << after;
        }
        for (const char* ext : {"sav", "dat"}) EXPECT_FALSE(std::filesystem::exists(dir.File(AutoName(10, ext))));
    }
}

// A child process saves without end, each save with a picture of its own, and is killed at some
// moment. Whatever moment, every save left is whole and shows its own picture or none, the
// automatic saves stand newest first, and the last saves completed are there.
TEST_F(QsaveTest, AKillDuringTheRotationLeavesEverySaveReadable) {
    // Kill moments after the child's first save (microseconds). The child saves automatically and
    // into slot 5, or into slot 5 alone: its two files then take most of its time.
    const struct {
        useconds_t moment;
        bool automatic;
    } kRounds[] = {{0, true},     {50, true},    {100, true},   {200, true},   {300, true},    {500, true},
                   {800, true},   {1200, true},  {2000, true},  {5000, true},  {20000, true},  {80000, true},
                   {0, false},    {100, false},  {200, false},  {400, false},  {700, false},   {1000, false},
                   {1500, false}, {2200, false}, {3000, false}, {4500, false}, {7000, false},  {12000, false}};
    // Save n's picture: the screen of its colour as the automatic save captures it (made once), or,
    // for slot 5 alone, the picture of save 0 with n in its first bytes.
    std::map<uint32_t, THUMB_IMAGE> screens;
    const THUMB_IMAGE base = ScreenFor(0);
    const auto picture = [&](uint32_t n, bool automatic) {
        if (automatic) {
            auto it = screens.find(n);
            return it != screens.end() ? it->second : screens.emplace(n, ScreenFor(n)).first->second;
        }
        THUMB_IMAGE stamped = base;
        std::memcpy(stamped.data() + THUMB_BMP_HEADER, &n, sizeof n);
        return stamped;
    };
    for (const auto& round : kRounds) {
        const std::string at = std::to_string(round.moment) + (round.automatic ? " us, automatic" : " us, slot 5");
        // Ten saves to rotate, numbered 10 (the newest) down to 1, and save 10 in slot 5.
        for (int k = 0; k < 10; ++k) {
            ASSERT_TRUE(support::WriteSaveSlot(dir.path(), 98 + k, std::to_string(10 - k), "", support::SaveTime(2024, 1, 1)));
            ASSERT_TRUE(support::WriteBytes(dir.File(AutoName(k, "dat")), picture(uint32_t(10 - k), true)));
        }
        ASSERT_TRUE(support::WriteSaveSlot(dir.path(), 5, "10", "", support::SaveTime(2024, 1, 1)));
        ASSERT_TRUE(support::WriteBytes(dir.File("save/ov05.dat"), picture(10, round.automatic)));
        int fds[2];
        ASSERT_EQ(pipe(fds), 0);
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            close(fds[0]);
            for (uint32_t n = 11;; ++n) {
                SAVE_SetInfo(std::to_string(n).c_str(), "");
                if (round.automatic) {
                    ShowScreenOf(n);  // the screen the automatic save captures
                    QSAVE_DATA.auto_request = 1;
                    QSAVE_AutoSave();
                } else {
                    THUMB_HELD = picture(n, false);
                }
                SAVE_WriteSlot(5);
                if (write(fds[1], &n, sizeof n) != sizeof n) _exit(1);
            }
        }
        close(fds[1]);
        uint32_t done = 10, n = 0;
        if (read(fds[0], &n, sizeof n) == sizeof n) done = n;
        usleep(round.moment);
        kill(pid, SIGKILL);
        int status = 0;
        waitpid(pid, &status, 0);
        while (read(fds[0], &n, sizeof n) == sizeof n) done = n;
        close(fds[0]);

        // The save in a slot shows its own picture or the default one.
        const auto own_picture = [&](const std::string& dat, uint32_t c, bool automatic) {
            if (std::filesystem::exists(dat)) {
                EXPECT_EQ(support::ReadBytes(dat), picture(c, automatic)) << at << ": " << dat << " beside save " << c;
            }
        };
        SAVE_INFO info;
        ASSERT_EQ(SAVE_ReadInfo(5, &info), 1) << at;
        const uint32_t c5 = uint32_t(std::stoul(info.chapter));
        EXPECT_GE(c5, done) << at;
        own_picture(dir.File("save/ov05.dat"), c5, round.automatic);
        if (!round.automatic) continue;
        uint32_t last = UINT32_MAX, newest = 0;
        int saves = 0;
        for (int k = 0; k < 10; ++k) {
            if (!std::filesystem::exists(dir.File(AutoName(k, "sav")))) continue;
            ASSERT_EQ(SAVE_ReadInfo(98 + k, &info), 1) << at << ", save " << k;
            const uint32_t c = uint32_t(std::stoul(info.chapter));
            EXPECT_LT(c, last) << at << ", save " << k;
            last = c;
            newest = std::max(newest, c);
            ++saves;
            own_picture(dir.File(AutoName(k, "dat")), c, true);
        }
        EXPECT_GE(newest, done) << at;
        EXPECT_GE(saves, 9) << at;  // one may be on its way from 00 to 01
    }
}

// A save killed before each of its file steps in turn (in a second row killed again in the next
// save, at a step spread over it; in the fifth, a kill that leaves the save unfinished is followed
// by ReadThenSaveFailing; in the last two, the lock of the save's first temporary file fails
// first), then the slot read, or an automatic save made in full. Slot 5 starts with save 10, the
// rotation with saves 10 down to 1, each with its picture. A save never replaced keeps its own
// picture (put back when it was left aside), and the rotation holds the ten newest saves written,
// newest first: a kill costs no save the rotation would have kept, and no picture but that of a
// save it stopped.
TEST_F(QsaveTest, SavesKilledAtEveryStepLoseNoSaveAndNoPictureOfASaveKept) {
    const struct {
        bool automatic;
        int (*second)(int first);  // the next save's kill step, 0 none
        bool then_failing = false;  // a kill that leaves the slot unfinished: then ReadThenSaveFailing
        bool lock_fails = false;    // the first save's first temporary file cannot be locked
    } rows[] = {{false, [](int) { return 0; }},
                {false, [](int first) { return first * 7 % 17 + 1; }},
                {true, [](int) { return 0; }},
                {true, [](int first) { return first * 7 % 41 + 1; }},
                {false, [](int) { return 0; }, true},
                {false, [](int) { return 0; }, false, true},
                {true, [](int) { return 0; }, false, true}};
    std::map<uint32_t, THUMB_IMAGE> pictures;  // save c's: a few bytes of its own, its screen from 11 on
    for (uint32_t c = 1; c <= 13; ++c) pictures[c] = c > 10 ? ScreenFor(c) : THUMB_IMAGE(3, uint8_t(c));
    for (const auto& row : rows) {
        const int places = row.automatic ? 11 : 1;  // place 10: the oldest held aside
        const auto file = [&](int k, const char* ext) {
            return row.automatic ? AutoName(k, ext) : std::string("save/ov05.") + ext;
        };
        const auto held = [&] {  // each place's save, 0 none
            std::vector<uint32_t> chapters;
            for (int k = 0; k < places; ++k) {
                const std::vector<uint8_t> bytes = support::ReadBytes(file(k, "sav"));
                SAVE_INFO info;
                chapters.push_back(SAVE_ParseInfo(bytes.data(), bytes.size(), &info) ? uint32_t(std::stoul(info.chapter)) : 0);
            }
            return chapters;
        };
        const auto save = [&](uint32_t n) {
            SAVE_SetInfo(std::to_string(n).c_str(), "");
            THUMB_HELD = pictures[n];
            ShowScreenOf(n);  // what an automatic save captures
            QSAVE_DATA.auto_request = 1;
            if (row.automatic)
                QSAVE_AutoSave();
            else
                SAVE_WriteSlot(5);
        };
        int points = 0, put_back = 0, short_points = 0, no_picture = 0, runs = 0, broken = 0;
        for (int first = 1;; ++first) {
            std::filesystem::remove_all(dir.File("save"));
            std::vector<uint32_t> written;  // newest first
            for (uint32_t c = 10; c > 10 - uint32_t(places - row.automatic); --c) {
                const int k = int(10 - c);
                ASSERT_TRUE(support::WriteSaveSlot(dir.path(), row.automatic ? 98 + k : 5, std::to_string(c), "",
                                                   support::SaveTime(2024, 1, 1)));
                ASSERT_TRUE(support::WriteBytes(file(k, "dat"), pictures[c]));
                written.push_back(c);
            }
            const auto note_written = [&](uint32_t c) {
                const std::vector<uint32_t> now = held();
                if (std::count(now.begin(), now.end(), c)) written.insert(written.begin(), c);
            };
            const bool killed = KilledAt(first, [&] {
                if (row.lock_fails) headless::FailCall("LockTemp");
                save(11);
            });
            put_back += std::filesystem::exists("save/ov05.old");
            if (row.then_failing && std::filesystem::exists("save/ov05.old") &&
                plat::LeftByKilledWrite("save/ov05.sav") == plat::Leftover::There)
                ReadThenSaveFailing(10, 12, pictures, &runs, &broken);
            note_written(11);
            const int second = row.second(first);
            if (second) {
                KilledAt(second, [&] { save(12); });
                note_written(12);
            }
            SAVE_INFO info;
            if (row.automatic) {
                save(13);
                written.insert(written.begin(), 13);
            } else {
                SAVE_ReadInfo(5, &info);  // puts back what was aside
            }
            written.resize(size_t(places - row.automatic));
            const std::string at = std::to_string(row.automatic) + (row.lock_fails ? ", the lock failing" : "") +
                                   ", killed before step " + std::to_string(first) +
                                   " and " + std::to_string(second) + ", place ";
            const std::vector<uint32_t> now = held();
            bool lost = false, lacks = false;  // a save kept lacks its picture: only one killed halfway may
            for (size_t k = 0; k < now.size(); ++k) {
                EXPECT_EQ(now[k], k < written.size() ? written[k] : 0) << at << k;
                lost |= k < written.size() && !std::count(now.begin(), now.end(), written[k]);
                const std::string dat = file(int(k), "dat");
                if (std::filesystem::exists(dat))
                    EXPECT_EQ(support::ReadBytes(dat), now[k] ? pictures[now[k]] : THUMB_IMAGE{}) << at << k;
                else
                    lacks |= now[k] && now[k] <= 10;
            }
            EXPECT_FALSE(std::filesystem::exists("save/ov05.old")) << at;
            short_points += lost;
            no_picture += lacks;
            if (!killed) break;
            ++points;
        }
        // Of `points` kill points, none ends short or lacks a kept save's picture; the slot met kills
        // between setting its picture aside and replacing the record, unless the lock failed first.
        const std::string of = std::to_string(row.automatic) + std::to_string(row.second(1)) +
                               (row.lock_fails ? ", the lock failing" : "") + ", of " + std::to_string(points);
        EXPECT_EQ(short_points, 0) << of;
        EXPECT_EQ(no_picture, 0) << of;
        EXPECT_EQ(put_back > 0, !row.automatic && !row.lock_fails) << of;
        EXPECT_EQ(runs > 0, row.then_failing);
        EXPECT_EQ(broken, 0) << broken << " of " << runs << " runs after the unfinished save";
    }
}

// Two file calls in a row of a save fail: each call of the save made without failures (creating,
// writing, flushing, closing, renaming, moving or removing a file, or flushing its folder) and the
// call that then comes next, whatever it is. A regular save 2 into slot 5, which holds save 1, and an automatic save 11
// over the ten saves 10 down to 1, each save with its own picture. What the save says it did is
// what the folder holds: a save not made replaced nothing (the old picture back by the next read
// at the latest), no save kept is lost or shown with another save's picture, and the next save
// leaves the newest saves written, each with its own picture (only save 11's may be missing, when
// its thumbnail was not written), and nothing else. A regular save left unfinished (its picture
// aside beside the record's temporary file) is followed by ReadThenSaveFailing first. The same
// again with the lock of the record's temporary file failing, and every pair of calls failing.
TEST_F(QsaveTest, TwoFailingCallsInARowLoseNoSaveAndNoPictureOfASaveKept) {
    std::map<uint32_t, THUMB_IMAGE> pictures;  // save c's: its screen, as the automatic save captures it
    for (uint32_t c = 1; c <= 12; ++c) pictures[c] = ScreenFor(c);
    const auto record_in = [](const std::string& file) -> uint32_t {  // the save of a record file, 0 none
        const std::vector<uint8_t> bytes = support::ReadBytes(file);
        SAVE_INFO info;
        return SAVE_ParseInfo(bytes.data(), bytes.size(), &info) ? uint32_t(std::stoul(info.chapter)) : 0;
    };
    const auto picture_in = [&](const std::string& file) -> uint32_t {  // whose picture, 0 none, 99 no save's
        if (!std::filesystem::exists(file)) return 0;
        const std::vector<uint8_t> bytes = support::ReadBytes(file);
        for (const auto& [c, picture] : pictures)
            if (bytes == picture) return c;
        return 99;
    };
    const auto entries = [&] {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(dir.File("save"))) names.push_back(e.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    };
    const auto save = [&](bool automatic, uint32_t c) {  // 1 when an automatic save was made; the slot's result
        SAVE_SetInfo(std::to_string(c).c_str(), "");
        if (!automatic) {
            THUMB_HELD = pictures[c];
            return SAVE_WriteSlot(5);
        }
        ShowScreenOf(c);  // what the automatic save captures
        QSAVE_DATA.auto_request = 1;
        QSAVE_DATA.choice_autosave = 0;
        QSAVE_AutoSave();
        return int(QSAVE_DATA.choice_autosave);
    };
    int then_runs = 0, then_broken = 0;  // from the saves left unfinished (ReadThenSaveFailing)
    // Two calls in a row; with the record's lock failing, from the first call that lets the lock be
    // met, every pair of calls.
    const struct {
        bool automatic;
        bool lock_fails;  // the lock of the record's temporary file
        int least_runs;
    } kinds[] = {{false, false, 10}, {true, false, 30}, {false, true, 2}, {true, true, 50}};
    for (const auto& kind : kinds) {
        const bool automatic = kind.automatic;
        int runs = 0, losing = 0;
        for (int first = 0, left = 0; left < 2; ++first) {
            for (int second = first + 1;; ++second) {
                std::filesystem::remove_all(dir.File("save"));
                std::filesystem::create_directories(dir.File("save"));
                if (automatic) {
                    for (int k = 0; k < 10; ++k) {
                        ASSERT_TRUE(support::WriteSaveSlot(dir.path(), 98 + k, std::to_string(10 - k), "", support::SaveTime(2024, 1, 1)));
                        ASSERT_TRUE(support::WriteBytes(dir.File(AutoName(k, "dat")), pictures[uint32_t(10 - k)]));
                    }
                } else {
                    ASSERT_TRUE(support::WriteSaveSlot(dir.path(), 5, "1", "", support::SaveTime(2024, 1, 1)));
                    ASSERT_TRUE(support::WriteBytes(dir.File("save/ov05.dat"), pictures[1]));
                }
                // The save in a child: what it did, and the failures it left untaken.
                const Ran ran = WithFailingCalls({first, second}, [&] { return save(automatic, automatic ? 11 : 2); },
                                                 kind.lock_fails ? 0 : -1);
                const int result = ran.result;
                ASSERT_GE(result, 0) << "the save's child did not end by itself";
                left = ran.left;
                if (left == 2) break;  // past the save's last call: every pair was met
                // The lock not met: the same run as without it (and none met with this first call, when
                // its own failure keeps the lock from being met).
                if (ran.lock_left > 0) {
                    if (second == first + 1 || left == 1) break;
                    continue;
                }
                ++runs;
                if (!automatic && std::filesystem::exists("save/ov05.old") &&
                    plat::LeftByKilledWrite("save/ov05.sav") == plat::Leftover::There)
                    ReadThenSaveFailing(1, 3, pictures, &then_runs, &then_broken);
                bool whole = true;
                const std::string at = std::string(automatic ? "automatic" : "regular") + " save, " +
                                       (kind.lock_fails ? "the lock and " : "") + "calls " +
                                       std::to_string(first + 1) +
                                       " and " + std::to_string(second + 1) + " failing: ";
                const auto check = [&](bool ok, const std::string& what) {
                    if (ok) return;
                    whole = false;
                    ADD_FAILURE() << at << what;
                };
                if (!automatic) {
                    const uint32_t record = record_in("save/ov05.sav"), picture = picture_in("save/ov05.dat");
                    const uint32_t aside = picture_in("save/ov05.old");
                    if (result == SAVE_WRITE_FAILED) {
                        check(record == 1, "a save not made leaves save 1, not " + std::to_string(record));
                        check(picture == 1 || (picture == 0 && aside == 1 && plat::LeftByKilledWrite("save/ov05.sav") == plat::Leftover::There),
                              "and its picture, or that aside for the next read to put back, not " + std::to_string(picture));
                    } else {
                        check(result == SAVE_WRITE_DONE || result == SAVE_WRITE_NO_THUMB, "no such result " + std::to_string(result));
                        check(record == 2, "a save made holds save 2, not " + std::to_string(record));
                        check(picture == (result == SAVE_WRITE_DONE ? 2u : 0u), "with its picture or none, not " + std::to_string(picture));
                    }
                    SAVE_INFO info;  // as the panel reads it
                    check(SAVE_ReadInfo(5, &info) == 1 && info.chapter == std::to_string(record), "the slot reads its save");
                    check(picture_in("save/ov05.dat") == (result == SAVE_WRITE_FAILED ? 1u : result == SAVE_WRITE_DONE ? 2u : 0u),
                          "the slot read shows its own picture or none, not " + std::to_string(picture_in("save/ov05.dat")));
                    check(!std::filesystem::exists("save/ov05.old"), "no picture stays aside once the slot was read");
                    check(save(false, 3) == SAVE_WRITE_DONE, "the next save is made");
                    check(record_in("save/ov05.sav") == 3 && picture_in("save/ov05.dat") == 3, "the next save, with its picture");
                    check(entries() == std::vector<std::string>{"ov05.dat", "ov05.sav"}, "and nothing else");
                } else {
                    const bool written = result == 1;
                    std::vector<uint32_t> records(11), pictures_at(11), kept;
                    for (int k = 0; k <= 10; ++k) {
                        records[size_t(k)] = record_in(AutoName(k, "sav"));
                        pictures_at[size_t(k)] = picture_in(AutoName(k, "dat"));
                        if (records[size_t(k)]) kept.push_back(records[size_t(k)]);
                    }
                    std::string held;
                    for (uint32_t c : kept) held += " " + std::to_string(c);
                    // Newest first: 11 when it was made, then every older save (1 may be dropped then).
                    std::vector<uint32_t> want;
                    for (uint32_t c = written ? 11 : 10; c >= 1; --c)
                        if (c != 11 || written) want.push_back(c);
                    if (written && kept.size() == 10) want.pop_back();
                    check(kept == want, "the saves held are" + held);
                    for (int k = 0; k <= 10; ++k) {
                        const uint32_t c = records[size_t(k)];
                        if (c && pictures_at[size_t(k)])
                            check(pictures_at[size_t(k)] == c, "place " + std::to_string(k) + " shows save " + std::to_string(c) +
                                                                  " with the picture of " + std::to_string(pictures_at[size_t(k)]));
                        // A save kept has its picture beside it, or one place below where no record is (the
                        // record moved on without it: the next save joins them). Save 1 is dropped once 11 is in.
                        if (c && c <= 10 && (c > 1 || !written))
                            check(pictures_at[size_t(k)] == c || (k > 0 && !records[size_t(k - 1)] && pictures_at[size_t(k - 1)] == c),
                                  "save " + std::to_string(c) + " at place " + std::to_string(k) + " lost its picture");
                    }
                    check(save(true, 12) == 1, "the next save is made");
                    std::vector<uint32_t> newest = {12};
                    for (uint32_t c = written ? 11 : 10; newest.size() < 10; --c) newest.push_back(c);
                    std::vector<std::string> names;
                    for (int k = 0; k < 10; ++k) {
                        const uint32_t c = record_in(AutoName(k, "sav")), picture = picture_in(AutoName(k, "dat"));
                        check(c == newest[size_t(k)], "the next save leaves save " + std::to_string(c) + " at place " + std::to_string(k));
                        check(picture == c || (c == 11 && picture == 0),
                              "the next save leaves save " + std::to_string(c) + " with the picture of " + std::to_string(picture));
                        if (picture) names.push_back(AutoName(k, "dat").substr(5));
                        names.push_back(AutoName(k, "sav").substr(5));
                    }
                    std::sort(names.begin(), names.end());
                    check(entries() == names, "and nothing else");
                }
                losing += !whole;
                if (left == 1 || !kind.lock_fails) break;  // past the save's last call, or in a row only
            }
        }
        EXPECT_GT(runs, kind.least_runs);
        EXPECT_EQ(losing, 0) << (automatic ? "automatic" : "regular") << " saves" << (kind.lock_fails ? ", the lock failing" : "") << ": " << losing
                             << " of " << runs << " runs";
    }
    EXPECT_GT(then_runs, 0);
    EXPECT_EQ(then_broken, 0) << then_broken << " of " << then_runs << " runs after an unfinished save";
}
