#include "cmdfile/CEdit_Sect.h"

#include "transfer/Control_Unit.h"

namespace {
const std::string kCrLf = "\r\n";

bool EndsWithCrLf(std::string_view s) { return s.size() >= 2 && s.substr(s.size() - 2) == kCrLf; }

std::string WithoutFinalCrLf(std::string s) {
  if (EndsWithCrLf(s)) s.resize(s.size() - 2);
  return s;
}

bool IsSkipped(const std::string& t) { return t.empty() || t[0] == '!'; }
}  // namespace

std::vector<std::string> ComMenu_Names() {
  std::vector<std::string> out;
  for (int i = 0; i < Ctl_MenuCount && i < Ctl_MenuSlots; ++i)
    if (Ctl_MenuTbl[i]) out.push_back(Ctl_MenuTbl[i]->Name);
  return out;
}

std::string ComText_Trim(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= 0x20) ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= 0x20) --e;
  return std::string(s.substr(b, e - b));
}

std::vector<std::string> ComText_Lines(std::string_view text) {
  std::vector<std::string> out;
  size_t pos = 0;
  for (;;) {
    size_t nl = text.find('\n', pos);
    size_t end = nl == std::string_view::npos ? text.size() : nl;
    size_t len = end - pos;
    if (nl != std::string_view::npos && len > 0 && text[end - 1] == '\r') --len;
    out.emplace_back(text.substr(pos, len));
    if (nl == std::string_view::npos) break;
    pos = nl + 1;
  }
  return out;
}

std::string ComText_Join(const std::vector<std::string>& lines) {
  std::string s;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i) s += kCrLf;
    s += lines[i];
  }
  return s;
}

std::string ComHeader_Menu(std::string_view line, const std::vector<std::string>& menus) {
  std::string t = ComText_Trim(line);
  if (t.empty() || t[0] != '/') return {};
  for (const std::string& m : menus)
    if (line.find("/" + m + "/") != std::string_view::npos) return m;
  return {};
}

void ComFile_Split(const std::vector<std::string>& lines, const std::vector<std::string>& menus,
                   ComSectTable& t) {
  t.rec.assign(1, ComSection{"ALL", {}, {}});
  std::string collector;
  for (const std::string& line : lines) {
    std::string menu = ComHeader_Menu(line, menus);
    if (!menu.empty()) {
      t.rec.back().body = std::move(collector);
      collector.clear();
      t.rec.push_back(ComSection{menu, line + kCrLf, {}});
    } else {
      collector += line + kCrLf;
    }
  }
  t.rec.back().body = std::move(collector);
}

std::string ComSect_AllText(const ComSectTable& t) {
  std::string s;
  for (size_t i = 0; i < t.rec.size(); ++i) {
    const ComSection& r = t.rec[i];
    if (i > 0 && r.header.empty() && r.body.empty()) continue;
    if (i > 0) s += kCrLf;
    s += WithoutFinalCrLf(r.header + r.body);
  }
  return s;
}

int ComSect_AllLineOf(const ComSectTable& t, int fileLine) {
  const ComSection& r0 = t.rec[0];
  return r0.header.empty() && r0.body.empty() ? fileLine + 1 : fileLine;
}

int ComSect_Find(ComSectTable& t, std::string_view name) {
  for (size_t i = 1; i < t.rec.size(); ++i)
    if (t.rec[i].name == name) return static_cast<int>(i);
  t.rec.push_back(ComSection{std::string(name), {}, {}});
  return t.Count();
}

void ComSect_Store(ComSectTable& t, std::string_view name, std::string_view text,
                   const std::vector<std::string>& menus) {
  if (name == "ALL") {
    // An empty text is a file without lines, not one empty line.
    ComFile_Split(text.empty() ? std::vector<std::string>() : ComText_Lines(text), menus, t);
    return;
  }
  ComSection& r = t.rec[ComSect_Find(t, name)];
  r.body.assign(text);
  // An empty text leaves the section empty; any other, however short, is
  // whole lines, so that it never glues onto the next header.
  if (text.empty()) return;
  if (!EndsWithCrLf(r.body)) r.body += kCrLf;
  if (r.header.empty()) r.header = "/" + std::string(name) + "/" + kCrLf;
}

std::vector<std::string> ComFile_Lines(const ComSectTable& t) {
  std::string all;
  for (const ComSection& r : t.rec) all += r.header + r.body;
  std::vector<std::string> out;
  if (all.empty()) return out;
  out = ComText_Lines(all);
  // Every record ends in CR LF: the piece after the last break is no line.
  if (!out.empty() && out.back().empty() && EndsWithCrLf(all)) out.pop_back();
  return out;
}

const char* ComCheck_Message(int code) {
  if (code == 50) return "9513";
  const char* m = Ctl_LineErrorMessage(code);
  return m ? m : "9512";
}

int ComLine_Check(Ctl_Checker& chk, const std::vector<std::optional<std::string>>& lines, int lineNo,
                  std::string_view section, const std::vector<std::string>& menus) {
  if (lineNo < 0 || lineNo >= static_cast<int>(lines.size())) return 0;
  if (!lines[lineNo]) return ComCheck_NoCp932;
  std::string t = ComText_Trim(*lines[lineNo]);
  if (IsSkipped(t)) return 0;
  Ctl_Menu_Clear(chk);
  const bool whole = section.empty() || section == "ALL";
  if (t[0] == '/') return whole ? Ctl_Menu_Select(chk, t) : ComCheck_HeaderInSection;
  std::string name(section);
  if (whole) {
    name.clear();
    bool found = false;
    for (int i = lineNo - 1; i >= 0 && !found; --i) {
      if (!lines[i]) continue;
      std::string h = ComText_Trim(*lines[i]);
      if (h.empty() || h[0] != '/') continue;
      found = true;
      size_t second = h.find('/', 1);
      name = second == std::string::npos ? h.substr(1) : h.substr(1, second - 1);
    }
    if (!found) return 3;
  }
  bool known = false;
  for (const std::string& m : menus) known = known || m == name;
  if (!known) return 3;
  if (Ctl_Menu_Select(chk, "/" + name + "/") != 0) return 3;
  return Ctl_Line_Check(chk, t, 1);
}

int ComMemo_Check(Ctl_Checker& chk, const std::vector<std::optional<std::string>>& lines,
                  std::string_view section, int& faultLine) {
  faultLine = 0;
  Ctl_Menu_Clear(chk);
  const bool whole = section.empty() || section == "ALL";
  if (!whole) Ctl_Menu_Select(chk, "/" + std::string(section) + "/");
  for (size_t i = 0; i < lines.size(); ++i) {
    int r = 0;
    if (!lines[i]) {
      r = ComCheck_NoCp932;
    } else {
      std::string t = ComText_Trim(*lines[i]);
      if (IsSkipped(t)) continue;
      if (t[0] == '/') r = whole ? Ctl_Menu_Select(chk, t) : ComCheck_HeaderInSection;
      else r = Ctl_Line_Check(chk, t, 0);
    }
    if (r != 0) {
      faultLine = static_cast<int>(i);
      return r;
    }
  }
  return 0;
}

int ComFile_Check(Ctl_Checker& chk, const std::vector<std::string>& lines, int& faultLine) {
  faultLine = 0;
  Ctl_Menu_Clear(chk);
  for (size_t i = 0; i < lines.size(); ++i) {
    std::string t = ComText_Trim(lines[i]);
    if (IsSkipped(t)) continue;
    int r = t[0] == '/' ? Ctl_Menu_Select(chk, t) : Ctl_Line_Check(chk, t, 0);
    if (r != 0) {
      faultLine = static_cast<int>(i);
      return r;
    }
  }
  return 0;
}

int ComMark_Top(int line, int top) {
  if (line < top) return line;
  if (line - top > 20) return line - 20;
  return top;
}
