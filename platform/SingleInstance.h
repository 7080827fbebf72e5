#pragma once

#include <string>

namespace plat {

// Takes an exclusive lock named after the main window's class in the runtime
// folder. false when another process holds it; the lock lasts for the process.
bool AcquireSingleInstance(const std::string& className);

// The lock file of a class: in XDG_RUNTIME_DIR, else in the temporary folder
// with the user id in its name.
std::string SingleInstanceLockPath(const std::string& className);

// Folder of the lock files: XDG_RUNTIME_DIR, else the temporary folder.
std::string RuntimeDir();

// The "Windows directory" of the programs: the system's temporary folder, "/" at the end.
std::string TempDir();

}  // namespace plat
