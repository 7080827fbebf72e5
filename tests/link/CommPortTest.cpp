// The serial port: opening, line settings, byte input and output, watching,
// and the fake exchange's log-in and control bytes.
#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include "link/PortClaim.h"
#include "platform/FileSys.h"
#include "tests/link/CommFixture.h"

namespace {

TEST(CommPortPath, ComNResolvesToTheLinkElseTheDevice) {
  TempDir dir;
  ProgramDir = dir.path();
  dir.Write("ports/com3", "");
  EXPECT_EQ(Comm_PortPath("COM3"), dir.path() + "ports/com3");
  EXPECT_EQ(Comm_PortPath("COM2"), "/dev/ttyS1");
  EXPECT_EQ(Comm_PortPath("COM10"), "/dev/ttyS9");
  for (const char* bad : {"COM", "COM0", "COMx", "COM1a", "LPT1", "com1", "COM12345"})
    EXPECT_EQ(Comm_PortPath(bad), "") << bad;
  // Not a terminal: refused.
  CommPortName = "COM3";
  EXPECT_EQ(Comm_Open(), LINK_IO_ERROR);
  EXPECT_FALSE(Comm_IsOpen());
  ProgramDir.clear();
}

using CommPort = CommLine;

TEST_F(CommPort, SetupMakesTheLineRaw8N1WithHardwareFlowControl) {
  int fd = ::open(fake.PortPath().c_str(), O_RDWR | O_NOCTTY);
  ASSERT_GE(fd, 0);
  termios t;
  ASSERT_EQ(::tcgetattr(fd, &t), 0);
  ::close(fd);
  EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
  EXPECT_EQ(t.c_cflag & (PARENB | CSTOPB), 0u);
  EXPECT_NE(t.c_cflag & CLOCAL, 0u);
  EXPECT_NE(t.c_cflag & CRTSCTS, 0u);
  EXPECT_EQ(t.c_iflag & (IXON | IXOFF | ISTRIP | ICRNL | PARMRK), 0u);
  EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG), 0u);
  EXPECT_EQ(t.c_oflag & OPOST, 0u);
  EXPECT_EQ(::cfgetospeed(&t), static_cast<speed_t>(B9600));

  EXPECT_EQ(Comm_Setup(38400), LINK_OK);
  EXPECT_EQ(Comm_Setup(12345), LINK_IO_ERROR);  // no such speed
}

TEST_F(CommPort, TheOpenPortIsNotShared) {
  EXPECT_EQ(Comm_Open(), LINK_IO_ERROR);  // already open
  int fd = ::open(fake.PortPath().c_str(), O_RDWR | O_NOCTTY);
  if (fd >= 0) {  // a privileged open passes TIOCEXCL; the lock still holds
    EXPECT_NE(::flock(fd, LOCK_EX | LOCK_NB), 0);
    ::close(fd);
  }
  EXPECT_EQ(Comm_Close(), LINK_OK);
  EXPECT_FALSE(Comm_IsOpen());
  EXPECT_EQ(Comm_Close(), LINK_OK);
  EXPECT_EQ(Comm_Open(), LINK_OK);
}

// A process that only waits, holding the device when a path is given, as
// `cat ports/com3 > out` would: nothing else of this process comes along.
pid_t Holder(const std::string& device) {
  int ready[2];
  if (::pipe(ready) != 0) return -1;
  pid_t pid = ::fork();
  if (pid == 0) {
    ::dup2(ready[1], STDOUT_FILENO);
    ::close_range(3, ~0U, 0);
    if (!device.empty() && ::open(device.c_str(), O_RDONLY | O_NOCTTY) < 0) ::_exit(1);
    if (::write(STDOUT_FILENO, "x", 1) != 1) ::_exit(1);
    for (;;) ::pause();
  }
  ::close(ready[1]);
  char c;
  bool up = pid > 0 && ::read(ready[0], &c, 1) == 1;
  ::close(ready[0]);
  return up ? pid : -1;
}

void End(pid_t pid) {
  ::kill(pid, SIGKILL);
  ::waitpid(pid, nullptr, 0);
}

// A test keeps its port lock in a folder of its own, never in the machine's,
// where one left behind by a crashed run would refuse a later one.
TEST_F(CommPort, TheLockIsTakenInTheTestsOwnFolder) {
  const std::string name = PortLock_Name(fake.PortPath());
  ASSERT_EQ(PortLock_Folders().size(), 1u);
  EXPECT_TRUE(fsys::FileExists(PortLock_Folders().front() + "/" + name));
  char ours[16];
  std::snprintf(ours, sizeof ours, "%10d\n", static_cast<int>(::getpid()));
  for (const char* machine : {"/run/lock/", "/var/lock/"}) {
    std::string text;
    EXPECT_FALSE(fsys::ReadFile(machine + name, text) && text == ours) << machine;
  }
}

// Sharing the line hands the exchange's replies to the other program: a
// holder that took no lock, or a live process named by a terminal
// program's lock file, refuses the port. A dead one's lock is cleared, and
// ours names our pid until the close.
TEST_F(CommPort, APortHeldByAnotherProgramIsRefused) {
  TempDir locks;
  struct Folders {
    std::vector<std::string> kept = PortLock_Folders();
    ~Folders() { PortLock_Folders() = kept; }
  } restore;
  PortLock_Folders() = {locks.path() + "none", locks.path()};
  const std::string lock = locks.path() + PortLock_Name(fake.PortPath());
  Comm_Close();

  pid_t cat = Holder(fake.PortPath());
  ASSERT_GT(cat, 0);
  EXPECT_EQ(Comm_Open(), LINK_IO_ERROR);
  End(cat);

  pid_t other = Holder("");
  ASSERT_GT(other, 0);
  locks.Write(PortLock_Name(fake.PortPath()), std::to_string(other) + "\n");
  EXPECT_EQ(Comm_Open(), LINK_IO_ERROR);
  End(other);

  ASSERT_EQ(Comm_Open(), LINK_OK);
  std::string text;
  ASSERT_TRUE(fsys::ReadFile(lock, text));
  char ours[16];
  std::snprintf(ours, sizeof ours, "%10d\n", static_cast<int>(::getpid()));
  EXPECT_EQ(text, ours);
  Comm_Close();
  EXPECT_FALSE(fsys::FileExists(lock));
}

TEST_F(CommPort, AClosedPortFailsEveryCall) {
  Comm_Close();
  uint8_t b;
  int n;
  char buf[8];
  EXPECT_EQ(Comm_ReadByte(b), LINK_IO_ERROR);
  EXPECT_EQ(Comm_SendByte('x'), LINK_IO_ERROR);
  EXPECT_EQ(Comm_ReadBytes(buf, 4, n), LINK_IO_ERROR);
  EXPECT_EQ(Comm_WriteBytes("ab", 2), LINK_IO_ERROR);
  EXPECT_EQ(Comm_SendBlock("ab", 2), LINK_IO_ERROR);
  EXPECT_EQ(Comm_Setup(9600), LINK_IO_ERROR);
  EXPECT_EQ(Comm_InQueue(), -1);
}

TEST_F(CommPort, ReadsTimeOutOnceOrTwiceAndSeeAHangUpAtOnce) {
  // A time-out long enough that once and twice, and at once and a whole
  // time-out, stay apart on a slow machine.
  constexpr long kLongMs = 1000;
  Comm_SetRcvTimeOut(kLongMs);
  uint8_t b;
  long ms = ElapsedMs([&] { EXPECT_EQ(Comm_ReadByte(b), LINK_TIMEOUT); });
  EXPECT_GE(ms, kLongMs);
  EXPECT_LT(ms, 2 * kLongMs - 100);
  ms = ElapsedMs([&] { EXPECT_EQ(Comm_ReadByteRetry(b), LINK_TIMEOUT); });
  EXPECT_GE(ms, 2 * kLongMs);

  fake.PushRaw("Z");
  EXPECT_EQ(Comm_ReadByte(b), LINK_OK);
  EXPECT_EQ(b, 'Z');

  fake.HangUp();
  ms = ElapsedMs([&] { EXPECT_EQ(Comm_ReadByte(b), LINK_IO_ERROR); });
  EXPECT_LT(ms, kLongMs);
}

TEST_F(CommPort, ReadBytesGivesTextCutAtNulAndTheCountRead) {
  char buf[kCommBufSize + 1];
  int n = -1;
  fake.PushRaw(std::string("abc\0de", 6));
  EXPECT_EQ(Comm_ReadBytes(buf, 6, n), LINK_OK);
  EXPECT_EQ(n, 6);
  EXPECT_STREQ(buf, "abc");

  fake.PushRaw("xyz");
  EXPECT_EQ(Comm_ReadBytes(buf, 10, n), LINK_TIMEOUT);
  EXPECT_EQ(n, 3);
  EXPECT_STREQ(buf, "xyz");

  fake.PushRaw(std::string(2100, 'q'));
  EXPECT_EQ(Comm_ReadBytes(buf, 5000, n), LINK_OK);  // at most 2048
  EXPECT_EQ(n, kCommBufSize);
  EXPECT_EQ(std::strlen(buf), static_cast<size_t>(kCommBufSize));
  Comm_Purge();
}

TEST_F(CommPort, ReadBytesGathersBytesThatTrickleIn) {
  SerialFaults f;
  f.byteDelayMs = 10;
  fake.SetFaults(f);
  fake.PushRaw("OK\r\n");
  char buf[8];
  int n;
  EXPECT_EQ(Comm_ReadBytes(buf, 4, n), LINK_OK);
  EXPECT_STREQ(buf, "OK\r\n");
}

TEST_F(CommPort, WriteBytesRefusesMoreThan2048AndNeverTakesBytesAfterNul) {
  std::string big(2049, 'w');
  EXPECT_EQ(Comm_WriteBytes(big.data(), 2049), LINK_SEND_TOO_LONG);
  EXPECT_EQ(Comm_WriteBytes("AT\r", 3), LINK_OK);
  EXPECT_EQ(Comm_WriteBytes("A\0B", 3), LINK_OK);
  EXPECT_EQ(Sent(), std::string("AT\rA\0\0", 6));
}

TEST(CommWrite, AFarSideThatTakesNothingEndsTheWriteWithATimeOut) {
  int sv[2];
  ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, sv), 0);
  ASSERT_EQ(Comm_OpenFd(sv[0]), LINK_OK);
  std::string chunk(2048, 'c');
  int r = LINK_OK, calls = 0;
  long ms = 0;
  while (r == LINK_OK && calls < 2000) {
    ms = ElapsedMs([&] { r = Comm_WriteBytes(chunk.data(), 2048); });
    ++calls;
  }
  EXPECT_EQ(r, LINK_TIMEOUT);
  EXPECT_GE(ms, 900);  // the bound is the write time-out, 1 s
  EXPECT_LT(ms, 2500);
  Comm_Close();
  ::close(sv[1]);
}

// The port's writes only queue their bytes: a purge right after one (the
// EOT that ends a failed exchange, a session end before the next session
// opens) must not take them off the line.
TEST(CommPurge, WhatWasWrittenStillGoesOut) {
  int master = ::posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_GE(master, 0);
  ASSERT_EQ(::grantpt(master), 0);
  ASSERT_EQ(::unlockpt(master), 0);
  int slave = ::open(::ptsname(master), O_RDWR | O_NOCTTY | O_CLOEXEC);
  ASSERT_GE(slave, 0);
  ASSERT_EQ(Comm_OpenFd(slave), LINK_OK);
  ASSERT_EQ(Comm_Setup(9600), LINK_OK);
  constexpr int kSends = 200;
  for (int i = 0; i < kSends; ++i) {
    ASSERT_EQ(Comm_SendByte(0x8F), LINK_OK);
    Comm_Purge();
  }
  std::string got;
  char buf[256];
  pollfd p{master, POLLIN, 0};
  while (got.size() < kSends && ::poll(&p, 1, 2000) > 0) {
    ssize_t n = ::read(master, buf, sizeof buf);
    if (n <= 0) break;
    got.append(buf, static_cast<size_t>(n));
  }
  EXPECT_EQ(got, std::string(kSends, '\x8F'));
  Comm_Close();
  ::close(master);
}

int g_hookByte = -1;
int g_hookResult = LINK_OK;
int Hook(uint8_t b) {
  g_hookByte = b;
  return g_hookResult;
}

TEST_F(CommPort, OverEthernetAControlByteIsAUdpCommand) {
  EthernetMode = 1;
  EXPECT_EQ(Comm_SendByte(0x8F), LINK_IO_ERROR);  // no UDP link to take it
  auto* saved = Comm_EthernetSendByte;
  Comm_EthernetSendByte = Hook;
  EXPECT_EQ(Comm_SendByte(0x8F), LINK_OK);
  EXPECT_EQ(g_hookByte, 0x8F);
  g_hookResult = LINK_TIMEOUT;
  EXPECT_EQ(Comm_SendByteRetry(0x81), LINK_TIMEOUT);
  EXPECT_EQ(LineLost.load(), 0);
  g_hookResult = LINK_DISCONNECTED;
  EXPECT_EQ(Comm_SendByte(0x8F), LINK_IO_ERROR);
  EXPECT_EQ(LineLost.load(), 1);
  Comm_EthernetSendByte = saved;
  g_hookResult = LINK_OK;
  EXPECT_EQ(Sent(), "");  // nothing went out on the serial line
}

TEST_F(CommPort, WatchingWakesOnInputAndOnAClearedMask) {
  EXPECT_EQ(Comm_WaitEvent(), 0);  // nothing asked for
  Comm_SetEventMask(EV_RXCHAR);
  EXPECT_EQ(Comm_GetEventMask(), EV_RXCHAR);

  int event = -1;
  std::thread watcher([&] { event = Comm_WaitEvent(); });
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  fake.PushRaw("ab");
  watcher.join();
  EXPECT_EQ(event, EV_RXCHAR);
  char buf[4];
  int n;
  EXPECT_EQ(Comm_ReadBytes(buf, 2, n), LINK_OK);
  EXPECT_EQ(Comm_InQueue(), 0);

  long ms = ElapsedMs([&] {
    std::thread w([&] { event = Comm_WaitEvent(); });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    Comm_SetEventMask(0);
    w.join();
  });
  EXPECT_EQ(event, 0);
  EXPECT_LT(ms, 1000);
}

TEST_F(CommPort, CloseReleasesAReaderAndAWatcherBeforeTheDescriptorGoes) {
  Comm_SetRcvTimeOut(10000);
  Comm_SetEventMask(EV_RXCHAR);
  int read = -1, event = -1;
  long ms = ElapsedMs([&] {
    std::thread reader([&] {
      uint8_t b;
      read = Comm_ReadByte(b);
    });
    std::thread watcher([&] { event = Comm_WaitEvent(); });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(Comm_Close(), LINK_OK);
    reader.join();
    watcher.join();
  });
  EXPECT_EQ(read, LINK_IO_ERROR);
  EXPECT_EQ(event, 0);
  EXPECT_LT(ms, 2000);
  EXPECT_FALSE(Comm_IsOpen());
}

using CommFake = CommLine;

TEST_F(CommFake, SerialLogInBannerAndSetMode) {
  core->SetPassword("1234");
  char buf[32];
  int n;
  ASSERT_EQ(Comm_SendByte(0x03), LINK_OK);
  ASSERT_EQ(Comm_ReadBytes(buf, 18, n), LINK_OK);
  EXPECT_EQ(std::string(buf, 18), kFakeLoginBanner);
  EXPECT_EQ(kFakeLoginBanner.substr(0, 10), B({0x88, 0x91, 0xC3, 0xDE, 0xA8, 0x2D, 0xD7, 0x2D, 0x49, 0x44}));
  for (char c : std::string("1234\r")) Comm_SendByte(static_cast<uint8_t>(c));
  ASSERT_EQ(Comm_ReadBytes(buf, 18, n), LINK_OK);
  EXPECT_EQ(std::string(buf, 18), B({0x88, 0x91}) + "SET MODE        ");

  // A wrong password is met with silence.
  Comm_SendByte(0x03);
  ASSERT_EQ(Comm_ReadBytes(buf, 18, n), LINK_OK);
  for (char c : std::string("9\r")) Comm_SendByte(static_cast<uint8_t>(c));
  EXPECT_EQ(Comm_ReadBytes(buf, 18, n), LINK_TIMEOUT);
  EXPECT_EQ(n, 0);
}

TEST_F(CommFake, SessionOpeningsAreAnsweredWith0x80) {
  uint8_t b = 0;
  for (uint8_t code : {0x81, 0x83}) {
    ASSERT_EQ(Comm_SendByte(code), LINK_OK);
    ASSERT_EQ(Comm_ReadByte(b), LINK_OK);
    EXPECT_EQ(b, 0x80);
  }
  ASSERT_EQ(Comm_SendByte(0x8F), LINK_OK);
  EXPECT_EQ(Comm_ReadByte(b), LINK_TIMEOUT);
}

TEST(FakeScript, FileGivesRepliesAndAFallback) {
  TempDir dir;
  std::string path = dir.Write("s.txt", "# comment\r\n!1\t/0\t1data\t2\r\n\r\n*\t/1\n");
  ScriptTable t;
  ASSERT_TRUE(t.Load(path));
  EXPECT_EQ(t.Reply("!1"), (std::vector<std::string>{"/0", "1data", "2"}));
  EXPECT_EQ(t.Reply("other"), std::vector<std::string>{"/1"});
  EXPECT_FALSE(t.Load(dir.path() + "missing"));
  SerialFaults f;
  EXPECT_TRUE(f.Set("bad-bcc", 2));
  EXPECT_EQ(f.badBcc, 2);
  EXPECT_FALSE(f.Set("no-such-fault", 1));
}

// TIOCEXCL keeps an unprivileged second open out; root passes it, so this
// runs as "nobody" in a child process where the machine allows.
TEST(CommExclusive, AnUnprivilegedSecondOpenIsRefused) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to switch to nobody";
  pid_t pid = ::fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(77);
    int code = 0;
    {
      TempDir dir;
      FakeSerialExchange fake;
      if (!fake.Start() || !fake.LinkPort(dir.path(), 1)) ::_exit(10);
      ProgramDir = dir.path();
      CommPortName = "COM1";
      if (Comm_Open() != LINK_OK) code = 11;
      int fd = ::open(fake.PortPath().c_str(), O_RDWR | O_NOCTTY);
      if (code == 0 && (fd >= 0 || errno != EBUSY)) code = 12;
      if (fd >= 0) ::close(fd);
      if (code == 0 && Comm_Open() != LINK_IO_ERROR) code = 13;
      Comm_Close();
      fd = ::open(fake.PortPath().c_str(), O_RDWR | O_NOCTTY);  // released with the close
      if (code == 0 && fd < 0) code = 14;
      if (fd >= 0) ::close(fd);
    }
    ::_exit(code);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status));
  if (WEXITSTATUS(status) == 77) GTEST_SKIP() << "cannot become nobody here";
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
