// The exchange's telephone mode on either side of the fake: 0x80 starts it
// and the exchange paints its display; in the mode every byte (serial) or
// every "D" command (UDP) is a key, logged; the key FF12 ("l") asks for a
// sample dump; 0x8E (abort the dump) is answered by 0x83; 0x8F ends the
// mode, answered on serial by "SET MODE". Display and dump bytes go out raw
// on serial and as "E" frames of at most 302 bytes over UDP.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>

class FakeSerialExchange;
class FakeUdpExchange;

class FakeTelephone {
 public:
  // Installs the telephone mode on that side; the side must outlive it.
  explicit FakeTelephone(FakeSerialExchange& serial);
  explicit FakeTelephone(FakeUdpExchange& udp);
  ~FakeTelephone();
  FakeTelephone(const FakeTelephone&) = delete;
  FakeTelephone& operator=(const FakeTelephone&) = delete;

  // A line select (1..7) and the text padded or cut to 16 bytes.
  static std::string Line(int n, const std::string& text);
  // The display the exchange paints at the start of the mode.
  static std::string Greeting();
  // The dump sent for the key FF12.
  static std::string SampleDump();

  // Sends bytes of the display and dump stream to ORVO.
  void Send(const std::string& bytes);
  // Shows every key on line 7 ("KEY xx"); on by default.
  void SetKeyEcho(bool on);

  bool InMode() const;
  int Starts() const;
  int Ends() const;
  int Aborts() const;
  // The key bytes received in the mode, in order (0x8E included).
  std::string Keys() const;
  bool WaitKeys(size_t n, int timeoutMs) const;
  bool WaitEnds(int n, int timeoutMs) const;

 private:
  void Start();
  void Key(uint8_t b);
  void End();

  FakeSerialExchange* serial_ = nullptr;
  FakeUdpExchange* udp_ = nullptr;
  mutable std::mutex mu_;
  mutable std::condition_variable cv_;
  bool inMode_ = false;
  bool echo_ = true;
  int starts_ = 0, ends_ = 0, aborts_ = 0;
  std::string keys_;
};
