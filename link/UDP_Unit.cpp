#include "link/UDP_Unit.h"

#include "link/LinkUse.h"

#include <arpa/inet.h>
#include <errno.h>
#include <fcntl.h>
#include <netinet/ip.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <climits>
#include <cstring>
#include <memory>
#include <mutex>

#include "link/UserTimerUnit.h"
#include "shell/Global_Unit.h"

namespace {

// The socket is shared by the UI thread and a worker: each use holds a
// reference, so a close from the other thread only wakes the user and the
// descriptor is released (and its number freed for reuse) by whoever lets
// go last.
struct UdpSocket {
  explicit UdpSocket(int f) : fd(f) {}
  ~UdpSocket() {
    if (fd >= 0) ::close(fd);
  }
  int fd;
  std::atomic<bool> closed{false};
};

std::mutex g_sockMu;
std::shared_ptr<UdpSocket> g_sock;

std::shared_ptr<UdpSocket> AcquireSocket() {
  std::lock_guard<std::mutex> g(g_sockMu);
  return g_sock;
}

// The registered timer, dropped under the same lock when it is destroyed,
// so that a transaction on a worker never touches a freed one.
std::mutex g_timerMu;
UserTimer* g_timer = nullptr;
std::once_flag g_listenOnce;

void OnTimerDestroyed(UserTimer* t) {
  std::lock_guard<std::mutex> g(g_timerMu);
  if (g_timer == t) g_timer = nullptr;
}

template <class F>
bool WithTimer(F f) {
  std::lock_guard<std::mutex> g(g_timerMu);
  if (!g_timer) return false;
  f(*g_timer);
  return true;
}

std::mutex g_formMu;
void* g_form = nullptr;
UdpPostFn g_post = nullptr;

std::atomic<UdpPumpFn> g_pump{nullptr};

void PostDisconnect() {
  void* form;
  UdpPostFn post;
  {
    std::lock_guard<std::mutex> g(g_formMu);
    form = g_form;
    post = g_post;
  }
  if (form && post) post(form, UDP_DISCONNECT_USER_MSG);
}

void ClearMainForm() {
  std::lock_guard<std::mutex> g(g_formMu);
  g_form = nullptr;
  g_post = nullptr;
}

void Xor(uint8_t* f, int len, uint32_t key) {
  for (int i = 0; i < len; ++i) f[i] ^= static_cast<uint8_t>(key >> (8 * (i % 4)));
}

uint16_t Be16(const uint8_t* p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }

int PollMs() {
  int64_t ms = int64_t{UdpLinkState.pollSec} * 1000 + UdpLinkState.pollUsec / 1000;
  if (ms < 0) ms = 0;
  if (ms > INT_MAX) ms = INT_MAX;
  return static_cast<int>(ms);
}

// Only a marked datagram (top bit of byte 0) is scrambled: the sequence's
// high byte never has that bit, the key's low byte always has.
void UnscrambleIfMarked(uint8_t* d, int len) {
  if (len > 0 && (d[0] & 0x80)) Xor(d, len, UdpLinkState.key);
}

struct AcceptEntry {
  uint8_t cmd;
  uint8_t replies[2];
  int count;
};
constexpr AcceptEntry kAccept[] = {
    {UDP_CMD_LOGIN_REQUEST, {UDP_CMD_LOGIN_SEED, 0}, 1},
    {UDP_CMD_LOGIN, {UDP_CMD_LOGGED_IN, 0}, 1},
    {UDP_CMD_LOGOFF, {0, 0}, 0},
    {UDP_CMD_SAVE_REQUEST, {UDP_CMD_ACK, UDP_CMD_REFUSED}, 2},
    {UDP_CMD_BEGIN_LOAD, {UDP_CMD_ACK, UDP_CMD_REFUSED}, 2},
    {UDP_CMD_SAVE_ABORT, {UDP_CMD_ACK, 0}, 1},
    {UDP_CMD_DATA_LINE, {UDP_CMD_LINE_OK, UDP_CMD_LINE_CODE}, 2},
    {UDP_CMD_END_LOAD, {UDP_CMD_ACK, UDP_CMD_REFUSED}, 2},
    {UDP_CMD_TEL_START, {UDP_CMD_TEL_START, UDP_CMD_REFUSED}, 2},
    {UDP_CMD_SAVE_SESSION, {UDP_CMD_TEL_START, UDP_CMD_REFUSED}, 2},
    {UDP_CMD_LOAD_SESSION, {UDP_CMD_TEL_START, UDP_CMD_REFUSED}, 2},
    {UDP_CMD_END_SESSION, {UDP_CMD_ACK, 0}, 1},
};

}  // namespace

int Udp_Init(uint16_t ownPort, uint32_t peerAddrHostOrder, uint16_t peerPort) {
  if (UdpLinkState.socket != -1) return LINK_ALREADY_OPEN;
  Sock_Table_Reset();
  ClearMainForm();
  UdpLinkState.pollSec = 0;
  UdpLinkState.pollUsec = 100000;
  UdpLinkState.peerFamily = AF_INET;
  UdpLinkState.peerPort = htons(peerPort);
  UdpLinkState.peerAddr = htonl(peerAddrHostOrder);
  // BSD sockets need no start-up; the version word marks the link started.
  UdpLinkState.startupVersion = 0x0002;
  return Udp_Open(ownPort);
}

int Udp_Open(uint16_t ownPort) {
  // A socket left open would leak; the new one replaces it.
  Udp_CloseSocket();
  int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    Udp_Close();
    return LINK_IO_ERROR;
  }
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_ANY);
  a.sin_port = htons(ownPort);
  int tos = 0;
  int fl = ::fcntl(fd, F_GETFL);
  if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || fl < 0 ||
      ::fcntl(fd, F_SETFL, fl | O_NONBLOCK) != 0 ||
      ::setsockopt(fd, IPPROTO_IP, IP_TOS, &tos, sizeof tos) != 0) {
    ::close(fd);
    Udp_Close();
    return LINK_IO_ERROR;
  }
  {
    std::lock_guard<std::mutex> g(g_sockMu);
    g_sock = std::make_shared<UdpSocket>(fd);
    UdpLinkState.socket = fd;
  }
  return LINK_OK;
}

int Udp_CloseSocket() {
  std::shared_ptr<UdpSocket> s;
  {
    std::lock_guard<std::mutex> g(g_sockMu);
    s = std::move(g_sock);
    g_sock.reset();
    UdpLinkState.socket = -1;
  }
  if (!s) return LINK_OK;
  s->closed = true;
  if (s.use_count() == 1) {
    int fd = s->fd;
    s->fd = -1;
    return ::close(fd) == 0 ? LINK_OK : LINK_IO_ERROR;
  }
  // Wakes a thread waiting on it; that thread sees the close and the
  // descriptor goes with the last reference.
  ::shutdown(s->fd, SHUT_RDWR);
  return LINK_OK;
}

int Udp_Close() {
  int r = Udp_CloseSocket();
  Sock_Table_Reset();
  ClearMainForm();
  return r;
}

void Udp_SetParam(int flags, int64_t value) {
  if (flags & UDP_PARAM_TIMEOUT) UdpLinkState.timeOutSec = static_cast<int32_t>(value);
  if (flags & UDP_PARAM_RETRY) UdpLinkState.retryCount = static_cast<int32_t>(value);
  if (flags & UDP_PARAM_ABORT) UdpLinkState.abortFlag = static_cast<int32_t>(value);
  if (flags & UDP_PARAM_SEQUENCE) UdpLinkState.sequence = static_cast<uint16_t>(value);
  if (flags & UDP_PARAM_KEY) UdpLinkState.key = static_cast<uint32_t>(value);
}

void Udp_SetTimer(UserTimer* timer) {
  std::call_once(g_listenOnce, [] { UserTimer::AddDestroyListener(&OnTimerDestroyed); });
  std::lock_guard<std::mutex> g(g_timerMu);
  g_timer = timer;
}

void Udp_SetMainForm(void* form, UdpPostFn post) {
  std::lock_guard<std::mutex> g(g_formMu);
  g_form = form;
  g_post = post;
}

void Udp_SetMessagePump(UdpPumpFn pump) { g_pump = pump; }

int Udp_BuildFrame(uint8_t* out, uint16_t seq, uint8_t cmd, const void* payload, int len) {
  if (len < 0 || len > UDP_PAYLOAD_MAX) return -1;
  out[0] = static_cast<uint8_t>(seq >> 8);
  out[1] = static_cast<uint8_t>(seq);
  out[2] = cmd;
  out[3] = 0;
  out[4] = static_cast<uint8_t>(len >> 8);
  out[5] = static_cast<uint8_t>(len);
  if (len > 0) std::memcpy(out + UDP_HEADER_LEN, payload, static_cast<size_t>(len));
  return UDP_HEADER_LEN + len;
}

void Udp_Scramble(uint8_t* frame, int len) { Xor(frame, len, UdpLinkState.key); }
void Udp_Unscramble(uint8_t* frame, int len) { Xor(frame, len, UdpLinkState.key); }

int Udp_Send(uint8_t cmd, const void* payload, int len, uint16_t seq) {
  if (len < 0 || (len > 0 && !payload)) return LINK_IO_ERROR;
  if (len > UDP_PAYLOAD_MAX) return LINK_SEND_TOO_LONG;
  uint8_t frame[UDP_FRAME_MAX + 1];
  int n = Udp_BuildFrame(frame, seq, cmd, payload, len);
  if (cmd != UDP_CMD_LOGIN_REQUEST && cmd != UDP_CMD_LOGOFF) Udp_Scramble(frame, n);
  auto s = AcquireSocket();
  if (!s) return LINK_IO_ERROR;
  sockaddr_in to{};
  to.sin_family = UdpLinkState.peerFamily;
  to.sin_port = UdpLinkState.peerPort;
  to.sin_addr.s_addr = UdpLinkState.peerAddr;
  // The send's own result is not examined: a frame that did not go out is
  // one whose reply never comes, and the transaction's retry sends it again.
  (void)::sendto(s->fd, frame, static_cast<size_t>(n), MSG_NOSIGNAL, reinterpret_cast<sockaddr*>(&to),
                 sizeof to);
  return LINK_OK;
}

int Udp_CheckSource(const sockaddr_in& from, const uint8_t* dgram, int len) {
  if (from.sin_family != AF_INET || from.sin_addr.s_addr != UdpLinkState.peerAddr) return LINK_UNEXPECTED;
  if (len < UDP_HEADER_LEN) return LINK_UNEXPECTED;
  if (len != UDP_HEADER_LEN + Be16(dgram + 4)) return LINK_UNEXPECTED;
  return LINK_OK;
}

int Udp_Recv(uint8_t* buf, int* len) {
  *len = 0;
  auto s = AcquireSocket();
  if (!s) return LINK_IO_ERROR;
  pollfd p{s->fd, POLLIN, 0};
  int r = ::poll(&p, 1, PollMs());
  if (s->closed) return LINK_IO_ERROR;
  if (r == 0) return LINK_TIMEOUT;
  // A signal cut the wait short: as if nothing had come.
  if (r < 0) return errno == EINTR ? LINK_TIMEOUT : LINK_IO_ERROR;
  sockaddr_in from{};
  socklen_t fl = sizeof from;
  ssize_t n = ::recvfrom(s->fd, buf, UDP_FRAME_MAX, MSG_TRUNC, reinterpret_cast<sockaddr*>(&from), &fl);
  if (n < 0) return (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) ? LINK_TIMEOUT : LINK_IO_ERROR;
  // MSG_TRUNC reports the datagram's real length: a longer one is cut.
  if (n > UDP_FRAME_MAX) return LINK_UNEXPECTED;
  int l = static_cast<int>(n);
  UnscrambleIfMarked(buf, l);
  *len = l;
  return Udp_CheckSource(from, buf, l);
}

int Udp_RecvReply(uint8_t* buf, int* payloadLen, uint16_t* seq) {
  *payloadLen = 0;
  int len = 0;
  int r = Udp_Recv(buf, &len);
  if (r != LINK_OK) return r;
  uint8_t cmd = buf[2];
  int n = Be16(buf + 4);
  *seq = Be16(buf);
  if (cmd == UDP_CMD_DISCONNECT) {
    PostDisconnect();
    return LINK_DISCONNECTED;
  }
  std::memmove(buf + 1, buf + UDP_HEADER_LEN, static_cast<size_t>(n));
  buf[0] = cmd;
  buf[n + 1] = 0;
  *payloadLen = n;
  return LINK_OK;
}

namespace {

// Udp_CheckReply against the sequence number expect (0: not in use).
int CheckReplyFor(uint8_t sentCmd, const uint8_t* reply, int payloadLen, uint16_t replySeq, uint16_t expect) {
  uint8_t c = reply[0];
  if (c == UDP_CMD_FOLDED && payloadLen >= 2) {
    if (reply[2] == '0') c = UDP_CMD_ACK;
    else if (reply[2] == '1') c = UDP_CMD_REFUSED;
  }
  bool ok = false;
  for (const AcceptEntry& e : kAccept) {
    if (e.cmd != sentCmd) continue;
    for (int i = 0; i < e.count; ++i)
      if (e.replies[i] == c) ok = true;
    break;
  }
  if (!ok) return LINK_UNEXPECTED;
  if (expect != 0 && (replySeq & UDP_SEQ_MASK) != expect) return LINK_UNEXPECTED;
  return LINK_OK;
}

}  // namespace

int Udp_CheckReply(uint8_t sentCmd, const uint8_t* reply, int payloadLen, uint16_t replySeq) {
  return CheckReplyFor(sentCmd, reply, payloadLen, replySeq, UdpLinkState.sequence);
}

int Udp_Flush() {
  auto s = AcquireSocket();
  if (!s) return LINK_IO_ERROR;
  uint8_t buf[UDP_FRAME_MAX];
  for (;;) {
    if (s->closed) return LINK_IO_ERROR;
    sockaddr_in from{};
    socklen_t fl = sizeof from;
    ssize_t n = ::recvfrom(s->fd, buf, sizeof buf, MSG_TRUNC | MSG_DONTWAIT, reinterpret_cast<sockaddr*>(&from), &fl);
    if (n < 0) {
      if (errno == EINTR) continue;
      return (errno == EAGAIN || errno == EWOULDBLOCK) ? LINK_OK : LINK_IO_ERROR;
    }
    if (n > UDP_FRAME_MAX) continue;
    int l = static_cast<int>(n);
    UnscrambleIfMarked(buf, l);
    if (Udp_CheckSource(from, buf, l) == LINK_OK && buf[2] == UDP_CMD_DISCONNECT) {
      PostDisconnect();
      return LINK_DISCONNECTED;
    }
  }
}

namespace {

// Asked when the link time-out ran out: true when the request is to go
// out again.
using ExpiryFn = bool (*)();

// The wait of one attempt, with the link time-out armed: the reply to cmd
// that carries seq (when the sequence is in use), else the abort flag, an
// error, the disconnect notice or the time-out. A result, or -1 when the
// request is to go out again.
int AwaitAttempt(uint8_t cmd, uint16_t seq, int sent, uint8_t* reply, int* replyLen, ExpiryFn onExpiry) {
  for (;;) {
    if (UdpPumpFn pump = g_pump) pump();
    if (UdpLinkState.abortFlag == 1) {
      UdpLinkState.abortFlag = 0;
      return LINK_EOT;
    }
    int n = 0;
    uint16_t rseq = 0;
    int r = Udp_RecvReply(reply, &n, &rseq);
    if (r == LINK_IO_ERROR || r == LINK_DISCONNECTED) return r;
    if (r == LINK_OK && CheckReplyFor(cmd, reply, n, rseq, seq) == LINK_OK) {
      *replyLen = n;
      return sent;
    }
    bool expired = false;
    if (!WithTimer([&expired](UserTimer& t) { expired = t.IsTimeOut(); })) return LINK_IO_ERROR;
    if (expired) return onExpiry() ? -1 : LINK_TIMEOUT;
  }
}

bool ArmTimeOut() {
  int64_t ms = int64_t{UdpLinkState.timeOutSec} * 1000;
  if (ms > INT32_MAX) ms = INT32_MAX;
  if (ms < 0) ms = 0;
  return WithTimer([ms](UserTimer& t) { t.SetTimeOut(static_cast<int32_t>(ms)); });
}

}  // namespace

int Udp_Transact(uint8_t cmd, const void* payload, int len, uint8_t* reply, int* replyLen) {
  *replyLen = 0;
  LinkExchange exchange;
  if (!exchange) return LINK_BUSY;
  if (!WithTimer([](UserTimer&) {})) return LINK_IO_ERROR;
  const uint16_t seq = UdpLinkState.sequence;
  int result = -1;
  while (result < 0) {
    int sent = Udp_Send(cmd, payload, len, seq);
    if (sent == LINK_SEND_TOO_LONG) {
      result = sent;
      break;
    }
    if (!ArmTimeOut()) {
      result = LINK_IO_ERROR;
      break;
    }
    result = AwaitAttempt(cmd, seq, sent, reply, replyLen, [] {
      if (UdpLinkState.retryCount <= 0) return false;
      --UdpLinkState.retryCount;
      return true;
    });
  }
  if (seq != 0) {
    // Only if the link was not closed (and zeroed) under the transaction.
    uint16_t expect = seq;
    UdpLinkState.sequence.compare_exchange_strong(expect, seq >= UDP_SEQ_LAST ? 1 : static_cast<uint16_t>(seq + 1));
  }
  WithTimer([](UserTimer& t) { t.ClearTimeOut(); });
  return result;
}

int Udp_AwaitReply(uint8_t cmd, uint8_t* reply, int* replyLen) {
  *replyLen = 0;
  LinkExchange exchange;
  if (!exchange) return LINK_BUSY;
  // The transaction that sent the request has moved the sequence on.
  const uint16_t cur = UdpLinkState.sequence;
  const uint16_t seq = cur == 0 ? 0 : cur == 1 ? UDP_SEQ_LAST : static_cast<uint16_t>(cur - 1);
  int result = ArmTimeOut() ? AwaitAttempt(cmd, seq, LINK_OK, reply, replyLen, [] { return false; })
                            : LINK_IO_ERROR;
  WithTimer([](UserTimer& t) { t.ClearTimeOut(); });
  return result;
}

int Udp_SendControlByte(uint8_t cmd) {
  Udp_SetParam(UDP_PARAM_TIMEOUT, LinkTimeOutSec.load());
  Udp_SetParam(UDP_PARAM_RETRY, 2);
  uint8_t reply[UDP_REPLY_BUF];
  int n = 0;
  int r = Udp_Transact(cmd, nullptr, 0, reply, &n);
  if (r == LINK_DISCONNECTED) {
    LineLost = 1;
    return LINK_IO_ERROR;
  }
  return r;
}

void Udp_LogOff(UserTimer& timer) {
  Udp_SetTimer(&timer);
  Udp_SetMainForm(nullptr, nullptr);
  Udp_SetParam(UDP_PARAM_TIMEOUT, LinkTimeOutSec.load());
  Udp_SetParam(UDP_PARAM_RETRY, 2);
  Udp_SetParam(UDP_PARAM_ABORT, 0);
  const uint32_t why = UDP_LOGOFF_USER;
  const uint8_t reason[4] = {static_cast<uint8_t>(why >> 24), static_cast<uint8_t>(why >> 16),
                             static_cast<uint8_t>(why >> 8), static_cast<uint8_t>(why)};
  uint8_t reply[UDP_REPLY_BUF];
  int n = 0;
  (void)Udp_Transact(UDP_CMD_LOGOFF, reason, sizeof reason, reply, &n);
  Udp_Close();
}
