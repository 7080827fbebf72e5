#include "kv_edit/KvRead.h"

#include <cerrno>
#include <ctime>
#include <sys/stat.h>
#include <unistd.h>

#include "cmdfile/CmdLine.h"
#include "platform/Cp932.h"
#include "platform/FileSys.h"

namespace kv {

namespace {

bool StartsWith(std::string_view s, std::string_view p) { return s.substr(0, p.size()) == p; }

// Decimal digits only; a value too large for any array is capped, so that it
// still counts as a number above every maximum index.
int DecimalOrMinus1(std::string_view s) {
  if (s.empty()) return -1;
  long long v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return -1;
    if (v < 1000000000) v = v * 10 + (c - '0');
  }
  return v > 1000000000 ? 1000000000 : static_cast<int>(v);
}

bool IsBlank(unsigned char c) { return c <= 0x20; }

}  // namespace

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t lf = text.find('\n', start);
    size_t end = lf == std::string_view::npos ? text.size() : lf;
    std::string_view line = text.substr(start, end - start);
    if (lf != std::string_view::npos && !line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.emplace_back(line);
    if (lf == std::string_view::npos) break;
    start = lf + 1;
  }
  return lines;
}

bool MayBeMarkerLine(std::string_view line) {
  for (char c : line) {
    if (static_cast<unsigned char>(c) <= 0x20) continue;
    return c == '/' || c == 'B';
  }
  return false;
}

std::string ReadWholeFile(const std::string& path, std::string& out) {
  out.clear();
  int fd = fsys::OpenRegular(path);
  // A FIFO, device or folder under the name opens as nothing to read: the
  // read's failure, which the dealer can act on, not the open's read-only
  // hint.
  if (fd < 0) return errno == EINVAL || errno == EISDIR ? "3003" : "3002";
  struct stat st;
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0) out.reserve(static_cast<size_t>(st.st_size));
  char buf[1 << 16];
  for (;;) {
    ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0) {
      if (errno == EINTR) continue;
      ::close(fd);
      out.clear();
      return "3003";
    }
    if (n == 0) break;
    out.append(buf, static_cast<size_t>(n));
  }
  if (::close(fd) != 0) return "3005";
  return "";
}

std::string TitleOfLine(std::string_view line) {
  while (!line.empty() && IsBlank(line.front())) line.remove_prefix(1);
  while (!line.empty() && IsBlank(line.back())) line.remove_suffix(1);
  std::string title;
  if (line.size() <= 1 || line[0] != '!') return title;
  for (size_t i = 1; i < line.size() && title.size() < 24;) {
    if (cp932::IsLeadByte(static_cast<unsigned char>(line[i]))) {
      if (i + 1 >= line.size() || title.size() + 2 > 24) break;
      title.append(line.substr(i, 2));
      i += 2;
    } else {
      title.push_back(line[i++]);
    }
  }
  return title;
}

bool Read_TitleLine(const std::string& path, std::string& title) {
  title.clear();
  int fd = fsys::OpenRegular(path);
  if (fd < 0) return false;
  // Only the first line matters; a file without line breaks is not read
  // further than any title could reach after leading blanks.
  std::string first;
  char buf[4096];
  bool failed = false;
  while (first.find('\n') == std::string::npos && first.size() < (1u << 20)) {
    ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0) {
      if (errno == EINTR) continue;
      failed = true;
      break;
    }
    if (n == 0) break;
    first.append(buf, static_cast<size_t>(n));
  }
  if (::close(fd) != 0 || failed) return false;
  std::vector<std::string> lines = SplitLines(first.substr(0, first.find('\n')));
  title = lines.empty() ? std::string() : TitleOfLine(lines[0]);
  return true;
}

bool Get_FileStamp(const std::string& path, std::string& date, std::string& time) {
  date.clear();
  time.clear();
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return false;
  std::tm tm{};
  time_t t = st.st_mtime;
  if (!localtime_r(&t, &tm)) return false;
  char d[32], h[32];
  std::strftime(d, sizeof d, "%Y-%m-%d", &tm);
  std::strftime(h, sizeof h, "%H:%M:%S", &tm);
  date = d;
  time = h;
  return true;
}

int Get_EntryIndex(size_t pos, std::string_view line) {
  if (pos > line.size()) return -1;
  size_t eq = line.find('=', pos);
  if (eq == std::string_view::npos) return -1;
  return DecimalOrMinus1(line.substr(pos, eq - pos));
}

bool Parse_EntryLine(std::string_view line, std::vector<std::string>& arr, int maxIndex) {
  const size_t n = line.size();
  auto store = [&](int idx, const std::string& v) {
    if (idx >= 0 && idx <= maxIndex && static_cast<size_t>(idx) < arr.size()) arr[idx] = v;
  };
  // Entries without a numeric index in front are skipped whole.
  size_t start = 0;
  int cur = Get_EntryIndex(0, line);
  while (cur < 0) {
    size_t semi = line.find(';', start);
    if (semi == std::string_view::npos || semi + 1 >= n) return false;
    start = semi + 1;
    cur = Get_EntryIndex(start, line);
  }
  size_t p = line.find('=', start) + 1;
  std::string value;
  while (p < n) {
    if (cur > maxIndex) {
      size_t semi = line.find(';', p);
      for (;;) {
        if (semi == std::string_view::npos || semi + 1 >= n) return true;
        if (Get_EntryIndex(semi + 1, line) <= maxIndex) break;
        semi = line.find(';', semi + 1);
      }
      p = semi;  // handled as the ";" that ends the skipped entry
    }
    char c = line[p];
    if (c == '\0') break;
    if (c == ';') {
      store(cur, value);
      if (p + 1 >= n) break;
      value.clear();
      size_t q = p;
      int next = Get_EntryIndex(q + 1, line);
      while (next < 0) {
        size_t semi = line.find(';', q + 1);
        if (semi == std::string_view::npos || semi + 1 >= n) return true;
        q = semi;
        next = Get_EntryIndex(q + 1, line);
      }
      cur = next;
      // A four-digit index and its "=", never past the line's end.
      p = std::min(n, q + 1 + 5);
      continue;
    }
    if (c == '>') {
      store(cur, value);
      value.clear();
      ++cur;
    } else {
      value.push_back(c);
    }
    ++p;
  }
  return true;
}

void ReadBlockOfText(std::string_view text, std::string_view sectionLine, std::string_view blockLine,
                     std::vector<std::string>& arr, int maxIndex, int& blockCount) {
  // Lines are taken one by one: a large file is not split up front.
  size_t start = 0;
  auto next = [&](std::string_view& line) {
    if (start >= text.size()) return false;
    size_t lf = text.find('\n', start);
    size_t end = lf == std::string_view::npos ? text.size() : lf;
    line = text.substr(start, end - start);
    if (lf != std::string_view::npos && !line.empty() && line.back() == '\r') line.remove_suffix(1);
    start = lf == std::string_view::npos ? text.size() : lf + 1;
    return true;
  };
  std::string_view line;
  for (;;) {
    if (!next(line)) return;
    if (MayBeMarkerLine(line) && CmdLine_Cut(line) == sectionLine) break;
  }
  // The block belongs to the section only up to the next section line, as
  // the rewrite sees it; another section's block is never read as this one.
  for (;;) {
    if (!next(line)) return;
    if (!MayBeMarkerLine(line)) continue;
    std::string t = CmdLine_Cut(line);
    if (t == blockLine) break;
    if (StartsWith(t, "/M")) return;
  }
  // The line that ends the block is not read for entries: what a section
  // or block line may hold after a ";" is never taken as a number or name.
  while (next(line)) {
    std::string t = CmdLine_Cut(line);
    if (StartsWith(t, "BLK=") || StartsWith(t, "/M")) break;
    Parse_EntryLine(t, arr, maxIndex);
  }
  ++blockCount;
}

std::string Read_SectionBlock(const std::string& path, std::string_view sectionLine,
                              std::string_view blockLine, std::vector<std::string>& arr,
                              int maxIndex, int& blockCount) {
  std::string text;
  std::string msg = ReadWholeFile(path, text);
  if (msg.empty()) ReadBlockOfText(text, sectionLine, blockLine, arr, maxIndex, blockCount);
  return msg;
}

std::string NumberOfRow(const std::vector<std::string>& telGroups, int r) {
  std::string number;
  for (int g = 1; g <= kTelGroups; ++g) {
    size_t i = static_cast<size_t>((r - 1) * kTelGroups + g);
    if (i >= telGroups.size()) break;
    if (telGroups[i].size() > 4) return "";
    number += telGroups[i];
  }
  return number;
}

std::string NameOfRow(std::vector<std::string>& kanaCodes, int r) {
  std::string name;
  for (int c = 1; c <= kNameChars; ++c) {
    size_t i = static_cast<size_t>((r - 1) * kNameChars + c);
    if (i >= kanaCodes.size()) break;
    int code = DecimalOrMinus1(kanaCodes[i]);
    if (!((code >= 32 && code <= 125) || (code >= 161 && code <= 223))) {
      code = 32;
      kanaCodes[i] = "32";
    }
    name.push_back(static_cast<char>(code));
  }
  while (!name.empty() && name.back() == ' ') name.pop_back();
  return name;
}

std::string CmdFileRowName(std::string_view fileName) {
  // The name on disk may be CP932 (from a Windows archive): shown decoded.
  const std::string shown = cp932::NameToUtf8(fileName.substr(0, fileName.size() >= 4 ? fileName.size() - 4 : 0));
  std::string_view base = shown;
  size_t chars = 0;
  for (size_t i = 0; i < base.size(); ++i) {
    bool starts = (static_cast<unsigned char>(base[i]) & 0xC0) != 0x80;
    if (starts && ++chars > 30) return std::string(base.substr(0, i)) + "..";
  }
  return std::string(base);
}

}  // namespace kv
