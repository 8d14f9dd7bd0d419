// Test helpers on files: temporary directories and whole-file reads and writes.
#include <stdlib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "tests/support/fixture.h"

namespace support {
TempDir::TempDir() {
    char tmpl[] = "/tmp/orv_test_XXXXXX";
    char* p = mkdtemp(tmpl);
    path_ = p ? p : "/tmp";
    old_cwd_ = std::filesystem::current_path().string();
    std::filesystem::current_path(path_);
}

ConfigHome::ConfigHome() {
    char tmpl[] = "/tmp/orv_config_XXXXXX";
    char* p = mkdtemp(tmpl);
    path_ = p ? p : "/tmp";
    if (const char* v = std::getenv("XDG_CONFIG_HOME")) old_ = v, had_ = true;
    setenv("XDG_CONFIG_HOME", path_.c_str(), 1);
}

ConfigHome::~ConfigHome() {
    if (had_)
        setenv("XDG_CONFIG_HOME", old_.c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");
    std::error_code ec;
    if (path_ != "/tmp") std::filesystem::remove_all(path_, ec);
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::current_path(old_cwd_, ec);
    std::filesystem::remove_all(path_, ec);
}

bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::vector<uint8_t> out;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return out;
    uint8_t buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.insert(out.end(), buf, buf + n);
    std::fclose(f);
    return out;
}
}  // namespace support
