// The connection code's link interfaces on the real serial port
// (Comm_Unit) and the real UDP link (UDP_Unit).
#pragma once

#include <atomic>

#include "link/LinkPort.h"
#include "link/UDP_Unit.h"

class CommSerialLink : public SerialLink {
 public:
  void SetRcvTimeOut(int ms) override;
  void Purge() override;
  int SendByte(uint8_t b) override;
  int WriteBytes(std::string_view bytes) override;
  // Exactly the bytes that came, NUL included, within one read time-out
  // for the whole count.
  int ReadBytes(size_t count, std::string& out) override;
  void Pause(int ms) override;
  bool IsOpen() const override;
  int Open(const std::string& portName) override;
  int Setup(int bitsPerSecond) override;
  void Close() override;
  void SetEventMask(int mask) override;
  int EventMask() const override;
  int WaitEvent() override;
  int InQueue() override;

  // The prescribed pauses of the log-in and the modem dialogue are divided
  // by this (tests run them short); 1 in the program.
  void SetPauseDivisor(int d) { pauseDivisor_ = d > 0 ? d : 1; }

 private:
  std::atomic<int> rcvTimeOutMs_{1000};
  std::atomic<int> pauseDivisor_{1};
};

class UdpRealLink : public UdpLinkApi {
 public:
  int Init(uint16_t ownPort, uint32_t peerAddressHostOrder, uint16_t peerPort) override;
  int Close() override;
  void SetParam(int bits, uint32_t value) override;
  void SetTimer(UserTimer* timer) override;
  // Registers the form that mainForm() gives at the time of the call.
  void SetMainForm() override;
  int Flush() override;
  int Transact(uint8_t command, std::string_view payload, std::string& reply) override;

  void SetMainFormSource(void* (*mainForm)(), UdpPostFn post) {
    mainForm_ = mainForm;
    post_ = post;
  }

 private:
  void* (*mainForm_)() = nullptr;
  UdpPostFn post_ = nullptr;
};

CommSerialLink& Conn_CommSerial();
UdpRealLink& Conn_UdpLink();

// Puts the real links into Conn_Links(). mainForm gives the window that
// receives the exchange's disconnect notice through post.
void Conn_UseRealLinks(void* (*mainForm)(), UdpPostFn post);
