// The real ORVO_ADMIN program, started twice as processes.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/FileSys.h"
#include "tests/programs/ProgramRun.h"
#include "tests/support/TempDir.h"

namespace {

using namespace progrun;

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

  pid_t first = Start(exe, runtime.path());
  ASSERT_TRUE(WaitLock(runtime.path() + "TAMain_Frm.lock", first, std::chrono::seconds(20)));
  // ORVO's lock is another one: ORVO_ADMIN does not keep ORVO from starting.
  EXPECT_FALSE(LockHeldBy(runtime.path() + "TMain_Frm.lock", first));
  std::vector<std::string> before = Names(prog.path());

  pid_t second = Start(exe, runtime.path());
  EXPECT_EQ(WaitExit(second, std::chrono::seconds(10)), 0);
  EXPECT_EQ(Names(prog.path()), before);
  EXPECT_EQ(prog.Read("MODEM.INF"), "A,ATZ,ATD,,+++,ATH\r\n");
  EXPECT_EQ(WaitExit(first, std::chrono::milliseconds(50)), -1);  // still running

  Stop(first);
}

}  // namespace
