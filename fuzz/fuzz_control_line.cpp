// Arbitrary data lines against the shipped CONTROL.DAT. The first byte picks
// the starting menu and the check mode; the rest is split into lines, and
// lines that begin with "/" choose the menu as in a file.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "shell/Global_Unit.h"
#include "transfer/Control_Unit.h"

namespace {

std::string SourceDir() {
  if (const char* d = std::getenv("ORVO_SOURCE_DIR")) return std::string(d) + "/";
  std::string f = __FILE__;  // <repo>/fuzz/fuzz_control_line.cpp
  for (int up = 0; up < 2; ++up) f = f.substr(0, f.find_last_of('/'));
  return f + "/";
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  ControlFileName = SourceDir() + "sample/CONTROL.DAT";
  int r = Ctl_File_Read();
  if (r != 0 || Ctl_MenuCount == 0) {
    std::fprintf(stderr, "cannot read %s (%d)\n", ControlFileName.c_str(), r);
    std::abort();
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const int checkOnly = data[0] >> 7;
  std::string header = "/" + Ctl_MenuTbl[(data[0] & 0x7F) % Ctl_MenuCount]->Name + "/";
  if (Ctl_Menu_Select(header) != 0) __builtin_trap();
  std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
  size_t pos = 0;
  while (pos <= rest.size()) {
    size_t e = rest.find('\n', pos);
    if (e == std::string_view::npos) e = rest.size();
    std::string_view line = rest.substr(pos, e - pos);
    pos = e + 1;
    if (!line.empty() && line[0] == '/') {
      int r = Ctl_Menu_Select(line);
      if (r < 0 || r > 2) __builtin_trap();
      continue;
    }
    int r = Ctl_Line_Check(line, checkOnly);
    if (r < 0 || (r > 12 && r != 200)) __builtin_trap();
    const std::string& cmd = Ctl_State.Command;
    if (checkOnly && !cmd.empty()) __builtin_trap();
    if (!cmd.empty() && cmd[0] != ':') __builtin_trap();
    if (Ctl_State.FieldNo < 0 || Ctl_State.FieldNo > 9) __builtin_trap();
  }
  return 0;
}
