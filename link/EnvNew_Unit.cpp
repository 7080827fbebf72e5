#include "link/EnvNew_Unit.h"

#include <cstdio>

#include "link/SettingsText.h"
#include "shell/CommonStr_Unit.h"
#include "platform/Cp932.h"
#include "platform/FileSys.h"
#include "shell/Global_Unit.h"

namespace {

constexpr size_t kCapacity[ENV_FIELD_COUNT] = {255, 255, 0, 2, 2, 2, 2, 3, 255, 3, 3,
                                               3,   21,  11, 11, 11, 11, 2, 4, 4, 6, 6};

std::string TwoDigits(int v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d", v);
  return buf;
}

std::string Upper(std::string_view s) {
  std::string u(s);
  for (char& c : u)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return u;
}

}  // namespace

size_t EnvField_Capacity(int field) {
  return field >= 0 && field < ENV_FIELD_COUNT ? kCapacity[field] : 0;
}

bool EnvField_IsFreeText(int field) {
  return (field >= ENV_INIT_CMD && field <= ENV_HANGUP_CMD2) || field == ENV_UDP_REMOTE_PORT ||
         field == ENV_UDP_OWN_PORT;
}

void EnvSettings_Reset(EnvSettings& s) {
  for (auto& f : s.field) f.clear();
  s.field[ENV_COM_PORT] = "1";
  s.field[ENV_DIAL_CMD1] = "ATD";
  s.field[ENV_HANGUP_CMD1] = "+++";
  s.field[ENV_HANGUP_CMD2] = "ATH";
  s.field[ENV_MEDIUM] = "1";
  s.field[ENV_ETHER_TIMEOUT] = "3";
  s.field[ENV_ETHER_RETRY] = "2";
  s.field[ENV_UDP_REMOTE_PORT] = "11000";
  s.field[ENV_UDP_OWN_PORT] = "0";
}

bool EnvFile_Parse(std::string_view content, EnvSettings& s) {
  std::vector<std::string> f;
  Common_SplitComma(f, settings::FirstLine(content));
  if (f.size() < ENV_FIELD_COUNT) return false;
  for (int i = 0; i < ENV_FIELD_COUNT; ++i) {
    std::string v = EnvField_IsFreeText(i) ? Common_SwapCommaPipe(f[i], true) : f[i];
    size_t cap = EnvField_Capacity(i);
    s.field[i] = cap ? cp932::Cut(v, cap) : v;
  }
  return true;
}

std::string EnvFile_FormatLine(const EnvSettings& s) {
  std::string line;
  for (int i = 0; i < ENV_FIELD_COUNT; ++i) {
    if (i) line += ',';
    line += EnvField_IsFreeText(i) ? Common_SwapCommaPipe(s.field[i], false) : s.field[i];
  }
  return line;
}

std::string Env_UserInfFolder(std::string_view dataDirCp932) {
  if (!dataDirCp932.empty()) {
    std::string dir = fsys::StoredPath(dataDirCp932, ProgramDir);
    if (fsys::DirExists(dir)) return fsys::WithSlash(dir);
  }
  return ProgramDir;
}

std::string UsrFile_Parse(std::string_view content) { return settings::FirstLine(content); }

bool UsrFile_Read(const std::string& folder, std::string& userName) {
  std::string path = fsys::Resolve(fsys::WithSlash(folder), "USER.INF");
  std::string content;
  if (!fsys::FileExists(path) || !fsys::ReadFile(path, content)) return false;
  userName = UsrFile_Parse(content);
  return true;
}

void Env_Init(EnvSettings& s) {
  EnvSettings_Reset(s);
  s.userName.clear();
  ScreenFilesDir.clear();
  std::string path = fsys::Resolve(ProgramDir, "ENVIRON.DAT");
  std::string content;
  if (fsys::FileExists(path) && fsys::ReadFile(path, content)) {
    EnvFile_Parse(content, s);
    ScreenFilesDir = s.field[ENV_SCREEN_DIR];
    UsrFile_Read(Env_UserInfFolder(s.field[ENV_DATA_DIR]), s.userName);
  }
  ModemFile_Read(ProgramDir, s.modems);
}

int Env_CheckPath(int field, std::string_view pathCp932) {
  for (unsigned char c : pathCp932)
    if (c == ',' || c < 0x20) return ENV_MSG_PATH_UNUSABLE;
  size_t cap = EnvField_Capacity(field);
  if (cap && pathCp932.size() > cap) return ENV_MSG_PATH_TOO_LONG;
  return 0;
}

bool Env_DialHasToneLetter(std::string_view cmd) {
  std::string u = Upper(cmd);
  return u.find("ATDT") != std::string::npos || u.find("ATDP") != std::string::npos;
}

long Env_PortValue(std::string_view text) {
  long long v;
  if (text.size() > 5 || !settings::ParseDecimal(text, v) || v < 0 || v > 65535) return -1;
  return static_cast<long>(v);
}

int Env_BuildFields(const EnvFormValues& v, EnvSettings& out) {
  const std::string* paths[3] = {&v.controlFile, &v.dataDir, &v.screenDir};
  for (int i = 0; i < 3; ++i)
    if (int m = Env_CheckPath(i, *paths[i])) return m;
  auto& f = out.field;
  f[ENV_CONTROL_FILE] = v.controlFile;
  f[ENV_DATA_DIR] = v.dataDir;
  f[ENV_SCREEN_DIR] = v.screenDir;
  f[ENV_USE_AT] = v.useAt ? "1" : "0";
  f[ENV_COM_PORT] = v.comPort >= 1 && v.comPort <= 8 ? std::to_string(v.comPort) : "0";
  f[ENV_DIRECT] = v.direct ? "1" : "0";
  f[ENV_PUBLIC] = v.publicLine ? "1" : "0";
  f[ENV_RCV_TIMEOUT] = TwoDigits(v.rcvTimeOut);
  f[ENV_MODEM_KIND] = v.modemKind;
  f[ENV_INIT_TIMEOUT] = TwoDigits(v.initTimeOut);
  f[ENV_DIAL_TIMEOUT] = TwoDigits(v.dialTimeOut);
  f[ENV_HANGUP_TIMEOUT] = TwoDigits(v.hangUpTimeOut);
  f[ENV_INIT_CMD] = v.initCmd;
  if (Env_DialHasToneLetter(v.dialCmd1) || Env_DialHasToneLetter(v.dialCmd2))
    return ENV_MSG_DIAL_HAS_TONE;
  f[ENV_DIAL_CMD1] = v.dialCmd1;
  f[ENV_DIAL_CMD2] = v.dialCmd2;
  f[ENV_HANGUP_CMD1] = v.hangUpCmd1;
  f[ENV_HANGUP_CMD2] = v.hangUpCmd2;
  f[ENV_MEDIUM] = v.ethernet ? "1" : "0";
  f[ENV_ETHER_TIMEOUT] = TwoDigits(v.etherTimeOut);
  f[ENV_ETHER_RETRY] = TwoDigits(v.etherRetry);
  // An emptied port field is no port: the connection would refuse it later.
  for (const std::string* p : {&v.remotePort, &v.ownPort}) {
    long n = Env_PortValue(*p);
    if (n < 0 || (n != 0 && n < 1024)) return ENV_MSG_BAD_UDP_PORT;
  }
  f[ENV_UDP_REMOTE_PORT] = v.remotePort;
  f[ENV_UDP_OWN_PORT] = v.ownPort;
  return 0;
}

int Env_Store(const EnvSettings& fields, const std::string& userName,
              const std::string& userInfFolder) {
  std::string envPath = fsys::Resolve(ProgramDir, "ENVIRON.DAT");
  int r = settings::StoreFile(envPath, EnvFile_FormatLine(fields) + "\r\n", ENV_MSG_ENV_OPEN,
                              ENV_MSG_ENV_WRITE);
  if (r) return r;
  std::string usrPath = fsys::Resolve(fsys::WithSlash(userInfFolder), "USER.INF");
  return settings::StoreFile(usrPath, userName + "\r\n", ENV_MSG_USR_OPEN, ENV_MSG_USR_WRITE);
}
