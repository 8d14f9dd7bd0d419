// One copy of the program per user: an advisory lock file in the per-user configuration directory.
#pragma once
#include <string>

#include "platform/files.h"

namespace plat {
// The program's per-user directory: $XDG_CONFIG_HOME/orvant, or ~/.config/orvant without it; a user
// with no home gets .config/orvant in a folder of their own in the temporary folder
// ("/tmp/orvant-<uid>").
std::string ConfigDir();

// Takes the lock `name` for this process (a file "<name>.lock" in ConfigDir). False when another
// holder has it; true also when there is no lock to take (the directory cannot be made or is not
// the user's own, the name is not a file of its own): a program that cannot lock still runs.
bool AcquireInstanceLock(const char* name);
// Gives the lock back (the process's end does it too).
void ReleaseInstanceLock();
}  // namespace plat

namespace plat::detail {
// ConfigDir made ready for the registry file and the lock (its folders made when `make`), with
// how to open the files in it: the no-home folder's never through links. Empty, with a debug line,
// when that folder is not the user's own (another owner, a link, not a folder); one of the user's
// own is closed to 0700.
std::string PrepareConfigDir(bool make, File::Links* links);
// Tests: a user with no home, whose temporary folder is `temp` (empty: the user as they are).
void PretendNoHome(const std::string& temp);
}  // namespace plat::detail
