#include "shell/MsgFile.h"

#include <cstdio>

#include "platform/Cp932.h"
#include "platform/FileSys.h"

namespace {

constexpr const char* kFallbackText = "Can not read messagefile";

// Reads the integer at the start of s (after blanks); 0 when none.
int ReadInt(std::string_view s) {
  size_t i = 0;
  while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
  bool neg = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) neg = s[i++] == '-';
  int base = 10;
  if (i < s.size() && s[i] == '$') {
    base = 16;
    ++i;
  } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  long long v = 0;
  for (; i < s.size(); ++i) {
    char c = s[i];
    int d;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else if (base == 16 && c >= 'A' && c <= 'F') d = c - 'A' + 10;
    else break;
    v = v * base + d;
    if (v > 0x7FFFFFFF) return 0;  // out of range is not a number
  }
  return static_cast<int>(neg ? -v : v);
}

}  // namespace

std::vector<std::string> MsgFile_Split(std::string_view line, int n) {
  size_t eq = line.find('=');
  std::string_view rest = eq == std::string_view::npos ? line : line.substr(eq + 1);
  std::vector<std::string> out;
  for (int k = 0; k < n - 1; ++k) {
    size_t c = rest.find(',');
    if (c == std::string_view::npos) {
      out.emplace_back();
    } else {
      out.emplace_back(rest.substr(0, c));
      rest.remove_prefix(c + 1);
    }
  }
  if (n > 0) out.emplace_back(rest);
  return out;
}

int MsgFile_ReadFlag(std::string_view field) { return ReadInt(field); }

bool MsgFile_Lookup(const std::string& path, std::string_view number, int n,
                    std::vector<std::string>& fields) {
  FILE* f = fsys::OpenRegularStream(path);
  if (!f) return false;
  std::string key = "J" + std::string(number);
  std::string line;
  bool found = false;
  int c;
  auto check = [&]() {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.substr(0, 5) == key) {
      fields = MsgFile_Split(line, n);
      found = true;
    }
    line.clear();
  };
  while (!found && (c = std::fgetc(f)) != EOF) {
    if (c == '\n') check();
    else line += static_cast<char>(c);
  }
  if (!found && !std::ferror(f) && !line.empty()) check();
  if (std::ferror(f)) found = false;
  std::fclose(f);  // a closing error is of no consequence here
  return found;
}

std::string MsgDlg_ExpandCR(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  size_t i = 0;
  for (;;) {
    size_t p = text.find("$(CR)", i);
    if (p == std::string_view::npos) break;
    out.append(text.substr(i, p - i));
    out += "\r\n";
    i = p + 5;
  }
  out.append(text.substr(i));
  return out;
}

MsgDlgContent MsgDlg_Load(const std::string& path, std::string_view number, bool fallbackCancel) {
  MsgDlgContent m;
  std::vector<std::string> f;
  if (MsgFile_Lookup(path, number, 4, f)) {
    m.caption = f[0];
    m.text = MsgDlg_ExpandCR(f[1]);
    m.ok = MsgFile_ReadFlag(f[2]) == 1;
    m.cancel = MsgFile_ReadFlag(f[3]) == 1;
  } else {
    m.text = kFallbackText;
    m.ok = true;
    m.cancel = fallbackCancel;
  }
  return m;
}

InpDlgContent InpDlg_Load(const std::string& path, std::string_view number) {
  InpDlgContent p;
  std::vector<std::string> f;
  if (MsgFile_Lookup(path, number, 8, f)) {
    p.caption = f[0];
    p.text = MsgDlg_ExpandCR(f[1]);
    p.label = f[2];
    p.maxLength = ReadInt(f[3]);
    if (p.maxLength < 0) p.maxLength = 0;
    if (!f[4].empty()) p.passwordChar = f[4].substr(0, cp932::CutLength(f[4], 1) ? 1 : 2);
    p.forbiddenChars = f[5];
    p.ok = MsgFile_ReadFlag(f[6]) == 1;
    p.cancel = MsgFile_ReadFlag(f[7]) == 1;
  } else {
    p.text = kFallbackText;
    p.ok = true;
  }
  return p;
}
