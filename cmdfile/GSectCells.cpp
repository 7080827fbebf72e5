#include "cmdfile/GSectCells.h"

namespace {

constexpr int kIndexWidth = 4;

CellArray ParseCells(const SectList& list, std::string_view subHeader, int last) {
  CellArray cells(static_cast<size_t>(last) + 1, "/");
  for (const std::string& line : GPage_EntryLines(list, subHeader)) DataLine_Parse(line, cells, last);
  return cells;
}

}  // namespace

void G_P3_ShowSection(const SectList& list, std::string_view subHeader, const MatrixShape& s, PageGrid& g) {
  GMatrix_ShowCells(s, ParseCells(list, subHeader, s.Count()), g);
}

SectList G_P3_BuildList(const ScreenRec& rec, const MatrixShape& s, const PageGrid& g) {
  SectList list = GPage_ListHead(rec.Header, rec.SubHeader);
  DataLine_Build(list, kIndexWidth, GMatrix_GridCells(s, g), 3, s.Count());
  return list;
}

void GPattern_ShowSection(const SectList& list, std::string_view subHeader, const std::vector<CellPos>& cells,
                          PageGrid& g) {
  GPattern_Spread(ParseCells(list, subHeader, GPattern_Groups(cells)), cells, g);
}

int GPattern_BuildList(const ScreenRec& rec, int pageType, const std::vector<CellPos>& cells, const PageGrid& g,
                       SectList& list, int& failing) {
  CellArray elements;
  if (int msg = GPattern_Collect(g, cells, elements, failing)) return msg;
  list = GPage_ListHead(rec.Header, rec.SubHeader);
  DataLine_Build(list, kIndexWidth, elements, pageType, GPattern_Groups(cells));
  return 0;
}

void G_P0_ShowSection(const SectList& list, PageGrid& g) {
  std::vector<std::string> values = GKey_Read(list);
  for (int r = 0; r < kKeyRows; ++r) g.SetCell(1, r, values[r]);
}

std::vector<std::string> G_P0_Values(const PageGrid& g) {
  std::vector<std::string> values;
  for (int r = 0; r < kKeyRows; ++r) values.push_back(g.Cell(1, r));
  return values;
}

SectList G_P0_BuildList(const ScreenRec& rec, const PageGrid& g) {
  return GKey_Build(rec.Header, rec.SubHeader, G_P0_Values(g));
}
