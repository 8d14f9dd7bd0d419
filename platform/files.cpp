// Case-insensitive path resolution and files whose replacement is atomic.
#include "platform/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>  // renameat2
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "platform/backend.h"
#include "platform/debug.h"

namespace plat {
namespace {
// Whether a failure injected for this file call comes now: one of its name's, or one of those of
// "AnyFileCall", which counts the file calls of every kind in the order they come. Both count it.
bool Fails(const char* name) {
    const bool any = detail::ShouldFail("AnyFileCall");
    const bool named = detail::ShouldFail(name);
    return any || named;
}

bool IEquals(const std::string& a, const char* b) {
    size_t n = a.size();
    for (size_t i = 0; i < n; ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (y == 0) return false;
        if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x + 32);
        if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y + 32);
        if (x != y) return false;
    }
    return b[n] == 0;
}

bool Exists(const std::string& path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}

// The entry of dir named like `name` without regard to ASCII case, or empty.
std::string FindInsensitive(const std::string& dir, const std::string& name) {
    DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
    if (!d) return {};
    std::string found;
    while (dirent* e = ::readdir(d)) {
        if (IEquals(name, e->d_name)) {
            found = e->d_name;
            break;
        }
    }
    ::closedir(d);
    return found;
}

bool WriteAll(int fd, const void* data, size_t count) {
    const auto* p = static_cast<const uint8_t*>(data);
    while (count > 0) {
        if (Fails("WriteFile")) return false;
        detail::FileStep();
        ssize_t n = ::write(fd, p, count);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        count -= static_cast<size_t>(n);
    }
    return true;
}

std::string DirOf(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
}

std::string NameOf(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Temporary files of a target are "<target>.tmp<pid>_<n>", created exclusively (a name already
// taken gives way to the next) and locked while their write is open, so that a sweep tells a live
// write from what a killed one left behind whatever pid wrote it: a run that gets the pid of an
// earlier one again (a container's first process) meets that run's names.
std::string TempNameFor(const std::string& target) {
    static std::atomic<uint64_t> counter{std::random_device{}()};
    return target + ".tmp" + std::to_string(::getpid()) + "_" + std::to_string(counter++);
}

// Takes the lock of a temporary file without waiting. The "LockTemp" hook fails it as a file system
// without a lock service does.
int LockTemp(int fd) { return Fails("LockTemp") ? (errno = ENOLCK, -1) : ::flock(fd, LOCK_EX | LOCK_NB); }

// Whether `entry` is a temporary name of the file called `name`.
bool IsTempOf(const std::string& name, const char* entry) {
    const size_t n = name.size();
    if (std::strncmp(entry, name.c_str(), n) != 0 || std::strncmp(entry + n, ".tmp", 4) != 0) return false;
    const char* c = entry + n + 4;
    const char* pid = c;
    while (*c >= '0' && *c <= '9') ++c;
    if (c == pid || *c != '_') return false;
    const char* digits = ++c;
    while (*c >= '0' && *c <= '9') ++c;
    return c != digits && *c == 0;
}

// Calls fn(directory fd, entry) for each temporary file of `target` that no open write holds
// locked, what interrupted writes left behind, while holding its lock and while the name is still
// the file that was locked; stops when fn returns false. False when the sweep cannot tell what is
// there: the folder cannot be listed, or a temporary file of the target cannot be opened or locked.
template <class Fn>
bool ForEachStaleTemp(const std::string& target, Fn fn) {
    const std::string dir = DirOf(target), name = NameOf(target);
    if (Fails("ListFolder")) return false;
    DIR* d = ::opendir(dir.c_str());
    if (!d) return errno == ENOENT;  // no folder, no temporary file in it
    const int dfd = ::dirfd(d);
    bool told = true;
    for (;;) {
        errno = 0;
        const dirent* e = ::readdir(d);
        if (!e) {
            told = told && errno == 0;
            break;
        }
        if (!IsTempOf(name, e->d_name)) continue;
        const int fd = Fails("OpenTemp") ? (errno = EIO, -1)
                                         : ::openat(dfd, e->d_name, O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
        if (fd < 0) {
            told = told && errno == ENOENT;  // gone since the listing: another sweep removed it
            continue;
        }
        struct stat held, named;
        bool stop = false;
        if (LockTemp(fd) != 0)
            told = told && errno == EWOULDBLOCK;  // a write still open holds it
        else if (::fstat(fd, &held) != 0 || ::fstatat(dfd, e->d_name, &named, AT_SYMLINK_NOFOLLOW) != 0)
            told = told && errno == ENOENT;
        else
            stop = held.st_ino == named.st_ino && held.st_dev == named.st_dev && !fn(dfd, e->d_name);
        ::close(fd);
        if (stop) break;
    }
    ::closedir(d);
    return told;
}

// Removes what interrupted writes of `target` left; false when one may still be there (it could
// not be removed, or the sweep could not tell).
bool RemoveStaleTemps(const std::string& target) {
    bool removed = true;
    const bool told = ForEachStaleTemp(target, [&](int dfd, const char* entry) {
        if (Fails("DeleteTemp")) {
            removed = false;
        } else {
            detail::FileStep();
            if (::unlinkat(dfd, entry, 0) != 0 && errno != ENOENT) removed = false;
        }
        return true;
    });
    return told && removed;
}

// A new temporary file for `target`, created exclusively and locked; its descriptor, or -1. One
// whose lock fails is removed by its name at once, before anything else: left unlocked, it would
// pass for what a killed write left. Another name is tried only when a sweep held the lock (it
// removes the file); otherwise (a file system without locks) the write is refused, and says why.
int CreateTemp(const std::string& target, mode_t mode, std::string* temp) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        *temp = TempNameFor(target);
        detail::FileStep();
        const int fd = ::open(temp->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            break;
        }
        if (LockTemp(fd) != 0) {
            const int err = errno;
            detail::FileStep();
            ::unlink(temp->c_str());
            ::close(fd);
            if (err == EWOULDBLOCK) continue;
            OutputDebugString(("files: " + target + " is not written: its temporary file cannot be locked (" +
                               std::strerror(err) + ")\r\n").c_str());
            break;
        }
        // A sweep that locked the new file before us may have removed its name: take another.
        struct stat st;
        if (::fstat(fd, &st) != 0 || st.st_nlink > 0) return fd;
        ::close(fd);
    }
    temp->clear();
    return -1;
}

// The file a chain of symbolic links ends at (the path itself when it is none); empty for a loop.
std::string FollowLinks(std::string path) {
    for (int depth = 0; depth < 40; ++depth) {
        struct stat st;
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
        char buf[PATH_MAX];
        const ssize_t n = ::readlink(path.c_str(), buf, sizeof buf);
        if (n <= 0 || size_t(n) >= sizeof buf) return {};
        std::string link(buf, size_t(n));
        path = link[0] == '/' ? link : DirOf(path) + "/" + link;
    }
    return {};
}

// fsync the directory holding `path` so the rename survives a crash. The rename is made whatever
// happens here; a flush that fails only says so (a crash may then undo the rename).
void SyncDirOf(const std::string& path) {
    const std::string dir = DirOf(path);
    int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    int err = fd < 0 ? errno : 0;
    if (fd >= 0) {
        detail::FileStep();
        if (Fails("FlushFolder"))
            err = EIO;
        else if (::fsync(fd) != 0)
            err = errno;
        ::close(fd);
    }
    if (err != 0)
        OutputDebugString(("files: the folder " + dir + " could not be flushed after " + NameOf(path) +
                           " was replaced (" + std::strerror(err) + "); a crash may undo it\r\n").c_str());
}

const char* g_game_folder = nullptr;

// The game name `in` resolved below `out`, a folder used as it is (empty: the current folder, or
// the root for a name that starts with a separator).
std::string ResolveBelow(std::string out, std::string in) {
    for (char& c : in)
        if (c == '\\') c = '/';
    size_t pos = 0;
    if (out.empty() && !in.empty() && in[0] == '/') {
        out = "/";
        pos = 1;
    }
    bool resolving = true;  // once a component is missing, the rest is kept as written
    while (pos <= in.size()) {
        size_t next = in.find('/', pos);
        if (next == std::string::npos) next = in.size();
        std::string comp = in.substr(pos, next - pos);
        pos = next + 1;
        if (comp.empty()) {
            if (next >= in.size()) break;
            continue;
        }
        std::string base = out;
        if (!base.empty() && base.back() != '/') base += '/';
        if (resolving && comp != "." && comp != ".." && !Exists(base + comp)) {
            // The directory without its trailing separator; the root keeps its own.
            std::string dir = base.size() > 1 ? base.substr(0, base.size() - 1) : base;
            std::string match = FindInsensitive(dir, comp);
            if (!match.empty())
                comp = match;
            else
                resolving = false;
        }
        out = base + comp;
    }
    return out;
}
}  // namespace

void SetGameFolder(const char* folder) { g_game_folder = folder; }

std::string ResolvePath(const char* name) {
    if (!name) return {};
    if (g_game_folder && g_game_folder[0]) {
        const size_t n = std::strlen(g_game_folder);
        if (std::strncmp(name, g_game_folder, n) == 0) return ResolveBelow(std::string(name, n), name + n);
    }
    return ResolveBelow({}, name);
}

std::string GetCurrentDirectory() {
    char buf[PATH_MAX];
    if (!::getcwd(buf, sizeof buf)) return ".";
    return buf;
}

File::~File() {
    if (!temp_.empty())
        Discard();
    else if (fd_ >= 0)
        Close();
}

void File::Discard() {
    // An abandoned write: the target stays as it was.
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    detail::FileStep();
    ::unlink(temp_.c_str());
    ReleaseLock();
    temp_.clear();
}

bool File::Open(const char* name, Mode mode, Links links) { return OpenTarget(ResolvePath(name), mode, links); }

bool File::Open(const GivenPath& path, Mode mode, Links links) { return OpenTarget(path.path, mode, links); }

bool File::OpenTarget(std::string target, Mode mode, Links links) {
    if (fd_ >= 0 || !temp_.empty()) Close();
    failed_ = false;
    swept_ = false;
    target_ = std::move(target);
    temp_.clear();
    if (target_.empty()) return false;
    if (mode == Mode::Read) {
        if (Fails("OpenFile")) return false;
        // Without waiting: opening a pipe blocks until it has a writer, and only files are read.
        fd_ = ::open(target_.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | (links == Links::Refuse ? O_NOFOLLOW : 0));
        if (fd_ >= 0) {
            struct stat st;
            if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode) || ::fcntl(fd_, F_SETFL, 0) != 0) {
                ::close(fd_);
                fd_ = -1;
            }
        }
        return fd_ >= 0;
    }
    if (Fails("CreateFile")) return false;
    durable_ = mode == Mode::CreateAlways;
    // Write where a link points, so the link stays a link.
    if (links == Links::Follow) target_ = FollowLinks(target_);
    if (target_.empty()) return false;
    struct stat st;
    const bool exists = ::lstat(target_.c_str(), &st) == 0;
    if (exists && !S_ISREG(st.st_mode)) return false;
    swept_ = RemoveStaleTemps(target_);
    fd_ = CreateTemp(target_, exists ? 0600 : 0644, &temp_);
    if (fd_ < 0) return false;
    // A second descriptor of the same open file keeps the lock from the close to the rename.
    lock_fd_ = ::fcntl(fd_, F_DUPFD_CLOEXEC, 0);
    if (exists) {
        // The replacement keeps the old file's permission bits (and owner, where allowed).
        ::fchmod(fd_, st.st_mode & 07777);
        [[maybe_unused]] const int owner_kept = ::fchown(fd_, st.st_uid, st.st_gid);
    }
    return true;
}

void File::ReleaseLock() {
    if (lock_fd_ >= 0) ::close(lock_fd_);
    lock_fd_ = -1;
}

size_t File::Read(void* buffer, size_t count) {
    if (fd_ < 0 || !temp_.empty()) return 0;
    size_t total = 0;
    auto* p = static_cast<uint8_t*>(buffer);
    while (total < count) {
        ssize_t n = ::read(fd_, p + total, count - total);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        total += static_cast<size_t>(n);
    }
    return total;
}

size_t File::Write(const void* data, size_t count) {
    if (fd_ < 0 || temp_.empty() || failed_) return 0;
    if (!WriteAll(fd_, data, count)) {
        failed_ = true;
        return 0;
    }
    return count;
}

bool File::Seek(uint64_t offset) {
    return fd_ >= 0 && ::lseek(fd_, static_cast<off_t>(offset), SEEK_SET) >= 0;
}

int64_t File::Size() const {
    if (fd_ < 0) return -1;
    struct stat st;
    if (::fstat(fd_, &st) != 0) return -1;
    return st.st_size;
}

int64_t File::Tell() const {
    if (fd_ < 0) return -1;
    return ::lseek(fd_, 0, SEEK_CUR);
}

bool File::Flush() {
    if (fd_ < 0 || temp_.empty()) return false;
    bool ok = !failed_;
    if (ok && durable_) {
        ok = !Fails("FlushFile");
        if (ok) detail::FileStep();
        ok = ok && ::fsync(fd_) == 0;
    }
    // close() can report a write the kernel could not complete.
    if (::close(fd_) != 0 || Fails("CloseFile")) ok = false;
    fd_ = -1;
    failed_ = !ok;
    return ok;
}

bool File::Close() {
    if (temp_.empty()) {
        if (fd_ < 0) return false;
        ::close(fd_);
        fd_ = -1;
        return true;
    }
    if (Commit()) return true;
    Discard();
    return false;
}

bool File::Commit() {
    if (temp_.empty()) return Close();
    if (fd_ >= 0 ? !Flush() : failed_) return false;
    detail::FileStep();
    if (Fails("RenameFile") || ::rename(temp_.c_str(), target_.c_str()) != 0) {
        failed_ = true;
        return false;
    }
    ReleaseLock();
    if (durable_) SyncDirOf(target_);
    temp_.clear();
    return true;
}

void File::Leave() {
    if (temp_.empty()) return;
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    ReleaseLock();  // unlocked, it is what a killed write leaves
    temp_.clear();
}

int64_t FileSize(const char* name) {
    File f;
    if (!f.Open(name, File::Mode::Read)) return -1;
    return f.Size();
}

namespace {
template <class Name>
bool WriteWhole(const Name& name, const void* data, size_t count, File::Mode mode,
                File::Links links = File::Links::Follow) {
    File f;
    if (!f.Open(name, mode, links)) return false;
    bool ok = count == 0 || f.Write(data, count) == count;
    if (!ok) return false;  // the destructor removes the temporary file
    return f.Close();
}
}  // namespace

bool WriteFileAtomic(const char* name, const void* data, size_t count, File::Links links) {
    return WriteWhole(name, data, count, File::Mode::CreateAlways, links);
}

bool WriteFileAtomic(const GivenPath& path, const void* data, size_t count, File::Links links) {
    return WriteWhole(path, data, count, File::Mode::CreateAlways, links);
}

bool WriteFileScratch(const char* name, const void* data, size_t count) {
    return WriteWhole(name, data, count, File::Mode::CreateScratch);
}

bool FileExists(const char* name) {
    const std::string p = ResolvePath(name);
    return !p.empty() && Exists(p);
}

Leftover LeftByKilledWrite(const char* name) {
    const std::string target = FollowLinks(ResolvePath(name));
    if (target.empty()) return Leftover::Unknown;
    bool found = false;
    const bool told = ForEachStaleTemp(target, [&](int, const char*) { return !(found = true); });
    return found ? Leftover::There : told ? Leftover::None : Leftover::Unknown;
}

bool DeleteFile(const char* name) {
    if (Fails("DeleteFile")) return false;
    std::string p = ResolvePath(name);
    if (p.empty()) return false;
    detail::FileStep();
    return ::unlink(p.c_str()) == 0;
}

namespace {
// Both kinds of move: the same failure hook, names and step; only the rename differs.
bool Move(const char* from, const char* to, bool replace) {
    if (Fails("MoveFile")) return false;
    const std::string a = ResolvePath(from), b = ResolvePath(to);
    if (a.empty() || b.empty()) return false;
    detail::FileStep();
    if (replace) return ::rename(a.c_str(), b.c_str()) == 0;
    // The "RenameNoReplace" hook stands for a file system that does not know the flag.
    const int moved = detail::ShouldFail("RenameNoReplace")
                          ? (errno = EINVAL, -1)
                          : ::renameat2(AT_FDCWD, a.c_str(), AT_FDCWD, b.c_str(), RENAME_NOREPLACE);
    if (moved == 0) return true;
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) return false;
    // A file system that cannot rename without replacing: the target is looked for first.
    if (Exists(b)) {
        errno = EEXIST;
        return false;
    }
    return ::rename(a.c_str(), b.c_str()) == 0;
}
}  // namespace

bool MoveFile(const char* from, const char* to) { return Move(from, to, true); }

bool MoveFileNoReplace(const char* from, const char* to) { return Move(from, to, false); }

bool CreateDirectory(const char* name) {
    std::string p = ResolvePath(name);
    if (p.empty()) return false;
    detail::FileStep();
    return ::mkdir(p.c_str(), 0755) == 0 || errno == EEXIST;
}
}  // namespace plat
