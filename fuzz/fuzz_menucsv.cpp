// Arbitrary bytes as Menu.csv: the comma text splits into fields that,
// quoted and joined again, split the same; the menu table and the tree take
// any file, and every item has a path.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "cmdfile/MenuTree_Unit.h"
#include "cmdfile/ScreenTbl_Unit.h"
#include "cmdfile/TextLines.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string s(reinterpret_cast<const char*>(data), size);
  for (const std::string& line : TextLines_Split(s)) {
    std::vector<std::string> fields = MenuCsv_Split(line);
    size_t total = 0;
    for (const auto& f : fields) total += f.size();
    if (total > line.size()) __builtin_trap();
    std::string joined;
    for (size_t i = 0; i < fields.size(); ++i) {
      if (i) joined += ',';
      joined += '"';
      for (char c : fields[i]) {
        if (c == '"') joined += '"';
        joined += c;
      }
      joined += '"';
    }
    if (MenuCsv_Split(joined) != fields) __builtin_trap();
  }

  MenuTableType table;
  int count = MenuTable_Fill(s, table);
  if (count < 0 || (count > 0 && static_cast<size_t>(count) >= table[0].size())) __builtin_trap();
  std::vector<MenuNode> nodes;
  int msg = MenuTree_Build(table, count, nodes);
  if (msg != 0 && msg != 9312) __builtin_trap();
  if (msg == 0 && nodes.size() != static_cast<size_t>(count)) __builtin_trap();
  for (size_t i = 0; i < nodes.size(); ++i) {
    if (nodes[i].parent >= static_cast<int>(i)) __builtin_trap();
    if (MenuTree_Path(table, nodes, static_cast<int>(i)).empty()) __builtin_trap();
  }
  return 0;
}
