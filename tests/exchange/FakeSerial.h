// The serial side of the fake exchange: the far end of a pseudo-terminal pair
// that speaks the block protocol, the log-in and the control bytes, with
// switches for faults, and optionally a modem in front of it.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tests/exchange/FakeCore.h"

// Each count is used up as the fault fires, so "1" means "once, then well".
struct SerialFaults {
  // Answers to what ORVO sends.
  int nakEnq = 0;       // NAK to an ENQ
  int eotEnq = 0;       // EOT to an ENQ
  int silentEnq = 0;    // no answer to an ENQ
  int nakFrame = 0;     // NAK to a good frame
  int junkFrame = 0;    // a byte that is neither ACK, NAK nor EOT to a frame
  int eotFrame = 0;     // EOT instead of ACK to a frame
  int silentFrame = 0;  // no answer to a frame
  // Blocks the fake sends.
  int badBcc = 0;    // frame with a wrong BCC
  int noStx = 0;     // frame without its STX
  int overLong = 0;  // STX and 2048 text bytes, no ETX
  int noEot = 0;     // block without its closing EOT
  int junkEot = 0;   // another byte in place of the closing EOT
  // Everything.
  bool silent = false;  // reads everything, answers nothing
  int byteDelayMs = 0;  // writes one byte at a time, pausing after each

  // Sets a switch by its command-line name ("nak-enq", "byte-delay", ...).
  bool Set(const std::string& name, int value);
};

// A modem in front of the exchange. Until a dial connects, every line ended
// by CR is a command: "AT..." is answered "OK", "ATD..." by the dial answer
// (on "CONNECT 9600" the exchange takes the line over), anything else
// "ERROR". On the connected line "+++" (no CR) is answered "OK" and returns
// the modem to commands; "ATH" then keeps it there.
struct FakeModem {
  enum class Dial { Connect, Busy, NoCarrier, Error, NoAnswer, Silent };
  bool on = false;
  Dial dial = Dial::Connect;
  bool mute = false;  // answers nothing at all, "+++" included

  // By switch name: "connect", "busy", "no-carrier", "error", "no-answer",
  // "silent".
  bool SetDial(const std::string& name);
};

// A command the modem took, when its last byte came, and what it answered
// (empty: nothing) and when.
struct FakeModemEvent {
  std::chrono::steady_clock::time_point at;
  std::string command;
  std::string answer;
  std::chrono::steady_clock::time_point answeredAt;
};

class FakeSerialExchange {
 public:
  explicit FakeSerialExchange(std::shared_ptr<FakeCore> core = nullptr);
  ~FakeSerialExchange();
  FakeSerialExchange(const FakeSerialExchange&) = delete;
  FakeSerialExchange& operator=(const FakeSerialExchange&) = delete;

  // Opens the pseudo-terminal pair and starts serving it.
  bool Start(std::string* error = nullptr);
  void Stop();
  // Ends the line as a pulled cable would: ORVO's side sees a hang-up.
  void HangUp();
  // Stops serving but keeps the line up, so that another far side can use
  // MasterFd() for a while; Resume serves again.
  void Pause();
  void Resume();
  int MasterFd() const { return master_; }

  // The device ORVO opens.
  const std::string& PortPath() const { return slavePath_; }
  // Makes programDir/ports/comN lead to the port (an older entry is replaced).
  bool LinkPort(const std::string& programDir, int n, std::string* error = nullptr);

  FakeCore& Core() { return *core_; }
  void SetFaults(const SerialFaults& f);
  SerialFaults Faults() const;  // what is left of them
  void SetModem(const FakeModem& m);
  FakeModem Modem() const;
  // True while a dial has the line through to the exchange.
  bool ModemOnline() const;
  std::vector<FakeModemEvent> ModemLog() const;
  // Waits until the modem took at least n commands.
  bool WaitModemCommands(size_t n, int timeoutMs) const;

  // How long the fake waits for each answer of ORVO's.
  void SetReplyWaitMs(int ms) { replyWaitMs_ = ms; }

  // Sent when the line is idle, in the order given: a block offered with the
  // protocol, or raw bytes (noise).
  void PushBlock(const std::string& text);
  void PushRaw(const std::string& bytes);

  // Sees every byte from ORVO that the modem leaves, before the block
  // protocol does; true takes the byte. Runs on the fake's thread, and may
  // push bytes. Empty: none. Once it returns, the hook it replaced is no
  // longer running.
  void SetByteHook(std::function<bool(uint8_t)> hook);

  // Every byte ORVO has sent, in order.
  std::string Received() const;
  void ClearReceived();
  // True once the fake has been idle, with nothing queued and nothing
  // arriving, for a short while.
  bool WaitIdle(int timeoutMs);
  // Waits until what ORVO has sent satisfies done: the bytes of a write that
  // has returned may still be on their way through the pseudo-terminal.
  bool WaitReceived(const std::function<bool(const std::string&)>& done, int timeoutMs) const;

 private:
  enum : int { kTimedOut = -1, kGone = -2, kWoken = -3 };
  struct Outgoing {
    bool block;
    std::string bytes;
  };

  void Serve();
  int Get(int timeoutMs, bool idle = false);
  bool Put(const std::string& bytes);
  bool Take(int SerialFaults::*fault);
  int ReadFrameBody(std::string& text);
  void TakeBlock();
  void Complete(const std::string& request);
  bool OfferBlock(const std::string& text);
  std::string MakeFrame(const std::string& text);
  void LogIn();
  void SetIdle(bool idle);
  // The modem's part of one byte from ORVO; false when the byte is left to
  // the exchange.
  bool ModemTakes(uint8_t b);
  void ModemCommand(const std::string& command);
  void ModemAnswer(const std::string& command, const std::string& answer);

  std::shared_ptr<FakeCore> core_;
  int master_ = -1;
  int slaveKeep_ = -1;  // keeps the line up while ORVO has the port closed
  int stopFd_ = -1;
  int pushFd_ = -1;
  std::string slavePath_;
  std::thread thread_;
  std::atomic<int> replyWaitMs_{15000};

  mutable std::mutex mu_;
  mutable std::condition_variable idleCv_;
  SerialFaults faults_;
  FakeModem modem_;
  bool online_ = false;
  std::vector<FakeModemEvent> modemLog_;
  mutable std::condition_variable modemCv_;
  std::deque<Outgoing> outgoing_;
  // Held while the hook runs, so that whoever replaces it may go away.
  std::mutex hookMu_;
  std::function<bool(uint8_t)> byteHook_;
  std::string received_;
  bool idle_ = false;

  // Thread-only state.
  std::string inBuf_;
  size_t inPos_ = 0;
  bool enqPending_ = false;
  std::string command_;  // the modem's command line so far
  int pluses_ = 0;       // "+" in a row on the connected line
};
