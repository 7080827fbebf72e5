#include "cmdfile/MenuTree_Unit.h"

#include "cmdfile/ScreenTbl_Unit.h"
#include "shell/TextLines.h"
#include "platform/FileSys.h"

MenuTableType MenuTable;
int MenuCount = 0;
int MenuIndex = 0;
std::string MenuPath;
std::string ClickedNodeText;

namespace {

// "－" in CP932.
constexpr std::string_view kPathJoin = "\x81\x7c";

int LevelOf(std::string_view f) {
  if (f.size() == 1 && f[0] >= '1' && f[0] <= '9') return f[0] - '0';
  if (f == "10") return 10;
  return 0;
}

}  // namespace

bool MenuTable_Accepts(const std::vector<std::string>& fields) {
  return fields.size() >= 9 && !fields[0].empty() && !fields[1].empty() && LevelOf(fields[1]) != 0;
}

int MenuTable_Fill(std::string_view content, MenuTableType& table) {
  std::vector<std::string> lines = TextLines_Split(content);
  for (auto& a : table) a.assign(lines.size(), std::string());
  int count = 0;
  for (size_t i = 1; i < lines.size(); ++i) {
    std::vector<std::string> f = MenuCsv_Split(lines[i]);
    if (!MenuTable_Accepts(f)) continue;
    ++count;  // below lines.size(): the heading takes no index
    // Field 9 stays empty on a line of exactly 9 fields.
    for (size_t k = 0; k < kMenuFields && k < f.size(); ++k) table[k][static_cast<size_t>(count)] = f[k];
  }
  return count;
}

int MenuTable_Load(const std::string& path) {
  std::string file = fsys::ResolvePath(path);
  std::string content;
  if (fsys::DirExists(file) || !fsys::ReadFile(file, content)) return 9301;
  MenuCount = MenuTable_Fill(content, MenuTable);
  return 0;
}

int MenuTable_Level(const MenuTableType& table, int index) {
  if (index < 1 || static_cast<size_t>(index) >= table[1].size()) return 0;
  return LevelOf(table[1][static_cast<size_t>(index)]);
}

int MenuTree_Build(const MenuTableType& table, int count, std::vector<MenuNode>& nodes) {
  nodes.clear();
  // The last item added at each level.
  std::array<int, 11> last;
  last.fill(-1);
  for (int i = 1; i <= count; ++i) {
    int level = MenuTable_Level(table, i);
    if (level == 0) return 9312;
    if (i == 1 && level != 1) return 9312;
    MenuNode n;
    n.index = i;
    n.level = level;
    if (level > 1) {
      n.parent = last[static_cast<size_t>(level - 1)];
      if (n.parent < 0) return 9312;
    }
    nodes.push_back(n);
    last[static_cast<size_t>(level)] = static_cast<int>(nodes.size()) - 1;
  }
  return 0;
}

std::string MenuTree_Path(const MenuTableType& table, const std::vector<MenuNode>& nodes, int node) {
  std::vector<int> chain;  // the item and its ancestors, bottom up
  for (int n = node; n >= 0 && n < static_cast<int>(nodes.size()); n = nodes[static_cast<size_t>(n)].parent) {
    chain.push_back(n);
    if (chain.size() > nodes.size()) break;  // a parent link that loops
  }
  size_t depth = chain.size();
  size_t shown = depth <= 3 ? depth : depth <= 9 ? 3 : 6;
  std::string path;
  for (size_t k = 0; k < shown; ++k) {
    const MenuNode& n = nodes[static_cast<size_t>(chain[depth - 1 - k])];
    if (k) path += kPathJoin;
    path += table[0][static_cast<size_t>(n.index)];
  }
  return path;
}

int MenuTree_PageType(std::string_view field) {
  if (field.size() == 1 && field[0] >= '0' && field[0] <= '7') return field[0] - '0';
  return -1;
}
