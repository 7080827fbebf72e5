// The real KV_EDIT program, started twice on the same data folder.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <map>
#include <sys/file.h>
#include <unistd.h>

#include "tests/programs/ProgramRun.h"
#include "tests/support/TempDir.h"

namespace {

using namespace progrun;

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

  pid_t first = Start(exe, runtime.path(), data.path());
  const std::string lock = runtime.path() + "TKV_FSel_Frm.lock";
  ASSERT_TRUE(WaitLock(lock, first, std::chrono::seconds(20)));
  auto progBefore = Snapshot(prog);
  auto dataBefore = Snapshot(data);

  pid_t second = Start(exe, runtime.path(), data.path());
  EXPECT_EQ(WaitExit(second, std::chrono::seconds(10)), 0);
  EXPECT_EQ(Snapshot(prog), progBefore);
  EXPECT_EQ(Snapshot(data), dataBefore);
  EXPECT_EQ(WaitExit(first, std::chrono::milliseconds(50)), -1);  // the first runs on

  Stop(first);
  // With the first gone the lock is free again: a later start would run.
  int fd = open(lock.c_str(), O_RDWR);
  ASSERT_GE(fd, 0);
  EXPECT_EQ(flock(fd, LOCK_EX | LOCK_NB), 0);
  close(fd);
}

}  // namespace
