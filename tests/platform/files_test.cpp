// Replacing files: interrupted writes, targets that are directories or links, kept permission
// bits, failed closes, writes past the file-size limit, and the scratch writes that skip the disk
// flush.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/headless/headless.h"
#include "platform/platform.h"
#include "tests/support/fixture.h"

namespace fs = std::filesystem;

namespace {
std::vector<std::string> Entries(const std::string& dir = ".") {
    std::vector<std::string> names;
    for (auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// A child that writes the target over and over in whole blocks of one repeated byte, until killed.
pid_t StartWriter(const char* name, size_t size) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        std::vector<uint8_t> block(size);
        for (uint8_t round = 1;; ++round) {
            std::fill(block.begin(), block.end(), round);
            plat::WriteFileAtomic(name, block.data(), block.size());
        }
    }
    return pid;
}

// Runs fn in a child process: its exit code, or 128 + the signal that ended it (SIGALRM when it
// was still running after `seconds`).
int InChild(const std::function<int()>& fn, unsigned seconds = 20) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::alarm(seconds);
        ::_exit(fn());
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// Every byte of the file the same, and as many as one write holds.
bool Whole(const std::string& name, size_t size) {
    const auto bytes = support::ReadBytes(name);
    return bytes.size() == size && std::all_of(bytes.begin(), bytes.end(), [&](uint8_t b) { return b == bytes[0]; });
}
}  // namespace

// Writes killed at random points leave the target whole, and the next write removes whatever
// temporary files they left behind; one killed with its file open leaves one for certain.
TEST(FileWrites, KilledWritesLeaveNothingAfterTheNextWrite) {
    support::TempDir dir;
    headless::Reset({});
    const size_t size = 256 * 1024;
    ASSERT_TRUE(plat::WriteFileAtomic("save.dat", std::vector<uint8_t>(size, 0).data(), size));
    const pid_t open_one = ::fork();
    if (open_one == 0) {
        plat::File f;
        f.Open("save.dat", plat::File::Mode::CreateAlways);
        f.Write("partial", 7);
        ::kill(::getpid(), SIGKILL);
    }
    ::waitpid(open_one, nullptr, 0);
    EXPECT_EQ(Entries().size(), 2u);
    EXPECT_EQ(plat::LeftByKilledWrite("SAVE.DAT"), plat::Leftover::There);
    std::mt19937 rng(9);
    for (int round = 0; round < 25; ++round) {
        const pid_t pid = StartWriter("save.dat", size);
        ASSERT_GT(pid, 0);
        ::usleep(1000 + rng() % 20000);
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
        ASSERT_TRUE(Whole("save.dat", size)) << "round " << round;
    }
    ASSERT_TRUE(plat::WriteFileAtomic("save.dat", "done", 4));
    EXPECT_EQ(Entries(), std::vector<std::string>{"save.dat"});
    EXPECT_EQ(plat::LeftByKilledWrite("save.dat"), plat::Leftover::None);
    // A name that only begins like the target's temporary files is not one of them.
    ASSERT_TRUE(support::WriteBytes("save.dat.tmp12_x", {1}));
    ASSERT_TRUE(support::WriteBytes("save.dat.tmpx_1", {1}));
    ASSERT_TRUE(plat::WriteFileAtomic("save.dat", "again", 5));
    EXPECT_EQ(Entries().size(), 3u);
}

// A run that gets the pid of an earlier one (a container's first process) finds that run's
// temporary names: whatever pid and number a leftover carries, the write succeeds and sweeps it.
TEST(FileWrites, LeftoversOfAnyPidNeverMakeAWriteFail) {
    support::TempDir dir;
    headless::Reset({});
    const std::string self = "save.dat.tmp" + std::to_string(::getpid()) + "_";
    for (int n = 0; n < 4096; ++n) ASSERT_TRUE(support::WriteBytes(self + std::to_string(n), {}));
    ASSERT_TRUE(support::WriteBytes("save.dat.tmp1_0", {1}));
    ASSERT_TRUE(support::WriteBytes("save.dat.tmp1_18446744073709551615", {1}));
    ASSERT_TRUE(plat::WriteFileAtomic("save.dat", "kept", 4));
    EXPECT_EQ(Entries(), std::vector<std::string>{"save.dat"});
    for (int n = 0; n < 64; ++n) ASSERT_TRUE(support::WriteBytes(self + std::to_string(n), {}));
    ASSERT_TRUE(plat::WriteFileScratch("save.dat", "scratch", 7));
    EXPECT_EQ(Entries(), std::vector<std::string>{"save.dat"});
}

// A write still open, in this process or another, keeps its temporary file through the sweep of
// a second write of the same target, and then completes: the last one closed wins.
TEST(FileWrites, WritesStillOpenKeepTheirTemporaryFiles) {
    support::TempDir dir;
    headless::Reset({});
    plat::File mine;
    ASSERT_TRUE(mine.Open("save.dat", plat::File::Mode::CreateAlways));
    ASSERT_EQ(mine.Write("mine", 4), 4u);
    int ready[2], go[2];
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(::pipe(go), 0);
    const pid_t other = ::fork();
    if (other == 0) {
        plat::File f;
        const bool open = f.Open("save.dat", plat::File::Mode::CreateAlways) && f.Write("other", 5) == 5;
        char c = 1;
        [[maybe_unused]] ssize_t n = ::write(ready[1], &c, 1);
        n = ::read(go[0], &c, 1);
        ::_exit(open && f.Close() ? 0 : 1);
    }
    char c = 0;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);
    ASSERT_TRUE(plat::WriteFileAtomic("save.dat", "third", 5));
    EXPECT_EQ(Entries().size(), 3u);  // the target and both open writes
    EXPECT_EQ(plat::LeftByKilledWrite("save.dat"), plat::Leftover::None);
    ASSERT_EQ(::write(go[1], &c, 1), 1);
    int status = -1;
    ::waitpid(other, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(support::ReadBytes("save.dat"), (std::vector<uint8_t>{'o', 't', 'h', 'e', 'r'}));
    EXPECT_TRUE(mine.Close());
    EXPECT_EQ(support::ReadBytes("save.dat"), (std::vector<uint8_t>{'m', 'i', 'n', 'e'}));
    EXPECT_EQ(Entries(), std::vector<std::string>{"save.dat"});
    for (int fd : {ready[0], ready[1], go[0], go[1]}) ::close(fd);
}

TEST(FileWrites, ADirectoryOrOtherNonFileTargetIsRefusedAtCreate) {
    support::TempDir dir;
    headless::Reset({});
    fs::create_directory("save");
    plat::File f;
    EXPECT_FALSE(f.Open("SAVE", plat::File::Mode::CreateAlways));
    EXPECT_FALSE(plat::WriteFileScratch("save", "x", 1));
    ASSERT_EQ(::mkfifo("pipe", 0600), 0);
    EXPECT_FALSE(plat::WriteFileAtomic("pipe", "x", 1));
    // Nor are they read; a pipe nobody writes is refused at once, not waited on.
    EXPECT_EQ(InChild([] {
                  plat::File r;
                  return r.Open("pipe", plat::File::Mode::Read) || r.Open("save", plat::File::Mode::Read);
              }, 10), 0);
    EXPECT_TRUE(fs::is_directory("save") && fs::is_fifo("pipe"));
    EXPECT_EQ(Entries(), (std::vector<std::string>{"pipe", "save"}));
}

// A link stays a link and the file it names gets the bytes, also through a relative link into
// another directory, a chain of links and a link to a file not yet there; a loop is refused.
TEST(FileWrites, LinksAreFollowedAndPermissionBitsKept) {
    support::TempDir dir;
    headless::Reset({});
    fs::create_directory("real");
    ASSERT_TRUE(support::WriteBytes("real/a.dat", {1}));
    fs::create_symlink("real/a.dat", "a.dat");
    fs::create_symlink("a.dat", "chain.dat");
    fs::create_symlink("real/new.dat", "dangling.dat");
    fs::create_symlink("loop1", "loop2"), fs::create_symlink("loop2", "loop1");
    for (const char* name : {"a.dat", "chain.dat", "dangling.dat"}) {
        ASSERT_TRUE(plat::WriteFileAtomic(name, name, 3)) << name;
        EXPECT_TRUE(fs::is_symlink(name)) << name;
    }
    EXPECT_EQ(support::ReadBytes("real/a.dat"), (std::vector<uint8_t>{'c', 'h', 'a'}));
    EXPECT_EQ(support::ReadBytes("real/new.dat"), (std::vector<uint8_t>{'d', 'a', 'n'}));
    EXPECT_FALSE(plat::WriteFileAtomic("loop1", "x", 1));
    EXPECT_EQ(Entries("real"), (std::vector<std::string>{"a.dat", "new.dat"}));

    for (mode_t mode : {0600, 0640, 0444}) {
        ASSERT_TRUE(support::WriteBytes("kept.dat", {1}));
        ASSERT_EQ(::chmod("kept.dat", mode), 0);
        ASSERT_TRUE(plat::WriteFileAtomic("kept.dat", "abc", 3));
        struct stat st;
        ASSERT_EQ(::stat("kept.dat", &st), 0);
        EXPECT_EQ(st.st_mode & 07777, mode);
        fs::remove("kept.dat");
    }
}

TEST(FileWrites, AFailedCloseKeepsTheOldFileAndScratchWritesSkipTheFlush) {
    support::TempDir dir;
    headless::Reset({});
    ASSERT_TRUE(plat::WriteFileAtomic("keep.dat", "old", 3));
    plat::File f;
    ASSERT_TRUE(f.Open("keep.dat", plat::File::Mode::CreateAlways));
    EXPECT_EQ(f.Write("newer", 5), 5u);
    headless::FailCall("CloseFile");
    EXPECT_FALSE(f.Close());
    EXPECT_EQ(support::ReadBytes("keep.dat"), (std::vector<uint8_t>{'o', 'l', 'd'}));
    EXPECT_EQ(Entries(), std::vector<std::string>{"keep.dat"});
    // A scratch write never asks for the flush, so the failure meant for it stays pending for the
    // next kept file.
    headless::FailCall("FlushFile");
    ASSERT_TRUE(plat::WriteFileScratch("voice.wav", "RIFF", 4));
    EXPECT_EQ(plat::FileSize("voice.wav"), 4);
    EXPECT_FALSE(plat::WriteFileAtomic("keep.dat", "lost", 4));
    EXPECT_EQ(Entries(), (std::vector<std::string>{"keep.dat", "voice.wav"}));
}

// A rename that fails leaves the old file: Commit keeps the written file for Close (or the end of
// the object) to remove, or for Leave to leave as a killed write leaves it, which the next write
// of the target removes. A folder that cannot be flushed after a rename says so; the file is
// replaced all the same.
TEST(FileWrites, AFailedRenameKeepsTheOldFileAndCommitCanLeaveTheWriteBehind) {
    support::TempDir dir;
    headless::Reset({});
    ASSERT_TRUE(plat::WriteFileAtomic("keep.dat", "old", 3));
    const std::vector<uint8_t> old_bytes{'o', 'l', 'd'};
    for (int end = 0; end < 3; ++end) {  // Close, the object's end, Leave
        {
            plat::File f;
            ASSERT_TRUE(f.Open("keep.dat", plat::File::Mode::CreateAlways));
            ASSERT_EQ(f.Write("newer", 5), 5u);
            headless::FailCall("RenameFile");
            EXPECT_FALSE(f.Commit()) << end;
            EXPECT_EQ(support::ReadBytes("keep.dat"), old_bytes) << end;
            EXPECT_EQ(Entries().size(), 2u) << end;  // still held: no leftover of a killed write
            EXPECT_EQ(plat::LeftByKilledWrite("keep.dat"), plat::Leftover::None) << end;
            if (end == 0) {
                EXPECT_FALSE(f.Close());
            }
            if (end == 2) f.Leave();
        }
        EXPECT_EQ(plat::LeftByKilledWrite("keep.dat"), end == 2 ? plat::Leftover::There : plat::Leftover::None) << end;
        EXPECT_EQ(Entries().size(), end == 2 ? 2u : 1u) << end;
    }
    headless::ClearDebugOutput();
    headless::FailCall("FlushFolder");
    ASSERT_TRUE(plat::WriteFileAtomic("keep.dat", "new", 3));
    EXPECT_EQ(support::ReadBytes("keep.dat"), (std::vector<uint8_t>{'n', 'e', 'w'}));
    EXPECT_EQ(Entries(), std::vector<std::string>{"keep.dat"});  // the leftover went with the write
    bool said = false;
    for (const std::string& line : headless::DebugOutput())
        said |= line.find("could not be flushed after keep.dat was replaced") != std::string::npos;
    EXPECT_TRUE(said);
    plat::File f;  // a commit that succeeds is a close
    ASSERT_TRUE(f.Open("keep.dat", plat::File::Mode::CreateAlways));
    ASSERT_EQ(f.Write("last", 4), 4u);
    EXPECT_TRUE(f.Commit());
    EXPECT_EQ(support::ReadBytes("keep.dat"), (std::vector<uint8_t>{'l', 'a', 's', 't'}));
    EXPECT_EQ(Entries(), std::vector<std::string>{"keep.dat"});
}

// A move without replacing never touches a name that is taken, whatever its case or kind, and fails
// like a move under the "MoveFile" hook; a move that replaces still does. So does its fallback, for
// a file system that cannot rename without replacing.
TEST(FileMoves, AMoveWithoutReplacingLeavesATakenName) {
    support::TempDir dir;
    for (const bool fallback : {false, true}) {
        headless::Reset({});
        fs::remove_all("folder"), fs::remove("b.dat");
        ASSERT_TRUE(support::WriteBytes("a.dat", {1}));
        ASSERT_TRUE(support::WriteBytes("b.dat", {2}));
        fs::create_directory("folder");
        if (fallback) headless::FailCall("RenameNoReplace", 100);
        for (const char* taken : {"b.dat", "B.DAT", "folder"}) {
            EXPECT_FALSE(plat::MoveFileNoReplace("a.dat", taken)) << taken << fallback;
            EXPECT_EQ(support::ReadBytes("a.dat"), std::vector<uint8_t>{1}) << taken << fallback;
        }
        EXPECT_EQ(support::ReadBytes("b.dat"), std::vector<uint8_t>{2}) << fallback;
        EXPECT_TRUE(fs::is_empty("folder"));
        EXPECT_FALSE(plat::MoveFileNoReplace("missing.dat", "c.dat"));
        headless::FailCall("MoveFile");
        EXPECT_FALSE(plat::MoveFileNoReplace("a.dat", "c.dat"));
        EXPECT_TRUE(plat::MoveFileNoReplace("A.DAT", "c.dat")) << fallback;
        EXPECT_EQ(support::ReadBytes("c.dat"), std::vector<uint8_t>{1}) << fallback;
        EXPECT_EQ(headless::FailuresLeft("RenameNoReplace"), fallback ? 95 : 0);  // each move that got to its rename
        EXPECT_TRUE(plat::MoveFile("c.dat", "b.dat"));
        EXPECT_EQ(support::ReadBytes("b.dat"), std::vector<uint8_t>{1});
        EXPECT_EQ(Entries(), (std::vector<std::string>{"b.dat", "folder"})) << fallback;
    }
}

// "AnyFileCall" counts the file calls of every kind in their order; each also answers to its own
// name, a removal too, and so do the calls of the sweep for what a killed write left: a question
// that cannot list the folder, or open or lock a leftover, cannot tell, and a write whose sweep
// fails goes on and says so; a leftover that cannot be locked is never removed.
TEST(FileWrites, FailuresOfAnyFileCallCountEveryKindOfCall) {
    support::TempDir dir;
    headless::Reset({});
    ASSERT_TRUE(plat::WriteFileAtomic("keep.dat", "old", 3));
    headless::FailCall("AnyFileCall", 1, 4);  // creating, listing, locking, writing, then flushing fails
    EXPECT_FALSE(plat::WriteFileAtomic("keep.dat", "new", 3));
    EXPECT_EQ(headless::FailuresLeft("AnyFileCall"), 0);
    headless::FailCall("AnyFileCall", 1, 1);  // a move, then a removal fails
    EXPECT_TRUE(plat::MoveFile("keep.dat", "moved.dat"));
    EXPECT_FALSE(plat::DeleteFile("moved.dat"));
    headless::FailCall("DeleteFile");
    EXPECT_FALSE(plat::DeleteFile("moved.dat"));
    EXPECT_EQ(support::ReadBytes("moved.dat"), (std::vector<uint8_t>{'o', 'l', 'd'}));
    EXPECT_TRUE(plat::DeleteFile("moved.dat"));
    EXPECT_TRUE(Entries().empty());

    plat::File killed;  // a write of keep.dat that never ended
    ASSERT_TRUE(killed.Open("keep.dat", plat::File::Mode::CreateAlways));
    ASSERT_TRUE(killed.Flush());
    killed.Leave();
    using plat::Leftover;
    const struct {
        const char* call;  // the failing call, null none
        int after;
        Leftover asked;    // what the question answers
        bool swept;        // the write's sweep removes the leftover
    } cases[] = {
        {"ListFolder", 0, Leftover::Unknown, false}, {"OpenTemp", 0, Leftover::Unknown, false},
        {"AnyFileCall", 0, Leftover::Unknown, false},  // the listing
        {"AnyFileCall", 1, Leftover::Unknown, false},  // the leftover's open; creating comes first in a write
        {"LockTemp", 0, Leftover::Unknown, false},     // the leftover's lock, not the new file's
        {"AnyFileCall", 2, Leftover::Unknown, false},  // the same
        {"DeleteTemp", 0, Leftover::There, false},     // a question removes nothing: the write takes it
        {nullptr, 0, Leftover::There, true},
    };
    for (const auto& c : cases) {
        const std::string at = std::string(c.call ? c.call : "none") + " after " + std::to_string(c.after);
        if (c.call) headless::FailCall(c.call, 1, c.after);
        EXPECT_EQ(plat::LeftByKilledWrite("keep.dat"), c.asked) << at;
        const bool any = c.call && std::string(c.call) == "AnyFileCall";
        if (c.call && c.asked == Leftover::There) {
            EXPECT_EQ(headless::FailuresLeft(c.call), 1) << at;  // left for the write
        } else if (c.call) {
            headless::FailCall(c.call, 1, c.after + any);  // the same call of the write's sweep
        }
        plat::File f;
        ASSERT_TRUE(f.Open("keep.dat", plat::File::Mode::CreateAlways)) << at;
        EXPECT_EQ(f.SweptLeftovers(), c.swept) << at;
        EXPECT_EQ(headless::FailuresLeft(c.call ? c.call : "AnyFileCall"), 0) << at;
        ASSERT_EQ(f.Write("new", 3), 3u) << at;
        EXPECT_TRUE(f.Close()) << at;  // the write goes on
        EXPECT_EQ(support::ReadBytes("keep.dat"), (std::vector<uint8_t>{'n', 'e', 'w'})) << at;
        EXPECT_EQ(plat::LeftByKilledWrite("keep.dat"), c.swept ? Leftover::None : Leftover::There) << at;
        EXPECT_EQ(Entries().size(), c.swept ? 1u : 2u) << at;
    }
}

// Past the file-size limit a write fails like any other: the program lives on, the old file stays
// whole and no temporary file is left, whether the write was whole or through an open file.
TEST(FileWrites, WritesPastTheFileSizeLimitFailAndLeaveTheOldFile) {
    support::TempDir dir;
    headless::Reset({});
    ASSERT_TRUE(plat::WriteFileAtomic("save.dat", "old", 3));
    const int code = InChild([] {
        plat::CatchEndSignals();  // as the program does at its start
        const rlimit limit{4096, 4096};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) return 3;
        const std::vector<uint8_t> big(64 * 1024, 7);
        int wrong = plat::WriteFileAtomic("save.dat", big.data(), big.size()) ||
                    plat::WriteFileScratch("voice.wav", big.data(), big.size());
        plat::File f;
        if (!f.Open("save.dat", plat::File::Mode::CreateAlways) || f.Write(big.data(), big.size()) != 0 || f.Close())
            wrong |= 2;
        return wrong;
    });
    EXPECT_EQ(code, 0);
    EXPECT_EQ(support::ReadBytes("save.dat"), (std::vector<uint8_t>{'o', 'l', 'd'}));
    EXPECT_EQ(Entries(), std::vector<std::string>{"save.dat"});
}
