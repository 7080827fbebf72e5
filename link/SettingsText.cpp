#include "link/SettingsText.h"

#include <unistd.h>

#include <cstdio>

#include "platform/FileSys.h"

namespace settings {

std::string FirstLine(std::string_view content) {
  size_t lf = content.find('\n');
  std::string_view line = content.substr(0, lf);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return std::string(line);
}

std::string_view WithoutFinalLineEnd(std::string_view content) {
  if (!content.empty() && content.back() == '\n') {
    content.remove_suffix(1);
    if (!content.empty() && content.back() == '\r') content.remove_suffix(1);
  }
  return content;
}

bool ParseDecimal(std::string_view s, long long& value) {
  size_t i = 0;
  bool neg = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) neg = s[i++] == '-';
  if (i == s.size()) return false;
  long long v = 0;
  for (; i < s.size(); ++i) {
    if (s[i] < '0' || s[i] > '9') return false;
    if (v > (9'000'000'000'000'000'000LL - 9) / 10) return false;
    v = v * 10 + (s[i] - '0');
  }
  value = neg ? -v : v;
  return true;
}

int StoreFile(const std::string& path, std::string_view content, int openMsg, int writeMsg) {
  std::string dir, name, target;
  fsys::SplitPath(path, dir, name);
  // A file that may not be written, or a folder that cannot take the
  // temporary file, is the "cannot open" case; everything after that is a
  // failed write, and the old file stays. A link is written through.
  if (name.empty() || fsys::ReplaceTarget(path, target) != 0) return openMsg;
  fsys::SplitPath(target, dir, name);
  if (dir.empty()) dir.assign(1, '.');
  if (!fsys::DirExists(dir) || ::access(dir.c_str(), W_OK | X_OK) != 0) return openMsg;
  return fsys::ReplaceFile(path, content) == 0 ? 0 : writeMsg;
}

std::string MsgNo(int number) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%04d", number);
  return buf;
}

}  // namespace settings
