// The registry store (in memory and in its per-user file) and the single-instance lock.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>

#include "platform/headless/headless.h"
#include "platform/instance.h"
#include "platform/platform.h"
#include "platform/registry.h"
#include "tests/support/fixture.h"

namespace {
constexpr const char* kKey = "Software\\VORN\\ORV_DEMO\\Main";

class RegistryTest : public ::testing::TestWithParam<bool> {
protected:
    support::ConfigHome home;
    void SetUp() override {
        headless::Reset();
        plat::detail::UseMemoryRegistry(GetParam());
    }
    void TearDown() override { plat::detail::UseMemoryRegistry(true); }
};

TEST_P(RegistryTest, AValueReadsBackWhateverTheLetterCase) {
    const int32_t rect[4] = {10, 20, 660, 525};
    EXPECT_FALSE(plat::RegKeyExists(kKey));
    ASSERT_TRUE(plat::RegSetValue(kKey, "WndRect", plat::REG_BINARY, rect, sizeof rect));
    EXPECT_TRUE(plat::RegKeyExists("software\\vorn\\orv_demo\\MAIN"));
    uint32_t type = 0, size = 0;
    ASSERT_TRUE(plat::RegQueryValue("SOFTWARE\\vorn\\ORV_DEMO\\main", "wndrect", &type, nullptr, &size));
    EXPECT_EQ(type, plat::REG_BINARY);
    EXPECT_EQ(size, 16u);
    int32_t back[4] = {};
    ASSERT_TRUE(plat::RegQueryValue(kKey, "WndRect", nullptr, back, &size));
    EXPECT_EQ(std::memcmp(back, rect, 16), 0);
    // A buffer too small gets nothing and the size it would need.
    int32_t small[2] = {7, 7};
    size = 8;
    EXPECT_FALSE(plat::RegQueryValue(kKey, "WndRect", nullptr, small, &size));
    EXPECT_EQ(size, 16u);
    EXPECT_EQ(small[0], 7);
    // Rewriting replaces the value, type and size.
    const uint32_t one = 1;
    ASSERT_TRUE(plat::RegSetValue(kKey, "WNDRECT", plat::REG_DWORD, &one, 4));
    ASSERT_TRUE(plat::RegQueryValue(kKey, "WndRect", &type, nullptr, &size));
    EXPECT_EQ(type, plat::REG_DWORD);
    EXPECT_EQ(size, 4u);
    EXPECT_FALSE(plat::RegQueryValue(kKey, "WndMode", &type, nullptr, &size));
    EXPECT_FALSE(plat::RegQueryValue("Software\\Other", "WndRect", &type, nullptr, &size));
}

TEST_P(RegistryTest, OversizedValuesAndBadNamesAreRefused) {
    std::vector<uint8_t> big(plat::REG_MAX_VALUE + 1, 1);
    EXPECT_FALSE(plat::RegSetValue(kKey, "Big", plat::REG_BINARY, big.data(), uint32_t(big.size())));
    EXPECT_TRUE(plat::RegSetValue(kKey, "Big", plat::REG_BINARY, big.data(), plat::REG_MAX_VALUE));
    EXPECT_FALSE(plat::RegSetValue(kKey, "a=b", plat::REG_DWORD, big.data(), 4));
    EXPECT_FALSE(plat::RegSetValue(kKey, "line\nbreak", plat::REG_DWORD, big.data(), 4));
    EXPECT_FALSE(plat::RegSetValue("", "x", plat::REG_DWORD, big.data(), 4));
    EXPECT_TRUE(plat::RegSetValue(kKey, "Empty", plat::REG_BINARY, nullptr, 0));
    uint32_t size = 99;
    EXPECT_TRUE(plat::RegQueryValue(kKey, "Empty", nullptr, nullptr, &size));
    EXPECT_EQ(size, 0u);
}

INSTANTIATE_TEST_SUITE_P(MemoryAndFile, RegistryTest, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "Memory" : "File"; });

class RegistryFileTest : public ::testing::Test {
protected:
    support::ConfigHome home;
    void SetUp() override {
        headless::Reset();
        plat::detail::UseMemoryRegistry(false);
    }
    void TearDown() override { plat::detail::UseMemoryRegistry(true); }
};

TEST_F(RegistryFileTest, TheFileIsTextAndLaterLinesWin) {
    const uint32_t mode = 1;
    ASSERT_TRUE(plat::RegSetValue(kKey, "WndMode", plat::REG_DWORD, &mode, 4));
    const std::vector<uint8_t> bytes = support::ReadBytes(home.File("registry"));
    const std::string text(bytes.begin(), bytes.end());
    EXPECT_NE(text.find("[Software\\VORN\\ORV_DEMO\\Main]\nWndMode=4:01000000\n"), std::string::npos) << text;

    const std::string edited = "# kept by hand\n[software\\vorn\\orv_demo\\main]\nWndMode=4:02000000\n"
                               "broken line\n=4:00\nX=4:0g\nY=4:123\nZ=99999999999:00\n[no end\nW=4:00\n"
                               "[Software\\VORN\\ORV_DEMO\\Main]\r\nWndMode=4:03000000\r\n";
    ASSERT_TRUE(support::WriteBytes(home.File("registry"), std::vector<uint8_t>(edited.begin(), edited.end())));
    uint32_t got = 0, size = 4;
    ASSERT_TRUE(plat::RegQueryValue(kKey, "WndMode", nullptr, &got, &size));
    EXPECT_EQ(got, 3u);
    const plat::detail::RegStore store = plat::detail::ParseRegistry(edited);
    EXPECT_EQ(store.size(), 1u);
}

TEST_F(RegistryFileTest, ReadsAreBoundedAndAFailedWriteKeepsTheFile) {
    std::string text = "[K]\n";
    for (int i = 0; text.size() < 70 * 1024; ++i) text += "v" + std::to_string(i) + "=3:00\n";
    const plat::detail::RegStore store = plat::detail::ParseRegistry(text);
    EXPECT_LE(store.size(), 1024u);
    std::filesystem::create_directories(plat::ConfigDir());
    ASSERT_TRUE(support::WriteBytes(home.File("registry"), std::vector<uint8_t>(text.begin(), text.end())));
    uint32_t size = 0;
    EXPECT_TRUE(plat::RegQueryValue("K", "v0", nullptr, nullptr, &size));
    EXPECT_FALSE(plat::RegQueryValue("K", "v5000", nullptr, nullptr, &size));  // past the bound
    const std::vector<uint8_t> before = support::ReadBytes(home.File("registry"));
    headless::FailCall("WriteFile");
    headless::ClearDebugOutput();
    EXPECT_FALSE(plat::RegSetValue("K", "new", plat::REG_DWORD, &size, 4));
    EXPECT_EQ(support::ReadBytes(home.File("registry")), before);
    ASSERT_FALSE(headless::DebugOutput().empty());  // the debug output says why the placement was not kept
    EXPECT_NE(headless::DebugOutput().back().find("could not be written"), std::string::npos);
}

TEST(InstanceLock, TheConfigurationDirectoryFollowsTheBaseDirectoryRules) {
    support::ConfigHome home;
    EXPECT_EQ(plat::ConfigDir(), home.path() + "/orvant");
    const std::string old_home = plat::Env("HOME");
    setenv("XDG_CONFIG_HOME", "relative/dir", 1);  // ignored: only absolute paths count
    setenv("HOME", "/home/somebody", 1);
    EXPECT_EQ(plat::ConfigDir(), "/home/somebody/.config/orvant");
    unsetenv("HOME");  // the user's home from the password database
    EXPECT_NE(plat::ConfigDir().find("/.config/orvant"), std::string::npos);
    EXPECT_EQ(plat::ConfigDir()[0], '/');
    if (!old_home.empty()) setenv("HOME", old_home.c_str(), 1);
}

TEST(InstanceLock, ASecondHolderIsRefusedUntilTheFirstLetsGo) {
    support::ConfigHome home;
    ASSERT_TRUE(plat::AcquireInstanceLock("ORVTEST"));
    // Another open description of the same file, as a second process would hold.
    const int fd = ::open(home.File("ORVTEST.lock").c_str(), O_RDWR);
    ASSERT_GE(fd, 0);
    EXPECT_NE(::flock(fd, LOCK_EX | LOCK_NB), 0);
    plat::ReleaseInstanceLock();
    ASSERT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
    EXPECT_FALSE(plat::AcquireInstanceLock("ORVTEST"));
    ::close(fd);
    EXPECT_TRUE(plat::AcquireInstanceLock("ORVTEST"));
    plat::ReleaseInstanceLock();
}

// A user with no home gets a folder in the temporary folder, where anyone may make it first: it
// is made 0700 and used only while it is the user's own real folder (one of theirs with another
// mode is closed to 0700; so are the folders below it). Otherwise the registry's values stay in
// memory for the run, the game starts without the lock, and another user's folder is left as it
// was. Its files are never opened through links.
TEST(InstanceLock, WithoutAHomeOnlyAFolderOfTheUsersOwnInTheTemporaryFolderIsUsed) {
    namespace fs = std::filesystem;
    support::TempDir temp;
    headless::Reset();
    plat::detail::UseMemoryRegistry(false);
    plat::detail::PretendNoHome(temp.path());
    const std::string own = temp.File("orvant-" + std::to_string(::getuid())), dir = own + "/.config/orvant";
    EXPECT_EQ(plat::ConfigDir(), dir);
    struct Row {
        const char* what;
        std::function<bool()> make;
        bool used;
    };
    // The folder made by the user with `mode`.
    const auto ours = [&](mode_t mode) { return ::mkdir(own.c_str(), 0700) == 0 && ::chmod(own.c_str(), mode) == 0; };
    const Row rows[] = {
        {"none yet", [] { return true; }, true},
        {"ours, 0700", [&] { return ::mkdir(own.c_str(), 0700) == 0; }, true},
        {"ours, 0755 (as earlier versions made it)", [&] { return ours(0755); }, true},
        {"ours, 0777", [&] { return ours(0777); }, true},
        {"ours, 0500", [&] { return ours(0500); }, true},
        {"ours, 0777, .config a link to a folder of ours",
         [&] {
             return ours(0777) && ::mkdir("elsewhere", 0700) == 0 &&
                    ::symlink(temp.File("elsewhere").c_str(), (own + "/.config").c_str()) == 0;
         },
         false},
        {"ours, 0755, .config/orvant a file",
         [&] { return ours(0755) && ::mkdir((own + "/.config").c_str(), 0700) == 0 && support::WriteBytes(dir, {1}); },
         false},
        {"a link to a folder of ours",
         [&] { return ::mkdir("elsewhere", 0700) == 0 && ::symlink(temp.File("elsewhere").c_str(), own.c_str()) == 0; },
         false},
        {"a file", [&] { return support::WriteBytes(own, {1}); }, false},
        // Only a privileged test can give a folder away.
        {"another user's", [&] { return ::getuid() == 0 && ::mkdir(own.c_str(), 0700) == 0 && ::chown(own.c_str(), 65534, 65534) == 0; },
         false},
        {"another user's, 0755", [&] { return ::getuid() == 0 && ours(0755) && ::chown(own.c_str(), 65534, 65534) == 0; },
         false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        fs::remove_all(own), fs::remove_all("elsewhere");
        if (!row.make()) continue;
        struct stat made;
        const bool others = ::lstat(own.c_str(), &made) == 0 && made.st_uid != ::getuid();
        const uint32_t mode = 1;
        uint32_t got = 0, size = 4;
        EXPECT_TRUE(plat::RegSetValue(kKey, "WndMode", plat::REG_DWORD, &mode, 4));
        EXPECT_TRUE(plat::RegQueryValue(kKey, "WndMode", nullptr, &got, &size));
        EXPECT_EQ(got, 1u);
        EXPECT_TRUE(plat::AcquireInstanceLock("ORVTEST"));
        EXPECT_EQ(fs::exists(dir + "/registry"), row.used);
        EXPECT_EQ(fs::exists(dir + "/ORVTEST.lock"), row.used);
        plat::ReleaseInstanceLock();
        struct stat st;
        EXPECT_TRUE(!row.used || (::lstat(own.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && (st.st_mode & 07777) == 0700));
        EXPECT_TRUE(!others || (::lstat(own.c_str(), &st) == 0 && st.st_mode == made.st_mode))
            << "another user's folder was changed";
        plat::detail::UseMemoryRegistry(false);  // a new run
    }
    // Links in the folder, to a file of the player's and to one not yet there, are not followed.
    fs::remove_all(own);
    ASSERT_TRUE(plat::AcquireInstanceLock("ORVTEST"));
    plat::ReleaseInstanceLock();
    fs::remove(dir + "/ORVTEST.lock");
    ASSERT_TRUE(support::WriteBytes("profile", {'m', 'i', 'n', 'e'}));
    fs::create_symlink(temp.File("profile"), dir + "/registry");
    fs::create_symlink(temp.File("never"), dir + "/ORVTEST.lock");
    const uint32_t mode = 1;
    EXPECT_FALSE(plat::RegSetValue(kKey, "WndMode", plat::REG_DWORD, &mode, 4));
    EXPECT_TRUE(plat::AcquireInstanceLock("ORVTEST"));
    plat::ReleaseInstanceLock();
    EXPECT_EQ(support::ReadBytes("profile"), (std::vector<uint8_t>{'m', 'i', 'n', 'e'}));
    EXPECT_FALSE(fs::exists("never"));
    EXPECT_TRUE(fs::is_symlink(dir + "/registry") && fs::is_symlink(dir + "/ORVTEST.lock"));
    plat::detail::PretendNoHome({});
    plat::detail::UseMemoryRegistry(true);
}

}  // namespace
