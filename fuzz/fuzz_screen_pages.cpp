// Any section list through the key-table, matrix and pattern grids: what a
// page writes reads back to the same grid, and a pattern grid that passed
// its check passes again unchanged.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "cmdfile/GSectCells.h"
#include "cmdfile/TextLines.h"

namespace {

ScreenRec Rec(const char* header, const char* sub) {
  ScreenRec r;
  r.Header = header;
  r.SubHeader = sub;
  return r;
}

bool SameCells(const PageGrid& a, const PageGrid& b) {
  for (int r = 0; r < a.RowCount(); ++r)
    for (int c = 1; c < a.ColCount(); ++c)
      if (a.Cell(c, r) != b.Cell(c, r)) return false;
  return true;
}

void Matrix(const SectList& list, const MatrixShape& s) {
  PageGrid g, again;
  g.SetSize(s.Cols(), s.Rows());
  again.SetSize(s.Cols(), s.Rows());
  G_P3_ShowSection(list, "BLK=001", s, g);
  SectList out = G_P3_BuildList(Rec("/M10/", "BLK=001"), s, g);
  G_P3_ShowSection(out, "BLK=001", s, again);
  if (!SameCells(g, again)) __builtin_trap();
}

void Pattern(const SectList& list, const std::vector<CellPos>& cells, int cols, int rows, int pageType) {
  PageGrid g;
  g.SetSize(cols, rows);
  GPattern_ShowSection(list, "", cells, g);
  SectList out;
  int failing = -1;
  if (GPattern_BuildList(Rec("/M20/", ""), pageType, cells, g, out, failing) != 0) {
    if (failing < 0 || static_cast<size_t>(failing) >= cells.size()) __builtin_trap();
    return;
  }
  PageGrid again;
  again.SetSize(cols, rows);
  GPattern_ShowSection(out, "", cells, again);
  SectList twice;
  if (GPattern_BuildList(Rec("/M20/", ""), pageType, cells, again, twice, failing) != 0) __builtin_trap();
  if (twice != out) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const SectList list = TextLines_Split(std::string_view(reinterpret_cast<const char*>(data), size));

  std::vector<std::string> keys = GKey_Read(list);
  if (keys.size() != static_cast<size_t>(kKeyRows)) __builtin_trap();
  if (GKey_Read(GKey_Build("/M01/", "", keys)) != keys) __builtin_trap();

  Matrix(list, {true, 3, 2});
  Matrix(list, {false, 4, 5});
  Pattern(list, GPattern_Cells2(14), 2, 14, 2);
  Pattern(list, GPattern_Cells4({true, 3, 5}), 6, 4, 4);
  return 0;
}
