// The speed-dial editor's rules that need no window: the register checks in
// their order, where a fault is shown, the owner number's up-down step and
// the directory's sort.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "phone/Kana_Unit.h"

namespace kana {

// The first fault found by a register check; message 0 when there is none.
struct Fault {
  int message = 0;  // 9801 dial, 9802 name, 9805 extension, 9803 duplicate
  int owner = -1;   // index in the owner table (personal and ID card)
  int index = -1;   // entry number (system), entry index 0-19 (owners), row index (directory)
  int column = 0;   // 1 dial or extension, 2 name
};

Fault CheckSystem(const SystemList& list);
// Every owner in table order, all 20 entries of each (the ID card's hidden
// entries 90 to 99 included).
Fault CheckOwners(const std::vector<Owner>& owners, int mode);
// Extensions and names row by row, then duplicates (the upper row is shown).
Fault CheckDirectory(const std::vector<DirRow>& rows);

// Top visible row after a fault at grid row `row`: the system grid keeps
// rows 791 to 800 in view for its last rows; the directory keeps ten rows.
int SystemTopRow(int row, int top);
int DirectoryTopRow(int row, int top);

// The owner number one up or down, keeping its length with leading zeros;
// nullopt when the text is not digits only. 9999 does not go up, 0 not down.
std::optional<std::string> StepOwner(std::string_view key, bool up);

// Directory rows by extension, byte-wise, empty ones first, equal ones in
// their order.
void SortDirectory(std::vector<DirRow>& rows);

}  // namespace kana
