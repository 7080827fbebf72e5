#include "tests/exchange/FakeSave.h"

#include <algorithm>

namespace {

constexpr uint8_t kSaveRequest = 0x21, kReRequest = 0x34, kNotice = 0x0F;
constexpr size_t kOverlongPayload = 303;

}  // namespace

bool FakeSaveFaults::Set(const std::string& name, int value) {
  static const std::pair<const char*, int FakeSaveFaults::*> counts[] = {
      {"save-drop", &FakeSaveFaults::drop},          {"save-dup", &FakeSaveFaults::duplicate},
      {"save-early", &FakeSaveFaults::early},        {"save-long", &FakeSaveFaults::overlong},
      {"save-lost", &FakeSaveFaults::lost},          {"save-notice", &FakeSaveFaults::notice},
      {"save-after-cancel", &FakeSaveFaults::afterCancel}};
  for (const auto& [n, field] : counts) {
    if (name == n) {
      this->*field = value;
      return true;
    }
  }
  if (name == "save-refuse") {
    refuse = value != 0;
    return true;
  }
  return false;
}

FakeSaveStore::FakeSaveStore(std::shared_ptr<ExchangeScript> next) : next_(std::move(next)) {}

void FakeSaveStore::SetLines(char code, std::vector<std::string> lines) {
  std::lock_guard<std::mutex> g(mu_);
  lines_[code] = std::move(lines);
}

void FakeSaveStore::SetFaults(const FakeSaveFaults& f) {
  std::lock_guard<std::mutex> g(mu_);
  faults_ = f;
}

void FakeSaveStore::SetPacing(int burst, int gapUs) {
  std::lock_guard<std::mutex> g(mu_);
  burst_ = std::max(1, burst);
  gapUs_ = std::max(0, gapUs);
}

std::vector<char> FakeSaveStore::Asked() const {
  std::lock_guard<std::mutex> g(mu_);
  return asked_;
}

std::vector<std::string> FakeSaveStore::Reply(const std::string& request) {
  std::unique_lock<std::mutex> g(mu_);
  if (request.size() == 2 && request[0] == '!') {
    char code = request[1];
    asked_.push_back(code);
    auto it = lines_.find(code);
    if (faults_.refuse || it == lines_.end()) return {"/1"};
    std::vector<std::string> out{"/0"};
    for (size_t i = 0; i < it->second.size(); ++i) {
      if (faults_.lost > 0 && static_cast<int>(i) + 1 >= faults_.lost) return out;  // the line goes quiet
      out.push_back("10" + it->second[i]);
    }
    out.push_back("20");
    return out;
  }
  if (request == "30") {
    std::vector<std::string> out;
    for (int i = 0; i < faults_.afterCancel; ++i) out.push_back("10AFTER CANCEL\r\n");
    out.push_back("/0");
    return out;
  }
  auto next = next_;
  g.unlock();
  return next ? next->Reply(request) : std::vector<std::string>{};
}

FakeUdpFrame FakeSaveStore::Block(int n, const std::string& text, bool overlong) {
  FakeUdpFrame f{n, '1', "10" + text};
  if (overlong && f.payload.size() < kOverlongPayload) f.payload.resize(kOverlongPayload, ' ');
  return f;
}

std::vector<FakeUdpFrame> FakeSaveStore::UdpStream(char code) {
  std::lock_guard<std::mutex> g(mu_);
  return StreamLocked(code);
}

std::vector<FakeUdpFrame> FakeSaveStore::StreamLocked(char code) {
  auto it = lines_.find(code);
  if (faults_.refuse || it == lines_.end()) return {{-1, '/', "/1"}};
  const std::vector<std::string>& lines = it->second;
  const int count = static_cast<int>(lines.size());
  std::vector<int> order;
  for (int n = 1; n <= count; ++n) {
    if (n == faults_.drop || n == faults_.lost) continue;
    order.push_back(n);
    if (n == faults_.duplicate) order.push_back(n);
  }
  if (faults_.early > 0) {
    auto at = std::find(order.begin(), order.end(), faults_.early);
    if (at != order.end()) {
      auto to = at - std::min<std::ptrdiff_t>(2, at - order.begin());
      std::rotate(to, at, at + 1);
    }
  }
  std::vector<FakeUdpFrame> out{{-1, '/', "/0"}};
  for (int n : order) {
    if (n == faults_.notice) {
      out.push_back({0, kNotice, ""});
      return out;
    }
    out.push_back(Block(n, lines[n - 1], n == faults_.overlong));
  }
  out.push_back({count + 1, '2', "20"});
  if (gapUs_ > 0)
    for (size_t i = static_cast<size_t>(burst_); i < out.size(); i += static_cast<size_t>(burst_))
      out[i].gapUs = gapUs_;
  return out;
}

bool FakeSaveStore::Udp(uint8_t cmd, const std::string& payload, std::vector<FakeUdpFrame>& out) {
  std::lock_guard<std::mutex> g(mu_);
  if (cmd == kSaveRequest && payload.size() == 1) {
    current_ = payload[0];
    asked_.push_back(current_);
    out = StreamLocked(current_);
    return true;
  }
  if (cmd == kReRequest && payload.size() == 2) {
    int n = (static_cast<uint8_t>(payload[0]) << 8) | static_cast<uint8_t>(payload[1]);
    auto it = lines_.find(current_);
    out.clear();
    if (it != lines_.end() && n >= 1 && n <= static_cast<int>(it->second.size()) && n != faults_.lost)
      out.push_back(Block(n, it->second[n - 1], n == faults_.overlong));
    return true;
  }
  return false;
}

void FakeSaveStore::AttachTo(FakeUdpExchange& udp) {
  udp.SetResponder([this](uint8_t cmd, const std::string& payload, std::vector<FakeUdpFrame>& out) {
    return Udp(cmd, payload, out);
  });
}
