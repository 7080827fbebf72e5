// Kanji phone-book import: an address CSV and a group-name CSV become the
// data file SdKanjitell.DAT of the kanji-display telephone sets. Everything
// here works on CP932 bytes; the form only collects the choices and shows
// the warnings.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace ktel {

inline constexpr const char* kKanjiBookFile = "SdKanjitell.DAT";

// Field limits in bytes.
inline constexpr size_t kNameMax = 20;
inline constexpr size_t kGroupNameMax = 20;
inline constexpr size_t kReadingMax = 6;
inline constexpr size_t kNumberMax = 24;
inline constexpr size_t kTitleMax = 10;
inline constexpr int kGroupLines = 10;
inline constexpr int kAddressLines = 500;

// Warning kinds, in the numbering of the warning texts.
enum Warn : int {
  kWarnFieldCount = 0,
  kWarnGroupDigit = 1,
  kWarnGroupName = 2,
  kWarnName = 3,
  kWarnReading = 4,
  kWarnNumber = 5,
  kWarnTooManyGroups = 6,
  kWarnTooManyAddresses = 7,
};

enum class CsvKind { Address, Group };

struct Warning {
  CsvKind file;
  int line;  // line number in its file, the header being line 1
  int kind;
  bool operator==(const Warning&) const = default;
};

// CP932 texts of the warning list.
std::string WarningText(int kind);
std::string CsvLabel(CsvKind file);

// Cleaners: out is the cleaned text; the result is true when nothing had to
// be dropped or cut. They walk characters, never bytes, and drop every byte
// below 0x20 and every byte that is no CP932 character.
// Names and group names: single-byte characters and double-byte characters.
bool CheckCtlCode(std::string_view text, size_t maxBytes, std::string& out);
// Readings and the title: single-byte characters only (half-width katakana
// included); double-byte characters are dropped.
bool CheckKana(std::string_view text, size_t maxBytes, std::string& out);
// Telephone numbers: digits, "*" and "#"; "-" is dropped and "P" becomes "R"
// without counting as a change.
bool CheckDial(std::string_view text, size_t maxBytes, std::string& out);
// Spin-field texts: digits only.
bool CheckNum(std::string_view text, size_t maxBytes, std::string& out);
// One character "0" to "9".
bool CheckGroup(std::string_view text);
// Header lines, compared byte for byte after splitting.
bool CheckGroupIndex(const std::vector<std::string>& fields);
bool CheckAdrIndex(const std::vector<std::string>& fields);
// text cut to maxBytes, one byte shorter when a lead byte would end it.
std::string LeftStrEx(std::string_view text, size_t maxBytes);

// "グループ" + digit, the name of a group without a line in the group CSV.
std::string DefaultGroupName(int digit);
// Largest day of a month (29 for February).
int DayLimit(int month);

struct BookSettings {
  std::string title;  // CP932, as the title cleaner left it
  bool timed = false;
  int month = 1, day = 1, hour = 0, minute = 0;
  int group = 1;  // write group number
};

// MMDDhhmm, or "00000000" for an immediate start; the day is limited to
// the month.
std::string StartTimeText(const BookSettings& s);

// First failing check: 8001 a path empty, 8002 a file missing, 8003 no
// title, 8004 group header, 8005 address header; 0 when all pass.
int CheckAhead(const std::string& addressCsv, const std::string& groupCsv,
               std::string_view title);

// Group names from the group CSV over the defaults. 0, or 8004 when the
// file cannot be read.
int ReadGroup(const std::string& groupCsv, std::array<std::string, 10>& names,
              std::vector<Warning>& warnings);
// The DATA2 lines (without line end) of the accepted address entries. 0, or
// 8005 when the file cannot be read.
int ReadAddress(const std::string& addressCsv, std::vector<std::string>& lines,
                std::vector<Warning>& warnings);

struct BookResult {
  int message = 0;  // 0, 8004 or 8005
  std::string content;
  std::vector<Warning> warnings;
};
// Steps after CheckAhead: the whole output file in memory.
BookResult BuildBook(const BookSettings& s, const std::string& addressCsv,
                     const std::string& groupCsv);

// Replaces the output file; 0, or 9059 when it cannot be written (the old
// file is then left as it was).
int WriteBook(const std::string& path, std::string_view content);

// Data folder from the ENVIRON.DAT at environPath: field 1 when the text has
// more than 16 comma fields; a file too short or unreadable keeps the
// previous folder (ProgramDir when there is none); a missing file or a
// folder that does not exist gives ProgramDir. Ends in "/".
std::string DataFolder(const std::string& environPath, const std::string& previous);

}  // namespace ktel
