// The real ORVO program with a FIFO as Orvo.Inf shows its read message (its
// caption from the test's own message file) on a real screen (under-wm.sh).
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "tests/programs/ProgramRun.h"
#include "tests/support/TempDir.h"

namespace {

using namespace progrun;

bool WindowShown(const std::string& name) {
  std::string tree;
  FILE* p = popen("xwininfo -root -tree 2>/dev/null", "r");
  char buf[4096];
  for (size_t n; p && (n = fread(buf, 1, sizeof buf, p)) > 0;) tree.append(buf, n);
  if (p) pclose(p);
  return tree.find("\"" + name + "\"") != std::string::npos;
}

TEST(Programs, OrvoWithAFifoAsOrvoInfShowsItsReadMessage) {
  if (!std::getenv("ORVO_UNDER_WM")) GTEST_SKIP() << "needs a screen: run through tools/under-wm.sh";
  TempDir prog, runtime;
  std::string exe = prog.path() + "ORVO";
  std::filesystem::copy_file(ORVO_EXE, exe);
  ASSERT_EQ(mkfifo((prog.path() + "Orvo.Inf").c_str(), 0666), 0);
  prog.Write("MSGDLG.DAT", "J0501=OrvoInfUnreadable,Orvo.Inf,1,0\r\n");

  pid_t orvo = Start(exe, runtime.path(), {}, "xcb");
  // A program stuck in the open never shows the window.
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (!WindowShown("OrvoInfUnreadable") && std::chrono::steady_clock::now() < end)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_TRUE(WindowShown("OrvoInfUnreadable")) << "no message window: ORVO waits on the FIFO";
  Stop(orvo);
}

}  // namespace
