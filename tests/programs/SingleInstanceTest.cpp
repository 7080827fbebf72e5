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

  pid_t first = Start(exe, runtime.path());
  ASSERT_TRUE(WaitLock(runtime.path() + "TMain_Frm.lock", first, std::chrono::seconds(20)));
  // Let the first instance finish its start-up clean-up before the work file appears.
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  prog.Write("Icx0001.tmp", "in use");

  pid_t second = Start(exe, runtime.path());
  EXPECT_EQ(WaitExit(second, std::chrono::seconds(10)), 0);
  EXPECT_TRUE(prog.Exists("Icx0001.tmp"));
  EXPECT_EQ(WaitExit(first, std::chrono::milliseconds(50)), -1);  // still running

  Stop(first);
}

}  // namespace
