// The environment settings: ENVIRON.DAT in the program folder (one line of
// at least 22 comma-separated fields, read by many parts of ORVO by field
// number), the user name in USER.INF of the data folder, and the modem
// kinds of MODEM.INF.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "link/ModemInf.h"

// ENVIRON.DAT field numbers.
enum EnvField : int {
  ENV_CONTROL_FILE = 0,
  ENV_DATA_DIR = 1,
  ENV_SCREEN_DIR = 2,
  ENV_USE_AT = 3,
  ENV_COM_PORT = 4,
  ENV_DIRECT = 5,
  ENV_PUBLIC = 6,
  ENV_RCV_TIMEOUT = 7,
  ENV_MODEM_KIND = 8,
  ENV_INIT_TIMEOUT = 9,
  ENV_DIAL_TIMEOUT = 10,
  ENV_HANGUP_TIMEOUT = 11,
  ENV_INIT_CMD = 12,
  ENV_DIAL_CMD1 = 13,
  ENV_DIAL_CMD2 = 14,
  ENV_HANGUP_CMD1 = 15,
  ENV_HANGUP_CMD2 = 16,
  ENV_MEDIUM = 17,
  ENV_ETHER_TIMEOUT = 18,
  ENV_ETHER_RETRY = 19,
  ENV_UDP_REMOTE_PORT = 20,
  ENV_UDP_OWN_PORT = 21,
  ENV_FIELD_COUNT = 22
};

// Bytes of a field kept in memory; 0 = no limit.
size_t EnvField_Capacity(int field);

// True for the fields whose commas are stored as "|".
bool EnvField_IsFreeText(int field);

// The in-memory settings of the environment form.
struct EnvSettings {
  std::array<std::string, ENV_FIELD_COUNT> field;
  std::string userName;
  ModemTable modems;
};

// Every field at the value it has when the file or its line is missing.
// The user name and the modem kinds are left alone.
void EnvSettings_Reset(EnvSettings& s);

// Takes the first line of ENVIRON.DAT's content. Fewer than 22 fields: false
// and s untouched. Otherwise the first 22 fields, "|" turned back into ","
// in the free-text fields, each cut to its capacity on a character boundary.
bool EnvFile_Parse(std::string_view content, EnvSettings& s);

// The stored line of the 22 fields (no line end).
std::string EnvFile_FormatLine(const EnvSettings& s);

// The folder that holds USER.INF for a data folder as stored (CP932):
// that folder as it is on disk (fsys::StoredPath) with "/" when it exists,
// else ProgramDir.
std::string Env_UserInfFolder(std::string_view dataDirCp932);

// USER.INF: the user name is the first line.
std::string UsrFile_Parse(std::string_view content);
// false when the folder has no USER.INF or it cannot be read.
bool UsrFile_Read(const std::string& folder, std::string& userName);

// Fills s from ProgramDir: resets it to the defaults (and ScreenFilesDir to
// empty), reads ENVIRON.DAT if it is there and then USER.INF of its data
// folder, and independently MODEM.INF. Missing or short files leave the
// defaults.
void Env_Init(EnvSettings& s);

// What the environment form holds when the user stores it.
struct EnvFormValues {
  std::string controlFile, dataDir, screenDir;  // CP932
  bool useAt = true;
  int comPort = 1;  // 1..8, 0 none
  bool direct = true;
  bool publicLine = true;
  int rcvTimeOut = 10;
  std::string modemKind;
  int initTimeOut = 10, dialTimeOut = 10, hangUpTimeOut = 10;
  std::string initCmd, dialCmd1 = "ATD", dialCmd2, hangUpCmd1, hangUpCmd2;
  bool ethernet = true;
  int etherTimeOut = 3;
  int etherRetry = 2;
  std::string remotePort = "11000", ownPort = "0";  // as typed
  std::string userName;
};

// Refusals of a store, as message numbers.
enum EnvStoreMsg : int {
  ENV_MSG_DIAL_HAS_TONE = 3,     // "0003": a dial command holds ATDT or ATDP
  ENV_MSG_BAD_UDP_PORT = 5,      // "0005": a port is neither 0 nor 1024-65535
  ENV_MSG_PATH_UNUSABLE = 6,     // "0006": a path holds "," or a control character, or a
                                 // text has no CP932 form
  ENV_MSG_PATH_TOO_LONG = 7,     // "0007": a path is longer than its field holds
  ENV_MSG_ENV_OPEN = 9006,
  ENV_MSG_USR_OPEN = 9007,
  ENV_MSG_ENV_WRITE = 9046,
  ENV_MSG_USR_WRITE = 9047,
};

// 0, ENV_MSG_PATH_UNUSABLE or ENV_MSG_PATH_TOO_LONG for a path that is to go
// into field (0, 1 or 2).
int Env_CheckPath(int field, std::string_view pathCp932);

// Builds the 22 fields from the form's values in the store's order of
// checks; 0, or the message number that refuses the store.
int Env_BuildFields(const EnvFormValues& v, EnvSettings& out);

// Stores ENVIRON.DAT in ProgramDir, then USER.INF in userInfFolder, each by
// write-temporary-then-rename. 0, or 9006/9046 (ENVIRON.DAT, nothing of
// USER.INF done) or 9007/9047 (USER.INF).
int Env_Store(const EnvSettings& fields, const std::string& userName,
              const std::string& userInfFolder);

// True when a dial command, upper-cased, holds "ATDT" or "ATDP": the tone or
// pulse letter is added when dialling.
bool Env_DialHasToneLetter(std::string_view cmd);

// 0..65535 from a port field as typed; -1 when it is not a number.
long Env_PortValue(std::string_view text);
