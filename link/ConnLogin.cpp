#include "link/ConnLogin.h"

#include <memory>

#include "link/ConnModem.h"
#include "link/LinkResult.h"
#include "link/UDP_Unit.h"
#include "link/UserTimerUnit.h"
#include "shell/Global_Unit.h"

std::string LoginPassword;

namespace {

void LogOff(UdpLinkApi& udp) {
  const char reason[4] = {0, 0, 0, static_cast<char>(UDP_LOGOFF_LOGIN_FAILED)};
  std::string reply;
  udp.Transact(UDP_CMD_LOGOFF, std::string_view(reason, 4), reply);
}

void Idle(ConnUi& ui) {
  ui.SetFormEnabled(true);
  ui.SetHourglass(false);
}

}  // namespace

bool Conn_SerialLogin(LinkPort& port, std::string_view password, int rcvTimeOutMs) {
  port.SetRcvTimeOut(rcvTimeOutMs);
  port.Purge();
  if (port.SendByte(0x03) != LINK_OK) return false;
  std::string got;
  if (port.ReadBytes(kSerialLoginBanner.size(), got) != LINK_OK || got != kSerialLoginBanner) return false;
  port.Pause(kSerialLoginPauseMs);
  for (char c : password) {
    port.SendByte(static_cast<uint8_t>(c));
    port.Pause(kSerialLoginPauseMs);
  }
  if (port.SendByte(0x0D) != LINK_OK) return false;
  if (port.ReadBytes(kSerialLoginAccepted.size(), got) != LINK_OK) return false;
  return got == kSerialLoginAccepted;
}

uint32_t Conn_UdpKeyFromSeed(const uint8_t seed[4]) {
  uint32_t s = 0;
  for (int i = 3; i >= 0; --i) s = (s << 8) | seed[i];
  return s ^ UDP_LOGIN_MASK;
}

std::string Conn_UdpLoginPayload(std::string_view password) {
  std::string p(UDP_APP_NAME);
  p.resize(UDP_APP_NAME_LEN, '\0');
  p += static_cast<char>((password.size() >> 8) & 0xFF);
  p += static_cast<char>(password.size() & 0xFF);
  p += password;
  return p;
}

int Conn_UdpLogin(UdpLinkApi& udp, std::string_view password, int timeOutSec) {
  if (udp.Flush() == LINK_IO_ERROR) return LINK_IO_ERROR;
  udp.SetParam(UdpLinkApi::PARAM_TIMEOUT, static_cast<uint32_t>(timeOutSec));
  udp.SetParam(UdpLinkApi::PARAM_RETRY, 2);
  std::string reply;
  int r = udp.Transact(UDP_CMD_LOGIN_REQUEST, {}, reply);
  if (r == LINK_TIMEOUT) {
    LogOff(udp);
    return LINK_IO_ERROR;
  }
  if (r != LINK_OK) return LINK_IO_ERROR;
  // The key seed is the first four payload bytes; a shorter reply cannot
  // give a key.
  if (reply.size() < 1 + 4) {
    LogOff(udp);
    return LINK_IO_ERROR;
  }
  udp.SetParam(UdpLinkApi::PARAM_KEY,
               Conn_UdpKeyFromSeed(reinterpret_cast<const uint8_t*>(reply.data()) + 1));
  udp.SetParam(UdpLinkApi::PARAM_TIMEOUT, static_cast<uint32_t>(timeOutSec));
  udp.SetParam(UdpLinkApi::PARAM_RETRY, 2);
  r = udp.Transact(UDP_CMD_LOGIN, Conn_UdpLoginPayload(password), reply);
  if (r == LINK_OK || r == LINK_IO_ERROR || r == LINK_DISCONNECTED) return r;
  LogOff(udp);
  return LINK_IO_ERROR;
}

bool Conn_SerialPasswordLoop(LinkPort& port, ConnUi& ui, int rcvTimeOutMs) {
  for (;;) {
    ui.SetFormEnabled(false);
    if (ui.Prompt(CONN_PROMPT_SERIAL_PASSWORD, LoginPassword) != 1) return false;
    ui.SetHourglass(true);
    ui.SetMainHidden(true);
    bool ok = Conn_SerialLogin(port, LoginPassword, rcvTimeOutMs);
    ui.SetMainHidden(false);
    Idle(ui);
    if (ok) return true;
    ui.Message(CONN_MSG_SERIAL_LOGIN);
  }
}

int Conn_ConnectEthernet(UdpLinkApi& udp, ConnUi& ui, std::string_view address) {
  uint32_t peer;
  if (Conn_CheckAddress(address, peer) != 0) {
    ui.Message(CONN_MSG_BAD_ADDRESS);
    return CONN_FLOW_STOPPED;
  }
  int r = udp.Init(UdpOwnPort, peer, UdpRemotePort);
  if (r != LINK_OK) {
    ui.Message(CONN_MSG_UDP_OPEN);
    // An already open link belongs to someone else and stays.
    if (r != LINK_ALREADY_OPEN) udp.Close();
    return CONN_FLOW_STOPPED;
  }
  EthernetMode = 1;
  udp.SetParam(UdpLinkApi::PARAM_ABORT, 0);
  auto timer = std::make_unique<UserTimer>(ui.TimerOwner());
  timer->Start();
  udp.SetTimer(timer.get());
  auto dropTimer = [&] {
    timer->Stop();
    udp.SetTimer(nullptr);
    timer.reset();
  };
  for (;;) {
    ui.SetFormEnabled(false);
    if (ui.Prompt(CONN_PROMPT_UDP_PASSWORD, LoginPassword) != 1) {
      udp.Close();
      dropTimer();
      ui.SetFormEnabled(true);
      return CONN_FLOW_STOPPED;
    }
    ui.SetHourglass(true);
    ui.SetMainHidden(true);
    int res = Conn_UdpLogin(udp, LoginPassword, LinkTimeOutSec);
    ui.SetMainHidden(false);
    if (res == LINK_OK) break;
    if (res == LINK_DISCONNECTED) {
      ui.SetHourglass(false);
      ui.Message(CONN_MSG_UDP_NOTICE);
      continue;
    }
    // The form must not stay disabled after a failed log-in.
    Idle(ui);
    ui.Message(CONN_MSG_UDP_LOGIN);
    udp.Close();
    dropTimer();
    return CONN_FLOW_STOPPED;
  }
  Idle(ui);
  ui.Connected(CONN_ETHERNET, 0);
  dropTimer();
  udp.SetMainForm();
  ui.CloseForm();
  return CONN_FLOW_CONNECTED;
}

int Conn_ConnectSerial(SerialLink& port, ConnUi& ui, const ConnChoice& c,
                       const SerialSettings& serial, const ModemSettings& modem) {
  EthernetMode = 0;
  if (port.IsOpen()) return CONN_FLOW_STOPPED;
  ModemConnected = false;
  if (port.Open(serial.commPortName) != 0) {
    ui.Message(CONN_MSG_PORT_OPEN);
    return CONN_FLOW_STOPPED;
  }
  int speed = c.speed >= 0 && c.speed < static_cast<int>(kLineSpeeds.size()) ? kLineSpeeds[c.speed] : 0;
  if (speed == 0 || port.Setup(speed) != 0) {
    port.Close();
    ui.Message(CONN_MSG_PORT_SETUP);
    return CONN_FLOW_STOPPED;
  }
  if (c.kind == CONN_PUBLIC) {
    ui.SetHourglass(true);
    ui.SetFormEnabled(false);
    ui.SetMainHidden(true);
    bool ok = Conn_ModemInit(port, modem);
    ui.SetMainHidden(false);
    if (!ok) {
      port.Close();
      Idle(ui);
      ui.Message(CONN_MSG_MODEM_INIT);
      return CONN_FLOW_STOPPED;
    }
    if (c.procedure == CONN_AT_COMMANDS) {
      Idle(ui);
      ui.EnterTerminal();
      return CONN_FLOW_TERMINAL;
    }
    if (c.procedure == CONN_MANUAL_DIAL) {
      Idle(ui);
      if (ui.Message(CONN_MSG_MANUAL_DIAL) != 1) {
        port.Close();
        return CONN_FLOW_STOPPED;
      }
    } else {
      port.Pause(kModemCommandPauseMs);
      ui.SetMainHidden(true);
      ok = Conn_Dial(port, modem, Conn_DialString(c));
      ui.SetMainHidden(false);
      if (!ok) {
        port.Close();
        Idle(ui);
        ui.Message(CONN_MSG_DIAL);
        return CONN_FLOW_STOPPED;
      }
      ModemConnected = true;
      Idle(ui);
      if (ui.Message(CONN_MSG_MODEM_CONNECTED) != 1) {
        Conn_HangUp(port, modem);
        port.Close();
        return CONN_FLOW_STOPPED;
      }
    }
  }
  if (!Conn_SerialPasswordLoop(port, ui, serial.rcvTimeOutMs)) {
    Conn_HangUp(port, modem);
    ui.SetFormEnabled(true);
    port.Close();
    return CONN_FLOW_STOPPED;
  }
  ui.Connected(c.kind, c.speed);
  ui.CloseForm();
  return CONN_FLOW_CONNECTED;
}
