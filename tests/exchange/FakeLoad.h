// The exchange's side of a load, one script for both links: the begin and
// end of the load and every data-line piece, answered by its command text.
// Serial: block "\x22" "0" -> "/0" (or "/1"), "B0" -> "/0", "A" + digit +
// piece -> "/0", "/1" or "C1" + code. UDP 0x41 (payload digit + piece):
// 'F' "0F" accepted, 'F' "01" refused without a code, 'C' "0C00" + code.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "tests/exchange/FakeCore.h"
#include "tests/exchange/FakeUdp.h"

class FakeLoadScript : public ExchangeScript {
 public:
  // Requests that are not the load's go to other (none: no answer).
  explicit FakeLoadScript(std::shared_ptr<ExchangeScript> other = nullptr);

  // The piece (command text without the digit) is refused, plainly or with
  // a code (any length: a hostile exchange may send a short one); times < 0:
  // always, else that many times and then taken.
  void RefuseSlash(const std::string& piece, int times = -1);
  void RefuseCode(const std::string& piece, const std::string& code, int times = -1);
  void RefuseBegin(bool on);
  // The serial answer to the piece is this text, whatever it is.
  void OddReply(const std::string& piece, const std::string& serialText);

  // Every data line taken, digit + piece, in order, from either link.
  std::vector<std::string> Pieces() const;
  void ClearPieces();

  std::vector<std::string> Reply(const std::string& request) override;
  std::vector<FakeUdpFrame> UdpDataLine(const std::string& payload);
  // Sees every data line taken (digit + piece), on the thread of its link
  // (over UDP under the UDP side's lock: it must not call back into it).
  void OnTaken(std::function<void(const std::string& payload)> fn);
  // Makes the UDP side answer data lines from this script.
  void AttachTo(FakeUdpExchange& udp);

 private:
  enum class Verdict { Take, Slash, Code, Odd };
  Verdict Judge(const std::string& payload, std::string& code);
  void Taken(const std::string& payload);

  std::shared_ptr<ExchangeScript> other_;
  mutable std::mutex mu_;
  struct Refusal {
    bool withCode = false;
    bool odd = false;
    std::string code;
    int left = -1;
  };
  std::map<std::string, Refusal> refuse_;
  bool refuseBegin_ = false;
  std::vector<std::string> pieces_;
  std::function<void(const std::string&)> taken_;
};
