// The real KV_EDIT program, started twice on the same data folder.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <map>
#include <sys/file.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "tests/support/TempDir.h"

namespace {

pid_t StartIn(const std::string& exe, const std::string& cwd, const std::string& runtimeDir) {
  pid_t pid = fork();
  if (pid == 0) {
    setenv("XDG_RUNTIME_DIR", runtimeDir.c_str(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    if (chdir(cwd.c_str()) != 0) _exit(126);
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
bool LockHeldBy(const std::string& path, pid_t pid) {
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

int WaitExit(pid_t pid, std::chrono::milliseconds limit) {
  auto end = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < end) {
    int status;
    if (waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return -1;
}

// Every entry of a folder with its bytes and modification time.
std::map<std::string, std::pair<std::string, long long>> Snapshot(const TempDir& d) {
  std::map<std::string, std::pair<std::string, long long>> s;
  for (const auto& e : std::filesystem::directory_iterator(d.path())) {
    std::string name = e.path().filename().string();
    s[name] = {d.Read(name), static_cast<long long>(e.last_write_time().time_since_epoch().count())};
  }
  return s;
}

TEST(Programs, KvEditSecondStartEndsSilentlyAndTouchesNothing) {
  TempDir prog, data, runtime;
  std::string exe = prog.path() + "KV_EDIT";
  std::filesystem::copy_file(KV_EDIT_EXE, exe);
  std::filesystem::permissions(exe, std::filesystem::perms::owner_all);
  data.Write("PrgSetAll.dat", "!t\r\n/M10/\r\nBLK=073;\r\n0001=65;\r\n/M13/\r\nBLK=050;\r\n0001=1;\r\n");
  data.Write("a.cmd", "/M13/\r\n");

  pid_t first = StartIn(exe, data.path(), runtime.path());
  const std::string lock = runtime.path() + "TKV_FSel_Frm.lock";
  auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!LockHeldBy(lock, first) && std::chrono::steady_clock::now() < until)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  ASSERT_TRUE(LockHeldBy(lock, first));
  auto progBefore = Snapshot(prog);
  auto dataBefore = Snapshot(data);

  pid_t second = StartIn(exe, data.path(), runtime.path());
  EXPECT_EQ(WaitExit(second, std::chrono::seconds(10)), 0);
  EXPECT_EQ(Snapshot(prog), progBefore);
  EXPECT_EQ(Snapshot(data), dataBefore);
  EXPECT_EQ(WaitExit(first, std::chrono::milliseconds(50)), -1);  // the first runs on

  kill(first, SIGTERM);
  if (WaitExit(first, std::chrono::seconds(5)) == -1) {
    kill(first, SIGKILL);
    WaitExit(first, std::chrono::seconds(5));
  }
  // With the first gone the lock is free again: a later start would run.
  int fd = open(lock.c_str(), O_RDWR);
  ASSERT_GE(fd, 0);
  EXPECT_EQ(flock(fd, LOCK_EX | LOCK_NB), 0);
  close(fd);
}

}  // namespace
