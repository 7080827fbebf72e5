// Starting a built program as a process, and watching it from outside.
#pragma once

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace progrun {

// Starts exe offscreen (or on the given Qt platform) with its own runtime
// folder (where the single-instance locks live), in cwd when one is given;
// its error output is dropped.
inline pid_t Start(const std::string& exe, const std::string& runtimeDir, const std::string& cwd = {},
                   const char* platform = "offscreen") {
  pid_t pid = fork();
  if (pid == 0) {
    setenv("XDG_RUNTIME_DIR", runtimeDir.c_str(), 1);
    setenv("QT_QPA_PLATFORM", platform, 1);
    if (!cwd.empty() && chdir(cwd.c_str()) != 0) _exit(126);
    int devnull = open("/dev/null", O_WRONLY);
    dup2(devnull, 2);
    execl(exe.c_str(), exe.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  return pid;
}

// Whether process pid holds a flock on the file, read from /proc/locks: a
// probe with flock itself could take the lock at the moment the program
// tries it and make the program end as a second start.
inline bool LockHeldBy(const std::string& path, pid_t pid) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return false;
  std::ifstream locks("/proc/locks");
  std::string line;
  const std::string inode = ":" + std::to_string(static_cast<unsigned long long>(st.st_ino)) + " ";
  const std::string owner = " " + std::to_string(pid) + " ";
  while (std::getline(locks, line))
    if (line.find("FLOCK") != std::string::npos && line.find(owner) != std::string::npos &&
        line.find(inode) != std::string::npos)
      return true;
  return false;
}

// Waits until pid holds the lock on path, at most limit.
inline bool WaitLock(const std::string& path, pid_t pid, std::chrono::milliseconds limit) {
  auto end = std::chrono::steady_clock::now() + limit;
  while (!LockHeldBy(path, pid)) {
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

// The child's exit code; -1 when it did not end in time.
inline int WaitExit(pid_t pid, std::chrono::milliseconds limit) {
  auto end = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < end) {
    int status;
    if (waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return -1;
}

// Ends a child that still runs, forcibly when it does not end by itself.
inline void Stop(pid_t pid) {
  kill(pid, SIGTERM);
  if (WaitExit(pid, std::chrono::seconds(5)) == -1) {
    kill(pid, SIGKILL);
    WaitExit(pid, std::chrono::seconds(5));
  }
}

}  // namespace progrun
