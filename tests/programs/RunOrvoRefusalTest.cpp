// tools/run-orvo.sh while another ORVO of the same user runs from another
// folder, while its own folder is held by an earlier run, or beside a
// dealer's own COM1 link: it says in one line what stops it and starts
// nothing. The script is run without a display but offscreen, so that it
// would set up no virtual screen or VNC even if it went on.
// Then whole runs from a copy of the command beside the built programs:
// what a run starts, what it leaves when it is killed, and which COM1 link
// it takes back.
#include <gtest/gtest.h>

#include <poll.h>
#include <sys/prctl.h>
#include <sys/file.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

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

namespace {

namespace fs = std::filesystem;

// A copy of the run command in a folder of the test's, beside a build
// folder as its build leaves it (the built ORVO in the sample program
// folder, the fake exchange's program) with nothing left to build, and a
// package step that finds all there: a run starts the fake exchange and
// ORVO from there, and keeps to that folder, the ports it serves and, with
// no display, a virtual screen of its own.
class RunFolder {
 public:
  RunFolder() {
    fs::create_directories(top() + "tools");
    for (const char* script : {"run-orvo.sh", "run-common.sh"})
      fs::copy_file(std::string(ORVO_TOOLS_DIR "/") + script, top() + "tools/" + script);
    dir_.Write("tools/setup.sh", "exit 0\n");
    dir_.Write("build/CMakeCache.txt", "");
    dir_.Write("build/build.ninja",
               "build ORVO: phony\nbuild sample_folders: phony\nbuild fake_exchange_run: phony\n");
    fs::create_directories(prog());
    for (const auto& e : fs::directory_iterator(ORVO_SAMPLE_DIR))
      if (e.is_regular_file()) fs::copy_file(e.path(), prog() + e.path().filename().string());
    fs::copy_file(ORVO_EXE, prog() + "ORVO");
    fs::create_directories(top() + "build/tests/exchange");
    fs::create_symlink(FAKE_EXE, top() + "build/tests/exchange/fake_exchange_run");
    // What a run leaves when its script ends comes to the test, which
    // reaps it, rather than to a first process that may reap nothing.
    prctl(PR_SET_CHILD_SUBREAPER, 1);
    for (const char* d : {"runtime", "home"}) {
      fs::create_directories(top() + d);
      fs::permissions(top() + d, fs::perms::owner_all);
    }
  }
  ~RunFolder() {
    for (pid_t group : groups_) {
      kill(-group, SIGKILL);
      GroupEnds(group);
    }
    prctl(PR_SET_CHILD_SUBREAPER, 0);
  }

  std::string top() const { return dir_.path(); }
  std::string prog() const { return top() + "build/ORVO/"; }
  std::string com1() const { return prog() + "ports/com1"; }
  std::string runLock() const { return top() + "build/.run-orvo.lock"; }
  std::string orvoLock() const { return top() + "runtime/TMain_Frm.lock"; }

  // Starts the run command in a process group of its own, offscreen or
  // with no display at all; its output is gathered by Said.
  pid_t Start(bool display) {
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) return -1;
    pid_t pid = fork();
    if (pid == 0) {
      setpgid(0, 0);
      dup2(out[1], 1);
      dup2(out[1], 2);
      int null = open("/dev/null", O_RDONLY);
      dup2(null, 0);
      unsetenv("DISPLAY");
      unsetenv("WAYLAND_DISPLAY");
      if (display) setenv("QT_QPA_PLATFORM", "offscreen", 1);
      else unsetenv("QT_QPA_PLATFORM");
      setenv("XDG_RUNTIME_DIR", (top() + "runtime").c_str(), 1);
      setenv("HOME", (top() + "home").c_str(), 1);
      const std::string script = top() + "tools/run-orvo.sh";
      execl("/bin/bash", "bash", script.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    ::close(out[1]);
    if (out_ >= 0) ::close(out_);
    out_ = out[0];
    said_.clear();
    groups_.push_back(pid);
    return pid;
  }
  // What the run said so far, waiting at most limit for text to come.
  const std::string& Said(const std::string& text = {}, std::chrono::seconds limit = std::chrono::seconds(60)) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while ((text.empty() || said_.find(text) == std::string::npos) && std::chrono::steady_clock::now() < end) {
      pollfd p{out_, POLLIN, 0};
      if (poll(&p, 1, text.empty() ? 0 : 100) <= 0) {
        if (text.empty()) break;
        continue;
      }
      char buf[512];
      ssize_t n = read(out_, buf, sizeof buf);
      if (n <= 0) break;
      said_.append(buf, static_cast<size_t>(n));
    }
    return said_;
  }
  // Waits until the run's ORVO holds its lock: its process id, or -1.
  pid_t Orvo() const {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    for (;;) {
      std::vector<pid_t> holders = LockHolders(orvoLock());
      if (!holders.empty()) return holders[0];
      if (std::chrono::steady_clock::now() > end) return -1;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }
  // Waits until nothing of the run started in group runs any more.
  static bool GroupEnds(pid_t group) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    for (;;) {
      while (waitpid(-group, nullptr, WNOHANG) > 0) {
      }
      if (GroupMembers(group).empty()) return true;
      if (std::chrono::steady_clock::now() > end) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }
  // Ends a run as a machine that stops would: its fake exchange first, so
  // that it has no time to clean up, then everything else at once.
  void Crash(pid_t run) {
    std::ifstream lock(runLock());
    pid_t script = 0, fake = 0;
    lock >> script >> fake;
    if (fake > 0) kill(fake, SIGKILL);
    kill(-run, SIGKILL);
  }

 private:
  TempDir dir_;
  int out_ = -1;
  std::string said_;
  std::vector<pid_t> groups_;
};

std::string Run(const std::string& command) {
  std::string out;
  FILE* p = popen(command.c_str(), "r");
  char buf[512];
  for (size_t n; p && (n = fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
  if (p) pclose(p);
  return out;
}

// The process whose window has the focus on display, as the window manager
// names it; 0 for none.
pid_t FocusedProcess(const std::string& display) {
  std::string active = Run("xprop -display " + display + " -root _NET_ACTIVE_WINDOW 2>&1");
  size_t hash = active.find("# 0x");
  if (hash == std::string::npos) return 0;
  std::string window = active.substr(hash + 2, active.find_first_of(",\n", hash) - hash - 2);
  std::string owner = Run("xprop -display " + display + " -id " + window + " _NET_WM_PID 2>&1");
  size_t eq = owner.find("= ");
  return eq == std::string::npos ? 0 : static_cast<pid_t>(std::atol(owner.c_str() + eq + 2));
}

// The processes of group that have path open.
std::set<pid_t> Opening(pid_t group, const std::string& path) {
  std::set<pid_t> out;
  for (pid_t p : GroupMembers(group)) {
    std::error_code ec;
    for (const auto& fd : fs::directory_iterator("/proc/" + std::to_string(p) + "/fd", ec))
      if (fs::read_symlink(fd.path(), ec) == path) out.insert(p);
  }
  return out;
}

}  // namespace

// Without a display the run names the virtual screen it took, and ORVO
// starts there once the window manager has taken it, so that it has the
// focus. Killed, the run leaves nothing running, and the next one starts.
// A run that ended with its fake exchange (a machine that stopped) left
// its own COM1 link, which the next run takes back; a link of the
// dealer's to a pseudo-terminal of the same number is left as it is.
TEST(RunOrvo, EndsWithItsScriptAndTakesBackOnlyTheComLinkItMade) {
  RunFolder folder;
  {
    SCOPED_TRACE("no display");
    pid_t run = folder.Start(false);
    const std::string& said = folder.Said("(loopback only)");
    const size_t at = said.find("virtual screen :");
    ASSERT_NE(at, std::string::npos) << said;
    const std::string display = said.substr(at + 15, said.find(' ', at + 15) - at - 15);
    pid_t orvo = folder.Orvo();
    ASSERT_GT(orvo, 0) << folder.Said();
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (FocusedProcess(display) != orvo && std::chrono::steady_clock::now() < end)
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(FocusedProcess(display), orvo) << "ORVO's window has no focus on " << display;
    // Script, fake exchange, screen, window manager, VNC server, ORVO; the
    // first two alone hold the run lock.
    EXPECT_EQ(GroupMembers(run).size(), 6u);
    std::ifstream lock(folder.runLock());
    pid_t script = 0, fake = 0;
    lock >> script >> fake;
    EXPECT_EQ(Opening(run, folder.runLock()), (std::set<pid_t>{script, fake}));
    kill(run, SIGKILL);
    EXPECT_TRUE(RunFolder::GroupEnds(run));
    EXPECT_TRUE(LockHolders(folder.runLock()).empty());
    EXPECT_FALSE(fs::is_symlink(folder.com1()));
  }
  std::string target;
  for (const char* run : {"the next run", "a run over the link its crashed run left"}) {
    SCOPED_TRACE(run);
    pid_t group = folder.Start(true);
    EXPECT_NE(folder.Said("Fake exchange:").find("Fake exchange:"), std::string::npos) << folder.Said();
    ASSERT_GT(folder.Orvo(), 0) << folder.Said();
    target = fs::read_symlink(folder.com1()).string();
    folder.Crash(group);
    ASSERT_TRUE(RunFolder::GroupEnds(group));
    EXPECT_EQ(fs::read_symlink(folder.com1()), target);
  }
  // The dealer's own link to a pseudo-terminal that got the number again.
  fs::remove(folder.com1());
  fs::create_symlink(target, folder.com1());
  pid_t refused = folder.Start(true);
  EXPECT_EQ(WaitExit(refused, std::chrono::seconds(60)), 1);
  const std::string& said = folder.Said();
  EXPECT_EQ(said.find('\n'), said.size() - 1) << said;
  EXPECT_NE(said.find(folder.com1() + " was not made by run-orvo.sh"), std::string::npos) << said;
  EXPECT_EQ(fs::read_symlink(folder.com1()), target);
}
