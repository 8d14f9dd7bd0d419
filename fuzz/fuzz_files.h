// What file harnesses share: per-input reset of the platform's logs, and files kept on a memory file
// system so that millions of inputs never touch a disk.
#pragma once
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/headless/headless.h"

namespace fuzz {
// The call log and debug capture grow with every call; each input starts them empty.
inline void ResetLogs() {
    headless::ClearCallLog();
    headless::ClearDebugOutput();
}

// Removes what harnesses that crashed or were killed left in `base`: entries "orv_fuzz_<pid>..."
// whose process is gone.
inline void RemoveLeftovers(const std::string& base) {
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(base, ec)) {
        const std::string name = e.path().filename().string();
        if (name.rfind("orv_fuzz_", 0) != 0) continue;
        const long pid = std::strtol(name.c_str() + 9, nullptr, 10);
        if (pid > 0 && ::kill(pid_t(pid), 0) != 0 && errno == ESRCH) std::filesystem::remove_all(e.path(), ec);
    }
}

// A directory of this process on the memory file system (the temporary directory where there is
// none), made at the first use and removed with what it holds when the process exits.
inline const std::string& MemoryDir() {
    struct Dir {
        std::string path;
        Dir() {
            struct stat st;
            const std::string base = ::stat("/dev/shm", &st) == 0 && S_ISDIR(st.st_mode) ? "/dev/shm" : "/tmp";
            RemoveLeftovers(base);
            path = base + "/orv_fuzz_" + std::to_string(::getpid());
            ::mkdir(path.c_str(), 0700);
        }
        ~Dir() {
            std::error_code ec;
            std::filesystem::remove_all(path, ec);
        }
    };
    static const Dir dir;
    return dir.path;
}

// Writes the bytes as the named file in the memory directory; its path, or empty on failure.
inline std::string MemoryFile(const char* name, const uint8_t* data, size_t size) {
    std::string path = MemoryDir() + "/" + name;
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return {};
    const bool ok = size == 0 || std::fwrite(data, 1, size, f) == size;
    return std::fclose(f) == 0 && ok ? path : std::string();
}
}  // namespace fuzz
