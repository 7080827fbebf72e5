#include "tests/exchange/FakeTelephone.h"

#include <chrono>
#include <cstdio>

#include "tests/exchange/FakeCore.h"
#include "tests/exchange/FakeSerial.h"
#include "tests/exchange/FakeUdp.h"

namespace {

constexpr uint8_t kStart = 0x80, kDumpStart = 0x82, kDumpEnd = 0x83, kAbort = 0x8E, kEnd = 0x8F;
constexpr uint8_t kKeyCmd = 0x44, kDisplayCmd = 0x45;
constexpr size_t kMaxFrame = 302;

}  // namespace

FakeTelephone::FakeTelephone(FakeSerialExchange& serial) : serial_(&serial) {
  serial.SetByteHook([this](uint8_t b) {
    bool mode;
    {
      std::lock_guard<std::mutex> g(mu_);
      mode = inMode_;
    }
    if (!mode) {
      if (b != kStart) return false;
      Start();
      return true;
    }
    if (b == kEnd) End();
    else Key(b);
    return true;
  });
}

FakeTelephone::FakeTelephone(FakeUdpExchange& udp) : udp_(&udp) {
  udp.SetRequestHook([this](const FakeUdpReceived& r, bool retry) {
    if (r.cmd == kStart && !retry) Start();
    else if (r.cmd == kEnd && !retry) End();
    else if (r.cmd == kKeyCmd && r.payload.size() == 1) Key(static_cast<uint8_t>(r.payload[0]));
  });
}

FakeTelephone::~FakeTelephone() {
  if (serial_) serial_->SetByteHook({});
  if (udp_) udp_->SetRequestHook({});
}

std::string FakeTelephone::Line(int n, const std::string& text) {
  std::string t = text.substr(0, 16);
  t.resize(16, ' ');
  return std::string(1, static_cast<char>(0x90 + n)) + t;
}

std::string FakeTelephone::Greeting() { return Line(1, "FAKE EXCHANGE") + Line(2, "TEL MODE"); }

std::string FakeTelephone::SampleDump() {
  std::string d(1, static_cast<char>(kDumpStart));
  for (int i = 1; i <= 3; ++i) {
    char line[32];
    std::snprintf(line, sizeof line, "DUMP LINE %04d\r\n", i);
    d += line;
  }
  return d + std::string(1, static_cast<char>(kDumpEnd));
}

void FakeTelephone::Send(const std::string& bytes) {
  if (serial_) {
    serial_->PushRaw(bytes);
    return;
  }
  for (size_t at = 0; at < bytes.size(); at += kMaxFrame)
    udp_->SendFrame({0, kDisplayCmd, bytes.substr(at, kMaxFrame)});
}

void FakeTelephone::SetKeyEcho(bool on) {
  std::lock_guard<std::mutex> g(mu_);
  echo_ = on;
}

void FakeTelephone::Start() {
  {
    std::lock_guard<std::mutex> g(mu_);
    inMode_ = true;
    ++starts_;
  }
  cv_.notify_all();
  Send(Greeting());
}

void FakeTelephone::Key(uint8_t b) {
  bool echo;
  {
    std::lock_guard<std::mutex> g(mu_);
    keys_.push_back(static_cast<char>(b));
    if (b == kAbort) ++aborts_;
    echo = echo_;
  }
  cv_.notify_all();
  if (b == kAbort) {
    Send(std::string(1, static_cast<char>(kDumpEnd)));
    return;
  }
  if (b == 'l') {
    Send(SampleDump());
    return;
  }
  if (echo) {
    char text[16];
    std::snprintf(text, sizeof text, "KEY %02X", b);
    Send(Line(7, text));
  }
}

void FakeTelephone::End() {
  {
    std::lock_guard<std::mutex> g(mu_);
    inMode_ = false;
    ++ends_;
  }
  cv_.notify_all();
  if (serial_) serial_->PushRaw(kFakeSetModeText);
}

bool FakeTelephone::InMode() const {
  std::lock_guard<std::mutex> g(mu_);
  return inMode_;
}

int FakeTelephone::Starts() const {
  std::lock_guard<std::mutex> g(mu_);
  return starts_;
}

int FakeTelephone::Ends() const {
  std::lock_guard<std::mutex> g(mu_);
  return ends_;
}

int FakeTelephone::Aborts() const {
  std::lock_guard<std::mutex> g(mu_);
  return aborts_;
}

std::string FakeTelephone::Keys() const {
  std::lock_guard<std::mutex> g(mu_);
  return keys_;
}

bool FakeTelephone::WaitKeys(size_t n, int timeoutMs) const {
  std::unique_lock<std::mutex> g(mu_);
  return cv_.wait_for(g, std::chrono::milliseconds(timeoutMs), [&] { return keys_.size() >= n; });
}

bool FakeTelephone::WaitEnds(int n, int timeoutMs) const {
  std::unique_lock<std::mutex> g(mu_);
  return cv_.wait_for(g, std::chrono::milliseconds(timeoutMs), [&] { return ends_ >= n; });
}
