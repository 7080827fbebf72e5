// Shared pieces of the UDP link tests: a tick source on a thread, a raw
// peer socket, and a link opened towards the fake exchange.
#pragma once

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>

#include "link/ConnLogin.h"
#include "link/UDP_Unit.h"
#include "link/UserTimerUnit.h"
#include "tests/exchange/FakeUdp.h"

namespace udptest {

constexpr uint32_t kLoopback = 0x7F000001;

// Stands in for the UI thread's 100 ms timer, faster.
class Ticker {
 public:
  Ticker(UserTimer& t, int everyMs) : timer_(t) {
    th_ = std::thread([this, everyMs] {
      while (!stop_) {
        std::this_thread::sleep_for(std::chrono::milliseconds(everyMs));
        timer_.OnTick();
        ++ticks_;
      }
    });
  }
  ~Ticker() {
    stop_ = true;
    th_.join();
  }
  int Ticks() const { return ticks_; }

 private:
  UserTimer& timer_;
  std::atomic<bool> stop_{false};
  std::atomic<int> ticks_{0};
  std::thread th_;
};

// A plain UDP socket on a loopback address, to play the peer by hand.
class RawPeer {
 public:
  explicit RawPeer(const char* addr = "127.0.0.1") {
    fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    ::inet_pton(AF_INET, addr, &a.sin_addr);
    ::bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t l = sizeof a;
    ::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &l);
    port_ = ntohs(a.sin_port);
  }
  ~RawPeer() { ::close(fd_); }
  uint16_t Port() const { return port_; }
  int Fd() const { return fd_; }
  void SendTo(uint16_t port, const std::string& bytes) const {
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = htonl(kLoopback);
    ::sendto(fd_, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
  }
  // One datagram within ms, or "" with ok false.
  std::string Receive(int ms, bool* ok = nullptr) const {
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, ms) <= 0) {
      if (ok) *ok = false;
      return {};
    }
    char buf[4096];
    ssize_t n = ::recv(fd_, buf, sizeof buf, 0);
    if (ok) *ok = n >= 0;
    return n < 0 ? std::string() : std::string(buf, static_cast<size_t>(n));
  }

 private:
  int fd_ = -1;
  uint16_t port_ = 0;
};

// The link's own port, as bound.
inline uint16_t OwnUdpPort() {
  sockaddr_in a{};
  socklen_t l = sizeof a;
  ::getsockname(UdpLinkState.socket, reinterpret_cast<sockaddr*>(&a), &l);
  return ntohs(a.sin_port);
}

inline std::string Frame(uint16_t seq, uint8_t cmd, const std::string& payload) {
  std::string f;
  f += static_cast<char>(seq >> 8);
  f += static_cast<char>(seq & 0xFF);
  f += static_cast<char>(cmd);
  f += '\0';
  f += static_cast<char>(payload.size() >> 8);
  f += static_cast<char>(payload.size() & 0xFF);
  return f + payload;
}

inline std::string Xored(std::string f, uint32_t key) {
  for (size_t i = 0; i < f.size(); ++i) f[i] = static_cast<char>(f[i] ^ ((key >> (8 * (i % 4))) & 0xFF));
  return f;
}

// Counts the disconnect notices posted to a pretend main form.
struct NoticeSink {
  std::atomic<int> count{0};
  std::atomic<int> lastMsg{0};
  static void Post(void* form, int msg) {
    auto* s = static_cast<NoticeSink*>(form);
    s->lastMsg = msg;
    ++s->count;
  }
};

// The link opened towards a running fake, with a registered timer that
// only a test's ticks move.
class LinkToFake : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string err;
    ASSERT_TRUE(fake.Start(&err)) << err;
    ASSERT_EQ(Udp_Init(0, kLoopback, fake.Port()), LINK_OK);
    Udp_SetTimer(&timer);
    Udp_SetMainForm(&sink, &NoticeSink::Post);
  }
  void TearDown() override {
    // The fake's thread answers through what the tests attached to it
    // (stores, scripts, telephones), which go before the fake itself does.
    fake.Stop();
    Udp_Close();
    Udp_SetTimer(nullptr);
    Udp_SetMessagePump(nullptr);
  }
  void Params(int timeOutSec, int retries) {
    Udp_SetParam(UDP_PARAM_TIMEOUT, timeOutSec);
    Udp_SetParam(UDP_PARAM_RETRY, retries);
  }
  int Transact(uint8_t cmd, const std::string& payload = {}) {
    return Udp_Transact(cmd, payload.data(), static_cast<int>(payload.size()), reply, &replyLen);
  }
  // The connection form's log-in, step by step. Time-out 0: a silent
  // exchange costs one 100 ms wait per attempt.
  int LogIn(const std::string& pw) {
    Params(0, 2);
    int r = Transact(UDP_CMD_LOGIN_REQUEST);
    if (r != LINK_OK) return r;
    Udp_SetParam(UDP_PARAM_KEY, Conn_UdpKeyFromSeed(reply + 1));
    std::string p = Conn_UdpLoginPayload(pw);
    Params(0, 2);
    return Transact(UDP_CMD_LOGIN, p);
  }

  static FakeUdpConfig Config() {
    FakeUdpConfig c;
    c.password = "PW12";
    return c;
  }
  FakeUdpExchange fake{Config()};
  UserTimer timer;
  NoticeSink sink;
  uint8_t reply[UDP_REPLY_BUF] = {};
  int replyLen = 0;
};

}  // namespace udptest
