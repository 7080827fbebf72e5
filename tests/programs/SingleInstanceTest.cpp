// The real ORVO program, started twice as processes.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "tests/support/TempDir.h"

namespace {

pid_t Start(const std::string& exe, const std::string& runtimeDir) {
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

bool LockHeld(const std::string& path) {
  int fd = open(path.c_str(), O_RDWR);
  if (fd < 0) return false;
  bool held = flock(fd, LOCK_EX | LOCK_NB) != 0;
  if (!held) flock(fd, LOCK_UN);
  close(fd);
  return held;
}

// Waits for a child's end; -1 when it did not end in time.
int WaitExit(pid_t pid, std::chrono::milliseconds limit) {
  auto end = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < end) {
    int status;
    if (waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return -1;
}

TEST(Programs, SecondStartEndsAtOnceAndTouchesNothing) {
  TempDir prog, runtime;
  std::string exe = prog.path() + "ORVO";
  std::filesystem::copy_file(ORVO_EXE, exe);
  std::filesystem::permissions(exe, std::filesystem::perms::owner_all);
  prog.Write("Orvo.Inf", "0\r\n");

  pid_t first = Start(exe, runtime.path());
  auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!LockHeld(runtime.path() + "TMain_Frm.lock") && std::chrono::steady_clock::now() < until)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  ASSERT_TRUE(LockHeld(runtime.path() + "TMain_Frm.lock"));
  // Let the first instance finish its start-up clean-up before the work file appears.
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  prog.Write("Icx0001.tmp", "in use");

  pid_t second = Start(exe, runtime.path());
  EXPECT_EQ(WaitExit(second, std::chrono::seconds(10)), 0);
  EXPECT_TRUE(prog.Exists("Icx0001.tmp"));
  EXPECT_EQ(WaitExit(first, std::chrono::milliseconds(50)), -1);  // still running

  kill(first, SIGTERM);
  if (WaitExit(first, std::chrono::seconds(5)) == -1) {
    kill(first, SIGKILL);
    WaitExit(first, std::chrono::seconds(5));
  }
}

}  // namespace
