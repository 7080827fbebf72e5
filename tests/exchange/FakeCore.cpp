#include "tests/exchange/FakeCore.h"

#include <chrono>
#include <fstream>
#include <sstream>

const std::string kFakeLoginBanner =
    std::string("\x88\x91\xC3\xDE\xA8\x2D\xD7\x2D\x49\x44") + std::string(8, ' ');
const std::string kFakeSetModeText = std::string("\x88\x91") + "SET MODE" + std::string(8, ' ');

void ScriptTable::On(const std::string& request, std::vector<std::string> replies) {
  std::lock_guard<std::mutex> g(mu_);
  table_[request] = std::move(replies);
}

void ScriptTable::Otherwise(std::vector<std::string> replies) {
  std::lock_guard<std::mutex> g(mu_);
  otherwise_ = std::move(replies);
}

std::vector<std::string> ScriptTable::Reply(const std::string& request) {
  std::lock_guard<std::mutex> g(mu_);
  auto it = table_.find(request);
  return it != table_.end() ? it->second : otherwise_;
}

bool ScriptTable::Load(const std::string& path, std::string* error) {
  std::ifstream f(path, std::ios::binary);
  if (!f) {
    if (error) *error = "cannot read " + path;
    return false;
  }
  std::string line;
  while (std::getline(f, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string> fields;
    std::istringstream ss(line);
    for (std::string field; std::getline(ss, field, '\t');) fields.push_back(field);
    std::string request = fields.front();
    fields.erase(fields.begin());
    if (request == "*")
      Otherwise(std::move(fields));
    else
      On(request, std::move(fields));
  }
  return true;
}

FakeCore::FakeCore(std::shared_ptr<ExchangeScript> script)
    : script_(script ? std::move(script) : std::make_shared<ScriptTable>()) {
  control_[0x81] = "\x80";
  control_[0x83] = "\x80";
}

std::vector<std::string> FakeCore::Answer(const std::string& request) {
  {
    std::lock_guard<std::mutex> g(mu_);
    requests_.push_back(request);
  }
  logged_.notify_all();
  return script_->Reply(request);
}

std::vector<std::string> FakeCore::Requests() const {
  std::lock_guard<std::mutex> g(mu_);
  return requests_;
}

bool FakeCore::WaitRequests(size_t n, int timeoutMs) const {
  std::unique_lock<std::mutex> lk(mu_);
  return logged_.wait_for(lk, std::chrono::milliseconds(timeoutMs),
                          [&] { return requests_.size() >= n; });
}

void FakeCore::SetPassword(const std::string& password) {
  std::lock_guard<std::mutex> g(mu_);
  password_ = password;
}

bool FakeCore::PasswordOk(const std::string& password) const {
  std::lock_guard<std::mutex> g(mu_);
  return password_.empty() || password == password_;
}

std::string FakeCore::ControlReply(uint8_t b) const {
  std::lock_guard<std::mutex> g(mu_);
  auto it = control_.find(b);
  return it != control_.end() ? it->second : std::string();
}

void FakeCore::SetControlReply(uint8_t b, const std::string& reply) {
  std::lock_guard<std::mutex> g(mu_);
  control_[b] = reply;
}
