// The key-table screen (type 0): 85 fixed rows of named keys, the size and,
// for each of six units, twelve "FS" slots and two "OP" slots; how their
// values are found in a section and how the section is written.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

constexpr int kKeyRows = 85;
constexpr int kKeyUnits = 6;
constexpr int kKeySlots = 14;  // per unit: FS 1-12, OP 13-14

// The key of row 0 .. 84 (empty for any other row): "SIZE", then "FS-101"
// .. "FS-112", "OP-113", "OP-114" for unit 1, and so on to "OP-614".
std::string GKey_Name(int row);
// The check rule of a row: "n=4" for the size, "m=2" otherwise.
const char* GKey_Spec(int row);

// The values of the 85 rows from a section list as read (every line, the
// header included): each line is cut into pieces ending in ";" (text after
// the last one dropped, nothing trimmed); the first piece whose name (before
// its first "=") equals a row's key, ASCII case ignored, gives the row the
// text after that "=" without its ";". Rows without a piece are "/".
std::vector<std::string> GKey_Read(const std::vector<std::string>& list);

// The section list of the values: the header, the sub-header line when the
// screen has one, "SIZE=" + value + ";" unless row 0 is "/", then every
// other row that is not "/" in row order (units 1 to 6, FS before OP), one
// entry a line.
std::vector<std::string> GKey_Build(std::string_view header, std::string_view subHeader,
                                    const std::vector<std::string>& values);

// Checks row 0 and then the others with check (value, check rule), which
// shows its own message. true when all pass; else false with the failing
// row and the row to put on top of a grid of rowCount rows (-1: do not
// scroll, the size row).
bool GKey_Check(const std::vector<std::string>& values,
                const std::function<bool(const std::string&, const char*)>& check, int rowCount, int& failRow,
                int& topRow);
