// Starting a built program as a process, and watching it from outside.
#pragma once

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

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

// The processes that hold a flock on the file, read from /proc/locks: a
// probe with flock itself could take the lock at the moment the program
// tries it and make the program end as a second start.
inline std::vector<pid_t> LockHolders(const std::string& path) {
  std::vector<pid_t> out;
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return out;
  std::ifstream locks("/proc/locks");
  std::string line;
  const std::string inode = ":" + std::to_string(static_cast<unsigned long long>(st.st_ino));
  while (std::getline(locks, line)) {
    // "1: FLOCK  ADVISORY  WRITE 4242 fe:00:1234 0 EOF"; waiters carry "->".
    std::istringstream f(line);
    std::string id, kind, mode, rw, pid, file;
    if (!(f >> id >> kind >> mode >> rw >> pid >> file) || kind != "FLOCK") continue;
    if (file.size() > inode.size() && file.compare(file.size() - inode.size(), inode.size(), inode) == 0)
      out.push_back(static_cast<pid_t>(std::stol(pid)));
  }
  return out;
}

// Whether process pid holds a flock on the file.
inline bool LockHeldBy(const std::string& path, pid_t pid) {
  for (pid_t p : LockHolders(path))
    if (p == pid) return true;
  return false;
}

// The processes of process group pgid that run (an ended one that nobody
// reaped yet does not).
inline std::vector<pid_t> GroupMembers(pid_t pgid) {
  std::vector<pid_t> out;
  for (const auto& e : std::filesystem::directory_iterator("/proc")) {
    std::ifstream f(e.path() / "stat");
    std::string stat;
    if (!std::getline(f, stat)) continue;
    // "pid (name) state ppid pgrp ...": the name may hold anything.
    std::istringstream rest(stat.substr(stat.rfind(')') + 1));
    char state = 0;
    long ppid = 0, group = 0;
    if (rest >> state >> ppid >> group && group == pgid && state != 'Z')
      out.push_back(static_cast<pid_t>(std::stol(e.path().filename().string())));
  }
  return out;
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
