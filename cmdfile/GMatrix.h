// The matrix of the setting screens of types 3 and 4: N value rows and M
// value columns under a heading row and beside a label column, the entry
// index of each cell in the menu line's orientation, the labels and headings
// of the screen definition, and where the grid goes to show a failing cell.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "cmdfile/GPage.h"

// A matrix as the menu line gives it.
struct MatrixShape {
  bool vertical = true;  // "V": indexes run down each column; "H": along each row
  int n = 1;             // value rows
  int m = 1;             // value columns
  int Count() const { return n * m; }
  int Cols() const { return m + 1; }  // grid columns, label column included
  int Rows() const { return n + 1; }  // grid rows, heading row included
};

// The highest entry index a four-digit index field can hold: a larger
// matrix would write entries the section cannot carry.
constexpr int kMatrixMaxCells = 9999;

// The shape from the menu line's orientation, N and M (decimal texts).
// 0, or 9312 when the orientation is neither "V" nor "H", N or M is not a
// whole number of at least 1, or N x M exceeds kMatrixMaxCells.
int GMatrix_Shape(std::string_view orientation, std::string_view n, std::string_view m, MatrixShape& out);

// Entry index (1 .. N x M) of the value cell in grid column c, row r (both
// from 1).
int GMatrix_Index(const MatrixShape& s, int col, int row);
// The grid cell of entry index k (1 .. N x M).
void GMatrix_CellOf(const MatrixShape& s, int k, int& col, int& row);

// The screen definition's kept lines (their fields) into the heading row
// and the label column of g, which has the shape's size. Line i (from 1)
// describes entry index i: "V": lines 1 .. N label the rows (field 2), the
// first line of each column heads it (field 3); "H": lines 1 .. M head the
// columns, the first line of each row labels it. 0, or 9311 when the number
// of lines is not N x M.
int GMatrix_Place(const MatrixShape& s, const std::vector<std::vector<std::string>>& kept, PageGrid& g);

// The value cells as a cell array of N x M + 1 elements, element 0 "/",
// element k the cell of entry index k; and back, every value cell set from
// its element ("/" for an element the array does not hold).
std::vector<std::string> GMatrix_GridCells(const MatrixShape& s, const PageGrid& g);
void GMatrix_ShowCells(const MatrixShape& s, const std::vector<std::string>& cells, PageGrid& g);

// Where the grid scrolls to show the failing cell (col, row) of a grid of
// cols x rows: the cell as left column and top row, but the left column at
// most cols - 2 and the top row at most rows - 18 (rows - 19 when the grid
// has 3 columns or fewer), neither below 1.
struct MatrixView {
  int col = 1, row = 1;     // the cursor
  int left = 1, top = 1;    // the first visible value column and row
  bool operator==(const MatrixView&) const = default;
};
MatrixView GMatrix_ViewFor(int col, int row, int cols, int rows);

// Checks elements 1 .. N x M in index order with check (which shows its own
// message); true when all pass, else false with the view of the first
// failing element.
bool GMatrix_Check(const MatrixShape& s, const std::vector<std::string>& cells,
                   const std::function<bool(const std::string&)>& check, MatrixView& fail);
