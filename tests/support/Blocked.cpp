#include "tests/support/Blocked.h"

#include <sys/syscall.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <string>
#include <thread>

namespace blocked {

pid_t ThreadId() { return static_cast<pid_t>(::syscall(SYS_gettid)); }

bool WaitIn(pid_t tid, std::initializer_list<long> calls, int timeoutMs) {
  const std::string path = "/proc/self/task/" + std::to_string(tid) + "/syscall";
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    // The first field is the number of the call the thread waits in: -1
    // outside any, "running" while it runs.
    std::ifstream in(path);
    long nr = -1;
    if (in >> nr)
      for (long c : calls)
        if (nr == c) return true;
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

}  // namespace blocked
