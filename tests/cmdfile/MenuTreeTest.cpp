#include "cmdfile/MenuTree_Unit.h"

#include <algorithm>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cmdfile/CmdSect_Unit.h"
#include "cmdfile/ScreenTbl_Unit.h"
#include "platform/FileSys.h"
#include "tests/support/TempDir.h"

namespace {

using Fields = std::vector<std::string>;

std::string Crlf(std::initializer_list<std::string_view> lines) {
  std::string s;
  for (std::string_view l : lines) (s += l) += "\r\n";
  return s;
}

TEST(MenuCsvSplit, CommaTextRules) {
  struct Row {
    std::string line;
    Fields want;
  } rows[] = {
      {"a,b,c", {"a", "b", "c"}},
      {"\"two words\",1", {"two words", "1"}},
      {"two words,1", {"two", "words", "1"}},          // an unquoted blank splits
      {"a\tb", {"a", "b"}},
      {"  a , b  ", {"a", "b"}},                       // blanks around fields are skipped
      {"a,,b", {"a", "", "b"}},
      {",a", {"", "a"}},
      {"a,", {"a"}},                                   // a trailing comma adds no field
      {"a, ", {"a"}},
      {"\"x,y\",\"say \"\"hi\"\"\"", {"x,y", "say \"hi\""}},
      {"\"\",b", {"", "b"}},
      {"\"ab\"cd,e", {"ab", "cd", "e"}},
      {"\"open to the end", {"open to the end"}},
      {"\x83\x41\x83\x43,\xa0\xff", {"\x83\x41\x83\x43", "\xa0\xff"}},  // bytes from 0x80 are text
      {"a\x1f" "b", {"a", "b"}},
      {std::string("a,b\0,c", 6), {"a", "b"}},         // NUL ends the text
      {"", {}},
      {"   ", {}},
  };
  for (const Row& r : rows) EXPECT_EQ(MenuCsv_Split(r.line), r.want) << r.line;
}

TEST(ScreenTbl, LoadCountsLinesAsTheFileStands) {
  TempDir d;
  std::string path = d.Write("Menu.csv", Crlf({
      "caption,level,type,key,orient,N,M,help,header,sub",
      "Top,1,1,K1,V,5,6,h1,/M10/,BLK=073",       // record 1
      "",                                         // counts: record 2 stays empty
      "short,1,1,K2,V,5",                         // fewer than 9 fields: does not count
      "Next,2,3,K3,H,x,-7,h3,/M20/",              // record 3, 9 fields: no sub-header
      "Again,2,3,K1,H,1,2,h,/M30/,LEN=01,extra",  // record 4, same key as record 1
  }));
  ASSERT_EQ(ScreenTbl_Load(path), 0);
  EXPECT_EQ(ScreenTbl[1].Key, "K1");
  EXPECT_EQ(ScreenTbl[1].Orientation, "V");
  EXPECT_EQ(ScreenTbl[1].CountN, 5);
  EXPECT_EQ(ScreenTbl[1].CountM, 6);
  EXPECT_EQ(ScreenTbl[1].Header, "/M10/");
  EXPECT_EQ(ScreenTbl[1].SubHeader, "BLK=073");
  EXPECT_TRUE(ScreenTbl[2].Key.empty());
  EXPECT_EQ(ScreenTbl[3].Key, "K3");
  EXPECT_EQ(ScreenTbl[3].CountN, 0);  // not a number
  EXPECT_EQ(ScreenTbl[3].CountM, -7);
  EXPECT_TRUE(ScreenTbl[3].SubHeader.empty());
  EXPECT_EQ(ScreenTbl[4].SubHeader, "LEN=01");
  EXPECT_TRUE(ScreenTbl[0].Key.empty());

  ScreenRec r = ScreenTbl_Find("K1");  // the later line wins
  EXPECT_EQ(r.Header, "/M30/");
  r = ScreenTbl_Find("k1");  // exact comparison
  EXPECT_EQ(r.Key, "k1");
  EXPECT_TRUE(r.Header.empty());
  EXPECT_EQ(r.CountM, 0);

  // A shorter file leaves nothing of the longer one.
  std::string shorter = d.Write("Short.csv", Crlf({"heading", "Only,1,1,K9,V,1,1,h,/M90/"}));
  ASSERT_EQ(ScreenTbl_Load(shorter), 0);
  EXPECT_TRUE(ScreenTbl_Find("K1").Header.empty());
  EXPECT_TRUE(ScreenTbl[4].Key.empty());
  EXPECT_EQ(ScreenTbl_Find("K9").Header, "/M90/");

  EXPECT_EQ(ScreenTbl_Load(d.path() + "none.csv"), 9301);
  EXPECT_TRUE(ScreenTbl_Find("K9").Header.empty());
  EXPECT_EQ(ScreenTbl_Load(d.path()), 9301);  // a folder
  // The name is found ignoring case.
  EXPECT_EQ(ScreenTbl_Load(d.path() + "MENU.CSV"), 0);
  EXPECT_EQ(ScreenTbl_Find("K3").Header, "/M20/");
}

TEST(ScreenTbl, FiveHundredRecordsAndNoMore) {
  TempDir d;
  std::string content = "heading\r\n";
  for (int i = 1; i <= 600; ++i)
    content += "c,1,1,K" + std::to_string(i) + ",V,1,1,h,/M" + std::to_string(i) + "/\r\n";
  ASSERT_EQ(ScreenTbl_Load(d.Write("Menu.csv", content)), 0);
  EXPECT_EQ(ScreenTbl[500].Key, "K500");
  EXPECT_EQ(ScreenTbl_Find("K500").Header, "/M500/");
  EXPECT_TRUE(ScreenTbl_Find("K501").Header.empty());
}

TEST(MenuTable, AcceptedLinesOnly) {
  MenuTableType t;
  int n = MenuTable_Fill(Crlf({
                             "heading,1,1,K,V,1,1,h,/M/",
                             "A,1,1,K1,V,1,1,h,/M10/,BLK=001",
                             "eight,1,1,K,V,1,1,h",
                             ",1,1,K,V,1,1,h,/M/",
                             "empty level,,1,K,V,1,1,h,/M/",
                             "zero,0,1,K,V,1,1,h,/M/",
                             "eleven,11,1,K,V,1,1,h,/M/",
                             "ninety-nine,99,1,K,V,1,1,h,/M/",
                             "",
                             "\"B b\",10,7,K2,H,2,3,help,/M20/",
                         }),
                         t);
  ASSERT_EQ(n, 2);
  for (const auto& a : t) EXPECT_EQ(a.size(), 10u);  // one element per line of the file
  EXPECT_TRUE(t[0][0].empty());
  EXPECT_EQ(t[0][1], "A");
  EXPECT_EQ(t[9][1], "BLK=001");
  EXPECT_EQ(t[0][2], "B b");
  EXPECT_EQ(t[1][2], "10");
  EXPECT_EQ(t[2][2], "7");
  EXPECT_EQ(t[7][2], "help");
  EXPECT_TRUE(t[9][2].empty());  // exactly 9 fields
  EXPECT_TRUE(t[0][3].empty());
  EXPECT_EQ(MenuTable_Fill("", t), 0);
  EXPECT_TRUE(t[0].empty());
}

MenuTableType Levels(const std::vector<std::string>& levels) {
  MenuTableType t;
  for (auto& a : t) a.assign(levels.size() + 1, std::string());
  for (size_t i = 0; i < levels.size(); ++i) {
    t[0][i + 1] = std::string(1, static_cast<char>('A' + i));
    t[1][i + 1] = levels[i];
  }
  return t;
}

TEST(MenuTree, BuildAndPaths) {
  struct Row {
    std::vector<std::string> levels;
    int msg;
    std::vector<int> parents;  // per line; the nodes added
  } rows[] = {
      {{"1", "2", "3", "2", "1", "2"}, 0, {-1, 0, 1, 0, -1, 4}},
      // A level-3 line right after a level-1 one joins the last level-2 item,
      // under the earlier level-1 item.
      {{"1", "2", "1", "3"}, 0, {-1, 0, -1, 1}},
      {{"1", "3"}, 9312, {-1}},
      {{"2", "1"}, 9312, {}},
      {{"1", "2", "4"}, 9312, {-1, 0}},
      {{}, 0, {}},
  };
  for (const Row& r : rows) {
    MenuTableType t = Levels(r.levels);
    std::vector<MenuNode> nodes{{9, 9, 9}};
    EXPECT_EQ(MenuTree_Build(t, static_cast<int>(r.levels.size()), nodes), r.msg);
    std::vector<int> parents;
    for (const MenuNode& n : nodes) parents.push_back(n.parent);
    EXPECT_EQ(parents, r.parents);
  }

  const std::string j = "\x81\x7c";
  MenuTableType t = Levels({"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "1"});
  std::vector<MenuNode> nodes;
  ASSERT_EQ(MenuTree_Build(t, 11, nodes), 0);
  EXPECT_EQ(MenuTree_Path(t, nodes, 0), "A");
  EXPECT_EQ(MenuTree_Path(t, nodes, 2), "A" + j + "B" + j + "C");
  EXPECT_EQ(MenuTree_Path(t, nodes, 3), "A" + j + "B" + j + "C");  // level 4
  EXPECT_EQ(MenuTree_Path(t, nodes, 4), "A" + j + "B" + j + "C");  // level 5 under A-B-C-D
  EXPECT_EQ(MenuTree_Path(t, nodes, 8), "A" + j + "B" + j + "C");  // level 9
  EXPECT_EQ(MenuTree_Path(t, nodes, 9), "A" + j + "B" + j + "C" + j + "D" + j + "E" + j + "F");
  EXPECT_EQ(MenuTree_Path(t, nodes, 10), "K");
  EXPECT_EQ(MenuTree_Path(t, nodes, 11), "");
}

TEST(MenuTree, PageTypes) {
  for (int i = 0; i <= 7; ++i) EXPECT_EQ(MenuTree_PageType(std::to_string(i)), i);
  for (const char* bad : {"8", "-1", "", "01", " 1", "a"}) EXPECT_EQ(MenuTree_PageType(bad), -1) << bad;
}

// The sample Menu.csv: a tree of three levels, a leaf of every page type,
// each naming a section that the sample command files hold and the sample
// control file defines.
TEST(MenuTree, SampleMenuNamesSectionsOfTheSampleFiles) {
  const char* src = std::getenv("ORVO_SOURCE_DIR");
  ASSERT_NE(src, nullptr);
  const std::string sample = std::string(src) + "/sample/";
  std::string menu;
  ASSERT_TRUE(fsys::ReadFile(sample + "screens/Menu.csv", menu));
  EXPECT_EQ(menu.find("\r\n\r\n"), std::string::npos);
  for (size_t at = menu.find('\n'); at != std::string::npos; at = menu.find('\n', at + 1))
    EXPECT_EQ(menu[at - 1], '\r') << "CR LF line ends";

  ASSERT_EQ(ScreenTbl_Load(sample + "screens/Menu.csv"), 0);
  ASSERT_EQ(MenuTable_Load(sample + "screens/Menu.csv"), 0);
  std::vector<MenuNode> nodes;
  ASSERT_EQ(MenuTree_Build(MenuTable, MenuCount, nodes), 0);
  std::vector<bool> hasChild(nodes.size(), false);
  int deepest = 0;
  for (const MenuNode& n : nodes) {
    if (n.parent >= 0) hasChild[static_cast<size_t>(n.parent)] = true;
    deepest = std::max(deepest, n.level);
  }
  EXPECT_GE(deepest, 3);

  std::string control;
  ASSERT_TRUE(fsys::ReadFile(sample + "CONTROL.DAT", control));
  std::set<int> types;
  bool blank = false, withSub = false, withoutSub = false;
  for (size_t k = 0; k < nodes.size(); ++k) {
    const size_t i = static_cast<size_t>(nodes[k].index);
    if (MenuTable[0][i].find(' ') != std::string::npos) blank = true;
    if (hasChild[k]) continue;
    const std::string& key = MenuTable[3][i];
    int type = MenuTree_PageType(MenuTable[2][i]);
    ASSERT_GE(type, 0) << key;
    types.insert(type);
    ScreenRec rec = ScreenTbl_Find(key);
    ASSERT_FALSE(rec.Header.empty()) << key;
    (rec.SubHeader.empty() ? withoutSub : withSub) = true;
    EXPECT_NE(control.find("\r\n" + rec.Header), std::string::npos) << key << " in CONTROL.DAT";
    // Some sample command file holds the section (and its block).
    bool found = false;
    for (const char* cmd : {"data/Screens.CMD", "data/Initial.CMD"}) {
      SectList list;
      ASSERT_EQ(CmdSect_Read(sample + cmd, key, list, 1), 0);
      if (list.empty()) continue;
      EXPECT_EQ(list[0], rec.Header);
      if (!rec.SubHeader.empty() && (list.size() < 2 || list[1] != rec.SubHeader + ";")) continue;
      found = list.size() > (rec.SubHeader.empty() ? 1u : 2u);
      if (found) break;
    }
    EXPECT_TRUE(found) << key;
  }
  EXPECT_EQ(types, (std::set<int>{0, 1, 2, 3, 4, 5, 6, 7}));
  EXPECT_TRUE(blank) << "a quoted caption with a blank";
  EXPECT_TRUE(withSub);
  EXPECT_TRUE(withoutSub);
}

}  // namespace
