#include "cmdfile/G_P1_Cells.h"

#include <algorithm>

CellArray G_P1_ReadCells(const SectList& list, std::string_view subHeader, int rows) {
  CellArray cells(static_cast<size_t>(std::max(rows, 0)) + 1, "/");
  for (const std::string& line : GPage_EntryLines(list, subHeader)) DataLine_Parse(line, cells, rows);
  return cells;
}

CellArray G_P1_GridCells(const PageGrid& g) {
  CellArray cells{"/"};
  for (int r = 0; r < g.RowCount(); ++r) cells.push_back(g.Cell(1, r));
  return cells;
}

void G_P1_ShowCells(const CellArray& cells, PageGrid& g) {
  for (int r = 0; r < g.RowCount(); ++r) {
    size_t i = static_cast<size_t>(r) + 1;
    g.SetCell(1, r, i < cells.size() ? cells[i] : std::string("/"));
  }
}

SectList G_P1_BuildList(const ScreenRec& rec, const CellArray& cells) {
  SectList list = GPage_ListHead(rec.Header, rec.SubHeader);
  DataLine_Build(list, 4, cells, 1, static_cast<int>(cells.size()) - 1);
  return list;
}
