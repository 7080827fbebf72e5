// CONNECT.DAT: the connection choices the user registered last (one line of
// 7 fields, quoted where needed), and the exchange's IPv4 address as the
// connection form shows and stores it.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

enum ConnectField : int {
  CONNECT_KIND = 0,       // "0" direct cable, "1" public line, "2" Ethernet
  CONNECT_SPEED = 1,      // "0".."6"
  CONNECT_PROCEDURE = 2,  // "0" automatic, "1" manual dialling, "2" AT commands
  CONNECT_LINE_TYPE = 3,  // "0" tone, "1" pulse
  CONNECT_PREFIX = 4,     // "n" none, or "0".."9"
  CONNECT_NUMBER = 5,
  CONNECT_ADDRESS = 6,
  CONNECT_FIELD_COUNT = 7
};

using ConnectFields = std::array<std::string, CONNECT_FIELD_COUNT>;

ConnectFields ConnectDat_Defaults();

// Splits one line: a field in double quotes may hold commas and doubled
// quotes; a line ending in "," ends with an empty field.
std::vector<std::string> ConnectDat_SplitLine(std::string_view line);

// The first line of the content. Fewer than 7 fields: false and the
// defaults in f.
bool ConnectDat_Parse(std::string_view content, ConnectFields& f);

// The line with its line end; a field with a blank, a control character, a
// double quote or a comma is quoted, an empty field is written as nothing.
std::string ConnectDat_Format(const ConnectFields& f);

// CONNECT.DAT of ProgramDir, or the defaults when it is missing or short.
ConnectFields ConnectDat_Read();

enum ConnectStoreMsg : int {
  CONNECT_MSG_CREATE = 9008,
  CONNECT_MSG_WRITE = 9048,
};
// Stores CONNECT.DAT in ProgramDir by write-temporary-then-rename: 0, 9008
// or 9048.
int ConnectDat_Store(const ConnectFields& f);

// The four groups of an address typed or stored as "192.168.  1. 10" or
// "10.0.0.1": split at the dots, blanks removed, each group 1 to 3 digits.
// false when that shape is not there.
bool Conn_SplitAddress(std::string_view text, std::array<int, 4>& groups);

// The address if it can reach an exchange: every group 0-255, not 0.0.0.0,
// not multicast (224-239 first), not 255.255.255.255. Result 0 with the
// address in host order, or 9088.
constexpr int CONN_MSG_BAD_ADDRESS = 9088;
int Conn_CheckAddress(std::string_view text, uint32_t& hostOrder);

// "192.168.  1. 10": each group right-aligned in 3 characters.
std::string Conn_FormatAddress(uint32_t hostOrder);
