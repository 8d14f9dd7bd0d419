// Files and paths: one case-insensitive resolver for every name, atomic replacement of kept files.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace plat {
// Maps a game path ('\' or '/' separated, any ASCII case) to the file system path: each
// existing component is matched exactly first, then without regard to ASCII case. Components
// that do not exist are kept as written (so a new file is created inside the existing
// directory of whatever case). A name that starts with the game folder (SetGameFolder) keeps
// that start byte for byte: only the game's own name after it is read so.
std::string ResolvePath(const char* name);

// The folder the game joins its names to, ending in '/': a player's folder, whose name may hold
// a '\' or any byte. The buffer is read at every call (the game keeps it: FIL_BaseDir).
void SetGameFolder(const char* folder);

// A path the player or the system gave (a home folder, ORV_SCREENSHOT, ORV_INPUT): used byte for
// byte, where a game name has its '\' read as separators and its letter case matched.
struct GivenPath {
    std::string path;
};

// The current directory, as the game's base directory is taken from it.
std::string GetCurrentDirectory();

class File {
public:
    // CreateAlways is for files the player keeps: atomic and durable. CreateScratch is for files no
    // player keeps (the temporary voice file): still replaced whole, but without waiting for the disk.
    enum class Mode { Read, CreateAlways, CreateScratch };
    // Refuse: a name that is a symbolic link is refused like anything else not a regular file (for
    // a folder whose links cannot be trusted).
    enum class Links { Follow, Refuse };
    File() = default;
    ~File();
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    // The create modes write to a temporary file beside the target; Close replaces the target
    // with it (fsync, rename) so a failed or interrupted write leaves the old file whole. A target
    // that is a symbolic link is followed (unless refused), its permission bits are kept, a
    // directory (or anything else not a regular file) is refused, and temporary files that an
    // interrupted write of the same target left behind are removed, whichever process wrote them
    // (SweptLeftovers says whether all were; the write goes on either way). The temporary file is
    // locked while the write is open; one that cannot be locked (a file system without locks) is
    // removed at once and the create refused, with a debug line saying why.
    bool Open(const char* name, Mode mode, Links links = Links::Follow);
    bool Open(const GivenPath& path, Mode mode, Links links = Links::Follow);
    // For the create modes, once open: whether no temporary file that an interrupted write of the
    // target left can still be there (false when one could not be removed, or when the folder could
    // not be listed or one of them opened).
    bool SweptLeftovers() const { return swept_; }
    bool IsOpen() const { return fd_ >= 0; }
    // Bytes read (0 at the end or on error).
    size_t Read(void* buffer, size_t count);
    // Bytes written; fewer than count means the write failed.
    size_t Write(const void* data, size_t count);
    bool Seek(uint64_t offset);
    int64_t Size() const;  // -1 when not open
    int64_t Tell() const;  // current read/write position, -1 when not open
    // For the create modes: ends the writing (the temporary file is flushed to the disk for
    // CreateAlways, and closed), so that Close only renames it over the target; false when a write
    // or the flush failed. The target is untouched until Close.
    bool Flush();
    // For the create modes: commits the file when every write succeeded; false when it did not.
    bool Close();
    // For the create modes: like Close, except that a file written whole whose rename over the
    // target fails stays: false, and the target untouched, but the temporary file is still held,
    // for Close or the destructor to remove or Leave to leave.
    bool Commit();
    // For the create modes: ends a write that was not committed without removing its temporary
    // file, as a killed write leaves it (LeftByKilledWrite finds it; the next write of the target
    // removes it).
    void Leave();

private:
    bool OpenTarget(std::string target, Mode mode, Links links);
    void ReleaseLock();
    void Discard();  // removes the temporary file of a write not committed
    int fd_ = -1;
    int lock_fd_ = -1;  // holds the temporary file's lock until it is renamed or removed
    bool failed_ = false;
    bool durable_ = true;
    bool swept_ = false;
    std::string target_, temp_;
};

// Size of the file in bytes, -1 when it cannot be opened.
int64_t FileSize(const char* name);
// Whether anything of that name is there (a file that cannot be read too).
bool FileExists(const char* name);
// What a write of a file that never ended (its process killed) left: its temporary file is there
// (the write had not replaced the file yet; the next write of the file removes it), none is, or it
// cannot be told (the folder cannot be listed, or a temporary file of the file cannot be opened).
enum class Leftover { None, There, Unknown };
Leftover LeftByKilledWrite(const char* name);
// Replaces the file with exactly these bytes: temporary file, fsync, rename. False on any failure,
// in which case the old file is untouched.
bool WriteFileAtomic(const char* name, const void* data, size_t count, File::Links links = File::Links::Follow);
bool WriteFileAtomic(const GivenPath& path, const void* data, size_t count, File::Links links = File::Links::Follow);
// The same for a file no player keeps: replaced whole, no fsync.
bool WriteFileScratch(const char* name, const void* data, size_t count);
bool DeleteFile(const char* name);
// Renames a file, replacing the target in one step; false when the source is missing or the
// rename fails. The directory is not flushed: the next atomic write into it flushes it.
bool MoveFile(const char* from, const char* to);
// The same, except that a target that is there (whatever it is) is never replaced: false then,
// and both stay as they were. On a file system that cannot rename without replacing, the target
// is looked for first (the two steps are one for the single instance the program allows).
bool MoveFileNoReplace(const char* from, const char* to);
bool CreateDirectory(const char* name);
}  // namespace plat
