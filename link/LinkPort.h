// What the connection code needs of the two links, as small interfaces: the
// connection form, the log-ins and the modem dialogue run against these, so
// that they work the same on the real serial port and UDP socket and on the
// fakes of the tests.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

class UserTimer;

// A serial line as the log-in and the modem dialogue use it. Results are
// link result codes (0 done, 1 I/O error, 4 time-out or short transfer).
class LinkPort {
 public:
  virtual ~LinkPort() = default;
  // Read time-out of every following read, in milliseconds.
  virtual void SetRcvTimeOut(int ms) = 0;
  // Discards what waits in both directions.
  virtual void Purge() = 0;
  virtual int SendByte(uint8_t b) = 0;
  virtual int WriteBytes(std::string_view bytes) = 0;
  // Up to count bytes into out; 4 when fewer came within the read time-out.
  virtual int ReadBytes(size_t count, std::string& out) = 0;
  // A pause the dialogue itself prescribes (between password bytes, after
  // a modem command).
  virtual void Pause(int ms) = 0;
};

// The serial port as the connection form opens and closes it.
class SerialLink : public LinkPort {
 public:
  virtual bool IsOpen() const = 0;
  // 0, or 1 when the port ("COM" + n) cannot be opened.
  virtual int Open(const std::string& portName) = 0;
  // 0, or 1 when the port refuses the line settings.
  virtual int Setup(int bitsPerSecond) = 0;
  virtual void Close() = 0;

  // Watching the port, for a receive thread (mask bits as Comm_SetEventMask
  // takes them). The UI thread ends the watcher by setting the mask to 0,
  // which also releases a pending WaitEvent.
  virtual void SetEventMask(int mask) = 0;
  virtual int EventMask() const = 0;
  // EV_RXCHAR when bytes are waiting; 0 when the mask was cleared, the port
  // closed or a line error came.
  virtual int WaitEvent() = 0;
  // Bytes waiting to be read, or -1 when the port cannot tell.
  virtual int InQueue() = 0;
};

// The UDP link as the connection form and the log-in use it.
class UdpLinkApi {
 public:
  virtual ~UdpLinkApi() = default;
  // 0; 103 when a socket is already open; 1 when the socket cannot be set up.
  virtual int Init(uint16_t ownPort, uint32_t peerAddressHostOrder, uint16_t peerPort) = 0;
  virtual int Close() = 0;
  // The same bits as Udp_SetParam.
  enum ParamBit : int {
    PARAM_TIMEOUT = 1,
    PARAM_RETRY = 2,
    PARAM_ABORT = 4,
    PARAM_SEQUENCE = 8,
    PARAM_KEY = 16,
  };
  virtual void SetParam(int bits, uint32_t value) = 0;
  virtual void SetTimer(UserTimer* timer) = 0;
  // Registers the main window for the exchange's disconnect notice.
  virtual void SetMainForm() = 0;
  // Discards waiting datagrams: 0, 1 on a failure, 101 on a disconnect notice.
  virtual int Flush() = 0;
  // One request and its reply. reply: the reply's command byte followed by
  // its payload. Result: link result code.
  virtual int Transact(uint8_t command, std::string_view payload, std::string& reply) = 0;
};

// The links the connection form works on. ORVO installs the serial port and
// the UDP link at start-up (Conn_UseRealLinks); until then both refuse to
// open.
struct ConnLinks {
  SerialLink* serial;
  UdpLinkApi* udp;
};
ConnLinks& Conn_Links();
