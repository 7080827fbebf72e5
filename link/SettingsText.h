// Text rules shared by the one-line settings files (ENVIRON.DAT, MODEM.INF,
// CONNECT.DAT, USER.INF) and their safe storing. The comma split and the
// "|" <-> "," swap of free-text values are the shell's (CommonStr_Unit.h).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace settings {

// The first line of a file's content, without its line end.
std::string FirstLine(std::string_view content);

// The content less one final line end (CR LF or LF).
std::string_view WithoutFinalLineEnd(std::string_view content);

// A decimal integer: optional sign and digits, nothing else. false for
// anything else or a value beyond 64 bits.
bool ParseDecimal(std::string_view s, long long& value);

// Stores content as the file at path without ever truncating the old one:
// openMsg when the folder cannot take a new file, writeMsg when writing,
// flushing, closing or the final rename failed. 0 when stored.
int StoreFile(const std::string& path, std::string_view content, int openMsg, int writeMsg);

// A message number as the dialogs take it ("0005", "9046").
std::string MsgNo(int number);

}  // namespace settings
