#include "tests/exchange/FakeSerial.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/eventfd.h>
#include <termios.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstring>
#include <chrono>
#include <filesystem>
#include <map>

namespace {

constexpr uint8_t kStx = 0x02, kEtx = 0x03, kEot = 0x04, kEnq = 0x05, kAck = 0x06, kNak = 0x15;
constexpr uint8_t kCr = 0x0D;
constexpr char kJunk = '?';
// Longest text the fake takes in one frame before it calls the frame lost.
constexpr size_t kMaxText = 4096;
// Tries of one block of its own; the closing EOT missing makes ORVO wait for
// the block again.
constexpr int kBlockTries = 3;

std::string Byte(uint8_t b) { return std::string(1, static_cast<char>(b)); }

uint8_t Bcc(const std::string& text) {
  uint8_t c = 0;
  for (char ch : text) c ^= static_cast<uint8_t>(ch);
  return c;
}

}  // namespace

bool SerialFaults::Set(const std::string& name, int value) {
  static const std::map<std::string, int SerialFaults::*> counts = {
      {"nak-enq", &SerialFaults::nakEnq},       {"eot-enq", &SerialFaults::eotEnq},
      {"silent-enq", &SerialFaults::silentEnq}, {"nak-frame", &SerialFaults::nakFrame},
      {"junk-frame", &SerialFaults::junkFrame}, {"eot-frame", &SerialFaults::eotFrame},
      {"silent-frame", &SerialFaults::silentFrame}, {"bad-bcc", &SerialFaults::badBcc},
      {"no-stx", &SerialFaults::noStx},         {"over-long", &SerialFaults::overLong},
      {"no-eot", &SerialFaults::noEot},         {"junk-eot", &SerialFaults::junkEot},
      {"byte-delay", &SerialFaults::byteDelayMs}};
  if (name == "silent") {
    silent = value != 0;
    return true;
  }
  auto it = counts.find(name);
  if (it == counts.end()) return false;
  this->*(it->second) = value;
  return true;
}

bool FakeModem::SetDial(const std::string& name) {
  static const std::map<std::string, Dial> names = {
      {"connect", Dial::Connect},  {"busy", Dial::Busy},           {"no-carrier", Dial::NoCarrier},
      {"error", Dial::Error},      {"no-answer", Dial::NoAnswer},  {"silent", Dial::Silent}};
  auto it = names.find(name);
  if (it == names.end()) return false;
  dial = it->second;
  return true;
}

FakeSerialExchange::FakeSerialExchange(std::shared_ptr<FakeCore> core)
    : core_(core ? std::move(core) : std::make_shared<FakeCore>()) {}

FakeSerialExchange::~FakeSerialExchange() { Stop(); }

bool FakeSerialExchange::Start(std::string* error) {
  auto fail = [&](const char* what) {
    if (error) *error = std::string(what) + ": " + std::strerror(errno);
    Stop();
    return false;
  };
  master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (master_ < 0) return fail("posix_openpt");
  if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0) return fail("unlockpt");
  char name[128];
  if (::ptsname_r(master_, name, sizeof name) != 0) return fail("ptsname");
  slavePath_ = name;
  slaveKeep_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (slaveKeep_ < 0) return fail("open slave");
  // Raw until ORVO sets the line up itself: no echo, no line editing.
  termios t;
  if (::tcgetattr(slaveKeep_, &t) != 0) return fail("tcgetattr");
  ::cfmakeraw(&t);
  if (::tcsetattr(slaveKeep_, TCSANOW, &t) != 0) return fail("tcsetattr");
  int fl = ::fcntl(master_, F_GETFL);
  if (fl < 0 || ::fcntl(master_, F_SETFL, fl | O_NONBLOCK) != 0) return fail("fcntl");
  stopFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  pushFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (stopFd_ < 0 || pushFd_ < 0) return fail("eventfd");
  thread_ = std::thread([this] { Serve(); });
  return true;
}

void FakeSerialExchange::Stop() {
  if (thread_.joinable()) {
    eventfd_write(stopFd_, 1);
    thread_.join();
  }
  for (int* fd : {&master_, &slaveKeep_, &stopFd_, &pushFd_}) {
    if (*fd >= 0) ::close(*fd);
    *fd = -1;
  }
  SetIdle(false);
}

void FakeSerialExchange::HangUp() { Stop(); }

void FakeSerialExchange::Pause() {
  if (!thread_.joinable()) return;
  eventfd_write(stopFd_, 1);
  thread_.join();
  eventfd_t v;
  eventfd_read(stopFd_, &v);
  inBuf_.clear();
  inPos_ = 0;
  SetIdle(false);
}

void FakeSerialExchange::Resume() {
  if (!thread_.joinable() && master_ >= 0) thread_ = std::thread([this] { Serve(); });
}

bool FakeSerialExchange::LinkPort(const std::string& programDir, int n, std::string* error) {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::path dir = fs::path(programDir) / "ports";
  fs::create_directories(dir, ec);
  fs::path link = dir / ("com" + std::to_string(n));
  fs::remove(link, ec);
  fs::create_symlink(slavePath_, link, ec);
  if (ec) {
    if (error) *error = link.string() + ": " + ec.message();
    return false;
  }
  return true;
}

void FakeSerialExchange::SetFaults(const SerialFaults& f) {
  std::lock_guard<std::mutex> g(mu_);
  faults_ = f;
}

SerialFaults FakeSerialExchange::Faults() const {
  std::lock_guard<std::mutex> g(mu_);
  return faults_;
}

void FakeSerialExchange::PushBlock(const std::string& text) {
  {
    std::lock_guard<std::mutex> g(mu_);
    outgoing_.push_back({true, text});
    idle_ = false;
  }
  eventfd_write(pushFd_, 1);
}

void FakeSerialExchange::PushRaw(const std::string& bytes) {
  {
    std::lock_guard<std::mutex> g(mu_);
    outgoing_.push_back({false, bytes});
    idle_ = false;
  }
  eventfd_write(pushFd_, 1);
}

void FakeSerialExchange::SetByteHook(std::function<bool(uint8_t)> hook) {
  std::lock_guard<std::mutex> g(hookMu_);
  byteHook_ = std::move(hook);
}

std::string FakeSerialExchange::Received() const {
  std::lock_guard<std::mutex> g(mu_);
  return received_;
}

void FakeSerialExchange::ClearReceived() {
  std::lock_guard<std::mutex> g(mu_);
  received_.clear();
}

void FakeSerialExchange::SetIdle(bool idle) {
  {
    std::lock_guard<std::mutex> g(mu_);
    idle_ = idle && outgoing_.empty();
  }
  idleCv_.notify_all();
}

bool FakeSerialExchange::WaitIdle(int timeoutMs) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  std::unique_lock<std::mutex> lk(mu_);
  for (;;) {
    if (!idleCv_.wait_until(lk, deadline, [&] { return idle_; })) return false;
    // Bytes ORVO has just written may still be on their way through the
    // pseudo-terminal: idle only if nothing came for a little while.
    size_t seen = received_.size();
    if (!idleCv_.wait_for(lk, std::chrono::milliseconds(20),
                          [&] { return !idle_ || received_.size() != seen; }))
      return true;
  }
}

bool FakeSerialExchange::WaitReceived(const std::function<bool(const std::string&)>& done, int timeoutMs) const {
  std::unique_lock<std::mutex> lk(mu_);
  return idleCv_.wait_for(lk, std::chrono::milliseconds(timeoutMs), [&] { return done(received_); });
}

void FakeSerialExchange::SetModem(const FakeModem& m) {
  std::lock_guard<std::mutex> g(mu_);
  modem_ = m;
}

FakeModem FakeSerialExchange::Modem() const {
  std::lock_guard<std::mutex> g(mu_);
  return modem_;
}

bool FakeSerialExchange::ModemOnline() const {
  std::lock_guard<std::mutex> g(mu_);
  return online_;
}

std::vector<FakeModemEvent> FakeSerialExchange::ModemLog() const {
  std::lock_guard<std::mutex> g(mu_);
  return modemLog_;
}

bool FakeSerialExchange::WaitModemCommands(size_t n, int timeoutMs) const {
  std::unique_lock<std::mutex> lk(mu_);
  return modemCv_.wait_for(lk, std::chrono::milliseconds(timeoutMs), [&] { return modemLog_.size() >= n; });
}

bool FakeSerialExchange::ModemTakes(uint8_t b) {
  bool online;
  {
    std::lock_guard<std::mutex> g(mu_);
    if (!modem_.on) return false;
    online = online_;
  }
  if (online) {
    if (b != '+') {
      pluses_ = 0;
      return false;
    }
    if (++pluses_ == 3) {
      pluses_ = 0;
      {
        std::lock_guard<std::mutex> g(mu_);
        online_ = false;
      }
      command_.clear();
      ModemAnswer("+++", Modem().mute ? std::string() : "OK");
    }
    return true;
  }
  if (b == kCr) {
    std::string c;
    c.swap(command_);
    if (!c.empty()) ModemCommand(c);
  } else if (b == '\b') {
    if (!command_.empty()) command_.pop_back();
  } else if (b != '\n' && command_.size() < 256) {
    command_.push_back(static_cast<char>(b));
  }
  return true;
}

void FakeSerialExchange::ModemCommand(const std::string& command) {
  std::string u = command;
  for (char& c : u) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  FakeModem m = Modem();
  std::string answer;
  if (m.mute) {
    answer.clear();
  } else if (u.compare(0, 3, "ATD") == 0) {
    switch (m.dial) {
      case FakeModem::Dial::Connect: answer = "CONNECT 9600"; break;
      case FakeModem::Dial::Busy: answer = "BUSY"; break;
      case FakeModem::Dial::NoCarrier: answer = "NO CARRIER"; break;
      case FakeModem::Dial::Error: answer = "ERROR"; break;
      case FakeModem::Dial::NoAnswer: answer = "NO ANSWER"; break;
      case FakeModem::Dial::Silent: break;
    }
  } else {
    answer = u.compare(0, 2, "AT") == 0 ? "OK" : "ERROR";
  }
  if (answer == "CONNECT 9600") {
    std::lock_guard<std::mutex> g(mu_);
    online_ = true;
    pluses_ = 0;
  }
  ModemAnswer(command, answer);
}

void FakeSerialExchange::ModemAnswer(const std::string& command, const std::string& answer) {
  FakeModemEvent e;
  e.at = std::chrono::steady_clock::now();
  e.command = command;
  e.answer = answer;
  if (!answer.empty()) Put("\r\n" + answer + "\r\n");
  e.answeredAt = std::chrono::steady_clock::now();
  {
    std::lock_guard<std::mutex> g(mu_);
    modemLog_.push_back(std::move(e));
  }
  modemCv_.notify_all();
}

bool FakeSerialExchange::Take(int SerialFaults::*fault) {
  std::lock_guard<std::mutex> g(mu_);
  if (faults_.*fault <= 0) return false;
  --(faults_.*fault);
  return true;
}

// One byte from ORVO; kTimedOut, kGone (stopped or line down), or kWoken
// (idle wait only: something was pushed).
int FakeSerialExchange::Get(int timeoutMs, bool idle) {
  if (inPos_ < inBuf_.size()) return static_cast<uint8_t>(inBuf_[inPos_++]);
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    char tmp[4096];
    ssize_t n = ::read(master_, tmp, sizeof tmp);
    if (n > 0) {
      {
        std::lock_guard<std::mutex> g(mu_);
        received_.append(tmp, static_cast<size_t>(n));
        idle_ = false;
      }
      idleCv_.notify_all();
      inBuf_.assign(tmp, static_cast<size_t>(n));
      inPos_ = 0;
      return static_cast<uint8_t>(inBuf_[inPos_++]);
    }
    if (n == 0 || (errno != EAGAIN && errno != EINTR)) return kGone;
    if (errno == EINTR) continue;
    int waitMs = -1;
    if (!idle) {
      auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline -
                                                               std::chrono::steady_clock::now());
      if (left.count() <= 0) return kTimedOut;
      waitMs = static_cast<int>(left.count());
    }
    pollfd f[3] = {{master_, POLLIN, 0}, {stopFd_, POLLIN, 0}, {pushFd_, static_cast<short>(idle ? POLLIN : 0), 0}};
    int r = ::poll(f, 3, waitMs);
    if (r < 0 && errno != EINTR) return kGone;
    if (f[1].revents) return kGone;
    if (f[2].revents) {
      eventfd_t v;
      eventfd_read(pushFd_, &v);
      return kWoken;
    }
    if (f[0].revents & (POLLERR | POLLNVAL)) return kGone;
  }
}

bool FakeSerialExchange::Put(const std::string& bytes) {
  int delayMs;
  {
    std::lock_guard<std::mutex> g(mu_);
    delayMs = faults_.byteDelayMs;
  }
  size_t step = delayMs > 0 ? 1 : bytes.size();
  for (size_t done = 0; done < bytes.size();) {
    ssize_t n = ::write(master_, bytes.data() + done, std::min(step, bytes.size() - done));
    if (n > 0) {
      done += static_cast<size_t>(n);
      if (delayMs > 0 && done < bytes.size())
        std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EAGAIN) return false;
    pollfd f[2] = {{master_, POLLOUT, 0}, {stopFd_, POLLIN, 0}};
    if (::poll(f, 2, -1) < 0 && errno != EINTR) return false;
    if (f[1].revents) return false;
  }
  return true;
}

void FakeSerialExchange::Serve() {
  for (;;) {
    if (enqPending_) {
      enqPending_ = false;
      TakeBlock();
      continue;
    }
    Outgoing next{};
    bool have = false;
    {
      std::lock_guard<std::mutex> g(mu_);
      if (!outgoing_.empty()) {
        next = std::move(outgoing_.front());
        outgoing_.pop_front();
        have = true;
      }
    }
    if (have) {
      if (next.block)
        OfferBlock(next.bytes);
      else
        Put(next.bytes);
      continue;
    }
    bool hasInput = inPos_ < inBuf_.size();
    if (!hasInput) SetIdle(true);
    int b = Get(0, true);
    if (b == kGone) return;
    if (b == kWoken) continue;
    SetIdle(false);
    if (ModemTakes(static_cast<uint8_t>(b))) continue;
    if (Faults().silent) continue;
    bool hooked;
    {
      std::lock_guard<std::mutex> h(hookMu_);
      hooked = byteHook_ && byteHook_(static_cast<uint8_t>(b));
    }
    if (hooked) continue;
    if (b == kEnq) {
      TakeBlock();
    } else if (b == kEtx) {
      LogIn();
    } else {
      std::string reply = core_->ControlReply(static_cast<uint8_t>(b));
      if (!reply.empty()) Put(reply);
    }
  }
}

// Reads a frame after its STX: 1 with the text, 0 when the BCC was wrong,
// -1 when the line went quiet or the frame ran past any sane length.
int FakeSerialExchange::ReadFrameBody(std::string& text) {
  text.clear();
  for (;;) {
    int b = Get(replyWaitMs_);
    if (b < 0) return -1;
    if (b == kEtx) break;
    if (text.size() >= kMaxText) return -1;
    text.push_back(static_cast<char>(b));
  }
  int bcc = Get(replyWaitMs_);
  if (bcc < 0) return -1;
  return bcc == Bcc(text) ? 1 : 0;
}

// ORVO announced a block (its ENQ has been read).
void FakeSerialExchange::TakeBlock() {
  enum class Step { Enq, Frame, Answer, AskedAgain, Close };
  Step step = Step::Enq;
  std::string text;
  auto readFrame = [&]() -> bool {  // after STX; false: the block is lost
    int r = ReadFrameBody(text);
    if (r < 0) return false;
    if (r == 0) {
      Put(Byte(kNak));
      step = Step::Frame;
    } else {
      step = Step::Answer;
    }
    return true;
  };
  for (;;) {
    switch (step) {
      case Step::Enq:
        if (Take(&SerialFaults::silentEnq)) return;
        if (Take(&SerialFaults::eotEnq)) {
          Put(Byte(kEot));
          return;
        }
        if (Take(&SerialFaults::nakEnq)) {
          Put(Byte(kNak));
          return;
        }
        Put(Byte(kAck));
        step = Step::Frame;
        break;
      case Step::Frame: {
        int b = Get(replyWaitMs_);
        if (b < 0 || b == kEot) return;
        if (b == kEnq) step = Step::Enq;
        if (b == kStx && !readFrame()) return;
        break;  // other bytes are noise
      }
      case Step::Answer:
        if (Take(&SerialFaults::silentFrame)) {
          step = Step::Frame;
        } else if (Take(&SerialFaults::eotFrame)) {
          Put(Byte(kEot));
          Complete(text);
          return;
        } else if (Take(&SerialFaults::nakFrame)) {
          Put(Byte(kNak));
          step = Step::Frame;
        } else if (Take(&SerialFaults::junkFrame)) {
          Put(std::string(1, kJunk));
          step = Step::AskedAgain;
        } else {
          Put(Byte(kAck));
          step = Step::Close;
        }
        break;
      case Step::AskedAgain:
      case Step::Close: {
        int b = Get(replyWaitMs_);
        if (b == kEot || (b < 0 && step == Step::Close)) {
          // Without the EOT the frame was still acknowledged: it counts.
          if (step == Step::Close) Complete(text);
          return;
        }
        if (b < 0) return;
        if (b == kNak) step = Step::Answer;  // ORVO asks for the answer again
        if (b == kStx && !readFrame()) return;
        if (b == kEnq) {
          if (step == Step::Close) Complete(text);
          enqPending_ = true;
          return;
        }
        break;
      }
    }
  }
}

void FakeSerialExchange::Complete(const std::string& request) {
  for (const std::string& reply : core_->Answer(request))
    if (!OfferBlock(reply) || enqPending_) return;
}

std::string FakeSerialExchange::MakeFrame(const std::string& text) {
  if (Take(&SerialFaults::overLong)) return Byte(kStx) + std::string(2048, 'L');
  std::string frame = Byte(kStx) + text + Byte(kEtx) + Byte(Bcc(text));
  if (Take(&SerialFaults::noStx)) frame.erase(0, 1);
  if (Take(&SerialFaults::badBcc)) frame.back() = static_cast<char>(~Bcc(text));
  return frame;
}

// Offers a block of its own. False when the line is gone or ORVO announced a
// block at the same time (ORVO's goes first; ours is dropped).
bool FakeSerialExchange::OfferBlock(const std::string& text) {
  for (int attempt = 1; attempt <= kBlockTries; ++attempt) {
    for (int naks = 0;; ++naks) {
      if (!Put(Byte(kEnq))) return false;
      int b = Get(replyWaitMs_);
      if (b == kAck) break;
      if (b == kGone) return false;
      if (b == kEnq) {
        enqPending_ = true;
        return false;
      }
      if (b != kNak || naks == 2) return true;  // not taken: given up
    }
    for (int naks = 0;; ++naks) {
      if (!Put(MakeFrame(text))) return false;
      int b = Get(replyWaitMs_);
      if (b == kAck) break;
      if (b == kGone) return false;
      if (b != kNak || naks == 2) return true;  // refused: given up
    }
    bool again = false;
    for (;;) {
      if (Take(&SerialFaults::noEot)) return true;
      if (!Take(&SerialFaults::junkEot)) return Put(Byte(kEot));
      if (!Put(std::string(1, kJunk))) return false;
      int b = Get(replyWaitMs_);
      if (b == kNak) continue;
      again = b == kEot;  // ORVO gave the block up and will wait for it again
      break;
    }
    if (!again) return true;
  }
  return true;
}

void FakeSerialExchange::LogIn() {
  if (!Put(kFakeLoginBanner)) return;
  std::string password;
  for (;;) {
    int b = Get(replyWaitMs_);
    if (b < 0) return;
    if (b == kCr) break;
    password.push_back(static_cast<char>(b));
  }
  // A wrong password gets no answer: ORVO's read runs out.
  if (core_->PasswordOk(password)) Put(kFakeSetModeText);
}
