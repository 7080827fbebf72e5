#include "link/ModemInf.h"

#include "link/SettingsText.h"
#include "shell/CommonStr_Unit.h"
#include "platform/Cp932.h"
#include "platform/FileSys.h"

namespace {

std::string Command(const std::string& field, size_t cap) {
  return cp932::Cut(Common_SwapCommaPipe(field, true), cap);
}

}  // namespace

bool ModemFile_Parse(std::string_view content, ModemTable& table) {
  size_t pos = 0;
  while (pos < content.size() && table.Count() < kModemKindsMax) {
    size_t lf = content.find('\n', pos);
    std::string_view line =
        content.substr(pos, lf == std::string_view::npos ? std::string_view::npos : lf - pos);
    pos = lf == std::string_view::npos ? content.size() : lf + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    std::vector<std::string> f;
    Common_SplitComma(f, line);
    if (f.size() < 6) return false;
    ModemKind k;
    k.name = cp932::Cut(f[0], kModemNameCap);
    k.initCmd = Command(f[1], kModemInitCap);
    k.dialCmd1 = Command(f[2], kModemCmdCap);
    k.dialCmd2 = Command(f[3], kModemCmdCap);
    k.hangUpCmd1 = Command(f[4], kModemCmdCap);
    k.hangUpCmd2 = Command(f[5], kModemCmdCap);
    table.kinds.push_back(std::move(k));
  }
  return true;
}

bool ModemFile_Read(const std::string& dir, ModemTable& table) {
  table.Clear();
  std::string path = fsys::Resolve(fsys::WithSlash(dir), "MODEM.INF");
  std::string content;
  if (!fsys::FileExists(path) || !fsys::ReadFile(path, content)) return false;
  return ModemFile_Parse(content, table);
}

std::string ModemFile_Format(const ModemTable& table) {
  std::string out;
  for (const ModemKind& k : table.kinds) {
    out += k.name;
    for (const std::string* c : {&k.initCmd, &k.dialCmd1, &k.dialCmd2, &k.hangUpCmd1, &k.hangUpCmd2}) {
      out += ',';
      out += Common_SwapCommaPipe(*c, false);
    }
    out += "\r\n";
  }
  return out;
}
