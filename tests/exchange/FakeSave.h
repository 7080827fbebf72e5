// The data kinds the fake exchange hands to a save, over both links: one
// store of lines per request code. On the serial side it is the script of
// the FakeCore ("!" + code, "30"); on the UDP side the responder of
// FakeUdpExchange (0x21, 0x34). Faults name block numbers of the UDP
// stream (1 = the first line); 0 leaves the fault off.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "tests/exchange/FakeCore.h"
#include "tests/exchange/FakeUdp.h"

struct FakeSaveFaults {
  int drop = 0;       // left out of the stream; comes on its re-request
  int duplicate = 0;  // sent twice in a row
  int early = 0;      // sent two places early (5: 1, 2, 5, 3, 4)
  int overlong = 0;   // its payload is 303 bytes
  int lost = 0;       // never comes, not even when asked for again
  int notice = 0;     // the disconnect notice takes its place; nothing after
  bool refuse = false;  // every request is refused
  // Serial: data blocks sent after the cancel "30" before its "/0".
  int afterCancel = 0;

  // By command-line name: "save-drop", "save-dup", "save-early",
  // "save-long", "save-lost", "save-notice", "save-refuse",
  // "save-after-cancel".
  bool Set(const std::string& name, int value);
};

class FakeSaveStore : public ExchangeScript {
 public:
  // Requests that are not a save's go to next (may be null).
  explicit FakeSaveStore(std::shared_ptr<ExchangeScript> next = nullptr);

  // The lines of a kind, each as the exchange sends it (with its own line
  // end); none: the kind is acknowledged and ended at once. A code never
  // set is refused.
  void SetLines(char code, std::vector<std::string> lines);
  void SetFaults(const FakeSaveFaults& f);
  // UDP pacing: after every burst frames, a pause of gapUs (0: no pause).
  void SetPacing(int burst, int gapUs);

  // The serial side.
  std::vector<std::string> Reply(const std::string& request) override;
  // The UDP side; install with FakeUdpExchange::SetResponder.
  bool Udp(uint8_t cmd, const std::string& payload, std::vector<FakeUdpFrame>& out);
  void AttachTo(FakeUdpExchange& udp);

  // The stream of one kind as the UDP side sends it on 0x21, faults
  // applied (for the bench, which measures the fake's own rate).
  std::vector<FakeUdpFrame> UdpStream(char code);
  // The request codes asked for, in order, over both links.
  std::vector<char> Asked() const;

 private:
  std::vector<FakeUdpFrame> StreamLocked(char code);
  static FakeUdpFrame Block(int n, const std::string& text, bool overlong);

  std::shared_ptr<ExchangeScript> next_;
  mutable std::mutex mu_;
  std::map<char, std::vector<std::string>> lines_;
  FakeSaveFaults faults_;
  int burst_ = 32;
  int gapUs_ = 1000;
  char current_ = 0;  // the kind being sent over UDP
  std::vector<char> asked_;
};
