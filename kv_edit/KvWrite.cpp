#include "kv_edit/KvWrite.h"

#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

#include "cmdfile/CmdLine.h"
#include "kv_edit/KvRead.h"
#include "platform/Cp932.h"
#include "platform/FileSys.h"

namespace kv {

namespace {

bool StartsWith(std::string_view s, std::string_view p) { return s.substr(0, p.size()) == p; }

bool AllDigits(std::string_view s) {
  if (s.empty()) return false;
  for (char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}

std::string Index4(int i) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%.4d=", i);
  return buf;
}

constexpr size_t kLineMax = 80;

std::string ListText(const std::vector<std::string>& list, size_t from) {
  std::string s;
  for (size_t i = from; i < list.size(); ++i) s += list[i] + "\r\n";
  return s;
}

}  // namespace

bool IsNumberChar(char c) { return (c >= '0' && c <= '9') || c == '#' || c == '*'; }

bool IsTypedNameCode(int code) { return (code >= 32 && code <= 124) || (code >= 161 && code <= 223); }

int FirstBadNumber(const std::vector<std::string>& numbers) {
  for (size_t r = 0; r < numbers.size(); ++r) {
    std::string_view n(numbers[r]);
    n = n.substr(0, cp932::CutLength(n, kNumberMaxLen));
    // Bytes stand for characters here: a double-byte character among the
    // first 20 fails on its lead byte before the count could differ.
    for (char c : n)
      if (!IsNumberChar(c)) return static_cast<int>(r);
  }
  return -1;
}

std::vector<std::string> NumberEntries(const std::vector<std::string>& numbers) {
  std::vector<std::string> e(kTelMax + 1);
  for (int r = 1; r <= kRows && r <= static_cast<int>(numbers.size()); ++r) {
    std::string_view n(numbers[r - 1]);
    n = n.substr(0, kNumberMaxLen);
    for (int g = 1; g <= kTelGroups; ++g) {
      size_t from = static_cast<size_t>(4 * (g - 1));
      if (from < n.size()) e[(r - 1) * kTelGroups + g] = std::string(n.substr(from, 4));
    }
  }
  return e;
}

std::vector<std::string> NameEntries(const std::vector<std::string>& names) {
  std::vector<std::string> e(kKanaMax + 1, "32");
  e[0].clear();
  for (int r = 1; r <= kRows && r <= static_cast<int>(names.size()); ++r) {
    const std::string& n = names[r - 1];
    size_t i = 0;
    for (int c = 1; c <= kNameChars && i < n.size(); ++c) {
      unsigned char b = static_cast<unsigned char>(n[i]);
      if (cp932::IsLeadByte(b) && i + 1 < n.size()) {
        // Never typed (the editor refuses it); a blank keeps the position.
        i += 2;
        continue;
      }
      e[(r - 1) * kNameChars + c] = std::to_string(b);
      ++i;
    }
  }
  return e;
}

std::vector<std::string> Make_EntryRun(const std::vector<std::string>& entries, int count) {
  int first = 1;
  while (first <= count && static_cast<size_t>(first) < entries.size() && entries[first] == "DEFAULT")
    ++first;
  if (first > count || static_cast<size_t>(first) >= entries.size()) return {};
  std::string run = Index4(first);
  for (int i = first; i <= count && static_cast<size_t>(i) < entries.size(); ++i) run += entries[i] + ">";
  run.back() = ';';
  return {run};
}

std::vector<std::string> Wrap_EntryLines(const std::vector<std::string>& runs) {
  std::vector<std::string> lines;
  for (const std::string& run : runs) {
    size_t eq = run.find('=');
    if (eq == std::string::npos) continue;
    std::string_view head(run.data(), eq);
    if (!AllDigits(head) || head.size() > 9) continue;
    int idx = std::stoi(std::string(head));
    if (idx == 0) continue;
    std::string out = Index4(idx);
    size_t prefix = out.size();
    size_t p = eq + 1;
    for (;;) {
      size_t end = run.find('>', p);
      if (end == std::string::npos) end = run.find(';', p);
      if (end == std::string::npos) break;
      std::string_view field(run.data() + p, end + 1 - p);
      // A line holds at least one value, however long.
      if (out.size() + field.size() > kLineMax && out.size() > prefix) {
        out.back() = ';';
        lines.push_back(out);
        out = Index4(idx);
        prefix = out.size();
      }
      out += field;
      ++idx;
      p = end + 1;
    }
    if (out.size() > prefix) lines.push_back(out);
  }
  return lines;
}

std::string Get_SectionNo(std::string_view line) {
  if (line.size() < 2) return "";
  line.remove_prefix(2);
  size_t slash = line.find('/');
  if (slash == std::string_view::npos) return "";
  std::string no(line.substr(0, slash));
  if (!AllDigits(no)) return "";
  if (no[0] != '6') no += "0";
  return no;
}

std::string Get_BlockKey(std::string_view no) {
  std::string_view two = no.substr(0, 2);
  if (!AllDigits(two)) return "";
  int n = std::stoi(std::string(two));
  if (n >= 10 && n <= 18) return "BLK=";
  if ((n >= 20 && n <= 22) || n == 30 || n == 31 || (n >= 40 && n <= 42) || (n >= 70 && n <= 72))
    return "LEN=";
  if (n == 32) return "LNO=";
  return "";
}

std::string RewriteText(std::string_view oldText, const std::vector<std::string>& list) {
  const std::string& header = list.at(0);
  const std::string blockLine = list.size() > 1 ? list[1] : std::string();
  const std::string headerNo = Get_SectionNo(header);
  const std::string blockKey = Get_BlockKey(headerNo);
  const bool hasBlock = !blockKey.empty();

  std::string out;
  out.reserve(oldText.size() + 16 * list.size() + 64);
  // Lines kept as they stand that already end in CR LF are copied as runs
  // of the old text, not one by one.
  size_t runFrom = 0, runTo = 0;
  auto flush = [&] {
    out.append(oldText.substr(runFrom, runTo - runFrom));
    runFrom = runTo = 0;
  };
  std::string_view raw;
  size_t lineStart = 0, lineNext = 0;
  bool crlf = false;
  auto write = [&](std::string_view l) {
    if (crlf && l.data() == raw.data() && l.size() == raw.size()) {
      if (runFrom != runTo && runTo != lineStart) flush();
      if (runFrom == runTo) runFrom = lineStart;
      runTo = lineNext;
      return;
    }
    flush();
    out.append(l);
    out += "\r\n";
  };
  auto writeList = [&](bool withHeader) {
    flush();
    out += ListText(list, withHeader ? 0 : 1);
  };

  enum { Before, InSection, Skipping, Copying } state = Before;
  int current = 0;  // 10 inside /M10/, 13 inside /M13/, else 0
  size_t start = 0;
  while (start < oldText.size()) {
    size_t lf = oldText.find('\n', start);
    size_t end = lf == std::string_view::npos ? oldText.size() : lf;
    raw = oldText.substr(start, end - start);
    crlf = false;
    if (lf != std::string_view::npos && !raw.empty() && raw.back() == '\r') {
      raw.remove_suffix(1);
      crlf = true;
    }
    lineStart = start;
    lineNext = lf == std::string_view::npos ? oldText.size() : lf + 1;
    start = lineNext;

    // Only a line that may be a section or block line needs its cut form.
    std::string t = MayBeMarkerLine(raw) ? CmdLine_Cut(raw) : std::string();
    std::string_view l = raw;
    const bool isSection = StartsWith(t, "/M");
    if (isSection) current = StartsWith(t, "/M10/") ? 10 : StartsWith(t, "/M13/") ? 13 : 0;
    // The two blocks' own lines lose their comments.
    if ((current == 10 && StartsWith(t, "BLK=073")) || (current == 13 && StartsWith(t, "BLK=050"))) l = t;

    switch (state) {
      case Copying:
        write(l);
        break;
      case Skipping:
        // The old section or block ends at the next section line, or at the
        // next block line of its section; nothing after it is dropped.
        if (isSection || (hasBlock && StartsWith(t, blockKey))) {
          write(l);
          state = Copying;
        }
        break;
      case Before:
        if (isSection && t == header) {
          if (!hasBlock) {
            writeList(true);
            state = Skipping;
          } else {
            write(l);
            state = InSection;
          }
        } else if (isSection && Get_SectionNo(t) > headerNo) {
          writeList(true);
          write(l);
          state = Copying;
        } else {
          write(l);
        }
        break;
      case InSection:
        if (isSection) {
          // The block was not in its section: it goes at the section's end,
          // where the reader looks for it.
          writeList(false);
          write(l);
          state = Copying;
        } else if (StartsWith(t, blockKey) && t == blockLine) {
          writeList(false);
          state = Skipping;
        } else if (StartsWith(t, blockKey) && t > blockLine) {
          writeList(false);
          write(l);
          state = Copying;
        } else {
          write(l);
        }
        break;
    }
  }
  if (state == Before) writeList(true);
  if (state == InSection) writeList(false);
  flush();
  return out;
}

namespace {

std::string ReplaceMessage(fsys::ReplaceStep step) {
  switch (step) {
    case fsys::ReplaceStep::Create: return "3002";
    case fsys::ReplaceStep::Write: return "3004";
    case fsys::ReplaceStep::Rename: return "3005";
  }
  return "3004";
}

}  // namespace

namespace {

// Writes the lists one after the other into the text of the file at path and
// stores the result with one atomic replace.
bool ReplaceBlocks(const std::string& path, const std::vector<const std::vector<std::string>*>& lists,
                   std::string& msg) {
  msg.clear();
  for (const auto* list : lists)
    if (list->empty() || Get_SectionNo((*list)[0]).empty()) return false;
  std::string content;
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) {
    if (errno != ENOENT) {
      msg = "3002";
      return false;
    }
    content = ListText(*lists[0], 0);
  } else {
    // A file without write permission is refused before anything is written:
    // the rename alone would replace it.
    if ((st.st_mode & 0222) == 0 || ::access(path.c_str(), W_OK) != 0) {
      msg = "3002";
      return false;
    }
    std::string r = ReadWholeFile(path, content);
    if (!r.empty()) {
      msg = r == "3003" ? "3004" : r;
      return false;
    }
    content = RewriteText(content, *lists[0]);
  }
  for (size_t i = 1; i < lists.size(); ++i) content = RewriteText(content, *lists[i]);
  fsys::ReplaceStep step;
  if (fsys::ReplaceFile(path, content, step) != 0) {
    msg = ReplaceMessage(step);
    return false;
  }
  return true;
}

}  // namespace

bool Replace_SectionBlock(const std::string& path, const std::vector<std::string>& list,
                          std::string& msg) {
  return ReplaceBlocks(path, {&list}, msg);
}

std::string Register_Blocks(const std::string& path, const std::vector<std::string>& numbers,
                            const std::vector<std::string>& names) {
  std::vector<std::string> tel = {kTelSection, kTelBlock};
  for (std::string& l : Wrap_EntryLines(Make_EntryRun(NumberEntries(numbers), kTelMax)))
    tel.push_back(std::move(l));
  std::vector<std::string> kana = {kNameSection, kNameBlock};
  for (std::string& l : Wrap_EntryLines(Make_EntryRun(NameEntries(names), kKanaMax)))
    kana.push_back(std::move(l));
  // Both blocks go in with one replace: the names are never stored without
  // the numbers, and the file is read and written once.
  std::string msg;
  if (!ReplaceBlocks(path, {&tel, &kana}, msg)) return msg.empty() ? "3004" : msg;
  return "";
}

}  // namespace kv
