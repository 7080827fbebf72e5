// The fake exchange program as the run command starts it: its COM link in
// the program folder lives exactly as long as it does.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "tests/support/TempDir.h"

namespace {

pid_t StartFake(const std::string& dir, const std::string& port) {
  pid_t pid = fork();
  if (pid == 0) {
    int devnull = open("/dev/null", O_WRONLY);
    dup2(devnull, 1);
    dup2(devnull, 2);
    execl(FAKE_EXE, FAKE_EXE, "--serial", "--dir", dir.c_str(), "--com", "1", "--udp", port.c_str(),
          static_cast<char*>(nullptr));
    _exit(127);
  }
  return pid;
}

int WaitExit(pid_t pid, std::chrono::milliseconds limit) {
  auto end = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < end) {
    int status;
    if (waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
  return -1;
}

std::string LinkTarget(const std::string& path) {
  std::error_code ec;
  auto t = std::filesystem::read_symlink(path, ec);
  return ec ? std::string() : t.string();
}

bool WaitFor(const std::function<bool()>& cond) {
  auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!cond()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

}  // namespace

TEST(FakeRun, ComLinkLivesAsLongAsTheFakeAndASecondOneTouchesNothing) {
  TempDir dir;
  const std::string link = dir.path() + "ports/com1";
  const std::string port = std::to_string(20000 + getpid() % 20000);
  pid_t first = StartFake(dir.path(), port);
  ASSERT_TRUE(WaitFor([&] { return !LinkTarget(link).empty(); }));
  const std::string target = LinkTarget(link);

  // Its UDP port taken, the second fake ends with an error before it
  // touches the first one's link.
  pid_t second = StartFake(dir.path(), port);
  EXPECT_EQ(WaitExit(second, std::chrono::seconds(5)), 1);
  EXPECT_EQ(LinkTarget(link), target);

  kill(first, SIGTERM);
  EXPECT_EQ(WaitExit(first, std::chrono::seconds(5)), 0);
  EXPECT_FALSE(std::filesystem::is_symlink(link));
}
