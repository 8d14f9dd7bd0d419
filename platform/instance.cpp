// The per-user configuration directory and the single-instance lock.
#include "platform/instance.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "platform/debug.h"
#include "platform/platform.h"

namespace plat {
namespace {
int g_lock_fd = -1;
std::string g_no_home_temp;  // tests

// The folder a user with no home gets in the temporary folder, which every local user may write
// in: only a folder that is the user's own and closed to others is used.
std::string NoHomeFolder() {
    return (g_no_home_temp.empty() ? std::string("/tmp") : g_no_home_temp) + "/orvant-" + std::to_string(::getuid());
}

// Whether `own` (NoHomeFolder) is a real folder of the user's, closed to others. Made at once, so
// that nobody else takes the name first; one of theirs with another mode (earlier versions made it
// 0755) is closed to exactly 0700 first, and then nobody else can put a link below it. Another
// owner's, a link or not a folder is refused with a debug line.
bool OwnNoHomeFolder(const std::string& own) {
    ::mkdir(own.c_str(), 0700);
    struct stat st;
    bool ours = ::lstat(own.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid() &&
                ((st.st_mode & 07777) == 0700 || ::chmod(own.c_str(), 0700) == 0);
    // The folders the files go in, once made, are the user's own real folders too: a folder that
    // was open to others may hold their links.
    for (const char* below : {"/.config", "/.config/orvant"})
        if (ours && ::lstat((own + below).c_str(), &st) == 0)
            ours = S_ISDIR(st.st_mode) && st.st_uid == ::getuid();
    if (!ours)
        OutputDebugString(("the folder " + own +
                           " is not the user's own (a real folder of theirs): no registry file, no instance lock\r\n")
                              .c_str());
    return ours;
}

// The directory that holds ".../orvant"; *no_home when it is inside NoHomeFolder.
std::string ConfigBase(bool* no_home) {
    *no_home = false;
    if (g_no_home_temp.empty()) {
        std::string base = Env("XDG_CONFIG_HOME");
        if (!base.empty() && base[0] == '/') return base;  // a relative base directory is ignored
        std::string home = Env("HOME");
        if (home.empty())
            if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) home = pw->pw_dir;
        if (!home.empty()) return home + "/.config";
    }
    *no_home = true;
    return NoHomeFolder() + "/.config";
}
}  // namespace

std::string ConfigDir() {
    bool no_home = false;
    return ConfigBase(&no_home) + "/orvant";
}

bool AcquireInstanceLock(const char* name) {
    ReleaseInstanceLock();
    File::Links links;
    const std::string dir = detail::PrepareConfigDir(true, &links);
    if (dir.empty()) return true;
    const std::string path = dir + "/" + name + ".lock";
    // A file of its own only: never through a link, never waiting on a pipe.
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
    struct stat st;
    if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        if (fd >= 0) ::close(fd);
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

namespace plat::detail {
std::string PrepareConfigDir(bool make, File::Links* links) {
    bool no_home = false;
    const std::string dir = ConfigBase(&no_home) + "/orvant";
    *links = no_home ? File::Links::Refuse : File::Links::Follow;
    if (no_home && !OwnNoHomeFolder(NoHomeFolder())) return {};
    if (make) {
        std::error_code ec;
        std::filesystem::create_directories(dir, ec);
    }
    return dir;
}

void PretendNoHome(const std::string& temp) { g_no_home_temp = temp; }
}  // namespace plat::detail
