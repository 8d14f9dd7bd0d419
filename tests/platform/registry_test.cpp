// The registry store (in memory and in its per-user file) and the single-instance lock.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>

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
    EXPECT_FALSE(plat::RegSetValue("K", "new", plat::REG_DWORD, &size, 4));
    EXPECT_EQ(support::ReadBytes(home.File("registry")), before);
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

}  // namespace
