#include "cmdfile/GMatrix.h"

#include <algorithm>
#include <charconv>

namespace {

bool WholeNumber(std::string_view t, int& v) {
  if (t.empty()) return false;
  const char* end = t.data() + t.size();
  auto [p, ec] = std::from_chars(t.data(), end, v);
  return ec == std::errc() && p == end;
}

const std::string& Field(const std::vector<std::string>& f, size_t i) {
  static const std::string empty;
  return i < f.size() ? f[i] : empty;
}

}  // namespace

int GMatrix_Shape(std::string_view orientation, std::string_view n, std::string_view m, MatrixShape& out) {
  MatrixShape s;
  if (orientation == "V") s.vertical = true;
  else if (orientation == "H") s.vertical = false;
  else return 9312;
  if (!WholeNumber(n, s.n) || !WholeNumber(m, s.m)) return 9312;
  if (s.n < 1 || s.m < 1) return 9312;
  if (static_cast<long long>(s.n) * s.m > kMatrixMaxCells) return 9312;
  out = s;
  return 0;
}

int GMatrix_Index(const MatrixShape& s, int col, int row) {
  return s.vertical ? (col - 1) * s.n + row : (row - 1) * s.m + col;
}

void GMatrix_CellOf(const MatrixShape& s, int k, int& col, int& row) {
  if (s.vertical) {
    col = (k - 1) / s.n + 1;
    row = (k - 1) % s.n + 1;
  } else {
    row = (k - 1) / s.m + 1;
    col = (k - 1) % s.m + 1;
  }
}

int GMatrix_Place(const MatrixShape& s, const std::vector<std::vector<std::string>>& kept, PageGrid& g) {
  // The first line of each column ("V") or row ("H") carries its heading or
  // label. Counted as (i - 1) mod N = 0 rather than i mod N = 1, so that a
  // one-row or one-column matrix is headed as well.
  // Lines past N x M describe no cell.
  const size_t used = std::min(kept.size(), static_cast<size_t>(s.Count()));
  for (size_t n = 0; n < used; ++n) {
    const int i = static_cast<int>(n) + 1;
    const std::vector<std::string>& f = kept[n];
    if (s.vertical) {
      if (i <= s.n) g.SetCell(0, i, Field(f, 2));
      if ((i - 1) % s.n == 0) g.SetCell((i - 1) / s.n + 1, 0, Field(f, 3));
    } else {
      if (i <= s.m) g.SetCell(i, 0, Field(f, 3));
      if ((i - 1) % s.m == 0) g.SetCell(0, (i - 1) / s.m + 1, Field(f, 2));
    }
  }
  return kept.size() == static_cast<size_t>(s.Count()) ? 0 : 9311;
}

std::vector<std::string> GMatrix_GridCells(const MatrixShape& s, const PageGrid& g) {
  std::vector<std::string> cells(static_cast<size_t>(s.Count()) + 1, "/");
  for (int k = 1; k <= s.Count(); ++k) {
    int c, r;
    GMatrix_CellOf(s, k, c, r);
    cells[k] = g.Cell(c, r);
  }
  return cells;
}

void GMatrix_ShowCells(const MatrixShape& s, const std::vector<std::string>& cells, PageGrid& g) {
  for (int k = 1; k <= s.Count(); ++k) {
    int c, r;
    GMatrix_CellOf(s, k, c, r);
    g.SetCell(c, r, static_cast<size_t>(k) < cells.size() ? cells[k] : "/");
  }
}

MatrixView GMatrix_ViewFor(int col, int row, int cols, int rows) {
  MatrixView v;
  v.col = col;
  v.row = row;
  v.left = std::max(std::min(col, cols - 2), 1);
  v.top = std::max(std::min(row, rows - (cols <= 3 ? 19 : 18)), 1);
  return v;
}

bool GMatrix_Check(const MatrixShape& s, const std::vector<std::string>& cells,
                   const std::function<bool(const std::string&)>& check, MatrixView& fail) {
  for (int k = 1; k <= s.Count(); ++k) {
    const std::string& v = static_cast<size_t>(k) < cells.size() ? cells[k] : std::string("/");
    if (check(v)) continue;
    int c, r;
    GMatrix_CellOf(s, k, c, r);
    fail = GMatrix_ViewFor(c, r, s.Cols(), s.Rows());
    return false;
  }
  return true;
}
