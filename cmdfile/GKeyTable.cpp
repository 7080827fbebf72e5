#include "cmdfile/GKeyTable.h"

#include <cstdio>

#include "cmdfile/GPage.h"
#include "platform/FileSys.h"

std::string GKey_Name(int row) {
  if (row == 0) return "SIZE";
  if (row < 0 || row >= kKeyRows) return "";
  const int unit = (row - 1) / kKeySlots + 1;
  const int slot = (row - 1) % kKeySlots + 1;
  char buf[16];
  std::snprintf(buf, sizeof buf, "%s%d%.2d", slot <= 12 ? "FS-" : "OP-", unit, slot);
  return buf;
}

const char* GKey_Spec(int row) { return row == 0 ? "n=4" : "m=2"; }

std::vector<std::string> GKey_Read(const std::vector<std::string>& list) {
  struct Piece {
    std::string_view name, value;
  };
  std::vector<Piece> pieces;
  for (const std::string& line : list) {
    std::string_view rest = line;
    for (size_t semi; (semi = rest.find(';')) != std::string_view::npos; rest.remove_prefix(semi + 1)) {
      std::string_view piece = rest.substr(0, semi + 1);
      const size_t eq = piece.find('=');
      if (eq == std::string_view::npos) continue;  // its name would hold the ";"
      pieces.push_back({piece.substr(0, eq), piece.substr(eq + 1, piece.size() - eq - 2)});
    }
  }
  std::vector<std::string> values(kKeyRows, "/");
  for (int row = 0; row < kKeyRows; ++row) {
    const std::string key = GKey_Name(row);
    for (const Piece& p : pieces) {
      if (fsys::EqualNoCase(p.name, key)) {
        values[row] = std::string(p.value);
        break;
      }
    }
  }
  return values;
}

std::vector<std::string> GKey_Build(std::string_view header, std::string_view subHeader,
                                    const std::vector<std::string>& values) {
  std::vector<std::string> list = GPage_ListHead(header, subHeader);
  for (int row = 0; row < kKeyRows && static_cast<size_t>(row) < values.size(); ++row)
    if (values[row] != "/") list.push_back(GKey_Name(row) + "=" + values[row] + ";");
  return list;
}

bool GKey_Check(const std::vector<std::string>& values,
                const std::function<bool(const std::string&, const char*)>& check, int rowCount, int& failRow,
                int& topRow) {
  for (int row = 0; row < kKeyRows && static_cast<size_t>(row) < values.size(); ++row) {
    if (check(values[row], GKey_Spec(row))) continue;
    failRow = row;
    topRow = row == 0 ? -1 : GPage_TopRowFor(row, rowCount, 20, 0);
    return false;
  }
  return true;
}
