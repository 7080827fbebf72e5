#include "link/LinkPort.h"

#include "link/LinkResult.h"

namespace {

class UnwiredSerial : public SerialLink {
 public:
  void SetRcvTimeOut(int) override {}
  void Purge() override {}
  int SendByte(uint8_t) override { return LINK_IO_ERROR; }
  int WriteBytes(std::string_view) override { return LINK_IO_ERROR; }
  int ReadBytes(size_t, std::string& out) override {
    out.clear();
    return LINK_IO_ERROR;
  }
  void Pause(int) override {}
  bool IsOpen() const override { return false; }
  int Open(const std::string&) override { return 1; }
  int Setup(int) override { return 1; }
  void Close() override {}
  void SetEventMask(int) override {}
  int EventMask() const override { return 0; }
  int WaitEvent() override { return 0; }
  int InQueue() override { return -1; }
};

class UnwiredUdp : public UdpLinkApi {
 public:
  int Init(uint16_t, uint32_t, uint16_t) override { return 1; }
  int Close() override { return 0; }
  void SetParam(int, uint32_t) override {}
  void SetTimer(UserTimer*) override {}
  void SetMainForm() override {}
  int Flush() override { return LINK_IO_ERROR; }
  int Transact(uint8_t, std::string_view, std::string& reply) override {
    reply.clear();
    return LINK_IO_ERROR;
  }
};

}  // namespace

ConnLinks& Conn_Links() {
  static UnwiredSerial serial;
  static UnwiredUdp udp;
  static ConnLinks links{&serial, &udp};
  return links;
}
