// Log-in to the exchange and the three ways of connecting (Ethernet, direct
// cable, public line through the modem), written against the link
// interfaces and a small view of the connection form.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "link/ConnSettings.h"
#include "link/LinkPort.h"

// The password typed at the last prompt.
extern std::string LoginPassword;

// Banner the exchange sends for 0x03, and its answer to the password.
inline constexpr std::string_view kSerialLoginBanner{"\x88\x91\xC3\xDE\xA8\x2D\xD7\x2D\x49\x44        ", 18};
inline constexpr std::string_view kSerialLoginAccepted{"\x88\x91SET MODE        ", 18};
constexpr int kSerialLoginPauseMs = 150;

// The serial log-in: 0x03, the banner, the password byte by byte, CR, and
// the answer. true when the exchange accepted it.
bool Conn_SerialLogin(LinkPort& port, std::string_view password, int rcvTimeOutMs);

// The UDP log-in: 0 logged in, 1 failed (link error, no accepted answer,
// refused password), 101 the exchange sent its disconnect notice.
int Conn_UdpLogin(UdpLinkApi& udp, std::string_view password, int timeOutSec);

// The payload of the log-in command 0x02.
std::string Conn_UdpLoginPayload(std::string_view password);

// The scrambling key from the seed of the 0x03 reply (its first four payload
// bytes, least significant first).
uint32_t Conn_UdpKeyFromSeed(const uint8_t seed[4]);

// What the connect flows need of the form and the main window.
class ConnUi {
 public:
  virtual ~ConnUi() = default;
  // Message and prompt numbers; 1 OK, 2 Cancel.
  virtual int Message(int number) = 0;
  virtual int Prompt(int number, std::string& text) = 0;
  virtual void SetFormEnabled(bool on) = 0;
  virtual void SetHourglass(bool on) = 0;
  // The main window is hidden while a log-in or the modem dialogue runs;
  // showing it again brings the form to the front.
  virtual void SetMainHidden(bool hidden) = 0;
  // The main window in its connected state with the status text of kind
  // and speed.
  virtual void Connected(int kind, int speed) = 0;
  virtual void CloseForm() = 0;
  virtual void EnterTerminal() = 0;
  // The owner of the countdown timer of the Ethernet log-in.
  virtual void* TimerOwner() = 0;
};

enum ConnFlowEnd : int {
  CONN_FLOW_STOPPED = 0,    // the form stays open, the line is not connected
  CONN_FLOW_CONNECTED = 1,  // logged in; the form closed
  CONN_FLOW_TERMINAL = 2,   // the AT terminal is open on the port
};

enum ConnFlowMsg : int {
  CONN_PROMPT_SERIAL_PASSWORD = 1201,
  CONN_PROMPT_UDP_PASSWORD = 1202,
  CONN_MSG_MODEM_CONNECTED = 5201,
  CONN_MSG_MANUAL_DIAL = 5202,
  CONN_MSG_PORT_OPEN = 9081,
  CONN_MSG_PORT_SETUP = 9082,
  CONN_MSG_MODEM_INIT = 9083,
  CONN_MSG_DIAL = 9084,
  CONN_MSG_UDP_OPEN = 9087,
  CONN_MSG_SERIAL_LOGIN = 9201,
  CONN_MSG_UDP_LOGIN = 9202,
  CONN_MSG_UDP_NOTICE = 9203,
};

// Connects over UDP to the address as the form shows it.
int Conn_ConnectEthernet(UdpLinkApi& udp, ConnUi& ui, std::string_view address);

// Connects over the serial port: direct cable, or the public line with the
// chosen dialling procedure.
int Conn_ConnectSerial(SerialLink& port, ConnUi& ui, const ConnChoice& choice,
                       const SerialSettings& serial, const ModemSettings& modem);

// Prompts "1201" until the serial log-in succeeds (true, form enabled) or
// the prompt is cancelled (false, form still disabled).
bool Conn_SerialPasswordLoop(LinkPort& port, ConnUi& ui, int rcvTimeOutMs);
