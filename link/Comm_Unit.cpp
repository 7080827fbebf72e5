#include "link/Comm_Unit.h"
#include "link/UDP_Unit.h"
#include "link/LinkUse.h"
#include "link/PortClaim.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include "shell/Global_Unit.h"

std::string CommPortName;
std::atomic<int> RcvTimeOutMs{1000};
int (*Comm_EthernetSendByte)(uint8_t b) = Udp_SendControlByte;

namespace {

using Clock = std::chrono::steady_clock;

// The transmit queue the protocol was laid out for.
constexpr int kTxQueue = 2048;
constexpr int kSetupTimeOutMs = 1000;

struct Port {
  std::mutex mu;
  std::condition_variable idle;
  int fd = -1;
  bool closing = false;
  int users = 0;  // routines inside a call on fd
  int readTimeOutMs = kSetupTimeOutMs;
  int writeTimeOutMs = kSetupTimeOutMs;
  int baud = 9600;
  int eventMask = 0;
  std::vector<int> watchers;  // eventfds of pending Comm_WaitEvent calls
  int closeFd = -1;           // eventfd, readable while a close waits for users
  std::string lockFile;       // our UUCP lock of the open device, if one was made
  // Bytes read from the line but not yet taken: a frame is fetched with as
  // few reads as the line allows, not one system call per byte.
  uint8_t rx[4096];
  size_t rxPos = 0, rxEnd = 0;
};

Port& ThePort() {
  static Port p;
  return p;
}

std::mutex g_timingMu;
CommTiming g_timing;

void Pause(int ms) {
  if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void Drain(int efd) {
  eventfd_t v;
  while (eventfd_read(efd, &v) == 0) {
  }
}

// One routine's use of the open port: the descriptor cannot be closed under
// it, and a close under way wakes its waits through closeFd.
class PortUse {
 public:
  PortUse() {
    Port& p = ThePort();
    std::lock_guard<std::mutex> g(p.mu);
    if (p.fd < 0 || p.closing) return;
    ++p.users;
    fd = p.fd;
    closeFd = p.closeFd;
    readTimeOutMs = p.readTimeOutMs;
    writeTimeOutMs = p.writeTimeOutMs;
    baud = p.baud;
  }
  ~PortUse() {
    if (fd < 0) return;
    Port& p = ThePort();
    std::lock_guard<std::mutex> g(p.mu);
    if (--p.users == 0) p.idle.notify_all();
  }
  PortUse(const PortUse&) = delete;
  PortUse& operator=(const PortUse&) = delete;
  explicit operator bool() const { return fd >= 0; }

  int fd = -1;
  int closeFd = -1;
  int readTimeOutMs = 0;
  int writeTimeOutMs = 0;
  int baud = 0;
};

enum class Wait { Ready, TimedOut, Failed };

int MsUntil(Clock::time_point deadline) {
  auto left = deadline - Clock::now();
  if (left <= Clock::duration::zero()) return 0;
  // Rounded up, so that a wait never ends just short of its deadline.
  return static_cast<int>(
      std::chrono::ceil<std::chrono::milliseconds>(left).count());
}

// Waits until the port is ready for `events` or the deadline passes. A close
// under way, a hang-up or a line error fail the wait.
Wait WaitPort(const PortUse& u, short events, Clock::time_point deadline) {
  for (;;) {
    pollfd f[2] = {{u.fd, events, 0}, {u.closeFd, POLLIN, 0}};
    int n = ::poll(f, 2, MsUntil(deadline));
    if (n < 0) {
      if (errno == EINTR) continue;
      return Wait::Failed;
    }
    if (f[1].revents) return Wait::Failed;
    if (f[0].revents & events) return Wait::Ready;
    if (f[0].revents) return Wait::Failed;
    if (Clock::now() >= deadline) return Wait::TimedOut;
  }
}

// Takes up to n buffered bytes; the count taken.
int TakeBuffered(uint8_t* buf, int n) {
  Port& p = ThePort();
  std::lock_guard<std::mutex> g(p.mu);
  size_t take = std::min(static_cast<size_t>(n), p.rxEnd - p.rxPos);
  std::memcpy(buf, p.rx + p.rxPos, take);
  p.rxPos += take;
  if (p.rxPos == p.rxEnd) p.rxPos = p.rxEnd = 0;
  return static_cast<int>(take);
}

// Keeps what one read brought beyond what was asked for (the buffer is
// empty whenever the line is read).
void KeepBuffered(const uint8_t* bytes, size_t n) {
  Port& p = ThePort();
  std::lock_guard<std::mutex> g(p.mu);
  n = std::min(n, sizeof p.rx);
  std::memcpy(p.rx, bytes, n);
  p.rxPos = 0;
  p.rxEnd = n;
}

void DropBuffered() {
  Port& p = ThePort();
  std::lock_guard<std::mutex> g(p.mu);
  p.rxPos = p.rxEnd = 0;
}

size_t BufferedCount() {
  Port& p = ThePort();
  std::lock_guard<std::mutex> g(p.mu);
  return p.rxEnd - p.rxPos;
}

// Gathers n bytes within the time-out: the count read, or -1 on failure.
// The line is read in whole chunks; the surplus waits in the port's buffer.
int ReadFor(const PortUse& u, uint8_t* buf, int n, int timeOutMs) {
  auto deadline = Clock::now() + std::chrono::milliseconds(timeOutMs);
  int got = TakeBuffered(buf, n);
  uint8_t chunk[sizeof(Port::rx)];
  while (got < n) {
    ssize_t r = ::read(u.fd, chunk, sizeof chunk);
    if (r > 0) {
      size_t take = std::min(static_cast<size_t>(r), static_cast<size_t>(n - got));
      std::memcpy(buf + got, chunk, take);
      got += static_cast<int>(take);
      if (static_cast<size_t>(r) > take) KeepBuffered(chunk + take, static_cast<size_t>(r) - take);
      continue;
    }
    if (r == 0) return -1;  // the far end has gone (pseudo-terminal, socket)
    if (errno == EINTR) continue;
    if (errno != EAGAIN) return -1;
    Wait w = WaitPort(u, POLLIN, deadline);
    if (w == Wait::TimedOut) break;
    if (w == Wait::Failed) return -1;
  }
  return got;
}

// Writes n bytes within the time-out: the count written, or -1 on failure.
int WriteFor(const PortUse& u, const uint8_t* buf, int n, int timeOutMs) {
  auto deadline = Clock::now() + std::chrono::milliseconds(timeOutMs);
  int put = 0;
  while (put < n) {
    ssize_t r = ::write(u.fd, buf + put, static_cast<size_t>(n - put));
    if (r > 0) {
      put += static_cast<int>(r);
      continue;
    }
    if (r < 0 && errno == EINTR) continue;
    if (r < 0 && errno != EAGAIN) return -1;
    Wait w = WaitPort(u, POLLOUT, deadline);
    if (w == Wait::TimedOut) break;
    if (w == Wait::Failed) return -1;
  }
  return put;
}

int Result(int n, int wanted) {
  if (n < 0) return LINK_IO_ERROR;
  return n == wanted ? LINK_OK : LINK_TIMEOUT;
}

// The block protocol lives on the serial line only, so its bytes never take
// the Ethernet branch of Comm_SendByte.
int PortSendByte(uint8_t b) {
  PortUse u;
  if (!u) return LINK_IO_ERROR;
  return Result(WriteFor(u, &b, 1, u.writeTimeOutMs), 1);
}

int PortSendByteRetry(uint8_t b) {
  int r = PortSendByte(b);
  if (r != LINK_OK) r = PortSendByte(b);
  return r;
}

// Ends an exchange after a failure: EOT returns the far side to idle.
int EndWithEot(int r) {
  PortSendByteRetry(EOT);
  Comm_Purge();
  return r;
}

speed_t SpeedOf(int bps) {
  switch (bps) {
    case 300: return B300;
    case 600: return B600;
    case 1200: return B1200;
    case 2400: return B2400;
    case 4800: return B4800;
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    default: return 0;
  }
}

// Modem-control lines; a pseudo-terminal has none and refuses, which is fine.
void ModemLine(int fd, unsigned long request, int bit) { ::ioctl(fd, request, &bit); }

int Install(Port& p, int fd) {
  if (p.closeFd < 0) {
    p.closeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (p.closeFd < 0) return LINK_IO_ERROR;
  }
  p.fd = fd;
  p.readTimeOutMs = kSetupTimeOutMs;
  p.writeTimeOutMs = kSetupTimeOutMs;
  p.baud = 9600;
  p.eventMask = 0;
  p.rxPos = p.rxEnd = 0;
  return LINK_OK;
}

}  // namespace

void Comm_SetTiming(const CommTiming& t) {
  std::lock_guard<std::mutex> g(g_timingMu);
  g_timing = t;
}

CommTiming Comm_GetTiming() {
  std::lock_guard<std::mutex> g(g_timingMu);
  return g_timing;
}

// ---- Port management ----

std::string Comm_PortPath(const std::string& name) {
  if (name.size() < 4 || name.size() > 7 || name.compare(0, 3, "COM") != 0) return {};
  int n = 0;
  for (size_t i = 3; i < name.size(); ++i) {
    if (name[i] < '0' || name[i] > '9') return {};
    n = n * 10 + (name[i] - '0');
  }
  if (n < 1) return {};
  std::string link = ProgramDir + "ports/com" + std::to_string(n);
  struct stat st;
  // A dangling link still names the port: opening it then fails, rather than
  // falling through to a real device the user did not mean.
  if (::lstat(link.c_str(), &st) == 0) return link;
  return "/dev/ttyS" + std::to_string(n - 1);
}

int Comm_Open() {
  std::string path = Comm_PortPath(CommPortName);
  if (path.empty()) return LINK_IO_ERROR;
  Port& p = ThePort();
  std::lock_guard<std::mutex> g(p.mu);
  if (p.fd >= 0 || p.closing) return LINK_IO_ERROR;
  // Another program on the line would read the exchange's replies: a port
  // that a terminal program's lock file claims, or that any other process
  // has open, is refused before it is even opened.
  char real[PATH_MAX];
  if (!::realpath(path.c_str(), real)) return LINK_IO_ERROR;
  std::string lock;
  if (!PortLock_Take(real, lock)) return LINK_IO_ERROR;
  if (Port_HeldElsewhere(real)) {
    PortLock_Release(lock);
    return LINK_IO_ERROR;
  }
  int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  // Exclusive use: TIOCEXCL keeps other users out, flock also root and
  // ourselves (TIOCEXCL does not stop a privileged open).
  if (fd < 0 || !::isatty(fd) || ::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::ioctl(fd, TIOCEXCL) != 0 ||
      Install(p, fd) != LINK_OK) {
    if (fd >= 0) ::close(fd);
    PortLock_Release(lock);
    return LINK_IO_ERROR;
  }
  p.lockFile = std::move(lock);
  return LINK_OK;
}

int Comm_OpenFd(int fd) {
  if (fd < 0) return LINK_IO_ERROR;
  Port& p = ThePort();
  std::lock_guard<std::mutex> g(p.mu);
  if (p.fd >= 0 || p.closing) return LINK_IO_ERROR;
  int fl = ::fcntl(fd, F_GETFL);
  if (fl < 0 || ::fcntl(fd, F_SETFL, fl | O_NONBLOCK) < 0) return LINK_IO_ERROR;
  return Install(p, fd);
}

bool Comm_IsOpen() {
  Port& p = ThePort();
  std::lock_guard<std::mutex> g(p.mu);
  return p.fd >= 0 && !p.closing;
}

int Comm_Setup(int bitsPerSecond) {
  PortUse u;
  if (!u) return LINK_IO_ERROR;
  // The kernel keeps its own queues; there is no size to set.
  if (::tcflush(u.fd, TCIOFLUSH) != 0) return LINK_IO_ERROR;
  termios t;
  if (::tcgetattr(u.fd, &t) != 0) return LINK_IO_ERROR;

  // Binary 8N1, hardware (CTS) flow control, nothing translated or stripped.
  // INPCK and IGNPAR (parity check and error handling) stay as they were.
  t.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL |
                                      IXON | IXOFF | IXANY);
  t.c_oflag &= ~static_cast<tcflag_t>(OPOST);
  t.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
  t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB);
  t.c_cflag |= CS8 | CREAD | CLOCAL | CRTSCTS;
  t.c_cc[VMIN] = 1;
  t.c_cc[VTIME] = 0;
  int result = LINK_OK;
  speed_t sp = SpeedOf(bitsPerSecond);
  if (sp == 0 || ::cfsetispeed(&t, sp) != 0 || ::cfsetospeed(&t, sp) != 0 ||
      ::tcsetattr(u.fd, TCSANOW, &t) != 0)
    result = LINK_IO_ERROR;

  {
    Port& p = ThePort();
    std::lock_guard<std::mutex> g(p.mu);
    p.readTimeOutMs = kSetupTimeOutMs;
    p.writeTimeOutMs = kSetupTimeOutMs;
    if (result == LINK_OK) p.baud = bitsPerSecond;
  }
  ModemLine(u.fd, TIOCMBIS, TIOCM_DTR);
  return result;
}

void Comm_SetRcvTimeOut(int ms) {
  Port& p = ThePort();
  std::lock_guard<std::mutex> g(p.mu);
  p.readTimeOutMs = std::max(0, ms);
}

void Comm_Purge() {
  PortUse u;
  if (!u) return;
  // Only what came in is discarded. A write here returns once the bytes are
  // queued, not sent, so a transmit clear would drop what the program just
  // wrote to the exchange: the EOT that returns it to idle, the session end
  // before the next session opens.
  ::tcflush(u.fd, TCIFLUSH);
  DropBuffered();
}

int Comm_Close() {
  Port& p = ThePort();
  std::unique_lock<std::mutex> lk(p.mu);
  if (p.fd < 0 || p.closing) return LINK_OK;
  p.closing = true;
  eventfd_write(p.closeFd, 1);
  p.idle.wait(lk, [&p] { return p.users == 0; });
  int fd = p.fd;
  ModemLine(fd, TIOCMBIC, TIOCM_DTR);
  ::tcflush(fd, TCIOFLUSH);
  ModemLine(fd, TIOCMBIC, TIOCM_RTS);
  ::ioctl(fd, TIOCNXCL);
  // The descriptor is gone even when close reports an error; keeping it
  // would risk closing a reused number later.
  ::close(fd);
  PortLock_Release(p.lockFile);
  p.fd = -1;
  p.closing = false;
  p.eventMask = 0;
  p.rxPos = p.rxEnd = 0;
  Drain(p.closeFd);
  return LINK_OK;
}

// ---- Byte input and output ----

int Comm_ReadByte(uint8_t& b) {
  PortUse u;
  if (!u) return LINK_IO_ERROR;
  return Result(ReadFor(u, &b, 1, u.readTimeOutMs), 1);
}

int Comm_ReadByteRetry(uint8_t& b) {
  int r = Comm_ReadByte(b);
  if (r != LINK_OK) r = Comm_ReadByte(b);
  return r;
}

int Comm_SendByte(uint8_t b) {
  if (EthernetMode.load() == 1) {
    auto send = Comm_EthernetSendByte;
    if (send == nullptr) return LINK_IO_ERROR;
    int r = send(b);
    if (r == LINK_DISCONNECTED) {
      LineLost = 1;
      return LINK_IO_ERROR;
    }
    return r;
  }
  return PortSendByte(b);
}

int Comm_SendByteRetry(uint8_t b) {
  int r = Comm_SendByte(b);
  if (r != LINK_OK) r = Comm_SendByte(b);
  return r;
}

int Comm_ReadBytes(char* buf, int count, int& received) {
  received = 0;
  if (buf == nullptr) return LINK_IO_ERROR;
  buf[0] = '\0';
  count = std::clamp(count, 0, kCommBufSize);
  PortUse u;
  if (!u) return LINK_IO_ERROR;
  uint8_t tmp[kCommBufSize];
  // One read gathers until all came or the time-out passed, so the second
  // read for the rest is already part of it.
  int n = ReadFor(u, tmp, count, u.readTimeOutMs);
  if (n < 0) return LINK_IO_ERROR;
  received = n;
  int k = 0;
  while (k < n && tmp[k] != 0) {
    buf[k] = static_cast<char>(tmp[k]);
    ++k;
  }
  buf[k] = '\0';
  return Result(n, count);
}

int Comm_WriteBytes(const char* text, int count) {
  if (count > kTxQueue || count < 0) return LINK_SEND_TOO_LONG;
  if (count == 0) return LINK_OK;
  if (text == nullptr) return LINK_IO_ERROR;
  // Bytes after a NUL are not taken from the caller; they go out as NUL.
  uint8_t tmp[kTxQueue] = {};
  for (int i = 0; i < count && text[i] != '\0'; ++i) tmp[i] = static_cast<uint8_t>(text[i]);

  PortUse u;
  if (!u) return LINK_IO_ERROR;
  // Room for the whole text in the transmit queue, but only for as long as
  // a write may take: with CTS held low the queue never drains. The driver
  // gives no wake-up for "queue below a mark", so wait for as long as the
  // line needs to send the excess, then look again.
  auto deadline = Clock::now() + std::chrono::milliseconds(u.writeTimeOutMs);
  for (;;) {
    int queued = 0;
    if (::ioctl(u.fd, TIOCOUTQ, &queued) != 0) break;  // nothing to ask: no queue of ours
    int excess = queued - (kTxQueue - count);
    if (excess <= 0) break;
    if (Clock::now() >= deadline) return LINK_TIMEOUT;
    int lineMs = excess * 10 * 1000 / std::max(u.baud, 1) + 1;
    pollfd f{u.closeFd, POLLIN, 0};
    int n = ::poll(&f, 1, std::min(lineMs, MsUntil(deadline)));
    if (n > 0) return LINK_IO_ERROR;  // the port is being closed
  }
  return Result(WriteFor(u, tmp, count, u.writeTimeOutMs), count);
}

// ---- Block protocol ----

uint8_t Comm_Bcc(const char* text, int length) {
  uint8_t c = 0;
  for (int i = 0; i < length; ++i) c ^= static_cast<uint8_t>(text[i]);
  return c;
}

int Comm_BuildFrame(const char* text, int length, std::string& frame) {
  frame.clear();
  if (length < 0 || length > kCommMaxSendText) return LINK_SEND_TOO_LONG;
  if (length > 0 && text == nullptr) return LINK_IO_ERROR;
  frame.reserve(static_cast<size_t>(length) + 3);
  frame.push_back(static_cast<char>(STX));
  frame.append(text ? text : "", static_cast<size_t>(length));
  frame.push_back(static_cast<char>(ETX));
  frame.push_back(static_cast<char>(Comm_Bcc(text, length)));
  return LINK_OK;
}

namespace {

int RecvBlockImpl(char* buf, int& length);

int SendBlockImpl(const char* text, int length, bool allowReceive, bool* received,
                  int* replyLength, char* replyBuf) {
  std::string frame;
  int r = Comm_BuildFrame(text, length, frame);
  if (r != LINK_OK) return r;
  Comm_Purge();
  const int pauseMs = Comm_GetTiming().nakPauseMs;

  // Announce: ENQ until the far side answers ACK.
  int attempts = 0, naks = 0;
  for (;;) {
    if (attempts > 1 || naks > 1) {
      PortSendByteRetry(EOT);
      return LINK_TIMEOUT;
    }
    ++attempts;
    r = PortSendByteRetry(ENQ);
    if (r != LINK_OK) return EndWithEot(r);
    uint8_t b;
    r = Comm_ReadByteRetry(b);
    if (r == LINK_TIMEOUT) continue;
    if (r != LINK_OK) return EndWithEot(r);
    if (b == ENQ) {
      // The far side wants to send at the same time.
      if (allowReceive && replyBuf && replyLength) {
        if (received) *received = true;
        *replyLength = 0;
        return RecvBlockImpl(replyBuf, *replyLength);
      }
      r = Comm_ReadByteRetry(b);
      if (r == LINK_TIMEOUT) continue;
      if (r != LINK_OK) return EndWithEot(r);
    }
    if (b == ACK) break;
    if (b == NAK) {
      --attempts;
      ++naks;
      Pause(pauseMs);
      continue;
    }
    if (b == EOT) return LINK_EOT;
  }

  // Frame: sent until ACK (or EOT); a reply we cannot read is asked again.
  attempts = 0;
  naks = 0;
  bool answerNak = false;
  for (;;) {
    if (attempts > 1 || naks > 1) {
      PortSendByteRetry(EOT);
      return LINK_TIMEOUT;
    }
    ++attempts;
    if (!answerNak) {
      for (char c : frame) {
        r = PortSendByteRetry(static_cast<uint8_t>(c));
        if (r != LINK_OK) return EndWithEot(r);
      }
    } else {
      r = PortSendByteRetry(NAK);
      if (r != LINK_OK) {
        Comm_Purge();
        return r;
      }
    }
    uint8_t b;
    r = Comm_ReadByteRetry(b);
    if (r == LINK_TIMEOUT) {
      answerNak = false;
      continue;
    }
    if (r != LINK_OK) return EndWithEot(r);
    if (b == ACK) return PortSendByteRetry(EOT);
    if (b == EOT) return LINK_OK;
    if (b == NAK) {
      --attempts;
      ++naks;
      answerNak = false;
      continue;
    }
    answerNak = true;
  }
}

int RecvFrameImpl(char* buf, int& length) {
  length = 0;
  // One use of the port for the whole frame: its bytes mostly come from the
  // port's buffer, not from a system call each.
  PortUse u;
  if (!u) return LINK_IO_ERROR;
  auto readByte = [&u](uint8_t& b) {
    int r = Result(ReadFor(u, &b, 1, u.readTimeOutMs), 1);
    return r == LINK_OK ? r : Result(ReadFor(u, &b, 1, u.readTimeOutMs), 1);
  };
  uint8_t check = 0;
  const int etxPauseMs = Comm_GetTiming().etxPauseMs;
  for (int pos = 0; pos <= kCommBufSize; ++pos) {
    uint8_t b;
    int r = readByte(b);
    if (r != LINK_OK) return r;
    if (pos == 0) {
      if (b == EOT) return LINK_EOT;
      if (b != STX) return LINK_NO_STX;
      continue;
    }
    if (b == ETX) {
      Pause(etxPauseMs);
      r = readByte(b);
      if (r != LINK_OK) return r;
      return b == check ? LINK_OK : LINK_BCC_ERROR;
    }
    check ^= b;
    buf[length++] = static_cast<char>(b);
  }
  return LINK_TOO_LONG;
}

// Throws away what is left of a refused frame, so that the repeat the NAK
// asks for is not read behind it: input until the line has been quiet for
// quietMs, within one receive time-out at most.
void DiscardUntilQuiet(int quietMs) {
  PortUse u;
  if (!u) return;
  DropBuffered();
  auto bound = Clock::now() + std::chrono::milliseconds(u.readTimeOutMs);
  uint8_t junk[256];
  while (Clock::now() < bound) {
    auto quiet = std::min(bound, Clock::now() + std::chrono::milliseconds(quietMs));
    if (WaitPort(u, POLLIN, quiet) != Wait::Ready) return;
    ssize_t r = ::read(u.fd, junk, sizeof junk);
    if (r <= 0 && errno != EINTR && errno != EAGAIN) return;
  }
}

int RecvBlockImpl(char* buf, int& length) {
  Comm_Purge();
  int r = PortSendByteRetry(ACK);
  if (r != LINK_OK) {
    Comm_Purge();
    return r;
  }
  for (int attempt = 1;; ++attempt) {
    r = RecvFrameImpl(buf, length);
    if (r == LINK_OK) break;
    if (r == LINK_EOT) {
      Comm_Purge();
      return r;
    }
    if (r == LINK_BCC_ERROR || r == LINK_NO_STX || r == LINK_TOO_LONG) {
      if (attempt == 1) {
        // A frame refused for its start or its length may still be arriving.
        if (r != LINK_BCC_ERROR) DiscardUntilQuiet(Comm_GetTiming().etxPauseMs);
        int s = PortSendByte(NAK);
        if (s != LINK_OK) return EndWithEot(s);
        continue;
      }
      PortSendByte(EOT);
      return r;
    }
    return EndWithEot(r);
  }
  r = PortSendByte(ACK);
  if (r != LINK_OK) return EndWithEot(r);
  for (int read = 1;; ++read) {
    uint8_t b;
    r = Comm_ReadByteRetry(b);
    if (r != LINK_OK) {
      Comm_Purge();
      return r;
    }
    if (b == EOT) return LINK_OK;
    if (read == 2) {
      PortSendByte(EOT);
      return LINK_NO_EOT;
    }
    int s = PortSendByte(NAK);
    if (s != LINK_OK) return EndWithEot(s);
  }
}

int WaitBlockImpl(char* buf, int& length) {
  constexpr int kPasses = 3;
  const int pauseMs = Comm_GetTiming().noEotPauseMs;
  uint8_t prev = ENQ;
  for (int pass = 1; pass <= kPasses; ++pass) {
    for (;;) {
      uint8_t b;
      int r = Comm_ReadByteRetry(b);
      if (r != LINK_OK) return r;
      // An ENQ right after ETX is the BCC of a block passing by.
      bool announce = b == ENQ && prev != ETX;
      prev = b;
      if (!announce) continue;
      Comm_Purge();
      r = RecvBlockImpl(buf, length);
      if (r != LINK_NO_EOT) return r;
      break;
    }
    // No point in pausing when no pass follows.
    if (pass < kPasses) Pause(pauseMs);
  }
  return LINK_NO_EOT;
}

template <typename F>
int Guarded(F f) {
  LinkExchange exchange;
  if (!exchange) return LINK_BUSY;
  try {
    return f();
  } catch (...) {
    return LINK_IO_ERROR;
  }
}

}  // namespace

int Comm_SendBlock(const char* text, int length, bool allowReceive, bool* received,
                   int* replyLength, char* replyBuf) {
  if (received) *received = false;
  return Guarded(
      [&] { return SendBlockImpl(text, length, allowReceive, received, replyLength, replyBuf); });
}

int Comm_RecvFrame(char* buf, int& length) {
  length = 0;
  if (buf == nullptr) return LINK_IO_ERROR;
  return Guarded([&] { return RecvFrameImpl(buf, length); });
}

int Comm_RecvBlock(char* buf, int& length) {
  length = 0;
  if (buf == nullptr) return LINK_IO_ERROR;
  return Guarded([&] { return RecvBlockImpl(buf, length); });
}

int Comm_WaitBlock(char* buf, int& length) {
  length = 0;
  if (buf == nullptr) return LINK_IO_ERROR;
  return Guarded([&] { return WaitBlockImpl(buf, length); });
}

// ---- Watching the port ----

void Comm_SetEventMask(int mask) {
  Port& p = ThePort();
  std::lock_guard<std::mutex> g(p.mu);
  p.eventMask = mask;
  for (int w : p.watchers) eventfd_write(w, 1);
}

int Comm_GetEventMask() {
  Port& p = ThePort();
  std::lock_guard<std::mutex> g(p.mu);
  return p.eventMask;
}

int Comm_WaitEvent() {
  int wake = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (wake < 0) return 0;
  Port& p = ThePort();
  int fd, closeFd;
  {
    std::lock_guard<std::mutex> g(p.mu);
    if (p.fd < 0 || p.closing || (p.eventMask & EV_RXCHAR) == 0) {
      ::close(wake);
      return 0;
    }
    if (p.rxEnd > p.rxPos) {  // already read from the line, not yet taken
      ::close(wake);
      return EV_RXCHAR;
    }
    ++p.users;
    fd = p.fd;
    closeFd = p.closeFd;
    p.watchers.push_back(wake);
  }
  int event = 0;
  for (;;) {
    pollfd f[3] = {{fd, POLLIN, 0}, {closeFd, POLLIN, 0}, {wake, POLLIN, 0}};
    int n = ::poll(f, 3, -1);
    if (n < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (f[1].revents || f[2].revents) break;
    if (f[0].revents & POLLIN) event = EV_RXCHAR;
    break;  // bytes, or a hang-up or line error
  }
  {
    std::lock_guard<std::mutex> g(p.mu);
    p.watchers.erase(std::find(p.watchers.begin(), p.watchers.end(), wake));
    if (--p.users == 0) p.idle.notify_all();
  }
  ::close(wake);
  return event;
}

int Comm_InQueue() {
  PortUse u;
  if (!u) return -1;
  int n = 0;
  if (::ioctl(u.fd, FIONREAD, &n) != 0) return -1;
  return n + static_cast<int>(BufferedCount());
}
