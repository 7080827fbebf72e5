// The matrix screens' rules: the menu line's shape and its refusals, entry
// indexes in both orientations, labels and headings from the definition
// lines, and where a failing cell puts the grid.
#include "cmdfile/GMatrix.h"

#include <gtest/gtest.h>

#include <set>

namespace {

TEST(MatrixShape, MenuLineFieldsAndRefusals) {
  struct Row {
    const char *orient, *n, *m;
    int msg;
    bool vertical;
    int rows, cols;
  } rows[] = {
      {"V", "3", "2", 0, true, 3, 2},
      {"H", "3", "2", 0, false, 3, 2},
      {"V", "1", "1", 0, true, 1, 1},
      {"H", "99", "101", 0, false, 99, 101},  // 9999 cells: the last index of four digits
      {"H", "100", "100", 9312, false, 0, 0},
      {"X", "3", "2", 9312, false, 0, 0},
      {"v", "3", "2", 9312, false, 0, 0},
      {"", "3", "2", 9312, false, 0, 0},
      {"V", "0", "2", 9312, false, 0, 0},
      {"V", "3", "0", 9312, false, 0, 0},
      {"V", "-1", "2", 9312, false, 0, 0},
      {"V", "", "2", 9312, false, 0, 0},
      {"V", "3x", "2", 9312, false, 0, 0},
      {"V", "3", "99999999999", 9312, false, 0, 0},
  };
  for (const Row& r : rows) {
    MatrixShape s;
    s.n = -7;  // untouched on a refusal
    EXPECT_EQ(GMatrix_Shape(r.orient, r.n, r.m, s), r.msg) << r.orient << " " << r.n << " " << r.m;
    if (r.msg != 0) {
      EXPECT_EQ(s.n, -7);
      continue;
    }
    EXPECT_EQ(s.vertical, r.vertical);
    EXPECT_EQ(s.n, r.rows);
    EXPECT_EQ(s.m, r.cols);
  }
}

TEST(MatrixIndex, BothOrientationsAndTheirInverse) {
  // N = 3, M = 2: column 2, row 1 is 4 in "V" and 2 in "H".
  MatrixShape v{true, 3, 2}, h{false, 3, 2};
  struct Row {
    int col, row, kv, kh;
  } rows[] = {
      {1, 1, 1, 1}, {1, 2, 2, 3}, {1, 3, 3, 5}, {2, 1, 4, 2}, {2, 2, 5, 4}, {2, 3, 6, 6},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(GMatrix_Index(v, r.col, r.row), r.kv) << r.col << "," << r.row;
    EXPECT_EQ(GMatrix_Index(h, r.col, r.row), r.kh) << r.col << "," << r.row;
  }
  for (MatrixShape s : {v, h, MatrixShape{true, 7, 5}, MatrixShape{false, 7, 5}, MatrixShape{true, 1, 4}}) {
    std::set<std::pair<int, int>> seen;
    for (int k = 1; k <= s.Count(); ++k) {
      int c = 0, r = 0;
      GMatrix_CellOf(s, k, c, r);
      EXPECT_GE(c, 1);
      EXPECT_LE(c, s.m);
      EXPECT_GE(r, 1);
      EXPECT_LE(r, s.n);
      EXPECT_EQ(GMatrix_Index(s, c, r), k);
      seen.insert({c, r});
    }
    EXPECT_EQ(seen.size(), static_cast<size_t>(s.Count()));
  }
}

std::vector<std::vector<std::string>> Lines(int count) {
  std::vector<std::vector<std::string>> out;
  for (int i = 1; i <= count; ++i)
    out.push_back({"x", "y", "L" + std::to_string(i), "H" + std::to_string(i)});
  return out;
}

// The heading row and the label column of a grid, read back.
std::string Frame(const PageGrid& g) {
  std::string s;
  for (int c = 1; c < g.ColCount(); ++c) s += g.Cell(c, 0) + " ";
  s += "|";
  for (int r = 1; r < g.RowCount(); ++r) s += " " + g.Cell(0, r);
  return s;
}

TEST(MatrixPlace, LabelsHeadingsAndTheLineCount) {
  struct Row {
    const char* what;
    MatrixShape s;
    int lines;
    int msg;
    const char* frame;
  } rows[] = {
      {"V labels rows from lines 1-N, heads columns by their first line", {true, 3, 2}, 6, 0, "H1 H4 | L1 L2 L3"},
      {"H heads columns from lines 1-M, labels rows by their first line", {false, 3, 2}, 6, 0, "H1 H2 | L1 L3 L5"},
      {"one value row in V heads every column", {true, 1, 3}, 3, 0, "H1 H2 H3 | L1"},
      {"one value column in H labels every row", {false, 3, 1}, 3, 0, "H1 | L1 L2 L3"},
      {"N x M - 1 lines", {true, 3, 2}, 5, 9311, "H1 H4 | L1 L2 L3"},
      {"N x M + 1 lines", {false, 3, 2}, 7, 9311, "H1 H2 | L1 L3 L5"},
      {"no lines", {true, 3, 2}, 0, 9311, "  |   "},
  };
  for (const Row& r : rows) {
    PageGrid g;
    g.SetSize(r.s.Cols(), r.s.Rows());
    EXPECT_EQ(GMatrix_Place(r.s, Lines(r.lines), g), r.msg) << r.what;
    EXPECT_EQ(Frame(g), r.frame) << r.what;
  }
  // A line of fewer fields gives what it has: empty label or heading.
  MatrixShape s{true, 2, 1};
  PageGrid g;
  g.SetSize(s.Cols(), s.Rows());
  EXPECT_EQ(GMatrix_Place(s, {{"a", "b", "only label"}, {"a", "b", "", "late"}}, g), 0);
  EXPECT_EQ(Frame(g), " | only label ");
}

TEST(MatrixCells, GridToCellsAndBackInIndexOrder) {
  for (bool vertical : {true, false}) {
    MatrixShape s{vertical, 3, 2};
    PageGrid g;
    g.SetSize(s.Cols(), s.Rows());
    g.SetCell(0, 1, "label");
    for (int c = 1; c <= 2; ++c)
      for (int r = 1; r <= 3; ++r) g.SetCell(c, r, std::to_string(c * 10 + r));
    std::vector<std::string> cells = GMatrix_GridCells(s, g);
    ASSERT_EQ(cells.size(), 7u);
    EXPECT_EQ(cells[0], "/");
    EXPECT_EQ(cells[4], vertical ? "21" : "22");  // V: column 2 row 1; H: row 2 column 2
    PageGrid back;
    back.SetSize(s.Cols(), s.Rows());
    GMatrix_ShowCells(s, cells, back);
    for (int c = 1; c <= 2; ++c)
      for (int r = 1; r <= 3; ++r) EXPECT_EQ(back.Cell(c, r), g.Cell(c, r));
    EXPECT_EQ(back.Cell(0, 1), "");  // labels are not values
    // An array that holds fewer elements shows "/" in the rest.
    GMatrix_ShowCells(s, {"/", "a"}, back);
    int c, r;
    GMatrix_CellOf(s, 1, c, r);
    EXPECT_EQ(back.Cell(c, r), "a");
    GMatrix_CellOf(s, 6, c, r);
    EXPECT_EQ(back.Cell(c, r), "/");
  }
}

TEST(MatrixView, FailingCellLimits) {
  struct Row {
    const char* what;
    int col, row, cols, rows;
    MatrixView view;
  } rows[] = {
      {"40 rows, 4 columns: row 23 on top", 3, 40, 4, 41, {3, 40, 2, 23}},
      {"40 rows, 3 columns: one row more", 2, 40, 3, 41, {2, 40, 1, 22}},
      {"a row within the limit goes on top", 1, 10, 4, 41, {1, 10, 1, 10}},
      {"a small grid never goes above row 1", 2, 3, 4, 4, {2, 3, 2, 1}},
      {"one value column: left stays 1", 1, 2, 2, 5, {1, 2, 1, 1}},
      {"last column of many", 9, 1, 10, 2, {9, 1, 8, 1}},
  };
  for (const Row& r : rows) EXPECT_EQ(GMatrix_ViewFor(r.col, r.row, r.cols, r.rows), r.view) << r.what;
}

TEST(MatrixCheck, FirstFailingElementInIndexOrder) {
  std::vector<std::string> cells = {"/", "1", "2", "3", "bad", "5", "bad"};
  std::vector<std::string> asked;
  auto check = [&](const std::string& v) {
    asked.push_back(v);
    return v != "bad";
  };
  MatrixView fail;
  EXPECT_FALSE(GMatrix_Check({true, 3, 2}, cells, check, fail));
  EXPECT_EQ(fail, (MatrixView{2, 1, 1, 1}));  // element 4: V column 2, row 1
  EXPECT_EQ(asked, (std::vector<std::string>{"1", "2", "3", "bad"}));  // element 0 is not checked
  EXPECT_FALSE(GMatrix_Check({false, 3, 2}, cells, check, fail));
  EXPECT_EQ(fail, (MatrixView{2, 2, 1, 1}));  // element 4: H row 2, column 2
  cells[4] = cells[6] = "/";
  EXPECT_TRUE(GMatrix_Check({false, 3, 2}, cells, check, fail));
}

}  // namespace
