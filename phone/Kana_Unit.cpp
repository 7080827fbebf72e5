#include "phone/Kana_Unit.h"

#include <cstdio>

#include "platform/FileSys.h"
#include "shell/Global_Unit.h"
#include "shell/TextLines.h"
#include "transfer/Control_Unit.h"

namespace kana {

namespace {

const std::string kCrLf = "\r\n";

// A byte that no line of text holds: the mark of a binary file.
bool HasControlByte(std::string_view line) {
  for (unsigned char c : line)
    if (!Ctl_IsNotControl(c)) return true;
  return false;
}

// The data lines of a list file: trimmed of blanks at both ends, with the
// empty, comment and section lines left out. A line ends at CR LF, LF or CR
// alone, as some editors write it. onLine returns false for a line it could
// not read (an error, or nothing taken from it). The reading stops at the
// first line not read, and its number (counted from 1) goes to badLine; 1
// when no line was read before it, as in a binary file, or when a file that
// is not empty holds nothing but blanks: such a file is never taken for an
// empty list that Register would write over it.
template <typename OnLine>
bool ForEachDataLine(std::string_view content, int* badLine, OnLine onLine) {
  int number = 0;
  bool read = false;
  auto stop = [&] {
    if (badLine) *badLine = read ? number : 1;
    return false;
  };
  for (const std::string& text : TextLines_Split(content)) {
    ++number;
    std::string_view line = text;
    while (!line.empty() && static_cast<unsigned char>(line.front()) <= 0x20) line.remove_prefix(1);
    while (!line.empty() && static_cast<unsigned char>(line.back()) <= 0x20) line.remove_suffix(1);
    if (line.empty()) continue;
    if (HasControlByte(line)) return stop();
    if (line[0] != '!' && line[0] != '/' && !onLine(line)) return stop();
    read = true;
  }
  if (!content.empty() && !read) return stop();
  return true;
}

// A whole number of digits only, within lo..hi; -1 otherwise.
int Number(const std::string& token, int lo, int hi) {
  if (token.empty() || token.size() > 4) return -1;
  int v = 0;
  for (char c : token) {
    if (c < '0' || c > '9') return -1;
    v = v * 10 + (c - '0');
  }
  return v >= lo && v <= hi ? v : -1;
}

std::string Entry(const std::string& number, const std::string& dial, const std::string& name) {
  return "NO=" + number + ">DATA=" + dial + "<" + name + ">" + kCrLf;
}

std::string Head(std::string_view comment, const char* tag) {
  return "!" + std::string(comment) + kCrLf + tag + kCrLf;
}

bool Blank(std::string_view s) {
  for (char c : s)
    if (c != ' ') return false;
  return true;
}

}  // namespace

Owner NewOwner(std::string key) {
  Owner o;
  o.key = std::move(key);
  for (int i = 0; i < kOwnerEntries; ++i) o.entries[static_cast<size_t>(i)].no = std::to_string(kFirstOwnerEntry + i);
  return o;
}

size_t DialLimit(int mode) { return mode == kDirectory ? kExtensionMax : kDialMax; }
size_t NameLimit(int mode) {
  switch (mode) {
    case kSystem:
      return 16;
    case kDirectory:
      return 10;
    default:
      return 7;
  }
}
size_t KeyLimit(int mode) { return mode == kIdCard ? 12 : 4; }
int UsedEntries(int mode) { return mode == kIdCard ? 10 : kOwnerEntries; }

std::string SpeedDialFileName(int mode, int systemType) {
  static const int slots[2][4] = {{0, 1, -1, 2}, {0, 1, 2, 3}};
  if (mode < 0 || mode > 3 || systemType < 0 || systemType > 1) return {};
  int slot = slots[systemType][mode];
  return slot < 0 ? std::string() : DataFileName[static_cast<size_t>(slot)];
}

bool Spd_Read(std::string_view content, SystemList& list, int* badLine) {
  enum { kNone, kNo, kData } field;
  int current = 0;
  return ForEachDataLine(content, badLine, [&](std::string_view line) {
    field = kNone;
    bool inName = false, took = false;
    std::string token;
    for (char c : line) {
      if (c == '=') {
        if (inName) {
          token += c;
        } else if (token == "NO") {
          field = kNo, token.clear();
        } else if (token == "DATA") {
          field = kData, token.clear();
        }
      } else if (c == '<') {
        if (field != kData || token.size() > kDialMax) return false;
        list[static_cast<size_t>(current)].dial = token;
        token.clear();
        inName = true;
        took = true;
      } else if (c == '>') {
        if (field == kNo) {
          int n = Number(token, 0, kSystemEntries - 1);
          if (n < 0) return false;
          current = n;
        } else if (field == kData) {
          if (token.size() > NameLimit(kSystem)) return false;
          list[static_cast<size_t>(current)].name = token;
        } else {
          return false;
        }
        token.clear();
        inName = false;
        took = true;
      } else {
        token += c;
      }
    }
    return took;
  });
}

bool ISpd_Read(std::string_view content, int mode, std::vector<Owner>& owners, int* badLine) {
  const std::string keyword = mode == kIdCard ? "ID" : "TEL";
  enum { kNone, kKey, kNo, kData } field;
  size_t current = 0;
  bool numbered = false;  // a NO came since the last owner line
  return ForEachDataLine(content, badLine, [&](std::string_view line) {
    field = kNone;
    bool inName = false, took = false;
    std::string token;
    for (char c : line) {
      if (c == '=') {
        if (inName) {
          token += c;
        } else if (token == keyword) {
          if (owners.size() >= static_cast<size_t>(kMaxOwners)) return false;
          owners.push_back(Owner{});
          field = kKey, numbered = false, token.clear();
        } else if (token == "NO") {
          field = kNo, token.clear();
        } else if (token == "DATA") {
          field = kData, token.clear();
        }
      } else if (c == '<') {
        if (field != kData || owners.empty() || !numbered || token.size() > kDialMax) return false;
        owners.back().entries[current].dial = token;
        token.clear();
        inName = true;
        took = true;
      } else if (c == '>') {
        inName = false;
        if (field == kKey) {
          if (owners.empty() || token.size() > KeyLimit(mode)) return false;
          Owner& o = owners.back();
          o.key = token.substr(0, kOwnerKeep);
          for (int i = 0; i < kOwnerEntries; ++i) o.entries[static_cast<size_t>(i)].no = std::to_string(kFirstOwnerEntry + i);
        } else if (field == kNo) {
          int n = Number(token, kFirstOwnerEntry, kFirstOwnerEntry + kOwnerEntries - 1);
          if (n < 0 || owners.empty()) return false;
          current = static_cast<size_t>(n - kFirstOwnerEntry);
          numbered = true;
        } else if (field == kData) {
          if (owners.empty() || !numbered || token.size() > NameLimit(mode)) return false;
          owners.back().entries[current].name = token.substr(0, kNameKeep);
        } else {
          return false;
        }
        token.clear();
        took = true;
      } else {
        token += c;
      }
    }
    return took;
  });
}

bool Dir_Read(std::string_view content, std::vector<DirRow>& rows, int* badLine) {
  enum { kNone, kNo, kName } field;
  return ForEachDataLine(content, badLine, [&](std::string_view line) {
    field = kNone;
    bool inName = false, took = false;
    std::string token;
    for (char c : line) {
      if (c == '=') {
        if (inName) {
          token += c;
        } else if (token == "NO") {
          if (rows.size() >= static_cast<size_t>(kMaxDirRows)) return false;
          rows.push_back(DirRow{});
          field = kNo, token.clear();
        } else if (token == "NAME") {
          field = kName, inName = true, token.clear();
        }
      } else if (c == '>') {
        inName = false;
        if (rows.empty()) return false;
        if (field == kNo) {
          if (token.size() > kExtensionMax) return false;
          rows.back().ext = token;
        } else if (field == kName) {
          if (token.size() > NameLimit(kDirectory)) return false;
          rows.back().name = token;
        } else {
          return false;
        }
        token.clear();
        took = true;
      } else {
        token += c;
      }
    }
    return took;
  });
}

std::string Spd_Write(const SystemList& list, std::string_view comment) {
  std::string out = Head(comment, "/SPD/");
  char no[8];
  for (int n = 0; n < kSystemEntries; ++n) {
    std::snprintf(no, sizeof no, "%3.3d", n);
    const SpdEntry& e = list[static_cast<size_t>(n)];
    out += Entry(no, e.dial, e.name);
  }
  return out;
}

std::string ISpd_Write(const std::vector<Owner>& owners, int mode, std::string_view comment) {
  const bool id = mode == kIdCard;
  std::string out = Head(comment, id ? "/IDSPD/" : "/ISPD/");
  for (const Owner& o : owners) {
    if (o.key.empty()) continue;
    out += (id ? "ID=" : "TEL=") + o.key + ">" + kCrLf;
    for (int i = 0; i < UsedEntries(mode); ++i) {
      const OwnerEntry& e = o.entries[static_cast<size_t>(i)];
      int n = Number(e.no, 0, 9999);
      char no[8];
      if (n < 0)
        std::snprintf(no, sizeof no, "  ");
      else
        std::snprintf(no, sizeof no, "%2.2d", n % 100);
      out += Entry(no, e.dial, e.name);
    }
  }
  return out;
}

std::string Dir_Write(const std::vector<DirRow>& rows, std::string_view comment) {
  std::string out = Head(comment, "/DIR/");
  for (const DirRow& r : rows)
    if (!Blank(r.ext)) out += "NO=" + r.ext + ">NAME=" + r.name + ">" + kCrLf;
  return out;
}

bool Spd_CheckDial(std::string_view text, int mode) {
  if (text.size() > DialLimit(mode)) return false;
  for (char c : text) {
    if ((c >= '0' && c <= '9') || c == '*' || c == '#') continue;
    if (mode != kDirectory && (c == '-' || c == 'A' || c == 'E' || c == 'F' || c == 'R')) continue;
    return false;
  }
  return true;
}

bool Spd_CheckName(std::string_view text, int mode) {
  if (text.size() > NameLimit(mode)) return false;
  return text.find_first_of("<>") == std::string_view::npos;
}

bool Spd_Open(const std::string& path, std::string& content) {
  return fsys::FileExists(path) && fsys::ReadFile(path, content);
}

int Spd_Store(const std::string& path, std::string_view content, int mode) {
  const int kind = mode == kSystem ? 0 : mode == kDirectory ? 2 : 1;
  // Whatever stops the file from being made (a refused target such as a
  // read-only file, a pipe or a link loop, a name too long, no room for the
  // new entry) is the open's failure; only what fails once it was made is a
  // write failure.
  fsys::ReplaceStep step;
  if (fsys::ReplaceFile(path, content, step) == 0) return 0;
  return (step == fsys::ReplaceStep::Create ? 9010 : 9050) + kind;
}

}  // namespace kana
