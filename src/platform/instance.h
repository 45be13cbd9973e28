// Detection of a second running copy of the program for the same user.
//
// The first copy takes an exclusive lock on a per-user lock file and holds it
// for the life of the process; the system releases it when the process ends,
// however it ends. A copy started while the lock is held cannot take it.
//
// The lock file is "<program>.lock" in $XDG_RUNTIME_DIR (the user's private
// run-time folder) or, when that is unset or empty, in $XDG_CACHE_HOME or
// ~/.cache. On Windows it is in the user's temporary folder.
#pragma once

#include <string>
#include <string_view>

namespace vt::platform {

// True when this process runs the only copy of `programName` for this user:
// it now holds the lock (a second call keeps the lock and is true again).
// False when another running process holds it. When no lock file can be made
// at all, the copy cannot be told apart and the answer is true.
bool claimSoleInstance(std::string_view programName);

// The native path of the lock file of `programName`.
std::string instanceLockFile(std::string_view programName);

// Lets go of the lock this process holds (for a child process of a test,
// which inherits its parent's lock and must ask for its own).
void releaseSoleInstance();

}  // namespace vt::platform
