// Control texts for the tests: written readable (UTF-8, "\n" lines), stored
// as the program finds them (CP932, CR LF) and read through Ctl_File_Read.
#pragma once

#include <string>
#include <string_view>

#include "shell/Global_Unit.h"
#include "tests/support/TempDir.h"
#include "transfer/Control_Unit.h"

inline std::string WithCrLf(std::string_view s) {
  std::string out;
  for (char c : s) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

// Reads a control text given in UTF-8; returns the reader's code.
inline int ReadControlText(const TempDir& dir, std::string_view utf8) {
  ControlFileName = dir.Write("CONTROL.DAT", WithCrLf(Sjis(utf8)));
  Ctl_Def_Free();
  return Ctl_File_Read();
}
