// The per-user configuration directory and the single-instance lock.
#include "platform/instance.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "platform/debug.h"
#include "platform/platform.h"

namespace plat {
namespace {
int g_lock_fd = -1;
}  // namespace

std::string ConfigDir() {
    std::string base = Env("XDG_CONFIG_HOME");
    if (base.empty() || base[0] != '/') {  // a relative base directory is ignored
        std::string home = Env("HOME");
        if (home.empty())
            if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) home = pw->pw_dir;
        base = (home.empty() ? "/tmp/orvant-" + std::to_string(::getuid()) : home) + "/.config";
    }
    return base + "/orvant";
}

bool AcquireInstanceLock(const char* name) {
    ReleaseInstanceLock();
    const std::string dir = ConfigDir();
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    const std::string path = dir + "/" + name + ".lock";
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        OutputDebugString(("no instance lock at " + path + "\r\n").c_str());
        return true;
    }
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR) continue;
        const bool held = errno == EWOULDBLOCK;
        ::close(fd);
        return !held;
    }
    g_lock_fd = fd;
    return true;
}

void ReleaseInstanceLock() {
    if (g_lock_fd < 0) return;
    ::close(g_lock_fd);  // closing the last descriptor drops the lock
    g_lock_fd = -1;
}
}  // namespace plat
