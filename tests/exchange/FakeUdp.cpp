#include "tests/exchange/FakeUdp.h"

#include <arpa/inet.h>
#include <errno.h>
#include <poll.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>

// Only the log-in mask is shared with the program; the frame handling here
// is the exchange's own, so that the two sides check each other.
#include "link/UDP_Unit.h"

namespace {

constexpr uint8_t kLoginRequest = 0x01, kLogin = 0x02, kSeed = 0x03, kLoggedIn = 0x04, kLogoff = 0x05,
                  kNotice = 0x0F, kOpenSave = 0x81, kSessionOpened = 0x80, kEndSession = 0x8F;

long long NowNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

int BindUdp(const char* addr, uint16_t port, std::string* error) {
  int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) {
    if (error) *error = std::string("socket: ") + std::strerror(errno);
    return -1;
  }
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(port);
  ::inet_pton(AF_INET, addr, &a.sin_addr);
  if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
    if (error) *error = std::string("bind ") + addr + ":" + std::to_string(port) + ": " + std::strerror(errno);
    ::close(fd);
    return -1;
  }
  return fd;
}

bool Take(int& count) {
  if (count <= 0) return false;
  --count;
  return true;
}

}  // namespace

FakeUdpExchange::FakeUdpExchange(FakeUdpConfig cfg) : cfg_(std::move(cfg)), rng_(std::random_device{}()) {
  for (uint8_t c : {0x21, 0x22, 0x33, 0x42, 0x8F}) standing_[c] = {{-1, 0xF0, ""}};
  for (uint8_t c : {0x80, 0x81, 0x83}) standing_[c] = {{-1, 0x80, ""}};
  standing_[0x41] = {{-1, 'F', "0F"}};
}

FakeUdpExchange::~FakeUdpExchange() { Stop(); }

bool FakeUdpExchange::Start(std::string* error) {
  if (running_) return true;
  fd_ = BindUdp("127.0.0.1", cfg_.port, error);
  if (fd_ < 0) return false;
  fdOther_ = BindUdp("127.0.0.2", 0, error);
  wake_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (fdOther_ < 0 || wake_ < 0) {
    if (error && wake_ < 0) *error = "eventfd failed";
    Stop();
    return false;
  }
  sockaddr_in a{};
  socklen_t al = sizeof a;
  ::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &al);
  port_ = ntohs(a.sin_port);
  {
    std::lock_guard<std::mutex> g(mu_);
    stop_ = false;
  }
  th_ = std::thread([this] { Run(); });
  running_ = true;
  return true;
}

void FakeUdpExchange::Stop() {
  if (th_.joinable()) {
    {
      std::lock_guard<std::mutex> g(mu_);
      stop_ = true;
    }
    Wake();
    th_.join();
  }
  running_ = false;
  for (int* fd : {&fd_, &fdOther_, &wake_}) {
    if (*fd >= 0) ::close(*fd);
    *fd = -1;
  }
}

void FakeUdpExchange::Wake() {
  if (wake_ < 0) return;
  uint64_t one = 1;
  (void)!::write(wake_, &one, sizeof one);
}

void FakeUdpExchange::SetFaults(const FakeUdpFaults& f) {
  std::lock_guard<std::mutex> g(mu_);
  cfg_.faults = f;
}

FakeUdpFaults FakeUdpExchange::Faults() const {
  std::lock_guard<std::mutex> g(mu_);
  return cfg_.faults;
}

void FakeUdpExchange::SetPassword(const std::string& pw) {
  std::lock_guard<std::mutex> g(mu_);
  cfg_.password = pw;
}

void FakeUdpExchange::SetNoticeOnWrongPassword(bool on) {
  std::lock_guard<std::mutex> g(mu_);
  cfg_.noticeOnWrongPassword = on;
}

void FakeUdpExchange::SetReply(uint8_t cmd, std::vector<FakeUdpFrame> frames) {
  std::lock_guard<std::mutex> g(mu_);
  standing_[cmd] = std::move(frames);
}

void FakeUdpExchange::Script(uint8_t cmd, std::vector<FakeUdpFrame> frames) {
  std::lock_guard<std::mutex> g(mu_);
  scripts_[cmd].push_back(std::move(frames));
}

void FakeUdpExchange::NoticeOn(uint8_t cmd) {
  std::lock_guard<std::mutex> g(mu_);
  noticeOn_ = cmd;
}

void FakeUdpExchange::SetDataLineHandler(DataLineFn fn) {
  std::lock_guard<std::mutex> g(mu_);
  dataLine_ = std::move(fn);
}

void FakeUdpExchange::SetResponder(FakeUdpResponder r) {
  std::lock_guard<std::mutex> g(mu_);
  responder_ = std::move(r);
}

void FakeUdpExchange::SetEcho(bool on) {
  std::lock_guard<std::mutex> g(mu_);
  echo_ = on;
}

void FakeUdpExchange::SetRequestHook(RequestHook hook) {
  std::lock_guard<std::mutex> g(hookMu_);
  hook_ = std::move(hook);
}

bool FakeUdpExchange::SendFrame(const FakeUdpFrame& f) {
  Out o;
  {
    std::lock_guard<std::mutex> g(mu_);
    if (!haveClient_) return false;
    if (f.cmd == kNotice) inSaveSession_ = false;
    o.bytes = Build(f.seq < 0 ? 0 : f.seq, f.cmd, f.payload);
    Scramble(o.bytes, key_);
    o.to = client_;
  }
  SendNow(o);
  return true;
}

bool FakeUdpExchange::SendNotice() { return SendFrame({0, kNotice, ""}); }

std::vector<FakeUdpReceived> FakeUdpExchange::Received() const {
  std::lock_guard<std::mutex> g(mu_);
  return received_;
}

size_t FakeUdpExchange::ReceivedCount() const {
  std::lock_guard<std::mutex> g(mu_);
  return receivedTotal_;
}

int FakeUdpExchange::CountOf(uint8_t cmd) const {
  std::lock_guard<std::mutex> g(mu_);
  int n = 0;
  for (const auto& r : received_)
    if (r.valid && r.cmd == cmd) ++n;
  return n;
}

void FakeUdpExchange::ClearReceived() {
  std::lock_guard<std::mutex> g(mu_);
  received_.clear();
  receivedTotal_ = 0;
}

bool FakeUdpExchange::WaitReceived(size_t n, int timeoutMs) const {
  std::unique_lock<std::mutex> g(mu_);
  return cv_.wait_for(g, std::chrono::milliseconds(timeoutMs), [&] { return receivedTotal_ >= n; });
}

bool FakeUdpExchange::LoggedIn() const {
  std::lock_guard<std::mutex> g(mu_);
  return loggedIn_;
}

uint32_t FakeUdpExchange::Key() const {
  std::lock_guard<std::mutex> g(mu_);
  return key_;
}

std::string FakeUdpExchange::Build(int seq, uint8_t cmd, const std::string& payload) const {
  std::string f(6, '\0');
  f[0] = static_cast<char>((seq >> 8) & 0xFF);
  f[1] = static_cast<char>(seq & 0xFF);
  f[2] = static_cast<char>(cmd);
  f[4] = static_cast<char>((payload.size() >> 8) & 0xFF);
  f[5] = static_cast<char>(payload.size() & 0xFF);
  return f + payload;
}

void FakeUdpExchange::Scramble(std::string& f, uint32_t key) const {
  if (key == 0) return;
  for (size_t i = 0; i < f.size(); ++i) f[i] = static_cast<char>(f[i] ^ ((key >> (8 * (i & 3))) & 0xFF));
}

void FakeUdpExchange::SendNow(const Out& o) {
  int fd = o.other ? fdOther_ : fd_;
  (void)::sendto(fd, o.bytes.data(), o.bytes.size(), 0, reinterpret_cast<const sockaddr*>(&o.to), sizeof o.to);
}

void FakeUdpExchange::Run() {
  std::vector<uint8_t> buf(65536);
  for (;;) {
    int waitMs = -1;
    std::vector<Out> due;
    {
      std::lock_guard<std::mutex> g(mu_);
      if (stop_) return;
      long long now = NowNs();
      while (!pending_.empty() && pending_.begin()->first <= now) {
        due.push_back(std::move(pending_.begin()->second));
        pending_.erase(pending_.begin());
      }
      if (!pending_.empty()) waitMs = static_cast<int>((pending_.begin()->first - now) / 1000000 + 1);
    }
    for (const Out& o : due) SendNow(o);
    if (!due.empty()) continue;
    pollfd p[2] = {{fd_, POLLIN, 0}, {wake_, POLLIN, 0}};
    if (::poll(p, 2, waitMs) < 0 && errno != EINTR) return;
    if (p[1].revents & POLLIN) {
      uint64_t v;
      (void)!::read(wake_, &v, sizeof v);
    }
    if (p[0].revents & POLLIN) {
      for (;;) {
        sockaddr_in from{};
        socklen_t fl = sizeof from;
        ssize_t n = ::recvfrom(fd_, buf.data(), buf.size(), MSG_TRUNC, reinterpret_cast<sockaddr*>(&from), &fl);
        if (n < 0) break;
        size_t len = std::min(static_cast<size_t>(n), buf.size());
        bool echo;
        {
          std::lock_guard<std::mutex> g(mu_);
          echo = echo_;
        }
        if (echo) {
          (void)::sendto(fd_, buf.data(), len, 0, reinterpret_cast<sockaddr*>(&from), fl);
          continue;
        }
        // Undelayed answers go out at once, as the echo does.
        FakeUdpReceived seen;
        bool retry = false;
        for (const Out& o : Handle(buf.data(), len, from, &seen, &retry)) SendNow(o);
        std::lock_guard<std::mutex> h(hookMu_);
        if (hook_ && seen.valid) hook_(seen, retry);
      }
    }
  }
}

std::vector<FakeUdpExchange::Out> FakeUdpExchange::Handle(const uint8_t* d, size_t n, const sockaddr_in& from,
                                                          FakeUdpReceived* seen, bool* retry) {
  std::lock_guard<std::mutex> g(mu_);
  if (Take(cfg_.faults.lostRequests)) return {};
  haveClient_ = true;
  client_ = from;
  FakeUdpReceived r;
  r.raw.assign(reinterpret_cast<const char*>(d), n);
  r.marked = n > 0 && (d[0] & 0x80);
  std::string plain = r.raw;
  if (r.marked) Scramble(plain, key_);
  const uint8_t* p = reinterpret_cast<const uint8_t*>(plain.data());
  r.valid = n >= 6 && n == 6u + ((p[4] << 8) | p[5]);
  if (r.valid) {
    r.seq = static_cast<uint16_t>((p[0] << 8) | p[1]);
    r.cmd = p[2];
    r.payload = plain.substr(6);
  }
  ++receivedTotal_;
  if (cfg_.record) received_.push_back(r);
  cv_.notify_all();
  *seen = r;
  if (!r.valid) return {};

  std::vector<FakeUdpFrame> frames;
  uint32_t key;
  if (last_.have && last_.seq == r.seq && last_.cmd == r.cmd && last_.payload == r.payload) {
    // A retry: the same answer again, whatever happened since.
    *retry = true;
    frames = last_.frames;
    key = last_.key;
  } else {
    frames = Answer(r.seq, r.cmd, r.payload, key);
    last_ = {true, r.seq, r.cmd, r.payload, frames, key};
  }
  return Emit(frames, r.seq, key);
}

// Under mu_. key: the key that the answer is scrambled with.
std::vector<FakeUdpFrame> FakeUdpExchange::Answer(uint16_t, uint8_t cmd, const std::string& payload,
                                                  uint32_t& key) {
  key = key_;
  switch (cmd) {
    case kLoginRequest: {
      if (inSaveSession_) return {};
      // A new session: the seed goes out plain, and the key it makes marks
      // every scrambled frame (its low byte has the top bit).
      loggedIn_ = false;
      key = 0;
      uint32_t seed = static_cast<uint32_t>(rng_());
      uint32_t k = seed ^ UDP_LOGIN_MASK;
      if (!(k & 0x80)) {
        seed ^= 0x80;
        k ^= 0x80;
      }
      key_ = k;
      std::string s(4, '\0');
      for (int i = 0; i < 4; ++i) s[i] = static_cast<char>((seed >> (8 * i)) & 0xFF);
      return {{-1, kSeed, s}};
    }
    case kLogin: {
      bool ok = payload.size() >= 18;
      if (ok) {
        std::string name = payload.substr(0, 16);
        std::string want(UDP_APP_NAME);
        want.resize(16, '\0');
        size_t pl = (static_cast<uint8_t>(payload[16]) << 8) | static_cast<uint8_t>(payload[17]);
        ok = name == want && payload.size() == 18 + pl && payload.substr(18) == cfg_.password && key_ != 0;
      }
      if (ok) {
        loggedIn_ = true;
        return {{-1, kLoggedIn, ""}};
      }
      if (cfg_.noticeOnWrongPassword) return {{0, kNotice, ""}};
      return {};
    }
    case kLogoff:
      loggedIn_ = false;
      inSaveSession_ = false;
      key_ = 0;
      return {{0, kNotice, ""}};
    default:
      break;
  }
  if (cfg_.requireLogin && !loggedIn_) return {};
  if (cmd == kEndSession) inSaveSession_ = false;
  std::vector<FakeUdpFrame> frames = Reply(cmd, payload);
  if (cmd == kOpenSave)
    for (const FakeUdpFrame& f : frames)
      if (f.cmd == kSessionOpened) inSaveSession_ = true;
  return frames;
}

// Under mu_: what the exchange answers to a request once logged in.
std::vector<FakeUdpFrame> FakeUdpExchange::Reply(uint8_t cmd, const std::string& payload) {
  if (noticeOn_ == cmd) {
    noticeOn_ = -1;
    return {{0, kNotice, ""}};
  }
  auto sc = scripts_.find(cmd);
  if (sc != scripts_.end() && !sc->second.empty()) {
    auto f = std::move(sc->second.front());
    sc->second.pop_front();
    return f;
  }
  if (cmd == 0x41 && dataLine_) return dataLine_(payload);
  std::vector<FakeUdpFrame> answered;
  if (responder_ && responder_(cmd, payload, answered)) return answered;
  auto st = standing_.find(cmd);
  return st == standing_.end() ? std::vector<FakeUdpFrame>{} : st->second;
}

// Under mu_. Returns what is due now; delayed datagrams wait in pending_.
std::vector<FakeUdpExchange::Out> FakeUdpExchange::Emit(const std::vector<FakeUdpFrame>& frames, uint16_t reqSeq,
                                                        uint32_t key) {
  std::vector<Out> now;
  FakeUdpFaults& f = cfg_.faults;
  long long start = NowNs();
  long long due = start + static_cast<long long>(f.delayMs) * 1000000;
  for (const FakeUdpFrame& fr : frames) {
    due += static_cast<long long>(fr.gapUs) * 1000;
    if (fr.cmd == kNotice) inSaveSession_ = false;
    if (Take(f.drop)) continue;
    Out o;
    o.to = client_;
    int seq = fr.seq < 0 ? reqSeq : fr.seq;
    if (Take(f.garbage)) {
      std::uniform_int_distribution<int> len(0, 64), byte(0, 255);
      o.bytes.resize(static_cast<size_t>(len(rng_)));
      for (char& c : o.bytes) c = static_cast<char>(byte(rng_));
    } else if (Take(f.overlong)) {
      o.bytes = Build(seq, fr.cmd, std::string(2042, '0'));
      o.bytes.append(3000 - o.bytes.size(), '0');
      Scramble(o.bytes, key);
    } else {
      if (Take(f.wrongSeq)) seq = (seq + 1) & 0x3FFF;
      o.bytes = Build(seq, fr.cmd, fr.payload);
      if (Take(f.wrongLength)) o.bytes.push_back('\0');
      Scramble(o.bytes, key);
      o.other = Take(f.otherAddress);
    }
    if (due > start) pending_.emplace(due, std::move(o));
    else now.push_back(std::move(o));
  }
  return now;
}

std::unique_ptr<FakeUdpExchange> FakeUdp_StartFromArgs(int argc, char** argv, std::string& error) {
  error.clear();
  FakeUdpConfig cfg;
  bool wanted = false;
  int noticeOn = -1;
  auto number = [&](int& i, long max, long& out) {
    if (i + 1 >= argc) {
      error = std::string(argv[i]) + " needs a value";
      return false;
    }
    const char* s = argv[++i];
    char* end = nullptr;
    errno = 0;
    long v = std::strtol(s, &end, 10);
    if (errno != 0 || end == s || *end != '\0' || v < 0 || v > max) {
      error = std::string(argv[i - 1]) + ": bad value \"" + s + "\"";
      return false;
    }
    out = v;
    return true;
  };
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    long v = 0;
    if (a == "--udp") {
      if (!number(i, 65535, v)) return nullptr;
      cfg.port = static_cast<uint16_t>(v);
      wanted = true;
    } else if (a == "--password") {
      if (i + 1 >= argc) {
        error = "--password needs a value";
        return nullptr;
      }
      cfg.password = argv[++i];
    } else if (a == "--wrong-password-notice") {
      cfg.noticeOnWrongPassword = true;
    } else if (a == "--no-login") {
      cfg.requireLogin = false;
    } else if (a == "--notice-on") {
      if (i + 1 >= argc) {
        error = "--notice-on needs a value";
        return nullptr;
      }
      char* end = nullptr;
      long c = std::strtol(argv[++i], &end, 16);
      if (end == argv[i] || *end != '\0' || c < 0 || c > 255) {
        error = std::string("--notice-on: bad value \"") + argv[i] + "\"";
        return nullptr;
      }
      noticeOn = static_cast<int>(c);
    } else {
      static const std::pair<const char*, int FakeUdpFaults::*> counts[] = {
          {"--drop", &FakeUdpFaults::drop},           {"--garbage", &FakeUdpFaults::garbage},
          {"--overlong", &FakeUdpFaults::overlong},   {"--wrong-seq", &FakeUdpFaults::wrongSeq},
          {"--wrong-length", &FakeUdpFaults::wrongLength}, {"--other-address", &FakeUdpFaults::otherAddress},
          {"--delay", &FakeUdpFaults::delayMs},       {"--lose-requests", &FakeUdpFaults::lostRequests}};
      for (const auto& [name, field] : counts) {
        if (a == name) {
          if (!number(i, 1000000, v)) return nullptr;
          cfg.faults.*field = static_cast<int>(v);
        }
      }
    }
  }
  if (!wanted) return nullptr;
  auto fake = std::make_unique<FakeUdpExchange>(cfg);
  if (!fake->Start(&error)) return nullptr;
  if (noticeOn >= 0) fake->NoticeOn(static_cast<uint8_t>(noticeOn));
  return fake;
}

int FakeUdp_Main(int argc, char** argv) {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGTERM);
  sigaddset(&set, SIGUSR1);
  // Blocked before the thread starts, so that only sigwait sees them.
  pthread_sigmask(SIG_BLOCK, &set, nullptr);
  std::string error;
  auto fake = FakeUdp_StartFromArgs(argc, argv, error);
  if (!fake) {
    std::fprintf(stderr, "%s\n", error.empty() ? "--udp PORT is needed" : error.c_str());
    return 2;
  }
  std::printf("udp: 127.0.0.1:%u\n", fake->Port());
  std::fflush(stdout);
  for (;;) {
    int sig = 0;
    if (sigwait(&set, &sig) != 0) break;
    if (sig == SIGUSR1) {
      fake->SendNotice();
      continue;
    }
    break;
  }
  fake->Stop();
  return 0;
}
