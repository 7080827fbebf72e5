#include "link/ConnRealLinks.h"

#include <chrono>
#include <thread>

#include "link/Comm_Unit.h"

// The interface's bits are Udp_SetParam's, passed on as they are.
static_assert(int{UdpLinkApi::PARAM_TIMEOUT} == int{UDP_PARAM_TIMEOUT} &&
              int{UdpLinkApi::PARAM_RETRY} == int{UDP_PARAM_RETRY} &&
              int{UdpLinkApi::PARAM_ABORT} == int{UDP_PARAM_ABORT} &&
              int{UdpLinkApi::PARAM_SEQUENCE} == int{UDP_PARAM_SEQUENCE} &&
              int{UdpLinkApi::PARAM_KEY} == int{UDP_PARAM_KEY});

void CommSerialLink::SetRcvTimeOut(int ms) {
  rcvTimeOutMs_ = ms;
  Comm_SetRcvTimeOut(ms);
}

void CommSerialLink::Purge() { Comm_Purge(); }

int CommSerialLink::SendByte(uint8_t b) { return Comm_SendByte(b); }

int CommSerialLink::WriteBytes(std::string_view bytes) {
  return Comm_WriteBytes(bytes.data(), static_cast<int>(bytes.size()));
}

int CommSerialLink::ReadBytes(size_t count, std::string& out) {
  out.clear();
  // Byte by byte, since a text read stops at a NUL; the read time-out
  // still covers the whole count.
  using Clock = std::chrono::steady_clock;
  const int whole = rcvTimeOutMs_;
  const auto deadline = Clock::now() + std::chrono::milliseconds(whole);
  int r = LINK_OK;
  while (out.size() < count) {
    if (count > 1) {
      auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
      Comm_SetRcvTimeOut(left > 0 ? static_cast<int>(left) : 0);
    }
    uint8_t b = 0;
    r = Comm_ReadByte(b);
    if (r != LINK_OK) break;
    out += static_cast<char>(b);
  }
  if (count > 1) Comm_SetRcvTimeOut(whole);
  return r;
}

void CommSerialLink::Pause(int ms) {
  int d = pauseDivisor_;
  if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms / d));
}

bool CommSerialLink::IsOpen() const { return Comm_IsOpen(); }

int CommSerialLink::Open(const std::string& portName) {
  CommPortName = portName;
  return Comm_Open() == LINK_OK ? 0 : 1;
}

int CommSerialLink::Setup(int bitsPerSecond) { return Comm_Setup(bitsPerSecond) == LINK_OK ? 0 : 1; }

void CommSerialLink::Close() { Comm_Close(); }

void CommSerialLink::SetEventMask(int mask) { Comm_SetEventMask(mask); }

int CommSerialLink::EventMask() const { return Comm_GetEventMask(); }

int CommSerialLink::WaitEvent() { return Comm_WaitEvent(); }

int CommSerialLink::InQueue() { return Comm_InQueue(); }

int UdpRealLink::Init(uint16_t ownPort, uint32_t peer, uint16_t peerPort) {
  return Udp_Init(ownPort, peer, peerPort);
}

int UdpRealLink::Close() { return Udp_Close(); }

void UdpRealLink::SetParam(int bits, uint32_t value) { Udp_SetParam(bits, value); }

void UdpRealLink::SetTimer(UserTimer* timer) { Udp_SetTimer(timer); }

void UdpRealLink::SetMainForm() { Udp_SetMainForm(mainForm_ ? mainForm_() : nullptr, post_); }

int UdpRealLink::Flush() { return Udp_Flush(); }

int UdpRealLink::Transact(uint8_t command, std::string_view payload, std::string& reply) {
  reply.clear();
  if (payload.size() > static_cast<size_t>(UDP_PAYLOAD_MAX)) return LINK_SEND_TOO_LONG;
  uint8_t buf[UDP_REPLY_BUF];
  int n = 0;
  int r = Udp_Transact(command, payload.data(), static_cast<int>(payload.size()), buf, &n);
  if (r == LINK_OK) reply.assign(reinterpret_cast<const char*>(buf), static_cast<size_t>(n) + 1);
  return r;
}

CommSerialLink& Conn_CommSerial() {
  static CommSerialLink link;
  return link;
}

UdpRealLink& Conn_UdpLink() {
  static UdpRealLink link;
  return link;
}

void Conn_UseRealLinks(void* (*mainForm)(), UdpPostFn post) {
  Conn_UdpLink().SetMainFormSource(mainForm, post);
  Conn_Links() = ConnLinks{&Conn_CommSerial(), &Conn_UdpLink()};
}
