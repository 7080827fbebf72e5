#include "cmdfile/CmdSect_Unit.h"

#include <sys/stat.h>

#include <climits>
#include <cstdio>

#include "cmdfile/CmdLine.h"
#include "cmdfile/ScreenTbl_Unit.h"
#include "shell/TextLines.h"
#include "link/SettingsText.h"
#include "platform/FileSys.h"

CmdSect_FetchFn CmdSect_Fetch = &fsys::ReadFile;
CmdSect_StoreFn CmdSect_Store = &fsys::ReplaceFile;

namespace {

constexpr size_t kMaxLine = 70;

bool StartsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

bool IsPattern(int pageType) { return pageType == 2 || pageType == 4; }

// A non-negative int, or -1: a digit run too long for an int is no number.
int IndexValue(std::string_view t) {
  long long v = 0;
  if (!settings::ParseDecimal(t, v) || v < 0 || v > INT_MAX) return -1;
  return static_cast<int>(v);
}

std::string IndexField(long long index, int width, int pageType) {
  char buf[48];
  std::snprintf(buf, sizeof buf, "%0*lld", width < 0 ? 0 : (width > 20 ? 20 : width), index);
  return std::string(buf) + (IsPattern(pageType) ? "-*=" : "=");
}

void Store(CellArray& cells, int maxIndex, long long index, std::string_view value) {
  if (index >= 0 && index <= maxIndex && index < static_cast<long long>(cells.size()))
    cells[static_cast<size_t>(index)] = value;
}

// From pos on, the start of the first entry with a numeric index, skipping
// whole entries up to their ";"; npos when none is left.
size_t NextNumbered(std::string_view line, size_t pos) {
  while (pos < line.size() && DataLine_Index(static_cast<int>(pos + 1), line) < 0) {
    size_t semi = line.find(';', pos);
    if (semi == std::string_view::npos) return std::string_view::npos;
    pos = semi + 1;
  }
  return pos < line.size() ? pos : std::string_view::npos;
}

// Anything at all at path: a folder there is a file that cannot be read,
// not a missing one.
bool PathPresent(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

}  // namespace

int DataLine_Index(int pos, std::string_view line) {
  if (pos < 1 || static_cast<size_t>(pos) > line.size()) return -1;
  std::string_view t = line.substr(static_cast<size_t>(pos) - 1);
  t = t.substr(0, t.find('='));
  if (t.find("-*") != std::string_view::npos) {
    if (t.size() < 2 || t.substr(t.size() - 2) != "-*") return -1;
    t.remove_suffix(2);
  }
  return IndexValue(t);
}

bool DataLine_Parse(std::string_view line, CellArray& cells, int maxIndex) {
  if (line.size() > static_cast<size_t>(INT_MAX)) return false;
  size_t pos = NextNumbered(line, 0);
  if (pos == std::string_view::npos) return false;
  while (pos != std::string_view::npos) {
    long long cur = DataLine_Index(static_cast<int>(pos + 1), line);
    size_t eq = line.find('=', pos);
    if (eq == std::string_view::npos) break;
    std::string value;
    size_t p = eq + 1;
    bool closed = false;
    for (; p < line.size(); ++p) {
      char c = line[p];
      if (c == '\0') return true;
      if (c == '>') {
        Store(cells, maxIndex, cur, value);
        value.clear();
        ++cur;
      } else if (c == ';') {
        Store(cells, maxIndex, cur, value);
        closed = true;
        break;
      } else if (cur <= maxIndex) {
        value += c;  // values that cannot be stored are not collected
      }
    }
    // A value that runs to the line's end without its ";" is not stored.
    if (!closed) break;
    pos = NextNumbered(line, p + 1);
  }
  return true;
}

void DataLine_Build(SectList& list, int width, const CellArray& cells, int pageType, int lastIndex) {
  SectList built;
  std::string run;
  long long last = lastIndex;
  if (last >= static_cast<long long>(cells.size())) last = static_cast<long long>(cells.size()) - 1;
  for (long long i = 0; i <= last; ++i) {
    const std::string& v = cells[static_cast<size_t>(i)];
    if (v == "/") {
      if (!run.empty()) {
        run.back() = ';';
        built.push_back(std::move(run));
        run.clear();
      }
      continue;
    }
    if (run.empty()) run = IndexField(i, width, pageType);
    run += v;
    run += '>';
  }
  if (!run.empty()) {
    run.back() = ';';
    built.push_back(std::move(run));
  }
  DataLine_Merge(list, width, built, pageType);
}

void DataLine_Merge(SectList& list, int width, const SectList& built, int pageType) {
  const std::string_view mark = IsPattern(pageType) ? "-*=" : "=";
  for (const std::string& b : built) {
    size_t at = b.find(mark);
    if (b.find('=') == std::string::npos || at == std::string::npos) continue;
    int index = IndexValue(std::string_view(b).substr(0, at));
    if (index < 0) continue;
    size_t fieldLen = at + mark.size();
    std::string out = b.substr(0, fieldLen);
    long long cur = index;
    size_t p = fieldLen;
    while (p < b.size()) {
      size_t end = b.find('>', p);
      if (end == std::string::npos) end = b.find(';', p);
      if (end == std::string::npos) break;
      std::string_view piece = std::string_view(b).substr(p, end + 1 - p);
      // A line holding only its index field takes the piece however long it
      // is: flushing it would write an entry without a value.
      if (out.size() > fieldLen && out.size() + piece.size() > kMaxLine) {
        out.back() = ';';
        list.push_back(std::move(out));
        out = IndexField(cur, width, pageType);
        fieldLen = out.size();
      }
      out += piece;
      ++cur;
      p = end + 1;
    }
    if (out.size() > fieldLen) list.push_back(std::move(out));
  }
}

std::string CmdSect_SortKey(std::string_view header) {
  std::string key(header);
  if (StartsWith(key, "/M5")) key[2] = '9';
  return key;
}

bool CmdSect_Greater(std::string_view a, std::string_view b) {
  size_t n = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < n; ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
    if (x != y) return x > y;
  }
  return a.size() > b.size();
}

int CmdSect_Read(const std::string& path, std::string_view screenKey, SectList& list, int mode) {
  ScreenRec rec = ScreenTbl_Find(screenKey);
  if (rec.Header.empty()) return 9312;
  const std::string& header = rec.Header;
  const std::string subLine = rec.SubHeader.empty() ? std::string() : rec.SubHeader + ";";
  const std::string_view sub4 = std::string_view(subLine).substr(0, 4);

  std::string file = fsys::ResolvePath(path);
  std::string content;
  if (!PathPresent(file)) {
    if (mode == 1) return 0;  // a command file not made yet holds no section
    return 9308;
  }
  if (!CmdSect_Fetch(file, content)) return mode == 1 ? 9035 : 9309;

  list.clear();
  bool before = true, inSection = false, inBlock = false, waiting = !subLine.empty();
  for (std::string& line : TextLines_Split(content)) {
    std::string l = std::move(line);
    if (l.empty()) {
      if (!list.empty()) list.push_back(l);
      continue;
    }
    if (l[0] == '!') continue;
    if (l.find(';') != std::string::npos) l = CmdLine_Cut(l);
    if (StartsWith(l, "/")) l = CmdLine_Cut(l);
    if (inBlock && std::string_view(l).substr(0, 4) == sub4) {
      if (l != subLine) break;
      continue;
    }
    if (inSection && StartsWith(l, "/")) {
      if (l != header) break;
      continue;  // a repeated header: the section goes on
    }
    if (l == header && before) {
      before = false;
      inSection = true;
      list.push_back(l);
    } else if (!before) {
      if (waiting && l == subLine) {
        inBlock = true;
        waiting = false;
        list.push_back(l);
      } else if (!waiting) {
        list.push_back(l);
      }
    }
  }
  return 0;
}

void CmdSect_WriteLine(std::string& out, std::string_view line) {
  out += line;
  out += "\r\n";
}

bool CmdSect_WriteList(std::string& out, SectList& list, bool withHeader) {
  if (list.empty()) return false;
  if (!withHeader) list.erase(list.begin());
  for (const std::string& l : list) CmdSect_WriteLine(out, l);
  return true;
}

std::string CmdSect_Rebuild(const std::vector<std::string>& lines, SectList& list,
                            const std::string& header, const std::string& subLine) {
  const bool hasSub = !subLine.empty();
  const std::string_view sub4 = std::string_view(subLine).substr(0, 4);
  auto isHeader = [&](const std::string& l) { return StartsWith(l, "/") && CmdLine_Cut(l) == header; };

  // Insertion by order is only for what the file does not hold: a section or
  // block that stands out of order is replaced where it stands, or a second
  // copy would follow it and the load would send the stale one last.
  bool sectionPresent = false, blockPresent = false;
  for (size_t i = 0; i < lines.size() && !sectionPresent; ++i) {
    if (!isHeader(lines[i])) continue;
    sectionPresent = true;
    for (size_t j = i + 1; hasSub && j < lines.size(); ++j) {
      const std::string& l = lines[j];
      if (StartsWith(l, "/")) {
        if (isHeader(l)) continue;
        break;
      }
      if (StartsWith(l, sub4) && CmdLine_Cut(l) == subLine) {
        blockPresent = true;
        break;
      }
    }
  }

  std::string out;
  int state = 0;  // 0 before the section, 1 looking for the block, 2 skipping, 3 copying
  bool blockFlag = false;
  for (const std::string& l : lines) {
    if (state == 3) {
      CmdSect_WriteLine(out, l);
      continue;
    }
    const std::string t = CmdLine_Cut(l);
    const bool slash = StartsWith(l, "/");
    if (state == 2) {
      // A repeated header belongs to the old section, as the reader sees it.
      if (slash && t == header) continue;
      if (slash || (blockFlag && StartsWith(l, sub4))) {
        CmdSect_WriteLine(out, l);
        state = 3;
      }
      continue;
    }
    if (slash) {
      if (t == header) {
        if (!hasSub) {
          CmdSect_WriteList(out, list, true);
          state = 2;
        } else {
          CmdSect_WriteLine(out, l);
          blockFlag = true;
          state = 1;
        }
        continue;
      }
      if (state == 1) {
        // The section ends without the block: append it there.
        CmdSect_WriteList(out, list, false);
        CmdSect_WriteLine(out, l);
        state = 3;
        continue;
      }
      if (!sectionPresent && CmdSect_Greater(CmdSect_SortKey(t), CmdSect_SortKey(header))) {
        CmdSect_WriteList(out, list, true);
        CmdSect_WriteLine(out, l);
        state = 3;
        continue;
      }
    } else if (state == 1 && StartsWith(l, sub4)) {
      if (t == subLine) {
        CmdSect_WriteList(out, list, false);
        state = 2;
        continue;
      }
      if (!blockPresent && CmdSect_Greater(t, subLine)) {
        CmdSect_WriteList(out, list, false);
        CmdSect_WriteLine(out, l);
        state = 3;
        continue;
      }
    }
    CmdSect_WriteLine(out, l);
  }
  if (state == 0) CmdSect_WriteList(out, list, true);
  if (state == 1) CmdSect_WriteList(out, list, false);
  return out;
}

int CmdSect_Write(SectList& list, const std::string& path, std::string_view screenKey) {
  std::string file = fsys::ResolvePath(path);
  if (!PathPresent(file)) {
    std::string out;
    for (const std::string& l : list) CmdSect_WriteLine(out, l);
    return CmdSect_Store(file, out) == 0 ? 0 : 9055;
  }
  if (list.empty()) return kCmdSectQuiet;
  ScreenRec rec = ScreenTbl_Find(screenKey);
  if (rec.Header.empty()) return kCmdSectQuiet;
  std::string content;
  if (!CmdSect_Fetch(file, content)) return 9015;
  const std::string subLine = rec.SubHeader.empty() ? std::string() : rec.SubHeader + ";";
  std::string out = CmdSect_Rebuild(TextLines_Split(content), list, rec.Header, subLine);
  return CmdSect_Store(file, out) == 0 ? 0 : 9055;
}
