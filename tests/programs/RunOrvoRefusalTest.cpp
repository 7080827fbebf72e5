// tools/run-orvo.sh while another ORVO of the same user runs from another
// folder, while its own folder is held by an earlier run, or beside a
// dealer's own COM1 link: it says in one line what stops it and starts
// nothing.
// The script is run without a display but offscreen, so that it would set
// up no virtual screen or VNC even if it went on.
#include <gtest/gtest.h>

#include <sys/file.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "tests/programs/ProgramRun.h"
#include "tests/support/TempDir.h"

namespace {

using namespace progrun;

struct ScriptRun {
  int exitCode = -1;
  std::string output;
};

// Runs the run command with env (options and assignments for env(1)); at most 120 s.
ScriptRun RunScript(const std::string& env, const std::string& script = ORVO_TOOLS_DIR "/run-orvo.sh") {
  std::string cmd = "env -u DISPLAY -u WAYLAND_DISPLAY " + env + " QT_QPA_PLATFORM=offscreen" +
                    " timeout 120 bash " + script + " 2>&1 </dev/null";
  ScriptRun r;
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) return r;
  char buf[512];
  while (fgets(buf, sizeof buf, p)) r.output += buf;
  int status = pclose(p);
  r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

// Starts ORVO from prog with the lock in the runtime folder or, with an
// empty one, in the temporary folder tmp.
pid_t StartOrvo(const std::string& exe, const std::string& runtime, const std::string& tmp) {
  pid_t pid = fork();
  if (pid == 0) {
    if (runtime.empty()) unsetenv("XDG_RUNTIME_DIR");
    else setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    setenv("TMPDIR", tmp.c_str(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    int devnull = open("/dev/null", O_WRONLY);
    dup2(devnull, 2);
    execl(exe.c_str(), exe.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  return pid;
}

TEST(RunOrvo, RefusesWithOneLineWhileAnotherOrvoOfTheUserRuns) {
  struct Row {
    const char* where;
    bool runtimeDir;
  };
  for (const Row& row : {Row{"lock in the runtime folder", true}, Row{"lock in the temporary folder", false}}) {
    SCOPED_TRACE(row.where);
    TempDir prog, runtime, tmp;
    std::string exe = prog.path() + "ORVO";
    std::filesystem::copy_file(ORVO_EXE, exe);
    std::filesystem::permissions(exe, std::filesystem::perms::owner_all);
    prog.Write("Orvo.Inf", "0\r\n");
    const std::string lock = row.runtimeDir ? runtime.path() + "TMain_Frm.lock"
                                            : tmp.path() + "TMain_Frm-" + std::to_string(getuid()) + ".lock";
    pid_t orvo = StartOrvo(exe, row.runtimeDir ? runtime.path() : std::string(), tmp.path());
    ASSERT_TRUE(WaitLock(lock, orvo, std::chrono::seconds(20)));

    std::string env = row.runtimeDir ? "XDG_RUNTIME_DIR=" + runtime.path() : "-u XDG_RUNTIME_DIR";
    env += " TMPDIR=" + tmp.path();
    ScriptRun r = RunScript(env);
    EXPECT_EQ(r.exitCode, 1) << r.output;
    // One line, naming the process and its folder; nothing built or started.
    ASSERT_FALSE(r.output.empty());
    EXPECT_EQ(r.output.find('\n'), r.output.size() - 1) << r.output;
    EXPECT_NE(r.output.find("process " + std::to_string(orvo)), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("folder " + prog.path()), std::string::npos) << r.output;
    // The first ORVO runs on, still holding its lock.
    EXPECT_TRUE(LockHeldBy(lock, orvo));
    EXPECT_EQ(WaitExit(orvo, std::chrono::milliseconds(50)), -1);
    Stop(orvo);
  }
}

// Runs a copy of the run command in top, a folder of the test's: it takes
// its build folder beside itself, so the real one is never touched. Exit
// code 1 and one line of output that holds what.
void ExpectRefusalFrom(const std::string& top, const std::string& what) {
  TempDir runtime;  // no ORVO of the user holds its lock here
  std::filesystem::create_directories(top + "tools");
  std::filesystem::copy_file(ORVO_TOOLS_DIR "/run-orvo.sh", top + "tools/run-orvo.sh");
  ScriptRun r = RunScript("XDG_RUNTIME_DIR=" + runtime.path(), top + "tools/run-orvo.sh");
  EXPECT_EQ(r.exitCode, 1) << r.output;
  EXPECT_EQ(r.output.find('\n'), r.output.size() - 1) << r.output;
  EXPECT_NE(r.output.find(what), std::string::npos) << r.output;
}

}  // namespace

// What the run command did not make in its folder it leaves alone, and a run
// of the folder that still holds it is named from the run's own lock.
TEST(RunOrvo, RefusesWithOneLineOverWhatItsFolderHolds) {
  TempDir dealer;
  const std::string com1 = dealer.path() + "build/ORVO/ports/com1";
  std::filesystem::create_directories(dealer.path() + "build/ORVO/ports");
  std::filesystem::create_symlink("/dev/ttyUSB0", com1);
  ExpectRefusalFrom(dealer.path(), com1 + " was not made by run-orvo.sh");
  EXPECT_EQ(std::filesystem::read_symlink(com1), "/dev/ttyUSB0");

  TempDir held;
  const std::string lock = held.Write("build/.run-orvo.lock", "4242 4243\n");
  const int fd = open(lock.c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_EQ(flock(fd, LOCK_EX | LOCK_NB), 0);
  ExpectRefusalFrom(held.path(), "process 4242 4243");
  close(fd);
}
