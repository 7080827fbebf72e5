// The menu tree's data: the accepted lines of Menu.csv, the tree they make,
// and the selection state that the setting screens read.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

// One array per Menu.csv field 0-9; element i holds the i-th accepted line
// (element 0 stays empty). Each array has as many elements as the file has
// lines.
constexpr int kMenuFields = 10;
using MenuTableType = std::array<std::vector<std::string>, kMenuFields>;
extern MenuTableType MenuTable;
// Accepted lines held at 1..MenuCount.
extern int MenuCount;
// MenuTable index of the line whose screen was opened last.
extern int MenuIndex;
// The caption the opened screen shows.
extern std::string MenuPath;
// Caption of the item whose label was under the pointer at the last press
// of any button but the right one; empty when none was.
extern std::string ClickedNodeText;

// A line takes part when it has 9 fields or more, fields 0 and 1 are not
// empty and field 1 is a level "1" to "10".
bool MenuTable_Accepts(const std::vector<std::string>& fields);

// Fills table from Menu.csv's content (the first line is a heading);
// returns the number of accepted lines.
int MenuTable_Fill(std::string_view content, MenuTableType& table);

// Reads the file at path into MenuTable and MenuCount. 0, or 9301 when it
// cannot be read.
int MenuTable_Load(const std::string& path);

// The level of an accepted line (1-10).
int MenuTable_Level(const MenuTableType& table, int index);

// One tree item: its MenuTable index, its parent item (-1 at the top level)
// and its level.
struct MenuNode {
  int index = 0;
  int parent = -1;
  int level = 1;
};

// The tree of the lines 1..count in order: a level-k line is a child of the
// last level k-1 item added before it. 0, or 9312 when the first line is not
// level 1 or a line's parent level has no item yet (the items added so far
// stay in nodes).
int MenuTree_Build(const MenuTableType& table, int count, std::vector<MenuNode>& nodes);

// Captions from the top level down to the item joined by the full-width
// hyphen-minus: the whole path at levels 1-3, the first three levels at 4-9,
// the first six at level 10.
std::string MenuTree_Path(const MenuTableType& table, const std::vector<MenuNode>& nodes, int node);

// Page type "0" to "7" as its number; -1 for anything else.
int MenuTree_PageType(std::string_view field);
