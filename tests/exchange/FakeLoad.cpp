#include "tests/exchange/FakeLoad.h"

FakeLoadScript::FakeLoadScript(std::shared_ptr<ExchangeScript> other) : other_(std::move(other)) {}

void FakeLoadScript::RefuseSlash(const std::string& piece, int times) {
  std::lock_guard<std::mutex> g(mu_);
  refuse_[piece] = {false, false, "", times};
}

void FakeLoadScript::RefuseCode(const std::string& piece, const std::string& code, int times) {
  std::lock_guard<std::mutex> g(mu_);
  refuse_[piece] = {true, false, code, times};
}

void FakeLoadScript::RefuseBegin(bool on) {
  std::lock_guard<std::mutex> g(mu_);
  refuseBegin_ = on;
}

void FakeLoadScript::OddReply(const std::string& piece, const std::string& serialText) {
  std::lock_guard<std::mutex> g(mu_);
  refuse_[piece] = {false, true, serialText, -1};
}

std::vector<std::string> FakeLoadScript::Pieces() const {
  std::lock_guard<std::mutex> g(mu_);
  return pieces_;
}

void FakeLoadScript::ClearPieces() {
  std::lock_guard<std::mutex> g(mu_);
  pieces_.clear();
}

FakeLoadScript::Verdict FakeLoadScript::Judge(const std::string& payload, std::string& code) {
  std::lock_guard<std::mutex> g(mu_);
  pieces_.push_back(payload);
  auto it = refuse_.find(payload.size() > 1 ? payload.substr(1) : std::string());
  if (it == refuse_.end() || it->second.left == 0) return Verdict::Take;
  if (it->second.left > 0) --it->second.left;
  code = it->second.code;
  if (it->second.odd) return Verdict::Odd;
  return it->second.withCode ? Verdict::Code : Verdict::Slash;
}

std::vector<std::string> FakeLoadScript::Reply(const std::string& request) {
  if (request == std::string("\x22") + "0") {
    std::lock_guard<std::mutex> g(mu_);
    return {refuseBegin_ ? "/1" : "/0"};
  }
  if (request == "B0") return {"/0"};
  if (request.size() >= 2 && request[0] == 'A') {
    std::string code;
    switch (Judge(request.substr(1), code)) {
      case Verdict::Take:
        Taken(request.substr(1));
        return {"/0"};
      case Verdict::Slash: return {"/1"};
      case Verdict::Code: return {"C1" + code};
      case Verdict::Odd: return {code};
    }
  }
  return other_ ? other_->Reply(request) : std::vector<std::string>{};
}

std::vector<FakeUdpFrame> FakeLoadScript::UdpDataLine(const std::string& payload) {
  std::string code;
  switch (Judge(payload, code)) {
    case Verdict::Take:
      Taken(payload);
      return {{-1, 'F', "0F"}};
    case Verdict::Slash: return {{-1, 'F', "01"}};
    case Verdict::Code: return {{-1, 'C', "0C00" + code}};
    case Verdict::Odd: return {{-1, 'F', "0" + code}};
  }
  return {};
}

void FakeLoadScript::OnTaken(std::function<void(const std::string&)> fn) {
  std::lock_guard<std::mutex> g(mu_);
  taken_ = std::move(fn);
}

void FakeLoadScript::Taken(const std::string& payload) {
  std::function<void(const std::string&)> fn;
  {
    std::lock_guard<std::mutex> g(mu_);
    fn = taken_;
  }
  if (fn) fn(payload);
}

void FakeLoadScript::AttachTo(FakeUdpExchange& udp) {
  udp.SetDataLineHandler([this](const std::string& payload) { return UdpDataLine(payload); });
}
