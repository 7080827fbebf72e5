#include "phone/KTel_Unit.h"

#include <sys/stat.h>

#include <cstdio>

#include "link/EnvNew_Unit.h"
#include "platform/Cp932.h"
#include "platform/FileSys.h"
#include "shell/CommonStr_Unit.h"
#include "shell/CsvSplit_Unit.h"
#include "shell/Global_Unit.h"

namespace ktel {

namespace {

constexpr bool IsTrailByte(unsigned char c) {
  return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC);
}

// A single byte that stands for a character of its own: ASCII from the
// blank, and the half-width katakana.
constexpr bool IsSingleChar(unsigned char c) {
  return (c >= 0x20 && c <= 0x7E) || (c >= 0xA1 && c <= 0xDF);
}

// Walks text by characters and hands each one, as its bytes, to keep; a
// lead byte without its trail byte is no character and is dropped.
// Returns false when anything was dropped.
template <typename Keep>
bool Walk(std::string_view text, Keep keep) {
  bool clean = true;
  for (size_t i = 0; i < text.size();) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (cp932::IsLeadByte(c)) {
      if (i + 1 < text.size() && IsTrailByte(static_cast<unsigned char>(text[i + 1]))) {
        clean &= keep(text.substr(i, 2));
        i += 2;
      } else {
        clean = false;
        i += 1;
      }
      continue;
    }
    if (IsSingleChar(c)) {
      clean &= keep(text.substr(i, 1));
    } else {
      clean = false;
    }
    i += 1;
  }
  return clean;
}

// Cuts out to maxBytes on a character boundary; false when it had to.
bool CutTo(std::string& out, size_t maxBytes) {
  if (out.size() <= maxBytes) return true;
  out = LeftStrEx(out, maxBytes);
  return false;
}

std::string FieldsOf(const std::vector<std::string>& f, size_t n) {
  return n < f.size() ? f[n] : std::string();
}

// Reads the header line of a CSV; false when the file cannot be read.
bool ReadHeader(TCsvSplit& csv, const std::string& path, std::vector<std::string>& fields) {
  if (!csv.Open(path)) return false;
  return csv.ReadLine(fields);
}

std::string Two(int v) {
  char b[8];
  std::snprintf(b, sizeof b, "%02d", v < 0 ? 0 : v % 100);
  return b;
}

const char kSep = '\x06';
const char kEnd = '\x11';

}  // namespace

std::string WarningText(int kind) {
  // Written as UTF-8 in the source and converted once: the CP932 bytes of
  // these texts are long and easy to get wrong by hand.
  static const std::array<std::string, 8> table = [] {
    const char* u8[] = {
        "項目数が正しくありませんでした。行は無視されます。",
        "「グループ」が正しくありませんでした。行は無視されます。",
        "「グループ名」が正しくありませんでした。「グループ名」を修正しました。",
        "「名前」が正しくありませんでした。「名前」を修正しました。",
        "「読み」が正しくありませんでした。「読み」を修正しました。",
        "「電話番号」が正しくありませんでした。「電話番号」を修正しました。",
        "データ行が10行を超えました。この行以降は読み込みません。",
        "データ行が500行を超えました。この行以降は読み込みません。",
    };
    std::array<std::string, 8> t;
    for (size_t i = 0; i < t.size(); ++i) t[i] = cp932::FromUtf8(u8[i]).value_or("");
    return t;
  }();
  return kind >= 0 && kind < 8 ? table[static_cast<size_t>(kind)] : std::string();
}

std::string CsvLabel(CsvKind file) {
  static const std::string address = cp932::FromUtf8("電話帳データ").value_or("");
  static const std::string group = cp932::FromUtf8("電話帳グループ名データ").value_or("");
  return file == CsvKind::Address ? address : group;
}

std::string LeftStrEx(std::string_view text, size_t maxBytes) { return cp932::Cut(text, maxBytes); }

bool CheckCtlCode(std::string_view text, size_t maxBytes, std::string& out) {
  out.clear();
  bool clean = Walk(text, [&](std::string_view ch) {
    out.append(ch);
    return true;
  });
  return CutTo(out, maxBytes) && clean;
}

bool CheckKana(std::string_view text, size_t maxBytes, std::string& out) {
  out.clear();
  bool clean = Walk(text, [&](std::string_view ch) {
    if (ch.size() != 1) return false;
    out.append(ch);
    return true;
  });
  return CutTo(out, maxBytes) && clean;
}

bool CheckDial(std::string_view text, size_t maxBytes, std::string& out) {
  out.clear();
  bool clean = Walk(text, [&](std::string_view ch) {
    if (ch.size() != 1) return false;
    char c = ch[0];
    if ((c >= '0' && c <= '9') || c == '*' || c == '#') {
      out += c;
      return true;
    }
    if (c == '-') return true;
    if (c == 'P') {
      out += 'R';
      return true;
    }
    return false;
  });
  return CutTo(out, maxBytes) && clean;
}

bool CheckNum(std::string_view text, size_t maxBytes, std::string& out) {
  out.clear();
  bool clean = Walk(text, [&](std::string_view ch) {
    if (ch.size() != 1 || ch[0] < '0' || ch[0] > '9') return false;
    out += ch[0];
    return true;
  });
  return CutTo(out, maxBytes) && clean;
}

bool CheckGroup(std::string_view text) { return text.size() == 1 && text[0] >= '0' && text[0] <= '9'; }

bool CheckGroupIndex(const std::vector<std::string>& fields) {
  static const std::vector<std::string> header = {cp932::FromUtf8("グループ").value_or(""),
                                                  cp932::FromUtf8("グループ名").value_or("")};
  return fields == header;
}

bool CheckAdrIndex(const std::vector<std::string>& fields) {
  static const std::vector<std::string> header = {
      cp932::FromUtf8("名前").value_or(""), cp932::FromUtf8("読み").value_or(""),
      cp932::FromUtf8("電話番号").value_or(""), cp932::FromUtf8("グループ").value_or("")};
  return fields == header;
}

std::string DefaultGroupName(int digit) {
  return cp932::FromUtf8("グループ").value_or("") + static_cast<char>('0' + digit % 10);
}

int DayLimit(int month) {
  switch (month) {
    case 2:
      return 29;
    case 4:
    case 6:
    case 9:
    case 11:
      return 30;
    default:
      return 31;
  }
}

std::string StartTimeText(const BookSettings& s) {
  if (!s.timed) return "00000000";
  int day = s.day > DayLimit(s.month) ? DayLimit(s.month) : s.day;
  return Two(s.month) + Two(day) + Two(s.hour) + Two(s.minute);
}

int CheckAhead(const std::string& addressCsv, const std::string& groupCsv,
               std::string_view title) {
  if (addressCsv.empty() || groupCsv.empty()) return 8001;
  if (!fsys::FileExists(addressCsv) || !fsys::FileExists(groupCsv)) return 8002;
  if (title.empty()) return 8003;
  std::vector<std::string> fields;
  TCsvSplit csv;
  if (!ReadHeader(csv, groupCsv, fields) || !CheckGroupIndex(fields)) return 8004;
  if (!ReadHeader(csv, addressCsv, fields) || !CheckAdrIndex(fields)) return 8005;
  return 0;
}

int ReadGroup(const std::string& groupCsv, std::array<std::string, 10>& names,
              std::vector<Warning>& warnings) {
  TCsvSplit csv;
  std::vector<std::string> f;
  if (!ReadHeader(csv, groupCsv, f)) return 8004;
  int line = 1;
  while (!csv.Eof()) {
    if (!csv.ReadLine(f)) return 8004;
    ++line;
    if (line - 1 > kGroupLines) {
      warnings.push_back({CsvKind::Group, line, kWarnTooManyGroups});
      break;
    }
    if (f.size() != 2) {
      warnings.push_back({CsvKind::Group, line, kWarnFieldCount});
      continue;
    }
    if (!CheckGroup(f[0])) {
      warnings.push_back({CsvKind::Group, line, kWarnGroupDigit});
      continue;
    }
    std::string name;
    if (!CheckCtlCode(f[1], kGroupNameMax, name))
      warnings.push_back({CsvKind::Group, line, kWarnGroupName});
    names[static_cast<size_t>(f[0][0] - '0')] = name;
  }
  return 0;
}

int ReadAddress(const std::string& addressCsv, std::vector<std::string>& lines,
                std::vector<Warning>& warnings) {
  TCsvSplit csv;
  std::vector<std::string> f;
  if (!ReadHeader(csv, addressCsv, f)) return 8005;
  int line = 1;
  while (!csv.Eof()) {
    if (!csv.ReadLine(f)) return 8005;
    ++line;
    if (line - 1 > kAddressLines) {
      warnings.push_back({CsvKind::Address, line, kWarnTooManyAddresses});
      break;
    }
    if (f.size() != 4) {
      warnings.push_back({CsvKind::Address, line, kWarnFieldCount});
      continue;
    }
    if (!CheckGroup(f[3])) {
      warnings.push_back({CsvKind::Address, line, kWarnGroupDigit});
      continue;
    }
    std::string number, reading, name;
    if (!CheckDial(f[2], kNumberMax, number))
      warnings.push_back({CsvKind::Address, line, kWarnNumber});
    if (!CheckKana(f[1], kReadingMax, reading))
      warnings.push_back({CsvKind::Address, line, kWarnReading});
    if (!CheckCtlCode(f[0], kNameMax, name))
      warnings.push_back({CsvKind::Address, line, kWarnName});
    lines.push_back("DATA2=" + f[3] + kSep + number + kSep + reading + kSep + name + kEnd);
  }
  return 0;
}

BookResult BuildBook(const BookSettings& s, const std::string& addressCsv,
                     const std::string& groupCsv) {
  BookResult r;
  const std::string crlf = "\r\n";
  std::string& out = r.content;
  out += "!" + s.title + crlf;
  out += "/KNJ/" + crlf;
  out += "NO=" + Two(s.group) + kEnd + crlf;
  out += "DATA1=" + s.title + kSep + StartTimeText(s) + kEnd + crlf;

  std::array<std::string, 10> names;
  for (int i = 0; i < 10; ++i) names[static_cast<size_t>(i)] = DefaultGroupName(i);
  if ((r.message = ReadGroup(groupCsv, names, r.warnings)) != 0) return r;
  for (const std::string& n : names) out += "DATA3=" + n + kEnd + crlf;

  std::vector<std::string> entries;
  if ((r.message = ReadAddress(addressCsv, entries, r.warnings)) != 0) return r;
  for (const std::string& e : entries) out += e + crlf;
  out += std::string("EOF=1") + kEnd + crlf;
  return r;
}

int WriteBook(const std::string& path, std::string_view content) {
  // A file the user made read-only is not replaced behind his back, even
  // though the folder would allow the rename.
  struct stat st;
  if (::stat(path.c_str(), &st) == 0 && (st.st_mode & 0222) == 0) return 9059;
  return fsys::ReplaceFile(path, content) == 0 ? 0 : 9059;
}

std::string DataFolder(const std::string& environPath, const std::string& previous) {
  if (!fsys::FileExists(environPath)) return ProgramDir;
  std::string content;
  std::vector<std::string> fields;
  if (fsys::ReadFile(environPath, content)) Common_SplitComma(fields, content);
  if (fields.size() <= 16) return previous.empty() ? ProgramDir : previous;
  return Env_UserInfFolder(FieldsOf(fields, 1));
}

}  // namespace ktel
