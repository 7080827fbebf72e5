// The pattern screens' rules: which cells make a pattern on either page
// type, spreading a pattern over its cells, and the check with the fill
// rule that turns the cells back into patterns.
#include "cmdfile/GPattern.h"

#include <gtest/gtest.h>

namespace {

using Strings = std::vector<std::string>;

TEST(PatternCells, OrderOnBothPageTypes) {
  std::vector<CellPos> two = GPattern_Cells2(14);
  ASSERT_EQ(two.size(), 14u);
  EXPECT_EQ(two[0], (CellPos{1, 0}));
  EXPECT_EQ(two[13], (CellPos{1, 13}));
  EXPECT_EQ(GPattern_Groups(two), 2);  // rows 12 and 13 are no pattern
  EXPECT_EQ(GPattern_Groups(GPattern_Cells2(5)), 0);

  // N = 2, M = 6: "H" makes row 1 pattern 1 and row 2 pattern 2; "V" makes
  // pattern 1 columns 1 to 3, two cells each, top to bottom.
  std::vector<CellPos> h = GPattern_Cells4({false, 2, 6});
  std::vector<CellPos> v = GPattern_Cells4({true, 2, 6});
  ASSERT_EQ(h.size(), 12u);
  ASSERT_EQ(v.size(), 12u);
  for (int k = 0; k < 6; ++k) {
    EXPECT_EQ(h[k], (CellPos{k + 1, 1}));
    EXPECT_EQ(h[6 + k], (CellPos{k + 1, 2}));
    EXPECT_EQ(v[k], (CellPos{k / 2 + 1, k % 2 + 1}));
  }
  EXPECT_EQ(GPattern_Groups(GPattern_Cells4({true, 3, 3})), 1);  // 9 cells: one pattern, 3 spare
}

std::string Column(const PageGrid& g, int from, int to) {
  std::string s;
  for (int r = from; r <= to; ++r) s += g.Cell(1, r) + (r < to ? " " : "");
  return s;
}

TEST(PatternSpread, SixCharactersOrSixSlashes) {
  struct Row {
    const char* what;
    std::string element;
    std::string cells;  // the six cells of pattern 1
  } rows[] = {
      {"a pattern", "1----0", "1 - - - - 0"},
      {"characters are not checked", "2x 1a9", "2 x   1 a 9"},
      {"two characters", "10", "/ / / / / /"},
      {"seven characters", "1010101", "/ / / / / /"},
      {"no value", "/", "/ / / / / /"},
      {"empty", "", "/ / / / / /"},
      {"six characters, one of two bytes, stays whole", "01\x91\x53-10", "0 1 \x91\x53 - 1 0"},
      {"six bytes of three double-byte characters", "\x91\x53\x91\x53\x91\x53", "/ / / / / /"},
  };
  for (const Row& r : rows) {
    PageGrid g;
    g.SetSize(2, 14);
    for (int row = 0; row < 14; ++row) g.SetCell(1, row, "old");
    GPattern_Spread({"/", r.element, "0-0-0-"}, GPattern_Cells2(14), g);
    EXPECT_EQ(Column(g, 0, 5), r.cells) << r.what;
    EXPECT_EQ(Column(g, 6, 11), "0 - 0 - 0 -") << r.what;
    EXPECT_EQ(Column(g, 12, 13), "/ /") << r.what;  // no pattern: always "/"
  }
  // Fewer elements than patterns: the rest shows "/".
  PageGrid g;
  g.SetSize(2, 12);
  GPattern_Spread({"/", "111111"}, GPattern_Cells2(12), g);
  EXPECT_EQ(Column(g, 0, 11), "1 1 1 1 1 1 / / / / / /");
}

TEST(PatternCollect, CheckFillAndGroups) {
  struct Row {
    const char* what;
    Strings column;  // rows 0 ..
    int msg;
    Strings elements;  // msg 0
    int failing;       // msg 9508
  } rows[] = {
      {"fill rule", {"1", "/", "/", "/", "/", "0", "/", "/", "/", "/", "/", "/"}, 0, {"/", "1----0", "/"}, 0},
      {"two patterns", {"0", "1", "-", "0", "1", "-", "/", "/", "1", "/", "/", "/"}, 0, {"/", "01-01-", "--1---"}, 0},
      {"all empty", {"/", "/", "/", "/", "/", "/"}, 0, {"/", "/"}, 0},
      {"rows past the last group are never read", {"1", "1", "1", "1", "1", "1", "2", "x"}, 0, {"/", "111111"}, 0},
      {"a 2", {"1", "1", "1", "2", "1", "1"}, 9508, {}, 3},
      {"two characters", {"1", "10", "1", "1", "1", "1"}, 9508, {}, 1},
      {"an empty cell", {"", "1", "1", "1", "1", "1"}, 9508, {}, 0},
      {"a blank after the character", {"1", "1", "1", "1", "1", "1 "}, 9508, {}, 5},
      {"the first failure of a later group", {"1", "1", "1", "1", "1", "1", "/", "a", "/", "b", "/", "/"}, 9508, {}, 7},
  };
  for (const Row& r : rows) {
    PageGrid g;
    g.SetSize(2, static_cast<int>(r.column.size()));
    for (size_t i = 0; i < r.column.size(); ++i) g.SetCell(1, static_cast<int>(i), r.column[i]);
    const PageGrid before = g;
    Strings elements = {"untouched"};
    int failing = -1;
    EXPECT_EQ(GPattern_Collect(g, GPattern_Cells2(g.RowCount()), elements, failing), r.msg) << r.what;
    if (r.msg == 0) {
      EXPECT_EQ(elements, r.elements) << r.what;
    } else {
      EXPECT_EQ(failing, r.failing) << r.what;
      EXPECT_EQ(elements, Strings{"untouched"}) << r.what;
    }
    for (int row = 0; row < g.RowCount(); ++row) EXPECT_EQ(g.Cell(1, row), before.Cell(1, row)) << r.what;
  }
}

TEST(PatternCollect, MatrixOrderSpreadsAndCollectsAlike) {
  for (bool vertical : {true, false}) {
    MatrixShape s{vertical, 2, 6};
    std::vector<CellPos> cells = GPattern_Cells4(s);
    PageGrid g;
    g.SetSize(s.Cols(), s.Rows());
    Strings patterns = {"/", "01-1-0", "/"};
    GPattern_Spread(patterns, cells, g);
    EXPECT_EQ(g.Cell(1, 1), "0");
    EXPECT_EQ(g.Cell(vertical ? 1 : 2, vertical ? 2 : 1), "1");
    Strings back;
    int failing = -1;
    ASSERT_EQ(GPattern_Collect(g, cells, back, failing), 0);
    EXPECT_EQ(back, patterns);
    // The failing index is the cell's place in the orientation's order.
    g.SetCell(2, 2, "9");
    EXPECT_EQ(GPattern_Collect(g, cells, back, failing), 9508);
    EXPECT_EQ(failing, vertical ? 3 : 7);
  }
}

}  // namespace
