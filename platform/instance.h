// One copy of the program per user: an advisory lock file in the per-user configuration directory.
#pragma once
#include <string>

namespace plat {
// The program's per-user directory: $XDG_CONFIG_HOME/orvant, or ~/.config/orvant without it.
std::string ConfigDir();

// Takes the lock `name` for this process (a file "<name>.lock" in ConfigDir). False when another
// holder has it; true also when the directory cannot be made (a program that cannot lock still runs).
bool AcquireInstanceLock(const char* name);
// Gives the lock back (the process's end does it too).
void ReleaseInstanceLock();
}  // namespace plat
