// Screen-definition files and the type-1 page's cells: the split with its
// blanks, the kept lines, the file failures, and section round trips with
// and without a sub-header.
#include "cmdfile/ScreenDef.h"

#include <gtest/gtest.h>

#include "cmdfile/G_P1_Cells.h"
#include "platform/FileSys.h"
#include "tests/support/TempDir.h"

namespace {

using Fields = std::vector<std::string>;

TEST(ScreenDefSplit, BlanksStayTabsEndQuotesHold) {
  struct Row {
    std::string line;
    Fields fields;
  } rows[] = {
      {"1,1,保留 時間,秒", {"1", "1", "保留 時間", "秒"}},
      {"  1 , 1 ,a", {"  1 ", " 1 ", "a"}},         // blanks around fields are field text
      {"1,1,a\tb", {"1", "1", "a", "b"}},          // a tab ends an unquoted field
      {"1,1,\"a, b\",c", {"1", "1", "a, b", "c"}},  // quotes hold commas and blanks
      {"1,1,\"say \"\"hi\"\"\"", {"1", "1", "say \"hi\""}},
      {"1,,x,", {"1", "", "x"}},                    // a trailing comma adds no field
      {"1,1", {"1", "1"}},
      {"", {}},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(Screen_DefSplit(r.line), r.fields) << r.line;
  }
}

TEST(ScreenDefKeep, FieldCountAndEmptyLabels) {
  struct Row {
    Fields f;
    size_t min;
    bool kept;
  } rows[] = {
      {{"1", "1", "label"}, 3, true},
      {{"1", "1"}, 3, false},              // two fields
      {{"1", "1", "", "x"}, 3, true},      // empty label, field 3 set
      {{"1", "1", "", ""}, 3, false},
      {{"1", "1", ""}, 3, false},
      {{"1", "1", "label"}, 4, false},     // matrix pages need four
      {{"1", "1", "", "head"}, 4, true},
      {{"1", "1", "row", ""}, 4, true},
  };
  for (const Row& r : rows) EXPECT_EQ(Screen_DefKeep(r.f, r.min), r.kept) << r.f.size();
}

class ScreenDefFile : public ::testing::Test {
 protected:
  std::string Write(std::string_view name, std::initializer_list<std::string_view> lines) {
    return dir.Write(name, SjisLines(lines));
  }
  TempDir dir;
};

TEST_F(ScreenDefFile, HeadingsSkippedLinesFilteredNameFoundIgnoringCase) {
  Write("sys001.csv", {"見出し,1", "", "三行目,,,", "4", "1,1,保留 時間,秒", "メモ,二項目", "2,1,,予備",
                       "3,1,\"転送, 時間\"", "4,1,", "5,1,夜間\t切替"});
  std::vector<ScreenDefLine> lines;
  ASSERT_EQ(Screen_Def(dir.path(), "SYS001", 3, lines), 0);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0][2], Sjis("保留 時間"));
  EXPECT_EQ(lines[1][2], "");
  EXPECT_EQ(lines[1][3], Sjis("予備"));
  EXPECT_EQ(lines[2][2], Sjis("転送, 時間"));
  EXPECT_EQ(lines[3][2], Sjis("夜間"));
  EXPECT_EQ(lines[3][3], Sjis("切替"));
}

TEST_F(ScreenDefFile, MissingUnopenableAndHeadingOnly) {
  std::vector<ScreenDefLine> lines{{"stale"}};
  EXPECT_EQ(Screen_Def(dir.path(), "NONE", 3, lines), 9304);
  EXPECT_TRUE(lines.empty());
  // A folder of that name is no file.
  dir.Write("DIRKEY.CSV/x", "");
  EXPECT_EQ(Screen_Def(dir.path(), "DIRKEY", 3, lines), 9304);
  // Headings only, or a damaged file with no usable line: read, but empty.
  Write("HEAD.CSV", {"a", "b", "c", "d"});
  EXPECT_EQ(Screen_Def(dir.path(), "HEAD", 3, lines), 0);
  EXPECT_TRUE(lines.empty());
  dir.Write("BIN.CSV", std::string("\x00\x01\x02\r\n\xff\xfe,,\r\n", 10));
  EXPECT_EQ(Screen_Def(dir.path(), "BIN", 3, lines), 0);
  EXPECT_TRUE(lines.empty());
  // A last line without its line end counts.
  dir.Write("LAST.CSV", "1\r\n2\r\n3\r\n4\r\n1,1,a\r\n2,1,b");
  EXPECT_EQ(Screen_Def(dir.path(), "LAST", 3, lines), 0);
  EXPECT_EQ(lines.size(), 2u);
}

// ---------------------------------------------------------- type-1 cells

TEST(G_P1Cells, SectionRoundTripsKeepEveryEntry) {
  struct Row {
    const char* what;
    ScreenRec rec;
    SectList read;   // as CmdSect_Read gives it
    SectList built;  // what Register writes back unchanged
  } rows[] = {
      {"no sub-header: the first entry is line 1",
       {"K", "", 0, 0, "/M61/", ""},
       {"/M61/", "0001=1>2>3;", "0005=9;"},
       {"/M61/", "0001=1>2>3;", "0005=9;"}},
      {"sub-header line written, blank before the block dropped",
       {"K", "", 0, 0, "/M10/", "BLK=001"},
       {"/M10/", "", "BLK=001;", "0001=30>60>90;0004=5;", "0010=1>0>1>1;"},
       {"/M10/", "BLK=001;", "0001=30>60>90>5;", "0010=1>0>1>1;"}},
      {"an empty section: header and sub-header line, no entry invented",
       {"K", "", 0, 0, "/M10/", "BLK=001"},
       {},
       {"/M10/", "BLK=001;"}},
      {"entries past the last row are not kept",
       {"K", "", 0, 0, "/M61/", ""},
       {"/M61/", "0013=1>2>3;", "0020=5;"},
       {"/M61/", "0013=1;"}},
  };
  for (Row& r : rows) {
    PageGrid g;
    g.SetSize(2, 13);
    G_P1_ShowCells(G_P1_ReadCells(r.read, r.rec.SubHeader, g.RowCount()), g);
    EXPECT_EQ(G_P1_BuildList(r.rec, G_P1_GridCells(g)), r.built) << r.what;
  }
}

TEST(G_P1Cells, RunsAndUnsetRows) {
  PageGrid g;
  g.SetSize(2, 6);
  G_P1_ShowCells(G_P1_ReadCells({"/S/"}, "", 6), g);
  for (int r = 0; r < 6; ++r) EXPECT_EQ(g.Cell(1, r), "/");
  for (auto [row, v] : std::vector<std::pair<int, std::string>>{{0, "1"}, {1, "2"}, {2, "3"}, {4, "9"}})
    g.SetCell(1, row, v);
  EXPECT_EQ(G_P1_GridCells(g), (CellArray{"/", "1", "2", "3", "/", "9", "/"}));
  EXPECT_EQ(G_P1_BuildList({"K", "", 0, 0, "/S/", ""}, G_P1_GridCells(g)),
            (SectList{"/S/", "0001=1>2>3;", "0005=9;"}));
}

}  // namespace
