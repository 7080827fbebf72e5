#include "link/ConnSettings.h"

#include <climits>

#include "link/EnvNew_Unit.h"
#include "link/SettingsText.h"
#include "shell/CommonStr_Unit.h"
#include "platform/FileSys.h"
#include "shell/Global_Unit.h"

namespace {

// Seconds from a settings field as milliseconds that a poll deadline can
// take: a negative time-out would wait forever, a huge one overflows.
bool SecondsToMs(const std::string& field, int& ms) {
  long long v;
  if (!settings::ParseDecimal(field, v) || v < 0 || v > INT_MAX / 1000) return false;
  ms = static_cast<int>(v * 1000);
  return true;
}

const std::string& Field(const std::vector<std::string>& f, size_t i) {
  static const std::string empty;
  return i < f.size() ? f[i] : empty;
}

}  // namespace

int Conn_ReadSettings(ConnKeptLists& out) {
  std::string path = fsys::Resolve(ProgramDir, "ENVIRON.DAT");
  if (!fsys::FileExists(path)) return CONN_MSG_ENV_MISSING;
  std::string content;
  if (!fsys::ReadFile(path, content)) return CONN_MSG_ENV_UNUSABLE;
  std::vector<std::string> f;
  Common_SplitComma(f, settings::WithoutFinalLineEnd(content));
  if (f.size() < ENV_FIELD_COUNT) return CONN_MSG_ENV_UNUSABLE;
  long long timeOut, retry, remote, own;
  if (!settings::ParseDecimal(f[ENV_ETHER_TIMEOUT], timeOut) ||
      !settings::ParseDecimal(f[ENV_ETHER_RETRY], retry) ||
      !settings::ParseDecimal(f[ENV_UDP_REMOTE_PORT], remote) ||
      !settings::ParseDecimal(f[ENV_UDP_OWN_PORT], own))
    return CONN_MSG_ENV_UNUSABLE;
  // The link arms its countdown with the time-out in milliseconds.
  if (timeOut < INT_MIN / 1000 || timeOut > INT_MAX / 1000) return CONN_MSG_ENV_UNUSABLE;
  if (retry < 0 || retry > INT_MAX) return CONN_MSG_ENV_UNUSABLE;
  if (remote < 0 || remote > 65535 || own < 0 || own > 65535) return CONN_MSG_ENV_UNUSABLE;
  LinkTimeOutSec = static_cast<int>(timeOut);
  LinkRetryCount = static_cast<int>(retry);
  UdpOwnPort = static_cast<uint16_t>(own);
  UdpRemotePort = static_cast<uint16_t>(remote);
  out.env = std::move(f);
  out.connect = ConnectDat_Read();
  return 0;
}

bool Conn_ApplySettings(const ConnKeptLists& kept, ConnChoice& c, SerialSettings& serial,
                        ModemSettings& modem) {
  const auto& env = kept.env;
  const auto& cd = kept.connect;
  c.atEnabled = Field(env, ENV_USE_AT) != "0";
  serial.commPortName = "COM" + Field(env, ENV_COM_PORT);
  c.directEnabled = Field(env, ENV_DIRECT) != "0";
  c.publicEnabled = Field(env, ENV_PUBLIC) != "0";

  modem.initCmd = Common_SwapCommaPipe(Field(env, ENV_INIT_CMD), true);
  modem.dialCmd[0] = Common_SwapCommaPipe(Field(env, ENV_DIAL_CMD1), true);
  modem.dialCmd[1] = Common_SwapCommaPipe(Field(env, ENV_DIAL_CMD2), true);
  modem.hangUpCmd[0] = Common_SwapCommaPipe(Field(env, ENV_HANGUP_CMD1), true);
  modem.hangUpCmd[1] = Common_SwapCommaPipe(Field(env, ENV_HANGUP_CMD2), true);
  if (!SecondsToMs(Field(env, ENV_RCV_TIMEOUT), serial.rcvTimeOutMs) ||
      !SecondsToMs(Field(env, ENV_INIT_TIMEOUT), modem.initTimeOutMs) ||
      !SecondsToMs(Field(env, ENV_DIAL_TIMEOUT), modem.dialTimeOutMs) ||
      !SecondsToMs(Field(env, ENV_HANGUP_TIMEOUT), modem.hangUpTimeOutMs))
    return false;

  if (Field(env, ENV_MEDIUM) != "0" || (!c.directEnabled && !c.publicEnabled)) {
    c.kind = CONN_ETHERNET;
  } else if (cd[CONNECT_KIND] == "0") {
    c.kind = c.directEnabled ? CONN_DIRECT : CONN_PUBLIC;
  } else {
    c.kind = c.publicEnabled ? CONN_PUBLIC : CONN_DIRECT;
  }

  long long speed;
  if (!settings::ParseDecimal(cd[CONNECT_SPEED], speed)) return false;
  if (speed >= 0 && speed < static_cast<long long>(kLineSpeeds.size())) c.speed = static_cast<int>(speed);

  if (c.kind == CONN_PUBLIC) {
    const std::string& proc = cd[CONNECT_PROCEDURE];
    if (proc == "0" || (proc == "2" && !c.atEnabled)) {
      c.procedure = CONN_AUTO_DIAL;
      if (proc == "0") {
        c.pulse = cd[CONNECT_LINE_TYPE] == "1";
        const std::string& p = cd[CONNECT_PREFIX];
        if (p == "n") c.prefix = kPrefixNone;
        else if (p.size() == 1 && p[0] >= '0' && p[0] <= '9') c.prefix = p[0] - '0' + 1;
        c.number = cd[CONNECT_NUMBER];
      }
    } else if (proc == "1") {
      c.procedure = CONN_MANUAL_DIAL;
    } else if (proc == "2") {
      c.procedure = CONN_AT_COMMANDS;
    }
  } else {
    c.procedure = CONN_AUTO_DIAL;
    c.pulse = false;
    c.prefix = -1;
    c.number.clear();
  }
  c.address = cd[CONNECT_ADDRESS];
  return true;
}

int Conn_BuildConnectFields(ConnChoice& c, ConnectFields& out) {
  ConnectFields f = ConnectDat_Defaults();
  f[CONNECT_KIND] = std::to_string(c.kind);
  f[CONNECT_SPEED] = std::to_string(c.speed);
  if (c.kind == CONN_ETHERNET) {
    uint32_t a;
    if (Conn_CheckAddress(c.address, a) != 0) return CONN_MSG_BAD_ADDRESS;
    f[CONNECT_ADDRESS] = Conn_FormatAddress(a);
  }
  if (c.kind == CONN_PUBLIC && c.procedure == CONN_AUTO_DIAL) {
    f[CONNECT_LINE_TYPE].assign(1, c.pulse ? '1' : '0');
    if (c.prefix >= 1 && c.prefix <= 10) f[CONNECT_PREFIX] = std::string(1, char('0' + c.prefix - 1));
    f[CONNECT_NUMBER] = c.number;
  } else {
    if (c.kind == CONN_PUBLIC) f[CONNECT_PROCEDURE] = std::to_string(c.procedure);
    else c.procedure = CONN_AUTO_DIAL;
    c.pulse = false;
    c.prefix = -1;
    c.number.clear();
  }
  if (c.kind != CONN_ETHERNET) c.address.clear();
  out = f;
  return 0;
}

std::string Conn_DialString(const ConnChoice& c) {
  std::string s = c.pulse ? "P" : "T";
  if (c.prefix >= 1 && c.prefix <= 10) {
    s += char('0' + c.prefix - 1);
    s += ',';
  }
  return s + c.number;
}
