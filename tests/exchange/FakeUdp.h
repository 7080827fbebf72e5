// The exchange's UDP side, on loopback: log-in with a key seed and a
// password, scrambled frames, idempotent answers to retried frames,
// scripted replies per command, the disconnect notice, and switches for
// faults. As the exchange does, it stays in a save session that was opened
// (0x81) until the session's end (0x8F), the log-off or the disconnect
// notice, and takes no new log-in meanwhile: the log-in request goes
// unanswered. It runs its own thread; every method may be called from any
// thread.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <netinet/in.h>
#include <random>
#include <string>
#include <thread>
#include <vector>

// One frame the fake sends. seq -1 answers with the request's sequence.
struct FakeUdpFrame {
  int seq = -1;
  uint8_t cmd = 0;
  std::string payload;
  int gapUs = 0;  // sent this long after the frame before it
};

// Answers that depend on the payload (data kinds of a save). True when it
// answered; frames may be empty (no answer).
using FakeUdpResponder = std::function<bool(uint8_t cmd, const std::string& payload, std::vector<FakeUdpFrame>& out)>;

// Fault switches. The counts apply to the next k reply datagrams, one
// fault per datagram, in the order listed; a faulty datagram takes the
// place of the good one, so only a retry brings the reply.
struct FakeUdpFaults {
  int drop = 0;          // not sent at all
  int garbage = 0;       // random bytes instead
  int overlong = 0;      // 3000 bytes whose first 2048 look like the reply
  int wrongSeq = 0;      // sequence field one higher
  int wrongLength = 0;   // one byte more than the length field says
  int otherAddress = 0;  // sent from 127.0.0.2
  int delayMs = 0;       // every reply goes out this late
  // The next k requests are lost on their way in: neither seen (nor
  // recorded) nor answered, so only the sender's retry reaches the fake.
  int lostRequests = 0;
};

struct FakeUdpConfig {
  uint16_t port = 0;  // 0: any free port (see Port())
  std::string password = "0000";
  // A wrong password is answered with the disconnect notice instead of
  // silence.
  bool noticeOnWrongPassword = false;
  // Commands other than log-in and log-off go unanswered before a log-in.
  bool requireLogin = true;
  // Keep every received datagram for Received().
  bool record = true;
  FakeUdpFaults faults;
};

struct FakeUdpReceived {
  bool marked = false;  // top bit of byte 0: sent scrambled
  std::string raw;      // as it came over the wire
  bool valid = false;   // 6 + length field == size
  uint16_t seq = 0;
  uint8_t cmd = 0;
  std::string payload;  // unscrambled
};

class FakeUdpExchange {
 public:
  explicit FakeUdpExchange(FakeUdpConfig cfg = {});
  ~FakeUdpExchange();
  FakeUdpExchange(const FakeUdpExchange&) = delete;
  FakeUdpExchange& operator=(const FakeUdpExchange&) = delete;

  // Binds 127.0.0.1:port and 127.0.0.2 (for replies from elsewhere) and
  // starts the thread.
  bool Start(std::string* error = nullptr);
  void Stop();
  uint16_t Port() const { return port_; }

  void SetFaults(const FakeUdpFaults& f);
  FakeUdpFaults Faults() const;  // counts left
  void SetPassword(const std::string& pw);
  void SetNoticeOnWrongPassword(bool on);
  // Standing reply to a command (empty: no answer). Defaults: 0x21, 0x22,
  // 0x33, 0x42, 0x8F -> 0xF0; 0x80, 0x81, 0x83 -> 0x80; 0x41 -> 'F' with payload "0F"
  // (its byte 1 "F": the exchange took the whole text).
  void SetReply(uint8_t cmd, std::vector<FakeUdpFrame> frames);
  // The next request with this command gets these frames, once; queued.
  void Script(uint8_t cmd, std::vector<FakeUdpFrame> frames);
  // The next request with this command is answered by the disconnect
  // notice.
  void NoticeOn(uint8_t cmd);
  // Answers every data line (0x41) by its payload once no queued Script
  // is left for it; called under the fake's lock, so it must not call back.
  using DataLineFn = std::function<std::vector<FakeUdpFrame>(const std::string& payload)>;
  void SetDataLineHandler(DataLineFn fn);
  // Asked after the scripts and before the standing replies.
  void SetResponder(FakeUdpResponder r);
  // Bounces every datagram back unchanged (a bare ping-pong partner).
  void SetEcho(bool on);

  // Sees every well-formed datagram after its answer went out; retry tells
  // a repeat of the one before. Runs on the fake's thread, and may send.
  // Once it returns, the hook it replaced is no longer running.
  using RequestHook = std::function<void(const FakeUdpReceived&, bool retry)>;
  void SetRequestHook(RequestHook hook);

  // To the address that sent last; false when nobody has.
  bool SendFrame(const FakeUdpFrame& f);
  bool SendNotice();

  std::vector<FakeUdpReceived> Received() const;
  size_t ReceivedCount() const;
  int CountOf(uint8_t cmd) const;
  void ClearReceived();
  // Waits until at least n datagrams were received in all.
  bool WaitReceived(size_t n, int timeoutMs) const;
  bool LoggedIn() const;
  uint32_t Key() const;

 private:
  struct Cached {
    bool have = false;
    uint16_t seq = 0;
    uint8_t cmd = 0;
    std::string payload;
    std::vector<FakeUdpFrame> frames;
    uint32_t key = 0;
  };
  struct Out {
    std::string bytes;
    bool other = false;
    sockaddr_in to{};
  };

  void Run();
  std::vector<Out> Handle(const uint8_t* d, size_t n, const sockaddr_in& from, FakeUdpReceived* seen,
                          bool* retry);
  std::vector<FakeUdpFrame> Answer(uint16_t seq, uint8_t cmd, const std::string& payload, uint32_t& key);
  std::vector<FakeUdpFrame> Reply(uint8_t cmd, const std::string& payload);
  std::vector<Out> Emit(const std::vector<FakeUdpFrame>& frames, uint16_t reqSeq, uint32_t key);
  std::string Build(int seq, uint8_t cmd, const std::string& payload) const;
  void Scramble(std::string& f, uint32_t key) const;
  void SendNow(const Out& o);
  void Wake();

  FakeUdpConfig cfg_;
  uint16_t port_ = 0;
  int fd_ = -1;
  int fdOther_ = -1;
  int wake_ = -1;
  std::thread th_;
  bool running_ = false;

  mutable std::mutex mu_;
  mutable std::condition_variable cv_;
  bool stop_ = false;
  bool echo_ = false;
  bool haveClient_ = false;
  sockaddr_in client_{};
  uint32_t key_ = 0;
  bool loggedIn_ = false;
  bool inSaveSession_ = false;
  int noticeOn_ = -1;
  FakeUdpResponder responder_;
  std::map<uint8_t, std::vector<FakeUdpFrame>> standing_;
  DataLineFn dataLine_;
  std::map<uint8_t, std::deque<std::vector<FakeUdpFrame>>> scripts_;
  Cached last_;
  std::vector<FakeUdpReceived> received_;
  size_t receivedTotal_ = 0;
  std::multimap<long long, Out> pending_;  // by due time, steady ns
  std::mt19937 rng_;
  // Held while the hook runs, so that whoever replaces it may go away.
  std::mutex hookMu_;
  RequestHook hook_;
};

// The runnable fake's UDP side. Its options (others are left for the
// serial side): --udp PORT, --password PW, --wrong-password-notice,
// --no-login, --drop K, --garbage K, --overlong K, --wrong-seq K,
// --wrong-length K, --other-address K, --delay MS, --lose-requests K,
// --notice-on CMD (hex).
// Returns null with error empty when --udp is absent, null with error set
// when an option is wrong or the port cannot be bound.
std::unique_ptr<FakeUdpExchange> FakeUdp_StartFromArgs(int argc, char** argv, std::string& error);
// Parses, starts and serves until SIGINT or SIGTERM; SIGUSR1 sends the
// disconnect notice. Exit status: 0, or 2 on a wrong option.
int FakeUdp_Main(int argc, char** argv);
