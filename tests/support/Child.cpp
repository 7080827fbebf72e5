#include "tests/support/Child.h"

#include <gtest/gtest.h>
#include <grp.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <thread>

namespace child {

namespace {
constexpr int kCannot = 77;
constexpr uid_t kNobody = 65534;
}  // namespace

bool Run(const std::function<bool()>& prepare, const std::function<void()>& body, int timeoutMs) {
  std::fflush(nullptr);
  const pid_t pid = ::fork();
  if (pid < 0) {
    ADD_FAILURE() << "fork failed";
    return true;
  }
  if (pid == 0) {
    if (!prepare()) ::_exit(kCannot);
    body();
    std::fflush(nullptr);
    ::_exit(::testing::Test::HasFailure() ? 1 : 0);
  }
  int status = 0;
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  pid_t got;
  while ((got = ::waitpid(pid, &status, WNOHANG)) == 0 && std::chrono::steady_clock::now() < end)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  if (got != pid) {
    ::kill(pid, SIGKILL);
    ::waitpid(pid, &status, 0);
    ADD_FAILURE() << "the child did not end within " << timeoutMs << " ms";
    return true;
  }
  if (WIFEXITED(status) && WEXITSTATUS(status) == kCannot) return false;
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
      << "the child's checks failed (see above), status " << status;
  return true;
}

bool AsNobody(const std::function<void()>& body) {
  if (::geteuid() != 0) {
    body();
    return true;
  }
  return Run([] { return ::setgroups(0, nullptr) == 0 && ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0; },
             body);
}

void GiveToNobody(const std::string& path) {
  if (::geteuid() == 0) {
    EXPECT_EQ(::chown(path.c_str(), kNobody, kNobody), 0) << path;
  }
}

bool MountSmallFs(const std::string& dir, int sizeKiB) {
  if (::unshare(CLONE_NEWNS) != 0) return false;
  // Mounts made here must not reach the machine's own namespace.
  if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) return false;
  const std::string opts = "size=" + std::to_string(sizeKiB) + "k,mode=0755";
  return ::mount("tmpfs", dir.c_str(), "tmpfs", 0, opts.c_str()) == 0;
}

}  // namespace child
