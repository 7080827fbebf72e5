#include "cmdfile/ScreenTbl_Unit.h"

#include <climits>

#include "shell/TextLines.h"
#include "link/SettingsText.h"
#include "platform/FileSys.h"

std::array<ScreenRec, kScreenTblSize> ScreenTbl;

namespace {

int32_t CountValue(std::string_view s) {
  long long v = 0;
  if (!settings::ParseDecimal(s, v) || v < INT32_MIN || v > INT32_MAX) return 0;
  return static_cast<int32_t>(v);
}

bool IsBlank(unsigned char c) { return c >= 1 && c <= 32; }

}  // namespace

ScreenRec ScreenTbl_Find(std::string_view key) {
  ScreenRec found;
  for (int i = 1; i < kScreenTblSize; ++i)
    if (ScreenTbl[i].Key == key) found = ScreenTbl[i];
  found.Key = std::string(key);
  return found;
}

std::vector<std::string> MenuCsv_Split(std::string_view line) {
  // A NUL ends the text, as it ends the string the rules were made for.
  line = line.substr(0, line.find('\0'));
  std::vector<std::string> fields;
  size_t p = 0;
  auto skipBlanks = [&] {
    while (p < line.size() && IsBlank(static_cast<unsigned char>(line[p]))) ++p;
  };
  skipBlanks();
  while (p < line.size()) {
    std::string f;
    if (line[p] == '"') {
      // An unclosed quote takes the rest of the line.
      for (++p; p < line.size(); ++p) {
        if (line[p] != '"') {
          f += line[p];
        } else if (p + 1 < line.size() && line[p + 1] == '"') {
          f += '"';
          ++p;
        } else {
          ++p;
          break;
        }
      }
    } else {
      size_t start = p;
      while (p < line.size() && line[p] != ',' && !IsBlank(static_cast<unsigned char>(line[p]))) ++p;
      f.assign(line.substr(start, p - start));
    }
    fields.push_back(std::move(f));
    skipBlanks();
    if (p < line.size() && line[p] == ',') {
      ++p;
      skipBlanks();
    }
  }
  return fields;
}

int ScreenTbl_Load(const std::string& path) {
  // Records of an earlier, longer file must not outlive it: Find takes the
  // last match and would name their sections.
  ScreenTbl.fill(ScreenRec());
  std::string file = fsys::ResolvePath(path);
  std::string content;
  if (fsys::DirExists(file) || !fsys::ReadFile(file, content)) return 9301;
  long counter = 0;
  for (const std::string& line : TextLines_Split(content)) {
    ++counter;
    if (counter == 1 || line.empty()) continue;
    std::vector<std::string> f = MenuCsv_Split(line);
    if (f.size() < 9) {
      --counter;
      continue;
    }
    long no = counter - 1;
    if (no >= kScreenTblSize) continue;  // beyond the table's 500 records
    ScreenRec& r = ScreenTbl[static_cast<size_t>(no)];
    r.Key = f[3];
    r.Orientation = f[4];
    r.CountM = CountValue(f[6]);
    r.CountN = CountValue(f[5]);
    r.Header = f[8];
    r.SubHeader = f.size() > 9 ? f[9] : std::string();
  }
  return 0;
}
