// The settings behind the connection form: what the connect button reads
// before the form opens, and how the form's controls and the serial and
// modem settings follow from ENVIRON.DAT and CONNECT.DAT.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "link/ConnectDat.h"

// Serial settings for the serial unit.
struct SerialSettings {
  std::string commPortName;  // "COM" + n
  int rcvTimeOutMs = 0;
};

// Modem commands and time-outs for the modem dialogue.
struct ModemSettings {
  std::string initCmd;
  std::array<std::string, 2> dialCmd;
  std::array<std::string, 2> hangUpCmd;
  int initTimeOutMs = 0;
  int dialTimeOutMs = 0;
  int hangUpTimeOutMs = 0;
};

// What Conn_ReadSettings keeps for the form's show.
struct ConnKeptLists {
  std::vector<std::string> env;  // every field of ENVIRON.DAT
  ConnectFields connect = ConnectDat_Defaults();
};

enum ConnReadMsg : int {
  CONN_MSG_ENV_MISSING = 9006,
  CONN_MSG_ENV_UNUSABLE = 9026,
};

// Reads ENVIRON.DAT of ProgramDir: 9006 when it is missing; 9026 when it
// cannot be read, has fewer than 22 fields, or its Ethernet time-out, retry
// count or UDP ports are not usable numbers. Otherwise sets LinkTimeOutSec,
// LinkRetryCount, UdpOwnPort and UdpRemotePort, reads CONNECT.DAT (or its
// defaults) and gives 0.
int Conn_ReadSettings(ConnKeptLists& out);

// Connection kinds, procedures and the prefix list's entries.
enum ConnKind : int { CONN_DIRECT = 0, CONN_PUBLIC = 1, CONN_ETHERNET = 2 };
enum ConnProcedure : int { CONN_AUTO_DIAL = 0, CONN_MANUAL_DIAL = 1, CONN_AT_COMMANDS = 2 };
constexpr int kPrefixNone = 0;  // the entry "なし"; -1 = no entry selected
constexpr std::array<int, 7> kLineSpeeds = {300, 1200, 2400, 4800, 9600, 19200, 38400};

// The choices the connection form shows.
struct ConnChoice {
  bool directEnabled = true;
  bool publicEnabled = true;
  bool atEnabled = true;
  int kind = CONN_DIRECT;
  int speed = 0;  // index into kLineSpeeds
  int procedure = CONN_AUTO_DIAL;
  bool pulse = false;
  int prefix = -1;  // -1 none selected, 0 "なし", 1..10 the digits 0..9
  std::string number;
  std::string address;
};

// Applies the kept lists to choice and to the serial and modem settings.
// A receive or modem time-out that is not a usable number, or a speed that
// is not a number, ends the applying there: false, with what was applied
// so far kept and the rest of choice as it was.
bool Conn_ApplySettings(const ConnKeptLists& kept, ConnChoice& choice, SerialSettings& serial,
                        ModemSettings& modem);

// The 7 fields to store for choice, and choice reset to what was written
// (the hidden controls). 0, or 9088 when the Ethernet address is unusable.
int Conn_BuildConnectFields(ConnChoice& choice, ConnectFields& out);

// "T"/"P", then the prefix digit and "," when one is chosen, then the number.
std::string Conn_DialString(const ConnChoice& choice);
