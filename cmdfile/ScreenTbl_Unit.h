// The screen table: which section (and block) of a command file each setting
// screen edits, read from the screen folder's Menu.csv.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct ScreenRec {
  std::string Key;          // Menu.csv field 3
  std::string Orientation;  // field 4, "V" or "H"
  int32_t CountM = 0;       // field 6, 0 when not a number
  int32_t CountN = 0;       // field 5, 0 when not a number
  std::string Header;       // field 8, e.g. "/M10/"
  std::string SubHeader;    // field 9 without its ";", may be empty
};

// Records 1 to 500; record 0 is never filled.
constexpr int kScreenTblSize = 501;
extern std::array<ScreenRec, kScreenTblSize> ScreenTbl;

// The last record whose key equals key exactly; when none does, a record
// holding only key.
ScreenRec ScreenTbl_Find(std::string_view key);

// Splits one line of Menu.csv's comma text into fields. An unquoted field
// ends at "," or at any byte 1-32, and such bytes around fields are skipped;
// a quoted field may hold commas and blanks, "" standing for one quote. A
// trailing comma adds no field; an empty line gives none.
std::vector<std::string> MenuCsv_Split(std::string_view line);

// Clears the table and fills it from Menu.csv at path (the first line is a
// heading). 0, or the message to show: 9301 cannot open, 9302 read error.
int ScreenTbl_Load(const std::string& path);
