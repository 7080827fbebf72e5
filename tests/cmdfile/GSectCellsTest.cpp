// Sections through the grids of the matrix, pattern and key-table screens
// and back: nothing lost, nothing invented, the pattern runs cut at 70
// characters, and a failed pattern check writing nothing.
#include "cmdfile/GSectCells.h"

#include <gtest/gtest.h>

namespace {

using Strings = std::vector<std::string>;

ScreenRec Rec(const char* header, const char* sub) {
  ScreenRec r;
  r.Header = header;
  r.SubHeader = sub;
  return r;
}

// The values a section sets, by index, as the pages read them.
CellArray Cells(const SectList& list, const char* sub, int last) {
  CellArray c(static_cast<size_t>(last) + 1, "/");
  for (const std::string& l : GPage_EntryLines(list, sub)) DataLine_Parse(l, c, last);
  return c;
}

TEST(MatrixSection, RoundTripInBothOrientations) {
  struct Row {
    const char* what;
    bool vertical;
    const char* sub;
    SectList in;
    SectList out;  // empty: as in
  } rows[] = {
      {"V, one run", true, "BLK=002", {"/M10/", "BLK=002;", "0001=10>20>30>15>25>35;"}, {}},
      {"H, one run", false, "BLK=003", {"/M10/", "BLK=003;", "0001=5>3>6>2>7>1;"}, {}},
      {"runs with gaps and an empty value", true, "BLK=002", {"/M10/", "BLK=002;", "0001=1;", "0003=>4;", "0006=6;"}, {}},
      {"entries of one line come back one run a line", false, "", {"/M61/", "0002=2;0005=5>6;"},
       {"/M61/", "0002=2;", "0005=5>6;"}},
      {"indexes past the matrix are not kept", true, "", {"/M61/", "0006=6>7;0009=9;"}, {"/M61/", "0006=6;"}},
      {"an empty section", true, "", {"/M61/"}, {}},
  };
  for (const Row& r : rows) {
    MatrixShape s{r.vertical, 3, 2};
    PageGrid g;
    g.SetSize(s.Cols(), s.Rows());
    G_P3_ShowSection(r.in, r.sub, s, g);
    SectList out = G_P3_BuildList(Rec(r.in[0].c_str(), r.sub), s, g);
    EXPECT_EQ(out, r.out.empty() ? r.in : r.out) << r.what;
  }
  // The cell that shows entry 4: column 2, row 1 in V; row 2, column 2 in H.
  for (bool vertical : {true, false}) {
    MatrixShape s{vertical, 3, 2};
    PageGrid g;
    g.SetSize(s.Cols(), s.Rows());
    G_P3_ShowSection({"/M10/", "0004=x;"}, "", s, g);
    EXPECT_EQ(g.Cell(2, vertical ? 1 : 2), "x");
    EXPECT_EQ(g.Cell(1, 1), "/");
  }
}

TEST(PatternSection, RoundTripOnBothPageTypes) {
  struct Row {
    const char* what;
    int pageType;
    const char* sub;
    SectList in;
    SectList out;  // empty: as in
  } rows[] = {
      {"type 2, two patterns", 2, "LEN=03", {"/M20/", "LEN=03;", "0001-*=1----0>01-011;"}, {}},
      {"type 4, two patterns", 4, "LEN=04", {"/M20/", "LEN=04;", "0001-*=010101>-1-1-1;"}, {}},
      {"type 2, the second pattern alone", 2, "", {"/M20/", "0002-*=111111;"}, {}},
      {"a value of two characters is no pattern", 2, "", {"/M20/", "0001-*=10>000000;"}, {"/M20/", "0002-*=000000;"}},
      {"a plain entry gives its pattern too", 4, "", {"/M20/", "0001=0-0-0-;"}, {"/M20/", "0001-*=0-0-0-;"}},
      {"no third pattern to keep", 2, "", {"/M20/", "0003-*=111111;"}, {"/M20/"}},
  };
  for (const Row& r : rows) {
    // Type 2: 14 rows (two patterns and two spare rows); type 4: 2 x 6.
    std::vector<CellPos> cells = r.pageType == 2 ? GPattern_Cells2(14) : GPattern_Cells4({false, 2, 6});
    PageGrid g;
    g.SetSize(r.pageType == 2 ? 2 : 7, r.pageType == 2 ? 14 : 3);
    GPattern_ShowSection(r.in, r.sub, cells, g);
    SectList out{"untouched"};
    int failing = -1;
    ASSERT_EQ(GPattern_BuildList(Rec(r.in[0].c_str(), r.sub), r.pageType, cells, g, out, failing), 0) << r.what;
    EXPECT_EQ(out, r.out.empty() ? r.in : r.out) << r.what;
  }
}

TEST(PatternSection, FillRuleNinePerLineAndARefusedCell) {
  // Rows 0 to 5: 1, four "/", 0 -> 0001-*=1----0;
  PageGrid g;
  g.SetSize(2, 12);
  std::vector<CellPos> cells = GPattern_Cells2(12);
  GPattern_Spread({}, cells, g);
  g.SetCell(1, 0, "1");
  g.SetCell(1, 5, "0");
  SectList list;
  int failing = -1;
  ASSERT_EQ(GPattern_BuildList(Rec("/M20/", ""), 2, cells, g, list, failing), 0);
  EXPECT_EQ(list, (Strings{"/M20/", "0001-*=1----0;"}));
  EXPECT_EQ(g.Cell(1, 1), "/");  // the grid keeps its "/"

  // Ten patterns: nine fill a line of exactly 70 characters.
  PageGrid ten;
  ten.SetSize(2, 60);
  std::vector<CellPos> c10 = GPattern_Cells2(60);
  for (int r = 0; r < 60; ++r) ten.SetCell(1, r, r % 2 ? "1" : "0");
  ASSERT_EQ(GPattern_BuildList(Rec("/M20/", "LEN=05"), 2, c10, ten, list, failing), 0);
  ASSERT_EQ(list.size(), 4u);
  EXPECT_EQ(list[1], "LEN=05;");
  EXPECT_EQ(list[2].size(), 70u);
  EXPECT_EQ(list[2].substr(0, 14), "0001-*=010101>");
  EXPECT_EQ(list[3], "0010-*=010101;");
  CellArray all(11, "010101");
  all[0] = "/";
  EXPECT_EQ(Cells(list, "LEN=05", 10), all);

  // A "2" anywhere stops the build before a list exists.
  ten.SetCell(1, 37, "2");
  SectList kept{"kept"};
  EXPECT_EQ(GPattern_BuildList(Rec("/M20/", ""), 2, c10, ten, kept, failing), 9508);
  EXPECT_EQ(failing, 37);
  EXPECT_EQ(kept, Strings{"kept"});
}

TEST(KeySection, RoundTripWritesOneEntryALine) {
  PageGrid g;
  g.SetSize(2, kKeyRows);
  SectList in{"/M01/", "SIZE=2;FS-101=01;", "fs-102=02;OP-113=10;", "FS-101=99;", "FS-201=03; OP-214=11;", "OP-614=;"};
  G_P0_ShowSection(in, g);
  EXPECT_EQ(g.Cell(1, 1), "01");   // the first FS-101 wins
  EXPECT_EQ(g.Cell(1, 28), "/");   // OP-214 stands after a blank
  EXPECT_EQ(g.Cell(1, 84), "");
  EXPECT_EQ(G_P0_BuildList(Rec("/M01/", ""), g),
            (SectList{"/M01/", "SIZE=2;", "FS-101=01;", "FS-102=02;", "OP-113=10;", "FS-201=03;", "OP-614=;"}));
  // What it writes reads back unchanged.
  SectList again = G_P0_BuildList(Rec("/M01/", ""), g);
  PageGrid h;
  h.SetSize(2, kKeyRows);
  G_P0_ShowSection(again, h);
  EXPECT_EQ(G_P0_Values(h), G_P0_Values(g));
}

}  // namespace
