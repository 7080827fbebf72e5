// What every side of the fake exchange shares (serial line, UDP): the
// scripted answers to request texts, the log-in password, the answers to
// single control bytes and the log of what was asked.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// The answers of the exchange to one request text.
class ExchangeScript {
 public:
  virtual ~ExchangeScript() = default;
  // The texts the exchange sends back, in order (none: no answer).
  virtual std::vector<std::string> Reply(const std::string& request) = 0;
};

// Answers looked up by the exact request text, with a fallback for the rest.
class ScriptTable : public ExchangeScript {
 public:
  void On(const std::string& request, std::vector<std::string> replies);
  void Otherwise(std::vector<std::string> replies);
  std::vector<std::string> Reply(const std::string& request) override;
  // Lines of "request<TAB>reply<TAB>reply..." in the file's own bytes (CR LF
  // or LF); the request "*" sets the fallback; empty lines and lines that
  // begin with "#" are skipped.
  bool Load(const std::string& path, std::string* error = nullptr);

 private:
  std::mutex mu_;
  std::map<std::string, std::vector<std::string>> table_;
  std::vector<std::string> otherwise_;
};

// The 18 bytes the exchange sends on 0x03, and after a good password.
extern const std::string kFakeLoginBanner;
extern const std::string kFakeSetModeText;

class FakeCore {
 public:
  explicit FakeCore(std::shared_ptr<ExchangeScript> script = nullptr);

  // Logs the request and asks the script.
  std::vector<std::string> Answer(const std::string& request);
  std::vector<std::string> Requests() const;
  // Waits until at least n requests were logged.
  bool WaitRequests(size_t n, int timeoutMs) const;

  // Empty: every password is taken.
  void SetPassword(const std::string& password);
  bool PasswordOk(const std::string& password) const;

  // Answer to a single control byte outside a block (empty: none). 0x81 and
  // 0x83 (session openings) are answered with 0x80.
  std::string ControlReply(uint8_t b) const;
  void SetControlReply(uint8_t b, const std::string& reply);

 private:
  std::shared_ptr<ExchangeScript> script_;
  mutable std::mutex mu_;
  mutable std::condition_variable logged_;
  std::vector<std::string> requests_;
  std::string password_;
  std::map<uint8_t, std::string> control_;
};
