// The real ORVO_ADMIN program, started twice as processes.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "platform/FileSys.h"
#include "tests/support/TempDir.h"

namespace {

pid_t StartAdmin(const std::string& exe, const std::string& runtimeDir) {
  pid_t pid = fork();
  if (pid == 0) {
    setenv("XDG_RUNTIME_DIR", runtimeDir.c_str(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    int devnull = open("/dev/null", O_WRONLY);
    dup2(devnull, 2);
    execl(exe.c_str(), exe.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  return pid;
}

bool Held(const std::string& path) {
  int fd = open(path.c_str(), O_RDWR);
  if (fd < 0) return false;
  bool held = flock(fd, LOCK_EX | LOCK_NB) != 0;
  if (!held) flock(fd, LOCK_UN);
  close(fd);
  return held;
}

// The child's exit code; -1 when it did not end in time.
int ExitOf(pid_t pid, std::chrono::milliseconds limit) {
  auto end = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < end) {
    int status;
    if (waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return -1;
}

std::vector<std::string> Names(const std::string& dir) {
  std::vector<fsys::DirEntry> list;
  fsys::ListDir(dir, "*", list);
  std::vector<std::string> names;
  for (auto& e : list) names.push_back(e.name);
  return names;
}

TEST(Programs, SecondAdminStartEndsAtOnceAndTouchesNothing) {
  TempDir prog, runtime;
  std::string exe = prog.path() + "ORVO_ADMIN";
  std::filesystem::copy_file(ORVO_ADMIN_EXE, exe);
  std::filesystem::permissions(exe, std::filesystem::perms::owner_all);
  prog.Write("MODEM.INF", "A,ATZ,ATD,,+++,ATH\r\n");

  pid_t first = StartAdmin(exe, runtime.path());
  auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!Held(runtime.path() + "TAMain_Frm.lock") && std::chrono::steady_clock::now() < until)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  ASSERT_TRUE(Held(runtime.path() + "TAMain_Frm.lock"));
  // ORVO's lock is another one: ORVO_ADMIN does not keep ORVO from starting.
  EXPECT_FALSE(Held(runtime.path() + "TMain_Frm.lock"));
  std::vector<std::string> before = Names(prog.path());

  pid_t second = StartAdmin(exe, runtime.path());
  EXPECT_EQ(ExitOf(second, std::chrono::seconds(10)), 0);
  EXPECT_EQ(Names(prog.path()), before);
  EXPECT_EQ(prog.Read("MODEM.INF"), "A,ATZ,ATD,,+++,ATH\r\n");
  EXPECT_EQ(ExitOf(first, std::chrono::milliseconds(50)), -1);  // still running

  kill(first, SIGTERM);
  if (ExitOf(first, std::chrono::seconds(5)) == -1) {
    kill(first, SIGKILL);
    ExitOf(first, std::chrono::seconds(5));
  }
}

}  // namespace
