// The real ORVO program, started twice as processes.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/programs/ProgramRun.h"
#include "tests/support/TempDir.h"

namespace {

using namespace progrun;

TEST(Programs, SecondStartEndsAtOnceAndTouchesNothing) {
  TempDir prog, runtime;
  std::string exe = prog.path() + "ORVO";
  std::filesystem::copy_file(ORVO_EXE, exe);
  std::filesystem::permissions(exe, std::filesystem::perms::owner_all);
  prog.Write("Orvo.Inf", "0\r\n");
  // Left-over work files, whose going shows that the first instance has
  // done its start-up clean-up (the Dbs files go last).
  prog.Write("Icx0009.tmp", "left over");
  prog.Write("Dbs0009.tmp", "left over");

  pid_t first = Start(exe, runtime.path());
  ASSERT_TRUE(WaitLock(runtime.path() + "TMain_Frm.lock", first, std::chrono::seconds(20)));
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while ((prog.Exists("Icx0009.tmp") || prog.Exists("Dbs0009.tmp")) && std::chrono::steady_clock::now() < end)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_FALSE(prog.Exists("Dbs0009.tmp")) << "the first instance did not clean up";
  EXPECT_FALSE(prog.Exists("Icx0009.tmp"));
  prog.Write("Icx0001.tmp", "in use");

  pid_t second = Start(exe, runtime.path());
  EXPECT_EQ(WaitExit(second, std::chrono::seconds(10)), 0);
  EXPECT_TRUE(prog.Exists("Icx0001.tmp"));
  EXPECT_EQ(WaitExit(first, std::chrono::milliseconds(50)), -1);  // still running

  Stop(first);
}

}  // namespace
